// What assistive technology sees of the picker (a combo box with its colour's name as
// value, the open drop-down's entries as list items), and the keyboard in the panels and
// the footer, so that every style can be used without a mouse.
#include "colorcubepanel.h"
#include "colorspectrumpanel.h"
#include "customcolorselector.h"
#include "dropdownform.h"
#include "itemselector.h"
#include "pickerfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

using namespace ColorPicker;
using namespace tavelorn;

namespace {

QAccessibleInterface* iface(QObject* o)
{
    return QAccessible::queryAccessibleInterface(o);
}

// The first interface under root, depth first, that matches.
QAccessibleInterface* find(QAccessibleInterface* root,
                           const std::function<bool(QAccessibleInterface*)>& match)
{
    if (!root)
        return nullptr;
    if (match(root))
        return root;
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* hit = find(root->child(i), match))
            return hit;
    return nullptr;
}

// Switches styles from the footer as the colour dialog does.
void followFooter(TColorPickerDropDown* picker)
{
    QObject::connect(picker, &TColorPickerDropDown::OnDropDownFooterButtonClick, picker,
                     [picker](int i) {
                         static constexpr TColorSelectionStyle styles[] = {csSpectrum, csColorCube,
                                                                           csDiscrete, csList};
                         if (i >= 0 && i < 4)
                             picker->setColorSelectionStyle(styles[i]);
                     });
}

void key(TColorPickerDropDown* picker, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    // Keys go where the desktop sends them: to what has the focus in the open pop-up.
    QWidget* target = picker;
    if (QWidget* popup = QApplication::activePopupWidget())
        target = popup->focusWidget() ? popup->focusWidget() : popup;
    QTest::keyClick(target, k, m);
}

} // namespace

TEST(PickerAccessible, ComboBoxWhoseValueIsTheColourName)
{
    PickerHost host;
    QAccessibleInterface* a = iface(host.picker);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::ComboBox);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Color")) << "named without a host";
    host.picker->setAccessibleName(QStringLiteral("Position color"));
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Position color"));
    EXPECT_TRUE(a->state().focusable);
    EXPECT_TRUE(a->state().collapsed);

    const struct
    {
        const char* what;
        std::function<void(TColorPickerDropDown*)> act;
        const char* value;
    } cases[] = {
        {"no colour", [](auto*) {}, ""},
        {"a named colour", [](auto* p) { p->setSelectedColor(colorFromHex(0xFF0000)); }, "Red"},
        {"a colour without name", [](auto* p) { p->setSelectedColor(colorFromHex(0x123456)); },
         "#123456"},
        // A panel's pick leaves no named colour selected, but the value still has one.
        {"a panel's pick of a named colour",
         [](auto* p) {
             p->setSelectedColor(colorFromHex(0x0000FF));
             p->setItemIndex(-1);
         },
         "Blue"},
    };
    for (const auto& c : cases) {
        c.act(host.picker);
        EXPECT_EQ(a->text(QAccessible::Value), QString::fromLatin1(c.value)) << c.what;
        QAccessibleTextInterface* text = a->textInterface();
        ASSERT_NE(text, nullptr) << "the value as text, where AT-SPI reads it";
        EXPECT_EQ(text->text(0, text->characterCount()), QString::fromLatin1(c.value)) << c.what;
    }
}

TEST(PickerAccessible, OpenDropDownIsTheChildWithItsEntriesAsListItems)
{
    PickerHost host;
    host.picker->setSelectedColor(colorFromHex(0xFF0000));
    QAccessibleInterface* a = iface(host.picker);
    ASSERT_EQ(a->childCount(), 1);
    QAccessibleInterface* popup = a->child(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->object(), host.picker->DropDownForm());
    EXPECT_EQ(popup->parent(), a);
    EXPECT_EQ(a->indexOfChild(popup), 0);
    EXPECT_TRUE(popup->state().invisible) << "closed";

    host.picker->ShowDropDown();
    ASSERT_TRUE(host.picker->DroppedDown());
    EXPECT_TRUE(a->state().expanded);
    EXPECT_FALSE(popup->state().invisible);
    QAccessibleInterface* list =
        find(popup, [](QAccessibleInterface* i) { return i->role() == QAccessible::List; });
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->childCount(), 16);
    TCustomItemSelector* selector = host.picker->ItemSelector()->Selector();
    for (int i = 0; i < 16; ++i) {
        QAccessibleInterface* entry = list->child(i);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->role(), QAccessible::ListItem);
        EXPECT_EQ(entry->text(QAccessible::Name), host.picker->Colors()[i].Caption);
        EXPECT_EQ(entry->parent(), list);
        EXPECT_EQ(list->indexOfChild(entry), i);
        EXPECT_EQ(entry->state().selected, i == 9) << i;
        const QRect local = selector->Items()[i].Rect;
        EXPECT_EQ(entry->rect(), QRect(selector->mapToGlobal(local.topLeft()), local.size()));
        EXPECT_EQ(list->childAt(entry->rect().center().x(), entry->rect().center().y()), entry);
    }
    EXPECT_EQ(list->focusChild(), list->child(9));

    // The footer: four buttons that can be pressed.
    QStringList captions;
    for (TFlatButton* b : host.picker->DropDownForm()->Footer()->Buttons()) {
        QAccessibleInterface* button = iface(b);
        EXPECT_EQ(button->role(), QAccessible::Button);
        EXPECT_TRUE(button->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        captions << button->text(QAccessible::Name);
    }
    EXPECT_EQ(captions, (QStringList{"Spect", "Cube", "Disc", "List"}));

    // Pressing an entry picks it as a click does and closes the drop-down.
    QSignalSpy selected(host.picker, &TColorPickerDropDown::OnSelect);
    list->child(12)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(host.picker->SelectedColor(), colorFromHex(0x0000FF));
    EXPECT_FALSE(host.picker->DroppedDown());
    EXPECT_GE(selected.count(), 1);
}

TEST(PickerAccessible, ComboBoxActionOpensAndFooterActionSwitchesStyle)
{
    PickerHost host;
    followFooter(host.picker);
    QAccessibleInterface* a = iface(host.picker);
    a->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    ASSERT_TRUE(host.picker->DroppedDown());
    TFlatButton* cube = host.picker->DropDownForm()->Footer()->Buttons()[1];
    iface(cube)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(host.picker->ColorSelectionStyle(), csColorCube);
    EXPECT_TRUE(host.picker->DroppedDown());
    QAccessibleInterface* panel = iface(host.picker->ColorCubePanel());
    EXPECT_EQ(panel->text(QAccessible::Name), QStringLiteral("Color honeycomb"));
    a->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_FALSE(host.picker->DroppedDown());
}

// The palette's and the honeycomb's cells are list items named by their colour, the
// one under the keyboard's mark focused (the arrow keys announce it; the accessibility
// walk hears that over AT-SPI), and the spectrum's value follows its mark.
TEST(PickerAccessible, PanelCellsAreListItemsAndArrowMovesAreAnnounced)
{
    PickerHost host;
    followFooter(host.picker);
    const struct
    {
        TColorSelectionStyle style;
        int cells;
        const char* firstCell;
    } panels[] = {
        {csDiscrete, 60, "#FFFFFF"},
        {csColorCube, 127, "#003366"},
    };
    for (const auto& p : panels) {
        host.picker->setColorSelectionStyle(p.style);
        host.picker->ShowDropDown();
        ASSERT_TRUE(host.picker->DroppedDown());
        QWidget* panel = p.style == csDiscrete
                             ? static_cast<QWidget*>(host.picker->ColorSelector())
                             : static_cast<QWidget*>(host.picker->ColorCubePanel());
        ASSERT_NE(panel, nullptr);
        QAccessibleInterface* list = iface(panel);
        EXPECT_EQ(list->role(), QAccessible::List) << p.style;
        ASSERT_EQ(list->childCount(), p.cells) << p.style;
        QAccessibleInterface* first = list->child(0);
        EXPECT_EQ(first->role(), QAccessible::ListItem);
        EXPECT_EQ(first->text(QAccessible::Name), QString::fromLatin1(p.firstCell));
        EXPECT_EQ(first->parent(), list);
        EXPECT_EQ(list->indexOfChild(first), 0);
        EXPECT_EQ(list->childAt(first->rect().center().x(), first->rect().center().y()), first);

        key(host.picker, Qt::Key_Right);
        key(host.picker, Qt::Key_Right);
        QAccessibleInterface* current = list->focusChild();
        ASSERT_NE(current, nullptr) << p.style << ": the keyboard's cell";
        EXPECT_TRUE(current->state().focused);
        EXPECT_GT(list->indexOfChild(current), 0) << p.style << ": two steps from the start";
        EXPECT_EQ(list->text(QAccessible::Value), current->text(QAccessible::Name)) << p.style;
        host.picker->HideDropDown(true);
    }

    host.picker->setColorSelectionStyle(csSpectrum);
    host.picker->ShowDropDown();
    TColorSpectrumPanel* spectrum = host.picker->SpectrumPanel();
    key(host.picker, Qt::Key_Right);
    key(host.picker, Qt::Key_Down);
    ASSERT_TRUE(spectrum->KeyboardHot());
    EXPECT_EQ(iface(spectrum)->text(QAccessible::Value),
              toQColor(spectrum->HotColor()).name().toUpper());
    host.picker->HideDropDown(true);
}

TEST(PickerAccessible, StyleButtonsNamedForWhatTheySwitchTo)
{
    PickerHost host;
    TFooterAppearance footer = host.picker->DropDownFooter();
    const QStringList names{"Spectrum", "Color honeycomb", "Theme colors", "Named colors"};
    for (int i = 0; i < footer.Buttons.size() && i < names.size(); ++i)
        footer.Buttons[i].AccessibleName = names[i];
    host.picker->setDropDownFooter(footer);
    host.picker->ShowDropDown();
    QStringList seen;
    for (TFlatButton* b : host.picker->DropDownForm()->Footer()->Buttons())
        seen << iface(b)->text(QAccessible::Name);
    EXPECT_EQ(seen, names);
    host.picker->HideDropDown(true);
}

TEST(PickerKeyboard, CubeArrowsWalkTheHoneycombAndEnterPicks)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csColorCube);
    host.picker->ShowDropDown();
    ASSERT_TRUE(host.picker->DroppedDown());
    TColorCubePanel* cube = host.picker->ColorCubePanel();
    ASSERT_NE(cube, nullptr);
    EXPECT_FALSE(cube->KeyboardHot());

    // Row 7 holds cells 58 to 70, row 6 cells 46 to 57 and row 8 cells 71 to 82, their
    // centres half a cell left and right of row 7's: Up goes up-left, Down down-right,
    // so that Up then Down comes back.
    const struct
    {
        Qt::Key key;
        int hot;
    } steps[] = {
        {Qt::Key_Right, 64}, // the first key shows the white centre cell
        {Qt::Key_Right, 65}, {Qt::Key_Left, 64}, {Qt::Key_Up, 51},
        {Qt::Key_Down, 64},  {Qt::Key_Down, 77}, {Qt::Key_Up, 64},
    };
    for (const auto& s : steps) {
        key(host.picker, s.key);
        EXPECT_EQ(cube->HotIndex(), s.hot) << "after key " << s.key;
        EXPECT_TRUE(cube->KeyboardHot());
    }
    // The ends of a row and the top row hold the mark.
    for (int i = 0; i < 8; ++i)
        key(host.picker, Qt::Key_Right);
    EXPECT_EQ(cube->HotIndex(), 70);
    for (int i = 0; i < 8; ++i)
        key(host.picker, Qt::Key_Up);
    EXPECT_GE(cube->HotIndex(), 1);
    EXPECT_LE(cube->HotIndex(), 7) << "the top row";
    const int top = cube->HotIndex();
    key(host.picker, Qt::Key_Up);
    EXPECT_EQ(cube->HotIndex(), top);

    QSignalSpy selected(host.picker, &TColorPickerDropDown::OnSelect);
    const Color want = cube->CubeCellColor(top);
    key(host.picker, Qt::Key_Return);
    EXPECT_EQ(host.picker->SelectedColor(), want);
    EXPECT_FALSE(host.picker->DroppedDown());
    EXPECT_GE(selected.count(), 1);

    // Reopened on that colour, the first key starts from its cell.
    host.picker->ShowDropDown();
    key(host.picker, Qt::Key_Down);
    EXPECT_EQ(cube->HotIndex(), top);
    host.picker->HideDropDown(false);
}

TEST(PickerKeyboard, CubeEnterWithoutKeyboardMarkOnlyCloses)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csColorCube);
    host.picker->setSelectedColor(colorFromHex(0x123456));
    host.picker->ShowDropDown();
    TColorCubePanel* cube = host.picker->ColorCubePanel();
    // The pointer makes a cell hot, not the keyboard.
    QTest::mouseMove(cube, cube->CubeCellCenter(20) + QPoint(1, 1));
    QTest::mouseMove(cube, cube->CubeCellCenter(20));
    ASSERT_EQ(cube->HotIndex(), 20);
    key(host.picker, Qt::Key_Return);
    EXPECT_FALSE(host.picker->DroppedDown());
    EXPECT_EQ(host.picker->SelectedColor(), colorFromHex(0x123456));
}

TEST(PickerKeyboard, SpectrumArrowsMoveThePointAndEnterPicks)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csSpectrum);
    host.picker->setSelectedColor(colorFromHex(0xFF0000));
    host.picker->ShowDropDown();
    TColorSpectrumPanel* spectrum = host.picker->SpectrumPanel();
    ASSERT_NE(spectrum, nullptr);

    key(host.picker, Qt::Key_Right);
    ASSERT_TRUE(spectrum->KeyboardHot());
    const QPoint start = spectrum->KeyboardPoint();
    // The picture's purest red: its left column, mid-height.
    EXPECT_LE(start.x(), 1);
    EXPECT_NEAR(start.y(), 64, 2);
    const QColor startColour = toQColor(spectrum->HotColor());
    EXPECT_GT(startColour.red(), 240);
    EXPECT_LT(startColour.green() + startColour.blue(), 30);

    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        QPoint move;
    } steps[] = {
        {Qt::Key_Right, Qt::NoModifier, {4, 0}},    {Qt::Key_Down, Qt::NoModifier, {0, 4}},
        {Qt::Key_Right, Qt::ShiftModifier, {1, 0}}, {Qt::Key_Up, Qt::ShiftModifier, {0, -1}},
        {Qt::Key_Left, Qt::NoModifier, {-4, 0}},
    };
    QPoint expected = start;
    for (const auto& s : steps) {
        key(host.picker, s.key, s.mods);
        expected += s.move;
        EXPECT_EQ(spectrum->KeyboardPoint(), expected);
        // The hot colour is the picture's pixel under the point.
        EXPECT_EQ(toQColor(spectrum->HotColor()).rgb(),
                  TColorSpectrumPanel::SpectrumImage().pixel(expected) | 0xFF000000u);
    }
    // Held at the picture's edges.
    for (int i = 0; i < 40; ++i)
        key(host.picker, Qt::Key_Left);
    EXPECT_EQ(spectrum->KeyboardPoint().x(), 0);

    const Color want = spectrum->HotColor();
    QSignalSpy selected(host.picker, &TColorPickerDropDown::OnSelect);
    key(host.picker, Qt::Key_Enter);
    EXPECT_EQ(host.picker->SelectedColor(), want);
    EXPECT_FALSE(host.picker->DroppedDown());
    EXPECT_GE(selected.count(), 1);
}

TEST(PickerKeyboard, PaletteArrowsAndEnter)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(csDiscrete);
    host.picker->ShowDropDown();
    key(host.picker, Qt::Key_Right); // the first box
    key(host.picker, Qt::Key_Down);  // a row down: the first tint of white
    EXPECT_EQ(host.picker->SelectedColor(), colorFromHex(0xF2F2F2));
    EXPECT_TRUE(host.picker->DroppedDown()) << "keys choose without closing";
    key(host.picker, Qt::Key_Return);
    EXPECT_FALSE(host.picker->DroppedDown());
    EXPECT_EQ(host.picker->SelectedColor(), colorFromHex(0xF2F2F2));
}

TEST(PickerKeyboard, TabReachesTheFooterButtonsLeftToRight)
{
    PickerHost host;
    followFooter(host.picker);
    host.picker->ShowDropDown();
    ASSERT_TRUE(host.picker->DroppedDown());
    const QList<TFlatButton*> buttons = host.picker->DropDownForm()->Footer()->Buttons();
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        key(host.picker, Qt::Key_Tab);
        auto* b = qobject_cast<TFlatButton*>(QApplication::focusWidget());
        ASSERT_NE(b, nullptr) << "Tab " << i + 1;
        order << b->Button().Caption;
    }
    EXPECT_EQ(order, (QStringList{"List", "Disc", "Cube", "Spect"}));
    // On "Spect": Space switches the open drop-down; the arrows then reach the panel.
    key(host.picker, Qt::Key_Space);
    EXPECT_EQ(host.picker->ColorSelectionStyle(), csSpectrum);
    ASSERT_TRUE(host.picker->DroppedDown());
    key(host.picker, Qt::Key_Right);
    EXPECT_TRUE(host.picker->SpectrumPanel()->KeyboardHot());
    // Escape still cancels from a footer button.
    key(host.picker, Qt::Key_Escape);
    EXPECT_FALSE(host.picker->DroppedDown());
}
