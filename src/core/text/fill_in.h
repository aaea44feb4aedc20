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
    std::size_t room = pattern.size();
    for (const std::string_view argument : arguments) {
        room += argument.size();
    }
    std::string out;
    out.reserve(room);
    // The text between placeholders goes over whole: notes are made for many rows of a long schedule.
    std::size_t from = 0;
    for (const std::string_view argument : arguments) {
        const std::size_t at = pattern.find("{}", from);
        if (at == std::string_view::npos) {
            break;
        }
        out.append(pattern.substr(from, at - from));
        out.append(argument);
        from = at + 2;
    }
    out.append(pattern.substr(from));
    return out;
}

} // namespace saxolith
