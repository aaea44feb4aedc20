#include "output/safe_file.h"

namespace saxolith {

std::optional<std::string> writeFileSafely(const std::string &path, std::string_view /*bytes*/)
{
    return "cannot write " + path;
}

} // namespace saxolith
