// The window itself: start state, layout rules, the controls' event rules, the border
// spinner, the information line menu, the background picture and the export.
#include "mainwindowfixture.h"

#include "jpegexport.h"
#include "labelededit.h"
#include "picture.h"
#include "textcontrast.h"
#include "uStringListEditor.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>

using namespace tavelorn;

namespace {

QImage rendered(const PictureModel& picture)
{
    QImage image;
    renderPicture(picture, image);
    return image;
}

TEST_F(MainWindowTest, StartState)
{
    open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Corvandel"));
    EXPECT_EQ(w->size(), QSize(844, 600));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(QApplication::focusWidget(), ui->cbxID);

    for (QComboBox* c : {ui->cbxID, ui->cbxSystemTitle, ui->cbxLandscapeType, ui->cbxSID,
                         ui->cbxSourceSystem, ui->cbxRefreshComment})
        EXPECT_EQ(c->currentIndex(), -1) << c->objectName().toStdString();
    EXPECT_EQ(items(ui->cbxID),
              (QStringList{"SAP BW 7.5__DEV__2024_01_05", "SAP ERP 6.0 EHP7__QAS__2024_03_03"}));
    EXPECT_EQ(items(ui->cbxSourceSystem), (QStringList{"", "DEV", "PRD", "QAS"}));
    EXPECT_EQ(items(ui->cbxRefreshComment), (QStringList{"", "Copy of production"}));

    EXPECT_FALSE(ui->bbtID_Delete->isEnabled());
    for (QWidget* c : {ui->bbtAbout, ui->bbtID_Save, ui->BitBtn2, ui->bbtExit, ui->bbtColors})
        EXPECT_TRUE(c->isEnabled());
    EXPECT_FALSE(ui->dtRefreshDate->isEnabled());
    EXPECT_FALSE(ui->cbxSourceSystem->isEnabled());
    EXPECT_FALSE(ui->cbxRefreshComment->isEnabled());
    EXPECT_FALSE(ui->chkRefreshDate->isChecked());
    EXPECT_EQ(ui->dtRefreshDate->date(), QDate(2016, 7, 20));
    EXPECT_EQ(ui->ledtBorder->text(), QStringLiteral("1"));
    EXPECT_EQ(ui->udBorder->position(), 1);
    EXPECT_FALSE(ui->pnlPreview->isEnabled());
    EXPECT_EQ(ui->pnlPreview->geometry(), QRect(394, 0, 450, 600));

    // A white canvas in a one-pixel black frame.
    const QImage preview = ui->pnlPreview->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(preview.size(), QSize(450, 600));
    for (QPoint p : {QPoint(0, 0), QPoint(449, 300), QPoint(200, 599), QPoint(0, 599)})
        EXPECT_EQ(preview.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(1, 1), QPoint(448, 598), QPoint(225, 300)})
        EXPECT_EQ(preview.pixel(p), qRgb(255, 255, 255)) << p.x() << "," << p.y();

    EXPECT_EQ(ui->bbtAbout->toolTip(), QStringLiteral("About"));
    EXPECT_EQ(ui->bbtID_Save->toolTip(), QStringLiteral("Save"));
    EXPECT_EQ(ui->bbtID_Delete->toolTip(), QStringLiteral("Delete"));
    EXPECT_EQ(ui->BitBtn2->toolTip(), QStringLiteral("Save picture"));
    EXPECT_EQ(ui->bbtExit->toolTip(), QStringLiteral("Quit"));
    EXPECT_TRUE(ui->bbtSystemTitle->toolTip().isEmpty());

    // Every picture button shows its picture, also on screens of pixel ratio 2; the
    // window icon comes in the sizes the window system asks for.
    for (QPushButton* b : w->findChildren<QPushButton*>()) {
        if (b->text().isEmpty()) {
            SCOPED_TRACE(b->objectName().toStdString());
            const QSize size = b->iconSize();
            EXPECT_EQ(b->icon().availableSizes(), (QList<QSize>{size, 2 * size}));
            const QImage shown = b->icon().pixmap(size).toImage();
            bool drawn = false;
            for (int y = 0; y < shown.height() && !drawn; ++y)
                for (int x = 0; x < shown.width() && !drawn; ++x)
                    drawn = qAlpha(shown.pixel(x, y)) == 255;
            EXPECT_TRUE(drawn);
        }
    }
    EXPECT_EQ(w->windowIcon().availableSizes(),
              (QList<QSize>{{16, 16}, {32, 32}, {64, 64}, {128, 128}}));
}

TEST_F(MainWindowTest, TabOrderFollowsTheForm)
{
    open();
    // Disabled controls are skipped while disabled: enable them to see the whole chain.
    ui->bbtID_Delete->setEnabled(true);
    ui->chkRefreshDate->setChecked(true);
    const QList<QWidget*> expected = {ui->cbxID,
                                      ui->cbxSystemTitle,
                                      ui->bbtSystemTitle,
                                      ui->cbxLandscapeType,
                                      ui->bbtLandscapeType,
                                      ui->bbtColors,
                                      ui->cbxSID,
                                      ui->bbtSID,
                                      ui->ledtUsage1,
                                      ui->ledtUsage2,
                                      ui->bbtPicture,
                                      ui->chkCenter,
                                      ui->chkStretch,
                                      ui->ledtInfo1,
                                      ui->bbtImportantInfo1,
                                      ui->ledtInfo2,
                                      ui->bbtImportantInfo2,
                                      ui->ledtInfo3,
                                      ui->bbtImportantInfo3,
                                      ui->chkRefreshDate,
                                      ui->dtRefreshDate,
                                      ui->cbxSourceSystem,
                                      ui->ledtBorder,
                                      ui->cbxRefreshComment,
                                      ui->bbtRefreshComment,
                                      ui->bbtAbout,
                                      ui->bbtID_Save,
                                      ui->bbtID_Delete,
                                      ui->BitBtn2,
                                      ui->bbtExit};
    ui->cbxID->setFocus();
    const auto focused = [this] {
        QWidget* f = QApplication::focusWidget();
        // The date picker's focus sits in its inner line edit.
        while (f && f->parentWidget() != w.get())
            f = f->parentWidget();
        return f;
    };
    // The date picker is one stop, whichever of its fields is current.
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* f = focused();
        ASSERT_EQ(f, expected[i]) << "after " << expected[i - 1]->objectName().toStdString()
                                  << " came " << (f ? f->objectName().toStdString() : "none");
    }
    for (int i = int(expected.size()) - 2; i >= 0; --i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QWidget* f = focused();
        ASSERT_EQ(f, expected[i]) << "before " << expected[i + 1]->objectName().toStdString()
                                  << " came " << (f ? f->objectName().toStdString() : "none");
    }
}

// Without Tab stops of its own, the date picker's fields are reached with the arrow
// keys, and typed digits go into the current one.
TEST_F(MainWindowTest, DatePickerFieldsByArrowKeys)
{
    open();
    ui->chkRefreshDate->setChecked(true);
    QDateEdit* dt = ui->dtRefreshDate;
    dt->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    ui->chkRefreshDate->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(dt->hasFocus());
    EXPECT_EQ(dt->currentSection(), QDateTimeEdit::DaySection);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(dt->date(), QDate(2016, 7, 21));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(dt->currentSection(), QDateTimeEdit::MonthSection);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(dt->currentSection(), QDateTimeEdit::YearSection);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(dt->date(), QDate(2015, 7, 21));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(dt->currentSection(), QDateTimeEdit::MonthSection);
}

// Alt with a letter is an access key or nothing: it never types into an edit.
TEST_F(MainWindowTest, AltWithALetterNeverTypesIntoTheEdits)
{
    open();
    for (QLineEdit* e :
         {static_cast<QLineEdit*>(ui->ledtUsage1), static_cast<QLineEdit*>(ui->ledtInfo3),
          static_cast<QLineEdit*>(ui->ledtBorder)}) {
        e->setFocus();
        const QString before = e->text();
        QTest::keyClick(e, Qt::Key_P, Qt::AltModifier);
        QTest::keyClick(e, Qt::Key_2, Qt::AltModifier);
        EXPECT_EQ(e->text(), before) << e->objectName().toStdString();
        QTest::keyClick(e, Qt::Key_2);
        EXPECT_EQ(e->text(), before + "2") << e->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, LabelledEditCaptionsSitThreePixelsAbove)
{
    open();
    for (LabeledEdit* e : {ui->ledtUsage1, ui->ledtUsage2, ui->ledtInfo1, ui->ledtInfo2,
                           ui->ledtInfo3, ui->ledtBorder}) {
        const QLabel* l = e->captionLabel();
        EXPECT_EQ(l->x(), e->x()) << e->objectName().toStdString();
        EXPECT_EQ(l->geometry().bottom() + 1 + 3, e->y()) << e->objectName().toStdString();
        EXPECT_TRUE(l->isVisible());
        // Never clipped: the label is as wide as its text needs.
        EXPECT_GE(l->width(), l->sizeHint().width());
    }
    EXPECT_EQ(ui->ledtUsage1->caption(), QStringLiteral("Usage description (Line 1)"));
    EXPECT_EQ(ui->ledtBorder->caption(), QStringLiteral("Border"));
}

TEST_F(MainWindowTest, ListsRunTheirHandlerOnlyOnTheUsersPick)
{
    open();
    // The program selecting an item changes nothing in the picture.
    ui->cbxSystemTitle->setCurrentIndex(0);
    ui->cbxSID->setCurrentIndex(0);
    ui->cbxLandscapeType->setCurrentIndex(1);
    EXPECT_TRUE(w->picture().systemTitle.text.isEmpty());
    EXPECT_TRUE(w->picture().sid.text.isEmpty());
    EXPECT_TRUE(w->picture().landscapeType.text.isEmpty());

    pick(ui->cbxSystemTitle, QStringLiteral("SAP BW 7.5"));
    EXPECT_EQ(w->picture().systemTitle.text, QStringLiteral("SAP BW 7.5"));
    pick(ui->cbxLandscapeType, QStringLiteral("QAS"));
    EXPECT_EQ(w->picture().landscapeType.text, QStringLiteral("QAS"));
    EXPECT_EQ(w->picture().sid.font.color, kColorBlue);
    EXPECT_EQ(w->picture().usage2.font.color, kColorBlue);
    EXPECT_EQ(w->picture().systemTitle.font.color, kColorWindowText);

    // The keyboard on a closed list is a user's pick too.
    ui->cbxSID->setCurrentIndex(-1);
    ui->cbxSID->setFocus();
    QTest::keyClick(ui->cbxSID, Qt::Key_Down);
    EXPECT_EQ(w->picture().sid.text, QStringLiteral("DEV"));

    // The preview shows what the model renders.
    EXPECT_EQ(ui->pnlPreview->image(), rendered(w->picture()));
}

TEST_F(MainWindowTest, EditsAndCheckBoxesRunTheirHandlerOnEveryChange)
{
    open();
    QTest::keyClicks(ui->ledtUsage1, QStringLiteral("  R&D  "));
    EXPECT_EQ(w->picture().usage1.text, QStringLiteral("R&D"));
    EXPECT_TRUE(w->picture().usage1.visible);
    ui->ledtUsage1->setText(QStringLiteral("   "));
    EXPECT_FALSE(w->picture().usage1.visible);
    ui->ledtInfo2->setText(QStringLiteral("Frozen"));
    EXPECT_EQ(w->picture().info2.text, QStringLiteral("Frozen"));
    EXPECT_TRUE(w->picture().info2.visible);

    ui->chkCenter->setChecked(true);
    EXPECT_TRUE(w->picture().background.center);
    QTest::mouseClick(ui->chkStretch, Qt::LeftButton);
    EXPECT_TRUE(w->picture().background.stretch);

    // "Last refresh" right after start shows 20 July 2016 and enables its controls.
    QTest::mouseClick(ui->chkRefreshDate, Qt::LeftButton);
    EXPECT_TRUE(ui->dtRefreshDate->isEnabled());
    EXPECT_TRUE(ui->cbxSourceSystem->isEnabled());
    EXPECT_TRUE(ui->cbxRefreshComment->isEnabled());
    EXPECT_TRUE(w->picture().refresh.visible);
    EXPECT_EQ(w->picture().refreshDate.text, formatShortDate(fromQDate(QDate(2016, 7, 20))));

    // The date picker: the program's change runs nothing, the user's does.
    pick(ui->cbxRefreshComment, QStringLiteral("Copy of production"));
    const QString withComment = w->picture().refreshDate.text;
    EXPECT_TRUE(withComment.endsWith(QStringLiteral(" - Copy of production")));
    // Checking again (also from the program) shows the short text, without the comment.
    ui->chkRefreshDate->setChecked(false);
    ui->chkRefreshDate->setChecked(true);
    EXPECT_FALSE(w->picture().refreshDate.text.contains(QStringLiteral("Copy")));
    ui->dtRefreshDate->setFocus();
    QTest::keyClick(ui->dtRefreshDate, Qt::Key_Up);
    EXPECT_TRUE(w->picture().refreshDate.text.endsWith(QStringLiteral(" - Copy of production")));
    EXPECT_NE(w->picture().refreshDate.text, withComment);
    EXPECT_EQ(ui->pnlPreview->image(), rendered(w->picture()));
}

// Where two pictures differ: the names of the elements, empty when equal.
QStringList differences(const PictureModel& a, const PictureModel& b)
{
    QStringList out;
    const struct
    {
        const char* name;
        PictureText PictureModel::*element;
    } texts[] = {
        {"title", &PictureModel::systemTitle},      {"SID", &PictureModel::sid},
        {"position", &PictureModel::landscapeType}, {"usage 1", &PictureModel::usage1},
        {"usage 2", &PictureModel::usage2},         {"info 1", &PictureModel::info1},
        {"info 2", &PictureModel::info2},           {"info 3", &PictureModel::info3},
        {"refresh", &PictureModel::refresh},        {"refresh date", &PictureModel::refreshDate}};
    for (const auto& t : texts)
        if (!(a.*t.element == b.*t.element))
            out << QString::fromLatin1(t.name);
    if (a.background.center != b.background.center ||
        a.background.stretch != b.background.stretch ||
        a.background.graphic != b.background.graphic)
        out << QStringLiteral("picture");
    if (a.border.width != b.border.width || a.border.visible != b.border.visible ||
        a.border.color != b.border.color)
        out << QStringLiteral("border");
    return out;
}

// Each edit, check box and list, driven as the user does, changes its own elements of
// the picture and nothing else: a control wired to another control's handler fails here.
TEST_F(MainWindowTest, EveryControlDrivesItsOwnPictureElement)
{
    open();
    const auto typeInto = [](QLineEdit* edit, const QString& text) {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
    };
    const auto refreshDate = [this] { return fromQDate(ui->dtRefreshDate->date()); };
    struct Case
    {
        const char* name;
        std::function<void()> drive;
        std::function<void(PictureModel&)> expect;
    };
    const Case cases[] = {
        {"usage 1", [&] { typeInto(ui->ledtUsage1, QStringLiteral("Alpha")); },
         [](PictureModel& p) { setUsage1(p, QStringLiteral("Alpha")); }},
        {"usage 2", [&] { typeInto(ui->ledtUsage2, QStringLiteral("Beta")); },
         [](PictureModel& p) { setUsage2(p, QStringLiteral("Beta")); }},
        {"info 1", [&] { typeInto(ui->ledtInfo1, QStringLiteral("Gamma")); },
         [](PictureModel& p) { setInfo1(p, QStringLiteral("Gamma")); }},
        {"info 2", [&] { typeInto(ui->ledtInfo2, QStringLiteral("Delta")); },
         [](PictureModel& p) { setInfo2(p, QStringLiteral("Delta")); }},
        {"info 3", [&] { typeInto(ui->ledtInfo3, QStringLiteral("Epsilon")); },
         [](PictureModel& p) { setInfo3(p, QStringLiteral("Epsilon")); }},
        {"border", [&] { typeInto(ui->ledtBorder, QStringLiteral("7")); },
         [](PictureModel& p) { setBorderWidth(p, 7); }},
        {"center", [&] { QTest::mouseClick(ui->chkCenter, Qt::LeftButton); },
         [](PictureModel& p) { setPictureCenter(p, true); }},
        {"stretch", [&] { QTest::mouseClick(ui->chkStretch, Qt::LeftButton); },
         [](PictureModel& p) { setPictureStretch(p, true); }},
        {"system title", [&] { pick(ui->cbxSystemTitle, QStringLiteral("SAP BW 7.5")); },
         [](PictureModel& p) { setSystemTitle(p, QStringLiteral("SAP BW 7.5")); }},
        {"position", [&] { pick(ui->cbxLandscapeType, QStringLiteral("PRD")); },
         [](PictureModel& p) { setLandscapeType(p, QStringLiteral("PRD"), kColorRed); }},
        {"SID", [&] { pick(ui->cbxSID, QStringLiteral("QAS")); },
         [](PictureModel& p) { setSid(p, QStringLiteral("QAS")); }},
        {"last refresh", [&] { QTest::mouseClick(ui->chkRefreshDate, Qt::LeftButton); },
         [&](PictureModel& p) { showRefreshLine(p, true, refreshDate(), QString()); }},
        {"source system", [&] { pick(ui->cbxSourceSystem, QStringLiteral("PRD")); },
         [&](PictureModel& p) { setRefreshLine(p, refreshDate(), QStringLiteral("PRD"), {}); }},
        {"refresh comment",
         [&] { pick(ui->cbxRefreshComment, QStringLiteral("Copy of production")); },
         [&](PictureModel& p) {
             setRefreshLine(p, refreshDate(), QStringLiteral("PRD"),
                            QStringLiteral("Copy of production"));
         }},
        {"refresh date",
         [&] {
             ui->dtRefreshDate->setFocus();
             QTest::keyClick(ui->dtRefreshDate, Qt::Key_Up);
         },
         [&](PictureModel& p) {
             setRefreshLine(p, refreshDate(), QStringLiteral("PRD"),
                            QStringLiteral("Copy of production"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PictureModel before = w->picture();
        c.drive();
        PictureModel expected = before;
        c.expect(expected);
        ASSERT_FALSE(differences(expected, before).isEmpty()) << "the case changes nothing";
        EXPECT_EQ(differences(w->picture(), expected), QStringList());
    }
    EXPECT_EQ(ui->pnlPreview->image(), rendered(w->picture()));
}

TEST_F(MainWindowTest, BorderSpinnerKeepsItsRangeAndTheLastValidWidth)
{
    open();
    QToolButton* up = ui->udBorder->upButton();
    QToolButton* down = ui->udBorder->downButton();
    for (int i = 0; i < 12; ++i)
        QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(ui->ledtBorder->text(), QStringLiteral("10"));
    EXPECT_EQ(w->picture().border.width, 10);

    for (int i = 0; i < 12; ++i)
        QTest::keyClick(ui->ledtBorder, Qt::Key_Down);
    EXPECT_EQ(ui->ledtBorder->text(), QStringLiteral("0"));
    EXPECT_FALSE(w->picture().border.visible);
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(ui->ledtBorder->text(), QStringLiteral("0"));

    struct Case
    {
        const char* typed;
        const char* shown;
        int width;
    };
    // Start from 4 each time; the edit takes two digits at most.
    // Typing 12 passes through the valid 1, which stays the width.
    for (const Case& c : {Case{"12", "12", 1}, Case{"7", "7", 7}, Case{"123", "12", 1},
                          Case{"x5", "5", 5}, Case{"", "", 4}, Case{"10", "10", 10}}) {
        ui->ledtBorder->setText(QStringLiteral("4"));
        ui->ledtBorder->clear();
        QTest::keyClicks(ui->ledtBorder, QString::fromLatin1(c.typed));
        EXPECT_EQ(ui->ledtBorder->text(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(ui->udBorder->position(), c.width) << c.typed;
        EXPECT_EQ(w->picture().border.width, c.width) << c.typed;
    }
    // An arrow after an invalid "12" steps from the last valid width.
    ui->ledtBorder->setText(QStringLiteral("3"));
    ui->ledtBorder->setText(QStringLiteral("12"));
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(ui->ledtBorder->text(), QStringLiteral("4"));
}

TEST_F(MainWindowTest, InformationMenuOpensUnderTheButtonAndSetsThatLine)
{
    open();
    QMenu* menu = w->importantInformationMenu();
    QPoint firstPos;
    for (QPushButton* b : {ui->bbtImportantInfo1, ui->bbtImportantInfo3}) {
        QTest::mouseClick(b, Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        const QPoint expected = b->mapToGlobal(QPoint(0, b->height()));
        EXPECT_EQ(menu->pos(), expected) << b->objectName().toStdString();
        if (b == ui->bbtImportantInfo1)
            firstPos = menu->pos();
        menu->hide();
    }
    EXPECT_EQ(w->infoLine(), 3);

    // Right alignment for line 3 only; the menu shows each line's own alignment.
    QTest::mouseClick(ui->bbtImportantInfo3, Qt::LeftButton);
    QAction* right = nullptr;
    QAction* center = nullptr;
    for (QAction* a : menu->actions())
        if (a->menu())
            for (QAction* s : a->menu()->actions()) {
                if (s->objectName() == QStringLiteral("mnuRight"))
                    right = s;
                if (s->objectName() == QStringLiteral("mnuCenter"))
                    center = s;
            }
    ASSERT_TRUE(right && center);
    EXPECT_TRUE(center->isChecked());
    right->trigger();
    menu->hide();
    EXPECT_EQ(w->picture().info3.alignment, Alignment::Right);
    EXPECT_EQ(w->picture().info1.alignment, Alignment::Center);
    QTest::mouseClick(ui->bbtImportantInfo1, Qt::LeftButton);
    EXPECT_TRUE(center->isChecked());
    QTest::mouseClick(ui->bbtImportantInfo3, Qt::LeftButton);
    EXPECT_TRUE(right->isChecked());
    menu->hide();

    // The font dialog starts from the line's font and sets only that line's font.
    QAction* font = menu->actions().first();
    EXPECT_EQ(font->text(), QStringLiteral("Font ..."));
    whenModal<QDialog>([](QDialog* dialog) {
        auto* height = dialog->findChild<QSpinBox*>();
        ASSERT_NE(height, nullptr);
        EXPECT_EQ(height->value(), 16);
        height->setValue(24);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    font->trigger();
    EXPECT_EQ(w->picture().info3.font.height, 24);
    EXPECT_EQ(w->picture().info3.height, 19);
    EXPECT_EQ(w->picture().info1.font.height, 16);
}

TEST_F(MainWindowTest, PictureButtonLoadsTheChosenFile)
{
    open();
    const QString bmp = dir.filePath(QStringLiteral("band.bmp"));
    QImage red(200, 100, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(bmp, "BMP"));
    const QString png = dir.filePath(QStringLiteral("other.PNG"));
    ASSERT_TRUE(red.save(png, "PNG"));

    const auto choose = [](const QString& path) {
        whenModal<QFileDialog>([path](QFileDialog* dialog) {
            EXPECT_TRUE(dialog->selectedNameFilter().startsWith(QStringLiteral("Tous")));
            confirmFile(dialog, path);
        });
    };
    choose(bmp);
    QTest::mouseClick(ui->bbtPicture, Qt::LeftButton);
    EXPECT_EQ(w->picturePath(), bmp);
    ASSERT_TRUE(w->picture().background.graphic);
    EXPECT_EQ(w->picture().background.graphic->size(), QSize(200, 100));
    EXPECT_EQ(ui->pnlPreview->image().pixel(10, 150), qRgb(255, 0, 0));

    // An unknown extension: the error box, the old picture stays, the path moves on.
    choose(png);
    auto box = answerBox();
    QTest::mouseClick(ui->bbtPicture, Qt::LeftButton);
    ASSERT_TRUE(box->shown);
    EXPECT_EQ(box->title, QStringLiteral("Corvandel"));
    EXPECT_EQ(box->icon, QMessageBox::Critical);
    // No full stop after a closing bracket (its code is below that of ".").
    EXPECT_EQ(box->text, QStringLiteral("Extension de fichier image inconnue (.PNG)"));
    EXPECT_EQ(w->picturePath(), png);
    EXPECT_EQ(w->picture().background.graphic->size(), QSize(200, 100));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Cancelling changes nothing.
    whenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    QTest::mouseClick(ui->bbtPicture, Qt::LeftButton);
    EXPECT_EQ(w->picturePath(), png);
}

TEST_F(MainWindowTest, SavePictureProposesTheNameAndWritesTheJpeg)
{
    open();
    // No SID: no dialog at all.
    QTest::mouseClick(ui->BitBtn2, Qt::LeftButton);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    pick(ui->cbxID, QStringLiteral("SAP ERP 6.0 EHP7__QAS__2024_03_03"));
    const QString target = dir.filePath(QStringLiteral("chosen.png"));
    QString proposed;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_TRUE(dialog->selectedNameFilter().startsWith(QStringLiteral("Tous")));
        proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        confirmFile(dialog, target);
    });
    QTest::mouseClick(ui->BitBtn2, Qt::LeftButton);
    EXPECT_EQ(proposed, QStringLiteral("QAS_2024_03_03.jpg"));
    EXPECT_FALSE(QFile::exists(target));
    QImage saved(dir.filePath(QStringLiteral("chosen.jpg")));
    ASSERT_EQ(saved.size(), QSize(450, 600));
    // Equal to the preview within JPEG accuracy.
    const QImage preview = ui->pnlPreview->image();
    const QImage got = saved.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 450; ++x) {
            const QRgb a = preview.pixel(x, y), b = got.pixel(x, y);
            sum +=
                qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
        }
    EXPECT_LT(double(sum) / (450.0 * 600 * 3), 2.0);

    // A name that cannot be created (the forced name is a folder): the error box.
    const QString blocked = dir.filePath(QStringLiteral("blocked.jpg"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        confirmFile(dialog, dir.filePath(QStringLiteral("blocked.png")));
    });
    auto box = answerBox();
    QTest::mouseClick(ui->BitBtn2, Qt::LeftButton);
    ASSERT_TRUE(box->shown);
    EXPECT_EQ(box->title, QStringLiteral("Corvandel"));
    EXPECT_TRUE(box->text.startsWith(QStringLiteral("Impossible de créer le fichier \"") + blocked +
                                     QStringLiteral("\". ")))
        << box->text.toStdString();
    EXPECT_TRUE(box->text.endsWith(u'.'));
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}

// The file the extension is forced onto was never shown in the dialog: replacing it needs
// a Yes; the name the user confirmed is replaced without a question.
TEST_F(MainWindowTest, SavePictureAsksBeforeReplacingAFileItNeverShowed)
{
    open();
    pick(ui->cbxID, QStringLiteral("SAP ERP 6.0 EHP7__QAS__2024_03_03"));
    struct Case
    {
        const char* typed;
        bool existing;                      // qas.jpg is there before
        QMessageBox::StandardButton answer; // NoButton: no question expected
        bool written;
    };
    const Case cases[] = {
        {"qas.jpeg", true, QMessageBox::No, false},
        {"qas.jpeg", true, QMessageBox::Yes, true},
        {"qas.jpg", true, QMessageBox::NoButton, true},
        {"qas.jpeg", false, QMessageBox::NoButton, true},
    };
    const QString jpg = dir.filePath(QStringLiteral("qas.jpg"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.existing ? " over a file" : "") + " answer " +
                     std::to_string(int(c.answer)));
        QFile::remove(jpg);
        if (c.existing) {
            QFile f(jpg);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            confirmFile(dialog, dir.filePath(QLatin1String(c.typed)));
        });
        std::shared_ptr<Box> box;
        if (c.answer != QMessageBox::NoButton)
            box = answerBox(c.answer);
        QTest::mouseClick(ui->BitBtn2, Qt::LeftButton);
        if (box) {
            ASSERT_TRUE(box->shown);
            EXPECT_EQ(box->text,
                      QStringLiteral("qas.jpg already exists.\nDo you want to replace it?"));
        }
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        QFile f(jpg);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll() != "old", c.written);
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("qas.jpeg"))));
    }
}

TEST_F(MainWindowTest, QuitClosesWithoutAQuestion)
{
    open();
    ui->ledtUsage1->setText(QStringLiteral("unsaved"));
    const QByteArray before = configBytes();
    QTest::mouseClick(ui->bbtExit, Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(configBytes(), before);
}

} // namespace

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}

// Under a light and a dark desktop palette, the weekend in the date pop-up reads as text
// (4.5:1) on its header and date cells, and the pictures drawn as ink on buttons (the
// list editor's sort arrow and bars, the letter A of the information-line buttons) stand
// out from the button as icons must (3:1).
class MainWindowContrast : public MainWindowTest,
                           public ::testing::WithParamInterface<DesktopScheme>
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        saved = QApplication::palette();
        QApplication::setPalette(GetParam().make(QApplication::style()->standardPalette()));
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        QApplication::setPalette(saved);
    }

    // The ink of button's picture against the button, within the part of the picture
    // that part picks from its bounds.
    static TextContrast iconContrast(QAbstractButton* button,
                                     const std::function<QRect(const QRect&)>& part)
    {
        const auto render = [button] {
            return button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        const QImage with = render();
        const QIcon icon = button->icon();
        button->setIcon(QIcon());
        const QImage behind = render();
        button->setIcon(icon);
        QRect bounds;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x)
                if (with.pixel(x, y) != behind.pixel(x, y))
                    bounds |= QRect(x, y, 1, 1);
        return measureTextContrast(with, behind, part(bounds));
    }

    QPalette saved;
};

TEST_P(MainWindowContrast, WeekendInTheDatePopUp)
{
    open();
    QCalendarWidget* calendar = ui->dtRefreshDate->calendarWidget();
    ASSERT_NE(calendar, nullptr);
    auto* view = calendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(view, nullptr);
    calendar->resize(calendar->sizeHint());
    const QImage image = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QAbstractItemModel* model = view->model();
    int checked = 0;
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString day = model->index(0, column).data().toString();
        if (day != QLocale().dayName(6, QLocale::ShortFormat) &&
            day != QLocale().dayName(7, QLocale::ShortFormat))
            continue;
        // The header cell and a date of the shown month (the third week always is one).
        for (const int row : {0, 3}) {
            SCOPED_TRACE(
                (day + (row ? QStringLiteral(" date") : QStringLiteral(" header"))).toStdString());
            const QRect cell = view->visualRect(model->index(row, column));
            const TextContrast c =
                measureTextContrast(image, rowBackground(image, cell, cell.left() + 1), cell);
            ASSERT_GT(c.glyphPixels, 0);
            EXPECT_GE(c.ratio, kMinTextContrast) << "text #" << std::hex << (c.text & 0xFFFFFF)
                                                 << std::dec << " contrast " << c.ratio;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 4) << "Saturday and Sunday, header and date";
}

TEST_P(MainWindowContrast, InkOfTheButtonPictures)
{
    open();
    constexpr double kMinIconContrast = 3.0;
    for (QPushButton* b : {ui->bbtImportantInfo1, ui->bbtImportantInfo2, ui->bbtImportantInfo3}) {
        SCOPED_TRACE(b->objectName().toStdString());
        // The top half of the letter A, left of the small palette.
        const TextContrast c = iconContrast(b, [](const QRect& r) {
            return QRect(r.topLeft(), QSize(r.width() / 2, r.height() / 2));
        });
        ASSERT_GT(c.glyphPixels, 0);
        EXPECT_GE(c.ratio, kMinIconContrast) << "contrast " << c.ratio;
    }
    TfrmStringListEditor editor(w.get());
    editor.setItems({"a", "b"});
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    auto* sort = editor.findChild<QPushButton*>(QStringLiteral("bbtTri"));
    ASSERT_NE(sort, nullptr);
    const TextContrast c = iconContrast(sort, [](const QRect& r) { return r; });
    ASSERT_GT(c.glyphPixels, 0);
    EXPECT_GE(c.ratio, kMinIconContrast) << "sort picture, contrast " << c.ratio;
}

INSTANTIATE_TEST_SUITE_P(Schemes, MainWindowContrast, ::testing::ValuesIn(kDesktopSchemes),
                         [](const auto& info) { return std::string(info.param.name); });
