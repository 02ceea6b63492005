#include "apperror.h"
#include "configstore.h"
#include "inifile.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    TConfigStore store{dir.filePath("Config.ini")};
    QStringList busyLog;
    int eventRounds = 0;

    void SetUp() override
    {
        store.setBusy = [this](bool busy) { busyLog << (busy ? "busy" : "idle"); };
        store.processEvents = [this] { ++eventRounds; };
    }
    void writeConfig(const QByteArray& bytes) { writeBytes(store.FConfigFile, bytes); }
    QByteArray config() const { return readBytes(store.FConfigFile); }
    QString read(const QString& section, const QString& key) const
    {
        return TIniFile(store.FConfigFile).ReadString(section, key, "<none>");
    }
    QStringList ids() const
    {
        QStringList out;
        for (const tySystemInfo& s : store.FArrSystemInfo)
            out << s.ID;
        return out;
    }
    static tySystemInfo profile(const QString& sid)
    {
        tySystemInfo s;
        s.ID = "ignored";
        s.SystemTitle = "T";
        s.SID = sid;
        s.BorderWidth = 3;
        return s;
    }
    void expectError(const std::function<void()>& operation, const QString& message)
    {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const EAppError& e) {
            EXPECT_EQ(e.message(), message);
        }
    }
};

TEST_F(StoreTest, MissingFileGivesEmptyListsAndCreatesNothing)
{
    store.cbxID.Add("design-time");
    store.cbxSystemTitle.Add("design-time");
    store.LoadAll();
    EXPECT_EQ(store.FSystemInfoIdx, -1);
    EXPECT_TRUE(store.FArrSystemInfo.isEmpty());
    EXPECT_TRUE(store.FArrLandscapeType.isEmpty());
    EXPECT_EQ(store.cbxID.Count(), 0);
    EXPECT_EQ(store.cbxSystemTitle.Count(), 0);
    EXPECT_EQ(store.cbxSID.Count(), 0);
    EXPECT_EQ(store.cbxLandscapeType.Count(), 0);
    EXPECT_EQ(store.cbxSourceSystem.Items(), QStringList({""}));
    EXPECT_EQ(store.cbxRefreshComment.Items(), QStringList({""}));
    EXPECT_FALSE(QFileInfo::exists(store.FConfigFile));
}

TEST_F(StoreTest, LoadsProfilesInFileOrderWithDefaults)
{
    writeConfig(kThreeProfiles);
    store.LoadSystemInfos();
    ASSERT_EQ(store.FArrSystemInfo.size(), 3);
    EXPECT_EQ(store.FSystemInfoIdx, 2);
    EXPECT_EQ(store.cbxID.Items(), QStringList({"alpha__DEV__2024_02_01", "Beta__QAS__2024_03_01",
                                                "Zeta__PRD__2024_01_05"}));
    const tySystemInfo& a = store.FArrSystemInfo[0];
    EXPECT_EQ(a.ID, "Zeta__PRD__2024_01_05");
    EXPECT_EQ(a.BorderWidth, 4);
    EXPECT_EQ(a.SystemTitle, "Zeta");
    EXPECT_EQ(a.LansdscapePosition, "PRD");
    EXPECT_EQ(a.SID, "PRD");
    EXPECT_EQ(a.Usage1, "Production");
    EXPECT_EQ(a.Usage2, "Finance");
    EXPECT_EQ(a.PictureFullPath, "/pictures/back.jpg");
    EXPECT_TRUE(a.PictureCenter);
    EXPECT_FALSE(a.PictureStretch);
    EXPECT_EQ(a.Info1 + a.Info2 + a.Info3, "i1i2i3");
    EXPECT_EQ(a.LastRefresh, fromQDate(QDate(2024, 1, 5)));
    EXPECT_EQ(a.SourceRefresh, "QAS");
    EXPECT_EQ(a.CommentRefresh, "monthly");

    const tySystemInfo& b = store.FArrSystemInfo[1];
    EXPECT_EQ(b.BorderWidth, 1);
    EXPECT_FALSE(b.PictureCenter);
    EXPECT_EQ(b.LastRefresh, 0);
    EXPECT_TRUE(store.FArrSystemInfo[2].PictureStretch);

    EXPECT_EQ(eventRounds, 3);
    EXPECT_EQ(busyLog, QStringList({"busy", "idle"}));

    // A reload leaves nothing of the profiles held before.
    writeConfig("[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=Zeta__PRD__2024_01_05\n");
    store.LoadSystemInfos();
    ASSERT_EQ(store.FArrSystemInfo.size(), 1);
    tySystemInfo expected;
    expected.ID = "Zeta__PRD__2024_01_05";
    EXPECT_EQ(store.FArrSystemInfo[0], expected);
}

TEST_F(StoreTest, AProfileWithoutIDLoadsAsAnEmptyItem)
{
    writeConfig("[SystemInfo]\nNbItems=2\n[SystemInfo_1]\nID=a\n[SystemInfo_2]\nSID=X\n");
    store.LoadSystemInfos();
    EXPECT_EQ(ids(), QStringList({"a", ""}));
    EXPECT_EQ(store.cbxID.Items(), QStringList({"", "a"}));
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
        store.LoadAll();
        EXPECT_EQ(ids().size(), 4);
        EXPECT_EQ(store.FSystemInfoIdx, 3);
        EXPECT_EQ(store.cbxSystemTitle.Items(), QStringList({"A", "B"}));
        EXPECT_EQ(store.cbxSID.Items(), QStringList({"S"}));
        EXPECT_EQ(store.FArrLandscapeType.size(), 1);
        EXPECT_EQ(store.cbxRefreshComment.Items(), QStringList({"", "C"}));
    }
}

TEST_F(StoreTest, NegativeProfileCountIsARangeError)
{
    writeConfig(kThreeProfiles);
    store.LoadSystemInfos();
    busyLog.clear();
    writeConfig("[SystemInfo]\nNbItems=-1\n[SystemInfo_1]\nID=a\n"
                "[SID]\nNbItems=-3\nItem_1=S\n");
    expectError([this] { store.LoadAll(); }, "Erreur de vérification d'étendue");
    EXPECT_TRUE(store.FArrSystemInfo.isEmpty());
    EXPECT_EQ(store.FSystemInfoIdx, -1);
    EXPECT_EQ(store.cbxID.Count(), 0);
    EXPECT_EQ(store.cbxSID.Count(), 0); // a negative list count is an empty list
    EXPECT_EQ(busyLog, QStringList({"busy", "idle"}));
}

// A file too large to read: the load stops with the reader's error before any list is
// filled, and a later save refuses to touch the file.
TEST_F(StoreTest, AFileOver256MiBLoadsNothingAndIsNeverWritten)
{
    {
        QFile f(store.FConfigFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[SystemTitle]\nNbItems=1\nItem_1=T\n");
        ASSERT_TRUE(f.resize(TIniFile::MaxFileSize + 1)); // the rest sparse
    }
    const QString message = QStringLiteral("Impossible d'ouvrir le fichier \"") +
                            store.FConfigFile +
                            QStringLiteral("\". Fichier trop volumineux (plus de 256 Mo)");
    expectError([this] { store.LoadAll(); }, message);
    EXPECT_EQ(store.cbxSystemTitle.Count(), 0);
    EXPECT_TRUE(store.FArrSystemInfo.isEmpty());
    expectError([this] { store.StoreSystemInfo("T__DEV__2024_12_25", profile("DEV")); }, message);
    EXPECT_EQ(QFileInfo(store.FConfigFile).size(), TIniFile::MaxFileSize + 1);
}

TEST_F(StoreTest, StoringIntoAnEmptyStoreWritesTheFirstSection)
{
    tySystemInfo s = profile("DEV");
    s.PictureCenter = true;
    s.LastRefresh = fromQDate(QDate(2024, 12, 25)) + 0.5;
    s.CommentRefresh = "c";
    store.StoreSystemInfo("T__DEV__2024_12_25", s);
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
    EXPECT_EQ(store.FSystemInfoIdx, 0);
    EXPECT_EQ(store.FArrSystemInfo[0].LastRefresh, fromQDate(QDate(2024, 12, 25)));
    EXPECT_EQ(busyLog, QStringList({"busy", "idle", "busy", "idle"}));
}

TEST_F(StoreTest, StoreReplacesTheCurrentOrTheFirstEqualProfileElseAppends)
{
    writeConfig("[SystemInfo]\nNbItems=3\n[SystemInfo_1]\nID=a\n[SystemInfo_2]\nID=b\n"
                "[SystemInfo_3]\nID=a\n");
    store.LoadSystemInfos();

    store.FSystemInfoIdx = 1;
    store.StoreSystemInfo("b", profile("current"));
    EXPECT_EQ(ids(), QStringList({"a", "b", "a"}));
    EXPECT_EQ(store.FArrSystemInfo[1].SID, "current");

    store.FSystemInfoIdx = 1;
    store.StoreSystemInfo("a", profile("first of two"));
    EXPECT_EQ(store.FArrSystemInfo[0].SID, "first of two");
    EXPECT_EQ(store.FArrSystemInfo[2].SID, "");

    store.StoreSystemInfo("new", profile("appended"));
    EXPECT_EQ(ids(), QStringList({"a", "b", "a", "new"}));
    EXPECT_EQ(store.FArrSystemInfo[3].SID, "appended");
    EXPECT_EQ(store.FSystemInfoIdx, 3);
    EXPECT_EQ(read("SystemInfo", "NbItems"), "4");
    EXPECT_EQ(store.cbxID.Items(), QStringList({"a", "a", "b", "new"}));
}

TEST_F(StoreTest, DeletingRenumbersAndRemovesTheOldLastSection)
{
    writeConfig("[SystemInfo]\nNbItems=4\n[SystemInfo_1]\nID=one\n[SystemInfo_2]\nID=two\n"
                "[SystemInfo_3]\nID=three\n[SystemInfo_4]\nID=four\n");
    store.LoadSystemInfos();
    store.DeleteSystemInfo(1);
    EXPECT_EQ(ids(), QStringList({"one", "three", "four"}));
    EXPECT_EQ(store.FSystemInfoIdx, 2);
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
    store.FConfigFile = dir.filePath("a/Config.ini");
    writeConfig("[SystemInfo]\r\nNbItems=1\r\n[SystemInfo_1]\r\nID=kept\r\n"
                "[SID]\r\nNbItems=1\r\nItem_1=DEV\r\n"
                "[RefreshComment]\r\nNbItems=1\r\nItem_1=old\r\n"
                "[LandscapeType]\r\nNbItems=1\r\nItem_1=DEV\r\n");
    store.LoadAll();
    const QByteArray before = config();
    ASSERT_TRUE(QDir(dir.path()).rename("a", "moved"));
    writeBytes(dir.filePath("a"), "a file in the folder's place");
    const QString message = "Impossible d'écrire dans " + store.FConfigFile;
    busyLog.clear();

    expectError([this] { store.StoreSystemInfo("added", profile("X")); }, message);
    EXPECT_EQ(ids(), QStringList({"kept"}));
    EXPECT_EQ(store.FSystemInfoIdx, 0);
    EXPECT_EQ(store.cbxID.Items(), QStringList({"kept"}));
    EXPECT_EQ(busyLog, QStringList({"busy", "idle"}));

    // What the file holds now has no such profile to delete: nothing to write.
    store.DeleteSystemInfo(0);
    EXPECT_EQ(ids(), QStringList());

    store.cbxRefreshComment.Add("new");
    expectError([this] { store.SaveRefreshComments(); }, message);
    EXPECT_EQ(store.cbxRefreshComment.Items(), QStringList({"", "old", "new"}));

    store.FArrLandscapeType[0].Color = 255;
    expectError([this] { store.SaveLandscapeTypesAndColors(); }, message);
    EXPECT_EQ(store.FArrLandscapeType[0].Color, 255);
    store.cbxLandscapeType.Add("QAS");
    expectError([this] { store.SaveLandscapeTypes(); }, message);
    EXPECT_EQ(store.cbxLandscapeType.Count(), 2);
    expectError([this] { store.SaveSIDs(); }, message);
    expectError([this] { store.SaveSystemTitles(); }, message);

    EXPECT_EQ(readBytes(dir.filePath("moved/Config.ini")), before);
    EXPECT_EQ(QDir(dir.filePath("moved")).entryList(QDir::Files).size(), 1);
}

TEST_F(StoreTest, SavingUnchangedProfilesLeavesTheFileAlone)
{
    writeConfig(kThreeProfiles);
    store.LoadSystemInfos();
    // Only the count and the keys missing from the sections are new.
    const tySystemInfo first = store.FArrSystemInfo[0];
    store.StoreSystemInfo(first.ID, first);
    const QByteArray once = config();
    store.StoreSystemInfo(first.ID, first);
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
        store.LoadAll();
        EXPECT_EQ(ids(), QStringList({"Prüfung__DEV__2024_01_05"}));
        EXPECT_EQ(store.FArrSystemInfo[0].Usage1, "Entwicklung – Süd");
        EXPECT_EQ(store.cbxSystemTitle.Items(), QStringList({"Système"}));
        store.StoreSystemInfo("Prüfung__DEV__2024_01_05", profile("DEV"));
        const QByteArray out = config();
        EXPECT_EQ(out.startsWith("\xFF\xFE"), bytes.startsWith("\xFF\xFE"));
        EXPECT_EQ(store.FArrSystemInfo[0].SID, "DEV");
        EXPECT_EQ(store.cbxSystemTitle.Items(), QStringList({"Système"}));
        store.LoadSystemTitles();
        EXPECT_EQ(store.cbxSystemTitle.Items(), QStringList({"Système"}));
    }
}

TEST_F(StoreTest, MakeSystemInfoID)
{
    const QString title = "SAP ERP 6.0 EHP7";
    EXPECT_EQ(TConfigStore::MakeSystemInfoID(title, "DEV", fromQDate(QDate(2024, 1, 5)) + 0.9),
              "SAP ERP 6.0 EHP7__DEV__2024_01_05");
    EXPECT_EQ(TConfigStore::MakeSystemInfoID(title, "DEV", fromQDate(QDate(2024, 12, 25))),
              "SAP ERP 6.0 EHP7__DEV__2024_12_25");
    EXPECT_EQ(TConfigStore::MakeSystemInfoID("", "", 0), "____1899_12_30");
    EXPECT_EQ(TConfigStore::MakeSystemInfoID("T", "S", fromQDate(QDate(987, 3, 4))),
              "T__S__987_03_04");
}

TEST_F(StoreTest, FindSystemInfoComparesExactly)
{
    writeConfig("[SystemInfo]\nNbItems=3\n[SystemInfo_1]\nID=Dev\n[SystemInfo_2]\nID=dev\n"
                "[SystemInfo_3]\nID=dev\n");
    EXPECT_EQ(store.FindSystemInfo("dev"), -1);
    store.LoadSystemInfos();
    EXPECT_EQ(store.FindSystemInfo("dev"), 1);
    EXPECT_EQ(store.FindSystemInfo("Dev"), 0);
    EXPECT_EQ(store.FindSystemInfo("DEV"), -1);
    EXPECT_EQ(store.FindSystemInfo(""), -1);
}

TEST_F(StoreTest, ListsLoadByTheirRules)
{
    writeConfig("[SystemTitle]\nNbItems=3\nItem_1=A\nItem_2=\nItem_3=A\nItem_4=beyond\n"
                "[SID]\nNbItems=5\nItem_1= DEV \nItem_2=dev\nItem_3=\nItem_4=QAS\nItem_5=\tAAA\n"
                "[RefreshComment]\nNbItems=4\nItem_1=\nItem_2= Weekly\nItem_3=weekly \n"
                "Item_4=x\n"
                "[LandscapeType]\nNbItems=3\nItem_1=DEV\nItem_2= QAS \nItem_3=DEV\n"
                "[Color]\nNbItems=1\nItem_1=255\nItem_3=$FF0000\n");
    store.LoadAll();
    EXPECT_EQ(store.cbxSystemTitle.Items(), QStringList({"A", "", "A"}));
    EXPECT_EQ(store.cbxSID.Items(), QStringList({"AAA", "DEV", "QAS"}));
    EXPECT_EQ(store.cbxSourceSystem.Items(), QStringList({"", "AAA", "DEV", "QAS"}));
    EXPECT_EQ(store.cbxRefreshComment.Items(), QStringList({"", "Weekly", "x"}));
    EXPECT_EQ(store.cbxLandscapeType.Items(), QStringList({"DEV", "QAS", "DEV"}));
    EXPECT_EQ(store.FArrLandscapeType,
              tyArrLandscapeType({{"DEV", 255}, {"QAS", 0}, {"DEV", 0xFF0000}}));
    EXPECT_EQ(store.GetLandscapeTypeColor("DEV"), 255);
    EXPECT_EQ(store.GetLandscapeTypeColor("dev"), 0);
    EXPECT_EQ(store.GetLandscapeTypeColor("QAS"), 0);
    EXPECT_EQ(store.GetLandscapeTypeColor("missing"), 0);
}

TEST_F(StoreTest, SavingNamesLeavesTheColoursInTheirPlaces)
{
    writeConfig("[LandscapeType]\nNbItems=3\nItem_1=DEV\nItem_2=QAS\nItem_3=PRD\n"
                "[Color]\nNbItems=3\nItem_1=1\nItem_2=2\nItem_3=3\n");
    store.LoadLandscapeTypes();
    QStringList names = store.cbxLandscapeType.Items();
    names.removeFirst();
    store.cbxLandscapeType.Assign(names);
    store.SaveLandscapeTypes();
    EXPECT_EQ(store.FArrLandscapeType, tyArrLandscapeType({{"QAS", 1}, {"PRD", 2}}));
    EXPECT_EQ(read("LandscapeType", "NbItems"), "2");
    EXPECT_EQ(read("LandscapeType", "Item_3"), "PRD");
    EXPECT_EQ(read("Color", "NbItems"), "3");

    store.FArrLandscapeType = {{"SBX", -16777208}, {"PRD", 0x00FF00}};
    store.SaveLandscapeTypesAndColors();
    EXPECT_EQ(store.cbxLandscapeType.Items(), QStringList({"SBX", "PRD"}));
    EXPECT_EQ(store.FArrLandscapeType, tyArrLandscapeType({{"SBX", -16777208}, {"PRD", 0x00FF00}}));
    EXPECT_EQ(read("Color", "NbItems"), "2");
    EXPECT_EQ(read("Color", "Item_1"), "-16777208");
}

TEST_F(StoreTest, SavingListsWritesTheirItemsAsTheyAre)
{
    store.LoadRefreshComments();
    store.cbxRefreshComment.Add("Quarterly");
    store.SaveRefreshComments();
    EXPECT_EQ(read("RefreshComment", "NbItems"), "2");
    EXPECT_EQ(read("RefreshComment", "Item_1"), "");
    EXPECT_EQ(store.cbxRefreshComment.Items(), QStringList({"", "Quarterly"}));

    store.cbxSID.Add("QAS");
    store.cbxSID.Add("dev");
    store.SaveSIDs();
    EXPECT_EQ(read("SID", "Item_1"), "dev");
    EXPECT_EQ(read("SID", "Item_2"), "QAS");
    // The save reloads the list and rebuilds the source systems.
    EXPECT_EQ(store.cbxSourceSystem.Items(), QStringList({"", "dev", "QAS"}));

    store.cbxSystemTitle.Assign({"B", " A "});
    store.SaveSystemTitles();
    store.cbxSystemTitle.Clear();
    store.LoadSystemTitles();
    EXPECT_EQ(store.cbxSystemTitle.Items(), QStringList({"B", "A"})); // values are trimmed
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
        store.confirmLeavingCodePage = [&](int codePage) {
            asked << codePage;
            return yes;
        };
        store.LoadSystemTitles();
        // A title the page holds is written without a question.
        store.cbxSystemTitle.Add(QStringLiteral("Crème"));
        store.SaveSystemTitles();
        EXPECT_TRUE(asked.isEmpty());
        EXPECT_TRUE(config().endsWith("Item_2=Cr\xE8me\r\n")) << config().toStdString();
        const QByteArray before = config();

        store.cbxSystemTitle.Add(QStringLiteral("Łódź"));
        store.SaveSystemTitles();
        EXPECT_EQ(asked, QList<int>{1252});
        if (yes) {
            EXPECT_TRUE(config().startsWith("\xFF\xFE"));
            EXPECT_EQ(store.cbxSystemTitle.Items(), QStringList({"Café", "Crème", "Łódź"}));
        } else {
            EXPECT_EQ(config(), before);
            EXPECT_EQ(store.cbxSystemTitle.Items(), QStringList({"Café", "Crème"}));
        }
    }
}

} // namespace
