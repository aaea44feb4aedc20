// .xlsx schedules: the first sheet read as its CSV twin, written by a real spreadsheet library, and
// the bytes that are not a workbook refused with the reason.
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_run.h"
#include "core/schedule/workbook_sheet.h"

#include "support/scratch_folder.h"
#include "support/zip_member.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <string>
#include <utility>
#include <vector>

namespace saxolith
{
namespace
{

// The schedule below, as a workbook: `inlineStrings` writes its texts inline (the library's
// constant-memory mode) rather than shared.
std::string scheduleWorkbook(bool inlineStrings)
{
    const test::ScratchFolder folder("workbook");
    const std::string path = folder.file(inlineStrings ? "inline.xlsx" : "shared.xlsx");
    lxw_workbook_options options{};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    test::writeBytes(path, ""); // the library opens it by narrow name, which must exist to be found
    lxw_workbook *workbook = workbook_new_opt(narrowFileName(path).c_str(), &options);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "桩表");
    lxw_worksheet *second = workbook_add_worksheet(workbook, "其他");
    worksheet_write_string(second, 0, 0, "not read", nullptr);
    lxw_format *date = workbook_add_format(workbook);
    format_set_num_format(date, "yyyy-mm-dd");
    const char *header[] = {"桩号", "截面类型", "d", "c", "frk", "完整程度", "qpa"};
    for (lxw_col_t c = 0; c < 7; ++c) {
        worksheet_write_string(sheet, 0, c, header[c], nullptr);
    }
    // Row 2 (ZH-1): numbers as numbers; row 3 empty; row 4: a number held as text, an empty cell.
    worksheet_write_string(sheet, 1, 0, "ZH-1", nullptr);
    worksheet_write_string(sheet, 1, 1, "圆桩", nullptr);
    worksheet_write_number(sheet, 1, 2, 1200, nullptr);
    worksheet_write_number(sheet, 1, 4, 0.1 + 0.2 + 34.7, nullptr); // 35.00000000000001 in binary
    worksheet_write_string(sheet, 1, 5, "较完整", nullptr);
    worksheet_write_string(sheet, 3, 0, "ZH-2", nullptr);
    worksheet_write_string(sheet, 3, 1, "矩形桩", nullptr);
    worksheet_write_string(sheet, 3, 2, "1500", nullptr);
    worksheet_write_number(sheet, 3, 3, 1000, nullptr);
    worksheet_write_number(sheet, 3, 6, 4500, nullptr);
    // A date in a column of its own beyond the schedule's: shown as the date it is.
    lxw_datetime day = {2026, 12, 10, 0, 0, 0};
    worksheet_write_datetime(sheet, 5, 0, &day, date);
    worksheet_write_string(sheet, 5, 1, "方桩", nullptr);
    EXPECT_EQ(workbook_close(workbook), LXW_NO_ERROR);
    return test::fileBytes(path);
}

const std::string expectedCsv = "\"桩号\",\"截面类型\",\"d\",\"c\",\"frk\",\"完整程度\",\"qpa\"\n"
                                "\"ZH-1\",\"圆桩\",\"1200\",,\"35\",\"较完整\",\n"
                                "\n"
                                "\"ZH-2\",\"矩形桩\",\"1500\",\"1000\",,,\"4500\"\n"
                                "\n"
                                "\"2026-12-10\",\"方桩\",,,,,\n";

// The sheet written a piece at a time, as the batch writes it for its run: the text whole, or the error.
SheetText writtenInPieces(std::string_view workbook, const WorkbookBounds &bounds = {})
{
    SheetText sheet;
    const bool written = writeFirstSheet(
        workbook,
        [&](std::string_view piece) {
            sheet.csv.append(piece);
            return true;
        },
        sheet.error, bounds);
    EXPECT_EQ(written, !sheet.error);
    return sheet;
}

// Written a piece at a time, the sheet's text is the one read whole, and its errors the same.
void expectSameInPieces(std::string_view workbook, const WorkbookBounds &bounds = {})
{
    const SheetText whole = readFirstSheet(workbook, bounds);
    const SheetText pieces = writtenInPieces(workbook, bounds);
    EXPECT_EQ(pieces.error, whole.error);
    EXPECT_TRUE(pieces.csv == whole.csv || whole.error);
}

TEST(WorkbookSheet, FirstSheetReadsAsItsCsvTwinWithSharedOrInlineStrings)
{
    for (const bool inlineStrings : {false, true}) {
        SCOPED_TRACE(inlineStrings ? "inline strings" : "shared strings");
        const std::string workbook = scheduleWorkbook(inlineStrings);
        ASSERT_TRUE(looksLikeWorkbook(workbook));
        const SheetText sheet = readFirstSheet(workbook);
        ASSERT_FALSE(sheet.error) << *sheet.error;
        EXPECT_EQ(sheet.csv, expectedCsv);
        expectSameInPieces(workbook);

        // The schedule reader takes the workbook as it takes the CSV: same rows, same lines, same results.
        const ScheduleReading fromWorkbook = readSchedule(workbook);
        const ScheduleReading fromCsv = readSchedule(expectedCsv);
        ASSERT_EQ(fromWorkbook.error.has_value(), fromCsv.error.has_value());
        if (fromCsv.error) {
            EXPECT_EQ(scheduleErrorText(*fromWorkbook.error), scheduleErrorText(*fromCsv.error));
            continue;
        }
        ASSERT_EQ(fromWorkbook.rows.size(), fromCsv.rows.size());
        CalculationBook bookFromWorkbook;
        CalculationBook bookFromCsv;
        const ScheduleResult a =
            calculateSchedule(fromWorkbook.rows, bookFromWorkbook, "2026-12-10 10:00:00");
        const ScheduleResult b = calculateSchedule(fromCsv.rows, bookFromCsv, "2026-12-10 10:00:00");
        ASSERT_EQ(a.rows.size(), b.rows.size());
        for (std::size_t i = 0; i < a.rows.size(); ++i) {
            EXPECT_EQ(a.rows[i].line, b.rows[i].line);
            EXPECT_EQ(a.rows[i].raText, b.rows[i].raText);
            EXPECT_EQ(a.rows[i].note, b.rows[i].note);
        }
        EXPECT_EQ(bookFromWorkbook.tableLines(), bookFromCsv.tableLines());
    }
}

// A zip of the given parts, written by the zip library the workbooks are read with.
std::string zipOf(const std::vector<std::pair<std::string, std::string>> &parts)
{
    const test::ScratchFolder folder("parts");
    EXPECT_TRUE(test::writeZip(folder.path() / "parts.zip", parts));
    return test::fileBytes(folder.file("parts.zip"));
}

const std::string workbookXml =
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<workbookPr date1904="1"/><sheets><sheet name="A" sheetId="1" r:id="rId7"/></sheets></workbook>)";
const std::string relsXml =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId7" Type="x/worksheet" Target="/xl/sheets/piles.xml"/></Relationships>)";

std::string sheetXml(const std::string &cells)
{
    return R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" +
           cells + "</sheetData></worksheet>";
}

// Cells as other programs write them: no references, rich and phonetic runs, numbers in the
// forms a file may hold, booleans, errors, the 1904 date system.
TEST(WorkbookSheet, CellsAsOtherProgramsWriteThem)
{
    const std::string styles =
        R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
        R"(<numFmts><numFmt numFmtId="170" formatCode="[$-804]yyyy&quot;年&quot;m&quot;月&quot;"/>)"
        R"(<numFmt numFmtId="171" formatCode="0.00&quot;mm&quot;"/></numFmts>)"
        R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="170"/><xf numFmtId="171"/><xf numFmtId="14"/></cellXfs></styleSheet>)";
    const std::string cells =
        R"(<row><c t="inlineStr"><is><r><t>Z</t></r><r><t xml:space="preserve">H 1</t></r>)"
        R"(<rPh><t>ぜっと</t></rPh></is></c><c><v>1.0E3</v></c><c><v>0.30000000000000004</v></c>)"
        R"(<c><v>1E-5</v></c><c t="b"><v>1</v></c><c t="e"><v>#N/A</v></c>)"
        R"(<c t="str"><f>A1</f><v>"q"</v></c></row>)"
        R"(<row r="3"><c r="C3" s="2"><v>1200</v></c><c r="A3" s="3"><v>0</v></c><c r="B3" s="1"><v>45000.5</v></c></row>)";
    const std::string workbook = zipOf({{"xl/workbook.xml", workbookXml},
                                        {"xl/_rels/workbook.xml.rels", relsXml},
                                        {"xl/styles.xml", styles},
                                        {"xl/sheets/piles.xml", sheetXml(cells)}});
    const SheetText sheet = readFirstSheet(workbook);
    ASSERT_FALSE(sheet.error) << *sheet.error;
    EXPECT_EQ(sheet.csv, "\"ZH 1\",\"1000\",\"0.3\",\"0.00001\",\"TRUE\",\"#N/A\",\"\"\"q\"\"\"\n"
                         "\n"
                         "\"1904-01-01\",\"2027-03-16 12:00:00\",\"1200\",,,,\n");
    expectSameInPieces(workbook);
}

// Rows as a sheet may hold them, read a piece at a time as when read whole: a long sheet (its text
// handed on in several pieces) with gaps, rows out of order, one row's cells in two row elements.
TEST(WorkbookSheet, RowsInAnyOrderGiveTheSameTextInPieces)
{
    std::string longRows;
    for (int row = 1; row <= 150000; row += 1 + row % 3) {
        const std::string r = std::to_string(row);
        longRows += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"inlineStr\"><is><t>桩-" + r +
                    "</t></is></c><c r=\"C" + r + "\"><v>" + std::to_string(row * 7) + "</v></c></row>";
    }
    for (const std::string &cells : {
             longRows,
             std::string(R"(<row r="3"><c r="A3"><v>3</v></c></row><row r="1"><c r="B1"><v>1</v></c></row>)"),
             std::string(R"(<row r="2"><c r="A2"><v>2</v></c></row><row r="2"><c r="C2"><v>5</v></c></row>)"
                         R"(<row r="4"/><row r="5"><c r="B5" t="inlineStr"><is><t>x</t></is></c></row>)"),
         }) {
        expectSameInPieces(zipOf({{"xl/workbook.xml", workbookXml},
                                  {"xl/_rels/workbook.xml.rels", relsXml},
                                  {"xl/sheets/piles.xml", sheetXml(cells)}}));
    }
}

TEST(WorkbookSheet, WhatIsNotAWorkbookIsRefusedWithTheReason)
{
    const std::string good =
        zipOf({{"xl/workbook.xml", workbookXml},
               {"xl/_rels/workbook.xml.rels", relsXml},
               {"xl/sheets/piles.xml", sheetXml(R"(<row><c t="s"><v>0</v></c></row>)")}});
    std::string badChecksum = zipOf({{"xl/workbook.xml", workbookXml}});
    // The stored checksum of the one part, 14 bytes into its local header.
    badChecksum[14] = static_cast<char>(badChecksum[14] ^ 0x55);
    struct Case {
        const char *what;
        std::string bytes;
        const char *says;
    };
    const Case cases[] = {
        {"zip header, then nothing of a zip", std::string("PK\x03\x04", 4) + std::string(100, 'x'),
         "压缩包结构已损坏"},
        {"a zip without a workbook (a document)", zipOf({{"word/document.xml", "<w/>"}}),
         "缺少“xl/workbook.xml”"},
        {"a part that fails its checksum", badChecksum, "“xl/workbook.xml”已损坏"},
        {"a sheet that is not XML",
         zipOf({{"xl/workbook.xml", workbookXml}, {"xl/worksheets/sheet1.xml", "<a><b></a>"}}),
         "“xl/worksheets/sheet1.xml:1”已损坏"},
        {"a shared string that is not there", good, "“xl/sheets/piles.xml:1”已损坏"},
        {"a cell beyond the last column",
         zipOf({{"xl/workbook.xml", workbookXml},
                {"xl/worksheets/sheet1.xml", sheetXml(R"(<row r="1"><c r="XFE1"><v>1</v></c></row>)")}}),
         "已损坏"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        expectSameInPieces(c.bytes);
        const ScheduleReading reading = readSchedule(c.bytes);
        ASSERT_TRUE(reading.error);
        EXPECT_TRUE(reading.rows.empty());
        const std::string text = scheduleErrorText(*reading.error);
        EXPECT_TRUE(text.starts_with("不是可以读取的 Excel 工作簿（.xlsx）：")) << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
    }
    const ScheduleReading old =
        readSchedule(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(512, '\0'));
    ASSERT_TRUE(old.error);
    EXPECT_EQ(scheduleErrorText(*old.error), "旧版 Excel 工作簿（.xls）不能读取，请另存为 .xlsx 或 CSV");
}

std::string repeated(std::string_view text, std::size_t times)
{
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

std::string sharedStringsXml(const std::string &items)
{
    return R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" + items + "</sst>";
}

// Workbooks built to exhaust memory, each a few kilobytes packed: refused with the reason, the same
// whole or in pieces; the bounds shrunk where the real ones would take the test too long to reach.
TEST(WorkbookSheet, WorkbooksBuiltToExhaustMemoryAreRefusedWithTheReason)
{
    const auto workbook = [](const std::string &sheet, const std::string &strings = {}) {
        std::vector<std::pair<std::string, std::string>> parts{{"xl/workbook.xml", workbookXml},
                                                               {"xl/_rels/workbook.xml.rels", relsXml},
                                                               {"xl/sheets/piles.xml", sheetXml(sheet)}};
        if (!strings.empty()) {
            parts.emplace_back("xl/sharedStrings.xml", sharedStringsXml(strings));
        }
        return zipOf(parts);
    };
    const std::string longString = "<si><t>" + std::string(32768, 'x') + "</t></si>";
    const std::string fullString = "<si><r><t>" + repeated("桩", 32000) + "</t></r><r><t>" +
                                   std::string(767, 'x') + "</t></r><rPh><t>xx</t></rPh></si>";
    WorkbookBounds small;
    small.text = std::size_t{1} << 20;
    struct Case {
        const char *what;
        std::string bytes;
        WorkbookBounds bounds;
        const char *says; // nothing: read
    };
    const Case cases[] = {
        {"a shared string over a cell's characters in many cells",
         workbook("<row>" + repeated(R"(<c t="s"><v>1</v></c>)", 60) + "</row>",
                  "<si><t>id</t></si>" + longString),
         {},
         "单元格 A1 的文字超过 32767 个字符"},
        {"a shared string of as many characters as a cell holds, in runs, used by a cell",
         workbook(R"(<row r="2"><c r="B2" t="s"><v>0</v></c></row>)", fullString),
         {},
         nullptr},
        {"a shared string too long that no cell uses",
         workbook(R"(<row><c t="s"><v>0</v></c></row>)", "<si><t>id</t></si>" + longString),
         {},
         nullptr},
        {"an inline string over a cell's characters",
         workbook(R"(<row r="7"><c r="AB7" t="inlineStr"><is><t>)" + std::string(40000, 'y') +
                  "</t></is></c></row>"),
         {},
         "单元格 AB7 的文字超过 32767 个字符"},
        {"a value over a cell's characters",
         workbook(R"(<row r="3"><c r="C3"><v>)" + std::string(32768, '9') + "</v></c></row>"),
         {},
         "单元格 C3 的文字超过 32767 个字符"},
        {"runs nested deep in one cell",
         workbook(R"(<row><c t="inlineStr"><is>)" + repeated("<r>", 100000) + "<t>x</t>" +
                  repeated("</r>", 100000) + "</is></c></row>"),
         {},
         "“xl/sheets/piles.xml:1”中的元素嵌套超过 64 层"},
        {"many empty shared strings",
         workbook(R"(<row><c t="s"><v>0</v></c></row>)", repeated("<si/>", 40000)), small,
         "工作表太大，不像是桩表"},
        {"a shared string in cells beyond the sheet's text",
         workbook(repeated("<row>" + repeated(R"(<c t="s"><v>0</v></c>)", 40) + "</row>", 2),
                  "<si><t>" + std::string(20000, 'z') + "</t></si>"),
         small, "工作表太大，不像是桩表"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        expectSameInPieces(c.bytes, c.bounds);
        const SheetText sheet = readFirstSheet(c.bytes, c.bounds);
        if (c.says == nullptr) {
            EXPECT_FALSE(sheet.error) << *sheet.error;
            continue;
        }
        ASSERT_TRUE(sheet.error);
        EXPECT_NE(sheet.error->find(c.says), std::string::npos) << *sheet.error;
    }
    // The full cell read whole: its characters kept, the phonetic run left out.
    const SheetText full = readFirstSheet(cases[1].bytes);
    EXPECT_EQ(full.csv, "\n,\"" + repeated("桩", 32000) + std::string(767, 'x') + "\"\n");
}

} // namespace
} // namespace saxolith
