#include "applyprofile.h"

#include "apperror.h"
#include "configstore.h"
#include "profilelists.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const TColor kGreen = makeColor(0, 160, 0);

// Colour 3 is stored beyond the two positions: a third position takes it.
const char* const kConfig = R"([SystemTitle]
NbItems=2
Item_1=SAP ERP 6.0
Item_2=SAP BW
[LandscapeType]
NbItems=2
Item_1=DEV
Item_2=QAS
[Color]
NbItems=3
Item_1=16711680
Item_2=40960
Item_3=197121
[SID]
NbItems=2
Item_1=DEV
Item_2=QAS
[RefreshComment]
NbItems=1
Item_1=After upgrade
)";

tySystemInfo profile()
{
    tySystemInfo p;
    p.ID = QStringLiteral("SAP ERP 6.0__QAS__2016_12_01");
    p.BorderWidth = 3;
    p.SystemTitle = QStringLiteral("sap erp 6.0");
    p.LansdscapePosition = QStringLiteral("QAS");
    p.SID = QStringLiteral("qas");
    p.Usage1 = QStringLiteral("  Quality  ");
    p.Usage2 = QStringLiteral("Client 100");
    p.Info1 = QStringLiteral("No transports");
    p.LastRefresh = fromQDate(QDate(2016, 12, 1));
    p.SourceRefresh = QStringLiteral("DEV");
    p.CommentRefresh = QStringLiteral("after upgrade");
    return p;
}

// Records what the controls are asked to show, in order.
class RecordingControls : public TProfileControls
{
public:
    void showBorder(int w) override { calls << QStringLiteral("border %1").arg(w); }
    void showSystemTitle(int i) override { calls << QStringLiteral("title %1").arg(i); }
    void showLandscapeType(int i) override { calls << QStringLiteral("position %1").arg(i); }
    void showSID(int i) override { calls << QStringLiteral("sid %1").arg(i); }
    void showUsages(const QString&, const QString&) override { calls << QStringLiteral("usages"); }
    void showPicturePath(const QString& path) override { calls << QStringLiteral("path ") + path; }
    void showPlacement(bool, bool) override { calls << QStringLiteral("placement"); }
    void showInfos(const QString&, const QString&, const QString&) override
    {
        calls << QStringLiteral("infos");
    }
    void showRefresh(bool checked, TDateTime) override
    {
        calls << QStringLiteral("refresh %1").arg(checked);
    }
    void showSourceSystem(int i) override { calls << QStringLiteral("source %1").arg(i); }
    void showRefreshComment(int i, const QString& text) override
    {
        calls << QStringLiteral("comment %1 ").arg(i) + text;
    }
    QStringList calls;
};

// A Config.ini with the lists above, loaded; the lists are the store's own (written
// through, as the window uses them) or scratch copies (as tavelorn-export does).
class ApplyProfile : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        config = dir.filePath(QStringLiteral("Config.ini"));
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kConfig);
        f.close();
        store = std::make_unique<TConfigStore>(config);
        store->LoadAll();
        lists = std::make_unique<TProfileLists>(writeThrough() ? TProfileLists(*store)
                                                               : TProfileLists::Scratch(*store));
    }

    bool writeThrough() const { return GetParam(); }

    QByteArray configBytes() const
    {
        QFile f(config);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    QTemporaryDir dir;
    QString config;
    std::unique_ptr<TConfigStore> store;
    std::unique_ptr<TProfileLists> lists;
};

INSTANTIATE_TEST_SUITE_P(Lists, ApplyProfile, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Saved" : "Scratch"; });

} // namespace

TEST_P(ApplyProfile, PutsTheProfileIntoThePictureAndWritesNothingWhenAllIsListed)
{
    tyPicture picture;
    RecordingControls controls;
    ApplySystemInfoToPicture(picture, profile(), *lists, &controls);

    EXPECT_EQ(picture.shpBorder.Width, 3);
    // Lists found without regard to case show their own spelling.
    EXPECT_EQ(picture.lblSystemTitle.Text, QStringLiteral("SAP ERP 6.0"));
    EXPECT_EQ(picture.lblSID.Text, QStringLiteral("QAS"));
    EXPECT_EQ(picture.lblLandscapeType.Text, QStringLiteral("QAS"));
    for (const tyPictureText* e : {&picture.lblLandscapeType, &picture.lblSID, &picture.lblUsage2})
        EXPECT_EQ(e->Font.Color, kGreen);
    EXPECT_EQ(picture.lblUsage1.Text, QStringLiteral("Quality"));
    EXPECT_TRUE(picture.lblUsage2.Visible);
    EXPECT_TRUE(picture.lblInfo1.Visible);
    EXPECT_FALSE(picture.lblInfo2.Visible);
    EXPECT_FALSE(picture.imgPicture.Picture);
    // The refresh line with the profile's own source and comment.
    EXPECT_TRUE(picture.lblRefresh.Visible);
    EXPECT_TRUE(picture.lblRefreshDate.Visible);
    EXPECT_EQ(picture.lblRefreshDate.Text,
              formatShortDate(profile().LastRefresh) + QStringLiteral("  (DEV) - After upgrade"));

    EXPECT_EQ(controls.calls, QStringList({"border 3", "title 0", "position 1", "sid 1", "usages",
                                           "path ", "placement", "infos", "refresh 1", "source 1",
                                           "comment 1 After upgrade"}));
    EXPECT_EQ(configBytes(), QByteArray(kConfig));
}

TEST_P(ApplyProfile, MissingItemsAreAddedAsTheListsLoadThem)
{
    tyPicture picture;
    RecordingControls controls;
    tySystemInfo p = profile();
    p.SystemTitle = QStringLiteral("S/4HANA");
    p.LansdscapePosition = QStringLiteral("Sandbox");
    p.SID = QStringLiteral(" SBX "); // reloading trims it, so nothing is selected
    p.SourceRefresh = QStringLiteral("PRD");
    p.CommentRefresh = QStringLiteral("weekly copy");
    ApplySystemInfoToPicture(picture, p, *lists, &controls);

    const TConfigStore& l = lists->lists();
    EXPECT_EQ(l.cbxSystemTitle.Items(), (QStringList{"SAP ERP 6.0", "SAP BW", "S/4HANA"}));
    EXPECT_EQ(picture.lblSystemTitle.Text, QStringLiteral("S/4HANA"));
    // A new third position takes the colour stored under number 3.
    EXPECT_EQ(picture.lblLandscapeType.Text, QStringLiteral("Sandbox"));
    EXPECT_EQ(picture.lblSID.Font.Color, makeColor(1, 2, 3));
    EXPECT_EQ(picture.lblSID.Text, QString());
    EXPECT_EQ(l.cbxSID.Items(), (QStringList{"DEV", "PRD", "QAS", "SBX"}));
    EXPECT_EQ(l.cbxSourceSystem.Items(), (QStringList{"", "DEV", "PRD", "QAS", "SBX"}));
    // The comment is shown, not added: the comment list is never written for a profile.
    EXPECT_EQ(l.cbxRefreshComment.Items(), (QStringList{"", "After upgrade"}));
    EXPECT_EQ(picture.lblRefreshDate.Text,
              formatShortDate(p.LastRefresh) + QStringLiteral("  (PRD) - weekly copy"));
    EXPECT_EQ(controls.calls.mid(1, 3), QStringList({"title 2", "position 2", "sid -1"}));
    EXPECT_EQ(controls.calls.mid(9), QStringList({"source 2", "comment -1 weekly copy"}));

    // The saved lists hold the additions (and the refresh comments stay as they were);
    // scratch lists leave the file alone.
    TConfigStore reread(config);
    reread.LoadAll();
    if (writeThrough()) {
        EXPECT_EQ(reread.cbxSystemTitle.Items(), l.cbxSystemTitle.Items());
        EXPECT_EQ(reread.cbxLandscapeType.Items(), l.cbxLandscapeType.Items());
        EXPECT_EQ(reread.cbxSID.Items(), l.cbxSID.Items());
        EXPECT_FALSE(configBytes().contains("weekly"));
    } else {
        EXPECT_EQ(configBytes(), QByteArray(kConfig));
    }
}

TEST_P(ApplyProfile, BlankOrEmptyRefreshCommentSelectsTheEmptyItem)
{
    for (const QString& comment : {QString(), QStringLiteral("   ")}) {
        tyPicture picture;
        RecordingControls controls;
        tySystemInfo p = profile();
        p.CommentRefresh = comment;
        ApplySystemInfoToPicture(picture, p, *lists, &controls);
        EXPECT_EQ(controls.calls.last(), QStringLiteral("comment 0 "));
        EXPECT_EQ(picture.lblRefreshDate.Text,
                  formatShortDate(p.LastRefresh) + QStringLiteral("  (DEV)"));
    }
}

TEST_P(ApplyProfile, RefreshLineFollowsTheProfile)
{
    tyPicture picture;
    tySystemInfo p = profile();
    p.SourceRefresh.clear();
    p.CommentRefresh.clear();
    ApplySystemInfoToPicture(picture, p, *lists);
    EXPECT_EQ(picture.lblRefreshDate.Text, formatShortDate(p.LastRefresh));
    EXPECT_TRUE(picture.lblRefreshDate.Visible);

    // A profile without refresh date hides the line again and clears the source.
    p.LastRefresh = 0;
    RecordingControls controls;
    ApplySystemInfoToPicture(picture, p, *lists, &controls);
    EXPECT_FALSE(picture.lblRefresh.Visible);
    EXPECT_FALSE(picture.lblRefreshDate.Visible);
    EXPECT_EQ(controls.calls.mid(8), QStringList({"refresh 0", "source -1"}));

    // And one without refresh date on a fresh picture leaves it hidden.
    tyPicture fresh;
    ApplySystemInfoToPicture(fresh, p, *lists);
    EXPECT_FALSE(fresh.lblRefresh.Visible);
    EXPECT_FALSE(fresh.lblRefreshDate.Visible);
}

TEST_P(ApplyProfile, BackgroundPictureOnlyFromAnExistingFile)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString file = dir.filePath(QStringLiteral("bg.bmp"));
    ASSERT_TRUE(image.save(file, "BMP"));
    tyPicture picture;
    RecordingControls controls;
    tySystemInfo p = profile();
    p.PictureFullPath = file;
    p.PictureCenter = true;
    ApplySystemInfoToPicture(picture, p, *lists, &controls);
    ASSERT_TRUE(picture.imgPicture.Picture);
    EXPECT_EQ(picture.imgPicture.Picture->size(), QSize(40, 30));
    EXPECT_TRUE(picture.imgPicture.Center);
    EXPECT_EQ(controls.calls.at(5), QStringLiteral("path ") + file);

    // A deleted file, a folder and an empty path all remove the picture.
    for (const QString& path : {dir.filePath(QStringLiteral("gone.bmp")), dir.path(), QString()}) {
        SCOPED_TRACE(path.toStdString());
        tyPicture withPicture = picture;
        RecordingControls again;
        p.PictureFullPath = path;
        ApplySystemInfoToPicture(withPicture, p, *lists, &again);
        EXPECT_FALSE(withPicture.imgPicture.Picture);
        EXPECT_EQ(again.calls.at(5), QStringLiteral("path "));
    }
}

TEST_P(ApplyProfile, AFailingPictureStopsAfterTheEarlierSteps)
{
    tyPicture picture;
    QImage previousImage(5, 5, QImage::Format_RGB32);
    previousImage.fill(Qt::blue);
    const QString good = dir.filePath(QStringLiteral("good.bmp"));
    ASSERT_TRUE(previousImage.save(good, "BMP"));
    SetBackgroundPicture(picture, LoadPictureFromFile(good));
    const TGraphicPtr previous = picture.imgPicture.Picture;

    RecordingControls controls;
    tySystemInfo p = profile();
    p.PictureFullPath = writeFile(QStringLiteral("broken.bmp"), "BM not a bitmap at all");
    p.PictureStretch = true;
    EXPECT_THROW(ApplySystemInfoToPicture(picture, p, *lists, &controls), EAppError);
    EXPECT_EQ(picture.lblSystemTitle.Text, QStringLiteral("SAP ERP 6.0"));
    EXPECT_EQ(picture.lblUsage2.Text, QStringLiteral("Client 100"));
    EXPECT_EQ(picture.imgPicture.Picture, previous);
    EXPECT_FALSE(picture.imgPicture.Stretch);
    EXPECT_FALSE(picture.lblInfo1.Visible);
    EXPECT_FALSE(picture.lblRefresh.Visible);
    // The controls show the steps before the picture, and nothing of it.
    EXPECT_EQ(controls.calls.size(), 5);
    EXPECT_EQ(controls.calls.last(), QStringLiteral("usages"));
}

TEST_P(ApplyProfile, BorderWidthIsHeldToTheSpinnerRangeAndLineFontsStay)
{
    tyPicture picture;
    tyFont font = picture.lblInfo1.Font;
    font.Name = QStringLiteral("Courier New");
    SetInfoLineFont(picture, 1, font);
    SetInfoLineAlignment(picture, 1, TAlignment::taLeftJustify);
    tySystemInfo p = profile();
    p.BorderWidth = 25;
    ApplySystemInfoToPicture(picture, p, *lists);
    EXPECT_EQ(picture.shpBorder.Width, 10);
    p.BorderWidth = -4;
    ApplySystemInfoToPicture(picture, p, *lists);
    EXPECT_EQ(picture.shpBorder.Width, 0);
    EXPECT_FALSE(picture.shpBorder.Visible);
    EXPECT_EQ(picture.lblInfo1.Font.Name, QStringLiteral("Courier New"));
    EXPECT_EQ(picture.lblInfo1.Alignment, TAlignment::taLeftJustify);
}
