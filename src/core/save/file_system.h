// What saving and reading ask of the system, once for POSIX and once for Windows: a fresh temporary
// file beside its target, replaced onto it only when complete, a folder held by one run, a run's files
// moved into place together, and the plain reason of a failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// The path std::filesystem and the file streams take for a file name as the program holds it: the
// name's bytes on POSIX; on Windows the name is UTF-8, which a plain std::string would be read as the
// ANSI code page.
std::filesystem::path filePath(const std::string &name);
// The other way: the name, as the program holds it, of a path std::filesystem gave.
std::string fileName(const std::filesystem::path &path);

// The name of an existing file or folder for a library that opens files with the C runtime's narrow
// functions (the spreadsheet library on Windows): the name itself on POSIX; on Windows its form in the
// ANSI code page, or its short (8.3) form where that code page cannot hold it.
std::string narrowFileName(const std::string &name);

// A temporary file beside the file a save replaces; removed unless committed.
class TemporaryFile
{
  public:
    // Opens one for the file `shownPath` names. A symbolic link is followed (the link stays, the file
    // it points at is replaced); a file the user may not write, or marked read-only, is refused; a
    // replaced file's permissions (and owner, where the user may give it) pass to the new one.
    // Nothing and an error text naming `shownPath` when it cannot be made.
    static std::unique_ptr<TemporaryFile> open(const std::string &shownPath, std::string &error);
    virtual ~TemporaryFile() = default;

    // False once a piece could not be written; `failure` then says why.
    virtual bool write(std::string_view bytes) = 0;
    // Flushes the file to disk and puts it in the target's place. `earlier` is a failure already
    // met (a system error code, or 0): then, as on any failure here, the temporary file goes and the
    // target stays as it was. Nothing on success, else the error text naming the shown path.
    virtual std::optional<std::string> commit(int earlier) = 0;
    // The system's code of the last failed write (an errno value).
    virtual int failure() const = 0;

  protected:
    TemporaryFile() = default;
};

// Streams the file at `file` in pieces of `pieceBytes` into `take`; false when it could not be read
// (errno then says why) or `take` refused a piece.
bool readFileInPieces(const std::string &file, std::size_t pieceBytes,
                      const std::function<bool(std::string_view)> &take);

// Why the file `file` cannot be read, in plain words, for a reader that could not open it: a folder,
// or the system's reason.
std::string readProblem(const std::string &file);

// True when the user may make files in `folder`.
bool mayCreateIn(const std::filesystem::path &folder);

// A new empty file of a name no one else has, in `folder`, for a library that writes only to a file
// it opens by name; its path, or nothing with errno set.
std::optional<std::string> createScratchFile(const std::filesystem::path &folder, std::string_view stem);
void removeFile(const std::string &file);
// Renames `from` onto `to`, replacing a file there (which a plain rename does not do on Windows);
// 0 or the errno value of the failure.
int renameOnto(const std::string &from, const std::string &to);

// Who a plain file is and how it stands: two stamps are equal only for the same file, unchanged.
struct FileStamp {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t size = 0;
    bool operator==(const FileStamp &) const = default;
};
// The stamp of the plain file `path` names (through links); nothing when there is none, or it is
// something else (a folder, a device).
std::optional<FileStamp> plainFileStamp(const std::string &path);

// How readStreamInput found its input.
enum class StreamInput { PlainFile, Read, Failed };
// Reads what `path` names, when it is neither a plain file nor a folder (a pipe, a device), once into
// `take`, in pieces of `pieceBytes`, without waiting for a writer a pipe does not have (it then reads as
// empty). PlainFile, having read nothing, for a plain file, a folder, or what cannot be opened (its
// readers say why); Failed (errno set) when reading failed; `take` false ends the reading early.
StreamInput readStreamInput(const std::string &path, std::size_t pieceBytes,
                            const std::function<bool(std::string_view)> &take);

// True when `path` names a folder (links followed).
bool isFolder(const std::string &path);

// An advisory lock on a folder, held while the object lives; a second holder, in this process or
// another, is refused at once.
class FolderLock
{
  public:
    FolderLock() = default;
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;
    ~FolderLock();

    // Locks `folder`; nothing when the lock is held, otherwise the error text (`busy`: another holder
    // has it).
    std::optional<std::string> lock(const std::string &folder, bool &busy);

  private:
    void release();
    std::intptr_t m_handle = -1;
};

// A new folder of a name no one else has, inside `folder`, that only the user may enter; its path,
// or nothing with errno set.
std::optional<std::string> createScratchFolder(const std::string &folder, std::string_view stem);
// Removes a folder and everything in it, as far as it can.
void removeFolder(const std::string &folder);

// A finished file moved onto a file's name so that the move can be undone.
struct Replacement {
    std::string staged;   // the finished file
    std::string shown;    // the name as the user gave it
    std::string target;   // the file the name ends at, links followed
    std::string previous; // a second name of the replaced file, beside it; empty: none was there
};
// Readies the move as a save replaces a file: the name's links followed to its target, a target the
// user may not write (or marked read-only) refused, the replaced file's permissions given to the staged
// one, and a second name kept of the replaced file (a link, or a copy where the disk has no links).
// 0 or the errno value of the failure; nothing is left behind on failure.
int prepareReplacement(Replacement &replacement);

// Makes the names a folder holds survive a power cut (where the system needs asking).
void flushFolder(const std::string &folder);

// How a file the program keeps for the user alone (a recovery journal) was found by readOwnFile.
enum class OwnFile { Read, NotPlain, NotOwn, TooLarge, Unreadable };
// Reads `path` whole when it is a plain file of the user's own of at most `limit` bytes: never through a
// link, and never from a device, a pipe or a folder (NotPlain), so nothing it opens can block or run on.
OwnFile readOwnFile(const std::string &path, std::uintmax_t limit, std::string &bytes);
// Makes `folder` when it is missing and narrows it to the user alone; false when it is not the user's
// own folder or others may still write in it.
bool makePrivateFolder(const std::string &folder);
// A new empty file only the user may read or write, never through a link; false when it could not be
// made (a file of that name there already included).
bool createPrivateFile(const std::string &path);
// Whether the process `id` still runs on this machine.
bool processRuns(long id);

// Removes what saves of processes that no longer run left in `folder`: their temporary files
// ("NAME.saving-PID-N") and the second names of the files their moves replaced ("NAME.previous-PID-N"),
// plain files alone. Nothing else is touched.
void removeStaleSaves(const std::string &folder);

// The error code of a file marked read-only (refused even where the system would let the user write
// it); beside the errno values, which are positive.
inline constexpr int readOnlyError = -1;

// The reason of an errno value (or readOnlyError) in plain Chinese words, whatever the system's
// language: 权限不足, 磁盘已满, 文件不存在, …
std::string reasonText(int error);
// The same for a file or folder that could not be made, where a missing file means its folder.
std::string makingReasonText(int error);

// `what` (a text of saveText with two "{}": the path, then the reason) filled in: the one shape of
// every file error the program reports (with makingReasonText but for saveText::cannotRead).
std::string fileFailure(std::string_view what, const std::string &path, int error);

} // namespace saxolith
