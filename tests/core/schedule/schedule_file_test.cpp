#include "core/schedule/schedule_file.h"

#include "support/code_page.h"

#include <gtest/gtest.h>

namespace saxolith
{
namespace
{

using enum ScheduleColumn;

TEST(ScheduleFile, ColumnsAreFoundByEitherNameInAnyOrder)
{
    struct Case {
        std::string_view header;
        std::string_view row;
    };
    // Every case names all nine columns and holds the same pile.
    const Case cases[] = {
        {"id,section,d,c,qpa,frk,integrity,psi,precision", "P1,椭圆桩,1200,600,,40,0.62,0.3,一位小数"},
        {"桩号,截面类型,d(mm),c(mm),qpa(kPa),frk(MPa),完整程度,ψr,精度",
         "P1,椭圆桩,1200,600,,40,0.62,0.3,一位小数"},
        {"精度,ψr,完整程度,frk(MPa),qpa(kPa),c(mm),d(mm),截面类型,桩号",
         "一位小数,0.3,0.62,40,,600,1200,椭圆桩,P1"},
        {"PSI, Integrity ,FRK,Qpa,C,D,Section,ID,Precision", "0.3,0.62,40,,600,1200,椭圆桩,P1,一位小数"},
        {"桩号,截面类型,d（mm）,C (MM),qpa,frk(mpa),integrity,psi,精度",
         "P1,椭圆桩,1200,600,,40,0.62,0.3,一位小数"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.header);
        const ScheduleReading reading =
            readSchedule(std::string(c.header) + "\n" + std::string(c.row) + "\n");
        ASSERT_FALSE(reading.error) << scheduleErrorText(*reading.error);
        ASSERT_EQ(reading.rows.size(), 1u);
        const ScheduleRow &row = reading.rows.front();
        EXPECT_EQ(row.line, 2);
        EXPECT_EQ(row.cell(Id), "P1");
        EXPECT_EQ(row.cell(Section), "椭圆桩");
        EXPECT_EQ(row.cell(FirstDimension), "1200");
        EXPECT_EQ(row.cell(SecondDimension), "600");
        EXPECT_EQ(row.cell(Qpa), "");
        EXPECT_EQ(row.cell(Frk), "40");
        EXPECT_EQ(row.cell(Integrity), "0.62");
        EXPECT_EQ(row.cell(Psi), "0.3");
        EXPECT_EQ(row.cell(Precision), "一位小数");
    }
}

TEST(ScheduleFile, Utf8WithOrWithoutMarkGbkAndUtf16ReadAlike)
{
    const std::string text = "桩号,截面类型,frk\r\n东-1,矩形桩,35\r\n\"西,2\",方桩,20\r\n";
    // As a spreadsheet saves "Unicode text": UTF-16 with its mark, tabs between the cells.
    const std::string tabs = "桩号\t截面类型\tfrk\r\n东-1\t矩形桩\t35\r\n\"西,2\"\t方桩\t20\r\n";
    const std::string forms[] = {text, "\xEF\xBB\xBF" + text, test::toGbk(text), test::toUtf16(tabs),
                                 test::toUtf16(text, true)};
    ASSERT_NE(forms[2], text);
    for (const std::string &bytes : forms) {
        const ScheduleReading reading = readSchedule(bytes);
        ASSERT_FALSE(reading.error) << scheduleErrorText(*reading.error);
        ASSERT_EQ(reading.rows.size(), 2u);
        EXPECT_TRUE(reading.chineseHeader);
        EXPECT_EQ(reading.rows[1].line, 3);
        EXPECT_EQ(reading.rows[0].cell(Id), "东-1");
        EXPECT_EQ(reading.rows[1].cell(Id), "西,2");
        EXPECT_EQ(reading.rows[1].cell(Section), "方桩");
        EXPECT_EQ(reading.rows[1].cell(Frk), "20");
    }
}

TEST(ScheduleFile, QuotingLineEndsAndBlankRows)
{
    // Quoted commas, doubled quotes and a line break inside a field; LF, CR LF and a lone CR;
    // blank lines and rows of empty cells are passed over, and line numbers stay the file's.
    const std::string text = "\n"
                             "id,d,frk\n"
                             "\"a,\"\"b\"\"\",1000,35\r\n"
                             "\"two\nlines\",1100,36\r"
                             ",,\n"
                             "\n"
                             "  c  , 1200 ,\"37\"\n"
                             "d,1300,38";
    const ScheduleReading reading = readSchedule(text);
    ASSERT_FALSE(reading.error) << scheduleErrorText(*reading.error);
    ASSERT_EQ(reading.rows.size(), 4u);
    EXPECT_EQ(reading.rows[0].cell(Id), "a,\"b\"");
    EXPECT_EQ(reading.rows[0].line, 3);
    EXPECT_EQ(reading.rows[1].cell(Id), "two\nlines");
    EXPECT_EQ(reading.rows[1].line, 4);
    EXPECT_EQ(reading.rows[2].cell(Id), "c");
    EXPECT_EQ(reading.rows[2].cell(FirstDimension), "1200");
    EXPECT_EQ(reading.rows[2].cell(Frk), "37");
    EXPECT_EQ(reading.rows[2].line, 8);
    EXPECT_EQ(reading.rows[3].cell(Frk), "38");
    EXPECT_EQ(reading.rows[3].line, 9);
}

TEST(ScheduleFile, UnnamedColumnsMayOnlyBeEmpty)
{
    const ScheduleReading padded = readSchedule("id,frk,,\nA,35,,\n");
    ASSERT_FALSE(padded.error);
    EXPECT_EQ(padded.rows.front().cell(Frk), "35");

    const ScheduleReading filled = readSchedule("id,frk,,\nA,35,,x\n");
    ASSERT_TRUE(filled.error);
    EXPECT_EQ(scheduleErrorText(*filled.error), "第 2 行：第 4 列有内容，但列名行上这一列没有名字");
}

TEST(ScheduleFile, FilesThatCannotBeReadSayWhereAndWhy)
{
    struct Case {
        std::string name;
        std::string bytes;
        int line;
        std::string text; // the whole message after the line
    };
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    const Case cases[] = {
        {"empty", "", 1, "桩表是空的"},
        {"mark only", "\xEF\xBB\xBF", 1, "桩表是空的"},
        {"blank lines", "\n\r\n , \n", 1, "桩表是空的"},
        {"header only", "id,d\n", 2, "桩表只有列名行，没有桩"},
        {"unknown column", "id,diameter\nA,1000\n", 1,
         "未知列名“diameter”；可用列名：id/桩号、section/截面类型、d/d(mm)、c/c(mm)、qpa/qpa(kPa)、"
         "frk/frk(MPa)、integrity/完整程度、psi/ψr、precision/精度"},
        {"column twice", "d,frk,d(mm)\n1,2,3\n", 1, "列“d(mm)”出现了两次"},
        {"too many cells", "id,d\nA,1000\nB,1000,5\n", 3, "有 3 个单元格，列名行有 2 个"},
        {"too few cells", "id,d,frk\nA,1000,35\n\nB,1000\n", 4, "有 2 个单元格，列名行有 3 个"},
        {"open quote", "id,d\nA,1000\n\"B,1000\nC,1100\n", 3, "引号没有结束"},
        {"text after quote", "id,d\n\"A\"x,1000\n", 2, "结束引号后只能是逗号或行尾"},
        {"NUL byte",
         std::string("id,d\nA,1000\nB,10\0"
                     "00\n",
                     19),
         3, "不是文本文件（含二进制字节）"},
        {"picture", png, 2, "不是文本文件（含二进制字节）"},
        {"UTF-32", std::string("\xFF\xFE\0\0i\0\0\0", 8), 1,
         "UTF-32 编码的文件不能读取，请另存为 UTF-8、UTF-16 或 GBK"},
        {"UTF-32, big-endian", std::string("\0\0\xFE\xFF\0\0\0i", 8), 1,
         "UTF-32 编码的文件不能读取，请另存为 UTF-8、UTF-16 或 GBK"},
        {"UTF-16 cut after an odd byte", test::toUtf16("id,d\r\nA,1000\r\nB,1") + "\x31", 3,
         "UTF-16 文本的字节数是奇数，文件不完整"},
        {"UTF-16 with half of a pair, then a letter",
         test::toUtf16("id,d\nA,1000\n", true) + std::string("\xD8\x40\0B", 4) +
             test::toUtf16(",1000\n", true).substr(2),
         3, "UTF-16 文本中有半个字符（不成对的代理项），文件可能已损坏"},
        {"UTF-16 with a second half alone",
         test::toUtf16("id,d\rA,1000\rB") + std::string("\x00\xDC", 2) + test::toUtf16(",1\r").substr(2), 3,
         "UTF-16 文本中有半个字符（不成对的代理项），文件可能已损坏"},
        {"UTF-16 ending on the first half of a pair", test::toUtf16("id,d\nA,1000\n\nB,1") + "\x40\xD8", 4,
         "UTF-16 文本中有半个字符（不成对的代理项），文件可能已损坏"},
        {"UTF-16 with a NUL before half a pair",
         test::toUtf16(std::string("id,d\nA\0,1\n", 10)) + std::string("\x00\xDC", 2), 2,
         "不是文本文件（含二进制字节）"},
        {"neither UTF-8 nor GBK", "id,d\nA,1000\nB\x81\x20,1000\n", 3, "既不是 UTF-8 也不是 GBK 编码的文本"},
        {"marked but not UTF-8", "\xEF\xBB\xBFid,d\n\xB6\xAB,1000\n", 2,
         "既不是 UTF-8 也不是 GBK 编码的文本"},
        // Two files joined: the second's mark stands before its first cell, where it would join the id.
        {"a mark inside the text",
         "id,d\nA,1000\n\xEF\xBB\xBF"
         "B,1000\n",
         3, "有一个多余的字符 U+FEFF（字节顺序标记），可能是两个文件接在了一起"},
        {"a mark after the mark", "\xEF\xBB\xBF\xEF\xBB\xBFid,d\nA,1000\n", 1,
         "有一个多余的字符 U+FEFF（字节顺序标记），可能是两个文件接在了一起"},
        {"UTF-16 with a mark inside",
         test::toUtf16("id,d\r\nA,1000\r\n\xEF\xBB\xBF"
                       "B,1\r\n"),
         3, "有一个多余的字符 U+FEFF（字节顺序标记），可能是两个文件接在了一起"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ScheduleReading reading = readSchedule(c.bytes);
        ASSERT_TRUE(reading.error.has_value());
        EXPECT_TRUE(reading.rows.empty());
        EXPECT_EQ(reading.error->line, c.line);
        EXPECT_EQ(reading.error->text, c.text);
        EXPECT_EQ(scheduleErrorText(*reading.error), "第 " + std::to_string(c.line) + " 行：" + c.text);
    }
}

// Line ends and control bytes are looked for many bytes at a time: the bytes at a block's edges and
// at the text's end count as any other.
TEST(ScheduleFile, LineEndsAndControlBytesWhereverTheyStand)
{
    const struct {
        std::string text;
        std::size_t offset;
        int line;
    } lines[] = {
        {"", 5, 1},
        {"a\r\nb\nc\rd", 100, 4},
        {"a\r\nb", 1, 1},
        {"a\r\nb", 2, 1}, // on the LF of CR LF: still the first line
        {"a\r\nb", 3, 2},
        {"a\r", 2, 2}, // a CR that ends the text ends its line
        {"a\r", 1, 1},
        {"\r\r\n\n", 4, 4},
        {std::string(70, 'x') + "\r\n" + std::string(70, 'y') + "\r", 1000, 3},
    };
    for (const auto &[text, offset, line] : lines) {
        EXPECT_EQ(lineAt(text, offset), line) << testing::PrintToString(text) << " at " << offset;
    }
    EXPECT_EQ(controlByteAt(std::string(200, 'x') + "\t\r\n"), std::string_view::npos);
    for (const std::size_t at : {0, 1, 63, 64, 65, 127, 128, 199}) {
        std::string text(200, 'x');
        text[at] = '\x1F';
        text[199] = at == 199 ? '\x01' : '\x02';
        EXPECT_EQ(controlByteAt(text), at) << at;
    }
}

} // namespace
} // namespace saxolith
