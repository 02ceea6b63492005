#include "handlerguard.h"

#include "apperror.h"
#include "modalwatchdog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace tavelorn;

namespace {

// A window whose handlers run through one guard, as a dialog of the program does: a
// button whose handler sets a check box and an edit, each of which runs its own handler.
class GuardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        button = new QPushButton(QStringLiteral("Go"), window.get());
        box = new QCheckBox(window.get());
        edit = new QLineEdit(window.get());
        button->setGeometry(0, 0, 80, 25);
        guard = std::make_unique<HandlerGuard>(window.get(), [this] { log << "finish"; });
        // Every message box is answered at once and its text kept.
        QObject::connect(&answerer, &QTimer::timeout, [this] {
            if (auto* mb = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ModalWatchdog::claim(mb);
                errors << mb->text();
                mb->button(QMessageBox::Ok)->click();
            }
        });
        answerer.start(10);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override
    {
        guard.reset();
        window.reset();
    }

    // Connects signal of sender to a handler that logs name and then runs body.
    template <class Sender, class Signal>
    void handler(Sender* sender, Signal signal, const QString& name, std::function<void()> body)
    {
        QObject::connect(sender, signal, window.get(), [this, name, body] {
            guard->run([&] {
                log << name;
                if (body)
                    body();
            });
        });
    }

    void click() { QTest::mouseClick(button, Qt::LeftButton); }

    static void fail(const char* message) { throw AppError(QString::fromUtf8(message)); }

    std::unique_ptr<QWidget> window;
    QPushButton* button = nullptr;
    QCheckBox* box = nullptr;
    QLineEdit* edit = nullptr;
    std::unique_ptr<HandlerGuard> guard;
    QTimer answerer;
    QStringList log, errors;
};

TEST_F(GuardTest, NestedErrorEndsTheOuterHandlerAndSkipsTheHandlersStillToRun)
{
    handler(box, &QCheckBox::toggled, "box", [] { fail("Erreur JPEG #42"); });
    // A second handler on the same signal would run after the failing one.
    handler(box, &QCheckBox::toggled, "box again", {});
    handler(edit, &QLineEdit::textChanged, "edit", {});
    handler(button, &QPushButton::clicked, "button", [this] {
        HandlerGuard::nested([&] { box->setChecked(true); });
        log << "after box";
        HandlerGuard::nested([&] { edit->setText(QStringLiteral("x")); });
        log << "after edit";
    });

    click();

    EXPECT_EQ(log, QStringList({"button", "box", "finish"}));
    EXPECT_EQ(errors, QStringList{"Erreur JPEG #42."});
    // The state the handler reached stays.
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(edit->text().isEmpty());
}

TEST_F(GuardTest, ErrorTwoLevelsDownEndsEveryHandlerAboveIt)
{
    handler(edit, &QLineEdit::textChanged, "edit", [] { fail("deep"); });
    handler(box, &QCheckBox::toggled, "box", [this] {
        HandlerGuard::nested([&] { edit->setText(QStringLiteral("x")); });
        log << "box went on";
    });
    handler(button, &QPushButton::clicked, "button", [this] {
        HandlerGuard::nested([&] { box->setChecked(true); });
        log << "button went on";
    });

    click();

    EXPECT_EQ(log, QStringList({"button", "box", "edit", "finish"}));
    EXPECT_EQ(errors, QStringList{"deep."});
}

TEST_F(GuardTest, NestedErrorIsShownOnceEvenWhenTheOuterHandlerNeverAsks)
{
    handler(box, &QCheckBox::toggled, "box", [] { fail("inner"); });
    handler(button, &QPushButton::clicked, "button", [this] {
        box->setChecked(true);
        log << "outer went on";
        fail("outer");
    });

    click();

    // The nested error came first and is the one reported.
    EXPECT_EQ(log, QStringList({"button", "box", "outer went on", "finish"}));
    EXPECT_EQ(errors, QStringList{"inner."});
}

TEST_F(GuardTest, AHandlerInsideAModalDialogReportsItsOwnError)
{
    QDialog* dialog = new QDialog(window.get());
    auto* inside = new QPushButton(QStringLiteral("Inside"), dialog);
    inside->setGeometry(0, 0, 80, 25);
    HandlerGuard dialogGuard(dialog);
    QObject::connect(inside, &QPushButton::clicked, dialog, [&] {
        dialogGuard.run([&] {
            log << "inside";
            fail("in the dialog");
        });
    });
    handler(button, &QPushButton::clicked, "button", [&] {
        QTimer::singleShot(0, dialog, [&] {
            ModalWatchdog::claim(dialog);
            QTest::mouseClick(inside, Qt::LeftButton);
            log << "dialog goes on";
            dialog->accept();
        });
        dialog->exec();
        log << "after dialog";
    });

    click();

    EXPECT_EQ(log, QStringList({"button", "inside", "dialog goes on", "after dialog", "finish"}));
    EXPECT_EQ(errors, QStringList{"in the dialog."});
}

TEST_F(GuardTest, FinishRunsOnceAndReportsItsErrorWhenTheHandlerSucceeded)
{
    int finishes = 0;
    guard = std::make_unique<HandlerGuard>(window.get(), [&] {
        ++finishes;
        fail("finish failed");
    });
    handler(box, &QCheckBox::toggled, "box", {});
    handler(button, &QPushButton::clicked, "button",
            [this] { HandlerGuard::nested([&] { box->setChecked(true); }); });

    click();
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(errors, QStringList{"finish failed."});

    // The handler's own error wins over the finishing one.
    errors.clear();
    handler(edit, &QLineEdit::textChanged, "edit", [] { fail("edit failed"); });
    edit->setText(QStringLiteral("y"));
    EXPECT_EQ(finishes, 2);
    EXPECT_EQ(errors, QStringList{"edit failed."});
}

TEST_F(GuardTest, ErrorResetsTheBusyCursorAndTheNextHandlerRunsAfresh)
{
    handler(box, &QCheckBox::toggled, "box", [] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        fail("busy");
    });
    handler(button, &QPushButton::clicked, "button",
            [this] { HandlerGuard::nested([&] { box->setChecked(!box->isChecked()); }); });

    click();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    click();
    EXPECT_EQ(log, QStringList({"button", "box", "finish", "button", "box", "finish"}));
    EXPECT_EQ(errors, QStringList({"busy.", "busy."}));
    EXPECT_FALSE(HandlerGuard::running());
}

} // namespace

int main(int argc, char** argv)
{
    return runWidgetTests(argc, argv);
}
