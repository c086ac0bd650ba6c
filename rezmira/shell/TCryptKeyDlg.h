// The key dialog "Ключ защиты": asks for the key store file of a protected result package.
#pragma once

#include "rezmira/protection/AcquireKey.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace rezmira {

/// The single key dialog `CryptKeyDlg`, created at start-up and reused for every showing; its
/// path box and check box keep their contents between showings (nothing fills them from the
/// remembered key). The path box is read-only: a file is chosen with "...".
/// As the key provider's KeyDialog it is shown centred on the main window.
class TCryptKeyDlg : public QDialog, public KeyDialog {
    Q_OBJECT
public:
    explicit TCryptKeyDlg(QWidget *parent = nullptr);

    /// The window the dialog is centred on when the key provider asks for a key.
    void setMainWindow(const QWidget *mainWindow) { FMainWindow = mainWindow; }

    /// Shows the dialog centred on the main window; the path and check box state when it is
    /// closed with "Ok", nothing otherwise.
    std::optional<KeyDialogAnswer> askForKey() override;

    /// The chosen key file's full path (the path box's text; may be empty).
    QString KeyFileName() const;
    /// Whether "Использовать этот ключ по умолчанию" is checked.
    bool UseAsDefault() const;

    /// Centres the dialog on `mainWindow`, shows it modally and answers whether it was closed
    /// with "Ok".
    bool Execute(const QWidget *mainWindow);

    /// The browse handler: the open dialog for "*.rzk"; a confirmed file fills the path box,
    /// a cancel leaves it as it was.
    void Button1Click();

private:
    const QWidget *FMainWindow = nullptr;
    QLabel *Label1;
    QLineEdit *Edit1;
    QCheckBox *CheckBox1;
    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *Button3;
};

} // namespace rezmira
