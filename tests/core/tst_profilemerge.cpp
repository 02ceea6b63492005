// Saving a profile edit onto the profile as the file holds it now.
#include "configstore.h"
#include "inifile.h"
#include "profilemerge.h"
#include "testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace tavelorn;

namespace {

Profile sample(const QString& id)
{
    Profile p;
    p.id = id;
    p.borderWidth = 2;
    p.systemTitle = QStringLiteral("ERP");
    p.landscapePosition = QStringLiteral("DEV");
    p.sid = QStringLiteral("DEV");
    p.usage1 = QStringLiteral("usage one");
    p.usage2 = QStringLiteral("usage two");
    p.info1 = QStringLiteral("info one");
    p.lastRefresh = 45000.5;
    p.refreshSource = QStringLiteral("PRD");
    p.refreshComment = QStringLiteral("copy");
    return p;
}

using Change = std::function<void(Profile&)>;

struct MergeCase
{
    const char* name;
    Change mine;     // the window's edit of the base
    Change theirs;   // what another writer changed meanwhile
    Change expected; // applied to the base: the merged profile
};

class ProfileMerge : public ::testing::TestWithParam<MergeCase>
{
};

TEST_P(ProfileMerge, KeepsWhatOthersChangedAndWritesWhatTheUserChanged)
{
    const MergeCase& c = GetParam();
    const Profile base = sample(QStringLiteral("P"));
    Profile mine = base, theirs = base, expected = base;
    c.mine(mine);
    c.theirs(theirs);
    c.expected(expected);
    EXPECT_EQ(mergeProfileEdit(base, mine, theirs), expected);
}

void none(Profile&)
{
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileMerge,
    ::testing::Values(
        MergeCase{"NoEditKeepsTheFile", none, [](Profile& p) { p.usage1 = "theirs"; },
                  [](Profile& p) { p.usage1 = "theirs"; }},
        MergeCase{"AloneTheEditIsTheResult",
                  [](Profile& p) {
                      p.info1 = "mine";
                      p.pictureCenter = true;
                      p.borderWidth = 0;
                  },
                  none,
                  [](Profile& p) {
                      p.info1 = "mine";
                      p.pictureCenter = true;
                      p.borderWidth = 0;
                  }},
        MergeCase{"DifferentFieldsBothStay", [](Profile& p) { p.info1 = "mine"; },
                  [](Profile& p) { p.usage1 = "theirs"; },
                  [](Profile& p) {
                      p.info1 = "mine";
                      p.usage1 = "theirs";
                  }},
        MergeCase{"TheSameFieldTakesTheWindowsValue", [](Profile& p) { p.usage2 = "mine"; },
                  [](Profile& p) { p.usage2 = "theirs"; }, [](Profile& p) { p.usage2 = "mine"; }},
        // Setting a field back to what the file had is no edit: the other writer's stays.
        MergeCase{"AFieldLeftAsAppliedIsNotWritten", [](Profile& p) { p.usage2 = "usage two"; },
                  [](Profile& p) { p.usage2 = ""; }, [](Profile& p) { p.usage2 = ""; }},
        MergeCase{"TheIdentifierIsTheFilesOne", [](Profile& p) { p.id = "other"; }, none, none},
        // The user turned the refresh line off; another writer changed its comment: the
        // line stays off, without a source or comment.
        MergeCase{"ARefreshLineTurnedOffCarriesNothing",
                  [](Profile& p) {
                      p.lastRefresh = 0;
                      p.refreshSource.clear();
                  },
                  [](Profile& p) { p.refreshComment = "theirs"; },
                  [](Profile& p) {
                      p.lastRefresh = 0;
                      p.refreshSource.clear();
                      p.refreshComment.clear();
                  }}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

TEST(ProfileEdited, SeesEveryFieldButTheIdentifier)
{
    const Profile base = sample(QStringLiteral("P"));
    EXPECT_FALSE(profileEdited(base, base));
    Profile renamed = base;
    renamed.id = QStringLiteral("Q");
    EXPECT_FALSE(profileEdited(base, renamed));
    const std::function<void(Profile&)> edits[] = {
        [](Profile& p) { p.borderWidth = 3; },
        [](Profile& p) { p.systemTitle += 'x'; },
        [](Profile& p) { p.landscapePosition += 'x'; },
        [](Profile& p) { p.sid += 'x'; },
        [](Profile& p) { p.usage1 += 'x'; },
        [](Profile& p) { p.usage2 += 'x'; },
        [](Profile& p) { p.picturePath += 'x'; },
        [](Profile& p) { p.pictureCenter = true; },
        [](Profile& p) { p.pictureStretch = true; },
        [](Profile& p) { p.info1 += 'x'; },
        [](Profile& p) { p.info2 += 'x'; },
        [](Profile& p) { p.info3 += 'x'; },
        [](Profile& p) { p.lastRefresh += 1; },
        [](Profile& p) { p.refreshSource += 'x'; },
        [](Profile& p) { p.refreshComment += 'x'; },
    };
    for (const auto& edit : edits) {
        Profile p = base;
        edit(p);
        EXPECT_TRUE(profileEdited(base, p));
    }
}

// Two stores on one file stand for two windows.
class StoreMerge : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("Config.ini"));
        writeBytes(m_path, "[SystemInfo]\nNbItems=3\n"
                           "[SystemInfo_1]\nID=A\nSID=AAA\nUsage1=a\n"
                           "[SystemInfo_2]\nID=P\nSID=DEV\nUsage1=old usage\nInfo1=old info\n"
                           "[SystemInfo_3]\nID=C\nSID=CCC\n");
        for (ConfigStore* s : {&m_a, &m_b}) {
            s->setFilePath(m_path);
            s->loadAll();
        }
    }
    Profile profileOf(ConfigStore& store, const QString& id)
    {
        store.loadProfiles();
        const qint32 i = store.findProfile(id);
        return i < 0 ? Profile{} : store.profiles()[i];
    }

    QTemporaryDir m_dir;
    QString m_path;
    ConfigStore m_a, m_b;
};

TEST_F(StoreMerge, TwoWindowsEditingOneProfileKeepBothFields)
{
    const Profile baseA = m_a.profiles()[1];
    const Profile baseB = m_b.profiles()[1];
    Profile editA = baseA;
    editA.usage1 = QStringLiteral("usage by A");
    m_a.storeProfile(editA.id, editA, baseA);
    Profile editB = baseB;
    editB.info1 = QStringLiteral("info by B");
    m_b.storeProfile(editB.id, editB, baseB);

    const Profile merged = profileOf(m_a, QStringLiteral("P"));
    EXPECT_EQ(merged.usage1, QStringLiteral("usage by A"));
    EXPECT_EQ(merged.info1, QStringLiteral("info by B"));
    // Numbers and count are kept: P is still the second of three.
    const IniFile ini(m_path);
    EXPECT_EQ(ini.readInteger("SystemInfo", "NbItems", 0), 3);
    EXPECT_EQ(ini.readString("SystemInfo_2", "ID", {}), QStringLiteral("P"));
    EXPECT_EQ(ini.readString("SystemInfo_3", "ID", {}), QStringLiteral("C"));
}

TEST_F(StoreMerge, AProfileDeletedElsewhereReturnsOnlyWithAnEdit)
{
    const Profile base = m_b.profiles()[1];
    m_a.deleteProfile(1);
    const QByteArray afterDelete = readBytes(m_path);

    m_b.storeProfile(base.id, base, base);
    EXPECT_EQ(readBytes(m_path), afterDelete) << "a Save without a change wrote the file";
    EXPECT_EQ(m_b.findProfile(QStringLiteral("P")), -1);
    EXPECT_EQ(m_b.profiles().size(), 2);

    Profile edit = base;
    edit.info2 = QStringLiteral("still needed");
    m_b.storeProfile(edit.id, edit, base);
    const Profile back = profileOf(m_a, QStringLiteral("P"));
    EXPECT_EQ(back, edit);
    EXPECT_EQ(m_a.profiles().size(), 3);
    EXPECT_EQ(m_a.profiles().last().id, QStringLiteral("P")) << "re-created at the end";
}

TEST_F(StoreMerge, ANewIdentifierSavesTheWholeProfile)
{
    const Profile base = m_b.profiles()[1];
    Profile edit = base;
    edit.usage2 = QStringLiteral("copy");
    m_a.storeProfile(QStringLiteral("Q"), edit, base);
    Profile expected = edit;
    expected.id = QStringLiteral("Q");
    EXPECT_EQ(profileOf(m_b, QStringLiteral("Q")), expected);
    EXPECT_EQ(profileOf(m_b, QStringLiteral("P")), base) << "the applied profile stays";
}

TEST_F(StoreMerge, ProfilesWithoutIdentifierAreDroppedAsBefore)
{
    writeBytes(m_path, "[SystemInfo]\nNbItems=3\n[SystemInfo_1]\nID=\nSID=X\n"
                       "[SystemInfo_2]\nID=P\nSID=DEV\nUsage1=u\nInfo1=i\n[SystemInfo_3]\nID=C\n");
    m_a.loadProfiles();
    const Profile base = m_a.profiles()[1];
    Profile theirs = base;
    theirs.usage1 = QStringLiteral("theirs");
    m_b.loadProfiles();
    m_b.storeProfile(theirs.id, theirs, base);
    Profile mine = base;
    mine.info1 = QStringLiteral("mine");
    m_a.storeProfile(mine.id, mine, base);
    ASSERT_EQ(m_a.profiles().size(), 2);
    EXPECT_EQ(m_a.profiles()[0].usage1, QStringLiteral("theirs"));
    EXPECT_EQ(m_a.profiles()[0].info1, QStringLiteral("mine"));
}

} // namespace
