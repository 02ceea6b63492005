// The landscape position colour dialog, driven as the user drives it, and the main
// window's colours command that opens it.
#include "mainwindowfixture.h"
#include "uEditLandscapeTypeColor.h"

#include "colorcubepanel.h"
#include "colorpickerdropdown.h"
#include "configstore.h"
#include "customcolorselector.h"
#include "itemselector.h"

#include <QColorDialog>
#include <QFontInfo>
#include <QListWidget>
#include <QPointer>
#include <QStyle>

using namespace tavelorn;

namespace {

constexpr Color kRed = 0x0000FF;     // #FF0000
constexpr Color kGreen = 0x008000;   // #008000
constexpr Color kUnnamed = 0x563412; // #123456

using Dialog = TfrmEditLandscapeTypeColor;
using Drive = std::function<void(Dialog*)>;

const LandscapeTypeList kPositions{{"DEV", kGreen}, {"QAS", 0xFF0000}, {"PRD", kRed}};

void pinPalette()
{
    // The window-text colour is black, as in the default desktop scheme.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(QApplication::style()->standardPalette());
}

ColorPickerDropDown* picker(Dialog* d)
{
    return LandscapeColorsControls(d).ColorPickerDropDown;
}

// Clicks line row of the position list.
void select(Dialog* d, int row)
{
    QListWidget* list = LandscapeColorsControls(d).ListBox;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

// Opens the picker with a click and presses named colour index in its list.
void pickNamed(Dialog* d, int index)
{
    ColorPickerDropDown* p = picker(d);
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(40, 10));
    ASSERT_TRUE(p->droppedDown());
    ASSERT_EQ(p->colorSelectionStyle(), ColorSelectionStyle::List);
    CustomItemSelector* list = p->itemSelector()->selector();
    p->itemSelector()->ensureItemVisible(index);
    QTest::mousePress(list, Qt::LeftButton, {}, list->items()[index].rect.center());
    ASSERT_FALSE(p->droppedDown());
}

void clickFooter(Dialog* d, const char* caption)
{
    for (FlatButton* b : picker(d)->dropDownForm()->footer()->buttons())
        if (b->button().caption == QLatin1String(caption)) {
            QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
            return;
        }
    ADD_FAILURE() << "no footer button " << caption;
}

QColor wordColour(QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

// Whether the painted word holds pixels of exactly that colour (the cores of its strokes).
bool paintedIn(QLabel* label, const QColor& colour)
{
    const QImage image = label->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

// Runs f on the next modal widget of type T once it is up; f must close it.
template <class T> void whenModal(std::function<void(T*)> f)
{
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, f] {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!modal || !modal->isVisible()) {
            if (++*ticks < 500)
                return;
        } else {
            ModalWatchdog::claim(modal);
            f(modal);
        }
        timer->stop();
        timer->deleteLater();
    });
    timer->start(10);
}

// Calls EditLandscapeTypeColors on types and drives the dialog it opens with drive;
// whatever is left open is cancelled, so that a failing check cannot hang the test.
// Returns whether the dialog opened.
bool edit(LandscapeTypeList& types, const Drive& drive, QWidget* parent = nullptr)
{
    bool opened = false;
    whenModal<Dialog>([&](Dialog* d) {
        opened = true;
        QPointer<Dialog> alive(d);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(d));
        d->activateWindow();
        drive(d);
        if (alive && alive->isVisible())
            alive->done(Dialog::kResultCancel);
    });
    EditLandscapeTypeColors(types, parent);
    return opened;
}

class ColourDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { pinPalette(); }
};

TEST_F(ColourDialogTest, FormAsDesigned)
{
    QWidget owner;
    owner.setGeometry(40, 30, 600, 400); // inside the 800 x 600 offscreen screen
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    Dialog dialog(&owner);
    dialog.setLandscapeTypes(kPositions);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const LandscapeColorsControls ui(&dialog);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Assign color to system position"));
    EXPECT_EQ(dialog.size(), QSize(410, 234));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "fixed border";
    // Centred; the frame the platform adds only once shown may shift it a little.
    const QPoint offCentre = dialog.frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 4) << offCentre.x() << ", " << offCentre.y();

    const struct
    {
        QWidget* widget;
        QRect rect; // in the dialog's client area
    } controls[] = {
        {ui.ListBox, {8, 8, 141, 185}},   {ui.ColorPickerDropDown, {157, 8, 245, 21}},
        {ui.Shape, {157, 37, 245, 156}},  {ui.lblLandscapeType, {310 - 112, 86, 112, 39}},
        {ui.lblSID, {316, 86, 44, 39}},   {ui.BitBtn2, {240, 205, 75, 25}},
        {ui.BitBtn1, {331, 205, 75, 25}},
    };
    for (const auto& c : controls)
        EXPECT_EQ(QRect(c.widget->mapTo(&dialog, QPoint(0, 0)), c.widget->size()), c.rect)
            << c.widget->objectName().toStdString();

    // The preview words: the picture's face at 32 pixels, "SID" bold, the hand pointer,
    // the window-text colour, and the words fit their labels.
    for (QLabel* l : {ui.lblLandscapeType, ui.lblSID}) {
        const QFontInfo info(l->font());
        EXPECT_TRUE(info.family() == "Carlito" || info.family() == "Calibri")
            << info.family().toStdString();
        EXPECT_EQ(info.pixelSize(), 32);
        EXPECT_EQ(l->font().bold(), l == ui.lblSID);
        EXPECT_EQ(l->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(wordColour(l), QColor(Qt::black));
        EXPECT_LE(QFontMetrics(l->font()).horizontalAdvance(l->text()), l->width())
            << l->text().toStdString();
    }
    EXPECT_EQ(ui.lblLandscapeType->text(), QStringLiteral("WWWW"));
    EXPECT_EQ(ui.lblSID->text(), QStringLiteral("SID"));
    EXPECT_EQ(ui.Shape->palette().color(QPalette::Window), QColor(Qt::white));

    EXPECT_TRUE(ui.BitBtn2->isDefault());
    EXPECT_EQ(ui.BitBtn2->text(), QStringLiteral("OK"));
    EXPECT_EQ(ui.BitBtn1->text(), QStringLiteral("Cancel"));
    for (QPushButton* b : {ui.BitBtn2, ui.BitBtn1}) {
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_EQ(b->iconSize(), QSize(16, 16));
    }

    // Nothing selected; the picker without colour in the list style.
    EXPECT_EQ(dialog.selectedIndex(), -1);
    EXPECT_EQ(ui.ListBox->count(), 3);
    EXPECT_EQ(picker(&dialog)->selectedColor(), tavelorn::kColorNone);
    EXPECT_EQ(picker(&dialog)->colorSelectionStyle(), ColorSelectionStyle::List);

    // Focus in the list; Tab runs list, picker, the position's preview word, Cancel, OK.
    EXPECT_EQ(QApplication::focusWidget(), ui.ListBox);
    for (QWidget* next :
         {static_cast<QWidget*>(ui.ColorPickerDropDown), static_cast<QWidget*>(ui.lblLandscapeType),
          static_cast<QWidget*>(ui.BitBtn1), static_cast<QWidget*>(ui.BitBtn2),
          static_cast<QWidget*>(ui.ListBox)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(ColourDialogTest, ExitsHandBackTheChangesOnlyOnOk)
{
    enum Exit
    {
        Ok,
        CancelButton,
        Escape,
        CloseBox
    };
    const struct
    {
        const char* name;
        Exit exit;
    } cases[] = {{"OK", Ok}, {"Cancel", CancelButton}, {"Escape", Escape}, {"close box", CloseBox}};
    for (const auto& c : cases) {
        LandscapeTypeList types = kPositions;
        const bool opened = edit(types, [&](Dialog* d) {
            const LandscapeColorsControls form(d);
            select(d, 0);
            pickNamed(d, 9); // DEV Red
            select(d, 2);
            pickNamed(d, 12); // PRD Blue
            EXPECT_EQ(d->landscapeTypes()[0].color, kRed) << c.name;
            switch (c.exit) {
            case Ok:
                QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
                break;
            case CancelButton:
                QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
                break;
            case Escape:
                form.ListBox->setFocus();
                QTest::keyClick(form.ListBox, Qt::Key_Escape);
                break;
            case CloseBox:
                d->close();
                break;
            }
            EXPECT_FALSE(d->isVisible()) << c.name;
            EXPECT_EQ(d->result(), c.exit == Ok ? Dialog::kResultOk : Dialog::kResultCancel)
                << c.name;
        });
        ASSERT_TRUE(opened);
        if (c.exit == Ok)
            EXPECT_EQ(types,
                      (LandscapeTypeList{{"DEV", kRed}, {"QAS", 0xFF0000}, {"PRD", 0xFF0000}}));
        else
            EXPECT_EQ(types, kPositions) << c.name;
    }
}

TEST_F(ColourDialogTest, NothingChangesWithoutASelectedPosition)
{
    // An empty list: the picker, the preview words and the footer act on the picker alone.
    LandscapeTypeList none;
    edit(none, [](Dialog* d) {
        const LandscapeColorsControls form(d);
        EXPECT_EQ(form.ListBox->count(), 0);
        QTest::keyClick(form.ListBox, Qt::Key_Down);
        EXPECT_EQ(d->selectedIndex(), -1);
        pickNamed(d, 9);
        EXPECT_EQ(picker(d)->selectedColor(), kRed);
        QTest::mouseClick(form.lblSID, Qt::LeftButton);
        QTest::mouseClick(form.lblLandscapeType, Qt::LeftButton);
        EXPECT_EQ(d->colorDialog(), nullptr) << "no colour dialog without a position";
        EXPECT_EQ(wordColour(form.lblSID), QColor(Qt::black));
        picker(d)->showDropDown();
        clickFooter(d, "Cube");
        EXPECT_EQ(picker(d)->colorSelectionStyle(), ColorSelectionStyle::ColorCube);
        picker(d)->hideDropDown(false);
        EXPECT_TRUE(d->landscapeTypes().isEmpty());
        QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
    });
    EXPECT_TRUE(none.isEmpty());

    // Positions, but a colour chosen before any is selected.
    LandscapeTypeList types = kPositions;
    edit(types, [](Dialog* d) {
        const LandscapeColorsControls form(d);
        pickNamed(d, 9);
        EXPECT_EQ(d->landscapeTypes(), kPositions);
        EXPECT_EQ(form.lblLandscapeType->text(), QStringLiteral("WWWW"));
        select(d, 0); // then the position shows its own colour
        EXPECT_EQ(picker(d)->selectedColor(), kGreen);
        EXPECT_EQ(picker(d)->faceText(), QStringLiteral("Green"));
        QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
    });
    EXPECT_EQ(types, kPositions);
}

TEST_F(ColourDialogTest, SelectingAPositionShowsItsColour)
{
    const struct
    {
        const char* name;
        Color stored;
        Color after; // the element's colour once selected
        const char* face;
        QColor words;
    } cases[] = {
        {"a named colour", kRed, kRed, "Red", QColor(255, 0, 0)},
        {"a colour without name", kUnnamed, kUnnamed, "", QColor(0x12, 0x34, 0x56)},
        {"window text while black becomes plain black", kColorWindowText, 0, "Black", Qt::black},
    };
    for (const auto& c : cases) {
        Dialog dialog;
        dialog.setLandscapeTypes({{"QAS", 0x00FFFF}, {"Sandbox", c.stored}});
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        select(&dialog, 1);
        const LandscapeColorsControls form(&dialog);
        EXPECT_EQ(dialog.landscapeTypes()[1].color, c.after) << c.name;
        EXPECT_EQ(dialog.landscapeTypes()[0].color, 0x00FFFF) << c.name;
        EXPECT_EQ(picker(&dialog)->faceText(), QString::fromLatin1(c.face)) << c.name;
        // The face's colour box, 5 pixels in, centred vertically.
        const QImage face = picker(&dialog)->grab().toImage();
        EXPECT_EQ(face.pixelColor(5 + 7, 1 + (21 - 14) / 2 + 7), c.words) << c.name;
        EXPECT_EQ(form.lblLandscapeType->text(), QStringLiteral("Sandbox"));
        for (QLabel* l : {form.lblLandscapeType, form.lblSID}) {
            EXPECT_EQ(wordColour(l), c.words) << c.name;
            EXPECT_TRUE(paintedIn(l, c.words)) << c.name;
        }
        // Right-aligned to x = 310: the longer name grew to the left.
        QLabel* position = form.lblLandscapeType;
        EXPECT_EQ(position->mapTo(&dialog, QPoint(position->width(), 0)).x(), 310);
    }
}

TEST_F(ColourDialogTest, PreviewWordsOpenTheStandardColourDialog)
{
    const struct
    {
        const char* name;
        bool onSid;
        bool accept;
        QColor chosen;
        Color expected;
        const char* face;
    } cases[] = {
        {"cancelled", true, false, QColor(0x33, 0x66, 0x99), kGreen, "Green"},
        {"a colour without name", false, true, QColor(0x33, 0x66, 0x99), 0x996633, ""},
        {"a named colour", true, true, QColor(255, 0, 0), kRed, "Red"},
    };
    for (const auto& c : cases) {
        Dialog dialog;
        dialog.setLandscapeTypes(kPositions);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        select(&dialog, 0);
        const LandscapeColorsControls form(&dialog);
        QColor initial;
        bool shown = false;
        whenModal<QColorDialog>([&](QColorDialog* cd) {
            shown = true;
            initial = cd->currentColor();
            cd->setCurrentColor(c.chosen);
            if (c.accept)
                cd->accept();
            else
                cd->reject();
        });
        QLabel* word = c.onSid ? form.lblSID : form.lblLandscapeType;
        QTest::mouseClick(word, Qt::LeftButton, {}, word->rect().center());
        ASSERT_TRUE(shown) << c.name;
        EXPECT_EQ(initial, QColor(0, 0x80, 0)) << "starts from the words' colour";
        EXPECT_EQ(dialog.landscapeTypes()[0].color, c.expected) << c.name;
        EXPECT_EQ(picker(&dialog)->selectedColor(), c.expected) << c.name;
        EXPECT_EQ(picker(&dialog)->faceText(), QString::fromLatin1(c.face)) << c.name;
        const Color e = c.expected;
        EXPECT_EQ(wordColour(form.lblLandscapeType),
                  QColor(colorRed(e), colorGreen(e), colorBlue(e)))
            << c.name;
        EXPECT_EQ(dialog.landscapeTypes().mid(1), kPositions.mid(1)) << c.name;
    }
}

TEST_F(ColourDialogTest, EnterAndEscapeActOnTheOpenDropDownFirst)
{
    const struct
    {
        const char* name;
        Qt::Key key;
        int result;
    } cases[] = {{"Enter", Qt::Key_Return, Dialog::kResultOk},
                 {"Escape", Qt::Key_Escape, Dialog::kResultCancel}};
    for (const auto& c : cases) {
        LandscapeTypeList types = kPositions;
        edit(types, [&](Dialog* d) {
            select(d, 0);
            ColorPickerDropDown* p = picker(d);
            p->setFocus();
            QTest::keyClick(p, Qt::Key_Down, Qt::AltModifier);
            ASSERT_TRUE(p->droppedDown()) << c.name;
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down); // Olive
            QTest::keyClick(QApplication::activePopupWidget(), c.key);
            EXPECT_FALSE(p->droppedDown()) << c.name;
            EXPECT_TRUE(d->isVisible()) << c.name << " closed only the drop-down";
            // Enter keeps the moved selection, Escape restores the colour of the opening.
            EXPECT_EQ(d->landscapeTypes()[0].color, c.key == Qt::Key_Return ? 0x008080 : kGreen)
                << c.name;
            // The closed picker leaves the key to the dialog's buttons.
            QTest::keyClick(QApplication::focusWidget(), c.key);
            EXPECT_FALSE(d->isVisible()) << c.name;
            EXPECT_EQ(d->result(), c.result) << c.name;
        });
    }
}

TEST_F(ColourDialogTest, FooterButtonsSwitchTheOpenDropDownAndTheStyleStays)
{
    Dialog dialog;
    dialog.setLandscapeTypes(kPositions);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ColorPickerDropDown* p = picker(&dialog);
    const struct
    {
        const char* caption;
        ColorSelectionStyle style;
        QSize size;
    } steps[] = {{"Cube", ColorSelectionStyle::ColorCube, {184, 184}},
                 {"Spect", ColorSelectionStyle::Spectrum, {152, 198}},
                 {"Disc", ColorSelectionStyle::Discrete, {167, 108}}};
    p->showDropDown();
    for (const auto& s : steps) {
        clickFooter(&dialog, s.caption);
        EXPECT_TRUE(p->droppedDown()) << s.caption;
        EXPECT_EQ(p->colorSelectionStyle(), s.style) << s.caption;
        EXPECT_EQ(p->dropDownForm()->size(), s.size) << s.caption;
    }
    emit p->footerButtonClicked(4); // no such button: nothing
    EXPECT_EQ(p->colorSelectionStyle(), ColorSelectionStyle::Discrete);
    p->hideDropDown(false);
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(40, 10));
    ASSERT_TRUE(p->droppedDown());
    EXPECT_TRUE(p->colorSelector()->isVisible()) << "the last style at the next opening";
    clickFooter(&dialog, "List");
    EXPECT_TRUE(p->itemSelector()->isVisible());
    p->hideDropDown(false);
    EXPECT_EQ(dialog.landscapeTypes(), kPositions);
}

// Until the user chooses a position, no line looks selected or current: the first line,
// which takes the keyboard focus's current item, is painted as the others. Choosing it
// (the positive control) paints it.
TEST_F(ColourDialogTest, NoPositionLooksChosenOnOpening)
{
    Dialog dialog;
    dialog.setLandscapeTypes(kPositions);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QListWidget* list = LandscapeColorsControls(&dialog).ListBox;
    ASSERT_EQ(QApplication::focusWidget(), list);
    // The pixels of a line's edges away from its text: only the list's background there.
    const auto edgesPlain = [list](int row) {
        const QRect r = list->visualItemRect(list->item(row));
        const QImage shot = list->viewport()->grab(r).toImage();
        const QRgb base = list->palette().color(QPalette::Base).rgb();
        for (int x = 0; x < shot.width(); ++x)
            for (const int y : {0, shot.height() - 1})
                if (shot.pixel(x, y) != base)
                    return false;
        for (int y = 0; y < shot.height(); ++y)
            for (const int x : {0, 1, shot.width() - 2, shot.width() - 1})
                if (shot.pixel(x, y) != base)
                    return false;
        return true;
    };
    EXPECT_EQ(dialog.selectedIndex(), -1);
    for (int row = 0; row < list->count(); ++row)
        EXPECT_TRUE(edgesPlain(row)) << "line " << row << " looks chosen";
    select(&dialog, 0);
    ASSERT_EQ(dialog.selectedIndex(), 0);
    EXPECT_FALSE(edgesPlain(0));
}

TEST_F(ColourDialogTest, ListKeepsOneSelectedPosition)
{
    Dialog dialog;
    dialog.setLandscapeTypes(kPositions);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const LandscapeColorsControls form(&dialog);
    QListWidget* list = form.ListBox;
    ASSERT_EQ(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(dialog.selectedIndex(), 0) << "the first arrow key selects the first line";
    EXPECT_EQ(form.lblLandscapeType->text(), QStringLiteral("DEV"));
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(dialog.selectedIndex(), 1);
    EXPECT_EQ(form.lblLandscapeType->text(), QStringLiteral("QAS"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(dialog.selectedIndex(), 1) << "ctrl+click does not clear it";

    // A name too long for the white rectangle is cut at its start, inside it.
    dialog.setLandscapeTypes({{"Pre-production integration", kRed}});
    select(&dialog, 0);
    QLabel* word = form.lblLandscapeType;
    EXPECT_TRUE(word->text().startsWith(QChar(0x2026))) << word->text().toStdString();
    EXPECT_GT(word->mapTo(&dialog, QPoint(0, 0)).x(), 157);
    EXPECT_EQ(word->toolTip(), QStringLiteral("Pre-production integration"));
}

// The colours command of the main window.
class ColoursCommandTest : public MainWindowTest
{
protected:
    void SetUp() override { pinPalette(); }

    void clickColors(const Drive& drive)
    {
        bool opened = false;
        whenModal<Dialog>([&](Dialog* d) {
            opened = true;
            QPointer<Dialog> alive(d);
            EXPECT_TRUE(QTest::qWaitForWindowExposed(d));
            EXPECT_EQ(d->parentWidget(), w.get());
            drive(d);
            if (alive && alive->isVisible())
                alive->done(Dialog::kResultCancel);
        });
        QTest::mouseClick(ui->bbtColors, Qt::LeftButton);
        EXPECT_TRUE(opened);
    }
};

TEST_F(ColoursCommandTest, OkWritesTheColoursAndThePictureTakesThemAtOnce)
{
    open();
    pick(ui->cbxLandscapeType, QStringLiteral("DEV"));
    ASSERT_EQ(w->picture().sid.font.color, 32768);
    clickColors([](Dialog* d) {
        EXPECT_EQ(d->landscapeTypes(),
                  (LandscapeTypeList{{"DEV", 32768}, {"QAS", 16711680}, {"PRD", 255}}));
        select(d, 0);
        pickNamed(d, 9);
        QTest::mouseClick(LandscapeColorsControls(d).BitBtn2, Qt::LeftButton);
    });
    EXPECT_TRUE(configBytes().contains("[Color]\nNbItems=3\nItem_1=255\n"));
    EXPECT_EQ(w->store().landscapeTypes()[0].color, 255);
    ConfigStore reread(configPath());
    reread.loadLandscapeTypes();
    EXPECT_EQ(reread.landscapeTypes(), w->store().landscapeTypes());
    EXPECT_EQ(ui->cbxLandscapeType->currentText(), QStringLiteral("DEV"));
    for (const PictureText* e :
         {&w->picture().landscapeType, &w->picture().sid, &w->picture().usage2})
        EXPECT_EQ(e->font.color, 255);
}

TEST_F(ColoursCommandTest, CancelWritesThePositionsAgainUnchanged)
{
    open("[LandscapeType]\nNbItems=2\nItem_1=DEV\nItem_2=QAS\n[Color]\nNbItems=1\nItem_1=255\n");
    clickColors([](Dialog* d) {
        select(d, 1);
        pickNamed(d, 9);
        QTest::mouseClick(LandscapeColorsControls(d).BitBtn1, Qt::LeftButton);
    });
    // QAS had no colour of its own: it is written as the black it was read as.
    EXPECT_EQ(configBytes(), QByteArray("[LandscapeType]\nNbItems=2\nItem_1=DEV\nItem_2=QAS\n"
                                        "[Color]\nNbItems=2\nItem_1=255\nItem_2=0\n"));
    EXPECT_EQ(w->store().landscapeTypes(), (LandscapeTypeList{{"DEV", 255}, {"QAS", 0}}));
}

} // namespace

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}
