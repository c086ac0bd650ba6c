// The trainer's error type: an exception carrying one message text (used by the headless jobs).
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace zelm {

/// A failure with a fixed message text. The trainer itself reports no errors to the user (missing
/// files are recreated); only the command line's jobs raise this, e.g. for an unwritable output.
class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace zelm
