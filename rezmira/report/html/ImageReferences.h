// Picture references of question content: the rewrite to "htmlres://" references of the opened
// package, the escaping rule they use, and its inverse.
#pragma once

#include <QByteArray>
#include <QString>

struct _xmlNode;

namespace rezmira {

/// Escapes `bytes` by the path rule of picture references: each of the bytes "*#%<>+ []" and
/// every byte below 32 or above 127 becomes "%" and two upper-case hex digits; all other bytes
/// (the colon, slashes and backslash among them) stay as they are.
QByteArray EscapeReferencePath(const QByteArray &bytes);

/// Undoes percent escapes: each "%" followed by two hex digits (either case) becomes that byte;
/// any other "%" stays as it is. Applied once, it inverts `EscapeReferencePath`.
QByteArray UnescapePercent(const QByteArray &text);

/// Rewrites every attribute named src in the document of `node`, in document order, to `prefix`,
/// a backslash and the old value, escaped as a whole by `EscapeReferencePath` from its UTF-8
/// bytes: "pic 1.png" becomes "htmlres://\pic%201.png". Does nothing for a null node.
void RewriteImageSources(_xmlNode *node, const QString &prefix);

} // namespace rezmira
