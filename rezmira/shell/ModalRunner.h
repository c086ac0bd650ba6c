// How the program's own dialogs are shown modally; tests replace it so nothing blocks.
#pragma once

#include <QDialog>

#include <functional>

namespace rezmira {

/// Shows a dialog modally and answers its result (QDialog::Accepted or Rejected).
using ModalRunner = std::function<int(QDialog &dialog)>;

/// The runner used by the key dialog and the About box: QDialog::exec() unless replaced.
/// Returns the previous runner.
ModalRunner installModalRunner(ModalRunner runner);
int runModal(QDialog &dialog);

/// Centres `dialog` on `owner`'s frame (on the screen when `owner` is null or hidden).
void centreOn(QDialog &dialog, const QWidget *owner);

} // namespace rezmira
