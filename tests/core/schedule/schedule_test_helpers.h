// Shared by the schedule tests: GBK bytes made independently of the program's own encoder.
#pragma once

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

// One member of a zip file (an .xlsx is one), read by the unzip program.
inline std::string zipMember(const std::string &zip, const std::string &member)
{
    const std::string command = "unzip -p '" + zip + "' '" + member + "'";
    std::string out;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            out.append(buffer, n);
        }
        EXPECT_EQ(pclose(pipe), 0) << command;
    }
    return out;
}

} // namespace saxolith::test
