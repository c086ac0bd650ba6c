// The trainer's entry point: the headless jobs of the command line, or the start-up and the
// main window.
#include "zelm2008/engine/Clock.h"
#include "zelm2008/engine/CommandLine.h"
#include "zelm2008/engine/KeyingPlayer.h"
#include "zelm2008/engine/SingleInstance.h"
#include "zelm2008/engine/Trainer.h"
#include "zelm2008/engine/audio/QtToneOutput.h"
#include "zelm2008/windows/FormActivation.h"
#include "zelm2008/windows/WindowFonts.h"
#include "zelm2008/windows/frmAbout.h"
#include "zelm2008/windows/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

QStringList argumentsOf(int argc, char **argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

zelm::ProgramFolders programFolders() {
    zelm::ProgramFolders f;
    f.programFolder = QCoreApplication::applicationDirPath();
    f.perUserFolder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    f.executableBaseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return f;
}

// The name decides the per-user files folder, the same for the window and the headless jobs.
void nameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("ZELM_2008"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2008.1.0.19"));
}

int runHeadlessJob(int argc, char **argv, const zelm::CommandLine &cl) {
    QCoreApplication app(argc, argv);
    nameApplication();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = zelm::runHeadless(cl, programFolders(), out, err);
    out.flush();
    err.flush();
    return status;
}

int runWindows(int argc, char **argv, const zelm::CommandLine &cl) {
    QApplication app(argc, argv);
    nameApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("zelm2008"));
    zelm::RegisterDesignFonts();

    const zelm::ProgramFolders folders = programFolders();
    const QString folder = zelm::filesFolderFor(cl, folders); // the Trainer creates it

    // One trainer per files folder: a second start on the same folder ends at once, silently.
    // The lock lives in the user's runtime folder: a lock left in a shared folder by another
    // user could not be taken over.
    QString lockFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (lockFolder.isEmpty())
        lockFolder = QDir::tempPath();
    const zelm::SingleInstance instance(
        QDir(lockFolder).filePath(zelm::SingleInstance::lockFileNameFor(folder)));
    if (!instance.isFirst())
        return 0;

    zelm::Trainer trainer(folder, zelm::settingsFileNameFor(folders.executableBaseName));

    // At a first start the About window shows the building of signal.wav.
    std::unique_ptr<zelm::frmAbout> progress;
    const zelm::PlatformVerdict verdict =
        trainer.startUp(zelm::currentPlatformMajor(), [&](int k) {
            if (!progress) {
                progress = std::make_unique<zelm::frmAbout>(trainer);
                progress->setAttribute(Qt::WA_DeleteOnClose, false);
                progress->BeginProgress();
            }
            progress->SetProgress(k);
        });
    if (progress) {
        progress->EndProgress();
        progress.reset();
    }
    if (verdict != zelm::PlatformVerdict::Supported) {
        QMessageBox box(QMessageBox::Critical, trainer.platformTitle(),
                        trainer.platformMessage(verdict), QMessageBox::Ok);
        box.exec();
        return 1;
    }

    std::unique_ptr<zelm::ToneOutput> output = zelm::QtToneOutput::createForDefaultDevice();
    zelm::SystemClock clock;
    zelm::KeyingPlayer player(trainer, *output, clock);
    zelm::FormActivation activation;
    zelm::frmMain window(trainer, player, *output);
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char **argv) {
    const zelm::CommandLine cl = zelm::parseCommandLine(argumentsOf(argc, argv));
    if (cl.mode == zelm::CommandLine::Mode::Window)
        return runWindows(argc, argv, cl);
    return runHeadlessJob(argc, argv, cl);
}
