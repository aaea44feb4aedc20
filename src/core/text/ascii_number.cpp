#include "core/text/ascii_number.h"

#include <algorithm>

namespace saxolith
{

std::string asciiNumber(std::string_view text)
{
    // Most cells are ASCII already, and stay as they are.
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // U+FF0B..U+FF19 are EF BC 8B..99; U+2212 is E2 88 92.
        if (byte == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBC) {
            const auto last = static_cast<unsigned char>(text[i + 2]);
            if (last >= 0x90 && last <= 0x99) {
                out += static_cast<char>('0' + (last - 0x90));
                i += 2;
                continue;
            }
            if (last == 0x8B || last == 0x8D || last == 0x8E) {
                out += last == 0x8B ? '+' : last == 0x8D ? '-' : '.';
                i += 2;
                continue;
            }
        }
        if (text.substr(i).starts_with("\u2212")) {
            out += '-';
            i += 2;
            continue;
        }
        out += text[i];
    }
    return out;
}

} // namespace saxolith
