// A scratch folder for a test that touches files, named as users' folders often are: with Chinese
// characters and a blank. A name handed to the system in the wrong encoding (a narrow name on Windows,
// read in the ANSI code page) then names no file, and the test fails where the program would.
#pragma once

#include "core/save/file_system.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace saxolith::test
{

// A path as core takes file names: UTF-8 (on POSIX the path's own bytes).
inline std::string nameOf(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

class ScratchFolder
{
  public:
    // A new empty folder in the system's temporary folder, of a name no other test has; `purpose` tells
    // whose it is.
    explicit ScratchFolder(std::string_view purpose)
    {
        static std::atomic<int> made{0};
        m_path = std::filesystem::temp_directory_path() /
                 filePath(std::string(purpose) + "-" + std::to_string(::getpid()) + "-" +
                          std::to_string(++made) + " 桩基 计算");
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    // The folder, and a file in it, named as core takes names.
    std::string name() const { return nameOf(m_path); }
    std::string file(std::string_view name) const { return nameOf(m_path / filePath(std::string(name))); }

  private:
    std::filesystem::path m_path;
};

// The bytes of the file core names `name`; empty when there is none.
inline std::string fileBytes(const std::string &name)
{
    std::ifstream in(filePath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Makes (or replaces) the file core names `name` with `bytes`, as another program would.
inline void writeBytes(const std::string &name, std::string_view bytes)
{
    std::ofstream(filePath(name), std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace saxolith::test
