// What a file dialog is asked for, and how the program's "description|pattern" filters and
// default extensions translate to the toolkit's dialog.
#pragma once

#include <QString>

namespace rezmira {

/// The arguments of `ShowFileDialog` apart from the owner window.
struct FileDialogRequest {
    QString DefaultExt; ///< e.g. "*.rzt"; empty: no default extension
    QString Filter;     ///< "description|pattern|description|pattern…"; patterns split by ";"
    QString InitialDir; ///< empty: the system's default folder
    QString Title;      ///< empty: the system's default title
    QString FileName;   ///< initial file name
    bool FileMustExist = false;
    bool OverwritePrompt = false;
    bool NoChangeDir = false;
    bool OpenDialog = true; ///< true: an open dialog; false: a save dialog
};

/// The toolkit's filter list for a "description|pattern" list: pairs become
/// "description (patterns)" joined by ";;" (the patterns are not repeated when the description
/// already ends with them in parentheses). An empty filter gives an empty text.
QString toolkitFileFilter(const QString &filter);

/// The suffix a save dialog appends for a default extension such as "*.rzt" or ".rzt" → "rzt".
QString toolkitDefaultSuffix(const QString &defaultExt);

} // namespace rezmira
