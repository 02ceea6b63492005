// What a screen reader finds in each window: every control it can focus has a name,
// the drop-downs and picture buttons by the names a user knows them by; and the
// colour dialog's preview words are reached with the keyboard.
#include "mainwindowfixture.h"

#include "colorpickerdropdown.h"
#include "dropdownform.h"
#include "fontdialog.h"
#include "uAbout102.h"
#include "uEditLandscapeTypeColor.h"
#include "uStringListEditor.h"

#include <QAccessible>
#include <QColorDialog>
#include <QDateEdit>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace tavelorn;

namespace {

// Focusable, showing controls without a name, found by walking the accessibility tree
// from root (so a pop-up counts only where a screen reader finds it).
void collectUnnamed(QAccessibleInterface* a, QStringList& out, int depth = 0)
{
    if (!a || depth > 40)
        return;
    const QAccessible::State s = a->state();
    if (s.invisible)
        return; // nor is anything inside it showing, a closed drop-down's list included
    if (s.focusable && a->text(QAccessible::Name).trimmed().isEmpty()) {
        const QObject* o = a->object();
        out << (o ? QString::fromLatin1(o->metaObject()->className()) + u' ' + o->objectName()
                  : QStringLiteral("role %1").arg(int(a->role())));
    }
    for (int i = 0; i < a->childCount(); ++i)
        collectUnnamed(a->child(i), out, depth + 1);
}

QStringList unnamedFocusable(QWidget* window)
{
    QStringList out;
    collectUnnamed(QAccessible::queryAccessibleInterface(window), out);
    return out;
}

QString nameOf(QObject* o)
{
    return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
}

void showActive(QWidget* w)
{
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

} // namespace

class AccessibleNames : public MainWindowTest
{
};

TEST_F(AccessibleNames, MainWindowControlsByLabelOrPurpose)
{
    open();
    const struct
    {
        QWidget* control;
        const char* name;
    } expected[] = {
        {ui->cbxID, "Profile"},
        {ui->cbxSystemTitle, "System Title"},
        {ui->cbxLandscapeType, "Position in the landscape"},
        {ui->cbxSID, "SID"},
        {ui->cbxSourceSystem, "Source System"},
        {ui->cbxRefreshComment, "Comment about the refresh"},
        {ui->bbtSystemTitle, "Edit the system titles"},
        {ui->bbtLandscapeType, "Edit the landscape positions"},
        {ui->bbtColors, "Assign color to system position"},
        {ui->bbtSID, "Edit the SIDs"},
        {ui->bbtImportantInfo1, "Font and alignment of line 1"},
        {ui->bbtImportantInfo2, "Font and alignment of line 2"},
        {ui->bbtImportantInfo3, "Font and alignment of line 3"},
        {ui->bbtRefreshComment, "Edit the refresh comments"},
        {ui->bbtAbout, "About"},
        {ui->bbtID_Save, "Save"},
        {ui->bbtID_Delete, "Delete"},
        {ui->BitBtn2, "Save picture"},
        {ui->bbtExit, "Quit"},
        {ui->dtRefreshDate, "Last refresh date"},
        {ui->ledtBorder, "Border"},
        {ui->udBorder, "Border"},
        {ui->ledtUsage1, "Usage description (Line 1)"},
        {ui->ledtInfo3, "Important information (Line 3)"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(nameOf(e.control), QString::fromUtf8(e.name))
            << e.control->objectName().toStdString();

    // A drop-down's label is its label for assistive technology too.
    const auto relations =
        QAccessible::queryAccessibleInterface(ui->cbxSystemTitle)->relations(QAccessible::Label);
    const bool labelled = std::any_of(relations.begin(), relations.end(), [&](const auto& r) {
        return r.first->object() == ui->lblSystemTitle_;
    });
    EXPECT_TRUE(labelled);

    // With "Last refresh" checked every control is enabled and none is unnamed.
    ui->chkRefreshDate->setChecked(true);
    EXPECT_EQ(unnamedFocusable(w.get()), QStringList());
}

// A chosen item is the drop-down's value, never its name: on Linux Qt names a combo box
// after its current text, so "Profile" became the profile's identifier and SID and
// Source System both read "QAS".
TEST_F(AccessibleNames, DropDownsKeepTheirNamesAndShowTheChoiceAsValue)
{
    open();
    pick(ui->cbxID, QStringLiteral("SAP ERP 6.0 EHP7__QAS__2024_03_03"));
    ASSERT_EQ(text(ui->cbxSID), QStringLiteral("QAS"));
    ASSERT_EQ(text(ui->cbxSourceSystem), QStringLiteral("PRD"));
    const struct
    {
        QComboBox* control;
        const char* name;
        const char* value;
    } expected[] = {
        {ui->cbxID, "Profile", "SAP ERP 6.0 EHP7__QAS__2024_03_03"},
        {ui->cbxSystemTitle, "System Title", "SAP ERP 6.0 EHP7"},
        {ui->cbxLandscapeType, "Position in the landscape", "QAS"},
        {ui->cbxSID, "SID", "QAS"},
        {ui->cbxSourceSystem, "Source System", "PRD"},
        {ui->cbxRefreshComment, "Comment about the refresh", "Copy of production"},
    };
    for (const auto& e : expected) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(e.control);
        const std::string what = e.control->objectName().toStdString();
        EXPECT_EQ(a->role(), QAccessible::ComboBox) << what;
        EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(e.name)) << what;
        EXPECT_EQ(a->text(QAccessible::Value), QString::fromUtf8(e.value)) << what;
        QAccessibleTextInterface* t = a->textInterface();
        ASSERT_NE(t, nullptr) << what << ": the value as text, where AT-SPI reads it";
        EXPECT_EQ(t->text(0, t->characterCount()), QString::fromUtf8(e.value)) << what;
    }
    // The label beside a drop-down labels it for assistive technology.
    const std::pair<QWidget*, QWidget*> labelled[] = {
        {w->findChild<QWidget*>(QStringLiteral("lblRefreshSrc")), ui->cbxSourceSystem},
        {ui->lblSystemTitle_, ui->cbxSystemTitle}};
    for (const auto& pair : labelled) {
        QWidget* const label = pair.first;
        QWidget* const control = pair.second;
        ASSERT_NE(label, nullptr);
        const auto relations =
            QAccessible::queryAccessibleInterface(control)->relations(QAccessible::Label);
        EXPECT_TRUE(std::any_of(relations.begin(), relations.end(), [&](const auto& r) {
            return r.first->object() == label;
        })) << control->objectName().toStdString();
    }

    // The empty first choice ("no source system") is a list item with a name too.
    ui->cbxSourceSystem->showPopup();
    QAbstractItemView* view = ui->cbxSourceSystem->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    QAccessibleInterface* combo = QAccessible::queryAccessibleInterface(ui->cbxSourceSystem);
    EXPECT_TRUE(combo->state().expanded);
    ASSERT_GE(combo->childCount(), 1);
    QAccessibleInterface* list = combo->child(0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->object(), view);
    QStringList names;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* a) {
        if (a->role() == QAccessible::ListItem || a->role() == QAccessible::Cell)
            names << a->text(QAccessible::Name);
        for (int i = 0; i < a->childCount(); ++i)
            walk(a->child(i));
    };
    walk(list);
    EXPECT_FALSE(names.isEmpty());
    EXPECT_FALSE(names.contains(QString())) << names.join(u'|').toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("(none)")));
    ui->cbxSourceSystem->hidePopup();

    // The window is a frame and its preview has a name.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.get())->role(), QAccessible::Window);
    EXPECT_EQ(nameOf(ui->pnlPreview), QStringLiteral("Picture preview"));
}

TEST_F(AccessibleNames, FontDialogColourButtonAndFaceEdit)
{
    PictureFontDialog dialog;
    showActive(&dialog);
    EXPECT_EQ(unnamedFocusable(&dialog), QStringList());
    auto* face = dialog.findChild<QFontComboBox*>();
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(nameOf(face), QStringLiteral("Face"));
    EXPECT_EQ(nameOf(face->lineEdit()), QStringLiteral("Face"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(face)->text(QAccessible::Value),
              face->currentText());
    auto* colour = dialog.findChild<QPushButton*>(QStringLiteral("color"));
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(nameOf(colour), QStringLiteral("Colour"))
        << "not its value " << colour->text().toStdString();
}

TEST_F(AccessibleNames, ListEditorAndAboutHaveNoUnnamedControl)
{
    TfrmStringListEditor editor;
    editor.setWindowTitle(QStringLiteral("System titles"));
    editor.setItems({QStringLiteral("SAP ERP 6.0"), QStringLiteral("SAP BW 7.5")});
    showActive(&editor);
    EXPECT_EQ(unnamedFocusable(&editor), QStringList());
    EXPECT_EQ(nameOf(editor.findChild<QWidget*>(QStringLiteral("ListBox"))),
              QStringLiteral("System titles"));
    EXPECT_EQ(nameOf(editor.findChild<QWidget*>(QStringLiteral("bbtTri"))),
              QStringLiteral("Trie la liste"));

    TfrmAbout102 about(UpdateInfoDownloads{}); // as when the site cannot be reached
    showActive(&about);
    EXPECT_EQ(unnamedFocusable(&about), QStringList());
    EXPECT_EQ(nameOf(AboutControls(&about).memNews), QStringLiteral("Version History"));
}

TEST_F(AccessibleNames, ColourDialogWithItsPickerOpen)
{
    TfrmEditLandscapeTypeColor dialog;
    dialog.setLandscapeTypes(
        {{QStringLiteral("DEV"), 0x008000}, {QStringLiteral("PRD"), 0x0000FF}});
    showActive(&dialog);
    const LandscapeColorsControls f(&dialog);
    f.ListBox->setCurrentRow(1);
    EXPECT_EQ(unnamedFocusable(&dialog), QStringList());
    EXPECT_EQ(nameOf(f.ListBox), QStringLiteral("Positions in the landscape"));

    QAccessibleInterface* picker = QAccessible::queryAccessibleInterface(f.ColorPickerDropDown);
    EXPECT_EQ(picker->role(), QAccessible::ComboBox);
    EXPECT_EQ(picker->text(QAccessible::Name), QStringLiteral("Color"));
    EXPECT_EQ(picker->text(QAccessible::Value), QStringLiteral("Red"));

    f.ColorPickerDropDown->setFocus();
    QTest::keyClick(f.ColorPickerDropDown, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(f.ColorPickerDropDown->droppedDown());
    EXPECT_EQ(unnamedFocusable(&dialog), QStringList());
    // The open pop-up is in the tree, its entries list items.
    QAccessibleInterface* popup = picker->child(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(popup->state().invisible);
    QStringList items;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* a) {
        if (a->role() == QAccessible::ListItem && !a->state().invisible)
            items << a->text(QAccessible::Name);
        for (int i = 0; i < a->childCount(); ++i)
            walk(a->child(i));
    };
    walk(popup);
    EXPECT_EQ(items.size(), 16);
    EXPECT_TRUE(items.contains(QStringLiteral("Red")));
    f.ColorPickerDropDown->hideDropDown(false);
}

TEST_F(AccessibleNames, PreviewWordIsATabStopThatOpensTheColourDialog)
{
    TfrmEditLandscapeTypeColor dialog;
    dialog.setLandscapeTypes({{QStringLiteral("DEV"), 0x008000}});
    showActive(&dialog);
    const LandscapeColorsControls f(&dialog);
    f.ListBox->setCurrentRow(0);
    f.ListBox->setFocus();
    // Tab: list, picker, the position's word, Cancel, OK; "SID" is no second stop.
    for (QWidget* next :
         {static_cast<QWidget*>(f.ColorPickerDropDown), static_cast<QWidget*>(f.lblLandscapeType),
          static_cast<QWidget*>(f.BitBtn1), static_cast<QWidget*>(f.BitBtn2)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    QAccessibleInterface* word = QAccessible::queryAccessibleInterface(f.lblLandscapeType);
    EXPECT_EQ(word->role(), QAccessible::Button);
    EXPECT_EQ(word->text(QAccessible::Name), QStringLiteral("Choose another color"));
    // The two words are told apart.
    EXPECT_EQ(nameOf(f.lblSID), QStringLiteral("Choose another color (SID)"));

    for (const Qt::Key k : {Qt::Key_Space, Qt::Key_Return}) {
        dialog.activateWindow(); // the colour dialog took it
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        f.lblLandscapeType->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.lblLandscapeType->hasFocus(); }));
        bool shown = false;
        whenModal<QColorDialog>([&](QColorDialog* cd) {
            shown = true;
            cd->setCurrentColor(QColor(0x11, 0x22, 0x33));
            cd->accept();
        });
        QTest::keyClick(f.lblLandscapeType, k);
        EXPECT_TRUE(shown) << "key " << k;
        EXPECT_TRUE(dialog.isVisible()) << "Enter on the word is not OK";
        EXPECT_EQ(dialog.landscapeTypes()[0].color, 0x332211);
    }
}

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}
