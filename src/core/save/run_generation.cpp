#include "core/save/run_generation.h"

#include "core/save/safe_file.h"
#include "core/texts/saving.h"

#include <algorithm>
#include <cerrno>

namespace saxolith
{

namespace
{

constexpr std::string_view runStem = ".saxolith-run";
constexpr std::size_t runFolderName = runStem.size() + 7; // the stem, "-" and six characters made unique
// Inside the private folder: the moves of a commit under way, written whole before the first of them.
constexpr std::string_view planName = "moves";

// Puts back what a move replaced: the kept second name onto the target, or no file where none was.
void undo(const Replacement &move)
{
    if (!move.previous.empty()) {
        renameOnto(move.previous, move.target);
    } else {
        removeFile(move.target);
    }
}

// Moves a finished file onto its target: renamed, or copied by the safe save where the target is on
// another disk (the finished file then goes, so that a file moved is never one still staged). 0 or errno.
int moveStaged(const Replacement &move)
{
    int error = renameOnto(move.staged, move.target);
    if (error == EXDEV) {
        const std::string &staged = move.staged;
        error = saveFile(move.target,
                         [&staged](const ByteSink &sink) { return completeWhen(copyFileInto(staged, sink)); })
                    ? EIO
                    : 0;
        if (error == 0) {
            removeFile(move.staged);
        }
    }
    return error;
}

// The plan: each move's finished file, target and kept second name, every one ended by a NUL (which no
// path holds).
std::string planText(const std::vector<Replacement> &moves)
{
    std::string text;
    for (const Replacement &move : moves) {
        for (const std::string *part : {&move.staged, &move.target, &move.previous}) {
            text += *part;
            text += '\0';
        }
    }
    return text;
}

std::vector<Replacement> readPlan(const std::string &path)
{
    std::string text;
    if (!readFileInPieces(path, std::size_t{1} << 16, [&text](std::string_view piece) {
            text.append(piece);
            return true;
        })) {
        return {};
    }
    std::vector<std::string> parts;
    for (std::size_t start = 0, end = 0; (end = text.find('\0', start)) != std::string::npos;
         start = end + 1) {
        parts.push_back(text.substr(start, end - start));
    }
    std::vector<Replacement> moves;
    for (std::size_t i = 0; i + 2 < parts.size(); i += 3) {
        Replacement move;
        move.staged = parts[i];
        move.target = parts[i + 1];
        move.previous = parts[i + 2];
        moves.push_back(std::move(move));
    }
    return moves;
}

// A killed run's move completed, so the folder holds that run's files; when a file cannot be moved,
// every file it moved is put back, so the folder holds the run's before. Its second names go either way.
void finishMoves(const std::string &staging)
{
    const std::vector<Replacement> moves = readPlan(staging + "/" + std::string(planName));
    const auto stillStaged = [](const Replacement &move) { return plainFileStamp(move.staged).has_value(); };
    bool forward = true;
    for (const Replacement &move : moves) {
        if (stillStaged(move) && moveStaged(move) != 0) {
            forward = false;
            break;
        }
    }
    for (const Replacement &move : moves) {
        if (!forward && !stillStaged(move)) {
            undo(move);
        } else if (!move.previous.empty()) {
            removeFile(move.previous);
        }
    }
}

// The private folders of runs of `folder` that no longer run (the caller holds the folder's lock), each
// as its run left it.
std::vector<std::string> leftRunFolders(const std::string &folder)
{
    std::vector<std::string> left;
    std::error_code error;
    std::filesystem::directory_iterator entries(filePath(folder), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::u8string wide = entries->path().filename().u8string();
        const std::string name(reinterpret_cast<const char *>(wide.data()), wide.size());
        std::error_code ignored;
        if (name.size() == runFolderName && name.starts_with(std::string(runStem) + "-") &&
            entries->symlink_status(ignored).type() == std::filesystem::file_type::directory) {
            left.push_back(folder + "/" + name);
        }
    }
    return left;
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
    for (const std::string &left : leftRunFolders(folder)) {
        finishMoves(left);
        removeFolder(left);
    }
    const std::optional<std::string> staging = createScratchFolder(folder, runStem);
    if (!staging) {
        return fileFailure(saveText::cannotMakeFolder, folder, errno);
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

std::optional<std::string> RunGeneration::commit(const std::function<void()> &afterMove)
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
            return fileFailure(saveText::cannotWrite, move.shown, error);
        }
        moves.push_back(std::move(move));
    }
    // The moves written down whole before the first: a run killed among them has them finished by the next.
    const std::string plan = scratchPath(planName);
    if (const auto error = saveFile(plan, planText(moves))) {
        dropSecondNames();
        return error;
    }
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const int error = moveStaged(moves[i]);
        if (error == 0) {
            if (afterMove) {
                afterMove();
            }
            continue;
        }
        for (std::size_t back = 0; back < i; ++back) {
            undo(moves[back]);
            moves[back].previous.clear();
        }
        dropSecondNames();
        return fileFailure(saveText::cannotWrite, moves[i].shown, error);
    }
    dropSecondNames();
    removeFile(plan);
    flushFolder(m_folder);
    return std::nullopt;
}

} // namespace saxolith
