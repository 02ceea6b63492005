#include "applyprofile.h"

#include "apperror.h"
#include "configstore.h"
#include "profilelists.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace tavelorn;

namespace {

const Color kGreen = makeColor(0, 160, 0);

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

Profile profile()
{
    Profile p;
    p.id = QStringLiteral("SAP ERP 6.0__QAS__2016_12_01");
    p.borderWidth = 3;
    p.systemTitle = QStringLiteral("sap erp 6.0");
    p.landscapePosition = QStringLiteral("QAS");
    p.sid = QStringLiteral("qas");
    p.usage1 = QStringLiteral("  Quality  ");
    p.usage2 = QStringLiteral("Client 100");
    p.info1 = QStringLiteral("No transports");
    p.lastRefresh = fromQDate(QDate(2016, 12, 1));
    p.refreshSource = QStringLiteral("DEV");
    p.refreshComment = QStringLiteral("after upgrade");
    return p;
}

// Records what the controls are asked to show, in order.
class RecordingControls : public ProfileControls
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
    void showRefresh(bool checked, SerialDate) override
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
        store = std::make_unique<ConfigStore>(config);
        store->loadAll();
        lists = std::make_unique<ProfileLists>(writeThrough() ? ProfileLists(*store)
                                                               : ProfileLists::scratch(*store));
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
    std::unique_ptr<ConfigStore> store;
    std::unique_ptr<ProfileLists> lists;
};

INSTANTIATE_TEST_SUITE_P(Lists, ApplyProfile, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Saved" : "Scratch"; });

} // namespace

TEST_P(ApplyProfile, PutsTheProfileIntoThePictureAndWritesNothingWhenAllIsListed)
{
    PictureModel picture;
    RecordingControls controls;
    applyProfileToPicture(picture, profile(), *lists, &controls);

    EXPECT_EQ(picture.border.width, 3);
    // Lists found without regard to case show their own spelling.
    EXPECT_EQ(picture.systemTitle.text, QStringLiteral("SAP ERP 6.0"));
    EXPECT_EQ(picture.sid.text, QStringLiteral("QAS"));
    EXPECT_EQ(picture.landscapeType.text, QStringLiteral("QAS"));
    for (const PictureText* e : {&picture.landscapeType, &picture.sid, &picture.usage2})
        EXPECT_EQ(e->font.color, kGreen);
    EXPECT_EQ(picture.usage1.text, QStringLiteral("Quality"));
    EXPECT_TRUE(picture.usage2.visible);
    EXPECT_TRUE(picture.info1.visible);
    EXPECT_FALSE(picture.info2.visible);
    EXPECT_FALSE(picture.background.graphic);
    // The refresh line with the profile's own source and comment.
    EXPECT_TRUE(picture.refresh.visible);
    EXPECT_TRUE(picture.refreshDate.visible);
    EXPECT_EQ(picture.refreshDate.text,
              formatShortDate(profile().lastRefresh) + QStringLiteral("  (DEV) - After upgrade"));

    EXPECT_EQ(controls.calls, QStringList({"border 3", "title 0", "position 1", "sid 1", "usages",
                                           "path ", "placement", "infos", "refresh 1", "source 1",
                                           "comment 1 After upgrade"}));
    EXPECT_EQ(configBytes(), QByteArray(kConfig));
}

TEST_P(ApplyProfile, MissingItemsAreAddedAsTheListsLoadThem)
{
    PictureModel picture;
    RecordingControls controls;
    Profile p = profile();
    p.systemTitle = QStringLiteral("S/4HANA");
    p.landscapePosition = QStringLiteral("Sandbox");
    p.sid = QStringLiteral(" SBX "); // reloading trims it, so nothing is selected
    p.refreshSource = QStringLiteral("PRD");
    p.refreshComment = QStringLiteral("weekly copy");
    applyProfileToPicture(picture, p, *lists, &controls);

    const ConfigStore& l = lists->lists();
    EXPECT_EQ(l.systemTitles().items(), (QStringList{"SAP ERP 6.0", "SAP BW", "S/4HANA"}));
    EXPECT_EQ(picture.systemTitle.text, QStringLiteral("S/4HANA"));
    // A new third position takes the colour stored under number 3.
    EXPECT_EQ(picture.landscapeType.text, QStringLiteral("Sandbox"));
    EXPECT_EQ(picture.sid.font.color, makeColor(1, 2, 3));
    EXPECT_EQ(picture.sid.text, QString());
    EXPECT_EQ(l.sids().items(), (QStringList{"DEV", "PRD", "QAS", "SBX"}));
    EXPECT_EQ(l.sourceSystems().items(), (QStringList{"", "DEV", "PRD", "QAS", "SBX"}));
    // The comment is shown, not added: the comment list is never written for a profile.
    EXPECT_EQ(l.refreshComments().items(), (QStringList{"", "After upgrade"}));
    EXPECT_EQ(picture.refreshDate.text,
              formatShortDate(p.lastRefresh) + QStringLiteral("  (PRD) - weekly copy"));
    EXPECT_EQ(controls.calls.mid(1, 3), QStringList({"title 2", "position 2", "sid -1"}));
    EXPECT_EQ(controls.calls.mid(9), QStringList({"source 2", "comment -1 weekly copy"}));

    // The saved lists hold the additions (and the refresh comments stay as they were);
    // scratch lists leave the file alone.
    ConfigStore reread(config);
    reread.loadAll();
    if (writeThrough()) {
        EXPECT_EQ(reread.systemTitles().items(), l.systemTitles().items());
        EXPECT_EQ(reread.landscapeTypeNames().items(), l.landscapeTypeNames().items());
        EXPECT_EQ(reread.sids().items(), l.sids().items());
        EXPECT_FALSE(configBytes().contains("weekly"));
    } else {
        EXPECT_EQ(configBytes(), QByteArray(kConfig));
    }
}

TEST_P(ApplyProfile, BlankOrEmptyRefreshCommentSelectsTheEmptyItem)
{
    for (const QString& comment : {QString(), QStringLiteral("   ")}) {
        PictureModel picture;
        RecordingControls controls;
        Profile p = profile();
        p.refreshComment = comment;
        applyProfileToPicture(picture, p, *lists, &controls);
        EXPECT_EQ(controls.calls.last(), QStringLiteral("comment 0 "));
        EXPECT_EQ(picture.refreshDate.text,
                  formatShortDate(p.lastRefresh) + QStringLiteral("  (DEV)"));
    }
}

TEST_P(ApplyProfile, RefreshLineFollowsTheProfile)
{
    PictureModel picture;
    Profile p = profile();
    p.refreshSource.clear();
    p.refreshComment.clear();
    applyProfileToPicture(picture, p, *lists);
    EXPECT_EQ(picture.refreshDate.text, formatShortDate(p.lastRefresh));
    EXPECT_TRUE(picture.refreshDate.visible);

    // A profile without refresh date hides the line again and clears the source.
    p.lastRefresh = 0;
    RecordingControls controls;
    applyProfileToPicture(picture, p, *lists, &controls);
    EXPECT_FALSE(picture.refresh.visible);
    EXPECT_FALSE(picture.refreshDate.visible);
    EXPECT_EQ(controls.calls.mid(8), QStringList({"refresh 0", "source -1"}));

    // And one without refresh date on a fresh picture leaves it hidden.
    PictureModel fresh;
    applyProfileToPicture(fresh, p, *lists);
    EXPECT_FALSE(fresh.refresh.visible);
    EXPECT_FALSE(fresh.refreshDate.visible);
}

TEST_P(ApplyProfile, BackgroundPictureOnlyFromAnExistingFile)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString file = dir.filePath(QStringLiteral("bg.bmp"));
    ASSERT_TRUE(image.save(file, "BMP"));
    PictureModel picture;
    RecordingControls controls;
    Profile p = profile();
    p.picturePath = file;
    p.pictureCenter = true;
    applyProfileToPicture(picture, p, *lists, &controls);
    ASSERT_TRUE(picture.background.graphic);
    EXPECT_EQ(picture.background.graphic->size(), QSize(40, 30));
    EXPECT_TRUE(picture.background.center);
    EXPECT_EQ(controls.calls.at(5), QStringLiteral("path ") + file);

    // A deleted file, a folder and an empty path all remove the picture.
    for (const QString& path : {dir.filePath(QStringLiteral("gone.bmp")), dir.path(), QString()}) {
        SCOPED_TRACE(path.toStdString());
        PictureModel withPicture = picture;
        RecordingControls again;
        p.picturePath = path;
        applyProfileToPicture(withPicture, p, *lists, &again);
        EXPECT_FALSE(withPicture.background.graphic);
        EXPECT_EQ(again.calls.at(5), QStringLiteral("path "));
    }
}

TEST_P(ApplyProfile, AFailingPictureStopsAfterTheEarlierSteps)
{
    PictureModel picture;
    QImage previousImage(5, 5, QImage::Format_RGB32);
    previousImage.fill(Qt::blue);
    const QString good = dir.filePath(QStringLiteral("good.bmp"));
    ASSERT_TRUE(previousImage.save(good, "BMP"));
    setBackgroundPicture(picture, loadPictureFromFile(good));
    const GraphicPtr previous = picture.background.graphic;

    RecordingControls controls;
    Profile p = profile();
    p.picturePath = writeFile(QStringLiteral("broken.bmp"), "BM not a bitmap at all");
    p.pictureStretch = true;
    EXPECT_THROW(applyProfileToPicture(picture, p, *lists, &controls), AppError);
    EXPECT_EQ(picture.systemTitle.text, QStringLiteral("SAP ERP 6.0"));
    EXPECT_EQ(picture.usage2.text, QStringLiteral("Client 100"));
    EXPECT_EQ(picture.background.graphic, previous);
    EXPECT_FALSE(picture.background.stretch);
    EXPECT_FALSE(picture.info1.visible);
    EXPECT_FALSE(picture.refresh.visible);
    // The controls show the steps before the picture, and nothing of it.
    EXPECT_EQ(controls.calls.size(), 5);
    EXPECT_EQ(controls.calls.last(), QStringLiteral("usages"));
}

TEST_P(ApplyProfile, BorderWidthIsHeldToTheSpinnerRangeAndLineFontsStay)
{
    PictureModel picture;
    PictureFont font = picture.info1.font;
    font.name = QStringLiteral("Courier New");
    setInfoLineFont(picture, 1, font);
    setInfoLineAlignment(picture, 1, Alignment::Left);
    Profile p = profile();
    p.borderWidth = 25;
    applyProfileToPicture(picture, p, *lists);
    EXPECT_EQ(picture.border.width, 10);
    p.borderWidth = -4;
    applyProfileToPicture(picture, p, *lists);
    EXPECT_EQ(picture.border.width, 0);
    EXPECT_FALSE(picture.border.visible);
    EXPECT_EQ(picture.info1.font.name, QStringLiteral("Courier New"));
    EXPECT_EQ(picture.info1.alignment, Alignment::Left);
}
