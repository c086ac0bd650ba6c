// Text-level preparation of an HTML document for the renderer: decoding its bytes and replacing
// picture references by safe tokens.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace rezmira {

/// The text of an HTML document held in `bytes`: UTF-8 unless a byte-order mark (UTF-8 or
/// UTF-16) or a charset in a meta element names another encoding (Windows-1251, CP866, Latin-1
/// and the UTF encodings are known; an unknown name reads as UTF-8). A byte-order mark is not
/// part of the text; zero bytes read as spaces.
QString DecodeHtmlBytes(const QByteArray &bytes);

/// Replaces the value of every src attribute of every tag in `html` by `tokenPrefix` followed by
/// the attribute's index (0, 1, …) and appends the attribute's value, with character references
/// decoded, to `references`. Tags inside comments are left alone.
QString TokeniseImageSources(const QString &html, const QString &tokenPrefix,
                             QStringList &references);

} // namespace rezmira
