// Converting the program's UTF-8 texts into the byte encoding of a saved file.
#pragma once

#include <string>
#include <string_view>

namespace saxolith
{

// The bytes of `utf8` in `codePage` (an iconv name such as "GBK" or "UTF-8"). A character the code
// page cannot represent becomes "?"; "UTF-8" (in any spelling) passes the text through unchanged.
// An unknown code page falls back to UTF-8 so that nothing is lost.
std::string encodeText(std::string_view utf8, std::string_view codePage);

} // namespace saxolith
