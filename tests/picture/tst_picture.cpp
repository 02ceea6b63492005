#include "picture.h"

#include "imagegraphic.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

#include <set>

namespace {

QImage render(const tyPicture& p)
{
    QImage image;
    RenderPicture(p, image);
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
tyPicture borderless()
{
    tyPicture p;
    SetBorderWidth(p, 0);
    return p;
}

QRect box(const tyPictureText& e)
{
    return QRect(e.Left, e.Top, e.Width, e.Height);
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
    const QFontInfo info(PictureQFont(tyFont{}));
    EXPECT_TRUE(info.family() == QLatin1String("Calibri") ||
                info.family() == QLatin1String("Carlito"))
        << info.family().toStdString();
}

TEST(PictureModel, StartStateBoxes)
{
    const tyPicture p;
    struct Case
    {
        const char* name;
        const tyPictureText& e;
        QRect box;
        bool visible;
    };
    const Case cases[] = {
        {"lblSystemTitle", p.lblSystemTitle, {15, 10, 7, 36}, true},
        {"lblSID", p.lblSID, {361, 40, 75, 39}, true},
        {"lblLandscapeType", p.lblLandscapeType, {348, 40, 7, 39}, true},
        {"lblUsage1", p.lblUsage1, {15, 70, 5, 29}, false},
        {"lblInfo1", p.lblInfo1, {0, 490, 450, 19}, false},
        {"lblInfo2", p.lblInfo2, {0, 510, 450, 19}, false},
        {"lblInfo3", p.lblInfo3, {0, 530, 450, 19}, false},
        {"lblRefresh", p.lblRefresh, {15, 560, 67, 23}, false},
        {"lblRefreshDate", p.lblRefreshDate, {92, 560, 4, 23}, false},
        {"lblUsage2", p.lblUsage2, {15, 100, 5, 29}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(box(c.e), c.box);
        EXPECT_EQ(c.e.Visible, c.visible);
        // The start sizes are what the picture face measures for the start texts.
        tyPictureText measured = c.e;
        SetPictureText(measured, c.e.Text);
        EXPECT_EQ(box(measured), c.box);
    }
    EXPECT_EQ(p.lblRefresh.Text, QStringLiteral("Refresh:"));
    EXPECT_EQ(p.shpBorder.Width, 1);
    EXPECT_TRUE(p.shpBorder.Visible);
    EXPECT_FALSE(p.imgPicture.Picture);
    EXPECT_EQ(QRect(p.imgPicture.Left, p.imgPicture.Top, p.imgPicture.Width, p.imgPicture.Height),
              QRect(0, 140, 450, 350));
}

TEST(PictureModel, StartPictureIsWhiteWithOnePixelFrame)
{
    const QImage image = render(tyPicture{});
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
    tyPicture p;
    SetSystemTitle(p, QStringLiteral("SAP ERP 6.0 EHP7"));
    const QFontMetrics title(PictureQFont(p.lblSystemTitle.Font));
    EXPECT_EQ(p.lblSystemTitle.Width, title.horizontalAdvance(QStringLiteral("SAP ERP 6.0 EHP7")));
    EXPECT_EQ(p.lblSystemTitle.Left, 15);
    EXPECT_EQ(p.lblSystemTitle.Height, 36);

    for (const QString& text : {QStringLiteral("PRD"), QStringLiteral("Sandbox"), QString()}) {
        SCOPED_TRACE(text.toStdString());
        SetLandscapeType(p, text, clBlack);
        EXPECT_EQ(p.lblLandscapeType.Left + p.lblLandscapeType.Width, 355);
        EXPECT_EQ(p.lblLandscapeType.Top, 40);
        EXPECT_EQ(p.lblLandscapeType.Height, 39);
    }
    EXPECT_EQ(p.lblLandscapeType.Width, 7);

    // A lone "&" measures like an empty text.
    SetSystemTitle(p, QStringLiteral("&"));
    EXPECT_EQ(p.lblSystemTitle.Width, 7);

    // Fixed boxes never change.
    SetSID(p, QStringLiteral("A VERY LONG SID"));
    EXPECT_EQ(box(p.lblSID), QRect(361, 40, 75, 39));
}

TEST(PictureModel, PositionTextIsDrawnFlushRightAt355)
{
    tyPicture p = borderless();
    SetLandscapeType(p, QStringLiteral("QAS"), clBlack);
    const QRect ink = inkRect(render(p), QRect(0, 40, 450, 39));
    EXPECT_LE(ink.right(), 354);
    EXPECT_GE(ink.right(), 350);
    EXPECT_GE(ink.left(), p.lblLandscapeType.Left);
}

TEST(PictureRender, TooWideSidIsCentredAndCutOnBothSides)
{
    tyPicture p = borderless();
    SetSID(p, QStringLiteral("WWWWWWWW"));
    const QImage image = render(p);
    const QRect ink = inkRect(image, QRect(0, 0, 450, 140));
    EXPECT_EQ(ink.left(), 361);
    EXPECT_EQ(ink.right(), 435);
    EXPECT_GE(ink.top(), 40);
    EXPECT_LE(ink.bottom(), 78);
}

TEST(PictureRender, LongTitleRunsOverToTheCanvasEdge)
{
    tyPicture p = borderless();
    SetSystemTitle(p, QStringLiteral("SAP NetWeaver Business Warehouse 7.5 SPS 12"));
    EXPECT_GT(p.lblSystemTitle.Left + p.lblSystemTitle.Width, 450);
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
        tyPicture p;
        SetBorderWidth(p, w);
        EXPECT_EQ(p.shpBorder.Visible, w > 0);
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
    tyPicture p;
    SetBorderWidth(p, 25);
    EXPECT_EQ(p.shpBorder.Width, 10);
    SetBorderWidth(p, -3);
    EXPECT_EQ(p.shpBorder.Width, 0);
    EXPECT_FALSE(p.shpBorder.Visible);
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
        tyPicture p = borderless();
        QImage source(c.size, QImage::Format_RGB32);
        source.fill(qRgb(200, 30, 40));
        SetBackgroundPicture(p, imageGraphic(source));
        SetPictureCenter(p, c.center);
        SetPictureStretch(p, c.stretch);
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
        tyPicture p = borderless();
        SetBackgroundPicture(p, imageGraphic(coordinateImage(c.size.width(), c.size.height())));
        SetPictureCenter(p, c.center);
        const QImage image = render(p);
        for (const QPoint& at : {QPoint(0, 0), QPoint(449, 349), QPoint(123, 77)})
            EXPECT_EQ(sourceOf(image.pixel(at + QPoint(0, 140))), at + c.offset);
    }
}

TEST(PictureRender, StretchedPictureIsSampledWithoutSmoothing)
{
    tyPicture p = borderless();
    QImage source(3, 2, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0),  qRgb(0, 255, 0),   qRgb(0, 0, 255),
                            qRgb(10, 20, 30), qRgb(250, 250, 0), qRgb(0, 0, 0)};
    for (int i = 0; i < 6; ++i)
        source.setPixel(i % 3, i / 3, colours[i]);
    SetBackgroundPicture(p, imageGraphic(source));
    SetPictureStretch(p, true);
    const QImage image = render(p);
    std::set<QRgb> seen;
    for (int y = 140; y < 490; ++y)
        for (int x = 0; x < 450; ++x)
            seen.insert(image.pixel(x, y));
    EXPECT_EQ(seen, std::set<QRgb>(std::begin(colours), std::end(colours)));
}

TEST(PictureRender, BorderLiesOverThePicture)
{
    tyPicture p;
    SetBorderWidth(p, 2);
    QImage source(450, 350, QImage::Format_RGB32);
    source.fill(qRgb(0, 200, 0));
    SetBackgroundPicture(p, imageGraphic(source));
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
        EXPECT_EQ(StripMnemonics(QString::fromUtf8(c.text), &pos), QString::fromUtf8(c.shown));
        EXPECT_EQ(pos, c.underline);
    }
}

TEST(PictureRender, MnemonicUnderlinesTheNextCharacter)
{
    auto usage = [](const QString& text) {
        tyPicture p = borderless();
        SetUsage1(p, text);
        return std::make_pair(render(p), p.lblUsage1);
    };
    const auto [plain, plainBox] = usage(QStringLiteral("RD"));
    const auto [marked, markedBox] = usage(QStringLiteral("R&D"));
    const auto [doubled, doubledBox] = usage(QStringLiteral("R&&D"));
    EXPECT_EQ(markedBox.Width, plainBox.Width);
    EXPECT_GT(doubledBox.Width, plainBox.Width);

    const QFontMetrics fm(PictureQFont(plainBox.Font));
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
    EXPECT_LE(extra.right(), 15 + plainBox.Width);

    // "&&" draws an ampersand (none of R, & and D reaches below the baseline) and
    // underlines nothing.
    EXPECT_NE(inkRect(doubled, QRect(15, 70, 450, baseline - 70)),
              inkRect(plain, QRect(15, 70, 450, baseline - 70)));
    EXPECT_EQ(inkRect(doubled, QRect(0, baseline + 1, 450, 99 - baseline)), QRect());
    EXPECT_NE(inkRect(marked, QRect(0, baseline + 1, 450, 99 - baseline)), QRect());
}

TEST(PictureRender, TabAdvancesToEightAverageCharacterWidths)
{
    tyPicture p = borderless();
    SetUsage1(p, QStringLiteral("X"));
    const QRect plain = inkRect(render(p), box(p.lblUsage1));
    p.lblUsage1.Text = QStringLiteral("i\tX");
    p.lblUsage1.Width = 400;
    const QRect tabbed = inkRect(render(p), QRect(15 + 40, 70, 400, 29));
    const QFontMetrics fm(PictureQFont(p.lblUsage1.Font));
    EXPECT_EQ(tabbed.left() - plain.left(), 8 * fm.averageCharWidth());
}

TEST(PictureModel, UsageAndInformationLinesAreTrimmedAndHiddenWhenEmpty)
{
    using Op = void (*)(tyPicture&, const QString&);
    struct Line
    {
        const char* name;
        Op op;
        tyPictureText tyPicture::*element;
    };
    const Line lines[] = {
        {"usage 1", SetUsage1, &tyPicture::lblUsage1},
        {"usage 2", SetUsage2, &tyPicture::lblUsage2},
        {"info 1", SetInfo1, &tyPicture::lblInfo1},
        {"info 2", SetInfo2, &tyPicture::lblInfo2},
        {"info 3", SetInfo3, &tyPicture::lblInfo3},
    };
    for (const Line& line : lines) {
        SCOPED_TRACE(line.name);
        tyPicture p;
        const tyPictureText& e = p.*line.element;
        const int left = e.Left;
        line.op(p, QStringLiteral("  Production  "));
        EXPECT_EQ(e.Text, QStringLiteral("Production"));
        EXPECT_TRUE(e.Visible);
        EXPECT_EQ(e.Left, left);
        line.op(p, QStringLiteral("\t\x01 x \r\n"));
        EXPECT_EQ(e.Text, QStringLiteral("x"));
        line.op(p, QStringLiteral("   "));
        EXPECT_FALSE(e.Visible);
        EXPECT_TRUE(e.Text.isEmpty());
        EXPECT_EQ(inkRect(render(p), QRect(1, e.Top, 448, e.Height)), QRect());
    }
}

TEST(PictureRender, UsageLineStartsAt15_70)
{
    tyPicture p = borderless();
    SetUsage1(p, QStringLiteral("  H  "));
    const QRect ink = inkRect(render(p), QRect(0, 60, 450, 40));
    EXPECT_GE(ink.left(), 15);
    EXPECT_LE(ink.left(), 19);
    EXPECT_GE(ink.top(), 70);
}

TEST(PictureModel, PositionColourGoesToPositionSidAndSecondUsageLine)
{
    tyPicture p;
    SetLandscapeType(p, QStringLiteral("DEV"), clBlue);
    EXPECT_EQ(p.lblLandscapeType.Font.Color, clBlue);
    EXPECT_EQ(p.lblSID.Font.Color, clBlue);
    EXPECT_EQ(p.lblUsage2.Font.Color, clBlue);
    for (const tyPictureText* e :
         {&p.lblSystemTitle, &p.lblUsage1, &p.lblRefresh, &p.lblRefreshDate})
        EXPECT_EQ(e->Font.Color, clWindowText);
    for (const tyPictureText* e : {&p.lblInfo1, &p.lblInfo2, &p.lblInfo3})
        EXPECT_EQ(e->Font.Color, clRed);

    // Painted: the SID's darkest pixel is blue, the title's black.
    SetBorderWidth(p, 0);
    SetSID(p, QStringLiteral("DEV"));
    SetSystemTitle(p, QStringLiteral("ERP"));
    const QImage image = render(p);
    auto darkest = [&](const QRect& r) {
        QRgb best = qRgb(255, 255, 255);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(image.pixel(x, y)) < qGray(best))
                    best = image.pixel(x, y);
        return best;
    };
    EXPECT_EQ(darkest(box(p.lblSID)), qRgb(0, 0, 255));
    EXPECT_EQ(darkest(box(p.lblSystemTitle)), qRgb(0, 0, 0));
}

TEST(PictureModel, RefreshTexts)
{
    const TDateTime day = fromQDate(QDate(2016, 12, 1));
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
        EXPECT_EQ(RefreshShortText(day, c.source), c.shortText);
        EXPECT_EQ(RefreshFullText(day, c.source, c.comment), c.fullText);
    }
    // The time of day never shows.
    EXPECT_EQ(RefreshShortText(day + 0.75, QString()), d);
}

TEST(PictureModel, RefreshLineCheckBoxAndChanges)
{
    const TDateTime day = fromQDate(QDate(2024, 3, 3));
    tyPicture p;
    ShowRefreshLine(p, true, day, QStringLiteral("QAS"));
    EXPECT_TRUE(p.lblRefresh.Visible);
    EXPECT_TRUE(p.lblRefreshDate.Visible);
    EXPECT_EQ(p.lblRefreshDate.Text, formatShortDate(day) + "  (QAS)");
    EXPECT_EQ(p.lblRefreshDate.Left, 92);
    EXPECT_EQ(p.lblRefreshDate.Height, 23);
    const int shortWidth = p.lblRefreshDate.Width;

    SetRefreshLine(p, day, QStringLiteral("QAS"), QStringLiteral("copy"));
    EXPECT_EQ(p.lblRefreshDate.Text, formatShortDate(day) + "  (QAS) - copy");
    EXPECT_GT(p.lblRefreshDate.Width, shortWidth);

    ShowRefreshLine(p, false, day, QStringLiteral("QAS"));
    EXPECT_FALSE(p.lblRefresh.Visible);
    EXPECT_FALSE(p.lblRefreshDate.Visible);
    // A change while unchecked does not show the line.
    SetRefreshLine(p, day, QString(), QString());
    EXPECT_FALSE(p.lblRefreshDate.Visible);
    EXPECT_EQ(box(p.lblRefresh), QRect(15, 560, 67, 23));
}

TEST(PictureRender, RefreshLineIsPaintedWhenChecked)
{
    tyPicture p = borderless();
    const QRect area(0, 555, 450, 45);
    EXPECT_EQ(inkRect(render(p), area), QRect());
    ShowRefreshLine(p, true, fromQDate(QDate(2024, 3, 3)), QString());
    const QRect ink = inkRect(render(p), area);
    EXPECT_GE(ink.left(), 15);
    EXPECT_GE(ink.top(), 560);
    EXPECT_GT(ink.right(), 92);
}

TEST(PictureModel, InformationLineFontAndAlignment)
{
    tyPicture p = borderless();
    SetInfo2(p, QStringLiteral("Do not transport"));
    tyFont big = p.lblInfo2.Font;
    big.Height = 24;
    SetInfoLineFont(p, 2, big);
    EXPECT_EQ(box(p.lblInfo2), QRect(0, 510, 450, 19));
    EXPECT_EQ(p.lblInfo2.Font.Height, 24);
    const QImage image = render(p);
    const QRect ink = inkRect(image, QRect(0, 480, 450, 80));
    EXPECT_EQ(ink.top() >= 510 && ink.bottom() == 528, true) << ink.top() << ".." << ink.bottom();

    SetInfoLineAlignment(p, 2, TAlignment::taLeftJustify);
    EXPECT_LE(inkRect(render(p), box(p.lblInfo2)).left(), 2);
    SetInfoLineAlignment(p, 2, TAlignment::taRightJustify);
    EXPECT_GE(inkRect(render(p), box(p.lblInfo2)).right(), 446);

    // Other line numbers do nothing.
    const tyPictureText before = p.lblInfo1;
    SetInfoLineFont(p, 0, big);
    SetInfoLineAlignment(p, 4, TAlignment::taLeftJustify);
    EXPECT_EQ(p.lblInfo1, before);
    EXPECT_EQ(InfoLine(p, 4), nullptr);
}

TEST(PictureRender, SameModelSamePixels)
{
    tyPicture p;
    SetSystemTitle(p, QStringLiteral("SAP ERP 6.0 EHP7"));
    SetSID(p, QStringLiteral("DEV"));
    SetLandscapeType(p, QStringLiteral("DEV"), makeColor(0, 128, 0));
    SetUsage1(p, QStringLiteral("Development"));
    SetInfo1(p, QStringLiteral("No transport"));
    const QImage a = render(p);
    QImage b(10, 10, QImage::Format_ARGB32);
    RenderPicture(p, b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(b.size(), QSize(450, 600));
}
