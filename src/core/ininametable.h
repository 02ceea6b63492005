#pragma once

#include <QStringView>

#include <cstdlib>
#include <limits>
#include <memory>

// Names of an INI file compare without regard to case: their hash folds case, and a
// table finds record numbers by that hash.
namespace tavelorn::ini {

// No record: what a search that finds nothing returns.
inline constexpr quint32 kNoRecord = std::numeric_limits<quint32>::max();

inline char16_t foldAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

inline constexpr quint64 kHashSeed = 0x9E3779B97F4A7C15ULL;

// One character into a hash begun at kHashSeed.
inline quint64 hashStep(quint64 h, char32_t c)
{
    return (h ^ c) * 0x100000001B3ULL;
}

// Spreads every bit over the top ones, which place a name in a table.
inline quint64 finishHash(quint64 h)
{
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    return h ^ (h >> 32);
}

// Folds the way QString::compare(Qt::CaseInsensitive) does, so equal names hash alike.
// An ASCII name hashes as the steps of its folded characters, which lets a caller hash
// bytes without making text.
quint64 foldedHash(QStringView s);

// An open-addressing table of record numbers below 2^28, found by a name's hash and a
// comparison with the record's name. Four bits of the hash in each slot spare most
// comparisons. Its slots are allocated zeroed and untouched: sized for every name of a
// file, it costs memory only for the slots that names really take.
class NameTable
{
public:
    // The first id of hash h for which eq(id) holds, or kNoRecord.
    template <typename Eq> quint32 find(quint64 h, Eq&& eq) const
    {
        if (!m_slots)
            return kNoRecord;
        const quint32 tag = quint32(h) & kTagMask;
        for (size_t i = size_t(h >> m_shift);; i = (i + 1) & m_mask) {
            const quint32 s = m_slots[i];
            if (s == 0)
                return kNoRecord;
            if ((s & kTagMask) == tag && eq((s & kIdMask) - 1))
                return (s & kIdMask) - 1;
        }
    }

    // Room for n names without growing.
    void reserve(size_t n);

    // hashOf(id) gives the hash of an id already in the table, for growing it.
    template <typename HashOf> void insert(quint64 h, quint32 id, HashOf&& hashOf)
    {
        if (!m_slots || (m_count + 1) * 4 > (m_mask + 1) * 3) {
            const Slots old = std::move(m_slots);
            const size_t oldSize = old ? m_mask + 1 : 0;
            allocate(old ? oldSize * 2 : 16);
            for (size_t i = 0; i < oldSize; ++i)
                if (old[i])
                    place(hashOf((old[i] & kIdMask) - 1), (old[i] & kIdMask) - 1);
        }
        place(h, id);
        ++m_count;
    }

    size_t size() const { return m_count; }
    // Slots allocated: a power of two, never more than 3/4 full.
    size_t capacity() const { return m_slots ? m_mask + 1 : 0; }

private:
    static constexpr quint32 kIdMask = (quint32(1) << 28) - 1;
    static constexpr quint32 kTagMask = ~kIdMask;
    struct Free
    {
        void operator()(quint32* p) const { std::free(p); }
    };
    using Slots = std::unique_ptr<quint32[], Free>;

    void allocate(size_t size);
    void place(quint64 h, quint32 id);

    Slots m_slots;
    size_t m_mask = 0;
    size_t m_count = 0;
    int m_shift = 64;
};

} // namespace tavelorn::ini
