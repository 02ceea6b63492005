#pragma once

#include "versionnumber.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace tavelorn {

// The fixed file information of a version resource, field for field.
struct FixedFileInfo
{
    quint32 signature = 0;
    quint32 structVersion = 0;
    quint32 fileVersionMS = 0;
    quint32 fileVersionLS = 0;
    quint32 productVersionMS = 0;
    quint32 productVersionLS = 0;
    quint32 fileFlagsMask = 0;
    quint32 fileFlags = 0;
    quint32 fileOS = 0;
    quint32 fileType = 0;
    quint32 fileSubtype = 0;
    quint32 fileDateMS = 0;
    quint32 fileDateLS = 0;
};

// Reads the version resource of an executable: a Windows PE file (32- or 64-bit, EXE or
// DLL), or one of our own ELF executables, which carry the same block in a section of
// their own. A PE file's resource is chosen as Windows chooses it: named 1, in the neutral
// language, else the user's (userDefaultLanguageId), else US English, else the first. The
// properties give the fixed file information and, for the current translation, the string-table
// entries, language and character set.
//
// Nothing raises: a file without a version resource, or one that cannot be read or is
// damaged, gives HaveInfo false, empty texts and zero numbers.
class FileVersionInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)

public:
    // Reads the running executable.
    explicit FileVersionInfo(QObject* owner = nullptr);
    explicit FileVersionInfo(const QString& fileName, QObject* owner = nullptr);
    ~FileVersionInfo() override;

    // The file read; setting it re-reads, an empty name standing for the running
    // executable (read through /proc/self/exe, so even a replaced file reads as run).
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& fileName);

    bool hasInfo() const { return m_hasInfo; }
    const FixedFileInfo& fixedFileInfo() const { return m_fixedFileInfo; }
    VersionNumber fileVersionNumber() const;
    VersionNumber productVersionNumber() const;
    quint32 fileOS() const { return m_fixedFileInfo.fileOS; }
    quint32 fileType() const { return m_fixedFileInfo.fileType; }
    quint32 fileSubtype() const { return m_fixedFileInfo.fileSubtype; }
    quint32 fileFlagsMask() const { return m_fixedFileInfo.fileFlagsMask; }
    quint32 fileFlags() const { return m_fixedFileInfo.fileFlags; }

    // String-table entries of the current translation; empty when missing.
    QString comments() const { return stringFileInfo(QStringLiteral("Comments")); }
    QString companyName() const { return stringFileInfo(QStringLiteral("CompanyName")); }
    QString fileDescription() const { return stringFileInfo(QStringLiteral("FileDescription")); }
    QString fileVersion() const { return stringFileInfo(QStringLiteral("FileVersion")); }
    QString internalName() const { return stringFileInfo(QStringLiteral("InternalName")); }
    QString legalCopyright() const { return stringFileInfo(QStringLiteral("LegalCopyright")); }
    QString legalTrademarks() const { return stringFileInfo(QStringLiteral("LegalTrademarks")); }
    QString originalFileName() const
    {
        return stringFileInfo(QStringLiteral("OriginalFileName"));
    }
    QString privateBuild() const { return stringFileInfo(QStringLiteral("PrivateBuild")); }
    QString productName() const { return stringFileInfo(QStringLiteral("ProductName")); }
    QString productVersion() const { return stringFileInfo(QStringLiteral("ProductVersion")); }
    QString specialBuild() const { return stringFileInfo(QStringLiteral("SpecialBuild")); }

    // The entry of that name (matched without regard to case) in the current
    // translation's string table; empty when missing, with no current translation, or
    // for a name longer than kMaxNameLength.
    QString stringFileInfo(const QString& name) const;
    static constexpr qsizetype kMaxNameLength = 230;

    // Windows' English name of the current translation's language (of language 0, "Language
    // Neutral", with no current translation); empty without information or when Windows
    // names no such language.
    QString language() const;
    // Description of the current translation's code page (of code page 0, the ANSI code
    // page, with no current translation); empty without information.
    QString charSet() const;
    quint16 languageCode() const;
    quint16 charSetCode() const;

    qint32 translationCount() const { return m_translationCount; }
    // -1 when there is no information or no translation; a value outside
    // 0 .. translationCount() - 1 sets -1.
    qint32 currentTranslation() const { return m_hasInfo ? m_currentTranslation : -1; }
    void setCurrentTranslation(qint32 index);

private:
    void clearInfo();
    void loadInfo();

    QString m_fileName;
    bool m_reading = false;
    bool m_hasInfo = false;
    qint32 m_translationCount = 0;
    qint32 m_currentTranslation = -1;
    FixedFileInfo m_fixedFileInfo;
    QByteArray m_infoBuffer;
    QByteArray m_translationBuffer;
};

} // namespace tavelorn
