#include "uMainNew.h"
#include "uStringListEditor.h"

#include "configstore.h"
#include "modalwatchdog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace tavelorn;

namespace {

using Drive = std::function<void(TfrmStringListEditor*)>;

// Typing into the editor's edit box and pressing its buttons, as a user would.
void type(TfrmStringListEditor* dlg, const QString& text)
{
    auto* edit = dlg->findChild<QLineEdit*>("Edit");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void press(TfrmStringListEditor* dlg, const char* button)
{
    QTest::mouseClick(dlg->findChild<QPushButton*>(button), Qt::LeftButton);
}

void add(TfrmStringListEditor* dlg, const QString& text)
{
    type(dlg, text);
    press(dlg, "bbtAjouter");
}

void ok(TfrmStringListEditor* dlg)
{
    press(dlg, "bbtOk");
}

void cancel(TfrmStringListEditor* dlg)
{
    press(dlg, "bbtCancel");
}

// Accepts the next message box once it is up and hands back its text.
void acceptNextMessageBox(QString* text)
{
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ModalWatchdog::claim(box);
            *text = box->text();
            box->accept();
        } else if (++*ticks < 500) {
            return;
        }
        timer->stop();
        timer->deleteLater();
    });
    timer->start(10);
}

class ListCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("Config.ini");
    }

    void start(const QByteArray& config = {})
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(config);
        f.close();
        win = std::make_unique<TfrmMainNew>(QStringList{path});
        win->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
    }

    QByteArray file() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    template <class T> T* child(const char* name) const
    {
        T* w = win->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Clicks the main window's button and drives the editor it opens; whatever is
    // left open afterwards is cancelled so that a failing check cannot hang the
    // test. Returns the editor's caption and the items it was handed.
    std::pair<QString, QStringList> edit(const char* button, const Drive& drive)
    {
        std::pair<QString, QStringList> seen;
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<TfrmStringListEditor*>(QApplication::activeModalWidget());
            opened = dlg != nullptr;
            if (!dlg)
                return;
            ModalWatchdog::claim(dlg);
            QPointer<TfrmStringListEditor> guard(dlg);
            seen = {dlg->windowTitle(), dlg->items()};
            drive(dlg);
            if (guard && guard->isVisible())
                guard->done(TfrmStringListEditor::kResultCancel);
        });
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
        EXPECT_TRUE(opened) << button;
        return seen;
    }

    // What the file holds, read back by a store of its own.
    std::unique_ptr<ConfigStore> reread() const
    {
        auto store = std::make_unique<ConfigStore>(path);
        store->loadAll();
        return store;
    }

    // Chooses an item of a drop-down list with the keyboard, as the user would.
    void choose(const char* combo, int index)
    {
        auto* c = child<QComboBox>(combo);
        if (!c->isEnabled()) // the refresh comments wait for "Last refresh"
            QTest::mouseClick(child<QCheckBox>("chkRefreshDate"), Qt::LeftButton);
        ASSERT_TRUE(c->isEnabled()) << combo;
        c->setFocus();
        QTest::keyClick(c, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(c, Qt::Key_Down);
        ASSERT_EQ(c->currentIndex(), index) << combo;
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<TfrmMainNew> win;
};

TEST_F(ListCommandsTest, FirstStartReachesASavedProfile)
{
    start();
    edit("bbtSystemTitle", [](TfrmStringListEditor* d) {
        add(d, "SAP ERP 6.0 EHP7");
        ok(d);
    });
    edit("bbtLandscapeType", [](TfrmStringListEditor* d) {
        add(d, "DEV");
        add(d, "PRD");
        ok(d);
    });
    edit("bbtSID", [](TfrmStringListEditor* d) {
        type(d, "ABCD"); // the fourth character is refused
        EXPECT_EQ(d->findChild<QLineEdit*>("Edit")->text(), "ABC");
        press(d, "bbtAjouter");
        ok(d);
    });
    EXPECT_EQ(win->store().sourceSystems().items(), (QStringList{"", "ABC"}));

    choose("cbxSystemTitle", 0);
    choose("cbxLandscapeType", 1);
    choose("cbxSID", 0);
    QTest::mouseClick(child<QPushButton>("bbtID_Save"), Qt::LeftButton);

    const auto saved = reread();
    EXPECT_EQ(saved->systemTitles().items(), QStringList{"SAP ERP 6.0 EHP7"});
    EXPECT_EQ(saved->landscapeTypeNames().items(), (QStringList{"DEV", "PRD"}));
    EXPECT_EQ(saved->sids().items(), QStringList{"ABC"});
    ASSERT_EQ(saved->profiles().size(), 1);
    const Profile& p = saved->profiles().first();
    EXPECT_EQ(p.systemTitle, "SAP ERP 6.0 EHP7");
    EXPECT_EQ(p.landscapePosition, "PRD");
    EXPECT_EQ(p.sid, "ABC");
    EXPECT_TRUE(p.id.startsWith("SAP ERP 6.0 EHP7__ABC__")) << p.id.toStdString();
    EXPECT_EQ(win->store().profileIds().items(), QStringList{p.id});
}

struct ListCase
{
    const char* name;
    const char* button;
    const char* combo;
    QString caption;
    QStringList startItems; // what the editor is handed from an empty file
    bool writesUnchanged;
    std::function<const ItemList&(const ConfigStore&)> list;
};

void PrintTo(const ListCase& c, std::ostream* os)
{
    *os << c.name;
}

class ListCommandTest : public ListCommandsTest, public ::testing::WithParamInterface<ListCase>
{
};

TEST_P(ListCommandTest, OkWritesOnlyWhereTheRuleSays)
{
    const ListCase& c = GetParam();
    start();
    const auto [caption, handed] = edit(c.button, ok);
    EXPECT_EQ(caption, c.caption);
    EXPECT_EQ(handed, c.startItems);
    EXPECT_EQ(!file().isEmpty(), c.writesUnchanged) << file().toStdString();
    EXPECT_EQ(c.list(win->store()).items(), c.startItems);
}

TEST_P(ListCommandTest, CancelChangesNothing)
{
    const ListCase& c = GetParam();
    start();
    edit(c.button, [](TfrmStringListEditor* d) {
        add(d, "QAS");
        cancel(d);
    });
    EXPECT_TRUE(file().isEmpty());
    EXPECT_EQ(c.list(win->store()).items(), c.startItems);
}

TEST_P(ListCommandTest, ChangedListIsWrittenAndKeepsTheSelection)
{
    const ListCase& c = GetParam();
    start();
    edit(c.button, [](TfrmStringListEditor* d) {
        add(d, "QAS");
        ok(d);
    });
    choose(c.combo, c.startItems.size());
    QStringList expected = c.startItems;
    expected.append("QAS");
    const auto shown = [this] {
        const PictureModel& p = win->picture();
        return QStringList{p.systemTitle.text, p.sid.text, p.landscapeType.text,
                           p.refreshDate.text};
    };
    const QStringList before = shown();
    ASSERT_TRUE(before.join("").contains("QAS")) << before.join("|").toStdString();

    edit(c.button, [](TfrmStringListEditor* d) {
        add(d, "DEV");
        ok(d);
    });
    if (QString(c.button) == "bbtSID")
        expected = {"DEV", "QAS"}; // sorted
    else
        expected.append("DEV");
    EXPECT_EQ(c.list(win->store()).items(), expected);
    EXPECT_EQ(c.list(*reread()).items(), expected);
    EXPECT_EQ(child<QComboBox>(c.combo)->currentText(), "QAS");
    EXPECT_EQ(child<QComboBox>(c.combo)->count(), expected.size());
    EXPECT_EQ(shown(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListCommandTest,
    ::testing::Values(
        ListCase{"SystemTitle",
                 "bbtSystemTitle",
                 "cbxSystemTitle",
                 "System Title",
                 {},
                 false,
                 [](const ConfigStore& s) -> const ItemList& { return s.systemTitles(); }},
        ListCase{"SID",
                 "bbtSID",
                 "cbxSID",
                 "SID",
                 {},
                 true,
                 [](const ConfigStore& s) -> const ItemList& { return s.sids(); }},
        ListCase{"LandscapeType",
                 "bbtLandscapeType",
                 "cbxLandscapeType",
                 "Position in the landscape",
                 {},
                 false,
                 [](const ConfigStore& s) -> const ItemList& { return s.landscapeTypeNames(); }},
        ListCase{"RefreshComment",
                 "bbtRefreshComment",
                 "cbxRefreshComment",
                 "Comment about refresh",
                 {""},
                 false,
                 [](const ConfigStore& s) -> const ItemList& { return s.refreshComments(); }}),
    [](const auto& info) { return std::string(info.param.name); });

// After a list editor, what the controls show, what the picture shows and what Save
// writes agree: the shown item stays selected while the list still has it, and follows it
// when it was renamed (replaced); when it is gone the control and the picture are empty.
TEST_F(ListCommandsTest, ListReloadsKeepControlsPictureAndSaveInAgreement)
{
    const QByteArray config = "[SystemTitle]\nNbItems=2\nItem_1=ERP\nItem_2=BW\n"
                              "[LandscapeType]\nNbItems=2\nItem_1=DEV\nItem_2=PRD\n"
                              "[Color]\nNbItems=2\nItem_1=32768\nItem_2=255\n"
                              "[SID]\nNbItems=2\nItem_1=DEV\nItem_2=PRD\n"
                              "[RefreshComment]\nNbItems=2\nItem_1=\nItem_2=monthly\n"
                              "[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=ERP__DEV__2024_03_03\n"
                              "SystemTitle=ERP\nLansdscapePosition=DEV\nSID=DEV\n"
                              "LastRefresh=03/03/2024\nSourceRefresh=PRD\n"
                              "CommentRefresh=monthly\n";
    struct Control
    {
        const char* button;
        const char* combo;
        QString shown;   // the profile's item
        QString renamed; // what Replace turns it into
        std::function<QString(const PictureModel&)> picture;
        std::function<QString(const Profile&)> saved;
    };
    const Control controls[] = {
        {"bbtSystemTitle", "cbxSystemTitle", "ERP", "ERP 2.1",
         [](const PictureModel& p) { return p.systemTitle.text; },
         [](const Profile& s) { return s.systemTitle; }},
        {"bbtLandscapeType", "cbxLandscapeType", "DEV", "DEV2",
         [](const PictureModel& p) { return p.landscapeType.text; },
         [](const Profile& s) { return s.landscapePosition; }},
        {"bbtSID", "cbxSID", "DEV", "DVX", [](const PictureModel& p) { return p.sid.text; },
         [](const Profile& s) { return s.sid; }},
        {"bbtRefreshComment", "cbxRefreshComment", "monthly", "weekly",
         [](const PictureModel& p) {
             for (const QString comment : {"monthly", "weekly"})
                 if (p.refreshDate.text.contains(comment))
                     return comment;
             return QString();
         },
         [](const Profile& s) { return s.refreshComment; }},
    };
    enum Action
    {
        OkUnchanged,
        OkChanged,
        Cancel,
        ItemRemoved,
        ItemReplaced
    };
    for (const Control& c : controls) {
        for (const Action action : {OkUnchanged, OkChanged, Cancel, ItemRemoved, ItemReplaced}) {
            SCOPED_TRACE(std::string(c.button) + " action " + std::to_string(action));
            win.reset();
            start(config);
            choose("cbxID", 0);
            ASSERT_EQ(child<QComboBox>(c.combo)->currentText(), c.shown);
            ASSERT_EQ(c.picture(win->picture()), c.shown);
            const QString source = child<QComboBox>("cbxSourceSystem")->currentText();
            edit(c.button, [&](TfrmStringListEditor* d) {
                switch (action) {
                case OkUnchanged:
                    ok(d);
                    break;
                case OkChanged:
                    add(d, "NEW");
                    ok(d);
                    break;
                case Cancel:
                    add(d, "NEW");
                    cancel(d);
                    break;
                case ItemRemoved:
                case ItemReplaced: {
                    auto* list = d->findChild<QListWidget*>("ListBox");
                    const int row = int(d->items().indexOf(c.shown));
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                      list->visualItemRect(list->item(row)).center());
                    ASSERT_EQ(d->selectedIndex(), row);
                    if (action == ItemRemoved) {
                        press(d, "bbtSupprimer");
                    } else {
                        type(d, c.renamed);
                        press(d, "bbtRemplacer");
                        // A sort afterwards does not make the renamed item a new one.
                        press(d, "bbtTri");
                    }
                    ok(d);
                    break;
                }
                }
            });
            const QString expected = action == ItemRemoved    ? QString()
                                     : action == ItemReplaced ? c.renamed
                                                              : c.shown;
            EXPECT_EQ(child<QComboBox>(c.combo)->currentText(), expected);
            EXPECT_EQ(c.picture(win->picture()), expected);
            if (QString(c.button) == "bbtSID" && action != ItemRemoved) {
                // The source system shows another SID, which the rename leaves alone.
                EXPECT_EQ(child<QComboBox>("cbxSourceSystem")->currentText(), source);
            }
            // Save writes what is shown; without a SID it writes nothing at all.
            const QByteArray before = file();
            QTest::mouseClick(child<QPushButton>("bbtID_Save"), Qt::LeftButton);
            if (QString(c.button) == "bbtSID" && action == ItemRemoved) {
                EXPECT_EQ(file(), before);
                continue;
            }
            const auto saved = reread();
            const int i = saved->findProfile(child<QComboBox>("cbxID")->currentText());
            ASSERT_GE(i, 0);
            EXPECT_EQ(c.saved(saved->profiles()[i]), expected);
        }
    }
}

TEST_F(ListCommandsTest, OnlyAChangeOfTextOrOrderIsWritten)
{
    const QByteArray config = "[SystemTitle]\nNbItems=2\nItem_1=ERP\nItem_2=BW\n";
    start(config);
    // Edited and edited back: the same list, nothing to write.
    edit("bbtSystemTitle", [](TfrmStringListEditor* d) {
        add(d, "CRM");
        press(d, "bbtSupprimer");
        ok(d);
    });
    EXPECT_EQ(file(), config);

    // A change of letter case counts.
    edit("bbtSystemTitle", [](TfrmStringListEditor* d) {
        type(d, "erp");
        press(d, "bbtRemplacer");
        ok(d);
    });
    EXPECT_EQ(reread()->systemTitles().items(), (QStringList{"erp", "BW"}));

    // So does the order.
    edit("bbtSystemTitle", [](TfrmStringListEditor* d) {
        press(d, "bbtTri");
        ok(d);
    });
    EXPECT_EQ(reread()->systemTitles().items(), (QStringList{"BW", "erp"}));
}

TEST_F(ListCommandsTest, SidListIsCleanedByItsReload)
{
    start("[SID]\nNbItems=1\nItem_1=QAS\n");
    edit("bbtSID", [](TfrmStringListEditor* d) {
        add(d, " pr");
        add(d, "  ");
        type(d, "qas"); // a duplicate by another case can only come in by Replace
        press(d, "bbtRemplacer");
        add(d, "   ");
        ASSERT_EQ(d->items(), (QStringList{"QAS", " pr", "qas", "   "}));
        ok(d);
    });
    EXPECT_EQ(win->store().sids().items(), (QStringList{"pr", "QAS"}));
    EXPECT_EQ(win->store().sourceSystems().items(), (QStringList{"", "pr", "QAS"}));
    EXPECT_EQ(reread()->sids().items(), (QStringList{"pr", "QAS"}));
}

// The sorted drop-downs and the editor's Sort put texts in one order: the user's
// locale collation, letter case ignored (Swedish puts Ä after Z, French beside A).
TEST_F(ListCommandsTest, SortedListsAndTheEditorsSortAgree)
{
    const QByteArray config =
        QStringLiteral("[SystemTitle]\nNbItems=5\nItem_1=zulu\nItem_2=Éclair\n"
                       "Item_3=echo\nItem_4=Alpha\nItem_5=ÄRGER\n"
                       "[SID]\nNbItems=5\nItem_1=ZZZ\nItem_2=ÉA1\nItem_3=eb2\n"
                       "Item_4=a00\nItem_5=ÄB1\n"
                       "[SystemInfo]\nNbItems=5\n[SystemInfo_1]\nID=zulu\n"
                       "[SystemInfo_2]\nID=Éclair\n[SystemInfo_3]\nID=echo\n"
                       "[SystemInfo_4]\nID=Alpha\n[SystemInfo_5]\nID=ÄRGER\n")
            .toUtf8();
    const struct
    {
        QLocale locale;
        QStringList titles, sids;
    } cases[] = {
        {QLocale(QLocale::French, QLocale::France),
         {"Alpha", "ÄRGER", "echo", "Éclair", "zulu"},
         {"a00", "ÄB1", "ÉA1", "eb2", "ZZZ"}},
        {QLocale(QLocale::Swedish, QLocale::Sweden),
         {"Alpha", "echo", "Éclair", "zulu", "ÄRGER"},
         {"a00", "ÉA1", "eb2", "ZZZ", "ÄB1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        win.reset();
        start(config);
        const auto shown = [&](const char* name) {
            auto* combo = child<QComboBox>(name);
            QStringList out;
            for (int i = 0; i < combo->count(); ++i)
                out << combo->itemText(i);
            return out;
        };
        EXPECT_EQ(shown("cbxID"), c.titles);
        EXPECT_EQ(shown("cbxSID"), c.sids);
        for (const char* button : {"bbtSystemTitle", "bbtSID"}) {
            QStringList sorted;
            edit(button, [&](TfrmStringListEditor* d) {
                press(d, "bbtTri");
                sorted = d->items();
                cancel(d);
            });
            EXPECT_EQ(sorted, button == std::string("bbtSID") ? c.sids : c.titles) << button;
        }
    }
}

TEST_F(ListCommandsTest, RemovingTheFirstPositionShiftsTheColours)
{
    start("[LandscapeType]\nNbItems=3\nItem_1=DEV\nItem_2=QAS\nItem_3=PRD\n"
          "[Color]\nNbItems=3\nItem_1=255\nItem_2=65280\nItem_3=16711680\n");
    edit("bbtLandscapeType", [](TfrmStringListEditor* d) {
        ASSERT_EQ(d->selectedIndex(), 0);
        press(d, "bbtSupprimer");
        ok(d);
    });
    const LandscapeTypeList expected{{"QAS", 255}, {"PRD", 65280}};
    EXPECT_EQ(win->store().landscapeTypes(), expected);
    EXPECT_EQ(win->store().landscapeTypeNames().items(), (QStringList{"QAS", "PRD"}));
    EXPECT_EQ(reread()->landscapeTypes(), expected);
    EXPECT_TRUE(file().contains("Item_3=16711680")); // colours stay in their places
}

TEST_F(ListCommandsTest, RefusedWriteIsReportedAndSkipsTheReload)
{
    start("[SID]\nNbItems=1\nItem_1=QAS\n");
    QString message;
    edit("bbtSID", [&](TfrmStringListEditor* d) {
        add(d, " pr");
        // A folder that is gone refuses the write, whoever runs the test.
        ASSERT_TRUE(dir.remove());
        acceptNextMessageBox(&message);
        ok(d);
    });
    EXPECT_TRUE(message.startsWith("Impossible d'écrire dans")) << message.toStdString();
    // No reload: the list keeps the user's text, the source systems what they
    // had.
    EXPECT_EQ(win->store().sids().items(), (QStringList{" pr", "QAS"}));
    EXPECT_EQ(win->store().sourceSystems().items(), (QStringList{"", "QAS"}));
}

} // namespace

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}
