#include "zelm2008/windows/frmOption.h"

#include "zelm2008/engine/Trainer.h"
#include "zelm2008/windows/Twips.h"
#include "zelm2008/windows/WindowFonts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

namespace zelm {

namespace {
constexpr int kClientWidth = 4305;
constexpr int kClientHeight = 3705;

/// A value box lies over the middle of its bar: wheel turns on it move the bar.
class BarValueBox : public QLineEdit {
public:
    BarValueBox(QScrollBar *bar, QWidget *parent) : QLineEdit(parent), m_bar(bar) {}

protected:
    void wheelEvent(QWheelEvent *event) override {
        const int steps = event->angleDelta().y() / 120;
        m_bar->setValue(m_bar->value() + steps * m_bar->singleStep());
        event->accept();
    }

private:
    QScrollBar *m_bar;
};
} // namespace

void CentreOn(QWidget *window, const QWidget *owner) {
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        window->move(area.center() - window->rect().center());
}

void ShowCentred(QWidget *window) {
    if (!window->isVisible())
        CentreOn(window, window->parentWidget());
    window->show();
    window->raise();
    window->activateWindow();
}

frmOption::frmOption(Trainer &trainer, std::function<void()> storeWindowPosition,
                     QWidget *parent)
    : QDialog(parent), m_trainer(trainer), m_storeWindowPosition(std::move(storeWindowPosition)) {
    setObjectName(QStringLiteral("frmOption"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    const TwipsScale s = TwipsScale::forWidget(this);
    setFixedSize(s.size(kClientWidth, kClientHeight));
    setFont(DesignFont(QStringLiteral("Courier New"), 9.75));

    const QFont small = DesignFont(QStringLiteral("MS Sans Serif"), 8.25);
    Label_PMZ = addLabel("Label_PMZ", 120);
    HScroll_PMZ = addBar("HScroll_PMZ", 0, 3, 51, 2, 3);
    Text_PMZ = addBox("Text_PMZ", 0, 3);
    Label_PMG = addLabel("Label_PMG", 600);
    HScroll_PMG = addBar("HScroll_PMG", 480, 7, 55, 2, 7);
    Text_PMG = addBox("Text_PMG", 480, 7);
    Label_KZG = addLabel("Label_KZG", 1080);
    HScroll_KZG = addBar("HScroll_KZG", 960, 1, 10, 1, 5);
    Text_KZG = addBox("Text_KZG", 960, 5);
    Label_KGT = addLabel("Label_KGT", 1560);
    HScroll_KGT = addBar("HScroll_KGT", 1440, 1, 300, 1, 50);
    Text_KGT = addBox("Text_KGT", 1440, 50);
    Label_Freq = addLabel("Label_Freq", 2040);
    HScroll_Freq = addBar("HScroll_Freq", 1920, 500, 1500, 50, 800);
    Text_Freq = addBox("Text_Freq", 1920, 800);

    Label_Language = new QLabel(this);
    Label_Language->setObjectName(QStringLiteral("Label_Language"));
    Label_Language->setGeometry(s.rect(120, 2640, 1935, 255));
    Label_Language->setFont(small);
    Combo_Localize = new QComboBox(this);
    Combo_Localize->setObjectName(QStringLiteral("Combo_Localize"));
    Combo_Localize->setGeometry(s.rect(2160, 2640, 2055, 315));
    Combo_Localize->setFont(small);
    Check_V = new QCheckBox(QStringLiteral("VVV="), this);
    Check_V->setObjectName(QStringLiteral("Check_V"));
    Check_V->setGeometry(s.rect(120, 3240, 855, 255));
    Check_V->setFont(small);
    Check_V->setChecked(true);
    Check_AR = new QCheckBox(QStringLiteral("AR"), this);
    Check_AR->setObjectName(QStringLiteral("Check_AR"));
    Check_AR->setGeometry(s.rect(1560, 3240, 615, 255));
    Check_AR->setFont(small);
    Check_AR->setChecked(true);
    Command_OK = new QPushButton(this);
    Command_OK->setObjectName(QStringLiteral("Command_OK"));
    Command_OK->setGeometry(s.rect(2640, 3120, 1575, 495));
    Command_OK->setFont(small);

    Settings &st = m_trainer.settings;
    connect(HScroll_PMZ, &QScrollBar::valueChanged, this, &frmOption::onPMZ);
    connect(HScroll_PMG, &QScrollBar::valueChanged, this, &frmOption::onPMG);
    connect(HScroll_KZG, &QScrollBar::valueChanged, this, [this, &st](int v) {
        Text_KZG->setText(QString::number(v));
        st.KZG = v;
    });
    connect(HScroll_KGT, &QScrollBar::valueChanged, this, [this, &st](int v) {
        Text_KGT->setText(QString::number(v));
        st.KGT = v;
    });
    connect(HScroll_Freq, &QScrollBar::valueChanged, this, [this, &st](int v) {
        Text_Freq->setText(QString::number(v));
        st.Frequency = v;
        m_trainer.applyPitch();
    });
    connect(Check_V, &QCheckBox::toggled, this, [&st](bool on) { st.SendVVV = on; });
    connect(Check_AR, &QCheckBox::toggled, this, [&st](bool on) { st.SendAR = on; });
    connect(Combo_Localize, &QComboBox::activated, this, &frmOption::onLanguage);
    connect(Command_OK, &QPushButton::clicked, this, &QWidget::close);

    // Load: each bar takes its setting as it stands when the bar is set, so the pause rule run
    // by the PMG bar's handler shapes what the PMZ bar then takes.
    HScroll_Freq->setValue(st.Frequency);
    HScroll_KGT->setValue(st.KGT);
    HScroll_KZG->setValue(st.KZG);
    HScroll_PMG->setValue(st.PMG);
    HScroll_PMZ->setValue(st.PMZ);
    Check_V->setChecked(st.SendVVV);
    Check_AR->setChecked(st.SendAR);
    for (qsizetype i = 0; i < m_trainer.Languages.size(); ++i)
        Combo_Localize->addItem(m_trainer.languageDisplayName(static_cast<int>(i)));
    Combo_Localize->setCurrentIndex(m_trainer.LanguageIndex);
    onLanguage(m_trainer.LanguageIndex);
    FormActivate();
}

QLabel *frmOption::addLabel(const char *name, int top) {
    const TwipsScale s = TwipsScale::forWidget(this);
    auto *label = new QLabel(this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(s.rect(120, top, 2295, 255));
    label->setFont(DesignFont(QStringLiteral("MS Sans Serif"), 8.25));
    return label;
}

QScrollBar *frmOption::addBar(const char *name, int top, int min, int max, int step,
                              int design) {
    const TwipsScale s = TwipsScale::forWidget(this);
    auto *bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(QLatin1String(name));
    bar->setGeometry(s.rect(2640, top, 1575, 495));
    bar->setRange(min, max);
    bar->setSingleStep(step);
    bar->setPageStep(step);
    bar->setValue(design);
    return bar;
}

QLineEdit *frmOption::addBox(const char *name, int top, int design) {
    const TwipsScale s = TwipsScale::forWidget(this);
    auto *bar = findChild<QScrollBar *>(QString::fromLatin1(name).replace(
        QLatin1String("Text_"), QLatin1String("HScroll_")));
    auto *box = new BarValueBox(bar, this);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(s.rect(2880, top, 1095, 495));
    box->setAlignment(Qt::AlignCenter);
    box->setFont(DesignFont(QStringLiteral("Arial"), 20.25));
    box->setReadOnly(true); // the boxes only show their bar's value
    box->setFocusPolicy(Qt::NoFocus);
    box->setText(QString::number(design));
    return box;
}

void frmOption::onPMZ(int value) {
    Text_PMZ->setText(QString::number(value));
    Settings &st = m_trainer.settings;
    st.PMZ = Text_PMZ->text().toInt();
    if (st.PMG - st.PMZ < 4) {
        st.PMG = st.PMZ + 4;
        HScroll_PMG->setValue(st.PMG);
    }
    emit pausesChanged();
}

void frmOption::onPMG(int value) {
    Text_PMG->setText(QString::number(value));
    Settings &st = m_trainer.settings;
    st.PMG = value;
    if (st.PMG - st.PMZ < 4) {
        st.PMZ = st.PMG - 4;
        HScroll_PMZ->setValue(st.PMZ);
    }
    emit pausesChanged();
}

void frmOption::onLanguage(int index) {
    if (index < 0 || index >= m_trainer.Languages.size())
        return;
    m_trainer.LanguageIndex = index;
    if (m_storeWindowPosition)
        m_storeWindowPosition();
    m_trainer.SaveSettings();
    m_trainer.LoadLanguage();
}

void frmOption::FormActivate() {
    const Trainer &t = m_trainer;
    setWindowTitle(t.caption(28));
    Label_PMZ->setText(t.caption(29));
    Label_PMG->setText(t.caption(30));
    Label_KZG->setText(t.caption(31));
    Label_KGT->setText(t.caption(32));
    Label_Freq->setText(t.caption(33));
    Label_Language->setText(t.caption(34));
    Command_OK->setText(t.caption(35));
}

} // namespace zelm
