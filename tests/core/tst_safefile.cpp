#include "apperror.h"
#include "coretesting.h"
#include "safefile.h"

#include "childprocess.h"
#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

using namespace tavelorn;

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

struct stat statOf(const QString& path)
{
    struct stat st
    {
    };
    ::lstat(native(path).constData(), &st);
    return st;
}

// Bytes that change from one offset to the next, so that a torn or shifted file shows.
QByteArray patterned(qsizetype size, int seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char((seed + i * 7 + (i >> 9)) & 0xFF);
    return b;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

std::string describe(const char* what, int got, int expected)
{
    return std::string(what) + ": got " + std::to_string(got) + ", expected " +
           std::to_string(expected) + "; ";
}

// A folder that the user nobody may work in too, when the tests run as root.
class SharedDir
{
public:
    SharedDir()
    {
        EXPECT_TRUE(shareWithNobody(m_dir.path()));
        ::chmod(native(m_dir.path()).constData(), 0755);
    }
    ~SharedDir()
    {
        // Give everything back so that the folder can be removed.
        QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString p = it.next();
            if (QFileInfo(p).isDir() && !QFileInfo(p).isSymLink())
                ::chmod(native(p).constData(), 0755);
        }
    }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

TEST(SafeWrite, ReplacesTheFileOrCreatesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    const mode_t oldMask = ::umask(027);
    const int created = writeFileSafely(path, "first");
    ::umask(oldMask);
    ASSERT_EQ(created, 0);
    EXPECT_EQ(readBytes(path), "first");
    EXPECT_EQ(statOf(path).st_mode & 07777, 0640u); // as open() with the user's umask

    // A replaced file is a new file with the old one's mode.
    ::chmod(native(path).constData(), 0604);
    for (const QByteArray& content :
         {QByteArray("second, longer"), QByteArray("3"), QByteArray()}) {
        const ino_t before = statOf(path).st_ino;
        ASSERT_EQ(writeFileSafely(path, content), 0);
        EXPECT_EQ(readBytes(path), content);
        EXPECT_NE(statOf(path).st_ino, before);
        EXPECT_EQ(statOf(path).st_mode & 07777, 0604u);
    }

    // A relative name is written in the current folder.
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const int relative = writeFileSafely(QStringLiteral("relative.ini"), "rel");
    QDir::setCurrent(cwd);
    EXPECT_EQ(relative, 0);
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("relative.ini"))), "rel");
    EXPECT_EQ(entries(dir.path()), (QStringList{"Config.ini", "relative.ini"}));
}

// Every name of a hard-linked file sees the new content: it is rewritten in place.
TEST(SafeWrite, HardLinkedFileIsRewrittenInPlace)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.ini"));
    const QString b = dir.filePath(QStringLiteral("b.ini"));
    writeBytes(a, patterned(10000, 1));
    ASSERT_EQ(::link(native(a).constData(), native(b).constData()), 0);
    const ino_t inode = statOf(a).st_ino;
    for (const qsizetype size : {20000, 5000, 0, 5000}) {
        SCOPED_TRACE(size);
        const QByteArray content = patterned(size, int(size));
        ASSERT_EQ(writeFileSafely(b, content), 0);
        EXPECT_EQ(readBytes(a), content);
        EXPECT_EQ(statOf(a).st_ino, inode);
        EXPECT_EQ(statOf(b).st_ino, inode);
    }
    EXPECT_EQ(entries(dir.path()), (QStringList{"a.ini", "b.ini"}));
}

TEST(SafeWrite, FollowsTheWholeChainOfLinks)
{
    QTemporaryDir dir;
    const auto at = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    const auto symlink = [&](const QString& target, const char* name) {
        ASSERT_EQ(::symlink(native(target).constData(), native(at(name)).constData()), 0);
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    writeBytes(at("sub/c.jpg"), "old");
    symlink(QStringLiteral("sub/c.jpg"), "b.jpg"); // relative to the link's folder
    symlink(at("b.jpg"), "a.jpg");
    symlink(QStringLiteral("missing.jpg"), "dangling.jpg");
    symlink(QStringLiteral("loop2.jpg"), "loop1.jpg");
    symlink(QStringLiteral("loop1.jpg"), "loop2.jpg");
    symlink(QStringLiteral("self.jpg"), "self.jpg");
    symlink(QStringLiteral("sub"), "folder.jpg");

    EXPECT_EQ(writeFileSafely(at("a.jpg"), "new"), 0);
    EXPECT_EQ(readBytes(at("sub/c.jpg")), "new");
    EXPECT_EQ(QFile::symLinkTarget(at("a.jpg")), at("b.jpg"));
    EXPECT_EQ(QFile::symLinkTarget(at("b.jpg")), at("sub/c.jpg"));

    // A link to a missing file creates that file, as opening it for writing does.
    EXPECT_EQ(writeFileSafely(at("dangling.jpg"), "made"), 0);
    EXPECT_EQ(readBytes(at("missing.jpg")), "made");
    EXPECT_TRUE(QFileInfo(at("dangling.jpg")).isSymLink());

    EXPECT_EQ(writeFileSafely(at("loop1.jpg"), "x"), ELOOP);
    EXPECT_EQ(writeFileSafely(at("self.jpg"), "x"), ELOOP);
    EXPECT_EQ(writeFileSafely(at("folder.jpg"), "x"), EISDIR);
    for (const char* name : {"loop1.jpg", "loop2.jpg", "self.jpg", "folder.jpg"})
        EXPECT_TRUE(QFileInfo(at(name)).isSymLink()) << name;
    EXPECT_EQ(entries(dir.path()),
              (QStringList{"a.jpg", "b.jpg", "dangling.jpg", "folder.jpg", "loop1.jpg", "loop2.jpg",
                           "missing.jpg", "self.jpg", "sub"}));
    EXPECT_EQ(entries(at("sub")), QStringList{"c.jpg"});
}

TEST(SafeWrite, TargetsThatAreNoFileAreLeftAlone)
{
    QTemporaryDir dir;
    const auto at = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    writeBytes(at("plain"), "plain");
    ASSERT_EQ(::mkfifo(native(at("fifo")).constData(), 0600), 0);
    struct Case
    {
        QString path;
        int cause;
    };
    const Case cases[] = {
        {at("folder"), EISDIR},
        {at("fifo"), kErrNotRegularFile}, // and no waiting for a reader
        {QStringLiteral("/dev/null"), kErrNotRegularFile},
        {at("missing/x.ini"), ENOENT},
        {at("plain/x.ini"), ENOTDIR},
        {QString(), ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(writeFileSafely(c.path, "bytes"), c.cause);
    }
    EXPECT_EQ(entries(dir.path()), (QStringList{"fifo", "folder", "plain"}));
    EXPECT_TRUE(S_ISFIFO(statOf(at("fifo")).st_mode));
    EXPECT_EQ(readBytes(at("plain")), "plain");
    EXPECT_TRUE(QDir(at("folder")).isEmpty());
}

// A folder the user may not create files in still lets them rewrite a file they may
// write; a read-only file stays refused.
TEST(SafeWrite, FolderThatRefusesNewFiles)
{
    SharedDir dir;
    const QString folder = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString writable = folder + QStringLiteral("/dev.jpg");
    const QString readOnly = folder + QStringLiteral("/prd.jpg");
    writeBytes(writable, patterned(36586, 1));
    writeBytes(readOnly, "read only");
    ::chmod(native(readOnly).constData(), 0444);
    for (const QString& p : {folder, writable, readOnly})
        ASSERT_TRUE(shareWithNobody(p)) << p.toStdString();
    ::chmod(native(folder).constData(), 0555);

    // The rollback journal of the in-place rewrite goes to the user's state folder.
    const QString state = dir.filePath(QStringLiteral("state"));
    ASSERT_TRUE(QDir().mkdir(state));
    ASSERT_TRUE(shareWithNobody(state));

    const ChildOutcome outcome = runInChild(asNobody(), [&] {
        std::string found;
        const ino_t inode = statOf(writable).st_ino;
        // Without a place for the journal the file is not touched.
        qunsetenv("XDG_STATE_HOME");
        qputenv("HOME", "/nonexistent");
        if (const int r = writeFileSafely(writable, "no journal"); r != kErrNoJournalPlace)
            found += describe("rewrite without a journal", r, kErrNoJournalPlace);
        if (readBytes(writable) != patterned(36586, 1))
            found += "file changed without a journal; ";
        qputenv("XDG_STATE_HOME", QFile::encodeName(state));
        for (const qsizetype size : {45056, 1000}) {
            const QByteArray content = patterned(size, 2);
            if (const int r = writeFileSafely(writable, content))
                found += describe("rewrite", r, 0);
            if (readBytes(writable) != content || statOf(writable).st_ino != inode)
                found += "content or inode of the rewritten file; ";
        }
        if (const int r = writeFileSafely(readOnly, "x"); r != EACCES)
            found += describe("read-only file", r, EACCES);
        if (const int r = writeFileSafely(folder + QStringLiteral("/new.jpg"), "x"); r != EACCES)
            found += describe("new file", r, EACCES);
        return found;
    });
    ASSERT_TRUE(outcome.skipped.empty()) << outcome.skipped;
    EXPECT_EQ(outcome.failure, "");
    EXPECT_EQ(readBytes(readOnly), "read only");
    EXPECT_EQ(entries(folder), (QStringList{"dev.jpg", "prd.jpg"}));
    // The journals went with their rewrites.
    EXPECT_EQ(entries(state + QStringLiteral("/Tavelorn-Tools/Tavelorn/journals")), QStringList());
}

// Needs two users: root saving another user's file, and that user writing root's.
TEST(SafeWrite, KeepsTheOwnerAndGroup)
{
    if (!runningAsRoot())
        GTEST_SKIP() << "needs root to own files as another user";
    SharedDir dir;
    const QString theirs = dir.filePath(QStringLiteral("theirs.ini"));
    writeBytes(theirs, "old");
    ASSERT_EQ(::chown(native(theirs).constData(), nobodyUid(), nobodyGid()), 0);
    ::chmod(native(theirs).constData(), 04640); // set-user-ID survives the owner change
    ASSERT_EQ(writeFileSafely(theirs, "new"), 0);
    EXPECT_EQ(readBytes(theirs), "new");
    EXPECT_EQ(statOf(theirs).st_uid, nobodyUid());
    EXPECT_EQ(statOf(theirs).st_gid, nobodyGid());
    EXPECT_EQ(statOf(theirs).st_mode & 07777, 04640u);

    // nobody may write root's file but cannot give a replacement to root: in place.
    const QString roots = dir.filePath(QStringLiteral("roots.ini"));
    writeBytes(roots, "old");
    ::chmod(native(roots).constData(), 0666);
    const ino_t inode = statOf(roots).st_ino;
    const ChildOutcome outcome = runInChild(asNobody(), [&] {
        const int r = writeFileSafely(roots, "written by nobody");
        return r == 0 ? std::string() : describe("write", r, 0);
    });
    EXPECT_EQ(outcome.failure, "");
    EXPECT_EQ(readBytes(roots), "written by nobody");
    EXPECT_EQ(statOf(roots).st_uid, 0u);
    EXPECT_EQ(statOf(roots).st_ino, inode);
    EXPECT_EQ(entries(dir.path()), (QStringList{"roots.ini", "theirs.ini"}));
}

// In a folder that others may write (group or others write bit, sticky or not), a link
// is followed only when it belongs to the writer or to the folder's owner.
TEST(SafeWrite, ProtectedLinksInSharedFolders)
{
    if (!runningAsRoot())
        GTEST_SKIP() << "needs root to plant links as another user";
    struct Case
    {
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        int cause;
    };
    const uid_t nobody = nobodyUid();
    const Case cases[] = {
        {01777, 0, nobody, kErrRefusedLink}, // planted by another user: refused
        {01777, 0, 0, 0},                    // the writer's own
        {01777, nobody, nobody, 0},          // the folder owner's
        {0777, 0, nobody, kErrRefusedLink},  // not sticky: refused all the same
        {0775, 0, nobody, kErrRefusedLink},  // a team's folder
        {0755, nobody, nobody, 0},           // only its owner writes there
        {01755, nobody, 0, 0},               // sticky, but not everyone's
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.folderMode << std::dec << " folder of "
                                        << c.folderOwner << ", link of " << c.linkOwner);
        QTemporaryDir dir;
        const QString victim = dir.filePath(QStringLiteral("chosen.jpg"));
        writeBytes(victim, "theirs");
        const QString shared = dir.filePath(QStringLiteral("tmp"));
        ASSERT_TRUE(QDir().mkdir(shared));
        ASSERT_EQ(::chown(native(shared).constData(), c.folderOwner, 0), 0);
        ASSERT_EQ(::chmod(native(shared).constData(), c.folderMode), 0);
        const QString link = shared + QStringLiteral("/DEV_2024_01_05.jpg");
        ASSERT_EQ(::symlink(native(victim).constData(), native(link).constData()), 0);
        ASSERT_EQ(::lchown(native(link).constData(), c.linkOwner, 0), 0);

        EXPECT_EQ(writeFileSafely(link, "export"), c.cause);
        EXPECT_EQ(readBytes(victim), c.cause ? QByteArray("theirs") : QByteArray("export"));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(entries(shared), QStringList{"DEV_2024_01_05.jpg"});
    }
}

// A full disk or the file size limit stops the write: the old file stays byte for byte,
// in place or not, and no temporary file is left.
TEST(SafeWrite, FullDiskLeavesTheOldFileAsItWas)
{
    enum class Layout
    {
        Plain,
        HardLinked,
        FolderRefusesNewFiles
    };
    enum class Limit
    {
        FullDisk,     // a small tmpfs, nearly full
        FileSizeLimit // RLIMIT_FSIZE: runs without root
    };
    struct Case
    {
        Limit limit;
        Layout layout;
        qsizetype newSize;
        qint64 room; // free bytes left on the disk, or the file size limit
        int cause;
        bool journalOnTheFullDisk = false; // else the state folder lies elsewhere
    };
    constexpr qsizetype kOld = 36586; // nine pages
    const Case cases[] = {
        // Growing by two pages with one free.
        {Limit::FullDisk, Layout::Plain, 45056, 4096, ENOSPC},
        {Limit::FullDisk, Layout::HardLinked, 45056, 4096, ENOSPC},
        {Limit::FullDisk, Layout::FolderRefusesNewFiles, 45056, 4096, ENOSPC},
        // Room for the growth but not for a second copy: written in place, its rollback
        // journal in the state folder on another disk. Not a hard-linked file: readers
        // through its other names would never look there.
        {Limit::FullDisk, Layout::Plain, 40000, 8192, 0},
        {Limit::FullDisk, Layout::HardLinked, 40000, 8192, ENOSPC},
        {Limit::FullDisk, Layout::FolderRefusesNewFiles, 40000, 8192, 0},
        // No room for the journal anywhere: refused.
        {Limit::FullDisk, Layout::Plain, 40000, 8192, ENOSPC, true},
        {Limit::FullDisk, Layout::HardLinked, 40000, 8192, ENOSPC, true},
        {Limit::FileSizeLimit, Layout::Plain, 45056, 40000, EFBIG},
        {Limit::FileSizeLimit, Layout::HardLinked, 45056, 40000, EFBIG},
        {Limit::FileSizeLimit, Layout::FolderRefusesNewFiles, 45056, 40000, EFBIG},
        {Limit::FileSizeLimit, Layout::HardLinked, 39000, 40000, 0},
    };
    const QByteArray old = patterned(kOld, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "limit " << int(c.limit) << ", layout " << int(c.layout)
                                        << ", " << c.newSize << " bytes");
        SharedDir dir;
        const QString disk = dir.filePath(QStringLiteral("disk"));
        ASSERT_TRUE(QDir().mkdir(disk));
        ::chmod(native(disk).constData(), 0777);
        const QString file = disk + QStringLiteral("/dev.jpg");
        const QString link = disk + QStringLiteral("/copy.jpg");
        const QString filler = disk + QStringLiteral("/filler");

        ChildSetup setup;
        if (c.limit == Limit::FullDisk) {
            setup.tmpfsAt = disk;
            setup.tmpfsBytes = 256 * 1024;
        } else {
            setup.fileSizeLimit = c.room;
        }
        setup.unprivileged = c.layout == Layout::FolderRefusesNewFiles;
        setup.prepare = [&]() -> std::string {
            writeBytes(file, old);
            if (c.layout == Layout::HardLinked &&
                ::link(native(file).constData(), native(link).constData()) != 0)
                return "link";
            if (c.limit == Limit::FullDisk) {
                struct statvfs vfs;
                if (::statvfs(native(disk).constData(), &vfs) != 0)
                    return "statvfs";
                const qint64 avail = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
                writeBytes(filler, QByteArray(qsizetype(avail - c.room), 'f'));
                if (statOf(filler).st_size != avail - c.room)
                    return "filler";
            }
            if (c.layout == Layout::FolderRefusesNewFiles) {
                if (!shareWithNobody(file))
                    return "lchown";
                ::chmod(native(disk).constData(), 0555);
            }
            return {};
        };
        const QString state = c.journalOnTheFullDisk ? disk + QStringLiteral("/state")
                                                     : dir.filePath(QStringLiteral("state"));
        if (!c.journalOnTheFullDisk) {
            ASSERT_TRUE(QDir().mkdir(state));
            ASSERT_TRUE(shareWithNobody(state));
        }
        const QByteArray content = patterned(c.newSize, 4);
        const ChildOutcome outcome = runInChild(setup, [&] {
            qputenv("XDG_STATE_HOME", QFile::encodeName(state));
            std::string found;
            const int r = writeFileSafely(file, content);
            if (r != c.cause)
                found += describe("write", r, c.cause);
            const QByteArray expected = c.cause ? old : content;
            if (readBytes(file) != expected)
                found +=
                    "content of the file, size " + std::to_string(readBytes(file).size()) + "; ";
            if (c.layout == Layout::HardLinked && readBytes(link) != expected)
                found += "content of the other link; ";
            QStringList names = entries(disk);
            names.removeAll(QStringLiteral("filler"));
            names.removeAll(QStringLiteral("copy.jpg"));
            names.removeAll(QStringLiteral("state"));
            if (names != QStringList{QStringLiteral("dev.jpg")})
                found += "left in the folder: " + names.join(u' ').toStdString() + "; ";
            return found;
        });
        if (!outcome.skipped.empty()) {
            std::cout << "[  SKIPPED ] " << outcome.skipped << '\n';
            continue;
        }
        EXPECT_EQ(outcome.failure, "");
    }
}

// Kill writers at random moments: the file is always one whole version, and the next
// write removes the temporary files that the killed ones left.
TEST(SafeWrite, KilledWritesLeaveNeitherTornFilesNorTemporaryFiles)
{
    const QByteArray first = patterned(3'000'000, 5);
    const QByteArray second = patterned(2'000'000, 6);
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed temporary files" : "named temporary files");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Config.ini"));
        writeBytes(path, "initial");
        int leftovers = 0;
        for (int round = 0; round < 25; ++round) {
            const pid_t pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                TestHooks::setUnnamedTempFilesEnabled(unnamed);
                for (;;) {
                    writeFileSafely(path, first);
                    writeFileSafely(path, second);
                }
            }
            ::usleep(useconds_t(QRandomGenerator::global()->bounded(2000, 30000)));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            const QByteArray now = readBytes(path);
            EXPECT_TRUE(now == "initial" || now == first || now == second)
                << "torn file of " << now.size() << " bytes";
            leftovers = std::max(leftovers, int(entries(dir.path()).size()) - 1);
        }
        TestHooks::setUnnamedTempFilesEnabled(unnamed);
        EXPECT_EQ(writeFileSafely(path, "last"), 0);
        TestHooks::setUnnamedTempFilesEnabled(true);
        EXPECT_EQ(entries(dir.path()), QStringList{"Config.ini"}) << leftovers << " left over";
        EXPECT_EQ(readBytes(path), "last");
    }
}

// Clean-up removes only temporary files it can prove ours: the user's own files that
// look alike stay, whatever their age.
TEST(SafeWrite, CleanUpRemovesOnlyTheTemporaryFilesOfDeadWriters)
{
    QTemporaryDir dir;
    const auto at = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    const QStringList users{".tavelorn-dead01", ".tavelorn-toolong", "notes.txt",
                            // the shape of ours, with a tag that is not the file's
                            ".Config.ini.tavelorn-abcdefghijABCDEFGHIJ-0123456789ab",
                            ".Config.ini.tavelorn-abcdefghijABCDEFGHI"};
    for (const QString& name : users)
        writeBytes(dir.filePath(name), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral(".tavelorn-dir001")));
    // A writer killed after naming its temporary file: a fork that stops itself there.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        TestHooks::setUnnamedTempFilesEnabled(false);
        TestHooks::setStopBeforeRename(true);
        writeFileSafely(at("Config.ini"), "killed");
        _exit(0);
    }
    ::waitpid(pid, nullptr, WUNTRACED);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ASSERT_EQ(entries(dir.path()).size(), users.size() + 2) << "the killed writer's file";
    QStringList kept = users;
    kept << QStringLiteral(".tavelorn-dir001") << QStringLiteral("Config.ini");
    kept.sort();

    EXPECT_EQ(writeFileSafely(at("Config.ini"), "x"), 0);
    EXPECT_EQ(entries(dir.path()), kept);
}

} // namespace
