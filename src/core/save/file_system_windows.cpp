#ifdef _WIN32

#include "core/save/file_system.h"

#include "core/texts/saving.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace saxolith
{

namespace
{

// Paths are UTF-8 in the program and wide for the system, so every name a user can give works.
std::wstring wide(const std::string &utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), units);
    return text;
}

// The errno value that names the system's error, for one wording of reasons on every system.
int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
        return ENXIO;
    default:
        return EIO;
    }
}

class WindowsTemporaryFile final : public TemporaryFile
{
  public:
    WindowsTemporaryFile(HANDLE file, std::wstring temporary, std::wstring path, std::string shownPath,
                         bool replacing)
        : m_file(file), m_temporary(std::move(temporary)), m_path(std::move(path)),
          m_shownPath(std::move(shownPath)), m_replacing(replacing)
    {
    }
    ~WindowsTemporaryFile() override
    {
        if (m_file != INVALID_HANDLE_VALUE) {
            CloseHandle(m_file);
            DeleteFileW(m_temporary.c_str());
        }
    }
    WindowsTemporaryFile(const WindowsTemporaryFile &) = delete;
    WindowsTemporaryFile &operator=(const WindowsTemporaryFile &) = delete;

    bool write(std::string_view bytes) override
    {
        while (m_failure == 0 && !bytes.empty()) {
            const DWORD piece = bytes.size() > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!WriteFile(m_file, bytes.data(), piece, &written, nullptr)) {
                m_failure = errnoOf(GetLastError());
                break;
            }
            bytes.remove_prefix(written);
        }
        return m_failure == 0;
    }

    int failure() const override { return m_failure; }

    std::optional<std::string> commit(int error) override
    {
        if (error == 0 && !FlushFileBuffers(m_file)) {
            error = errnoOf(GetLastError());
        }
        if (!CloseHandle(m_file) && error == 0) {
            error = errnoOf(GetLastError());
        }
        m_file = INVALID_HANDLE_VALUE;
        if (error == 0) {
            // ReplaceFileW keeps the replaced file's attributes and permissions; a new file moves into
            // place. Either way the name reaches the disk before the save is reported done.
            bool done = false;
            if (m_replacing) {
                done = ReplaceFileW(m_path.c_str(), m_temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                    nullptr, nullptr) != 0;
            }
            if (!done) {
                const DWORD flags = MOVEFILE_WRITE_THROUGH | (m_replacing ? MOVEFILE_REPLACE_EXISTING : 0);
                done = MoveFileExW(m_temporary.c_str(), m_path.c_str(), flags) != 0;
            }
            if (!done) {
                error = errnoOf(GetLastError());
            }
        }
        if (error != 0) {
            DeleteFileW(m_temporary.c_str());
            return fileFailure(saveText::cannotWrite, m_shownPath, error);
        }
        return std::nullopt;
    }

  private:
    HANDLE m_file;
    std::wstring m_temporary;
    std::wstring m_path;
    std::string m_shownPath;
    bool m_replacing;
    int m_failure = 0;
};

} // namespace

std::filesystem::path filePath(const std::string &name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string fileName(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string narrowFileName(const std::string &name)
{
    if (GetACP() == CP_UTF8) {
        return name;
    }
    // Nothing when the code page cannot hold every character.
    const auto ansi = [](const std::wstring &text) -> std::optional<std::string> {
        BOOL lossy = FALSE;
        const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                              static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
        std::string out(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                            out.data(), bytes, nullptr, &lossy);
        return lossy ? std::nullopt : std::optional(out);
    };
    const std::wstring path = wide(name);
    if (auto whole = ansi(path)) {
        return *whole;
    }
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length > 0) {
        std::wstring shortPath(length, L'\0');
        const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), length);
        if (written > 0 && written < length) {
            shortPath.resize(written);
            if (auto shortName = ansi(shortPath)) {
                return *shortName;
            }
        }
    }
    return name; // the library then fails and says so
}

std::unique_ptr<TemporaryFile> TemporaryFile::open(const std::string &shownPath, std::string &error)
{
    // A link is written through: the file it ends at is the one replaced.
    std::wstring path = wide(shownPath);
    HANDLE existing = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        const DWORD length = GetFinalPathNameByHandleW(existing, nullptr, 0, FILE_NAME_NORMALIZED);
        if (length > 0) {
            std::wstring target(length, L'\0');
            const DWORD written =
                GetFinalPathNameByHandleW(existing, target.data(), length, FILE_NAME_NORMALIZED);
            if (written > 0 && written < length) {
                target.resize(written);
                path = target;
            }
        }
        CloseHandle(existing);
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool replacing =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (replacing && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = fileFailure(saveText::cannotWrite, shownPath, readOnlyError);
        return nullptr;
    }
    // What a save killed on its way left beside the file goes before this one adds its own.
    const std::size_t slash = shownPath.find_last_of("/\\");
    removeStaleSaves(slash == std::string::npos ? std::string(".") : shownPath.substr(0, slash + 1));
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD failed = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = path + L".saving-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
        // CREATE_NEW keeps us off anyone else's file.
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        failed = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (failed != ERROR_SUCCESS && failed != ERROR_FILE_EXISTS && failed != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        error = fileFailure(saveText::cannotCreate, shownPath, errnoOf(failed));
        return nullptr;
    }
    return std::make_unique<WindowsTemporaryFile>(file, std::move(temporary), std::move(path), shownPath, replacing);
}

bool readFileInPieces(const std::string &file, std::size_t pieceBytes,
                      const std::function<bool(std::string_view)> &take)
{
    HANDLE handle = CreateFileW(wide(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = errnoOf(GetLastError());
        return false;
    }
    std::vector<char> piece(pieceBytes);
    bool complete = true;
    while (complete) {
        DWORD got = 0;
        if (!ReadFile(handle, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr)) {
            errno = errnoOf(GetLastError());
            complete = false;
            break;
        }
        if (got == 0) {
            break;
        }
        complete = take(std::string_view(piece.data(), got));
    }
    CloseHandle(handle);
    return complete;
}

StreamInput readStreamInput(const std::string &, std::size_t, const std::function<bool(std::string_view)> &)
{
    // A schedule is a file here: pipes and devices are not named by paths a user gives.
    return StreamInput::PlainFile;
}

bool mayCreateIn(const std::filesystem::path &folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::string> createScratchFile(const std::filesystem::path &folder, std::string_view stem)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path name =
            folder / (std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(GetTickCount64()) + "-" + std::to_string(attempt));
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return fileName(name);
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            errno = errnoOf(GetLastError());
            return std::nullopt;
        }
    }
    errno = EEXIST;
    return std::nullopt;
}

void removeFile(const std::string &file)
{
    DeleteFileW(wide(file).c_str());
}

int renameOnto(const std::string &from, const std::string &to)
{
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : errnoOf(GetLastError());
}

std::optional<FileStamp> plainFileStamp(const std::string &path)
{
    // Opened for no access at all: a file another program holds open still answers.
    HANDLE file = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known || (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return std::nullopt;
    }
    const auto join = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    // FILETIME counts 100-nanosecond steps.
    const auto written = join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    return FileStamp{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                     static_cast<std::int64_t>(written) * 100,
                     static_cast<std::int64_t>(join(info.nFileSizeHigh, info.nFileSizeLow))};
}

bool isFolder(const std::string &path)
{
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

FolderLock::~FolderLock()
{
    release();
}

void FolderLock::release()
{
    if (m_handle != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
        m_handle = -1;
    }
}

std::optional<std::string> FolderLock::lock(const std::string &folder, bool &busy)
{
    busy = false;
    // A hidden file no one else may open while it is held, gone when it is let go.
    const std::wstring name = wide(folder) + L"\\.saxolith-batch-lock";
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        busy = error == ERROR_SHARING_VIOLATION;
        return fileFailure(saveText::cannotLockFolder, folder, errnoOf(error));
    }
    release();
    m_handle = reinterpret_cast<std::intptr_t>(file);
    return std::nullopt;
}

std::optional<std::string> createScratchFolder(const std::string &folder, std::string_view stem)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = folder + "\\" + std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) +
                                 "-" + std::to_string(GetTickCount64()) + "-" + std::to_string(attempt);
        if (CreateDirectoryW(wide(name).c_str(), nullptr)) {
            return name;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            errno = errnoOf(GetLastError());
            return std::nullopt;
        }
    }
    errno = EEXIST;
    return std::nullopt;
}

void removeFolder(const std::string &folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(wide(folder)), ignored);
}

int prepareReplacement(Replacement &replacement)
{
    replacement.target = replacement.shown;
    replacement.previous.clear();
    const std::wstring target = wide(replacement.target);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return 0;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return readOnlyError;
    }
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string second = replacement.target + ".previous-" + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(attempt);
        const std::wstring secondName = wide(second);
        // A second name where the disk has them, a copy where it has not.
        if (CreateHardLinkW(secondName.c_str(), target.c_str(), nullptr) ||
            (GetLastError() != ERROR_ALREADY_EXISTS && CopyFileW(target.c_str(), secondName.c_str(), TRUE))) {
            replacement.previous = second;
            return 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            return errnoOf(error);
        }
    }
    return EEXIST;
}

OwnFile readOwnFile(const std::string &path, std::uintmax_t limit, std::string &bytes)
{
    bytes.clear();
    // The link itself is opened, never what it names; a user's folder of application data is the
    // user's alone, so the file's owner is not asked.
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return OwnFile::Unreadable;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    OwnFile found = OwnFile::Read;
    if (!GetFileInformationByHandle(file, &information)) {
        found = OwnFile::Unreadable;
    } else if (GetFileType(file) != FILE_TYPE_DISK ||
               (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                   0) {
        found = OwnFile::NotPlain;
    } else if (((std::uintmax_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow) > limit) {
        found = OwnFile::TooLarge;
    }
    std::vector<char> piece(std::size_t{1} << 16);
    while (found == OwnFile::Read) {
        DWORD got = 0;
        if (!ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr)) {
            found = OwnFile::Unreadable;
            break;
        }
        if (got == 0) {
            break;
        }
        if (bytes.size() + got > limit) {
            found = OwnFile::TooLarge;
            break;
        }
        bytes.append(piece.data(), got);
    }
    CloseHandle(file);
    if (found != OwnFile::Read) {
        bytes.clear();
    }
    return found;
}

bool makePrivateFolder(const std::string &folder)
{
    // Inside the user's profile, which only the user may write.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(wide(folder)), ignored);
    const DWORD attributes = GetFileAttributesW(wide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool createPrivateFile(const std::string &path)
{
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

bool processRuns(long id)
{
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (process == nullptr) {
        return GetLastError() == ERROR_ACCESS_DENIED; // another user's, still running
    }
    DWORD code = 0;
    const bool runs = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
}

void flushFolder(const std::string &)
{
    // Every move here is made with MOVEFILE_WRITE_THROUGH.
}

} // namespace saxolith

#endif
