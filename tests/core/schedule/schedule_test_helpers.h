// Shared by the schedule tests: GBK bytes made independently of the program's own encoder.
#pragma once

#include "support/zip_member.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iconv.h>
#include <string>

namespace saxolith::test
{

inline std::string convert(const std::string &text, const char *to, const char *from)
{
    iconv_t cd = iconv_open(to, from);
    std::string out(text.size() * 2 + 16, '\0');
    char *in = const_cast<char *>(text.data());
    std::size_t inLeft = text.size();
    char *outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(result, static_cast<std::size_t>(-1)) << "not convertible";
    out.resize(out.size() - outLeft);
    return out;
}

inline std::string toGbk(const std::string &utf8)
{
    return convert(utf8, "GBK", "UTF-8");
}

inline std::string fromGbk(const std::string &gbk)
{
    return convert(gbk, "UTF-8", "GBK");
}


} // namespace saxolith::test
