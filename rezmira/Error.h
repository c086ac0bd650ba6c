// The error type of the viewer: an exception carrying one fixed message text and nothing else.
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace rezmira {

/// A failure with a fixed, user-visible message. Callers either let it through or replace it
/// with their own message; families that must be told apart derive from it and are caught by
/// type, never by comparing texts.
class Error : public std::exception {
public:
    explicit Error(QString message);

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace rezmira
