#include "zelm2008/windows/DigitDisplay.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

namespace zelm {

DigitDisplay::DigitDisplay(int minimum, int maximum, const QString &boxName, QWidget *parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(std::max(minimum, maximum)),
      m_value(minimum), m_box(new QLineEdit(this)), m_up(new QToolButton(this)),
      m_down(new QToolButton(this)) {
    setFocusPolicy(Qt::StrongFocus);
    m_box->setObjectName(boxName);
    m_box->setReadOnly(true);
    m_box->setAlignment(Qt::AlignCenter);
    m_box->setFocusProxy(this);
    m_box->setContextMenuPolicy(Qt::NoContextMenu);
    m_box->setText(QString::number(m_value));
    for (auto [button, arrow, suffix] :
         {std::tuple{m_up, Qt::UpArrow, "_Up"}, std::tuple{m_down, Qt::DownArrow, "_Down"}}) {
        button->setObjectName(boxName + QLatin1String(suffix));
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { setValue(m_value + 1); });
    connect(m_down, &QToolButton::clicked, this, [this] { setValue(m_value - 1); });
}

void DigitDisplay::setValue(int value) {
    value = std::clamp(value, m_minimum, m_maximum);
    if (value == m_value)
        return;
    m_value = value;
    m_box->setText(QString::number(value));
    emit valueChanged(value);
}

void DigitDisplay::setArrowHeight(int px) {
    m_arrowHeight = std::max(1, px);
    layoutParts();
}

void DigitDisplay::setDigitFont(const QFont &font) {
    m_box->setFont(font);
}

void DigitDisplay::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    layoutParts();
}

void DigitDisplay::layoutParts() {
    const int w = width();
    const int arrow = std::min(m_arrowHeight, height() / 3);
    m_up->setGeometry(0, 0, w, arrow);
    m_box->setGeometry(0, arrow, w, height() - 2 * arrow);
    m_down->setGeometry(0, height() - arrow, w, arrow);
}

void DigitDisplay::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        setValue(m_value + 1);
        return;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        setValue(m_value - 1);
        return;
    case Qt::Key_Home:
        setValue(m_maximum);
        return;
    case Qt::Key_End:
        setValue(m_minimum);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void DigitDisplay::wheelEvent(QWheelEvent *event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        setValue(m_value + steps);
    event->accept();
}

} // namespace zelm
