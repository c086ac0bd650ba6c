// The trainer's command line: which job to run, and the headless jobs (--text, --wav).
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

namespace zelm {

struct CommandLine {
    enum class Mode {
        Window,  ///< no job: the trainer window
        Text,    ///< --text: print the practice text
        Wav,     ///< --wav OUT: render the keying run to a WAV file
        Help,
        Version,
        Invalid, ///< `error` says why
    };
    Mode mode = Mode::Window;
    QString dataDir; ///< --data-dir: the files folder to use instead of the usual one
    QString wavPath; ///< --wav: the file to write
    // Overrides for this run only (nothing is saved).
    std::optional<int> number, type, groupSize, groups, speed, freq, pmz, pmg;
    bool noVvv = false, noAr = false;
    QString error;
};

/// Parses the arguments after the program name. Numbers must be whole and in their setting's
/// range (--number 0–9999, --type 0–12, --group-size 1–10, --groups 1–300, --speed 20–299,
/// --freq 500–1500, --pmz 3–51, --pmg 7–55); anything else gives Mode::Invalid with a reason.
CommandLine parseCommandLine(const QStringList &arguments);

/// The folders the program found at start: the executable's folder, the per-user fallback, and
/// the executable's base name (it names the settings file).
struct ProgramFolders {
    QString programFolder;
    QString perUserFolder;
    QString executableBaseName;
};

/// The files folder for this run: --data-dir when given (seeded with the program folder's
/// missing files, as the per-user folder is), else `resolveFilesFolder`.
QString filesFolderFor(const CommandLine &commandLine, const ProgramFolders &folders);

/// Runs a headless job (every mode but Window): start-up from the files folder (creating missing
/// files as a start does, never saving the settings), the overrides, then the job. --text prints
/// the practice text as UTF-8 with LF line ends (and a final LF); --wav writes text.txt as a run does and the WAV
/// file (8-bit mono at the tone image's rate, every element exact to the sample). On failure
/// nothing goes to `out`, the message is the last line of `err`, and the status is non-zero
/// (2 for a bad command line, 1 otherwise).
int runHeadless(const CommandLine &commandLine, const ProgramFolders &folders, QTextStream &out,
                QTextStream &err);

/// The text printed by --help.
QString usageText();

} // namespace zelm
