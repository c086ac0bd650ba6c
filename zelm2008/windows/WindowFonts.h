// The trainer windows' fonts: the families the layout was drawn with, mapped to the
// metric-compatible fonts installed here.
#pragma once

#include <QFont>
#include <QString>

namespace zelm {

/// Registers the windows' resources (the icon) and makes "MS Sans Serif" available from the
/// Wine fonts folder when the system does not know it (fonts-wine installs it outside the font
/// path). Safe to call more than once; needs a QGuiApplication.
void RegisterDesignFonts();

/// The font for a layout family and size in points: "Arial" is drawn with Liberation Sans,
/// "Courier New" with Liberation Mono, "MS Sans Serif" with itself when registered and Liberation
/// Sans otherwise; any other family is asked for as named.
[[nodiscard]] QFont DesignFont(const QString &family, double points, bool bold = false);

} // namespace zelm
