// Schedules that are no files: a pipe read once and then as often as the readers need, whoever writes it;
// a pipe no one writes to and a device that never ends read in bounded time and refused with the reason.
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_source.h"
#include "core/schedule/schedule_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace saxolith
{
namespace
{

namespace fs = std::filesystem;

#ifndef _WIN32 // pipes and devices as POSIX has them
fs::path scratch(const std::string &name)
{
    const fs::path folder = fs::path(::testing::TempDir()) / ("schedule_source_" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::size_t filesIn(const fs::path &folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(ScheduleSource, APipeIsReadOnceAndThenAsAFile)
{
    const fs::path folder = scratch("pipe");
    std::string csv = "id,section,d,frk,integrity\n";
    for (int row = 1; row <= 20000; ++row) {
        csv += "P-" + std::to_string(row) + ",圆桩,1000,35,较完整\n";
    }
    int ends[2] = {};
    ASSERT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        for (std::size_t at = 0; at < csv.size();) {
            const ssize_t wrote =
                ::write(ends[1], csv.data() + at, std::min<std::size_t>(csv.size() - at, 1000));
            ASSERT_GT(wrote, 0);
            at += static_cast<std::size_t>(wrote);
        }
        ::close(ends[1]);
    });
    {
        const ScheduleSource input("/dev/fd/" + std::to_string(ends[0]), folder);
        writer.join();
        ::close(ends[0]);
        ASSERT_FALSE(input.error()) << *input.error();
        std::string bytes;
        ASSERT_FALSE(readScheduleFile(input.path(), bytes));
        EXPECT_EQ(bytes, csv);
        // The check and the reading each go through it again.
        ScheduleStream stream(input.path());
        ASSERT_TRUE(stream.check());
        ScheduleRow row;
        std::size_t rows = 0;
        while (stream.next(row)) {
            ++rows;
        }
        EXPECT_EQ(rows, 20000u);
        EXPECT_EQ(filesIn(folder), 1u);
    }
    EXPECT_EQ(filesIn(folder), 0u) << "the spool goes with the input";

    // A plain file is read where it stands.
    const std::string plain = (folder / "piles.csv").string();
    std::ofstream(plain) << csv;
    const ScheduleSource file(plain, folder);
    EXPECT_EQ(file.path(), plain);
    EXPECT_FALSE(file.error());
}

TEST(ScheduleSource, APipeWithoutAWriterAndADeviceThatNeverEndsAreRefusedAtOnce)
{
    const fs::path folder = scratch("devices");
    const std::string fifo = (folder / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char *says;
    };
    const Case cases[] = {
        {fifo, "第 1 行：桩表是空的"},
        {"/dev/zero", "第 1 行：不是文本文件（含二进制字节）"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        const ScheduleSource input(c.path, folder);
        ASSERT_FALSE(input.error()) << *input.error();
        ScheduleStream stream(input.path());
        EXPECT_FALSE(stream.check());
        ASSERT_TRUE(stream.error());
        EXPECT_EQ(scheduleErrorText(*stream.error()), c.says);
        std::string bytes;
        ASSERT_FALSE(readScheduleFile(input.path(), bytes));
        EXPECT_LE(bytes.size(), std::size_t{64} << 10);
    }
    // Read where it stands, the device's endless first line is left to the whole reading, which stops at its
    // limit.
    ScheduleStream endless("/dev/zero");
    EXPECT_FALSE(endless.check());
    EXPECT_FALSE(endless.error());
}
#endif

} // namespace
} // namespace saxolith
