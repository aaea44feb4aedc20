#include "core/report/pile_spool.h"

#include "core/book/calculation_book.h"
#include "core/capacity/calculation.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace saxolith
{
namespace
{

// The piles come back in order, calculated again from exactly what was typed and named as the book names
// them: texts with separators, quotes and ideographs, an empty field, a name left empty (numbered).
TEST(PileSpoolTest, GivesThePilesBackAsTyped)
{
    std::vector<std::pair<CalculationInput, std::string>> piles;
    CalculationInput round = defaultCalculationInput();
    round.firstDimension = "1200";
    piles.emplace_back(round, "西-3");
    CalculationInput ellipse = defaultCalculationInput();
    ellipse.sectionItem = 1;
    ellipse.firstDimension = "1500";
    ellipse.secondDimension = "800";
    ellipse.route = StrengthRoute::QpaGiven;
    ellipse.qpa = "4500";
    piles.emplace_back(ellipse, "A,\"1\"\n");
    CalculationInput manual = defaultCalculationInput();
    manual.psiMode = PsiMode::Manual;
    manual.manualPsi = "0.35";
    manual.integrity.clear();
    piles.emplace_back(manual, "");

    const test::ScratchFolder folder("pile_spool");
    const std::string path = folder.file("报告 桩");
    PileSpool spool(path);
    for (const auto &[input, name] : piles) {
        spool.add(input, name);
    }
    ASSERT_TRUE(spool.close());
    EXPECT_EQ(spool.count(), 3);

    for (int pass = 0; pass < 2; ++pass) { // the report's writers go through the piles more than once
        std::vector<std::pair<CalculationInput, std::string>> given;
        ASSERT_TRUE(spool.replay([&given](const PileRecord &record, std::string_view name) {
            given.emplace_back(record.input, std::string(name));
        }));
        ASSERT_EQ(given.size(), piles.size());
        for (std::size_t i = 0; i < piles.size(); ++i) {
            EXPECT_EQ(given[i].first, piles[i].first) << i;
            EXPECT_EQ(given[i].second, bookEntryName(static_cast<int>(i) + 1, piles[i].second)) << i;
        }
    }
    removeFile(path);
    EXPECT_FALSE(spool.replay([](const PileRecord &, std::string_view) {})) << "a spool gone is not read as empty";
}

// A pile's note (the schedule's, beyond its calculation's hint) comes back with it; the cover's counts are
// kept.
TEST(PileSpoolTest, KeepsEachPilesNoteAndTheRefusedRows)
{
    const test::ScratchFolder folder("pile_spool_notes");
    const std::string path = folder.file("报告 桩");
    PileSpool spool(path);
    CalculationInput soft = defaultCalculationInput();
    soft.frk = "20";
    PileRecord repeated = calculate(defaultCalculationInput()).record.value();
    repeated.note = "桩号重复（第 2 行已有）";
    spool.add(soft, "A");
    spool.add(repeated, "A");
    spool.add(defaultCalculationInput(), "B");
    spool.refuse(5, "C", "岩石单轴抗压强度值有错");
    ASSERT_TRUE(spool.close());
    std::vector<std::string> notes;
    ASSERT_TRUE(
        spool.replay([&notes](const PileRecord &record, std::string_view) { notes.push_back(record.note); }));
    EXPECT_EQ(notes, (std::vector<std::string>{"提示 ： 不适用于软质岩", "桩号重复（第 2 行已有）", ""}));
    EXPECT_EQ(spool.outcomes().noted, 2);
    EXPECT_EQ(spool.outcomes().refused, (std::vector<RefusedPile>{{5, "C", "岩石单轴抗压强度值有错"}}));
    std::filesystem::remove(path);
}

} // namespace
} // namespace saxolith
