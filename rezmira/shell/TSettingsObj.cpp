// The viewer's settings store: folders, "Rezmira.ini" and "Displ.ini".
#include "rezmira/shell/TSettingsObj.h"

#include "rezmira/shell/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace rezmira {

namespace {

const QString kAppSettings = QStringLiteral("APPSETTINGS");
const QString kLastKey = QStringLiteral("LastKey");

QString withSlash(QString path) {
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString userFolder(const QString &base) {
    return withSlash(QDir::cleanPath(base + QStringLiteral("/orvanta/Quorrix/2.X/Rezmira")));
}

// The system's base of the per-user local folder.
QString localBase() { return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation); }

int readInt(const IniFile &ini, const QString &section, const QString &key, int fallback) {
    bool ok = false;
    const int v = ini.value(section, key).toInt(&ok);
    return ok ? v : fallback;
}

} // namespace

QString stylesFolderFor(const QString &appPath) {
    const QDir app(appPath);
    const QString beside = app.absoluteFilePath(QStringLiteral("XSLStyles"));
    const QString installed = QDir::cleanPath(
        app.absoluteFilePath(QStringLiteral("../share/rezmira/XSLStyles")));
    if (!QFileInfo(beside).isDir() && QFileInfo(installed).isDir())
        return withSlash(installed);
    return withSlash(beside);
}

SettingsFolders systemSettingsFolders(const QString &appPath) {
    return SettingsFolders{
        appPath,
        stylesFolderFor(appPath),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
        localBase(),
    };
}

QString userKeySetFolder() {
    return userFolder(localBase()) + QStringLiteral("KeyContainers");
}

TSettingsObj::TSettingsObj(const SettingsFolders &folders)
    : FAppPath(withSlash(folders.appPath)),
      FSettingsPath(userFolder(folders.roamingBase)),
      FLocalSettingsPath(userFolder(folders.localBase)) {
    XSLStylesPath = folders.stylesPath.isEmpty() ? FAppPath + QStringLiteral("XSLStyles/")
                                                 : withSlash(folders.stylesPath);
    QDir().mkpath(FSettingsPath);
    QDir().mkpath(FLocalSettingsPath);
    LastKey = IniFile::load(FSettingsPath + QStringLiteral("Rezmira.ini")).value(kAppSettings, kLastKey);
}

void TSettingsObj::DataModuleDestroy() const {
    if (FSettingsPath.isEmpty())
        return;
    const QString path = FSettingsPath + QStringLiteral("Rezmira.ini");
    IniFile ini = IniFile::load(path);
    ini.setValue(kAppSettings, kLastKey, LastKey);
    ini.save(path);
}

void TSettingsObj::RestoreFormPlacement(FormPlacementTarget &form, const QString &section,
                                        bool restorePosition) const {
    if (FLocalSettingsPath.isEmpty())
        return;
    const IniFile ini = IniFile::load(FLocalSettingsPath + QStringLiteral("Displ.ini"));
    const int left = readInt(ini, section, QStringLiteral("left"), -1);
    const int top = readInt(ini, section, QStringLiteral("top"), -1);
    const int height = readInt(ini, section, QStringLiteral("height"), -1);
    const int width = readInt(ini, section, QStringLiteral("width"), -1);
    const bool maximized = readInt(ini, section, QStringLiteral("maximized"), 0) != 0;
    if (maximized) {
        form.setMaximizedState();
        return;
    }
    form.setNormalState();
    if (restorePosition) {
        if (left != -1)
            form.setLeft(left);
        if (top != -1)
            form.setTop(top);
    }
    if (height != -1)
        form.setHeight(height);
    if (width != -1)
        form.setWidth(width);
}

void TSettingsObj::SaveFormPlacement(const FormPlacementTarget &form, const QString &section) const {
    if (FLocalSettingsPath.isEmpty())
        return;
    const QString path = FLocalSettingsPath + QStringLiteral("Displ.ini");
    IniFile ini = IniFile::load(path);
    const QRect r = form.bounds();
    ini.setValue(section, QStringLiteral("left"), QString::number(r.left()));
    ini.setValue(section, QStringLiteral("top"), QString::number(r.top()));
    ini.setValue(section, QStringLiteral("height"), QString::number(r.height()));
    ini.setValue(section, QStringLiteral("width"), QString::number(r.width()));
    ini.setValue(section, QStringLiteral("maximized"), form.isMaximized() ? QStringLiteral("1")
                                                                          : QStringLiteral("0"));
    ini.save(path);
}

} // namespace rezmira
