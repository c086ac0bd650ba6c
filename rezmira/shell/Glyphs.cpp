// The program's command glyphs and icon.
#include "rezmira/shell/Glyphs.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <array>

namespace rezmira {

namespace {

QIcon iconFromSvg(const QString &resource, std::initializer_list<int> sizes) {
    QSvgRenderer renderer(resource);
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon glyph(int index) {
    static const std::array<const char *, 8> names = {
        "printer", "zoom-plus", "zoom-minus", "open", "first", "previous", "next", "last"};
    if (index < 0 || index >= int(names.size()))
        return {};
    return iconFromSvg(QStringLiteral(":/rezmira/glyphs/%1.svg").arg(QLatin1String(names[index])),
                       {16, 24, 32});
}

QIcon programIcon() {
    return iconFromSvg(QStringLiteral(":/rezmira/rezmira.svg"), {16, 32, 48, 64, 128});
}

} // namespace rezmira
