// The key dialog "Ключ защиты".
#include "rezmira/shell/TCryptKeyDlg.h"

#include "rezmira/shell/FileDialogs.h"
#include "rezmira/shell/ModalRunner.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace rezmira {

TCryptKeyDlg::TCryptKeyDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("CryptKeyDlg"));
    setWindowTitle(QStringLiteral("Ключ защиты"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(322, 120);

    Label1 = new QLabel(QStringLiteral("Файл с ключем:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 13, 80, 13);
    Label1->adjustSize(); // the caption must not be cut by a wider font

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 32, 273, 21);
    Edit1->setReadOnly(true);

    CheckBox1 = new QCheckBox(QStringLiteral("Использовать этот ключ по умолчанию"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(8, 64, 273, 17);

    Button1 = new QPushButton(QStringLiteral("..."), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(287, 32, 26, 21);
    Button1->setAutoDefault(false);

    Button2 = new QPushButton(QStringLiteral("Ok"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(157, 87, 75, 25);
    Button2->setDefault(true);

    Button3 = new QPushButton(QStringLiteral("Отмена"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(238, 87, 75, 25);
    Button3->setAutoDefault(false);

    setTabOrder(Edit1, CheckBox1);
    setTabOrder(CheckBox1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);

    connect(Button1, &QPushButton::clicked, this, &TCryptKeyDlg::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
}

QString TCryptKeyDlg::KeyFileName() const { return Edit1->text(); }

bool TCryptKeyDlg::UseAsDefault() const { return CheckBox1->isChecked(); }

bool TCryptKeyDlg::Execute(const QWidget *mainWindow) {
    centreOn(*this, mainWindow);
    Edit1->setFocus();
    return runModal(*this) == QDialog::Accepted;
}

std::optional<KeyDialogAnswer> TCryptKeyDlg::askForKey() {
    if (!Execute(FMainWindow))
        return std::nullopt;
    return KeyDialogAnswer{KeyFileName(), UseAsDefault()};
}

void TCryptKeyDlg::Button1Click() {
    QString fileName;
    if (ShowFileDialog(this, QStringLiteral("*.rzk"), QStringLiteral("Key Store (*.rzk)|*.rzk"),
                       QString(), QString(), fileName, false, true, false, true))
        Edit1->setText(fileName);
}

} // namespace rezmira
