// The key dialog with the key provider's remembered key, and the About box.
#include "rezmira/shell/TAboutBox.h"
#include "rezmira/shell/TCryptKeyDlg.h"

#include "rezmira/Error.h"
#include "rezmira/protection/CryptServices.h"
#include "rezmira/shell/TSettingsObj.h"
#include "ShellTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace rezmira;

namespace {

const QString kDemoKey = QStringLiteral(SAMPLES_DIR "/demo-key.rzk");

/// The key dialog plugged into the real key provider, over a private key container folder.
struct KeySetup {
    shelltest::ServiceFakes fakes;
    QTemporaryDir keys;
    TSettingsObj settings;
    TCryptKeyDlg dialog;
    CryptServices crypt{keys.filePath(QStringLiteral("user")), keys.filePath(QStringLiteral("machine")),
                        dialog, settings};

    /// What the user does in the dialog: browse to `file` (nullopt: cancel the browse), set the
    /// check box, then press Ok (true) or Отмена (false).
    void user(std::optional<QString> file, bool useAsDefault, bool ok) {
        fakes.onModal = [this, file, useAsDefault, ok](QDialog &d) {
            fakes.files->answers.push_back(file);
            QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
            d.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(useAsDefault);
            QTest::mouseClick(d.findChild<QPushButton *>(ok ? QStringLiteral("Button2") : QStringLiteral("Button3")),
                              Qt::LeftButton);
        };
    }
    bool acquire() { return crypt.keys().AcquireKey(); }
};

} // namespace

TEST(TCryptKeyDlg, LooksAsDesigned) {
    TCryptKeyDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Ключ защиты"));
    EXPECT_EQ(dialog.size(), QSize(322, 120));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("Edit1"));
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->geometry(), QRect(8, 32, 273, 21));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Файл с ключем:"));
    EXPECT_EQ(dialog.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->text(),
              QStringLiteral("Использовать этот ключ по умолчанию"));
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("Button2"));
    EXPECT_EQ(ok->text(), QStringLiteral("Ok"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("Button3"))->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->text(), QStringLiteral("..."));
}

TEST(TCryptKeyDlg, BrowseAsksForAKeyStoreAndCancelKeepsThePath) {
    shelltest::ServiceFakes fakes;
    TCryptKeyDlg dialog;
    fakes.files->answers = {QStringLiteral("/k/a.rzk"), std::nullopt};
    dialog.Button1Click();
    ASSERT_EQ(fakes.files->requests.size(), 1);
    const FileDialogRequest &r = fakes.files->requests[0];
    EXPECT_EQ(r.DefaultExt, QStringLiteral("*.rzk"));
    EXPECT_EQ(r.Filter, QStringLiteral("Key Store (*.rzk)|*.rzk"));
    EXPECT_TRUE(r.InitialDir.isEmpty() && r.Title.isEmpty() && r.FileName.isEmpty());
    EXPECT_TRUE(r.OpenDialog && !r.FileMustExist && r.OverwritePrompt && !r.NoChangeDir);
    EXPECT_EQ(dialog.KeyFileName(), QStringLiteral("/k/a.rzk"));
    dialog.Button1Click();
    EXPECT_EQ(dialog.KeyFileName(), QStringLiteral("/k/a.rzk"));
}

TEST(TCryptKeyDlg, OkWithUseAsDefaultRemembersTheKeyAndLaterOpensDoNotAsk) {
    KeySetup s;
    s.user(kDemoKey, true, true);
    EXPECT_TRUE(s.acquire());
    EXPECT_EQ(s.settings.LastKey, kDemoKey);
    EXPECT_TRUE(s.acquire());
    EXPECT_EQ(s.fakes.modalShowings, 1);
}

TEST(TCryptKeyDlg, OkWithoutUseAsDefaultUsesTheKeyOnceAndKeepsTheOldPath) {
    KeySetup s;
    s.settings.LastKey = QStringLiteral("/gone/old.rzk"); // no file there
    s.user(kDemoKey, false, true);
    EXPECT_TRUE(s.acquire());
    EXPECT_EQ(s.settings.LastKey, QStringLiteral("/gone/old.rzk"));
    s.fakes.onModal = nullptr; // the next open asks again; the user cancels
    EXPECT_FALSE(s.acquire());
    EXPECT_EQ(s.fakes.modalShowings, 2);
}

TEST(TCryptKeyDlg, CancelAndEmptyPathSupplyNoKey) {
    KeySetup s;
    s.user(std::nullopt, true, false); // cancel
    EXPECT_FALSE(s.acquire());
    EXPECT_TRUE(s.settings.LastKey.isEmpty());
    s.settings.LastKey = QStringLiteral("/gone/old.rzk");
    s.user(std::nullopt, true, true); // Ok with an empty path and the check box on
    EXPECT_FALSE(s.acquire());
    EXPECT_TRUE(s.settings.LastKey.isEmpty());
}

TEST(TCryptKeyDlg, DamagedKeyFileRaisesKeyDamagedAndKeepsLastKey) {
    KeySetup s;
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.rzk"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a key store");
    f.close();
    s.user(bad, true, true);
    EXPECT_THROW_MSG(s.acquire(), Error, QStringLiteral("Ключ поврежден"));
    EXPECT_EQ(s.settings.LastKey, bad);
}

TEST(TCryptKeyDlg, SecondShowingPresentsTheLastChoice) {
    KeySetup s;
    s.user(kDemoKey, true, false); // chose a file and ticked the box, then cancelled
    EXPECT_FALSE(s.acquire());
    QString shownPath;
    bool shownCheck = false;
    s.fakes.onModal = [&](QDialog &d) {
        shownPath = d.findChild<QLineEdit *>(QStringLiteral("Edit1"))->text();
        shownCheck = d.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->isChecked();
        d.reject();
    };
    EXPECT_FALSE(s.acquire());
    EXPECT_EQ(shownPath, kDemoKey);
    EXPECT_TRUE(shownCheck);
}

TEST(TAboutBox, ShowsTheVersionBlockAndOpensTheMakersAddress) {
    shelltest::ServiceFakes fakes;
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("О программе"));
    EXPECT_EQ(box.size(), QSize(300, 183));
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("ProductNameLbl"))->text(), QStringLiteral("Quorrix:Rezmira"));
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("VersionLbl"))->text(),
              QStringLiteral("Версия 2.0(Сборка 2.0.0.0)"));
    EXPECT_TRUE(box.findChild<QLabel *>(QStringLiteral("CopyrightLbl"))->text().contains(QStringLiteral("Orvanta")));
    auto *link = box.findChild<QLabel *>(QStringLiteral("Label1"));
    QList<QUrl> opened;
    box.setUrlOpener([&](const QUrl &url) { opened << url; });
    box.show();
    QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toString(), link->text());
    EXPECT_TRUE(box.isVisible());
}

TEST(TAboutBox, WithoutAVersionBlockOnlyTheFixedPartsShow) {
    TAboutBox box(nullptr, QByteArray());
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("ProductNameLbl"))->text(), QStringLiteral(":"));
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("VersionLbl"))->text(), QStringLiteral("Версия (Сборка )"));
}
