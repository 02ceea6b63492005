#include "picture.h"

#include "imagegraphic.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

#include <set>

using namespace tavelorn;

namespace {

QImage render(const PictureModel& p)
{
    QImage image;
    renderPicture(p, image);
    return image;
}

bool isWhite(QRgb c)
{
    return (c & 0xFFFFFF) == 0xFFFFFF;
}

// Bounding box of the pixels that are not white inside region.
QRect inkRect(const QImage& image, const QRect& region)
{
    QRect r;
    const QRect area = region & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (!isWhite(image.pixel(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}

// A picture without border, so that ink near the edges belongs to the elements.
PictureModel borderless()
{
    PictureModel p;
    setBorderWidth(p, 0);
    return p;
}

QRect box(const PictureText& e)
{
    return QRect(e.left, e.top, e.width, e.height);
}

// Each pixel tells where it came from: red = x, green = y, blue = the high bits.
QImage coordinateImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, ((x >> 8) << 4) | (y >> 8)));
    return image;
}

QPoint sourceOf(QRgb c)
{
    return QPoint(qRed(c) | ((qBlue(c) >> 4) << 8), qGreen(c) | ((qBlue(c) & 0xF) << 8));
}

} // namespace

TEST(PictureFont, CalibriResolvesToCalibriOrCarlito)
{
    const QFontInfo info(pictureQFont(PictureFont{}));
    EXPECT_TRUE(info.family() == QLatin1String("Calibri") ||
                info.family() == QLatin1String("Carlito"))
        << info.family().toStdString();
}

TEST(PictureModel, StartStateBoxes)
{
    const PictureModel p;
    struct Case
    {
        const char* name;
        const PictureText& e;
        QRect box;
        bool visible;
    };
    const Case cases[] = {
        {"lblSystemTitle", p.systemTitle, {15, 10, 7, 36}, true},
        {"lblSID", p.sid, {361, 40, 75, 39}, true},
        {"lblLandscapeType", p.landscapeType, {348, 40, 7, 39}, true},
        {"lblUsage1", p.usage1, {15, 70, 5, 29}, false},
        {"lblInfo1", p.info1, {0, 490, 450, 19}, false},
        {"lblInfo2", p.info2, {0, 510, 450, 19}, false},
        {"lblInfo3", p.info3, {0, 530, 450, 19}, false},
        {"lblRefresh", p.refresh, {15, 560, 67, 23}, false},
        {"lblRefreshDate", p.refreshDate, {92, 560, 4, 23}, false},
        {"lblUsage2", p.usage2, {15, 100, 5, 29}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(box(c.e), c.box);
        EXPECT_EQ(c.e.visible, c.visible);
        // The start sizes are what the picture face measures for the start texts.
        PictureText measured = c.e;
        setPictureText(measured, c.e.text);
        EXPECT_EQ(box(measured), c.box);
    }
    EXPECT_EQ(p.refresh.text, QStringLiteral("Refresh:"));
    EXPECT_EQ(p.border.width, 1);
    EXPECT_TRUE(p.border.visible);
    EXPECT_FALSE(p.background.graphic);
    EXPECT_EQ(QRect(p.background.left, p.background.top, p.background.width, p.background.height),
              QRect(0, 140, 450, 350));
}

TEST(PictureModel, StartPictureIsWhiteWithOnePixelFrame)
{
    const QImage image = render(PictureModel{});
    ASSERT_EQ(image.size(), QSize(450, 600));
    EXPECT_EQ(inkRect(image, QRect(1, 1, 448, 598)), QRect());
    for (int x = 0; x < 450; x += 7) {
        EXPECT_EQ(image.pixel(x, 0), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(x, 599), qRgb(0, 0, 0));
    }
    for (int y = 0; y < 600; y += 7) {
        EXPECT_EQ(image.pixel(0, y), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(449, y), qRgb(0, 0, 0));
    }
}

TEST(PictureModel, AutoSizeFollowsTextAndKeepsRightEdgeOfPosition)
{
    PictureModel p;
    setSystemTitle(p, QStringLiteral("SAP ERP 6.0 EHP7"));
    const QFontMetrics title(pictureQFont(p.systemTitle.font));
    EXPECT_EQ(p.systemTitle.width, title.horizontalAdvance(QStringLiteral("SAP ERP 6.0 EHP7")));
    EXPECT_EQ(p.systemTitle.left, 15);
    EXPECT_EQ(p.systemTitle.height, 36);

    for (const QString& text : {QStringLiteral("PRD"), QStringLiteral("Sandbox"), QString()}) {
        SCOPED_TRACE(text.toStdString());
        setLandscapeType(p, text, kColorBlack);
        EXPECT_EQ(p.landscapeType.left + p.landscapeType.width, 355);
        EXPECT_EQ(p.landscapeType.top, 40);
        EXPECT_EQ(p.landscapeType.height, 39);
    }
    EXPECT_EQ(p.landscapeType.width, 7);

    // A lone "&" measures like an empty text.
    setSystemTitle(p, QStringLiteral("&"));
    EXPECT_EQ(p.systemTitle.width, 7);

    // Fixed boxes never change.
    setSid(p, QStringLiteral("A VERY LONG SID"));
    EXPECT_EQ(box(p.sid), QRect(361, 40, 75, 39));
}

TEST(PictureModel, PositionTextIsDrawnFlushRightAt355)
{
    PictureModel p = borderless();
    setLandscapeType(p, QStringLiteral("QAS"), kColorBlack);
    const QRect ink = inkRect(render(p), QRect(0, 40, 450, 39));
    EXPECT_LE(ink.right(), 354);
    EXPECT_GE(ink.right(), 350);
    EXPECT_GE(ink.left(), p.landscapeType.left);
}

TEST(PictureRender, TooWideSidIsCentredAndCutOnBothSides)
{
    PictureModel p = borderless();
    setSid(p, QStringLiteral("WWWWWWWW"));
    const QImage image = render(p);
    const QRect ink = inkRect(image, QRect(0, 0, 450, 140));
    EXPECT_EQ(ink.left(), 361);
    EXPECT_EQ(ink.right(), 435);
    EXPECT_GE(ink.top(), 40);
    EXPECT_LE(ink.bottom(), 78);
}

TEST(PictureRender, LongTitleRunsOverToTheCanvasEdge)
{
    PictureModel p = borderless();
    setSystemTitle(p, QStringLiteral("SAP NetWeaver Business Warehouse 7.5 SPS 12"));
    EXPECT_GT(p.systemTitle.left + p.systemTitle.width, 450);
    const QRect ink = inkRect(render(p), QRect(0, 0, 450, 140));
    EXPECT_GE(ink.right(), 440);
    EXPECT_GE(ink.left(), 15);
    EXPECT_GE(ink.top(), 10);
    EXPECT_LE(ink.bottom(), 45);
}

TEST(PictureRender, BorderBandWidths)
{
    for (int w : {0, 1, 3, 10}) {
        SCOPED_TRACE(w);
        PictureModel p;
        setBorderWidth(p, w);
        EXPECT_EQ(p.border.visible, w > 0);
        const QImage image = render(p);
        // Along the middle of each edge: w black pixels, then white.
        for (int i = 0; i < w; ++i) {
            EXPECT_EQ(image.pixel(i, 300), qRgb(0, 0, 0));
            EXPECT_EQ(image.pixel(449 - i, 300), qRgb(0, 0, 0));
            EXPECT_EQ(image.pixel(225, i), qRgb(0, 0, 0));
            EXPECT_EQ(image.pixel(225, 599 - i), qRgb(0, 0, 0));
        }
        EXPECT_EQ(inkRect(image, QRect(w, w, 450 - 2 * w, 600 - 2 * w)), QRect());
    }
    // The spinner's range is 0..10.
    PictureModel p;
    setBorderWidth(p, 25);
    EXPECT_EQ(p.border.width, 10);
    setBorderWidth(p, -3);
    EXPECT_EQ(p.border.width, 0);
    EXPECT_FALSE(p.border.visible);
}

TEST(PictureRender, BackgroundPlacement)
{
    struct Case
    {
        const char* name;
        QSize size;
        bool center;
        bool stretch;
        QRect covered; // canvas pixels the picture covers
    };
    const Case cases[] = {
        {"200x100 centred", {200, 100}, true, false, {125, 265, 200, 100}},
        {"200x100 not centred", {200, 100}, false, false, {0, 140, 200, 100}},
        {"200x100 stretched", {200, 100}, false, true, {0, 140, 450, 350}},
        {"200x100 stretched ignores centre", {200, 100}, true, true, {0, 140, 450, 350}},
        {"451x351 centred", {451, 351}, true, false, {0, 140, 450, 350}},
        {"900x700 centred", {900, 700}, true, false, {0, 140, 450, 350}},
        {"900x700 not centred", {900, 700}, false, false, {0, 140, 450, 350}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PictureModel p = borderless();
        QImage source(c.size, QImage::Format_RGB32);
        source.fill(qRgb(200, 30, 40));
        setBackgroundPicture(p, imageGraphic(source));
        setPictureCenter(p, c.center);
        setPictureStretch(p, c.stretch);
        const QImage image = render(p);
        EXPECT_EQ(inkRect(image, image.rect()), c.covered);
        EXPECT_EQ(image.pixel(c.covered.topLeft()), qRgb(200, 30, 40));
        EXPECT_EQ(image.pixel(c.covered.bottomRight()), qRgb(200, 30, 40));
    }
}

TEST(PictureRender, BackgroundShowsTheRightPartOfTheSource)
{
    struct Case
    {
        const char* name;
        QSize size;
        bool center;
        QPoint offset; // source pixel shown at the box's top-left
    };
    const Case cases[] = {
        {"451x351 centred: -1 div 2 is 0", {451, 351}, true, {0, 0}},
        {"900x700 centred", {900, 700}, true, {225, 175}},
        {"900x700 not centred", {900, 700}, false, {0, 0}},
        {"901x701 centred truncates", {901, 701}, true, {225, 175}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PictureModel p = borderless();
        setBackgroundPicture(p, imageGraphic(coordinateImage(c.size.width(), c.size.height())));
        setPictureCenter(p, c.center);
        const QImage image = render(p);
        for (const QPoint& at : {QPoint(0, 0), QPoint(449, 349), QPoint(123, 77)})
            EXPECT_EQ(sourceOf(image.pixel(at + QPoint(0, 140))), at + c.offset);
    }
}

TEST(PictureRender, StretchedPictureIsSampledWithoutSmoothing)
{
    PictureModel p = borderless();
    QImage source(3, 2, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0),  qRgb(0, 255, 0),   qRgb(0, 0, 255),
                            qRgb(10, 20, 30), qRgb(250, 250, 0), qRgb(0, 0, 0)};
    for (int i = 0; i < 6; ++i)
        source.setPixel(i % 3, i / 3, colours[i]);
    setBackgroundPicture(p, imageGraphic(source));
    setPictureStretch(p, true);
    const QImage image = render(p);
    std::set<QRgb> seen;
    for (int y = 140; y < 490; ++y)
        for (int x = 0; x < 450; ++x)
            seen.insert(image.pixel(x, y));
    EXPECT_EQ(seen, std::set<QRgb>(std::begin(colours), std::end(colours)));
}

TEST(PictureRender, BorderLiesOverThePicture)
{
    PictureModel p;
    setBorderWidth(p, 2);
    QImage source(450, 350, QImage::Format_RGB32);
    source.fill(qRgb(0, 200, 0));
    setBackgroundPicture(p, imageGraphic(source));
    const QImage image = render(p);
    EXPECT_EQ(image.pixel(1, 300), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(2, 300), qRgb(0, 200, 0));
    EXPECT_EQ(image.pixel(448, 200), qRgb(0, 0, 0));
}

TEST(PictureText, Mnemonics)
{
    struct Case
    {
        const char* text;
        const char* shown;
        int underline;
    };
    const Case cases[] = {
        {"R&D", "RD", 1},  {"R&&D", "R&D", -1}, {"&", "", -1},          {"a&", "a", -1},
        {"&&&x", "&x", 1}, {"&a&b", "ab", 1},   {"plain", "plain", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int pos = -2;
        EXPECT_EQ(stripMnemonics(QString::fromUtf8(c.text), &pos), QString::fromUtf8(c.shown));
        EXPECT_EQ(pos, c.underline);
    }
}

TEST(PictureRender, MnemonicUnderlinesTheNextCharacter)
{
    auto usage = [](const QString& text) {
        PictureModel p = borderless();
        setUsage1(p, text);
        return std::make_pair(render(p), p.usage1);
    };
    const auto [plain, plainBox] = usage(QStringLiteral("RD"));
    const auto [marked, markedBox] = usage(QStringLiteral("R&D"));
    const auto [doubled, doubledBox] = usage(QStringLiteral("R&&D"));
    EXPECT_EQ(markedBox.width, plainBox.width);
    EXPECT_GT(doubledBox.width, plainBox.width);

    const QFontMetrics fm(pictureQFont(plainBox.font));
    const int baseline = 70 + fm.ascent();
    const int dLeft = 15 + fm.horizontalAdvance(u'R');
    // Above the baseline both texts look the same; below it only the D is underlined.
    EXPECT_EQ(plain.copy(0, 0, 450, baseline), marked.copy(0, 0, 450, baseline));
    QRect extra;
    for (int y = baseline; y < 70 + 29; ++y)
        for (int x = 0; x < 450; ++x)
            if (plain.pixel(x, y) != marked.pixel(x, y))
                extra |= QRect(x, y, 1, 1);
    ASSERT_FALSE(extra.isEmpty());
    EXPECT_GE(extra.left(), dLeft - 1);
    EXPECT_LE(extra.right(), 15 + plainBox.width);

    // "&&" draws an ampersand (none of R, & and D reaches below the baseline) and
    // underlines nothing.
    EXPECT_NE(inkRect(doubled, QRect(15, 70, 450, baseline - 70)),
              inkRect(plain, QRect(15, 70, 450, baseline - 70)));
    EXPECT_EQ(inkRect(doubled, QRect(0, baseline + 1, 450, 99 - baseline)), QRect());
    EXPECT_NE(inkRect(marked, QRect(0, baseline + 1, 450, 99 - baseline)), QRect());
}

TEST(PictureRender, TabAdvancesToEightAverageCharacterWidths)
{
    PictureModel p = borderless();
    setUsage1(p, QStringLiteral("X"));
    const QRect plain = inkRect(render(p), box(p.usage1));
    p.usage1.text = QStringLiteral("i\tX");
    p.usage1.width = 400;
    const QRect tabbed = inkRect(render(p), QRect(15 + 40, 70, 400, 29));
    const QFontMetrics fm(pictureQFont(p.usage1.font));
    EXPECT_EQ(tabbed.left() - plain.left(), 8 * fm.averageCharWidth());
}

TEST(PictureModel, UsageAndInformationLinesAreTrimmedAndHiddenWhenEmpty)
{
    using Op = void (*)(PictureModel&, const QString&);
    struct Line
    {
        const char* name;
        Op op;
        PictureText PictureModel::*element;
    };
    const Line lines[] = {
        {"usage 1", setUsage1, &PictureModel::usage1},
        {"usage 2", setUsage2, &PictureModel::usage2},
        {"info 1", setInfo1, &PictureModel::info1},
        {"info 2", setInfo2, &PictureModel::info2},
        {"info 3", setInfo3, &PictureModel::info3},
    };
    for (const Line& line : lines) {
        SCOPED_TRACE(line.name);
        PictureModel p;
        const PictureText& e = p.*line.element;
        const int left = e.left;
        line.op(p, QStringLiteral("  Production  "));
        EXPECT_EQ(e.text, QStringLiteral("Production"));
        EXPECT_TRUE(e.visible);
        EXPECT_EQ(e.left, left);
        line.op(p, QStringLiteral("\t\x01 x \r\n"));
        EXPECT_EQ(e.text, QStringLiteral("x"));
        line.op(p, QStringLiteral("   "));
        EXPECT_FALSE(e.visible);
        EXPECT_TRUE(e.text.isEmpty());
        EXPECT_EQ(inkRect(render(p), QRect(1, e.top, 448, e.height)), QRect());
    }
}

TEST(PictureRender, UsageLineStartsAt15_70)
{
    PictureModel p = borderless();
    setUsage1(p, QStringLiteral("  H  "));
    const QRect ink = inkRect(render(p), QRect(0, 60, 450, 40));
    EXPECT_GE(ink.left(), 15);
    EXPECT_LE(ink.left(), 19);
    EXPECT_GE(ink.top(), 70);
}

TEST(PictureModel, PositionColourGoesToPositionSidAndSecondUsageLine)
{
    PictureModel p;
    setLandscapeType(p, QStringLiteral("DEV"), kColorBlue);
    EXPECT_EQ(p.landscapeType.font.color, kColorBlue);
    EXPECT_EQ(p.sid.font.color, kColorBlue);
    EXPECT_EQ(p.usage2.font.color, kColorBlue);
    for (const PictureText* e :
         {&p.systemTitle, &p.usage1, &p.refresh, &p.refreshDate})
        EXPECT_EQ(e->font.color, kColorWindowText);
    for (const PictureText* e : {&p.info1, &p.info2, &p.info3})
        EXPECT_EQ(e->font.color, kColorRed);

    // Painted: the SID's darkest pixel is blue, the title's black.
    setBorderWidth(p, 0);
    setSid(p, QStringLiteral("DEV"));
    setSystemTitle(p, QStringLiteral("ERP"));
    const QImage image = render(p);
    auto darkest = [&](const QRect& r) {
        QRgb best = qRgb(255, 255, 255);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(image.pixel(x, y)) < qGray(best))
                    best = image.pixel(x, y);
        return best;
    };
    EXPECT_EQ(darkest(box(p.sid)), qRgb(0, 0, 255));
    EXPECT_EQ(darkest(box(p.systemTitle)), qRgb(0, 0, 0));
}

TEST(PictureModel, RefreshTexts)
{
    const SerialDate day = fromQDate(QDate(2016, 12, 1));
    const QString d = formatShortDate(day);
    struct Case
    {
        QString source;
        QString comment;
        QString shortText;
        QString fullText;
    };
    const Case cases[] = {
        {"QAS", "after upgrade", d + "  (QAS)", d + "  (QAS) - after upgrade"},
        {"", "", d, d},
        {" QAS ", "", d + "  (QAS)", d + "  (QAS)"},
        {"", "copy", d, d + " - copy"},
        {"\t", "   ", d, d},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.source + "|" + c.comment).toStdString());
        EXPECT_EQ(refreshShortText(day, c.source), c.shortText);
        EXPECT_EQ(refreshFullText(day, c.source, c.comment), c.fullText);
    }
    // The time of day never shows.
    EXPECT_EQ(refreshShortText(day + 0.75, QString()), d);
}

TEST(PictureModel, RefreshLineCheckBoxAndChanges)
{
    const SerialDate day = fromQDate(QDate(2024, 3, 3));
    PictureModel p;
    showRefreshLine(p, true, day, QStringLiteral("QAS"));
    EXPECT_TRUE(p.refresh.visible);
    EXPECT_TRUE(p.refreshDate.visible);
    EXPECT_EQ(p.refreshDate.text, formatShortDate(day) + "  (QAS)");
    EXPECT_EQ(p.refreshDate.left, 92);
    EXPECT_EQ(p.refreshDate.height, 23);
    const int shortWidth = p.refreshDate.width;

    setRefreshLine(p, day, QStringLiteral("QAS"), QStringLiteral("copy"));
    EXPECT_EQ(p.refreshDate.text, formatShortDate(day) + "  (QAS) - copy");
    EXPECT_GT(p.refreshDate.width, shortWidth);

    showRefreshLine(p, false, day, QStringLiteral("QAS"));
    EXPECT_FALSE(p.refresh.visible);
    EXPECT_FALSE(p.refreshDate.visible);
    // A change while unchecked does not show the line.
    setRefreshLine(p, day, QString(), QString());
    EXPECT_FALSE(p.refreshDate.visible);
    EXPECT_EQ(box(p.refresh), QRect(15, 560, 67, 23));
}

TEST(PictureRender, RefreshLineIsPaintedWhenChecked)
{
    PictureModel p = borderless();
    const QRect area(0, 555, 450, 45);
    EXPECT_EQ(inkRect(render(p), area), QRect());
    showRefreshLine(p, true, fromQDate(QDate(2024, 3, 3)), QString());
    const QRect ink = inkRect(render(p), area);
    EXPECT_GE(ink.left(), 15);
    EXPECT_GE(ink.top(), 560);
    EXPECT_GT(ink.right(), 92);
}

TEST(PictureModel, InformationLineFontAndAlignment)
{
    PictureModel p = borderless();
    setInfo2(p, QStringLiteral("Do not transport"));
    PictureFont big = p.info2.font;
    big.height = 24;
    setInfoLineFont(p, 2, big);
    EXPECT_EQ(box(p.info2), QRect(0, 510, 450, 19));
    EXPECT_EQ(p.info2.font.height, 24);
    const QImage image = render(p);
    const QRect ink = inkRect(image, QRect(0, 480, 450, 80));
    EXPECT_EQ(ink.top() >= 510 && ink.bottom() == 528, true) << ink.top() << ".." << ink.bottom();

    setInfoLineAlignment(p, 2, Alignment::Left);
    EXPECT_LE(inkRect(render(p), box(p.info2)).left(), 2);
    setInfoLineAlignment(p, 2, Alignment::Right);
    EXPECT_GE(inkRect(render(p), box(p.info2)).right(), 446);

    // Other line numbers do nothing.
    const PictureText before = p.info1;
    setInfoLineFont(p, 0, big);
    setInfoLineAlignment(p, 4, Alignment::Left);
    EXPECT_EQ(p.info1, before);
    EXPECT_EQ(infoLineElement(p, 4), nullptr);
}

TEST(PictureRender, SameModelSamePixels)
{
    PictureModel p;
    setSystemTitle(p, QStringLiteral("SAP ERP 6.0 EHP7"));
    setSid(p, QStringLiteral("DEV"));
    setLandscapeType(p, QStringLiteral("DEV"), makeColor(0, 128, 0));
    setUsage1(p, QStringLiteral("Development"));
    setInfo1(p, QStringLiteral("No transport"));
    const QImage a = render(p);
    QImage b(10, 10, QImage::Format_ARGB32);
    renderPicture(p, b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(b.size(), QSize(450, 600));
}
