#include "zelm2008/windows/frmAbout.h"

#include "zelm2008/engine/Trainer.h"
#include "zelm2008/windows/Twips.h"
#include "zelm2008/windows/WindowFonts.h"
#include "zelm2008/windows/frmOption.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace zelm {

namespace {
struct LabelPlace {
    int top, width, height;
};
constexpr LabelPlace kLabels[6] = {{120, 4575, 615}, {720, 4575, 255},  {1080, 4575, 255},
                                   {1320, 4455, 255}, {1800, 4575, 255}, {2040, 4575, 255}};
} // namespace

frmAbout::frmAbout(Trainer &trainer, QWidget *parent) : QDialog(parent), m_trainer(trainer) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    const TwipsScale s = TwipsScale::forWidget(this);
    setFixedSize(s.size(4800, 2985));
    setFont(DesignFont(QStringLiteral("Courier New"), 9.75));

    for (int i = 0; i < 6; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        const LabelPlace &p = kLabels[i];
        label->setGeometry(s.rect(120, p.top, p.width, p.height));
        label->setWordWrap(i == 0);
        label->setAlignment(i == 0 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        m_labels[static_cast<size_t>(i)] = label;
    }
    Command_OK = new QPushButton(this);
    Command_OK->setObjectName(QStringLiteral("Command_OK"));
    Command_OK->setGeometry(s.rect(1560, 2400, 1695, 495));
    connect(Command_OK, &QPushButton::clicked, this, &QWidget::close);

    Text_L1 = new QLabel(this);
    Text_L1->setObjectName(QStringLiteral("Text_L1"));
    Text_L1->setGeometry(s.rect(360, 2520, 4095, 285));
    Text_L1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Text_L1->setAutoFillBackground(true);
    Text_L1->setBackgroundRole(QPalette::Base);
    Text_L1->setFont(DesignFont(QStringLiteral("MS Sans Serif"), 8.25));
    Text_L1->hide();
    Text_L2 = new QLabel(this);
    Text_L2->setObjectName(QStringLiteral("Text_L2"));
    Text_L2->setGeometry(s.rect(360, 2520, 0, 285));
    Text_L2->setAutoFillBackground(true);
    QPalette bar = Text_L2->palette();
    bar.setColor(QPalette::Window, bar.color(QPalette::Active, QPalette::Highlight));
    Text_L2->setPalette(bar);
    Text_L2->hide();

    FormActivate();
}

void frmAbout::FormActivate() {
    setWindowTitle(m_trainer.caption(1));
    for (int i = 0; i < 6; ++i)
        m_labels[static_cast<size_t>(i)]->setText(m_trainer.caption(2 + i));
    Command_OK->setText(m_trainer.caption(8));
}

void frmAbout::BeginProgress() {
    Command_OK->hide();
    if (!isVisible())
        CentreOn(this, parentWidget());
    show();
    repaint();
    Text_L1->show();
    Text_L1->repaint();
    Text_L2->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmAbout::SetProgress(int k) {
    const TwipsScale s = TwipsScale::forWidget(this);
    m_progressTwips = 705 + 3 * k;
    Text_L2->resize(s.px(m_progressTwips), Text_L2->height());
    Text_L2->repaint();
}

void frmAbout::EndProgress() {
    Text_L1->show();
    Text_L2->show();
    Command_OK->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    close();
}

} // namespace zelm
