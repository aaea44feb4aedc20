// The candidate list as CSV and as a workbook, each read back as the file it is.
#include "core/optimise/list_export.h"
#include "support/zip_member.h"

#include "core/optimise/enumeration.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <regex>
#include <sstream>
#include <utility>
#include <vector>

namespace saxolith
{
namespace
{

// RFC 4180 records; every record must end in CR LF.
std::vector<std::vector<std::string>> parseCsv(const std::string &text)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record.push_back(std::move(field));
            field.clear();
        } else if (c == '\r') {
            EXPECT_EQ(text[i + 1], '\n') << "CR without LF at " << i;
            ++i;
            record.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
        } else {
            EXPECT_NE(c, '\n') << "LF without CR at " << i;
            field += c;
        }
    }
    EXPECT_TRUE(record.empty() && field.empty()) << "text after the last record end";
    return records;
}

std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

using test::zipMember;

std::size_t countOf(const std::string &text, const std::string &part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The cell at `reference` ("E2") of a sheet: its attributes and its content.
std::string cellXml(const std::string &sheet, const std::string &reference)
{
    const std::size_t at = sheet.find("<c r=\"" + reference + "\"");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t selfClosed = sheet.find("/>", at);
    const std::size_t closed = sheet.find("</c>", at);
    const std::size_t end = std::min(selfClosed, closed);
    return sheet.substr(at, end - at);
}

class ListExport : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { s_run = runEnumeration(startOptionTexts(), defaultCalculationInput()); }

    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() /
                   ("list_export_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    static const CandidateList &list() { return s_run.rows; }
    static RunResult s_run;
    std::filesystem::path m_folder;
};
RunResult ListExport::s_run;

TEST_F(ListExport, CsvReadsBackAsTheListWithItsHeader)
{
    ASSERT_EQ(list().size(), 456u);
    const std::string path = (m_folder / "list.csv").string();
    std::size_t lastDone = 0;
    ASSERT_FALSE(exportListCsv(path, list(), [&](std::size_t done, std::size_t total) {
                     EXPECT_EQ(total, 456u);
                     EXPECT_GE(done, lastDone);
                     lastDone = done;
                 }).has_value());
    EXPECT_EQ(lastDone, 456u);
    const std::string text = readFile(path);
    ASSERT_TRUE(text.starts_with("\xEF\xBB\xBF"));
    const auto records = parseCsv(text.substr(3));
    ASSERT_EQ(records.size(), 1 + list().size());
    EXPECT_EQ(records[0],
              (std::vector<std::string>{"桩编号", "截面类型", "d|a(mm)", "c|b(mm)", "Ra(kN)", "qpa|frk",
                                        "插值依据", "完整程度", "ψr", "qpa(kPa)", "强度类别", "备注"}));
    for (std::size_t row = 0; row < list().size(); ++row) {
        ASSERT_EQ(records[row + 1].size(), 12u);
        for (int column = 0; column < 12; ++column) {
            ASSERT_EQ(records[row + 1][static_cast<std::size_t>(column)], exportCell(list(), row, column))
                << "row " << row << " column " << column;
        }
    }
    // The worked first and seventh candidates: "-" cells stay empty, the section without its blanks.
    EXPECT_EQ(records[1], (std::vector<std::string>{"ZH-001", "圆桩", "1000", "", "2749", "3500", "", "", "",
                                                    "3500", "1", ""}));
    EXPECT_EQ(records[7], (std::vector<std::string>{"ZH-007", "圆桩", "1000", "", "3436", "35.00", "2",
                                                    "0.40", "0.1250", "4375", "2", ""}));
    EXPECT_EQ(records[456][1], "方桩");
}

TEST_F(ListExport, CsvCellsAreTheExportCellsOfAnyRow)
{
    // Plain and padded numbers, every section, route, basis and precision (one beyond the choices),
    // values beyond seven digits, and values that are not finite.
    CandidateList rows;
    const double odd[] = {0.0, -0.0, 1e-9, 1234.5678, 12345678.9, 1e300, -2.5,
                          std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()};
    for (std::uint32_t i = 0; i < 400; ++i) {
        CandidateRow row;
        row.section = static_cast<SectionType>(i % 4);
        row.route = i % 3 == 0 ? StrengthRoute::QpaGiven : StrengthRoute::FrkGiven;
        row.basis = i % 2 == 0 ? IntegrityBasis::Class : IntegrityBasis::Index;
        row.integrityClass = static_cast<IntegrityClass>(1 + i % 3);
        row.first = odd[i % 9] + 800;
        row.second = odd[(i / 9) % 9];
        row.strength = odd[(i / 3) % 9];
        row.index = odd[(i / 5) % 9];
        row.psi = odd[(i / 7) % 9];
        row.qpa = odd[(i / 11) % 9];
        row.ra = odd[(i / 2) % 9] * 3 + i;
        row.precision = static_cast<std::uint8_t>(i % 6);
        row.number = 7 * i + 3;
        row.numberDigits = static_cast<std::uint8_t>(i % 5 == 0 ? 0 : i % 5 == 1 ? 200 : i % 4);
        rows.append(row);
    }
    std::ostringstream out;
    writeListCsv(out, rows);
    const auto records = parseCsv(out.str().substr(3));
    ASSERT_EQ(records.size(), 1 + rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        ASSERT_EQ(records[row + 1].size(), 12u);
        for (int column = 0; column < 12; ++column) {
            ASSERT_EQ(records[row + 1][static_cast<std::size_t>(column)], exportCell(rows, row, column))
                << "row " << row << " column " << column;
        }
    }
}

// Candidate numbers at every change of digit count, plain and padded narrower, as wide as and wider
// than the number, up to the widest the list shows.
TEST_F(ListExport, CsvCandidateNumbersAreTheListsAtEveryWidth)
{
    CandidateList rows;
    for (const std::uint32_t number : {0U, 9U, 10U, 99U, 100U, 999U, 1000U, 12345U, 999999U, 1000000U,
                                       4'294'967'295U}) {
        for (const int digits : {0, 1, 2, 5, 10, 11, 64, 255}) {
            CandidateRow row = list().row(0);
            row.number = number;
            row.numberDigits = static_cast<std::uint8_t>(digits);
            rows.append(row);
        }
    }
    std::ostringstream out;
    writeListCsv(out, rows);
    const auto records = parseCsv(out.str().substr(3));
    ASSERT_EQ(records.size(), 1 + rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(records[row + 1][0], rows.cell(row, 0)) << "row " << row;
    }
}

TEST_F(ListExport, WorkbookHoldsNumbersInTheirFormatsUnderAFrozenFilteredHeader)
{
    CandidateList sorted = list();
    sorted.sortAscending(4);
    sorted.reverse();
    const std::filesystem::path path = m_folder / "list.xlsx";
    ASSERT_FALSE(exportListXlsx(path.string(), sorted, "原始结果").has_value());

    const std::string workbook = zipMember(path, "xl/workbook.xml");
    EXPECT_NE(workbook.find("name=\"原始结果\""), std::string::npos) << workbook;
    EXPECT_EQ(countOf(workbook, "<sheet "), 1u);

    const std::string sheet = zipMember(path, "xl/worksheets/sheet1.xml");
    EXPECT_EQ(countOf(sheet, "<row "), 1 + sorted.size());
    EXPECT_NE(sheet.find("<pane ySplit=\"1\""), std::string::npos) << "header not frozen";
    EXPECT_NE(sheet.find("<autoFilter ref=\"A1:L457\"/>"), std::string::npos);
    EXPECT_NE(sheet.find("<col "), std::string::npos) << "no column widths";
    // Header texts as inline strings, numbers as numbers: the largest Ra first after the descending sort.
    EXPECT_NE(cellXml(sheet, "E1").find("Ra(kN)"), std::string::npos);
    const std::string ra = cellXml(sheet, "E2");
    EXPECT_EQ(ra.find("t=\""), std::string::npos) << ra;
    EXPECT_NE(ra.find("<v>" + sorted.cell(0, 4) + "</v>"), std::string::npos) << ra;
    EXPECT_NE(cellXml(sheet, "A2").find("<t>" + sorted.cell(0, 0) + "</t>"), std::string::npos);
    EXPECT_NE(cellXml(sheet, "B2").find("t=\"inlineStr\""), std::string::npos);
    EXPECT_EQ(cellXml(sheet, "L2"), "") << "an empty cell is not written";
    // The psi cell shows four decimals: its style carries the format "0.0000".
    std::size_t psiRow = 0;
    while (sorted.cell(psiRow, 8) == "-") {
        ++psiRow;
    }
    const std::string psi = cellXml(sheet, "I" + std::to_string(psiRow + 2));
    const std::smatch style = [&] {
        std::smatch match;
        std::regex_search(psi, match, std::regex("s=\"(\\d+)\""));
        return match;
    }();
    ASSERT_FALSE(style.empty()) << psi;
    const std::string styles = zipMember(path, "xl/styles.xml");
    const std::size_t xfs = styles.find("<cellXfs");
    std::size_t xf = styles.find("<xf ", xfs);
    for (int i = 0; i < std::stoi(style[1]); ++i) {
        xf = styles.find("<xf ", xf + 1);
    }
    std::smatch format;
    const std::string xfText = styles.substr(xf, styles.find('>', xf) - xf);
    ASSERT_TRUE(std::regex_search(xfText, format, std::regex("numFmtId=\"(\\d+)\""))) << xfText;
    EXPECT_NE(styles.find("<numFmt numFmtId=\"" + std::string(format[1]) + "\" formatCode=\"0.0000\"/>"),
              std::string::npos)
        << styles;
}

// Rp = ψc·fc·Ap of each section, at the precision of the row's Ra (tens and hundreds cut).
TEST_F(ListExport, TheShaftColumnHoldsRpOfEverySectionInBothFormats)
{
    struct Case {
        SectionType section;
        double first;
        double second;
        std::uint8_t precision;
        std::string_view grade;
        double psiC;
        std::string rp;
    };
    const Case cases[] = {
        {SectionType::Round, 1000, 350, 0, "C30", 0.7, "7861.84"}, // a round pile's c is never read
        {SectionType::Elliptical, 800, 400, 3, "C40", 0.8, "12570"},
        {SectionType::Rectangular, 1200, 800, 1, "C25", 0.6, "6854.4"},
        {SectionType::Square, 1000, 1000, 4, "C60", 0.75, "20600"},
    };
    for (const Case &c : cases) {
        CandidateList rows;
        CandidateRow row;
        row.section = c.section;
        row.first = c.first;
        row.second = c.second;
        row.precision = c.precision;
        row.ra = 5000;
        row.number = 1;
        rows.append(row);
        const ShaftColumn shaft{concreteGradeByName(c.grade)->fc, c.psiC};
        EXPECT_EQ(shaftCell(row, shaft), c.rp) << c.grade;

        std::ostringstream out;
        writeListCsv(out, rows, {}, shaft);
        const auto records = parseCsv(out.str().substr(3));
        ASSERT_EQ(records.size(), 2u);
        ASSERT_EQ(records[0].size(), 13u);
        EXPECT_EQ(records[0][12], "Rp(kN)");
        EXPECT_EQ(records[1][12], c.rp) << c.grade;
        for (int column = 0; column < 12; ++column) {
            EXPECT_EQ(records[1][static_cast<std::size_t>(column)], exportCell(rows, 0, column));
        }

        const std::filesystem::path path = m_folder / "shaft.xlsx";
        ASSERT_FALSE(exportListXlsx(path.string(), rows, "x", {}, xlsxRowsPerSheet, shaft).has_value());
        const std::string sheet = zipMember(path, "xl/worksheets/sheet1.xml");
        EXPECT_NE(cellXml(sheet, "M1").find("Rp(kN)"), std::string::npos);
        EXPECT_NE(cellXml(sheet, "M2").find("<v>" + c.rp + "</v>"), std::string::npos) << cellXml(sheet, "M2");
        EXPECT_NE(sheet.find("<autoFilter ref=\"A1:M2\"/>"), std::string::npos);
    }
    // A long list's Rp, kept by section and sides, is each row's own.
    std::ostringstream out;
    const ShaftColumn c30{14.3, 0.7};
    writeListCsv(out, list(), {}, c30);
    const auto records = parseCsv(out.str().substr(3));
    ASSERT_EQ(records.size(), 1 + list().size());
    for (std::size_t row = 0; row < list().size(); ++row) {
        ASSERT_EQ(records[row + 1].size(), 13u);
        ASSERT_EQ(records[row + 1][12], shaftCell(list().row(row), c30)) << "row " << row;
    }
}

TEST_F(ListExport, RowsBeyondTheSheetLimitContinueOnASecondSheet)
{
    const std::filesystem::path path = m_folder / "long.xlsx";
    // Progress counts rows, then says "busy" (total 0) while the workbook is packed, then ends full.
    std::vector<std::pair<std::size_t, std::size_t>> calls;
    const auto progress = [&](std::size_t done, std::size_t total) { calls.emplace_back(done, total); };
    ASSERT_FALSE(exportListXlsx(path.string(), list(), "筛选结果", progress, 400).has_value());
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], std::make_pair(std::size_t{0}, std::size_t{0}));
    EXPECT_EQ(calls.back(), std::make_pair(list().size(), list().size()));
    const std::string workbook = zipMember(path, "xl/workbook.xml");
    EXPECT_NE(workbook.find("name=\"筛选结果 (2)\""), std::string::npos) << workbook;
    const std::string first = zipMember(path, "xl/worksheets/sheet1.xml");
    const std::string second = zipMember(path, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(countOf(first, "<row "), 401u);
    EXPECT_EQ(countOf(second, "<row "), 57u);
    EXPECT_NE(cellXml(second, "A1").find("桩编号"), std::string::npos);
    EXPECT_NE(cellXml(second, "A2").find(list().cell(400, 0)), std::string::npos);
    EXPECT_NE(second.find("<autoFilter ref=\"A1:L57\"/>"), std::string::npos);
}

TEST_F(ListExport, AFailedExportNamesTheFileAndLeavesNothingBehind)
{
    for (const std::string name : {"list.csv", "list.xlsx"}) {
        const std::string path = (m_folder / "missing" / name).string();
        const auto error =
            name.ends_with(".csv") ? exportListCsv(path, list()) : exportListXlsx(path, list(), "x");
        ASSERT_TRUE(error.has_value()) << name;
        EXPECT_NE(error->find(path), std::string::npos) << *error;
    }
    // A target that is a folder cannot be replaced: the temporary file goes again.
    std::filesystem::create_directory(m_folder / "taken.xlsx");
    EXPECT_TRUE(exportListXlsx((m_folder / "taken.xlsx").string(), list(), "x").has_value());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder), {}), 1);
}

TEST_F(ListExport, TheCandidateNumberIsTheListsNumberOrText)
{
    // Plain numbers are numbers; "ZH-" numbers are texts padded to their digits, as the list shows them.
    for (const int digits : {0, 3, 12}) {
        CandidateList numbered;
        for (std::size_t row = 0; row < 2; ++row) {
            CandidateRow candidate = list().row(row);
            candidate.number = static_cast<std::uint32_t>(row == 0 ? 7 : 4'000'000'000U);
            candidate.numberDigits = static_cast<std::uint8_t>(digits);
            numbered.append(candidate);
        }
        const std::filesystem::path path = m_folder / "numbers.xlsx";
        ASSERT_FALSE(exportListXlsx(path.string(), numbered, "x").has_value());
        const std::string sheet = zipMember(path, "xl/worksheets/sheet1.xml");
        for (std::size_t row = 0; row < 2; ++row) {
            const std::string cell = cellXml(sheet, "A" + std::to_string(row + 2));
            if (digits == 0) {
                EXPECT_EQ(cell.find("t=\""), std::string::npos) << cell;
                EXPECT_NE(cell.find("<v>" + numbered.cell(row, 0) + "</v>"), std::string::npos) << cell;
            } else {
                EXPECT_NE(cell.find("<t>" + numbered.cell(row, 0) + "</t>"), std::string::npos) << cell;
            }
        }
    }
}

TEST_F(ListExport, TheLibrarysTemporaryFilesGoWhereThereIsRoom)
{
    const auto folder = xlsxScratchFolder((m_folder / "list.xlsx").string(), 1000);
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(*folder, std::filesystem::temp_directory_path());
    // Without a usable temporary folder they go beside the file.
#ifdef _WIN32
    const char *const variable = "TMP"; // then TEMP, as the system reads them
    const auto setVariable = [variable](const std::string &value) { ::_putenv_s(variable, value.c_str()); };
    const auto unsetVariable = [variable] { ::_putenv_s(variable, ""); };
#else
    const char *const variable = "TMPDIR";
    const auto setVariable = [variable](const std::string &value) { ::setenv(variable, value.c_str(), 1); };
    const auto unsetVariable = [variable] { ::unsetenv(variable); };
#endif
    const char *const temporaryFolder = std::getenv(variable);
    const std::string kept = temporaryFolder != nullptr ? temporaryFolder : "";
    setVariable((m_folder / "missing").string());
    const auto beside = xlsxScratchFolder((m_folder / "list.xlsx").string(), 1000);
    temporaryFolder != nullptr ? setVariable(kept) : unsetVariable();
    EXPECT_EQ(beside, m_folder);
    // Rows beyond any disk, or beyond counting, find no room: the export is refused up front.
    for (const std::size_t rows : {std::size_t{1} << 50, std::numeric_limits<std::size_t>::max()}) {
        EXPECT_FALSE(xlsxScratchFolder((m_folder / "list.xlsx").string(), rows).has_value()) << rows;
    }
}

TEST_F(ListExport, AnEmptyListGivesTheHeaderAlone)
{
    std::ostringstream out;
    writeListCsv(out, CandidateList{});
    EXPECT_EQ(parseCsv(out.str().substr(3)).size(), 1u);
    const std::filesystem::path path = m_folder / "empty.xlsx";
    ASSERT_FALSE(exportListXlsx(path.string(), CandidateList{}, "x").has_value());
    EXPECT_EQ(countOf(zipMember(path, "xl/worksheets/sheet1.xml"), "<row "), 1u);
}

} // namespace
} // namespace saxolith
