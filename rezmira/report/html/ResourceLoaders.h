// The two picture loaders the main window lends to the HTML view's image resolver: pictures from
// the opened result package and pictures from the styles folder.
#pragma once

#include <QByteArray>
#include <QString>

namespace rezmira {

/// Fills `Target` with the entry `Name` of the ZIP package held in `package` (the package of the
/// last open). `Name` is the part of a picture reference after "htmlres://": its percent escapes
/// are undone first, then one leading backslash is removed. Entry names compare ignoring the case
/// of A–Z, with "\" and "/" alike; a name stored without the ZIP UTF-8 flag also matches when its
/// bytes read as CP866 or Windows-1251 give the name. `Target` is emptied first, so an empty name,
/// a missing entry, an entry that cannot be decompressed or one larger than 64 MiB leaves it
/// empty. The entry is read by TStreamUnZip (stored or deflated, size and CRC checked). Throws
/// rezmira::Error when `package` is not a ZIP archive; `Target` is then untouched.
void LoadPackageResource(const QByteArray &package, const QString &Name, QByteArray &Target);

/// Replaces `Target` with the content of the file `Name` inside the styles folder `stylesPath`,
/// when there is one (a name whose percent escapes must be undone is found as well). A missing
/// file, or a name that would leave the folder (absolute, "..", a URL), leaves `Target` exactly
/// as it was. Never throws.
void LoadStyleResource(const QString &stylesPath, const QString &Name, QByteArray &Target);

} // namespace rezmira
