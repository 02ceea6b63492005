#include "versionblock.h"
#include "versionfixtures.h"
#include "versionresource.h"

#include <QBuffer>

#include <vector>

using namespace tavelorn;

namespace {

QByteArray readFromBytes(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return versionresource::readFromDevice(buffer);
}

// Runs every query a reader makes; what matters is that none reads past the block.
void queryEverything(const QByteArray& block)
{
    EXPECT_LE(block.size(), versionresource::kMaxBlockSize);
    versionresource::fixedFileInfo(block);
    const QByteArray table = versionresource::translations(block).value_or(QByteArray());
    for (qsizetype at = 0; at + 4 <= table.size(); at += 4) {
        const QString key = QString::number(get32(table, at), 16).rightJustified(8, u'0');
        for (const char* name : {"CompanyName", "OriginalFileName", "ProductVersion"})
            versionresource::stringValue(block, key, QString::fromLatin1(name));
    }
}

class FixtureFile : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        m_file = readBytes(fixture(QString::fromLatin1(GetParam())));
        m_block = versionresource::readFromFile(fixture(QString::fromLatin1(GetParam())));
        ASSERT_FALSE(m_block.isEmpty());
        const qsizetype start = nodeOffset(m_file, QStringLiteral("VS_VERSION_INFO"));
        ASSERT_GE(start, 0);
        m_blockEnd = start + m_block.size();
    }

    QByteArray m_file;
    QByteArray m_block;
    qsizetype m_blockEnd = 0;
};

TEST_P(FixtureFile, EveryCutGivesNothingOrTheWholeBlock)
{
    EXPECT_EQ(readFromBytes(m_file), m_block);
    for (qsizetype size = 0; size < m_file.size(); ++size) {
        const QByteArray block = readFromBytes(m_file.left(size));
        if (size < m_blockEnd)
            ASSERT_TRUE(block.isEmpty()) << size;
        else
            ASSERT_TRUE(block.isEmpty() || block == m_block) << size;
    }
}

TEST_P(FixtureFile, EveryChangedByteReadsWithinBounds)
{
    for (qsizetype at = 0; at < m_blockEnd; ++at) {
        for (char value : {char(0), char(0xFF), char(~m_file[at])}) {
            QByteArray changed = m_file;
            changed[at] = value;
            queryEverything(readFromBytes(changed));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, FixtureFile,
                         ::testing::Values("sample32.exe", "sample64.exe", "translations32.dll",
                                           "translations64.dll", "elf32-little.o", "elf32-big.o",
                                           "elf64-little.o", "elf64-big.o"));

// --- The writer the build embeds with, read back

TEST(VersionBlock, WrittenBlockReadsBack)
{
    static constexpr versionblock::StringEntry english[] = {
        {u"CompanyName", u"Tavelorn-Tools"},
        {u"Comments", u""},
        {u"ProductName", u"\U0001F600 \u00E9t\u00E9"},
        {u"A", u"odd key length"},
    };
    static constexpr versionblock::StringEntry german[] = {{u"CompanyName", u"Firma"}};
    static constexpr versionblock::StringTable tables[] = {{0x0409, 1200, english},
                                                           {0x0407, 1252, german}};
    const versionblock::Description d{{1, 2, 3, 4}, {5, 6, 7, 8}, 0x3F, 1, 4, 2, 0, tables};
    std::vector<std::uint8_t> bytes(versionblock::size(d));
    ASSERT_EQ(versionblock::write(d, bytes.data()), bytes.size());
    const QByteArray block(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));

    const QByteArray fixed = versionresource::fixedFileInfo(block).value_or(QByteArray());
    ASSERT_EQ(fixed.size(), 52);
    EXPECT_EQ(get32(fixed, 8), 0x00010002u);
    EXPECT_EQ(get32(fixed, 12), 0x00030004u);
    EXPECT_EQ(get32(fixed, 16), 0x00050006u);
    EXPECT_EQ(get32(fixed, 20), 0x00070008u);
    EXPECT_EQ(get32(fixed, 36), 2u); // file type
    EXPECT_EQ(versionresource::translations(block), QByteArray::fromHex("0904b004"
                                                                        "0704e404"));

    auto value = [&](const char* table, const char* name) {
        return versionresource::stringValue(block, QString::fromLatin1(table),
                                            QString::fromLatin1(name));
    };
    EXPECT_EQ(value("040904b0", "companyname"), QStringLiteral("Tavelorn-Tools"));
    EXPECT_EQ(value("040904B0", "Comments"), QString()); // present, empty
    EXPECT_EQ(value("040904b0", "ProductName"), QStringLiteral("\U0001F600 \u00E9t\u00E9"));
    EXPECT_EQ(value("040904b0", "A"), QStringLiteral("odd key length"));
    EXPECT_EQ(value("040704e4", "CompanyName"), QStringLiteral("Firma"));
    EXPECT_EQ(value("040704e4", "ProductName"), std::nullopt);
    EXPECT_EQ(value("040904e4", "CompanyName"), std::nullopt);
}

TEST(VersionBlock, RefusesMoreThanALengthFieldHolds)
{
    static const std::u16string longValue(40000, u'x');
    const versionblock::StringEntry strings[] = {{u"Comments", longValue}};
    const versionblock::StringTable tables[] = {{0x0409, 1200, strings}};
    versionblock::Description d;
    d.tables = tables;
    EXPECT_THROW(versionblock::size(d), std::length_error);
}

} // namespace
