// Renders the closed picker and the drop-down of each style to PNG files in the build
// tree (tests/colorpicker/shots), for a person to look at.
#include "colorcubepanel.h"
#include "colorspectrumpanel.h"
#include "customcolorselector.h"
#include "itemselector.h"
#include "pickerfixture.h"

#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>

using namespace ColorPicker;

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

} // namespace

TEST(Shots, List)
{
    PickerHost host;
    host.picker->setSelectedColor(fromHex(0x008000));
    host.picker->ShowDropDown();
    TCustomItemSelector* list = host.picker->ItemSelector()->Selector();
    QTest::mouseMove(list, list->Items()[4].Rect.center());
    ASSERT_EQ(list->HotIndex(), 4);
    save(composite(host), "list");
    host.picker->HideDropDown(false);
}

TEST(Shots, Palette)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csDiscrete);
    host.picker->setColorValueText(cvtHTML);
    host.picker->setSelectedColor(fromHex(0x548DD4));
    host.picker->ShowDropDown();
    TCustomColorSelector* palette = host.picker->ColorSelector();
    QTest::mouseMove(palette, palette->Items()[26].Rect.center());
    save(composite(host), "palette");
    host.picker->HideDropDown(false);
}

TEST(Shots, Cube)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csColorCube);
    host.picker->setColorValueText(cvtRGB);
    host.picker->setSelectedColor(fromHex(0x3399FF));
    host.picker->ShowDropDown();
    TColorCubePanel* cube = host.picker->ColorCubePanel();
    QTest::mouseMove(cube, cube->CubeCellCenter(64));
    save(composite(host), "cube");
    host.picker->HideDropDown(false);
}

TEST(Shots, Spectrum)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csSpectrum);
    host.picker->setColorValueText(cvtHex);
    host.picker->setSelectedColor(fromHex(0xFF8000));
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
        TColor color;
    } faces[] = {{cvtNone, clNone},
                 {cvtNone, fromHex(0xFF0000)},
                 {cvtRGB, fromHex(0x123456)},
                 {cvtHTML, fromHex(0xFF8000)}};
    int y = 6;
    TColorPickerDropDown* focused = nullptr;
    for (const auto& f : faces) {
        auto* picker = new TColorPickerDropDown(&window);
        configureLikeColourDialog(*picker);
        picker->setColorValueText(f.mode);
        picker->setSelectedColor(f.color);
        picker->setGeometry(10, y, 245, 21);
        y += 27;
        if (f.color == fromHex(0xFF0000))
            focused = picker;
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    focused->setFocus();
    save(window.grab().toImage(), "faces");
}
