#include "apperror.h"
#include "configfile.h"
#include "configstore.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The per-user configuration folder is pointed into a temporary folder.
class ConfigFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    QString home = dir.filePath("config");
    QString defaultFolder = home + "/Tavelorn-Tools/Tavelorn/";

    void SetUp() override { qputenv("XDG_CONFIG_HOME", home.toLocal8Bit()); }
    void TearDown() override
    {
        if (savedXdg.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", savedXdg);
    }
};

TEST_F(ConfigFileTest, FolderLookup)
{
    EXPECT_EQ(GetSpecialFolderPath(CSIDL_APPDATA), home);
    EXPECT_EQ(GetSpecialFolderPath(0), QString());
    EXPECT_EQ(GetSpecialFolderPath(-1), QString());
    EXPECT_EQ(DefaultConfigFilePath(), defaultFolder + "Config.ini");
    EXPECT_FALSE(QFileInfo::exists(home));
}

TEST_F(ConfigFileTest, OneArgumentNamingAnExistingFileIsUsedAsGiven)
{
    writeBytes(dir.filePath("mine.ini"), "");
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_EQ(LocateConfigFile({"mine.ini"}), "mine.ini");
    EXPECT_EQ(LocateConfigFile({"./mine.ini"}), "./mine.ini");
    QDir::setCurrent(saved);
    EXPECT_EQ(LocateConfigFile({dir.filePath("mine.ini")}), dir.filePath("mine.ini"));
    EXPECT_FALSE(QFileInfo::exists(home)); // nothing created
}

TEST_F(ConfigFileTest, AnyOtherCommandLineUsesTheDefaultPathAndCreatesItsFolder)
{
    writeBytes(dir.filePath("mine.ini"), "");
    const QStringList cases[] = {
        {},
        {dir.path()},                         // a folder
        {dir.filePath("absent.ini")},         // no such file
        {dir.filePath("mine.ini"), "second"}, // two arguments
        {"/dev/null"},                        // no regular file
        {""},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(qPrintable(args.join(u' ')));
        QDir(home).removeRecursively();
        EXPECT_EQ(LocateConfigFile(args), defaultFolder + "Config.ini");
        EXPECT_TRUE(QFileInfo(defaultFolder).isDir());
        EXPECT_FALSE(QFileInfo::exists(defaultFolder + "Config.ini"));
    }
}

// The folder cannot be created: nothing is reported, loads give defaults and the first
// save reports the refused write.
TEST_F(ConfigFileTest, UncreatableFolderShowsAtTheFirstSave)
{
    writeBytes(home, "a file where the folder should be");
    TConfigStore store(LocateConfigFile({}));
    EXPECT_EQ(store.FConfigFile, defaultFolder + "Config.ini");
    store.LoadAll();
    EXPECT_TRUE(store.FArrSystemInfo.isEmpty());
    store.cbxSystemTitle.Add("T");
    try {
        store.SaveSystemTitles();
        ADD_FAILURE() << "no error";
    } catch (const EAppError& e) {
        EXPECT_EQ(e.message(), "Impossible d'écrire dans " + store.FConfigFile);
    }
    EXPECT_EQ(readBytes(home), "a file where the folder should be");
}

} // namespace
