#include "zelm2008/windows/frmMain.h"

#include "zelm2008/engine/CodePage.h"
#include "zelm2008/engine/KeyingPlayer.h"
#include "zelm2008/engine/KeyingRun.h"
#include "zelm2008/engine/ToneOutput.h"
#include "zelm2008/engine/Trainer.h"
#include "zelm2008/windows/BoxText.h"
#include "zelm2008/windows/DigitDisplay.h"
#include "zelm2008/windows/LearnerTexts.h"
#include "zelm2008/windows/Twips.h"
#include "zelm2008/windows/WindowFonts.h"
#include "zelm2008/windows/frmAbout.h"
#include "zelm2008/windows/frmHelp.h"
#include "zelm2008/windows/frmInput.h"
#include "zelm2008/windows/frmOption.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>
#include <limits>

namespace zelm {

namespace {
// Layout in twips. The design client area is 10230 × 4905; the window heights 5625 and 3300
// count the title bar, menu bar and border, 720 twips at design time.
constexpr int kClientWidth = 10230;
constexpr int kNonClientHeight = 720;
constexpr int kShownHeight = 5625;
constexpr int kHiddenHeight = 3300;
constexpr int kArrowTwips = 240; // each digit box starts 240 twips below its bar's top

QString digitName(const char *base, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(i);
}

qint16 toInt16(int v) {
    return static_cast<qint16>(std::clamp<int>(v, std::numeric_limits<qint16>::min(),
                                                std::numeric_limits<qint16>::max()));
}
} // namespace

frmMain::frmMain(Trainer &trainer, KeyingPlayer &player, ToneOutput &output, QWidget *parent)
    : QMainWindow(parent), m_trainer(trainer), m_player(player), m_output(output) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/zelm2008/zelm2008.svg")));
    buildMenus();
    buildControls();
    connect(&m_player, &KeyingPlayer::started, this, &frmMain::onRunStarted);
    connect(&m_player, &KeyingPlayer::finished, this, &frmMain::onRunFinished);
    LoadForm();
}

frmMain::~frmMain() = default;

frmInput *frmMain::inputWindow() const { return m_input; }
frmOption *frmMain::optionWindow() const { return m_option; }
frmHelp *frmMain::helpWindow() const { return m_help; }
frmAbout *frmMain::aboutWindow() const { return m_about; }

void frmMain::buildMenus() {
    mnuFile = menuBar()->addMenu(QString());
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuExit = mnuFile->addAction(QString());
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuOptions = menuBar()->addAction(QString());
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    mnuHelp = menuBar()->addMenu(QString());
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuIndex = mnuHelp->addAction(QString());
    mnuIndex->setObjectName(QStringLiteral("mnuIndex"));
    mnuAbout = mnuHelp->addAction(QString());
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuOptions, &QAction::triggered, this, &frmMain::showOptions);
    connect(mnuIndex, &QAction::triggered, this, &frmMain::showHelp);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::showAbout);
}

void frmMain::buildControls() {
    const TwipsScale s = TwipsScale::forWidget(this);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("frmMainClient"));
    // The form's font reaches every control that does not name its own; menus keep the
    // platform's menu font.
    m_client->setFont(DesignFont(QStringLiteral("Courier New"), 9.75));
    m_client->setFixedWidth(s.px(kClientWidth));
    setCentralWidget(m_client);

    // A raised edge under the menu bar.
    Line1 = new QFrame(m_client);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(0, 0, s.px(10200), 1);
    Line1->setStyleSheet(QStringLiteral("background: #808080"));
    Line2 = new QFrame(m_client);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setGeometry(0, 1, s.px(10200), 1);
    Line2->setStyleSheet(QStringLiteral("background: #FFFFFF"));

    auto frame = [&](const char *name, QRect r) {
        auto *f = new QGroupBox(m_client);
        f->setObjectName(QLatin1String(name));
        f->setGeometry(r);
        return f;
    };
    Frame_Number = frame("Frame_Number", s.rect(120, 120, 2415, 1815));
    Frame_Speed = frame("Frame_Speed", s.rect(2640, 120, 2415, 1815));
    Frame_Tip = frame("Frame_Tip", s.rect(5160, 120, 2775, 1815));
    Frame_Pusk = frame("Frame_Pusk", s.rect(8040, 120, 2055, 1815));

    const QFont digitFont = DesignFont(QStringLiteral("Arial"), 36);
    auto digit = [&](QGroupBox *parent, const char *barName, const char *boxName, int i, int max,
                     int left, int top, int designValue) {
        auto *d = new DigitDisplay(0, max, digitName(boxName, i), parent);
        d->setObjectName(digitName(barName, i));
        d->setGeometry(s.rect(left, top, 495, 1455));
        d->setArrowHeight(s.px(kArrowTwips));
        d->setDigitFont(digitFont);
        d->setValue(designValue);
        return d;
    };
    const int numberDesign[4] = {2, 0, 0, 8};
    for (int i = 0; i < 4; ++i)
        VScroll_Number[static_cast<size_t>(i)] = digit(Frame_Number, "VScroll_Number",
                                                       "Text_Number", i, 9, 240 + 480 * i, 240,
                                                       numberDesign[i]);
    // Speed: hundreds 0–2, tens and units 0–9; one row at window left 3120, 3600, 4080.
    for (int i = 0; i < 3; ++i)
        VScroll_Speed[static_cast<size_t>(i)] = digit(Frame_Speed, "VScroll_Speed", "Text_Speed",
                                                      i, i == 0 ? 2 : 9, 480 + 480 * i, 240,
                                                      i == 0 ? 1 : 0);

    // The unit length and PARIS speed sit on the speed frame's bottom edge, under the digits.
    Label_Unit = new QLabel(m_client);
    Label_Unit->setObjectName(QStringLiteral("Label_Unit"));
    Label_Unit->setFont(DesignFont(QStringLiteral("Arial"), 7.5));
    Label_Unit->setAutoFillBackground(true);
    Label_Unit->setAlignment(Qt::AlignCenter);

    Combo_Tip = new QComboBox(Frame_Tip);
    Combo_Tip->setObjectName(QStringLiteral("Combo_Tip"));
    Combo_Tip->setGeometry(s.rect(120, 360, 2535, 330));
    Combo_Tip->setFont(DesignFont(QStringLiteral("Courier New"), 8.25));
    Text_Spec = new QLineEdit(Frame_Tip);
    Text_Spec->setObjectName(QStringLiteral("Text_Spec"));
    Text_Spec->setGeometry(s.rect(120, 840, 2535, 375));
    Text_Spec->setFont(DesignFont(QStringLiteral("Courier New"), 8.25));
    Text_Spec->hide();
    Command_Refr = new QPushButton(Frame_Tip);
    Command_Refr->setObjectName(QStringLiteral("Command_Refr"));
    Command_Refr->setGeometry(s.rect(120, 1320, 2535, 375));

    const QFont bigButton = DesignFont(QStringLiteral("Courier New"), 15.75, true);
    Command_Start = new QPushButton(Frame_Pusk);
    Command_Start->setObjectName(QStringLiteral("Command_Start"));
    Command_Start->setGeometry(s.rect(240, 360, 1575, 615));
    Command_Start->setFont(bigButton);
    Command_Stop = new QPushButton(Frame_Pusk);
    Command_Stop->setObjectName(QStringLiteral("Command_Stop"));
    Command_Stop->setGeometry(s.rect(240, 1080, 1575, 615));
    Command_Stop->setFont(bigButton);
    Command_Stop->setEnabled(false);

    auto button = [&](const char *name, QRect r) {
        auto *b = new QPushButton(m_client);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(r);
        return b;
    };
    Command_View = button("Command_View", s.rect(120, 2040, 3855, 495));
    Command_Input = button("Command_Input", s.rect(4080, 2040, 3855, 495));
    Command_Exit = button("Command_Exit", s.rect(8040, 2040, 2055, 495));

    Text_Text = new QPlainTextEdit(m_client);
    Text_Text->setObjectName(QStringLiteral("Text_Text"));
    Text_Text->setGeometry(s.rect(120, 2640, 9975, 2175));
    Text_Text->setFont(DesignFont(QStringLiteral("Courier New"), 12, true));
    Text_Text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text_Text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text_Text->installEventFilter(this);

    for (size_t i = 0; i < VScroll_Number.size(); ++i)
        connect(VScroll_Number[i], &DigitDisplay::valueChanged, this, &frmMain::onNumberChanged);
    for (size_t i = 0; i < VScroll_Speed.size(); ++i)
        connect(VScroll_Speed[i], &DigitDisplay::valueChanged, this,
                [this, i] { onSpeedChanged(static_cast<int>(i)); });
    connect(Combo_Tip, &QComboBox::activated, this, &frmMain::onTypeChosen);
    connect(Command_Refr, &QPushButton::clicked, this, &frmMain::onRefresh);
    connect(Command_Start, &QPushButton::clicked, this, &frmMain::onStart);
    connect(Command_Stop, &QPushButton::clicked, this, [this] { m_player.requestStop(); });
    connect(Command_View, &QPushButton::clicked, this, &frmMain::ToggleView);
    connect(Command_Input, &QPushButton::clicked, this, &frmMain::onInputButton);
    connect(Command_Exit, &QPushButton::clicked, this, &QWidget::close);
    connect(Text_Text, &QPlainTextEdit::textChanged, this, &frmMain::updateUnitInfo);

    // Command_Stop is the window's cancel button: Esc presses it while it is enabled.
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, [this] {
        if (Command_Stop->isEnabled())
            Command_Stop->click();
    });
}

void frmMain::LoadForm() {
    m_inputOpen = false;
    m_trainer.Loading = true;
    const TwipsScale s = TwipsScale::forWidget(this);
    move(s.px(m_trainer.settings.WindowLeft), s.px(m_trainer.settings.WindowTop));

    // Setting a digit runs its change handler, which reads all digits back into the setting.
    const int number = std::clamp(m_trainer.settings.TextNumber, 0, 9999);
    const int numberDigits[4] = {number / 1000, number / 100 % 10, number / 10 % 10, number % 10};
    for (size_t i = 0; i < 4; ++i)
        VScroll_Number[i]->setValue(numberDigits[i]);
    const int speed = std::clamp(m_trainer.settings.Speed, 0, 299);
    const int speedDigits[3] = {speed / 100, speed / 10 % 10, speed % 10};
    for (size_t i = 0; i < 3; ++i)
        VScroll_Speed[i]->setValue(speedDigits[i]);
    Text_Spec->setText(m_trainer.text(m_trainer.settings.SpecialText));
    m_trainer.Loading = false;

    // The options window, loaded hidden, applies the stored frequency to the tone image.
    m_option = new frmOption(m_trainer, [this] { StoreWindowPosition(); }, this);
    setFormHeight(m_trainer.settings.TextHidden ? kHiddenHeight : kShownHeight);
}

void frmMain::FormActivate() {
    const Trainer &t = m_trainer;
    setWindowTitle(t.caption(11));
    mnuFile->setTitle(t.caption(12));
    mnuExit->setText(t.caption(13));
    mnuHelp->setTitle(t.caption(14));
    mnuIndex->setText(t.caption(15));
    mnuAbout->setText(t.caption(16));
    mnuOptions->setText(t.caption(26));
    Frame_Number->setTitle(t.caption(17));
    Frame_Speed->setTitle(t.caption(18));
    Frame_Tip->setTitle(t.caption(19));
    Command_Refr->setText(t.caption(20));
    Frame_Pusk->setTitle(t.caption(21));
    Command_Start->setText(t.caption(22));
    Command_Stop->setText(t.caption(23));
    Command_Exit->setText(t.caption(27));
    Command_Input->setText(t.caption(m_inputOpen ? 36 : 37));

    // The view state is applied again without changing it.
    m_trainer.settings.TextHidden = !m_trainer.settings.TextHidden;
    ToggleView();

    Combo_Tip->clear();
    for (const QByteArray &name : t.TypeNames)
        Combo_Tip->addItem(t.text(name));
    Combo_Tip->setCurrentIndex(m_trainer.settings.TextType);

    m_trainer.rebuildCodeUnits();
    onTypeChosen(m_trainer.settings.TextType);
}

void frmMain::ToggleView() {
    Settings &st = m_trainer.settings;
    if (st.TextHidden) {
        setFormHeight(kShownHeight);
        Command_View->setText(m_trainer.caption(24));
        st.TextHidden = false;
    } else {
        setFormHeight(kHiddenHeight);
        Command_View->setText(m_trainer.caption(25));
        st.TextHidden = true;
    }
}

void frmMain::setFormHeight(int twips) {
    const TwipsScale s = TwipsScale::forWidget(this);
    const int clientHeight = s.px(twips - kNonClientHeight);
    m_client->setFixedHeight(clientHeight);
    setFixedSize(s.px(kClientWidth), menuBar()->sizeHint().height() + clientHeight);
}

void frmMain::StoreWindowPosition() {
    const TwipsScale s = TwipsScale::forWidget(this);
    m_trainer.settings.WindowLeft = toInt16(s.twips(pos().x()));
    m_trainer.settings.WindowTop = toInt16(s.twips(pos().y()));
}

void frmMain::onNumberChanged() {
    int number = 0;
    for (DigitDisplay *d : VScroll_Number)
        number = number * 10 + d->box()->text().toInt();
    m_trainer.settings.TextNumber = number;
    if (m_trainer.Loading)
        return;
    m_trainer.GenerateText();
    showPracticeText();
}

void frmMain::onSpeedChanged(int index) {
    // No speed below 20: with the hundreds at 0 the tens are at least 2. Setting the tens runs
    // this handler again for them.
    if ((index == 0 || index == 1) && VScroll_Speed[0]->value() == 0 &&
        VScroll_Speed[1]->value() < 2)
        VScroll_Speed[1]->setValue(2);
    int speed = 0;
    for (DigitDisplay *d : VScroll_Speed)
        speed = speed * 10 + d->box()->text().toInt();
    m_trainer.settings.Speed = speed;
    updateUnitInfo();
}

void frmMain::onTypeChosen(int index) {
    m_trainer.chooseSet(index);
    updateSpecialControls();
    showPracticeText();
}

void frmMain::onRefresh() {
    m_trainer.settings.SpecialText = m_trainer.bytes(Text_Spec->text());
    onTypeChosen(Combo_Tip->currentIndex());
}

void frmMain::updateSpecialControls() {
    const bool special = m_trainer.settings.TextType == SpecialType;
    Text_Spec->setVisible(special);
    Command_Refr->setVisible(special);
}

void frmMain::showPracticeText() {
    if (m_trainer.Loading)
        return;
    Text_Text->setPlainText(ToBoxText(m_trainer, m_trainer.PracticeText));
}

void frmMain::updateUnitInfo() {
    const QByteArray text = upperBytes(FromBoxText(m_trainer, Text_Text->toPlainText()),
                                       m_trainer.Charset);
    const RunCount count = countRun(text, m_trainer.NationalOpening, m_trainer.CodeUnits,
                                    m_trainer.settings.PMZ, m_trainer.settings.PMG);
    const int unitMs = count.B > 0 ? unitMsFor(count.B, m_trainer.settings.Speed) : 0;
    Label_Unit->setText(UnitInfoText(unitMs, AidLanguageFor(m_trainer.Charset)));
    Label_Unit->setToolTip(Label_Unit->text());
    const int w = Label_Unit->fontMetrics().horizontalAdvance(Label_Unit->text()) + 8;
    const int h = Label_Unit->fontMetrics().height();
    const QRect frame = Frame_Speed->geometry();
    const int bottomEdge = frame.bottom() - 1; // where the frame draws its bottom line
    Label_Unit->setGeometry(frame.center().x() - w / 2, std::min(bottomEdge - h / 2, frame.bottom() + 6 - h),
                            w, h);
    Label_Unit->raise();
}

void frmMain::onStart() {
    m_trainer.PracticeText = FromBoxText(m_trainer, Text_Text->toPlainText());
    m_player.KeyText();
}

void frmMain::onRunStarted() {
    Command_Start->setEnabled(false);
    Command_Stop->setEnabled(true);
    showPracticeText(); // the text as keyed: upper-cased
    if (m_input) {
        m_input->setKeyingActive(true);
        if (m_inputOpen) {
            m_input->activateWindow();
            m_input->focusText();
        }
    }
}

void frmMain::onRunFinished() {
    Command_Start->setEnabled(true);
    Command_Stop->setEnabled(false);
    if (m_input)
        m_input->setKeyingActive(false);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Text_Text && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // A key that types stops the run, and the run goes on with the box's text as it was
        // before this key (upper-cased) should it pass another check point.
        if (!key->text().isEmpty()) {
            m_player.requestStop();
            m_trainer.PracticeText = upperBytes(
                FromBoxText(m_trainer, Text_Text->toPlainText()), m_trainer.Charset);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::onInputButton() {
    if (m_inputOpen) {
        Command_Input->setText(m_trainer.caption(37));
        if (m_input)
            m_input->close();
    } else {
        Command_Input->setText(m_trainer.caption(36));
        openInput();
    }
}

void frmMain::openInput() {
    if (m_input && !m_inputOpen)
        m_input = nullptr; // closed and about to go: a new one loads afresh
    if (!m_input) {
        m_input = new frmInput(m_trainer, m_inputOpen, this);
        m_input->setKeyingActive(m_player.isRunning());
        connect(m_input, &QObject::destroyed, this, [this] {
            if (!m_ending)
                Command_Input->setText(m_trainer.caption(m_inputOpen ? 36 : 37));
        });
    }
    m_input->show();
    m_input->raise();
    m_input->activateWindow();
}

void frmMain::showOptions() {
    if (!m_option)
        m_option = new frmOption(m_trainer, [this] { StoreWindowPosition(); }, this);
    connect(m_option, &frmOption::pausesChanged, this, &frmMain::updateUnitInfo,
            Qt::UniqueConnection);
    ShowCentred(m_option);
}

void frmMain::showHelp() {
    if (!m_help)
        m_help = new frmHelp(m_trainer, this);
    ShowCentred(m_help);
}

void frmMain::showAbout() {
    if (!m_about)
        m_about = new frmAbout(m_trainer, this);
    ShowCentred(m_about);
}

void frmMain::closeEvent(QCloseEvent *event) {
    if (!m_ending) {
        m_ending = true;
        m_player.requestStop();
        m_output.stopNow(); // ToneOff
        StoreWindowPosition();
        m_trainer.SaveSettings();
        for (QWidget *w : {static_cast<QWidget *>(m_input), static_cast<QWidget *>(m_help),
                           static_cast<QWidget *>(m_about), static_cast<QWidget *>(m_option)}) {
            if (w)
                w->close();
        }
        if (m_option)
            delete m_option; // loaded hidden, it does not go away by closing
        emit programEnded();
    }
    event->accept();
}

} // namespace zelm
