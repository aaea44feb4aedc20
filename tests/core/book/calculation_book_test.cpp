#include "core/book/calculation_book.h"
#include "support/pile_record.h"
#include "core/text/fixed_width.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

namespace saxolith
{
namespace
{

using test::recordOf;

constexpr std::string_view firstTime = "2024/1/2 10:20:30";

std::vector<std::string> readLines(const std::string &name)
{
    std::ifstream in(std::string(SAXOLITH_TEST_DATA) + "/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Compares line by line and names every line that differs, so a layout fault shows where it is.
::testing::AssertionResult sameLines(const std::vector<std::string> &actual,
                                     const std::vector<std::string> &expected)
{
    std::ostringstream diff;
    const std::size_t count = std::max(actual.size(), expected.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::string a = i < actual.size() ? actual[i] : "<none>";
        const std::string e = i < expected.size() ? expected[i] : "<none>";
        if (a != e) {
            diff << "line " << i + 1 << "\n  expected [" << e << "]\n  actual   [" << a << "]\n";
        }
    }
    if (diff.str().empty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << actual.size() << " lines, " << expected.size() << " expected\n"
                                         << diff.str();
}

PileRecord defaultRecord()
{
    return recordOf(defaultCalculationInput());
}

std::size_t countOf(const std::vector<std::string> &lines, std::string_view line)
{
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST(CalculationBook, DefaultCalculationLaysOutBothBooksExactly)
{
    CalculationBook book;
    EXPECT_EQ(book.record(defaultRecord(), firstTime), 1);
    EXPECT_TRUE(sameLines(book.textLines(), readLines("book_default_text.txt")));
    EXPECT_TRUE(sameLines(book.tableLines(), readLines("book_default_table.txt")));
    for (const std::string &line : book.tableLines()) {
        EXPECT_LE(displayWidth(line), 110) << line;
    }
}

TEST(CalculationBook, SecondRecordingRewritesTheFooterAndTheTimeLine)
{
    CalculationBook book;
    book.record(defaultRecord(), firstTime);
    const std::vector<std::string> first = book.textLines();
    EXPECT_EQ(book.record(defaultRecord(), "2024/1/2 10:21:00"), 2);

    const auto &table = book.tableLines();
    ASSERT_EQ(table.size(), 11u);
    EXPECT_EQ(table[5].substr(0, 11), "   ZH1     ");
    EXPECT_EQ(table[6].substr(0, 11), "   ZH2     ");
    EXPECT_EQ(table[6].substr(11), table[5].substr(11));
    EXPECT_EQ(table.back(), "计算时间：2024/1/2 10:21:00");
    EXPECT_EQ(countOf(table, " 注: 采用《建筑地基基础设计规范》(GB 50007-2011)公式计算"), 1u);

    const auto &text = book.textLines();
    ASSERT_EQ(text.size(), 81u);
    EXPECT_TRUE(std::equal(first.begin(), first.end() - 1, text.begin()));
    EXPECT_EQ(text[41], "1.基桩编号: ZH2");
    EXPECT_EQ(text[40 + 32], "        ZH2      圆  桩     1000        -    ");
    EXPECT_EQ(text.back(), "计算时间：2024/1/2 10:21:00");
    EXPECT_EQ(countOf(text, book::entryClosingRule), 2u);
    EXPECT_EQ(std::count_if(text.begin(), text.end(),
                            [](const std::string &l) { return l.starts_with(book::timeLinePrefix); }),
              1);
}

struct VariantCase {
    const char *name;
    CalculationInput input;
    std::string tableRow;
    std::size_t entryLines;
    std::vector<std::string> entryExcerpt; // lines that must appear in this order
    std::string summaryFirstRow;
    std::string summarySecondRow;
};

CalculationInput inputWith(int item, std::string first, std::string second, StrengthRoute route,
                           std::string qpa, std::string frk, PsiMode mode, std::string integrity,
                           std::string psi, int precision)
{
    CalculationInput in = defaultCalculationInput();
    in.sectionItem = item;
    in.firstDimension = std::move(first);
    in.secondDimension = std::move(second);
    in.route = route;
    in.qpa = std::move(qpa);
    in.frk = std::move(frk);
    in.psiMode = mode;
    in.integrity = std::move(integrity);
    in.manualPsi = std::move(psi);
    in.precision = precision;
    return in;
}

std::vector<VariantCase> variantCases()
{
    using enum StrengthRoute;
    using enum PsiMode;
    return {
        {"elliptical, frk with an integrity index, two decimals",
         inputWith(1, "1000", "500", FrkGiven, "", "35", Automatic, "0.60", "", 0),
         "   ZH1      椭圆桩     1000       500        -         -       1.29      35.00    0.2750    "
         "9625.00  12371.96 ",
         42,
         {"      桩身截面类型:                    椭圆桩", "      桩身直径d:                         1000 mm",
          "      椭圆直段长度c:                      500 mm",
          "      岩石单轴抗压强度标准值frk:           35 MPa",
          "      换算成承载力特征值的折减系数:  自动插值", "      根据经验系数自动插值依据:岩体完整性指数",
          "      岩体完整性指数:                    0.60", "  4.1 桩身截面类型:                    椭圆桩",
          "      桩身直径d:                         1000 mm",
          "      椭圆直段长度c:                      500 mm",
          "      桩身截面面积Ap:                    1.29 m^2",
          "      桩身截面周长μ:                    4.14 m", "      岩体完整程度:                    较完整",
          "      折减系数ψr:                     0.2750", "      桩端岩石承载力特征值qpa:        9625.00 kPa",
          "  4.3 单桩竖向承载力特征值Ra:        12371.96 kN",
          "      基    桩  桩身截面  桩身直径  椭圆直段 "},
         "        ZH1      椭圆桩     1000       500   ",
         "        35.00    0.2750    9625.00  12371.96 "},
        // The sides were typed the wrong way round: the book shows them as exchanged.
        {"rectangle, qpa given, one decimal",
         inputWith(2, "600", "800", QpaGiven, "3000", "", Automatic, "完整", "", 1),
         "   ZH1      矩形桩       -         -        800       600      0.48        -         -       "
         "3000.0    1440.0 ",
         35,
         {"      桩身截面类型:                    矩形桩", "      矩形长边尺寸a:                      800 mm",
          "      矩形短边尺寸b:                      600 mm",
          "      桩端岩石承载力特征值qpa:           3000 kPa", "3.采用规范及公式",
          "  4.1 桩身截面类型:                    矩形桩",
          "  4.2 桩端岩石承载力特征值qpa:        3000.00 kPa",
          "  4.3 单桩竖向承载力特征值Ra:         1440.00 kN",
          "      基    桩  桩身截面  矩形长边  矩形短边 "},
         "        ZH1      矩形桩      800       600   ",
         "          -         -      3000.0    1440.0  "},
        {"square, ψr by hand, tens",
         inputWith(2, "700", "700", FrkGiven, "", "12.5", Manual, "较完整", "0.3", 3),
         "   ZH1      方  桩       -         -        700       700      0.49      12.50    0.3000      3750 "
         "     1830  ",
         41,
         {"      桩身截面类型:                    矩形桩",
          "      岩石单轴抗压强度标准值frk:         12.5 MPa",
          "      换算成承载力特征值的折减系数:  人工指定", "      人工指定的折减系数ψr:              0.3",
          "  4.1 桩身截面类型:                      方桩",
          "  4.2 岩石单轴抗压强度标准值frk:        12.50 MPa",
          "      岩石坚硬程度:                      软岩", "      岩体完整程度:                          ",
          "      折减系数ψr:                     0.3000", "  4.3 单桩竖向承载力特征值Ra:         1837.50 kN"},
         "        ZH1      方  桩      700       700   ",
         "        12.50    0.3000     3750      1830   "},
        // A typed 1000.50 stays as typed, and the wider text pushes the row on.
        {"round, typed 1000.50, hundreds",
         inputWith(0, "1000.50", "", QpaGiven, "4321", "", Automatic, "完整", "", 4),
         "   ZH1      圆  桩   1000.50        -         -         -       0.79        -         -        "
         "4300      3300  ",
         33,
         {"      桩身直径d:                      1000.50 mm",
          "      桩身截面面积Ap:                    0.79 m^2",
          "  4.3 单桩竖向承载力特征值Ra:         3397.10 kN"},
         "        ZH1      圆  桩    1000.50      -    ",
         "          -         -       4300      3300   "},
        {"round, intact class",
         inputWith(0, "1200", "", FrkGiven, "", "80", Automatic, "完整", "", 2),
         "   ZH1      圆  桩     1200        -         -         -       1.13      80.00    0.5000     40000 "
         "    45239  ",
         40,
         {"      根据经验系数自动插值依据:  岩体完整程度", "      岩体完整程度:                      完整",
          "      岩石坚硬程度:                    坚硬岩"},
         "        ZH1      圆  桩     1200        -    ",
         "        80.00    0.5000     40000     45239  "},
    };
}

TEST(CalculationBook, EverySectionRouteAndPsiModeLaysOutItsLines)
{
    for (const VariantCase &c : variantCases()) {
        SCOPED_TRACE(c.name);
        const PileRecord record = recordOf(c.input);
        EXPECT_EQ(bookTableRow(record, 1), c.tableRow);
        const std::vector<std::string> entry = bookTextEntry(record, 1);
        EXPECT_EQ(entry.size(), c.entryLines);
        auto from = entry.begin();
        for (const std::string &line : c.entryExcerpt) {
            const auto found = std::find(from, entry.end(), line);
            EXPECT_NE(found, entry.end()) << "missing or out of order: [" << line << "]";
            if (found != entry.end()) {
                from = found + 1;
            }
        }
        ASSERT_GE(entry.size(), 12u);
        EXPECT_EQ(entry[entry.size() - 8], c.summaryFirstRow);
        EXPECT_EQ(entry[entry.size() - 3], c.summarySecondRow);
        EXPECT_EQ(entry.front(), "================== 嵌岩桩计算书 ==================");
        EXPECT_EQ(entry.back(), book::entryClosingRule);
    }
}

TEST(CalculationBook, PrecisionChoiceShapesTheQpaAndRaColumnsOnly)
{
    struct Case {
        int choice;
        std::string_view rowTail;
        std::string_view summaryTail;
    };
    const Case cases[] = {
        {0, " 7000.00   5497.79 ", "7000.00   5497.79 "},  {1, "  7000.0    5497.8 ", " 7000.0    5497.8  "},
        {2, "   7000      5498  ", "  7000      5498   "}, {3, "   7000      5490  ", "  7000      5490   "},
        {4, "   7000      5400  ", "  7000      5400   "},
    };
    for (const Case &c : cases) {
        CalculationInput input = defaultCalculationInput();
        input.precision = c.choice;
        const PileRecord record = recordOf(input);
        const std::string row = bookTableRow(record, 1);
        EXPECT_TRUE(row.ends_with(c.rowTail)) << c.choice << " [" << row << "]";
        const std::vector<std::string> entry = bookTextEntry(record, 1);
        EXPECT_TRUE(entry[entry.size() - 3].ends_with(c.summaryTail))
            << c.choice << " [" << entry[entry.size() - 3] << "]";
        // The report's own lines always carry two decimals.
        EXPECT_EQ(countOf(entry, "  4.3 单桩竖向承载力特征值Ra:         5497.79 kN"), 1u);
    }
}

// 0.275 × 40 MPa is 10999.999999999996 kPa in binary: tens and hundreds cut the number it stands for,
// in the result fields and in both book forms alike.
TEST(CalculationBook, TensAndHundredsCutTheNumberAProductStandsFor)
{
    for (const int choice : {2, 3, 4}) {
        CalculationInput input = defaultCalculationInput();
        input.sectionItem = 2;
        input.firstDimension = "1000";
        input.secondDimension = "1000";
        input.frk = "40";
        input.integrity = "0.60";
        input.precision = choice;
        const CalculationOutcome out = calculate(input);
        ASSERT_TRUE(out.record) << choice;
        EXPECT_EQ(out.psiText, "0.2750");
        EXPECT_EQ(out.qpaText, "11000") << choice;
        EXPECT_EQ(out.raText, "11000") << choice;
        const std::string row = bookTableRow(*out.record, 1);
        EXPECT_TRUE(row.ends_with("  11000     11000  ")) << choice << " [" << row << "]";
        const std::vector<std::string> entry = bookTextEntry(*out.record, 1);
        EXPECT_TRUE(entry[entry.size() - 3].ends_with("     11000     11000  "))
            << choice << " [" << entry[entry.size() - 3] << "]";
    }
}

TEST(CalculationBook, DeletingFromThreeEntriesRemovesTheLastOnly)
{
    CalculationBook book;
    book.record(defaultRecord(), "t1");
    CalculationInput elliptical = defaultCalculationInput();
    elliptical.sectionItem = 1;
    elliptical.secondDimension = "500";
    book.record(recordOf(elliptical), "t2");
    const std::vector<std::string> textOfTwo = book.textLines();
    const std::vector<std::string> tableOfTwo = book.tableLines();
    CalculationInput square = defaultCalculationInput();
    square.sectionItem = 2;
    square.secondDimension = "1000";
    book.record(recordOf(square), "t3");

    book.deleteLast();
    EXPECT_EQ(book.entryCount(), 2);
    // Everything but the time lines is as it was with two entries; they keep the deleted entry's time.
    std::vector<std::string> expectedText = textOfTwo;
    expectedText.back() = "计算时间：t3";
    std::vector<std::string> expectedTable = tableOfTwo;
    expectedTable.back() = "计算时间：t3";
    EXPECT_TRUE(sameLines(book.textLines(), expectedText));
    EXPECT_TRUE(sameLines(book.tableLines(), expectedTable));

    EXPECT_EQ(book.record(defaultRecord(), "t4"), 3);
    EXPECT_EQ(book.tableLines()[7].substr(0, 11), "   ZH3     ");
    EXPECT_EQ(book.textLines()[textOfTwo.size()], "1.基桩编号: ZH3");
}

TEST(CalculationBook, DeletingTheOnlyEntryEmptiesBothBooksAndStartsAfresh)
{
    CalculationBook book;
    book.record(defaultRecord(), "t1");
    const std::vector<std::string> firstText = book.textLines();
    const std::vector<std::string> firstTable = book.tableLines();
    book.deleteLast();
    EXPECT_TRUE(book.empty());
    EXPECT_TRUE(book.textLines().empty());
    EXPECT_TRUE(book.tableLines().empty());

    book.deleteLast(); // nothing left to delete: stays empty
    EXPECT_EQ(book.entryCount(), 0);

    EXPECT_EQ(book.record(defaultRecord(), "t1"), 1);
    EXPECT_EQ(book.textLines(), firstText);
    EXPECT_EQ(book.tableLines(), firstTable);
}

TEST(CalculationBook, KeepsWhichFormsAreUnsaved)
{
    constexpr int both = static_cast<int>(BookForm::Text) | static_cast<int>(BookForm::Table);
    CalculationBook book;
    EXPECT_EQ(book.unsavedForms(), 0);
    book.record(defaultRecord(), "t1");
    book.record(defaultRecord(), "t2");
    EXPECT_EQ(book.unsavedForms(), both);

    book.markSaved(BookForm::Text);
    EXPECT_FALSE(book.unsaved(BookForm::Text));
    EXPECT_TRUE(book.unsaved(BookForm::Table));
    // Deleting one of several entries changes both forms, saved or not; so does recording.
    book.deleteLast();
    EXPECT_EQ(book.unsavedForms(), both);
    book.markSaved(BookForm::Text);
    book.markSaved(BookForm::Table);
    book.record(defaultRecord(), "t3");
    EXPECT_EQ(book.unsavedForms(), both);

    // An emptied book has nothing to save.
    book.deleteLast();
    book.deleteLast();
    EXPECT_EQ(book.unsavedForms(), 0);
}

// The display column at which `text` first stands on the line.
int columnOf(const std::string &line, std::string_view text)
{
    const std::size_t at = line.find(text);
    return at == std::string::npos ? -1 : displayWidth(std::string_view(line).substr(0, at));
}

TEST(CalculationBook, LongIdsWidenTheIdColumnForEveryRow)
{
    CalculationBook zh;
    CalculationBook named;
    const PileRecord pile = defaultRecord();
    for (int i = 0; i < 3; ++i) {
        zh.record(pile, firstTime);
    }
    // Ids of six columns or fewer keep the book's bytes: it is the ZH book with other names.
    named.record(pile, firstTime, "A-1");
    named.record(pile, firstTime, "东-12");
    named.record(pile, firstTime, "ZH3");
    for (std::size_t i = 0; i < zh.tableLines().size(); ++i) {
        if (i == 5 || i == 6) {
            continue;
        }
        EXPECT_EQ(named.tableLines()[i], zh.tableLines()[i]) << "line " << i + 1;
    }
    EXPECT_EQ(named.idColumnExcess(), 0);

    // A longer id, first or later, widens the column for every row, the header and the rules.
    struct Case {
        const char *what;
        std::vector<std::string> ids;
        int excess;
    };
    const Case cases[] = {
        {"the long id last", {"ZH1", "ZH2", "西区-承台12-桩3"}, 15 - 6},
        {"the long id first", {"PILE-000123", "ZH2", "ZH3"}, 11 - 6},
        {"two long ids", {"PILE-01", "东-12", "PILE-000000123"}, 14 - 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CalculationBook book;
        for (const std::string &id : c.ids) {
            book.record(pile, firstTime, id);
        }
        EXPECT_EQ(book.idColumnExcess(), c.excess);
        const std::vector<std::string> &lines = book.tableLines();
        const std::vector<std::string> &usual = zh.tableLines();
        ASSERT_EQ(lines.size(), usual.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            // Every line but the note and the time is as wide as the usual line and the excess.
            if (i != lines.size() - 1 && i != lines.size() - 3) {
                EXPECT_EQ(displayWidth(lines[i]), displayWidth(usual[i]) + c.excess) << "line " << i + 1;
            }
        }
        // Every column after the id moves right by the excess, in the header and in every row.
        for (const char *text : {"桩身截面", "桩承载力"}) {
            EXPECT_EQ(columnOf(lines[2], text), columnOf(usual[2], text) + c.excess) << text;
        }
        for (std::size_t row = 5; row < 8; ++row) {
            EXPECT_EQ(columnOf(lines[row], "圆  桩"), columnOf(usual[row], "圆  桩") + c.excess)
                << lines[row];
            EXPECT_EQ(lines[row].substr(0, 3 + c.ids[row - 5].size()), "   " + c.ids[row - 5]);
            EXPECT_EQ(lines[row].substr(lines[row].size() - 20), usual[row].substr(usual[row].size() - 20));
        }
    }
}

TEST(CalculationBook, TheIdColumnNarrowsWhenItsLongestIdIsDeleted)
{
    CalculationBook book;
    CalculationBook usual;
    const PileRecord pile = defaultRecord();
    for (const std::string id : {"ZH1", "ZH2"}) {
        book.record(pile, firstTime, id);
        usual.record(pile, firstTime, id);
    }
    book.record(pile, firstTime, "A-VERY-LONG-PILE-ID");
    EXPECT_EQ(book.idColumnExcess(), 19 - 6);
    book.deleteLast();
    EXPECT_EQ(book.idColumnExcess(), 0);
    EXPECT_TRUE(sameLines(book.tableLines(), usual.tableLines()));
}

// The table is laid out when asked for: read only at the end, after ids that widen it one after
// another, deletions and a new time line, it is the table read after every step.
TEST(CalculationBook, TheTableReadAtTheEndIsTheTableReadAfterEveryStep)
{
    CalculationBook watched;
    CalculationBook unread;
    const PileRecord pile = defaultRecord();
    const std::vector<std::function<void(CalculationBook &)>> steps{
        [&](CalculationBook &book) { book.record(pile, firstTime, "P-1"); },
        [&](CalculationBook &book) { book.record(pile, firstTime, "PILE-0002"); },
        [&](CalculationBook &book) { book.record(pile, "2024/1/2 8:00:00", "PILE-000003"); },
        [&](CalculationBook &book) { book.record(pile, firstTime, "东区-承台-PILE-4"); },
        [&](CalculationBook &book) { book.deleteLast(); },
        [&](CalculationBook &book) { book.setClosingTime("2024/1/3 9:00:00"); },
        [&](CalculationBook &book) { book.record(pile, firstTime, "P-5"); },
        [&](CalculationBook &book) { book.deleteLast(); },
        [&](CalculationBook &book) { book.deleteLast(); },
    };
    for (const auto &step : steps) {
        step(watched);
        watched.tableLines();
        step(unread);
    }
    EXPECT_TRUE(sameLines(unread.tableLines(), watched.tableLines()));
    EXPECT_EQ(unread.idColumnExcess(), 9 - 6);
}

} // namespace
} // namespace saxolith
