#include "inifile.h"

#include "apperror.h"
#include "codepage.h"
#include "fileio.h"
#include "ininametable.h"
#include "inistorage.h"
#include "initext.h"
#include "safefile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <unistd.h>

namespace tavelorn {

namespace {

using ini::countUnit;
using ini::findLineEnd;
using ini::finishHash;
using ini::foldAscii;
using ini::foldedHash;
using ini::hashStep;
using ini::isAsciiBytes;
using ini::isValidUtf8;
using ini::kHashSeed;
using ini::NameTable;
using ini::Record;
using ini::RecordArray;
using ini::WrittenText;

constexpr quint32 kNone = ini::kNoRecord;

constexpr quint32 kLengthMask = (quint32(1) << 29) - 1;
constexpr quint32 kHeader = quint32(1) << 29;    // the first header of its name
constexpr quint32 kRewritten = quint32(1) << 30; // a key line of the file written over
// On a header: the section may hold two keys of one name (or holds many keys), so the
// line after the key found last may not be the first of its name.
constexpr quint32 kMayRepeatKeys = kRewritten;
// Keys whose names the parse compares, to tell sections without repeated keys.
constexpr int kCheckedKeys = 32;
constexpr quint32 kInsertAfter = quint32(1) << 31; // its section's new keys follow it
// Record numbers fit the 28 bits of a name table's slot.
constexpr qsizetype kMaxRecords = (qsizetype(1) << 28) - 2;

// Sections with more keys than this get an index at their first long search.
constexpr qsizetype kIndexedFrom = 24;

// Controls and space, except NUL: as for the Windows profile functions, a NUL ends a
// name or value where it stands instead of being trimmed away.
template <typename Ch> bool isBlank(Ch c)
{
    return unsigned(std::make_unsigned_t<Ch>(c)) - 1u < 32u;
}

template <typename Ch> void trimBounds(const Ch* d, qsizetype& b, qsizetype& e)
{
    while (b < e && isBlank(d[b]))
        ++b;
    while (e > b && isBlank(d[e - 1]))
        --e;
}

// Names and values end at their first NUL, as C strings do: ends e there. The cut comes
// after trimming, which sees the whole line ("a \0b" is "a ").
template <typename Ch> void cutAtNul(const Ch* d, qsizetype b, qsizetype& e)
{
    if (const Ch* p = std::char_traits<Ch>::find(d + b, size_t(e - b), Ch(0)))
        e = qsizetype(p - d);
}

// Section, key and value arguments as the Windows profile functions take them: C strings.
QStringView cString(const QString& s)
{
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? QStringView(s) : QStringView(s).left(nul);
}

template <typename Ch> qsizetype findUnit(const Ch* d, qsizetype b, qsizetype e, Ch c)
{
    const Ch* p = std::char_traits<Ch>::find(d + b, size_t(e - b), c);
    return p ? qsizetype(p - d) : -1;
}

const char16_t* unitsOf(const QString& s)
{
    return reinterpret_cast<const char16_t*>(s.constData());
}

bool startsWith(QByteArrayView b, std::initializer_list<uchar> prefix)
{
    if (b.size() < qsizetype(prefix.size()))
        return false;
    qsizetype i = 0;
    for (uchar c : prefix)
        if (uchar(b[i++]) != c)
            return false;
    return true;
}

// A value as written: up to its first NUL, and on a single line, as a line break inside
// it would start new lines in the file. The value itself when it is so already.
QString storedValue(const QString& value)
{
    const auto special = [](QChar c) { return c == u'\r' || c == u'\n' || c.isNull(); };
    if (std::none_of(value.begin(), value.end(), special))
        return value;
    QString v = value.left(value.indexOf(QChar(0)));
    v.replace(u'\r', u' ').replace(u'\n', u' ');
    return v;
}

// n when name is prefix followed by n in decimal without leading zeros (n >= 1).
qint32 numberAfterPrefix(QStringView name, QStringView prefix)
{
    if (name.size() <= prefix.size() || !name.startsWith(prefix, Qt::CaseInsensitive))
        return 0;
    const QStringView digits = name.mid(prefix.size());
    if (digits.front() == u'0' || digits.size() > 10)
        return 0; // no number that a 32-bit count reaches
    qint64 v = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        v = v * 10 + (c.unicode() - u'0');
    }
    return v > std::numeric_limits<qint32>::max() ? std::numeric_limits<qint32>::max() : qint32(v);
}

// Names compare without regard to case; names of different lengths never match.
bool sameName(QStringView a, QStringView b)
{
    return a.size() == b.size() && (a == b || a.compare(b, Qt::CaseInsensitive) == 0);
}

// A line's text: the file's bytes, or UTF-16 text.
struct LineView
{
    const char* bytes = nullptr;
    const char16_t* units = nullptr;
    qsizetype size = 0;
};

struct SectionExtra
{
    std::vector<quint32> added;      // the keys written into the section, in order
    std::unique_ptr<NameTable> keys; // the first record of each key name, once long
};

QString tooLargeMessage(const QString& path)
{
    return QStringLiteral("Impossible d'ouvrir le fichier \"%1\". Fichier trop volumineux (plus "
                          "de 256 Mo)")
        .arg(path);
}

} // namespace

// The parse: the file's text as read (its bytes, or the text of a UTF-16 file), one
// record for each section header that is the first of its name and for each key line of
// such a section. Every other line (blank, comment, text before the first header, a
// later section of a name already seen with its lines) is part of the record before it,
// which runs to the next record: it costs nothing and is written back as it was.
struct IniFile::Impl
{
    enum class Encoding
    {
        Utf8,
        Utf8Bom,
        Utf16,
        CodePage
    };

    Encoding encoding = Encoding::Utf8;
    std::unique_ptr<CodePageCodec> codec; // of a code-page file
    QByteArray bytes;                     // the file as read, unless it is UTF-16
    QString wide;                         // the text of a UTF-16 file
    bool isWide = false;
    qsizetype textEnd = 0;
    WrittenText written; // the text of the lines written
    // The file's lines, then the lines written (fileRecords on).
    RecordArray records;
    quint32 fileRecords = std::numeric_limits<quint32>::max();
    // For each file line written over, its written line; made at the first such write.
    std::vector<quint32> rewritten;
    std::unordered_map<quint32, SectionExtra> extras; // by header record
    std::vector<quint32> newSections;                 // their written header lines
    std::unordered_set<quint32> erased;               // header records of erased sections
    NameTable sections;
    QString eol = QStringLiteral("\n");
    qsizetype lineCount = 0;
    bool modified = false;
    QLocale locale = QLocale::system();
    std::optional<ShortDateFormat> dateFormat; // of locale, made at first use
    QString lastSectionName;
    quint32 lastSection = kNone;
    quint32 hintSection = kNone; // the section of the key line found last, and the next line
    quint32 hintNext = kNone;
    QString nameBuffer;
    QString valueBuffer;

    void load(QByteArray data);
    template <typename Ch> void parse(const Ch* chars, qsizetype begin, qsizetype end);

    LineView line(quint32 r) const
    {
        if (r < fileRecords && (records[r].info & (kRewritten | kHeader)) == kRewritten)
            r = rewritten[r];
        const Record& rec = records[r];
        const qsizetype n = rec.info & kLengthMask;
        if (r >= fileRecords)
            return {nullptr, written.at(rec.start), n};
        if (isWide)
            return {nullptr, unitsOf(wide) + rec.start, n};
        return {bytes.constData() + rec.start, nullptr, n};
    }

    QString decode(const char* p, qsizetype n) const
    {
        if (codec)
            return codec->decode(QByteArrayView(p, n));
        return QString::fromUtf8(p, n);
    }

    // p as text: widened into buffer when ASCII, else decoded.
    QStringView widen(const char* p, qsizetype n, QString& buffer) const
    {
        if (!isAsciiBytes(p, n)) {
            buffer = decode(p, n);
            return buffer;
        }
        buffer.resize(n);
        QChar* out = buffer.data();
        for (qsizetype i = 0; i < n; ++i)
            out[i] = QChar(char16_t(uchar(p[i])));
        return buffer;
    }
    QStringView widen(const char16_t* p, qsizetype n, QString&) const { return QStringView(p, n); }

    // The bounds of a header's name: up to the first "]", trimmed. In a double-byte page
    // "]" may be the second byte of a character.
    template <typename Ch>
    std::pair<qsizetype, qsizetype> headerName(const Ch* chars, qsizetype n) const
    {
        qsizetype b = 0;
        while (b < n && isBlank(chars[b]))
            ++b;
        qsizetype nb = b + 1;
        qsizetype ne = n;
        const bool pairs = std::is_same_v<Ch, char> && codec && codec->isDoubleByte();
        for (qsizetype i = nb; i < n; ++i) {
            if (chars[i] == Ch(']')) {
                ne = i;
                break;
            }
            if (pairs && i + 1 < n && codec->isLeadByte(uchar(chars[i])) &&
                codec->isTrailByte(uchar(chars[i + 1])))
                ++i;
        }
        trimBounds(chars, nb, ne);
        cutAtNul(chars, nb, ne);
        return {nb, ne};
    }

    // The bounds of a key line's name: before the first "=", trimmed, then up to its first
    // NUL.
    template <typename Ch> static std::pair<qsizetype, qsizetype> keyName(const Ch* d, qsizetype n)
    {
        qsizetype b = 0;
        qsizetype e = findUnit(d, 0, n, Ch('='));
        trimBounds(d, b, e);
        cutAtNul(d, b, e);
        return {b, e};
    }

    // The bounds of a key line's value: after the first "=", trimmed, then up to its first
    // NUL.
    template <typename Ch> static std::pair<qsizetype, qsizetype> keyValue(const Ch* d, qsizetype n)
    {
        qsizetype b = findUnit(d, 0, n, Ch('=')) + 1;
        qsizetype e = n;
        trimBounds(d, b, e);
        cutAtNul(d, b, e);
        return {b, e};
    }

    template <typename Ch>
    std::pair<qsizetype, qsizetype> nameBounds(const Ch* chars, qsizetype n, bool header) const
    {
        return header ? headerName(chars, n) : keyName(chars, n);
    }

    bool isHeader(quint32 r) const { return (records[r].info & kHeader) != 0; }

    // The name of record r as text, in buffer when it must be made.
    QStringView nameView(quint32 r, QString& buffer) const
    {
        const LineView l = line(r);
        if (l.units) {
            const auto [b, e] = nameBounds(l.units, l.size, isHeader(r));
            return QStringView(l.units + b, e - b);
        }
        const auto [b, e] = nameBounds(l.bytes, l.size, isHeader(r));
        return widen(l.bytes + b, e - b, buffer);
    }

    bool nameIs(quint32 r, QStringView name) const
    {
        const LineView l = line(r);
        if (l.units) {
            const auto [b, e] = nameBounds(l.units, l.size, isHeader(r));
            return sameName(QStringView(l.units + b, e - b), name);
        }
        const auto [b, e] = nameBounds(l.bytes, l.size, isHeader(r));
        const char* p = l.bytes + b;
        const qsizetype n = e - b;
        const qsizetype m = std::min(n, name.size());
        for (qsizetype i = 0; i < m; ++i) {
            const uchar c = uchar(p[i]);
            const char16_t u = name[i].unicode();
            if (c >= 0x80 || u >= 0x80)
                return sameName(decode(p, n), name);
            if (foldAscii(c) != foldAscii(u))
                return false;
        }
        if (n == name.size())
            return true;
        // Only a multi-byte character makes up for a difference in length.
        return !isAsciiBytes(p + m, n - m) && sameName(decode(p, n), name);
    }

    // Whether key line r's name is key, an ASCII name without "=" or blanks at its ends:
    // compared in place, without finding the line's parts first.
    template <typename Ch>
    bool keyLineIs(const Ch* chars, qsizetype n, QStringView key, quint32 r) const
    {
        qsizetype i = 0;
        while (i < n && isBlank(chars[i]))
            ++i;
        for (QChar k : key) {
            if (i == n)
                return false;
            const auto c = std::make_unsigned_t<Ch>(chars[i++]);
            if (c >= 0x80)
                return nameIs(r, key);
            if (foldAscii(char16_t(c)) != foldAscii(k.unicode()))
                return false;
        }
        // The name ends at a NUL; blanks before one belong to it ("k \0" is "k ").
        if (i < n && chars[i] == Ch(0))
            return true;
        while (i < n && isBlank(chars[i]))
            ++i;
        return i < n && chars[i] == Ch('=');
    }

    static bool isPlainKey(QStringView key)
    {
        if (key.isEmpty() || isBlank(key.front().unicode()) || isBlank(key.back().unicode()))
            return false;
        return std::all_of(key.begin(), key.end(),
                           [](QChar c) { return c.unicode() < 0x80 && c != u'='; });
    }

    quint64 nameHash(quint32 r) const
    {
        const LineView l = line(r);
        if (l.units) {
            const auto [b, e] = nameBounds(l.units, l.size, isHeader(r));
            return foldedHash(QStringView(l.units + b, e - b));
        }
        const auto [b, e] = nameBounds(l.bytes, l.size, isHeader(r));
        // An ASCII name hashes as its text would, without making the text.
        quint64 h = kHashSeed;
        for (qsizetype i = b; i < e; ++i) {
            const uchar c = uchar(l.bytes[i]);
            if (c >= 0x80)
                return foldedHash(decode(l.bytes + b, e - b));
            h = hashStep(h, foldAscii(c));
        }
        return finishHash(h);
    }

    // nameHash of key line r, whose name starts at b and runs before its "=" at eq: hashed
    // as it is found when ASCII, without finding its bounds again.
    template <typename Ch>
    quint64 keyNameHash(const Ch* chars, qsizetype b, qsizetype eq, quint32 r) const
    {
        quint64 h = kHashSeed;
        quint64 beforeBlanks = h; // the hash up to the last character that is no blank
        for (qsizetype i = b; i < eq; ++i) {
            const auto c = std::make_unsigned_t<Ch>(chars[i]);
            if (c == 0)
                return finishHash(h); // blanks before a NUL stay in the name
            if (c >= 0x80)
                return nameHash(r);
            h = hashStep(h, foldAscii(char16_t(c)));
            if (!isBlank(c))
                beforeBlanks = h;
        }
        return finishHash(beforeBlanks);
    }

    quint32 findSection(const QString& full, QStringView name)
    {
        // Operations read one section's keys in a row: remember the last one found.
        if (lastSection != kNone && full == lastSectionName)
            return lastSection;
        const quint32 h = sections.find(foldedHash(name), [&](quint32 id) {
            return nameIs(id, name) && (erased.empty() || !erased.count(id));
        });
        if (h != kNone) {
            lastSectionName = full;
            lastSection = h;
        }
        return h;
    }

    // Calls f(record) for each key line of the section headed by record h, in file order,
    // until f returns true; tells whether it did.
    template <typename F> bool forEachKey(quint32 h, F&& f) const
    {
        if (h < fileRecords)
            for (quint32 r = h + 1; r < fileRecords && !isHeader(r); ++r)
                if (f(r))
                    return true;
        if (const auto it = extras.find(h); it != extras.end())
            for (quint32 r : it->second.added)
                if (f(r))
                    return true;
        return false;
    }

    quint32 findKey(quint32 h, QStringView key)
    {
        const bool plain = isPlainKey(key);
        const auto same = [&](quint32 r) {
            if (!plain)
                return nameIs(r, key);
            const LineView l = line(r);
            return l.units ? keyLineIs(l.units, l.size, key, r)
                           : keyLineIs(l.bytes, l.size, key, r);
        };
        // Operations read a section's keys in the order the file holds them: try the line
        // after the one found last.
        if (hintSection == h && hintNext < fileRecords && !isHeader(hintNext) &&
            !(records[h].info & kMayRepeatKeys) && same(hintNext)) {
            return hintNext++;
        }
        if (const auto it = extras.find(h); it != extras.end() && it->second.keys)
            return remember(h, it->second.keys->find(foldedHash(key), same));
        quint32 found = kNone;
        qsizetype seen = 0;
        const bool stopped = forEachKey(h, [&](quint32 r) {
            if (++seen > kIndexedFrom)
                return true;
            if (same(r))
                found = r;
            return found != kNone;
        });
        if (found != kNone || !stopped)
            return remember(h, found);
        // A long section: an index of the first line of each name.
        auto index = std::make_unique<NameTable>();
        const auto hashOf = [this](quint32 r) { return nameHash(r); };
        size_t count = 0;
        forEachKey(h, [&](quint32) { return ++count == 0; });
        index->reserve(count);
        QString buffer;
        forEachKey(h, [&](quint32 r) {
            const QStringView name = nameView(r, buffer);
            const quint64 hash = foldedHash(name);
            if (index->find(hash, [&](quint32 o) { return nameIs(o, name); }) == kNone)
                index->insert(hash, r, hashOf);
            return false;
        });
        SectionExtra& extra = extras[h];
        extra.keys = std::move(index);
        return remember(h, extra.keys->find(foldedHash(key), same));
    }

    quint32 remember(quint32 h, quint32 found)
    {
        if (found != kNone && found < fileRecords) {
            hintSection = h;
            hintNext = found + 1;
        }
        return found;
    }

    quint32 findKey(const QString& section, QStringView sectionName, QStringView key)
    {
        const quint32 h = findSection(section, sectionName);
        return h == kNone ? kNone : findKey(h, key);
    }

    // The value of key line r, at most kMaxValueLength units: a view of the text, or made
    // in buffer.
    QStringView valueView(quint32 r, QString& buffer) const
    {
        const LineView l = line(r);
        if (l.units) {
            const auto [b, e] = keyValue(l.units, l.size);
            return QStringView(l.units + b, e - b).left(kMaxValueLength);
        }
        const auto [b, e] = keyValue(l.bytes, l.size);
        const qsizetype n = e - b;
        if (isAsciiBytes(l.bytes + b, std::min(n, kMaxValueLength)))
            return widen(l.bytes + b, std::min(n, kMaxValueLength), buffer);
        // Enough bytes for the units kept: at most 4 a unit, with a character cut short.
        buffer = decode(l.bytes + b, std::min(n, 4 * kMaxValueLength + 4)).left(kMaxValueLength);
        return buffer;
    }

    QString value(quint32 r) const
    {
        const LineView l = line(r);
        if (l.units) {
            const auto [b, e] = keyValue(l.units, l.size);
            return QStringView(l.units + b, e - b).left(kMaxValueLength).toString();
        }
        const auto [b, e] = keyValue(l.bytes, l.size);
        const qsizetype n = e - b;
        if (isAsciiBytes(l.bytes + b, std::min(n, kMaxValueLength)))
            return QString::fromLatin1(l.bytes + b, std::min(n, kMaxValueLength));
        return decode(l.bytes + b, std::min(n, 4 * kMaxValueLength + 4)).left(kMaxValueLength);
    }

    quint32 addWritten(std::initializer_list<QStringView> parts, quint32 flags)
    {
        const quint32 start = written.append(parts);
        records.append({start, quint32(written.size() - start) | flags});
        return quint32(records.size() - 1);
    }

    void setWritten(quint32 w, std::initializer_list<QStringView> parts)
    {
        const quint32 start = written.append(parts);
        records[w] = {start, quint32(written.size() - start)};
    }

    void write(const QString& sectionFull, QStringView section, QStringView key, QStringView v);

    qsizetype eolEndAt(qsizetype pos) const
    {
        const auto at = [&](qsizetype i) -> char16_t {
            return isWide ? unitsOf(wide)[i] : char16_t(uchar(bytes[i]));
        };
        if (pos < textEnd && at(pos) == u'\r')
            return pos + 1 < textEnd && at(pos + 1) == u'\n' ? pos + 2 : pos + 1;
        return pos < textEnd && at(pos) == u'\n' ? pos + 1 : pos;
    }

    // The start of the first line in [a, b) whose first non-blank character is "[", or b.
    qsizetype headerLineIn(qsizetype a, qsizetype b) const
    {
        const auto at = [&](qsizetype i) -> char16_t {
            return isWide ? unitsOf(wide)[i] : char16_t(uchar(bytes[i]));
        };
        bool lineStart = true;
        for (qsizetype i = a; i < b; ++i) {
            const char16_t c = at(i);
            if (c == u'\n' || c == u'\r') {
                lineStart = true;
                continue;
            }
            if (!lineStart)
                continue;
            qsizetype j = i;
            while (j < b && at(j) != u'\n' && at(j) != u'\r' && isBlank(at(j)))
                ++j;
            if (j < b && at(j) == u'[')
                return i;
            lineStart = false;
            i = j;
        }
        return b;
    }

    template <typename Sink> void writeOut(Sink& out) const;
};

void IniFile::Impl::load(QByteArray data)
{
    const QByteArrayView v(data);
    qsizetype begin = 0;
    if (startsWith(v, {0xEF, 0xBB, 0xBF})) {
        encoding = Encoding::Utf8Bom;
        begin = 3;
    } else if (startsWith(v, {0xFF, 0xFE}) || startsWith(v, {0xFE, 0xFF})) {
        encoding = Encoding::Utf16;
        isWide = true;
        const auto order =
            v.front() == char(0xFF) ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        QStringDecoder dec(order, QStringConverter::Flag::Stateless);
        wide = dec.decode(v.sliced(2));
        data = QByteArray(); // only the text is needed from here on
    } else if (const std::optional<int> page = configuredAnsiCodePage()) {
        // The user said which Windows wrote the file: its code-page text may also be
        // valid UTF-8 ("系统" in 936 is). A new file is written in that page too.
        encoding = Encoding::CodePage;
        codec = std::make_unique<CodePageCodec>(*page);
    } else if (isValidUtf8(v.data(), v.size())) {
        encoding = Encoding::Utf8;
    } else {
        encoding = Encoding::CodePage;
        codec = std::make_unique<CodePageCodec>(userAnsiCodePage());
    }
    if (isWide) {
        textEnd = wide.size();
        parse(unitsOf(wide), 0, textEnd);
    } else {
        bytes = std::move(data);
        textEnd = bytes.size();
        parse(bytes.constData(), begin, textEnd);
    }
}

template <typename Ch> void IniFile::Impl::parse(const Ch* chars, qsizetype begin, qsizetype end)
{
    fileRecords = std::numeric_limits<quint32>::max(); // every record is the file's so far
    const auto hashOf = [this](quint32 r) { return nameHash(r); };
    // The section table is sized for every header line at once: it never grows while the
    // file is read, and headers of a name seen before take no room in it. Each header holds
    // a "[", and all but the last a line end: a bound found at the speed of memchr.
    const auto headers =
        size_t(std::min(countUnit(chars, begin, end, Ch('[')), (end - begin + 1) / 2));
    sections.reserve(headers);
    bool live = false; // in a section that is the first of its name
    size_t header = 0;
    quint64 keyHashes[kCheckedKeys];
    int keyCount = 0;
    bool eolFound = false;
    qsizetype pos = begin;
    while (pos < end) {
        const qsizetype le = findLineEnd(chars, pos, end);
        qsizetype next = le;
        if (le < end) {
            next = chars[le] == Ch('\r') && le + 1 < end && chars[le + 1] == Ch('\n') ? le + 2
                                                                                      : le + 1;
            if (!eolFound) {
                eol = next - le == 2 ? QStringLiteral("\r\n") : QString(QChar(char16_t(chars[le])));
                eolFound = true;
            }
        }
        ++lineCount;
        qsizetype b = pos;
        while (b < le && isBlank(chars[b]))
            ++b;
        if (b < le && chars[b] == Ch('[')) {
            const auto [nb, ne] = headerName(chars + pos, le - pos);
            const QStringView name = widen(chars + pos + nb, ne - nb, nameBuffer);
            const quint64 h = foldedHash(name);
            live = sections.find(h, [&](quint32 id) { return nameIs(id, name); }) == kNone;
            if (live) {
                header = records.size();
                records.append({quint32(pos), quint32(le - pos) | kHeader});
                sections.insert(h, quint32(header), hashOf);
                keyCount = 0;
            }
        } else if (live && b < le && chars[b] != Ch(';') && chars[b] != Ch(0)) {
            // A line that starts with NUL is empty to the profile functions.
            const qsizetype eq = findUnit(chars, b, le, Ch('='));
            if (eq >= 0) {
                records.append({quint32(pos), quint32(le - pos)});
                // Whether a name repeats, by the names' hashes: a false alarm only costs the
                // section the shortcut of reads in file order.
                if (keyCount < kCheckedKeys) {
                    const quint64 k = keyNameHash(chars, b, eq, quint32(records.size() - 1));
                    if (std::find(keyHashes, keyHashes + keyCount, k) != keyHashes + keyCount)
                        records[header].info |= kMayRepeatKeys;
                    keyHashes[keyCount++] = k;
                } else {
                    records[header].info |= kMayRepeatKeys;
                }
            }
        }
        pos = next;
    }
    fileRecords = quint32(records.size());
}

void IniFile::Impl::write(const QString& sectionFull, QStringView section, QStringView key,
                          QStringView v)
{
    quint32 h = findSection(sectionFull, section);
    const auto hashOf = [this](quint32 r) { return nameHash(r); };
    if (h == kNone) {
        // A new section at the end of the file: "[name]" then "key=value".
        h = addWritten({u"[", section, u"]"}, kHeader);
        sections.insert(foldedHash(section), h, hashOf);
        newSections.push_back(h);
        ++lineCount;
        lastSectionName = sectionFull;
        lastSection = h;
    }
    const quint32 found = findKey(h, key);
    if (found != kNone) {
        if (valueView(found, valueBuffer) == v)
            return;
        // Keeps the key's own spelling.
        const QString name = nameView(found, nameBuffer).toString();
        if (found >= fileRecords) {
            setWritten(found, {name, u"=", v});
        } else if (records[found].info & kRewritten) {
            setWritten(rewritten[found], {name, u"=", v});
        } else {
            if (rewritten.empty())
                rewritten.resize(fileRecords, kNone);
            rewritten[found] = addWritten({name, u"=", v}, 0);
            records[found].info |= kRewritten;
        }
    } else {
        // After the section's last key line, or right after its header.
        SectionExtra& extra = extras[h];
        if (extra.added.empty() && h < fileRecords) {
            quint32 last = h;
            for (quint32 r = h + 1; r < fileRecords && !isHeader(r); ++r)
                last = r;
            records[last].info |= kInsertAfter;
        }
        const quint32 w = addWritten({key, u"=", v}, 0);
        extra.added.push_back(w);
        if (extra.keys)
            extra.keys->insert(foldedHash(key), w, hashOf);
        ++lineCount;
    }
    modified = true;
}

// Calls out.file(a, b) for ranges of the file's text written back as they are,
// out.line(view) for written lines and out.eol() for the line ends they take.
template <typename Sink> void IniFile::Impl::writeOut(Sink& out) const
{
    out.file(0, fileRecords ? records[0].start : textEnd);
    quint32 section = kNone;
    for (quint32 r = 0; r < fileRecords; ++r) {
        const Record& rec = records[r];
        if (rec.info & kHeader)
            section = r;
        const qsizetype lineEnd = rec.start + (rec.info & kLengthMask);
        const qsizetype next = r + 1 < fileRecords ? records[r + 1].start : textEnd;
        if (!erased.empty() && erased.count(section)) {
            // An erased section goes with its lines, up to the next header: a later
            // section of the same name, with its lines, stays.
            if (r + 1 >= fileRecords || isHeader(r + 1))
                out.file(headerLineIn(eolEndAt(lineEnd), next), next);
            continue;
        }
        if ((rec.info & (kRewritten | kHeader)) == kRewritten)
            out.line(line(r));
        else
            out.file(rec.start, lineEnd);
        if (!(rec.info & kInsertAfter)) {
            out.file(lineEnd, next);
            continue;
        }
        const qsizetype eolEnd = eolEndAt(lineEnd);
        out.file(lineEnd, eolEnd);
        if (eolEnd == lineEnd)
            out.eol();
        for (quint32 a : extras.at(section).added) {
            out.line(line(a));
            out.eol();
        }
        out.file(eolEnd, next);
    }
    for (quint32 h : newSections) {
        if (!erased.empty() && erased.count(h))
            continue;
        if (!out.atLineStart)
            out.eol();
        out.line(line(h));
        out.eol();
        if (const auto it = extras.find(h); it != extras.end())
            for (quint32 a : it->second.added) {
                out.line(line(a));
                out.eol();
            }
    }
}

namespace {

// The file in its own bytes (UTF-8 or a code page): ranges of the file as read, written
// lines encoded. failed: a written line has a character the code page lacks.
struct ByteSink
{
    const QByteArray& source;
    CodePageCodec* codec;
    QByteArray eolBytes;
    QByteArray out;
    bool atLineStart = true;
    bool failed = false;

    void file(qsizetype a, qsizetype b)
    {
        if (b <= a)
            return;
        out.append(source.constData() + a, b - a);
        atLineStart = out.back() == '\n' || out.back() == '\r';
    }
    void line(LineView l)
    {
        const QStringView text(l.units, l.size);
        if (codec) {
            failed = failed || !codec->encode(text, out);
        } else {
            const qsizetype at = out.size();
            out.resize(at + 3 * text.size());
            QStringEncoder enc(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            out.truncate(enc.appendToBuffer(out.data() + at, text) - out.constData());
        }
        atLineStart = false;
    }
    void eol()
    {
        out += eolBytes;
        atLineStart = true;
    }
};

// The file as UTF-16 text.
struct TextSink
{
    const std::function<void(qsizetype, qsizetype, QString&)>& appendFile;
    const QString& eolText;
    QString out;
    bool atLineStart = true;

    void file(qsizetype a, qsizetype b)
    {
        if (b <= a)
            return;
        appendFile(a, b, out);
        atLineStart = out.back() == u'\n' || out.back() == u'\r';
    }
    void line(LineView l)
    {
        out.append(QStringView(l.units, l.size));
        atLineStart = false;
    }
    void eol()
    {
        out += eolText;
        atLineStart = true;
    }
};

} // namespace

IniFile::IniFile() : m_impl(std::make_unique<Impl>())
{
}

IniFile::IniFile(const QString& path) : m_path(path), m_impl(std::make_unique<Impl>())
{
    // An absent or unreadable file reads as empty, like the profile functions; so does
    // anything but a regular file (a pipe would block the program).
    int cause = 0;
    const int fd = openRegularFileForReading(path, cause);
    QFile f;
    if (fd < 0 ||
        !f.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        m_impl->load(QByteArray());
        return;
    }
    if (f.size() > kMaxFileSize)
        throw AppError(tooLargeMessage(path));
    // Read, not mapped: another program truncating the file would make a mapping fault.
    // One byte more than the size tells a file that grew meanwhile.
    QByteArray data(qsizetype(f.size()) + 1, Qt::Uninitialized);
    fileio::adviseHugePages(data.data(), size_t(data.size()));
    qsizetype total = 0;
    for (;;) {
        if (total == data.size()) {
            if (total > kMaxFileSize)
                throw AppError(tooLargeMessage(path));
            data.resize(std::min<qsizetype>(total * 2, kMaxFileSize + 1));
        }
        const qint64 n = f.read(data.data() + total, data.size() - total);
        if (n <= 0)
            break;
        total += qsizetype(n);
    }
    data.truncate(total);
    m_impl->load(std::move(data));
}

IniFile IniFile::fromBytes(const QByteArray& bytes, const QString& pathForMessages)
{
    if (bytes.size() > kMaxFileSize)
        throw AppError(tooLargeMessage(pathForMessages), EFBIG);
    IniFile ini;
    ini.m_impl->load(bytes);
    return ini;
}

IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;
IniFile::~IniFile() = default;

void IniFile::setLocale(const QLocale& locale)
{
    m_impl->locale = locale;
    m_impl->dateFormat.reset();
}

void IniFile::eraseSection(const QString& section)
{
    const quint32 h = m_impl->findSection(section, cString(section));
    if (h == kNone)
        return;
    m_impl->erased.insert(h);
    m_impl->lastSection = kNone;
    m_impl->lastSectionName.clear();
    m_impl->modified = true;
}

bool IniFile::sectionExists(const QString& section) const
{
    return m_impl->findSection(section, cString(section)) != kNone;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    return m_impl->findKey(section, cString(section), cString(key)) != kNone;
}

qsizetype IniFile::lineCount() const
{
    return m_impl->lineCount;
}

bool IniFile::isModified() const
{
    return m_impl->modified;
}

int IniFile::codePage() const
{
    return m_impl->codec ? m_impl->codec->number() : 0;
}

bool IniFile::leavesCodePage() const
{
    if (!m_impl->codec || !m_impl->modified)
        return false;
    const QByteArray out = toBytes();
    return out.startsWith("\xFF\xFE");
}

qint32 IniFile::highestNumberedSection(const QString& prefix) const
{
    const qsizetype limit = m_impl->lineCount;
    qint32 best = 0;
    QString buffer;
    const auto consider = [&](quint32 h) {
        const qint32 n = numberAfterPrefix(m_impl->nameView(h, buffer), cString(prefix));
        if (n <= limit)
            best = std::max(best, n);
    };
    for (quint32 r = 0; r < m_impl->fileRecords; ++r)
        if (m_impl->isHeader(r))
            consider(r);
    for (quint32 h : m_impl->newSections)
        consider(h);
    return best;
}

qint32 IniFile::highestNumberedKey(const QString& section, const QString& prefix) const
{
    const quint32 h = m_impl->findSection(section, cString(section));
    if (h == kNone)
        return 0;
    const qsizetype limit = m_impl->lineCount;
    qint32 best = 0;
    QString buffer;
    m_impl->forEachKey(h, [&](quint32 r) {
        const qint32 n = numberAfterPrefix(m_impl->nameView(r, buffer), cString(prefix));
        if (n <= limit)
            best = std::max(best, n);
        return false;
    });
    return best;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    const quint32 r = m_impl->findKey(section, cString(section), cString(key));
    return r == kNone ? def : m_impl->value(r);
}

void IniFile::readStringInto(const QString& section, const QString& key, const QString& def,
                             QString& target) const
{
    const quint32 r = m_impl->findKey(section, cString(section), cString(key));
    if (r == kNone) {
        if (target != def)
            target = def;
        return;
    }
    const QStringView v = m_impl->valueView(r, m_impl->valueBuffer);
    if (target != v)
        target = v.toString();
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    const QString v = storedValue(value);
    // Record positions are 32-bit and their numbers 28-bit.
    if (m_impl->written.size() + 2 * (section.size() + key.size() + v.size() + 3) +
                WrittenText::kBlock >
            qsizetype(kLengthMask) ||
        qsizetype(m_impl->records.size()) >= kMaxRecords)
        throw AppError(QStringLiteral("Impossible d'écrire dans %1").arg(m_path));
    m_impl->write(section, cString(section), cString(key), v);
}

qint32 IniFile::readInteger(const QString& section, const QString& key, qint32 def) const
{
    const quint32 r = m_impl->findKey(section, cString(section), cString(key));
    if (r == kNone)
        return def;
    return parseIniInteger(m_impl->valueView(r, m_impl->valueBuffer)).value_or(def);
}

void IniFile::writeInteger(const QString& section, const QString& key, qint32 value)
{
    writeString(section, key, QString::number(value));
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

SerialDate IniFile::readDate(const QString& section, const QString& key, SerialDate def) const
{
    const quint32 r = m_impl->findKey(section, cString(section), cString(key));
    if (r == kNone)
        return def;
    const QStringView v = m_impl->valueView(r, m_impl->valueBuffer);
    if (v.isEmpty())
        return def;
    if (!m_impl->dateFormat)
        m_impl->dateFormat.emplace(m_impl->locale);
    return m_impl->dateFormat->parse(v).value_or(def);
}

void IniFile::writeDate(const QString& section, const QString& key, SerialDate value)
{
    if (!m_impl->dateFormat)
        m_impl->dateFormat.emplace(m_impl->locale);
    writeString(section, key, m_impl->dateFormat->format(value));
}

QByteArray IniFile::toBytes() const
{
    const Impl& ini = *m_impl;
    if (!ini.isWide) {
        ByteSink sink{ini.bytes, ini.codec.get(), ini.eol.toLatin1(), {}};
        sink.out.reserve(ini.bytes.size() + ini.written.size() * 2 + 64);
        ini.writeOut(sink);
        // The next read would take valid UTF-8 for UTF-8: when the lines that made a
        // code-page file invalid were written over, only UTF-16 keeps the text that the
        // other lines hold.
        const bool readsAsUtf8 = ini.codec &&
                                 !isAsciiBytes(sink.out.constData(), sink.out.size()) &&
                                 isValidUtf8(sink.out.constData(), sink.out.size());
        if (!sink.failed && !readsAsUtf8)
            return std::move(sink.out);
        // UTF-16LE with BOM holds every value, and Windows reads and writes it as such.
    }
    const std::function<void(qsizetype, qsizetype, QString&)> appendFile =
        [&ini](qsizetype a, qsizetype b, QString& out) {
            if (ini.isWide)
                out.append(QStringView(unitsOf(ini.wide) + a, b - a));
            else
                out.append(ini.decode(ini.bytes.constData() + a, b - a));
        };
    TextSink sink{appendFile, ini.eol, {}};
    sink.out.reserve(ini.textEnd + ini.written.size() + 64);
    ini.writeOut(sink);
    QStringEncoder enc(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    return enc.encode(sink.out);
}

void IniFile::save()
{
    if (!m_impl->modified || m_path.isEmpty())
        return;
    if (const int err = writeFileSafely(m_path, bytesToSave()))
        throw AppError(writeErrorMessage(m_path, err), err);
    m_impl->modified = false;
}

QByteArray IniFile::bytesToSave() const
{
    QByteArray bytes = toBytes();
    if (bytes.size() > kMaxFileSize)
        throw AppError(writeErrorMessage(m_path, EFBIG), EFBIG);
    return bytes;
}

} // namespace tavelorn
