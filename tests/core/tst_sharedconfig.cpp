// One Config.ini shared by several windows and processes: every save keeps what the
// others wrote, a killed in-place save is rolled back, a reader never sees half a write.
#include "apperror.h"
#include "filetransaction.h"
#include "configstore.h"
#include "inifile.h"
#include "safefile.h"
#include "testfiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavelorn;

namespace {

Profile profile(const QString& sid, const QString& usage = QString())
{
    Profile s;
    s.systemTitle = QStringLiteral("T");
    s.sid = sid;
    s.usage1 = usage;
    s.borderWidth = 2;
    return s;
}

QStringList profileIds(const QString& file)
{
    ConfigStore store(file);
    store.loadAll();
    QStringList ids;
    for (const Profile& s : std::as_const(store.profiles()))
        ids << s.id;
    return ids;
}

// Runs body in n forked children at once; returns how many failed.
int inChildren(int n, const std::function<bool(int child)>& body)
{
    std::vector<pid_t> pids;
    for (int c = 0; c < n; ++c) {
        const pid_t pid = fork();
        if (pid == 0) {
            bool ok = false;
            try {
                ok = body(c);
            } catch (...) {
            }
            _exit(ok ? 0 : 1);
        }
        pids.push_back(pid);
    }
    int failed = 0;
    for (const pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        failed += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    return failed;
}

// The two-window sequence: each window loaded the file before the other saved.
TEST(SharedConfig, TwoWindowsKeepEachOthersWork)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Config.ini"));
    writeBytes(file, "[SystemTitle]\nNbItems=1\nItem_1=ERP\n"
                     "[LandscapeType]\nNbItems=2\nItem_1=DEV\nItem_2=PRD\n"
                     "[Color]\nNbItems=2\nItem_1=0\nItem_2=0\n"
                     "[SID]\nNbItems=2\nItem_1=DEV\nItem_2=PRD\n"
                     "[RefreshComment]\nNbItems=1\nItem_1=\n");
    ConfigStore a(file), b(file);
    a.loadAll();
    b.loadAll();

    b.storeProfile(QStringLiteral("ERP__PRD__2024_03_03"), profile(QStringLiteral("PRD")));
    a.storeProfile(QStringLiteral("ERP__DEV__2024_03_03"), profile(QStringLiteral("DEV")));
    const QStringList both{"ERP__PRD__2024_03_03", "ERP__DEV__2024_03_03"};
    EXPECT_EQ(profileIds(file), both);
    // The window that saved last shows both.
    EXPECT_EQ(a.profileIds().count(), 2);

    // Each adds to a list it loaded before the other's addition.
    a.systemTitles().add(QStringLiteral("BW"));
    a.saveSystemTitles();
    b.systemTitles().add(QStringLiteral("CRM"));
    b.saveSystemTitles();
    EXPECT_EQ(b.systemTitles().items(), QStringList({"ERP", "BW", "CRM"}));
    a.sids().add(QStringLiteral("QAS"));
    a.saveSids();
    b.sids().add(QStringLiteral("SBX"));
    b.saveSids();
    EXPECT_EQ(b.sids().items(), QStringList({"DEV", "PRD", "QAS", "SBX"}));
    EXPECT_EQ(b.sourceSystems().items(), QStringList({"", "DEV", "PRD", "QAS", "SBX"}));
    a.refreshComments().add(QStringLiteral("mine"));
    a.saveRefreshComments();
    b.refreshComments().add(QStringLiteral("theirs"));
    b.saveRefreshComments();
    EXPECT_EQ(b.refreshComments().items(), QStringList({"", "mine", "theirs"}));

    // One removes a position, the other changes a colour: both land.
    a.loadLandscapeTypes();
    b.loadLandscapeTypes();
    a.landscapeTypeNames().add(QStringLiteral("QAS"));
    a.saveLandscapeTypes();
    b.landscapeTypes()[1].color = 255; // PRD red
    b.saveLandscapeTypesAndColors();
    ConfigStore check(file);
    check.loadAll();
    EXPECT_EQ(check.landscapeTypeNames().items(), QStringList({"DEV", "PRD", "QAS"}));
    EXPECT_EQ(check.landscapeTypeColor(QStringLiteral("PRD")), 255);
    EXPECT_EQ(check.landscapeTypeColor(QStringLiteral("DEV")), 0);

    // A profile deleted by the other window is gone already: deleting it again changes
    // nothing, and it takes no other profile with it.
    a.loadProfiles();
    b.loadProfiles();
    a.deleteProfile(0);
    b.deleteProfile(0);
    EXPECT_EQ(profileIds(file), QStringList({"ERP__DEV__2024_03_03"}));
}

struct ConcurrentCase
{
    const char* name;
    bool hardLinked; // every write in place, under its rollback journal
    bool lists;      // SID additions instead of profile saves
};

class ConcurrentWriters : public ::testing::TestWithParam<ConcurrentCase>
{
};

// N processes × M saves: all N × M land.
TEST_P(ConcurrentWriters, KeepEverySave)
{
    const ConcurrentCase& c = GetParam();
    constexpr int kProcesses = 4;
    constexpr int kSaves = 40;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Config.ini"));
    writeBytes(file, "[SystemInfo]\nNbItems=0\n");
    if (c.hardLinked) {
        ASSERT_EQ(::link(QFile::encodeName(file).constData(),
                         QFile::encodeName(dir.filePath(QStringLiteral("link.ini"))).constData()),
                  0);
    }
    const int failed = inChildren(kProcesses, [&](int child) {
        ConfigStore store(file);
        store.loadAll();
        for (int i = 0; i < kSaves; ++i) {
            const QString name = QStringLiteral("p%1x%2").arg(child).arg(i);
            if (c.lists) {
                store.sids().add(name);
                store.saveSids();
            } else {
                store.storeProfile(name, profile(name));
            }
        }
        return true;
    });
    EXPECT_EQ(failed, 0);
    ConfigStore check(file);
    check.loadAll();
    QSet<QString> found;
    if (c.lists) {
        for (const QString& s : check.sids().items())
            found.insert(s);
    } else {
        for (const QString& id : profileIds(file))
            found.insert(id);
    }
    for (int child = 0; child < kProcesses; ++child) {
        for (int i = 0; i < kSaves; ++i) {
            EXPECT_TRUE(found.contains(QStringLiteral("p%1x%2").arg(child).arg(i)))
                << child << ' ' << i;
        }
    }
    EXPECT_EQ(found.size(), kProcesses * kSaves);
    if (c.hardLinked) {
        EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("link.ini"))), readBytes(file));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ConcurrentWriters,
                         ::testing::Values(ConcurrentCase{"Profiles", false, false},
                                           ConcurrentCase{"SidAdditions", false, true},
                                           ConcurrentCase{"ProfilesInPlace", true, false},
                                           ConcurrentCase{"SidAdditionsInPlace", true, true}),
                         [](const auto& info) { return info.param.name; });

// A file of some size, so that a rewrite takes long enough to be killed in the middle.
struct TwoStates
{
    QByteArray first, second;
};

TwoStates makeTwoStates(const QString& file, int profiles)
{
    ConfigStore store(file);
    store.loadAll();
    for (int i = 0; i < profiles; ++i)
        store.storeProfile(QStringLiteral("P%1").arg(i),
                              profile(QStringLiteral("S%1").arg(i), QString(200, u'x')));
    TwoStates s;
    store.storeProfile(QStringLiteral("P0"), profile(QStringLiteral("S0"), QString(300, u'a')));
    s.first = readBytes(file);
    store.storeProfile(QStringLiteral("P0"), profile(QStringLiteral("S0"), QString(100, u'b')));
    s.second = readBytes(file);
    store.storeProfile(QStringLiteral("P0"), profile(QStringLiteral("S0"), QString(300, u'a')));
    return s;
}

[[noreturn]] void toggleForever(const QString& file)
{
    try {
        ConfigStore store(file);
        store.loadAll();
        for (bool b = false;; b = !b)
            store.storeProfile(
                QStringLiteral("P0"),
                profile(QStringLiteral("S0"), QString(b ? 300 : 100, b ? u'a' : u'b')));
    } catch (const AppError& e) {
        fprintf(stderr, "writer: %s\n", e.what());
    }
    _exit(1);
}

// Children that run until the end of the scope, whatever ends it.
class Writers
{
public:
    Writers(int n, const QString& file)
    {
        for (int w = 0; w < n; ++w) {
            const pid_t pid = fork();
            if (pid == 0)
                toggleForever(file);
            m_pids.push_back(pid);
        }
    }
    ~Writers()
    {
        for (const pid_t pid : m_pids) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    Writers(const Writers&) = delete;
    Writers& operator=(const Writers&) = delete;

private:
    std::vector<pid_t> m_pids;
};

// Writers killed in the middle of in-place saves of a hard-linked file: the next
// operation finds the old or the new content, never a torn file.
TEST(SharedConfig, KilledInPlaceSavesAreRolledBack)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Config.ini"));
    const QString link = dir.filePath(QStringLiteral("team.ini"));
    const TwoStates states = makeTwoStates(file, 600);
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(link).constData()), 0);
    int rolledBack = 0;
    for (int round = 0; round < 500; ++round) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
            toggleForever(file);
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(500, 20000)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        rolledBack +=
            QFileInfo::exists(dir.filePath(QStringLiteral(".Config.ini.tavelorn-journal")));
        {
            // A reader that does not write reads the old content instead of a torn file.
            FileTransaction reader(file, FileTransaction::Mode::Read);
            const QByteArray seen = reader.read(IniFile::kMaxFileSize);
            ASSERT_TRUE(seen == states.first || seen == states.second)
                << "round " << round << ": reader saw " << seen.size() << " bytes";
        }
        {
            const FileTransaction lock(file, FileTransaction::Mode::Write);
            const QByteArray now = readBytes(file);
            ASSERT_TRUE(now == states.first || now == states.second)
                << "round " << round << ": torn file of " << now.size() << " bytes";
            ASSERT_EQ(readBytes(link), now);
        }
    }
    std::cout << "[          ] " << rolledBack << " of 500 kills left a journal to roll back\n";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({".Config.ini.lock", "Config.ini", "team.ini"}));
}

// Readers, who lock nothing, see whole versions only while writers rewrite in place.
TEST(SharedConfig, ReadersNeverSeeAWriteHalfDone)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Config.ini"));
    const TwoStates states = makeTwoStates(file, 300);
    ASSERT_EQ(::link(QFile::encodeName(file).constData(),
                     QFile::encodeName(dir.filePath(QStringLiteral("team.ini"))).constData()),
              0);
    const Writers writers(2, file);
    int torn = 0;
    QSet<QByteArray> seenStates;
    for (int i = 0; i < 400; ++i) {
        {
            FileTransaction reader(file, FileTransaction::Mode::Read);
            const QByteArray seen = reader.read(IniFile::kMaxFileSize);
            torn += seen != states.first && seen != states.second;
            seenStates.insert(seen);
        }
        ::usleep(300); // room for the writers, which poll for the lock
    }
    EXPECT_EQ(torn, 0);
    // The writers did run meanwhile.
    EXPECT_EQ(seenStates.size(), 2);
}

} // namespace
