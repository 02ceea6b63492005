#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

class QIODevice;

namespace tavelorn {

// Finds, reads and queries VS_VERSIONINFO blocks. Every offset and length taken from a
// file or block is checked against it: damaged input gives nothing, never a read past
// its end.
namespace versionresource {

// A block's length field has 16 bits.
constexpr qsizetype kMaxBlockSize = 0xFFFF;

// The ELF section in which the build embeds our own executables' block.
inline constexpr char kElfSectionName[] = ".versioninfo";

// The version block of a PE file or of an ELF file (section kElfSectionName), cut to its own
// length; empty when the file has none or it is damaged. The device must be open and allow
// seeking.
//
// A PE file's block is its RT_VERSION resource named 1; a version resource of another name
// counts for nothing. Of that resource's languages the first of these is taken: neutral
// (0), userLanguage (when not 0), US English (0x0409), else the first in the file.
QByteArray readFromDevice(QIODevice& device, quint16 userLanguage = 0);
// The same for a file, which must be a regular file: a pipe or a device is never read.
QByteArray readFromFile(const QString& path, quint16 userLanguage = 0);

// The 52 bytes of the fixed file information as they stand (Windows checks neither their
// signature nor the root's type), or nothing when the root's value is shorter.
std::optional<QByteArray> fixedFileInfo(QByteArrayView block);
// The bytes of the translation table, or nothing.
std::optional<QByteArray> translations(QByteArrayView block);
// The text of entry name in the string table named table (8 hexadecimal digits), both
// matched without regard to case; nothing when either is missing.
std::optional<QString> stringValue(QByteArrayView block, QStringView table, QStringView name);

} // namespace versionresource

} // namespace tavelorn
