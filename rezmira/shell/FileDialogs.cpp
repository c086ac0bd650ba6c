// The system file dialog behind ShowFileDialog.
#include "rezmira/shell/FileDialogs.h"

#include <QDir>
#include <QFileDialog>

namespace rezmira {

namespace {

std::unique_ptr<FileDialogs> &provider() {
    static std::unique_ptr<FileDialogs> instance = std::make_unique<QtFileDialogs>();
    return instance;
}

} // namespace

std::optional<QString> QtFileDialogs::ask(QWidget *owner, const FileDialogRequest &r) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(r.OpenDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // An open dialog whose file need not exist still answers with the typed name.
    dialog.setFileMode(r.OpenDialog && r.FileMustExist ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.OverwritePrompt || r.OpenDialog);
    const QString filter = toolkitFileFilter(r.Filter);
    if (!filter.isEmpty())
        dialog.setNameFilters(filter.split(QStringLiteral(";;")));
    if (!r.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(toolkitDefaultSuffix(r.DefaultExt));
    if (!r.InitialDir.isEmpty())
        dialog.setDirectory(r.InitialDir);
    if (!r.Title.isEmpty())
        dialog.setWindowTitle(r.Title);
    if (!r.FileName.isEmpty())
        dialog.selectFile(r.FileName);
    const QString before = QDir::currentPath();
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (r.NoChangeDir)
        QDir::setCurrent(before);
    if (!accepted)
        return std::nullopt;
    return QDir::toNativeSeparators(QFileInfo(dialog.selectedFiles().first()).absoluteFilePath());
}

std::unique_ptr<FileDialogs> installFileDialogs(std::unique_ptr<FileDialogs> dialogs) {
    std::unique_ptr<FileDialogs> previous = std::move(provider());
    provider() = dialogs ? std::move(dialogs) : std::make_unique<QtFileDialogs>();
    return previous;
}

bool ShowFileDialog(QWidget *Owner, const QString &DefaultExt, const QString &Filter,
                    const QString &InitialDir, const QString &Title, QString &FileName,
                    bool FileMustExist, bool OverwritePrompt, bool NoChangeDir, bool OpenDialog) {
    const FileDialogRequest request{DefaultExt,    Filter,          InitialDir,
                                    Title,         FileName,        FileMustExist,
                                    OverwritePrompt, NoChangeDir, OpenDialog};
    const std::optional<QString> chosen = provider()->ask(Owner, request);
    if (!chosen)
        return false;
    FileName = *chosen;
    return true;
}

} // namespace rezmira
