#ifndef _WIN32

#include "core/save/file_system.h"

#include "core/texts/saving.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace saxolith
{

namespace
{

// Writes everything, resuming after interrupted or partial writes.
bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The folder holding `path`, for flushing the rename to disk.
std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links ends at (the path itself when it is none); a link may
// point at a file not there yet. Fails with ELOOP on a circle.
std::optional<std::string> followLinks(std::string path, int &error)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {
        };
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            error = errno;
            return std::nullopt;
        }
        target.resize(static_cast<std::size_t>(length));
        if (target.empty()) {
            error = ENOENT;
            return std::nullopt;
        }
        path = target.front() == '/' ? target : folderOf(path) + "/" + target;
    }
    error = ELOOP;
    return std::nullopt;
}

// Creates a fresh file beside `path`; O_EXCL keeps us off anyone else's file, and the kernel
// applies the user's umask to the mode as for any new file. Returns its descriptor, or -1 with errno.
int createTemporary(const std::string &path, std::string &temporary)
{
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".saving-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    return fd;
}

class PosixTemporaryFile final : public TemporaryFile
{
  public:
    PosixTemporaryFile(int fd, std::string temporary, std::string path, std::string shownPath)
        : m_fd(fd), m_temporary(std::move(temporary)), m_path(std::move(path)), m_shownPath(std::move(shownPath))
    {
    }
    ~PosixTemporaryFile() override
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            ::unlink(m_temporary.c_str());
        }
    }
    PosixTemporaryFile(const PosixTemporaryFile &) = delete;
    PosixTemporaryFile &operator=(const PosixTemporaryFile &) = delete;

    bool write(std::string_view bytes) override
    {
#ifdef __linux__
        // A long file's room is taken ahead, a stretch at a time: the writes then fill blocks the file
        // system has given already instead of reserving each as it comes. What is left over beyond the
        // end is handed back before the file is completed; a disk that cannot give the room ahead is
        // written as before.
        constexpr std::uint64_t roomFrom = std::uint64_t{8} << 20;
        constexpr std::uint64_t roomAhead = std::uint64_t{32} << 20;
        const std::uint64_t end = m_written + bytes.size();
        if (m_failure == 0 && end > m_room && end >= roomFrom) {
            const std::uint64_t from = std::max(m_room, m_written);
            const std::uint64_t room = end + roomAhead;
            if (::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(from),
                            static_cast<off_t>(room - from)) == 0) {
                m_room = room;
            }
        }
#endif
        if (m_failure == 0 && !writeAll(m_fd, bytes)) {
            m_failure = errno != 0 ? errno : EIO;
        }
        m_written += bytes.size();
#ifdef __linux__
        // A long file goes to disk while it is still being written, two megabytes at a time, rather
        // than all at once in the flush that completes it: the run goes on meanwhile, and little is
        // left for that flush to wait for.
        constexpr std::uint64_t writeBehind = std::uint64_t{2} << 20;
        if (m_failure == 0 && m_written - m_onItsWay >= writeBehind) {
            ::sync_file_range(m_fd, static_cast<off_t>(m_onItsWay), static_cast<off_t>(m_written - m_onItsWay),
                              SYNC_FILE_RANGE_WRITE);
            m_onItsWay = m_written;
        }
#endif
        return m_failure == 0;
    }

    int failure() const override { return m_failure; }

    std::optional<std::string> commit(int error) override
    {
#ifdef __linux__
        // The room taken ahead and not written goes back: cut at the file's own length, which stays.
        if (m_room > m_written && error == 0 && ::ftruncate(m_fd, static_cast<off_t>(m_written)) != 0) {
            error = errno;
        }
#endif
        if (error == 0 && ::fsync(m_fd) != 0) {
            error = errno;
        }
        if (::close(m_fd) != 0 && error == 0) {
            error = errno;
        }
        m_fd = -1;
        if (error == 0 && std::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
            error = errno;
        }
        if (error != 0) {
            ::unlink(m_temporary.c_str());
            return fileFailure(saveText::cannotWrite, m_shownPath, error);
        }
        // The new name itself must survive a power cut; a failure here loses nothing already written.
        const int folder = ::open(folderOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return std::nullopt;
    }

  private:
    int m_fd;
    std::string m_temporary;
    std::string m_path;
    std::string m_shownPath;
    int m_failure = 0;
    std::uint64_t m_written = 0;
    std::uint64_t m_onItsWay = 0; // bytes already sent on to the disk
    std::uint64_t m_room = 0;     // bytes of room taken ahead
};

} // namespace

std::filesystem::path filePath(const std::string &name)
{
    return std::filesystem::path(name);
}

std::string fileName(const std::filesystem::path &path)
{
    return path.string();
}

std::string narrowFileName(const std::string &name)
{
    return name;
}

std::unique_ptr<TemporaryFile> TemporaryFile::open(const std::string &shownPath, std::string &error)
{
    int linkError = 0;
    const std::optional<std::string> target = followLinks(shownPath, linkError);
    if (!target) {
        error = fileFailure(saveText::cannotWrite, shownPath, linkError);
        return nullptr;
    }
    const std::string &path = *target;
    struct stat previous {
    };
    const bool replacing = ::stat(path.c_str(), &previous) == 0 && S_ISREG(previous.st_mode);
    // Read-only is refused even to an administrator, whom access() would let through.
    if (replacing && ((previous.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)) {
        error = fileFailure(saveText::cannotWrite, shownPath,
                            (previous.st_mode & 0222) == 0 ? readOnlyError : EACCES);
        return nullptr;
    }
    // What a save killed on its way left beside the file goes before this one adds its own.
    removeStaleSaves(folderOf(path));
    std::string temporary;
    const int fd = createTemporary(path, temporary);
    if (fd < 0) {
        error = fileFailure(saveText::cannotCreate, shownPath, errno);
        return nullptr;
    }
    if (replacing) {
        ::fchmod(fd, previous.st_mode & 07777);
        if (previous.st_uid != ::geteuid() || previous.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd, previous.st_uid, previous.st_gid);
        }
    }
    return std::make_unique<PosixTemporaryFile>(fd, std::move(temporary), path, shownPath);
}

bool readFileInPieces(const std::string &file, std::size_t pieceBytes,
                      const std::function<bool(std::string_view)> &take)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    std::vector<char> piece(pieceBytes);
    bool complete = true;
    while (complete) {
        const ssize_t got = ::read(fd, piece.data(), piece.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            complete = got == 0;
            break;
        }
        complete = take(std::string_view(piece.data(), static_cast<std::size_t>(got)));
    }
    ::close(fd);
    return complete;
}

StreamInput readStreamInput(const std::string &path, std::size_t pieceBytes,
                            const std::function<bool(std::string_view)> &take)
{
    // Opened without waiting: a pipe no one writes to would otherwise hold the open for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return StreamInput::PlainFile;
    }
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return StreamInput::PlainFile;
    }
    // Then read as any reader reads: a pipe's writer is waited for, and a pipe without one ends at once.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    std::vector<char> piece(pieceBytes);
    StreamInput found = StreamInput::Read;
    for (;;) {
        const ssize_t got = ::read(fd, piece.data(), piece.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            found = StreamInput::Failed;
            break;
        }
        if (got == 0 || !take(std::string_view(piece.data(), static_cast<std::size_t>(got)))) {
            break;
        }
    }
    const int error = errno;
    ::close(fd);
    errno = error;
    return found;
}

bool mayCreateIn(const std::filesystem::path &folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::string> createScratchFile(const std::filesystem::path &folder, std::string_view stem)
{
    std::string name = (folder / (std::string(stem) + "-XXXXXX")).string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return std::nullopt;
    }
    ::close(fd);
    return name;
}

void removeFile(const std::string &file)
{
    ::unlink(file.c_str());
}

int renameOnto(const std::string &from, const std::string &to)
{
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool isFolder(const std::string &path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FolderLock::~FolderLock()
{
    release();
}

void FolderLock::release()
{
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
}

std::optional<std::string> FolderLock::lock(const std::string &folder, bool &busy)
{
    busy = false;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return fileFailure(saveText::cannotOpenFolder, folder, errno);
    }
    // On the folder itself, so nothing is added to it and a crashed run's lock goes with the run.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        busy = error == EWOULDBLOCK;
        return fileFailure(saveText::cannotLockFolder, folder, error);
    }
    release();
    m_handle = fd;
    return std::nullopt;
}

std::optional<std::string> createScratchFolder(const std::string &folder, std::string_view stem)
{
    std::string name = folder + "/" + std::string(stem) + "-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
        return std::nullopt;
    }
    return name;
}

void removeFolder(const std::string &folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

namespace
{

// A copy of `from` under the new name `to`, for a disk that has no second names; 0 or errno.
int copyAs(const std::string &from, const std::string &to)
{
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        return errno;
    }
    int error = 0;
    errno = 0;
    if (!readFileInPieces(from, std::size_t{1} << 20, [out](std::string_view piece) { return writeAll(out, piece); })) {
        error = errno != 0 ? errno : EIO;
    }
    if (::close(out) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(to.c_str());
    }
    return error;
}

} // namespace

int prepareReplacement(Replacement &replacement)
{
    int error = 0;
    const std::optional<std::string> target = followLinks(replacement.shown, error);
    if (!target) {
        return error;
    }
    replacement.target = *target;
    replacement.previous.clear();
    struct stat previous {
    };
    if (::stat(target->c_str(), &previous) != 0 || !S_ISREG(previous.st_mode)) {
        return 0;
    }
    // Read-only is refused even to an administrator, whom access() would let through.
    if ((previous.st_mode & 0222) == 0) {
        return readOnlyError;
    }
    if (::access(target->c_str(), W_OK) != 0) {
        return EACCES;
    }
    ::chmod(replacement.staged.c_str(), previous.st_mode & 07777);
    if (previous.st_uid != ::geteuid() || previous.st_gid != ::getegid()) {
        [[maybe_unused]] const int ignored = ::chown(replacement.staged.c_str(), previous.st_uid, previous.st_gid);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string second =
            *target + ".previous-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        error = ::link(target->c_str(), second.c_str()) == 0 ? 0 : errno;
        if (error != 0 && error != EEXIST) {
            error = copyAs(*target, second);
        }
        if (error == 0) {
            replacement.previous = second;
            return 0;
        }
        if (error != EEXIST) {
            return error;
        }
    }
    return EEXIST;
}

void flushFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

OwnFile readOwnFile(const std::string &path, std::uintmax_t limit, std::string &bytes)
{
    bytes.clear();
    // Not blocking: a pipe in its place would otherwise wait for a writer before it is found no file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == ELOOP ? OwnFile::NotPlain : OwnFile::Unreadable;
    }
    struct stat st {
    };
    OwnFile found = OwnFile::Read;
    if (::fstat(fd, &st) != 0) {
        found = OwnFile::Unreadable;
    } else if (!S_ISREG(st.st_mode)) {
        found = OwnFile::NotPlain;
    } else if (st.st_uid != ::geteuid()) {
        found = OwnFile::NotOwn;
    } else if (static_cast<std::uintmax_t>(st.st_size) > limit) {
        found = OwnFile::TooLarge;
    }
    std::vector<char> piece(std::size_t{1} << 16);
    while (found == OwnFile::Read) {
        const ssize_t got = ::read(fd, piece.data(), piece.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            found = got == 0 ? OwnFile::Read : OwnFile::Unreadable;
            break;
        }
        // A file that grows while it is read is held to the limit all the same.
        if (bytes.size() + static_cast<std::size_t>(got) > limit) {
            found = OwnFile::TooLarge;
            break;
        }
        bytes.append(piece.data(), static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (found != OwnFile::Read) {
        bytes.clear();
    }
    return found;
}

bool makePrivateFolder(const std::string &folder)
{
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    struct stat st {
    };
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), st.st_mode & 0700) != 0) {
        return false;
    }
    return true;
}

bool createPrivateFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

bool processRuns(long id)
{
    // A process of another user's runs too, though it may not be signalled.
    return id > 0 && (::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM);
}

std::optional<FileStamp> plainFileStamp(const std::string &path)
{
    struct stat st {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                     static_cast<std::int64_t>(st.st_size)};
}

} // namespace saxolith

#endif
