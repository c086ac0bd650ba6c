// The program's 16 × 16 command glyphs and its icon, drawn from the SVG files built into it.
#pragma once

#include <QIcon>

namespace rezmira {

/// The command glyphs by image index: 0 printer, 1 zoom in, 2 zoom out, 3 open, 4 first page,
/// 5 previous page, 6 next page, 7 last page. Any other index gives an empty icon.
QIcon glyph(int index);

/// The program's icon, at the usual sizes.
QIcon programIcon();

} // namespace rezmira
