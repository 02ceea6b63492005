#include "landscape.h"

#include "apperror.h"
#include "safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace tavelorn {

namespace {

constexpr qint64 kMegabyte = qint64(1024) * 1024;

// Far deeper than any tree of folders; what each open element costs stays small.
constexpr qsizetype kMaxElementDepth = 1000;

// A value ends at its first NUL.
QString valueOf(const QXmlStreamAttributes& attributes, QLatin1StringView name)
{
    const QStringView v = attributes.value(name);
    const qsizetype nul = v.indexOf(QChar(0));
    return (nul < 0 ? v : v.left(nul)).toString();
}

// uuids and service ids compare without surrounding blanks or letter case.
QString idKey(const QString& id)
{
    return id.trimmed().toLower();
}

struct Include
{
    QString url;
    qint64 index;
    qint64 line;
};

class LandscapeReader
{
public:
    LandscapeSystemList take()
    {
        for (LandscapeSystem& s : m_systems)
            if (const auto f = m_folderOf.constFind(idKey(s.uuid)); f != m_folderOf.cend())
                s.folderPath = *f;
        return std::move(m_systems);
    }

    void readFile(const QString& path, int depth)
    {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty()) {
            if (m_reading.contains(canonical))
                throw AppError(canonical +
                               QStringLiteral(" is being read already (an include cycle): "
                                              "refused"));
            if (m_read.contains(canonical))
                return; // its systems are in already
        }
        const QByteArray bytes = readBytes(path);
        const QString key = canonical.isEmpty() ? path : canonical;
        m_read.insert(key);
        m_reading.insert(key);
        const QList<Include> includes = parse(path, bytes);
        for (const Include& include : includes)
            readInclude(path, include, depth);
        m_reading.remove(key);
    }

private:
    QByteArray readBytes(const QString& path)
    {
        int cause = 0;
        const int fd = openRegularFileForReading(path, cause);
        if (fd < 0)
            throw AppError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                               .arg(path, systemErrorText(cause)));
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            throw AppError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                               .arg(path, file.errorString()));
        }
        struct stat st;
        if (::fstat(fd, &st) == 0 && st.st_size > kMaxLandscapeFileSize)
            throw tooLarge(path);
        // Read one byte more than allowed: a file that grows meanwhile is refused too.
        QByteArray bytes = file.read(kMaxLandscapeFileSize + 1);
        if (file.error() != QFileDevice::NoError)
            throw AppError(path + QStringLiteral(": cannot be read: ") + file.errorString());
        if (bytes.size() > kMaxLandscapeFileSize)
            throw tooLarge(path);
        m_bytes += bytes.size();
        if (m_bytes > kMaxLandscapeBytes)
            throw AppError(path + QStringLiteral(": the landscape files together exceed ") +
                           QString::number(kMaxLandscapeBytes / kMegabyte) +
                           QStringLiteral(" MB: refused"));
        return bytes;
    }

    static AppError tooLarge(const QString& path)
    {
        return AppError(path + QStringLiteral(": larger than ") +
                        QString::number(kMaxLandscapeFileSize / kMegabyte) +
                        QStringLiteral(" MB: refused"));
    }

    static AppError errorAt(const QString& path, const QXmlStreamReader& xml, const QString& what)
    {
        return AppError(path + QStringLiteral(": line ") + QString::number(xml.lineNumber()) +
                        QStringLiteral(", column ") + QString::number(xml.columnNumber()) +
                        QStringLiteral(": ") + what);
    }

    // Reads the services and folder items of one file; returns its includes, in the
    // order to read them.
    QList<Include> parse(const QString& path, const QByteArray& bytes)
    {
        QXmlStreamReader xml(bytes);
        // No document type is accepted below; this bounds whatever gets through anyway.
        xml.setEntityExpansionLimit(1024);
        // The folder path of each open element (shared, not copied, down the tree).
        QList<QString> folders;
        int inWorkspaces = 0;
        int inServices = 0;
        int inIncludes = 0;
        bool root = true;
        QList<Include> includes;
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::DTD:
            case QXmlStreamReader::EntityReference:
                throw errorAt(path, xml,
                              QStringLiteral("a document type or entity declaration is not "
                                             "accepted in a landscape file"));
            case QXmlStreamReader::StartElement: {
                if (folders.size() >= kMaxElementDepth)
                    throw errorAt(path, xml,
                                  QStringLiteral("elements nested deeper than ") +
                                      QString::number(kMaxElementDepth) +
                                      QStringLiteral(": refused"));
                const QStringView name = xml.name();
                if (root) {
                    root = false;
                    if (name != u"Landscape")
                        throw errorAt(path, xml,
                                      QStringLiteral("not a landscape file: its root element is "
                                                     "\"") +
                                          name.toString() +
                                          QStringLiteral("\", not \"Landscape\""));
                }
                const QString& parent = folders.isEmpty() ? QString() : folders.constLast();
                QString folder = parent;
                const QXmlStreamAttributes attributes = xml.attributes();
                if (name == u"Workspaces") {
                    ++inWorkspaces;
                } else if (name == u"Services") {
                    ++inServices;
                } else if (name == u"Includes") {
                    ++inIncludes;
                } else if (inWorkspaces > 0 && (name == u"Workspace" || name == u"Node")) {
                    folder = folderPath(parent, valueOf(attributes, QLatin1StringView("name")));
                } else if (inWorkspaces > 0 && name == u"Item") {
                    addItem(path, xml, valueOf(attributes, QLatin1StringView("serviceid")), parent);
                } else if (inServices > 0 && name == u"Service") {
                    addService(path, xml, attributes);
                } else if (inIncludes > 0 && name == u"Include") {
                    bool ok = false;
                    qint64 index =
                        valueOf(attributes, QLatin1StringView("index")).trimmed().toLongLong(&ok);
                    includes.append({valueOf(attributes, QLatin1StringView("url")),
                                     ok ? index : std::numeric_limits<qint64>::max(),
                                     xml.lineNumber()});
                }
                folders.append(std::move(folder));
                break;
            }
            case QXmlStreamReader::EndElement: {
                const QStringView name = xml.name();
                if (name == u"Workspaces")
                    --inWorkspaces;
                else if (name == u"Services")
                    --inServices;
                else if (name == u"Includes")
                    --inIncludes;
                if (!folders.isEmpty())
                    folders.removeLast();
                break;
            }
            default:
                break;
            }
        }
        if (xml.hasError())
            throw errorAt(path, xml, xml.errorString());
        // Without an index, or with equal ones, in document order.
        std::stable_sort(includes.begin(), includes.end(),
                         [](const Include& a, const Include& b) { return a.index < b.index; });
        return includes;
    }

    // A folder's path: its parent's and its name, kept short enough that a deep tree of
    // long names costs no more than its size.
    static QString folderPath(const QString& parent, const QString& name)
    {
        if (name.isEmpty() || parent.size() >= kMaxLandscapeFolderPath)
            return parent;
        const qsizetype room = kMaxLandscapeFolderPath - parent.size() - (parent.isEmpty() ? 0 : 1);
        return parent.isEmpty() ? name.left(room) : parent + u'/' + name.left(room);
    }

    void addItem(const QString& path, const QXmlStreamReader& xml, const QString& serviceId,
                 const QString& folder)
    {
        if (++m_items > kMaxLandscapeItems)
            throw errorAt(path, xml,
                          QStringLiteral("more than ") + QString::number(kMaxLandscapeItems) +
                              QStringLiteral(" folder items: refused"));
        const QString key = idKey(serviceId);
        // The first folder in document order.
        if (!key.isEmpty() && !folder.isEmpty() && !m_folderOf.contains(key))
            m_folderOf.insert(key, folder);
    }

    void addService(const QString& path, const QXmlStreamReader& xml,
                    const QXmlStreamAttributes& attributes)
    {
        if (++m_services > kMaxLandscapeServices)
            throw errorAt(path, xml,
                          QStringLiteral("more than ") + QString::number(kMaxLandscapeServices) +
                              QStringLiteral(" services: refused"));
        const QString uuid = valueOf(attributes, QLatin1StringView("uuid"));
        if (const QString key = idKey(uuid); !key.isEmpty()) {
            if (m_uuids.contains(key))
                return; // the first definition counts
            m_uuids.insert(key);
        }
        if (valueOf(attributes, QLatin1StringView("type"))
                    .trimmed()
                    .compare(QLatin1StringView("SAPGUI"), Qt::CaseInsensitive) != 0 ||
            !attributes.hasAttribute(QLatin1StringView("systemid")))
            return;
        m_systems.append({valueOf(attributes, QLatin1StringView("systemid")),
                          valueOf(attributes, QLatin1StringView("name")),
                          valueOf(attributes, QLatin1StringView("description")), QString(), uuid});
    }

    void readInclude(const QString& from, const Include& include, int depth)
    {
        const QString where = from + QStringLiteral(": line ") + QString::number(include.line) +
                              QStringLiteral(": include \"") + include.url + QStringLiteral("\"");
        QString target = include.url.trimmed();
        if (target.isEmpty())
            throw AppError(where + QStringLiteral(" names no file"));
        if (target.startsWith(QLatin1StringView("file:"), Qt::CaseInsensitive)) {
            const QUrl url(target);
            const QString host = url.host();
            if (!url.isValid() || (!host.isEmpty() && host != QLatin1StringView("localhost")))
                throw AppError(where + QStringLiteral(" is not a local file: refused"));
            target = url.toLocalFile();
            if (target.isEmpty())
                throw AppError(where + QStringLiteral(" names no file"));
        } else if (const qsizetype colon = target.indexOf(u':');
                   colon > 1 && !target.left(colon).contains(u'/')) {
            // http:, https:, ftp:... (a single letter would be a drive)
            throw AppError(where + QStringLiteral(" is not a local file: refused"));
        }
        if (depth + 1 > kMaxLandscapeIncludeDepth)
            throw AppError(where + QStringLiteral(" lies deeper than ") +
                           QString::number(kMaxLandscapeIncludeDepth) +
                           QStringLiteral(" includes: refused"));
        // A relative path is taken from the including file's folder.
        const QString file = QFileInfo(QFileInfo(from).absoluteDir(), target).filePath();
        try {
            readFile(file, depth + 1);
        } catch (const AppError& e) {
            throw AppError(where + QStringLiteral(": ") + e.message());
        }
    }

    LandscapeSystemList m_systems;
    QSet<QString> m_uuids;
    QHash<QString, QString> m_folderOf; // service id -> folder path
    QSet<QString> m_read;
    QSet<QString> m_reading;
    qint64 m_bytes = 0;
    qint64 m_items = 0;
    int m_services = 0;
};

} // namespace

LandscapeSystemList readLandscapes(const QStringList& files)
{
    LandscapeReader reader;
    for (const QString& file : files)
        reader.readFile(file, 0);
    return reader.take();
}

} // namespace tavelorn
