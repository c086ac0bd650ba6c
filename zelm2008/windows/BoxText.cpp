#include "zelm2008/windows/BoxText.h"

#include "zelm2008/engine/Trainer.h"

namespace zelm {

QString ToBoxText(const Trainer &trainer, const QByteArray &bytes) {
    QString text = trainer.text(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QByteArray FromBoxText(const Trainer &trainer, const QString &text) {
    QString crlf = text;
    crlf.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    crlf.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return trainer.bytes(crlf);
}

} // namespace zelm
