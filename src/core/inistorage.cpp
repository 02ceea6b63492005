#include "inistorage.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace tavelorn::ini {

RecordArray::~RecordArray()
{
    std::free(m_data);
}

void RecordArray::grow()
{
    const size_t capacity = std::max<size_t>(256, m_capacity * 2);
    void* p = std::realloc(m_data, capacity * sizeof(Record));
    if (!p)
        throw std::bad_alloc();
    m_data = static_cast<Record*>(p);
    m_capacity = capacity;
}

quint32 WrittenText::append(std::initializer_list<QStringView> parts)
{
    qsizetype n = 0;
    for (QStringView p : parts)
        n += p.size();
    const qsizetype room = qsizetype(m_blocks.size()) * kBlock - m_used;
    if (n > room) {
        const qsizetype count = std::max<qsizetype>(1, (n + kBlock - 1) / kBlock);
        m_owned.push_back(std::make_unique<char16_t[]>(size_t(count * kBlock)));
        m_used = qsizetype(m_blocks.size()) * kBlock;
        for (qsizetype i = 0; i < count; ++i)
            m_blocks.push_back(m_owned.back().get() + i * kBlock);
    }
    const qsizetype start = m_used;
    char16_t* out = m_blocks[size_t(start / kBlock)] + start % kBlock;
    for (QStringView p : parts)
        out = std::copy(p.utf16(), p.utf16() + p.size(), out);
    m_used += n;
    return quint32(start);
}

} // namespace tavelorn::ini
