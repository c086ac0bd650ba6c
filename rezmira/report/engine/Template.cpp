#include "rezmira/report/engine/Template.h"

#include "rezmira/Error.h"

#include <QHash>
#include <QXmlStreamReader>

#include <algorithm>

namespace rezmira::report {

Band *ReportTemplate::band(QStringView name) {
    for (Band &b : bands)
        if (b.name.compare(name, Qt::CaseInsensitive) == 0)
            return &b;
    return nullptr;
}

ReportObject *ReportTemplate::object(QStringView name) {
    return const_cast<ReportObject *>(std::as_const(*this).object(name));
}

const ReportObject *ReportTemplate::object(QStringView name) const {
    for (const Band &b : bands)
        for (const ReportObject &o : b.objects)
            if (o.name.compare(name, Qt::CaseInsensitive) == 0)
                return &o;
    for (const ReportObject &o : pageObjects)
        if (o.name.compare(name, Qt::CaseInsensitive) == 0)
            return &o;
    return nullptr;
}

namespace {

[[noreturn]] void broken(const QString &why) {
    throw Error(QStringLiteral("Шаблон отчёта повреждён: %1").arg(why));
}

QColor parseColor(const QString &text) {
    if (text.compare(QLatin1StringView("windowText"), Qt::CaseInsensitive) == 0)
        return Qt::black;
    if (text.compare(QLatin1StringView("none"), Qt::CaseInsensitive) == 0)
        return {};
    const QColor c = QColor::fromString(text);
    if (!c.isValid())
        broken(QStringLiteral("цвет \"%1\"").arg(text));
    return c;
}

double parseNumber(const QXmlStreamAttributes &a, QLatin1StringView name, double fallback) {
    if (!a.hasAttribute(name))
        return fallback;
    bool ok = false;
    const double v = a.value(name).toDouble(&ok);
    if (!ok)
        broken(QStringLiteral("%1=\"%2\"").arg(name, a.value(name)));
    return v;
}

bool parseBool(const QXmlStreamAttributes &a, QLatin1StringView name, bool fallback) {
    if (!a.hasAttribute(name))
        return fallback;
    return a.value(name) == QLatin1StringView("true");
}

void applyFont(const QXmlStreamAttributes &a, FontSpec &font) {
    if (a.hasAttribute(QLatin1StringView("font")))
        font.family = a.value(QLatin1StringView("font")).toString();
    font.pixelSize = parseNumber(a, QLatin1StringView("fontSize"), font.pixelSize);
    font.bold = parseBool(a, QLatin1StringView("bold"), font.bold);
    font.italic = parseBool(a, QLatin1StringView("italic"), font.italic);
    if (a.hasAttribute(QLatin1StringView("color")))
        font.color = parseColor(a.value(QLatin1StringView("color")).toString());
}

struct Loader {
    QXmlStreamReader xml;
    const PictureProvider &pictures;
    ReportTemplate t;
    QHash<QString, FontSpec> styles;

    Loader(const QByteArray &data, const PictureProvider &p) : xml(data), pictures(p) {}

    ReportObject readObject(ReportObject::Kind kind) {
        const QXmlStreamAttributes a = xml.attributes();
        ReportObject o;
        o.kind = kind;
        o.name = a.value(QLatin1StringView("name")).toString();
        if (o.name.isEmpty())
            broken(QStringLiteral("объект без имени"));
        o.rect = QRectF(parseNumber(a, QLatin1StringView("left"), 0), parseNumber(a, QLatin1StringView("top"), 0),
                        parseNumber(a, QLatin1StringView("width"), 0), parseNumber(a, QLatin1StringView("height"), 0));
        o.visible = parseBool(a, QLatin1StringView("visible"), true);
        const auto align = a.value(QLatin1StringView("align"));
        o.align = align == QLatin1StringView("client") ? ObjectAlign::Client
                  : align == QLatin1StringView("right") ? ObjectAlign::Right
                                                        : ObjectAlign::None;
        if (a.value(QLatin1StringView("stretch")) == QLatin1StringView("actualHeight"))
            o.stretchMode = StretchMode::ActualHeight;
        o.onAfterData = a.value(QLatin1StringView("onAfterData")).toString();
        o.dataSet = a.value(QLatin1StringView("dataSet")).toString();
        o.dataField = a.value(QLatin1StringView("dataField")).toString();
        switch (kind) {
        case ReportObject::Kind::Memo: {
            o.font = t.defaultFont;
            if (a.hasAttribute(QLatin1StringView("style"))) {
                const QString style = a.value(QLatin1StringView("style")).toString();
                if (!styles.contains(style))
                    broken(QStringLiteral("стиль \"%1\"").arg(style));
                o.font = styles.value(style);
            }
            applyFont(a, o.font);
            if (a.hasAttribute(QLatin1StringView("fill")))
                o.fill = parseColor(a.value(QLatin1StringView("fill")).toString());
            const auto h = a.value(QLatin1StringView("hAlign"));
            o.hAlign = h == QLatin1StringView("center") ? HAlign::Center
                       : h == QLatin1StringView("right") ? HAlign::Right
                                                         : HAlign::Left;
            o.wordWrap = parseBool(a, QLatin1StringView("wordWrap"), true);
            o.allowHtmlTags = parseBool(a, QLatin1StringView("allowHtmlTags"), false);
            o.text = xml.readElementText();
            break;
        }
        case ReportObject::Kind::Picture:
            o.autoSize = parseBool(a, QLatin1StringView("autoSize"), false);
            if (a.hasAttribute(QLatin1StringView("picture")) && pictures)
                o.picture = pictures(a.value(QLatin1StringView("picture")).toString());
            xml.skipCurrentElement();
            break;
        case ReportObject::Kind::Stretch:
            o.spec.kind = a.value(QLatin1StringView("kind")).toString();
            o.spec.name = o.name;
            while (xml.readNextStartElement()) {
                if (xml.name() != QLatin1StringView("property"))
                    broken(xml.name().toString());
                const QString name = xml.attributes().value(QLatin1StringView("name")).toString();
                o.spec.properties.insert(name, xml.readElementText());
            }
            break;
        }
        return o;
    }

    Band readBand() {
        const QXmlStreamAttributes a = xml.attributes();
        Band b;
        b.name = a.value(QLatin1StringView("name")).toString();
        static const QHash<QString, BandKind> kinds = {
            {QStringLiteral("ReportTitle"), BandKind::ReportTitle},
            {QStringLiteral("Header"), BandKind::Header},
            {QStringLiteral("MasterData"), BandKind::MasterData},
            {QStringLiteral("GroupHeader"), BandKind::GroupHeader},
            {QStringLiteral("GroupFooter"), BandKind::GroupFooter},
            {QStringLiteral("PageFooter"), BandKind::PageFooter}};
        const QString kind = a.value(QLatin1StringView("kind")).toString();
        if (!kinds.contains(kind))
            broken(QStringLiteral("вид бэнда \"%1\"").arg(kind));
        b.kind = kinds.value(kind);
        b.top = parseNumber(a, QLatin1StringView("top"), 0);
        b.height = parseNumber(a, QLatin1StringView("height"), 0);
        b.visible = parseBool(a, QLatin1StringView("visible"), true);
        b.stretched = parseBool(a, QLatin1StringView("stretched"), false);
        b.dataSet = a.value(QLatin1StringView("dataSet")).toString();
        b.rowCount = int(parseNumber(a, QLatin1StringView("rowCount"), 0));
        b.condition = a.value(QLatin1StringView("condition")).toString();
        b.onBeforePrint = a.value(QLatin1StringView("onBeforePrint")).toString();
        while (xml.readNextStartElement())
            b.objects.append(readObjectElement());
        return b;
    }

    ReportObject readObjectElement() {
        const auto n = xml.name();
        if (n == QLatin1StringView("memo"))
            return readObject(ReportObject::Kind::Memo);
        if (n == QLatin1StringView("picture"))
            return readObject(ReportObject::Kind::Picture);
        if (n == QLatin1StringView("stretchObject"))
            return readObject(ReportObject::Kind::Stretch);
        broken(QStringLiteral("элемент \"%1\"").arg(n));
    }

    void readPage() {
        const QXmlStreamAttributes a = xml.attributes();
        t.paperWidthMm = parseNumber(a, QLatin1StringView("paperWidth"), t.paperWidthMm);
        t.paperHeightMm = parseNumber(a, QLatin1StringView("paperHeight"), t.paperHeightMm);
        t.marginLeftMm = parseNumber(a, QLatin1StringView("marginLeft"), t.marginLeftMm);
        t.marginRightMm = parseNumber(a, QLatin1StringView("marginRight"), t.marginRightMm);
        t.marginTopMm = parseNumber(a, QLatin1StringView("marginTop"), t.marginTopMm);
        t.marginBottomMm = parseNumber(a, QLatin1StringView("marginBottom"), t.marginBottomMm);
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1StringView("band"))
                t.bands.append(readBand());
            else
                t.pageObjects.append(readObjectElement());
        }
    }

    ReportTemplate load() {
        if (!xml.readNextStartElement() || xml.name() != QLatin1StringView("report"))
            broken(QStringLiteral("нет элемента report"));
        t.name = xml.attributes().value(QLatin1StringView("name")).toString();
        while (xml.readNextStartElement()) {
            const auto n = xml.name();
            if (n == QLatin1StringView("defaultFont")) {
                applyFont(xml.attributes(), t.defaultFont);
                xml.skipCurrentElement();
            } else if (n == QLatin1StringView("style")) {
                FontSpec f = t.defaultFont;
                applyFont(xml.attributes(), f);
                styles.insert(xml.attributes().value(QLatin1StringView("name")).toString(), f);
                xml.skipCurrentElement();
            } else if (n == QLatin1StringView("page")) {
                readPage();
            } else {
                broken(QStringLiteral("элемент \"%1\"").arg(n));
            }
        }
        if (xml.hasError())
            broken(xml.errorString());
        std::stable_sort(t.bands.begin(), t.bands.end(),
                         [](const Band &x, const Band &y) { return x.top < y.top; });
        return std::move(t);
    }
};

} // namespace

ReportTemplate loadTemplate(const QByteArray &xml, const PictureProvider &pictures) {
    Loader loader(xml, pictures);
    return loader.load();
}

} // namespace rezmira::report
