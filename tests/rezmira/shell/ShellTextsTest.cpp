// The texts of the error box, the report errors box, the About box and the file dialog filters.
#include "rezmira/shell/ErrorText.h"
#include "rezmira/shell/FileDialogRequest.h"
#include "rezmira/shell/VersionInfo.h"

#include <gtest/gtest.h>

using namespace rezmira;

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersAboveIt) {
    const struct {
        const char *name;
        QString message;
        QString shown;
    } cases[] = {
        {"Russian letter", QStringLiteral("Ключ поврежден"), QStringLiteral("Ключ поврежден.")},
        {"ASCII letter", QStringLiteral("Unable Decrypt Message"), QStringLiteral("Unable Decrypt Message.")},
        {"digit", QStringLiteral("Код 5"), QStringLiteral("Код 5.")},
        {"slash is above", QStringLiteral("путь /"), QStringLiteral("путь /.")},
        {"closing parenthesis is below", QStringLiteral("(a)"), QStringLiteral("(a)")},
        {"full stop", QStringLiteral("Готово."), QStringLiteral("Готово.")},
        {"comma", QStringLiteral("a,"), QStringLiteral("a,")},
        {"hyphen", QStringLiteral("a-"), QStringLiteral("a-")},
        {"exclamation", QStringLiteral("a!"), QStringLiteral("a!")},
        {"space", QStringLiteral("a "), QStringLiteral("a ")},
        {"empty", QString(), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorBoxText(c.message), c.shown);
    }
    EXPECT_EQ(QString::fromUtf16(kErrorBoxCaption), QStringLiteral("Rezmira"));
}

TEST(ErrorBoxText, ReportErrorsGoUnderTheirHeading) {
    const ReportErrorsBox box = reportErrorsBox({QStringLiteral("Первая"), QStringLiteral("Вторая")});
    EXPECT_EQ(box.caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(box.text, QStringLiteral("Были обнаружены следующие ошибки:\nПервая\nВторая"));
    EXPECT_TRUE(reportErrorsBox({}).text.isEmpty());
}

TEST(VersionInfo, BuiltInBlockFillsTheAboutLabels) {
    const VersionStrings v = ReadVersionInfo(builtInVersionBlock());
    EXPECT_EQ(v.CompanyName, QStringLiteral("Orvanta"));
    EXPECT_EQ(productNameLabel(v), QStringLiteral("Quorrix:Rezmira"));
    EXPECT_EQ(versionLabel(v), QStringLiteral("Версия 2.0(Сборка 2.0.0.0)"));
    EXPECT_TRUE(copyrightLabel(v).endsWith(QStringLiteral("Orvanta")));
}

TEST(VersionInfo, OtherStringTableOrNoBlockLeavesOnlyTheFixedParts) {
    for (const QByteArray &block : {QByteArray("[StringFileInfo\\041904E3]\nProductName=Quorrix\n"), QByteArray()}) {
        const VersionStrings v = ReadVersionInfo(block);
        EXPECT_EQ(productNameLabel(v), QStringLiteral(":"));
        EXPECT_EQ(versionLabel(v), QStringLiteral("Версия (Сборка )"));
    }
}

TEST(FileDialogRequest, FiltersAndDefaultExtensionsTranslate) {
    EXPECT_EQ(toolkitFileFilter(QStringLiteral("Файл результатов (*.rzt)|*.rzt")),
              QStringLiteral("Файл результатов (*.rzt)"));
    EXPECT_EQ(toolkitFileFilter(QStringLiteral("Key Store|*.rzk;*.key|All|*")),
              QStringLiteral("Key Store (*.rzk *.key);;All (*)"));
    EXPECT_EQ(toolkitFileFilter(QString()), QString());
    EXPECT_EQ(toolkitDefaultSuffix(QStringLiteral("*.rzk")), QStringLiteral("rzk"));
    EXPECT_EQ(toolkitDefaultSuffix(QStringLiteral(".pdf")), QStringLiteral("pdf"));
    EXPECT_EQ(toolkitDefaultSuffix(QStringLiteral("*.*")), QString());
}
