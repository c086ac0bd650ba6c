// frmOption: pauses, group size and count, tone frequency, opening and end signs, and the
// interface language. Every control writes its setting at once; OK only closes.
#pragma once

#include "zelm2008/windows/FormActivation.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace zelm {

class Trainer;

/// The options window, non-modal, centred on its owner. Constructing it runs its load steps:
/// the bars take Frequency, KGT, KZG, PMG and PMZ in this order (each change runs the bar's
/// handler, so a stored PMZ 9 with PMG 11 loads as 7 and 11), the check boxes take SendVVV and
/// SendAR, the language list is filled and the current language chosen — which saves the
/// settings and loads the language. Closing it (OK or its close box) unloads it.
///
/// The pause rule keeps PMG at least PMZ + 4: raising PMZ pushes PMG up, lowering PMG pulls
/// PMZ down. A new frequency is applied to the tone image at once.
class frmOption : public QDialog, public TrainerForm {
    Q_OBJECT
public:
    /// `storeWindowPosition` is called before each save so the settings file gets the main
    /// window's current position.
    frmOption(Trainer &trainer, std::function<void()> storeWindowPosition,
              QWidget *parent = nullptr);

    void FormActivate() override;

signals:
    /// PMZ or PMG changed (the main window's unit length follows them).
    void pausesChanged();

private:
    QScrollBar *addBar(const char *name, int top, int min, int max, int step, int design);
    QLineEdit *addBox(const char *name, int top, int design);
    QLabel *addLabel(const char *name, int top);

    void onPMZ(int value);
    void onPMG(int value);
    void onLanguage(int index);

    Trainer &m_trainer;
    std::function<void()> m_storeWindowPosition;

    QLabel *Label_PMZ, *Label_PMG, *Label_KZG, *Label_KGT, *Label_Freq, *Label_Language;
    QScrollBar *HScroll_PMZ, *HScroll_PMG, *HScroll_KZG, *HScroll_KGT, *HScroll_Freq;
    QLineEdit *Text_PMZ, *Text_PMG, *Text_KZG, *Text_KGT, *Text_Freq;
    QComboBox *Combo_Localize;
    QCheckBox *Check_V, *Check_AR;
    QPushButton *Command_OK;
};

/// Moves a window so that it stands centred on `owner` (on its screen when there is none).
void CentreOn(QWidget *window, const QWidget *owner);

/// Shows a secondary window, centred on its parent the first time (while it is not visible),
/// and brings it to the front.
void ShowCentred(QWidget *window);

} // namespace zelm
