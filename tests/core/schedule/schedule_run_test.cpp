#include "core/schedule/schedule_run.h"

#include "core/book/book_file.h"
#include "core/schedule/results_file.h"
#include "core/text/fixed_width.h"

#include "support/scratch_folder.h"
#include "support/zip_member.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace saxolith
{
namespace
{

using enum ScheduleColumn;
constexpr std::string_view timeText = "2024/1/2 10:20:30";

// The start-up pile written out in full (a round pile of 1000 on frk 35, 较完整), with `cells` over it.
ScheduleRow rowOf(std::initializer_list<std::pair<ScheduleColumn, std::string>> cells, int line = 2)
{
    ScheduleRow row;
    row.line = line;
    row.cells[static_cast<std::size_t>(Section)] = "圆桩";
    row.cells[static_cast<std::size_t>(FirstDimension)] = "1000";
    row.cells[static_cast<std::size_t>(Frk)] = "35";
    row.cells[static_cast<std::size_t>(Integrity)] = "较完整";
    for (const auto &[column, text] : cells) {
        row.cells[static_cast<std::size_t>(column)] = text;
    }
    return row;
}

std::vector<ScheduleRow> rowsOf(const std::string &csv)
{
    ScheduleReading reading = readSchedule(csv);
    EXPECT_FALSE(reading.error) << scheduleErrorText(*reading.error);
    return std::move(reading.rows);
}

bool sameInput(const CalculationInput &a, const CalculationInput &b)
{
    return a.sectionItem == b.sectionItem && a.firstDimension == b.firstDimension &&
           a.secondDimension == b.secondDimension && a.route == b.route && a.qpa == b.qpa && a.frk == b.frk &&
           a.psiMode == b.psiMode && a.integrity == b.integrity && a.manualPsi == b.manualPsi &&
           a.precision == b.precision;
}

TEST(ScheduleRun, CellsAreTypedIntoTheStartUpState)
{
    struct Case {
        std::string name;
        ScheduleRow row;
        std::function<void(CalculationInput &)> expect; // changes from the start-up state
    };
    const Case cases[] = {
        {"id only", rowOf({{Id, "P"}}), [](CalculationInput &) {}},
        {"ellipse with c", rowOf({{Section, "椭圆桩"}, {SecondDimension, "700"}}),
         [](CalculationInput &i) {
             i.sectionItem = 1;
             i.secondDimension = "700";
         }},
        {"rectangle", rowOf({{Section, "矩形桩"}, {FirstDimension, "800"}, {SecondDimension, "1000"}}),
         [](CalculationInput &i) {
             i.sectionItem = 2;
             i.firstDimension = "800";
             i.secondDimension = "1000";
         }},
        {"square reads as rectangle", rowOf({{Section, "方桩"}, {SecondDimension, "900"}}),
         [](CalculationInput &i) {
             i.sectionItem = 2;
             i.secondDimension = "900";
         }},
        {"round ignores c", rowOf({{Section, "圆桩"}, {SecondDimension, "300"}, {FirstDimension, "1500"}}),
         [](CalculationInput &i) { i.firstDimension = "1500"; }},
        {"qpa route", rowOf({{Qpa, "4000"}, {Frk, ""}}),
         [](CalculationInput &i) {
             i.route = StrengthRoute::QpaGiven;
             i.qpa = "4000";
         }},
        {"frk route", rowOf({{Frk, "12.5"}, {Integrity, "0.62"}}),
         [](CalculationInput &i) {
             i.frk = "12.5";
             i.integrity = "0.62";
         }},
        {"psi by hand", rowOf({{Psi, "0.3"}, {Integrity, "完整"}}),
         [](CalculationInput &i) {
             i.psiMode = PsiMode::Manual;
             i.manualPsi = "0.3";
             i.integrity = "完整";
         }},
        {"two decimals", rowOf({{Precision, "两位小数"}}), [](CalculationInput &i) { i.precision = 0; }},
        {"one decimal", rowOf({{Precision, "一位小数"}}), [](CalculationInput &i) { i.precision = 1; }},
        {"units", rowOf({{Precision, "个位取整"}}), [](CalculationInput &i) { i.precision = 2; }},
        {"tens", rowOf({{Precision, "十位取整"}}), [](CalculationInput &i) { i.precision = 3; }},
        {"hundreds", rowOf({{Precision, "百位取整"}}), [](CalculationInput &i) { i.precision = 4; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const RowInput typed = rowInput(c.row);
        CalculationInput expected = defaultCalculationInput();
        c.expect(expected);
        EXPECT_TRUE(typed.refusal.empty()) << typed.refusal;
        EXPECT_TRUE(sameInput(typed.input, expected));
        EXPECT_EQ(typed.pileName, c.row.cell(Id));
    }
}

TEST(ScheduleRun, RefusedRowsAreReportedAndNotRecorded)
{
    struct Case {
        std::string name;
        ScheduleRow row;
        std::string note;
    };
    const Case cases[] = {
        {"both strengths", rowOf({{Qpa, "4000"}, {Frk, "35"}}), "qpa 与 frk 同时给出，只能给出其中一个"},
        {"unknown section", rowOf({{Section, "方形"}}), "截面类型“方形”应为 圆桩、椭圆桩、矩形桩 或 方桩"},
        {"unknown precision", rowOf({{Precision, "三位小数"}}),
         "精度“三位小数”应为 两位小数、一位小数、个位取整、十位取整 或 百位取整"},
        {"id with a line break", rowOf({{Id, "a\nb"}}), "桩号含换行或控制字符"},
        {"frk not a number", rowOf({{Frk, "abc"}}), "岩石单轴抗压强度值有错"},
        {"integrity neither class nor number", rowOf({{Integrity, "很完整"}}),
         "'很完整' is not a valid floating point value"},
        {"broken rock", rowOf({{Integrity, "0.2"}}), "破碎、极破碎岩体不适用嵌岩桩"},
        {"psi above one", rowOf({{Psi, "1.5"}}), "折减系数有错"},
        {"negative diameter", rowOf({{FirstDimension, "-5"}}), "桩身直径数据有错"},
        {"rectangle side", rowOf({{Section, "矩形桩"}, {SecondDimension, "0"}}), "矩形短边尺寸数据有错"},
        {"qpa zero", rowOf({{Qpa, "0"}, {Frk, ""}}), "桩端岩石承载力特征值有错"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CalculationBook book;
        const ScheduleRow good = rowOf({{Id, "ok"}}, 2);
        ScheduleRow bad = c.row;
        bad.line = 7;
        const ScheduleResult result = calculateSchedule({good, bad}, book, timeText);
        EXPECT_EQ(result.completed, 1);
        EXPECT_EQ(result.refused, 1);
        EXPECT_EQ(book.entryCount(), 1);
        const RowResult &row = result.rows.at(1);
        EXPECT_EQ(row.end, RowEnd::Refused);
        EXPECT_EQ(row.note, c.note);
        EXPECT_EQ(row.line, 7);
        EXPECT_EQ(row.psiText + row.qpaText + row.raText, "");
        EXPECT_EQ(refusedRowText(row), "第 7 行：" + c.note);
        EXPECT_EQ(row.pileName, bad.cell(Id));
    }
}

TEST(ScheduleRun, HintsCompleteTheRowWithTheStatusLine)
{
    struct Case {
        ScheduleRow row;
        RowEnd end;
        std::string note;
    };
    const Case cases[] = {
        {rowOf({}), RowEnd::Completed, "较硬岩,岩体较完整"},
        {rowOf({{Qpa, "4000"}, {Frk, ""}}), RowEnd::Completed, ""},
        {rowOf({{Frk, "20"}}), RowEnd::CompletedWithHint, "提示 ： 不适用于软质岩"},
        {rowOf({{Integrity, "较破碎"}}), RowEnd::CompletedWithHint, "提示 ： 不适用于较破碎岩体"},
        {rowOf({{Psi, "0.6"}}), RowEnd::CompletedWithHint, "提示：请注意折减系数的合理性"},
        {rowOf({{Psi, "0.3"}}), RowEnd::Completed, "较硬岩"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.note);
        CalculationBook book;
        const ScheduleResult result = calculateSchedule({c.row}, book, timeText);
        EXPECT_EQ(result.rows.front().end, c.end);
        EXPECT_EQ(result.rows.front().note, c.note);
        EXPECT_EQ(book.entryCount(), 1);
    }
}

TEST(ScheduleRun, ResultTextsFollowThePrecision)
{
    const std::vector<ScheduleRow> rows = rowsOf("section,d,frk,precision,integrity\n圆桩,1000,35,两位小数,0.62\n"
                                                 "圆桩,1000,35,一位小数,0.62\n圆桩,1000,35,个位取整,0.62\n"
                                                 "圆桩,1000,35,十位取整,0.62\n圆桩,1000,35,百位取整,0.62\n");
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(rows, book, timeText);
    const std::string qpa[] = {"10675.00", "10675.0", "10675", "10670", "10600"};
    const std::string ra[] = {"8384.13", "8384.1", "8384", "8380", "8300"};
    ASSERT_EQ(result.rows.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(result.rows[i].psiText, "0.3050");
        EXPECT_EQ(result.rows[i].qpaText, qpa[i]);
        EXPECT_EQ(result.rows[i].raText, ra[i]);
        EXPECT_NE(book.tableLines()[5 + i].find(qpa[i]), std::string::npos) << book.tableLines()[5 + i];
    }
}

// The start-up pile from a schedule gives the worked example's book, line for line.
TEST(ScheduleRun, TheStartUpPileGivesTheWorkedExample)
{
    for (const std::string name : {"book_default_text.txt", "book_default_table.txt"}) {
        std::ifstream in(std::string(SAXOLITH_TEST_DATA) + "/" + name);
        std::vector<std::string> expected;
        for (std::string line; std::getline(in, line);) {
            expected.push_back(line);
        }
        expected.back() = "计算时间：" + std::string(timeText);

        CalculationBook book;
        calculateSchedule(rowsOf("section,d,frk,integrity\n圆桩,1000,35,较完整\n"), book, timeText);
        EXPECT_EQ(name == "book_default_text.txt" ? book.textLines() : book.tableLines(), expected);
    }
}

TEST(ScheduleRun, IdsStandWhereTheNumberStandsAndTheCountContinues)
{
    CalculationBook book;
    book.record(*calculate(defaultCalculationInput()).record, timeText);
    const std::string longId = "东区-A-0001-长桩号";
    const std::vector<ScheduleRow> rows = rowsOf("id,section,d,integrity,frk\nA-1,圆桩,1000,较完整,35\n,圆桩,1000,较完整,36\n"
                                                 "X,圆桩,1000,较完整,abc\n" +
                                                 longId + ",圆桩,1000,较完整,37\n,圆桩,1000,较完整,38\n");
    const ScheduleResult result = calculateSchedule(rows, book, timeText);

    EXPECT_EQ(book.entryCount(), 5);
    const std::vector<std::string> names = {"A-1", "ZH3", "X", longId, "ZH5"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(result.rows[i].pileName, names[i]);
    }
    const auto &text = book.textLines();
    for (const std::string name : {"ZH1", "A-1", "ZH3", longId.c_str(), "ZH5"}) {
        EXPECT_NE(std::find(text.begin(), text.end(), "1.基桩编号: " + name), text.end()) << name;
    }
    // A long id shifts the rest of the line and is never cut.
    const PileRecord record = *calculate(rowInput(rows[3]).input).record;
    const std::string numbered = bookTableRow(record, 4);
    EXPECT_EQ(book.tableLines()[5 + 3], spaces(3) + longId + numbered.substr(9));
    const std::vector<std::string> entry = bookTextEntry(record, longId);
    const std::vector<std::string> numberedEntry = bookTextEntry(record, 4);
    ASSERT_EQ(entry.size(), numberedEntry.size());
    for (std::size_t i = 0; i < entry.size(); ++i) {
        if (entry[i] != numberedEntry[i]) {
            EXPECT_NE(entry[i].find(longId), std::string::npos) << entry[i];
        }
    }
}

TEST(ScheduleRun, ResultsTableAsCsv)
{
    const std::vector<ScheduleRow> rows =
        rowsOf("id,section,d,c,qpa,frk,integrity,psi,precision\nA,圆桩,1000,,,35,较完整,,\n"
               "\"B,1\",矩形桩,1000,800,4000,,,,\nC,圆桩,1000,,,abc,较完整,,\n,圆桩,1000,,,20,较完整,,两位小数\n");
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(rows, book, timeText);
    std::ostringstream out;
    writeResultsCsv(out, rows, result);
    EXPECT_EQ(out.str(), "\xEF\xBB\xBF"
                         "桩号,section,d,c,qpa,frk,integrity,psi,precision,ψr,qpa(kPa),Ra(kN),结果,说明,"
                         "fc(MPa),ψc,Rp(kN),桩身强度\r\n"
                         "A,圆桩,1000,,,35,较完整,,,0.2000,7000,5498,完成,\"较硬岩,岩体较完整\",14.3,0.7,7861.84,满足\r\n"
                         "\"B,1\",矩形桩,1000,800,4000,,,,,-,4000,3200,完成,,14.3,0.7,8008.00,满足\r\n"
                         "C,圆桩,1000,,,abc,较完整,,,,,,错误,岩石单轴抗压强度值有错,,,,\r\n"
                         "ZH3,圆桩,1000,,,20,较完整,,两位小数,0.2000,4000.00,3141.59,提示,提示 ： 不适用于软质岩,"
                         "14.3,0.7,7861.84,满足\r\n");
}

TEST(ScheduleRun, ResultsNameTheRowsWhoseShaftGoverns)
{
    // Hard rock under a 1,200 mm pile: Ra 33,929 kN, three times what a C30 shaft carries.
    const std::vector<ScheduleRow> rows = rowsOf("id,section,d,qpa\nH,圆桩,1200,30000\nS,圆桩,1000,3000\n");
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(rows, book, timeText);
    const struct {
        const char *grade;
        double psiC;
        const char *hard; // the cells of H from fc on, and its note
        const char *note;
    } cases[] = {
        {"C30", 0.7, "14.3,0.7,11321.04,不满足", "桩身强度控制，Ra 取 Rp/γ = 8385.96 kN"},
        {"C60", 0.8, "27.5,0.8,24881.41,不满足", "桩身强度控制，Ra 取 Rp/γ = 18430.68 kN"},
    };
    for (const auto &c : cases) {
        ReportSettings settings;
        settings.concreteGrade = c.grade;
        settings.psiC = c.psiC;
        const ResultsCells hard = resultsCells(rows[0], result.rows[0], settings);
        std::string tail;
        for (std::size_t i = hard.size() - 4; i < hard.size(); ++i) {
            tail += (tail.empty() ? "" : ",") + hard[i];
        }
        EXPECT_EQ(tail, c.hard) << c.grade;
        EXPECT_NE(hard[hard.size() - 5].find(c.note), std::string::npos) << hard[hard.size() - 5];
        const ResultsCells soft = resultsCells(rows[1], result.rows[1], settings);
        EXPECT_EQ(soft.back(), "满足") << c.grade;
        EXPECT_EQ(soft[soft.size() - 5].find("桩身强度控制"), std::string::npos);
    }
    // The workbook holds fc, ψc and Rp as numbers.
    const test::ScratchFolder folder("schedule_shaft");
    const std::string path = folder.file("results.xlsx");
    ASSERT_FALSE(writeResultsXlsx(path, rows, result));
    const std::string sheet = test::zipMember(filePath(path), "xl/worksheets/sheet1.xml");
    for (const char *cell : {"<v>14.3</v>", "<v>0.7</v>", "<v>11321.04</v>", "<t>不满足</t>", "<t>Rp_kN</t>"}) {
        EXPECT_NE(sheet.find(cell), std::string::npos) << cell;
    }
}

TEST(ScheduleRun, ResultsTableAsSpreadsheet)
{
    const std::vector<ScheduleRow> rows = rowsOf("id,section,d,integrity,qpa,frk\nA,圆桩,1000,较完整,,35\nB,圆桩,1000,,4000,\n"
                                                 "C,圆桩,1000,较完整,,abc\n");
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(rows, book, timeText);
    const test::ScratchFolder scratch("schedule_xlsx");
    const std::string folder = scratch.name();
    const std::string path = scratch.file("计算结果.xlsx");
    ASSERT_FALSE(writeResultsXlsx(path, rows, result));

    const std::string sheet = test::zipMember(filePath(path), "xl/worksheets/sheet1.xml");
    const std::string styles = test::zipMember(filePath(path), "xl/styles.xml");
    // The header in the schedule's language (English here); inputs, ψr, qpa and Ra that are numbers
    // stand as numbers shown with their decimals; texts stay texts.
    EXPECT_NE(sheet.find("<t>id</t>"), std::string::npos);
    EXPECT_NE(sheet.find("<t>note</t>"), std::string::npos);
    EXPECT_EQ(sheet.find("<t>桩号</t>"), std::string::npos);
    EXPECT_NE(sheet.find("r=\"F2\" s=\"1\"><v>35</v>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<c r=\"F4\" t=\"inlineStr\"><is><t>abc</t></is></c>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("r=\"J2\" s=\"2\"><v>0.2</v>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("r=\"K2\" s=\"1\"><v>7000</v>"), std::string::npos) << sheet;
    // The header stays in view and filters every row; the note column is as wide as its longest note.
    EXPECT_NE(
        sheet.find("<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>"),
        std::string::npos)
        << sheet;
    EXPECT_NE(sheet.find("<autoFilter ref=\"A1:R4\"/>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<col min=\"14\" max=\"14\" width=\"24.7109375\" customWidth=\"1\"/>"),
              std::string::npos)
        << sheet; // 岩石单轴抗压强度值有错: 22 columns, and a margin
    EXPECT_NE(sheet.find("<c r=\"J3\" t=\"inlineStr\"><is><t>-</t></is></c>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<t>错误</t>"), std::string::npos);
    EXPECT_EQ(sheet.find("r=\"K4\""), std::string::npos); // a refused row has no results
    EXPECT_NE(styles.find("formatCode=\"0.0000\""), std::string::npos) << styles;
    EXPECT_NE(styles.find("formatCode=\"0\""), std::string::npos) << styles;
    EXPECT_FALSE(std::filesystem::exists(filePath(path + ".saving-" + std::to_string(::getpid()))));

    // A Chinese schedule gets a Chinese header, every column in Chinese.
    const std::vector<ScheduleRow> chineseRows = rowsOf("桩号,qpa(kPa),frk(MPa)\nA,,35\n");
    CalculationBook chineseBook;
    const ScheduleResult chineseResult = calculateSchedule(chineseRows, chineseBook, timeText);
    EXPECT_TRUE(readSchedule("桩号,qpa,frk\nA,,35\n").chineseHeader);
    EXPECT_FALSE(readSchedule("id,qpa,frk\nA,,35\n").chineseHeader);
    ASSERT_FALSE(writeResultsXlsx(path, chineseRows, chineseResult, true));
    const std::string chineseSheet = test::zipMember(filePath(path), "xl/worksheets/sheet1.xml");
    for (const char *name :
         {"桩号", "截面类型", "d(mm)", "frk(MPa)", "ψr", "计算ψr", "Ra(kN)", "结果", "说明", "Rp(kN)", "桩身强度"}) {
        EXPECT_NE(chineseSheet.find("<t>" + std::string(name) + "</t>"), std::string::npos) << name;
    }
    EXPECT_EQ(chineseSheet.find("<t>section</t>"), std::string::npos);

    // A folder that does not exist: the reason, and nothing left behind.
    const auto error = writeResultsXlsx(folder + "/missing/results.xlsx", rows, result);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(folder + "/missing/results.xlsx"), std::string::npos) << *error;
}

TEST(ScheduleRun, TheTemplateNamesEveryColumnAndCalculates)
{
    const std::string text = scheduleTemplate();
    EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF"));
    const ScheduleReading reading = readSchedule(text);
    ASSERT_FALSE(reading.error);
    ASSERT_EQ(reading.rows.size(), 3u);
    for (const ScheduleColumnName &column : scheduleColumnNames) {
        EXPECT_NE(text.substr(0, text.find('\n')).find(column.chinese), std::string::npos) << column.english;
        EXPECT_TRUE(std::any_of(reading.rows.begin(), reading.rows.end(), [&](const ScheduleRow &row) {
            return !row.cell(column.column).empty();
        })) << column.english;
    }
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(reading.rows, book, timeText);
    EXPECT_EQ(result.completed, 3);
    for (const RowResult &row : result.rows) {
        EXPECT_EQ(row.end, RowEnd::Completed) << row.note;
    }
}

TEST(ScheduleRun, ProgressIsReportedUpToTheTotal)
{
    std::vector<ScheduleRow> rows(10000, rowOf({}));
    std::vector<std::size_t> seen;
    CalculationBook book;
    calculateSchedule(rows, book, timeText, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, rows.size());
        seen.push_back(done);
    });
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), rows.size());
}

} // namespace
} // namespace saxolith
