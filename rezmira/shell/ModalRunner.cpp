// How the program's own dialogs are shown modally.
#include "rezmira/shell/ModalRunner.h"

#include <QGuiApplication>
#include <QScreen>

namespace rezmira {

namespace {

int execDialog(QDialog &dialog) { return dialog.exec(); }

ModalRunner &runner() {
    static ModalRunner instance = execDialog;
    return instance;
}

} // namespace

ModalRunner installModalRunner(ModalRunner r) {
    ModalRunner previous = std::move(runner());
    runner() = r ? std::move(r) : ModalRunner(execDialog);
    return previous;
}

int runModal(QDialog &dialog) { return runner()(dialog); }

void centreOn(QDialog &dialog, const QWidget *owner) {
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    const QSize size = dialog.frameGeometry().size().expandedTo(dialog.size());
    dialog.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

} // namespace rezmira
