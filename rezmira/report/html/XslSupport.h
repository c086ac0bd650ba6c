// XML parsing of untrusted content and XSLT 1.0 through libxslt, confined to the styles folder:
// used by the HTML content view and by the report function XMLValue.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

struct _xmlDoc;
struct _xmlNode;

namespace rezmira::xsl {

struct XmlDocFree {
    void operator()(_xmlDoc *doc) const noexcept;
};
using XmlDocPtr = std::unique_ptr<_xmlDoc, XmlDocFree>;

/// Parses `bytes` as an XML document without network access, without loading external DTDs or
/// entities and keeping whitespace text as it is. Never fails: bytes that are not well-formed XML,
/// or that declare entities, give an empty document (no document element). Never null.
XmlDocPtr ParseUntrustedXml(const QByteArray &bytes);

/// The absolute path of the file `name` inside the folder `stylesDir`, or an empty string when
/// there is no such file or when `name` leaves the folder (an absolute path, "..", a link that
/// points outside). `name` may name sub-folders with "/" or "\". A styles folder found is
/// trusted to stay for up to a second before it is looked at again; the file is looked at on
/// every call.
QString FileInStylesFolder(const QString &stylesDir, const QString &name);

/// Applies the style sheet at `stylePath` (a path as `FileInStylesFolder` answers it) to `source`
/// and answers the result tree (never null).
/// The style sheet and everything it imports or reads with document() must lie inside
/// `stylesDir`; writing files, creating folders and any network access are refused. Compiled
/// style sheets are kept for reuse until their file changes. `msxsl:node-set` and the EXSLT
/// functions (exsl:node-set among them) are available.
/// Throws rezmira::Error carrying the processor's messages when the style sheet cannot be read
/// or compiled or when the transformation fails; `fallback` is the message when the processor
/// said nothing.
XmlDocPtr ApplyStyleSheet(const QString &stylePath, const QString &stylesDir, _xmlDoc *source,
                          const QString &fallback);

/// The result tree written as HTML in UTF-8 (no byte-order mark, no formatting added). Empty
/// when the tree has no document element.
QByteArray SerializeHtml(_xmlDoc *result);

/// The text of the result tree: all its text nodes in document order, as a plain-text output
/// would write them.
QString TextOutput(_xmlDoc *result);

/// Forgets every compiled style sheet and resolved path (tests that rewrite or remove a style
/// sheet within one second).
void ClearStyleSheetCache();

} // namespace rezmira::xsl
