// The file key container store: creation with private modes, atomic replacement, and a crash
// in the middle of a write that must leave the previous pair whole.
#include "tests/support/TestSupport.h"

#include "rezmira/protection/KeyContainerStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rezmira;

namespace {

mode_t modeOf(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

QByteArray loaded(const FileKeyContainerStore &store, const QString &name) {
    const cryptoapi::SecretBytes pair = store.load(name);
    return QByteArray(pair.view().data(), pair.view().size());
}

const QString kName = QStringLiteral("Quorrix.Rezmira");

} // namespace

TEST(FileKeyContainerStore, FirstUseCreatesPrivateFolderAndFile) {
    QTemporaryDir dir;
    FileKeyContainerStore store(dir.filePath(QStringLiteral("a/b/KeyContainers")));
    EXPECT_TRUE(store.open(kName));
    EXPECT_EQ(modeOf(store.rootFolder()), mode_t(0700));
    EXPECT_TRUE(store.load(kName).isEmpty()) << "a new container holds no pair";

    ASSERT_TRUE(store.save(kName, QByteArrayView("first pair")));
    EXPECT_EQ(modeOf(QDir(store.rootFolder()).filePath(kName)), mode_t(0600));
    ASSERT_TRUE(store.save(kName, QByteArrayView("second")));
    EXPECT_EQ(loaded(store, kName), "second");
    EXPECT_EQ(modeOf(QDir(store.rootFolder()).filePath(kName)), mode_t(0600));
    EXPECT_EQ(QDir(store.rootFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{kName});

    // A folder left with wider modes is narrowed on the next write.
    ::chmod(QFile::encodeName(store.rootFolder()).constData(), 0755);
    ASSERT_TRUE(store.save(kName, QByteArrayView("third")));
    EXPECT_EQ(modeOf(store.rootFolder()), mode_t(0700));
}

TEST(FileKeyContainerStore, NamesThatLeaveTheFolderAreRefused) {
    QTemporaryDir dir;
    FileKeyContainerStore store(dir.filePath(QStringLiteral("keys")));
    for (const QString &name : {QString(), QStringLiteral("."), QStringLiteral(".."),
                                QStringLiteral("../escape"), QStringLiteral("a/b"), QStringLiteral("a\\b")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(store.open(name));
        EXPECT_FALSE(store.save(name, QByteArrayView("pair")));
        EXPECT_TRUE(store.load(name).isEmpty());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("escape"))));
}

TEST(FileKeyContainerStore, OversizedContainerIsNotRead) {
    QTemporaryDir dir;
    FileKeyContainerStore store(dir.path());
    ASSERT_TRUE(store.save(kName, QByteArrayView(QByteArray(64 * 1024 + 1, 'x'))));
    EXPECT_TRUE(store.load(kName).isEmpty());
}

// The process dies (file size limit: SIGXFSZ) while the new pair is being written; the old
// pair must survive whole. With the signal ignored the write fails instead, and save says so.
TEST(FileKeyContainerStore, CrashOrFailureMidWriteKeepsThePreviousPair) {
    QTemporaryDir dir;
    FileKeyContainerStore store(dir.filePath(QStringLiteral("keys")));
    const QByteArray oldPair(596, 'o');
    ASSERT_TRUE(store.save(kName, oldPair));

    for (const bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "killed mid-write" : "write fails");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
            const rlimit limit{100, 100};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const bool saved = store.save(kName, QByteArrayView(QByteArray(1172, 'n')));
            ::_exit(saved ? 0 : 3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (killed) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3);
        }
        EXPECT_EQ(loaded(store, kName), oldPair);
    }
}
