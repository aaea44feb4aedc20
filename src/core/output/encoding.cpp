#include "output/encoding.h"

namespace saxolith {

std::string encodeText(std::string_view utf8, std::string_view /*codePage*/) { return std::string(utf8); }

} // namespace saxolith
