// The package and styles-folder picture loaders and the resolver that routes between them.
#include "rezmira/report/html/ResourceLoaders.h"

#include "TestPackage.h"
#include "rezmira/Error.h"
#include "rezmira/report/html/ImageReferences.h"
#include "rezmira/report/html/TIMGResolver.h"

#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

using namespace rezmira;
using htmltest::ZipEntry;

namespace {

QByteArray cp(const char *codec, const QString &text) {
    // Test-side encoders for the two legacy code pages, Cyrillic letters only.
    QByteArray out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 128) {
            out.append(char(u));
        } else if (qstrcmp(codec, "cp1251") == 0) {
            out.append(char(u == 0x401 ? 0xA8 : u == 0x451 ? 0xB8 : u - 0x410 + 0xC0));
        } else {
            out.append(char(u < 0x440 ? u - 0x410 + 0x80 : u - 0x440 + 0xE0));
        }
    }
    return out;
}

QByteArray package() {
    return htmltest::buildZip({
        {"a b.png", "space", false},
        {"[1].png", "brackets", false},
        {QString::fromUtf8("Кот.png").toUtf8(), "utf8 flagged", true},
        {"x#y.png", "hash", false},
        {"c+d.png", "plus", false},
        {"a%20b.png", "literal percent", false},
        {"sub dir/p.png", "sub folder", false},
        {cp("cp866", QString::fromUtf8("Рисунок.png")), "cp866", false},
        {cp("cp1251", QString::fromUtf8("Фото ёлки.png")), "cp1251", false},
        {QString::fromUtf8("Ель.png").toUtf8(), "utf8 unflagged", false},
        {"IMAGES/Q2.PNG", "case", false},
    });
}

// The name as the resolver hands it over: the rewritten reference without "htmlres://", with the
// backslash escaped as libxslt's HTML output writes it.
QString arriving(const QString &entryName) {
    QByteArray ref = EscapeReferencePath("\\" + entryName.toUtf8());
    ref.replace("\\", "%5C");
    return QString::fromLatin1(ref);
}

} // namespace

TEST(LoadPackageResource, FindsEntriesWhoseNamesNeedEscapes) {
    const QByteArray zip = package();
    const struct {
        const char *name;
        const char *expected;
    } cases[] = {
        {"a b.png", "space"},           {"[1].png", "brackets"},
        {"Кот.png", "utf8 flagged"},    {"x#y.png", "hash"},
        {"c+d.png", "plus"},            {"a%20b.png", "literal percent"},
        {"sub dir/p.png", "sub folder"}, {"Рисунок.png", "cp866"},
        {"Фото ёлки.png", "cp1251"},    {"Ель.png", "utf8 unflagged"},
        {"images/q2.png", "case"},      {"images\\q2.png", "case"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        QByteArray target = "stale";
        LoadPackageResource(zip, arriving(name), target);
        EXPECT_EQ(target, QByteArray(c.expected));
        // The unescaped backslash form finds it as well.
        target.clear();
        LoadPackageResource(zip, QString::fromLatin1(EscapeReferencePath("\\" + name.toUtf8())),
                            target);
        EXPECT_EQ(target, QByteArray(c.expected));
    }
}

TEST(LoadPackageResource, MissingOrEmptyNameGivesEmptyTarget) {
    const QByteArray zip = package();
    for (const QString &name : {QStringLiteral("%5Cnope.png"), QString(), QStringLiteral("\\"),
                                QStringLiteral("%5Ca%2520b.png.x")}) {
        QByteArray target = "previous picture";
        LoadPackageResource(zip, name, target);
        EXPECT_TRUE(target.isEmpty()) << name.toStdString();
    }
}

TEST(LoadPackageResource, NotAnArchiveFailsAndLeavesTargetUntouched) {
    QByteArray target = "kept";
    EXPECT_THROW(LoadPackageResource(QByteArray("not a zip at all"), "%5Ca.png", target),
                 rezmira::Error);
    EXPECT_EQ(target, QByteArray("kept"));
    EXPECT_THROW(LoadPackageResource(QByteArray(), "%5Ca.png", target), rezmira::Error);
    EXPECT_EQ(target, QByteArray("kept"));
}

TEST(LoadStyleResource, ServesOnlyFilesInsideTheStylesFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString styles = root.filePath("XSLStyles");
    htmltest::writeFile(styles + "/logo.png", "logo");
    htmltest::writeFile(styles + "/sub dir/mark.png", "mark");
    htmltest::writeFile(root.filePath("secret.png"), "secret");
    QFile::link(root.filePath("secret.png"), styles + "/link.png");

    const struct {
        const char *name;
        QByteArray expected;
    } cases[] = {
        {"logo.png", "logo"},
        {"sub dir/mark.png", "mark"},
        {"sub%20dir/mark.png", "mark"},
        {"sub dir\\mark.png", "mark"},
        {"missing.png", "unchanged"},
        {"../secret.png", "unchanged"},
        {"sub dir/../../secret.png", "unchanged"},
        {"link.png", "unchanged"},
        {"", "unchanged"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray target = "unchanged";
        LoadStyleResource(styles, QString::fromUtf8(c.name), target);
        EXPECT_EQ(target, c.expected);
    }
    QByteArray target = "unchanged";
    LoadStyleResource(styles, root.filePath("secret.png"), target);
    EXPECT_EQ(target, QByteArray("unchanged"));
    LoadStyleResource(styles, "file://" + root.filePath("secret.png"), target);
    EXPECT_EQ(target, QByteArray("unchanged"));
    LoadStyleResource(QString(), "logo.png", target);
    EXPECT_EQ(target, QByteArray("unchanged"));
}

TEST(TIMGResolver, RoutesByTheExactLowerCasePrefix) {
    TIMGResolver resolver;
    QStringList calls;
    resolver.OnResourceImage = [&](const QString &name, QByteArray &) { calls << "res:" + name; };
    resolver.OnFileImage = [&](const QString &name, QByteArray &) { calls << "file:" + name; };
    QByteArray stream;
    resolver.ResolveImage("htmlres://%5Ca.png", stream);
    resolver.ResolveImage("HTMLRES://%5Ca.png", stream);
    resolver.ResolveImage("logo.png", stream);
    resolver.ResolveImage(" htmlres://x", stream);
    EXPECT_EQ(calls, QStringList({"res:%5Ca.png", "file:HTMLRES://%5Ca.png", "file:logo.png",
                                  "file: htmlres://x"}));

    TIMGResolver none;
    stream = "unchanged";
    none.ResolveImage("htmlres://a", stream);
    none.ResolveImage("a", stream);
    EXPECT_EQ(stream, QByteArray("unchanged"));
}
