#include "core/save/file_system.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace saxolith
{

namespace
{

// The process a save's leftover name carries ("piles.csv.saving-4711-0" → 4711); 0 for any other name.
long saveProcessOf(std::string_view name)
{
    const auto digitsAtEnd = [&name](long &value) {
        const std::size_t dash = name.rfind('-');
        if (dash == std::string_view::npos || dash + 1 == name.size()) {
            return false;
        }
        const char *first = name.data() + dash + 1;
        const char *last = name.data() + name.size();
        const auto [end, error] = std::from_chars(first, last, value);
        name = name.substr(0, dash);
        return error == std::errc() && end == last && *first != '-' && *first != '+';
    };
    long attempt = 0;
    long process = 0;
    if (!digitsAtEnd(attempt) || attempt >= 100 || !digitsAtEnd(process) || process <= 0) {
        return 0;
    }
    for (const std::string_view kind : {std::string_view(".saving"), std::string_view(".previous")}) {
        if (name.size() > kind.size() && name.ends_with(kind)) {
            return process;
        }
    }
    return 0;
}

} // namespace

void removeStaleSaves(const std::string &folder)
{
    std::error_code error;
    std::filesystem::directory_iterator entries(filePath(folder), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::u8string name = entries->path().filename().u8string();
        const long process =
            saveProcessOf(std::string_view(reinterpret_cast<const char *>(name.data()), name.size()));
        std::error_code ignored;
        if (process != 0 && entries->symlink_status(ignored).type() == std::filesystem::file_type::regular &&
            !processRuns(process)) {
            std::filesystem::remove(entries->path(), ignored);
        }
    }
}

} // namespace saxolith
