#include "fileversioninfo.h"

#include "versionnames.h"
#include "versionresource.h"

#include <QCoreApplication>
#include <QFile>
#include <QtEndian>

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

TFileVersionInfo::TFileVersionInfo(QObject* owner) : TFileVersionInfo(QString(), owner)
{
}

TFileVersionInfo::TFileVersionInfo(const QString& fileName, QObject* owner) : QObject(owner)
{
    setFileName(fileName);
}

TFileVersionInfo::~TFileVersionInfo() = default;

void TFileVersionInfo::setFileName(const QString& fileName)
{
    fReadRunning = fileName.isEmpty();
    fFileName = fReadRunning ? runningExecutablePath() : fileName;
    ClearInfo();
    LoadInfo();
}

void TFileVersionInfo::ClearInfo()
{
    fHaveInfo = false;
}

void TFileVersionInfo::LoadInfo()
{
    fHaveInfo = false;
    fFixedFileInfo = {};
    fNumTranslations = 0;
    fCurrentTranslation = -1;
    fPTransBuffer.clear();

    // The running program reads itself through the kernel's link, which stays valid
    // when its file has been renamed, replaced or deleted since the start.
    fPInfoBuffer = VersionResource::readFromFile(
        fReadRunning && QFile::exists(kRunningExecutable) ? kRunningExecutable : fFileName,
        userDefaultLanguageId());
    if (fPInfoBuffer.isEmpty())
        return;
    fHaveInfo = true;

    if (const auto fixed = VersionResource::fixedFileInfo(fPInfoBuffer)) {
        auto field = [&](int i) { return qFromLittleEndian<quint32>(fixed->constData() + 4 * i); };
        fFixedFileInfo = {field(0), field(1), field(2), field(3),  field(4),  field(5), field(6),
                          field(7), field(8), field(9), field(10), field(11), field(12)};
    }
    if (const auto table = VersionResource::translations(fPInfoBuffer)) {
        fNumTranslations = qint32(table->size() / 4);
        fPTransBuffer = table->left(4 * qsizetype(fNumTranslations));
    }
    setCurrentTranslation(0);
}

TVersionNumber TFileVersionInfo::FileVersionNumber() const
{
    return TVersionNumber::fromWords(fFixedFileInfo.dwFileVersionMS,
                                     fFixedFileInfo.dwFileVersionLS);
}

TVersionNumber TFileVersionInfo::ProductVersionNumber() const
{
    return TVersionNumber::fromWords(fFixedFileInfo.dwProductVersionMS,
                                     fFixedFileInfo.dwProductVersionLS);
}

void TFileVersionInfo::setCurrentTranslation(qint32 index)
{
    fCurrentTranslation = index >= 0 && index < fNumTranslations ? index : -1;
}

quint16 TFileVersionInfo::LanguageCode() const
{
    if (CurrentTranslation() < 0)
        return 0;
    return qFromLittleEndian<quint16>(fPTransBuffer.constData() + 4 * fCurrentTranslation);
}

quint16 TFileVersionInfo::CharSetCode() const
{
    if (CurrentTranslation() < 0)
        return 0;
    return qFromLittleEndian<quint16>(fPTransBuffer.constData() + 4 * fCurrentTranslation + 2);
}

QString TFileVersionInfo::GetStringFileInfo(const QString& Name) const
{
    if (CurrentTranslation() < 0 || Name.isEmpty() || Name.size() > MaxNameLength)
        return {};
    const QString table = hex4(LanguageCode()) + hex4(CharSetCode());
    return VersionResource::stringValue(fPInfoBuffer, table, Name).value_or(QString());
}

// Without a current translation both codes are 0, which name the neutral language and the
// current ANSI code page.
QString TFileVersionInfo::Language() const
{
    if (!fHaveInfo)
        return {};
    return windowsLanguageName(LanguageCode());
}

QString TFileVersionInfo::CharSet() const
{
    if (!fHaveInfo)
        return {};
    const quint16 codePage = CharSetCode();
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
