#include "inistorage.h"

#include <QString>

#include <gtest/gtest.h>

using namespace tavelorn::ini;

namespace {

QString textAt(const WrittenText& text, quint32 offset, qsizetype size)
{
    return QString(reinterpret_cast<const QChar*>(text.at(offset)), size);
}

// Texts keep their offsets and their units as blocks are added; one longer than a block
// takes blocks of its own, and the next text starts after them.
TEST(IniStorage, WrittenTextKeepsEveryText)
{
    WrittenText text;
    const QString line = QStringLiteral("Usage1=Système");
    const QString longLine(WrittenText::kBlock * 2 + 5, u'x');
    std::vector<std::pair<quint32, QString>> placed;
    for (int i = 0; i < 5000; ++i) {
        const QString number = QString::number(i);
        placed.emplace_back(text.append({line, u"_", number}), line + u'_' + number);
        if (i == 2500)
            placed.emplace_back(text.append({longLine}), longLine);
    }
    for (const auto& [offset, expected] : placed)
        ASSERT_EQ(textAt(text, offset, expected.size()), expected) << offset;
    // A text within one block starts and ends in it.
    for (const auto& [offset, expected] : placed) {
        if (expected.size() < WrittenText::kBlock) {
            ASSERT_EQ(offset / WrittenText::kBlock,
                      (offset + quint32(expected.size()) - 1) / WrittenText::kBlock);
        }
    }
    EXPECT_GT(text.size(), 3 * WrittenText::kBlock);
}

TEST(IniStorage, RecordArrayKeepsRecordsAsItGrows)
{
    RecordArray records;
    for (quint32 i = 0; i < 100000; ++i)
        records.append({i, ~i});
    ASSERT_EQ(records.size(), 100000U);
    for (quint32 i = 0; i < 100000; ++i) {
        ASSERT_EQ(records[i].start, i);
        ASSERT_EQ(records[i].info, ~i);
    }
}

} // namespace
