// A schedule named by a path that may be no file: a pipe (`cat piles.csv | saxolith-batch /dev/stdin`, a
// shell's `<(…)`) or a device, which can be read only once, is read once into a scratch file, which every
// reader of the schedule then takes as the file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace saxolith
{

class ScheduleSource
{
  public:
    // A plain file (a folder, or what cannot be opened) stays where it is, for the readers to read or
    // refuse; anything else is read into a new file of `scratchFolder`, never more than the largest
    // schedule and one byte (so a larger one is refused as too large), and no further than its first
    // bytes when they are no text a schedule is read from (a device of zeros).
    ScheduleSource(std::string path, const std::filesystem::path &scratchFolder);
    ~ScheduleSource(); // the scratch file goes
    ScheduleSource(const ScheduleSource &) = delete;
    ScheduleSource &operator=(const ScheduleSource &) = delete;

    // The file the readers read.
    const std::string &path() const { return m_spool.empty() ? m_path : m_spool; }
    // Why the input could not be read once: the readers cannot take it.
    const std::optional<std::string> &error() const { return m_error; }

  private:
    std::string m_path;
    std::string m_spool;
    std::optional<std::string> m_error;
};

} // namespace saxolith
