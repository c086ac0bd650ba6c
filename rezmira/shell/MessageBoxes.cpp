// The application's message boxes.
#include "rezmira/shell/MessageBoxes.h"

#include "rezmira/shell/ErrorText.h"

namespace rezmira {

namespace {

void modalBox(QWidget *owner, QMessageBox::Icon icon, const QString &caption,
              const QString &text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

MessagePresenter &presenter() {
    static MessagePresenter instance = modalBox;
    return instance;
}

} // namespace

MessagePresenter installMessagePresenter(MessagePresenter p) {
    MessagePresenter previous = std::move(presenter());
    presenter() = p ? std::move(p) : MessagePresenter(modalBox);
    return previous;
}

void showErrorBox(QWidget *owner, const QString &message) {
    presenter()(owner, QMessageBox::Critical, QString::fromUtf16(kErrorBoxCaption),
                errorBoxText(message));
}

void showReportErrors(QWidget *owner, const QStringList &errors) {
    if (errors.isEmpty())
        return;
    const ReportErrorsBox box = reportErrorsBox(errors);
    presenter()(owner, QMessageBox::Critical, box.caption, box.text);
}

} // namespace rezmira
