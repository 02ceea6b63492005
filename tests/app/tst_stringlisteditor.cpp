#include "uStringListEditor.h"

#include "modalwatchdog.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

struct Buttons
{
    bool replace, add, del, up, down;
    bool operator==(const Buttons&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Buttons& b)
{
    return os << "{replace " << b.replace << ", add " << b.add << ", delete " << b.del << ", up "
              << b.up << ", down " << b.down << "}";
}

class StringListEditorTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void open(const QStringList& items, int maxLength = 0)
    {
        dlg = std::make_unique<TfrmStringListEditor>();
        dlg->setItems(items);
        dlg->setMaxLength(maxLength);
        dlg->show();
        dlg->activateWindow(); // focus follows only in the active window
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        list = child<QListWidget>("ListBox");
        edit = child<QLineEdit>("Edit");
    }

    template <class T> T* child(const char* name) const
    {
        T* w = dlg->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }

    Buttons buttons() const
    {
        return {button("bbtRemplacer")->isEnabled(), button("bbtAjouter")->isEnabled(),
                button("bbtSupprimer")->isEnabled(), button("bbtMonter")->isEnabled(),
                button("bbtDescendre")->isEnabled()};
    }

    // Replaces the edit box's text by typing, as a user would.
    void type(const QString& text)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    void clickRow(int row)
    {
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }

    std::unique_ptr<TfrmStringListEditor> dlg;
    QListWidget* list = nullptr;
    QLineEdit* edit = nullptr;
};

TEST_F(StringListEditorTest, FormAtDesignSizeAndAnchoredWhenResized)
{
    open({"DEV"});
    EXPECT_EQ(dlg->size(), QSize(402, 381));
    EXPECT_EQ(dlg->minimumSize() + (dlg->frameGeometry().size() - dlg->size()), QSize(400, 220));

    struct Control
    {
        const char* name;
        QRect rect;
        QPoint shift;  // moved by the growth of the window, per axis 0 or 1
        QSize stretch; // grown by the growth of the window, per axis 0 or 1
        const char* caption;
        const char* hint;
    };
    const Control controls[] = {
        {"ListBox", {8, 8, 386, 249}, {0, 0}, {1, 1}, nullptr, nullptr},
        {"Edit", {8, 261, 386, 23}, {0, 1}, {1, 0}, nullptr, nullptr},
        {"bbtRemplacer",
         {8, 289, 89, 25},
         {0, 1},
         {0, 0},
         "&Remplacer",
         "Remplace l'élément sélectionné par le texte ci-dessus"},
        {"bbtAjouter",
         {104, 289, 89, 25},
         {0, 1},
         {0, 0},
         "Ajou&ter",
         "Ajoute un nouvel élément à la liste"},
        {"bbtSupprimer",
         {200, 289, 89, 25},
         {0, 1},
         {0, 0},
         "&Supprimer",
         "Supprime la ligne sélectionnée"},
        {"bbtTri", {313, 290, 25, 25}, {1, 1}, {0, 0}, "", "Trie la liste"},
        {"bbtMonter", {341, 290, 25, 25}, {1, 1}, {0, 0}, "", "Monte l'élément sélectionné"},
        {"bbtDescendre", {369, 290, 25, 25}, {1, 1}, {0, 0}, "", "Descend l'élément sélectionné"},
        {"bbtOk", {209, 337, 89, 33}, {1, 1}, {0, 0}, "O&K", "Valide les changements"},
        {"bbtCancel", {305, 337, 89, 33}, {1, 1}, {0, 0}, "&Annuler", "Annulle les modifications"},
    };
    for (const Control& c : controls) {
        QWidget* w = child<QWidget>(c.name);
        EXPECT_EQ(w->geometry(), c.rect) << c.name;
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(c.caption)) << c.name;
            EXPECT_EQ(b->toolTip(), QString::fromUtf8(c.hint)) << c.name;
            EXPECT_FALSE(b->icon().isNull()) << c.name;
        }
    }

    const int dw = 150, dh = -120;
    dlg->resize(402 + dw, 381 + dh);
    for (const Control& c : controls) {
        const QRect expected(c.rect.x() + c.shift.x() * dw, c.rect.y() + c.shift.y() * dh,
                             c.rect.width() + c.stretch.width() * dw,
                             c.rect.height() + c.stretch.height() * dh);
        EXPECT_EQ(child<QWidget>(c.name)->geometry(), expected) << c.name;
    }
}

TEST_F(StringListEditorTest, FontsTabOrderAndPictureSizes)
{
    open({"DEV"});
    for (QWidget* w : {static_cast<QWidget*>(list), static_cast<QWidget*>(edit)}) {
        const QFontInfo info(w->font());
        EXPECT_EQ(info.family(), "Liberation Mono");
        EXPECT_EQ(info.pixelSize(), 12);
    }
    EXPECT_EQ(dlg->font().pixelSize(), 11);

    const char* order[] = {"bbtRemplacer", "bbtAjouter", "bbtSupprimer", "bbtTri",  "bbtMonter",
                           "bbtDescendre", "bbtOk",      "bbtCancel",    "ListBox", "Edit"};
    const auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(nextTabStop(child<QWidget>(order[i])), child<QWidget>(order[i + 1])) << order[i];

    EXPECT_EQ(button("bbtSupprimer")->iconSize(), QSize(16, 16));
    EXPECT_EQ(button("bbtOk")->iconSize(), QSize(24, 24));
    EXPECT_EQ(button("bbtCancel")->iconSize(), QSize(24, 24));
    // The disabled picture is a grey one of its own.
    const QIcon icon = button("bbtAjouter")->icon();
    const QImage normal = icon.pixmap(QSize(16, 16), 1.0, QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage();
    const QColor centre = disabled.pixelColor(8, 8);
    EXPECT_NE(normal.pixelColor(8, 8), centre);
    EXPECT_EQ(centre.red(), centre.green());
    EXPECT_EQ(centre.green(), centre.blue());
}

TEST_F(StringListEditorTest, EmptyListStartsWithNothingToActOn)
{
    open({});
    EXPECT_EQ(dlg->selectedIndex(), -1);
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(buttons(), (Buttons{false, false, false, false, false}));
    EXPECT_TRUE(edit->hasFocus());

    type("   ");
    EXPECT_EQ(buttons(), (Buttons{false, false, false, false, false}));
    type("DEV");
    EXPECT_EQ(buttons(), (Buttons{false, true, false, false, false}));

    click("bbtAjouter");
    EXPECT_EQ(dlg->items(), QStringList{"DEV"});
    EXPECT_EQ(dlg->selectedIndex(), 0);
    EXPECT_EQ(edit->text(), "DEV");
    EXPECT_EQ(buttons(), (Buttons{false, false, true, false, false}));
}

// The edit rule after typing into the edit box, judged on the trimmed text.
struct EditCase
{
    const char* name;
    QStringList items;
    int select;
    QString typed;
    bool replace, add;
};

void PrintTo(const EditCase& c, std::ostream* os)
{
    *os << c.name;
}

class EditRuleTest : public StringListEditorTest, public ::testing::WithParamInterface<EditCase>
{
};

TEST_P(EditRuleTest, EnablesReplaceAndAdd)
{
    const EditCase& c = GetParam();
    open(c.items);
    if (c.select != 0)
        clickRow(c.select);
    ASSERT_EQ(dlg->selectedIndex(), c.select);
    const Buttons before = buttons();
    type(c.typed);
    const Buttons after = buttons();
    EXPECT_EQ(after.replace, c.replace);
    EXPECT_EQ(after.add, c.add);
    EXPECT_EQ(after.del, before.del);
    EXPECT_EQ(after.up, before.up);
    EXPECT_EQ(after.down, before.down);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditRuleTest,
    ::testing::Values(EditCase{"SameText", {"DEV", "QAS"}, 0, "DEV", false, false},
                      EditCase{"SameTextWithSpaces", {"DEV", "QAS"}, 0, "  DEV ", false, false},
                      EditCase{"OtherCaseOfSelected", {"DEV", "QAS"}, 0, "dev", true, false},
                      EditCase{"OtherCaseOfAnother", {"DEV", "QAS"}, 0, "qas", true, false},
                      EditCase{"NewText", {"DEV", "QAS"}, 1, " PRD", true, true},
                      EditCase{"BlankWithItems", {"DEV", "QAS"}, 0, "  ", true, true},
                      EditCase{"EmptyListBlank", {}, -1, " \t", false, false},
                      EditCase{"EmptyListText", {}, -1, "x", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StringListEditorTest, ActionsStoreTheTextAsTyped)
{
    open({"DEV", "QAS"});
    type("  PRD ");
    click("bbtAjouter");
    EXPECT_EQ(dlg->items(), (QStringList{"DEV", "QAS", "  PRD "}));
    EXPECT_EQ(dlg->selectedIndex(), 2);
    EXPECT_EQ(edit->text(), "  PRD ");
    EXPECT_EQ(buttons(), (Buttons{false, false, true, true, false}));

    clickRow(0);
    type("dev ");
    click("bbtRemplacer");
    EXPECT_EQ(dlg->items(), (QStringList{"dev ", "QAS", "  PRD "}));
    EXPECT_EQ(dlg->selectedIndex(), 0);
    EXPECT_EQ(buttons(), (Buttons{false, false, true, false, true}));
}

TEST_F(StringListEditorTest, UpAndDownAtTheEnds)
{
    open({"A", "B"});
    EXPECT_EQ(buttons(), (Buttons{false, false, true, false, true}));

    click("bbtDescendre");
    EXPECT_EQ(dlg->items(), (QStringList{"B", "A"}));
    EXPECT_EQ(dlg->selectedIndex(), 1);
    EXPECT_EQ(edit->text(), "A");
    EXPECT_EQ(buttons(), (Buttons{false, false, true, true, false}));

    // Typed text is dropped: the edit box shows the moved item again.
    type("X");
    click("bbtMonter");
    EXPECT_EQ(dlg->items(), (QStringList{"A", "B"}));
    EXPECT_EQ(dlg->selectedIndex(), 0);
    EXPECT_EQ(edit->text(), "A");
    EXPECT_EQ(buttons(), (Buttons{false, false, true, false, true}));
}

struct DeleteCase
{
    const char* name;
    QStringList items;
    int select;
    QStringList after;
    int selectedAfter;
    QString edit;
    Buttons buttons;
};

void PrintTo(const DeleteCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeleteTest : public StringListEditorTest, public ::testing::WithParamInterface<DeleteCase>
{
};

TEST_P(DeleteTest, SelectsThePreviousItem)
{
    const DeleteCase& c = GetParam();
    open(c.items);
    if (c.select != 0)
        clickRow(c.select);
    click("bbtSupprimer");
    EXPECT_EQ(dlg->items(), c.after);
    EXPECT_EQ(dlg->selectedIndex(), c.selectedAfter);
    EXPECT_EQ(edit->text(), c.edit);
    EXPECT_EQ(buttons(), c.buttons);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteTest,
    ::testing::Values(
        DeleteCase{
            "First", {"A", "B", "C"}, 0, {"B", "C"}, -1, "", {false, false, false, false, false}},
        DeleteCase{
            "Last", {"A", "B", "C"}, 2, {"A", "B"}, 1, "B", {false, false, true, true, false}},
        DeleteCase{
            "Middle", {"A", "B", "C"}, 1, {"A", "C"}, 0, "A", {false, false, true, false, true}},
        DeleteCase{"OnlyOne", {"A"}, 0, {}, -1, "", {false, false, false, false, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StringListEditorTest, WithoutSelectionOnlyANewTextCanBeAdded)
{
    open({"A", "B", "C"});
    click("bbtSupprimer");
    ASSERT_EQ(dlg->selectedIndex(), -1);

    type("b");
    EXPECT_EQ(buttons(), (Buttons{false, false, false, false, false}));
    type("  ");
    EXPECT_EQ(buttons(), (Buttons{false, false, false, false, false}));
    type("D");
    EXPECT_EQ(buttons(), (Buttons{false, true, false, false, false}));
    click("bbtAjouter");
    EXPECT_EQ(dlg->items(), (QStringList{"B", "C", "D"}));
    EXPECT_EQ(dlg->selectedIndex(), 2);

    // Sorting such a list keeps it without selection.
    click("bbtSupprimer");
    click("bbtSupprimer");
    type("a");
    click("bbtAjouter");
    clickRow(0);
    click("bbtSupprimer");
    ASSERT_EQ(dlg->items(), (QStringList{"a"}));
    ASSERT_EQ(dlg->selectedIndex(), -1);
    click("bbtTri");
    EXPECT_EQ(dlg->selectedIndex(), -1);
    type("z");
    EXPECT_EQ(buttons(), (Buttons{false, true, false, false, false}));
}

TEST_F(StringListEditorTest, SortIsOneLocaleOrderAndKeepsTheSelectedRow)
{
    open({"b", "Été", "B", "a", "ete", "f"});
    clickRow(3);
    type("typed");
    const Buttons before = buttons();

    click("bbtTri");
    // Case and accents aside the order is the French one; equal texts keep their order.
    EXPECT_EQ(dlg->items(), (QStringList{"a", "b", "B", "ete", "Été", "f"}));
    EXPECT_EQ(dlg->selectedIndex(), 3);
    EXPECT_EQ(edit->text(), "typed");
    EXPECT_EQ(buttons(), before);

    // The list is not kept sorted: Add appends at the end.
    type("c");
    click("bbtAjouter");
    EXPECT_EQ(dlg->items().last(), "c");
}

TEST_F(StringListEditorTest, KeysInTheListFollowTheSelection)
{
    open({"A", "B", "C"});
    list->setFocus();
    type("typed");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(dlg->selectedIndex(), 1);
    EXPECT_EQ(edit->text(), "B");
    EXPECT_EQ(buttons(), (Buttons{false, false, true, true, true}));
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(edit->text(), "C");
    EXPECT_EQ(buttons(), (Buttons{false, false, true, true, false}));

    // Shift+Tab back from the edit box: only the release lands in the list, and what
    // was typed stays.
    type("typed");
    QTest::keyPress(edit, Qt::Key_Shift);
    QTest::keyPress(edit, Qt::Key_Backtab, Qt::ShiftModifier);
    list->setFocus(Qt::BacktabFocusReason);
    QTest::keyRelease(list, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyRelease(list, Qt::Key_Shift);
    EXPECT_EQ(edit->text(), "typed");
    EXPECT_EQ(buttons(), (Buttons{true, true, true, true, false}));
}

TEST_F(StringListEditorTest, AccessKeysPressTheButtons)
{
    open({"A", "B"});
    type("C");
    // A shortcut presses its button visibly, so the click comes a moment later.
    QTest::keyClick(edit, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg->items().size() == 3; }));
    EXPECT_EQ(dlg->items(), (QStringList{"A", "B", "C"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg->items().size() == 2; }));
    EXPECT_EQ(dlg->items(), (QStringList{"A", "B"}));
    EXPECT_EQ(dlg->selectedIndex(), 1);
}

TEST_F(StringListEditorTest, LimitBoundsTypingNotTheShownItem)
{
    open({"LONGER"}, 3);
    EXPECT_EQ(edit->text(), "LONGER");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_X);
    EXPECT_EQ(edit->text(), "LONGER");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "LONGE");

    type("ABCD");
    EXPECT_EQ(edit->text(), "ABC");
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Z);
    EXPECT_EQ(edit->text(), "ABC");

    // A paste keeps what fits.
    type("A");
    QGuiApplication::clipboard()->setText("XYZW");
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "AXY");
}

// The limit is for typing: an item longer than it is shown whole however it is selected,
// so Replace has nothing to offer and cannot cut it.
TEST_F(StringListEditorTest, SelectedItemLongerThanTheLimitIsShownWhole)
{
    open({"AAA", "PRD01", "ZZZ"}, 3);
    const std::function<void()> selections[] = {
        [&] { clickRow(1); },
        [&] {
            clickRow(2);
            QTest::keyClick(list, Qt::Key_Up);
        },
    };
    for (const auto& select : selections) {
        clickRow(0);
        select();
        ASSERT_EQ(dlg->selectedIndex(), 1);
        EXPECT_EQ(edit->text(), "PRD01");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End);
        EXPECT_EQ(edit->text(), "PRD01");
        EXPECT_EQ(buttons(), (Buttons{false, false, true, true, true}));
    }
    // Typing stays bounded: the long text may shrink, not grow.
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_X);
    EXPECT_EQ(edit->text(), "PRD0");
}

// Alt with a letter presses the button of that access key or does nothing; it never
// types the letter, also when the button is disabled.
TEST_F(StringListEditorTest, AltWithALetterNeverTypes)
{
    open({});
    type("abc");
    ASSERT_EQ(buttons(), (Buttons{false, true, false, false, false}));
    for (Qt::Key key : {Qt::Key_R, Qt::Key_S, Qt::Key_X, Qt::Key_1}) {
        QTest::keyClick(edit, key, Qt::AltModifier);
        QTest::keyClick(edit, key, Qt::AltModifier | Qt::ShiftModifier);
    }
    QTest::qWait(50);
    EXPECT_EQ(edit->text(), "abc");
    QTest::keyClick(edit, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg->items().size() == 1; }));
    EXPECT_EQ(dlg->items(), QStringList{"abc"});
}

// A single-selection list keeps its selected item: Control with a click or Space on it
// and a click below the last item do not take the selection away.
TEST_F(StringListEditorTest, SelectionIsNeverTakenAwayByTheUser)
{
    open({"A", "B", "C"});
    const std::function<void()> gestures[] = {
        [&] {
            const QRect r = list->visualItemRect(list->item(1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, r.center());
        },
        [&] {
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        },
        [&] {
            const QRect r = list->visualItemRect(list->item(2));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center() + QPoint(0, 60));
        },
    };
    for (const auto& gesture : gestures) {
        clickRow(1);
        gesture();
        EXPECT_EQ(dlg->selectedIndex(), 1);
        EXPECT_EQ(edit->text(), "B");
        EXPECT_EQ(buttons(), (Buttons{false, false, true, true, true}));
    }
    // Control with a click on another row still selects that row.
    const QRect r = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, r.center());
    EXPECT_EQ(dlg->selectedIndex(), 2);
    EXPECT_EQ(edit->text(), "C");
}

TEST_F(StringListEditorTest, EscapeDoesNotClose)
{
    open({"A"});
    QTest::keyClick(list, Qt::Key_Escape);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(dlg->isVisible());
    dlg->close(); // the close box
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), 2);
}

// Runs the editor modally and hands it to drive once it is up; whatever drive leaves
// open is cancelled so that a failing check cannot hang the test.
int runEditor(const QString& caption, QStringList& list, int maxLength,
              const std::function<void(TfrmStringListEditor*)>& drive)
{
    QTimer::singleShot(0, [drive] {
        auto* dlg = qobject_cast<TfrmStringListEditor*>(QApplication::activeModalWidget());
        EXPECT_NE(dlg, nullptr);
        if (!dlg)
            return;
        ModalWatchdog::claim(dlg);
        QPointer<TfrmStringListEditor> guard(dlg);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg));
        drive(dlg);
        if (guard && guard->isVisible())
            guard->done(99);
    });
    return ShowStringListEditor(caption, list, maxLength);
}

struct CloseCase
{
    const char* name;
    std::function<void(TfrmStringListEditor*)> close;
    int result;
    bool handedBack;
};

void PrintTo(const CloseCase& c, std::ostream* os)
{
    *os << c.name;
}

class CloseTest : public ::testing::TestWithParam<CloseCase>
{
};

TEST_P(CloseTest, OnlyOkHandsTheListBack)
{
    const CloseCase& c = GetParam();
    QStringList items{"DEV", "QAS", "PRD"};
    const int result = runEditor("SID", items, 0, [&](TfrmStringListEditor* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "SID");
        QTest::mouseClick(dlg->findChild<QPushButton*>("bbtDescendre"), Qt::LeftButton);
        QTest::mouseClick(dlg->findChild<QPushButton*>("bbtTri"), Qt::LeftButton);
        c.close(dlg);
    });
    EXPECT_EQ(result, c.result);
    const QStringList expected =
        c.handedBack ? QStringList{"DEV", "PRD", "QAS"} : QStringList{"DEV", "QAS", "PRD"};
    EXPECT_EQ(items, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CloseTest,
    ::testing::Values(CloseCase{"Ok",
                                [](TfrmStringListEditor* d) {
                                    QTest::mouseClick(d->findChild<QPushButton*>("bbtOk"),
                                                      Qt::LeftButton);
                                },
                                1, true},
                      CloseCase{"EnterInEditBox",
                                [](TfrmStringListEditor* d) {
                                    auto* edit = d->findChild<QLineEdit*>("Edit");
                                    QTest::keyClicks(edit, "x");
                                    QTest::keyClick(edit, Qt::Key_Return);
                                },
                                1, true},
                      CloseCase{"EnterInList",
                                [](TfrmStringListEditor* d) {
                                    QTest::keyClick(d->findChild<QListWidget*>("ListBox"),
                                                    Qt::Key_Enter);
                                },
                                1, true},
                      CloseCase{"EnterOnActionButton",
                                [](TfrmStringListEditor* d) {
                                    auto* b = d->findChild<QPushButton*>("bbtSupprimer");
                                    b->setFocus();
                                    QTest::keyClick(b, Qt::Key_Return);
                                },
                                1, true},
                      CloseCase{"Cancel",
                                [](TfrmStringListEditor* d) {
                                    QTest::mouseClick(d->findChild<QPushButton*>("bbtCancel"),
                                                      Qt::LeftButton);
                                },
                                2, false},
                      CloseCase{"CloseBox", [](TfrmStringListEditor* d) { d->close(); }, 2, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShowStringListEditorTest, EmptyCaptionGivesTheApplicationTitle)
{
    QStringList items;
    QString title;
    runEditor("", items, 0, [&](TfrmStringListEditor* dlg) {
        title = dlg->windowTitle();
        dlg->reject();
    });
    EXPECT_EQ(title, "Corvandel");
}

TEST(ShowStringListEditorTest, SidLimitOfThreeCharacters)
{
    QStringList items;
    const int result = runEditor("SID", items, 3, [&](TfrmStringListEditor* dlg) {
        auto* edit = dlg->findChild<QLineEdit*>("Edit");
        edit->setFocus();
        QTest::keyClicks(edit, "ABCD");
        EXPECT_EQ(edit->text(), "ABC");
        QTest::mouseClick(dlg->findChild<QPushButton*>("bbtAjouter"), Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(items, QStringList{"ABC"});
}

} // namespace

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}
