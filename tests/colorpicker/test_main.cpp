#include "modalwatchdog.h"
#include "pickeraccessible.h"

#include <QApplication>
#include <QLocale>
#include <QStyle>

#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform cannot raise windows or grab the keyboard for pop-ups and
// says so on every opening; that is no fault of the widgets under test.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (msg.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, msg);
}

} // namespace

int main(int argc, char** argv)
{
    previousHandler = qInstallMessageHandler(quietHandler);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    tavelorn::installColorPickerAccessibility();
    // A fixed style and palette, so pixels read back do not depend on the desktop.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(QApplication::style()->standardPalette());
    ::testing::InitGoogleTest(&argc, argv);
    ModalWatchdog watchdog;
    return RUN_ALL_TESTS();
}
