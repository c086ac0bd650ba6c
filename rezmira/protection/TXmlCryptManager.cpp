#include "rezmira/protection/TXmlCryptManager.h"

#include "rezmira/loading/XMLTools.h"
#include "rezmira/protection/TCryptManager.h"

#include <libxml/SAX2.h>
#include <libxml/xpathInternals.h>

#include <climits>

namespace rezmira {

namespace {

constexpr const char *kXmlDsigNamespace = "http://www.w3.org/2000/09/xmldsig#";
constexpr const char *kSessionKeyPath = "ds:KeyInfo/EncryptedKey/CipherData/CipherValue";
constexpr const char *kCipherDataPath = "CipherData/CipherValue";

struct XmlCharFree {
    void operator()(xmlChar *text) const noexcept { xmlFree(text); }
};

// An envelope has no use for a DTD or entities; a document that declares them is refused
// outright, which also rules out entity expansion and external loads.
void refuse(void *userData) {
    auto *ctxt = static_cast<xmlParserCtxt *>(userData);
    ctxt->wellFormed = 0;
    xmlStopParser(ctxt);
}
void refuseSubset(void *userData, const xmlChar *, const xmlChar *, const xmlChar *) {
    refuse(userData);
}
void refuseEntity(void *userData, const xmlChar *, int, const xmlChar *, const xmlChar *,
                  xmlChar *) {
    refuse(userData);
}

// HUGE (needed for the large text node) also lifts libxml2's nesting limit, so the limit is
// kept here: an envelope is four levels deep.
constexpr int kMaxDepth = 256;
void startElementWithinDepth(void *userData, const xmlChar *localname, const xmlChar *prefix,
                             const xmlChar *uri, int nbNamespaces, const xmlChar **namespaces,
                             int nbAttributes, int nbDefaulted, const xmlChar **attributes) {
    auto *ctxt = static_cast<xmlParserCtxt *>(userData);
    if (ctxt->nameNr > kMaxDepth) {
        refuse(userData);
        return;
    }
    xmlSAX2StartElementNs(userData, localname, prefix, uri, nbNamespaces, namespaces, nbAttributes,
                          nbDefaulted, attributes);
}

xmlDoc *parseEnvelope(const QByteArray &bytes) {
    if (bytes.isEmpty() || bytes.size() > INT_MAX)
        return nullptr;
    const QuietXmlErrors quiet;
    ParserCtxtPtr ctxt(xmlNewParserCtxt());
    if (!ctxt || !ctxt->sax)
        return nullptr;
    ctxt->sax->internalSubset = refuseSubset;
    ctxt->sax->externalSubset = refuseSubset;
    ctxt->sax->entityDecl = refuseEntity;
    ctxt->sax->startElementNs = startElementWithinDepth;
    // HUGE lifts the 10 MB text-node limit: the encrypted document is a single base64 run.
    // No entity is ever substituted.
    xmlDoc *doc = xmlCtxtReadMemory(ctxt.get(), bytes.constData(), int(bytes.size()), nullptr,
                                    nullptr,
                                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                                        XML_PARSE_HUGE);
    if (doc && !ctxt->wellFormed) {
        xmlFreeDoc(doc);
        doc = nullptr;
    }
    return doc;
}

// The string value of the first element `path` selects from the document element, as a view
// of the document's own text when it is one text node (so a large payload is not copied), or
// in `copy` otherwise. Any evaluation failure gives the empty view.
QByteArray selectText(xmlDoc *doc, const char *path, std::unique_ptr<xmlChar, XmlCharFree> &copy) {
    xmlNode *root = doc ? xmlDocGetRootElement(doc) : nullptr;
    if (!root)
        return {};
    XPathContextPtr ctx(xmlXPathNewContext(doc));
    if (!ctx)
        return {};
    ctx->node = root;
    const xmlNs *ds = xmlSearchNs(doc, root, BAD_CAST "ds");
    if (xmlXPathRegisterNs(ctx.get(), BAD_CAST "ds", ds ? ds->href : BAD_CAST kXmlDsigNamespace) != 0)
        return {};
    XPathObjectPtr result(xmlXPathEvalExpression(BAD_CAST path, ctx.get()));
    if (!result || result->type != XPATH_NODESET || !result->nodesetval ||
        result->nodesetval->nodeNr == 0)
        return {};
    const xmlNode *node = result->nodesetval->nodeTab[0];
    const xmlNode *only = node->children;
    if (only && !only->next && (only->type == XML_TEXT_NODE || only->type == XML_CDATA_SECTION_NODE)) {
        const auto *text = reinterpret_cast<const char *>(only->content);
        return text ? QByteArray::fromRawData(text, qsizetype(qstrlen(text))) : QByteArray();
    }
    copy.reset(xmlNodeGetContent(node));
    const auto *text = reinterpret_cast<const char *>(copy.get());
    return text ? QByteArray::fromRawData(text, qsizetype(qstrlen(text))) : QByteArray();
}

} // namespace

TXmlCryptManager::TXmlCryptManager(TCryptManager &cryptManager) : FCryptManager(cryptManager) {}

TXmlCryptManager::~TXmlCryptManager() = default;

void TXmlCryptManager::LoadEnvelope(const QByteArray &envelope) {
    XpObjModel1.reset(parseEnvelope(envelope));
}

void TXmlCryptManager::DecryptDocument(QByteArray &output) {
    // Both payloads are extracted and decoded before any key is touched.
    QByteArray sessionKey;
    {
        std::unique_ptr<xmlChar, XmlCharFree> copy;
        const QByteArray text = selectText(XpObjModel1.get(), kSessionKeyPath, copy);
        if (text.isEmpty())
            throw CryptError(QStringLiteral("Unable Extract Session Key"));
        sessionKey = QByteArray::fromBase64(text);
    }
    {
        std::unique_ptr<xmlChar, XmlCharFree> copy;
        const QByteArray text = selectText(XpObjModel1.get(), kCipherDataPath, copy);
        if (text.isEmpty())
            throw CryptError(QStringLiteral("Unable Extract Cipher Data"));
        output = QByteArray::fromBase64(text);
    }
    // The model has been read; dropping it now leaves only the package, the envelope bytes and
    // the document alive while the (large) document is decrypted in place.
    XpObjModel1.reset();
    FCryptManager.DecryptMessage(output, sessionKey);
}

} // namespace rezmira
