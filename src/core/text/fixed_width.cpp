#include "core/text/fixed_width.h"

namespace saxolith
{

namespace
{

std::string repeat(std::string_view fill, int count)
{
    std::string out;
    if (count <= 0) {
        return out;
    }
    out.reserve(fill.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        out.append(fill);
    }
    return out;
}

} // namespace

int displayWidth(std::string_view text)
{
    int width = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++width;
            ++i;
            continue;
        }
        std::size_t length = 1;
        char32_t code = lead;
        if (lead >= 0xF0) {
            length = 4;
        } else if (lead >= 0xE0) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xC0) {
            length = 2;
            code = lead & 0x1Fu;
        }
        if (length == 4) {
            width += 2; // a surrogate pair: two code units outside the wide range
        } else {
            for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
                code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
            }
            width += (code >= 0x1000 && code <= 0x9FA5) ? 2 : 1;
        }
        i += length;
    }
    return width;
}

std::string padLeft(std::string_view text, std::string_view fill, int width)
{
    std::string out = repeat(fill, width - displayWidth(text));
    out.append(text);
    return out;
}

std::string padRight(std::string_view text, std::string_view fill, int width)
{
    std::string out(text);
    out += repeat(fill, width - displayWidth(text));
    return out;
}

std::string padCentre(std::string_view text, std::string_view fill, int width)
{
    const int n = width - displayWidth(text);
    if (n <= 0) {
        return std::string(text);
    }
    const int right = n / 2;
    std::string out = repeat(fill, n - right);
    out.append(text);
    out += repeat(fill, right);
    return out;
}

std::string spaces(int count)
{
    return count > 0 ? std::string(static_cast<std::size_t>(count), ' ') : std::string();
}

std::string rule(char c, int count)
{
    return std::string(static_cast<std::size_t>(count > 0 ? count : 0), c);
}

} // namespace saxolith
