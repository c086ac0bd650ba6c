// The program's version block and the texts made of it.
#include "rezmira/shell/VersionInfo.h"

#include "rezmira/shell/IniFile.h"

namespace rezmira {

QByteArray builtInVersionBlock() {
    return QByteArrayLiteral("[FixedFileInfo]\n"
                             "FileVersion=2.0.0.0\n"
                             "ProductVersion=2.0.0.0\n"
                             "[StringFileInfo\\040904E4]\n"
                             "CompanyName=Orvanta\n"
                             "FileDescription=Rezmira\n"
                             "FileVersion=2.0.0.0\n"
                             "InternalName=Rezmira\n"
                             "ProductName=Quorrix\n"
                             "ProductVersion=2.0\n");
}

VersionStrings ReadVersionInfo(const QByteArray &block) {
    const IniFile ini = IniFile::parse(block);
    const QString table = QStringLiteral("StringFileInfo\\040904E4");
    return VersionStrings{
        ini.value(table, QStringLiteral("CompanyName")),
        ini.value(table, QStringLiteral("ProductName")),
        ini.value(table, QStringLiteral("InternalName")),
        ini.value(table, QStringLiteral("FileVersion")),
        ini.value(table, QStringLiteral("ProductVersion")),
    };
}

QString productNameLabel(const VersionStrings &v) {
    return v.ProductName + QLatin1Char(':') + v.InternalName;
}

QString versionLabel(const VersionStrings &v) {
    return QStringLiteral("Версия ") + v.ProductVersion + QStringLiteral("(Сборка ") +
           v.FileVersion + QLatin1Char(')');
}

QString copyrightLabel(const VersionStrings &v) {
    return QStringLiteral("Copyright © 2007-2026\n") + v.CompanyName;
}

QString makerWebAddress() { return QStringLiteral("http://www.orvanta.example/"); }

} // namespace rezmira
