// A Config.ini shared by real users (created here, as root): what another user plants
// beside the file is never trusted, links planted in team folders are not followed,
// readers leave no trace and cannot hold writers up.

#include "apperror.h"
#include "configstore.h"
#include "filetransaction.h"
#include "inifile.h"
#include "safefile.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavelorn;

namespace {

const char* const kTeam = "tvsec_team";
const char* const kAlice = "tvsec_alice"; // in the team, owns the file
const char* const kBob = "tvsec_bob";     // in the team
const char* const kEve = "tvsec_eve";     // another local user

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0; // NOLINT(cert-env33-c)
}

class Users : public testing::Environment
{
public:
    void SetUp() override
    {
        if (geteuid() != 0)
            return;
        TearDown(); // left over by a killed run
        ready = run(std::string("groupadd ") + kTeam) &&
                run(std::string("useradd -M -N -g ") + kTeam + ' ' + kAlice) &&
                run(std::string("useradd -M -N -g ") + kTeam + ' ' + kBob) &&
                run(std::string("useradd -M -U ") + kEve);
    }
    void TearDown() override
    {
        for (const char* user : {kAlice, kBob, kEve})
            run(std::string("userdel ") + user);
        run(std::string("groupdel ") + kEve);
        run(std::string("groupdel ") + kTeam);
    }
    static bool ready;
};
bool Users::ready = false;

const testing::Environment* const g_users = testing::AddGlobalTestEnvironment(new Users);

uid_t uidOf(const char* user)
{
    const passwd* pw = getpwnam(user); // NOLINT(concurrency-mt-unsafe)
    return pw ? pw->pw_uid : uid_t(-1);
}

gid_t teamGid()
{
    const group* gr = getgrnam(kTeam); // NOLINT(concurrency-mt-unsafe)
    return gr ? gr->gr_gid : gid_t(-1);
}

#define NEEDS_USERS()                                                                              \
    if (geteuid() != 0) {                                                                          \
        GTEST_SKIP() << "needs root to create the users " << kAlice << ", " << kBob << ", "        \
                     << kEve;                                                                      \
    }                                                                                              \
    ASSERT_TRUE(Users::ready) << "useradd/groupadd failed"

// Runs body in a child process as user (with the user's groups, HOME in home); its text
// comes back, empty when all went as expected. A child that hangs is killed after 60 s.
std::string asUser(const char* user, const QString& home, const std::function<std::string()>& body)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "pipe";
    const pid_t pid = fork();
    if (pid < 0)
        return "fork";
    if (pid == 0) {
        close(fds[0]);
        alarm(60);
        const passwd* pw = getpwnam(user); // NOLINT(concurrency-mt-unsafe)
        std::string result;
        if (!pw || initgroups(user, pw->pw_gid) != 0 || setgid(pw->pw_gid) != 0 ||
            setuid(pw->pw_uid) != 0)
            result = "cannot become " + std::string(user);
        else {
            qputenv("HOME", native(home));
            qunsetenv("XDG_STATE_HOME");
            try {
                result = body();
            } catch (const AppError& e) {
                result = std::string("AppError: ") + e.what();
            }
        }
        result = "R" + result;
        (void)!write(fds[1], result.data(), result.size());
        _exit(0);
    }
    close(fds[1]);
    std::string message;
    char buf[512];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            message.append(buf, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (message.empty())
        return "child of " + std::string(user) + " ended without a result (hung?), status " +
               std::to_string(status);
    return message.substr(1);
}

// Folders of a team: the root-owned test folder, homes, and the shared folder.
class TeamFolder
{
public:
    explicit TeamFolder(mode_t mode)
    {
        ::chmod(native(m_dir.path()).constData(), 0755);
        shared = m_dir.filePath(QStringLiteral("team"));
        home = m_dir.filePath(QStringLiteral("home"));
        QDir().mkdir(shared);
        QDir().mkdir(home);
        ::chmod(native(home).constData(), 01777);
        (void)!::chown(native(shared).constData(), 0, teamGid());
        ::chmod(native(shared).constData(), mode);
        file = shared + QStringLiteral("/Config.ini");
        journal = shared + QStringLiteral("/.Config.ini.tavelorn-journal");
    }
    // Config.ini of alice's, with one profile, mode mode.
    void aliceFile(mode_t mode, const QByteArray& bytes = kAliceContent)
    {
        writeBytes(file, bytes);
        (void)!::chown(native(file).constData(), uidOf(kAlice), teamGid());
        ::chmod(native(file).constData(), mode);
    }
    QString at(const QString& name) const { return shared + u'/' + name; }

    static inline const QByteArray kAliceContent =
        "[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=ALICE\nSID=A\n";
    QString shared, home, file, journal;

private:
    QTemporaryDir m_dir;
};

QStringList profileIds(const QString& file)
{
    ConfigStore store(file);
    store.loadAll();
    QStringList ids;
    for (const Profile& p : store.profiles())
        ids << p.id;
    return ids;
}

// A journal in this version's format for the file, claiming content: all a forger needs
// is public (device, inode, birth time and generation are anyone's to read).
QByteArray forgedJournal(const QString& file, const QByteArray& content)
{
    struct statx sx
    {
    };
    statx(AT_FDCWD, native(file).constData(), 0, STATX_INO | STATX_BTIME, &sx);
    unsigned int generation = 0;
    const int fd = ::open(native(file).constData(), O_RDONLY);
    if (fd >= 0) {
        (void)::ioctl(fd, FS_IOC_GETVERSION, &generation);
        ::close(fd);
    }
    const quint64 fields[5] = {(quint64(sx.stx_dev_major) << 32) | sx.stx_dev_minor, sx.stx_ino,
                               quint64(sx.stx_btime.tv_sec),
                               (quint64(sx.stx_btime.tv_nsec) << 32) | generation,
                               quint64(content.size())};
    const QByteArray raw(reinterpret_cast<const char*>(fields), sizeof fields);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(raw);
    hash.addData(content);
    return QByteArray("TAVELORN ROLLBACK JOURNAL 2\n") + raw + hash.result() + content;
}

const QByteArray kEveContent = "[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=EVE\nSID=E\n";

// What eve plants at the journal's name in a sticky folder everyone writes, before alice
// reads and saves her hard-linked file (rewritten in place): never read, never written.
TEST(SharedUsers, PlantedJournalsAreNeverTrusted)
{
    NEEDS_USERS();
    enum class Plant
    {
        Forged,    // a valid journal of eve's
        Squatted,  // an empty file everyone may write
        Fifo,      // a pipe: opening it must not wait
        Oversized, // a sparse journal of 3 GiB
    };
    for (const Plant plant : {Plant::Forged, Plant::Squatted, Plant::Fifo, Plant::Oversized}) {
        SCOPED_TRACE(int(plant));
        TeamFolder team(01777);
        team.aliceFile(0644);
        ASSERT_EQ(::link(native(team.file).constData(), native(team.at("linked.ini")).constData()),
                  0);
        EXPECT_EQ(asUser(kEve, team.home,
                         [&]() -> std::string {
                             const QByteArray j = native(team.journal);
                             switch (plant) {
                             case Plant::Forged:
                                 writeBytes(team.journal, forgedJournal(team.file, kEveContent));
                                 break;
                             case Plant::Squatted:
                                 writeBytes(team.journal, QByteArray());
                                 ::chmod(j.constData(), 0666);
                                 break;
                             case Plant::Fifo:
                                 if (::mkfifo(j.constData(), 0644) != 0)
                                     return "mkfifo";
                                 break;
                             case Plant::Oversized: {
                                 QByteArray big = forgedJournal(team.file, kEveContent);
                                 writeBytes(team.journal, big);
                                 if (::truncate(j.constData(), off_t(3) << 30) != 0)
                                     return "truncate";
                                 break;
                             }
                             }
                             return {};
                         }),
                  "");
        EXPECT_EQ(asUser(kAlice, team.home,
                         [&]() -> std::string {
                             std::string found;
                             if (profileIds(team.file) != QStringList{"ALICE"})
                                 found += "reader saw " +
                                          profileIds(team.file).join(',').toStdString() + "; ";
                             ConfigStore store(team.file);
                             store.loadAll();
                             Profile p;
                             p.sid = "B";
                             try {
                                 store.storeProfile(QStringLiteral("ALICE2"), p);
                                 found += "save went through beside a journal it cannot replace; ";
                             } catch (const AppError& e) {
                                 if (e.cause() != kErrNoJournalPlace)
                                     found += std::string("save: ") + e.what() + "; ";
                             }
                             if (readBytes(team.file) != TeamFolder::kAliceContent)
                                 found += "file changed; ";
                             return found;
                         }),
                  "");
        struct stat js;
        ASSERT_EQ(::lstat(native(team.journal).constData(), &js), 0);
        if (plant == Plant::Squatted)
            EXPECT_EQ(js.st_size, 0) << "alice's old content leaked into eve's file";
    }
}

// Bob saves twice by rename: the inode of alice's old file, whose journal she kept,
// comes back. The journal names another file now: it is dropped, bob's work stays.
TEST(SharedUsers, AJournalOfAReusedInodeIsDropped)
{
    NEEDS_USERS();
    TeamFolder team(0775);
    team.aliceFile(0664);
    struct stat first;
    ASSERT_EQ(::stat(native(team.file).constData(), &first), 0);
    // alice's journal of the file as it is now, left by a killed rewrite.
    const QByteArray stale = forgedJournal(team.file, TeamFolder::kAliceContent);
    bool reused = false;
    const QString bobs = QStringLiteral(
        "[SystemInfo]\nNbItems=2\n[SystemInfo_1]\nID=BOB1\n[SystemInfo_2]\nID=BOB2\n");
    EXPECT_EQ(asUser(kAlice, team.home,
                     [&]() -> std::string {
                         writeBytes(team.journal, stale);
                         ::chmod(native(team.journal).constData(), 0644);
                         return {};
                     }),
              "");
    // The kernel hands the freed inode number out again; bob's saves replace the file.
    ASSERT_EQ(::rename(native(team.file).constData(), native(team.at("old")).constData()), 0);
    ASSERT_EQ(::unlink(native(team.at("old")).constData()), 0);
    for (int i = 0; i < 2000 && !reused; ++i) {
        const QString candidate = team.at(QStringLiteral("c%1").arg(i));
        writeBytes(candidate, bobs.toUtf8());
        struct stat st;
        ::stat(native(candidate).constData(), &st);
        if (st.st_ino == first.st_ino) {
            ASSERT_EQ(::rename(native(candidate).constData(), native(team.file).constData()), 0);
            (void)!::chown(native(team.file).constData(), uidOf(kBob), teamGid());
            ::chmod(native(team.file).constData(), 0664);
            reused = true;
        } else {
            ::unlink(native(candidate).constData());
        }
    }
    if (!reused) {
        GTEST_SKIP() << "the file system did not reuse the inode number";
    }
    EXPECT_EQ(asUser(kAlice, team.home,
                     [&]() -> std::string {
                         std::string found;
                         if (profileIds(team.file) != QStringList({"BOB1", "BOB2"}))
                             found += "reader saw " +
                                      profileIds(team.file).join(',').toStdString() + "; ";
                         ConfigStore store(team.file);
                         store.loadAll();
                         store.storeProfile(QStringLiteral("ALICE"), Profile{});
                         if (profileIds(team.file) != QStringList({"BOB1", "BOB2", "ALICE"}))
                             found +=
                                 "after the save " + profileIds(team.file).join(',').toStdString();
                         return found;
                     }),
              "");
    EXPECT_FALSE(QFileInfo::exists(team.journal));
}

// In a team folder (group-writable, not sticky) bob replaces Config.ini and a picture's
// name by links to alice's own files: her save and her export leave those alone.
TEST(SharedUsers, LinksPlantedInATeamFolderAreNotFollowed)
{
    NEEDS_USERS();
    TeamFolder team(0775);
    const QString notes = team.home + QStringLiteral("/notes.txt");
    const QString picture = team.home + QStringLiteral("/holiday.jpg");
    EXPECT_EQ(asUser(kAlice, team.home,
                     [&]() -> std::string {
                         writeBytes(notes, "alice's notes\n");
                         writeBytes(picture, "alice's picture");
                         return {};
                     }),
              "");
    EXPECT_EQ(asUser(kBob, team.home,
                     [&]() -> std::string {
                         if (::symlink(native(notes).constData(), native(team.file).constData()) !=
                                 0 ||
                             ::symlink(native(picture).constData(),
                                       native(team.at("DEV.jpg")).constData()) != 0)
                             return "symlink";
                         return {};
                     }),
              "");
    EXPECT_EQ(asUser(kAlice, team.home,
                     [&]() -> std::string {
                         std::string found;
                         ConfigStore store(team.file);
                         try {
                             store.storeProfile(QStringLiteral("P"), Profile{});
                             found += "save through the link; ";
                         } catch (const AppError& e) {
                             if (e.cause() != kErrRefusedLink)
                                 found += std::string("save: ") + e.what() + "; ";
                         }
                         if (const int r = writeFileSafely(team.at("DEV.jpg"), "JPEG");
                             r != kErrRefusedLink)
                             found += "picture: " + std::to_string(r) + "; ";
                         // alice's own link there is hers to follow.
                         const QString mine = team.at("mine.jpg");
                         if (::symlink(native(picture).constData(), native(mine).constData()) !=
                                 0 ||
                             writeFileSafely(mine, "JPEG") != 0)
                             found += "her own link; ";
                         return found;
                     }),
              "");
    EXPECT_EQ(readBytes(notes), "alice's notes\n");
    EXPECT_EQ(readBytes(picture), "JPEG");
}

// Eve may read the file (not write it): a lock she holds on the file, and a lock file
// bob planted before the first save and holds, delay no save of alice's.
TEST(SharedUsers, ReadersHoldingLocksDoNotDelayWriters)
{
    NEEDS_USERS();
    TeamFolder team(0775);
    team.aliceFile(0644);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    int hold[2];
    ASSERT_EQ(pipe(hold), 0);
    const auto holder = [&](const char* user, const std::function<void()>& lockIt) {
        const pid_t pid = fork();
        if (pid == 0) {
            const passwd* pw = getpwnam(user); // NOLINT(concurrency-mt-unsafe)
            if (!pw || initgroups(user, pw->pw_gid) != 0 || setgid(pw->pw_gid) != 0 ||
                setuid(pw->pw_uid) != 0)
                _exit(1);
            close(hold[1]);
            lockIt();
            (void)!write(ready[1], "x", 1);
            char c;
            (void)!read(hold[0], &c, 1); // until the test ends
            _exit(0);
        }
        return pid;
    };
    const pid_t eve = holder(kEve, [&] {
        const int fd = ::open(native(team.file).constData(), O_RDONLY);
        struct flock fl
        {
        };
        fl.l_type = F_RDLCK;
        (void)::fcntl(fd, F_SETLK, &fl);
        const int ofd = ::open(native(team.file).constData(), O_RDONLY);
        (void)::fcntl(ofd, F_OFD_SETLK, &fl);
    });
    const pid_t bob = holder(kBob, [&] {
        const int fd = ::open(native(team.at(".Config.ini.lock")).constData(),
                              O_RDWR | O_CREAT | O_EXCL, 0644);
        ::fchmod(fd, 0644);
        struct flock fl
        {
        };
        fl.l_type = F_RDLCK;
        (void)::fcntl(fd, F_OFD_SETLK, &fl);
    });
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    // Positive control: the planted lock file is held.
    {
        const int fd = ::open(native(team.at(".Config.ini.lock")).constData(), O_RDWR);
        struct flock fl
        {
        };
        fl.l_type = F_WRLCK;
        EXPECT_NE(::fcntl(fd, F_OFD_SETLK, &fl), 0);
        ::close(fd);
    }
    EXPECT_EQ(asUser(kAlice, team.home,
                     [&]() -> std::string {
                         ConfigStore store(team.file);
                         store.loadAll();
                         // Without a wait: the first try must find the lock free.
                         int waits = 0;
                         store.setLockWaitObserver([&](const QString&, qint64, int) {
                             ++waits;
                             return false;
                         });
                         store.storeProfile(QStringLiteral("ALICE2"), Profile{});
                         return waits ? "waited" : std::string();
                     }),
              "");
    close(hold[1]);
    waitpid(eve, nullptr, 0);
    waitpid(bob, nullptr, 0);
    EXPECT_EQ(profileIds(team.file), QStringList({"ALICE", "ALICE2"}));
    // The lock file is alice's now, open only to those who may write the file.
    struct stat ls;
    ASSERT_EQ(::stat(native(team.at(".Config.ini.lock")).constData(), &ls), 0);
    EXPECT_EQ(ls.st_uid, uidOf(kAlice));
    EXPECT_EQ(ls.st_mode & 0777, 0600u);
}

struct Snapshot
{
    QStringList names;
    QList<QByteArray> bytes;
    QList<qint64> mtimes;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const QString& folder)
{
    Snapshot s;
    s.names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& n : s.names) {
        struct stat st;
        ::lstat(native(folder + u'/' + n).constData(), &st);
        s.bytes << readBytes(folder + u'/' + n);
        s.mtimes << qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    }
    struct stat fs;
    ::stat(native(folder).constData(), &fs);
    s.mtimes << qint64(fs.st_mtim.tv_sec) * 1'000'000'000 + fs.st_mtim.tv_nsec;
    return s;
}

// A load by its owner, by a team member and by a user who may only read leaves the
// folder as it was: nothing created, no byte or time changed. A save does change it
// (the positive control).
TEST(SharedUsers, ReadersLeaveNoTrace)
{
    NEEDS_USERS();
    TeamFolder team(0775);
    team.aliceFile(0664);
    const Snapshot before = snapshot(team.shared);
    for (const char* user : {kAlice, kBob, kEve}) {
        EXPECT_EQ(asUser(user, team.home,
                         [&]() -> std::string {
                             return profileIds(team.file) == QStringList{"ALICE"}
                                        ? ""
                                        : "wrong profiles";
                         }),
                  "")
            << user;
        EXPECT_TRUE(snapshot(team.shared) == before) << user << " left a trace";
    }
    EXPECT_EQ(asUser(kBob, team.home,
                     [&]() -> std::string {
                         ConfigStore store(team.file);
                         store.storeProfile(QStringLiteral("BOB"), Profile{});
                         return {};
                     }),
              "");
    EXPECT_FALSE(snapshot(team.shared) == before);
}

} // namespace
