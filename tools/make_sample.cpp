// Builds the demo result package samples/demo.rzt from samples/demo-result.xml and a drawn
// picture. Usage: make_sample SAMPLES_DIR
#include "tools/ZipWriter.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>

namespace {

// A red fire extinguisher with a black horn, drawn without fonts so no display is needed.
QByteArray extinguisherPng() {
    QImage image(96, 128, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(QColor(200, 30, 30));
        p.drawRoundedRect(30, 34, 36, 86, 8, 8);     // body
        p.setBrush(Qt::darkGray);
        p.drawRect(40, 22, 16, 12);                  // valve
        p.drawLine(56, 26, 74, 20);                  // handle
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygon({{40, 28}, {18, 40}, {10, 60}, {16, 62}, {24, 44}, {40, 34}})); // horn
        p.setBrush(Qt::white);
        p.drawRect(36, 60, 24, 30);                  // label
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample SAMPLES_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QFile xml(dir + QStringLiteral("/demo-result.xml"));
    if (!xml.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_sample: cannot read %s\n", qPrintable(xml.fileName()));
        return 1;
    }
    const QByteArray package = rezmira::tools::makeZip({
        {"content.xml", xml.readAll(), true},
        {"images/extinguisher.png", extinguisherPng(), false},
    });
    QSaveFile out(dir + QStringLiteral("/demo.rzt"));
    if (!out.open(QIODevice::WriteOnly) || out.write(package) != package.size() || !out.commit()) {
        std::fprintf(stderr, "make_sample: cannot write %s\n", qPrintable(out.fileName()));
        return 1;
    }
    std::printf("wrote %s (%lld bytes)\n", qPrintable(out.fileName()), static_cast<long long>(package.size()));
    return 0;
}
