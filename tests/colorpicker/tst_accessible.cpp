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
void followFooter(ColorPickerDropDown* picker)
{
    QObject::connect(picker, &ColorPickerDropDown::footerButtonClicked, picker, [picker](int i) {
        static constexpr ColorSelectionStyle styles[] = {
            ColorSelectionStyle::Spectrum, ColorSelectionStyle::ColorCube,
            ColorSelectionStyle::Discrete, ColorSelectionStyle::List};
        if (i >= 0 && i < 4)
            picker->setColorSelectionStyle(styles[i]);
    });
}

void key(ColorPickerDropDown* picker, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
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
        std::function<void(ColorPickerDropDown*)> act;
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
    EXPECT_EQ(popup->object(), host.picker->dropDownForm());
    EXPECT_EQ(popup->parent(), a);
    EXPECT_EQ(a->indexOfChild(popup), 0);
    EXPECT_TRUE(popup->state().invisible) << "closed";

    host.picker->showDropDown();
    ASSERT_TRUE(host.picker->droppedDown());
    EXPECT_TRUE(a->state().expanded);
    EXPECT_FALSE(popup->state().invisible);
    QAccessibleInterface* list =
        find(popup, [](QAccessibleInterface* i) { return i->role() == QAccessible::List; });
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->childCount(), 16);
    CustomItemSelector* selector = host.picker->itemSelector()->selector();
    for (int i = 0; i < 16; ++i) {
        QAccessibleInterface* entry = list->child(i);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->role(), QAccessible::ListItem);
        EXPECT_EQ(entry->text(QAccessible::Name), host.picker->colors()[i].caption);
        EXPECT_EQ(entry->parent(), list);
        EXPECT_EQ(list->indexOfChild(entry), i);
        EXPECT_EQ(entry->state().selected, i == 9) << i;
        const QRect local = selector->items()[i].rect;
        EXPECT_EQ(entry->rect(), QRect(selector->mapToGlobal(local.topLeft()), local.size()));
        EXPECT_EQ(list->childAt(entry->rect().center().x(), entry->rect().center().y()), entry);
    }
    EXPECT_EQ(list->focusChild(), list->child(9));

    // The footer: four buttons that can be pressed.
    QStringList captions;
    for (FlatButton* b : host.picker->dropDownForm()->footer()->buttons()) {
        QAccessibleInterface* button = iface(b);
        EXPECT_EQ(button->role(), QAccessible::Button);
        EXPECT_TRUE(button->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        captions << button->text(QAccessible::Name);
    }
    EXPECT_EQ(captions, (QStringList{"Spect", "Cube", "Disc", "List"}));

    // Pressing an entry picks it as a click does and closes the drop-down.
    QSignalSpy selected(host.picker, &ColorPickerDropDown::colorSelected);
    list->child(12)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(host.picker->selectedColor(), colorFromHex(0x0000FF));
    EXPECT_FALSE(host.picker->droppedDown());
    EXPECT_GE(selected.count(), 1);
}

TEST(PickerAccessible, ComboBoxActionOpensAndFooterActionSwitchesStyle)
{
    PickerHost host;
    followFooter(host.picker);
    QAccessibleInterface* a = iface(host.picker);
    a->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    ASSERT_TRUE(host.picker->droppedDown());
    FlatButton* cube = host.picker->dropDownForm()->footer()->buttons()[1];
    iface(cube)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(host.picker->colorSelectionStyle(), ColorSelectionStyle::ColorCube);
    EXPECT_TRUE(host.picker->droppedDown());
    QAccessibleInterface* panel = iface(host.picker->colorCubePanel());
    EXPECT_EQ(panel->text(QAccessible::Name), QStringLiteral("Color honeycomb"));
    a->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_FALSE(host.picker->droppedDown());
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
        ColorSelectionStyle style;
        int cells;
        const char* firstCell;
    } panels[] = {
        {ColorSelectionStyle::Discrete, 60, "#FFFFFF"},
        {ColorSelectionStyle::ColorCube, 127, "#003366"},
    };
    for (const auto& p : panels) {
        host.picker->setColorSelectionStyle(p.style);
        host.picker->showDropDown();
        ASSERT_TRUE(host.picker->droppedDown());
        QWidget* panel = p.style == ColorSelectionStyle::Discrete
                             ? static_cast<QWidget*>(host.picker->colorSelector())
                             : static_cast<QWidget*>(host.picker->colorCubePanel());
        ASSERT_NE(panel, nullptr);
        QAccessibleInterface* list = iface(panel);
        EXPECT_EQ(list->role(), QAccessible::List) << int(p.style);
        ASSERT_EQ(list->childCount(), p.cells) << int(p.style);
        QAccessibleInterface* first = list->child(0);
        EXPECT_EQ(first->role(), QAccessible::ListItem);
        EXPECT_EQ(first->text(QAccessible::Name), QString::fromLatin1(p.firstCell));
        EXPECT_EQ(first->parent(), list);
        EXPECT_EQ(list->indexOfChild(first), 0);
        EXPECT_EQ(list->childAt(first->rect().center().x(), first->rect().center().y()), first);

        key(host.picker, Qt::Key_Right);
        key(host.picker, Qt::Key_Right);
        QAccessibleInterface* current = list->focusChild();
        ASSERT_NE(current, nullptr) << int(p.style) << ": the keyboard's cell";
        EXPECT_TRUE(current->state().focused);
        EXPECT_GT(list->indexOfChild(current), 0) << int(p.style) << ": two steps from the start";
        EXPECT_EQ(list->text(QAccessible::Value), current->text(QAccessible::Name)) << int(p.style);
        host.picker->hideDropDown(true);
    }

    host.picker->setColorSelectionStyle(ColorSelectionStyle::Spectrum);
    host.picker->showDropDown();
    ColorSpectrumPanel* spectrum = host.picker->spectrumPanel();
    key(host.picker, Qt::Key_Right);
    key(host.picker, Qt::Key_Down);
    ASSERT_TRUE(spectrum->keyboardHot());
    EXPECT_EQ(iface(spectrum)->text(QAccessible::Value),
              paletteQColor(spectrum->hotColor()).name().toUpper());
    host.picker->hideDropDown(true);
}

TEST(PickerAccessible, StyleButtonsNamedForWhatTheySwitchTo)
{
    PickerHost host;
    FooterAppearance footer = host.picker->dropDownFooter();
    const QStringList names{"Spectrum", "Color honeycomb", "Theme colors", "Named colors"};
    for (int i = 0; i < footer.buttons.size() && i < names.size(); ++i)
        footer.buttons[i].accessibleName = names[i];
    host.picker->setDropDownFooter(footer);
    host.picker->showDropDown();
    QStringList seen;
    for (FlatButton* b : host.picker->dropDownForm()->footer()->buttons())
        seen << iface(b)->text(QAccessible::Name);
    EXPECT_EQ(seen, names);
    host.picker->hideDropDown(true);
}

TEST(PickerKeyboard, CubeArrowsWalkTheHoneycombAndEnterPicks)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(ColorSelectionStyle::ColorCube);
    host.picker->showDropDown();
    ASSERT_TRUE(host.picker->droppedDown());
    ColorCubePanel* cube = host.picker->colorCubePanel();
    ASSERT_NE(cube, nullptr);
    EXPECT_FALSE(cube->keyboardHot());

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
        EXPECT_EQ(cube->hotIndex(), s.hot) << "after key " << s.key;
        EXPECT_TRUE(cube->keyboardHot());
    }
    // The ends of a row and the top row hold the mark.
    for (int i = 0; i < 8; ++i)
        key(host.picker, Qt::Key_Right);
    EXPECT_EQ(cube->hotIndex(), 70);
    for (int i = 0; i < 8; ++i)
        key(host.picker, Qt::Key_Up);
    EXPECT_GE(cube->hotIndex(), 1);
    EXPECT_LE(cube->hotIndex(), 7) << "the top row";
    const int top = cube->hotIndex();
    key(host.picker, Qt::Key_Up);
    EXPECT_EQ(cube->hotIndex(), top);

    QSignalSpy selected(host.picker, &ColorPickerDropDown::colorSelected);
    const Color want = cube->cubeCellColor(top);
    key(host.picker, Qt::Key_Return);
    EXPECT_EQ(host.picker->selectedColor(), want);
    EXPECT_FALSE(host.picker->droppedDown());
    EXPECT_GE(selected.count(), 1);

    // Reopened on that colour, the first key starts from its cell.
    host.picker->showDropDown();
    key(host.picker, Qt::Key_Down);
    EXPECT_EQ(cube->hotIndex(), top);
    host.picker->hideDropDown(false);
}

TEST(PickerKeyboard, CubeEnterWithoutKeyboardMarkOnlyCloses)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(ColorSelectionStyle::ColorCube);
    host.picker->setSelectedColor(colorFromHex(0x123456));
    host.picker->showDropDown();
    ColorCubePanel* cube = host.picker->colorCubePanel();
    // The pointer makes a cell hot, not the keyboard.
    QTest::mouseMove(cube, cube->cubeCellCenter(20) + QPoint(1, 1));
    QTest::mouseMove(cube, cube->cubeCellCenter(20));
    ASSERT_EQ(cube->hotIndex(), 20);
    key(host.picker, Qt::Key_Return);
    EXPECT_FALSE(host.picker->droppedDown());
    EXPECT_EQ(host.picker->selectedColor(), colorFromHex(0x123456));
}

TEST(PickerKeyboard, SpectrumArrowsMoveThePointAndEnterPicks)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(ColorSelectionStyle::Spectrum);
    host.picker->setSelectedColor(colorFromHex(0xFF0000));
    host.picker->showDropDown();
    ColorSpectrumPanel* spectrum = host.picker->spectrumPanel();
    ASSERT_NE(spectrum, nullptr);

    key(host.picker, Qt::Key_Right);
    ASSERT_TRUE(spectrum->keyboardHot());
    const QPoint start = spectrum->keyboardPoint();
    // The picture's purest red: its left column, mid-height.
    EXPECT_LE(start.x(), 1);
    EXPECT_NEAR(start.y(), 64, 2);
    const QColor startColour = paletteQColor(spectrum->hotColor());
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
        EXPECT_EQ(spectrum->keyboardPoint(), expected);
        // The hot colour is the picture's pixel under the point.
        EXPECT_EQ(paletteQColor(spectrum->hotColor()).rgb(),
                  ColorSpectrumPanel::spectrumImage().pixel(expected) | 0xFF000000u);
    }
    // Held at the picture's edges.
    for (int i = 0; i < 40; ++i)
        key(host.picker, Qt::Key_Left);
    EXPECT_EQ(spectrum->keyboardPoint().x(), 0);

    const Color want = spectrum->hotColor();
    QSignalSpy selected(host.picker, &ColorPickerDropDown::colorSelected);
    key(host.picker, Qt::Key_Enter);
    EXPECT_EQ(host.picker->selectedColor(), want);
    EXPECT_FALSE(host.picker->droppedDown());
    EXPECT_GE(selected.count(), 1);
}

TEST(PickerKeyboard, PaletteArrowsAndEnter)
{
    PickerHost host;
    host.picker->setColorSelectionStyle(ColorSelectionStyle::Discrete);
    host.picker->showDropDown();
    key(host.picker, Qt::Key_Right); // the first box
    key(host.picker, Qt::Key_Down);  // a row down: the first tint of white
    EXPECT_EQ(host.picker->selectedColor(), colorFromHex(0xF2F2F2));
    EXPECT_TRUE(host.picker->droppedDown()) << "keys choose without closing";
    key(host.picker, Qt::Key_Return);
    EXPECT_FALSE(host.picker->droppedDown());
    EXPECT_EQ(host.picker->selectedColor(), colorFromHex(0xF2F2F2));
}

TEST(PickerKeyboard, TabReachesTheFooterButtonsLeftToRight)
{
    PickerHost host;
    followFooter(host.picker);
    host.picker->showDropDown();
    ASSERT_TRUE(host.picker->droppedDown());
    const QList<FlatButton*> buttons = host.picker->dropDownForm()->footer()->buttons();
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        key(host.picker, Qt::Key_Tab);
        auto* b = qobject_cast<FlatButton*>(QApplication::focusWidget());
        ASSERT_NE(b, nullptr) << "Tab " << i + 1;
        order << b->button().caption;
    }
    EXPECT_EQ(order, (QStringList{"List", "Disc", "Cube", "Spect"}));
    // On "Spect": Space switches the open drop-down; the arrows then reach the panel.
    key(host.picker, Qt::Key_Space);
    EXPECT_EQ(host.picker->colorSelectionStyle(), ColorSelectionStyle::Spectrum);
    ASSERT_TRUE(host.picker->droppedDown());
    key(host.picker, Qt::Key_Right);
    EXPECT_TRUE(host.picker->spectrumPanel()->keyboardHot());
    // Escape still cancels from a footer button.
    key(host.picker, Qt::Key_Escape);
    EXPECT_FALSE(host.picker->droppedDown());
}
