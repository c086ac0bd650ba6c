// "Window activate" as the trainer windows know it: a window is activated when it becomes the
// active window of the program, not each time the program comes back from another one.
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;
class QWindow;

namespace zelm {

/// A trainer window with an activate step (captions, fonts and state refreshed from the
/// program-wide objects).
class TrainerForm {
public:
    virtual ~TrainerForm() = default;
    /// Runs the window's activate steps. Called by `FormActivation`; tests may call it directly.
    virtual void FormActivate() = 0;
};

/// Watches which of the program's windows has the focus and calls `FormActivate` on a trainer
/// window when it becomes the program's active window: after it is first shown, and when the
/// user comes to it from another window of the program. Leaving the program and coming back to
/// the same window is no activation. One instance per program, on the UI thread.
class FormActivation : public QObject {
    Q_OBJECT
public:
    explicit FormActivation(QObject *parent = nullptr);

    /// The trainer window that was activated last, if it still exists.
    [[nodiscard]] QWidget *activeForm() const { return m_active; }

private:
    void onFocusWindowChanged(QWindow *window);

    QPointer<QWidget> m_active;
};

} // namespace zelm
