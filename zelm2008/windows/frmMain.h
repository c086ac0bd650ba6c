// frmMain: the trainer's main window — text number and speed digits, text type, Start/Stop,
// the practice text, and the way to the input, options, help and About windows.
#pragma once

#include "zelm2008/windows/FormActivation.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace zelm {

class DigitDisplay;
class KeyingPlayer;
class ToneOutput;
class Trainer;
class frmAbout;
class frmHelp;
class frmInput;
class frmOption;

/// The main window. It holds no data of its own: every control writes its program-wide setting
/// in `Trainer` at once, and the practice text box shows `Trainer::PracticeText`.
///
/// Constructing it runs the window's load steps (position from WindowLeft/WindowTop, digits
/// from TextNumber and Speed, SpecialText into Text_Spec, then the options window loaded hidden,
/// which applies the stored frequency and saves the settings once). Every activation refreshes
/// captions, the view state, the type list, CodeUnits and the practice text.
///
/// A keying run goes through `player` on the event loop; the window stays responsive and a
/// change of speed, options or text acts from the run's next character or element. Every way of
/// closing the window (Exit button, File > Exit, the close box) turns the tone off, saves the
/// settings with the window's position, and closes the program's other windows.
///
/// Controls carry their designer names as object names; a control array's index follows an
/// underscore (Text_Number(0) is "Text_Number_0", VScroll_Speed(1) is "VScroll_Speed_1").
class frmMain : public QMainWindow, public TrainerForm {
    Q_OBJECT
public:
    frmMain(Trainer &trainer, KeyingPlayer &player, ToneOutput &output,
            QWidget *parent = nullptr);
    ~frmMain() override;

    void FormActivate() override;

    /// Whether the input window is open (set by its load, cleared when it closes).
    [[nodiscard]] bool InputOpen() const { return m_inputOpen; }

    // The windows this one opened, while they exist (for the program's tests and start-up).
    [[nodiscard]] frmInput *inputWindow() const;
    [[nodiscard]] frmOption *optionWindow() const;
    [[nodiscard]] frmHelp *helpWindow() const;
    [[nodiscard]] frmAbout *aboutWindow() const;

    /// The view toggle: shows the practice text (window 5625 twips high) when `TextHidden` is
    /// set and hides it (3300 twips) otherwise, inverting `TextHidden`.
    void ToggleView();

    /// Copies the window's position into WindowLeft/WindowTop (twips, kept within 16 bits).
    void StoreWindowPosition();

signals:
    /// The window has closed and the settings are saved: the program ends.
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void LoadForm();

    void onNumberChanged();
    void onSpeedChanged(int index);
    void onTypeChosen(int index);
    void onRefresh();
    void onStart();
    void onRunStarted();
    void onRunFinished();
    void onInputButton();
    void showOptions();
    void showHelp();
    void showAbout();

    /// Puts `PracticeText` into Text_Text.
    void showPracticeText();
    /// Shows Text_Spec and Command_Refr for the special type only.
    void updateSpecialControls();
    /// The unit length and PARIS speed of the box's text at the current speed and pauses.
    void updateUnitInfo();
    /// Sets the window height in twips (the design counts title bar, menu and border in it).
    void setFormHeight(int twips);
    void openInput();

    Trainer &m_trainer;
    KeyingPlayer &m_player;
    ToneOutput &m_output;
    bool m_inputOpen = false;
    bool m_ending = false;

    QPointer<frmInput> m_input;
    QPointer<frmOption> m_option;
    QPointer<frmHelp> m_help;
    QPointer<frmAbout> m_about;

    QWidget *m_client = nullptr;
    QMenu *mnuFile = nullptr;
    QAction *mnuExit = nullptr;
    QAction *mnuOptions = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuIndex = nullptr;
    QAction *mnuAbout = nullptr;
    QFrame *Line1 = nullptr;
    QFrame *Line2 = nullptr;
    QGroupBox *Frame_Number = nullptr;
    QGroupBox *Frame_Speed = nullptr;
    QGroupBox *Frame_Tip = nullptr;
    QGroupBox *Frame_Pusk = nullptr;
    std::array<DigitDisplay *, 4> VScroll_Number{};
    std::array<DigitDisplay *, 3> VScroll_Speed{};
    QLabel *Label_Unit = nullptr;
    QComboBox *Combo_Tip = nullptr;
    QLineEdit *Text_Spec = nullptr;
    QPushButton *Command_Refr = nullptr;
    QPushButton *Command_Start = nullptr;
    QPushButton *Command_Stop = nullptr;
    QPushButton *Command_View = nullptr;
    QPushButton *Command_Input = nullptr;
    QPushButton *Command_Exit = nullptr;
    QPlainTextEdit *Text_Text = nullptr;
};

} // namespace zelm
