#include "output/encoding.h"

#include <gtest/gtest.h>

namespace saxolith
{
namespace
{

TEST(EncodeText, WritesGbkBytes)
{
    EXPECT_EQ(encodeText("计算时间：", "GBK"), "\xBC\xC6\xCB\xE3\xCA\xB1\xBC\xE4\xA3\xBA");
    EXPECT_EQ(encodeText("ψr=0.2 ▲", "GBK"), "\xA6\xD7r=0.2 \xA1\xF8");
}

TEST(EncodeText, PassesUtf8ThroughInAnySpelling)
{
    for (std::string_view name : {"UTF-8", "utf8", "utf-8", "UTF_8"}) {
        EXPECT_EQ(encodeText("计算时间：", name), "计算时间：") << name;
    }
}

TEST(EncodeText, WritesTheDefaultCharacterForWhatTheCodePageLacks)
{
    EXPECT_EQ(encodeText("a\U0001F600b", "GBK"), "a?b");
    EXPECT_EQ(encodeText("a\xFF"
                         "b",
                         "GBK"),
              "a?b");                                // a stray byte
    EXPECT_EQ(encodeText("a\xE8\xAE", "GBK"), "a?"); // a cut-off sequence at the end
    EXPECT_EQ(encodeText("桩\U0001F600桩", "GBK"), "\xD7\xAE?\xD7\xAE");
}

TEST(EncodeText, ConvertsTextLongerThanOneBuffer)
{
    std::string text;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        text += "桩\U0001F600";
        expected += "\xD7\xAE?";
    }
    EXPECT_EQ(encodeText(text, "GBK"), expected);
}

TEST(EncodeText, KeepsTheTextWhenTheCodePageIsUnknown)
{
    EXPECT_EQ(encodeText("计算", "NO-SUCH-CODE-PAGE"), "计算");
}

} // namespace
} // namespace saxolith
