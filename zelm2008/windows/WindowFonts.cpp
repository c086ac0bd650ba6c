#include "zelm2008/windows/WindowFonts.h"

#include <QFile>
#include <QFontDatabase>

// The icon travels in the windows library's resources; a static library must register them.
static void initWindowResources() {
    Q_INIT_RESOURCE(windows);
}

namespace zelm {

void RegisterDesignFonts() {
    initWindowResources();
    if (QFontDatabase::families().contains(QStringLiteral("MS Sans Serif")))
        return;
    for (const char *path : {"/usr/share/wine/fonts/ms_sans_serif.ttf",
                             "/usr/share/fonts/truetype/wine/ms_sans_serif.ttf"}) {
        const QString file = QString::fromLatin1(path);
        if (QFile::exists(file) && QFontDatabase::addApplicationFont(file) >= 0)
            break;
    }
}

QFont DesignFont(const QString &family, double points, bool bold) {
    QString resolved = family;
    if (family == QLatin1String("Arial"))
        resolved = QStringLiteral("Liberation Sans");
    else if (family == QLatin1String("Courier New"))
        resolved = QStringLiteral("Liberation Mono");
    else if (family == QLatin1String("MS Sans Serif") &&
             !QFontDatabase::families().contains(family))
        resolved = QStringLiteral("Liberation Sans");
    QFont font(resolved);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleHint(resolved == QLatin1String("Liberation Mono") ? QFont::TypeWriter
                                                                    : QFont::SansSerif);
    return font;
}

} // namespace zelm
