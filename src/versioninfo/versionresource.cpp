#include "versionresource.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelorn {

namespace versionresource {
namespace {

// --- Little- and big-endian fields; callers have checked that the bytes are there.

quint16 get16(QByteArrayView b, qsizetype at, bool bigEndian = false)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.data() + at);
    return bigEndian ? quint16(p[0] << 8 | p[1]) : quint16(p[1] << 8 | p[0]);
}

quint32 get32(QByteArrayView b, qsizetype at, bool bigEndian = false)
{
    const quint32 first = get16(b, at, bigEndian);
    const quint32 second = get16(b, at + 2, bigEndian);
    return bigEndian ? first << 16 | second : second << 16 | first;
}

quint64 get64(QByteArrayView b, qsizetype at, bool bigEndian = false)
{
    const quint64 first = get32(b, at, bigEndian);
    const quint64 second = get32(b, at + 4, bigEndian);
    return bigEndian ? first << 32 | second : second << 32 | first;
}

// Reads ranges of a device, refusing any that does not lie wholly inside it.
class RangeReader
{
public:
    explicit RangeReader(QIODevice& device) : m_device(device), m_size(quint64(device.size())) {}

    quint64 size() const { return m_size; }

    std::optional<QByteArray> read(quint64 offset, quint64 length)
    {
        if (offset > m_size || length > m_size - offset)
            return std::nullopt;
        if (!m_device.seek(qint64(offset)))
            return std::nullopt;
        QByteArray bytes = m_device.read(qint64(length));
        if (quint64(bytes.size()) != length)
            return std::nullopt;
        return bytes;
    }

private:
    QIODevice& m_device;
    quint64 m_size;
};

// --- PE files

constexpr quint32 kRtVersion = 16;
constexpr quint32 kVsVersionInfoId = 1;
constexpr quint32 kHighBit = 0x80000000u;
constexpr quint16 kLanguageNeutral = 0x0000;
constexpr quint16 kEnglishUnitedStates = 0x0409;

struct PeSection
{
    quint32 virtualAddress;
    quint32 rawSize;
    quint32 rawOffset;
};

class PeReader
{
public:
    explicit PeReader(RangeReader& file) : m_file(file) {}

    QByteArray versionBlock(quint16 userLanguage)
    {
        if (!readHeaders())
            return {};
        // Type RT_VERSION, then the name VS_VERSION_INFO, which is the number 1: a version
        // resource of any other name is not the file's version information.
        const auto types = directory(0);
        const auto type = types ? find(*types, kRtVersion) : std::nullopt;
        if (!type || !(type->data & kHighBit))
            return {};
        const auto names = directory(type->data & ~kHighBit);
        const auto name = names ? find(*names, kVsVersionInfoId) : std::nullopt;
        if (!name || !(name->data & kHighBit))
            return {};
        const auto languages = directory(name->data & ~kHighBit);
        const auto language = languages ? pickLanguage(*languages, userLanguage) : std::nullopt;
        if (!language)
            return {};
        const auto dataEntry = readResource(language->data, 16);
        if (!dataEntry)
            return {};
        const quint32 size = std::min<quint32>(get32(*dataEntry, 4), kMaxBlockSize);
        return readRva(get32(*dataEntry, 0), size).value_or(QByteArray());
    }

private:
    struct Entry
    {
        quint32 name;
        quint32 data;
    };

    bool readHeaders()
    {
        const auto dos = m_file.read(0, 64);
        if (!dos || !dos->startsWith("MZ"))
            return false;
        const quint64 pe = get32(*dos, 0x3C);
        const auto coff = m_file.read(pe, 24);
        if (!coff || !coff->startsWith(QByteArrayView("PE\0\0", 4)))
            return false;
        const quint16 sectionCount = get16(*coff, 4 + 2);
        const quint16 optionalSize = get16(*coff, 4 + 16);
        const auto optional = m_file.read(pe + 24, optionalSize);
        if (!optional || optionalSize < 2)
            return false;
        // The data directories' place depends on PE32 or PE32+.
        qsizetype countAt = 0;
        switch (get16(*optional, 0)) {
        case 0x10B:
            countAt = 92;
            break;
        case 0x20B:
            countAt = 108;
            break;
        default:
            return false;
        }
        const qsizetype resourceAt = countAt + 4 + qsizetype{2} * 8;
        if (optional->size() < resourceAt + 8 || get32(*optional, countAt) < 3)
            return false;
        m_resourceRva = get32(*optional, resourceAt);
        if (m_resourceRva == 0 || get32(*optional, resourceAt + 4) == 0)
            return false;

        const auto table = m_file.read(pe + 24 + optionalSize, quint64(sectionCount) * 40);
        if (!table)
            return false;
        m_sections.reserve(sectionCount);
        for (qsizetype at = 0; at < table->size(); at += 40)
            m_sections.push_back(
                {get32(*table, at + 12), get32(*table, at + 16), get32(*table, at + 20)});
        return true;
    }

    // The bytes at an image address, taken from the raw data of the section holding it.
    std::optional<QByteArray> readRva(quint32 rva, quint32 length)
    {
        for (const PeSection& s : m_sections) {
            if (rva >= s.virtualAddress && quint64(rva - s.virtualAddress) + length <= s.rawSize)
                return m_file.read(quint64(s.rawOffset) + (rva - s.virtualAddress), length);
        }
        return std::nullopt;
    }

    // Offsets inside the resource tree count from its start.
    std::optional<QByteArray> readResource(quint32 offset, quint32 length)
    {
        const quint64 rva = quint64(m_resourceRva) + offset;
        if (rva > 0xFFFFFFFFu)
            return std::nullopt;
        return readRva(quint32(rva), length);
    }

    std::optional<std::vector<Entry>> directory(quint32 offset)
    {
        const auto header = offset <= 0xFFFFFFFFu - 16 ? readResource(offset, 16) : std::nullopt;
        if (!header)
            return std::nullopt;
        const quint32 count = quint32(get16(*header, 12)) + get16(*header, 14);
        const auto bytes = readResource(offset + 16, count * 8);
        if (!bytes)
            return std::nullopt;
        std::vector<Entry> entries(count);
        for (quint32 i = 0; i < count; ++i) {
            const qsizetype at = 8 * qsizetype(i);
            entries[i] = {get32(*bytes, at), get32(*bytes, at + 4)};
        }
        return entries;
    }

    static std::optional<Entry> find(const std::vector<Entry>& entries, quint32 id)
    {
        for (const Entry& e : entries) {
            if (e.name == id)
                return e;
        }
        return std::nullopt;
    }

    // The language the platform's resource lookup takes: neutral, then the user's, then US
    // English, then the first one there is.
    static std::optional<Entry> pickLanguage(const std::vector<Entry>& entries,
                                             quint16 userLanguage)
    {
        auto isData = [](const Entry& e) { return !(e.data & kHighBit); };
        for (const quint16 wanted : {kLanguageNeutral, userLanguage, kEnglishUnitedStates}) {
            for (const Entry& e : entries) {
                if (e.name == wanted && isData(e))
                    return e;
            }
        }
        for (const Entry& e : entries) {
            if (isData(e))
                return e;
        }
        return std::nullopt;
    }

    RangeReader& m_file;
    quint32 m_resourceRva = 0;
    std::vector<PeSection> m_sections;
};

// --- ELF files

QByteArray elfVersionBlock(RangeReader& file)
{
    const auto ident = file.read(0, 16);
    if (!ident || !ident->startsWith("\x7F"
                                     "ELF"))
        return {};
    const bool is64 = ident->at(4) == 2;
    const bool be = ident->at(5) == 2;
    if ((!is64 && ident->at(4) != 1) || (!be && ident->at(5) != 1))
        return {};
    const auto header = file.read(0, is64 ? 64 : 52);
    if (!header)
        return {};
    const quint64 tableAt = is64 ? get64(*header, 0x28, be) : get32(*header, 0x20, be);
    const quint16 entrySize = get16(*header, is64 ? 0x3A : 0x2E, be);
    quint64 count = get16(*header, is64 ? 0x3C : 0x30, be);
    quint32 namesIndex = get16(*header, is64 ? 0x3E : 0x32, be);
    const qsizetype minEntry = is64 ? 64 : 40;
    // Real tables use the minimum size; a few bytes more are allowed.
    if (tableAt == 0 || entrySize < minEntry || entrySize > 2 * minEntry)
        return {};

    const qsizetype nameAt = 0;
    const qsizetype typeAt = 4;
    const qsizetype offsetAt = is64 ? 24 : 16;
    const qsizetype sizeAt = is64 ? 32 : 20;
    const qsizetype linkAt = is64 ? 40 : 24;
    auto word = [&](QByteArrayView e, qsizetype at) {
        return is64 ? get64(e, at, be) : quint64(get32(e, at, be));
    };

    // Large section counts and string table indexes live in section 0.
    const auto zero = file.read(tableAt, entrySize);
    if (!zero)
        return {};
    if (count == 0)
        count = word(*zero, sizeAt);
    if (namesIndex == 0xFFFF)
        namesIndex = get32(*zero, linkAt, be);
    // Our section comes early; a table of more sections is not searched beyond that.
    count = std::min<quint64>(count, 0x10000);
    if (namesIndex >= count)
        return {};
    const auto table = file.read(tableAt, count * entrySize);
    if (!table)
        return {};
    auto entry = [&](quint64 i) { return QByteArrayView(*table).sliced(qsizetype(i * entrySize)); };

    // Section names are read from the start of their table; ours is short and comes early.
    const QByteArrayView namesEntry = entry(namesIndex);
    const quint64 namesSize = std::min<quint64>(word(namesEntry, sizeAt), 0x10000);
    const auto names = file.read(word(namesEntry, offsetAt), namesSize);
    if (!names)
        return {};
    const QByteArrayView wanted(kElfSectionName, qsizetype(sizeof kElfSectionName)); // with its 0
    for (quint64 i = 0; i < count; ++i) {
        const QByteArrayView e = entry(i);
        if (names->mid(get32(e, nameAt, be), wanted.size()) != wanted)
            continue;
        constexpr quint32 kShtNobits = 8;
        if (get32(e, typeAt, be) == kShtNobits)
            return {};
        const quint64 size = std::min<quint64>(word(e, sizeAt), kMaxBlockSize);
        return file.read(word(e, offsetAt), size).value_or(QByteArray());
    }
    return {};
}

// --- Blocks

qsizetype align4(qsizetype at)
{
    return (at + 3) & ~qsizetype(3);
}

// One node of a block: a header, a key, a value, then children up to its end.
struct Node
{
    qsizetype end = 0;
    quint16 type = 0;
    QString key;
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0; // may lie past end when the value length is damaged
    qsizetype childrenStart = 0;
};

std::optional<Node> parseNode(QByteArrayView b, qsizetype at, qsizetype limit)
{
    if (at < 0 || limit > b.size() || at > limit - 6)
        return std::nullopt;
    const quint16 length = get16(b, at);
    if (length < 6 || length > limit - at)
        return std::nullopt;
    Node n;
    n.end = at + length;
    n.type = get16(b, at + 4);
    qsizetype p = at + 6;
    for (;;) {
        if (p > n.end - 2)
            return std::nullopt; // key without its terminating zero
        const quint16 c = get16(b, p);
        p += 2;
        if (c == 0)
            break;
        n.key.append(QChar(c));
    }
    // Text values count 16-bit characters, binary ones bytes.
    const quint16 valueLength = get16(b, at + 2);
    n.valueStart = std::min(align4(p), n.end);
    n.valueEnd = n.valueStart + (n.type == 1 ? 2 * qsizetype(valueLength) : valueLength);
    n.childrenStart = std::min(align4(n.valueEnd), n.end);
    return n;
}

std::optional<Node> childNamed(QByteArrayView b, const Node& parent, QStringView key)
{
    qsizetype at = parent.childrenStart;
    while (at <= parent.end - 6) {
        auto child = parseNode(b, at, parent.end);
        if (!child)
            return std::nullopt;
        if (child->key.compare(key, Qt::CaseInsensitive) == 0)
            return child;
        at = align4(child->end);
    }
    return std::nullopt;
}

// Windows' version functions never look at the root's key ("VS_VERSION_INFO").
std::optional<Node> rootNode(QByteArrayView b)
{
    return parseNode(b, 0, b.size());
}

QString textValue(QByteArrayView b, const Node& n)
{
    // Windows reads a text up to its zero whatever the value's length and type say
    // (0, or bytes instead of characters); here it also ends at the node's end.
    const qsizetype end = n.end;
    QString text;
    for (qsizetype p = n.valueStart; p <= end - 2; p += 2) {
        const quint16 c = get16(b, p);
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return text;
}

} // namespace

QByteArray readFromDevice(QIODevice& device, quint16 userLanguage)
{
    RangeReader file(device);
    QByteArray block = PeReader(file).versionBlock(userLanguage);
    if (block.isEmpty())
        block = elfVersionBlock(file);
    const auto root = rootNode(block);
    if (!root)
        return {};
    block.truncate(root->end);
    return block;
}

QByteArray readFromFile(const QString& path, quint16 userLanguage)
{
    // Opened without blocking and checked to be a regular file before anything is read:
    // opening a pipe for reading would wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    QFile file;
    // Unbuffered: the reads are few, small and scattered over the file.
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    return readFromDevice(file, userLanguage);
}

std::optional<QByteArray> fixedFileInfo(QByteArrayView block)
{
    // Windows hands out the root's value as it stands, whatever its signature or type
    // (a text type counts the length in characters).
    constexpr qsizetype kSize = 52;
    const auto root = rootNode(block);
    if (!root || root->valueEnd - root->valueStart < kSize || root->valueStart + kSize > root->end)
        return std::nullopt;
    return block.sliced(root->valueStart, kSize).toByteArray();
}

std::optional<QByteArray> translations(QByteArrayView block)
{
    const auto root = rootNode(block);
    const auto varInfo = root ? childNamed(block, *root, u"VarFileInfo") : std::nullopt;
    const auto var = varInfo ? childNamed(block, *varInfo, u"Translation") : std::nullopt;
    if (!var)
        return std::nullopt;
    // A table longer than its node goes on, for Windows, into the bytes after it: those
    // the block holds are read, nothing past its end.
    const qsizetype end = std::min(var->valueEnd, root->end);
    return block.sliced(var->valueStart, std::max<qsizetype>(0, end - var->valueStart))
        .toByteArray();
}

std::optional<QString> stringValue(QByteArrayView block, QStringView table, QStringView name)
{
    const auto root = rootNode(block);
    const auto info = root ? childNamed(block, *root, u"StringFileInfo") : std::nullopt;
    const auto strings = info ? childNamed(block, *info, table) : std::nullopt;
    const auto entry = strings ? childNamed(block, *strings, name) : std::nullopt;
    if (!entry)
        return std::nullopt;
    return textValue(block, *entry);
}

} // namespace versionresource

} // namespace tavelorn
