// Practice and input texts between the trainer's bytes (code page of the language, CR LF line
// ends) and the text boxes (Unicode, LF line ends).
#pragma once

#include <QByteArray>
#include <QString>

namespace zelm {

class Trainer;

/// Bytes of the current code page to the text a box shows: decoded with `Charset`, CR LF and
/// lone CR turned into LF.
[[nodiscard]] QString ToBoxText(const Trainer &trainer, const QByteArray &bytes);

/// A box's text to bytes of the current code page: LF (and the paragraph separator a box may
/// hold) become CR LF; characters the code page cannot hold become "?".
[[nodiscard]] QByteArray FromBoxText(const Trainer &trainer, const QString &text);

} // namespace zelm
