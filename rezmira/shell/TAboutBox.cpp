// The About box "О программе".
#include "rezmira/shell/TAboutBox.h"

#include "rezmira/shell/Glyphs.h"
#include "rezmira/shell/ModalRunner.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace rezmira {

namespace {

QFont arial(int pixelHeight, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QLabel *fixedLabel(QWidget *parent, const char *name, const QRect &geometry, const QFont &font) {
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(font);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent, const QByteArray &versionBlock)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      FVersion(ReadVersionInfo(versionBlock)),
      FOpenUrl([](const QUrl &url) { QDesktopServices::openUrl(url); }) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(300, 183);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    auto *Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(0, 0, 300, 36);
    Shape1->setAutoFillBackground(true);
    QPalette band = Shape1->palette();
    band.setColor(QPalette::Window, palette().color(QPalette::Inactive, QPalette::Highlight));
    Shape1->setPalette(band);

    auto *Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 2, 32, 32);
    Image1->setPixmap(programIcon().pixmap(32, 32));

    ProductNameLbl = fixedLabel(this, "ProductNameLbl", QRect(50, 6, 213, 25), arial(16, true));
    ProductNameLbl->setAlignment(Qt::AlignCenter);
    QPalette white = ProductNameLbl->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    ProductNameLbl->setPalette(white);

    VersionLbl = fixedLabel(this, "VersionLbl", QRect(0, 50, 300, 13), arial(11));
    CopyrightLbl = fixedLabel(this, "CopyrightLbl", QRect(0, 72, 300, 33), arial(11));

    Label1 = fixedLabel(this, "Label1", QRect(0, 108, 300, 14), arial(11));
    QFont link = Label1->font();
    link.setUnderline(true);
    Label1->setFont(link);
    QPalette navy = Label1->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    Label1->setPalette(navy);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setText(makerWebAddress());
    Label1->installEventFilter(this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 147, 75, 25);
    OKButton->setDefault(true);
    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    ProductNameLbl->setText(productNameLabel(FVersion));
    VersionLbl->setText(versionLabel(FVersion));
    CopyrightLbl->setText(copyrightLabel(FVersion));
}

void TAboutBox::Execute(const QWidget *mainWindow) {
    centreOn(*this, mainWindow);
    OKButton->setFocus();
    runModal(*this);
}

void TAboutBox::Label1Click() { FOpenUrl(QUrl(makerWebAddress())); }

bool TAboutBox::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace rezmira
