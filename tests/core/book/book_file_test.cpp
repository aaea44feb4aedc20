#include "core/book/book_form.h"
#include "core/book/calculation_book.h"
#include "core/book/book_file.h"
#include "core/save/text_file.h"

#include <gtest/gtest.h>

namespace saxolith
{
namespace
{

TEST(BookFile, JoinsLinesByCrLfWithoutAFinalLineEnd)
{
    EXPECT_EQ(bookFileText({"a", "", "计算时间：x"}), "a\r\n\r\n计算时间：x");
    EXPECT_EQ(bookFileText({"only"}), "only");
    EXPECT_EQ(bookFileText({}), "");
}

TEST(BookFile, BytesAreInTheCodePageWithoutAByteOrderMark)
{
    EXPECT_EQ(bookFileBytes({"ZH1", "计算时间："}, "GBK"), "ZH1\r\n\xBC\xC6\xCB\xE3\xCA\xB1\xBC\xE4\xA3\xBA");
    EXPECT_EQ(bookFileBytes({"计算"}, "UTF-8"), "计算");
}

TEST(BookFile, NamesOfTheTwoForms)
{
    EXPECT_EQ(bookFileName(BookForm::Text), "嵌岩桩计算书(依据GB50007-2011)_文本.txt");
    EXPECT_EQ(bookFileName(BookForm::Table), "嵌岩桩计算书(依据GB50007-2011)_表格.txt");
}

// Pile names as a schedule gives them: none (numbered ZHn), short, Chinese (two columns a character)
// and one wider than the id column, which widens it for every row.
struct Streamed {
    std::vector<std::string_view> names;
    std::string_view codePage;
    std::size_t spoolPiece; // bytes the spool gives back at a time
};

class BookFilesStreamed : public ::testing::TestWithParam<Streamed>
{
};

TEST_P(BookFilesStreamed, WriteTheBytesOfTheBookWithTheSameEntries)
{
    const Streamed &c = GetParam();
    constexpr std::string_view time = "2024/1/2 10:20:30";
    CalculationInput input = defaultCalculationInput();
    CalculationBook book;
    std::string text;
    std::string spool;
    std::string table;
    const auto into = [](std::string &bytes) {
        return [&bytes](std::string_view piece) {
            bytes.append(piece);
            return true;
        };
    };
    TextFileWriter textOut(into(text), c.codePage);
    TextFileWriter tableOut(into(table), c.codePage);
    BookFilesWriter writer(textOut, into(spool), std::string(time));
    for (std::size_t i = 0; i < c.names.size(); ++i) {
        input.firstDimension = std::to_string(800 + 100 * (i % 7));
        input.precision = static_cast<int>(i % 4);
        const PileRecord record = calculate(input).record.value();
        EXPECT_EQ(writer.record(record, c.names[i]), book.record(record, time, c.names[i]));
    }
    writer.finishText();
    ASSERT_TRUE(writer.writeTable(tableOut, [&](const ByteSink &take) {
        for (std::size_t at = 0; at < spool.size(); at += c.spoolPiece) {
            if (!take(std::string_view(spool).substr(at, c.spoolPiece))) {
                return false;
            }
        }
        return true;
    }));
    ASSERT_TRUE(textOut.finish());
    ASSERT_TRUE(tableOut.finish());
    EXPECT_EQ(text, bookFileBytes(book.textLines(), c.codePage));
    EXPECT_EQ(table, bookFileBytes(book.tableLines(), c.codePage));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, BookFilesStreamed,
    ::testing::Values(Streamed{{}, "UTF-8", 1}, Streamed{{"", "", ""}, "GBK", 1 << 20},
                      Streamed{{"A-1", "", "桩甲一", ""}, "GBK", 5},
                      Streamed{{"", "P-12345678901", "", "东区承台桩-0001"}, "UTF-8", 3},
                      Streamed{std::vector<std::string_view>(120, ""), "GBK", 64},
                      // Entries written in the code page straight, a character at a time, and (where the
                      // code page keeps a state or does not keep ASCII) as UTF-8 that the file encodes.
                      Streamed{{"桩甲一", "东区😀-1", "€5", ""}, "GB18030", 7},
                      Streamed{{"桩甲一", "东区😀-1", "€5", ""}, "GBK", 7},
                      Streamed{{"桩甲一", "", "ψ-9"}, "BIG5", 11},
                      Streamed{{"桩甲一", "", "ψ-9"}, "ISO-2022-CN", 11},
                      Streamed{{"桩甲一", "", "ψ-9"}, "UTF-16", 11}));

// A spool that lost a row, or holds one that is not a row, never makes a table book that looks whole.
TEST(BookFilesStreamed, RefuseASpoolThatIsNotWhatWasSpooled)
{
    std::string text;
    std::string spool;
    TextFileWriter textOut([&](std::string_view b) { text.append(b); return true; }, "UTF-8");
    BookFilesWriter writer(textOut, [&](std::string_view b) { spool.append(b); return true; }, "t");
    const PileRecord record = calculate(defaultCalculationInput()).record.value();
    writer.record(record, "A");
    writer.record(record);
    for (const std::string &damaged : {spool.substr(0, spool.find('\n') + 1), spool.substr(0, spool.size() - 1),
                                      "x" + spool, "999:" + spool.substr(2)}) {
        std::string table;
        TextFileWriter tableOut([&](std::string_view b) { table.append(b); return true; }, "UTF-8");
        EXPECT_FALSE(writer.writeTable(tableOut, [&](const ByteSink &take) { return take(damaged); })) << damaged;
    }
    BookFilesWriter refused(textOut, [](std::string_view) { return false; }, "t");
    refused.record(record);
    std::string table;
    TextFileWriter tableOut([&](std::string_view b) { table.append(b); return true; }, "UTF-8");
    EXPECT_FALSE(refused.writeTable(tableOut, [&](const ByteSink &take) { return take(spool); }));
}

} // namespace
} // namespace saxolith
