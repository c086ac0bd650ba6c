// The trainer windows offscreen, bound to a real trainer in a temporary files folder, keying on
// a virtual clock.
#include "zelm2008/engine/Clock.h"
#include "zelm2008/engine/CodePage.h"
#include "zelm2008/engine/KeyingPlayer.h"
#include "zelm2008/engine/ToneOutput.h"
#include "zelm2008/engine/Trainer.h"
#include "zelm2008/windows/DigitDisplay.h"
#include "zelm2008/windows/Twips.h"
#include "zelm2008/windows/frmAbout.h"
#include "zelm2008/windows/frmHelp.h"
#include "zelm2008/windows/frmInput.h"
#include "zelm2008/windows/frmMain.h"
#include "zelm2008/windows/frmOption.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace zelm;

namespace {

/// Records the tone events of a run and whether the tone sounds now.
class RecordingToneOutput final : public ToneOutput {
public:
    void ToneOn(const ToneImage &image, qint64 atMs) override {
        on = true;
        ++tones;
        lastRate = image.samples().sampleRate;
        lastOnMs = atMs;
    }
    void ToneOff(qint64) override { on = false; }
    void stopNow() override {
        on = false;
        ++stops;
    }
    bool on = false;
    int tones = 0;
    int stops = 0;
    int lastRate = 0;
    qint64 lastOnMs = 0;
};

/// A first start in an empty folder, then the main window as the program shows it.
class TrainerWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        start();
    }

    void start() {
        m_main.reset();
        m_player.reset();
        m_trainer = std::make_unique<Trainer>(m_dir.path());
        ASSERT_EQ(m_trainer->startUp(5), PlatformVerdict::Supported);
        m_player = std::make_unique<KeyingPlayer>(*m_trainer, m_output, m_clock);
        m_main = std::make_unique<frmMain>(*m_trainer, *m_player, m_output);
        m_main->show();
        m_main->activateWindow(); // Esc reaches Command_Stop only in the active window
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_main.get()));
        m_main->FormActivate();
    }

    template <typename T> T *control(const char *name, QWidget *in = nullptr) const {
        T *c = (in ? in : static_cast<QWidget *>(m_main.get()))
                   ->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    DigitDisplay *digit(const char *name) const { return control<DigitDisplay>(name); }
    QString box() const { return control<QPlainTextEdit>("Text_Text")->toPlainText(); }
    Settings &settings() { return m_trainer->settings; }

    /// Writes a Cyrillic language file "ru.lng" (Charset 204) with Russian captions 0, 11, 22.
    void writeRussianLanguage() {
        std::array<QByteArray, 44> captions = defaultCaptions();
        captions[0] = fromUnicode(QStringLiteral("Русский"), 204);
        captions[11] = fromUnicode(QStringLiteral("ЗЕЛМ-2008."), 204);
        captions[22] = fromUnicode(QStringLiteral("Пуск"), 204);
        QByteArray file;
        for (const QByteArray &c : captions)
            file += c + "\r\n";
        file += "204\r\n";
        QFile f(m_dir.filePath(QStringLiteral("ru.lng")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(file);
    }

    QTemporaryDir m_dir;
    RecordingToneOutput m_output;
    VirtualClock m_clock;
    std::unique_ptr<Trainer> m_trainer;
    std::unique_ptr<KeyingPlayer> m_player;
    std::unique_ptr<frmMain> m_main;
};

} // namespace

TEST_F(TrainerWindows, LoadsTheStoredSettingsIntoTheDigitsAndShowsTheText) {
    EXPECT_EQ(control<QLineEdit>("Text_Number_0")->text(), QStringLiteral("2"));
    EXPECT_EQ(control<QLineEdit>("Text_Number_3")->text(), QStringLiteral("9"));
    EXPECT_EQ(control<QLineEdit>("Text_Speed_0")->text(), QStringLiteral("1"));
    EXPECT_EQ(control<QLineEdit>("Text_Speed_1")->text(), QStringLiteral("2"));
    EXPECT_EQ(settings().TextNumber, 2009);
    EXPECT_EQ(settings().Speed, 120);
    EXPECT_EQ(m_main->windowTitle(), QStringLiteral("ZELM-2008."));
    EXPECT_TRUE(box().startsWith(QStringLiteral("VVV=\n")));
    EXPECT_EQ(control<QComboBox>("Combo_Tip")->count(), 13);
    EXPECT_FALSE(control<QLineEdit>("Text_Spec")->isVisible());
    EXPECT_FALSE(control<QPushButton>("Command_Stop")->isEnabled());
    EXPECT_FALSE(control<QLabel>("Label_Unit")->text().isEmpty());
}

TEST_F(TrainerWindows, NumberArrowsStepTheDigitAndRegenerateTheText) {
    const QString before = box();
    QTest::mouseClick(control<QToolButton>("Text_Number_3_Up"), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("Text_Number_3")->text(), QStringLiteral("9")); // 9 is the top
    EXPECT_EQ(box(), before);
    QTest::mouseClick(control<QToolButton>("Text_Number_2_Up"), Qt::LeftButton);
    EXPECT_EQ(settings().TextNumber, 2019);
    EXPECT_NE(box(), before);
    QTest::mouseClick(control<QToolButton>("Text_Number_2_Down"), Qt::LeftButton);
    EXPECT_EQ(settings().TextNumber, 2009);
    EXPECT_EQ(box(), before); // one number, one text
}

TEST_F(TrainerWindows, SpeedNeverGoesBelowTwenty) {
    auto *hundreds = digit("VScroll_Speed_0");
    auto *tens = digit("VScroll_Speed_1");
    auto *units = digit("VScroll_Speed_2");
    struct Step {
        const char *name;
        DigitDisplay *bar;
        int value;
        int speed;
    };
    const Step steps[] = {
        {"tens 1 under hundreds 1 stay", tens, 1, 110},
        {"hundreds to 0 turns tens 1 into 2", hundreds, 0, 20},
        {"tens cannot go below 2 under hundreds 0", tens, 0, 20},
        {"units still free", units, 9, 29},
        {"hundreds back to 1", hundreds, 1, 129},
        {"tens 0 under hundreds 1", tens, 0, 109},
        {"hundreds to 0 turns tens 0 into 2", hundreds, 0, 29},
        {"highest speed", hundreds, 2, 229},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        s.bar->setValue(s.value);
        EXPECT_EQ(settings().Speed, s.speed);
        EXPECT_EQ(control<QLineEdit>("Text_Speed_1")->text().toInt(), s.speed / 10 % 10);
    }
    // The hundreds' down arrow does the same as setting the digit.
    hundreds->setValue(1);
    tens->setValue(1);
    QTest::mouseClick(control<QToolButton>("Text_Speed_0_Down"), Qt::LeftButton);
    EXPECT_EQ(settings().Speed, 29);

    // A stored speed of 20 loads as 0, 2, 0.
    m_main->close();
    start();
    EXPECT_EQ(settings().Speed, 29);
    settings().Speed = 20;
    m_main->close();
    start();
    EXPECT_EQ(settings().Speed, 20);
    EXPECT_EQ(control<QLineEdit>("Text_Speed_0")->text(), QStringLiteral("0"));
}

TEST_F(TrainerWindows, SpecialTypeShowsItsSetBoxAndRefreshTakesIt) {
    auto *type = control<QComboBox>("Combo_Tip");
    type->setCurrentIndex(12);
    emit type->activated(12);
    EXPECT_TRUE(control<QLineEdit>("Text_Spec")->isVisible());
    EXPECT_TRUE(control<QPushButton>("Command_Refr")->isVisible());
    control<QLineEdit>("Text_Spec")->setText(QStringLiteral("XY"));
    control<QPushButton>("Command_Refr")->click();
    EXPECT_EQ(settings().SpecialText, QByteArray("XY"));
    const QString groups = box().section(QLatin1Char('\n'), 1, 1);
    EXPECT_FALSE(groups.isEmpty());
    for (QChar ch : groups)
        EXPECT_TRUE(ch == u'X' || ch == u'Y' || ch == u' ') << groups.toStdString();

    type->setCurrentIndex(2);
    emit type->activated(2);
    EXPECT_EQ(settings().TextType, 2);
    EXPECT_FALSE(control<QLineEdit>("Text_Spec")->isVisible());
    EXPECT_FALSE(control<QPushButton>("Command_Refr")->isVisible());
}

TEST_F(TrainerWindows, ViewToggleShrinksTheWindowAndSurvivesARestart) {
    const TwipsScale s = TwipsScale::forWidget(m_main.get());
    auto *view = control<QPushButton>("Command_View");
    const int shownHeight = m_main->height();
    EXPECT_EQ(view->text(), QStringLiteral("Hide Text"));
    view->click();
    EXPECT_TRUE(settings().TextHidden);
    EXPECT_EQ(view->text(), QStringLiteral("View Text"));
    EXPECT_EQ(shownHeight - m_main->height(), s.px(5625) - s.px(3300));
    m_main->FormActivate(); // activation keeps the state
    EXPECT_TRUE(settings().TextHidden);

    m_main->close(); // the close box saves like Exit
    start();
    EXPECT_TRUE(settings().TextHidden);
    EXPECT_EQ(control<QPushButton>("Command_View")->text(), QStringLiteral("View Text"));
    EXPECT_EQ(m_main->height(), shownHeight - (s.px(5625) - s.px(3300)));
}

TEST_F(TrainerWindows, ClosingSavesTheSettingsAndTheWindowPosition) {
    const TwipsScale s = TwipsScale::forWidget(m_main.get());
    digit("VScroll_Number_0")->setValue(5);
    m_main->move(s.px(1500), s.px(900));
    QSignalSpy ended(m_main.get(), &frmMain::programEnded);
    m_main->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_GE(m_output.stops, 1);

    Trainer reread(m_dir.path());
    reread.startUp(5);
    EXPECT_EQ(reread.settings.TextNumber, 5009);
    EXPECT_EQ(reread.settings.WindowLeft, 1500);
    EXPECT_EQ(reread.settings.WindowTop, 900);
}

TEST_F(TrainerWindows, EscAndATypedKeyStopARun) {
    auto *startButton = control<QPushButton>("Command_Start");
    auto *stopButton = control<QPushButton>("Command_Stop");
    QSignalSpy finished(m_player.get(), &KeyingPlayer::finished);

    startButton->click();
    ASSERT_TRUE(m_player->isRunning());
    EXPECT_FALSE(startButton->isEnabled());
    EXPECT_TRUE(stopButton->isEnabled());
    m_clock.advanceTo(3'000'000);
    QTest::keyClick(m_main.get(), Qt::Key_Escape);
    m_clock.runUntilIdle();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    EXPECT_FALSE(m_output.on);
    EXPECT_TRUE(startButton->isEnabled());
    EXPECT_FALSE(stopButton->isEnabled());

    // A key in the practice text stops the run; the box's text before the key, upper-cased,
    // becomes the practice text.
    auto *text = control<QPlainTextEdit>("Text_Text");
    text->setPlainText(QStringLiteral("abc def "));
    startButton->click();
    EXPECT_EQ(box(), QStringLiteral("ABC DEF ")); // keyed upper-cased
    text->setPlainText(QStringLiteral("abc xyz "));
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Q);
    m_clock.runUntilIdle();
    ASSERT_EQ(finished.count(), 2);
    EXPECT_TRUE(finished.at(1).at(0).toBool());
    EXPECT_EQ(m_trainer->PracticeText, QByteArray("ABC XYZ "));
    EXPECT_TRUE(box().contains(u'q'));
}

TEST_F(TrainerWindows, AFrequencyChangeDuringARunActsFromTheNextElement) {
    control<QPlainTextEdit>("Text_Text")->setPlainText(QStringLiteral("TTTTT TTTTT "));
    control<QPushButton>("Command_Start")->click();
    m_clock.advanceTo(200'000);
    ASSERT_GT(m_output.tones, 0);
    EXPECT_EQ(m_output.lastRate, 24 * 750);
    m_main->findChild<QAction *>(QStringLiteral("mnuOptions"))->trigger();
    frmOption *options = m_main->optionWindow();
    ASSERT_NE(options, nullptr);
    control<QScrollBar>("HScroll_Freq", options)->setValue(1000);
    const int before = m_output.tones;
    m_clock.runUntilIdle();
    EXPECT_GT(m_output.tones, before);
    EXPECT_EQ(m_output.lastRate, 24 * 1000);
}

TEST_F(TrainerWindows, OptionsKeepTheGroupPauseFourUnitsAboveTheSymbolPause) {
    m_main->findChild<QAction *>(QStringLiteral("mnuOptions"))->trigger();
    frmOption *options = m_main->optionWindow();
    ASSERT_NE(options, nullptr);
    auto *pmz = control<QScrollBar>("HScroll_PMZ", options);
    auto *pmg = control<QScrollBar>("HScroll_PMG", options);
    pmz->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(settings().PMZ, 5);
    EXPECT_EQ(settings().PMG, 9);
    EXPECT_EQ(control<QLineEdit>("Text_PMG", options)->text(), QStringLiteral("9"));
    pmg->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(settings().PMG, 7);
    EXPECT_EQ(settings().PMZ, 3);
    pmz->setValue(51);
    EXPECT_EQ(settings().PMG, 55);
    pmz->setValue(4); // a dragged thumb gives any value
    EXPECT_EQ(settings().PMZ, 4);

    auto *freq = control<QScrollBar>("HScroll_Freq", options);
    freq->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(settings().Frequency, 800);
    EXPECT_EQ(m_trainer->toneImage.bytes().mid(24, 2), QByteArray("\x00\x4B", 2));
    EXPECT_EQ(m_trainer->toneImage.bytes().mid(28, 2), QByteArray("\x00\x4B", 2));

    control<QCheckBox>("Check_AR", options)->click();
    control<QCheckBox>("Check_V", options)->click();
    EXPECT_FALSE(settings().SendAR);
    control<QPushButton>("Command_OK", options)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_main->optionWindow(), nullptr); // OK unloads it
    m_main->FormActivate();
    EXPECT_FALSE(box().contains(u'~'));
    EXPECT_FALSE(box().startsWith(QStringLiteral("VVV=")));
}

TEST_F(TrainerWindows, OptionsLoadSetsTheGroupPauseBarFirst) {
    settings().PMZ = 9;
    settings().PMG = 11;
    m_main->findChild<QAction *>(QStringLiteral("mnuOptions"))->trigger();
    delete m_main->optionWindow(); // unloaded: the next opening loads it anew
    m_main->findChild<QAction *>(QStringLiteral("mnuOptions"))->trigger();
    EXPECT_EQ(settings().PMZ, 7);
    EXPECT_EQ(settings().PMG, 11);
    EXPECT_EQ(control<QLineEdit>("Text_PMZ", m_main->optionWindow())->text(), QStringLiteral("7"));
}

TEST_F(TrainerWindows, OpeningAndClosingOptionsGivesTheSameText) {
    const QString before = box();
    m_main->findChild<QAction *>(QStringLiteral("mnuOptions"))->trigger();
    m_main->optionWindow()->FormActivate();
    control<QPushButton>("Command_OK", m_main->optionWindow())->click();
    m_main->FormActivate();
    EXPECT_EQ(box(), before);
}

TEST_F(TrainerWindows, ChoosingALanguageSavesItAndEveryWindowShowsItWhenActivated) {
    writeRussianLanguage();
    start();
    m_main->findChild<QAction *>(QStringLiteral("mnuOptions"))->trigger();
    frmOption *options = m_main->optionWindow();
    options->FormActivate();
    auto *languages = control<QComboBox>("Combo_Localize", options);
    const int ru = languages->findText(QStringLiteral("Русский"));
    ASSERT_GE(ru, 0);
    languages->setCurrentIndex(ru);
    emit languages->activated(ru);

    QFile ini(m_dir.filePath(QStringLiteral("ZELM_2008.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readLine(), QByteArray("ru.lng\r\n"));
    EXPECT_EQ(m_trainer->Charset, 204);
    EXPECT_EQ(m_main->windowTitle(), QStringLiteral("ZELM-2008.")); // not yet activated
    EXPECT_EQ(options->windowTitle(), QStringLiteral("ZELM-2008. Options..."));

    m_main->FormActivate();
    EXPECT_EQ(m_main->windowTitle(), QStringLiteral("ЗЕЛМ-2008."));
    EXPECT_EQ(control<QPushButton>("Command_Start")->text(), QStringLiteral("Пуск"));

    const int en = languages->findText(QStringLiteral("English"));
    languages->setCurrentIndex(en);
    emit languages->activated(en);
    m_main->FormActivate();
    EXPECT_EQ(m_main->windowTitle(), QStringLiteral("ZELM-2008."));
}

TEST_F(TrainerWindows, InputWindowChecksTheKeyedTextAcrossLineEnds) {
    auto *inputButton = control<QPushButton>("Command_Input");
    settings().KGT = 20; // two whole lines of groups; the end sign on its own line is not keyed
    m_main->FormActivate();
    control<QPushButton>("Command_Start")->click();
    m_clock.runUntilIdle();
    inputButton->click();
    frmInput *input = m_main->inputWindow();
    ASSERT_NE(input, nullptr);
    EXPECT_TRUE(m_main->InputOpen());
    EXPECT_EQ(inputButton->text(), QStringLiteral("Hide Input window"));

    const QByteArray reference = input->check().ReferenceText();
    ASSERT_EQ(reference.size(), 20 * 6);
    auto *text = control<QPlainTextEdit>("Text", input);
    text->setFocus();
    const QString all = QString::fromLatin1(reference.left(reference.size() - 1)).toLower();
    QTest::keyClicks(text, all);
    EXPECT_EQ(text->toPlainText(), all.toUpper()); // no underscore, also across the line end
    EXPECT_EQ(control<QLabel>("Label_Result", input)->text(),
              QStringLiteral("Typed 100 · errors 0 · 100 % correct"));

    // A click restarts the check from the first character; a wrong letter shows "_".
    control<QPushButton>("Command_Clear", input)->click();
    EXPECT_TRUE(text->toPlainText().isEmpty());
    QTest::mouseClick(text->viewport(), Qt::LeftButton);
    QTest::keyClick(text, Qt::Key_Backspace);
    EXPECT_EQ(input->check().TypePos(), 1);
    const char wrong = reference[0] == 'Q' ? 'Z' : 'Q';
    QTest::keyClicks(text, QString(QChar::fromLatin1(wrong)) + QChar::fromLatin1(reference[1]));
    EXPECT_EQ(text->toPlainText(), QStringLiteral("_") + QChar::fromLatin1(reference[1]));

    input->close(); // its close box
    EXPECT_FALSE(m_main->InputOpen());
    inputButton->click();
    EXPECT_TRUE(m_main->InputOpen());
    EXPECT_NE(m_main->inputWindow(), nullptr);
}

TEST_F(TrainerWindows, HelpShowsTheLanguagesHelpFileOrNothing) {
    m_main->findChild<QAction *>(QStringLiteral("mnuIndex"))->trigger();
    frmHelp *help = m_main->helpWindow();
    ASSERT_NE(help, nullptr);
    help->FormActivate();
    EXPECT_EQ(help->windowTitle(), QStringLiteral("ZELM-2008. Help."));
    EXPECT_TRUE(control<QPlainTextEdit>("Text", help)->toPlainText().isEmpty());
    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QFile readme(m_dir.filePath(QStringLiteral("ReadMe.en.txt")));
    ASSERT_TRUE(readme.open(QIODevice::WriteOnly));
    readme.write("First line\r\nSecond line\r\n");
    readme.close();
    m_main->findChild<QAction *>(QStringLiteral("mnuIndex"))->trigger();
    EXPECT_EQ(control<QPlainTextEdit>("Text", m_main->helpWindow())->toPlainText(),
              QStringLiteral("First line\nSecond line\n"));
}

TEST(TrainerAbout, ShowsTheProgressWhileTheToneFileIsBuiltAndClosesByItself) {
    QTemporaryDir dir;
    Trainer trainer(dir.path());
    std::unique_ptr<frmAbout> about;
    QPointer<frmAbout> watch;
    std::vector<int> widths;
    bool okHidden = true;
    trainer.startUp(5, [&](int k) {
        if (!about) {
            about = std::make_unique<frmAbout>(trainer);
            watch = about.get();
            about->setAttribute(Qt::WA_DeleteOnClose, false);
            about->BeginProgress();
        }
        about->SetProgress(k);
        widths.push_back(about->progressTwips());
        okHidden = okHidden && !about->findChild<QPushButton *>("Command_OK")->isVisible() &&
                   about->findChild<QLabel *>("Text_L2")->isVisible();
    });
    ASSERT_TRUE(about);
    EXPECT_TRUE(okHidden);
    ASSERT_EQ(widths.size(), 1129u);
    EXPECT_EQ(widths.front(), 708);
    EXPECT_EQ(widths.back(), 4092);
    about->EndProgress();
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("signal.wav"))).size(), 27152);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("ZELM-2008. About..."));
}
