// Renders the closed picker and the drop-down of each style to PNG files in the build
// tree (tests/colorpicker/shots), for a person to look at, and checks the pixels that
// matter in them: box colours, frames, the hot and the selected outlines.
#include "colorcubepanel.h"
#include "colorspectrumpanel.h"
#include "customcolorselector.h"
#include "itemselector.h"
#include "pickerfixture.h"

#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>
using namespace tavelorn;

namespace {

QString shotPath(const char* name)
{
    QDir().mkpath(QStringLiteral(SHOTS_DIR));
    return QStringLiteral(SHOTS_DIR "/%1.png").arg(QLatin1String(name));
}

// The host window with the closed picker above the open drop-down, as the user sees it.
QImage composite(PickerHost& host)
{
    const QImage window = host.window->grab(QRect(0, 0, 265, 40)).toImage();
    const QImage form = host.picker->dropDownForm()->grab().toImage();
    QImage out(qMax(window.width(), form.width() + 10), window.height() + form.height(),
               QImage::Format_RGB32);
    out.fill(host.window->palette().color(QPalette::Window));
    QPainter p(&out);
    p.drawImage(0, 0, window);
    p.drawImage(10, 31 - 1, form);
    return out;
}

void save(const QImage& image, const char* name)
{
    const QString path = shotPath(name);
    ASSERT_TRUE(image.save(path)) << path.toStdString();
}

QRgb rgbOf(Color c)
{
    return paletteQColor(c).rgb();
}

// A pointer move onto target that is a real move, wherever an earlier test left the
// pointer.
void hover(QWidget* widget, QPoint target)
{
    QTest::mouseMove(widget, target + QPoint(3, 3));
    QTest::mouseMove(widget, target);
}

} // namespace

TEST(Shots, List)
{
    PickerHost host;
    host.picker->setSelectedColor(colorFromHex(0x008000));
    host.picker->showDropDown();
    CustomItemSelector* list = host.picker->itemSelector()->selector();
    hover(list, list->items()[4].rect.center());
    ASSERT_EQ(list->hotIndex(), 4);
    save(composite(host), "list");

    // Each entry's box in its colour inside a black frame; the hot and the selected
    // entries on their bars, the others on the plain background.
    const QImage image = list->grab().toImage();
    const int selected = list->itemIndex();
    ASSERT_GE(selected, 0);
    EXPECT_EQ(list->items()[selected].color, colorFromHex(0x008000));
    ASSERT_NE(selected, 4);
    const QRgb background = image.pixel(list->items()[0].rect.topLeft() + QPoint(1, 1));
    for (int i = 0; i < list->items().size(); ++i) {
        SCOPED_TRACE(i);
        const SelectorItem& item = list->items()[i];
        const QPoint box = item.rect.topLeft() + QPoint(4, 4);
        EXPECT_EQ(image.pixel(box), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(box + QPoint(3, 3)), rgbOf(item.color));
        const bool bar = i == 4 || i == selected;
        EXPECT_EQ(image.pixel(item.rect.center().x(), item.rect.top() + 2) != background, bar);
    }
    host.picker->hideDropDown(false);
}

TEST(Shots, Palette)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(ColorSelectionStyle::Discrete);
    host.picker->setColorValueText(ColorValueText::Html);
    host.picker->setSelectedColor(colorFromHex(0x548DD4));
    host.picker->showDropDown();
    CustomColorSelector* palette = host.picker->colorSelector();
    hover(palette, palette->items()[26].rect.center());
    ASSERT_EQ(palette->itemHot(), 26);
    save(composite(host), "palette");

    // Every box in its colour; the hot and the selected box in their two outlines; a
    // box of the base row framed in the border colour.
    const QImage image = palette->grab().toImage();
    const ColorBoxAppearance look = palette->colorBoxAppearance();
    int selected = -1;
    for (int i = 0; i < palette->items().size(); ++i) {
        const ColorBoxItem& item = palette->items()[i];
        if (item.color == colorFromHex(0x548DD4))
            selected = i;
        EXPECT_EQ(image.pixel(item.rect.center()), rgbOf(item.color)) << "box " << i;
    }
    ASSERT_GE(selected, 10);
    const auto outline = [&](int i, Color outer, Color inner) {
        const QRect r = palette->items()[i].rect;
        EXPECT_EQ(image.pixel(r.center().x(), r.top()), rgbOf(outer)) << "box " << i;
        EXPECT_EQ(image.pixel(r.center().x(), r.top() + 1), rgbOf(inner)) << "box " << i;
        EXPECT_EQ(image.pixel(r.left(), r.center().y()), rgbOf(outer)) << "box " << i;
    };
    outline(26, look.outerBorderColorHot, look.innerBorderColorHot);
    outline(selected, look.outerBorderColorSelected, look.innerBorderColorSelected);
    const QRect plain = palette->items()[5].rect;
    EXPECT_EQ(image.pixel(plain.center().x(), plain.top()), rgbOf(look.borderColor));
    EXPECT_EQ(image.pixel(plain.left(), plain.center().y()), rgbOf(look.borderColor));
    host.picker->hideDropDown(false);
}

TEST(Shots, Cube)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(ColorSelectionStyle::ColorCube);
    host.picker->setColorValueText(ColorValueText::Rgb);
    host.picker->setSelectedColor(colorFromHex(0x3399FF));
    host.picker->showDropDown();
    ColorCubePanel* cube = host.picker->colorCubePanel();
    hover(cube, cube->cubeCellCenter(64));
    save(composite(host), "cube");

    // Each cell of the honeycomb in its colour.
    const QImage image = cube->grab().toImage();
    for (int i = 1; i <= ColorCubePanel::kCellCount; ++i)
        EXPECT_EQ(image.pixel(cube->cubeCellCenter(i)), rgbOf(cube->cubeCellColor(i))) << i;
    host.picker->hideDropDown(false);
}

TEST(Shots, Spectrum)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(ColorSelectionStyle::Spectrum);
    host.picker->setColorValueText(ColorValueText::Hex);
    host.picker->setSelectedColor(colorFromHex(0xFF8000));
    host.picker->showDropDown();
    ColorSpectrumPanel* panel = host.picker->spectrumPanel();
    QTest::mouseMove(panel, panel->spectrumRect().topLeft() + QPoint(80, 50));
    save(composite(host), "spectrum");
    host.picker->hideDropDown(false);
}

TEST(Shots, Faces)
{
    QWidget window;
    window.resize(265, 4 * 27 + 6);
    const struct
    {
        ColorValueText mode;
        Color color;
    } faces[] = {{ColorValueText::NoText, kColorNone},
                 {ColorValueText::NoText, colorFromHex(0xFF0000)},
                 {ColorValueText::Rgb, colorFromHex(0x123456)},
                 {ColorValueText::Html, colorFromHex(0xFF8000)}};
    int y = 6;
    ColorPickerDropDown* focused = nullptr;
    for (const auto& f : faces) {
        auto* picker = new ColorPickerDropDown(&window);
        configureLikeColourDialog(*picker);
        picker->setColorValueText(f.mode);
        picker->setSelectedColor(f.color);
        picker->setGeometry(10, y, 245, 21);
        y += 27;
        if (f.color == colorFromHex(0xFF0000))
            focused = picker;
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    focused->setFocus();
    save(window.grab().toImage(), "faces");
}
