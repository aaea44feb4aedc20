#include "output/safe_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace saxolith
{

namespace
{

// The reason in the C locale: the same plain text whatever the user's locale, so the message is
// UTF-8 throughout (the path is) and every screen decodes it alike.
std::string reasonText(int error)
{
    static const locale_t plain = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return plain != locale_t{} ? ::strerror_l(error, plain) : std::strerror(error);
}

std::string failure(std::string_view what, const std::string &path, int error)
{
    std::string text(what);
    text += " \"";
    text += path;
    text += "\". ";
    text += reasonText(error);
    return text;
}

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

// Renames the complete, flushed temporary file onto `path`, unless `error` already says it failed; on
// failure the temporary file is removed and the message names `shownPath`.
std::optional<std::string> renameIntoPlace(const std::string &temporary, const std::string &path,
                                           const std::string &shownPath, int error)
{
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failure("Cannot write file", shownPath, error);
    }
    // The new name itself must survive a power cut; a failure here loses nothing already written.
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return std::nullopt;
}

// Opens a fresh temporary file beside the file `shownPath` names, through any symbolic links (the
// link stays, the file it points at is replaced). A file the user may not write (read-only, even to
// an administrator) is refused, not replaced; a replaced file's permissions and, where the user may
// give it, its owner pass to the temporary. Sets `path` to the real target.
std::optional<std::string> openTemporaryFor(const std::string &shownPath, std::string &path,
                                            std::string &temporary, int &fd)
{
    int linkError = 0;
    const std::optional<std::string> target = followLinks(shownPath, linkError);
    if (!target) {
        return failure("Cannot write file", shownPath, linkError);
    }
    path = *target;
    struct stat previous {
    };
    const bool replacing = ::stat(path.c_str(), &previous) == 0 && S_ISREG(previous.st_mode);
    if (replacing && (::access(path.c_str(), W_OK) != 0 || (previous.st_mode & 0222) == 0)) {
        return failure("Cannot write file", shownPath, EACCES);
    }
    fd = createTemporary(path, temporary);
    if (fd < 0) {
        return failure("Cannot create file", shownPath, errno);
    }
    if (replacing) {
        ::fchmod(fd, previous.st_mode & 07777);
        if (previous.st_uid != ::geteuid() || previous.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd, previous.st_uid, previous.st_gid);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> saveFile(const std::string &shownPath, const FileContent &content)
{
    std::string path;
    std::string temporary;
    int fd = -1;
    if (std::optional<std::string> refused = openTemporaryFor(shownPath, path, temporary, fd)) {
        return refused;
    }

    int error = 0;
    const ByteSink sink = [fd, &error](std::string_view bytes) {
        if (error == 0 && !writeAll(fd, bytes)) {
            error = errno != 0 ? errno : EIO;
        }
        return error == 0;
    };
    std::optional<std::string> incomplete;
    try {
        incomplete = content(sink);
    } catch (...) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    // The writer's own reason stands unless the system refused a piece first.
    if (incomplete && error == 0 && !incomplete->empty()) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return incomplete;
    }
    if (incomplete && error == 0) {
        error = ECANCELED;
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    return renameIntoPlace(temporary, path, shownPath, error);
}

namespace
{
constexpr std::size_t pieceBytes = std::size_t{1} << 20;
}

SinkStream::Buffer::Buffer(const ByteSink &sink) : m_sink(sink), m_bytes(pieceBytes)
{
    setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
}

bool SinkStream::Buffer::pass()
{
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    if (!m_failed && size > 0) {
        m_failed = !m_sink(std::string_view(pbase(), size));
    }
    setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
    return !m_failed;
}

SinkStream::Buffer::int_type SinkStream::Buffer::overflow(int_type c)
{
    if (!pass()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int SinkStream::Buffer::sync()
{
    return pass() ? 0 : -1;
}

std::streamsize SinkStream::Buffer::xsputn(const char *s, std::streamsize n)
{
    std::streamsize written = 0;
    while (written < n) {
        if (pptr() == epptr() && !pass()) {
            break;
        }
        const std::streamsize room = std::min<std::streamsize>(epptr() - pptr(), n - written);
        std::memcpy(pptr(), s + written, static_cast<std::size_t>(room));
        pbump(static_cast<int>(room));
        written += room;
    }
    return written;
}

SinkStream::SinkStream(const ByteSink &sink) : std::ostream(nullptr), m_buffer(sink)
{
    rdbuf(&m_buffer);
}

bool SinkStream::finish()
{
    flush();
    return static_cast<bool>(*this) && m_buffer.pass();
}

bool copyFileInto(const std::string &file, const ByteSink &sink)
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
        complete = sink(std::string_view(piece.data(), static_cast<std::size_t>(got)));
    }
    ::close(fd);
    return complete;
}

} // namespace saxolith
