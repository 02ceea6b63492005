#include "ininametable.h"

#include <QChar>

#include <bit>
#include <new>

namespace tavelorn::ini {

quint64 foldedHash(QStringView s)
{
    quint64 h = kHashSeed;
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = s[i].unicode();
        if (c < 0x80) {
            c = foldAscii(char16_t(c));
        } else {
            if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), s[++i].unicode());
            c = QChar::toCaseFolded(c);
        }
        h = hashStep(h, c);
    }
    return finishHash(h);
}

void NameTable::reserve(size_t n)
{
    if (!m_slots && n > 0)
        allocate(std::bit_ceil(n + n / 3 + 1));
}

void NameTable::allocate(size_t size)
{
    m_slots.reset(static_cast<quint32*>(std::calloc(size, sizeof(quint32))));
    if (!m_slots)
        throw std::bad_alloc();
    m_mask = size - 1;
    m_shift = 64 - std::countr_zero(size);
}

void NameTable::place(quint64 h, quint32 id)
{
    size_t i = size_t(h >> m_shift);
    while (m_slots[i] != 0)
        i = (i + 1) & m_mask;
    m_slots[i] = (quint32(h) & kTagMask) | (id + 1);
}

} // namespace tavelorn::ini
