// The application's message boxes: the error box and the box of collected report errors.
// The presenter can be replaced so that tests never open a modal box.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

namespace rezmira {

/// Shows one message box: owner, icon, caption, text (an OK button only).
using MessagePresenter =
    std::function<void(QWidget *owner, QMessageBox::Icon icon, const QString &caption,
                       const QString &text)>;

/// Installs the presenter used by the boxes below (a modal QMessageBox when none is installed)
/// and returns the previous one.
MessagePresenter installMessagePresenter(MessagePresenter presenter);

/// The application's error box: the error text rule, caption "Rezmira", error icon, OK.
void showErrorBox(QWidget *owner, const QString &message);

/// The report's collected preparation errors in one box; nothing is shown for no errors.
void showReportErrors(QWidget *owner, const QStringList &errors);

} // namespace rezmira
