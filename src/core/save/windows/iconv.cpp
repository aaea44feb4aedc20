#ifdef _WIN32

#include "core/save/windows/iconv.h"

#include "core/text/utf8.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace
{

using saxolith::writeUtf8;

constexpr unsigned utf8 = CP_UTF8;

struct Conversion {
    unsigned to;
    unsigned from;
};

// The Windows code page for an iconv name; 0 when there is none. GB18030 is 936 where the system
// lacks 54936: the two agree on every character of GBK.
unsigned codePageOf(const char *name)
{
    std::string key;
    for (const char *c = name; *c != '\0'; ++c) {
        if (*c == '/') {
            break; // "//TRANSLIT" and the like
        }
        if (*c != '-' && *c != '_') {
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
        }
    }
    struct Name {
        const char *name;
        unsigned codePage;
    };
    static constexpr Name names[] = {
        {"UTF8", utf8},   {"GBK", 936},       {"GB2312", 936},    {"EUCCN", 936},      {"CP936", 936},
        {"BIG5", 950},    {"BIG5HKSCS", 950}, {"EUCJP", 20932}, {"SHIFTJIS", 932},  {"SJIS", 932},      {"ISO88591", 28591}, {"LATIN1", 28591},
        {"ASCII", 20127}, {"USASCII", 20127}, {"ANSIX3.41968", 20127},
    };
    for (const Name &n : names) {
        if (key == n.name) {
            return n.codePage;
        }
    }
    if (key == "GB18030") {
        return IsValidCodePage(54936) ? 54936 : 936;
    }
    for (const char *prefix : {"CP", "WINDOWS", "IBM"}) {
        const std::size_t length = std::strlen(prefix);
        if (key.size() > length && key.compare(0, length, prefix) == 0 &&
            std::all_of(key.begin() + static_cast<std::ptrdiff_t>(length), key.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
            const unsigned codePage = static_cast<unsigned>(std::stoul(key.substr(length)));
            return IsValidCodePage(codePage) ? codePage : 0;
        }
    }
    return 0;
}

bool isContinuation(unsigned char c) { return (c & 0xC0U) == 0x80; }

// One character of UTF-8 at `in`: its length, 0 when broken, -1 when cut off at the end.
int readUtf8(const unsigned char *in, std::size_t left, char32_t &c)
{
    const unsigned char lead = in[0];
    int length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1FU, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0FU, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07U, least = 0x10000;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (static_cast<std::size_t>(k) >= left) {
            return -1;
        }
        if (!isContinuation(in[k])) {
            return 0;
        }
        c = c << 6 | (in[k] & 0x3FU);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// One character in `codePage` at `in` as UTF-16: its length in bytes, 0 when broken, -1 when cut off.
int readCodePage(unsigned codePage, const unsigned char *in, std::size_t left, wchar_t *wide, int &units)
{
    const std::size_t longest = codePage == 54936 ? 4 : 2;
    for (std::size_t length = 1; length <= longest; ++length) {
        if (length > left) {
            return -1;
        }
        units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char *>(in),
                                    static_cast<int>(length), wide, 2);
        if (units > 0) {
            return static_cast<int>(length);
        }
        if (length == 1 && codePage != 54936 && !IsDBCSLeadByteEx(codePage, in[0])) {
            return 0;
        }
    }
    return 0;
}

int toUtf16(char32_t c, wchar_t *wide)
{
    if (c < 0x10000) {
        wide[0] = static_cast<wchar_t>(c);
        return 1;
    }
    c -= 0x10000;
    wide[0] = static_cast<wchar_t>(0xD800 + (c >> 10));
    wide[1] = static_cast<wchar_t>(0xDC00 + (c & 0x3FFU));
    return 2;
}

char32_t fromUtf16(const wchar_t *wide, int units)
{
    if (units == 2) {
        return 0x10000 + ((static_cast<char32_t>(wide[0]) - 0xD800) << 10) + (static_cast<char32_t>(wide[1]) - 0xDC00);
    }
    return static_cast<char32_t>(wide[0]);
}

// The bytes of one UTF-16 character in `codePage`; 0 when the code page lacks it.
int writeCodePage(unsigned codePage, const wchar_t *wide, int units, char *out)
{
    // These code pages take no flags and no default-character question: a round trip tells.
    const bool plain = codePage == 54936 || codePage == 65000 || codePage == 42 || codePage == 50220 ||
                       (codePage >= 57002 && codePage <= 57011);
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(codePage, plain ? 0 : WC_NO_BEST_FIT_CHARS, wide, units, out, 8,
                                           nullptr, plain ? nullptr : &usedDefault);
    if (length <= 0 || usedDefault) {
        return 0;
    }
    if (plain) {
        wchar_t back[4];
        const int backUnits = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, out, length, back, 4);
        if (backUnits != units || std::memcmp(back, wide, sizeof(wchar_t) * static_cast<std::size_t>(units)) != 0) {
            return 0;
        }
    }
    return length;
}

} // namespace

iconv_t iconv_open(const char *to, const char *from)
{
    const unsigned toPage = codePageOf(to);
    const unsigned fromPage = codePageOf(from);
    if (toPage == 0 || fromPage == 0) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    return new Conversion{toPage, fromPage};
}

std::size_t iconv(iconv_t cd, char **in, std::size_t *inLeft, char **out, std::size_t *outLeft)
{
    const auto &conversion = *static_cast<const Conversion *>(cd);
    if (in == nullptr || *in == nullptr) {
        return 0;
    }
    while (*inLeft > 0) {
        const auto *from = reinterpret_cast<const unsigned char *>(*in);
        wchar_t wide[2];
        int units = 0;
        int read = 0;
        char32_t c = 0;
        if (conversion.from == utf8) {
            read = readUtf8(from, *inLeft, c);
            if (read > 0) {
                units = toUtf16(c, wide);
            }
        } else if (from[0] < 0x80) {
            read = 1, wide[0] = from[0], units = 1, c = from[0];
        } else {
            read = readCodePage(conversion.from, from, *inLeft, wide, units);
            if (read > 0) {
                c = fromUtf16(wide, units);
            }
        }
        if (read == 0) {
            errno = EILSEQ;
            return static_cast<std::size_t>(-1);
        }
        if (read < 0) {
            errno = EINVAL;
            return static_cast<std::size_t>(-1);
        }
        char bytes[8];
        int written = 0;
        if (conversion.to == utf8) {
            written = writeUtf8(c, bytes);
        } else if (c < 0x80) {
            bytes[0] = static_cast<char>(c), written = 1;
        } else {
            written = writeCodePage(conversion.to, wide, units, bytes);
            if (written == 0) {
                errno = EILSEQ;
                return static_cast<std::size_t>(-1);
            }
        }
        if (static_cast<std::size_t>(written) > *outLeft) {
            errno = E2BIG;
            return static_cast<std::size_t>(-1);
        }
        std::memcpy(*out, bytes, static_cast<std::size_t>(written));
        *out += written;
        *outLeft -= static_cast<std::size_t>(written);
        *in += read;
        *inLeft -= static_cast<std::size_t>(read);
    }
    return 0;
}

int iconv_close(iconv_t cd)
{
    delete static_cast<Conversion *>(cd);
    return 0;
}

#endif
