// Takes screenshots of the window with a result open and of the two dialogs, for a person to
// look at: `rezmira_shell_screens OUT_DIR PACKAGE.rzt`. Not a test; run it under Xvfb.
#include "rezmira/shell/PagePreview.h"
#include "rezmira/shell/TAboutBox.h"
#include "rezmira/shell/TCryptKeyDlg.h"
#include "rezmira/shell/TForm2.h"
#include "rezmira/shell/TSettingsObj.h"
#include "rezmira/shell/ViewerSession.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: rezmira_shell_screens OUT_DIR PACKAGE.rzt\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString package = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir home;
    const QString appPath = QCoreApplication::applicationDirPath();
    rezmira::TForm2 form;
    rezmira::TCryptKeyDlg keyDialog(&form);
    keyDialog.setMainWindow(&form);
    rezmira::TSettingsObj settings(rezmira::SettingsFolders{
        appPath, rezmira::stylesFolderFor(QStringLiteral(REZMIRA_BIN_DIR)), home.filePath(QStringLiteral("r")),
        home.filePath(QStringLiteral("l"))});
    rezmira::ViewerSession session(settings, keyDialog, home.filePath(QStringLiteral("keys")),
                                   home.filePath(QStringLiteral("machine")));
    rezmira::TAboutBox about(&form);
    form.setSettings(&settings);
    form.setAboutBox(&about);
    form.setReportOpener([&](const QString &f) { return session.LoadResultFile(f); });
    form.resize(900, 760);
    form.FormShow(package);
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);
    form.preview()->flushRendering();
    QApplication::processEvents();
    form.grab().save(out.filePath(QStringLiteral("window.png")));
    form.ZomWidthExecute();
    form.NextPageActnExecute();
    form.preview()->flushRendering();
    QApplication::processEvents();
    form.grab().save(out.filePath(QStringLiteral("window-width-page2.png")));

    keyDialog.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("/home/user/keys/demo-key.rzk"));
    keyDialog.show();
    (void)QTest::qWaitForWindowExposed(&keyDialog);
    keyDialog.grab().save(out.filePath(QStringLiteral("key-dialog.png")));
    keyDialog.hide();
    about.show();
    (void)QTest::qWaitForWindowExposed(&about);
    about.grab().save(out.filePath(QStringLiteral("about.png")));
    return 0;
}
