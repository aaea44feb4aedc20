#include "core/text/candidate_number.h"

#include <charconv>
#include <cstring>

namespace saxolith
{

int digitCount(std::size_t n)
{
    int digits = 1;
    for (; n >= 10; n /= 10) {
        ++digits;
    }
    return digits;
}

std::size_t writeCandidateNumber(char *out, std::size_t position, int digits)
{
    std::memcpy(out, "ZH-", 3);
    char number[24];
    const auto end = std::to_chars(number, number + sizeof number, position).ptr;
    const auto length = static_cast<std::size_t>(end - number);
    const std::size_t zeros = digits > 0 && static_cast<std::size_t>(digits) > length
                                  ? static_cast<std::size_t>(digits) - length
                                  : 0;
    std::memset(out + 3, '0', zeros);
    std::memcpy(out + 3 + zeros, number, length);
    return 3 + zeros + length;
}

std::string candidateNumber(std::size_t position, int digits)
{
    char text[24 + 3 + 64];
    const int width = digits > 64 ? 64 : digits;
    return {text, writeCandidateNumber(text, position, width)};
}

} // namespace saxolith
