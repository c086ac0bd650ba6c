#include "rezmira/loading/XMLTools.h"

#include <QStringDecoder>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlsave.h>
#include <libxml/xpathInternals.h>

#include <climits>
#include <cstring>

namespace rezmira {

namespace {

// Windows-1251 through Qt's converter (ICU); the undefined 0x98 keeps its code.
QString fromCp1251(QByteArrayView bytes) {
    QStringDecoder decoder("windows-1251");
    return decoder(bytes);
}

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The encoding named by an XML declaration at the very start of `bytes`, or empty.
QByteArray declaredEncoding(const QByteArray &bytes) {
    if (!bytes.startsWith("<?xml") || bytes.size() < 6 || !isXmlSpace(bytes[5]))
        return {};
    // A declaration is short; never scan a large document for its end.
    const qsizetype end = QByteArrayView(bytes).first(qMin<qsizetype>(bytes.size(), 1024)).indexOf("?>");
    if (end < 0)
        return {};
    const QByteArrayView decl = QByteArrayView(bytes).first(end);
    qsizetype at = decl.indexOf("encoding");
    if (at < 0)
        return {};
    at += 8;
    while (at < decl.size() && isXmlSpace(decl[at]))
        ++at;
    if (at >= decl.size() || decl[at] != '=')
        return {};
    ++at;
    while (at < decl.size() && isXmlSpace(decl[at]))
        ++at;
    if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\''))
        return {};
    const char quote = decl[at++];
    const qsizetype close = decl.indexOf(quote, at);
    if (close < 0)
        return {};
    return decl.sliced(at, close - at).toByteArray();
}

// Entity declarations stop the parse at once and mark the document as rejected.
void rejectEntityDecl(void *userData, const xmlChar *, int, const xmlChar *, const xmlChar *,
                      xmlChar *) {
    auto *ctxt = static_cast<xmlParserCtxt *>(userData);
    ctxt->_private = ctxt; // any non-null value: "an entity was declared"
    xmlStopParser(ctxt);
}

void rejectUnparsedEntityDecl(void *userData, const xmlChar *, const xmlChar *, const xmlChar *,
                              const xmlChar *) {
    rejectEntityDecl(userData, nullptr, 0, nullptr, nullptr, nullptr);
}

void ignoreGenericError(void *, const char *, ...) {}
void ignoreStructuredError(void *, xmlError *) {}

QByteArray qualifiedName(const xmlNode *node) {
    QByteArray name(reinterpret_cast<const char *>(node->name));
    if (node->ns && node->ns->prefix)
        name.prepend(QByteArray(reinterpret_cast<const char *>(node->ns->prefix)) + ':');
    return name;
}

} // namespace

QuietXmlErrors::QuietXmlErrors()
    : m_generic(xmlGenericError), m_genericContext(xmlGenericErrorContext),
      m_structured(xmlStructuredError), m_structuredContext(xmlStructuredErrorContext) {
    xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
    xmlSetStructuredErrorFunc(nullptr, ignoreStructuredError);
}

QuietXmlErrors::~QuietXmlErrors() {
    xmlSetGenericErrorFunc(m_genericContext, m_generic);
    xmlSetStructuredErrorFunc(m_structuredContext, m_structured);
}

QByteArray xmlTextAsUtf8(const QByteArray &bytes) {
    const auto startsWith = [&bytes](std::initializer_list<unsigned char> mark) {
        if (bytes.size() < qsizetype(mark.size()))
            return false;
        qsizetype i = 0;
        for (const unsigned char b : mark)
            if (static_cast<unsigned char>(bytes[i++]) != b)
                return false;
        return true;
    };
    if (startsWith({0xEF, 0xBB, 0xBF}))
        return QByteArray::fromRawData(bytes.constData() + 3, bytes.size() - 3);
    if (startsWith({0xFF, 0xFE}) || startsWith({0xFE, 0xFF})) {
        QStringDecoder decoder(bytes[0] == '\xFF' ? QStringConverter::Utf16LE
                                                  : QStringConverter::Utf16BE,
                               QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(QByteArrayView(bytes).sliced(2));
        return text.toUtf8();
    }
    const QByteArray encoding = declaredEncoding(bytes);
    if (encoding.compare("ISO-8859-1", Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(bytes).toUtf8();
    if (encoding.compare("Windows-1251", Qt::CaseInsensitive) == 0)
        return fromCp1251(bytes).toUtf8();
    return bytes;
}

XmlDocPtr parseXmlDocument(const QByteArray &bytes) {
    const QByteArray text = xmlTextAsUtf8(bytes);
    if (text.isEmpty() || text.size() > INT_MAX)
        return nullptr;
    // With no encoding named, the parser guesses UTF-16, UCS-4 or EBCDIC from the first four
    // bytes. Text that matches those guesses (a NUL byte, or "Lo" followed by 0xA7 0x94) is
    // never a well-formed UTF-8 document, so it is rejected here as UTF-8 parsing would.
    const QByteArrayView start = QByteArrayView(text).first(qMin<qsizetype>(text.size(), 4));
    if (start.contains('\0') || start == QByteArrayView("\x4C\x6F\xA7\x94"))
        return nullptr;
    const QuietXmlErrors quiet;
    ParserCtxtPtr ctxt(xmlNewParserCtxt());
    if (!ctxt)
        return nullptr;
    ctxt->sax->entityDecl = rejectEntityDecl;
    ctxt->sax->unparsedEntityDecl = rejectUnparsedEntityDecl;
    ctxt->_private = nullptr;
    // No XML_PARSE_NOENT (it would let an external entity read local files), no DTD loading,
    // no network, no error output; the text is already UTF-8, so the declaration is ignored.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                        XML_PARSE_IGNORE_ENC;
    // No encoding is named: naming UTF-8 would run the whole text through a UTF-8 to UTF-8
    // conversion. The text carries no byte-order mark, so the parser takes it as UTF-8.
    XmlDocPtr doc(xmlCtxtReadMemory(ctxt.get(), text.constData(), int(text.size()), nullptr,
                                    nullptr, options));
    if (!doc || !ctxt->wellFormed || ctxt->_private != nullptr)
        return nullptr;
    if (doc->intSubset && (doc->intSubset->entities || doc->intSubset->pentities))
        return nullptr;
    return doc;
}

int toIntegerOrZero(QStringView text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    if (i == text.size())
        return 0;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c - u'0');
        if (value > qint64(INT_MAX) + 1)
            return 0;
    }
    if (negative)
        value = -value;
    return value < INT_MIN || value > INT_MAX ? 0 : int(value);
}

XPathReader::XPathReader(xmlDoc *doc) : m_context(xmlXPathNewContext(doc)) {
    // Reads never fail and never print: an expression that does not compile reads as empty.
    if (m_context)
        m_context->error = [](void *, xmlError *) {};
}

void XPathReader::registerNamespace(const char *prefix, const char *uri) {
    if (m_context)
        xmlXPathRegisterNs(m_context.get(), BAD_CAST prefix, BAD_CAST uri);
}

xmlXPathCompExpr *XPathReader::compiled(const char *expression) {
    auto it = m_compiled.find(expression);
    if (it == m_compiled.end())
        it = m_compiled
                 .emplace(expression, XPathCompExprPtr(xmlXPathCtxtCompile(m_context.get(),
                                                                           BAD_CAST expression)))
                 .first;
    return it->second.get();
}

QString XPathReader::readText(xmlNode *context, const char *expression) {
    if (!m_context || !context)
        return {};
    xmlXPathCompExpr *comp = compiled(expression);
    if (!comp)
        return {};
    m_context->node = context;
    XPathObjectPtr result(xmlXPathCompiledEval(comp, m_context.get()));
    if (!result)
        return {};
    if (result->type == XPATH_STRING)
        return QString::fromUtf8(reinterpret_cast<const char *>(result->stringval));
    xmlChar *text = xmlXPathCastToString(result.get());
    const QString value = text ? QString::fromUtf8(reinterpret_cast<const char *>(text)) : QString();
    xmlFree(text);
    return value;
}

int XPathReader::readInteger(xmlNode *context, const char *expression) {
    return toIntegerOrZero(readText(context, expression));
}

void ImportNode(xmlNode *node, xmlDoc *document, xmlNode *parent) {
    if (node->type == XML_TEXT_NODE) {
        xmlAddChild(parent, xmlNewDocText(document, node->content));
        return;
    }
    if (node->type != XML_ELEMENT_NODE)
        return;
    xmlNode *copy = xmlNewDocNode(document, nullptr, BAD_CAST qualifiedName(node).constData(), nullptr);
    // Namespace declarations travel as plain xmlns attributes, so the copy stays well-formed
    // for namespace-aware readers without binding namespaces in the new document.
    for (xmlNs *ns = node->nsDef; ns; ns = ns->next) {
        const QByteArray name = ns->prefix ? "xmlns:" + QByteArray(reinterpret_cast<const char *>(ns->prefix))
                                           : QByteArray("xmlns");
        xmlNewProp(copy, BAD_CAST name.constData(), ns->href);
    }
    for (xmlAttr *attr = node->properties; attr; attr = attr->next) {
        xmlChar *value = xmlNodeListGetString(node->doc, attr->children, 1);
        QByteArray name(reinterpret_cast<const char *>(attr->name));
        if (attr->ns && attr->ns->prefix)
            name.prepend(QByteArray(reinterpret_cast<const char *>(attr->ns->prefix)) + ':');
        xmlNewProp(copy, BAD_CAST name.constData(), value ? value : BAD_CAST "");
        xmlFree(value);
    }
    for (xmlNode *child = node->children; child; child = child->next)
        ImportNode(child, document, copy);
    xmlAddChild(parent, copy);
}

QByteArray saveXmlUtf8WithBom(xmlDoc *document) {
    QByteArray out("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n");
    xmlNode *root = xmlDocGetRootElement(document);
    if (!root)
        return out;
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), xmlBufferFree);
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer.get(), "UTF-8", XML_SAVE_NO_DECL);
    if (!save)
        return out;
    // Attribute values are written with character references for non-ASCII text unless the
    // document names an encoding; name UTF-8 for the duration of the save.
    const xmlChar *const encoding = document->encoding;
    document->encoding = BAD_CAST "UTF-8";
    xmlSaveTree(save, root);
    xmlSaveClose(save);
    document->encoding = encoding;
    out.append(reinterpret_cast<const char *>(xmlBufferContent(buffer.get())),
               xmlBufferLength(buffer.get()));
    return out;
}

} // namespace rezmira
