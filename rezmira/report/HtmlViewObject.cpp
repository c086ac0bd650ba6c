#include "rezmira/report/HtmlViewObject.h"

#include "rezmira/report/html/ResourceLoaders.h"
#include "rezmira/report/html/TIMGResolver.h"
#include "rezmira/report/html/TfrxHTMLView.h"
#include "rezmira/report/html/TransformXmlValue.h"

namespace rezmira::report {

namespace {

class HtmlViewObject final : public StretchObject {
public:
    explicit HtmlViewObject(const StretchObjectSpec &spec) { m_view.XSLStyle = spec.properties.value(QStringLiteral("XSLStyle")); }

    void FetchData(const QVariant &value) override { m_view.FetchData(value); }
    double CalcHeight(double width) override { return m_view.CalcHeight(width); }
    void ResetParts() override { m_view.ResetParts(); }
    double PaintNextPart(double width, double height) override { return m_view.PaintNextPart(width, height); }
    QByteArray WriteState() const override { return m_view.WriteHtmlCont(); }
    void ReadState(const QByteArray &state) override { m_view.ReadHtmlCont(state); }
    void Paint(QPainter &painter, const QRectF &rect) override { m_view.Paint(painter, rect); }

private:
    TfrxHTMLView m_view;
};

} // namespace

StretchObjectFactory htmlViewFactory() {
    return [](const StretchObjectSpec &spec) -> std::unique_ptr<StretchObject> {
        if (spec.kind.compare(QLatin1StringView("HTML"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return std::make_unique<HtmlViewObject>(spec);
    };
}

XmlValueFunction xmlValueFunction(const QString &stylesPath) {
    return [stylesPath](const QByteArray &content, const QString &style) {
        return TransformXmlValue(content, style, stylesPath);
    };
}

void setUpHtmlView(const QByteArray &package, const QString &stylesPath) {
    HTMLViewStylesPath() = stylesPath;
    ImageResolver().OnResourceImage = [&package](const QString &name, QByteArray &target) {
        LoadPackageResource(package, name, target);
    };
    ImageResolver().OnFileImage = [stylesPath](const QString &name, QByteArray &target) {
        LoadStyleResource(stylesPath, name, target);
    };
}

} // namespace rezmira::report
