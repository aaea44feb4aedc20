// Writing a whole file so that a failure never leaves it half written or destroys the previous one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and renames it into place.
// Returns nothing on success; on failure an error text naming the file and the reason, with the
// temporary file removed and any previous file at `path` left as it was.
std::optional<std::string> writeFileSafely(const std::string &path, std::string_view bytes);

// The same, with the bytes handed piece by piece to the sink `produce` is given; `produce` returns
// false when it gave up (after a refused piece), and the file is then left as it was.
std::optional<std::string>
writeFileSafely(const std::string &path,
                const std::function<bool(const std::function<bool(std::string_view)> &sink)> &produce);

} // namespace saxolith
