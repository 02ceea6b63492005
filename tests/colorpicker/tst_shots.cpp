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

using namespace ColorPicker;
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
    const QImage form = host.picker->DropDownForm()->grab().toImage();
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
    return toQColor(c).rgb();
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
    host.picker->ShowDropDown();
    TCustomItemSelector* list = host.picker->ItemSelector()->Selector();
    hover(list, list->Items()[4].Rect.center());
    ASSERT_EQ(list->HotIndex(), 4);
    save(composite(host), "list");

    // Each entry's box in its colour inside a black frame; the hot and the selected
    // entries on their bars, the others on the plain background.
    const QImage image = list->grab().toImage();
    const int selected = list->ItemIndex();
    ASSERT_GE(selected, 0);
    EXPECT_EQ(list->Items()[selected].Color, colorFromHex(0x008000));
    ASSERT_NE(selected, 4);
    const QRgb background = image.pixel(list->Items()[0].Rect.topLeft() + QPoint(1, 1));
    for (int i = 0; i < list->Items().size(); ++i) {
        SCOPED_TRACE(i);
        const TSelectorItem& item = list->Items()[i];
        const QPoint box = item.Rect.topLeft() + QPoint(4, 4);
        EXPECT_EQ(image.pixel(box), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(box + QPoint(3, 3)), rgbOf(item.Color));
        const bool bar = i == 4 || i == selected;
        EXPECT_EQ(image.pixel(item.Rect.center().x(), item.Rect.top() + 2) != background, bar);
    }
    host.picker->HideDropDown(false);
}

TEST(Shots, Palette)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csDiscrete);
    host.picker->setColorValueText(cvtHTML);
    host.picker->setSelectedColor(colorFromHex(0x548DD4));
    host.picker->ShowDropDown();
    TCustomColorSelector* palette = host.picker->ColorSelector();
    hover(palette, palette->Items()[26].Rect.center());
    ASSERT_EQ(palette->ItemHot(), 26);
    save(composite(host), "palette");

    // Every box in its colour; the hot and the selected box in their two outlines; a
    // box of the base row framed in the border colour.
    const QImage image = palette->grab().toImage();
    const TColorBoxAppearance look = palette->ColorBoxAppearance();
    int selected = -1;
    for (int i = 0; i < palette->Items().size(); ++i) {
        const TColorBoxItem& item = palette->Items()[i];
        if (item.Color == colorFromHex(0x548DD4))
            selected = i;
        EXPECT_EQ(image.pixel(item.Rect.center()), rgbOf(item.Color)) << "box " << i;
    }
    ASSERT_GE(selected, 10);
    const auto outline = [&](int i, Color outer, Color inner) {
        const QRect r = palette->Items()[i].Rect;
        EXPECT_EQ(image.pixel(r.center().x(), r.top()), rgbOf(outer)) << "box " << i;
        EXPECT_EQ(image.pixel(r.center().x(), r.top() + 1), rgbOf(inner)) << "box " << i;
        EXPECT_EQ(image.pixel(r.left(), r.center().y()), rgbOf(outer)) << "box " << i;
    };
    outline(26, look.OuterBorderColorHot, look.InnerBorderColorHot);
    outline(selected, look.OuterBorderColorSelected, look.InnerBorderColorSelected);
    const QRect plain = palette->Items()[5].Rect;
    EXPECT_EQ(image.pixel(plain.center().x(), plain.top()), rgbOf(look.BorderColor));
    EXPECT_EQ(image.pixel(plain.left(), plain.center().y()), rgbOf(look.BorderColor));
    host.picker->HideDropDown(false);
}

TEST(Shots, Cube)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csColorCube);
    host.picker->setColorValueText(cvtRGB);
    host.picker->setSelectedColor(colorFromHex(0x3399FF));
    host.picker->ShowDropDown();
    TColorCubePanel* cube = host.picker->ColorCubePanel();
    hover(cube, cube->CubeCellCenter(64));
    save(composite(host), "cube");

    // Each cell of the honeycomb in its colour.
    const QImage image = cube->grab().toImage();
    for (int i = 1; i <= TColorCubePanel::CellCount; ++i)
        EXPECT_EQ(image.pixel(cube->CubeCellCenter(i)), rgbOf(cube->CubeCellColor(i))) << i;
    host.picker->HideDropDown(false);
}

TEST(Shots, Spectrum)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csSpectrum);
    host.picker->setColorValueText(cvtHex);
    host.picker->setSelectedColor(colorFromHex(0xFF8000));
    host.picker->ShowDropDown();
    TColorSpectrumPanel* panel = host.picker->SpectrumPanel();
    QTest::mouseMove(panel, panel->SpectrumRect().topLeft() + QPoint(80, 50));
    save(composite(host), "spectrum");
    host.picker->HideDropDown(false);
}

TEST(Shots, Faces)
{
    QWidget window;
    window.resize(265, 4 * 27 + 6);
    const struct
    {
        TColorValueText mode;
        Color color;
    } faces[] = {{cvtNone, kColorNone},
                 {cvtNone, colorFromHex(0xFF0000)},
                 {cvtRGB, colorFromHex(0x123456)},
                 {cvtHTML, colorFromHex(0xFF8000)}};
    int y = 6;
    TColorPickerDropDown* focused = nullptr;
    for (const auto& f : faces) {
        auto* picker = new TColorPickerDropDown(&window);
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
