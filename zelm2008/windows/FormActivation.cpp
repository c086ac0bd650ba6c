#include "zelm2008/windows/FormActivation.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace zelm {

FormActivation::FormActivation(QObject *parent) : QObject(parent) {
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            &FormActivation::onFocusWindowChanged);
    qApp->installEventFilter(this);
}

bool FormActivation::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->isWindow())
            activate(widget);
    }
    return QObject::eventFilter(watched, event);
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
    activate(widget);
}

void FormActivation::activate(QWidget *widget) {
    auto *form = dynamic_cast<TrainerForm *>(widget);
    if (!form || widget == m_active)
        return;
    m_active = widget;
    form->FormActivate();
}

} // namespace zelm
