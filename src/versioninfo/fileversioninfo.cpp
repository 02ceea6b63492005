#include "fileversioninfo.h"

#include "versionnames.h"
#include "versionresource.h"

#include <QCoreApplication>
#include <QFile>
#include <QtEndian>

namespace tavelorn {

namespace {

const QString kRunningExecutable = QStringLiteral("/proc/self/exe");

QString runningExecutablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFile::symLinkTarget(kRunningExecutable);
}

QString hex4(quint16 v)
{
    return QString::number(v, 16).rightJustified(4, u'0');
}

} // namespace

FileVersionInfo::FileVersionInfo(QObject* owner) : FileVersionInfo(QString(), owner)
{
}

FileVersionInfo::FileVersionInfo(const QString& fileName, QObject* owner) : QObject(owner)
{
    setFileName(fileName);
}

FileVersionInfo::~FileVersionInfo() = default;

void FileVersionInfo::setFileName(const QString& fileName)
{
    m_reading = fileName.isEmpty();
    m_fileName = m_reading ? runningExecutablePath() : fileName;
    clearInfo();
    loadInfo();
}

void FileVersionInfo::clearInfo()
{
    m_hasInfo = false;
}

void FileVersionInfo::loadInfo()
{
    m_hasInfo = false;
    m_fixedFileInfo = {};
    m_translationCount = 0;
    m_currentTranslation = -1;
    m_translationBuffer.clear();

    // The running program reads itself through the kernel's link, which stays valid
    // when its file has been renamed, replaced or deleted since the start.
    m_infoBuffer = versionresource::readFromFile(
        m_reading && QFile::exists(kRunningExecutable) ? kRunningExecutable : m_fileName,
        userDefaultLanguageId());
    if (m_infoBuffer.isEmpty())
        return;
    m_hasInfo = true;

    if (const auto fixed = versionresource::fixedFileInfo(m_infoBuffer)) {
        auto field = [&](qsizetype i) {
            return qFromLittleEndian<quint32>(fixed->constData() + 4 * i);
        };
        m_fixedFileInfo = {field(0), field(1), field(2), field(3),  field(4),  field(5), field(6),
                           field(7), field(8), field(9), field(10), field(11), field(12)};
    }
    if (const auto table = versionresource::translations(m_infoBuffer)) {
        m_translationCount = qint32(table->size() / 4);
        m_translationBuffer = table->left(4 * qsizetype(m_translationCount));
    }
    setCurrentTranslation(0);
}

VersionNumber FileVersionInfo::fileVersionNumber() const
{
    return VersionNumber::fromWords(m_fixedFileInfo.fileVersionMS, m_fixedFileInfo.fileVersionLS);
}

VersionNumber FileVersionInfo::productVersionNumber() const
{
    return VersionNumber::fromWords(m_fixedFileInfo.productVersionMS,
                                    m_fixedFileInfo.productVersionLS);
}

void FileVersionInfo::setCurrentTranslation(qint32 index)
{
    m_currentTranslation = index >= 0 && index < m_translationCount ? index : -1;
}

quint16 FileVersionInfo::languageCode() const
{
    if (currentTranslation() < 0)
        return 0;
    return qFromLittleEndian<quint16>(m_translationBuffer.constData() +
                                      4 * qsizetype(m_currentTranslation));
}

quint16 FileVersionInfo::charSetCode() const
{
    if (currentTranslation() < 0)
        return 0;
    return qFromLittleEndian<quint16>(m_translationBuffer.constData() +
                                      4 * qsizetype(m_currentTranslation) + 2);
}

QString FileVersionInfo::stringFileInfo(const QString& name) const
{
    if (currentTranslation() < 0 || name.isEmpty() || name.size() > kMaxNameLength)
        return {};
    const QString table = hex4(languageCode()) + hex4(charSetCode());
    return versionresource::stringValue(m_infoBuffer, table, name).value_or(QString());
}

// Without a current translation both codes are 0, which name the neutral language and the
// current ANSI code page.
QString FileVersionInfo::language() const
{
    if (!m_hasInfo)
        return {};
    return windowsLanguageName(languageCode());
}

QString FileVersionInfo::charSet() const
{
    if (!m_hasInfo)
        return {};
    const quint16 codePage = charSetCode();
    const QString number = QString::number(codePage);
    switch (codePage) {
    case 1200:
        return number + QStringLiteral(" (Unicode UTF-16, little endian byte order)");
    case 1201:
        return number + QStringLiteral(" (Unicode UTF-16, big endian byte order)");
    case 12000:
        return number + QStringLiteral(" (Unicode UTF-32, little endian byte order)");
    case 12001:
        return number + QStringLiteral(" (Unicode UTF-32, big endian byte order)");
    default:
        break;
    }
    const QString name = windowsCodePageName(codePage);
    return name.isEmpty() ? number + QStringLiteral(" (Unknown Code Page)") : name;
}

} // namespace tavelorn
