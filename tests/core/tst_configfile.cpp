#include "apperror.h"
#include "configfile.h"
#include "configstore.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavelorn;

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
    EXPECT_EQ(specialFolderPath(kAppDataFolderId), home);
    EXPECT_EQ(specialFolderPath(0), QString());
    EXPECT_EQ(specialFolderPath(-1), QString());
    EXPECT_EQ(defaultConfigFilePath(), defaultFolder + "Config.ini");
    EXPECT_FALSE(QFileInfo::exists(home));
}

TEST_F(ConfigFileTest, OneArgumentNamingAnExistingFileIsUsedAsGiven)
{
    writeBytes(dir.filePath("mine.ini"), "");
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_EQ(locateConfigFile({"mine.ini"}), "mine.ini");
    EXPECT_EQ(locateConfigFile({"./mine.ini"}), "./mine.ini");
    QDir::setCurrent(saved);
    EXPECT_EQ(locateConfigFile({dir.filePath("mine.ini")}), dir.filePath("mine.ini"));
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
        EXPECT_EQ(locateConfigFile(args), defaultFolder + "Config.ini");
        EXPECT_TRUE(QFileInfo(defaultFolder).isDir());
        EXPECT_FALSE(QFileInfo::exists(defaultFolder + "Config.ini"));
    }
}

// The folder cannot be created: nothing is reported, loads give defaults and the first
// save reports the refused write.
TEST_F(ConfigFileTest, UncreatableFolderShowsAtTheFirstSave)
{
    writeBytes(home, "a file where the folder should be");
    ConfigStore store(locateConfigFile({}));
    EXPECT_EQ(store.filePath(), defaultFolder + "Config.ini");
    store.loadAll();
    EXPECT_TRUE(store.profiles().isEmpty());
    store.systemTitles().add("T");
    try {
        store.saveSystemTitles();
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(),
                  "Impossible d'écrire dans " + store.filePath() + ". " + systemErrorText(ENOTDIR));
    }
    EXPECT_EQ(readBytes(home), "a file where the folder should be");
}

} // namespace
