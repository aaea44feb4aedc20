// What every fuzz target reports a broken rule with: the rule and the input's state, then an abort
// that libFuzzer records as a finding with its reproducer.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace saxolith::fuzz
{

inline void require(bool holds, std::string_view rule, std::string_view detail = {})
{
    if (!holds) {
        std::fprintf(stderr, "broken: %.*s [", static_cast<int>(rule.size()), rule.data());
        for (const char c : detail) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7f || byte == '\\') {
                std::fprintf(stderr, "\\x%02x", byte);
            } else {
                std::fputc(c, stderr);
            }
        }
        std::fputs("]\n", stderr);
        std::abort();
    }
}

// A text fit for a book line or a saved file: no control character but the blank.
inline bool printable(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return true;
}

} // namespace saxolith::fuzz
