// CP866 and Windows-1251 through Qt's converters (ICU).
#include "rezmira/report/html/CodePages.h"

#include <QStringDecoder>

namespace rezmira {

QString DecodeCp866(const QByteArray &bytes) {
    QStringDecoder decoder("IBM866");
    return decoder(bytes);
}

QString DecodeCp1251(const QByteArray &bytes) {
    QStringDecoder decoder("windows-1251");
    return decoder(bytes);
}

} // namespace rezmira
