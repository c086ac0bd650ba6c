// The texts of the viewer's message boxes.
#include "rezmira/shell/ErrorText.h"

namespace rezmira {

QString errorBoxText(const QString &message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

ReportErrorsBox reportErrorsBox(const QStringList &errors) {
    ReportErrorsBox box{QStringLiteral("Ошибка"), {}};
    if (!errors.isEmpty())
        box.text = QStringLiteral("Были обнаружены следующие ошибки:\n") +
                   errors.join(QLatin1Char('\n'));
    return box;
}

} // namespace rezmira
