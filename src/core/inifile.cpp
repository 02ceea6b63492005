#include "inifile.h"

#include "apperror.h"
#include "codepage.h"
#include "safefile.h"
#include "text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <iterator>
#include <memory>

std::optional<qint32> parseIniInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    if (hex) {
        if (n - i > 8)
            return std::nullopt;
        quint32 v = 0;
        for (; i < n; ++i) {
            const char16_t c = text[i].unicode();
            int d;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            else
                return std::nullopt;
            v = (v << 4) | quint32(d);
        }
        return qint32(negative ? 0u - v : v);
    }
    qint64 v = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        v = v * 10 + (c - u'0');
        if (v > qint64(1) << 31)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(v);
}

namespace {

// bytes as UTF-8 text, or nothing when they are not valid UTF-8: found without decoding
// far beyond the first fault, as a code-page file has one near its start.
std::optional<QString> decodeUtf8(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* end = out.data();
    constexpr qsizetype Chunk = 1 << 16;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype cut = std::min(pos + Chunk, bytes.size());
        // Never inside a sequence: before its lead byte.
        for (int k = 0; k < 3 && cut < bytes.size() && (uchar(bytes[cut]) & 0xC0) == 0x80; ++k)
            --cut;
        QStringDecoder dec(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
        end = dec.appendToBuffer(end, bytes.sliced(pos, cut - pos));
        if (dec.hasError())
            return std::nullopt;
        pos = cut;
    }
    out.truncate(end - out.constData());
    return out;
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

// The end of the line of bytes that starts at pos: its first CR or LF, or the end.
qsizetype rawLineEnd(QByteArrayView bytes, qsizetype pos)
{
    const qsizetype size = bytes.size();
    const char* d = bytes.data();
    while (pos < size && d[pos] != '\n' && d[pos] != '\r')
        ++pos;
    return pos;
}

bool isBlank(QChar c)
{
    return c.unicode() <= 32;
}

// The bounds of a trimmed part of s: [b, e).
void trimBounds(QStringView s, qsizetype& b, qsizetype& e)
{
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
}

// Values are single lines: a line break inside one would start new lines in the file.
QString singleLine(const QString& value)
{
    if (!value.contains(u'\r') && !value.contains(u'\n'))
        return value;
    QString v = value;
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

} // namespace

// One line of the file as it stands, without its line end. For a key line, the trimmed
// name and value as positions in text.
struct TIniFile::Line
{
    QString text;
    qint32 nameStart = -1; // -1: no key line
    qint32 nameLength = 0;
    qint32 valueStart = 0;
    qint32 valueLength = 0;
    qint32 rawStart = -1; // where the line's bytes start in m_raw; -1: written here

    bool isKey() const { return nameStart >= 0; }
    QStringView name() const { return QStringView(text).mid(nameStart, nameLength); }
    QStringView value() const { return QStringView(text).mid(valueStart, valueLength); }
};

// A section: its header line (none for the lines before the first header) and body.
struct TIniFile::Section
{
    QString name; // trimmed
    bool hasHeader = false;
    std::vector<Line> lines; // lines[0] is the header when hasHeader
    qsizetype keyCount = 0;
    qsizetype lastKeyLine = -1;
    // First occurrence of each key name, for long sections only: short ones are searched.
    // Values are line + 1, so that a new slot (0) is told apart in one lookup.
    std::unique_ptr<QHash<NameKey, qsizetype>> keyIndex;

    static constexpr qsizetype IndexedFrom = 24;
    // Registers the key line at index line, which lies after every other key line.
    void addKey(const NameKey& k, qsizetype line)
    {
        ++keyCount;
        lastKeyLine = line;
        if (keyIndex) {
            indexFirst(k, line);
        } else if (keyCount >= IndexedFrom) {
            keyIndex = std::make_unique<QHash<NameKey, qsizetype>>();
            keyIndex->reserve(qsizetype(lines.capacity()));
            // Copies: a rewritten line's own text goes when it is rewritten again.
            for (qsizetype i = 0; i <= line; ++i) {
                if (!lines[i].isKey() || (hasHeader && i == 0))
                    continue;
                indexFirst(NameKey{lines[i].name().toString()}, i);
            }
        }
    }

    void indexFirst(const NameKey& k, qsizetype line)
    {
        qsizetype& slot = (*keyIndex)[k];
        if (slot == 0)
            slot = line + 1;
    }
};

namespace {

// Names compare without regard to case; names of different lengths never match.
bool sameName(QStringView a, QStringView b)
{
    return a.size() == b.size() && (a == b || a.compare(b, Qt::CaseInsensitive) == 0);
}

} // namespace

bool TIniFile::NameKey::operator==(const NameKey& o) const
{
    return name.compare(o.name, Qt::CaseInsensitive) == 0;
}

size_t qHash(const TIniFile::NameKey& key, size_t seed) noexcept
{
    // Folds the way QString::compare(Qt::CaseInsensitive) does, so equal names hash alike.
    size_t h = seed ^ 0x9E3779B97F4A7C15ull;
    const QString& s = key.name;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = s[i].unicode();
        if (c < 0x80) {
            if (c >= u'A' && c <= u'Z')
                c += 32;
        } else {
            if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), s[++i].unicode());
            c = QChar::toCaseFolded(c);
        }
        h = (h ^ c) * 0x100000001B3ull;
    }
    return h;
}

TIniFile::TIniFile() : m_locale(QLocale::system())
{
    m_sections.emplace_back();
}

TIniFile::TIniFile(const QString& path) : m_path(path), m_locale(QLocale::system())
{
    QFile f(path);
    // An absent or unreadable file reads as empty, like the profile functions; so does
    // anything but a regular file (a pipe would block the program).
    if (QFileInfo(path).isFile() && f.open(QIODevice::ReadOnly)) {
        // Read, not mapped: another program truncating the file would make a mapping fault.
        QByteArray bytes = f.readAll();
        decode(bytes);
        bytes = QByteArray(); // only the decoded text is needed from here on
        splitLines();
    } else {
        m_sections.emplace_back();
    }
}

TIniFile TIniFile::fromBytes(const QByteArray& bytes)
{
    TIniFile ini;
    ini.m_sections.clear();
    ini.decode(bytes);
    ini.splitLines();
    return ini;
}

TIniFile::TIniFile(TIniFile&&) noexcept = default;
TIniFile& TIniFile::operator=(TIniFile&&) noexcept = default;
TIniFile::~TIniFile() = default;

void TIniFile::setLocale(const QLocale& locale)
{
    m_locale = locale;
    m_dateFormat.reset();
}

const TShortDateFormat& TIniFile::dateFormat() const
{
    if (!m_dateFormat)
        m_dateFormat.emplace(m_locale);
    return *m_dateFormat;
}

void TIniFile::decode(const QByteArray& bytes)
{
    const QByteArrayView body = bytes;
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        m_encoding = Encoding::Utf8Bom;
        m_source = QString::fromUtf8(body.sliced(3));
    } else if (startsWith(bytes, {0xFF, 0xFE})) {
        m_encoding = Encoding::Utf16;
        QStringDecoder dec(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
        m_source = dec.decode(body.sliced(2));
    } else if (startsWith(bytes, {0xFE, 0xFF})) {
        m_encoding = Encoding::Utf16;
        QStringDecoder dec(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless);
        m_source = dec.decode(body.sliced(2));
    } else if (std::optional<QString> text = decodeUtf8(body)) {
        m_encoding = Encoding::Utf8;
        m_source = *std::move(text);
    } else {
        m_encoding = Encoding::CodePage;
        m_codePage = userAnsiCodePage();
        m_source = TCodePage(m_codePage).decode(body);
        // Kept so that lines not written keep their bytes, even those the code page does
        // not define; positions are 32-bit.
        if (bytes.size() <= std::numeric_limits<qint32>::max())
            m_raw = bytes;
    }
}

void TIniFile::splitLines()
{
    const QChar* data = m_source.constData();
    const qsizetype size = m_source.size();
    // Calls f(start, end, next) for each line; the line end runs from end to next.
    const auto forEachLine = [&](auto&& f) {
        qsizetype pos = 0;
        while (pos < size) {
            qsizetype end = pos;
            while (end < size && data[end] != u'\n' && data[end] != u'\r')
                ++end;
            qsizetype next = end;
            if (end < size)
                next = (data[end] == u'\r' && end + 1 < size && data[end + 1] == u'\n') ? end + 2
                                                                                        : end + 1;
            f(pos, end, next);
            pos = next;
        }
    };
    const auto firstNonBlank = [&](qsizetype b, qsizetype e) {
        while (b < e && isBlank(data[b]))
            ++b;
        return b;
    };

    // First the number of lines of each section, so that each section's storage is
    // allocated once.
    std::vector<qsizetype> counts(1, 0);
    forEachLine([&](qsizetype pos, qsizetype end, qsizetype) {
        const qsizetype b = firstNonBlank(pos, end);
        if (b < end && data[b] == u'[')
            counts.push_back(0);
        ++counts.back();
    });
    m_sections.clear();
    m_sections.resize(counts.size());
    for (size_t k = 0; k < counts.size(); ++k)
        m_sections[k].lines.reserve(size_t(counts[k]));

    // The index is built while each line is at hand in the cache.
    m_sectionIndex.clear();
    m_sectionIndex.reserve(qsizetype(counts.size()));
    m_lastSection = -1;
    qsizetype currentIndex = 0;
    Section* current = &m_sections.front();
    bool eolFound = false;
    m_endsWithEol = true;
    // A code page's CR and LF bytes are its only ones that read as CR and LF: the lines
    // of the bytes are those of the text.
    qsizetype rawPos = 0;
    forEachLine([&](qsizetype pos, qsizetype end, qsizetype next) {
        if (end < next && !eolFound) {
            m_eol = QString(data + end, next - end);
            eolFound = true;
        }
        if (end == next)
            m_endsWithEol = false;
        Line line;
        if (!m_raw.isEmpty()) {
            line.rawStart = qint32(rawPos);
            const qsizetype e = rawLineEnd(m_raw, rawPos);
            rawPos = e + (e + 1 < m_raw.size() && m_raw[e] == '\r' && m_raw[e + 1] == '\n' ? 2 : 1);
        }
        // Refers to m_source without copying; m_source never changes afterwards.
        line.text = QString::fromRawData(data + pos, end - pos);
        const QStringView t(line.text);
        qsizetype b = 0, e = t.size();
        trimBounds(t, b, e);
        if (b < e && t[b] == u'[') {
            ++current;
            ++currentIndex;
            current->hasHeader = true;
            qsizetype nb = b + 1;
            qsizetype ne = t.indexOf(u']', nb);
            if (ne < 0)
                ne = e;
            trimBounds(t, nb, ne);
            current->name = QString::fromRawData(data + pos + nb, ne - nb);
            // Headed sections count from 1, so 0 marks a name not seen before: the first
            // of two equal names wins.
            qsizetype& slot = m_sectionIndex[NameKey{current->name}];
            if (slot == 0)
                slot = currentIndex;
        } else if (b < e && t[b] != u';') {
            const qsizetype eq = t.indexOf(u'=', b);
            if (eq >= 0 && eq < e) {
                qsizetype kb = b, ke = eq, vb = eq + 1, ve = e;
                trimBounds(t, kb, ke);
                trimBounds(t, vb, ve);
                line.nameStart = qint32(kb);
                line.nameLength = qint32(ke - kb);
                line.valueStart = qint32(vb);
                line.valueLength = qint32(ve - vb);
                current->lines.push_back(std::move(line));
                current->addKey(NameKey{QString::fromRawData(data + pos + kb, ke - kb)},
                                qsizetype(current->lines.size()) - 1);
                return;
            }
        }
        current->lines.push_back(std::move(line));
    });
    if (!eolFound)
        m_eol = QStringLiteral("\n");
    if (size == 0)
        m_endsWithEol = true;
}

qsizetype TIniFile::findSectionIndex(const QString& name) const
{
    // Operations read one section's keys in a row: remember the last one found.
    if (m_lastSection >= 0 && name == m_lastSectionName)
        return m_lastSection;
    const auto it = m_sectionIndex.constFind(NameKey{name});
    if (it == m_sectionIndex.cend())
        return -1;
    m_lastSectionName = name;
    m_lastSection = *it;
    return *it;
}

const TIniFile::Section* TIniFile::findSection(const QString& name) const
{
    const qsizetype s = findSectionIndex(name);
    return s < 0 ? nullptr : &m_sections[s];
}

qsizetype TIniFile::findKeyLine(const Section& sec, const QString& key)
{
    if (sec.keyIndex) {
        const auto it = sec.keyIndex->constFind(NameKey{key});
        return it == sec.keyIndex->cend() ? -1 : *it - 1;
    }
    for (qsizetype i = sec.hasHeader ? 1 : 0; i <= sec.lastKeyLine; ++i)
        if (sec.lines[i].isKey() && sameName(sec.lines[i].name(), key))
            return i;
    return -1;
}

const TIniFile::Line* TIniFile::findKey(const QString& section, const QString& key) const
{
    const Section* sec = findSection(section);
    if (!sec)
        return nullptr;
    const qsizetype i = findKeyLine(*sec, key);
    return i < 0 ? nullptr : &sec->lines[i];
}

bool TIniFile::SectionExists(const QString& section) const
{
    return findSection(section) != nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return findKey(section, key) != nullptr;
}

qsizetype TIniFile::LineCount() const
{
    qsizetype n = 0;
    for (const Section& sec : m_sections)
        n += qsizetype(sec.lines.size());
    return n;
}

qint32 TIniFile::HighestNumberedSection(const QString& prefix) const
{
    const qsizetype limit = LineCount();
    qint32 best = 0;
    for (auto it = m_sectionIndex.cbegin(); it != m_sectionIndex.cend(); ++it) {
        const qint32 n = numberAfterPrefix(it.key().name, prefix);
        if (n <= limit)
            best = std::max(best, n);
    }
    return best;
}

qint32 TIniFile::HighestNumberedKey(const QString& section, const QString& prefix) const
{
    const Section* sec = findSection(section);
    if (!sec)
        return 0;
    const qsizetype limit = LineCount();
    qint32 best = 0;
    for (qsizetype i = sec->hasHeader ? 1 : 0; i <= sec->lastKeyLine; ++i) {
        if (!sec->lines[i].isKey())
            continue;
        const qint32 n = numberAfterPrefix(sec->lines[i].name(), prefix);
        if (n <= limit)
            best = std::max(best, n);
    }
    return best;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const Line* l = findKey(section, key);
    if (!l)
        return def;
    return l->value().left(MaxValueLength).toString();
}

void TIniFile::ReadStringInto(const QString& section, const QString& key, const QString& def,
                              QString& target) const
{
    const Line* l = findKey(section, key);
    if (!l) {
        if (target != def)
            target = def;
        return;
    }
    const QStringView v = l->value().left(MaxValueLength);
    if (target != v)
        target = v.toString();
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString v = singleLine(value);
    qsizetype s = findSectionIndex(section);
    if (s < 0) {
        // A new section at the end of the file: "[name]" then "key=value".
        Section sec;
        sec.hasHeader = true;
        Line header;
        header.text = joinText(u"[", section, u"]");
        sec.name = section;
        sec.lines.reserve(17); // room for a profile's keys without regrowing
        sec.lines.push_back(std::move(header));
        m_sections.push_back(std::move(sec));
        s = qsizetype(m_sections.size()) - 1;
        m_sectionIndex.insert(NameKey{section}, s);
        m_lastSectionName = section;
        m_lastSection = s;
        m_endsWithEol = true;
    }
    Section& sec = m_sections[s];
    const qsizetype found = findKeyLine(sec, key);
    Line line;
    if (found >= 0) {
        Line& old = sec.lines[found];
        if (old.value() == v)
            return;
        // Keeps the key's own spelling. The index entry stays valid: its name never
        // refers into a line's own text.
        line.text = joinText(old.name(), u"=", v);
        line.nameStart = 0;
        line.nameLength = old.nameLength;
        line.valueStart = old.nameLength + 1;
        line.valueLength = qint32(v.size());
        old = std::move(line);
    } else {
        line.text = joinText(key, u"=", v);
        line.nameStart = 0;
        line.nameLength = qint32(key.size());
        line.valueStart = line.nameLength + 1;
        line.valueLength = qint32(v.size());
        // After the section's last key line, or right after its header.
        const qsizetype last = sec.lastKeyLine;
        const qsizetype at = last >= 0 ? last + 1 : (sec.hasHeader ? 1 : 0);
        if (at >= qsizetype(sec.lines.size()) && &sec == &m_sections.back())
            m_endsWithEol = true;
        sec.lines.insert(sec.lines.begin() + at, std::move(line));
        sec.addKey(NameKey{key}, at);
    }
    m_modified = true;
}

QString TIniFile::joinText(QStringView a, QStringView b, QStringView c)
{
    // Written lines live in large blocks freed with the accessor: saving thousands of
    // profiles makes no allocation per line.
    const qsizetype n = a.size() + b.size() + c.size();
    if (n > m_blockFree) {
        const qsizetype size = std::max<qsizetype>(n, 32768);
        m_blocks.push_back(std::make_unique<QChar[]>(size_t(size)));
        m_blockNext = m_blocks.back().get();
        m_blockFree = size;
    }
    QChar* p = m_blockNext;
    std::copy(a.begin(), a.end(), p);
    std::copy(b.begin(), b.end(), p + a.size());
    std::copy(c.begin(), c.end(), p + a.size() + b.size());
    m_blockNext += n;
    m_blockFree -= n;
    return QString::fromRawData(p, n);
}

qint32 TIniFile::ReadInteger(const QString& section, const QString& key, qint32 def) const
{
    const Line* l = findKey(section, key);
    if (!l)
        return def;
    return parseIniInteger(l->value().left(MaxValueLength)).value_or(def);
}

void TIniFile::WriteInteger(const QString& section, const QString& key, qint32 value)
{
    WriteString(section, key, QString::number(value));
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

TDateTime TIniFile::ReadDate(const QString& section, const QString& key, TDateTime def) const
{
    const Line* l = findKey(section, key);
    if (!l || l->valueLength == 0)
        return def;
    return dateFormat().parse(l->value().left(MaxValueLength)).value_or(def);
}

void TIniFile::WriteDate(const QString& section, const QString& key, TDateTime value)
{
    WriteString(section, key, dateFormat().format(value));
}

QString TIniFile::joinedText() const
{
    QString text;
    qsizetype total = 0;
    for (const Section& sec : m_sections)
        for (const Line& l : sec.lines)
            total += l.text.size() + m_eol.size();
    text.reserve(total);
    bool first = true;
    for (const Section& sec : m_sections)
        for (const Line& l : sec.lines) {
            if (!first)
                text += m_eol;
            first = false;
            text += l.text;
        }
    if (!first && m_endsWithEol)
        text += m_eol;
    return text;
}

// The file in its code page: the bytes read for the lines not written, the encoding of
// the others. Nothing when a written line has a character the code page lacks.
std::optional<QByteArray> TIniFile::codePageBytes() const
{
    TCodePage codePage(m_codePage);
    const QByteArray eol = m_eol.toLatin1();
    QByteArray out;
    out.reserve(m_raw.size() + m_raw.size() / 8 + 64);
    bool first = true;
    for (const Section& sec : m_sections)
        for (const Line& l : sec.lines) {
            if (!first)
                out += eol;
            first = false;
            if (l.rawStart >= 0)
                out.append(m_raw.constData() + l.rawStart,
                           rawLineEnd(m_raw, l.rawStart) - l.rawStart);
            else if (!codePage.encode(l.text, out))
                return std::nullopt;
        }
    if (!first && m_endsWithEol)
        out += eol;
    // The next read would take valid UTF-8 for UTF-8: when the lines that made the file
    // invalid were written over, only UTF-16 keeps the text that the other lines hold.
    if (const std::optional<QString> asUtf8 = decodeUtf8(out);
        asUtf8 && asUtf8->size() < out.size())
        return std::nullopt;
    return out;
}

QByteArray TIniFile::toBytes() const
{
    if (m_encoding == Encoding::CodePage) {
        if (std::optional<QByteArray> bytes = codePageBytes())
            return *std::move(bytes);
        // UTF-16LE with BOM holds every value, and Windows reads and writes it as such.
    }
    const QString text = joinedText();
    switch (m_encoding) {
    case Encoding::Utf16:
    case Encoding::CodePage: {
        QStringEncoder enc(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        return enc.encode(text);
    }
    case Encoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case Encoding::Utf8:
        break;
    }
    return text.toUtf8();
}

void TIniFile::UpdateFile()
{
    if (!m_modified || m_path.isEmpty())
        return;
    if (WriteFileSafely(m_path, toBytes()) != 0)
        throw EAppError(QStringLiteral("Impossible d'écrire dans %1").arg(m_path));
    m_modified = false;
}
