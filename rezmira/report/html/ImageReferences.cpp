// Escaping and rewriting of picture references ("htmlres://\name").
#include "rezmira/report/html/ImageReferences.h"

#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <memory>

namespace rezmira {

namespace {

bool mustEscape(unsigned char byte) {
    if (byte < 32 || byte > 127)
        return true;
    switch (byte) {
    case '*': case '#': case '%': case '<': case '>': case '+': case ' ': case '[': case ']':
        return true;
    default:
        return false;
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray EscapeReferencePath(const QByteArray &bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3 / 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (mustEscape(byte)) {
            out.append('%').append(kHex[byte >> 4]).append(kHex[byte & 0x0F]);
        } else {
            out.append(c);
        }
    }
    return out;
}

QByteArray UnescapePercent(const QByteArray &text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == '%' && i + 2 < text.size() && hexValue(text.at(i + 1)) >= 0 &&
            hexValue(text.at(i + 2)) >= 0) {
            out.append(char(hexValue(text.at(i + 1)) * 16 + hexValue(text.at(i + 2))));
            i += 2;
        } else {
            out.append(text.at(i));
        }
    }
    return out;
}

void RewriteImageSources(_xmlNode *node, const QString &prefix) {
    if (node == nullptr || node->doc == nullptr)
        return;
    std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> ctx(
        xmlXPathNewContext(node->doc), xmlXPathFreeContext);
    if (!ctx)
        return;
    ctx->node = node;
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> found(
        xmlXPathEvalExpression(BAD_CAST "//@src", ctx.get()), xmlXPathFreeObject);
    if (!found || found->nodesetval == nullptr)
        return;
    const QByteArray head = prefix.toUtf8() + '\\';
    for (int i = 0; i < found->nodesetval->nodeNr; ++i) {
        xmlNodePtr attr = found->nodesetval->nodeTab[i];
        if (attr->type != XML_ATTRIBUTE_NODE || attr->parent == nullptr)
            continue;
        xmlChar *value = xmlNodeGetContent(attr);
        const QByteArray old = value != nullptr ? QByteArray(reinterpret_cast<char *>(value))
                                                : QByteArray();
        xmlFree(value);
        const QByteArray rewritten = EscapeReferencePath(head + old);
        xmlSetProp(attr->parent, attr->name, BAD_CAST rewritten.constData());
    }
}

} // namespace rezmira
