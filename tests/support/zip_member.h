// One member of a zip archive (a workbook or a Word document is one), read with the program's own zip
// library, so the tests need no unzip program and run alike on every system; and small archives made
// with it.
#pragma once

#include <minizip/ioapi.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace saxolith::test
{

// The zip library's file functions, the archive opened by its std::filesystem::path (passed in place
// of a name): a narrow name would be read in the ANSI code page on Windows.
inline zlib_filefunc64_def zipPathFunctions()
{
    zlib_filefunc64_def functions{};
    fill_fopen64_filefunc(&functions);
    functions.zopen64_file = [](voidpf, const void *path, int mode) -> voidpf {
        const auto &file = *static_cast<const std::filesystem::path *>(path);
        const bool create = (mode & ZLIB_FILEFUNC_MODE_CREATE) != 0;
#ifdef _WIN32
        return _wfopen(file.c_str(), create ? L"wb" : L"rb");
#else
        return std::fopen(file.c_str(), create ? "wb" : "rb");
#endif
    };
    return functions;
}

// The member's bytes; empty when the archive or the member is not there.
inline std::string zipMember(const std::filesystem::path &archive, const std::string &member)
{
    zlib_filefunc64_def functions = zipPathFunctions();
    const unzFile zip = unzOpen2_64(&archive, &functions);
    if (zip == nullptr) {
        return {};
    }
    std::string bytes;
    if (unzLocateFile(zip, member.c_str(), 1) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char buffer[65536];
        for (int got; (got = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0;) {
            bytes.append(buffer, static_cast<std::size_t>(got));
        }
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return bytes;
}

// Writes an archive of the given members (name, bytes) at `archive`; false when any step failed.
inline bool writeZip(const std::filesystem::path &archive,
                     const std::vector<std::pair<std::string, std::string>> &members)
{
    zlib_filefunc64_def functions = zipPathFunctions();
    zipFile zip = zipOpen2_64(&archive, APPEND_STATUS_CREATE, nullptr, &functions);
    if (zip == nullptr) {
        return false;
    }
    bool written = true;
    for (const auto &[name, bytes] : members) {
        zip_fileinfo info{};
        written = written &&
                  zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                      Z_DEFAULT_COMPRESSION) == ZIP_OK &&
                  zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK &&
                  zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && written;
}

} // namespace saxolith::test
