// The palette, the honeycomb and the spectrum on their own.
#include "colorcubepanel.h"
#include "colorspectrumpanel.h"
#include "customcolorselector.h"

#include <QCursor>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>
using namespace tavelorn;

namespace {

QRgb pixelAt(QWidget& w, QPoint p)
{
    return w.grab().toImage().pixel(p);
}
QRgb qrgbOf(quint32 rrggbb)
{
    return 0xFF000000u | rrggbb;
}

} // namespace

TEST(Palette, ThemeLayoutPlacesBoxesInTenColumnsWithAGapUnderTheBaseRow)
{
    CustomColorSelector palette;
    palette.relayout();
    EXPECT_EQ(palette.size(), QSize(165, 84));
    ASSERT_EQ(palette.items().size(), 60);
    const int rowTops[6] = {4, 20, 32, 44, 56, 68};
    const ItemPos rowPos[6] = {ItemPos::StandAlone, ItemPos::Top,    ItemPos::Middle,
                               ItemPos::Middle,     ItemPos::Middle, ItemPos::Bottom};
    for (int i = 0; i < 60; ++i) {
        const ColorBoxItem& item = palette.items()[i];
        EXPECT_EQ(item.rect, QRect(4 + 16 * (i % 10), rowTops[i / 10], 12, 12)) << "box " << i;
        EXPECT_EQ(item.colorBoxPos, rowPos[i / 10]) << "box " << i;
    }
    EXPECT_EQ(palette.items()[3].color, colorFromHex(0x1F497D));
    EXPECT_EQ(palette.items()[59].color, colorFromHex(0x974806));
}

TEST(Palette, LayoutFollowsSizePropertiesAndEmptyPaletteIsDefaultSize)
{
    CustomColorSelector palette;
    palette.setColumns(5);
    EXPECT_EQ(palette.items()[5].rect.topLeft(), QPoint(4, 20)); // second row of the base colours
    EXPECT_EQ(palette.size(), QSize(4 + 16 * 4 + 12 + 4 + 1, 4 + 16 + 16 + 12 * 9 + 12 + 4));
    palette.setColorBoxWidth(20);
    EXPECT_EQ(palette.items()[1].rect, QRect(28, 4, 20, 12));
    palette.setItems({});
    EXPECT_EQ(palette.size(), QSize(100, 50));
}

TEST(Palette, SelectedColorAssignmentSelectsExactColourOrClears)
{
    struct Case
    {
        Color color;
        int index;
        int events;
    };
    const Case cases[] = {
        {colorFromHex(0x1F497D), 3, 1},  // fourth box of the first row
        {colorFromHex(0x7F7F7F), 11, 1}, // the first of the two boxes with this colour
        {colorFromHex(0x123456), -1, 0}, {kColorNone, -1, 0},
        {kColorWindowText, -1, 0}, // system colours are not resolved here
    };
    for (const Case& c : cases) {
        CustomColorSelector palette;
        palette.setItemIndex(0);
        QSignalSpy spy(&palette, &CustomColorSelector::colorSelected);
        palette.setSelectedColor(c.color);
        EXPECT_EQ(palette.itemIndex(), c.index) << std::hex << c.color;
        EXPECT_EQ(spy.count(), c.events) << std::hex << c.color;
        EXPECT_EQ(palette.selectedColor(), c.color);
    }

    CustomColorSelector palette;
    palette.setSelectedColor(colorFromHex(0x1F497D));
    QSignalSpy spy(&palette, &CustomColorSelector::colorSelected);
    palette.setSelectedColor(colorFromHex(0x1F497D));
    EXPECT_EQ(spy.count(), 0) << "the same colour again changes nothing";
}

TEST(Palette, MouseReleasePicksEnabledBoxEveryTime)
{
    CustomColorSelector palette;
    palette.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&palette));
    QSignalSpy spy(&palette, &CustomColorSelector::colorSelected);
    QTest::mousePress(&palette, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(palette.itemIndex(), -1) << "pressing alone selects nothing";
    QTest::mouseRelease(&palette, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(palette.itemIndex(), 0);
    EXPECT_EQ(palette.selectedColor(), colorFromHex(0xFFFFFF));
    QTest::mouseClick(&palette, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(spy.count(), 2) << "picking the selected box again raises again";

    palette.setItemEnabled(1, false);
    QTest::mouseClick(&palette, Qt::LeftButton, {}, QPoint(26, 10));
    EXPECT_EQ(palette.itemIndex(), 0);
    QTest::mouseClick(&palette, Qt::LeftButton, {}, QPoint(17, 10)); // the gap between boxes
    EXPECT_EQ(palette.itemIndex(), 0);
    EXPECT_EQ(spy.count(), 2);
}

TEST(Palette, FramesFollowBoxPositionAndHotSelectedOutlines)
{
    CustomColorSelector palette;
    palette.setItemColorStyle(SelectionColorStyle::Windows7);
    const QRgb border = qrgbOf(0xC5C5C5);
    // Box 0 stand-alone: framed all round; box 20 (middle row): sides only;
    // box 10 (top of a strip): no bottom line; box 50 (bottom): bottom line.
    struct Case
    {
        QPoint p;
        QRgb expected;
    };
    const Case frames[] = {
        {{10, 4}, border},  {{10, 15}, border},
        {{4, 10}, border},  {{10, 32}, qrgbOf(0xD8D8D8)}, // top edge of a middle box is its colour
        {{4, 38}, border},  {{10, 31}, qrgbOf(0xF2F2F2)}, // bottom edge of a top box
        {{10, 79}, border},                               // bottom edge of a bottom box
    };
    for (const Case& c : frames)
        EXPECT_EQ(pixelAt(palette, c.p), c.expected) << c.p.x() << "," << c.p.y();

    palette.setItemIndex(0);
    EXPECT_EQ(pixelAt(palette, {10, 4}), qrgbOf(0xFF0000));
    EXPECT_EQ(pixelAt(palette, {10, 5}), qrgbOf(0xFFE294));
    EXPECT_EQ(pixelAt(palette, {10, 8}), qrgbOf(0xFFFFFF));

    palette.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&palette));
    // Wherever an earlier test left the pointer: a move onto box 1 is a real move.
    QTest::mouseMove(&palette, QPoint(60, 60));
    QTest::mouseMove(&palette, QPoint(26, 10));
    EXPECT_EQ(palette.itemHot(), 1);
    EXPECT_EQ(pixelAt(palette, {26, 4}), qrgbOf(0xF29436));
    EXPECT_EQ(pixelAt(palette, {26, 5}), qrgbOf(0xFFE294));
}

TEST(Palette, ItemColorStyleSetsTheFiveOutlineColours)
{
    CustomColorSelector palette;
    ColorBoxAppearance custom;
    custom.borderColor = colorFromHex(0x112233);
    palette.setColorBoxAppearance(custom);
    palette.setItemColorStyle(SelectionColorStyle::Office2007);
    EXPECT_EQ(palette.colorBoxAppearance(), custom) << "the current style again does nothing";
    palette.setItemColorStyle(SelectionColorStyle::Custom);
    EXPECT_EQ(palette.colorBoxAppearance(), custom);
    palette.setItemColorStyle(SelectionColorStyle::WindowsVista);
    EXPECT_EQ(palette.colorBoxAppearance(), ColorBoxAppearance{});
}

TEST(Palette, KeyboardOperations)
{
    struct Case
    {
        const char* name;
        int start;
        int key;
        bool open;
        int expected;
        int events;
    };
    const Case cases[] = {
        {"end", 5, Qt::Key_End, false, 59, 1},
        {"page down", 5, Qt::Key_PageDown, true, 59, 1},
        {"home", 5, Qt::Key_Home, false, 0, 1},
        {"page up at first", 0, Qt::Key_PageUp, true, 0, 1},
        {"left", 5, Qt::Key_Left, false, 4, 1},
        {"left at first", 0, Qt::Key_Left, true, 0, 0},
        {"left with none", -1, Qt::Key_Left, false, -1, 0},
        {"right", 5, Qt::Key_Right, true, 6, 1},
        {"right with none", -1, Qt::Key_Right, false, 0, 1},
        {"right at last", 59, Qt::Key_Right, false, 59, 0},
        {"up closed", 15, Qt::Key_Up, false, 14, 1},
        {"up open", 15, Qt::Key_Up, true, 5, 1},
        {"up open first row", 5, Qt::Key_Up, true, 5, 0},
        {"up open none", -1, Qt::Key_Up, true, 0, 1},
        {"down closed", 15, Qt::Key_Down, false, 16, 1},
        {"down open", 15, Qt::Key_Down, true, 25, 1},
        {"down open last row", 55, Qt::Key_Down, true, 55, 0},
        {"other key", 5, Qt::Key_A, true, 5, 0},
    };
    for (const Case& c : cases) {
        CustomColorSelector palette;
        palette.setItemIndex(c.start);
        QSignalSpy spy(&palette, &CustomColorSelector::colorSelected);
        palette.handleKey(c.key, c.open);
        EXPECT_EQ(palette.itemIndex(), c.expected) << c.name;
        EXPECT_EQ(spy.count(), c.events) << c.name;
    }
}

TEST(Palette, WheelSelectsWhenClosedAndMovesHotWhenOpen)
{
    CustomColorSelector palette;
    QSignalSpy spy(&palette, &CustomColorSelector::colorSelected);
    palette.handleWheel(true, false);
    EXPECT_EQ(palette.itemIndex(), 0);
    palette.handleWheel(false, false);
    EXPECT_EQ(palette.itemIndex(), 0);
    EXPECT_EQ(spy.count(), 1);

    palette.handleWheel(true, true);
    EXPECT_EQ(palette.itemHot(), 0);
    palette.handleWheel(true, true);
    EXPECT_EQ(palette.itemHot(), 1);
    palette.handleWheel(false, true);
    palette.handleWheel(false, true);
    EXPECT_EQ(palette.itemHot(), 0);
    EXPECT_EQ(palette.itemIndex(), 0);
    EXPECT_EQ(spy.count(), 1) << "the open wheel only moves the hot box";
}

TEST(ColorCube, CellTableRowsAndCentres)
{
    ColorCubePanel cube;
    EXPECT_EQ(cube.size(), QSize(182, 160));
    EXPECT_EQ(cube.cubeCellCenter(1), QPoint(55, 20));
    EXPECT_EQ(cube.cubeCellColor(1), colorFromHex(0x003366));
    EXPECT_EQ(cube.cubeCellCenter(7), QPoint(55 + 72, 20));
    EXPECT_EQ(cube.cubeCellCenter(8), QPoint(49, 30));  // row 2 starts half a cell further left
    EXPECT_EQ(cube.cubeCellCenter(64), QPoint(91, 80)); // the centre cell, white
    EXPECT_EQ(cube.cubeCellColor(64), colorFromHex(0xFFFFFF));
    EXPECT_EQ(cube.cubeCellCenter(71), QPoint(25, 90)); // row 8 starts at x = 19 + 6
    EXPECT_EQ(cube.cubeCellCenter(121), QPoint(55, 140));
    EXPECT_EQ(cube.cubeCellColor(126), colorFromHex(0x800000));
    EXPECT_EQ(cube.cubeCellColor(127), colorFromHex(0xA50021));
    EXPECT_EQ(cube.cubeCellColor(0), kColorNone);
    EXPECT_EQ(cube.cubeCellColor(128), kColorNone);

    cube.setCubeCellColor(5, colorFromHex(0x123456));
    EXPECT_EQ(cube.cubeCellColor(5), colorFromHex(0x123456));
    cube.resetCells();
    EXPECT_EQ(cube.cubeCellColor(5), colorFromHex(0x000099));
}

TEST(ColorCube, HitTest)
{
    ColorCubePanel cube;
    struct Case
    {
        const char* name;
        QPoint p;
        int cell;
    };
    const Case cases[] = {
        {"centre", {91, 80}, 64},
        {"midpoint of two cells hits the lower number", {61, 20}, 1},
        {"6 above a top-row centre", {55, 14}, 1},
        {"7 above a top-row centre", {55, 13}, 0},
        {"corner of the panel", {0, 0}, 0},
        {"7 below a bottom-row centre", {55, 147}, 0},
        {"last cell", {127, 140}, 127},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cube.cellAt(c.p), c.cell) << c.name;
}

TEST(ColorCube, MoveShowsRgbHintAndPressPicks)
{
    ColorCubePanel cube;
    cube.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cube));
    QTest::mouseMove(&cube, QPoint(91, 80));
    EXPECT_EQ(cube.hotIndex(), 64);
    EXPECT_EQ(cube.toolTip(), QStringLiteral("Red: 255,  Green: 255,  Blue: 255"));
    QTest::mouseMove(&cube, QPoint(55, 20));
    EXPECT_EQ(cube.toolTip(), QStringLiteral("Red: 0,  Green: 51,  Blue: 102"));
    QTest::mouseMove(&cube, QPoint(2, 2));
    EXPECT_TRUE(cube.toolTip().isEmpty());
    EXPECT_EQ(cube.hotIndex(), 1) << "the hot cell keeps its mark off the cells";

    // Hot marks: red outer, white inner hexagon round the centre.
    EXPECT_EQ(cube.grab().toImage().pixel(55 - 5, 20), qrgbOf(0xFF0000));
    EXPECT_EQ(cube.grab().toImage().pixel(55 - 4, 20), qrgbOf(0xFFFFFF));

    QSignalSpy spy(&cube, &ColorCubePanel::colorSelected);
    QTest::mouseClick(&cube, Qt::RightButton, {}, QPoint(91 + 12, 80)); // any button picks
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(cube.selectedIndex(), 65);
    EXPECT_EQ(cube.selectedColor(), colorFromHex(0xFFCCFF));
    QTest::mouseClick(&cube, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(cube.grab().toImage().pixel(103 - 5, 80), qrgbOf(0x000000));
}

TEST(ColorCube, SelectedColorMarksFirstMatchingCellSilently)
{
    ColorCubePanel cube;
    QSignalSpy spy(&cube, &ColorCubePanel::colorSelected);
    cube.setSelectedColor(colorFromHex(0xFF0000));
    EXPECT_EQ(cube.selectedIndex(), 118);
    cube.setSelectedColor(colorFromHex(0x123456));
    EXPECT_EQ(cube.selectedIndex(), -1);
    EXPECT_EQ(cube.selectedColor(), colorFromHex(0x123456));
    EXPECT_EQ(spy.count(), 0);
}

TEST(Spectrum, PictureRunsThroughHuesFromWhiteToBlack)
{
    const QImage& img = ColorSpectrumPanel::spectrumImage();
    ASSERT_EQ(img.size(), QSize(128, 128));
    for (int x : {0, 40, 90, 127}) {
        EXPECT_GT(qGray(img.pixel(x, 0)), 245) << "top row nearly white at " << x;
        EXPECT_LT(qGray(img.pixel(x, 127)), 10) << "bottom row nearly black at " << x;
    }
    // Middle rows: full hues, in the order red, yellow, green, cyan, blue, magenta.
    const struct
    {
        int x;
        QColor hue;
    } hues[] = {{0, Qt::red},   {21, Qt::yellow}, {43, Qt::green},
                {64, Qt::cyan}, {85, Qt::blue},   {107, Qt::magenta}};
    for (const auto& h : hues) {
        const QColor c = img.pixelColor(h.x, 64);
        EXPECT_GT(c.hslSaturation(), 240) << h.x;
        EXPECT_NEAR(c.hslHue(), h.hue.hslHue(), 5) << h.x;
        EXPECT_NEAR(c.lightness(), 128, 6) << h.x;
    }
}

TEST(Spectrum, LayoutPlacesPictureAndSwatches)
{
    ColorSpectrumPanel panel;
    EXPECT_EQ(panel.size(), QSize(150, 174));
    EXPECT_EQ(panel.spectrumRect(), QRect(11, 10, 128, 128));
    EXPECT_EQ(panel.selectedRect(), QRect(QPoint(10, 146), QPoint(72, 165)));
    EXPECT_EQ(panel.hotRect(), QRect(QPoint(77, 146), QPoint(139, 165)));
    EXPECT_EQ(panel.selectedColor(), colorFromHex(0xFFFFFF));
    EXPECT_EQ(panel.hotColor(), kColorNone);

    const QImage shot = panel.grab().toImage();
    EXPECT_EQ(shot.pixel(11 + 5, 10), ColorSpectrumPanel::spectrumImage().pixel(5, 0));
    EXPECT_EQ(shot.pixel(40, 9), qrgbOf(0xFFFFFF));
    EXPECT_EQ(shot.pixel(40, 8), qrgbOf(0x808080));
    EXPECT_EQ(shot.pixel(30, 145), qrgbOf(0x808080));
}

TEST(Spectrum, PressTakesTheHotColourOfTheLastMove)
{
    ColorSpectrumPanel panel;
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    const QPoint a = panel.spectrumRect().topLeft() + QPoint(43, 64); // green
    const QPoint b = panel.spectrumRect().topLeft() + QPoint(85, 64); // blue
    const Color green = fromQColor(ColorSpectrumPanel::spectrumImage().pixelColor(43, 64));
    QTest::mouseMove(&panel, a);
    EXPECT_EQ(panel.hotColor(), green);
    EXPECT_EQ(panel.cursor().hotSpot(), QPoint(1, 30));

    QSignalSpy spy(&panel, &ColorSpectrumPanel::colorSelected);
    // A press event at b without a move in between: the colour seen at a counts.
    QMouseEvent press(QEvent::MouseButtonPress, b, panel.mapToGlobal(b), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(&panel, &press);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(panel.selectedColor(), green);
    const QImage shot = panel.grab().toImage();
    EXPECT_EQ(fromQColor(shot.pixelColor(panel.selectedRect().center())), green);
    EXPECT_EQ(fromQColor(shot.pixelColor(panel.hotRect().center())), green);

    QTest::mouseMove(&panel, QPoint(5, 160)); // off the picture: nothing changes
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(5, 160));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(panel.hotColor(), green);
}

TEST(Spectrum, PressWithoutAnEarlierMoveTakesTheColourUnderIt)
{
    ColorSpectrumPanel panel;
    QSignalSpy spy(&panel, &ColorSpectrumPanel::colorSelected);
    const QPoint p = panel.spectrumRect().topLeft() + QPoint(85, 64);
    QTest::mousePress(&panel, Qt::LeftButton, {}, p);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(panel.selectedColor(),
              fromQColor(ColorSpectrumPanel::spectrumImage().pixelColor(85, 64)));
}

TEST(Spectrum, EyedropperCursorHasItsTipAsHotSpot)
{
    const QCursor cursor = ColorSpectrumPanel::eyedropperCursor();
    EXPECT_EQ(cursor.hotSpot(), QPoint(1, 30));
    const QImage img = cursor.pixmap().toImage();
    ASSERT_EQ(img.size(), QSize(32, 32));
    EXPECT_GT(qAlpha(img.pixel(2, 29)), 0) << "something is drawn at the tip";
    EXPECT_EQ(qAlpha(img.pixel(30, 30)), 0);
}
