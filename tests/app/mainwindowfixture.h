#pragma once

// Shared set-up of the main window tests: a Config.ini fixture in a temporary folder,
// the real window shown offscreen, and helpers that act as the user would.

#include "formcontrols.h"
#include "modalwatchdog.h"
#include "testdata.h"
#include "uMainNew.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include <unistd.h>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// Lists and profiles most tests start from (tests/data/main-window.ini, which the
// preview end-to-end run shows too). LastRefresh 03/03/2024 reads the same in day-first
// and month-first locales.
inline QByteArray StandardConfig()
{
    return TestData("main-window.ini");
}

class MainWindowTest : public ::testing::Test
{
protected:
    QString configPath() const { return dir.filePath(QStringLiteral("Config.ini")); }

    QByteArray configBytes() const
    {
        QFile f(configPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void writeConfig(const QByteArray& bytes)
    {
        QFile f(configPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // Writes the fixture and opens the window on it, shown and active.
    void open(const QByteArray& config = StandardConfig())
    {
        writeConfig(config);
        openExisting();
    }

    void openExisting()
    {
        w = std::make_unique<TfrmMainNew>(QStringList{configPath()});
        ui = std::make_unique<const MainWindowControls>(w.get());
        w->move(0, 0);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    void TearDown() override
    {
        ui.reset();
        w.reset();
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }

    // Picks an item as the user does: opens the list, moves to the item and presses Enter.
    static void pick(QComboBox* combo, const QString& text)
    {
        const int row = combo->findText(text, Qt::MatchFixedString);
        ASSERT_GE(row, 0) << text.toStdString();
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
        view->setCurrentIndex(view->model()->index(row, 0));
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_FALSE(view->isVisible());
    }

    static QString text(const QComboBox* combo)
    {
        return combo->currentIndex() >= 0 ? combo->currentText() : QString();
    }

    static QStringList items(const QComboBox* combo)
    {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    }

    // Runs f on the next modal widget of type T (a message box, a file dialog) once it is
    // shown; f must close it. Returns at once: the modal loop of the command runs f.
    template <class T = QWidget> static void whenModal(std::function<void(T*)> f)
    {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, f] {
            auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!modal || !modal->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            ModalWatchdog::claim(modal);
            f(modal);
        });
        timer->start();
    }

    // Confirms path in an open file dialog as the user does, typing it into the name
    // field. The dialog lists its folder in the background and may reset the field
    // meanwhile: try again until it closes.
    static void confirmFile(QFileDialog* dialog, const QString& path)
    {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        for (int attempt = 0; attempt < 100 && dialog->isVisible(); ++attempt) {
            if (edit)
                edit->setText(path);
            else
                dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
            if (dialog->isVisible())
                QTest::qWait(20);
        }
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the file dialog refused " << path.toStdString();
            dialog->reject();
        }
    }

    // Answers the next message box with button and keeps its title, text and icon.
    struct Box
    {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool shown = false;
    };
    static std::shared_ptr<Box> answerBox(QMessageBox::StandardButton button = QMessageBox::Ok)
    {
        auto box = std::make_shared<Box>();
        whenModal<QMessageBox>([box, button](QMessageBox* mb) {
            box->shown = true;
            box->title = mb->windowTitle();
            box->text = mb->text();
            box->icon = mb->icon();
            mb->button(button)->click();
        });
        return box;
    }

    QTemporaryDir dir;
    std::unique_ptr<TfrmMainNew> w;
    std::unique_ptr<const MainWindowControls> ui;
};

// Root ignores file permissions: the refused-write cases drop to an unprivileged
// effective user for their duration.
class Unprivileged
{
public:
    Unprivileged()
    {
        if (geteuid() == 0)
            m_dropped = seteuid(65534) == 0;
    }
    ~Unprivileged()
    {
        // The tests after this one would run unprivileged.
        if (m_dropped && seteuid(0) != 0)
            ADD_FAILURE() << "cannot become root again";
    }

private:
    bool m_dropped = false;
};
