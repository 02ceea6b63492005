// Picking, applying, saving and deleting profiles, and what they write to Config.ini.
#include "mainwindowfixture.h"

#include "apperror.h"
#include "configstore.h"
#include "inifile.h"
#include "picture.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QImage>
#include <QLineEdit>

using namespace tavelorn;

namespace {

class ProfilesTest : public MainWindowTest
{
protected:
    QString read(const char* section, const char* key) const
    {
        return IniFile(configPath()).readString(QLatin1String(section), QLatin1String(key), {});
    }

    QImage rendered() const
    {
        QImage image;
        renderPicture(w->picture(), image);
        return image;
    }
};

const QString QasID = QStringLiteral("SAP ERP 6.0 EHP7__QAS__2024_03_03");
const QString DevID = QStringLiteral("SAP BW 7.5__DEV__2024_01_05");

TEST_F(ProfilesTest, PickingAProfileFillsEveryControlAndThePreview)
{
    open();
    const QByteArray before = configBytes();
    pick(ui->cbxID, QasID);

    EXPECT_TRUE(ui->bbtID_Delete->isEnabled());
    EXPECT_EQ(ui->ledtBorder->text(), QStringLiteral("3"));
    EXPECT_EQ(text(ui->cbxSystemTitle), QStringLiteral("SAP ERP 6.0 EHP7"));
    EXPECT_EQ(text(ui->cbxLandscapeType), QStringLiteral("QAS"));
    EXPECT_EQ(text(ui->cbxSID), QStringLiteral("QAS"));
    EXPECT_EQ(ui->ledtUsage1->text(), QStringLiteral("Quality assurance"));
    EXPECT_EQ(ui->ledtUsage2->text(), QStringLiteral("Integration tests"));
    EXPECT_TRUE(ui->chkCenter->isChecked());
    EXPECT_FALSE(ui->chkStretch->isChecked());
    EXPECT_EQ(ui->ledtInfo1->text(), QStringLiteral("Do not use"));
    EXPECT_EQ(ui->ledtInfo2->text(), QString());
    EXPECT_EQ(ui->ledtInfo3->text(), QStringLiteral("Basis team"));
    EXPECT_TRUE(ui->chkRefreshDate->isChecked());
    EXPECT_TRUE(ui->dtRefreshDate->isEnabled());
    EXPECT_TRUE(ui->cbxSourceSystem->isEnabled());
    EXPECT_EQ(ui->dtRefreshDate->date(), QDate(2024, 3, 3));
    EXPECT_EQ(text(ui->cbxSourceSystem), QStringLiteral("PRD"));
    EXPECT_EQ(text(ui->cbxRefreshComment), QStringLiteral("Copy of production"));

    const PictureModel& p = w->picture();
    EXPECT_EQ(p.systemTitle.text, QStringLiteral("SAP ERP 6.0 EHP7"));
    EXPECT_EQ(p.sid.text, QStringLiteral("QAS"));
    EXPECT_EQ(p.sid.font.color, kColorBlue);
    EXPECT_EQ(p.border.width, 3);
    EXPECT_TRUE(p.background.center);
    EXPECT_FALSE(p.info2.visible);
    EXPECT_EQ(p.refreshDate.text, formatShortDate(fromQDate(QDate(2024, 3, 3))) +
                                         QStringLiteral("  (PRD) - Copy of production"));
    EXPECT_EQ(ui->pnlPreview->image(), rendered());
    // Everything named was present: nothing is written.
    EXPECT_EQ(configBytes(), before);

    // A profile without refresh: box off, its controls disabled, the picker on today.
    pick(ui->cbxID, DevID);
    EXPECT_FALSE(ui->chkRefreshDate->isChecked());
    EXPECT_FALSE(ui->dtRefreshDate->isEnabled());
    EXPECT_FALSE(ui->cbxSourceSystem->isEnabled());
    EXPECT_EQ(ui->cbxSourceSystem->currentIndex(), -1);
    EXPECT_EQ(ui->dtRefreshDate->date(), QDate::currentDate());
    EXPECT_FALSE(w->picture().refresh.visible);
    EXPECT_EQ(ui->ledtUsage2->text(), QString());
    EXPECT_FALSE(w->picture().usage2.visible);
    EXPECT_EQ(w->picture().sid.font.color, 32768);
    EXPECT_EQ(ui->pnlPreview->image(), rendered());
    EXPECT_EQ(configBytes(), before);
}

TEST_F(ProfilesTest, ApplyingAddsMissingListItemsAndWritesThem)
{
    open(R"([SystemTitle]
NbItems=1
Item_1=SAP BW 7.5
[LandscapeType]
NbItems=1
Item_1=DEV
[Color]
NbItems=2
Item_1=32768
Item_2=16711680
[SID]
NbItems=1
Item_1=DEV
[SystemInfo]
NbItems=2
[SystemInfo_1]
ID=new
SystemTitle=SAP S/4HANA 2023
LansdscapePosition=SBX
SID=s4d
LastRefresh=03/03/2024
SourceRefresh=S4P
[SystemInfo_2]
ID=case
SystemTitle=sap bw 7.5
LansdscapePosition=DEV
SID=dev
LastRefresh=03/03/2024
SourceRefresh=
)");
    pick(ui->cbxID, QStringLiteral("new"));
    // The title and the position go at the end of their lists and are written.
    EXPECT_EQ(items(ui->cbxSystemTitle), (QStringList{"SAP BW 7.5", "SAP S/4HANA 2023"}));
    EXPECT_EQ(text(ui->cbxSystemTitle), QStringLiteral("SAP S/4HANA 2023"));
    EXPECT_EQ(read("SystemTitle", "NbItems"), QStringLiteral("2"));
    EXPECT_EQ(read("SystemTitle", "Item_2"), QStringLiteral("SAP S/4HANA 2023"));
    EXPECT_EQ(items(ui->cbxLandscapeType), (QStringList{"DEV", "SBX"}));
    EXPECT_EQ(read("LandscapeType", "Item_2"), QStringLiteral("SBX"));
    // The new position takes the colour stored under its number.
    EXPECT_EQ(w->picture().landscapeType.font.color, kColorBlue);
    EXPECT_EQ(w->store().landscapeTypes().size(), 2);
    // SID and source system join the SID list at their place, letter case ignored; the
    // rebuilt lists keep the SID selected, as the picture shows it.
    EXPECT_EQ(items(ui->cbxSID), (QStringList{"DEV", "s4d", "S4P"}));
    EXPECT_EQ(items(ui->cbxSourceSystem), (QStringList{"", "DEV", "s4d", "S4P"}));
    EXPECT_EQ(read("SID", "NbItems"), QStringLiteral("3"));
    EXPECT_EQ(read("SID", "Item_3"), QStringLiteral("S4P"));
    EXPECT_EQ(text(ui->cbxSourceSystem), QStringLiteral("S4P"));
    EXPECT_EQ(text(ui->cbxSID), QStringLiteral("s4d"));
    EXPECT_EQ(w->picture().sid.text, QStringLiteral("s4d"));
    // Save writes what is shown.
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    EXPECT_EQ(read("SystemInfo_1", "SID"), QStringLiteral("s4d"));
    EXPECT_EQ(read("SystemInfo_1", "SourceRefresh"), QStringLiteral("S4P"));
    const QByteArray afterApply = configBytes();

    // Texts that differ only in case select the list's spelling and add nothing; an
    // empty source selects the empty first item.
    pick(ui->cbxID, QStringLiteral("case"));
    EXPECT_EQ(text(ui->cbxSystemTitle), QStringLiteral("SAP BW 7.5"));
    EXPECT_EQ(w->picture().systemTitle.text, QStringLiteral("SAP BW 7.5"));
    EXPECT_EQ(text(ui->cbxSID), QStringLiteral("DEV"));
    EXPECT_EQ(ui->cbxSourceSystem->currentIndex(), 0);
    EXPECT_EQ(configBytes(), afterApply);
}

TEST_F(ProfilesTest, ApplyingShowsAnUnlistedRefreshCommentWithoutWritingTheList)
{
    QByteArray config = StandardConfig();
    config.replace("CommentRefresh=Copy of production", "CommentRefresh=Weekly copy");
    open(config);
    const QByteArray before = configBytes();
    pick(ui->cbxID, QasID);

    // Shown in the selector and in the picture; the list and the file stay as they were.
    EXPECT_EQ(text(ui->cbxRefreshComment), QStringLiteral("Weekly copy"));
    EXPECT_EQ(w->store().refreshComments().items(), (QStringList{"", "Copy of production"}));
    EXPECT_TRUE(w->picture().refreshDate.text.endsWith(QStringLiteral("(PRD) - Weekly copy")));
    EXPECT_EQ(configBytes(), before);

    // Saving the profile keeps its comment.
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    EXPECT_EQ(read("SystemInfo_1", "CommentRefresh"), QStringLiteral("Weekly copy"));
    EXPECT_EQ(read("RefreshComment", "NbItems"), QStringLiteral("1"));

    // A profile whose comment is listed selects it; the unlisted one is gone.
    config.replace("[SystemInfo_2]\n", "[SystemInfo_2]\nCommentRefresh=copy of PRODUCTION\n");
    config.replace("LastRefresh=\n", "LastRefresh=04/04/2024\n");
    open(config);
    pick(ui->cbxID, QasID);
    pick(ui->cbxID, DevID);
    EXPECT_EQ(text(ui->cbxRefreshComment), QStringLiteral("Copy of production"));
    EXPECT_EQ(items(ui->cbxRefreshComment), (QStringList{"", "Copy of production"}));
}

TEST_F(ProfilesTest, ApplyingLoadsThePictureOrClearsIt)
{
    const QString bmp = dir.filePath(QStringLiteral("band.bmp"));
    QImage green(40, 30, QImage::Format_RGB32);
    green.fill(Qt::green);
    ASSERT_TRUE(green.save(bmp, "BMP"));
    const QString broken = dir.filePath(QStringLiteral("broken.bmp"));
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a bitmap at all");
    }
    const QString gone = dir.filePath(QStringLiteral("gone.bmp"));
    open(QStringLiteral(R"([SID]
NbItems=1
Item_1=DEV
[SystemInfo]
NbItems=3
[SystemInfo_1]
ID=with picture
SID=DEV
PictureFullPath=%1
Usage1=first
[SystemInfo_2]
ID=broken
SID=DEV
PictureFullPath=%2
Usage1=second
Info1=not reached
[SystemInfo_3]
ID=gone
SID=DEV
PictureFullPath=%3
)")
             .arg(bmp, broken, gone)
             .toUtf8());
    pick(ui->cbxID, QStringLiteral("with picture"));
    EXPECT_EQ(w->picturePath(), bmp);
    ASSERT_TRUE(w->picture().background.graphic);
    EXPECT_EQ(ui->pnlPreview->image().pixel(5, 145), qRgb(0, 255, 0));

    // A picture that fails to load: the error box, the steps before it applied, the
    // ones after it not, the former path kept.
    auto box = answerBox();
    pick(ui->cbxID, QStringLiteral("broken"));
    ASSERT_TRUE(box->shown);
    EXPECT_EQ(box->title, QStringLiteral("Corvandel"));
    EXPECT_EQ(box->icon, QMessageBox::Critical);
    EXPECT_EQ(box->text, QStringLiteral("Image de bitmap non valide."));
    EXPECT_EQ(ui->ledtUsage1->text(), QStringLiteral("second"));
    EXPECT_EQ(ui->ledtInfo1->text(), QString());
    EXPECT_EQ(w->picturePath(), bmp);
    EXPECT_EQ(ui->pnlPreview->image(), rendered());

    // A file that no longer exists: no picture, an empty path, saved as such.
    pick(ui->cbxID, QStringLiteral("gone"));
    EXPECT_FALSE(w->picture().background.graphic);
    EXPECT_EQ(w->picturePath(), QString());
    pick(ui->cbxSID, QStringLiteral("DEV"));
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    const QString id = ConfigStore::makeProfileId({}, QStringLiteral("DEV"), nowDateTime());
    const int i = w->store().findProfile(id);
    ASSERT_GE(i, 0);
    EXPECT_EQ(w->store().profiles()[i].picturePath, QString());
}

TEST_F(ProfilesTest, JpegDataFoundCorruptAtFirstDrawingIsReportedOnce)
{
    // The header is sound, the data ends early: found only when the preview draws it.
    QImage noise(64, 64, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            noise.setPixel(x, y, seed = seed * 1664525 + 1013904223);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(noise.save(&buffer, "JPEG", 100));
    }
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    ASSERT_GT(sos, 0);
    const QString path = dir.filePath(QStringLiteral("cut.jpg"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(jpeg.left(sos + (jpeg.size() - sos) / 2));
    }
    open(QStringLiteral("[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=cut\nPictureFullPath=%1\n")
             .arg(path)
             .toUtf8());
    auto box = answerBox();
    pick(ui->cbxID, QStringLiteral("cut"));
    ASSERT_TRUE(box->shown);
    EXPECT_TRUE(box->text.startsWith(QStringLiteral("Erreur JPEG #"))) << box->text.toStdString();
    EXPECT_EQ(w->picturePath(), path);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Later drawings say nothing more.
    ui->chkCenter->setChecked(true);
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(ui->pnlPreview->image(), rendered());
}

TEST_F(ProfilesTest, SaveReplacesTheSameIdentifierAndAppendsANewOne)
{
    open();
    pick(ui->cbxID, QasID);
    ui->ledtUsage1->setText(QStringLiteral("  edited  "));
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    EXPECT_EQ(read("SystemInfo", "NbItems"), QStringLiteral("2"));
    EXPECT_EQ(read("SystemInfo_1", "ID"), QasID);
    // The INI format reads values back trimmed.
    EXPECT_EQ(read("SystemInfo_1", "Usage1"), QStringLiteral("edited"));
    EXPECT_EQ(read("SystemInfo_1", "BorderWidth"), QStringLiteral("3"));
    EXPECT_EQ(read("SystemInfo_1", "SourceRefresh"), QStringLiteral("PRD"));
    EXPECT_EQ(read("SystemInfo_1", "CommentRefresh"), QStringLiteral("Copy of production"));
    EXPECT_EQ(text(ui->cbxID), QasID);
    EXPECT_TRUE(ui->bbtID_Delete->isEnabled());

    // Another SID makes another identifier: appended, the old one kept.
    pick(ui->cbxSID, QStringLiteral("PRD"));
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    const QString prdID = QStringLiteral("SAP ERP 6.0 EHP7__PRD__2024_03_03");
    EXPECT_EQ(read("SystemInfo", "NbItems"), QStringLiteral("3"));
    EXPECT_EQ(read("SystemInfo_3", "ID"), prdID);
    EXPECT_EQ(read("SystemInfo_1", "ID"), QasID);
    EXPECT_EQ(text(ui->cbxID), prdID);
    EXPECT_EQ(items(ui->cbxID).size(), 3);

    // Without "Last refresh" the identifier takes today's date and no refresh is kept.
    QTest::mouseClick(ui->chkRefreshDate, Qt::LeftButton);
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    const QString todayID =
        QStringLiteral("SAP ERP 6.0 EHP7__PRD__") + QDate::currentDate().toString("yyyy_MM_dd");
    EXPECT_EQ(read("SystemInfo", "NbItems"), QStringLiteral("4"));
    EXPECT_EQ(read("SystemInfo_4", "ID"), todayID);
    EXPECT_EQ(read("SystemInfo_4", "SourceRefresh"), QString());
    EXPECT_EQ(read("SystemInfo_4", "CommentRefresh"), QString());
    EXPECT_EQ(IniFile(configPath()).readDate("SystemInfo_4", "LastRefresh", -1), 0);
}

TEST_F(ProfilesTest, SaveWithoutASidDoesNothing)
{
    open();
    const QByteArray before = configBytes();
    pick(ui->cbxSystemTitle, QStringLiteral("SAP BW 7.5"));
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    EXPECT_EQ(configBytes(), before);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ProfilesTest, DeleteAsksFirstAndDropsTheProfileOnYes)
{
    open();
    // Nothing selected: no question.
    ui->bbtID_Delete->setEnabled(true);
    QTest::mouseClick(ui->bbtID_Delete, Qt::LeftButton);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    pick(ui->cbxID, QasID);
    const QByteArray before = configBytes();
    auto no = answerBox(QMessageBox::No);
    QTest::mouseClick(ui->bbtID_Delete, Qt::LeftButton);
    ASSERT_TRUE(no->shown);
    EXPECT_EQ(no->title, QStringLiteral("Corvandel"));
    EXPECT_EQ(no->text, QStringLiteral("Delete \"%1\" ?").arg(QasID));
    EXPECT_EQ(no->icon, QMessageBox::Question);
    EXPECT_EQ(configBytes(), before);
    EXPECT_EQ(text(ui->cbxID), QasID);

    auto yes = answerBox(QMessageBox::Yes);
    QTest::mouseClick(ui->bbtID_Delete, Qt::LeftButton);
    ASSERT_TRUE(yes->shown);
    EXPECT_EQ(read("SystemInfo", "NbItems"), QStringLiteral("1"));
    EXPECT_EQ(read("SystemInfo_1", "ID"), DevID);
    EXPECT_EQ(items(ui->cbxID), QStringList{DevID});
    EXPECT_EQ(ui->cbxID->currentIndex(), -1);
    // The controls keep the deleted profile's values; with no profile chosen there is
    // nothing to delete.
    EXPECT_EQ(ui->ledtUsage1->text(), QStringLiteral("Quality assurance"));
    EXPECT_FALSE(ui->bbtID_Delete->isEnabled());
    // The deleted profile's data is gone from the file.
    EXPECT_FALSE(configBytes().contains("SystemInfo_2]")) << configBytes().toStdString();
    EXPECT_FALSE(configBytes().contains("Quality assurance"));
}

// Two windows on one file, each saving a profile the other never saw: both stay, and
// each window shows both after its own save.
TEST_F(ProfilesTest, TwoWindowsOnOneFileKeepEachOthersProfiles)
{
    open();
    TfrmMainNew other(QStringList{configPath()});
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    const auto save = [](const MainWindowControls* form, const QString& sid) {
        pick(form->cbxSID, sid);
        QTest::mouseClick(form->bbtID_Save, Qt::LeftButton);
    };
    const QStringList before = items(ui->cbxID);
    const MainWindowControls otherControls(&other);
    save(&otherControls, QStringLiteral("PRD"));
    save(ui.get(), QStringLiteral("DEV"));
    ConfigStore file(configPath());
    file.loadAll();
    EXPECT_EQ(file.profileIds().count(), before.size() + 2) << items(ui->cbxID).join(u'|').toStdString();
    EXPECT_EQ(file.profileIds().items(), items(ui->cbxID));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy_MM_dd"));
    for (const char* sid : {"__PRD__", "__DEV__"})
        EXPECT_EQ(file.profileIds().items().filter(QLatin1String(sid) + today).size(), 1) << sid;
}

TEST_F(ProfilesTest, RefusedWriteShowsTheErrorAndTheWindowStaysUsable)
{
    open();
    pick(ui->cbxID, QasID);
    pick(ui->cbxSID, QStringLiteral("PRD"));
    const QByteArray before = configBytes();
    QFile::setPermissions(configPath(), QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup);
    const auto readOnlyFolder = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup;
    QFile::setPermissions(dir.path(), readOnlyFolder);
    auto box = answerBox();
    {
        const Unprivileged asUser;
        QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    }
    QFile::setPermissions(dir.path(), readOnlyFolder | QFile::WriteOwner);
    QFile::setPermissions(configPath(), QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(box->shown);
    EXPECT_EQ(box->title, QStringLiteral("Corvandel"));
    EXPECT_EQ(box->icon, QMessageBox::Critical);
    // The message keeps its cause.
    EXPECT_EQ(box->text, QStringLiteral("Impossible d'écrire dans ") + configPath() +
                             QStringLiteral(". ") + tavelorn::systemErrorText(EACCES) + u'.');
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(configBytes(), before);

    // Still usable: the next command works.
    pick(ui->cbxID, DevID);
    EXPECT_EQ(text(ui->cbxSystemTitle), QStringLiteral("SAP BW 7.5"));
    QTest::mouseClick(ui->bbtID_Save, Qt::LeftButton);
    // The refused profile is not written behind the user's back by a later save; this
    // one adds its own (a new identifier for today, as the profile has no refresh date).
    EXPECT_EQ(read("SystemInfo", "NbItems"), QStringLiteral("3"));
    EXPECT_EQ(read("SystemInfo_3", "ID"),
              QStringLiteral("SAP BW 7.5__DEV__") +
                  QDate::currentDate().toString(QStringLiteral("yyyy_MM_dd")));
}

TEST_F(ProfilesTest, LoadErrorAtStartEndsTheLoadingButTheWindowOpens)
{
    writeConfig(R"([SystemTitle]
NbItems=1
Item_1=Title
[SystemInfo]
NbItems=-1
[RefreshComment]
NbItems=1
Item_1=never loaded
)");
    auto box = answerBox();
    openExisting();
    ASSERT_TRUE(box->shown);
    EXPECT_EQ(box->text, QStringLiteral("Erreur de vérification d'étendue."));
    EXPECT_EQ(items(ui->cbxSystemTitle), QStringList{"Title"});
    EXPECT_EQ(ui->cbxID->count(), 0);
    EXPECT_EQ(items(ui->cbxRefreshComment), QStringList{});
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), ui->cbxID);
}

} // namespace

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}
