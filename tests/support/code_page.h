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

// `utf8` as UTF-16 after its byte-order mark, as a spreadsheet saves "Unicode text".
inline std::string toUtf16(std::string_view utf8, bool bigEndian = false)
{
    return (bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE")) +
           convert(utf8, bigEndian ? "UTF-16BE" : "UTF-16LE", "UTF-8");
}

} // namespace saxolith::test
