#pragma once

#include "versionnumber.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// The fixed file information of a version resource, field for field.
struct VS_FIXEDFILEINFO
{
    quint32 dwSignature = 0;
    quint32 dwStrucVersion = 0;
    quint32 dwFileVersionMS = 0;
    quint32 dwFileVersionLS = 0;
    quint32 dwProductVersionMS = 0;
    quint32 dwProductVersionLS = 0;
    quint32 dwFileFlagsMask = 0;
    quint32 dwFileFlags = 0;
    quint32 dwFileOS = 0;
    quint32 dwFileType = 0;
    quint32 dwFileSubtype = 0;
    quint32 dwFileDateMS = 0;
    quint32 dwFileDateLS = 0;
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
class TFileVersionInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)

public:
    // Reads the running executable.
    explicit TFileVersionInfo(QObject* owner = nullptr);
    explicit TFileVersionInfo(const QString& fileName, QObject* owner = nullptr);
    ~TFileVersionInfo() override;

    // The file read; setting it re-reads, an empty name standing for the running
    // executable (read through /proc/self/exe, so even a replaced file reads as run).
    QString FileName() const { return fFileName; }
    void setFileName(const QString& fileName);

    bool HaveInfo() const { return fHaveInfo; }
    const VS_FIXEDFILEINFO& FixedFileInfo() const { return fFixedFileInfo; }
    TVersionNumber FileVersionNumber() const;
    TVersionNumber ProductVersionNumber() const;
    quint32 FileOS() const { return fFixedFileInfo.dwFileOS; }
    quint32 FileType() const { return fFixedFileInfo.dwFileType; }
    quint32 FileSubType() const { return fFixedFileInfo.dwFileSubtype; }
    quint32 FileFlagsMask() const { return fFixedFileInfo.dwFileFlagsMask; }
    quint32 FileFlags() const { return fFixedFileInfo.dwFileFlags; }

    // String-table entries of the current translation; empty when missing.
    QString Comments() const { return GetStringFileInfo(QStringLiteral("Comments")); }
    QString CompanyName() const { return GetStringFileInfo(QStringLiteral("CompanyName")); }
    QString FileDescription() const { return GetStringFileInfo(QStringLiteral("FileDescription")); }
    QString FileVersion() const { return GetStringFileInfo(QStringLiteral("FileVersion")); }
    QString InternalName() const { return GetStringFileInfo(QStringLiteral("InternalName")); }
    QString LegalCopyright() const { return GetStringFileInfo(QStringLiteral("LegalCopyright")); }
    QString LegalTrademarks() const { return GetStringFileInfo(QStringLiteral("LegalTrademarks")); }
    QString OriginalFileName() const
    {
        return GetStringFileInfo(QStringLiteral("OriginalFileName"));
    }
    QString PrivateBuild() const { return GetStringFileInfo(QStringLiteral("PrivateBuild")); }
    QString ProductName() const { return GetStringFileInfo(QStringLiteral("ProductName")); }
    QString ProductVersion() const { return GetStringFileInfo(QStringLiteral("ProductVersion")); }
    QString SpecialBuild() const { return GetStringFileInfo(QStringLiteral("SpecialBuild")); }

    // The entry of that name (matched without regard to case) in the current
    // translation's string table; empty when missing, with no current translation, or
    // for a name longer than MaxNameLength.
    QString GetStringFileInfo(const QString& Name) const;
    QString StringFileInfo(const QString& Name) const { return GetStringFileInfo(Name); }
    static constexpr qsizetype MaxNameLength = 230;

    // Windows' English name of the current translation's language (of language 0, "Language
    // Neutral", with no current translation); empty without information or when Windows
    // names no such language.
    QString Language() const;
    // Description of the current translation's code page (of code page 0, the ANSI code
    // page, with no current translation); empty without information.
    QString CharSet() const;
    quint16 LanguageCode() const;
    quint16 CharSetCode() const;

    qint32 NumTranslations() const { return fNumTranslations; }
    // -1 when there is no information or no translation; a value outside
    // 0 .. NumTranslations - 1 sets -1.
    qint32 CurrentTranslation() const { return fHaveInfo ? fCurrentTranslation : -1; }
    void setCurrentTranslation(qint32 index);

protected:
    virtual void ClearInfo();
    virtual void LoadInfo();

private:
    QString fFileName;
    bool fReadRunning = false;
    bool fHaveInfo = false;
    qint32 fNumTranslations = 0;
    qint32 fCurrentTranslation = -1;
    VS_FIXEDFILEINFO fFixedFileInfo;
    QByteArray fPInfoBuffer;
    QByteArray fPTransBuffer;
};
