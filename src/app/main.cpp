#include "apptitle.h"
#include "uMainNew.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
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
