#pragma once

#include "datetime.h"
#include "iniinteger.h" // parseIniInteger, the rule of readInteger

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace tavelorn {

// A short-lived reader and writer of one INI file.
//
// The file is parsed once, when the accessor is created; reads are served from that
// parse and writes change it in memory. save() writes the whole file back when
// something changed. The destructor never writes: an operation that
// stops early leaves the file as it was.
//
// Section and key names match without regard to case; the first of two equal names
// wins. Values are trimmed and never unquoted. Names and values, in the file and in the
// arguments, end at their first NUL as the C strings of the Windows profile functions do:
// NUL is no blank, the cut comes after trimming ("k=a \0b" reads "a "), and a line that
// starts with NUL is neither key nor section.
// Lines the accessor does not change stay as they were, byte for byte.
//
// A BOM tells UTF-8 or UTF-16. A file without one is in the code page configured in
// TAVELORN_CODEPAGE (configuredAnsiCodePage) when there is one; else it is UTF-8 when it
// is valid UTF-8, else in the user's ANSI code page (userAnsiCodePage). A rewrite keeps
// the file's encoding: UTF-16 as UTF-16LE with BOM, UTF-8 with its BOM if it had one, a
// code page with the bytes of every line that was not written. A value the code page
// cannot hold, or code-page bytes that would read as UTF-8 without the setting, turn the
// whole file into UTF-16LE with BOM. New files are UTF-8, or in the configured code page.
//
// Memory: the file's bytes (UTF-16 files: their text) and 8 bytes for each section header
// and key line; blank lines, comments, and later sections or keys of a name already seen
// cost nothing of their own.
class IniFile
{
public:
    // Longest text readString returns, as the profile functions' 2048-character buffer.
    static constexpr qsizetype kMaxValueLength = 2047;
    // Largest file the accessor reads (256 MiB); a larger one is refused.
    static constexpr qint64 kMaxFileSize = qint64(256) << 20;

    // Throws AppError when the file is larger than kMaxFileSize. An absent or unreadable
    // file reads as empty.
    explicit IniFile(const QString& path);
    // An accessor over bytes in memory, bound to no file (save does nothing);
    // pathForMessages names the file they came from in the too-large error.
    static IniFile fromBytes(const QByteArray& bytes, const QString& pathForMessages = {});

    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;
    ~IniFile();

    const QString& path() const { return m_path; }

    // The locale whose short date format readDate and writeDate use; the user's by default.
    void setLocale(const QLocale& locale);

    QString readString(const QString& section, const QString& key, const QString& def) const;
    void writeString(const QString& section, const QString& key, const QString& value);
    // readString into target, assigning only when the text differs: reloading what is
    // already held costs no allocation.
    void readStringInto(const QString& section, const QString& key, const QString& def,
                        QString& target) const;
    qint32 readInteger(const QString& section, const QString& key, qint32 def) const;
    void writeInteger(const QString& section, const QString& key, qint32 value);
    bool readBool(const QString& section, const QString& key, bool def) const;
    void writeBool(const QString& section, const QString& key, bool value);
    SerialDate readDate(const QString& section, const QString& key, SerialDate def) const;
    void writeDate(const QString& section, const QString& key, SerialDate value);

    // Removes the first section of that name with its lines, up to the next header, as
    // the profile functions do when given no key; nothing when there is none.
    void eraseSection(const QString& section);
    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;

    // The highest n for which a section named prefix + n exists (n in decimal without
    // leading zeros), 0 when none does. Numbers above the file's line count are ignored:
    // no list whose members the file holds reaches them. Bounds counts read from the file.
    qint32 highestNumberedSection(const QString& prefix) const;
    // The same for keys prefix + n of one section.
    qint32 highestNumberedKey(const QString& section, const QString& prefix) const;

    qsizetype lineCount() const;

    // True when writes changed the file's content since it was read.
    bool isModified() const;

    // The Windows code page the file was read in; 0 when it is UTF-8 or UTF-16.
    int codePage() const;
    // True when save would turn a code-page file into UTF-16LE, as a written value
    // holds a character the code page lacks.
    bool leavesCodePage() const;

    // The file's content as save would write it.
    QByteArray toBytes() const;

    // Writes the file back when something changed, through writeFileSafely (atomic
    // replace, or a safe rewrite in place). Throws AppError("Impossible d'écrire dans
    // <path>", with the cause) when the write fails, or before writing when the file would
    // grow past kMaxFileSize, which no reader would read; the file is then unchanged.
    void save();
    // The content toBytes gives, refused (AppError, as save) when larger than
    // kMaxFileSize.
    QByteArray bytesToSave() const;

private:
    IniFile();
    struct Impl;
    QString m_path;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tavelorn
