// tavelorn-export: renders saved profiles of a configuration file to JPEG pictures,
// exactly as the main window shows them right after the profile is picked. It only
// reads the configuration file.

#include "apperror.h"
#include "applyprofile.h"
#include "configfile.h"
#include "configstore.h"
#include "folders.h"
#include "graphic.h"
#include "inifile.h"
#include "jpegexport.h"
#include "landscapeprofile.h"
#include "orderedbatch.h"
#include "picture.h"
#include "profilelists.h"
#include "safefile.h"
#include "text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include <malloc.h>
#include <sched.h>

#include <unistd.h>

using namespace tavelorn;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNotFound = 3;
constexpr int kExitFailed = 4;

const char* const kUsage = "Usage: tavelorn-export [--config FILE] --list\n"
                           "       tavelorn-export [--config FILE] --profile ID [--output PATH|-]\n"
                           "       tavelorn-export [--config FILE] --all [--output-dir DIR]\n"
                           "       tavelorn-export --landscape FILE... --list\n"
                           "       tavelorn-export [--config FILE] --landscape FILE... --template ID --all\n"
                           "                       [--output-dir DIR] [--title name|description]\n";

const char* const kHelp =
    "Renders saved Tavelorn profiles to 450 x 600 JPEG pictures, as the main window\n"
    "shows them. The configuration file is only read.\n"
    "\n"
    "  --config FILE     configuration file (default: the program's own Config.ini)\n"
    "  --list            print the profile identifiers, one a line, in file order\n"
    "  --profile ID      export the profile with this identifier (letter case counts)\n"
    "  --output PATH     file to write; its extension becomes .jpg and a missing folder\n"
    "                    is created (default: SID_yyyy_MM_dd.jpg in the current folder,\n"
    "                    with the refresh date of the profile, else today); a PATH that\n"
    "                    ends with / or names a folder gets the default name in that\n"
    "                    folder; - writes the picture to standard output\n"
    "  --all             export every profile under its default name\n"
    "  --output-dir DIR  folder for --all, created when missing (default: the current\n"
    "                    folder)\n"
    "  --landscape FILE  an SAP UI landscape file (SAPUILandscape.xml); may be repeated.\n"
    "                    With --list, print its systems: SID, name and folder, one a\n"
    "                    line; with --template ID --all, export one picture per system,\n"
    "                    made from the profile ID with the system's SID, name as title\n"
    "                    and the first landscape position its name, description or\n"
    "                    folder names as a whole word\n"
    "  --title WHAT      with --landscape: the title is the system's name (default) or\n"
    "                    its description\n"
    "  --help            show this help\n"
    "  --version         show the version\n"
    "  --                end of the options\n"
    "\n"
    "Refresh dates are read in the short date format of the locale (LC_ALL, else LC_TIME,\n"
    "else LANG); one that is no date there is left out of the picture, with a warning.\n"
    "A background picture that does not exist is left out, with a warning.\n"
    "\n"
    "Exit status: 0 done, 2 usage error, 3 profile not found (or, for --all, no\n"
    "configuration file), 4 picture, file or output error.\n";

void printErr(const QString& text)
{
    // Nothing is left to tell of a failed write to standard error.
    (void)std::fputs(qPrintable(QStringLiteral("tavelorn-export: ") + text + u'\n'), stderr);
}

// errno of the first write to standard output that failed; 0 while none has.
int g_stdoutError = 0;

void noteStdoutResult(int result)
{
    if (result == EOF && g_stdoutError == 0)
        g_stdoutError = errno != 0 ? errno : EIO;
}

void printOut(const QString& text)
{
    noteStdoutResult(std::fputs(qPrintable(text + u'\n'), stdout));
}

// One warning a line: a profile's warnings are kept as lines of one text.
void printWarning(const QString& text)
{
    for (const QStringView line : QStringView(text).split(u'\n'))
        printErr(QStringLiteral("warning: ") + line.toString());
}

// A script must not take lost output for success: a write that failed, even one found
// only now that the buffer is flushed, makes a successful run fail.
int finishOutput(int status)
{
    noteStdoutResult(std::fflush(stdout));
    if (std::ferror(stdout) && g_stdoutError == 0)
        g_stdoutError = EIO;
    bool lost = false;
    if (g_stdoutError != 0) {
        printErr(QStringLiteral("cannot write to standard output: ") +
                 systemErrorText(g_stdoutError));
        lost = true;
    }
    // Messages and the progress line; nothing is left to report this one with.
    if (std::fflush(stderr) != 0 || std::ferror(stderr))
        lost = true;
    return lost && status == kExitOk ? kExitFailed : status;
}

// What a profile's failure says: the user's message, or what else went wrong.
QString failureText(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AppError& e) {
        return errorBoxText(e.message());
    } catch (const std::bad_alloc&) {
        return QStringLiteral("out of memory");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unexpected error");
    }
}

// Creates folder and the parents it lacks; 0, or the errno value of the part that could
// not be made.
int makeOutputFolder(const QString& folder)
{
    return makeFolders(QFile::encodeName(QDir::cleanPath(QFileInfo(folder).absoluteFilePath())),
                       0777);
}

int folderError(const QString& folder, int cause)
{
    printErr(errorBoxText(QStringLiteral("Impossible de créer le dossier \"%1\". %2")
                              .arg(QFileInfo(folder).absoluteFilePath(), systemErrorText(cause))));
    return kExitFailed;
}

int usageError(const QString& what)
{
    printErr(what);
    (void)std::fputs(kUsage, stderr);
    (void)std::fputs("Try 'tavelorn-export --help' for more information.\n", stderr);
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
    QStringList landscapes;
    std::optional<QString> templateId;
    std::optional<QString> title;
    bool help = false;
    bool version = false;
};

// Parses the arguments (without the program name); returns the error text, if any.
QString parseArguments(const QStringList& args, Options& o)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded)
            return QStringLiteral("unexpected argument \"") + arg + u'"';
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
        else if (arg == QLatin1String("--landscape")) {
            std::optional<QString> file;
            error = value(file);
            if (file)
                o.landscapes.append(*file);
        } else if (arg == QLatin1String("--template"))
            error = value(o.templateId);
        else if (arg == QLatin1String("--title"))
            error = value(o.title);
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
    if (!o.landscapes.isEmpty()) {
        if (o.profile)
            return QStringLiteral("--profile does not go with --landscape");
        if (o.all != o.templateId.has_value())
            return QStringLiteral("--landscape exports with --template and --all");
        if (o.landscapes.contains(QString()) || (o.templateId && o.templateId->isEmpty()))
            return QStringLiteral("empty file name or profile identifier");
    } else if (o.templateId || o.title) {
        return o.templateId ? QStringLiteral("--template goes with --landscape")
                            : QStringLiteral("--title goes with --landscape");
    }
    if (o.title && !o.templateId)
        return QStringLiteral("--title goes with --template");
    if (o.title && *o.title != QLatin1String("name") && *o.title != QLatin1String("description"))
        return QStringLiteral("--title takes name or description");
    if ((o.config && o.config->isEmpty()) || (o.output && o.output->isEmpty()) ||
        (o.outputDir && o.outputDir->isEmpty()))
        return QStringLiteral("empty file or folder name");
    return QString();
}

// The picture of profile p as the window shows it after starting and picking it.
void renderProfile(const Profile& p, const ConfigStore& store, QImage& image,
                   QString* sidShown)
{
    PictureModel picture;
    ProfileLists lists = ProfileLists::scratch(store);
    applyProfileToPicture(picture, p, lists);
    renderPicture(picture, image);
    // A JPEG background whose data proves corrupt only shows at drawing.
    if (picture.background.graphic) {
        const QString drawError = picture.background.graphic->takeDrawError();
        if (!drawError.isEmpty())
            throw AppError(drawError);
    }
    if (sidShown)
        *sidShown = picture.sid.text;
}

// The proposed name: the SID the window shows (the profile's own when the list cannot
// select it), with "/" kept out of the file name.
QString defaultName(const Profile& p, const QString& sidShown)
{
    QString sid = sidShown.isEmpty() ? trimText(p.sid) : sidShown;
    sid.replace(u'/', u'_');
    if (sid.isEmpty())
        return QString();
    return defaultPictureFileName(sid, p.lastRefresh > 0 ? p.lastRefresh : nowDateTime());
}

void writePicture(const QImage& image, const QString& path)
{
    writePictureFile(path, encodeJpeg(image, 100));
}

// The warning for profile number i when its refresh date is written but is no date in
// this locale's short format; empty otherwise. Such a profile renders without a refresh
// line and is named with today's date, as the window shows it; the warning tells a
// script's author why.
QString refreshDateWarning(const IniFile& ini, const ShortDateFormat& format,
                           const ConfigStore& store, qsizetype i)
{
    const Profile& p = store.profiles().at(i);
    // Only a text that failed to read leaves the date at 0.
    if (p.id.isEmpty() || p.lastRefresh != 0)
        return QString();
    // The store fills profile i from section i + 1.
    const QString key = QStringLiteral("LastRefresh");
    const QString text =
        ini.readString(QStringLiteral("SystemInfo_") + QString::number(i + 1), key, QString());
    if (text.isEmpty() || format.parse(text))
        return QString();
    return QStringLiteral("profile \"") + p.id + QStringLiteral("\": ") + key +
           QStringLiteral(" \"") + text +
           QStringLiteral("\" is not a date in this locale's short format (") + format.pattern() +
           QStringLiteral("); the refresh line is left out");
}

// The warning for a profile whose background picture does not exist, which the window
// leaves out silently (a path from Windows names no file here); empty otherwise.
QString missingPictureWarning(const Profile& p)
{
    if (p.id.isEmpty() || p.picturePath.isEmpty() || pictureFileExists(p.picturePath))
        return QString();
    return QStringLiteral("profile \"") + p.id + QStringLiteral("\": background picture \"") +
           p.picturePath + QStringLiteral("\" not found; the picture is drawn without it");
}

// The warnings of the profiles to export, by profile index, one a line.
QHash<qsizetype, QString> refreshDateWarnings(const IniFile& ini, const ConfigStore& store,
                                              const std::optional<QString>& onlyId)
{
    QHash<qsizetype, QString> warnings;
    const ShortDateFormat format;
    const auto add = [&](qsizetype i) {
        QStringList lines;
        for (QString w : {refreshDateWarning(ini, format, store, i),
                          missingPictureWarning(store.profiles().at(i))})
            if (!w.isEmpty())
                lines.append(std::move(w));
        if (!lines.isEmpty())
            warnings.emplace(i, lines.join(u'\n'));
    };
    if (onlyId) {
        if (const qint32 i = store.findProfile(*onlyId); i >= 0)
            add(i);
    } else {
        for (qsizetype i = 0; i < store.profiles().size(); ++i)
            add(i);
    }
    return warnings;
}

int exportOne(const ConfigStore& store, const QHash<qsizetype, QString>& warnings,
              const QString& id, const std::optional<QString>& output)
{
    const qint32 i = store.findProfile(id);
    if (i < 0) {
        printErr(QStringLiteral("profile \"%1\" not found").arg(id));
        return kExitNotFound;
    }
    const Profile& p = store.profiles().at(i);
    QImage image;
    QString sidShown;
    renderProfile(p, store, image, &sidShown);
    if (const auto warning = warnings.constFind(i); warning != warnings.cend())
        printWarning(*warning);
    if (output && *output == QLatin1String("-")) {
        // Lost output is found and reported at the end, as for text.
        const QByteArray jpeg = encodeJpeg(image, 100);
        if (std::fwrite(jpeg.constData(), 1, size_t(jpeg.size()), stdout) != size_t(jpeg.size()))
            noteStdoutResult(EOF);
        return kExitOk;
    }
    // A folder, by a final "/" or because it is one, gets the default name inside.
    QString folder;
    if (output && (output->endsWith(u'/') || QFileInfo(*output).isDir()))
        folder = output->endsWith(u'/') ? *output : *output + u'/';
    QString path;
    if (output && folder.isEmpty()) {
        path = forceJpgExtension(*output);
    } else {
        path = defaultName(p, sidShown);
        if (path.isEmpty()) {
            printErr(QStringLiteral("profile \"%1\" has no SID to name the file: give --output")
                         .arg(id));
            return kExitFailed;
        }
        path.prepend(folder);
    }
    // A missing folder is made, as --output-dir makes its own.
    const QString pictureFolder = QFileInfo(path).absolutePath();
    if (const int cause = makeOutputFolder(pictureFolder))
        return folderError(pictureFolder, cause);
    writePicture(image, path);
    printOut(path);
    return kExitOk;
}

// Cores this process may run on.
int usableCores()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1, int(std::thread::hardware_concurrency()));
}

// "done of total" on standard error while --all runs, when that is a terminal; blanked
// out before anything else is printed, so that only the messages stay.
class ProgressLine
{
public:
    explicit ProgressLine(qsizetype total) : m_total(total), m_terminal(isatty(STDERR_FILENO) == 1)
    {
    }
    ~ProgressLine() { erase(); }
    void erase()
    {
        if (m_width > 0)
            (void)std::fprintf(stderr, "\r%*s\r", m_width, "");
        m_width = 0;
    }
    void show(qsizetype done)
    {
        if (!m_terminal)
            return;
        noteStdoutResult(std::fflush(stdout)); // a path printed to the same terminal comes first
        erase();
        m_width = std::fprintf(stderr, "tavelorn-export: %lld/%lld", static_cast<long long>(done),
                               static_cast<long long>(m_total));
        (void)std::fflush(stderr);
    }

private:
    const qsizetype m_total;
    const bool m_terminal;
    int m_width = 0;
};

// One picture of exportAll: its profile, how messages name it, the warning printed with it.
struct BatchEntry
{
    const Profile* profile;
    QString who;
    QString warning;
};

// The saved profiles that have an identifier, in file order.
std::vector<BatchEntry> savedProfileEntries(const ConfigStore& store,
                                            const QHash<qsizetype, QString>& warnings)
{
    std::vector<BatchEntry> entries;
    for (qsizetype i = 0; i < store.profiles().size(); ++i)
        if (const Profile& p = store.profiles().at(i); !p.id.isEmpty())
            entries.push_back({&p, QStringLiteral("profile \"") + p.id + u'"', warnings.value(i)});
    return entries;
}

// Pictures are drawn and written on every core; names are given and messages printed in
// file order, exactly as one profile after the other would give and print them.
int exportAll(const ConfigStore& store, const std::vector<BatchEntry>& entries,
              const QString& outputDir)
{
    if (const int cause = makeOutputFolder(outputDir))
        return folderError(outputDir, cause);
    const QDir dir(outputDir);
    struct Item
    {
        explicit Item(const Profile* p, QString w = {}) : profile(p), warning(std::move(w)) {}
        const Profile* profile;
        QString warning;
        QString who;
        QImage image;
        QString sidShown;
        std::exception_ptr error;
        QString note; // the name was taken
        QString path; // empty: no SID
    };
    std::vector<Item> items;
    for (const BatchEntry& e : entries)
        items.emplace_back(e.profile, e.warning).who = e.who;
    const auto count = qsizetype(items.size());
    // A sorted list places the items added during an update at its first read, which
    // writes to it: read the store's lists here, before the threads below share them.
    for (const ItemList* list : {&store.systemTitles(), &store.sids(), &store.sourceSystems(),
                                  &store.landscapeTypeNames(), &store.refreshComments()})
        (void)list->items();

    int status = kExitOk;
    QSet<QString> used;
    ProgressLine progress(count);
    BatchSteps steps;
    steps.render = [&](qsizetype i) {
        Item& item = items[size_t(i)];
        try {
            renderProfile(*item.profile, store, item.image, &item.sidShown);
        } catch (...) {
            item.error = std::current_exception();
        }
    };
    steps.decide = [&](qsizetype i) {
        Item& item = items[size_t(i)];
        if (item.error)
            return false;
        const QString name = defaultName(*item.profile, item.sidShown);
        if (name.isEmpty())
            return false;
        QString unique = name;
        const QString stem = name.left(name.size() - 4); // without ".jpg"
        for (int n = 2; used.contains(unique); ++n)
            unique = stem + u'_' + QString::number(n) + QStringLiteral(".jpg");
        if (unique != name)
            item.note = QStringLiteral("%1: %2 is already taken, written as %3")
                            .arg(item.who, name, unique);
        used.insert(unique);
        item.path = dir.filePath(unique);
        return true;
    };
    steps.write = [&](qsizetype i) {
        Item& item = items[size_t(i)];
        try {
            writePicture(item.image, item.path);
        } catch (...) {
            item.error = std::current_exception();
        }
        item.image = QImage();
    };
    steps.report = [&](qsizetype i) {
        Item& item = items[size_t(i)];
        progress.erase();
        if (!item.warning.isEmpty())
            printWarning(item.warning);
        if (!item.note.isEmpty())
            printErr(item.note);
        if (item.error) {
            // Whatever went wrong, it ends this profile only.
            printErr(QStringLiteral("%1: %2").arg(item.who, failureText(item.error)));
            status = kExitFailed;
        } else if (item.path.isEmpty()) {
            printErr(QStringLiteral("%1 has no SID to name the file: skipped").arg(item.who));
            status = kExitFailed;
        } else {
            printOut(item.path);
        }
        item = Item(item.profile); // what it held is no longer needed
        progress.show(i + 1);
    };
    // Each picture and its JPEG take memory of the same sizes as the one before: keep what
    // is freed for the next ones instead of giving it back and mapping it afresh, which
    // costs more than drawing the picture.
    // Set before runOrderedBatch starts the threads that allocate.
    mallopt(M_MMAP_THRESHOLD, 16 * 1024 * 1024);  // NOLINT(concurrency-mt-unsafe)
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024); // NOLINT(concurrency-mt-unsafe)
    // Writing waits mostly for the disk, and the disk flushes several files at once.
    const int cores = int(std::min<qsizetype>(usableCores(), count));
    const int writers = int(std::min<qsizetype>(8, count));
    runOrderedBatch(count, cores, writers, 2 * qsizetype(cores + writers), steps);
    return status;
}

int listLandscape(const QStringList& files)
{
    try {
        for (const LandscapeSystem& s : readLandscapes(files))
            printOut(landscapeListLine(s));
        return kExitOk;
    } catch (...) {
        printErr(failureText(std::current_exception()));
        return kExitFailed;
    }
}

// One picture per system of the landscape files, made from the template profile, through
// exportAll.
int exportLandscape(const ConfigStore& store, const QHash<qsizetype, QString>& warnings,
                    const Options& o)
{
    const qint32 t = store.findProfile(*o.templateId);
    if (t < 0) {
        printErr(QStringLiteral("template profile \"%1\" not found").arg(*o.templateId));
        return kExitNotFound;
    }
    QStringList positions;
    for (const LandscapeType& type : store.landscapeTypes())
        positions.append(type.name);
    const LandscapeBatch batch = landscapeBatch(
        readLandscapes(o.landscapes), store.profiles().at(t), positions,
        o.title == QLatin1String("description") ? LandscapeTitle::Description : LandscapeTitle::Name);
    if (const auto warning = warnings.constFind(t); warning != warnings.cend())
        printWarning(*warning);
    int status = kExitOk;
    for (const QString& skipped : batch.skipped) {
        printErr(skipped);
        status = kExitFailed;
    }
    std::vector<BatchEntry> entries;
    for (const LandscapePicture& picture : batch.pictures)
        entries.push_back({&picture.profile, picture.label, QString()});
    if (entries.empty()) {
        if (batch.skipped.isEmpty())
            printWarning(QStringLiteral("the landscape holds no SAP GUI system to export"));
        return status;
    }
    return std::max(status, exportAll(store, entries, o.outputDir ? *o.outputDir : QStringLiteral(".")));
}

int run(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    Options o;
    const QString error = parseArguments(args, o);
    if (!error.isEmpty())
        return usageError(error);
    if (o.help) {
        noteStdoutResult(std::fputs(kUsage, stdout));
        noteStdoutResult(std::fputs(kHelp, stdout));
        return kExitOk;
    }
    if (o.version) {
        noteStdoutResult(std::fputs("tavelorn-export " TAVELORN_VERSION "\n", stdout));
        return kExitOk;
    }
    if (!o.landscapes.isEmpty() && o.list)
        return listLandscape(o.landscapes);

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
        const QString configFile = o.config ? *o.config : defaultConfigFilePath();
        // A file named on purpose must be one we can read. The default one may be absent,
        // which holds no profile, except that --all must not pass for done then.
        int cause = 0;
        const int fd = openRegularFileForReading(configFile, cause);
        if (fd >= 0) {
            ::close(fd);
        } else if (o.config || (cause != ENOENT && cause != ENOTDIR)) {
            printErr(errorBoxText(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                                      .arg(configFile, systemErrorText(cause))));
            return kExitFailed;
        } else if (o.all) {
            printErr(QStringLiteral("configuration file \"") + configFile +
                     QStringLiteral("\" not found: nothing to export (give --config)"));
            return kExitNotFound;
        }
        ConfigStore store(configFile);
        if (o.list) {
            // Only the identifiers: the option lists, which cannot fail to load, and the
            // other values of the profiles would be read for nothing.
            for (const QString& id : readProfileIds(store.readFile()))
                if (!id.isEmpty())
                    printOut(id);
            return kExitOk;
        }
        QHash<qsizetype, QString> warnings;
        {
            // One reading serves the store and the raw dates; it is dropped before drawing.
            const IniFile ini = store.readFile();
            store.loadAllFrom(ini);
            warnings = refreshDateWarnings(ini, store, o.templateId ? o.templateId : o.profile);
        }
        if (!pictureFaceAvailable()) {
            printErr(QStringLiteral("the face \"Calibri\" and its substitute \"Carlito\" are "
                                    "missing (package fonts-crosextra-carlito)"));
            return kExitFailed;
        }
        if (o.profile)
            return exportOne(store, warnings, *o.profile, o.output);
        if (o.templateId)
            return exportLandscape(store, warnings, o);
        return exportAll(store, savedProfileEntries(store, warnings),
                         o.outputDir ? *o.outputDir : QStringLiteral("."));
    } catch (...) {
        printErr(failureText(std::current_exception()));
        return kExitFailed;
    }
}

} // namespace

int main(int argc, char** argv)
{
    return finishOutput(run(argc, argv));
}
