// A number's text as an input method may type it, made plain for the number readers.
#pragma once

#include <string>
#include <string_view>

namespace saxolith
{

// Full-width digits, signs and points (an input method's) as their ASCII forms; the minus sign too.
std::string asciiNumber(std::string_view text);

} // namespace saxolith
