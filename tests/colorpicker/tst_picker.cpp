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

using namespace ColorPicker;
using namespace tavelorn;

namespace {

constexpr Color kRed = colorFromHex(0xFF0000);

// Keys go where the desktop sends them: to the open pop-up, else to the picker.
void key(TColorPickerDropDown* picker, Qt::Key k, Qt::KeyboardModifiers mods = {})
{
    QWidget* target = QApplication::activePopupWidget();
    QTest::keyClick(target ? target : static_cast<QWidget*>(picker), k, mods);
}

void typeChar(TColorPickerDropDown* picker, char c)
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
void switchStyleFromFooter(TColorPickerDropDown* picker)
{
    QObject::connect(
        picker, &TColorPickerDropDown::OnDropDownFooterButtonClick, picker, [picker](int index) {
            const TColorSelectionStyle styles[] = {csSpectrum, csColorCube, csDiscrete, csList};
            picker->setColorSelectionStyle(styles[index]);
        });
}

QPoint entryCentre(TColorPickerDropDown* picker, int index)
{
    return picker->ItemSelector()->Selector()->Items()[index].Rect.center();
}

} // namespace

TEST(Picker, StartsEmptyAndAddDefaultColorsFillsTheSixteenNames)
{
    TColorPickerDropDown picker;
    EXPECT_EQ(picker.SelectedColor(), kColorNone);
    EXPECT_EQ(picker.ItemIndex(), -1);
    EXPECT_TRUE(picker.Colors().isEmpty());
    EXPECT_EQ(picker.ColorSelectionStyle(), csList);
    picker.AddColor(QStringLiteral("Mine"), colorFromHex(0x123456));
    picker.AddDefaultColors();
    ASSERT_EQ(picker.Colors().size(), 16);
    EXPECT_EQ(picker.Colors()[0].Caption, QStringLiteral("Black"));
    EXPECT_EQ(picker.Colors()[9].Caption, QStringLiteral("Red"));
    EXPECT_EQ(picker.Colors()[9].Color, kRed);
    EXPECT_EQ(picker.Colors()[13].Caption, QStringLiteral("Fuchsia"));
    EXPECT_EQ(picker.Colors()[13].Color, colorFromHex(0xFF00FF));
    EXPECT_EQ(picker.Colors()[15].Color, colorFromHex(0xFFFFFF));
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
        TColorPickerDropDown picker;
        picker.AddDefaultColors();
        QSignalSpy spy(&picker, &TColorPickerDropDown::OnSelect);
        for (const Step& s : c.steps) {
            spy.clear();
            if (s.op == SetColor)
                picker.setSelectedColor(s.value);
            else
                picker.setItemIndex(s.value);
            EXPECT_EQ(picker.ItemIndex(), s.index) << c.name;
            EXPECT_EQ(picker.SelectedColor(), s.color) << c.name;
            EXPECT_EQ(spy.count(), s.events) << c.name;
        }
    }
}

TEST(Picker, NamedSystemColoursAreComparedByTheirCurrentValue)
{
    TColorPickerDropDown picker;
    picker.AddColor(QStringLiteral("Text"), kColorWindowText);
    picker.AddDefaultColors();
    picker.AddColor(QStringLiteral("Text"), kColorWindowText);
    picker.setSelectedColor(colorFromHex(0x000000));
    EXPECT_EQ(picker.ItemIndex(), 0);
    picker.setItemIndex(16);
    EXPECT_EQ(picker.SelectedColor(), kColorWindowText) << "an item's colour is taken as stored";
}

TEST(Picker, FaceText)
{
    struct Case
    {
        TColorValueText mode;
        Color color;
        const char* text;
    };
    const Case cases[] = {
        {cvtNone, colorFromHex(0xFF8000), ""},
        {cvtHex, colorFromHex(0xFF8000), "0080FF"},
        {cvtRGB, colorFromHex(0xFF8000), "Red:255,Green:128,Blue:0"},
        {cvtHTML, colorFromHex(0xFF8000), "#FF8000"},
        {cvtHTML, kColorWindowText, "#000000"},
        {cvtWebName, colorFromHex(0xFF8000), "#FF8000"},
        {cvtWebName, colorFromHex(0xFF7F50), "coral"},
    };
    for (const Case& c : cases) {
        TColorPickerDropDown picker;
        picker.setColorValueText(c.mode);
        picker.setSelectedColor(c.color);
        EXPECT_EQ(picker.FaceText(), QString::fromLatin1(c.text)) << c.text;
    }

    TColorPickerDropDown picker;
    picker.AddDefaultColors();
    picker.setColorValueText(cvtHTML);
    picker.setSelectedColor(kRed);
    EXPECT_EQ(picker.FaceText(), QStringLiteral("Red"));
    picker.setColorSelectionStyle(csColorCube);
    EXPECT_EQ(picker.FaceText(), QStringLiteral("#FF0000")) << "names show in the list style only";
}

TEST(Picker, FacePaintsBoxAndTextOnlyWithAColour)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
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
    EXPECT_EQ(textPixels, 0) << "no text for an unnamed colour with cvtNone";

    picker->setFocus();
    face = picker->grab().toImage();
    EXPECT_EQ(face.pixel(4, 4), picker->palette().color(QPalette::Highlight).rgb());
}

TEST(Picker, OpeningTheListSizesAndPlacesTheWindow)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->setSelectedColor(kRed);
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(50, 10));
    ASSERT_TRUE(picker->DroppedDown());
    TDropDownForm* form = picker->DropDownForm();
    EXPECT_TRUE(form->windowFlags() & Qt::Popup);
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    const int scroll = form->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(form->size(), QSize(206 + scroll, 200)) << "widened for the scroll bar";
    const QPoint top = picker->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(form->pos(), QPoint(top.x(), top.y() + 21 - 1));
    EXPECT_EQ(picker->ItemSelector()->Selector()->ItemIndex(), 9);
    EXPECT_EQ(picker->DropDownForm()->Footer()->geometry(),
              QRect(1, 200 - 1 - 22, 204 + scroll, 22));

    // Entries: 2 pixels in, touching, sized to the widest caption and the box.
    const auto& items = picker->ItemSelector()->Selector()->Items();
    EXPECT_EQ(items[0].Rect.topLeft(), QPoint(2, 2));
    EXPECT_EQ(items[1].Rect.top(), items[0].Rect.bottom() + 1);
    EXPECT_GE(items[0].Rect.height(), 14 + 8);
    const QFontMetrics fm(TItemAppearance::defaultFont());
    EXPECT_EQ(items[0].Rect.width(), 4 + 14 + 4 + fm.horizontalAdvance("Fuchsia") + 4 + 4);

    picker->HideDropDown(false);
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(picker->ItemIndex(), 9);
}

TEST(Picker, PlacementAgainstTheScreen)
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case
    {
        const char* name;
        TDropPosition position;
        QPoint at; // picker's top-left inside its window at the screen's top-left
        bool above;
        bool shifted;
    };
    const Case cases[] = {
        {"room below", dpAuto, {0, 0}, false, false},
        {"no room below", dpAuto, {0, work.height() - 60}, true, false},
        {"always above", dpUp, {0, 0}, true, false},
        {"always below", dpDown, {0, work.height() - 60}, false, false},
        {"past the right edge", dpAuto, {work.width() - 100, 0}, false, true},
    };
    for (const Case& c : cases) {
        QWidget window(nullptr, Qt::FramelessWindowHint);
        window.setGeometry(work);
        auto* picker = new TColorPickerDropDown(&window);
        configureLikeColourDialog(*picker);
        picker->setGeometry(QRect(c.at, QSize(245, 21)));
        picker->setDropPosition(c.position);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        picker->ShowDropDown();
        const QRect g = picker->DropDownForm()->frameGeometry();
        const QPoint top = picker->mapToGlobal(QPoint(0, 0));
        if (c.above)
            EXPECT_EQ(g.bottom() + 1, top.y()) << c.name;
        else
            EXPECT_EQ(g.top(), top.y() + 20) << c.name;
        if (c.shifted)
            EXPECT_EQ(g.right(), work.right()) << c.name;
        else
            EXPECT_EQ(g.left(), top.x()) << c.name;
        picker->HideDropDown(false);
    }
}

TEST(Picker, ClickingOutsideTheListRestoresTheColourOfTheOpening)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->setSelectedColor(kRed);
    picker->ShowDropDown();
    ASSERT_TRUE(picker->DroppedDown());
    key(picker, Qt::Key_Down); // the keyboard moves the selection and raises at once
    EXPECT_EQ(picker->ItemIndex(), 10);
    EXPECT_TRUE(picker->DroppedDown());

    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
    // A click on the picker itself, through the window system as a user's would come:
    // the pop-up goes, and the same click must not open it again.
    QTest::mouseClick(host.window->windowHandle(), Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(picker->ItemIndex(), 9);
    EXPECT_EQ(picker->SelectedColor(), kRed);
    EXPECT_EQ(spy.count(), 1);
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_FALSE(picker->DroppedDown()) << "within 250 ms of losing activation";
    QTest::qWait(300);
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_TRUE(picker->DroppedDown());
    picker->HideDropDown(false);
}

TEST(Picker, CancelWithoutANamedColourKeepsTheColour)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->setSelectedColor(colorFromHex(0x123456));
    picker->ShowDropDown();
    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
    key(picker, Qt::Key_Escape);
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(picker->ItemIndex(), -1);
    EXPECT_EQ(picker->SelectedColor(), colorFromHex(0x123456));
    EXPECT_EQ(spy.count(), 1);
}

TEST(Picker, PressingAnEntryPicksAndCloses)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->ShowDropDown();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker->DropDownForm()));
    TCustomItemSelector* list = picker->ItemSelector()->Selector();
    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
    QTest::mouseMove(list, entryCentre(picker, 2));
    EXPECT_EQ(list->HotIndex(), 2);
    QTest::mousePress(list, Qt::LeftButton, {}, entryCentre(picker, 2));
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(picker->ItemIndex(), 2);
    EXPECT_EQ(picker->SelectedColor(), colorFromHex(0x008000));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(picker->FaceText(), QStringLiteral("Green"));
}

TEST(Picker, FooterButtonsReadRightToLeftAndCubeSwitchesTheOpenWindow)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    switchStyleFromFooter(picker);
    QSignalSpy clicks(picker, &TColorPickerDropDown::OnDropDownFooterButtonClick);
    picker->ShowDropDown();
    const QList<TFlatButton*> buttons = picker->DropDownForm()->Footer()->Buttons();
    ASSERT_EQ(buttons.size(), 4);
    QStringList leftToRight;
    QList<TFlatButton*> sorted = buttons;
    std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    for (auto* b : sorted)
        leftToRight << b->Button().Caption;
    EXPECT_EQ(leftToRight, QStringList({"List", "Disc", "Cube", "Spect"}));
    const QRect footer = picker->DropDownForm()->Footer()->rect();
    EXPECT_EQ(buttons[0]->geometry().right(), footer.right() - 2 - 12) << "beside the grip";
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(buttons[i]->geometry().right() + 1, buttons[i - 1]->x());

    QTest::mouseClick(buttons[1], Qt::LeftButton, {}, buttons[1]->rect().center());
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 1);
    EXPECT_TRUE(picker->DroppedDown());
    EXPECT_EQ(picker->DropDownForm()->size(), QSize(184, 184));
    ASSERT_NE(picker->ColorCubePanel(), nullptr);
    EXPECT_TRUE(picker->ColorCubePanel()->isVisible());
    EXPECT_FALSE(picker->ItemSelector()->isVisible());

    const struct
    {
        int button;
        QSize size;
    } sizes[] = {{0, {152, 198}}, {2, {167, 108}}};
    for (const auto& s : sizes) {
        auto* b = picker->DropDownForm()->Footer()->Buttons()[s.button];
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        EXPECT_EQ(picker->DropDownForm()->size(), s.size) << s.button;
    }
    picker->HideDropDown(false);
}

TEST(Picker, UserSizeIsKeptUntilTheStyleChanges)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->ShowDropDown();
    TFooterBar* footer = picker->DropDownForm()->Footer();
    const QPoint grip(footer->width() - 4, footer->height() - 4);
    EXPECT_TRUE(footer->InGrip(grip));
    EXPECT_FALSE(footer->InGrip(QPoint(footer->width() - 13, footer->height() - 4)));
    const QSize before = picker->DropDownForm()->size();
    QTest::mousePress(footer, Qt::LeftButton, {}, grip);
    QTest::mouseMove(footer, grip + QPoint(30, 40));
    QTest::mouseRelease(footer, Qt::LeftButton, {}, grip + QPoint(30, 40));
    const QSize dragged = picker->DropDownForm()->size();
    EXPECT_EQ(dragged, before + QSize(30, 40));
    picker->HideDropDown(false);
    picker->ShowDropDown();
    EXPECT_EQ(picker->DropDownForm()->size(), dragged);
    picker->HideDropDown(false);

    picker->setColorSelectionStyle(csColorCube);
    picker->setColorSelectionStyle(csList);
    picker->ShowDropDown();
    EXPECT_EQ(picker->DropDownForm()->size(), before);
    picker->HideDropDown(false);
}

TEST(Picker, ListWithoutFooterResizesByTheWindowsCorner)
{
    PickerHost host(false);
    TColorPickerDropDown* picker = host.picker;
    picker->AddDefaultColors();
    picker->ShowDropDown();
    TDropDownForm* form = picker->DropDownForm();
    const QSize before = form->size();
    const QPoint corner(form->width() - 3, form->height() - 3);
    QWidget* under = form->childAt(corner);
    ASSERT_NE(under, nullptr);
    const QPoint at = under->mapFrom(form, corner);
    QTest::mousePress(under, Qt::LeftButton, {}, at);
    QTest::mouseMove(under, at + QPoint(20, 30));
    QTest::mouseRelease(under, Qt::LeftButton, {}, at + QPoint(20, 30));
    EXPECT_EQ(form->size(), before + QSize(20, 30));
    EXPECT_TRUE(picker->DroppedDown());

    // Elsewhere on the list a press still picks an entry.
    QTest::mousePress(picker->ItemSelector()->Selector(), Qt::LeftButton, {},
                      entryCentre(picker, 1));
    EXPECT_EQ(picker->ItemIndex(), 1);
    EXPECT_FALSE(picker->DroppedDown());
}

TEST(Picker, CubePickOfANamedColourRaisesTwiceAndClearsTheIndex)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->setColorSelectionStyle(csColorCube);
    picker->ShowDropDown();
    TColorCubePanel* cube = picker->ColorCubePanel();
    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
    QTest::mouseClick(cube, Qt::LeftButton, {}, cube->CubeCellCenter(118)); // #FF0000
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(picker->SelectedColor(), kRed);
    EXPECT_EQ(picker->ItemIndex(), -1);

    // Reopening shows the picker's colour as the cube's selection, without events.
    spy.clear();
    picker->ShowDropDown();
    EXPECT_EQ(cube->SelectedIndex(), 118);
    EXPECT_EQ(cube->HotIndex(), -1);
    key(picker, Qt::Key_Return); // no cell marked by the keyboard: Enter only closes
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(spy.count(), 0);
}

TEST(Picker, SpectrumPickTakesTheHotColour)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->setColorSelectionStyle(csSpectrum);
    picker->ShowDropDown();
    TColorSpectrumPanel* panel = picker->SpectrumPanel();
    EXPECT_EQ(picker->DropDownForm()->size(), QSize(152, 198));
    const QPoint p = panel->SpectrumRect().topLeft() + QPoint(0, 64);
    QTest::mouseMove(panel, p);
    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
    QTest::mouseClick(panel, Qt::LeftButton, {}, p);
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(picker->SelectedColor(),
              fromQColor(TColorSpectrumPanel::SpectrumImage().pixelColor(0, 64)));
    EXPECT_EQ(spy.count(), 1);
}

TEST(Picker, PaletteStyleKeysFollowTheSelectionAndEscapeRestores)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->setColorSelectionStyle(csDiscrete);
    picker->setSelectedColor(colorFromHex(0x1F497D));
    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
    picker->ShowDropDown();
    EXPECT_EQ(spy.count(), 0) << "showing the picker's colour in the palette is no pick";
    TCustomColorSelector* palette = picker->ColorSelector();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->ItemIndex(), 3);
    EXPECT_EQ(palette->size(), QSize(165, 84));
    EXPECT_EQ(picker->DropDownForm()->size(), QSize(167, 108));

    key(picker, Qt::Key_Down);
    EXPECT_TRUE(picker->DroppedDown());
    EXPECT_EQ(palette->ItemIndex(), 13);
    EXPECT_EQ(picker->SelectedColor(), colorFromHex(0xC2CEDA));
    EXPECT_EQ(picker->ItemIndex(), -1);
    EXPECT_GE(spy.count(), 1);

    key(picker, Qt::Key_Escape);
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(picker->SelectedColor(), colorFromHex(0x1F497D));
    EXPECT_EQ(palette->ItemIndex(), 3);

    // Closed, the keys still walk the palette.
    key(picker, Qt::Key_Right);
    EXPECT_EQ(picker->SelectedColor(), colorFromHex(0x4F81BD));
    EXPECT_FALSE(picker->DroppedDown());

    // Open: the wheel makes a box hot, Enter picks it and closes.
    picker->ShowDropDown();
    wheel(picker->DropDownForm(), true);
    EXPECT_EQ(palette->ItemHot(), 0);
    key(picker, Qt::Key_Return);
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(picker->SelectedColor(), colorFromHex(0xFFFFFF));
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
    TColorPickerDropDown* picker = host.picker;
    for (const Case& c : cases) {
        if (c.start >= 0)
            picker->setItemIndex(c.start);
        else
            picker->setSelectedColor(colorFromHex(0x123456));
        QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
        key(picker, c.key);
        EXPECT_EQ(picker->ItemIndex(), c.expected) << c.name;
        EXPECT_EQ(spy.count(), c.events) << c.name;
        EXPECT_FALSE(picker->DroppedDown()) << c.name;
    }
}

TEST(Picker, PageKeysMoveByTheRowsThatFit)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->ShowDropDown();
    const int rows = picker->ItemSelector()->viewport()->height() /
                     picker->ItemSelector()->Selector()->ItemSize().height();
    ASSERT_GT(rows, 1);
    picker->setItemIndex(0);
    key(picker, Qt::Key_PageDown);
    EXPECT_EQ(picker->ItemIndex(), rows);
    EXPECT_TRUE(picker->DroppedDown());
    key(picker, Qt::Key_End);
    EXPECT_EQ(picker->ItemIndex(), 15);
    EXPECT_GT(picker->ItemSelector()->verticalScrollBar()->value(), 0) << "scrolled into view";
    picker->HideDropDown(false);
}

TEST(Picker, OpenCloseKeysAndEnter)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    picker->setItemIndex(4);
    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);

    key(picker, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(picker->DroppedDown());
    key(picker, Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(picker->DroppedDown());
    key(picker, Qt::Key_F4);
    EXPECT_TRUE(picker->DroppedDown());
    key(picker, Qt::Key_Down);
    key(picker, Qt::Key_F4); // closes accepting: the moved selection stays
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(picker->ItemIndex(), 5);
    EXPECT_EQ(spy.count(), 1);

    spy.clear();
    key(picker, Qt::Key_Return); // closed: raises OnSelect
    EXPECT_EQ(spy.count(), 1);

    // Open without a hot entry: closes and raises.
    spy.clear();
    picker->ShowDropDown();
    key(picker, Qt::Key_Return);
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(spy.count(), 1);

    // Open with a hot entry: selects it and closes.
    spy.clear();
    picker->ShowDropDown();
    wheel(picker->DropDownForm(), true);
    wheel(picker->DropDownForm(), true);
    EXPECT_EQ(picker->ItemSelector()->Selector()->HotIndex(), 7);
    EXPECT_EQ(picker->ItemIndex(), 5) << "the open wheel moves only the hot entry";
    key(picker, Qt::Key_Return);
    EXPECT_FALSE(picker->DroppedDown());
    EXPECT_EQ(picker->ItemIndex(), 7);
    EXPECT_EQ(spy.count(), 1);
}

TEST(Picker, ClosedEnterAndEscapeGoToTheDialogsButtons)
{
    QDialog dialog;
    auto* picker = new TColorPickerDropDown(&dialog);
    configureLikeColourDialog(*picker);
    picker->setGeometry(10, 10, 245, 21);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setGeometry(10, 40, 80, 24);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    picker->setFocus();
    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
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
    QSignalSpy plainSpy(host.picker, &TColorPickerDropDown::OnSelect);
    QTest::keyClick(host.picker, Qt::Key_Return);
    EXPECT_EQ(plainSpy.count(), 1);
}

TEST(Picker, WheelOnTheClosedListMovesTheSelection)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
    wheel(picker, true);
    EXPECT_EQ(picker->ItemIndex(), 0);
    wheel(picker, true);
    EXPECT_EQ(picker->ItemIndex(), 1);
    wheel(picker, false);
    wheel(picker, false);
    EXPECT_EQ(picker->ItemIndex(), 0);
    EXPECT_EQ(spy.count(), 3);
}

TEST(Picker, IncrementalSearch)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    QSignalSpy spy(picker, &TColorPickerDropDown::OnSelect);
    typeChar(picker, 'b');
    EXPECT_EQ(picker->ItemIndex(), 0) << "Black";
    EXPECT_EQ(picker->CurrentSearch(), QStringLiteral("B"));
    typeChar(picker, 'b');
    EXPECT_EQ(picker->CurrentSearch(), QStringLiteral("BB"));
    EXPECT_EQ(picker->ItemIndex(), 0) << "BB matches nothing";
    EXPECT_EQ(spy.count(), 2) << "each search key raises, found or not";

    QTest::qWait(600);
    EXPECT_TRUE(picker->CurrentSearch().isEmpty());
    typeChar(picker, 'b');
    EXPECT_EQ(picker->ItemIndex(), 12) << "Blue, the next B after the selected";

    // Wrapping round from a later selection; and the same within an open list.
    picker->findChild<QTimer*>(QStringLiteral("FKeyTimer"))->setInterval(0);
    QTest::qWait(20);
    picker->setItemIndex(14);
    picker->ShowDropDown();
    typeChar(picker, 'g');
    EXPECT_EQ(picker->ItemIndex(), 2) << "Green, found from the first entry";
    EXPECT_TRUE(picker->DroppedDown());
    picker->HideDropDown(false);
}

TEST(Picker, BeginEndUpdateRebuildsOnce)
{
    TColorPickerDropDown picker;
    picker.BeginUpdate();
    picker.BeginUpdate();
    picker.AddDefaultColors();
    picker.EndUpdate();
    EXPECT_TRUE(picker.ItemSelector()->Selector()->Items().isEmpty());
    picker.EndUpdate();
    EXPECT_EQ(picker.ItemSelector()->Selector()->Items().size(), 16);
}

TEST(Picker, DestroyingAnOpenPickerIsQuiet)
{
    PickerHost host;
    host.picker->setSelectedColor(kRed);
    host.picker->ShowDropDown();
    QSignalSpy spy(host.picker, &TColorPickerDropDown::OnSelect);
    delete host.picker;
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(Picker, DisabledPickerDoesNotOpen)
{
    PickerHost host;
    host.picker->setEnabled(false);
    host.picker->ShowDropDown();
    EXPECT_FALSE(host.picker->DroppedDown());
}

TEST(Picker, PanelWindowsCannotBeShrunkOverTheFooter)
{
    struct Case
    {
        TColorSelectionStyle style;
        QSize dragTo;  // where the user drags the grip
        QSize natural; // panel + frame + footer
    };
    const Case cases[] = {
        {csColorCube, {124, 124}, {184, 184}},
        {csSpectrum, {104, 150}, {152, 198}},
        {csDiscrete, {90, 60}, {167, 108}},
    };
    for (const Case& c : cases) {
        PickerHost host;
        TColorPickerDropDown* picker = host.picker;
        picker->setColorSelectionStyle(c.style);
        picker->ShowDropDown();
        TDropDownForm* form = picker->DropDownForm();
        TFooterBar* footer = form->Footer();
        ASSERT_EQ(form->size(), c.natural) << c.style;
        const QPoint grip(footer->width() - 4, footer->height() - 4);
        const QPoint to = grip + QPoint(c.dragTo.width() - c.natural.width(),
                                        c.dragTo.height() - c.natural.height());
        QTest::mousePress(footer, Qt::LeftButton, {}, grip);
        QTest::mouseMove(footer, to);
        QTest::mouseRelease(footer, Qt::LeftButton, {}, to);
        EXPECT_EQ(form->size(), c.natural) << c.style;

        // Reopened, the footer is still on top: a press in the grip reaches the footer,
        // and each button is the widget under its own centre.
        picker->HideDropDown(false);
        picker->ShowDropDown();
        EXPECT_EQ(form->size(), c.natural) << c.style;
        EXPECT_EQ(form->childAt(footer->mapTo(form, grip)), footer) << c.style;
        for (TFlatButton* b : footer->Buttons())
            EXPECT_EQ(form->childAt(b->mapTo(form, b->rect().center())), b) << c.style;
        picker->HideDropDown(false);
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
        TColorPickerDropDown* picker = host.picker;
        picker->setColorSelectionStyle(csDiscrete);
        if (c.shownBefore) {
            picker->setSelectedColor(colorFromHex(0xC0504D));
            picker->ShowDropDown();
            picker->HideDropDown(false);
        }
        picker->setSelectedColor(colorFromHex(0x1F497D));
        QList<Color> seen;
        QObject::connect(picker, &TColorPickerDropDown::OnSelect, picker,
                         [&] { seen << picker->SelectedColor(); });
        if (c.useWheel)
            wheel(picker, c.down);
        else
            key(picker, c.down ? Qt::Key_Right : Qt::Key_Left);
        ASSERT_FALSE(seen.isEmpty()) << c.name;
        for (Color s : seen)
            EXPECT_EQ(s, c.expected) << c.name;
        EXPECT_FALSE(picker->DroppedDown()) << c.name;
    }
}

TEST(Picker, StyleSwitchWhileOpenPlacesTheWindowAgain)
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(work);
    auto* picker = new TColorPickerDropDown(&window);
    configureLikeColourDialog(*picker);
    picker->setGeometry(0, work.height() - 60, 245, 21);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    picker->ShowDropDown();
    const QPoint top = picker->mapToGlobal(QPoint(0, 0));
    ASSERT_EQ(picker->DropDownForm()->frameGeometry().bottom() + 1, top.y()) << "opened above";
    for (TColorSelectionStyle s : {csDiscrete, csColorCube, csSpectrum, csList}) {
        picker->setColorSelectionStyle(s);
        const QRect g = picker->DropDownForm()->frameGeometry();
        EXPECT_EQ(g.bottom() + 1, top.y()) << "style " << s << " stands on the picker";
        EXPECT_EQ(g.left(), top.x()) << s;
    }
    picker->HideDropDown(false);
}

TEST(Picker, ListScrollShowsTheSelectionOrStartsAtTheTop)
{
    auto entryVisible = [](TColorPickerDropDown* picker, int index) {
        const QRect r = picker->ItemSelector()->Selector()->Items()[index].Rect;
        const int top = picker->ItemSelector()->verticalScrollBar()->value();
        const int height = picker->ItemSelector()->viewport()->height();
        return r.top() >= top && r.bottom() < top + height;
    };
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    switchStyleFromFooter(picker);

    // Switched to the list while open, Fuchsia selected: Fuchsia is in view.
    picker->setColorSelectionStyle(csColorCube);
    picker->setSelectedColor(colorFromHex(0xFF00FF));
    ASSERT_EQ(picker->ItemIndex(), 13);
    picker->ShowDropDown();
    TFlatButton* list = picker->DropDownForm()->Footer()->Buttons()[3];
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rect().center());
    ASSERT_EQ(picker->ColorSelectionStyle(), csList);
    ASSERT_TRUE(picker->ItemSelector()->isVisible());
    EXPECT_TRUE(entryVisible(picker, 13));
    EXPECT_GT(picker->ItemSelector()->verticalScrollBar()->value(), 0);
    picker->HideDropDown(false);

    // Reopened with no named colour: the list starts at the top again.
    picker->setSelectedColor(colorFromHex(0x123456));
    ASSERT_EQ(picker->ItemIndex(), -1);
    picker->ShowDropDown();
    EXPECT_EQ(picker->ItemSelector()->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(entryVisible(picker, 0));
    picker->HideDropDown(false);
}

TEST(Picker, FooterClickMayReopenTheDropDown)
{
    PickerHost host;
    TColorPickerDropDown* picker = host.picker;
    QPointer<TFlatButton> clicked;
    bool aliveAfterReopen = false;
    QObject::connect(picker, &TColorPickerDropDown::OnDropDownFooterButtonClick, picker,
                     [&](int index) {
                         clicked = picker->DropDownForm()->Footer()->Buttons()[index];
                         picker->HideDropDown(false);
                         picker->ShowDropDown(); // rebuilds the footer's buttons
                         aliveAfterReopen = !clicked.isNull();
                     });
    picker->ShowDropDown();
    TFlatButton* b = picker->DropDownForm()->Footer()->Buttons()[2];
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    EXPECT_TRUE(aliveAfterReopen) << "the clicked button outlives its own click";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(clicked.isNull()) << "and goes afterwards";
    EXPECT_TRUE(picker->DroppedDown());
    const QList<TFlatButton*> buttons = picker->DropDownForm()->Footer()->Buttons();
    ASSERT_EQ(buttons.size(), 4);
    EXPECT_EQ(picker->DropDownForm()->Footer()->findChildren<TFlatButton*>().size(), 4);
    picker->HideDropDown(false);
}
