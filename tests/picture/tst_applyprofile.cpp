#include "applyprofile.h"

#include "apperror.h"

#include "imagegraphic.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const TColor kGreen = makeColor(0, 160, 0);

// The lists in memory; pictures come from images instead of files.
class TestHost : public TProfileListsHost
{
public:
    TestHost()
    {
        SystemTitles = {QStringLiteral("SAP ERP 6.0"), QStringLiteral("SAP BW")};
        LandscapeTypes = {{QStringLiteral("DEV"), clBlue}, {QStringLiteral("QAS"), kGreen}};
        SIDs = {QStringLiteral("DEV"), QStringLiteral("QAS")};
        RefreshComments = {QString(), QStringLiteral("After upgrade")};
        StoredColor = [](int n) { return n == 3 ? makeColor(1, 2, 3) : clBlack; };
        Now = fromQDate(QDate(2027, 1, 9));
    }
    TGraphicPtr loadPicture(const QString& path) override
    {
        loaded.append(path);
        if (failLoad)
            throw EAppError(QStringLiteral("Image de bitmap non valide"));
        return imageGraphic(QImage(40, 30, QImage::Format_RGB32));
    }
    QStringList loaded;
    bool failLoad = false;
};

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

} // namespace

TEST(ApplyProfile, PutsTheProfileIntoThePicture)
{
    tyPicture picture;
    TestHost host;
    ApplySystemInfoToPicture(picture, profile(), host);

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
    EXPECT_TRUE(host.loaded.isEmpty());

    // The refresh line with the profile's own source and comment.
    EXPECT_TRUE(picture.lblRefresh.Visible);
    EXPECT_TRUE(picture.lblRefreshDate.Visible);
    EXPECT_EQ(picture.lblRefreshDate.Text,
              formatShortDate(profile().LastRefresh) + QStringLiteral("  (DEV) - After upgrade"));
    // Nothing had to be added.
    EXPECT_EQ(host.SystemTitles.size(), 2);
    EXPECT_EQ(host.SIDs.size(), 2);
    EXPECT_EQ(host.RefreshComments.size(), 2);
}

TEST(ApplyProfile, MissingItemsAreAddedAsTheListsLoadThem)
{
    tyPicture picture;
    TestHost host;
    tySystemInfo p = profile();
    p.SystemTitle = QStringLiteral("S/4HANA");
    p.LansdscapePosition = QStringLiteral("Sandbox");
    p.SID = QStringLiteral(" SBX "); // reloading trims it, so nothing is selected
    p.SourceRefresh = QStringLiteral("PRD");
    p.CommentRefresh = QStringLiteral("weekly copy");
    ApplySystemInfoToPicture(picture, p, host);

    EXPECT_EQ(host.SystemTitles.last(), QStringLiteral("S/4HANA"));
    EXPECT_EQ(picture.lblSystemTitle.Text, QStringLiteral("S/4HANA"));
    // A new third position takes the colour stored under number 3.
    EXPECT_EQ(picture.lblLandscapeType.Text, QStringLiteral("Sandbox"));
    EXPECT_EQ(picture.lblSID.Font.Color, makeColor(1, 2, 3));
    EXPECT_EQ(picture.lblSID.Text, QString());
    EXPECT_EQ(host.SIDs, (QStringList{"DEV", "PRD", "QAS", "SBX"}));
    EXPECT_EQ(host.RefreshComments, (QStringList{"", "After upgrade", "weekly copy"}));
    EXPECT_EQ(picture.lblRefreshDate.Text,
              formatShortDate(p.LastRefresh) + QStringLiteral("  (PRD) - weekly copy"));
}

TEST(ApplyProfile, RefreshLineFollowsTheProfile)
{
    tyPicture picture;
    TestHost host;
    tySystemInfo p = profile();
    p.SourceRefresh.clear();
    p.CommentRefresh.clear();
    ApplySystemInfoToPicture(picture, p, host);
    EXPECT_EQ(picture.lblRefreshDate.Text, formatShortDate(p.LastRefresh));
    EXPECT_TRUE(picture.lblRefreshDate.Visible);

    // A profile without refresh date hides the line again.
    p.LastRefresh = 0;
    ApplySystemInfoToPicture(picture, p, host);
    EXPECT_FALSE(picture.lblRefresh.Visible);
    EXPECT_FALSE(picture.lblRefreshDate.Visible);

    // And one without refresh date on a fresh picture leaves it hidden.
    tyPicture fresh;
    ApplySystemInfoToPicture(fresh, p, host);
    EXPECT_FALSE(fresh.lblRefresh.Visible);
    EXPECT_FALSE(fresh.lblRefreshDate.Visible);
}

TEST(ApplyProfile, BackgroundPictureOnlyFromAnExistingFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("bg.bmp"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    tyPicture picture;
    TestHost host;
    tySystemInfo p = profile();
    p.PictureFullPath = file;
    p.PictureCenter = true;
    ApplySystemInfoToPicture(picture, p, host);
    EXPECT_EQ(host.loaded, QStringList{file});
    ASSERT_TRUE(picture.imgPicture.Picture);
    EXPECT_EQ(picture.imgPicture.Picture->size(), QSize(40, 30));
    EXPECT_TRUE(picture.imgPicture.Center);

    // A deleted file, a folder and an empty path all remove the picture.
    for (const QString& path : {dir.filePath(QStringLiteral("gone.bmp")), dir.path(), QString()}) {
        SCOPED_TRACE(path.toStdString());
        tyPicture withPicture = picture;
        p.PictureFullPath = path;
        ApplySystemInfoToPicture(withPicture, p, host);
        EXPECT_FALSE(withPicture.imgPicture.Picture);
    }
    EXPECT_EQ(host.loaded.size(), 1);
}

TEST(ApplyProfile, AFailingPictureStopsAfterTheEarlierSteps)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("broken.bmp"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    tyPicture picture;
    const TGraphicPtr previous = imageGraphic(QImage(5, 5, QImage::Format_RGB32));
    SetBackgroundPicture(picture, previous);
    TestHost host;
    host.failLoad = true;
    tySystemInfo p = profile();
    p.PictureFullPath = file;
    p.PictureStretch = true;
    EXPECT_THROW(ApplySystemInfoToPicture(picture, p, host), EAppError);
    EXPECT_EQ(picture.lblSystemTitle.Text, QStringLiteral("SAP ERP 6.0"));
    EXPECT_EQ(picture.lblUsage2.Text, QStringLiteral("Client 100"));
    EXPECT_EQ(picture.imgPicture.Picture, previous);
    EXPECT_FALSE(picture.imgPicture.Stretch);
    EXPECT_FALSE(picture.lblInfo1.Visible);
    EXPECT_FALSE(picture.lblRefresh.Visible);
}

TEST(ApplyProfile, BorderWidthIsHeldToTheSpinnerRangeAndLineFontsStay)
{
    tyPicture picture;
    tyFont font = picture.lblInfo1.Font;
    font.Name = QStringLiteral("Courier New");
    SetInfoLineFont(picture, 1, font);
    SetInfoLineAlignment(picture, 1, TAlignment::taLeftJustify);
    TestHost host;
    tySystemInfo p = profile();
    p.BorderWidth = 25;
    ApplySystemInfoToPicture(picture, p, host);
    EXPECT_EQ(picture.shpBorder.Width, 10);
    p.BorderWidth = -4;
    ApplySystemInfoToPicture(picture, p, host);
    EXPECT_EQ(picture.shpBorder.Width, 0);
    EXPECT_FALSE(picture.shpBorder.Visible);
    EXPECT_EQ(picture.lblInfo1.Font.Name, QStringLiteral("Courier New"));
    EXPECT_EQ(picture.lblInfo1.Alignment, TAlignment::taLeftJustify);
}
