// Key acquisition: the remembered key, the dialog's answers, the import and its one message,
// and the command line's one-shot answer.
#include "ProtectionTestSupport.h"
#include "tests/support/TestSupport.h"

#include "rezmira/protection/TCryptManager.h"
#include "rezmira/shell/TSettingsObj.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

using namespace rezmira;
using protectiontest::ScriptedKeyDialog;

namespace {

struct Rig : protectiontest::CryptRig {
    TSettingsObj settings;
    ScriptedKeyDialog dialog;
    KeyFileProvider provider{crypt, settings, dialog};
    QString goodKey = write(QStringLiteral("good.rzk"),
                            protectiontest::makeKeyStore(protectiontest::rsa512().get(), "qm804"));
    QString otherKey = write(QStringLiteral("other.rzk"),
                             protectiontest::makeKeyStore(protectiontest::rsa1024().get(), "qm804"));
    QString damagedKey = write(QStringLiteral("damaged.rzk"), QByteArray("not a key store"));
    QString missingKey = dir.filePath(QStringLiteral("missing.rzk"));

    QString write(const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            ADD_FAILURE() << "cannot write " << name.toStdString();
        return f.fileName();
    }
    QByteArray pair() const {
        const auto p = userKeys.load(crypt.KeyStoreName);
        return QByteArray(p.view().data(), p.view().size());
    }
};

} // namespace

TEST(AcquireKey, ChosenKeyWithUseAsDefaultIsRememberedAndUsedSilentlyNextTime) {
    Rig rig;
    rig.dialog.ok(rig.goodKey, true);
    EXPECT_TRUE(rig.provider.AcquireKey());
    EXPECT_EQ(rig.settings.LastKey, rig.goodKey);
    EXPECT_FALSE(rig.pair().isEmpty());

    // The next open imports again, without asking.
    ASSERT_TRUE(rig.userKeys.save(rig.crypt.KeyStoreName, QByteArrayView("stale")));
    EXPECT_TRUE(rig.provider.AcquireKey());
    EXPECT_EQ(rig.dialog.asked, 1);
    EXPECT_NE(rig.pair(), "stale");
}

TEST(AcquireKey, ChosenKeyWithoutUseAsDefaultKeepsLastKeyAndAsksAgain) {
    Rig rig;
    rig.settings.LastKey = rig.missingKey;
    rig.dialog.ok(rig.goodKey, false);
    EXPECT_TRUE(rig.provider.AcquireKey());
    EXPECT_EQ(rig.settings.LastKey, rig.missingKey) << "a missing remembered file keeps its path";
    rig.dialog.cancel();
    EXPECT_FALSE(rig.provider.AcquireKey());
    EXPECT_EQ(rig.dialog.asked, 2);
}

TEST(AcquireKey, CancelOrNoFileAnswersNoKey) {
    const struct {
        const char *name;
        std::function<void(Rig &)> script;
        QString lastKeyAfter;
    } cases[] = {
        {"cancel", [](Rig &r) { r.dialog.cancel(); }, QString()},
        {"ok with an empty box", [](Rig &r) { r.dialog.ok(QString(), false); }, QString()},
        {"ok with an empty box as default", [](Rig &r) { r.settings.LastKey = r.missingKey; r.dialog.ok(QString(), true); }, QString()},
        {"ok naming a missing file", [](Rig &r) { r.dialog.ok(r.missingKey, false); }, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        c.script(rig);
        EXPECT_FALSE(rig.provider.AcquireKey());
        EXPECT_EQ(rig.settings.LastKey, c.lastKeyAfter);
        EXPECT_TRUE(rig.pair().isEmpty());
    }
}

// A remembered key file that exists but cannot be loaded fails every time, without a dialog
// and without forgetting it.
TEST(AcquireKey, DamagedRememberedKeyIsReportedEveryTimeWithoutDialog) {
    Rig rig;
    const QString oversized = rig.write(QStringLiteral("big.rzk"), QByteArray(64 * 1024 + 1, 'x'));
    for (const QString &path : {rig.damagedKey, rig.dir.path(), oversized}) {
        SCOPED_TRACE(path.toStdString());
        rig.settings.LastKey = path;
        for (int attempt = 0; attempt < 2; ++attempt)
            EXPECT_THROW_MSG((void)rig.provider.AcquireKey(), Error, "Ключ поврежден");
        EXPECT_EQ(rig.settings.LastKey, path);
    }
    EXPECT_EQ(rig.dialog.asked, 0);
}

TEST(AcquireKey, DamagedKeyChosenInTheDialogIsReported) {
    Rig rig;
    rig.dialog.ok(rig.damagedKey, true);
    EXPECT_THROW_MSG((void)rig.provider.AcquireKey(), Error, "Ключ поврежден");
    EXPECT_EQ(rig.settings.LastKey, rig.damagedKey) << "the dialog already remembered it";
}

TEST(CommandLineKeyDialog, AnswersTheKeyOnceThenCancels) {
    CommandLineKeyDialog withKey(QStringLiteral("/keys/a.rzk"));
    const auto first = withKey.askForKey();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->KeyFileName, QStringLiteral("/keys/a.rzk"));
    EXPECT_FALSE(first->UseAsDefault);
    EXPECT_FALSE(withKey.askForKey());
    CommandLineKeyDialog withoutKey{QString()};
    EXPECT_FALSE(withoutKey.askForKey());
}
