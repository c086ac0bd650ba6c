#include "zelm2008/windows/FormActivation.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace zelm {

FormActivation::FormActivation(QObject *parent) : QObject(parent) {
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            &FormActivation::onFocusWindowChanged);
}

void FormActivation::onFocusWindowChanged(QWindow *window) {
    if (!window)
        return; // the program lost the focus: its active window stays what it was
    QWidget *widget = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() == window) {
            widget = top;
            break;
        }
    }
    auto *form = dynamic_cast<TrainerForm *>(widget);
    if (!form || widget == m_active)
        return;
    m_active = widget;
    form->FormActivate();
}

} // namespace zelm
