#include "output/output_generation.h"

#include "output/safe_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace saxolith
{
namespace
{

namespace fs = std::filesystem;

class Generation : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("output_generation_test_" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override
    {
        for (const auto &entry : fs::directory_iterator(m_folder)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        }
        fs::remove_all(m_folder);
    }

    std::string contents(const std::string &name) const
    {
        std::ifstream in(m_folder / name, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto &entry : fs::directory_iterator(m_folder)) {
            out.push_back(entry.path().filename().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    // One run writing `text` into each of the files.
    std::optional<std::string> run(const std::string &text, std::initializer_list<const char *> files)
    {
        OutputGeneration generation;
        if (auto error = generation.begin(m_folder.string())) {
            return error;
        }
        for (const char *name : files) {
            if (auto error = saveFile(generation.stagedPath(name), text + name)) {
                return error;
            }
        }
        return generation.commit();
    }

    fs::path m_folder;
};

TEST_F(Generation, ReplacesEveryFileOrNone)
{
    ASSERT_FALSE(run("first ", {"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(contents("b.txt"), "first b.txt");

    // One file the user may not write: the run fails naming it, and no file of it replaces any.
    fs::permissions(m_folder / "c.txt", fs::perms::owner_read);
    const auto refused = run("second ", {"a.txt", "b.txt", "c.txt"});
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("c.txt"), std::string::npos) << *refused;
    EXPECT_EQ(contents("a.txt"), "first a.txt");
    EXPECT_EQ(contents("c.txt"), "first c.txt");
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"})); // nothing of it is left

    // A run that stops before its commit leaves the folder as it was.
    {
        OutputGeneration abandoned;
        ASSERT_FALSE(abandoned.begin(m_folder.string()));
        ASSERT_FALSE(saveFile(abandoned.stagedPath("a.txt"), "third"));
    }
    EXPECT_EQ(contents("a.txt"), "first a.txt");
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));

    fs::permissions(m_folder / "c.txt", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_FALSE(run("fourth ", {"a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_EQ(contents("c.txt"), "fourth c.txt");
    EXPECT_EQ(contents("d.txt"), "fourth d.txt");
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt"}));
}

TEST_F(Generation, AFolderIsHeldByOneLockAtATime)
{
    bool busy = false;
    {
        FolderLock first;
        ASSERT_FALSE(first.lock(m_folder.string(), busy));
        FolderLock second;
        const auto refused = second.lock(m_folder.string(), busy);
        ASSERT_TRUE(refused);
        EXPECT_TRUE(busy);
        EXPECT_NE(refused->find(m_folder.filename().string()), std::string::npos) << *refused;
    }
    FolderLock again; // let go with its holder
    EXPECT_FALSE(again.lock(m_folder.string(), busy));
    EXPECT_FALSE(busy);
}

} // namespace
} // namespace saxolith
