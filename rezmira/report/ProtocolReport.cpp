#include "rezmira/report/ProtocolReport.h"

#include "rezmira/Error.h"
#include "rezmira/report/engine/Value.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

namespace rezmira::report {

QByteArray mainReportResource() {
    QFile file(QStringLiteral(":/rezmira/report/MainReport.xml"));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Шаблон отчёта MAINREPORT не найден"));
    return file.readAll();
}

QImage resultIcon(ResultIcon icon) {
    constexpr int kScale = 4;
    QImage image(16 * kScale, 16 * kScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kScale);
    image.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor maroon(0x80, 0x00, 0x00);
    const QPointF centre(8, 8);
    const double radius = 5; // 10 units across
    switch (icon) {
    case ResultIcon::Full:
        p.setPen(Qt::NoPen);
        p.setBrush(maroon);
        p.drawEllipse(centre, radius, radius);
        break;
    case ResultIcon::Partial: {
        QPainterPath lower;
        lower.moveTo(centre.x() - radius, centre.y());
        lower.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 180, 180);
        lower.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(maroon);
        p.drawPath(lower);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(maroon, 1.25));
        p.drawEllipse(centre, radius - 0.625, radius - 0.625);
        break;
    }
    case ResultIcon::None:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(maroon, 1.25));
        p.drawEllipse(centre, radius - 0.625, radius - 0.625);
        break;
    }
    return image;
}

ReportTemplate loadMainReport() {
    return loadTemplate(mainReportResource(), [](const QString &name) {
        if (name == QLatin1StringView("full"))
            return resultIcon(ResultIcon::Full);
        if (name == QLatin1StringView("partial"))
            return resultIcon(ResultIcon::Partial);
        if (name == QLatin1StringView("none"))
            return resultIcon(ResultIcon::None);
        return QImage();
    });
}

void addProtocolHandlers(ReportEngine &engine) {
    const QString q = QStringLiteral("MainQuery");
    engine.addHandler(QStringLiteral("Header3OnBeforePrint"), [q](ScriptContext &c) {
        if (toNumber(c.value(q, QStringLiteral("СекцийВсего"))) <= 1 ||
            toNumber(c.value(q, QStringLiteral("СекцийПройдено"))) == 0) {
            for (const char *band : {"Header3", "GroupHeader1", "MasterData1", "GroupFooter1"})
                c.setBandVisible(QString::fromLatin1(band), false);
        }
    });
    engine.addHandler(QStringLiteral("Header2OnBeforePrint"), [q](ScriptContext &c) {
        if (toNumber(c.value(q, QStringLiteral("ВопросовПройдено"))) == 0) {
            c.setBandVisible(QStringLiteral("Header2"), false);
            c.setBandVisible(QStringLiteral("MasterData2"), false);
        }
    });
    engine.addHandler(QStringLiteral("Memo29OnAfterData"), [](ScriptContext &c) {
        c.setMemoText(QStringLiteral("Memo29"), c.bandVisible(QStringLiteral("Header3"))
                                                    ? QStringLiteral("4. Протокол тестирования")
                                                    : QStringLiteral("3. Протокол тестирования"));
    });
    engine.addHandler(QStringLiteral("Picture3OnAfterData"), [q](ScriptContext &c) {
        const double rating = toNumber(c.value(q, QStringLiteral("БалловНабраноЗаВопрос")));
        const double maximum = toNumber(c.value(q, QStringLiteral("БалловВсегоЗаВопрос")));
        const char *source = rating == maximum ? "ranswimg" : (rating == 0 ? "wanswimg" : "manswimg");
        c.copyPicture(QString::fromLatin1(source), QStringLiteral("Picture3"));
    });
}

ProtocolReport::ProtocolReport(const ResultTables &tables, XmlValueFunction xmlValue,
                               StretchObjectFactory factory)
    : m_query(tables), m_engine(loadMainReport()) {
    m_engine.addDataSource(&m_query);
    m_engine.setStretchObjectFactory(std::move(factory));
    addProtocolHandlers(m_engine);
    m_engine.addFunction(QStringLiteral("XMLValue"), [xmlValue](const QVariantList &args) -> QVariant {
        if (!xmlValue)
            return QString();
        auto bytes = [&](qsizetype i) {
            if (i >= args.size())
                return QByteArray();
            return args[i].typeId() == QMetaType::QByteArray ? args[i].toByteArray()
                                                             : displayText(args[i]).toUtf8();
        };
        return xmlValue(bytes(0), args.size() > 1 ? displayText(args[1]) : QString());
    });
}

} // namespace rezmira::report
