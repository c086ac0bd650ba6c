#include "rezmira/protection/AcquireKey.h"

#include "rezmira/Error.h"
#include "rezmira/protection/TCryptManager.h"
#include "rezmira/shell/TSettingsObj.h"

#include <QFile>
#include <QFileInfo>

namespace rezmira {

namespace {

constexpr qint64 kMaxKeyStoreSize = 64 * 1024;

// The fixed key store password, as its 5 single-byte characters without a terminator.
QByteArray keyStorePassword() { return QByteArrayLiteral("qm804"); }

[[noreturn]] void keyDamaged() { throw Error(QStringLiteral("Ключ поврежден")); }

} // namespace

CommandLineKeyDialog::CommandLineKeyDialog(QString keyFile) : m_keyFile(std::move(keyFile)) {}

std::optional<KeyDialogAnswer> CommandLineKeyDialog::askForKey() {
    if (m_keyFile.isEmpty() || m_answered)
        return std::nullopt;
    m_answered = true;
    return KeyDialogAnswer{m_keyFile, false};
}

KeyFileProvider::KeyFileProvider(TCryptManager &cryptManager, TSettingsObj &settings,
                                 KeyDialog &dialog)
    : FCryptManager(cryptManager), FSettings(settings), FDialog(dialog) {}

bool KeyFileProvider::AcquireKey() {
    QString path = FSettings.LastKey;
    if (!QFileInfo::exists(path)) {
        if (const std::optional<KeyDialogAnswer> answer = FDialog.askForKey()) {
            path = answer->KeyFileName;
            if (answer->UseAsDefault)
                FSettings.LastKey = path;
        }
    }
    if (!QFileInfo::exists(path))
        return false;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxKeyStoreSize)
        keyDamaged();
    const QByteArray keyStore = file.read(kMaxKeyStoreSize + 1);
    if (keyStore.size() > kMaxKeyStoreSize || file.error() != QFileDevice::NoError)
        keyDamaged();
    try {
        FCryptManager.ImportKeyStore(keyStore, keyStorePassword());
    } catch (const std::exception &) {
        keyDamaged();
    }
    return true;
}

} // namespace rezmira
