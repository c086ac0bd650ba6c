// Translating the program's file dialog arguments to the toolkit's.
#include "rezmira/shell/FileDialogRequest.h"

#include <QStringList>

namespace rezmira {

QString toolkitFileFilter(const QString &filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)
                                     .join(QLatin1Char(' '));
        const QString suffix = QLatin1Char('(') + patterns + QLatin1Char(')');
        out << (description.endsWith(suffix) ? description
                                             : description + QLatin1Char(' ') + suffix);
    }
    return out.join(QStringLiteral(";;"));
}

QString toolkitDefaultSuffix(const QString &defaultExt) {
    QString s = defaultExt.trimmed();
    if (s.startsWith(QLatin1Char('*')))
        s.remove(0, 1);
    if (s.startsWith(QLatin1Char('.')))
        s.remove(0, 1);
    return s.contains(QLatin1Char('*')) ? QString() : s;
}

} // namespace rezmira
