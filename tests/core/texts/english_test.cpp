#include "core/texts/language.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using namespace saxolith;

const std::filesystem::path sourceFolder = std::filesystem::path(SAXOLITH_TEST_DATA) / "../../src/core";

// Every text the program shows stands in one of these: the texts' own headers, and the few tables that
// own their texts.
std::vector<std::filesystem::path> textFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(sourceFolder / "texts")) {
        if (entry.path().extension() == ".h") {
            files.push_back(entry.path());
        }
    }
    for (const char *owner :
         {"capacity/section_types.h", "capacity/shaft_check.h", "capacity/formulas.cpp"}) {
        files.push_back(sourceFolder / owner);
    }
    return files;
}

// The string literals of a C++ source, comments skipped, adjacent literals joined as the compiler joins
// them, escapes read.
std::vector<std::string> literalsOf(const std::string &source)
{
    std::vector<std::string> texts;
    bool joinNext = false;
    for (std::size_t at = 0; at < source.size();) {
        if (source.compare(at, 2, "//") == 0) {
            at = source.find('\n', at);
            continue;
        }
        if (source.compare(at, 2, "/*") == 0) {
            at = source.find("*/", at) + 2;
            continue;
        }
        if (source[at] == '\'') {
            at = source.find('\'', at + (source[at + 1] == '\\' ? 3 : 2)) + 1;
            joinNext = false;
            continue;
        }
        if (source[at] != '"') {
            joinNext = joinNext && std::isspace(static_cast<unsigned char>(source[at])) != 0;
            ++at;
            continue;
        }
        std::string text;
        for (++at; at < source.size() && source[at] != '"'; ++at) {
            if (source[at] == '\\') {
                const char escaped = source[++at];
                text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
            } else {
                text += source[at];
            }
        }
        ++at;
        if (joinNext && !texts.empty()) {
            texts.back() += text;
        } else {
            texts.push_back(text);
        }
        joinNext = true;
    }
    return texts;
}

TEST(EnglishTexts, ReadsLiteralsAsTheCompilerJoinsThem)
{
    const std::string source =
        "// \"not\" this\nconstexpr auto a = \"x\\\"y\"\n    \"z\\n\"; /* \"nor\" */ f('\"', \"b\");";
    EXPECT_EQ(literalsOf(source), (std::vector<std::string>{"x\"yz\n", "b"}));
}

// Where the fault shows: a text added in Chinese with no English beside it. The message says where.
TEST(EnglishTexts, EveryChineseTextHasItsEnglish)
{
    std::set<std::string_view> keys;
    std::set<std::string_view> patternPieces; // a function composing a pattern writes its pieces apart
    for (const TextPair &pair : englishTexts()) {
        keys.insert(pair.chinese);
        std::string_view rest = pair.chinese;
        for (std::size_t at; (at = rest.find("{}")) != std::string_view::npos; rest.remove_prefix(at + 2)) {
            patternPieces.insert(rest.substr(0, at));
        }
        if (rest.size() != pair.chinese.size()) {
            patternPieces.insert(rest);
        }
    }
    std::size_t seen = 0;
    for (const auto &file : textFiles()) {
        std::ifstream in(file, std::ios::binary);
        ASSERT_TRUE(in) << file;
        std::stringstream source;
        source << in.rdbuf();
        for (const std::string &text : literalsOf(source.str())) {
            if (!hasChinese(text)) {
                continue;
            }
            ++seen;
            EXPECT_TRUE(keys.contains(text) || patternPieces.contains(text))
                << file.filename() << ": \"" << text << "\" has no English in src/core/texts/english.cpp";
        }
    }
    EXPECT_GT(seen, 300U) << "the texts' headers were not found under " << sourceFolder;
}

TEST(EnglishTexts, EachTextHasOneEnglishWithItsPlaceholdersAndNoChinese)
{
    std::map<std::string_view, std::string_view> seen;
    const auto placeholders = [](std::string_view text) {
        std::size_t count = 0;
        for (std::size_t at = 0; (at = text.find("{}", at)) != std::string_view::npos; at += 2) {
            ++count;
        }
        return count;
    };
    for (const TextPair &pair : englishTexts()) {
        // The language setting's own names stay as they are in both languages.
        EXPECT_TRUE(!hasChinese(pair.english) || pair.english == pair.chinese) << pair.english;
        EXPECT_EQ(placeholders(pair.english), placeholders(pair.chinese)) << pair.chinese;
        const auto [earlier, first] = seen.emplace(pair.chinese, pair.english);
        EXPECT_TRUE(first || earlier->second == pair.english)
            << pair.chinese << ": \"" << earlier->second << "\" and \"" << pair.english << "\"";
    }
}

TEST(EnglishTexts, TranslatesWholeComposedAndFilledInTexts)
{
    struct Case {
        std::string_view chinese;
        std::string_view english;
    };
    const Case cases[] = {
        // whole texts, and texts with no Chinese
        {"计算", "Calculate"},
        {"ψr", "ψr"},
        {"", ""},
        // texts joined by the code
        {"较硬岩,岩体较完整", "moderately hard rock, rock mass fairly intact"},
        {"较软岩,岩体完整性指数有错", "moderately soft rock, error in the integrity index"},
        {"计算完成，桩数：1234 根", "Calculated, piles: 1234"},
        {"第 2 页 共 17 页", "Page 2 of 17"},
        // a pattern whose parts are texts of the table, and a line's prefix followed by its note
        {"不是可以读取的 Excel 工作簿（.xlsx）：压缩包结构已损坏",
         "Not a readable Excel workbook (.xlsx): Its zip structure is damaged"},
        {"第 3 行（A-1）：缺少 d 或 frk", "Line 3 (A-1): d or frk missing"},
        {"第 4 行：截面类型“八角”应为 圆桩、椭圆桩、矩形桩 或 方桩",
         "Line 4: Section type “八角” must be round, ellipse, rectangle or square"},
        {"第 5 行：桩号重复（第 2 行已有）；提示 ： 不适用于软质岩",
         "Line 5: Repeated id (line 2 has it already); Hint: not for soft rock"},
        // the user's part after a prefix stays as it is, Chinese or not
        {"无法读取：/home/张工/桩表.csv", "Cannot read: /home/张工/桩表.csv"},
        {"未知选项：--colour", "Unknown option: --colour"},
        // a text the table cannot explain whole is left whole
        {"设计： 开发组", "设计： 开发组"},
        {"八角桩", "八角桩"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(translate(Language::English, c.chinese), c.english) << c.chinese;
        EXPECT_EQ(translate(Language::Chinese, c.chinese), c.chinese);
    }
}

TEST(EnglishTexts, FindsTheChineseOfAWholeEnglishText)
{
    EXPECT_EQ(chineseOf("fairly intact"), std::optional<std::string_view>("较完整"));
    EXPECT_EQ(chineseOf("1 decimal"), std::optional<std::string_view>("一位小数"));
    EXPECT_FALSE(chineseOf("0.75"));
    EXPECT_EQ(briefEnglish("较完整"), "fair");
    EXPECT_EQ(briefEnglish("完整"), "intact");
}

TEST(EnglishTexts, NamesLanguages)
{
    EXPECT_EQ(languageByName("EN"), Language::English);
    EXPECT_EQ(languageByName("english"), Language::English);
    EXPECT_EQ(languageByName("zh"), Language::Chinese);
    EXPECT_EQ(languageByName("Chinese"), Language::Chinese);
    EXPECT_FALSE(languageByName("fr"));
    EXPECT_FALSE(languageByName(""));
    EXPECT_EQ(languageCode(Language::English), "en");
    EXPECT_EQ(languageCode(Language::Chinese), "zh");
}

} // namespace
