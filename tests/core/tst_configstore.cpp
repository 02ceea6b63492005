#include "apperror.h"
#include "configstore.h"
#include "inifile.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavelorn;

namespace {

const QByteArray kThreeProfiles = "[SystemInfo]\n"
                                  "NbItems=3\n"
                                  "[SystemInfo_1]\n"
                                  "ID=Zeta__PRD__2024_01_05\n"
                                  "BorderWidth=4\n"
                                  "SystemTitle=Zeta\n"
                                  "LansdscapePosition=PRD\n"
                                  "SID=PRD\n"
                                  "Usage1=Production\n"
                                  "Usage2=Finance\n"
                                  "PictureFullPath=/pictures/back.jpg\n"
                                  "PictureCenter=1\n"
                                  "PictureStretch=0\n"
                                  "Info1=i1\n"
                                  "Info2=i2\n"
                                  "Info3=i3\n"
                                  "LastRefresh=05.01.2024\n"
                                  "SourceRefresh=QAS\n"
                                  "CommentRefresh=monthly\n"
                                  "[SystemInfo_2]\n"
                                  "ID=alpha__DEV__2024_02_01\n"
                                  "SystemTitle=alpha\n"
                                  "LastRefresh=not a date\n"
                                  "[SystemInfo_3]\n"
                                  "ID=Beta__QAS__2024_03_01\n"
                                  "PictureStretch=$10\n"
                                  "[SystemInfo_4]\n"
                                  "ID=beyond the count\n";

class StoreTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    ConfigStore store{dir.filePath("Config.ini")};
    QStringList busyLog;
    int eventRounds = 0;

    void SetUp() override
    {
        store.setBusyHandler([this](bool busy) { busyLog << (busy ? "busy" : "idle"); });
        store.setProcessEvents([this] { ++eventRounds; });
    }
    void writeConfig(const QByteArray& bytes) { writeBytes(store.filePath(), bytes); }
    QByteArray config() const { return readBytes(store.filePath()); }
    QString read(const QString& section, const QString& key) const
    {
        return IniFile(store.filePath()).readString(section, key, "<none>");
    }
    QStringList ids() const
    {
        QStringList out;
        for (const Profile& s : store.profiles())
            out << s.id;
        return out;
    }
    static Profile profile(const QString& sid)
    {
        Profile s;
        s.id = "ignored";
        s.systemTitle = "T";
        s.sid = sid;
        s.borderWidth = 3;
        return s;
    }
    void expectError(const std::function<void()>& operation, const QString& message)
    {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            // A refused write adds its cause after the message.
            EXPECT_TRUE(e.message() == message ||
                        (e.cause() != 0 && e.message().startsWith(message + QStringLiteral(". "))))
                << e.message().toStdString();
        }
    }
};

TEST_F(StoreTest, MissingFileGivesEmptyListsAndCreatesNothing)
{
    store.profileIds().add("design-time");
    store.systemTitles().add("design-time");
    store.loadAll();
    EXPECT_EQ(store.currentProfileIndex(), -1);
    EXPECT_TRUE(store.profiles().isEmpty());
    EXPECT_TRUE(store.landscapeTypes().isEmpty());
    EXPECT_EQ(store.profileIds().count(), 0);
    EXPECT_EQ(store.systemTitles().count(), 0);
    EXPECT_EQ(store.sids().count(), 0);
    EXPECT_EQ(store.landscapeTypeNames().count(), 0);
    EXPECT_EQ(store.sourceSystems().items(), QStringList({""}));
    EXPECT_EQ(store.refreshComments().items(), QStringList({""}));
    EXPECT_FALSE(QFileInfo::exists(store.filePath()));
}

TEST_F(StoreTest, LoadsProfilesInFileOrderWithDefaults)
{
    writeConfig(kThreeProfiles);
    store.loadProfiles();
    ASSERT_EQ(store.profiles().size(), 3);
    EXPECT_EQ(store.currentProfileIndex(), 2);
    EXPECT_EQ(
        store.profileIds().items(),
        QStringList({"alpha__DEV__2024_02_01", "Beta__QAS__2024_03_01", "Zeta__PRD__2024_01_05"}));
    const Profile& a = store.profiles()[0];
    EXPECT_EQ(a.id, "Zeta__PRD__2024_01_05");
    EXPECT_EQ(a.borderWidth, 4);
    EXPECT_EQ(a.systemTitle, "Zeta");
    EXPECT_EQ(a.landscapePosition, "PRD");
    EXPECT_EQ(a.sid, "PRD");
    EXPECT_EQ(a.usage1, "Production");
    EXPECT_EQ(a.usage2, "Finance");
    EXPECT_EQ(a.picturePath, "/pictures/back.jpg");
    EXPECT_TRUE(a.pictureCenter);
    EXPECT_FALSE(a.pictureStretch);
    EXPECT_EQ(a.info1 + a.info2 + a.info3, "i1i2i3");
    EXPECT_EQ(a.lastRefresh, fromQDate(QDate(2024, 1, 5)));
    EXPECT_EQ(a.refreshSource, "QAS");
    EXPECT_EQ(a.refreshComment, "monthly");

    const Profile& b = store.profiles()[1];
    EXPECT_EQ(b.borderWidth, 1);
    EXPECT_FALSE(b.pictureCenter);
    EXPECT_EQ(b.lastRefresh, 0);
    EXPECT_TRUE(store.profiles()[2].pictureStretch);

    EXPECT_EQ(eventRounds, 3);
    EXPECT_EQ(busyLog, QStringList({"busy", "idle"}));

    // A reload leaves nothing of the profiles held before.
    writeConfig("[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=Zeta__PRD__2024_01_05\n");
    store.loadProfiles();
    ASSERT_EQ(store.profiles().size(), 1);
    Profile expected;
    expected.id = "Zeta__PRD__2024_01_05";
    EXPECT_EQ(store.profiles()[0], expected);
}

// Every key of a profile section, each with a value no other field holds and none a
// missing key gives: it reads into its own field and writes back the same bytes, in the
// same order.
TEST_F(StoreTest, EveryProfileKeyReadsIntoItsFieldAndWritesBackItsBytes)
{
    const QByteArray file = "[SystemInfo_1]\n"
                            "ID=T__DEV__2024_01_05\n"
                            "BorderWidth=-7\n"
                            "SystemTitle=T\n"
                            "LansdscapePosition=QAS\n"
                            "SID=DEV\n"
                            "Usage1=u1\n"
                            "Usage2=u2\n"
                            "PictureFullPath=/p.jpg\n"
                            "PictureCenter=1\n"
                            "PictureStretch=1\n"
                            "Info1=i1\n"
                            "Info2=i2\n"
                            "Info3=i3\n"
                            "LastRefresh=05.01.2024\n"
                            "SourceRefresh=PRD\n"
                            "CommentRefresh=c\n"
                            "[SystemInfo]\n"
                            "NbItems=1\n";
    Profile expected;
    expected.id = "T__DEV__2024_01_05";
    expected.borderWidth = -7;
    expected.systemTitle = "T";
    expected.landscapePosition = "QAS";
    expected.sid = "DEV";
    expected.usage1 = "u1";
    expected.usage2 = "u2";
    expected.picturePath = "/p.jpg";
    expected.pictureCenter = true;
    expected.pictureStretch = true;
    expected.info1 = "i1";
    expected.info2 = "i2";
    expected.info3 = "i3";
    expected.lastRefresh = fromQDate(QDate(2024, 1, 5));
    expected.refreshSource = "PRD";
    expected.refreshComment = "c";

    const ProfileList profiles = readProfiles(IniFile::fromBytes(file));
    ASSERT_EQ(profiles.size(), 1);
    EXPECT_EQ(profiles[0], expected);

    IniFile written = IniFile::fromBytes(QByteArray());
    writeProfiles(written, profiles);
    EXPECT_EQ(written.toBytes(), file);
}

TEST_F(StoreTest, AProfileWithoutIDLoadsAsAnEmptyItem)
{
    writeConfig("[SystemInfo]\nNbItems=2\n[SystemInfo_1]\nID=a\n[SystemInfo_2]\nSID=X\n");
    store.loadProfiles();
    EXPECT_EQ(ids(), QStringList({"a", ""}));
    EXPECT_EQ(store.profileIds().items(), QStringList({"", "a"}));
}

// Counts beyond what the file holds are cut to the highest member present.
TEST_F(StoreTest, AbsurdCountsAreBoundedByTheFile)
{
    for (const char* count : {"2147483647", "5", "$7FFFFFFF"}) {
        SCOPED_TRACE(count);
        QByteArray bytes = kThreeProfiles;
        bytes.replace("NbItems=3", QByteArray("NbItems=") + count);
        bytes += "[SystemTitle]\nNbItems=2147483647\nItem_1=A\nItem_2=B\n"
                 "[SID]\nNbItems=1000000000\nItem_1=S\n"
                 "[LandscapeType]\nNbItems=99999\nItem_1=DEV\n"
                 "[RefreshComment]\nNbItems=2147483647\nItem_3=C\n";
        writeConfig(bytes);
        store.loadAll();
        EXPECT_EQ(ids().size(), 4);
        EXPECT_EQ(store.currentProfileIndex(), 3);
        EXPECT_EQ(store.systemTitles().items(), QStringList({"A", "B"}));
        EXPECT_EQ(store.sids().items(), QStringList({"S"}));
        EXPECT_EQ(store.landscapeTypes().size(), 1);
        EXPECT_EQ(store.refreshComments().items(), QStringList({"", "C"}));
    }
}

TEST_F(StoreTest, NegativeProfileCountIsARangeError)
{
    writeConfig(kThreeProfiles);
    store.loadProfiles();
    busyLog.clear();
    writeConfig("[SystemInfo]\nNbItems=-1\n[SystemInfo_1]\nID=a\n"
                "[SID]\nNbItems=-3\nItem_1=S\n");
    expectError([this] { store.loadAll(); }, "Erreur de vérification d'étendue");
    EXPECT_TRUE(store.profiles().isEmpty());
    EXPECT_EQ(store.currentProfileIndex(), -1);
    EXPECT_EQ(store.profileIds().count(), 0);
    EXPECT_EQ(store.sids().count(), 0); // a negative list count is an empty list
    EXPECT_EQ(busyLog, QStringList({"busy", "idle"}));
}

// A file too large to read: the load stops with the reader's error before any list is
// filled, and a later save refuses to touch the file.
TEST_F(StoreTest, AFileOver256MiBLoadsNothingAndIsNeverWritten)
{
    {
        QFile f(store.filePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[SystemTitle]\nNbItems=1\nItem_1=T\n");
        ASSERT_TRUE(f.resize(IniFile::kMaxFileSize + 1)); // the rest sparse
    }
    const QString message = QStringLiteral("Impossible d'ouvrir le fichier \"") + store.filePath() +
                            QStringLiteral("\". Fichier trop volumineux (plus de 256 Mo)");
    expectError([this] { store.loadAll(); }, message);
    EXPECT_EQ(store.systemTitles().count(), 0);
    EXPECT_TRUE(store.profiles().isEmpty());
    expectError([this] { store.storeProfile("T__DEV__2024_12_25", profile("DEV")); }, message);
    EXPECT_EQ(QFileInfo(store.filePath()).size(), IniFile::kMaxFileSize + 1);
}

TEST_F(StoreTest, StoringIntoAnEmptyStoreWritesTheFirstSection)
{
    Profile s = profile("DEV");
    s.pictureCenter = true;
    s.lastRefresh = fromQDate(QDate(2024, 12, 25)) + 0.5;
    s.refreshComment = "c";
    store.storeProfile("T__DEV__2024_12_25", s);
    EXPECT_EQ(config(), "[SystemInfo_1]\n"
                        "ID=T__DEV__2024_12_25\n"
                        "BorderWidth=3\n"
                        "SystemTitle=T\n"
                        "LansdscapePosition=\n"
                        "SID=DEV\n"
                        "Usage1=\n"
                        "Usage2=\n"
                        "PictureFullPath=\n"
                        "PictureCenter=1\n"
                        "PictureStretch=0\n"
                        "Info1=\n"
                        "Info2=\n"
                        "Info3=\n"
                        "LastRefresh=25.12.2024\n"
                        "SourceRefresh=\n"
                        "CommentRefresh=c\n"
                        "[SystemInfo]\n"
                        "NbItems=1\n");
    EXPECT_EQ(ids(), QStringList({"T__DEV__2024_12_25"}));
    EXPECT_EQ(store.currentProfileIndex(), 0);
    EXPECT_EQ(store.profiles()[0].lastRefresh, fromQDate(QDate(2024, 12, 25)));
    EXPECT_EQ(busyLog, QStringList({"busy", "idle", "busy", "idle"}));
}

TEST_F(StoreTest, StoreReplacesTheCurrentOrTheFirstEqualProfileElseAppends)
{
    writeConfig("[SystemInfo]\nNbItems=3\n[SystemInfo_1]\nID=a\n[SystemInfo_2]\nID=b\n"
                "[SystemInfo_3]\nID=a\n");
    store.loadProfiles();

    store.setCurrentProfileIndex(1);
    store.storeProfile("b", profile("current"));
    EXPECT_EQ(ids(), QStringList({"a", "b", "a"}));
    EXPECT_EQ(store.profiles()[1].sid, "current");

    store.setCurrentProfileIndex(1);
    store.storeProfile("a", profile("first of two"));
    EXPECT_EQ(store.profiles()[0].sid, "first of two");
    EXPECT_EQ(store.profiles()[2].sid, "");

    store.storeProfile("new", profile("appended"));
    EXPECT_EQ(ids(), QStringList({"a", "b", "a", "new"}));
    EXPECT_EQ(store.profiles()[3].sid, "appended");
    EXPECT_EQ(store.currentProfileIndex(), 3);
    EXPECT_EQ(read("SystemInfo", "NbItems"), "4");
    EXPECT_EQ(store.profileIds().items(), QStringList({"a", "a", "b", "new"}));
}

TEST_F(StoreTest, DeletingRenumbersAndRemovesTheOldLastSection)
{
    writeConfig("[SystemInfo]\nNbItems=4\n[SystemInfo_1]\nID=one\n[SystemInfo_2]\nID=two\n"
                "[SystemInfo_3]\nID=three\n[SystemInfo_4]\nID=four\n");
    store.loadProfiles();
    store.deleteProfile(1);
    EXPECT_EQ(ids(), QStringList({"one", "three", "four"}));
    EXPECT_EQ(store.currentProfileIndex(), 2);
    EXPECT_EQ(read("SystemInfo", "NbItems"), "3");
    EXPECT_EQ(read("SystemInfo_2", "ID"), "three");
    EXPECT_EQ(read("SystemInfo_3", "ID"), "four");
    EXPECT_EQ(read("SystemInfo_4", "ID"), "<none>");
    EXPECT_FALSE(config().contains("[SystemInfo_4]"));
    EXPECT_EQ(read("SystemInfo_1", "BorderWidth"), "1");
}

// The file's folder disappears between load and save: the write is refused, the file
// is not touched, the profiles stay as loaded, an edited list keeps the edit and the
// reload does not run.
TEST_F(StoreTest, RefusedWriteStopsBeforeTheReload)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("a"));
    store.setFilePath(dir.filePath("a/Config.ini"));
    writeConfig("[SystemInfo]\r\nNbItems=1\r\n[SystemInfo_1]\r\nID=kept\r\n"
                "[SID]\r\nNbItems=1\r\nItem_1=DEV\r\n"
                "[RefreshComment]\r\nNbItems=1\r\nItem_1=old\r\n"
                "[LandscapeType]\r\nNbItems=1\r\nItem_1=DEV\r\n");
    store.loadAll();
    const QByteArray before = config();
    ASSERT_TRUE(QDir(dir.path()).rename("a", "moved"));
    writeBytes(dir.filePath("a"), "a file in the folder's place");
    const QString message = "Impossible d'écrire dans " + store.filePath();
    busyLog.clear();

    expectError([this] { store.storeProfile("added", profile("X")); }, message);
    EXPECT_EQ(ids(), QStringList({"kept"}));
    EXPECT_EQ(store.currentProfileIndex(), 0);
    EXPECT_EQ(store.profileIds().items(), QStringList({"kept"}));
    EXPECT_EQ(busyLog, QStringList({"busy", "idle"}));

    // What the file holds now has no such profile to delete: nothing to write.
    store.deleteProfile(0);
    EXPECT_EQ(ids(), QStringList());

    store.refreshComments().add("new");
    expectError([this] { store.saveRefreshComments(); }, message);
    EXPECT_EQ(store.refreshComments().items(), QStringList({"", "old", "new"}));

    store.landscapeTypes()[0].color = 255;
    expectError([this] { store.saveLandscapeTypesAndColors(); }, message);
    EXPECT_EQ(store.landscapeTypes()[0].color, 255);
    store.landscapeTypeNames().add("QAS");
    expectError([this] { store.saveLandscapeTypes(); }, message);
    EXPECT_EQ(store.landscapeTypeNames().count(), 2);
    expectError([this] { store.saveSids(); }, message);
    expectError([this] { store.saveSystemTitles(); }, message);

    EXPECT_EQ(readBytes(dir.filePath("moved/Config.ini")), before);
    EXPECT_EQ(QDir(dir.filePath("moved")).entryList(QDir::Files).size(), 1);
}

TEST_F(StoreTest, SavingUnchangedProfilesLeavesTheFileAlone)
{
    writeConfig(kThreeProfiles);
    store.loadProfiles();
    // Only the count and the keys missing from the sections are new.
    const Profile first = store.profiles()[0];
    store.storeProfile(first.id, first);
    const QByteArray once = config();
    store.storeProfile(first.id, first);
    EXPECT_EQ(config(), once);
    EXPECT_TRUE(once.contains("[SystemInfo_4]\nID=beyond the count\n"));
    // Another profile's date that this locale cannot read is not written over.
    EXPECT_TRUE(once.contains("LastRefresh=not a date\n"));
}

// Windows writes Config.ini in its ANSI code page or in UTF-16LE, with CRLF.
TEST_F(StoreTest, LoadsAndSavesWindowsFiles)
{
    const QString text = QStringLiteral(
        "[SystemInfo]\r\nNbItems=1\r\n[SystemInfo_1]\r\nID=Prüfung__DEV__2024_01_05\r\n"
        "Usage1=Entwicklung – Süd\r\n[SystemTitle]\r\nNbItems=1\r\nItem_1=Système\r\n");
    QByteArray cp1252 = text.toLatin1();
    cp1252.replace('?', '\x96'); // the en dash, which Latin-1 lacks
    for (const QByteArray& bytes : {cp1252, utf16le(text)}) {
        writeConfig(bytes);
        store.loadAll();
        EXPECT_EQ(ids(), QStringList({"Prüfung__DEV__2024_01_05"}));
        EXPECT_EQ(store.profiles()[0].usage1, "Entwicklung – Süd");
        EXPECT_EQ(store.systemTitles().items(), QStringList({"Système"}));
        store.storeProfile("Prüfung__DEV__2024_01_05", profile("DEV"));
        const QByteArray out = config();
        EXPECT_EQ(out.startsWith("\xFF\xFE"), bytes.startsWith("\xFF\xFE"));
        EXPECT_EQ(store.profiles()[0].sid, "DEV");
        EXPECT_EQ(store.systemTitles().items(), QStringList({"Système"}));
        store.loadSystemTitles();
        EXPECT_EQ(store.systemTitles().items(), QStringList({"Système"}));
    }
}

TEST_F(StoreTest, makeProfileId)
{
    const QString title = "SAP ERP 6.0 EHP7";
    EXPECT_EQ(ConfigStore::makeProfileId(title, "DEV", fromQDate(QDate(2024, 1, 5)) + 0.9),
              "SAP ERP 6.0 EHP7__DEV__2024_01_05");
    EXPECT_EQ(ConfigStore::makeProfileId(title, "DEV", fromQDate(QDate(2024, 12, 25))),
              "SAP ERP 6.0 EHP7__DEV__2024_12_25");
    EXPECT_EQ(ConfigStore::makeProfileId("", "", 0), "____1899_12_30");
    EXPECT_EQ(ConfigStore::makeProfileId("T", "S", fromQDate(QDate(987, 3, 4))), "T__S__987_03_04");
}

TEST_F(StoreTest, FindSystemInfoComparesExactly)
{
    writeConfig("[SystemInfo]\nNbItems=3\n[SystemInfo_1]\nID=Dev\n[SystemInfo_2]\nID=dev\n"
                "[SystemInfo_3]\nID=dev\n");
    EXPECT_EQ(store.findProfile("dev"), -1);
    store.loadProfiles();
    EXPECT_EQ(store.findProfile("dev"), 1);
    EXPECT_EQ(store.findProfile("Dev"), 0);
    EXPECT_EQ(store.findProfile("DEV"), -1);
    EXPECT_EQ(store.findProfile(""), -1);
}

TEST_F(StoreTest, ListsLoadByTheirRules)
{
    writeConfig("[SystemTitle]\nNbItems=3\nItem_1=A\nItem_2=\nItem_3=A\nItem_4=beyond\n"
                "[SID]\nNbItems=5\nItem_1= DEV \nItem_2=dev\nItem_3=\nItem_4=QAS\nItem_5=\tAAA\n"
                "[RefreshComment]\nNbItems=4\nItem_1=\nItem_2= Weekly\nItem_3=weekly \n"
                "Item_4=x\n"
                "[LandscapeType]\nNbItems=3\nItem_1=DEV\nItem_2= QAS \nItem_3=DEV\n"
                "[Color]\nNbItems=1\nItem_1=255\nItem_3=$FF0000\n");
    store.loadAll();
    EXPECT_EQ(store.systemTitles().items(), QStringList({"A", "", "A"}));
    EXPECT_EQ(store.sids().items(), QStringList({"AAA", "DEV", "QAS"}));
    EXPECT_EQ(store.sourceSystems().items(), QStringList({"", "AAA", "DEV", "QAS"}));
    EXPECT_EQ(store.refreshComments().items(), QStringList({"", "Weekly", "x"}));
    EXPECT_EQ(store.landscapeTypeNames().items(), QStringList({"DEV", "QAS", "DEV"}));
    EXPECT_EQ(store.landscapeTypes(),
              LandscapeTypeList({{"DEV", 255}, {"QAS", 0}, {"DEV", 0xFF0000}}));
    EXPECT_EQ(store.landscapeTypeColor("DEV"), 255);
    EXPECT_EQ(store.landscapeTypeColor("dev"), 0);
    EXPECT_EQ(store.landscapeTypeColor("QAS"), 0);
    EXPECT_EQ(store.landscapeTypeColor("missing"), 0);
}

TEST_F(StoreTest, SavingNamesLeavesTheColoursInTheirPlaces)
{
    writeConfig("[LandscapeType]\nNbItems=3\nItem_1=DEV\nItem_2=QAS\nItem_3=PRD\n"
                "[Color]\nNbItems=3\nItem_1=1\nItem_2=2\nItem_3=3\n");
    store.loadLandscapeTypes();
    QStringList names = store.landscapeTypeNames().items();
    names.removeFirst();
    store.landscapeTypeNames().assign(names);
    store.saveLandscapeTypes();
    EXPECT_EQ(store.landscapeTypes(), LandscapeTypeList({{"QAS", 1}, {"PRD", 2}}));
    EXPECT_EQ(read("LandscapeType", "NbItems"), "2");
    EXPECT_EQ(read("LandscapeType", "Item_3"), "PRD");
    EXPECT_EQ(read("Color", "NbItems"), "3");

    store.landscapeTypes() = {{"SBX", -16777208}, {"PRD", 0x00FF00}};
    store.saveLandscapeTypesAndColors();
    EXPECT_EQ(store.landscapeTypeNames().items(), QStringList({"SBX", "PRD"}));
    EXPECT_EQ(store.landscapeTypes(), LandscapeTypeList({{"SBX", -16777208}, {"PRD", 0x00FF00}}));
    EXPECT_EQ(read("Color", "NbItems"), "2");
    EXPECT_EQ(read("Color", "Item_1"), "-16777208");
}

TEST_F(StoreTest, SavingListsWritesTheirItemsAsTheyAre)
{
    store.loadRefreshComments();
    store.refreshComments().add("Quarterly");
    store.saveRefreshComments();
    EXPECT_EQ(read("RefreshComment", "NbItems"), "2");
    EXPECT_EQ(read("RefreshComment", "Item_1"), "");
    EXPECT_EQ(store.refreshComments().items(), QStringList({"", "Quarterly"}));

    store.sids().add("QAS");
    store.sids().add("dev");
    store.saveSids();
    EXPECT_EQ(read("SID", "Item_1"), "dev");
    EXPECT_EQ(read("SID", "Item_2"), "QAS");
    // The save reloads the list and rebuilds the source systems.
    EXPECT_EQ(store.sourceSystems().items(), QStringList({"", "dev", "QAS"}));

    store.systemTitles().assign({"B", " A "});
    store.saveSystemTitles();
    store.systemTitles().clear();
    store.loadSystemTitles();
    EXPECT_EQ(store.systemTitles().items(), QStringList({"B", "A"})); // values are trimmed
}

} // namespace

namespace {

// A save that a code-page file cannot hold asks first: No leaves the file's bytes as they
// were and the list as the file holds it; Yes writes UTF-16LE.
TEST_F(StoreTest, LeavingTheCodePageIsTheUsersChoice)
{
    const QByteArray cp1252 = "[SystemTitle]\r\nNbItems=1\r\nItem_1=Caf\xE9\r\n";
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        writeConfig(cp1252);
        QList<int> asked;
        store.setCodePageConfirmation([&](int codePage) {
            asked << codePage;
            return yes;
        });
        store.loadSystemTitles();
        // A title the page holds is written without a question.
        store.systemTitles().add(QStringLiteral("Crème"));
        store.saveSystemTitles();
        EXPECT_TRUE(asked.isEmpty());
        EXPECT_TRUE(config().endsWith("Item_2=Cr\xE8me\r\n")) << config().toStdString();
        const QByteArray before = config();

        store.systemTitles().add(QStringLiteral("Łódź"));
        store.saveSystemTitles();
        EXPECT_EQ(asked, QList<int>{1252});
        if (yes) {
            EXPECT_TRUE(config().startsWith("\xFF\xFE"));
            EXPECT_EQ(store.systemTitles().items(), QStringList({"Café", "Crème", "Łódź"}));
        } else {
            EXPECT_EQ(config(), before);
            EXPECT_EQ(store.systemTitles().items(), QStringList({"Café", "Crème"}));
        }
    }
}

} // namespace
