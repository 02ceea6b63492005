// tavelorn-export: renders saved profiles of a configuration file to JPEG pictures,
// exactly as the main window shows them right after the profile is picked. It only
// reads the configuration file.

#include "apperror.h"
#include "applyprofile.h"
#include "configfile.h"
#include "configstore.h"
#include "jpegexport.h"
#include "picture.h"
#include "profilelists.h"
#include "safefile.h"
#include "text.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <optional>

#include <unistd.h>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNotFound = 3;
constexpr int kExitFailed = 4;

const char* const kUsage = "Usage: tavelorn-export [--config FILE] --list\n"
                           "       tavelorn-export [--config FILE] --profile ID [--output PATH]\n"
                           "       tavelorn-export [--config FILE] --all [--output-dir DIR]\n";

const char* const kHelp =
    "Renders saved Tavelorn profiles to 450 x 600 JPEG pictures, as the main window\n"
    "shows them. The configuration file is only read.\n"
    "\n"
    "  --config FILE     configuration file (default: the program's own Config.ini)\n"
    "  --list            print the profile identifiers, one a line, in file order\n"
    "  --profile ID      export the profile with this identifier (letter case counts)\n"
    "  --output PATH     file to write; its extension becomes .jpg (default:\n"
    "                    SID_yyyy_MM_dd.jpg in the current folder, with the refresh\n"
    "                    date of the profile, else today)\n"
    "  --all             export every profile under its default name\n"
    "  --output-dir DIR  folder for --all (default: the current folder)\n"
    "  --help            show this help\n"
    "  --version         show the version\n"
    "\n"
    "Exit status: 0 done, 2 usage error, 3 profile not found, 4 picture or file error.\n";

void printErr(const QString& text)
{
    std::fputs(qPrintable(QStringLiteral("tavelorn-export: ") + text + u'\n'), stderr);
}

void printOut(const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stdout);
}

int usageError(const QString& what)
{
    printErr(what);
    std::fputs(kUsage, stderr);
    std::fputs("Try 'tavelorn-export --help' for more information.\n", stderr);
    return kExitUsage;
}

struct Options
{
    std::optional<QString> config;
    bool list = false;
    std::optional<QString> profile;
    std::optional<QString> output;
    bool all = false;
    std::optional<QString> outputDir;
    bool help = false;
    bool version = false;
};

// Parses the arguments (without the program name); returns the error text, if any.
QString parseArguments(const QStringList& args, Options& o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args.at(i);
        std::optional<QString> inlineValue;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(u'=')) {
            inlineValue = arg.mid(arg.indexOf(u'=') + 1);
            arg = arg.left(arg.indexOf(u'='));
        }
        auto value = [&](std::optional<QString>& target) -> QString {
            if (target)
                return QStringLiteral("%1 given twice").arg(arg);
            if (inlineValue) {
                target = *inlineValue;
            } else {
                if (i + 1 >= args.size())
                    return QStringLiteral("%1 needs a value").arg(arg);
                target = args.at(++i);
            }
            return QString();
        };
        auto flag = [&](bool& target) -> QString {
            if (inlineValue)
                return QStringLiteral("%1 takes no value").arg(arg);
            target = true;
            return QString();
        };
        QString error;
        if (arg == QLatin1String("--config"))
            error = value(o.config);
        else if (arg == QLatin1String("--profile"))
            error = value(o.profile);
        else if (arg == QLatin1String("--output"))
            error = value(o.output);
        else if (arg == QLatin1String("--output-dir"))
            error = value(o.outputDir);
        else if (arg == QLatin1String("--list"))
            error = flag(o.list);
        else if (arg == QLatin1String("--all"))
            error = flag(o.all);
        else if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            error = flag(o.help);
        else if (arg == QLatin1String("--version"))
            error = flag(o.version);
        else if (arg.startsWith(u'-'))
            error = QStringLiteral("unknown option %1").arg(arg);
        else
            error = QStringLiteral("unexpected argument \"%1\"").arg(arg);
        if (!error.isEmpty())
            return error;
    }
    if (o.help || o.version)
        return QString();
    const int modes = int(o.list) + int(o.profile.has_value()) + int(o.all);
    if (modes == 0)
        return QStringLiteral("give one of --list, --profile or --all");
    if (modes > 1)
        return QStringLiteral("--list, --profile and --all exclude each other");
    if (o.output && !o.profile)
        return QStringLiteral("--output goes with --profile");
    if (o.outputDir && !o.all)
        return QStringLiteral("--output-dir goes with --all");
    if ((o.config && o.config->isEmpty()) || (o.output && o.output->isEmpty()) ||
        (o.outputDir && o.outputDir->isEmpty()))
        return QStringLiteral("empty file or folder name");
    return QString();
}

// The picture of profile p as the window shows it after starting and picking it.
void renderProfile(const tySystemInfo& p, const TConfigStore& store, QImage& image,
                   QString* sidShown)
{
    tyPicture picture;
    TProfileLists lists = TProfileLists::Scratch(store);
    ApplySystemInfoToPicture(picture, p, lists);
    RenderPicture(picture, image);
    // A JPEG background whose data proves corrupt only shows at drawing.
    if (picture.imgPicture.Picture) {
        const QString drawError = picture.imgPicture.Picture->takeDrawError();
        if (!drawError.isEmpty())
            throw EAppError(drawError);
    }
    if (sidShown)
        *sidShown = picture.lblSID.Text;
}

// The proposed name: the SID the window shows (the profile's own when the list cannot
// select it), with "/" kept out of the file name.
QString defaultName(const tySystemInfo& p, const QString& sidShown)
{
    QString sid = sidShown.isEmpty() ? trimText(p.SID) : sidShown;
    sid.replace(u'/', u'_');
    if (sid.isEmpty())
        return QString();
    return DefaultPictureFileName(sid, p.LastRefresh > 0 ? p.LastRefresh : nowDateTime());
}

void writePicture(const QImage& image, const QString& path)
{
    WritePictureFile(path, EncodeJpeg(image, 100));
}

int exportOne(const TConfigStore& store, const QString& id, const std::optional<QString>& output)
{
    const qint32 i = store.FindSystemInfo(id);
    if (i < 0) {
        printErr(QStringLiteral("profile \"%1\" not found").arg(id));
        return kExitNotFound;
    }
    const tySystemInfo& p = store.FArrSystemInfo.at(i);
    QImage image;
    QString sidShown;
    renderProfile(p, store, image, &sidShown);
    QString path;
    if (output) {
        path = ForceJpgExtension(*output);
    } else {
        path = defaultName(p, sidShown);
        if (path.isEmpty()) {
            printErr(QStringLiteral("profile \"%1\" has no SID to name the file: give --output")
                         .arg(id));
            return kExitFailed;
        }
    }
    writePicture(image, path);
    printOut(path);
    return kExitOk;
}

int exportAll(const TConfigStore& store, const QString& outputDir)
{
    QDir dir(outputDir);
    if (!dir.exists() && !QDir().mkpath(outputDir)) {
        printErr(errorBoxText(
            QStringLiteral("Impossible de créer le dossier \"%1\". %2")
                .arg(QFileInfo(outputDir).absoluteFilePath(), systemErrorText(errno))));
        return kExitFailed;
    }
    int status = kExitOk;
    QSet<QString> used;
    for (const tySystemInfo& p : store.FArrSystemInfo) {
        if (p.ID.isEmpty())
            continue;
        try {
            QImage image;
            QString sidShown;
            renderProfile(p, store, image, &sidShown);
            const QString name = defaultName(p, sidShown);
            if (name.isEmpty()) {
                printErr(QStringLiteral("profile \"%1\" has no SID to name the file: skipped")
                             .arg(p.ID));
                status = kExitFailed;
                continue;
            }
            QString unique = name;
            const QString stem = name.left(name.size() - 4); // without ".jpg"
            for (int n = 2; used.contains(unique); ++n)
                unique = QStringLiteral("%1_%2.jpg").arg(stem).arg(n);
            if (unique != name)
                printErr(QStringLiteral("profile \"%1\": %2 is already taken, written as %3")
                             .arg(p.ID, name, unique));
            used.insert(unique);
            const QString path = dir.filePath(unique);
            writePicture(image, path);
            printOut(path);
        } catch (const EAppError& e) {
            printErr(QStringLiteral("profile \"%1\": %2").arg(p.ID, errorBoxText(e.message())));
            status = kExitFailed;
        }
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    Options o;
    const QString error = parseArguments(args, o);
    if (!error.isEmpty())
        return usageError(error);
    if (o.help) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return kExitOk;
    }
    if (o.version) {
        std::fputs("tavelorn-export " TAVELORN_VERSION "\n", stdout);
        return kExitOk;
    }

    // Fonts need a GUI application; a headless command never needs a display. Qt's own
    // warnings (a missing runtime folder...) are no business of a script's.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            printErr(msg);
    });
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    QGuiApplication::setApplicationName(QStringLiteral("tavelorn-export"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TAVELORN_VERSION));

    try {
        const QString configFile = o.config ? *o.config : DefaultConfigFilePath();
        if (o.config) {
            // A file named on purpose must be one we can read; the default one may be absent.
            int cause = 0;
            const int fd = OpenRegularFileForReading(configFile, cause);
            if (fd < 0) {
                printErr(errorBoxText(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                                          .arg(configFile, systemErrorText(cause))));
                return kExitFailed;
            }
            ::close(fd);
        }
        TConfigStore store(configFile);
        store.LoadAll();
        if (o.list) {
            for (const tySystemInfo& p : store.FArrSystemInfo)
                if (!p.ID.isEmpty())
                    printOut(p.ID);
            return kExitOk;
        }
        if (!PictureFaceAvailable()) {
            printErr(QStringLiteral("the face \"Calibri\" and its substitute \"Carlito\" are "
                                    "missing (package fonts-crosextra-carlito)"));
            return kExitFailed;
        }
        if (o.profile)
            return exportOne(store, *o.profile, o.output);
        return exportAll(store, o.outputDir ? *o.outputDir : QStringLiteral("."));
    } catch (const EAppError& e) {
        printErr(errorBoxText(e.message()));
        return kExitFailed;
    } catch (const std::exception& e) {
        printErr(QString::fromLocal8Bit(e.what()));
        return kExitFailed;
    }
}
