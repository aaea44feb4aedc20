#include "core/save/safe_file.h"

#include "core/save/file_system.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace saxolith
{
namespace
{

namespace fs = std::filesystem;

class SafeFile : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_scratch.emplace("safe_file");
        m_folder = m_scratch->path();
    }
    void TearDown() override { m_scratch.reset(); }

    std::string path(const std::string &name) const { return m_scratch->file(name); }

    static std::string contents(const std::string &file) { return test::fileBytes(file); }

    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto &entry : fs::directory_iterator(m_folder)) {
            out.push_back(test::nameOf(entry.path().filename()));
        }
        return out;
    }

    std::optional<test::ScratchFolder> m_scratch;
    fs::path m_folder;
};

// What tells the window that a file is still the one it wrote: the same file unchanged, and nothing else.
TEST_F(SafeFile, AStampNamesOnePlainFileAsItStands)
{
    EXPECT_FALSE(plainFileStamp(path("missing.txt")));
    EXPECT_FALSE(plainFileStamp(m_scratch->name()));

    const std::string book = path("计算书.txt");
    const std::string other = path("other.txt");
    ASSERT_FALSE(saveFile(book, "first"));
    ASSERT_FALSE(saveFile(other, "first"));
    const auto written = plainFileStamp(book);
    ASSERT_TRUE(written);
    EXPECT_EQ(plainFileStamp(book), written);
    EXPECT_EQ(written->size, 5);
    const auto neighbour = plainFileStamp(other);
    ASSERT_TRUE(neighbour);
    EXPECT_EQ(neighbour->volume, written->volume);
    EXPECT_NE(neighbour->file, written->file);

    test::writeBytes(book, "first and more");
    const auto grown = plainFileStamp(book);
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown->file, written->file);
    EXPECT_NE(grown, written);
}

TEST_F(SafeFile, WritesAndReplaces)
{
    const std::string file = path("计算书 表格.txt");
    ASSERT_FALSE(saveFile(file, "first\r\nfile"));
    EXPECT_EQ(contents(file), "first\r\nfile");
    ASSERT_FALSE(saveFile(file, std::string("\0x", 2)));
    EXPECT_EQ(contents(file), std::string("\0x", 2));
    EXPECT_EQ(names(), std::vector<std::string>{"计算书 表格.txt"});
}

// A long file is given its room ahead as it is written; once complete it holds its bytes and takes no
// more of the disk than they need.
TEST_F(SafeFile, ALongFileHoldsItsBytesAndNoMoreRoom)
{
    const std::string file = path("long.txt");
    std::string piece(std::size_t{1} << 20, '\0');
    const std::size_t pieces = 45;
    ASSERT_FALSE(saveFile(file, [&](const ByteSink &sink) {
        bool written = true;
        for (std::size_t i = 0; i < pieces && written; ++i) {
            std::fill(piece.begin(), piece.end(), static_cast<char>('a' + i % 26));
            written = sink(piece);
        }
        return completeWhen(written && sink("end"));
    }));
    const std::string bytes = contents(file);
    ASSERT_EQ(bytes.size(), pieces * piece.size() + 3);
    for (std::size_t i = 0; i < pieces; ++i) {
        ASSERT_EQ(bytes[i * piece.size()], static_cast<char>('a' + i % 26)) << i;
        ASSERT_EQ(bytes[(i + 1) * piece.size() - 1], static_cast<char>('a' + i % 26)) << i;
    }
    EXPECT_TRUE(bytes.ends_with(std::string(1, static_cast<char>('a' + (pieces - 1) % 26)) + "end"));
#ifndef _WIN32
    struct stat status {
    };
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_LE(static_cast<std::uint64_t>(status.st_blocks) * 512, bytes.size() + (std::uint64_t{1} << 20));
#endif
    EXPECT_EQ(names(), std::vector<std::string>{"long.txt"});
}

TEST_F(SafeFile, MissingFolderIsReportedWithTheFileName)
{
    const std::string file = path("missing/book.txt");
    const auto error = saveFile(file, "x");
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "无法建立文件“" + file + "”：文件夹不存在");
    EXPECT_TRUE(names().empty());
}

// What the user reads is never the system's English: every reason in plain Chinese words, the file
// missing where it is read and the folder where a file is made.
TEST_F(SafeFile, TheReasonsArePlainChineseWords)
{
    const std::pair<int, const char *> named[] = {
        {EACCES, "权限不足"},
        {readOnlyError, "文件只读"},
        {ENOSPC, "磁盘已满"},
        {ENOENT, "文件不存在"},
        {EROFS, "磁盘只读"},
        {EIO, "磁盘读写出错"},
        {99999, "系统错误（代码 99999）"},
    };
    for (const auto &[error, reason] : named) {
        EXPECT_EQ(reasonText(error), reason) << error;
    }
    EXPECT_EQ(makingReasonText(ENOENT), "文件夹不存在");
    for (int error = 0; error < 200; ++error) {
        const std::string reason = reasonText(error);
        EXPECT_EQ(std::count_if(reason.begin(), reason.end(),
                                [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }),
                  0)
            << error << ": " << reason;
    }
    EXPECT_EQ(readProblem(path("missing.csv")), "文件不存在");
    EXPECT_EQ(readProblem(m_scratch->name()), "这是文件夹，不是文件");
}

TEST_F(SafeFile, AFolderInTheWayStaysAsItWas)
{
    const std::string file = path("book.txt");
    fs::create_directory(filePath(file));
    test::writeBytes(file + "/inside", "kept");
    const auto error = saveFile(file, "x");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(file), std::string::npos);
    EXPECT_EQ(contents(file + "/inside"), "kept");
    EXPECT_EQ(names(), std::vector<std::string>{"book.txt"});
}

#ifndef _WIN32 // no file size limit on Windows
// A file size limit makes the write fail halfway, as a full disk would.
TEST_F(SafeFile, AFailedWriteKeepsThePreviousFileAndLeavesNoTemporary)
{
    const std::string file = path("book.txt");
    ASSERT_FALSE(saveFile(file, "previous"));

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto error = saveFile(file, std::string(1000, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_TRUE(error);
    EXPECT_NE(error->find(file), std::string::npos);
    EXPECT_EQ(contents(file), "previous");
    EXPECT_EQ(names(), std::vector<std::string>{"book.txt"});
}
#endif

TEST_F(SafeFile, AReadOnlyFileIsRefusedAndKept)
{
    const std::string file = path("book.txt");
    ASSERT_FALSE(saveFile(file, "previous"));
    fs::permissions(filePath(file), fs::perms::owner_read | fs::perms::group_read);
    const auto error = saveFile(file, "new");
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "无法写入文件“" + file + "”：文件只读");
    EXPECT_EQ(contents(file), "previous");
    EXPECT_EQ(names(), std::vector<std::string>{"book.txt"});
#ifdef _WIN32
    SetFileAttributesW(filePath(file).c_str(), FILE_ATTRIBUTE_NORMAL); // Windows removes no read-only file
#endif
}

#ifndef _WIN32 // permission bits and symbolic links are POSIX's
TEST_F(SafeFile, AReplacedFileKeepsItsPermissions)
{
    const std::string file = path("book.txt");
    ASSERT_FALSE(saveFile(file, "previous"));
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read;
    fs::permissions(file, mode);
    ASSERT_FALSE(saveFile(file, "new"));
    EXPECT_EQ(contents(file), "new");
    EXPECT_EQ(fs::status(file).permissions(), mode);
}
#endif

#ifndef _WIN32 // permission bits and symbolic links are POSIX's
// The link stays a link and the file it names gets the bytes, whichever way the link is written.
TEST_F(SafeFile, WritesThroughASymbolicLink)
{
    fs::create_directory(m_folder / "kept");
    struct Case {
        const char *name;
        std::string linkTarget;
        bool targetExists;
    };
    const Case cases[] = {
        {"relative", "kept/a.txt", true},
        {"absolute", (m_folder / "kept" / "b.txt").string(), true},
        {"dangling", "kept/c.txt", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target =
            c.linkTarget.front() == '/' ? fs::path(c.linkTarget) : m_folder / c.linkTarget;
        if (c.targetExists) {
            std::ofstream(target) << "previous";
        }
        const std::string link = path(std::string(c.name) + ".txt");
        fs::create_symlink(c.linkTarget, link);
        ASSERT_FALSE(saveFile(link, "new"));
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::read_symlink(link), c.linkTarget);
        EXPECT_EQ(contents(target.string()), "new");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder / "kept"), fs::directory_iterator()), 3);
}
#endif

#ifndef _WIN32 // permission bits and symbolic links are POSIX's
TEST_F(SafeFile, ACircleOfLinksIsReportedWithTheFileName)
{
    const std::string file = path("book.txt");
    fs::create_symlink("other.txt", file);
    fs::create_symlink("book.txt", path("other.txt"));
    const auto error = saveFile(file, "x");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(file), std::string::npos) << *error;
}
#endif

#ifndef _WIN32 // processes, links and pipes as POSIX has them
// The id of a process that has ended.
long endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

// What saves of ended processes left beside their files goes with the next save in the folder; names of
// another kind, of a process that runs, and what is no plain file stay.
TEST_F(SafeFile, ASaveRemovesWhatKilledSavesLeftAndNothingElse)
{
    const std::string ended = std::to_string(endedProcess());
    const std::string own = std::to_string(::getpid());
    const std::vector<std::string> gone{"book.txt.saving-" + ended + "-0",
                                        "list.saxolith.saving-" + ended + "-12",
                                        "book.txt.previous-" + ended + "-1"};
    std::vector<std::string> kept{"book.txt.saving-" + own + "-0", "book.txt.saving-" + ended + "-100",
                                  "book.txt.saving-" + ended,      "book.txt.saving-x-0",
                                  ".saving-" + ended + "-0",       "notes.txt",
                                  "book.txt.sav-" + ended + "-0",  "book.txt.saving--" + ended + "-0"};
    for (const std::string &name : gone) {
        std::ofstream(path(name)) << "x";
    }
    for (const std::string &name : kept) {
        std::ofstream(path(name)) << "x";
    }
    fs::create_directory(path("folder.saving-" + ended + "-0"));
    fs::create_symlink("notes.txt", path("link.saving-" + ended + "-0"));
    kept.insert(kept.end(), {"folder.saving-" + ended + "-0", "link.saving-" + ended + "-0", "book.txt"});

    ASSERT_FALSE(saveFile(path("book.txt"), "new"));
    std::vector<std::string> left = names();
    std::sort(left.begin(), left.end());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(left, kept);
}

// A file the program keeps for the user alone is read only when it is one: never through a link, never
// from a device or a pipe (which would never end, or never begin), never another user's or too large.
TEST_F(SafeFile, AFileOfTheUsersOwnIsReadOnlyWhenPlainAndSmall)
{
    std::ofstream(path("journal")) << "abc";
    fs::create_symlink("journal", path("link"));
    fs::create_symlink("/dev/zero", path("zero"));
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    fs::create_directory(path("folder"));
    struct Case {
        const char *name;
        std::uintmax_t limit;
        OwnFile found;
    };
    const Case cases[] = {
        {"journal", 3, OwnFile::Read},       {"journal", 2, OwnFile::TooLarge},
        {"link", 3, OwnFile::NotPlain},      {"zero", 1 << 20, OwnFile::NotPlain},
        {"pipe", 3, OwnFile::NotPlain},      {"folder", 3, OwnFile::NotPlain},
        {"missing", 3, OwnFile::Unreadable},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = "before";
        EXPECT_EQ(readOwnFile(path(c.name), c.limit, bytes), c.found);
        EXPECT_EQ(bytes, c.found == OwnFile::Read ? "abc" : "");
    }
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path("journal").c_str(), 4321, 4321), 0);
        std::string bytes;
        EXPECT_EQ(readOwnFile(path("journal"), 3, bytes), OwnFile::NotOwn);
    }

    // A folder for the user alone: narrowed when it is the user's, refused when it is a link.
    const std::string folder = path("state");
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_all | fs::perms::others_read);
    EXPECT_TRUE(makePrivateFolder(folder));
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(makePrivateFolder(path("made/too")));
    fs::create_directory_symlink("state", path("linked"));
    EXPECT_FALSE(makePrivateFolder(path("linked")));

    EXPECT_TRUE(createPrivateFile(path("state/own")));
    EXPECT_EQ(fs::status(path("state/own")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(createPrivateFile(path("state/own")));
    EXPECT_FALSE(createPrivateFile(path("link")));
}
#endif

} // namespace
} // namespace saxolith
