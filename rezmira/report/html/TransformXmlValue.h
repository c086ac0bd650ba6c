// The text behind the report function XMLValue: a style sheet applied to a question's XML.
#pragma once

#include <QByteArray>
#include <QString>

namespace rezmira {

/// Applies the style sheet `AXSLStyle` (a file name relative to the styles folder `stylesPath`)
/// to the XML document `AData` and answers the plain text it produces, with every character up
/// to and including the space (codes 0–32) removed from both ends.
///
/// `AData`'s line ends (CR, LF or CR LF) become CR LF and a final CR LF is added before it is
/// parsed; the bytes are otherwise used as they are (a leading UTF-8 byte-order mark included).
/// Data that is not well-formed XML is transformed as an empty document. Never throws: when the
/// style sheet is missing, lies outside the styles folder, cannot be compiled or the
/// transformation fails, the answer is the error's message text.
QString TransformXmlValue(const QByteArray &AData, const QString &AXSLStyle,
                          const QString &stylesPath);

/// `data` with its lines ended by CR LF, as `TransformXmlValue` parses it.
QByteArray WithCrLfLineEnds(const QByteArray &data);

} // namespace rezmira
