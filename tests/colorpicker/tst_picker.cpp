// The picker: assignments and their events, the face, the drop-down window and its
// keyboard, mouse and wheel rules.
#include "colorcubepanel.h"
#include "colorspectrumpanel.h"
#include "customcolorselector.h"
#include "itemselector.h"
#include "pickerfixture.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
using namespace tavelorn;

namespace {

constexpr Color kRed = colorFromHex(0xFF0000);

// Keys go where the desktop sends them: to the open pop-up, else to the picker.
void key(ColorPickerDropDown* picker, Qt::Key k, Qt::KeyboardModifiers mods = {})
{
    QWidget* target = QApplication::activePopupWidget();
    QTest::keyClick(target ? target : static_cast<QWidget*>(picker), k, mods);
}

void typeChar(ColorPickerDropDown* picker, char c)
{
    QWidget* target = QApplication::activePopupWidget();
    QTest::keyClick(target ? target : static_cast<QWidget*>(picker), c);
}

void wheel(QWidget* w, bool down)
{
    const QPoint pos = w->rect().center();
    QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, down ? -120 : 120), Qt::NoButton,
                  {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// The colour dialog's handler: the footer button's index chooses the style.
void switchStyleFromFooter(ColorPickerDropDown* picker)
{
    QObject::connect(picker, &ColorPickerDropDown::footerButtonClicked, picker,
                     [picker](int index) {
                         const ColorSelectionStyle styles[] = {
                             ColorSelectionStyle::Spectrum, ColorSelectionStyle::ColorCube,
                             ColorSelectionStyle::Discrete, ColorSelectionStyle::List};
                         picker->setColorSelectionStyle(styles[index]);
                     });
}

QPoint entryCentre(ColorPickerDropDown* picker, int index)
{
    return picker->itemSelector()->selector()->items()[index].rect.center();
}

} // namespace

TEST(Picker, StartsEmptyAndAddDefaultColorsFillsTheSixteenNames)
{
    ColorPickerDropDown picker;
    EXPECT_EQ(picker.selectedColor(), kColorNone);
    EXPECT_EQ(picker.itemIndex(), -1);
    EXPECT_TRUE(picker.colors().isEmpty());
    EXPECT_EQ(picker.colorSelectionStyle(), ColorSelectionStyle::List);
    picker.addColor(QStringLiteral("Mine"), colorFromHex(0x123456));
    picker.addDefaultColors();
    ASSERT_EQ(picker.colors().size(), 16);
    EXPECT_EQ(picker.colors()[0].caption, QStringLiteral("Black"));
    EXPECT_EQ(picker.colors()[9].caption, QStringLiteral("Red"));
    EXPECT_EQ(picker.colors()[9].color, kRed);
    EXPECT_EQ(picker.colors()[13].caption, QStringLiteral("Fuchsia"));
    EXPECT_EQ(picker.colors()[13].color, colorFromHex(0xFF00FF));
    EXPECT_EQ(picker.colors()[15].color, colorFromHex(0xFFFFFF));
}

TEST(Picker, AssignmentsAndTheirEvents)
{
    enum Op
    {
        SetColor,
        SetIndex
    };
    struct Step
    {
        Op op;
        qint32 value;
        int index;
        Color color;
        int events;
    };
    struct Case
    {
        const char* name;
        QList<Step> steps;
    };
    const Case cases[] = {
        {"a named colour selects it", {{SetColor, kRed, 9, kRed, 1}}},
        {"the same colour again does nothing",
         {{SetColor, kRed, 9, kRed, 1}, {SetColor, kRed, 9, kRed, 0}}},
        {"an unnamed colour clears silently",
         {{SetColor, kRed, 9, kRed, 1},
          {SetColor, colorFromHex(0x123456), -1, colorFromHex(0x123456), 0}}},
        {"window text while black selects Black",
         {{SetColor, kColorWindowText, 0, colorFromHex(0x000000), 1}}},
        {"index assignment raises even unchanged",
         {{SetIndex, 9, 9, kRed, 1}, {SetIndex, 9, 9, kRed, 1}}},
        {"index -1 raises and keeps the colour",
         {{SetIndex, 9, 9, kRed, 1}, {SetIndex, -1, -1, kRed, 1}}},
        {"index past the end does nothing",
         {{SetIndex, 9, 9, kRed, 1}, {SetIndex, 16, 9, kRed, 0}}},
        {"no colour clears silently",
         {{SetColor, kRed, 9, kRed, 1}, {SetColor, kColorNone, -1, kColorNone, 0}}},
    };
    for (const Case& c : cases) {
        ColorPickerDropDown picker;
        picker.addDefaultColors();
        QSignalSpy spy(&picker, &ColorPickerDropDown::colorSelected);
        for (const Step& s : c.steps) {
            spy.clear();
            if (s.op == SetColor)
                picker.setSelectedColor(s.value);
            else
                picker.setItemIndex(s.value);
            EXPECT_EQ(picker.itemIndex(), s.index) << c.name;
            EXPECT_EQ(picker.selectedColor(), s.color) << c.name;
            EXPECT_EQ(spy.count(), s.events) << c.name;
        }
    }
}

TEST(Picker, NamedSystemColoursAreComparedByTheirCurrentValue)
{
    ColorPickerDropDown picker;
    picker.addColor(QStringLiteral("Text"), kColorWindowText);
    picker.addDefaultColors();
    picker.addColor(QStringLiteral("Text"), kColorWindowText);
    picker.setSelectedColor(colorFromHex(0x000000));
    EXPECT_EQ(picker.itemIndex(), 0);
    picker.setItemIndex(16);
    EXPECT_EQ(picker.selectedColor(), kColorWindowText) << "an item's colour is taken as stored";
}

TEST(Picker, FaceText)
{
    struct Case
    {
        ColorValueText mode;
        Color color;
        const char* text;
    };
    const Case cases[] = {
        {ColorValueText::NoText, colorFromHex(0xFF8000), ""},
        {ColorValueText::Hex, colorFromHex(0xFF8000), "0080FF"},
        {ColorValueText::Rgb, colorFromHex(0xFF8000), "Red:255,Green:128,Blue:0"},
        {ColorValueText::Html, colorFromHex(0xFF8000), "#FF8000"},
        {ColorValueText::Html, kColorWindowText, "#000000"},
        {ColorValueText::WebName, colorFromHex(0xFF8000), "#FF8000"},
        {ColorValueText::WebName, colorFromHex(0xFF7F50), "coral"},
    };
    for (const Case& c : cases) {
        ColorPickerDropDown picker;
        picker.setColorValueText(c.mode);
        picker.setSelectedColor(c.color);
        EXPECT_EQ(picker.faceText(), QString::fromLatin1(c.text)) << c.text;
    }

    ColorPickerDropDown picker;
    picker.addDefaultColors();
    picker.setColorValueText(ColorValueText::Html);
    picker.setSelectedColor(kRed);
    EXPECT_EQ(picker.faceText(), QStringLiteral("Red"));
    picker.setColorSelectionStyle(ColorSelectionStyle::ColorCube);
    EXPECT_EQ(picker.faceText(), QStringLiteral("#FF0000")) << "names show in the list style only";
}

TEST(Picker, FacePaintsBoxAndTextOnlyWithAColour)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    host.window->setFocus(); // no focus colours on the face
    const QPoint boxCentre(5 + 7, 1 + (21 - 14) / 2 + 7);
    QImage face = picker->grab().toImage();
    const QRgb base = face.pixel(boxCentre);
    for (int x = 3; x < 200; ++x)
        ASSERT_EQ(face.pixel(x, 10), base) << "nothing painted at " << x;

    picker->setSelectedColor(kRed);
    face = picker->grab().toImage();
    EXPECT_EQ(face.pixel(boxCentre), qRgb(255, 0, 0));
    EXPECT_EQ(face.pixel(5, boxCentre.y()), qRgb(0, 0, 0)) << "outlined in black";
    int textPixels = 0;
    for (int x = 5 + 14 + 4; x < 245 - 17 - 2; ++x)
        for (int y = 2; y < 19; ++y)
            textPixels += qGray(face.pixel(x, y)) < 128;
    EXPECT_GT(textPixels, 10) << "the name is written";

    picker->setSelectedColor(colorFromHex(0x123456));
    face = picker->grab().toImage();
    textPixels = 0;
    for (int x = 5 + 14 + 4; x < 245 - 17 - 2; ++x)
        textPixels += face.pixel(x, 10) != base;
    EXPECT_EQ(textPixels, 0) << "no text for an unnamed colour with ColorValueText::NoText";

    picker->setFocus();
    face = picker->grab().toImage();
    EXPECT_EQ(face.pixel(4, 4), picker->palette().color(QPalette::Highlight).rgb());
}

TEST(Picker, OpeningTheListSizesAndPlacesTheWindow)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->setSelectedColor(kRed);
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(50, 10));
    ASSERT_TRUE(picker->droppedDown());
    DropDownForm* form = picker->dropDownForm();
    EXPECT_TRUE(form->windowFlags() & Qt::Popup);
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    const int scroll = form->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(form->size(), QSize(206 + scroll, 200)) << "widened for the scroll bar";
    const QPoint top = picker->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(form->pos(), QPoint(top.x(), top.y() + 21 - 1));
    EXPECT_EQ(picker->itemSelector()->selector()->itemIndex(), 9);
    EXPECT_EQ(picker->dropDownForm()->footer()->geometry(),
              QRect(1, 200 - 1 - 22, 204 + scroll, 22));

    // Entries: 2 pixels in, touching, sized to the widest caption and the box.
    const auto& items = picker->itemSelector()->selector()->items();
    EXPECT_EQ(items[0].rect.topLeft(), QPoint(2, 2));
    EXPECT_EQ(items[1].rect.top(), items[0].rect.bottom() + 1);
    EXPECT_GE(items[0].rect.height(), 14 + 8);
    const QFontMetrics fm(ItemAppearance::defaultFont());
    EXPECT_EQ(items[0].rect.width(), 4 + 14 + 4 + fm.horizontalAdvance("Fuchsia") + 4 + 4);

    picker->hideDropDown(false);
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(picker->itemIndex(), 9);
}

TEST(Picker, PlacementAgainstTheScreen)
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case
    {
        const char* name;
        DropPosition position;
        QPoint at; // picker's top-left inside its window at the screen's top-left
        bool above;
        bool shifted;
    };
    const Case cases[] = {
        {"room below", DropPosition::Auto, {0, 0}, false, false},
        {"no room below", DropPosition::Auto, {0, work.height() - 60}, true, false},
        {"always above", DropPosition::Up, {0, 0}, true, false},
        {"always below", DropPosition::Down, {0, work.height() - 60}, false, false},
        {"past the right edge", DropPosition::Auto, {work.width() - 100, 0}, false, true},
    };
    for (const Case& c : cases) {
        QWidget window(nullptr, Qt::FramelessWindowHint);
        window.setGeometry(work);
        auto* picker = new ColorPickerDropDown(&window);
        configureLikeColourDialog(*picker);
        picker->setGeometry(QRect(c.at, QSize(245, 21)));
        picker->setDropPosition(c.position);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        picker->showDropDown();
        const QRect g = picker->dropDownForm()->frameGeometry();
        const QPoint top = picker->mapToGlobal(QPoint(0, 0));
        if (c.above)
            EXPECT_EQ(g.bottom() + 1, top.y()) << c.name;
        else
            EXPECT_EQ(g.top(), top.y() + 20) << c.name;
        if (c.shifted)
            EXPECT_EQ(g.right(), work.right()) << c.name;
        else
            EXPECT_EQ(g.left(), top.x()) << c.name;
        picker->hideDropDown(false);
    }
}

TEST(Picker, ClickingOutsideTheListRestoresTheColourOfTheOpening)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->setSelectedColor(kRed);
    picker->showDropDown();
    ASSERT_TRUE(picker->droppedDown());
    key(picker, Qt::Key_Down); // the keyboard moves the selection and raises at once
    EXPECT_EQ(picker->itemIndex(), 10);
    EXPECT_TRUE(picker->droppedDown());

    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
    // A click on the picker itself, through the window system as a user's would come:
    // the pop-up goes, and the same click must not open it again.
    QTest::mouseClick(host.window->windowHandle(), Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(picker->itemIndex(), 9);
    EXPECT_EQ(picker->selectedColor(), kRed);
    EXPECT_EQ(spy.count(), 1);
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_FALSE(picker->droppedDown()) << "within 250 ms of losing activation";
    QTest::qWait(300);
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_TRUE(picker->droppedDown());
    picker->hideDropDown(false);
}

TEST(Picker, CancelWithoutANamedColourKeepsTheColour)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->setSelectedColor(colorFromHex(0x123456));
    picker->showDropDown();
    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
    key(picker, Qt::Key_Escape);
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(picker->itemIndex(), -1);
    EXPECT_EQ(picker->selectedColor(), colorFromHex(0x123456));
    EXPECT_EQ(spy.count(), 1);
}

TEST(Picker, PressingAnEntryPicksAndCloses)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->showDropDown();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker->dropDownForm()));
    CustomItemSelector* list = picker->itemSelector()->selector();
    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
    QTest::mouseMove(list, entryCentre(picker, 2));
    EXPECT_EQ(list->hotIndex(), 2);
    QTest::mousePress(list, Qt::LeftButton, {}, entryCentre(picker, 2));
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(picker->itemIndex(), 2);
    EXPECT_EQ(picker->selectedColor(), colorFromHex(0x008000));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(picker->faceText(), QStringLiteral("Green"));
}

TEST(Picker, FooterButtonsReadRightToLeftAndCubeSwitchesTheOpenWindow)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    switchStyleFromFooter(picker);
    QSignalSpy clicks(picker, &ColorPickerDropDown::footerButtonClicked);
    picker->showDropDown();
    const QList<FlatButton*> buttons = picker->dropDownForm()->footer()->buttons();
    ASSERT_EQ(buttons.size(), 4);
    QStringList leftToRight;
    QList<FlatButton*> sorted = buttons;
    std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    for (auto* b : sorted)
        leftToRight << b->button().caption;
    EXPECT_EQ(leftToRight, QStringList({"List", "Disc", "Cube", "Spect"}));
    const QRect footer = picker->dropDownForm()->footer()->rect();
    EXPECT_EQ(buttons[0]->geometry().right(), footer.right() - 2 - 12) << "beside the grip";
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(buttons[i]->geometry().right() + 1, buttons[i - 1]->x());

    QTest::mouseClick(buttons[1], Qt::LeftButton, {}, buttons[1]->rect().center());
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 1);
    EXPECT_TRUE(picker->droppedDown());
    EXPECT_EQ(picker->dropDownForm()->size(), QSize(184, 184));
    ASSERT_NE(picker->colorCubePanel(), nullptr);
    EXPECT_TRUE(picker->colorCubePanel()->isVisible());
    EXPECT_FALSE(picker->itemSelector()->isVisible());

    const struct
    {
        int button;
        QSize size;
    } sizes[] = {{0, {152, 198}}, {2, {167, 108}}};
    for (const auto& s : sizes) {
        auto* b = picker->dropDownForm()->footer()->buttons()[s.button];
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        EXPECT_EQ(picker->dropDownForm()->size(), s.size) << s.button;
    }
    picker->hideDropDown(false);
}

TEST(Picker, UserSizeIsKeptUntilTheStyleChanges)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->showDropDown();
    FooterBar* footer = picker->dropDownForm()->footer();
    const QPoint grip(footer->width() - 4, footer->height() - 4);
    EXPECT_TRUE(footer->inGrip(grip));
    EXPECT_FALSE(footer->inGrip(QPoint(footer->width() - 13, footer->height() - 4)));
    const QSize before = picker->dropDownForm()->size();
    QTest::mousePress(footer, Qt::LeftButton, {}, grip);
    QTest::mouseMove(footer, grip + QPoint(30, 40));
    QTest::mouseRelease(footer, Qt::LeftButton, {}, grip + QPoint(30, 40));
    const QSize dragged = picker->dropDownForm()->size();
    EXPECT_EQ(dragged, before + QSize(30, 40));
    picker->hideDropDown(false);
    picker->showDropDown();
    EXPECT_EQ(picker->dropDownForm()->size(), dragged);
    picker->hideDropDown(false);

    picker->setColorSelectionStyle(ColorSelectionStyle::ColorCube);
    picker->setColorSelectionStyle(ColorSelectionStyle::List);
    picker->showDropDown();
    EXPECT_EQ(picker->dropDownForm()->size(), before);
    picker->hideDropDown(false);
}

TEST(Picker, ListWithoutFooterResizesByTheWindowsCorner)
{
    PickerHost host(false);
    ColorPickerDropDown* picker = host.picker;
    picker->addDefaultColors();
    picker->showDropDown();
    DropDownForm* form = picker->dropDownForm();
    const QSize before = form->size();
    const QPoint corner(form->width() - 3, form->height() - 3);
    QWidget* under = form->childAt(corner);
    ASSERT_NE(under, nullptr);
    const QPoint at = under->mapFrom(form, corner);
    QTest::mousePress(under, Qt::LeftButton, {}, at);
    QTest::mouseMove(under, at + QPoint(20, 30));
    QTest::mouseRelease(under, Qt::LeftButton, {}, at + QPoint(20, 30));
    EXPECT_EQ(form->size(), before + QSize(20, 30));
    EXPECT_TRUE(picker->droppedDown());

    // Elsewhere on the list a press still picks an entry.
    QTest::mousePress(picker->itemSelector()->selector(), Qt::LeftButton, {},
                      entryCentre(picker, 1));
    EXPECT_EQ(picker->itemIndex(), 1);
    EXPECT_FALSE(picker->droppedDown());
}

TEST(Picker, CubePickOfANamedColourRaisesTwiceAndClearsTheIndex)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->setColorSelectionStyle(ColorSelectionStyle::ColorCube);
    picker->showDropDown();
    ColorCubePanel* cube = picker->colorCubePanel();
    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
    QTest::mouseClick(cube, Qt::LeftButton, {}, cube->cubeCellCenter(118)); // #FF0000
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(picker->selectedColor(), kRed);
    EXPECT_EQ(picker->itemIndex(), -1);

    // Reopening shows the picker's colour as the cube's selection, without events.
    spy.clear();
    picker->showDropDown();
    EXPECT_EQ(cube->selectedIndex(), 118);
    EXPECT_EQ(cube->hotIndex(), -1);
    key(picker, Qt::Key_Return); // no cell marked by the keyboard: Enter only closes
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(spy.count(), 0);
}

TEST(Picker, SpectrumPickTakesTheHotColour)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->setColorSelectionStyle(ColorSelectionStyle::Spectrum);
    picker->showDropDown();
    ColorSpectrumPanel* panel = picker->spectrumPanel();
    EXPECT_EQ(picker->dropDownForm()->size(), QSize(152, 198));
    const QPoint p = panel->spectrumRect().topLeft() + QPoint(0, 64);
    QTest::mouseMove(panel, p);
    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
    QTest::mouseClick(panel, Qt::LeftButton, {}, p);
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(picker->selectedColor(),
              fromQColor(ColorSpectrumPanel::spectrumImage().pixelColor(0, 64)));
    EXPECT_EQ(spy.count(), 1);
}

TEST(Picker, PaletteStyleKeysFollowTheSelectionAndEscapeRestores)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->setColorSelectionStyle(ColorSelectionStyle::Discrete);
    picker->setSelectedColor(colorFromHex(0x1F497D));
    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
    picker->showDropDown();
    EXPECT_EQ(spy.count(), 0) << "showing the picker's colour in the palette is no pick";
    CustomColorSelector* palette = picker->colorSelector();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->itemIndex(), 3);
    EXPECT_EQ(palette->size(), QSize(165, 84));
    EXPECT_EQ(picker->dropDownForm()->size(), QSize(167, 108));

    key(picker, Qt::Key_Down);
    EXPECT_TRUE(picker->droppedDown());
    EXPECT_EQ(palette->itemIndex(), 13);
    EXPECT_EQ(picker->selectedColor(), colorFromHex(0xC2CEDA));
    EXPECT_EQ(picker->itemIndex(), -1);
    EXPECT_GE(spy.count(), 1);

    key(picker, Qt::Key_Escape);
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(picker->selectedColor(), colorFromHex(0x1F497D));
    EXPECT_EQ(palette->itemIndex(), 3);

    // Closed, the keys still walk the palette.
    key(picker, Qt::Key_Right);
    EXPECT_EQ(picker->selectedColor(), colorFromHex(0x4F81BD));
    EXPECT_FALSE(picker->droppedDown());

    // Open: the wheel makes a box hot, Enter picks it and closes.
    picker->showDropDown();
    wheel(picker->dropDownForm(), true);
    EXPECT_EQ(palette->itemHot(), 0);
    key(picker, Qt::Key_Return);
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(picker->selectedColor(), colorFromHex(0xFFFFFF));
}

TEST(Picker, ClosedListKeys)
{
    struct Case
    {
        const char* name;
        int start;
        Qt::Key key;
        int expected;
        int events;
    };
    const Case cases[] = {
        {"down on the last colour", 15, Qt::Key_Down, 15, 0},
        {"down", 3, Qt::Key_Down, 4, 1},
        {"down with none", -1, Qt::Key_Down, 0, 1},
        {"up with none", -1, Qt::Key_Up, 0, 1},
        {"up on the first colour", 0, Qt::Key_Up, 0, 0},
        {"left does nothing closed", 3, Qt::Key_Left, 3, 0},
        {"right does nothing closed", 3, Qt::Key_Right, 3, 0},
        {"home", 5, Qt::Key_Home, 0, 1},
        {"end", 5, Qt::Key_End, 15, 1},
        {"page down stops at the last", 14, Qt::Key_PageDown, 15, 1},
        {"page up stops at the first", 2, Qt::Key_PageUp, 0, 1},
    };
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    for (const Case& c : cases) {
        if (c.start >= 0)
            picker->setItemIndex(c.start);
        else
            picker->setSelectedColor(colorFromHex(0x123456));
        QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
        key(picker, c.key);
        EXPECT_EQ(picker->itemIndex(), c.expected) << c.name;
        EXPECT_EQ(spy.count(), c.events) << c.name;
        EXPECT_FALSE(picker->droppedDown()) << c.name;
    }
}

TEST(Picker, PageKeysMoveByTheRowsThatFit)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->showDropDown();
    const int rows = picker->itemSelector()->viewport()->height() /
                     picker->itemSelector()->selector()->itemSize().height();
    ASSERT_GT(rows, 1);
    picker->setItemIndex(0);
    key(picker, Qt::Key_PageDown);
    EXPECT_EQ(picker->itemIndex(), rows);
    EXPECT_TRUE(picker->droppedDown());
    key(picker, Qt::Key_End);
    EXPECT_EQ(picker->itemIndex(), 15);
    EXPECT_GT(picker->itemSelector()->verticalScrollBar()->value(), 0) << "scrolled into view";
    picker->hideDropDown(false);
}

TEST(Picker, OpenCloseKeysAndEnter)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    picker->setItemIndex(4);
    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);

    key(picker, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(picker->droppedDown());
    key(picker, Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(picker->droppedDown());
    key(picker, Qt::Key_F4);
    EXPECT_TRUE(picker->droppedDown());
    key(picker, Qt::Key_Down);
    key(picker, Qt::Key_F4); // closes accepting: the moved selection stays
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(picker->itemIndex(), 5);
    EXPECT_EQ(spy.count(), 1);

    spy.clear();
    key(picker, Qt::Key_Return); // closed: raises colorSelected
    EXPECT_EQ(spy.count(), 1);

    // Open without a hot entry: closes and raises.
    spy.clear();
    picker->showDropDown();
    key(picker, Qt::Key_Return);
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(spy.count(), 1);

    // Open with a hot entry: selects it and closes.
    spy.clear();
    picker->showDropDown();
    wheel(picker->dropDownForm(), true);
    wheel(picker->dropDownForm(), true);
    EXPECT_EQ(picker->itemSelector()->selector()->hotIndex(), 7);
    EXPECT_EQ(picker->itemIndex(), 5) << "the open wheel moves only the hot entry";
    key(picker, Qt::Key_Return);
    EXPECT_FALSE(picker->droppedDown());
    EXPECT_EQ(picker->itemIndex(), 7);
    EXPECT_EQ(spy.count(), 1);
}

TEST(Picker, ClosedEnterAndEscapeGoToTheDialogsButtons)
{
    QDialog dialog;
    auto* picker = new ColorPickerDropDown(&dialog);
    configureLikeColourDialog(*picker);
    picker->setGeometry(10, 10, 245, 21);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setGeometry(10, 40, 80, 24);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    picker->setFocus();
    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
    QTest::keyClick(picker, Qt::Key_Return);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()) << "Escape on a closed picker reaches the dialog";

    // Outside a dialog Qt presses no default button: the picker keeps Enter.
    PickerHost host;
    auto* plainDefault = new QPushButton(QStringLiteral("OK"), host.window.get());
    plainDefault->setGeometry(10, 40, 80, 24);
    plainDefault->setDefault(true);
    plainDefault->show();
    host.picker->setFocus();
    QSignalSpy plainSpy(host.picker, &ColorPickerDropDown::colorSelected);
    QTest::keyClick(host.picker, Qt::Key_Return);
    EXPECT_EQ(plainSpy.count(), 1);
}

TEST(Picker, WheelOnTheClosedListMovesTheSelection)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
    wheel(picker, true);
    EXPECT_EQ(picker->itemIndex(), 0);
    wheel(picker, true);
    EXPECT_EQ(picker->itemIndex(), 1);
    wheel(picker, false);
    wheel(picker, false);
    EXPECT_EQ(picker->itemIndex(), 0);
    EXPECT_EQ(spy.count(), 3);
}

TEST(Picker, IncrementalSearch)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    QSignalSpy spy(picker, &ColorPickerDropDown::colorSelected);
    typeChar(picker, 'b');
    EXPECT_EQ(picker->itemIndex(), 0) << "Black";
    EXPECT_EQ(picker->currentSearch(), QStringLiteral("B"));
    typeChar(picker, 'b');
    EXPECT_EQ(picker->currentSearch(), QStringLiteral("BB"));
    EXPECT_EQ(picker->itemIndex(), 0) << "BB matches nothing";
    EXPECT_EQ(spy.count(), 2) << "each search key raises, found or not";

    QTest::qWait(600);
    EXPECT_TRUE(picker->currentSearch().isEmpty());
    typeChar(picker, 'b');
    EXPECT_EQ(picker->itemIndex(), 12) << "Blue, the next B after the selected";

    // Wrapping round from a later selection; and the same within an open list.
    picker->findChild<QTimer*>(QStringLiteral("FKeyTimer"))->setInterval(0);
    QTest::qWait(20);
    picker->setItemIndex(14);
    picker->showDropDown();
    typeChar(picker, 'g');
    EXPECT_EQ(picker->itemIndex(), 2) << "Green, found from the first entry";
    EXPECT_TRUE(picker->droppedDown());
    picker->hideDropDown(false);
}

TEST(Picker, BeginEndUpdateRebuildsOnce)
{
    ColorPickerDropDown picker;
    picker.beginUpdate();
    picker.beginUpdate();
    picker.addDefaultColors();
    picker.endUpdate();
    EXPECT_TRUE(picker.itemSelector()->selector()->items().isEmpty());
    picker.endUpdate();
    EXPECT_EQ(picker.itemSelector()->selector()->items().size(), 16);
}

TEST(Picker, DestroyingAnOpenPickerIsQuiet)
{
    PickerHost host;
    host.picker->setSelectedColor(kRed);
    host.picker->showDropDown();
    QSignalSpy spy(host.picker, &ColorPickerDropDown::colorSelected);
    delete host.picker;
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(Picker, DisabledPickerDoesNotOpen)
{
    PickerHost host;
    host.picker->setEnabled(false);
    host.picker->showDropDown();
    EXPECT_FALSE(host.picker->droppedDown());
}

TEST(Picker, PanelWindowsCannotBeShrunkOverTheFooter)
{
    struct Case
    {
        ColorSelectionStyle style;
        QSize dragTo;  // where the user drags the grip
        QSize natural; // panel + frame + footer
    };
    const Case cases[] = {
        {ColorSelectionStyle::ColorCube, {124, 124}, {184, 184}},
        {ColorSelectionStyle::Spectrum, {104, 150}, {152, 198}},
        {ColorSelectionStyle::Discrete, {90, 60}, {167, 108}},
    };
    for (const Case& c : cases) {
        PickerHost host;
        ColorPickerDropDown* picker = host.picker;
        picker->setColorSelectionStyle(c.style);
        picker->showDropDown();
        DropDownForm* form = picker->dropDownForm();
        FooterBar* footer = form->footer();
        ASSERT_EQ(form->size(), c.natural) << int(c.style);
        const QPoint grip(footer->width() - 4, footer->height() - 4);
        const QPoint to = grip + QPoint(c.dragTo.width() - c.natural.width(),
                                        c.dragTo.height() - c.natural.height());
        QTest::mousePress(footer, Qt::LeftButton, {}, grip);
        QTest::mouseMove(footer, to);
        QTest::mouseRelease(footer, Qt::LeftButton, {}, to);
        EXPECT_EQ(form->size(), c.natural) << int(c.style);

        // Reopened, the footer is still on top: a press in the grip reaches the footer,
        // and each button is the widget under its own centre.
        picker->hideDropDown(false);
        picker->showDropDown();
        EXPECT_EQ(form->size(), c.natural) << int(c.style);
        EXPECT_EQ(form->childAt(footer->mapTo(form, grip)), footer) << int(c.style);
        for (FlatButton* b : footer->buttons())
            EXPECT_EQ(form->childAt(b->mapTo(form, b->rect().center())), b) << int(c.style);
        picker->hideDropDown(false);
    }
}

TEST(Picker, ClosedPaletteStepsFromThePickersColour)
{
    struct Case
    {
        const char* name;
        bool shownBefore; // the palette was shown once with another colour
        bool useWheel;
        bool down;
        Color expected;
    };
    const Case cases[] = {
        {"wheel down, palette never shown", false, true, true, colorFromHex(0x4F81BD)},
        {"wheel up, palette never shown", false, true, false, colorFromHex(0xEEECE1)},
        {"wheel down after another showing", true, true, true, colorFromHex(0x4F81BD)},
        {"key right after another showing", true, false, true, colorFromHex(0x4F81BD)},
    };
    for (const Case& c : cases) {
        PickerHost host;
        ColorPickerDropDown* picker = host.picker;
        picker->setColorSelectionStyle(ColorSelectionStyle::Discrete);
        if (c.shownBefore) {
            picker->setSelectedColor(colorFromHex(0xC0504D));
            picker->showDropDown();
            picker->hideDropDown(false);
        }
        picker->setSelectedColor(colorFromHex(0x1F497D));
        QList<Color> seen;
        QObject::connect(picker, &ColorPickerDropDown::colorSelected, picker,
                         [&] { seen << picker->selectedColor(); });
        if (c.useWheel)
            wheel(picker, c.down);
        else
            key(picker, c.down ? Qt::Key_Right : Qt::Key_Left);
        ASSERT_FALSE(seen.isEmpty()) << c.name;
        for (Color s : seen)
            EXPECT_EQ(s, c.expected) << c.name;
        EXPECT_FALSE(picker->droppedDown()) << c.name;
    }
}

TEST(Picker, StyleSwitchWhileOpenPlacesTheWindowAgain)
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(work);
    auto* picker = new ColorPickerDropDown(&window);
    configureLikeColourDialog(*picker);
    picker->setGeometry(0, work.height() - 60, 245, 21);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    picker->showDropDown();
    const QPoint top = picker->mapToGlobal(QPoint(0, 0));
    ASSERT_EQ(picker->dropDownForm()->frameGeometry().bottom() + 1, top.y()) << "opened above";
    for (ColorSelectionStyle s : {ColorSelectionStyle::Discrete, ColorSelectionStyle::ColorCube,
                                  ColorSelectionStyle::Spectrum, ColorSelectionStyle::List}) {
        picker->setColorSelectionStyle(s);
        const QRect g = picker->dropDownForm()->frameGeometry();
        EXPECT_EQ(g.bottom() + 1, top.y()) << "style " << int(s) << " stands on the picker";
        EXPECT_EQ(g.left(), top.x()) << int(s);
    }
    picker->hideDropDown(false);
}

TEST(Picker, ListScrollShowsTheSelectionOrStartsAtTheTop)
{
    auto entryVisible = [](ColorPickerDropDown* picker, int index) {
        const QRect r = picker->itemSelector()->selector()->items()[index].rect;
        const int top = picker->itemSelector()->verticalScrollBar()->value();
        const int height = picker->itemSelector()->viewport()->height();
        return r.top() >= top && r.bottom() < top + height;
    };
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    switchStyleFromFooter(picker);

    // Switched to the list while open, Fuchsia selected: Fuchsia is in view.
    picker->setColorSelectionStyle(ColorSelectionStyle::ColorCube);
    picker->setSelectedColor(colorFromHex(0xFF00FF));
    ASSERT_EQ(picker->itemIndex(), 13);
    picker->showDropDown();
    FlatButton* list = picker->dropDownForm()->footer()->buttons()[3];
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rect().center());
    ASSERT_EQ(picker->colorSelectionStyle(), ColorSelectionStyle::List);
    ASSERT_TRUE(picker->itemSelector()->isVisible());
    EXPECT_TRUE(entryVisible(picker, 13));
    EXPECT_GT(picker->itemSelector()->verticalScrollBar()->value(), 0);
    picker->hideDropDown(false);

    // Reopened with no named colour: the list starts at the top again.
    picker->setSelectedColor(colorFromHex(0x123456));
    ASSERT_EQ(picker->itemIndex(), -1);
    picker->showDropDown();
    EXPECT_EQ(picker->itemSelector()->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(entryVisible(picker, 0));
    picker->hideDropDown(false);
}

TEST(Picker, FooterClickMayReopenTheDropDown)
{
    PickerHost host;
    ColorPickerDropDown* picker = host.picker;
    QPointer<FlatButton> clicked;
    bool aliveAfterReopen = false;
    QObject::connect(picker, &ColorPickerDropDown::footerButtonClicked, picker, [&](int index) {
        clicked = picker->dropDownForm()->footer()->buttons()[index];
        picker->hideDropDown(false);
        picker->showDropDown(); // rebuilds the footer's buttons
        aliveAfterReopen = !clicked.isNull();
    });
    picker->showDropDown();
    FlatButton* b = picker->dropDownForm()->footer()->buttons()[2];
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    EXPECT_TRUE(aliveAfterReopen) << "the clicked button outlives its own click";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(clicked.isNull()) << "and goes afterwards";
    EXPECT_TRUE(picker->droppedDown());
    const QList<FlatButton*> buttons = picker->dropDownForm()->footer()->buttons();
    ASSERT_EQ(buttons.size(), 4);
    EXPECT_EQ(picker->dropDownForm()->footer()->findChildren<FlatButton*>().size(), 4);
    picker->hideDropDown(false);
}
