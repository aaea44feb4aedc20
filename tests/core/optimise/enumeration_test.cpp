#include "core/optimise/enumeration.h"
#include "core/optimise/list_commands.h"

#include "text_path_run.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace saxolith
{
namespace
{

std::vector<std::string> rowCells(const CandidateList &list, std::size_t row)
{
    std::vector<std::string> cells;
    for (int column = 0; column < 12; ++column)
        cells.push_back(list.cell(row, column));
    return cells;
}

TEST(Enumeration, StartUpOptionsGiveTheKnownList)
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
    const RunResult result =
        runEnumeration(startOptionTexts(), defaultCalculationInput(),
                       [&](std::uint64_t done, std::uint64_t total) { progress.emplace_back(done, total); });
    ASSERT_EQ(result.end, RunEnd::Completed);
    EXPECT_EQ(result.statusText, "计算完成，桩数：456 根");
    EXPECT_EQ(result.statusColour, colour::black);
    ASSERT_EQ(result.rows.size(), 456U);
    EXPECT_EQ(progress.back(), (std::pair<std::uint64_t, std::uint64_t>{456, 456}));

    using Row = std::vector<std::string>;
    const std::vector<Row> expected{
        {"ZH-001", "圆  桩", "1000", "-", "2749", "3500", "-", "-", "-", "3500", "1", ""},
        {"ZH-002", "圆  桩", "1000", "-", "3142", "4000", "-", "-", "-", "4000", "1", ""},
        {"ZH-003", "圆  桩", "1000", "-", "3534", "4500", "-", "-", "-", "4500", "1", ""},
        {"ZH-004", "圆  桩", "1000", "-", "13744", "35.00", "1", "完整", "0.5000", "17500", "2", ""},
        {"ZH-005", "圆  桩", "1000", "-", "5498", "35.00", "1", "较完整", "0.2000", "7000", "2", ""},
        {"ZH-006", "圆  桩", "1000", "-", "2749", "35.00", "1", "较破碎", "0.1000", "3500", "2", ""},
        {"ZH-007", "圆  桩", "1000", "-", "3436", "35.00", "2", "0.40", "0.1250", "4375", "2", ""},
        {"ZH-008", "圆  桩", "1000", "-", "4811", "35.00", "2", "0.50", "0.1750", "6125", "2", ""},
        {"ZH-009", "圆  桩", "1000", "-", "7559", "35.00", "2", "0.60", "0.2750", "9625", "2", ""},
        {"ZH-010", "圆  桩", "1000", "-", "11683", "35.00", "2", "0.70", "0.4250", "14875", "2", ""},
        {"ZH-011", "圆  桩", "1000", "-", "13744", "35.00", "2", "0.80", "0.5000", "17500", "2", ""},
    };
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(rowCells(result.rows, i), expected[i]) << "row " << i;

    EXPECT_EQ(rowCells(result.rows, 19)[2], "1500");
    EXPECT_EQ(rowCells(result.rows, 19)[5], "3500");
    const Row last = rowCells(result.rows, 455);
    EXPECT_EQ(last[0], "ZH-456");
    EXPECT_EQ(last[1], "方  桩");
    EXPECT_EQ(last[2], "2000");
    EXPECT_EQ(last[3], "2000");
    EXPECT_EQ(last[5], "40.00");
    EXPECT_EQ(last[7], "0.80");

    // The input screen is left holding the last candidate.
    ASSERT_TRUE(result.finalInput);
    EXPECT_EQ(result.finalInput->sectionItem, 2);
    EXPECT_EQ(result.finalInput->firstDimension, "2000");
    EXPECT_EQ(result.finalInput->frk, "40.00");
    EXPECT_EQ(result.finalInput->qpa, "4500");
    EXPECT_EQ(result.finalInput->integrity, "0.80");
}

// Every row's texts are those the calculate command shows for the candidate taken back.
TEST(Enumeration, RowsHoldWhatTheCalculationShows)
{
    OptionTexts options = startOptionTexts();
    options[1] = {"1000", "4000", "1000.3"};
    options[3] = {"1500", "2500", "500"};
    options[4] = {"1000", "3000", "700"};
    options[7] = {"3500", "3501", "0.5"};
    options[8] = {"2.5", "80", "11.33"};
    for (const int precision : {0, 1, 2, 3, 4}) {
        CalculationInput start = defaultCalculationInput();
        start.precision = precision;
        const RunResult result = runEnumeration(options, start);
        ASSERT_EQ(result.end, RunEnd::Completed) << result.statusText;
        for (std::size_t i = 0; i < result.rows.size(); ++i) {
            const TakeBack back = takeBack(result.rows, i);
            const CalculationOutcome outcome = calculate(applyTakeBack(start, back));
            ASSERT_EQ(outcome.end, CalculationEnd::Completed) << i;
            // Sides stand longer first, so only equal sides are exchanged again.
            if (outcome.newFirstDimension) {
                EXPECT_EQ(*outcome.newFirstDimension, *outcome.newSecondDimension) << i;
            }
            EXPECT_EQ(result.rows.cell(i, 4), outcome.raText) << i;
            EXPECT_EQ(result.rows.cell(i, 8), outcome.psiText) << i;
            EXPECT_EQ(result.rows.cell(i, 9), outcome.qpaText) << i;
        }
    }
}

TEST(Enumeration, RectangleSidesStandLongerFirst)
{
    OptionTexts options = startOptionTexts();
    options[0] = {"3", "3", "1"};
    options[3] = {"2000", "2000", "1"};
    options[4] = {"2500", "3000", "500"};
    options[6] = {"1", "1", "1"};
    options[7] = {"3500", "3500", "1"};
    const RunResult result = runEnumeration(options, defaultCalculationInput());
    ASSERT_EQ(result.rows.size(), 2U);
    EXPECT_EQ(result.rows.cell(0, 2), "2500");
    EXPECT_EQ(result.rows.cell(0, 3), "2000");
    EXPECT_EQ(result.rows.cell(1, 2), "3000");
    EXPECT_EQ(result.rows.cell(1, 3), "2000");
    EXPECT_EQ(result.rows.cell(1, 1), "矩形桩");
    EXPECT_EQ(result.finalInput->firstDimension, "3000");
    EXPECT_EQ(result.finalInput->secondDimension, "2000");
}

TEST(Enumeration, EqualSidesInTheRectangleLoopStayRectangles)
{
    OptionTexts options = startOptionTexts();
    options[0] = {"3", "3", "1"};
    options[3] = {"2000", "2000", "1"};
    options[4] = {"2000", "2000", "1"};
    options[6] = {"1", "1", "1"};
    options[7] = {"3500", "3500", "1"};
    const RunResult result = runEnumeration(options, defaultCalculationInput());
    ASSERT_EQ(result.rows.size(), 1U);
    EXPECT_EQ(result.rows.cell(0, 1), "矩形桩");
    EXPECT_EQ(result.rows.cell(0, 0), "ZH-1");
}

TEST(Enumeration, RefusedCandidateEndsTheRunKeepingEarlierRows)
{
    OptionTexts options = startOptionTexts();
    options[0] = {"1", "2", "1"};
    options[2] = {"0", "1000", "1000"};
    options[6] = {"1", "1", "1"};
    const RunResult result = runEnumeration(options, defaultCalculationInput());
    EXPECT_EQ(result.end, RunEnd::Refused);
    EXPECT_EQ(result.statusText, "运行中止，主界面可查看中止位置、原因");
    EXPECT_EQ(result.statusColour, colour::red);
    ASSERT_EQ(result.rows.size(), 9U); // three diameters × three qpa of the round piles
    EXPECT_EQ(result.rows.cell(0, 0), "1");
    EXPECT_EQ(result.rows.cell(8, 0), "9");
    ASSERT_TRUE(result.finalInput);
    EXPECT_EQ(result.finalInput->sectionItem, 1);
    EXPECT_EQ(result.finalInput->firstDimension, "1000");
    EXPECT_EQ(result.finalInput->secondDimension, "0");
    ASSERT_TRUE(result.finalOutcome);
    EXPECT_EQ(result.finalOutcome->end, CalculationEnd::Stopped);
}

TEST(Enumeration, FailedOptionsEvaluateNothing)
{
    OptionTexts options = startOptionTexts();
    options[0] = {"1", "1", "1"};
    options[5][1] = "-1";
    RunResult result = runEnumeration(options, defaultCalculationInput());
    EXPECT_EQ(result.end, RunEnd::CheckFailed);
    EXPECT_EQ(result.statusText, "方形边长不能为负值");
    EXPECT_EQ(result.statusColour, colour::red);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_FALSE(result.finalInput);

    options = startOptionTexts();
    options[9][2] = "";
    result = runEnumeration(options, defaultCalculationInput());
    EXPECT_EQ(result.end, RunEnd::ConversionFailure);
    EXPECT_EQ(result.errorBoxText, "'' is not a valid integer value");
    EXPECT_EQ(result.statusText, "");
    EXPECT_FALSE(result.finalInput);
}

TEST(Enumeration, TooManyCandidatesAreRefusedBeforeAnyIsEvaluated)
{
    OptionTexts options = startOptionTexts();
    options[1] = {"1000", "2000", "0.0001"};
    bool called = false;
    const RunResult result = runEnumeration(options, defaultCalculationInput(),
                                            [&](std::uint64_t, std::uint64_t) { called = true; });
    EXPECT_EQ(result.end, RunEnd::TooMany);
    EXPECT_EQ(result.statusText, "候选桩数超过2000000根，请增大步进值或缩小取值范围");
    EXPECT_EQ(result.statusColour, colour::red);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_FALSE(result.finalInput);
    EXPECT_FALSE(called);
}

// Every number bit for bit (hexadecimal), every text and every flag of a run's result.
std::string describe(const RunResult &result)
{
    std::ostringstream out;
    out << std::hexfloat;
    out << "end " << static_cast<int>(result.end) << " status '" << result.statusText << "' "
        << result.statusColour << " box '" << result.errorBoxText << "'\n";
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const CandidateRow &r = result.rows.row(i);
        out << r.first << ' ' << r.second << ' ' << r.strength << ' ' << r.index << ' ' << r.psi << ' '
            << r.qpa << ' ' << r.ra << ' ' << r.number << ' ' << int{r.numberDigits} << ' '
            << static_cast<int>(r.section) << static_cast<int>(r.route) << static_cast<int>(r.basis)
            << static_cast<int>(r.integrityClass) << int{r.precision} << '\n';
    }
    if (const auto &in = result.finalInput) {
        out << "input " << in->sectionItem << " '" << in->firstDimension << "' '" << in->secondDimension << "' "
            << static_cast<int>(in->route) << " '" << in->qpa << "' '" << in->frk << "' "
            << static_cast<int>(in->psiMode) << " '" << in->integrity << "' '" << in->manualPsi << "' "
            << in->precision << '\n';
    }
    if (const auto &o = result.finalOutcome) {
        out << "outcome " << static_cast<int>(o->end) << " '" << o->newFirstDimension.value_or("-") << "' '"
            << o->newSecondDimension.value_or("-") << "' colours";
        for (const auto &c : o->fieldColours)
            out << ' ' << c.value_or(0);
        out << " status " << o->statusWritten << o->statusShown << " '" << o->statusText << "' "
            << o->statusColour.value_or(0) << " results '" << o->psiText << "' '" << o->qpaText << "' '"
            << o->raText << "' " << o->resultColour.value_or(0) << ' ' << o->psiEnabled.has_value()
            << o->psiEnabled.value_or(false) << " notice " << o->abortNotice << " box '" << o->errorBoxText
            << "' hints " << o->hintFlags << '\n';
        if (const auto &r = o->record) {
            out << "record " << static_cast<int>(r->section) << " '" << r->first << "' '" << r->second << "' "
                << static_cast<int>(r->route) << static_cast<int>(r->psiMode) << " '" << r->qpaText << "' '"
                << r->frkText << "' '" << r->integrityText << "' '" << r->manualPsiText << "' " << r->area << ' '
                << r->perimeter << ' ' << r->frk << ' ' << r->psi << ' ' << r->qpa << ' ' << r->ra << " '"
                << r->hardness << "' '" << r->integrityClass << "' " << r->precision << '\n';
        }
    }
    return out.str();
}

// Option texts of every kind at random: values that read back as other numbers ("0.1" steps),
// rectangles whose sides get exchanged, zero and overflowing sizes and strengths, integrity indexes
// at the ends of their range.
OptionTexts randomOptions(std::mt19937 &random)
{
    const auto pick = [&](std::initializer_list<const char *> texts) {
        std::uniform_int_distribution<std::size_t> at(0, texts.size() - 1);
        return std::string(texts.begin()[at(random)]);
    };
    const auto codes = [&](int highest) {
        std::uniform_int_distribution<int> code(1, highest);
        const int a = code(random);
        const int b = code(random);
        return OptionRowTexts{std::to_string(std::min(a, b)), std::to_string(std::max(a, b)), "1"};
    };
    const auto size = [&] {
        return OptionRowTexts{pick({"0", "0.1", "0.3", "800", "1000", "2000", "1e150", "1.7e308"}),
                              pick({"0.3", "1", "1000", "2500", "1e150", "1.7976931348623157e308"}),
                              pick({"0.1", "0.7", "333.3", "500", "1000", "1e150"})};
    };
    OptionTexts options = startOptionTexts();
    options[0] = codes(4);
    for (std::size_t row = 1; row <= 5; ++row)
        options[row] = size();
    options[6] = codes(2);
    options[7] = {pick({"0", "0.4", "3500"}), pick({"1", "4500", "1e307"}), pick({"0.5", "500", "1e306"})};
    options[8] = {pick({"0", "2.5", "35.00", "1e306"}), pick({"5", "40", "80", "1e308"}),
                  pick({"0.7", "5.00", "11.33", "1e307"})};
    options[9] = codes(2);
    options[10] = codes(3);
    options[11] = {pick({"0.349999", "0.35", "0.40", "0.8"}), pick({"0.35", "0.8", "0.95", "1"}),
                   pick({"0.05", "0.1", "0.25"})};
    return options;
}

// The run gives exactly what writing every candidate's texts and making the calculate command's
// whole outcome from them gives: the same rows, bit for bit, the same status, and the same input
// screen and outcome left for the last candidate.
TEST(Enumeration, RunGivesWhatTheTextsOfEveryCandidateGive)
{
    std::mt19937 random(20260101);
    int compared = 0;
    std::array<int, 6> ends{};
    for (int attempt = 0; attempt < 4000 && compared < 400; ++attempt) {
        const OptionTexts options = randomOptions(random);
        const OptionReading reading = readOptions(options);
        if (reading.failure == SeriesFailure::None && candidateCount(reading.series) > 20'000)
            continue;
        CalculationInput start = defaultCalculationInput();
        start.precision = static_cast<int>(random() % 5);
        if (random() % 2 == 0) {
            start.psiMode = PsiMode::Manual;
            start.integrity = "0.x";
        }
        const RunResult expected = text_path::run(options, start);
        ASSERT_EQ(describe(runEnumeration(options, start)), describe(expected)) << "attempt " << attempt;
        ++ends[static_cast<std::size_t>(expected.end)];
        ++compared;
    }
    // The options above reach completed and refused runs alike.
    EXPECT_GT(ends[static_cast<std::size_t>(RunEnd::Completed)], 20);
    EXPECT_GT(ends[static_cast<std::size_t>(RunEnd::Refused)], 20);
}

} // namespace
} // namespace saxolith
