#include "output/safe_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace saxolith
{

namespace
{

std::string failure(std::string_view what, const std::string &path, int error)
{
    std::string text(what);
    text += " \"";
    text += path;
    text += "\". ";
    text += std::strerror(error);
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

} // namespace

std::optional<std::string> writeFileSafely(const std::string &path, std::string_view bytes)
{
    return writeFileSafely(
        path, [bytes](const std::function<bool(std::string_view)> &sink) { return sink(bytes); });
}

std::optional<std::string>
writeFileSafely(const std::string &path,
                const std::function<bool(const std::function<bool(std::string_view)> &sink)> &produce)
{
    // A fresh name beside the target; O_EXCL keeps us off anyone else's file, and the kernel
    // applies the user's umask to the mode as for any new file.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".saving-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return failure("Cannot create file", path, errno);
    }

    int error = 0;
    const auto sink = [fd, &error](std::string_view bytes) {
        if (error == 0 && !writeAll(fd, bytes)) {
            error = errno != 0 ? errno : EIO;
        }
        return error == 0;
    };
    bool produced = false;
    try {
        produced = produce(sink);
    } catch (...) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    if (!produced && error == 0) {
        error = ECANCELED;
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failure("Cannot write file", path, error);
    }

    // The new name itself must survive a power cut; a failure here loses nothing already written.
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return std::nullopt;
}

} // namespace saxolith
