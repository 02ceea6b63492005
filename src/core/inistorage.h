#pragma once

#include <QStringView>

#include <initializer_list>
#include <memory>
#include <vector>

// The storage of the INI accessor's parse: plain records of its lines and the text of
// the lines it writes.
namespace tavelorn::ini {

// A line: where its text starts and, in the bits the parser chooses, its length and flags.
struct Record
{
    quint32 start;
    quint32 info;
};

// A growing array of records in pages of its own, grown by remapping them instead of
// copying them into a second array beside the first.
class RecordArray
{
public:
    RecordArray() = default;
    RecordArray(const RecordArray&) = delete;
    RecordArray& operator=(const RecordArray&) = delete;
    RecordArray(RecordArray&&) = delete;
    RecordArray& operator=(RecordArray&&) = delete;
    ~RecordArray();

    size_t size() const { return m_size; }
    Record& operator[](size_t i) { return m_data[i]; }
    const Record& operator[](size_t i) const { return m_data[i]; }

    void append(Record r)
    {
        if (m_size == m_capacity)
            grow();
        m_data[m_size++] = r;
    }

private:
    void grow();

    Record* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// Text in blocks that never move: saving thousands of profiles makes no allocation per
// line and copies nothing twice. Offsets run through the blocks; a text never straddles
// two unless it is longer than one.
class WrittenText
{
public:
    static constexpr qsizetype kBlock = qsizetype(1) << 15;

    // Units used so far, including the ends of blocks left unused.
    qsizetype size() const { return m_used; }
    const char16_t* at(quint32 offset) const { return m_blocks[offset / kBlock] + offset % kBlock; }

    // Appends the parts as one text; returns its offset.
    quint32 append(std::initializer_list<QStringView> parts);

private:
    std::vector<std::unique_ptr<char16_t[]>> m_owned;
    std::vector<char16_t*> m_blocks; // one for each kBlock units of offsets
    qsizetype m_used = 0;
};

} // namespace tavelorn::ini
