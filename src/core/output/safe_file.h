// Writing a whole file so that a failure never leaves it half written or destroys the previous one.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
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

// The same for a file written in pieces: `write` streams into a buffered temporary file, so a long
// file never sits in memory whole.
std::optional<std::string> writeFileStreamed(const std::string &path,
                                             const std::function<void(std::ostream &)> &write);

// The same for a writer that opens the file by name itself: `write` fills the temporary file it is
// given and returns its own error text, or nothing when the file is complete.
std::optional<std::string>
writeFileThrough(const std::string &path,
                 const std::function<std::optional<std::string>(const std::string &temporary)> &write);

// The same, with the bytes handed piece by piece to the sink `produce` is given; `produce` returns
// false when it gave up (after a refused piece), and the file is then left as it was.
std::optional<std::string>
writeFileSafely(const std::string &path,
                const std::function<bool(const std::function<bool(std::string_view)> &sink)> &produce);

} // namespace saxolith
