// Two windows of the program on one Config.ini, as two users of a shared folder have.
#include "configstore.h"
#include "inifile.h"
#include "mainwindowfixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>

#include <sys/stat.h>

using namespace tavelorn;

namespace {

const QString kP = QStringLiteral("SAP ERP 6.0 EHP7__QAS__2024_03_03");

class SharedWindows : public MainWindowTest
{
protected:
    // Window B, opened on the same file as window A (w).
    void openB()
    {
        b = std::make_unique<TfrmMainNew>(QStringList{configPath()});
        bui = std::make_unique<const MainWindowControls>(b.get());
        b->move(0, 0);
        b->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(b.get()));
    }
    void TearDown() override
    {
        bui.reset();
        b.reset();
        MainWindowTest::TearDown();
    }
    // The profile the file holds under id.
    Profile stored(const QString& id) const
    {
        const ProfileList profiles = readProfiles(IniFile(configPath()));
        for (const Profile& p : profiles)
            if (p.id == id)
                return p;
        return {};
    }
    bool fileHolds(const QString& id) const { return !stored(id).id.isEmpty(); }
    // Waits, without sleeping a fixed time, until done() holds or ms pass.
    static bool within(int ms, const std::function<bool()>& done)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            QTest::qWait(10);
        return done();
    }

    std::unique_ptr<TfrmMainNew> b;
    std::unique_ptr<const MainWindowControls> bui;
};

// A and B both apply P; A saves a new usage line, then B a new information line from
// its stale copy: the file keeps both, and B shows the merged profile.
TEST_F(SharedWindows, SavesOfDifferentFieldsBothStay)
{
    open();
    openB();
    pick(bui->cbxID, kP);
    pick(ui->cbxID, kP);
    ui->ledtUsage1->setText(QStringLiteral("usage by A"));
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    ASSERT_EQ(stored(kP).usage1, QStringLiteral("usage by A"));

    bui->ledtInfo1->setText(QStringLiteral("info by B"));
    QTest::mouseClick(bui->bbtID_Save, Qt::LeftButton);
    const Profile p = stored(kP);
    EXPECT_EQ(p.usage1, QStringLiteral("usage by A"));
    EXPECT_EQ(p.info1, QStringLiteral("info by B"));
    EXPECT_EQ(p.usage2, QStringLiteral("Integration tests"));
    EXPECT_EQ(readProfiles(IniFile(configPath())).size(), 2) << "no copy appended";
    EXPECT_EQ(bui->ledtUsage1->text(), QStringLiteral("usage by A")) << "B shows the result";
    EXPECT_EQ(bui->ledtInfo1->text(), QStringLiteral("info by B"));
    EXPECT_EQ(text(bui->cbxID), kP);

    // Both changed the same field: the window that saves last wins.
    ui->ledtInfo1->setText(QStringLiteral("info by A"));
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    EXPECT_EQ(stored(kP).info1, QStringLiteral("info by A"));
    EXPECT_EQ(stored(kP).usage1, QStringLiteral("usage by A"));
}

// A deletes P while B shows it: B's Save without a change leaves it deleted; once the
// user changes it in B, Save brings it back.
TEST_F(SharedWindows, ADeletedProfileReturnsOnlyWithTheUsersChange)
{
    open();
    openB();
    pick(bui->cbxID, kP);
    pick(ui->cbxID, kP);
    answerBox(QMessageBox::Yes);
    QTest::mouseClick(ui->bbtID_Delete, Qt::LeftButton);
    ASSERT_FALSE(fileHolds(kP));
    const QByteArray afterDelete = configBytes();

    QTest::mouseClick(bui->bbtID_Save, Qt::LeftButton);
    EXPECT_EQ(configBytes(), afterDelete);
    EXPECT_EQ(bui->cbxID->findText(kP), -1);

    bui->ledtInfo2->setText(QStringLiteral("still in use"));
    QTest::mouseClick(bui->bbtID_Save, Qt::LeftButton);
    EXPECT_TRUE(fileHolds(kP));
    EXPECT_EQ(stored(kP).info2, QStringLiteral("still in use"));
    EXPECT_EQ(stored(kP).usage1, QStringLiteral("Quality assurance"));
}

// B saves a new profile; A lists it at once without any action, keeping its selections
// and the text being edited, and writes nothing.
TEST_F(SharedWindows, TheWindowFollowsAnotherWritersSave)
{
    open();
    openB();
    pick(ui->cbxID, kP);
    pick(ui->cbxSID, QStringLiteral("PRD"));
    ui->ledtInfo2->setText(QStringLiteral("typing in A"));

    pick(bui->cbxSystemTitle, QStringLiteral("SAP BW 7.5"));
    pick(bui->cbxSID, QStringLiteral("PRD"));
    QTest::mouseClick(bui->bbtID_Save, Qt::LeftButton);
    const QString newId = text(bui->cbxID);
    ASSERT_TRUE(newId.startsWith(QStringLiteral("SAP BW 7.5__PRD__")));
    const QByteArray written = configBytes();

    EXPECT_TRUE(within(1000, [&] { return ui->cbxID->findText(newId) >= 0; }))
        << "A does not list B's profile";
    EXPECT_EQ(text(ui->cbxID), kP);
    EXPECT_EQ(text(ui->cbxSID), QStringLiteral("PRD"));
    EXPECT_EQ(ui->ledtInfo2->text(), QStringLiteral("typing in A"));
    EXPECT_EQ(ui->ledtUsage1->text(), QStringLiteral("Quality assurance"));
    EXPECT_EQ(configBytes(), written) << "following the file wrote it";
}

// A list another writer changed reaches the window too; the window's own writes
// reload nothing (positive control: another writer's does).
TEST_F(SharedWindows, OwnWritesReloadNothingOthersDo)
{
    open();
    pick(ui->cbxID, kP);
    ui->ledtUsage2->setText(QStringLiteral("own"));
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    EXPECT_FALSE(w->followConfigFile()) << "the window's own Save made it reload";

    ConfigStore other(configPath());
    other.loadAll();
    other.sids().add(QStringLiteral("XYZ"));
    other.saveSids();
    EXPECT_TRUE(w->followConfigFile());
    EXPECT_GE(ui->cbxSID->findText(QStringLiteral("XYZ")), 0);
    EXPECT_EQ(ui->ledtUsage2->text(), QStringLiteral("own"));
    EXPECT_EQ(text(ui->cbxID), kP);
}

// A handler never sees its lists replaced under it: while a modal dialog of a command
// is open, another writer's change waits until it closes.
TEST_F(SharedWindows, NoReloadUnderAnOpenCommand)
{
    open();
    ConfigStore other(configPath());
    other.loadAll();
    other.systemTitles().add(QStringLiteral("Added elsewhere"));
    bool reloadedUnderDialog = true;
    whenModal<QWidget>([&](QWidget* dialog) {
        other.saveSystemTitles();
        reloadedUnderDialog = w->followConfigFile() ||
                              ui->cbxSystemTitle->findText(QStringLiteral("Added elsewhere")) >= 0;
        dialog->close();
    });
    QTest::mouseClick(ui->bbtSID, Qt::LeftButton);
    EXPECT_FALSE(reloadedUnderDialog);
    EXPECT_TRUE(within(1000, [&] {
        return ui->cbxSystemTitle->findText(QStringLiteral("Added elsewhere")) >= 0;
    })) << "the change was not followed after the dialog";
}

// Every name in the folder with its size, modification time (to the nanosecond) and a
// hash of its bytes: what a reader must leave as it was.
QStringList folderState(const QString& folder)
{
    QStringList out;
    const QDir d(folder);
    for (const QString& name : d.entryList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        const QByteArray path = QFile::encodeName(d.filePath(name));
        struct stat st
        {
        };
        if (::lstat(path.constData(), &st) != 0) {
            out << name + QStringLiteral(" (gone)");
            continue;
        }
        QFile f(d.filePath(name));
        const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        out << name + u' ' + QString::number(st.st_size) + u' ' +
                   QString::number(st.st_mtim.tv_sec) + u'.' + QString::number(st.st_mtim.tv_nsec) +
                   u' ' +
                   QString::fromLatin1(
                       QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }
    return out;
}

// Starting the window, letting it watch the file a while and quitting creates, changes
// and touches nothing in the folder of Config.ini; a Save does (the check can see it).
TEST_F(SharedWindows, StartAndQuitLeaveTheFolderAsItWas)
{
    writeConfig(StandardConfig());
    const QStringList before = folderState(dir.path());
    openExisting();
    // The watcher's poll runs a few times meanwhile.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1200)
        QTest::qWait(50);
    pick(ui->cbxID, kP);
    w->close();
    ui.reset();
    w.reset();
    EXPECT_EQ(folderState(dir.path()), before);

    // Positive control: the same run with a Save changes the folder.
    openExisting();
    pick(ui->cbxID, kP);
    ui->ledtUsage1->setText(QStringLiteral("changed"));
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    w->close();
    EXPECT_NE(folderState(dir.path()), before);
}

} // namespace

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}
