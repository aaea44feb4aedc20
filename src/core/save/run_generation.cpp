#include "core/save/run_generation.h"

#include "core/save/safe_file.h"

#include <algorithm>
#include <cerrno>

namespace saxolith
{

namespace
{

// Puts back what a move replaced: the kept second name onto the target, or no file where none was.
void undo(const Replacement &move)
{
    if (!move.previous.empty()) {
        renameOnto(move.previous, move.target);
    } else {
        removeFile(move.target);
    }
}

} // namespace

RunGeneration::~RunGeneration()
{
    if (!m_staging.empty()) {
        removeFolder(m_staging);
    }
}

std::optional<std::string> RunGeneration::begin(const std::string &folder)
{
    m_folder = folder;
    const std::optional<std::string> staging = createScratchFolder(folder, ".saxolith-run");
    if (!staging) {
        return fileFailure("Cannot create folder", folder, errno);
    }
    m_staging = *staging;
    return std::nullopt;
}

std::string RunGeneration::scratchPath(std::string_view name) const
{
    return m_staging + "/" + std::string(name);
}

std::string RunGeneration::shown(std::string message) const
{
    if (m_staging.empty()) {
        return message;
    }
    const std::string staged = m_staging + "/";
    const std::string placed = m_folder + "/";
    for (std::size_t at = 0; (at = message.find(staged, at)) != std::string::npos; at += placed.size()) {
        message.replace(at, staged.size(), placed);
    }
    return message;
}

std::string RunGeneration::stagedPath(std::string_view name)
{
    if (std::find(m_names.begin(), m_names.end(), name) == m_names.end()) {
        m_names.emplace_back(name);
    }
    return m_staging + "/" + std::string(name);
}

std::optional<std::string> RunGeneration::commit()
{
    // First every check, so that a refusal moves nothing.
    std::vector<Replacement> moves;
    const auto dropSecondNames = [&moves] {
        for (const Replacement &move : moves) {
            if (!move.previous.empty()) {
                removeFile(move.previous);
            }
        }
    };
    for (const std::string &name : m_names) {
        Replacement move;
        move.staged = m_staging + "/" + name;
        move.shown = m_folder + "/" + name;
        if (const int error = prepareReplacement(move); error != 0) {
            dropSecondNames();
            return fileFailure("Cannot write file", move.shown, error);
        }
        moves.push_back(std::move(move));
    }
    for (std::size_t i = 0; i < moves.size(); ++i) {
        int error = renameOnto(moves[i].staged, moves[i].target);
        if (error == EXDEV) {
            // A link to another disk: the file is copied there by the safe save instead.
            const std::string &staged = moves[i].staged;
            error = saveFile(moves[i].target, [&staged](const ByteSink &sink) {
                        return completeWhen(copyFileInto(staged, sink));
                    })
                        ? EIO
                        : 0;
        }
        if (error == 0) {
            continue;
        }
        for (std::size_t back = 0; back < i; ++back) {
            undo(moves[back]);
            moves[back].previous.clear();
        }
        dropSecondNames();
        return fileFailure("Cannot write file", moves[i].shown, error);
    }
    dropSecondNames();
    flushFolder(m_folder);
    return std::nullopt;
}

} // namespace saxolith
