#include "inistorage.h"

#include "fileio.h"

#include <algorithm>
#include <new>

#include <sys/mman.h>

namespace tavelorn::ini {

RecordArray::~RecordArray()
{
    if (m_data)
        ::munmap(m_data, m_capacity * sizeof(Record));
}

void RecordArray::grow()
{
    // Pages of their own, moved by mremap as the array grows: never copied, which realloc
    // does when it serves the array from the heap.
    constexpr size_t kFirstCapacity = 4096 / sizeof(Record);
    const size_t capacity = m_capacity ? m_capacity * 2 : kFirstCapacity;
    void* p = m_data ? ::mremap(m_data, m_capacity * sizeof(Record), capacity * sizeof(Record),
                                MREMAP_MAYMOVE)
                     : ::mmap(nullptr, capacity * sizeof(Record), PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    m_data = static_cast<Record*>(p);
    m_capacity = capacity;
    fileio::adviseHugePages(m_data, capacity * sizeof(Record));
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
