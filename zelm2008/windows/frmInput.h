// frmInput: where the student types what was heard; each key is checked at once against the
// keyed text, a wrong one shows as "_". After a run it also shows the result.
#pragma once

#include "zelm2008/windows/FormActivation.h"
#include "zelm2008/windows/TypingCheck.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zelm {

class Trainer;

/// The input window, non-modal. Constructing it runs its load steps: `InputOpen` is set and
/// `ReferenceText` is read from text.txt of the files folder (one entry per line, blanks around
/// it dropped, each followed by one blank; a missing file gives an empty reference). A click
/// into the box reads text.txt again and restarts the check at the first character; the box's
/// content stays. Closing the window (its close box or the main window's Input button) clears
/// `InputOpen` and unloads it.
///
/// Keys are turned into byte codes of the current language's code page (a character it cannot
/// hold counts as "?") and judged by `TypingCheck`; what the check lets through is inserted at
/// the caret. Backspace, Enter and other control keys reach the box as usual.
///
/// Beyond the typing check, two lines beside Command_Clear show the result (typed, errors, per
/// cent correct, the characters missed most) whenever no keying run goes on and a key has been
/// judged.
class frmInput : public QWidget, public TrainerForm {
    Q_OBJECT
public:
    /// `inputOpen` is the program-wide flag the main window reads; it must outlive the window.
    frmInput(Trainer &trainer, bool &inputOpen, QWidget *parent = nullptr);
    ~frmInput() override;

    void FormActivate() override;

    /// Reads text.txt into the reference and sets `TypePos` to 1 (the load's reading steps).
    void ReadKeyedText();
    /// A run starts (true) or ends (false): the result shows only between runs.
    void setKeyingActive(bool active);
    /// Puts the keyboard focus into the typing box.
    void focusText();

    [[nodiscard]] const TypingCheck &check() const { return m_check; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool typeKey(const QString &text);
    void updateResult();

    Trainer &m_trainer;
    bool &m_inputOpen;
    TypingCheck m_check;
    bool m_keying = false;

    QPlainTextEdit *Text;
    QPushButton *Command_Clear;
    QLabel *Label_Result;
    QLabel *Label_Missed;
};

} // namespace zelm
