// frmAbout: the program's description, version, author and translator lines; at a first start
// also the progress display while the tone file is built.
#pragma once

#include "zelm2008/windows/FormActivation.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace zelm {

class Trainer;

/// The About window, non-modal, centred on its owner; its load runs the activate steps so the
/// texts are in place before it first shows.
///
/// As progress display (`BeginProgress`, `SetProgress`, `EndProgress`) it shows without its OK
/// button, with the progress frame Text_L1 and the bar Text_L2 over the button's place; the bar
/// is 705 + 3k twips wide after period k (708 for the first, 4092 for the last of 1129).
class frmAbout : public QDialog, public TrainerForm {
    Q_OBJECT
public:
    explicit frmAbout(Trainer &trainer, QWidget *parent = nullptr);

    void FormActivate() override;

    /// Shows the window with Command_OK hidden and the progress frame and bar visible, painted.
    void BeginProgress();
    /// Widens the bar for period `k` (1–1129) and repaints it at once.
    void SetProgress(int k);
    /// Shows the OK button again and closes the window.
    void EndProgress();

    /// The bar's width in twips (for the program's tests).
    [[nodiscard]] int progressTwips() const { return m_progressTwips; }

private:
    Trainer &m_trainer;
    std::array<QLabel *, 6> m_labels{};
    QPushButton *Command_OK;
    QLabel *Text_L1;
    QLabel *Text_L2;
    int m_progressTwips = 0;
};

} // namespace zelm
