// Twips (1/1440 inch), the unit of the trainer windows' layout, turned into device-independent
// pixels at the screen's logical resolution.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace zelm {

/// Converts twips to pixels at one logical resolution (dots per inch). 96 dpi gives 15 twips a
/// pixel. Positions and sizes are rounded separately, so a control's right edge may differ by a
/// pixel from another's left edge at resolutions that do not divide 1440.
class TwipsScale {
public:
    /// `dpi` is the logical resolution; values below 1 are taken as 96.
    explicit TwipsScale(double dpi = 96.0);

    /// The logical resolution of the screen `widget` is on (96 when it has none yet).
    static TwipsScale forWidget(const QWidget *widget);

    [[nodiscard]] double dpi() const { return m_dpi; }
    [[nodiscard]] int px(int twips) const;
    /// Pixels back to twips, rounded to whole twips.
    [[nodiscard]] int twips(int px) const;
    [[nodiscard]] QRect rect(int left, int top, int width, int height) const;
    [[nodiscard]] QSize size(int width, int height) const;

private:
    double m_dpi;
};

} // namespace zelm
