// A large digit between an up and a down control: the trainer's digit displays for the text
// number and the speed.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace zelm {

/// One digit shown large in a read-only box, with an up control above it that raises the
/// value by one and a down control below it that lowers it, like a vertical scroll bar whose
/// upper end is its maximum. The arrows repeat while held; the Up/Down and Page keys and the
/// mouse wheel step too. The value never leaves [minimum, maximum] and never wraps.
class DigitDisplay : public QWidget {
    Q_OBJECT
public:
    /// `boxName` becomes the object name of the digit box (e.g. "Text_Number_0"); the arrows
    /// are named "<boxName>_Up" and "<boxName>_Down".
    DigitDisplay(int minimum, int maximum, const QString &boxName, QWidget *parent = nullptr);

    [[nodiscard]] int value() const { return m_value; }
    [[nodiscard]] int minimum() const { return m_minimum; }
    [[nodiscard]] int maximum() const { return m_maximum; }
    /// Sets the value, clamped into range; emits valueChanged only when it changes.
    void setValue(int value);

    /// Height of each arrow control in pixels; the digit box takes the rest.
    void setArrowHeight(int px);
    /// The font of the digit.
    void setDigitFont(const QFont &font);

    [[nodiscard]] QLineEdit *box() const { return m_box; }
    [[nodiscard]] QToolButton *upButton() const { return m_up; }
    [[nodiscard]] QToolButton *downButton() const { return m_down; }

signals:
    void valueChanged(int value);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void layoutParts();

    int m_minimum;
    int m_maximum;
    int m_value;
    int m_arrowHeight = 16;
    QLineEdit *m_box;
    QToolButton *m_up;
    QToolButton *m_down;
};

} // namespace zelm
