// The image resolver and the HTML view's program-wide settings.
#include "rezmira/report/html/TIMGResolver.h"

namespace rezmira {

void TIMGResolver::ResolveImage(const QString &reference, QByteArray &stream) const {
    static const QString kPrefix = QStringLiteral("htmlres://");
    if (reference.startsWith(kPrefix, Qt::CaseSensitive)) {
        if (OnResourceImage)
            OnResourceImage(reference.mid(kPrefix.size()), stream);
    } else if (OnFileImage) {
        OnFileImage(reference, stream);
    }
}

TIMGResolver &ImageResolver() {
    static TIMGResolver resolver;
    return resolver;
}

QString &HTMLViewStylesPath() {
    static QString path;
    return path;
}

} // namespace rezmira
