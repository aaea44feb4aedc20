// One run's output files replaced together: all are written apart first and moved onto their names
// only when every one is complete.
#pragma once

#include "core/save/file_system.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

// The files of one run: each is written (through the one safe save, so streamed and flushed) into a
// private folder inside the output folder, and all are moved onto their names only when every one
// is complete. Until then, and after any failure, the files of the previous run stay as they were.
class RunGeneration
{
  public:
    RunGeneration() = default;
    RunGeneration(const RunGeneration &) = delete;
    RunGeneration &operator=(const RunGeneration &) = delete;
    // Whatever was not moved into place goes with the private folder.
    ~RunGeneration();

    // Opens the private folder inside `folder`, which the caller holds locked (FolderLock): first what
    // runs of it that were killed left there goes, a move of their files into place that one of them
    // began completed (or, when it cannot be, undone). Nothing on success, otherwise the reason.
    std::optional<std::string> begin(const std::string &folder);

    // Where the file `name` is to be written; it joins the generation.
    std::string stagedPath(std::string_view name);
    // Where a file the run needs only while it runs may stand; it goes with the private folder.
    std::string scratchPath(std::string_view name) const;
    // A message about a file of the generation, naming it where it is to stand in the output folder, not
    // in the private folder, which is gone once the run ends.
    std::string shown(std::string message) const;

    // Moves every file onto its name in the output folder, each as the safe save replaces a file (through
    // links, keeping the replaced file's permissions, refusing one the user may not write). When a move
    // fails the files already moved are put back as they were; a run killed on the way has its move
    // completed by the next (see begin()). Nothing on success, otherwise the reason. `afterMove` is
    // called after each file's move (where a test stops the run as a kill would).
    std::optional<std::string> commit(const std::function<void()> &afterMove = {});

  private:
    std::string m_folder;
    std::string m_staging;
    std::vector<std::string> m_names;
};

} // namespace saxolith
