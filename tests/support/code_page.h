// Text in another code page, converted by iconv, independently of the program's own encoder: how the
// tests make a GBK file to read and read back the bytes the program wrote.
#pragma once

#include <gtest/gtest.h>

#include <iconv.h>
#include <string>
#include <string_view>

namespace saxolith::test
{

// `text` from code page `from` into code page `to`; a text that does not convert fails the test.
inline std::string convert(std::string_view text, const char *to, const char *from)
{
    const iconv_t cd = iconv_open(to, from);
    std::string out(text.size() * 2 + 16, '\0');
    char *in = const_cast<char *>(text.data());
    std::size_t inLeft = text.size();
    char *outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(result, static_cast<std::size_t>(-1)) << "not convertible from " << from << " to " << to;
    out.resize(out.size() - outLeft);
    return out;
}

inline std::string toGbk(std::string_view utf8)
{
    return convert(utf8, "GBK", "UTF-8");
}

inline std::string fromGbk(std::string_view gbk)
{
    return convert(gbk, "UTF-8", "GBK");
}

// `utf8` (valid UTF-8) as UTF-16 after its byte-order mark, as a spreadsheet saves "Unicode text". Made
// here by hand: the iconv the Windows build tests with knows no UTF-16.
inline std::string toUtf16(std::string_view utf8, bool bigEndian = false)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    const auto unit = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        i += length;
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

} // namespace saxolith::test
