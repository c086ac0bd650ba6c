// The settings store: folders, "Rezmira.ini", "Displ.ini" placement and refused writes.
#include "rezmira/shell/IniFile.h"
#include "rezmira/shell/TSettingsObj.h"

#include "rezmira/Error.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

using namespace rezmira;

namespace {

QString readText(const QString &path) { return QString::fromUtf8(testsupport::readAll(path)); }

void writeText(const QString &path, const QByteArray &text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

/// Records what a restore applies, in order.
class RecordingPlacement : public FormPlacementTarget {
public:
    QStringList calls;
    QRect current{10, 20, 300, 200};
    bool maximized = false;
    void setMaximizedState() override { calls << QStringLiteral("maximized"); }
    void setNormalState() override { calls << QStringLiteral("normal"); }
    void setLeft(int v) override { calls << QStringLiteral("left=%1").arg(v); }
    void setTop(int v) override { calls << QStringLiteral("top=%1").arg(v); }
    void setHeight(int v) override { calls << QStringLiteral("height=%1").arg(v); }
    void setWidth(int v) override { calls << QStringLiteral("width=%1").arg(v); }
    QRect bounds() const override { return current; }
    bool isMaximized() const override { return maximized; }
};

struct Folders {
    QTemporaryDir root;
    SettingsFolders folders() const {
        return SettingsFolders{root.filePath(QStringLiteral("app")), {},
                               root.filePath(QStringLiteral("roaming")),
                               root.filePath(QStringLiteral("local"))};
    }
    QString roaming() const { return root.filePath(QStringLiteral("roaming/orvanta/Quorrix/2.X/Rezmira/")); }
    QString local() const { return root.filePath(QStringLiteral("local/orvanta/Quorrix/2.X/Rezmira/")); }
};

} // namespace

TEST(TSettingsObj, FirstRunCreatesBothFoldersAndRemembersNoKey) {
    Folders f;
    const TSettingsObj settings(f.folders());
    EXPECT_TRUE(QDir(f.roaming()).exists());
    EXPECT_TRUE(QDir(f.local()).exists());
    EXPECT_EQ(settings.SettingsPath(), f.roaming());
    EXPECT_EQ(settings.LocalSettingsPath(), f.local());
    EXPECT_EQ(settings.XSLStylesPath, f.root.filePath(QStringLiteral("app/XSLStyles/")));
    EXPECT_TRUE(settings.LastKey.isEmpty());
    EXPECT_FALSE(QFile::exists(f.roaming() + QStringLiteral("Rezmira.ini")));
}

TEST(TSettingsObj, KeySetFolderLivesInTheSystemLocalFolder) {
    // The window and the command line both take the key set folder from here; it must sit in
    // the same per-user local folder as "Displ.ini" (QStandardPaths is in test mode).
    QTemporaryDir app;
    const TSettingsObj settings(systemSettingsFolders(app.path()));
    EXPECT_EQ(userKeySetFolder(), settings.LocalSettingsPath() + QStringLiteral("KeyContainers"));
    EXPECT_TRUE(settings.LocalSettingsPath().endsWith(QStringLiteral("/orvanta/Quorrix/2.X/Rezmira/")));
    EXPECT_TRUE(settings.SettingsPath().endsWith(QStringLiteral("/orvanta/Quorrix/2.X/Rezmira/")));
}

TEST(TSettingsObj, LastKeyIsReadAtCreationAndWrittenAtEndEvenWhenCleared) {
    Folders f;
    {
        TSettingsObj settings(f.folders());
        settings.LastKey = QStringLiteral("/keys/Моя ключ.rzk");
        settings.DataModuleDestroy();
    }
    EXPECT_EQ(readText(f.roaming() + QStringLiteral("Rezmira.ini")),
              QStringLiteral("[APPSETTINGS]\nLastKey=/keys/Моя ключ.rzk\n"));
    TSettingsObj again(f.folders());
    EXPECT_EQ(again.LastKey, QStringLiteral("/keys/Моя ключ.rzk"));
    again.LastKey.clear(); // a failed decryption forgets the key
    again.DataModuleDestroy();
    EXPECT_EQ(readText(f.roaming() + QStringLiteral("Rezmira.ini")),
              QStringLiteral("[APPSETTINGS]\nLastKey=\n"));
    EXPECT_TRUE(TSettingsObj(f.folders()).LastKey.isEmpty());
}

TEST(TSettingsObj, WritingKeepsOtherSectionsKeysAndCaseOfTheFile) {
    Folders f;
    QDir().mkpath(f.roaming());
    writeText(f.roaming() + QStringLiteral("Rezmira.ini"),
              "; kept\r\n[Other]\r\nx = 1\r\n[appsettings]\r\nlastkey = /old.rzk\r\nMore=2\r\n");
    TSettingsObj settings(f.folders());
    EXPECT_EQ(settings.LastKey, QStringLiteral("/old.rzk"));
    settings.LastKey = QStringLiteral("/new.rzk");
    settings.DataModuleDestroy();
    EXPECT_EQ(readText(f.roaming() + QStringLiteral("Rezmira.ini")),
              QStringLiteral("; kept\n[Other]\nx=1\n[appsettings]\nlastkey=/new.rzk\nMore=2\n"));
}

TEST(TSettingsObj, RestoreFollowsTheSavedValues) {
    struct Case {
        const char *name;
        QByteArray section; // body of [MAINFRM]; null: no file
        bool restorePosition;
        QStringList expected;
    };
    const QList<Case> cases = {
        {"no file: designed bounds, normal", QByteArray(), true, {"normal"}},
        {"all values", "left=5\ntop=6\nheight=300\nwidth=400\nmaximized=0\n", true,
         {"normal", "left=5", "top=6", "height=300", "width=400"}},
        {"position not restored", "left=5\ntop=6\nheight=300\nwidth=400\n", false,
         {"normal", "height=300", "width=400"}},
        {"-1 cannot be told from missing", "left=-1\ntop=7\nheight=-1\nwidth=400\n", true,
         {"normal", "top=7", "width=400"}},
        {"unparsable counts as missing", "left=abc\ntop=\nheight=1e3\nwidth=400\n", true,
         {"normal", "width=400"}},
        {"maximized ignores the bounds", "left=5\ntop=6\nheight=300\nwidth=400\nmaximized=1\n", true,
         {"maximized"}},
        {"any non-zero is maximized", "maximized=7\n", true, {"maximized"}},
        {"off-screen bounds applied unchanged", "left=-5000\ntop=90000\n", true,
         {"normal", "left=-5000", "top=90000"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Folders f;
        const TSettingsObj settings(f.folders());
        if (!c.section.isNull())
            writeText(f.local() + QStringLiteral("Displ.ini"), "[OTHER]\nleft=1\n[MAINFRM]\n" + c.section);
        RecordingPlacement form;
        settings.RestoreFormPlacement(form, QStringLiteral("MAINFRM"), c.restorePosition);
        EXPECT_EQ(form.calls, c.expected);
    }
}

TEST(TSettingsObj, SaveWritesBoundsWhateverTheStateThenMaximized) {
    Folders f;
    const TSettingsObj settings(f.folders());
    RecordingPlacement form;
    form.maximized = true;
    form.current = QRect(0, 0, 1280, 1000);
    settings.SaveFormPlacement(form, QStringLiteral("MAINFRM"));
    EXPECT_EQ(readText(f.local() + QStringLiteral("Displ.ini")),
              QStringLiteral("[MAINFRM]\nleft=0\ntop=0\nheight=1000\nwidth=1280\nmaximized=1\n"));
    form.maximized = false;
    form.current = QRect(-3, 40, 500, 420);
    settings.SaveFormPlacement(form, QStringLiteral("MAINFRM"));
    EXPECT_EQ(readText(f.local() + QStringLiteral("Displ.ini")),
              QStringLiteral("[MAINFRM]\nleft=-3\ntop=40\nheight=420\nwidth=500\nmaximized=0\n"));
}

TEST(TSettingsObj, RefusedWritesRaiseUnableToWriteWithThePath) {
    Folders f;
    const TSettingsObj settings(f.folders());
    // A folder where the file should be makes every write fail, whoever runs the test.
    QDir().mkpath(f.roaming() + QStringLiteral("Rezmira.ini"));
    QDir().mkpath(f.local() + QStringLiteral("Displ.ini"));
    EXPECT_THROW_MSG(settings.DataModuleDestroy(), Error,
                     QStringLiteral("Unable to write to ") + f.roaming() + QStringLiteral("Rezmira.ini"));
    RecordingPlacement form;
    EXPECT_THROW_MSG(settings.SaveFormPlacement(form, QStringLiteral("MAINFRM")), Error,
                     QStringLiteral("Unable to write to ") + f.local() + QStringLiteral("Displ.ini"));
    // Reads of the unreadable files give the defaults.
    settings.RestoreFormPlacement(form, QStringLiteral("MAINFRM"), true);
    EXPECT_EQ(form.calls, QStringList{QStringLiteral("normal")});
}

TEST(TSettingsObj, DefaultConstructedObjectTouchesNoFile) {
    TSettingsObj settings;
    settings.LastKey = QStringLiteral("/k.rzk");
    EXPECT_NO_THROW(settings.DataModuleDestroy());
    RecordingPlacement form;
    settings.RestoreFormPlacement(form, QStringLiteral("MAINFRM"), true);
    EXPECT_TRUE(form.calls.isEmpty());
}

TEST(TSettingsObj, StylesFolderIsBesideTheProgramOrInItsInstalledDataFolder) {
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    EXPECT_EQ(stylesFolderFor(bin), bin + QStringLiteral("/XSLStyles/")); // neither: beside
    QDir().mkpath(root.filePath(QStringLiteral("share/rezmira/XSLStyles")));
    EXPECT_EQ(stylesFolderFor(bin), root.filePath(QStringLiteral("share/rezmira/XSLStyles/")));
    QDir().mkpath(bin + QStringLiteral("/XSLStyles"));
    EXPECT_EQ(stylesFolderFor(bin), bin + QStringLiteral("/XSLStyles/"));
}

TEST(IniFile, ParsesTolerantlyAndRoundTrips) {
    const IniFile ini = IniFile::parse("junk line\n[ A ]\nk=v=w\n =x\n;c=1\n[B]\r\nK = spaced value \r\n");
    EXPECT_EQ(ini.value(QStringLiteral("a"), QStringLiteral("K")), QStringLiteral("v=w"));
    EXPECT_EQ(ini.value(QStringLiteral("B"), QStringLiteral("k")), QStringLiteral("spaced value"));
    EXPECT_EQ(ini.value(QStringLiteral("A"), QStringLiteral(";c"), QStringLiteral("none")), QStringLiteral("none"));
    EXPECT_EQ(ini.value(QStringLiteral("C"), QStringLiteral("k"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(ini.toText(), QByteArray("junk line\n[A]\nk=v=w\n =x\n;c=1\n[B]\nK=spaced value\n"));
}
