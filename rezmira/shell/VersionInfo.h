// The program's version block and the texts the About box and --version make of it.
#pragma once

#include <QByteArray>
#include <QString>

namespace rezmira {

/// The five strings of the version block that the About box shows.
struct VersionStrings {
    QString CompanyName;
    QString ProductName;
    QString InternalName;
    QString FileVersion;
    QString ProductVersion;
};

/// The version block built into the program: INI text whose string table is the section
/// "StringFileInfo\040904E4" (U.S. English, code page 1252).
QByteArray builtInVersionBlock();

/// Reads the five strings from a version block. Only the string table "040904E4" is consulted;
/// an entry it lacks (or a block without that table, or an empty block) gives an empty string.
VersionStrings ReadVersionInfo(const QByteArray &block);

/// "ProductName:InternalName", e.g. "Quorrix:Rezmira".
QString productNameLabel(const VersionStrings &v);
/// "Версия " + ProductVersion + "(Сборка " + FileVersion + ")".
QString versionLabel(const VersionStrings &v);
/// "Copyright © 2007-2026 " + CompanyName, over two lines.
QString copyrightLabel(const VersionStrings &v);
/// The maker's web address, shown by the About box and opened by its link.
QString makerWebAddress();

} // namespace rezmira
