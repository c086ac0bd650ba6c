// Getting a key store ready for a protected result: the remembered key file, else the key
// dialog (through the KeyDialog role), then the import with the fixed password.
#pragma once

#include "rezmira/loading/ProtectedContent.h"

#include <QString>

#include <optional>

namespace rezmira {

class TCryptManager;
class TSettingsObj;

/// What the key dialog answers when closed with OK: the chosen key file (may be empty) and
/// whether it is to be used by default from now on.
struct KeyDialogAnswer {
    QString KeyFileName;
    bool UseAsDefault = false;
};

/// The key dialog's role: asks the user for a key store file. The window implementation shows
/// the modal dialog centred on the main window; CommandLineKeyDialog answers from --key.
class KeyDialog {
public:
    virtual ~KeyDialog() = default;
    /// The answer when the dialog closes with OK; nullopt when it closes any other way.
    [[nodiscard]] virtual std::optional<KeyDialogAnswer> askForKey() = 0;
};

/// The command line's stand-in for the dialog: the first request is answered with the --key
/// file (not remembered), every later one as cancelled, since no one is there to ask again.
/// Without a --key file every request is cancelled.
class CommandLineKeyDialog : public KeyDialog {
public:
    explicit CommandLineKeyDialog(QString keyFile);
    std::optional<KeyDialogAnswer> askForKey() override;

private:
    QString m_keyFile;
    bool m_answered = false;
};

/// The KeyProvider of the open pipeline's protected loop. AcquireKey():
/// - takes the remembered key file (`LastKey`); when no file exists there, asks the KeyDialog:
///   OK makes the chosen file the one to use (and `LastKey`, when "use as default" is on);
///   cancel keeps the remembered path;
/// - when no file exists at the path in hand, answers false;
/// - otherwise reads the file and imports it with the 5 password bytes "qm804"; true on success.
///   Any failure (unreadable file, a file over 64 KiB — no key store is that large —, any
///   import error) throws rezmira::Error("Ключ поврежден") and leaves `LastKey` unchanged.
/// The key store is imported on every call, even when the file has not changed.
class KeyFileProvider : public KeyProvider {
public:
    /// All three must outlive the provider.
    KeyFileProvider(TCryptManager &cryptManager, TSettingsObj &settings, KeyDialog &dialog);

    bool AcquireKey() override;

private:
    TCryptManager &FCryptManager;
    TSettingsObj &FSettings;
    KeyDialog &FDialog;
};

} // namespace rezmira
