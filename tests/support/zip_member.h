// One member of a zip archive (a workbook or a Word document is one), read with the program's own zip
// library, so the tests need no unzip program and run alike on every system.
#pragma once

#include <minizip/unzip.h>

#include <filesystem>
#include <string>

namespace saxolith::test
{

// The member's bytes; empty when the archive or the member is not there.
inline std::string zipMember(const std::filesystem::path &archive, const std::string &member)
{
    const unzFile zip = unzOpen64(archive.string().c_str());
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

} // namespace saxolith::test
