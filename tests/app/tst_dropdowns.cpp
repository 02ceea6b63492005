// The main window's drop-down lists on a screen wider and taller than the window: their
// popups stay short lists under the box and as wide as it, long texts elided.
#include "mainwindowfixture.h"

#include "dropdownlist.h"

#include <QScreen>
#include <QScrollBar>
#include <QTemporaryFile>

using namespace tavelorn;

namespace {

class DropDownTest : public MainWindowTest
{
protected:
    // Opens the list's popup and hands it back, shown.
    static QWidget* popupOf(QComboBox* combo)
    {
        combo->showPopup();
        QWidget* popup = combo->view()->window();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(popup));
        return popup;
    }
};

TEST_F(DropDownTest, TenThousandProfilesShowAShortScrollingList)
{
    QByteArray config = "[SystemInfo]\nNbItems=10000\n";
    for (int i = 1; i <= 10000; ++i)
        config += QStringLiteral("[SystemInfo_%1]\nID=SAP ERP 6.0 EHP7__S%2__2024_01_05\n")
                      .arg(i)
                      .arg(i, 5, 10, QLatin1Char('0'))
                      .toLatin1();
    open(config);
    ASSERT_EQ(ui->cbxID->count(), 10000);
    QWidget* popup = popupOf(ui->cbxID);
    QAbstractItemView* view = ui->cbxID->view();
    const int rowHeight = view->sizeHintForRow(0);
    ASSERT_GT(rowHeight, 0);
    EXPECT_EQ(view->viewport()->height() / rowHeight, DropDownList::kVisibleRows);
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
    // A list under the box, not a menu laid over it.
    EXPECT_GE(popup->geometry().top(), ui->cbxID->mapToGlobal(QPoint(0, 0)).y() + 10);
    ui->cbxID->hidePopup();
}

TEST_F(DropDownTest, LongTextIsElidedInAPopupAsWideAsTheBox)
{
    QByteArray config = "[SystemTitle]\nNbItems=2\nItem_1=SAP ERP 6.0 EHP7\nItem_2=";
    config += QByteArray(2500, 'W') + "\n";
    open(config);
    QWidget* popup = popupOf(ui->cbxSystemTitle);
    QAbstractItemView* view = ui->cbxSystemTitle->view();
    EXPECT_EQ(popup->width(), ui->cbxSystemTitle->width());
    EXPECT_EQ(popup->geometry().left(), ui->cbxSystemTitle->mapToGlobal(QPoint(0, 0)).x());
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_NE(view->textElideMode(), Qt::ElideNone);
    // The long item is laid out within the popup, so its text is elided there.
    EXPECT_LE(view->visualRect(view->model()->index(1, 0)).width(), view->viewport()->width());
    ui->cbxSystemTitle->hidePopup();
}

} // namespace

// A screen larger than the window, so that only the program's own limits bound the
// popups.
int main(int argc, char** argv)
{
    QTemporaryFile screens;
    if (!screens.open())
        return 2;
    screens.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1920,
                      "height": 1200, "logicalDpi": 96, "dpr": 1}]})");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    return runWidgetTests(argc, argv);
}
