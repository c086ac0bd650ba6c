// The viewer's entry point: the headless jobs of the command line, or the window.
#include "rezmira/Error.h"
#include "rezmira/shell/CommandLine.h"
#include "rezmira/shell/MessageBoxes.h"
#include "rezmira/shell/TAboutBox.h"
#include "rezmira/shell/TCryptKeyDlg.h"
#include "rezmira/shell/TForm2.h"
#include "rezmira/shell/TSettingsObj.h"
#include "rezmira/shell/ViewerSession.h"
#include "rezmira/report/html/TIMGResolver.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTextStream>

namespace {

int runWindow(int argc, char *argv[], const rezmira::CommandLine &cl) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rezmira"));
    QApplication::setDesktopFileName(QStringLiteral("rezmira"));

    // The start-up objects, in this order, living until the program ends. The crypt layer
    // holds the settings object, so it is made right after it.
    rezmira::TForm2 Form2;
    rezmira::TCryptKeyDlg CryptKeyDlg(&Form2);
    CryptKeyDlg.setMainWindow(&Form2);
    rezmira::TSettingsObj SettingsObj(
        rezmira::systemSettingsFolders(QCoreApplication::applicationDirPath()));
    rezmira::ViewerSession session(SettingsObj, CryptKeyDlg, rezmira::userKeySetFolder(),
                                   QString::fromLatin1(rezmira::FileKeyContainerStore::kMachineKeySetFolder));
    rezmira::TAboutBox AboutBox(&Form2);
    Form2.setSettings(&SettingsObj);
    Form2.setAboutBox(&AboutBox);
    Form2.setStylesPathSink([](const QString &path) { rezmira::HTMLViewStylesPath() = path; });
    Form2.setReportOpener([&session](const QString &fileName) { return session.LoadResultFile(fileName); });

    // The start-up open happens before the window is on screen: its key dialog or error box
    // comes first.
    Form2.FormShow(cl.file);
    Form2.show();
    const int status = app.exec();

    try {
        SettingsObj.DataModuleDestroy();
    } catch (const rezmira::Error &e) {
        rezmira::showErrorBox(nullptr, e.message());
    }
    return status;
}

} // namespace

int main(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const rezmira::CommandLine cl = rezmira::parseCommandLine(arguments);
    if (cl.mode == rezmira::CommandLine::Mode::Window)
        return runWindow(argc, argv, cl);

    // Headless jobs still lay out text and pictures, so they need a GUI application, but never
    // a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Rezmira"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return rezmira::runHeadless(cl, out, err);
}
