// The system file dialog behind `ShowFileDialog`, replaceable so that tests never open one.
#pragma once

#include "rezmira/shell/FileDialogRequest.h"

#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace rezmira {

/// Answers file dialog requests: the chosen full path, or nothing when the user cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<QString> ask(QWidget *owner, const FileDialogRequest &request) = 0;
};

/// The toolkit's own open and save dialogs.
class QtFileDialogs final : public FileDialogs {
public:
    std::optional<QString> ask(QWidget *owner, const FileDialogRequest &request) override;
};

/// Installs the provider used by every later ShowFileDialog (the toolkit's dialogs when none
/// is installed) and returns the previous one.
std::unique_ptr<FileDialogs> installFileDialogs(std::unique_ptr<FileDialogs> dialogs);

/// Shows the system open (`OpenDialog` true) or save dialog owned by `Owner`, with `Filter` as
/// "description|pattern" pairs. Empty `DefaultExt`, `InitialDir` and `Title` leave the system's
/// defaults. `FileName` is the initial name and, when the user confirms, receives the chosen full
/// path; it is left unchanged on cancel. Answers whether the user confirmed a file.
bool ShowFileDialog(QWidget *Owner, const QString &DefaultExt, const QString &Filter,
                    const QString &InitialDir, const QString &Title, QString &FileName,
                    bool FileMustExist, bool OverwritePrompt, bool NoChangeDir, bool OpenDialog);

} // namespace rezmira
