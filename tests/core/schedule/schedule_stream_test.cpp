#include "core/schedule/schedule_stream.h"

#include "support/code_page.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <set>

namespace saxolith
{
namespace
{

using enum ScheduleColumn;

std::string scheduleAt(const std::string &bytes)
{
    static const test::ScratchFolder folder("schedule_stream");
    static int count = 0;
    const std::string path = folder.file("桩表" + std::to_string(++count) + ".csv");
    test::writeBytes(path, bytes);
    return path;
}

// Many rows of every kind the reading takes, so that small pieces cut the file everywhere: quoted
// separators, doubled quotes and line ends inside a field, blank lines and rows of empty cells,
// LF, CR LF and a lone CR, blanks around cells.
std::string manyRows(std::string_view separator)
{
    std::string text = "\r\n\n桩号,截面类型,d(mm),frk(MPa),完整程度\r\n";
    for (int i = 0; i < 60; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 6) {
        case 0: text += "P-" + n + ",圆桩,1000,35,较完整\r\n"; break;
        case 1: text += "\"东,\"\"" + n + "\"\"\",方桩, 900 ,20,完整\n"; break;
        case 2: text += "\"两\r\n行" + n + "\",圆桩,1100,36,较破碎\r"; break;
        case 3: text += ",,,,\r\n\r\n"; break;
        case 4: text += "西" + n + ",椭圆桩,\"800\",40,\"\"\r\n"; break;
        default: text += "," + std::string(200, 'x') + ",1200,37,\n"; break;
        }
    }
    text += "末,圆桩,1000,35,完整";
    std::string out;
    for (const char c : text) {
        if (c == ',') {
            out += separator;
        } else {
            out += c;
        }
    }
    return out;
}

// The rows with ids in more scripts than GBK holds, some of them beyond U+FFFF (a pair of UTF-16 code units).
std::string wideRows(std::string_view separator)
{
    std::string text = manyRows(separator);
    for (const auto &[from, to] : {std::pair<std::string_view, std::string_view>{"西", "𠮷Жψ한"}, {"东", "東𠮷"}}) {
        for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

// Where pieces of `piece` bytes cut the pairs of UTF-16 `bytes` (read after the mark): 2 between the
// halves, 1 or 3 inside one.
std::set<std::size_t> pairCuts(std::string_view bytes, std::size_t piece, bool bigEndian)
{
    std::set<std::size_t> cuts;
    for (std::size_t at = 2; at + 4 <= bytes.size(); at += 2) {
        const auto high = static_cast<unsigned char>(bytes[bigEndian ? at : at + 1]);
        for (std::size_t inside = 1; high >= 0xD8 && high <= 0xDB && inside < 4; ++inside) {
            if ((at + inside - 2) % piece == 0) {
                cuts.insert(inside);
            }
        }
    }
    return cuts;
}

struct Form {
    std::string name;
    std::string bytes;
};

TEST(ScheduleStream, GivesTheRowsOfTheWholeReadingWhateverThePieceSize)
{
    const std::string text = manyRows(",");
    const std::vector<Form> forms{{"UTF-8", text},
                                  {"UTF-8 with its mark", "\xEF\xBB\xBF" + text},
                                  {"GBK", test::toGbk(text)},
                                  {"semicolons", manyRows(";")},
                                  {"tabs", test::toGbk(manyRows("\t"))},
                                  {"UTF-16, tabs", test::toUtf16(wideRows("\t"))},
                                  {"UTF-16 big-endian", test::toUtf16(wideRows(","), true)},
                                  {"a header closed by a lone CR, blank lines after it",
                                   "桩号,d(mm)\rP-1,800\n\"a\nb\",900\n" + std::string(40, '\n') + "Q,1000\n"},
                                  {"a header and a blank line closed by lone CRs",
                                   "桩号,d(mm)\r\rP-1,800\n" + std::string(40, '\n') + "Q,1000\n"}};
    for (const bool bigEndian : {false, true}) {
        const std::string &bytes = forms[bigEndian ? 6 : 5].bytes;
        ASSERT_EQ(pairCuts(bytes, 16, bigEndian), std::set<std::size_t>{2});
        ASSERT_EQ(pairCuts(bytes, 17, bigEndian), (std::set<std::size_t>{1, 3}));
    }
    for (const Form &form : forms) {
        const ScheduleReading whole = readSchedule(form.bytes);
        ASSERT_FALSE(whole.error) << form.name << ": " << scheduleErrorText(*whole.error);
        const std::string path = scheduleAt(form.bytes);
        // Odd sizes cut UTF-16 code units in two.
        for (const std::size_t piece : {16, 17, 100, 1001, 1 << 20}) {
            ScheduleStream stream(path, piece);
            ASSERT_TRUE(stream.check()) << form.name << ", pieces of " << piece;
            EXPECT_EQ(stream.rowCount(), whole.rows.size());
            EXPECT_EQ(stream.chineseHeader(), whole.chineseHeader);
            std::size_t count = 0;
            for (ScheduleRow row; stream.next(row); ++count) {
                ASSERT_LT(count, whole.rows.size());
                EXPECT_EQ(row.line, whole.rows[count].line) << form.name << ", pieces of " << piece;
                EXPECT_EQ(row.cells, whole.rows[count].cells) << form.name << ", row " << count;
            }
            EXPECT_EQ(count, whole.rows.size());
            EXPECT_FALSE(stream.failed());
        }
        removeFile(path);
    }
}

// Rows with no quote in them, so that a quote put in opens a field the file never closes.
std::string plainRows(int count)
{
    std::string text = "桩号,截面类型,d(mm),frk(MPa),完整程度\r\n";
    for (int i = 0; i < count; ++i) {
        text += "P-" + std::to_string(i) + ",圆桩,1000,35,较完整" + (i % 2 == 0 ? "\r\n" : "\n");
    }
    return text;
}

// The stream's refusal of a file, checked in pieces of `piece` bytes: the whole reading's first error,
// found by the stream itself.
void expectTheWholeReadingsError(const std::string &path, const ScheduleReading &whole, std::size_t piece,
                                 const std::string &name)
{
    // Checked keeping only the ids, and visiting whole rows.
    for (const bool rows : {false, true}) {
        ScheduleStream stream(path, piece);
        const std::string shown =
            name + ", pieces of " + std::to_string(piece) + (rows ? ", rows visited" : "");
        EXPECT_FALSE(rows ? stream.check([](const ScheduleRow &) {}) : stream.check()) << shown;
        ASSERT_TRUE(stream.error()) << shown << ": left to the whole reading";
        EXPECT_EQ(scheduleErrorText(*stream.error()), scheduleErrorText(*whole.error)) << shown;
        ScheduleRow row;
        EXPECT_FALSE(stream.next(row)) << shown;
    }
}

// Whatever the whole reading refuses the stream refuses with the same message, line included, found
// a piece at a time; only a workbook is left to the whole reading. The stream never gives a
// row of a file the reading would not take.
TEST(ScheduleStream, RefusesAFileWithTheWholeReadingsFirstError)
{
    const std::string text = manyRows(",");
    const std::string plain = plainRows(40);
    const std::size_t middle = plain.find("P-20");
    const struct {
        std::string name;
        std::string bytes;
        bool whole = false; // left to the whole reading
    } forms[] = {
        {"a row short of a cell at the end", text + "\r\nP,圆桩,1000\r\n"},
        {"an open quote at the end", text + "\r\n\"P,圆桩,1000,35,完整\r\n"},
        {"an open quote on the second line, the rest of the file its record",
         "桩号,d(mm)\n\"P-1,800\n" + plain},
        {"an open quote in the header", "桩号,\"d(mm)\n" + plain},
        {"an open quote in a row's last cell",
         plain.substr(0, middle) + "P,圆桩,1000,35,\"较\n" + plain.substr(middle)},
        {"a quote closed far below, one record of many lines",
         plain.substr(0, middle) + "\"P" + plain.substr(middle) + "\",圆桩,1000,35,完整\r\n"},
        {"text after a quote that closes a cell",
         plain.substr(0, middle) + "\"P\"x,圆桩,1000,35,完整\n" + plain.substr(middle)},
        {"a GBK byte that is no character", test::toGbk(text) + "\r\n\x81\x20,圆桩,1000,35,完整"},
        {"GBK with a byte that is no character before a row short of a cell",
         test::toGbk(plain) + "P,圆桩\r\n" + test::toGbk(plain) + "\x81\x20,圆桩,1000,35,完整\r\n" +
             test::toGbk(plain)},
        {"GBK with a line in UTF-8", test::toGbk(plain) + "西-2,方桩,900,20,完整\r\n" + test::toGbk(plain)},
        {"UTF-8 with its mark and a byte that is not UTF-8", "\xEF\xBB\xBF" + text + "\r\n\xFF,圆桩,1,2,3"},
        {"UTF-8 with its mark and a character cut at the end", "\xEF\xBB\xBF" + text + "\r\n\xE5\x9C"},
        {"UTF-8 with its mark, a quoted cell right after it", "\xEF\xBB\xBF\"0\n%\n\"0\n%x\",;\n" + plain},
        {"UTF-8 with two marks", "\xEF\xBB\xBF\xEF\xBB\xBF" + text},
        {"UTF-8 with a mark inside, wherever a piece cuts it",
         plain + "\xEF\xBB\xBF" + plain.substr(plain.find('\n') + 1)},
        {"UTF-8 with a line in GBK", text + test::toGbk("\r\n西-2,方桩,900,20,完整\r\n")},
        {"a control character", text + "\r\nP\x01,圆桩,1000,35,完整"},
        {"a control character after a row short of a cell",
         plain + "P,圆桩\n" + plain + "P\x01,圆桩,1000,35,完整\n"},
        {"a long id",
         plain + std::string(201, 'x') + ",圆桩,1000,35,完整\n" + plain.substr(plain.find('\n') + 1)},
        {"a header alone", "桩号,截面类型\r\n\r\n"},
        {"a header that names no column", "桩号,直径\r\n" + plain},
        // The separator the whole file's first line has, found lines below, past its quote.
        {"a header whose quote is closed lines below", "id,d\"x\t\t\t\n" + plain + "\"\t\t\n" + plain},
        {"nothing", ""},
        {"blank lines only", "\r\n \r\n,,\n"},
        {"a workbook", std::string("PK\x03\x04", 4) + text, true},
        // Its text opens with a mark of no use in UTF-16, which the header's first name then holds.
        {"UTF-16 with a UTF-8 mark in its text", test::toUtf16("\xEF\xBB\xBF" + text)},
        {"UTF-32", std::string("\xFF\xFE\0\0", 4) + text},
        {"UTF-32 big-endian", std::string("\0\0\xFE\xFF", 4) + text},
        {"an old workbook", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + text},
        {"an old workbook's first bytes only", std::string("\xD0\xCF\x11\xE0", 4) + text},
        {"UTF-16 with an odd count of bytes", test::toUtf16(text) + "x"},
        {"UTF-16 with half of a pair",
         test::toUtf16(text + "\r\n西") + "\x40\xD8" + test::toUtf16(",圆桩,1,2,3").substr(2)},
        {"UTF-16 ending on half of a pair", test::toUtf16(text + "\r\n西") + "\x40\xD8"},
        {"UTF-16 with a control character before half of a pair",
         test::toUtf16(plain + "P\x02,圆桩,1,2,3\n" + plain + "西") + "\x40\xD8" +
             test::toUtf16(plain).substr(2)},
        {"UTF-16 with an open quote", test::toUtf16(plain + "\"P-1,圆桩\r\n" + plain)},
    };
    for (const auto &form : forms) {
        const ScheduleReading whole = readSchedule(form.bytes);
        ASSERT_TRUE(whole.error) << form.name;
        const std::string path = scheduleAt(form.bytes);
        for (const std::size_t piece : {16, 17, 100, 1 << 20}) {
            if (form.whole) {
                ScheduleStream stream(path, piece);
                EXPECT_FALSE(stream.check()) << form.name;
                EXPECT_FALSE(stream.error()) << form.name;
            } else {
                expectTheWholeReadingsError(path, whole, piece, form.name);
            }
        }
        removeFile(path);
    }
}

// The check reads two pieces at a time: the rows it visits are still the whole reading's, lines
// included, in order; and an error in either of the two, wherever it falls, is the whole reading's.
TEST(ScheduleStream, TheCheckVisitsEveryRowInOrderAndFindsAnErrorInAnyPiece)
{
    const std::string text = manyRows(",");
    for (const std::string &bytes : {text, test::toGbk(text)}) {
        const ScheduleReading whole = readSchedule(bytes);
        const std::string path = scheduleAt(bytes);
        for (const std::size_t piece : {16, 100, 1000}) {
            std::vector<ScheduleRow> visited;
            std::vector<std::string> ids;
            ScheduleStream stream(path, piece);
            ASSERT_TRUE(stream.check([&](const ScheduleRow &row) { visited.push_back(row); }));
            ASSERT_EQ(visited.size(), whole.rows.size()) << "pieces of " << piece;
            for (std::size_t i = 0; i < visited.size(); ++i) {
                EXPECT_EQ(visited[i].line, whole.rows[i].line) << "pieces of " << piece << ", row " << i;
                EXPECT_EQ(visited[i].cells, whole.rows[i].cells) << "pieces of " << piece << ", row " << i;
            }
            // A check that keeps only the ids: the same ids in the same order, and the rows after it.
            ScheduleStream idsOnly(path, piece);
            ASSERT_TRUE(idsOnly.check({}, [&](std::string_view id) { ids.emplace_back(id); }));
            ASSERT_EQ(ids.size(), whole.rows.size()) << "pieces of " << piece;
            for (std::size_t i = 0; i < ids.size(); ++i) {
                EXPECT_EQ(ids[i], whole.rows[i].cell(ScheduleColumn::Id))
                    << "pieces of " << piece << ", row " << i;
            }
            ScheduleRow row;
            std::size_t taken = 0;
            while (idsOnly.next(row)) {
                EXPECT_EQ(row.cells, whole.rows[taken].cells) << "pieces of " << piece << ", row " << taken;
                ++taken;
            }
            EXPECT_EQ(taken, whole.rows.size()) << "pieces of " << piece;
            EXPECT_FALSE(idsOnly.failed());
        }
        removeFile(path);
    }
    // Each error after each of the first rows in turn (a line feed inside a quoted cell takes it into
    // the cell), so that it falls in every piece and across the cuts between them; an open quote in a
    // file with no other, so that the rest of the file is its record.
    const std::string plain = plainRows(60);
    const struct {
        std::string name;
        std::string text;
        std::string put;
    } errors[] = {{"a row short of a cell", text, "P,圆桩,1000\r\n"},
                  {"a row short of a cell, GBK", test::toGbk(text), test::toGbk("P,圆桩,1000\r\n")},
                  {"a control character", text, "P\x01,圆桩,1000,35,完整\r\n"},
                  {"a byte that is no GBK", test::toGbk(text), "\x81\x20,圆桩,1000,35,完整\r\n"},
                  {"a line of GBK in UTF-8", text, test::toGbk("西-2,方桩,900,20,完整\r\n")},
                  {"an open quote", plain, "\"P,圆桩,1000,35,完整\r\n"},
                  {"an open quote in a line's last cell", plain, "P,圆桩,1000,35,\"完整\n"}};
    for (const auto &error : errors) {
        int refusals = 0;
        const std::size_t firstRow = error.text.find("P-0");
        for (std::size_t at = error.text.find('\n', firstRow); at < error.text.size() / 2;
             at = error.text.find('\n', at + 1)) {
            const std::string bytes = error.text.substr(0, at + 1) + error.put + error.text.substr(at + 1);
            const ScheduleReading whole = readSchedule(bytes);
            if (!whole.error) {
                continue;
            }
            ++refusals;
            const std::string path = scheduleAt(bytes);
            for (const std::size_t piece : {16, 64, 200}) {
                expectTheWholeReadingsError(path, whole, piece, error.name + " after offset " + std::to_string(at));
            }
            removeFile(path);
        }
        EXPECT_GT(refusals, 20) << error.name;
    }
}

// A file that changes between the check and the rows is not taken for the one checked.
TEST(ScheduleStream, AFileChangedAfterItsCheckFailsTheReading)
{
    const std::string text = manyRows(",");
    const std::string path = scheduleAt(text);
    {
        ScheduleStream stream(path, 64);
        ASSERT_TRUE(stream.check());
        test::writeBytes(path, text.substr(0, text.size() / 2) + "\r\n");
        ScheduleRow row;
        while (stream.next(row)) {
        }
        EXPECT_TRUE(stream.failed());
    }
    removeFile(path);
}

} // namespace
} // namespace saxolith
