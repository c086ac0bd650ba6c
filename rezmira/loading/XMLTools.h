// XML helpers shared by the viewer: owning libxml2 handles, the safe parse of untrusted bytes
// with the viewer's encoding rule, XPath text/integer reads, ImportNode and UTF-8 serialisation.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>

#include <map>
#include <memory>
#include <string>

namespace rezmira {

struct ParserCtxtFree {
    void operator()(xmlParserCtxt *ctxt) const noexcept { xmlFreeParserCtxt(ctxt); }
};
struct XmlDocFree {
    void operator()(xmlDoc *doc) const noexcept { xmlFreeDoc(doc); }
};
struct XPathContextFree {
    void operator()(xmlXPathContext *ctx) const noexcept { xmlXPathFreeContext(ctx); }
};
struct XPathObjectFree {
    void operator()(xmlXPathObject *obj) const noexcept { xmlXPathFreeObject(obj); }
};
struct XPathCompExprFree {
    void operator()(xmlXPathCompExpr *comp) const noexcept { xmlXPathFreeCompExpr(comp); }
};
using ParserCtxtPtr = std::unique_ptr<xmlParserCtxt, ParserCtxtFree>;
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;
using XPathContextPtr = std::unique_ptr<xmlXPathContext, XPathContextFree>;
using XPathObjectPtr = std::unique_ptr<xmlXPathObject, XPathObjectFree>;
using XPathCompExprPtr = std::unique_ptr<xmlXPathCompExpr, XPathCompExprFree>;

/// Silences libxml2's process-wide error output (generic and structured handlers) for its
/// lifetime and restores the previous handlers afterwards. Some messages, such as encoding
/// errors, ignore XML_PARSE_NOERROR, so every parse of untrusted bytes holds one.
class QuietXmlErrors {
public:
    QuietXmlErrors();
    ~QuietXmlErrors();
    QuietXmlErrors(const QuietXmlErrors &) = delete;
    QuietXmlErrors &operator=(const QuietXmlErrors &) = delete;

private:
    xmlGenericErrorFunc m_generic;
    void *m_genericContext;
    xmlStructuredErrorFunc m_structured;
    void *m_structuredContext;
};

/// Converts a stored XML document to UTF-8 by the viewer's encoding rule:
/// - a leading UTF-8 byte-order mark is skipped;
/// - FF FE / FE FF at the start mean UTF-16 little / big endian (the mark is dropped);
/// - otherwise, an XML declaration at the very start naming "ISO-8859-1" or "Windows-1251"
///   (ASCII letter case ignored) means that single-byte encoding;
/// - anything else, whatever its declaration says, is taken as UTF-8 as it stands.
/// The declaration itself is left in the text; parse the result with parseXmlDocument, which
/// ignores it. For UTF-8 input the result shares `bytes`' memory (no copy), so `bytes` must
/// outlive it. Malformed sequences become U+FFFD in the converted cases.
QByteArray xmlTextAsUtf8(const QByteArray &bytes);

/// Parses untrusted document bytes (any encoding; xmlTextAsUtf8 is applied first).
/// Never throws and never reports anything: bytes that are not a well-formed document give
/// nullptr. The parse reaches no network, loads no DTD or external entity, substitutes no
/// entity, limits element nesting to libxml2's default depth (256), and rejects every document
/// that declares an entity (a result or envelope document has no use for one; accepting them
/// opens file reads or quadratic blow-ups). Whitespace-only text nodes and CDATA sections are
/// kept as they are. Documents larger than 2 GiB are rejected.
XmlDocPtr parseXmlDocument(const QByteArray &bytes);

/// Parses `text` as a decimal integer with an optional sign. Empty text, anything that is not a
/// whole number ("7.5", "12a", " 5") and values outside the 32-bit signed range give 0.
int toIntegerOrZero(QStringView text);

/// Evaluates XPath expressions against context nodes of one document. Compiled expressions are
/// kept, so reading the same expression for many nodes is cheap. Reads never fail: an
/// expression that selects nothing or cannot be evaluated gives the empty text (and so 0).
/// The document must outlive the reader.
class XPathReader {
public:
    explicit XPathReader(xmlDoc *doc);

    /// Binds `prefix` to `uri` for the expressions evaluated from now on.
    void registerNamespace(const char *prefix, const char *uri);

    /// The string value of `expression` evaluated with `context` as the context node.
    QString readText(xmlNode *context, const char *expression);
    /// readText converted by toIntegerOrZero.
    int readInteger(xmlNode *context, const char *expression);

private:
    xmlXPathCompExpr *compiled(const char *expression);

    XPathContextPtr m_context;
    std::map<std::string, XPathCompExprPtr> m_compiled;
};

/// Deep-copies `node` into `document` and appends the copy to `parent`: an element with the
/// same (qualified) name, all its attributes in order (namespace declarations included, as
/// xmlns attributes) and its children imported in order; a text node with its text unchanged.
/// Any other kind of node (CDATA section, comment, processing instruction, entity reference …)
/// is not copied, at any depth. Recursion depth is bounded by the parser's nesting limit.
void ImportNode(xmlNode *node, xmlDoc *document, xmlNode *parent);

/// Serialises `document` as UTF-8: the byte-order mark EF BB BF, the declaration
/// `<?xml version="1.0" encoding="utf-8"?>`, then the document element. Non-ASCII text is
/// written as UTF-8, not as character references.
QByteArray saveXmlUtf8WithBom(xmlDoc *document);

/// The child elements of `parent` named `name` (no namespace test), in document order,
/// passed one by one to `visit`.
template <typename Visit> void forEachChildElement(xmlNode *parent, const char *name, Visit visit) {
    for (xmlNode *child = parent ? parent->children : nullptr; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE && xmlStrEqual(child->name, BAD_CAST name))
            visit(child);
}

} // namespace rezmira
