#include "core/optimise/list_commands.h"
#include "core/optimise/option_grid.h"

#include "core/text/number_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace saxolith
{
namespace
{

// Round qpa-route rows whose Ra is the given value and whose d tells them apart.
CandidateList listWithRa(const std::vector<double> &ras)
{
    CandidateList list;
    for (std::size_t i = 0; i < ras.size(); ++i) {
        CandidateRow row;
        row.first = 1000 + static_cast<double>(i);
        row.ra = ras[i];
        row.number = static_cast<std::uint32_t>(i + 1);
        list.append(row);
    }
    list.renumber();
    return list;
}

std::vector<std::string> column(const CandidateList &list, int c)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out.push_back(list.cell(i, c));
    return out;
}

TEST(HeaderClick, SortsThenReversesWithMarksAndMessages)
{
    CandidateList list = listWithRa({5, 3, 5, 1});
    SortState stateD = SortState::Unsorted;
    SortState stateRa = SortState::Unsorted;
    HeaderClickOutcome out = headerClick(list, 4, stateD, stateRa);
    EXPECT_EQ(column(list, 0), (std::vector<std::string>{"ZH-4", "ZH-2", "ZH-3", "ZH-1"}));
    EXPECT_EQ(out.status, "Ra升序排列完成");
    EXPECT_EQ(out.headerRa, "Ra(kN)▲");
    EXPECT_EQ(out.headerD, " d|a(mm)");
    EXPECT_TRUE(out.enableSave);
    EXPECT_TRUE(out.selectFirstRow);
    EXPECT_EQ(stateRa, 1);

    out = headerClick(list, 4, stateD, stateRa);
    EXPECT_EQ(column(list, 0), (std::vector<std::string>{"ZH-1", "ZH-3", "ZH-2", "ZH-4"}));
    EXPECT_EQ(out.status, "Ra降序排列完成");
    EXPECT_EQ(out.headerRa, "Ra(kN)▼");
    EXPECT_EQ(stateRa, 2);

    out = headerClick(list, 4, stateD, stateRa);
    EXPECT_EQ(column(list, 0), (std::vector<std::string>{"ZH-4", "ZH-2", "ZH-3", "ZH-1"}));
    EXPECT_EQ(stateRa, 1);

    // The other column sorts afresh and unmarks Ra.
    out = headerClick(list, 2, stateD, stateRa);
    EXPECT_EQ(column(list, 2), (std::vector<std::string>{"1000", "1001", "1002", "1003"}));
    EXPECT_EQ(out.status, "d升序排列完成");
    EXPECT_EQ(out.headerD, "d|a(mm)▲");
    EXPECT_EQ(out.headerRa, "  Ra(kN)");
    EXPECT_EQ(stateD, 1);
    EXPECT_EQ(stateRa, 0);
}

TEST(HeaderClick, RefusedClicksLeaveTheOrder)
{
    SortState stateD = SortState::Unsorted;
    SortState stateRa = SortState::Unsorted;
    CandidateList one = listWithRa({1});
    HeaderClickOutcome out = headerClick(one, 4, stateD, stateRa);
    EXPECT_EQ(out.status, "无需排序");
    EXPECT_FALSE(out.selectFirstRow);

    CandidateList list = listWithRa({2, 1});
    for (const int c : {0, 1, 3, 5, 10}) {
        out = headerClick(list, c, stateD, stateRa);
        EXPECT_EQ(out.status, "仅支持d、Ra排序") << c;
        EXPECT_TRUE(out.selectFirstRow);
        EXPECT_FALSE(out.headersChanged);
    }
    out = headerClick(list, 11, stateD, stateRa);
    EXPECT_FALSE(out.status);
    EXPECT_TRUE(out.selectFirstRow);
    EXPECT_EQ(column(list, 0), (std::vector<std::string>{"ZH-1", "ZH-2"}));
    EXPECT_EQ(stateD + stateRa, 0);
}

TEST(HeaderClick, SortKeysAreTheShownRoundedNumbers)
{
    // 2749.4 and 2748.6 both show 2749 at whole-number precision: equal keys, not exchanged.
    CandidateList list = listWithRa({2749.4, 2748.6, 100});
    SortState stateD = SortState::Unsorted;
    SortState stateRa = SortState::Unsorted;
    headerClick(list, 4, stateD, stateRa);
    EXPECT_EQ(column(list, 0), (std::vector<std::string>{"ZH-3", "ZH-2", "ZH-1"}));
}

TEST(Filter, RangeRules)
{
    const CandidateList list = listWithRa({8000, 9999, 10000, 10500, 11000, 11001, 20000});
    struct FilterCase {
        const char *min;
        const char *max;
        std::vector<std::string> ras;
    };
    const std::vector<FilterCase> cases{
        {"10000", "11000", {"10000", "10500", "11000"}},
        {"0", "0", {"8000", "9999", "10000", "10500", "11000", "11001", "20000"}},
        {"-5", "-1", {"8000", "9999", "10000", "10500", "11000", "11001", "20000"}},
        {"0", "8000", {"8000"}},
        {"11000", "10000", {"11000"}},
        {"11000", "0", {"11000", "11001", "20000"}},
        {"30000", "40000", {}},
    };
    for (const FilterCase &c : cases) {
        const FilterOutcome out = filterCandidates(list, c.min, c.max);
        EXPECT_FALSE(out.conversionFailure);
        EXPECT_EQ(column(out.rows, 4), c.ras) << c.min << " " << c.max;
        EXPECT_EQ(out.enableSave, !c.ras.empty());
    }
    EXPECT_EQ(filterCandidates(list, "10000", "11000").status, "筛选完成，桩数：3 根");
    EXPECT_EQ(filterCandidates(list, "30000", "40000").status, "无满足条件桩，调整区间再筛选");
    EXPECT_EQ(filterCandidates(CandidateList{}, "0", "0").status, "无满足条件桩，调整区间再筛选");

    // Copies keep their cells, the list's numbers included.
    EXPECT_EQ(column(filterCandidates(list, "10000", "11000").rows, 0),
              (std::vector<std::string>{"ZH-3", "ZH-4", "ZH-5"}));
}

TEST(Filter, KeepsExactlyTheRowsWhoseShownRaReadsInRange)
{
    // Values on both sides of the range's ends at every precision (hundreds cut off, tens cut off,
    // units and decimals rounded), beyond seven digits, and not finite: the rows kept are those whose
    // Ra cell, read back, lies in the range.
    std::vector<double> values;
    for (const double end : {10000.0, 11000.0, 12345678.0}) {
        for (double offset = -205.0; offset <= 205.0; offset += 0.37)
            values.push_back(end + offset);
        for (const double near : {-100.0, -99.995, -50.0, -0.5, -0.005, 0.0, 0.004, 0.005, 0.5, 99.99, 100.0, 101.0})
            values.push_back(end + near);
    }
    values.push_back(std::numeric_limits<double>::quiet_NaN());
    values.push_back(std::numeric_limits<double>::infinity());
    CandidateList list;
    for (std::size_t i = 0; i < values.size() * 6; ++i) {
        CandidateRow row;
        row.first = 1000;
        row.ra = values[i % values.size()];
        row.precision = static_cast<std::uint8_t>(i / values.size()); // 5: outside the choices
        list.append(row);
    }
    list.renumber();
    for (const auto &[low, high] : std::vector<std::pair<double, double>>{
             {10000, 11000}, {10050, 10950}, {0, 11000}, {10000, 1e15}, {12345600, 12345700}}) {
        std::size_t expected = 0;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const auto shown = strictNumber(list.cell(i, 4));
            expected += shown && low <= *shown && *shown <= high ? 1 : 0;
        }
        const CandidateList kept = list.filterByRa(low, high);
        ASSERT_EQ(kept.size(), expected) << low << " " << high;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            const auto shown = strictNumber(kept.cell(i, 4));
            ASSERT_TRUE(shown && low <= *shown && *shown <= high) << kept.cell(i, 4);
        }
    }
}

TEST(Filter, UnreadableRangeNamesTheText)
{
    const CandidateList list = listWithRa({1});
    FilterOutcome out = filterCandidates(list, "", "11000");
    EXPECT_TRUE(out.conversionFailure);
    EXPECT_EQ(out.errorBoxText, "'' is not a valid floating point value");
    out = filterCandidates(list, "1", "1l000");
    EXPECT_EQ(out.errorBoxText, "'1l000' is not a valid floating point value");
}

TEST(TakeBack, TextsForTheInputScreen)
{
    CandidateList list;
    CandidateRow round;
    round.first = 1200;
    round.strength = 3500;
    list.append(round);
    CandidateRow square;
    square.section = SectionType::Square;
    square.first = square.second = 1500;
    square.route = StrengthRoute::FrkGiven;
    square.strength = 35;
    square.integrityClass = IntegrityClass::FairlyIntact;
    list.append(square);
    CandidateRow ellipse = square;
    ellipse.section = SectionType::Elliptical;
    ellipse.first = 1000;
    ellipse.second = 500;
    ellipse.basis = IntegrityBasis::Index;
    ellipse.index = 0.4;
    list.append(ellipse);

    TakeBack back = takeBack(list, 0);
    EXPECT_EQ(back.sectionItem, 0);
    EXPECT_EQ(back.firstDimension, "1200");
    EXPECT_EQ(back.secondDimension, "0");
    EXPECT_EQ(back.route, StrengthRoute::QpaGiven);
    EXPECT_EQ(back.strengthText, "3500");
    EXPECT_EQ(back.integrityText, "");

    back = takeBack(list, 1);
    EXPECT_EQ(back.sectionItem, 2);
    EXPECT_EQ(back.secondDimension, "1500");
    EXPECT_EQ(back.route, StrengthRoute::FrkGiven);
    EXPECT_EQ(back.strengthText, "35.00");
    EXPECT_EQ(back.integrityText, "较完整");

    back = takeBack(list, 2);
    EXPECT_EQ(back.sectionItem, 1);
    EXPECT_EQ(back.secondDimension, "500");
    EXPECT_EQ(back.integrityText, "0.40");
}

TEST(TakeBack, MergesIntoTheInputScreensState)
{
    CalculationInput current = defaultCalculationInput();
    current.psiMode = PsiMode::Manual;
    current.manualPsi = "0.35";

    TakeBack qpaCandidate;
    qpaCandidate.route = StrengthRoute::QpaGiven;
    qpaCandidate.strengthText = "4200";
    CalculationInput merged = applyTakeBack(current, qpaCandidate);
    EXPECT_EQ(merged.route, StrengthRoute::QpaGiven);
    EXPECT_EQ(merged.qpa, "4200");
    // The frk route's fields and the dimensions stay as the screen holds them.
    EXPECT_EQ(merged.psiMode, PsiMode::Manual);
    EXPECT_EQ(merged.frk, current.frk);
    EXPECT_EQ(merged.firstDimension, current.firstDimension);

    TakeBack frkCandidate;
    frkCandidate.sectionItem = 2;
    frkCandidate.firstDimension = "1500";
    frkCandidate.secondDimension = "1200";
    frkCandidate.route = StrengthRoute::FrkGiven;
    frkCandidate.strengthText = "40.00";
    frkCandidate.integrityText = "0.60";
    merged = applyTakeBack(current, frkCandidate);
    EXPECT_EQ(merged.sectionItem, 2);
    EXPECT_EQ(merged.secondDimension, "1200");
    EXPECT_EQ(merged.frk, "40.00");
    EXPECT_EQ(merged.psiMode, PsiMode::Automatic);
    EXPECT_EQ(merged.integrity, "0.60");
    EXPECT_EQ(merged.manualPsi, "0.35");

    // Nothing taken back: nothing changes.
    EXPECT_EQ(applyTakeBack(current, TakeBack{}).qpa, current.qpa);
}

TEST(OptionGrid, StartUpTextsAndEditableCells)
{
    EXPECT_EQ(optionGridStartText(0, 4), "圆桩1/椭圆桩2/矩形桩3/方桩4");
    EXPECT_EQ(optionGridStartText(13, 0), "筛选 Ra(kN)");
    EXPECT_EQ(optionGridStartText(13, 3), "");
    EXPECT_EQ(optionGridStartText(12, 1), "");
    EXPECT_TRUE(isOptionCell(11, 3));
    EXPECT_TRUE(isOptionCell(13, 2));
    for (const auto &[row, col] : {std::pair{12, 1}, {13, 3}, {0, 0}, {5, 4}, {14, 1}})
        EXPECT_FALSE(isOptionCell(row, col)) << row << "," << col;
    EXPECT_FALSE(editEnablesRun(13, 1));
    EXPECT_FALSE(editEnablesFilter(11, 1));

    const std::vector<std::string> headers{"  桩编号", "截面类型", " d|a(mm)", " c|b(mm)",
                                           "  Ra(kN)", " qpa|frk", "插值依据", "完整程度",
                                           "      ψr", "qpa(kPa)", "强度类别", "    备注"};
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(listHeader(c), headers[static_cast<std::size_t>(c)]);
    EXPECT_EQ(sortHeader(2, 2), "d|a(mm)▼");
    EXPECT_EQ(sortHeader(4, 0), "  Ra(kN)");
}

} // namespace
} // namespace saxolith
