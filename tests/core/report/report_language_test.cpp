// The report in English and in both languages: the same document in other words, subscripts and the user's
// own texts kept, nothing left in Chinese but what the user typed.
#include "core/report/report_document.h"
#include "core/report/report_language.h"
#include "core/texts/language.h"
#include "support/pile_record.h"

#include <gtest/gtest.h>

#include <string>

namespace saxolith
{
namespace
{

using test::recordOf;

ReportDocument reportIn(const ReportSettings &settings)
{
    ReportBuilder builder(settings);
    builder.addPile(recordOf([](CalculationInput &) {}), "A_1");
    builder.addPile(recordOf([](CalculationInput &in) {
                        in.route = StrengthRoute::QpaGiven;
                        in.qpa = "30000";
                    }),
                    "桩2");
    return builder.finish();
}

std::vector<std::string> lines(const ReportDocument &document)
{
    std::vector<std::string> out;
    for (const Block &block : document.blocks) {
        out.push_back(plainText(block.runs));
        for (const auto &row : block.table.rows) {
            for (const Runs &cell : row) {
                out.push_back(plainText(cell));
            }
        }
    }
    return out;
}

TEST(ReportLanguage, InEnglishEveryTextButTheUsersIsEnglish)
{
    ReportSettings settings;
    settings.titleBlock.projectName = "滨江花园";
    settings.language = Language::English;
    const ReportDocument english = reportIn(settings);
    EXPECT_EQ(english.headerRight, "Vertical Bearing Capacity of Rock-Socketed Piles");
    EXPECT_EQ(english.language, Language::English);
    std::string all;
    for (const std::string &line : lines(english)) {
        all += line + '\n';
        if (line != "滨江花园" && line != "桩2" && line.find("Pile 桩2") == std::string::npos) {
            EXPECT_FALSE(hasChinese(line)) << line;
        }
    }
    for (const char *wanted :
         {"Pile A_1 (round)", "4  Shaft strength check", "Characteristic vertical bearing capacity Ra = ",
          "governed by the shaft's strength", "Bearing capacity summary"}) {
        EXPECT_NE(all.find(wanted), std::string::npos) << wanted << '\n' << all;
    }
    // The subscripts are those of the Chinese report; a user's underscore stays a character.
    ReportSettings inChinese = settings;
    inChinese.language.reset();
    const ReportDocument chinese = reportIn(inChinese);
    const auto subscripts = [](const ReportDocument &document) {
        std::string found;
        for (const Block &block : document.blocks) {
            for (const saxolith::Run &run : block.runs) {
                found += run.subscript ? run.text + " " : "";
            }
        }
        return found;
    };
    EXPECT_EQ(subscripts(english), subscripts(chinese));
    EXPECT_EQ(lines(chinese).size(), lines(english).size());
}

TEST(ReportLanguage, BilingualPutsTheEnglishBeneathEachHeading)
{
    ReportSettings settings;
    settings.bilingual = true;
    const ReportDocument both = reportIn(settings);
    const ReportDocument chinese = reportIn(ReportSettings{});
    EXPECT_EQ(both.language, Language::Chinese);
    std::size_t headings = 0;
    for (std::size_t i = 0; i < both.blocks.size(); ++i) {
        const Block &block = both.blocks[i];
        if (block.style == BlockStyle::Heading && hasChinese(plainText(block.runs))) {
            ++headings;
            ASSERT_LT(i + 1, both.blocks.size());
            EXPECT_TRUE(block.keepWithNext);
            EXPECT_EQ(both.blocks[i + 1].style, BlockStyle::Heading);
            EXPECT_EQ(plainText(both.blocks[i + 1].runs),
                      translate(Language::English, plainText(block.runs)));
        }
    }
    EXPECT_EQ(headings, 2U * 6U + 1U); // five parts a pile, the cover's parameters and its premises
    EXPECT_EQ(both.blocks.size(), chinese.blocks.size() + headings + 2U /* the piles' titles */ +
                                      2U /* cover title and subtitle */ + 1U /* the summary's title */);
}

} // namespace
} // namespace saxolith
