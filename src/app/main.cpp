#include "apptitle.h"
#include "quitsignals.h"
#include "uMainNew.h"

#include <QApplication>
#include <QIcon>

// Every window is laid out in pixels at 96 dpi and the program claims no awareness of
// the screen's resolution: Qt is shown a 96-dpi screen, so windows, their fonts and
// the message boxes keep the same pixel sizes on any screen.
static void presentA96DpiScreen()
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_FONT_DPI", "96");
}

int main(int argc, char* argv[])
{
    presentA96DpiScreen();
    QApplication app(argc, argv);
    QuitOnTerminationSignals();
    QApplication::setApplicationName(QStringLiteral("Tavelorn"));
    // No display name: Qt would append it to every dialog's title.
    QApplication::setDesktopFileName(QStringLiteral("tavelorn"));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    TfrmMainNew frmMainNew(arguments);
    QApplication::setWindowIcon(frmMainNew.windowIcon());
    frmMainNew.show();
    QApplication::exec();
    return 0;
}
