// The viewer's entry point: the headless jobs of the command line, or the window.
#include "rezmira/shell/CommandLine.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const rezmira::CommandLine cl = rezmira::parseCommandLine(arguments);

    // Headless jobs still lay out text and pictures, so they need a GUI application, but never
    // a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Rezmira"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (cl.mode == rezmira::CommandLine::Mode::Window) {
        err << "rezmira: the viewer window is not part of this build yet; use --dump-result\n";
        return 1;
    }
    return rezmira::runHeadless(cl, out, err);
}
