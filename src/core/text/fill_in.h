// The one placeholder of the program's texts: "{}", filled in by the arguments in order.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace saxolith
{

// `pattern` with each "{}" replaced by the next argument; a "{}" beyond the arguments stays as it
// is, and an argument's own "{}" is never filled.
inline std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> arguments)
{
    std::string out;
    out.reserve(pattern.size());
    auto argument = arguments.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.substr(i, 2) == "{}" && argument != arguments.end()) {
            out.append(*argument++);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace saxolith
