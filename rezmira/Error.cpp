#include "rezmira/Error.h"

namespace rezmira {

Error::Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

} // namespace rezmira
