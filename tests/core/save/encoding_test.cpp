#include "core/save/encoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <random>

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

// The bytes iconv gives for the whole text in one pass, with "?" for each character the code page
// lacks and for each broken sequence (its lead and the continuation bytes that follow it).
std::string iconvWhole(std::string_view text, const char *codePage)
{
    const iconv_t cd = iconv_open(codePage, "UTF-8");
    std::string out;
    char *in = const_cast<char *>(text.data());
    std::size_t inLeft = text.size();
    char buffer[256];
    while (inLeft > 0) {
        char *outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        out += '?';
        const auto lead = static_cast<unsigned char>(*in);
        std::size_t skip = std::min<std::size_t>(lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1, inLeft);
        for (std::size_t k = 1; k < skip; ++k) {
            if ((static_cast<unsigned char>(in[k]) & 0xC0u) != 0x80u) {
                skip = k;
                break;
            }
        }
        in += skip;
        inLeft -= skip;
    }
    char *outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    iconv_close(cd);
    return out;
}

std::string utf8(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Code pages that write ASCII as itself, where other characters are looked up one by one.
const char *const copyingCodePages[] = {"GBK", "GB18030", "EUC-JP", "ISO-8859-1"};

TEST(EncodeText, EveryBmpCharacterAsIconvWritesIt)
{
    // Each character alone between ASCII, then runs of characters side by side.
    std::string text;
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        text += utf8(c);
        if (c % 3 != 0)
            text += c % 2 == 0 ? "a" : " 1.5\r\n";
    }
    for (const char *codePage : copyingCodePages)
        EXPECT_EQ(encodeText(text, codePage), iconvWhole(text, codePage)) << codePage;
}

TEST(EncodeText, AnyBytesInAnyPiecesAsIconvWritesThem)
{
    // Well-formed characters of every length, joining marks, and broken, cut-off, overlong and
    // surrogate sequences, mixed at random with ASCII.
    const std::vector<std::string> parts{"a",        " 12.50 ",  "\r\n",     "桩",        "较完整",
                                         "ψr",       "▲",        "€",        "\u00CA",    "\u00CA\u0304",
                                         "\u00EA\u030C", "\U0001F600", "\U00020000", "\xFF",      "\x80",
                                         "\xE8\xAE",  "\xC0\x80",  "\xED\xA0\x80", "\xF0\x9F\x98", "\xE0\x80\x80",
                                         "\x80\x80\x80\x80\x80", "\xE8\x80\x80\x80\x80"};
    std::mt19937 random(1106);
    for (int trial = 0; trial < 300; ++trial) {
        std::string text;
        // Every tenth text is long enough to be encoded in several blocks.
        const int count = std::uniform_int_distribution<int>(0, trial % 10 == 0 ? 20000 : 40)(random);
        for (int k = 0; k < count; ++k)
            text += parts[std::uniform_int_distribution<std::size_t>(0, parts.size() - 1)(random)];
        // BIG5-HKSCS joins a character with a mark that follows it.
        for (const char *codePage : {"GBK", "GB18030", "EUC-JP", "ISO-8859-1", "BIG5-HKSCS"}) {
            const std::string whole = iconvWhole(text, codePage);
            ASSERT_EQ(encodeText(text, codePage), whole) << codePage << " trial " << trial;
            Encoder encoder(codePage);
            std::string out;
            std::size_t at = 0;
            while (at < text.size()) {
                const std::size_t piece = std::uniform_int_distribution<std::size_t>(1, 9)(random);
                encoder.encode(std::string_view(text).substr(at, piece), out);
                at += piece;
            }
            encoder.finish(out);
            ASSERT_EQ(out, whole) << codePage << " in pieces, trial " << trial;
        }
    }
}

} // namespace
} // namespace saxolith
