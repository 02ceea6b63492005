#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>

namespace tavelorn {

// Writes a VS_VERSIONINFO block, the binary layout of a Windows version resource: the
// fixed file information, one string table per translation and the translation list.
// Usable at compile time, which is how the build embeds a block in our own executables.
namespace versionblock {

struct StringEntry
{
    std::u16string_view key;
    std::u16string_view value;
};

struct StringTable
{
    std::uint16_t language = 0x0409;
    std::uint16_t codePage = 1200;
    std::span<const StringEntry> strings;
};

struct Description
{
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::uint32_t fileFlagsMask = 0x3F;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOS = 0x40004; // VOS_NT_WINDOWS32
    std::uint32_t fileType = 1;     // VFT_APP
    std::uint32_t fileSubtype = 0;
    // One translation each, listed in this order in the translation table.
    std::span<const StringTable> tables;
};

namespace detail {

// Counts when out is null, so the same code gives the size and then the bytes.
class Writer
{
public:
    constexpr explicit Writer(std::uint8_t* out) : m_out(out) {}

    constexpr std::size_t pos() const { return m_pos; }
    constexpr void u8(std::uint8_t b)
    {
        if (m_out)
            m_out[m_pos] = b;
        ++m_pos;
    }
    constexpr void u16(std::uint16_t v)
    {
        u8(std::uint8_t(v & 0xFF));
        u8(std::uint8_t(v >> 8));
    }
    constexpr void u32(std::uint32_t v)
    {
        u16(std::uint16_t(v & 0xFFFF));
        u16(std::uint16_t(v >> 16));
    }
    constexpr void text(std::u16string_view s)
    {
        for (char16_t c : s)
            u16(std::uint16_t(c));
        u16(0);
    }
    constexpr void align()
    {
        while (m_pos % 4 != 0)
            u8(0);
    }
    // Starts a node (aligned) and returns its offset; its value follows.
    constexpr std::size_t open(std::u16string_view key, std::size_t valueLength, std::uint16_t type)
    {
        align();
        const std::size_t start = m_pos;
        u16(0);
        u16(length16(valueLength));
        u16(type);
        text(key);
        align();
        return start;
    }
    // Ends the node started at start: its length covers everything written since.
    constexpr void close(std::size_t start)
    {
        const std::uint16_t length = length16(m_pos - start);
        if (m_out) {
            m_out[start] = std::uint8_t(length & 0xFF);
            m_out[start + 1] = std::uint8_t(length >> 8);
        }
    }

private:
    static constexpr std::uint16_t length16(std::size_t n)
    {
        if (n > 0xFFFF)
            throw std::length_error("version block larger than 64 KiB");
        return std::uint16_t(n);
    }

    std::uint8_t* m_out;
    std::size_t m_pos = 0;
};

constexpr std::array<char16_t, 8> translationKey(std::uint16_t language, std::uint16_t codePage)
{
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    const std::uint32_t v = std::uint32_t(language) << 16 | codePage;
    std::array<char16_t, 8> key{};
    for (std::size_t i = 0; i < 8; ++i)
        key[i] = kDigits[(v >> (28 - 4 * i)) & 0xF];
    return key;
}

constexpr std::uint32_t versionWord(std::uint16_t high, std::uint16_t low)
{
    return std::uint32_t(high) << 16 | low;
}

} // namespace detail

// Writes the block into out (nothing when out is null) and returns its size in bytes.
constexpr std::size_t write(const Description& d, std::uint8_t* out)
{
    detail::Writer w(out);
    const std::size_t root = w.open(u"VS_VERSION_INFO", 52, 0);
    w.u32(0xFEEF04BD); // signature
    w.u32(0x00010000); // structure version 1.0
    w.u32(detail::versionWord(d.fileVersion[0], d.fileVersion[1]));
    w.u32(detail::versionWord(d.fileVersion[2], d.fileVersion[3]));
    w.u32(detail::versionWord(d.productVersion[0], d.productVersion[1]));
    w.u32(detail::versionWord(d.productVersion[2], d.productVersion[3]));
    w.u32(d.fileFlagsMask);
    w.u32(d.fileFlags);
    w.u32(d.fileOS);
    w.u32(d.fileType);
    w.u32(d.fileSubtype);
    w.u32(0); // file date, unused
    w.u32(0);
    if (!d.tables.empty()) {
        const std::size_t stringInfo = w.open(u"StringFileInfo", 0, 1);
        for (const StringTable& t : d.tables) {
            const auto key = detail::translationKey(t.language, t.codePage);
            const std::size_t table = w.open(std::u16string_view(key.data(), key.size()), 0, 1);
            for (const StringEntry& s : t.strings) {
                // The value length counts characters with the terminating zero.
                const std::size_t entry = w.open(s.key, s.value.size() + 1, 1);
                w.text(s.value);
                w.close(entry);
            }
            w.close(table);
        }
        w.close(stringInfo);
        const std::size_t varInfo = w.open(u"VarFileInfo", 0, 1);
        const std::size_t translation = w.open(u"Translation", 4 * d.tables.size(), 0);
        for (const StringTable& t : d.tables) {
            w.u16(t.language);
            w.u16(t.codePage);
        }
        w.close(translation);
        w.close(varInfo);
    }
    w.close(root);
    return w.pos();
}

constexpr std::size_t size(const Description& d)
{
    return write(d, nullptr);
}

// The block as a fixed-size array; N must be size(d).
template <std::size_t N> constexpr std::array<std::uint8_t, N> build(const Description& d)
{
    std::array<std::uint8_t, N> bytes{};
    if (write(d, bytes.data()) != N)
        throw std::length_error("version block size mismatch");
    return bytes;
}

} // namespace versionblock

} // namespace tavelorn
