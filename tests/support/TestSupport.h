// Helpers every suite may use: fixture folders and the exact-error assertion.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QString>

namespace testsupport {

/// The shared fixtures folder (outside the repository), or an empty string when it is absent.
inline QString sharedFixtures(const QString &sub = {}) {
    const QDir dir(QStringLiteral(SHARED_FIXTURES_DIR));
    if (!dir.exists())
        return {};
    return sub.isEmpty() ? dir.absolutePath() : dir.absoluteFilePath(sub);
}

/// Our own small test data under tests/data.
inline QString testData(const QString &name) {
    return QDir(QStringLiteral(TEST_DATA_DIR)).absoluteFilePath(name);
}

inline QByteArray readAll(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << path.toStdString();
    return f.readAll();
}

/// The standard output of `program` run with `args` (e.g. pdftotext on a written PDF); a run that
/// does not finish within a minute is a test failure.
inline QString programOutput(const QString &program, const QStringList &args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000))
        ADD_FAILURE() << program.toStdString() << " did not finish";
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace testsupport

/// Skips the current test with a clear message when the shared fixtures are not there.
#define REQUIRE_SHARED_FIXTURES(sub)                                                           \
    do {                                                                                       \
        if (testsupport::sharedFixtures(sub).isEmpty() ||                                      \
            !QFileInfo::exists(testsupport::sharedFixtures(sub)))                              \
            GTEST_SKIP() << "shared fixtures not found at " SHARED_FIXTURES_DIR " — skipped";  \
    } while (0)

/// Asserts that `statement` throws exactly `Type` (or a subtype) whose message() equals
/// `expected`, spelled literally in the test.
#define EXPECT_THROW_MSG(statement, Type, expected)                                            \
    do {                                                                                       \
        try {                                                                                  \
            statement;                                                                         \
            ADD_FAILURE() << "expected " #Type " with \"" << QString(expected).toStdString()   \
                          << "\", nothing was thrown";                                         \
        } catch (const Type &e_) {                                                             \
            EXPECT_EQ(e_.message().toStdString(), QString(expected).toStdString());            \
        } catch (const std::exception &e_) {                                                   \
            ADD_FAILURE() << "expected " #Type ", got another exception: " << e_.what();       \
        }                                                                                      \
    } while (0)
