// The texts of the viewer's message boxes, decided without a window.
#pragma once

#include <QString>
#include <QStringList>

namespace rezmira {

/// The caption of the application's error box: the application title.
inline constexpr char16_t kErrorBoxCaption[] = u"Rezmira";

/// The text the error box shows for an error `message`: the message with a full stop appended
/// when the code of its last character is greater than that of "." (so not after ".", ",",
/// "-", "!" or a space). An empty message stays empty.
QString errorBoxText(const QString &message);

/// The box in which the report's collected preparation errors are shown.
struct ReportErrorsBox {
    QString caption; ///< "Ошибка"
    QString text;    ///< "Были обнаружены следующие ошибки:" and one error per line
};

/// The box text for the errors collected while the report was prepared (none → empty text).
ReportErrorsBox reportErrorsBox(const QStringList &errors);

} // namespace rezmira
