#include "updateinfo.h"

#include "download.h"
#include "inifile.h"
#include "webendpoints.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tavelorn {

QString updateInfoFileName(const QString& executablePath)
{
    const QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot < 0 ? name : name.left(dot)) + QStringLiteral(".INF");
}

static quint16 versionPart(QStringView text)
{
    return static_cast<quint16>(static_cast<quint32>(parseIniInteger(text).value_or(0)) & 0xFFFFu);
}

ProgramVersion parsePublishedVersion(const QString& text)
{
    ProgramVersion v{0, 0, 0, 0};
    QStringView rest(text);
    for (int i = 0; i < 3; ++i) {
        const qsizetype dot = rest.indexOf(u'.');
        if (dot < 0)
            continue;
        v[static_cast<size_t>(i)] = versionPart(rest.left(dot));
        rest = rest.mid(dot + 1);
    }
    v[3] = versionPart(rest);
    return v;
}

bool isNewerVersion(const ProgramVersion& published, const ProgramVersion& running)
{
    for (size_t i = 0; i < published.size(); ++i) {
        if (published[i] != running[i])
            return published[i] > running[i];
    }
    return false;
}

QString decodeNewsLineBreaks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size() &&
            (text[i + 1] == u'n' || text[i + 1] == u'N')) {
            out += u'\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

QString updateInfoUrl()
{
    return updateInfoUrl(updateInfoFileName(QCoreApplication::applicationFilePath()));
}

UpdateInfoDownloads downloadUpdateInfo(const QString& url, const std::stop_token& stop)
{
    UpdateInfoDownloads got;
    got.versionFile = download(url, stop);
    got.newsFile = download(url, stop);
    return got;
}

// The value of key in section of a downloaded update information file, or nullopt when
// the download failed.
static std::optional<QString> readUpdateInfo(const UpdateInfoFile& file, const QString& section,
                                             const QString& key)
{
    if (!file)
        return std::nullopt;
    return IniFile::fromBytes(*file).readString(section, key, QString());
}

QString readUpdateNews(const UpdateInfoFile& file)
{
    return decodeNewsLineBreaks(
        readUpdateInfo(file, QStringLiteral("update"), QStringLiteral("descr"))
            .value_or(QString()));
}

bool isNewVersionAvailable(const UpdateInfoFile& file)
{
    const std::optional<QString> published =
        readUpdateInfo(file, QStringLiteral("file1"), QStringLiteral("newversion"));
    if (!published)
        return false;
    return isNewerVersion(parsePublishedVersion(*published), programVersionNumbers());
}

} // namespace tavelorn
