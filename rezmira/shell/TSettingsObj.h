// The viewer's settings store: where its files live, the remembered key store and the saved
// window placement. Headless; the window hands its placement in through FormPlacementTarget.
#pragma once

#include <QRect>
#include <QString>

namespace rezmira {

/// The folders the settings store works from, resolved once at start-up by the program (the
/// store itself never asks the system for folders). Paths may or may not end in "/".
struct SettingsFolders {
    QString appPath;     ///< folder of the program file
    QString stylesPath;  ///< the style sheets folder; empty means appPath + "XSLStyles/"
    QString roamingBase; ///< the user's roaming application-data folder (config location)
    QString localBase;   ///< the user's local application-data folder (app-local data location)
};

/// The user's folders as the system gives them to the running program: roaming from the config
/// location, local from the app-local data location, styles from stylesFolderFor(appPath).
/// Call after the application name is set.
SettingsFolders systemSettingsFolders(const QString &appPath);

/// The user's key set folder: "KeyContainers" in the per-user local folder of
/// systemSettingsFolders(), shared by the window and the command line. No trailing "/".
QString userKeySetFolder();

/// The style sheets folder for a program in `appPath`: "XSLStyles" beside the program, or for
/// an installed program (bin/rezmira) its data folder share/rezmira/XSLStyles when that exists
/// and the first does not. Ends in "/".
QString stylesFolderFor(const QString &appPath);

/// A window whose placement is saved and restored. Units are screen pixels: left/top place the
/// window frame, width/height size its client area.
class FormPlacementTarget {
public:
    virtual ~FormPlacementTarget() = default;
    virtual void setMaximizedState() = 0;
    virtual void setNormalState() = 0;
    virtual void setLeft(int left) = 0;
    virtual void setTop(int top) = 0;
    virtual void setHeight(int height) = 0;
    virtual void setWidth(int width) = 0;
    /// The current bounds, whatever the window state.
    virtual QRect bounds() const = 0;
    virtual bool isMaximized() const = 0;
};

/// The single settings object `SettingsObj`.
///
/// Created with folders (`DataModuleCreate`): the two per-user folders
/// `<base>/orvanta/Quorrix/2.X/Rezmira/` are created with their parents (failures are not
/// reported) and `LastKey` is read from "Rezmira.ini" [APPSETTINGS]. `DataModuleDestroy` writes
/// it back, also when empty. A default-constructed object has no folders: it reads and writes
/// nothing (for callers that only need `LastKey` in memory).
class TSettingsObj {
public:
    TSettingsObj() = default;
    explicit TSettingsObj(const SettingsFolders &folders);

    /// Remembered key store path; empty when none is remembered.
    QString LastKey;
    /// Folder of the style sheets, ending in "/".
    QString XSLStylesPath;

    const QString &AppPath() const { return FAppPath; }
    /// Per-user roaming folder, ending in "/"; holds "Rezmira.ini".
    const QString &SettingsPath() const { return FSettingsPath; }
    /// Per-user local folder, ending in "/"; holds "Displ.ini".
    const QString &LocalSettingsPath() const { return FLocalSettingsPath; }

    /// Writes `LastKey` to "Rezmira.ini" (the line reads `LastKey=` when it is empty). Throws
    /// rezmira::Error("Unable to write to <path>") when the file cannot be written. Does nothing
    /// for a default-constructed object.
    void DataModuleDestroy() const;

    /// Applies the placement saved under `section` of "Displ.ini": maximized alone when saved
    /// maximized; otherwise normal state, then left and top (only with `restorePosition`) and
    /// height and width, each only when not -1. A missing file, key or unparsable value counts
    /// as -1 (or not maximized). Values are not checked against the screen.
    void RestoreFormPlacement(FormPlacementTarget &form, const QString &section,
                              bool restorePosition) const;

    /// Writes left, top, height, width (the current bounds, whatever the state) and maximized
    /// (1 or 0) under `section` of "Displ.ini", keeping its other sections. Throws
    /// rezmira::Error("Unable to write to <path>") when the file cannot be written.
    void SaveFormPlacement(const FormPlacementTarget &form, const QString &section) const;

private:
    QString FAppPath;
    QString FSettingsPath;
    QString FLocalSettingsPath;
};

} // namespace rezmira
