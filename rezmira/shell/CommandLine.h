// The viewer's command line: which job to run, and the headless jobs themselves.
#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace rezmira {

struct CommandLine {
    enum class Mode {
        Window,     ///< `rezmira [FILE]`: the window, opening FILE at start
        DumpResult, ///< `--dump-result [--key KEY] FILE`: the result tables as JSON
        ExportPdf,  ///< `--export-pdf OUT [--key KEY] FILE`: the protocol report as PDF
        Help,
        Version,
        Invalid, ///< `error` says why
    };
    Mode mode = Mode::Window;
    QString file;   ///< the result package (may be empty for the window)
    QString key;    ///< --key: the key store to use without asking
    QString output; ///< --export-pdf: the PDF to write
    QString error;
};

/// Parses the arguments after the program name.
CommandLine parseCommandLine(const QStringList &arguments);

/// Runs a headless job (every mode but Window). Output goes to `out`; on failure nothing is
/// written to `out`, the error's message text is the last line of `err`, and 1 is returned.
int runHeadless(const CommandLine &commandLine, QTextStream &out, QTextStream &err);

/// The text printed by --help.
QString usageText();

} // namespace rezmira
