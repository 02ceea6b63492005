#include "apptitle.h"
#include "quitsignals.h"
#include "uMainNew.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

using namespace tavelorn;

namespace {

const char* const kHelp =
    "Usage: tavelorn [CONFIG-FILE]\n"
    "       tavelorn --help | --version\n"
    "\n"
    "Composes the identification picture of an SAP system. CONFIG-FILE, when it is the\n"
    "only argument and an existing file, is the configuration file; any other command\n"
    "line uses Tavelorn-Tools/Tavelorn/Config.ini in $XDG_CONFIG_HOME (default ~/.config).\n"
    "A file named --help or --version is given as ./--help or ./--version.\n"
    "\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "\n"
    "Pictures of saved profiles are exported from scripts by tavelorn-export.\n";

// Answers --help and --version before any window system is needed; -1 for any other
// command line. The option wins over a file of that name: "./--help" still opens one.
int answerQuestion(int argc, char* argv[])
{
    if (argc != 2)
        return -1;
    const char* text = nullptr;
    if (std::strcmp(argv[1], "--help") == 0)
        text = kHelp;
    else if (std::strcmp(argv[1], "--version") == 0)
        text = "tavelorn " TAVELORN_VERSION "\n";
    else
        return -1;
    if (std::fputs(text, stdout) == EOF || std::fflush(stdout) != 0) {
        std::perror("tavelorn: cannot write to standard output");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = answerQuestion(argc, argv); answered >= 0)
        return answered;
    // The windows are laid out in 96-dpi pixels; Qt scales them by the desktop's factor (a
    // Wayland output's scale, Xft.dpi / 96 on X11) and draws them sharp at that size.
    QApplication app(argc, argv);
    quitOnTerminationSignals();
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
