// frmHelp: the help text of the current language.
#pragma once

#include "zelm2008/windows/FormActivation.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace zelm {

class Trainer;

/// The help window, non-modal, centred on its owner. Its load reads ReadMe.<stem>.txt of the
/// current language whole, decoded in the language's code page; a missing file leaves the text
/// empty. Closing it unloads it, so the next opening reads the file again.
class frmHelp : public QDialog, public TrainerForm {
    Q_OBJECT
public:
    explicit frmHelp(Trainer &trainer, QWidget *parent = nullptr);

    void FormActivate() override;

private:
    Trainer &m_trainer;
    QPlainTextEdit *Text;
    QPushButton *Command_OK;
};

} // namespace zelm
