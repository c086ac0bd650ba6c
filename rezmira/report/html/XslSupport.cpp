// libxml2/libxslt set-up for untrusted content: safe parser options, a read check that keeps
// every file access inside the styles folder, captured processor messages, compiled style cache.
#include "rezmira/report/html/XslSupport.h"

#include "rezmira/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <libexslt/exslt.h>
#include <libxml/HTMLtree.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlIO.h>
#include <libxslt/documents.h>
#include <libxslt/extensions.h>
#include <libxslt/extra.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <unordered_map>

namespace rezmira::xsl {

void XmlDocFree::operator()(_xmlDoc *doc) const noexcept { xmlFreeDoc(doc); }

namespace {

// Content and documents read by document(): no network, no DTD loading, no entity substitution.
constexpr int kContentParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
// Style sheets are written with internal entities (&nbsp; and the like) that must be expanded;
// external ones are confined to the styles folder by the entity loader below.
constexpr int kStyleParseOptions = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOCDATA;
constexpr qint64 kMaxStyleSheetBytes = 16 * 1024 * 1024;

// The folder the current operation may read from (canonical, no trailing slash); empty: none.
thread_local QString t_allowedDir;
thread_local QByteArray *t_messages = nullptr;

bool insideAllowedDir(const QString &path) {
    if (t_allowedDir.isEmpty() || path.isEmpty())
        return false;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonical.isEmpty() && canonical.startsWith(t_allowedDir + QLatin1Char('/'));
}

void collectMessage(void *, const char *format, ...) {
    if (t_messages == nullptr)
        return;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    t_messages->append(buffer);
}

int readCheck(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char *value) {
    // libxslt hands over the path part of the URL, its escapes already undone.
    return value != nullptr && insideAllowedDir(QString::fromUtf8(value)) ? 1 : 0;
}

xmlParserInputPtr confinedEntityLoader(const char *url, const char *, xmlParserCtxtPtr ctxt) {
    if (url == nullptr)
        return nullptr;
    QString path = QString::fromUtf8(url);
    if (path.startsWith(QLatin1String("file:")))
        path = QUrl(path).toLocalFile();
    if (!insideAllowedDir(path))
        return nullptr;
    return xmlNewInputFromFile(ctxt, QFile::encodeName(path).constData());
}

xsltDocLoaderFunc g_builtinLoader = nullptr;

// Every document libxslt loads (imports, includes, document()) is parsed without network and
// without loading DTDs; the read check has already confined it to the styles folder.
xmlDocPtr confinedDocLoader(const xmlChar *uri, xmlDictPtr dict, int options, void *ctxt,
                            xsltLoadType type) {
    options &= ~(XML_PARSE_DTDLOAD | XML_PARSE_DTDATTR | XML_PARSE_DTDVALID | XML_PARSE_XINCLUDE);
    options |= XML_PARSE_NONET;
    if (type == XSLT_LOAD_DOCUMENT)
        options &= ~XML_PARSE_NOENT;
    return g_builtinLoader(uri, dict, options, ctxt, type);
}

xsltSecurityPrefsPtr securityPrefs() {
    static xsltSecurityPrefsPtr prefs = [] {
        xmlInitParser();
        exsltRegisterAll();
        // Style sheets written for Windows processors call msxsl:node-set().
        xsltRegisterExtModuleFunction(BAD_CAST "node-set",
                                      BAD_CAST "urn:schemas-microsoft-com:xslt",
                                      xsltFunctionNodeSet);
        g_builtinLoader = xsltDocDefaultLoader;
        xsltSetLoaderFunc(confinedDocLoader);
        xsltSecurityPrefsPtr p = xsltNewSecurityPrefs();
        xsltSetSecurityPrefs(p, XSLT_SECPREF_READ_FILE, readCheck);
        xsltSetSecurityPrefs(p, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
        xsltSetSecurityPrefs(p, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
        xsltSetSecurityPrefs(p, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
        xsltSetSecurityPrefs(p, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
        xsltSetDefaultSecurityPrefs(p);
        return p;
    }();
    return prefs;
}

// For the time of one operation: messages go into `messages` (never to stderr), file reads are
// confined to `allowedDir`, external entities too. The previous handlers come back afterwards.
class ConfinedScope {
public:
    ConfinedScope(const QString &allowedDir, QByteArray *messages)
        : m_prevDir(t_allowedDir), m_prevMessages(t_messages),
          m_prevXmlError(xmlGenericError), m_prevXmlErrorCtx(xmlGenericErrorContext),
          m_prevStructured(xmlStructuredError), m_prevStructuredCtx(xmlStructuredErrorContext),
          m_prevXsltError(xsltGenericError), m_prevXsltErrorCtx(xsltGenericErrorContext),
          m_prevLoader(xmlGetExternalEntityLoader()) {
        securityPrefs();
        t_allowedDir = allowedDir;
        t_messages = messages;
        xmlSetGenericErrorFunc(nullptr, collectMessage);
        xmlSetStructuredErrorFunc(nullptr, nullptr);
        xsltSetGenericErrorFunc(nullptr, collectMessage);
        xmlSetExternalEntityLoader(confinedEntityLoader);
    }
    ~ConfinedScope() {
        xmlSetExternalEntityLoader(m_prevLoader);
        xsltSetGenericErrorFunc(m_prevXsltErrorCtx, m_prevXsltError);
        xmlSetStructuredErrorFunc(m_prevStructuredCtx, m_prevStructured);
        xmlSetGenericErrorFunc(m_prevXmlErrorCtx, m_prevXmlError);
        t_messages = m_prevMessages;
        t_allowedDir = m_prevDir;
    }
    ConfinedScope(const ConfinedScope &) = delete;
    ConfinedScope &operator=(const ConfinedScope &) = delete;

private:
    QString m_prevDir;
    QByteArray *m_prevMessages;
    xmlGenericErrorFunc m_prevXmlError;
    void *m_prevXmlErrorCtx;
    xmlStructuredErrorFunc m_prevStructured;
    void *m_prevStructuredCtx;
    xmlGenericErrorFunc m_prevXsltError;
    void *m_prevXsltErrorCtx;
    xmlExternalEntityLoader m_prevLoader;
};

// Milliseconds on a monotonic clock: how long the file checks below are trusted.
qint64 nowMs() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}
// A report asks for the same styles folder thousands of times in a row: a folder found is
// looked at again only when the last look is older than this. Files are looked at every time
// (a style sheet removed or rewritten is noticed at once).
constexpr qint64 kRecheckMs = 1000;

struct KnownPath {
    QString canonical;
    qint64 checkedAt = 0;
};

QHash<QString, KnownPath> &canonicalCache() {
    static QHash<QString, KnownPath> cache;
    return cache;
}

// Resolving a canonical path reads every link on the way: resolutions are kept, and checked to
// still exist (folders: when their last check is older than kRecheckMs).
QString cachedCanonical(const QString &path, bool wantDir) {
    QHash<QString, KnownPath> &cache = canonicalCache();
    if (path.isEmpty())
        return {};
    const qint64 now = nowMs();
    if (auto it = cache.find(path); it != cache.end()) {
        if (wantDir && now - it->checkedAt < kRecheckMs)
            return it->canonical;
        const QFileInfo known(it->canonical);
        if (wantDir ? known.isDir() : known.isFile()) {
            it->checkedAt = now;
            return it->canonical;
        }
    }
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || (wantDir ? !info.isDir() : !info.isFile()))
        return {};
    if (cache.size() > 256)
        cache.clear();
    cache.insert(path, {canonical, now});
    return canonical;
}

QString canonicalDir(const QString &dir) { return cachedCanonical(dir, true); }

struct StyleFree {
    void operator()(xsltStylesheet *style) const noexcept { xsltFreeStylesheet(style); }
};

struct CachedStyle {
    std::unique_ptr<xsltStylesheet, StyleFree> style;
    QDateTime modified;
    qint64 size = 0;
};

std::unordered_map<QString, CachedStyle> &styleCache() {
    static std::unordered_map<QString, CachedStyle> cache;
    return cache;
}

Error failure(const QByteArray &messages, const QString &fallback) {
    const QString text = QString::fromUtf8(messages).trimmed();
    return Error(text.isEmpty() ? fallback : text);
}

// The compiled style sheet at `path` (inside the allowed folder), from the cache when its file
// is unchanged. Throws with the processor's messages.
xsltStylesheet *compiledStyle(const QString &path, QByteArray &messages, const QString &fallback) {
    // `path` comes canonical from FileInStylesFolder.
    const QString &key = path;
    if (t_allowedDir.isEmpty() || !key.startsWith(t_allowedDir + QLatin1Char('/')))
        throw failure(messages, fallback);
    auto &cache = styleCache();
    const QFileInfo info(path);
    if (!info.isFile())
        throw failure(messages, fallback);
    if (auto it = cache.find(key); it != cache.end()) {
        if (it->second.modified == info.lastModified() && it->second.size == info.size())
            return it->second.style.get();
        cache.erase(it);
    }
    QFile file(key);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxStyleSheetBytes)
        throw failure(messages, fallback);
    const QByteArray bytes = file.readAll();
    // A file URL, escaped, so that references relative to it resolve also in folders whose
    // names hold spaces or non-ASCII letters.
    const QByteArray url = QUrl::fromLocalFile(key).toEncoded();
    xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), url.constData(), nullptr,
                                  kStyleParseOptions);
    if (doc == nullptr)
        throw failure(messages, fallback);
    // On success the style sheet owns the document; on failure it stays ours.
    xsltStylesheetPtr style = xsltParseStylesheetDoc(doc);
    if (style == nullptr) {
        xmlFreeDoc(doc);
        throw failure(messages, fallback);
    }
    if (style->errors > 0) {
        xsltFreeStylesheet(style);
        throw failure(messages, fallback);
    }
    CachedStyle entry{std::unique_ptr<xsltStylesheet, StyleFree>(style), info.lastModified(),
                      info.size()};
    return cache.insert_or_assign(key, std::move(entry)).first->second.style.get();
}

void appendText(xmlNodePtr node, QByteArray &out) {
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content != nullptr)
                out.append(reinterpret_cast<const char *>(node->content));
        } else if (node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE ||
                   node->type == XML_HTML_DOCUMENT_NODE || node->type == XML_DOCUMENT_FRAG_NODE) {
            appendText(node->children, out);
        }
    }
}

} // namespace

XmlDocPtr ParseUntrustedXml(const QByteArray &bytes) {
    QByteArray messages;
    ConfinedScope scope(QString(), &messages);
    xmlDocPtr doc = bytes.isEmpty() ? nullptr
                                    : xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr,
                                                    nullptr, kContentParseOptions);
    // Result content never carries a DTD; entity declarations could only serve to blow up the
    // text when it is read, so such a document counts as not well-formed.
    if (doc != nullptr && doc->intSubset != nullptr && doc->intSubset->entities != nullptr) {
        xmlFreeDoc(doc);
        doc = nullptr;
    }
    if (doc == nullptr)
        doc = xmlNewDoc(BAD_CAST "1.0");
    return XmlDocPtr(doc);
}

QString FileInStylesFolder(const QString &stylesDir, const QString &name) {
    const QString dir = canonicalDir(stylesDir);
    if (dir.isEmpty() || name.isEmpty())
        return {};
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (relative.startsWith(QLatin1Char('/')) || QDir::isAbsolutePath(relative) ||
        (relative.size() > 1 && relative.at(1) == QLatin1Char(':')))
        return {};
    const QString canonical = cachedCanonical(dir + QLatin1Char('/') + relative, false);
    if (canonical.isEmpty() || !canonical.startsWith(dir + QLatin1Char('/')))
        return {};
    return canonical;
}

XmlDocPtr ApplyStyleSheet(const QString &stylePath, const QString &stylesDir, _xmlDoc *source,
                          const QString &fallback) {
    QByteArray messages;
    ConfinedScope scope(canonicalDir(stylesDir), &messages);
    xsltStylesheet *style = compiledStyle(stylePath, messages, fallback);

    std::unique_ptr<xsltTransformContext, decltype(&xsltFreeTransformContext)> ctxt(
        xsltNewTransformContext(style, source), xsltFreeTransformContext);
    if (!ctxt)
        throw failure(messages, fallback);
    xsltSetCtxtSecurityPrefs(securityPrefs(), ctxt.get());
    xsltSetCtxtParseOptions(ctxt.get(), kContentParseOptions);
    XmlDocPtr result(
        xsltApplyStylesheetUser(style, source, nullptr, nullptr, nullptr, ctxt.get()));
    if (!result || ctxt->state == XSLT_STATE_ERROR || ctxt->state == XSLT_STATE_STOPPED)
        throw failure(messages, fallback);
    return result;
}

QByteArray SerializeHtml(_xmlDoc *result) {
    if (result == nullptr || xmlDocGetRootElement(result) == nullptr)
        return {};
    xmlOutputBufferPtr out = xmlAllocOutputBuffer(nullptr);
    if (out == nullptr)
        return {};
    htmlDocContentDumpFormatOutput(out, result, "UTF-8", 0);
    xmlOutputBufferFlush(out);
    const QByteArray html(reinterpret_cast<const char *>(xmlOutputBufferGetContent(out)),
                          qsizetype(xmlOutputBufferGetSize(out)));
    xmlOutputBufferClose(out);
    return html;
}

QString TextOutput(_xmlDoc *result) {
    QByteArray text;
    if (result != nullptr)
        appendText(result->children, text);
    return QString::fromUtf8(text);
}

void ClearStyleSheetCache() {
    styleCache().clear();
    canonicalCache().clear();
}

} // namespace rezmira::xsl
