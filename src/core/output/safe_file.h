// Writing a whole file so that a failure never leaves it half written or destroys the previous one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and renames it into place.
// Returns nothing on success; on failure an error text naming the file and the reason, with the
// temporary file removed and any previous file at `path` left as it was. A symbolic link is
// written through to the file it names; a replaced file keeps its permissions; a file the user
// may not write, or marked read-only, is refused. The reason is plain text in any locale.
std::optional<std::string> writeFileSafely(const std::string &path, std::string_view bytes);

} // namespace saxolith
