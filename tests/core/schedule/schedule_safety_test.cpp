// What no schedule may do: run a formula in a spreadsheet, pass a gap off as a number, garble ids read in
// the wrong code page, grow a message or a reading without bound, or replace results.xlsx unsafely.
#include "core/save/run_generation.h"
#include "core/schedule/results_file.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_run.h"
#include "core/schedule/workbook_sheet.h"

#include "support/code_page.h"
#include "support/scratch_folder.h"
#include "support/zip_member.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace saxolith
{
namespace
{

namespace fs = std::filesystem;
constexpr std::string_view timeText = "2024/1/2 10:20:30";

std::vector<ScheduleRow> rowsOf(const std::string &csv)
{
    ScheduleReading reading = readSchedule(csv);
    EXPECT_FALSE(reading.error) << scheduleErrorText(*reading.error);
    return std::move(reading.rows);
}

using test::fileBytes;
using test::writeBytes;

// Nothing a row lacks comes from the input screen: a gap refuses the row and names the column.
TEST(ScheduleGaps, ARowWithAGapIsRefusedNamingTheColumn)
{
    const std::pair<std::string, std::string> cases[] = {
        {"id\nP\n", "缺少 section/截面类型"},
        {"section,frk,integrity\n圆桩,35,较完整\n", "缺少 d/d(mm)"},
        {"section,d,frk,integrity\n椭圆桩,1200,35,较完整\n", "缺少 c/c(mm)"},
        {"section,d,c,frk,integrity\n矩形桩,1200,,35,较完整\n", "缺少 c/c(mm)"},
        {"section,d\n圆桩,1000\n", "缺少 qpa/qpa(kPa) 或 frk/frk(MPa)"},
        {"section,d,frk\n圆桩,1000,35\n", "缺少 integrity/完整程度 或 psi/ψr"},
    };
    for (const auto &[csv, note] : cases) {
        SCOPED_TRACE(csv);
        CalculationBook book;
        const ScheduleResult result = calculateSchedule(rowsOf(csv), book, timeText);
        ASSERT_EQ(result.rows.size(), 1u);
        EXPECT_EQ(result.rows[0].end, RowEnd::Refused);
        EXPECT_EQ(result.rows[0].note, note);
        EXPECT_EQ(result.rows[0].raText, "");
        EXPECT_EQ(book.entryCount(), 0);
    }
}

TEST(ScheduleGaps, ASquareOfOneSideAndARepeatedIdWithItsNote)
{
    const std::vector<ScheduleRow> rows =
        rowsOf("id,section,d,c,qpa\nS,方桩,1200,,10000\nS,方桩,1200,1200,10000\nT,方桩,1200,1200,10000\n");
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(rows, book, timeText);
    ASSERT_EQ(result.completed, 3);
    EXPECT_EQ(result.rows[0].raText, "14400");
    EXPECT_EQ(result.rows[0].end, RowEnd::Completed);
    EXPECT_EQ(result.rows[1].raText, "14400");
    EXPECT_EQ(result.rows[1].end, RowEnd::CompletedWithHint);
    EXPECT_EQ(result.rows[1].note, "桩号重复（第 2 行已有）");
    EXPECT_EQ(result.rows[2].end, RowEnd::Completed);
    EXPECT_EQ(book.entryCount(), 3);
}

// A schedule pasted twice, ids short and of 200 characters: each repeat is noted with the line that first gave
// its id, through a filter of a few bits (most ids taken for repeated ones) and of many, as without one;
// an id once is never noted.
TEST(ScheduleGaps, EveryRepeatedIdOfAScheduleHasItsFirstLine)
{
    std::string csv = "id,section,d,qpa\n";
    std::vector<std::string> ids;
    for (int i = 0; i < 3000; ++i) {
        std::string id = "ZH-" + std::to_string(i);
        for (int c = 0; i % 50 == 7 && c < 190; ++c) {
            id += "桩"; // the longest ids fill a block of ids unevenly
        }
        ids.push_back(id);
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (const std::string &id : ids) {
            csv += id + ",圆桩,1000,10000\n";
        }
    }
    csv += "ZH-once,圆桩,1000,10000\n";
    const std::vector<ScheduleRow> rows = rowsOf(csv);
    for (const std::size_t bits : {std::size_t{64}, std::size_t{1} << 20, std::size_t{0}}) {
        SCOPED_TRACE(bits);
        std::optional<RepeatedIdFilter> filter;
        if (bits != 0) {
            filter.emplace(bits);
            for (const ScheduleRow &row : rows) {
                filter->add(row.cell(ScheduleColumn::Id));
            }
        }
        ScheduleCalculator calculator("UTF-8", filter ? &*filter : nullptr);
        const RecordEntry record = [](const PileRecord &, std::string_view) { return 1; };
        for (std::size_t i = 0; i < rows.size(); ++i) {
            bool typed = false;
            const RowResult result = calculator.calculate(rows[i], record, typed);
            const std::string note =
                i >= ids.size() && i < 2 * ids.size() ? "桩号重复（第 " + std::to_string(i - ids.size() + 2) + " 行已有）"
                                                       : "";
            ASSERT_EQ(result.note, note) << "row " << i;
        }
    }
}

TEST(ScheduleGaps, AnIdTheBooksCodePageCannotHoldGetsANote)
{
    const std::vector<ScheduleRow> rows =
        rowsOf("id,section,d,frk,integrity\n桩\xF0\x9F\x98\x80,圆桩,1000,35,较完整\n东-1,圆桩,1000,35,较完整\n");
    CalculationBook book;
    const ScheduleResult gbk = calculateSchedule(rows, book, timeText, {}, "GBK");
    EXPECT_EQ(gbk.rows[0].end, RowEnd::CompletedWithHint);
    EXPECT_NE(gbk.rows[0].note.find("\xF0\x9F\x98\x80"), std::string::npos) << gbk.rows[0].note;
    EXPECT_NE(gbk.rows[0].note.find("GBK"), std::string::npos) << gbk.rows[0].note;
    EXPECT_EQ(gbk.rows[1].end, RowEnd::Completed);
    const ScheduleResult utf8 = calculateSchedule(rows, book, timeText, {}, "UTF-8");
    EXPECT_EQ(utf8.rows[0].end, RowEnd::Completed) << utf8.rows[0].note;
}

// A file that mixes UTF-8 and GBK is refused where it stops being UTF-8; a GBK file whose line happens
// to be valid UTF-8 ("圆桩" in GBK is) still reads as GBK.
TEST(ScheduleReading, MixedCodePagesAreRefusedNamingTheLine)
{
    const std::string mixed = "桩号,截面类型,d(mm)\n东-1,圆桩,1000\n" + test::toGbk("西-2,方桩,1000\n");
    const ScheduleReading reading = readSchedule(mixed);
    ASSERT_TRUE(reading.error);
    EXPECT_EQ(reading.error->line, 3);
    EXPECT_NE(reading.error->text.find("第 1 行是 UTF-8"), std::string::npos) << reading.error->text;

    const std::string gbk = test::toGbk("桩号,截面类型,d(mm)\nA-1,圆桩,1000\n西-2,方桩,1000\n");
    const ScheduleReading plain = readSchedule(gbk);
    ASSERT_FALSE(plain.error) << scheduleErrorText(*plain.error);
    EXPECT_EQ(plain.rows[0].cell(ScheduleColumn::Section), "圆桩");
}

TEST(ScheduleReading, MessagesQuoteAtMostSixtyCharactersAndLongIdsAreRefused)
{
    const std::string name(100, 'x');
    const ScheduleReading unknown = readSchedule("id," + name + "\nA,1\n");
    ASSERT_TRUE(unknown.error);
    EXPECT_NE(unknown.error->text.find(std::string(60, 'x') + "…"), std::string::npos) << unknown.error->text;
    EXPECT_EQ(unknown.error->text.find(std::string(61, 'x')), std::string::npos);

    CalculationBook book;
    const ScheduleResult result =
        calculateSchedule(rowsOf("section,d,frk,integrity\n圆桩,1000,35," + std::string(100, 'y') + "\n"), book, timeText);
    EXPECT_EQ(result.rows[0].note, "'" + std::string(60, 'y') + "…' is not a valid floating point value");

    const std::string id200(200, 'a');
    EXPECT_FALSE(readSchedule("d,id\n1000," + id200 + "\n").error);
    const ScheduleReading longId = readSchedule("d,id\n1000,桩" + id200 + "\n");
    ASSERT_TRUE(longId.error);
    EXPECT_EQ(longId.error->line, 2);
    EXPECT_EQ(longId.error->text, "第 2 列（桩" + std::string(59, 'a') + "…）的桩号有 201 个字符，最多 200 个");
}

TEST(ScheduleReading, ReadingStopsAtItsLimitWhateverTheFile)
{
    std::string bytes;
    const std::optional<std::string> error = readScheduleFile("/dev/zero", bytes, std::size_t{1} << 20);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "文件太大，不像是桩表");
    EXPECT_TRUE(bytes.empty());

    const test::ScratchFolder folder("schedule_limit");
    const std::string piles = folder.file("桩表.csv");
    writeBytes(piles, "id\nA\n");
    EXPECT_FALSE(readScheduleFile(piles, bytes, 5));
    EXPECT_EQ(bytes, "id\nA\n");
    EXPECT_TRUE(readScheduleFile(piles, bytes, 4));
    EXPECT_TRUE(readScheduleFile(folder.name(), bytes));
}

// results.csv and results.xlsx: nothing an id holds runs as a formula; numbers stay numbers.
TEST(ScheduleResults, NoCellRunsAsAFormula)
{
    const std::vector<ScheduleRow> rows = rowsOf("id,section,d,frk,integrity\n"
                                                 "\"=HYPERLINK(\"\"http://h\"\",\"\"x\"\")\",圆桩,1000,35,较完整\n"
                                                 "@SUM(A1),圆桩,-3,35,较完整\n"
                                                 "+1+2,圆桩,1000,35,较完整\n"
                                                 "-3,圆桩,1000,35,较完整\n");
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(rows, book, timeText);
    std::ostringstream out;
    writeResultsCsv(out, rows, result);
    const std::string csv = out.str();
    EXPECT_NE(csv.find("\r\n\"'=HYPERLINK(\"\"http://h\"\",\"\"x\"\")\",圆桩,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n'@SUM(A1),圆桩,-3,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n'+1+2,圆桩,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n-3,圆桩,1000,"), std::string::npos) << csv;

    const test::ScratchFolder folder("schedule_formula");
    const std::string path = folder.file("results.xlsx");
    ASSERT_FALSE(writeResultsXlsx(path, rows, result));
    const std::string sheet = test::zipMember(filePath(path), "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("t=\"inlineStr\"><is><t>=HYPERLINK("), std::string::npos) << sheet;
    EXPECT_EQ(sheet.find("<f>"), std::string::npos) << sheet;
}

// results.xlsx goes through the one safe save: a read-only file is refused, a link stays a link, a
// cell the workbook cannot hold fails the whole write in our words, and the old file stays.
TEST(ScheduleResults, TheWorkbookIsSavedLikeEveryOtherFile)
{
    const test::ScratchFolder folder("schedule_xlsx");
    const std::vector<ScheduleRow> rows = rowsOf("id,section,d,frk,integrity\nA,圆桩,1000,35,较完整\n");
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(rows, book, timeText);
    const std::string name = folder.file("结果.xlsx");
    const fs::path path = filePath(name);

    writeBytes(name, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // Marked read-only: refused even to an administrator, and left as it was.
    const auto refused = writeResultsXlsx(name, rows, result);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find(name), std::string::npos) << *refused;
    EXPECT_EQ(fileBytes(name), "old");
#ifndef _WIN32 // permission bits and symbolic links are POSIX's
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#endif
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    fs::remove(path);

#ifndef _WIN32
    const std::string kept = folder.file("target.xlsx"); // the file the link names
    writeBytes(kept, "old");
    fs::create_symlink("target.xlsx", path);
    ASSERT_FALSE(writeResultsXlsx(name, rows, result));
    EXPECT_TRUE(fs::is_symlink(path));
#else
    const std::string kept = name;
    ASSERT_FALSE(writeResultsXlsx(name, rows, result));
#endif
    EXPECT_TRUE(fileBytes(kept).starts_with("PK"));

    // A refused row's cell longer than a cell holds is cut, its row and the rest written.
    std::vector<ScheduleRow> huge = rows;
    huge[0].cells[static_cast<std::size_t>(ScheduleColumn::Section)] = std::string(40000, 'x') + "桩";
    const ScheduleResult hugeResult = calculateSchedule(huge, book, timeText);
    ::testing::internal::CaptureStderr();
    const auto error = writeResultsXlsx(name, huge, hugeResult);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    ASSERT_FALSE(error) << *error;
    EXPECT_EQ(printed, "");
    const SheetText sheet = readFirstSheet(fileBytes(kept));
    ASSERT_FALSE(sheet.error) << *sheet.error;
    EXPECT_NE(sheet.csv.find(",\"" + std::string(32766, 'x') + "…\","), std::string::npos);
    EXPECT_NE(sheet.csv.find("截面类型“" + std::string(60, 'x') + "…”"), std::string::npos);
    for (const auto &entry : fs::directory_iterator(folder.path())) {
        EXPECT_FALSE(test::nameOf(entry.path().filename()).find(".saving-") != std::string::npos)
            << test::nameOf(entry.path());
    }
}

// A second holder of a folder's lock is refused at once; one generation's files replace the last
// together or not at all.
TEST(OutputFolder, OneRunAtATimeAndOneGenerationOfFiles)
{
    const test::ScratchFolder folder("output_folder");
    {
        FolderLock first;
        bool busy = false;
        ASSERT_FALSE(first.lock(folder.name(), busy));
        FolderLock second;
        EXPECT_TRUE(second.lock(folder.name(), busy));
        EXPECT_TRUE(busy);
    }

    writeBytes(folder.file("计算书.txt"), "a1");
    writeBytes(folder.file("b.txt"), "b1");
    fs::permissions(filePath(folder.file("b.txt")), fs::perms::owner_read);
    {
        RunGeneration generation;
        ASSERT_FALSE(generation.begin(folder.name()));
        writeBytes(generation.stagedPath("计算书.txt"), "a2");
        writeBytes(generation.stagedPath("b.txt"), "b2");
        EXPECT_TRUE(generation.commit()); // b.txt is marked read-only: 计算书.txt stays too
    }
    EXPECT_EQ(fileBytes(folder.file("计算书.txt")), "a1");
    EXPECT_EQ(fileBytes(folder.file("b.txt")), "b1");
    fs::permissions(filePath(folder.file("b.txt")), fs::perms::owner_read | fs::perms::owner_write);
    {
        RunGeneration generation;
        ASSERT_FALSE(generation.begin(folder.name()));
        writeBytes(generation.stagedPath("计算书.txt"), "a3");
        writeBytes(generation.stagedPath("c.txt"), "c3");
        EXPECT_FALSE(generation.commit());
    }
    EXPECT_EQ(fileBytes(folder.file("计算书.txt")), "a3");
    EXPECT_EQ(fileBytes(folder.file("b.txt")), "b1");
    EXPECT_EQ(fileBytes(folder.file("c.txt")), "c3");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 3u); // no private folder left behind
}

#ifndef _WIN32 // a kill as POSIX gives one
std::vector<std::string> namesIn(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A run killed at any moment of moving its files into place leaves the folder to the next run, which
// completes the move, so the folder holds one run's files; private folders of runs killed earlier go,
// what merely looks like one stays.
TEST(OutputFolder, ARunKilledWhileItsFilesMoveIsCompletedByTheNext)
{
    const test::ScratchFolder scratch("output_killed");
    const fs::path folder = scratch.path();
    const std::vector<std::string> files{"a.txt", "b.txt", "c.txt"};
    fs::create_directory(folder / ".saxolith-run-Ab12Cd");
    std::ofstream(folder / ".saxolith-run-Ab12Cd" / "table-rows") << "rows of a run killed as it calculated";
    std::ofstream(folder / ".saxolith-run-x") << "no run's";
    fs::create_directory_symlink("elsewhere", folder / ".saxolith-run-Zz99Yy");
    for (int killedAfter = 0; killedAfter <= 3; ++killedAfter) {
        SCOPED_TRACE(killedAfter);
        const std::string run = std::to_string(killedAfter);
        const pid_t child = ::fork();
        if (child == 0) {
            RunGeneration generation;
            if (generation.begin(folder.string())) {
                ::_exit(1);
            }
            for (const std::string &name : files) {
                std::ofstream(generation.stagedPath(name)) << name << run;
            }
            // Killed after so many files were moved (none: after the whole move, before its folder went):
            // nothing of the run's own is cleared away.
            int moved = 0;
            const auto error = generation.commit([&] {
                if (++moved == killedAfter) {
                    ::_exit(0);
                }
            });
            ::_exit(error ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        {
            RunGeneration next;
            ASSERT_FALSE(next.begin(folder.string()));
        }
        for (const std::string &name : files) {
            EXPECT_EQ(fileBytes(test::nameOf(folder / name)), name + run) << name;
        }
        EXPECT_EQ(namesIn(folder), (std::vector<std::string>{".saxolith-run-Zz99Yy", ".saxolith-run-x",
                                                             "a.txt", "b.txt", "c.txt"}));
    }
}
#endif

} // namespace
} // namespace saxolith
