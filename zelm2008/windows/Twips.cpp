#include "zelm2008/windows/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace zelm {

TwipsScale::TwipsScale(double dpi) : m_dpi(dpi >= 1.0 ? dpi : 96.0) {}

TwipsScale TwipsScale::forWidget(const QWidget *widget) {
    const QScreen *screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return TwipsScale(screen ? screen->logicalDotsPerInch() : 96.0);
}

int TwipsScale::px(int twips) const {
    return static_cast<int>(std::lround(twips * m_dpi / 1440.0));
}

int TwipsScale::twips(int px) const {
    return static_cast<int>(std::lround(px * 1440.0 / m_dpi));
}

QRect TwipsScale::rect(int left, int top, int width, int height) const {
    return {px(left), px(top), px(width), px(height)};
}

QSize TwipsScale::size(int width, int height) const {
    return {px(width), px(height)};
}

} // namespace zelm
