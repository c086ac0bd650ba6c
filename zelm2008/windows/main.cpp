// The trainer's entry point: the headless jobs of the command line, or the window.
#include "zelm2008/engine/CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ZELM_2008"));
    const zelm::CommandLine cl = zelm::parseCommandLine(app.arguments().mid(1));
    const zelm::ProgramFolders folders{
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation),
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()};
    QTextStream out(stdout);
    QTextStream err(stderr);
    return zelm::runHeadless(cl, folders, out, err);
}
