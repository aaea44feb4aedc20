// saxolith-batch run as a program: its exit codes, messages and the files it writes.
#include "support/code_page.h"
#include "support/zip_member.h"

#include "core/book/book_file.h"
#include "core/project/project.h"
#include "core/schedule/results_file.h"
#include "core/schedule/schedule_run.h"
#include "core/texts/language.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <unistd.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace saxolith
{
namespace
{

namespace fs = std::filesystem;

std::string fileBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A project's bytes without the run's time, which every entry and the book's time line give: two runs
// of the same schedule may be a second apart.
std::string withoutRunTimes(const std::string &bytes)
{
    const std::string key = "\"closingTime\": \"";
    const std::size_t from = bytes.find(key) + key.size();
    const std::string time = bytes.substr(from, bytes.find('"', from) - from);
    std::string left;
    std::size_t start = 0;
    for (std::size_t at; !time.empty() && (at = bytes.find(time, start)) != std::string::npos;
         start = at + time.size()) {
        left.append(bytes, start, at - start);
    }
    return left.append(bytes, start);
}

struct BatchRun {
    int code = -1;
    std::string out;
    std::string err;
};

class BatchTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The process in the name: other checkouts on the machine run the same tests at the same time.
        folder = fs::path(::testing::TempDir()) /
                 (std::string("batch_") + info->name() + "_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs the program in the scratch folder under the plain C locale (UTF-8 texts).
    // `environment`: assignments for the program's environment; `shell`: commands run before it.
    BatchRun run(const std::string &arguments, const std::string &environment = {},
                 const std::string &shell = {}) const
    {
        const std::string command = "cd '" + folder.string() + "' && " + shell + " LC_ALL=C " + environment + " '" SAXOLITH_BATCH "' " +
                                    arguments + " > stdout.txt 2> stderr.txt";
        const int status = std::system(command.c_str());
        BatchRun result;
        result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = fileBytes(folder / "stdout.txt");
        result.err = fileBytes(folder / "stderr.txt");
        return result;
    }

    fs::path schedule(const std::string &bytes, const std::string &name = "piles.csv") const
    {
        writeBytes(folder / name, bytes);
        return folder / name;
    }

    fs::path folder;
};

TEST_F(BatchTest, ExitCodesAndMessages)
{
    struct Case {
        std::string name;
        std::string bytes;     // written as piles.csv
        std::string arguments; // after the program's name
        int code;
        std::string err; // a part of standard error
    };
    const Case cases[] = {
        {"all completed, hints included", "section,d,integrity,frk\n圆桩,1000,较完整,35\n圆桩,1000,较完整,20\n",
         "piles.csv", 0, ""},
        {"some refused", "id,section,d,integrity,frk\nA,圆桩,1000,较完整,35\nB,圆桩,1000,较完整,abc\nC,圆桩,1000,较完整,36\n", "piles.csv", 1,
         "piles.csv: 第 3 行（B）：岩石单轴抗压强度值有错\n"},
        {"all refused", "section,d,frk,qpa\n圆桩,1000,35,4000\n", "piles.csv", 1,
         "piles.csv: 第 2 行：qpa 与 frk 同时给出，只能给出其中一个\n"},
        {"unknown column", "id,diameter\nA,1000\n", "piles.csv", 2, "piles.csv: 第 1 行：未知列名“diameter”"},
        {"too many cells", "id,d\nA,1000,1\n", "piles.csv", 2,
         "piles.csv: 第 2 行：有 3 个单元格，列名行有 2 个\n"},
        {"too few cells", "id,d\nA\n", "piles.csv", 2, "piles.csv: 第 2 行：有 1 个单元格，列名行有 2 个\n"},
        {"empty file", "", "piles.csv", 2, "piles.csv: 第 1 行：桩表是空的\n"},
        {"binary file", std::string("id\n\0\1\2", 6), "piles.csv", 2,
         "piles.csv: 第 2 行：不是文本文件（含二进制字节）\n"},
        {"UTF-16 cut after an odd byte", test::toUtf16("id,section,d,integrity,frk\r\nA,圆桩,1000,较完整,35\r\n") + "1",
         "piles.csv", 2, "piles.csv: 第 3 行：UTF-16 文本的字节数是奇数，文件不完整\n"},
        {"UTF-16 with half of a pair",
         test::toUtf16("id\tsection\td\tintegrity\tfrk\nA\t圆桩\t1000\t较完整\t35\n", true) + "\xD8\x40" +
             test::toUtf16("B\t圆桩\t1000\t较完整\t35\n", true).substr(2),
         "piles.csv", 2, "piles.csv: 第 3 行：UTF-16 文本中有半个字符（不成对的代理项），文件可能已损坏\n"},
        {"UTF-32", std::string("\xFF\xFE\0\0i\0\0\0d\0\0\0", 12), "piles.csv", 2,
         "piles.csv: 第 1 行：UTF-32 编码的文件不能读取，请另存为 UTF-8、UTF-16 或 GBK\n"},
        {"no such file", "", "nothing.csv", 2, "nothing.csv: 无法读取：文件不存在\n"},
        {"a folder", "", ".", 2, ".: 是文件夹，不是桩表文件\n"},
        {"no schedule", "", "", 2, "没有给出桩表文件\n用法："},
        {"two schedules", "", "a.csv b.csv", 2, "只能给出一个桩表文件\n"},
        {"unknown option", "frk\n35\n", "piles.csv --fast", 2, "未知选项：--fast\n"},
        {"unknown encoding", "frk\n35\n", "piles.csv --encoding big5", 2, "编码只能是 gbk 或 utf-8：big5\n"},
        {"out without folder", "frk\n35\n", "piles.csv --out", 2, "选项缺少取值：--out\n"},
        {"project without file", "frk\n35\n", "piles.csv --project", 2, "选项缺少取值：--project\n"},
        {"project cannot be written", "frk\n35\n", "piles.csv --project /proc/no/such.saxolith", 2,
         "/proc/no/such.saxolith"},
        {"out folder cannot be made", "frk\n35\n", "piles.csv --out /proc/no/such", 2,
         "/proc/no/such: 无法建立输出目录："},
        {"unknown report", "frk\n35\n", "piles.csv --report html", 2, "--report 只能是 pdf 或 docx：html\n"},
        {"unknown grade", "frk\n35\n", "piles.csv --report pdf --concrete C20", 2,
         "混凝土强度等级只能是 C25、C30、C35、C40、C45、C50、C55 或 C60：C20\n"},
        {"psic out of range", "frk\n35\n", "piles.csv --report pdf --psic 0.9", 2,
         "ψc 应在 0.6 到 0.8 之间：0.9\n"},
        {"psic not a number", "frk\n35\n", "piles.csv --psic=abc", 2, "--psic 不是数：abc\n"},
        {"report without format", "frk\n35\n", "piles.csv --report", 2, "选项缺少取值：--report\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        schedule(c.bytes);
        const BatchRun result = run(c.arguments);
        EXPECT_EQ(result.code, c.code) << result.err;
        if (c.err.empty()) {
            EXPECT_EQ(result.err, "");
        } else {
            EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
        }
    }
}

TEST_F(BatchTest, WritesTheBooksAndResultsTheScheduleGivesInCore)
{
    const std::string csv = "桩号,截面类型,d(mm),c(mm),frk(MPa),qpa(kPa),完整程度,ψr,精度\n"
                            "东-1,椭圆桩,1200,600,40,,0.62,,两位小数\n"
                            ",矩形桩,800,1200,,4000,,,十位取整\n"
                            "西-3,圆桩,1000,,abc,,较完整,,\n"
                            ",方桩,1000,1000,20,,,0.6,一位小数\n";
    schedule(test::toGbk(csv));
    const BatchRun result = run("piles.csv --out out/books --encoding gbk --xlsx");
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.out, "已计算 3 根（其中提示 1 根），未计算 1 根\n");
    EXPECT_EQ(result.err, "piles.csv: 第 4 行（西-3）：岩石单轴抗压强度值有错\n");

    const fs::path out = folder / "out/books";
    const std::string text = fileBytes(out / std::string(bookFileName(BookForm::Text)));
    const std::string table = fileBytes(out / std::string(bookFileName(BookForm::Table)));
    const std::string timeLine = test::fromGbk(text.substr(text.rfind("\r\n") + 2));
    ASSERT_TRUE(timeLine.starts_with("计算时间：")) << timeLine;

    const std::vector<ScheduleRow> rows = readSchedule(csv).rows;
    CalculationBook book;
    const ScheduleResult expected =
        calculateSchedule(rows, book, timeLine.substr(std::string("计算时间：").size()));
    EXPECT_EQ(text, bookFileBytes(book.textLines(), "GBK"));
    EXPECT_EQ(table, bookFileBytes(book.tableLines(), "GBK"));
    std::ostringstream csvOut;
    writeResultsCsv(csvOut, rows, expected);
    EXPECT_EQ(fileBytes(out / "results.csv"), csvOut.str());
    EXPECT_NE(
        test::zipMember((out / "results.xlsx").string(), "xl/worksheets/sheet1.xml").find("<t>东-1</t>"),
        std::string::npos);
    // Only the files asked for, no temporary ones left behind.
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(out)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> wanted = {"results.csv", "results.xlsx",
                                       std::string(bookFileName(BookForm::Text)),
                                       std::string(bookFileName(BookForm::Table))};
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(names, wanted);
}

// The project the window opens: the same book, byte for byte, and the screen left on the last row.
TEST_F(BatchTest, AProjectOfTheScheduleGivesTheSameBook)
{
    schedule("桩号,截面类型,d(mm),c(mm),frk(MPa),qpa(kPa),完整程度\n"
             "A,圆桩,1000,,35,,较完整\n"
             ",矩形桩,800,1200,,4000,\n"
             "C,椭圆桩,1200,600,abc,,较完整\n");
    const BatchRun result = run("piles.csv --out out --encoding utf-8 --project 工程/滨江.saxolith");
    EXPECT_EQ(result.code, 1) << result.err;
    const std::string bytes = fileBytes(folder / "工程/滨江.saxolith");
    CalculationBook book;
    const ProjectReading reading = readProject(bytes, &book);
    ASSERT_TRUE(reading.project) << reading.error << result.err;
    EXPECT_EQ(reading.project->entries.size(), 2U);
    EXPECT_EQ(reading.project->entries[0].pileName, "A");
    EXPECT_EQ(reading.project->inputScreen.frk, "abc") << "the last row typed in";
    EXPECT_EQ(bookFileBytes(book.textLines(), "UTF-8"),
              fileBytes(folder / "out" / std::string(bookFileName(BookForm::Text))));
    EXPECT_EQ(bookFileBytes(book.tableLines(), "UTF-8"),
              fileBytes(folder / "out" / std::string(bookFileName(BookForm::Table))));
}

// The project carries the run's report settings, those its results tables were checked at, written as
// the schedule is read or whole alike; a run that names none keeps the settings a new project has.
TEST_F(BatchTest, AProjectKeepsTheRunsReportSettings)
{
    schedule("id,section,d,frk,integrity\nA,圆桩,1000,35,较完整\nB,圆桩,1200,abc,较完整\n");
    const std::string settings = " --concrete C35 --psic 0.75 --gamma 1.4 --project-name 滨江花园";
    ReportSettings given;
    given.titleBlock.projectName = "滨江花园";
    given.concreteGrade = "C35";
    given.psiC = 0.75;
    given.gamma = 1.4;
    const struct {
        const char *name;
        std::string arguments;
        ReportSettings report;
        const char *psiCCell; // the results table's ψc, as it is checked at
    } cases[] = {{"given", settings, given, ",0.75,"}, {"none given", "", ReportSettings{}, ",0.7,"}};
    for (const auto &each : cases) {
        SCOPED_TRACE(each.name);
        std::string bytes[2];
        for (const int whole : {0, 1}) {
            const std::string name = whole ? "whole.saxolith" : "streamed.saxolith";
            const BatchRun result = run("piles.csv --out out --project " + name + each.arguments,
                                        whole ? "SAXOLITH_BATCH_READ_WHOLE=1" : "");
            EXPECT_EQ(result.code, 1) << result.err;
            bytes[whole] = fileBytes(folder / name);
            const ProjectReading reading = readProject(bytes[whole]);
            ASSERT_TRUE(reading.project) << reading.error << result.err;
            const ReportSettings &report = reading.project->report;
            EXPECT_EQ(report.titleBlock.projectName, each.report.titleBlock.projectName) << name;
            EXPECT_EQ(report.concreteGrade, each.report.concreteGrade) << name;
            EXPECT_EQ(report.psiC, each.report.psiC) << name;
            EXPECT_EQ(report.gamma, each.report.gamma) << name;
            EXPECT_EQ(report, each.report) << name;
            EXPECT_EQ(reading.project->entries.size(), 1U);
            EXPECT_EQ(reading.project->inputScreen.frk, "abc");
            EXPECT_NE(fileBytes(folder / "out/results.csv").find(each.psiCCell), std::string::npos);
        }
        EXPECT_EQ(withoutRunTimes(bytes[0]), withoutRunTimes(bytes[1]));
    }
}

// A schedule longer than the pieces it is read in gives, read as it is calculated, the files and
// messages of the whole run: ids repeated far apart, ids the code page cannot hold, a long id that
// widens the table's id column late, refused rows all the way down. Saved as UTF-16 (a spreadsheet's
// "Unicode text", tabs between the cells, either byte order) it gives the files of its UTF-8 twin.
TEST_F(BatchTest, ALongScheduleReadAsItIsCalculatedGivesTheFilesOfTheWholeRun)
{
    std::string csv = "桩号,截面类型,d(mm),c(mm),frk(MPa),qpa(kPa),完整程度,ψr,精度\r\n";
    const char *const rows[] = {"圆桩,1000,,35,,较完整,,个位取整", "矩形桩,800,1200,,4000,,,十位取整",
                                "椭圆桩,1200,600,abc,,较完整,,", "方桩,900,,20,,,0.6,一位小数",
                                "圆桩,1100,,,,,,"};
    for (int i = 0; i < 12000; ++i) {
        std::string id = i % 3 == 0 ? "" : "P-" + std::to_string(i % 4000);
        if (i == 11000) {
            id = "东区承台桩-很长的编号-" + std::to_string(i);
        } else if (i % 997 == 1) {
            id = "한-" + std::to_string(i);
        } else if (i % 1009 == 2) {
            id = "𠮷Ж-" + std::to_string(i);
        }
        csv += id + "," + rows[i % 5] + (i % 2 == 0 ? "\r\n" : "\n");
    }
    std::string tabs = csv;
    std::replace(tabs.begin(), tabs.end(), ',', '\t');
    const struct {
        std::string name;
        std::string bytes;
    } forms[] = {{"UTF-8", csv}, {"UTF-16, tabs", test::toUtf16(tabs)}, {"UTF-16 big-endian", test::toUtf16(csv, true)}};
    // The books close with the time of their run, which may differ by a second.
    const auto withoutTime = [](std::string bytes) { return bytes.substr(0, bytes.rfind("\r\n")); };
    const std::string names[] = {std::string(bookFileName(BookForm::Text)), std::string(bookFileName(BookForm::Table)),
                                 std::string("results.csv")};
    std::map<std::string, std::string> utf8Files;
    for (const auto &form : forms) {
        SCOPED_TRACE(form.name);
        schedule(form.bytes);
        fs::remove_all(folder / "streamed");
        fs::remove_all(folder / "whole");
        const BatchRun streamed = run("piles.csv --out streamed --encoding gbk --xlsx --project streamed.saxolith");
        const BatchRun whole = run("piles.csv --out whole --encoding gbk --xlsx --project whole.saxolith",
                                   "SAXOLITH_BATCH_READ_WHOLE=1");
        EXPECT_EQ(streamed.code, 1);
        EXPECT_EQ(streamed.code, whole.code);
        EXPECT_EQ(streamed.out, whole.out);
        EXPECT_EQ(streamed.err, whole.err);
        for (const std::string &name : names) {
            const std::string bytes = withoutTime(fileBytes(folder / "streamed" / name));
            EXPECT_FALSE(bytes.empty()) << name;
            EXPECT_TRUE(bytes == withoutTime(fileBytes(folder / "whole" / name))) << name;
            EXPECT_TRUE(utf8Files.try_emplace(name, bytes).first->second == bytes) << name;
        }
        const std::string sheet = "xl/worksheets/sheet1.xml";
        EXPECT_EQ(test::zipMember((folder / "streamed/results.xlsx").string(), sheet),
                  test::zipMember((folder / "whole/results.xlsx").string(), sheet));
        // The project the same but for the run's time, which every entry and the book's time line give.
        const std::string project = fileBytes(folder / "streamed.saxolith");
        EXPECT_GT(project.size(), 1000000U);
        EXPECT_TRUE(withoutRunTimes(project) == withoutRunTimes(fileBytes(folder / "whole.saxolith")));
        // Only the files asked for: nothing the run kept aside on the way stays behind.
        std::vector<std::string> written;
        for (const auto &entry : fs::directory_iterator(folder / "streamed")) {
            written.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(written.size(), 4U);
    }
}

// A book that cannot be written whole (here: the files may grow to 4 MB only, and the text book is
// about 20 MB) fails the run as the whole run fails it, after every row was calculated, and the
// folder keeps the last run's files.
TEST_F(BatchTest, ABookThatCannotBeWrittenWholeReplacesNothing)
{
    schedule("id,section,d,integrity,frk\nA,圆桩,1000,较完整,35\n");
    ASSERT_EQ(run("piles.csv --out out").code, 0);
    const std::string book = fileBytes(folder / "out" / bookFileName(BookForm::Text));
    std::string csv = "id,section,d,integrity,frk\n";
    for (int i = 0; i < 12000; ++i) {
        csv += "P-" + std::to_string(i) + ",圆桩," + std::to_string(800 + i % 900) + ",较完整,35\n";
    }
    schedule(csv, "long.csv");
    // Past the limit a write is refused (EFBIG) rather than the program stopped.
    const std::string limited = "ulimit -f 8192 && trap '' XFSZ && ";
    const BatchRun streamed = run("long.csv --out out", {}, limited);
    const BatchRun whole = run("long.csv --out out", "SAXOLITH_BATCH_READ_WHOLE=1", limited);
    EXPECT_EQ(streamed.code, 2);
    EXPECT_NE(streamed.err.find(std::string(bookFileName(BookForm::Text))), std::string::npos) << streamed.err;
    EXPECT_NE(streamed.err.find("本次的文件都没有写出"), std::string::npos) << streamed.err;
    EXPECT_EQ(streamed.out, "已计算 12000 根，未计算 0 根\n");
    EXPECT_EQ(streamed.code, whole.code);
    // The same messages, each naming the file where it was to stand, not in the folder the run wrote
    // its files in apart, which is gone.
    EXPECT_EQ(streamed.err, whole.err);
    EXPECT_NE(streamed.err.find("out/" + std::string(bookFileName(BookForm::Text))), std::string::npos)
        << streamed.err;
    EXPECT_EQ(streamed.err.find(".saxolith-run"), std::string::npos) << streamed.err;
    EXPECT_EQ(fileBytes(folder / "out" / bookFileName(BookForm::Text)), book);
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder / "out")) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names.size(), 3u);
}

// A long schedule (many pieces) that holds an error which refuses it, near its end, on its second line
// or across the pieces: the run says what the whole reading says, line included, with its exit code,
// and the folder keeps the last run's files, streamed or read whole alike.
TEST_F(BatchTest, ALongScheduleWithAnErrorIsRefusedAsTheWholeReadingRefusesIt)
{
    schedule("id,section,d,integrity,frk\nA,圆桩,1000,较完整,35\n");
    ASSERT_EQ(run("piles.csv --out out").code, 0);
    const std::string book = fileBytes(folder / "out" / bookFileName(BookForm::Text));
    std::vector<std::string> lines{"桩号,截面类型,d(mm),frk(MPa),完整程度"};
    for (int i = 0; i < 6000; ++i) {
        lines.push_back("P-" + std::to_string(i) + ",圆桩," + std::to_string(800 + i % 900) + ",35,较完整");
    }
    // The lines with `put` before line `at` (from 1), each line ended by CR LF, in `encoding`.
    const auto with = [&lines](std::size_t at, const std::string &put, const char *encoding = "UTF-8") {
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            text += (i + 1 == at ? put : "") + lines[i] + "\r\n";
        }
        return std::string_view(encoding) == "UTF-8" ? text : test::convert(text, encoding, "UTF-8");
    };
    const std::size_t nearEnd = lines.size() - 10;
    // A character beyond U+FFFF, whose second half is then taken away.
    const std::string utf16 = test::toUtf16(with(nearEnd, "𠮷"));
    const std::size_t pair = utf16.find(test::toUtf16("𠮷").substr(2), utf16.size() / 2) + 2;
    const struct {
        const char *name;
        std::string bytes;
        std::string err;
    } cases[] = {
        {"a quote never closed near the end", with(nearEnd, "\""), "第 5991 行：引号没有结束"},
        {"a quote never closed on line 2", with(2, "\""), "第 2 行：引号没有结束"},
        {"a control character near the end", with(nearEnd, "\x01"), "第 5991 行：不是文本文件（含二进制字节）"},
        {"a row short of a cell near the end", with(nearEnd, "P,圆桩\r\n"), "第 5991 行：有 2 个单元格，列名行有 5 个"},
        {"a row short of a cell before a control character",
         with(30, "P,圆桩\r\n") + "P\x02,圆桩,1000,35,完整\r\n", "第 6003 行：不是文本文件（含二进制字节）"},
        {"a byte that is no UTF-8 after its mark", "\xEF\xBB\xBF" + with(nearEnd, "\xFF"), "第 5991 行：既不是 UTF-8 也不是 GBK 编码的文本"},
        {"a byte that is no GBK", test::toGbk(with(nearEnd, "")) + "\x81\x20\r\n", "第 6002 行：既不是 UTF-8 也不是 GBK 编码的文本"},
        {"GBK with a line in UTF-8", test::toGbk(with(1, "")) + "西-2,方桩,900,20,完整\r\n" + test::toGbk(with(1, "")), "第 1 行：不是 UTF-8 编码（第 6002 行是 UTF-8）"},
        {"half of a UTF-16 pair near the end", utf16.substr(0, pair) + utf16.substr(pair + 2),
         "第 5991 行：UTF-16 文本中有半个字符（不成对的代理项），文件可能已损坏"},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.name);
        schedule(each.bytes, "long.csv");
        const BatchRun streamed = run("long.csv --out out");
        const BatchRun whole = run("long.csv --out out", "SAXOLITH_BATCH_READ_WHOLE=1");
        EXPECT_EQ(streamed.code, 2);
        EXPECT_EQ(streamed.code, whole.code);
        EXPECT_EQ(streamed.err, whole.err);
        EXPECT_EQ(streamed.out, whole.out);
        EXPECT_NE(streamed.err.find("long.csv: " + each.err), std::string::npos) << streamed.err;
        EXPECT_TRUE(fileBytes(folder / "out" / bookFileName(BookForm::Text)) == book);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder / "out"), fs::directory_iterator()), 3);
    }
}

// One run at a time into a folder, and each run's files replace the last run's together or not at all.
TEST_F(BatchTest, OneRunAtATimeIntoAFolderAndOneGenerationOfFiles)
{
    schedule("id,section,d,integrity,frk\nA,圆桩,1000,较完整,35\n");
    ASSERT_EQ(run("piles.csv --out out").code, 0);
    const fs::path out = folder / "out";
    const std::string book = fileBytes(out / bookFileName(BookForm::Text));
    const std::string results = fileBytes(out / "results.csv");

    const int held = ::open(out.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const BatchRun busy = run("piles.csv --out out");
    ::close(held);
    EXPECT_EQ(busy.code, 2);
    EXPECT_NE(busy.err.find("out: 另一个 saxolith-batch 正在向这个目录写出"), std::string::npos) << busy.err;
    EXPECT_EQ(busy.out, "");

    // results.csv marked read-only: no file of the new run replaces any of the last.
    schedule("id,section,d,integrity,frk\nB,圆桩,1200,较完整,35\n");
    fs::permissions(out / "results.csv", fs::perms::owner_read);
    const BatchRun refused = run("piles.csv --out out");
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("results.csv”：文件只读"), std::string::npos) << refused.err;
    EXPECT_EQ(fileBytes(out / bookFileName(BookForm::Text)), book);
    EXPECT_EQ(fileBytes(out / "results.csv"), results);
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(out)) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names.size(), 3u); // the two books and the results: nothing of the refused run is left

    fs::permissions(out / "results.csv", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(run("piles.csv --out out").code, 0);
    EXPECT_NE(fileBytes(out / bookFileName(BookForm::Text)), book);
    EXPECT_NE(fileBytes(out / "results.csv").find("B,圆桩,1200"), std::string::npos);
}

TEST_F(BatchTest, TheLocalesCodePageUnlessOneIsAsked)
{
    schedule("section,d,frk,integrity\n圆桩,1000,35,较完整\n");
    ASSERT_EQ(run("piles.csv").code, 0);
    const std::string plain = fileBytes(folder / std::string(bookFileName(BookForm::Table)));
    EXPECT_NE(plain.find("嵌岩桩计算书"), std::string::npos); // the C locale: UTF-8
    EXPECT_FALSE(fs::exists(folder / "results.xlsx"));

    ASSERT_EQ(run("piles.csv --encoding=GBK").code, 0);
    const std::string gbk = fileBytes(folder / std::string(bookFileName(BookForm::Table)));
    const auto withoutTime = [](const std::string &book) { return book.substr(0, book.rfind("\r\n")); };
    EXPECT_NE(withoutTime(gbk), withoutTime(plain));
    EXPECT_EQ(test::fromGbk(withoutTime(gbk)), withoutTime(plain));
}

TEST_F(BatchTest, TheTextBookAsPdf)
{
    schedule("id,section,d,integrity,frk\n东-1,圆桩,1000,较完整,35\n,圆桩,1000,较完整,36\n");
    const BatchRun result = run("piles.csv --pdf --out out");
    std::string name(bookFileName(BookForm::Text));
    name.replace(name.rfind('.'), std::string::npos, ".pdf");
    ASSERT_EQ(result.code, 0) << result.err;
    const std::string pdf = (folder / "out" / name).string();
    ASSERT_TRUE(fs::exists(pdf));
    const std::string command = "pdftotext -layout '" + pdf + "' '" + (folder / "book.txt").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string text = fileBytes(folder / "book.txt");
    EXPECT_NE(text.find("1.基桩编号: 东-1"), std::string::npos) << text;
    EXPECT_NE(text.find("1.基桩编号: ZH2"), std::string::npos) << text;
}

// The PDF of a run read as it is calculated, laid out from the book as it was written, is the PDF of
// the whole run: the same pages, text and pictures (the last page, with the run's time, aside), ids
// the book file's code page cannot hold and a long id that wraps included.
TEST_F(BatchTest, TheTextBookAsPdfReadAsItIsCalculatedIsThatOfTheWholeRun)
{
    std::string csv = "桩号,截面类型,d(mm),c(mm),frk(MPa),qpa(kPa),完整程度\r\n";
    for (int i = 0; i < 60; ++i) {
        std::string id = i % 7 == 3 ? "한-" + std::to_string(i) : "P-" + std::to_string(i);
        for (int ideograph = 0; i == 40 && ideograph < 190; ++ideograph) {
            id += "桩";
        }
        csv += id + (i % 2 == 0 ? ",圆桩,1000,,35,,较完整\r\n" : ",椭圆桩,1200,600,,4000,\r\n");
    }
    schedule(csv);
    ASSERT_EQ(run("piles.csv --out streamed --encoding gbk --pdf").code, 0);
    ASSERT_EQ(run("piles.csv --out whole --encoding gbk --pdf", "SAXOLITH_BATCH_READ_WHOLE=1").code, 0);
    std::string name(bookFileName(BookForm::Text));
    name.replace(name.rfind('.'), std::string::npos, ".pdf");
    const auto pdfText = [&](const char *run) {
        const fs::path text = folder / (std::string(run) + ".txt");
        const std::string command =
            "pdftotext -layout '" + (folder / run / name).string() + "' '" + text.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        const std::string bytes = fileBytes(text);
        return bytes.substr(0, bytes.rfind("计算时间"));
    };
    const std::string streamed = pdfText("streamed");
    EXPECT_NE(streamed.find("1.基桩编号: 한-3"), std::string::npos);
    EXPECT_GT(std::count(streamed.begin(), streamed.end(), '\f'), 10);
    EXPECT_TRUE(streamed == pdfText("whole"));
    for (const char *run : {"streamed", "whole"}) {
        const std::string command = "pdftoppm -r 40 -f 1 -l 3 -png '" + (folder / run / name).string() + "' '" +
                                    (folder / run / "page").string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    for (const char *page : {"page-01.png", "page-02.png", "page-03.png"}) {
        const std::string picture = fileBytes(folder / "streamed" / page);
        EXPECT_FALSE(picture.empty()) << page;
        EXPECT_TRUE(picture == fileBytes(folder / "whole" / page)) << page;
    }
}

TEST_F(BatchTest, TheReportBesideTheBooks)
{
    schedule("id,section,d,frk,integrity,qpa\n东-1,圆桩,1000,35,较完整,\nB2,圆桩,1200,,,30000\n");
    const BatchRun pdfRun =
        run("piles.csv --out out --report pdf --project-name 滨江花园 --concrete c35 --psic 0.75");
    ASSERT_EQ(pdfRun.code, 0) << pdfRun.err;
    ASSERT_TRUE(fs::exists(folder / "out" / "report.pdf"));
    ASSERT_TRUE(fs::exists(folder / "out" / bookFileName(BookForm::Text)));
    const std::string command = "pdftotext '" + (folder / "out" / "report.pdf").string() + "' '" +
                                (folder / "report.txt").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    // Blanks stand where pdftotext guesses them: the text is compared without them.
    std::string text = fileBytes(folder / "report.txt");
    std::erase(text, ' ');
    for (const char *expected :
         {"滨江花园", "C35", "0.75", "东-1", "不满足", "由桩身强度控制", "第1页共5页"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
    // The results table checks the shaft at the same grade and ψc.
    const std::string results = fileBytes(folder / "out" / "results.csv");
    EXPECT_NE(results.find(",fc(MPa),ψc,Rp(kN),桩身强度\r\n"), std::string::npos) << results;
    EXPECT_NE(results.find(",16.7,0.75,14165.44,不满足\r\n"), std::string::npos) << results;

    const BatchRun docxRun = run("piles.csv --out out --report=docx --gamma 1.3");
    ASSERT_EQ(docxRun.code, 0) << docxRun.err;
    const std::string xml = test::zipMember(folder / "out" / "report.docx", "word/document.xml");
    EXPECT_NE(xml.find(">B2<"), std::string::npos);
    EXPECT_NE(xml.find("γ = 1.3<"), std::string::npos);
}

// Every field of the report's dialog from the command line, or from a settings file (a project's, or one of
// the settings alone) that the options then change; a settings file that cannot be used stops the run.
TEST_F(BatchTest, TheReportsSignaturesFromOptionsOrASettingsFile)
{
    schedule("id,section,d,frk,integrity\nA,圆桩,1000,35,较完整\n");
    writeBytes(
        folder / "settings.json",
        R"({"titleBlock": {"designer": "张三", "approver": "赵六", "projectName": "滨江花园"}, "concreteGrade": "C40"})");
    BatchRun result =
        run("piles.csv --out out --report docx --report-settings settings.json --designer 李四 "
            "--project-number 2026-017 --subproject 3#楼 --institute 某设计院 --checker 周八 "
            "--reviewer 王五 --lead 钱七 --stage 初步设计 --date 2026-12-10 --report-number JS-1 "
            "--pile-type 水下灌注桩 --project p.saxolith");
    ASSERT_EQ(result.code, 0) << result.err;
    std::string xml = test::zipMember(folder / "out" / "report.docx", "word/document.xml");
    for (const char *expected :
         {">滨江花园<", ">2026-017<", ">3#楼<", ">某设计院<", ">李四<", ">周八<", ">王五<", ">赵六<",
          ">钱七<", ">初步设计<", ">2026-12-10<", ">JS-1<", ">水下灌注桩<", "C40"}) {
        EXPECT_NE(xml.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(xml.find(">张三<"), std::string::npos) << "an option outweighs the file";

    // The project just written gives the same settings back.
    result = run("piles.csv --out again --report docx --report-settings p.saxolith");
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(test::zipMember(folder / "again" / "report.docx", "word/document.xml"), xml);

    writeBytes(folder / "broken.json", R"({"titleBlock": {"designer": 3}})");
    for (const auto &[file, reason] : {std::pair{"missing.json", "无法读取报告设置文件 missing.json："},
                                       std::pair{"broken.json", "“titleBlock.designer”缺失或内容不对"}}) {
        result = run(std::string("piles.csv --out out --report pdf --report-settings ") + file);
        EXPECT_EQ(result.code, 2);
        EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
    }
}

// Nothing the results mark is lost from the report: a soft-rock pile and a repeated id say so on their page
// and in the summary, the cover counts the piles by outcome and lists the refused rows; the summary counts
// the hints and the repeated ids. Both ways of running give the same words.
TEST_F(BatchTest, TheReportKeepsEveryNoteAndRefusedRow)
{
    schedule("id,section,d,frk,integrity\nA,圆桩,1000,20,较完整\nB,圆桩,1000,35,较完整\n"
             "A,圆桩,1000,35,较完整\nC,圆桩,1000,abc,较完整\n");
    for (const char *environment : {"", "SAXOLITH_BATCH_READ_WHOLE=1"}) {
        SCOPED_TRACE(environment);
        const BatchRun result = run("piles.csv --out out --report pdf", environment);
        ASSERT_EQ(result.code, 1) << result.err;
        EXPECT_EQ(result.out, "已计算 3 根（其中提示 2 根，含桩号重复 1 根），未计算 1 根\n");
        const std::string command = "pdftotext '" + (folder / "out" / "report.pdf").string() + "' '" +
                                    (folder / "report.txt").string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::string text = fileBytes(folder / "report.txt");
        std::erase(text, ' ');
        for (const char *expected :
             {"基桩A（圆桩）\n提示：不适用于软质岩", "提示：桩号重复（第2行已有）", "计算结果统计",
              "错误（未计算）", "未计算的桩", "岩石单轴抗压强度值有错"}) {
            EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
        }
    }
    ASSERT_EQ(run("piles.csv --out out --report docx").code, 1);
    const std::string xml = test::zipMember(folder / "out" / "report.docx", "word/document.xml");
    for (const char *expected :
         {">提示 ： 不适用于软质岩<", ">提示：桩号重复（第 2 行已有）；", ">岩石单轴抗压强度值有错<"}) {
        EXPECT_NE(xml.find(expected), std::string::npos) << expected;
    }
}

// The report written as the schedule is read is the whole run's: the PDF's pages and texts, the Word
// file's document (pile numbers and ids, refused rows left out, the summary over several pages).
TEST_F(BatchTest, TheReportWrittenAsRowsComeIsTheWholeRuns)
{
    std::string csv = "id,section,d,c,frk,integrity,qpa\n";
    for (int i = 0; i < 150; ++i) {
        csv += (i % 3 == 0 ? std::string() : "东-" + std::to_string(i)) +
               (i % 7 == 6 ? ",圆桩,1000,,abc,较完整,\n" : i % 2 == 0 ? ",椭圆桩,1200,500,35,较完整,\n"
                                                                      : ",圆桩,1100,,,,30000\n");
    }
    schedule(csv);
    const std::string settings = " --project-name 滨江花园 --concrete c35";
    for (const std::string format : {"pdf", "docx"}) {
        SCOPED_TRACE(format);
        const BatchRun streamed = run("piles.csv --out streamed --report " + format + settings);
        const BatchRun whole = run("piles.csv --out whole --report " + format + settings, "SAXOLITH_BATCH_READ_WHOLE=1");
        EXPECT_EQ(streamed.code, 1);
        EXPECT_EQ(streamed.code, whole.code);
        EXPECT_EQ(streamed.err, whole.err);
        const fs::path file = "report." + format;
        if (format == "pdf") {
            for (const std::string way : {"streamed", "whole"}) {
                const std::string command = "pdftotext '" + (folder / way / file).string() + "' '" +
                                            (folder / (way + ".txt")).string() + "'";
                ASSERT_EQ(std::system(command.c_str()), 0);
            }
            const std::string text = fileBytes(folder / "streamed.txt");
            EXPECT_NE(text.find("东-148"), std::string::npos);
            EXPECT_TRUE(text == fileBytes(folder / "whole.txt"));
        } else {
            const std::string xml = test::zipMember(folder / "streamed" / file, "word/document.xml");
            EXPECT_NE(xml.find(">ZH4<"), std::string::npos);
            EXPECT_TRUE(xml == test::zipMember(folder / "whole" / file, "word/document.xml"));
        }
    }
}

// A workbook schedule, its first sheet read as the CSV it would be saved as a piece at a time, gives the
// files and messages of the same schedule read whole, as it is where its sheet cannot be unpacked (no
// temporary folder): numbers as numbers, ids as strings, refused rows, a date in a cell.
TEST_F(BatchTest, AWorkbookScheduleReadAsItIsCalculatedGivesTheFilesOfTheWholeReading)
{
    const std::string path = (folder / "piles.xlsx").string();
    lxw_workbook *workbook = workbook_new(path.c_str());
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format *date = workbook_add_format(workbook);
    format_set_num_format(date, "yyyy-mm-dd");
    const char *const heads[] = {"桩号", "截面类型", "d(mm)", "c(mm)", "frk(MPa)", "完整程度"};
    for (lxw_col_t column = 0; column < 6; ++column) {
        worksheet_write_string(sheet, 0, column, heads[column], nullptr);
    }
    for (lxw_row_t row = 1; row <= 12000; ++row) {
        if (row % 3 != 0) {
            worksheet_write_string(sheet, row, 0, ("西-" + std::to_string(row % 5000)).c_str(), nullptr);
        }
        worksheet_write_string(sheet, row, 1, row % 2 == 0 ? "圆桩" : "椭圆桩", nullptr);
        worksheet_write_number(sheet, row, 2, 800 + static_cast<double>(row % 9) * 100, nullptr);
        worksheet_write_number(sheet, row, 3, 400, nullptr);
        if (row % 11 == 0) {
            worksheet_write_number(sheet, row, 4, 45000, date); // a date where frk stands: refused
        } else {
            worksheet_write_number(sheet, row, 4, 20 + static_cast<double>(row % 7) * 2.5, nullptr);
        }
        worksheet_write_string(sheet, row, 5, "较完整", nullptr);
    }
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);

    const BatchRun streamed = run("piles.xlsx --out streamed --xlsx");
    const BatchRun whole = run("piles.xlsx --out whole --xlsx", "TMPDIR=" + (folder / "none").string());
    EXPECT_EQ(streamed.code, 1);
    EXPECT_EQ(streamed.code, whole.code);
    EXPECT_EQ(streamed.out, whole.out);
    EXPECT_EQ(streamed.err, whole.err);
    EXPECT_NE(streamed.err.find("第 12 行（西-11）"), std::string::npos) << streamed.err;
    const auto withoutTime = [](std::string bytes) { return bytes.substr(0, bytes.rfind("\r\n")); };
    for (const std::string &name : {std::string(bookFileName(BookForm::Text)), std::string(bookFileName(BookForm::Table)),
                                   std::string("results.csv")}) {
        const std::string bytes = fileBytes(folder / "streamed" / name);
        EXPECT_GT(bytes.size(), 100000U) << name;
        EXPECT_TRUE(withoutTime(bytes) == withoutTime(fileBytes(folder / "whole" / name))) << name;
    }
    const std::string results = "xl/worksheets/sheet1.xml";
    EXPECT_EQ(test::zipMember((folder / "streamed/results.xlsx").string(), results),
              test::zipMember((folder / "whole/results.xlsx").string(), results));
}

// A schedule piped in is read once and then as its file would be, a workbook included; a pipe no one
// writes to and a device that never ends are refused at once, naming them as given.
TEST_F(BatchTest, ASchedulePipedInGivesTheFilesOfItsFile)
{
    std::string csv = "id,section,d,frk,integrity\n";
    for (int row = 1; row <= 3000; ++row) {
        csv += "P-" + std::to_string(row) +
               (row % 100 == 0 ? ",圆桩,1000,abc,较完整\n" : ",圆桩,1000,35,较完整\n");
    }
    schedule(csv);
    const BatchRun file = run("piles.csv --out file --xlsx");
    const BatchRun piped = run("/dev/stdin --out piped --xlsx < piles.csv");
    const BatchRun catted = run("/dev/stdin --out catted", {}, "cat piles.csv |");
    EXPECT_EQ(file.code, 1);
    for (const BatchRun *other : {&piped, &catted}) {
        EXPECT_EQ(other->code, file.code);
        EXPECT_EQ(other->out, file.out);
    }
    EXPECT_NE(piped.err.find("/dev/stdin: 第 101 行（P-100）"), std::string::npos) << piped.err;
    const auto withoutTime = [](std::string bytes) { return bytes.substr(0, bytes.rfind("\r\n")); };
    EXPECT_TRUE(fs::exists(folder / "piped/results.xlsx"));
    EXPECT_EQ(withoutTime(fileBytes(folder / "piped/results.csv")),
              withoutTime(fileBytes(folder / "file/results.csv")));
    EXPECT_EQ(fileBytes(folder / "catted/results.csv"), fileBytes(folder / "piped/results.csv"));

    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    const BatchRun unwritten = run("fifo --out unwritten");
    EXPECT_EQ(unwritten.code, 2);
    EXPECT_EQ(unwritten.err, "fifo: 第 1 行：桩表是空的\n");
    const BatchRun zeros = run("/dev/zero --out zeros");
    EXPECT_EQ(zeros.code, 2);
    EXPECT_EQ(zeros.err, "/dev/zero: 第 1 行：不是文本文件（含二进制字节）\n");
}

// In English the messages, the results' header and outcomes are English; the books are the very books of a
// Chinese run, and the inputs stand in the results as the schedule gave them.
TEST_F(BatchTest, InEnglishTheMessagesAndResultsAndTheSameBooks)
{
    schedule("桩号,截面类型,d(mm),frk(MPa),完整程度\n"
             "A,圆桩,1000,35,较完整\nB,圆桩,1000,20,较完整\nC,圆桩,1200,abc,较完整\n");
    const BatchRun chinese = run("piles.csv --out zh --xlsx");
    for (const std::string way : {"", "SAXOLITH_BATCH_READ_WHOLE=1"}) {
        SCOPED_TRACE(way);
        const BatchRun english = run("piles.csv --out en --xlsx --language en", way);
        EXPECT_EQ(english.code, 1);
        EXPECT_EQ(english.out, "2 calculated (1 with a hint), 1 not calculated\n");
        EXPECT_EQ(english.err, "piles.csv: Line 4 (C): Error in the uniaxial compressive strength\n");
        const auto withoutTime = [](std::string bytes) { return bytes.substr(0, bytes.rfind("\r\n")); };
        for (const BookForm form : {BookForm::Text, BookForm::Table}) {
            const std::string name(bookFileName(form));
            EXPECT_TRUE(withoutTime(fileBytes(folder / "en" / name)) ==
                        withoutTime(fileBytes(folder / "zh" / name)))
                << name;
        }
        const std::string csv = fileBytes(folder / "en/results.csv");
        EXPECT_TRUE(
            csv.starts_with("\xEF\xBB\xBFid,section,d,c,qpa,frk,integrity,psi,precision,psi_r,qpa_kPa,Ra_kN,"
                            "result,note,fc_MPa,psi_c,Rp_kN,shaft\r\n"))
            << csv;
        EXPECT_NE(csv.find("B,圆桩,1000,,,20,较完整,,,"), std::string::npos) << csv;
        EXPECT_NE(csv.find(",hint,Hint: not for soft rock,"), std::string::npos) << csv;
        EXPECT_NE(csv.find(",error,Error in the uniaxial compressive strength,"), std::string::npos) << csv;
        const std::string sheet = test::zipMember(folder / "en/results.xlsx", "xl/worksheets/sheet1.xml");
        EXPECT_NE(sheet.find("<t>psi_r</t>"), std::string::npos);
        EXPECT_NE(test::zipMember(folder / "en/results.xlsx", "xl/workbook.xml").find("name=\"Results\""),
                  std::string::npos);
    }
    EXPECT_EQ(chinese.out, "已计算 2 根（其中提示 1 根），未计算 1 根\n");
    EXPECT_NE(test::zipMember(folder / "zh/results.xlsx", "xl/worksheets/sheet1.xml").find("<t>计算ψr</t>"),
              std::string::npos);

    // The option outweighs the schedule's own language.
    schedule("id,section,d,frk,integrity\nA,圆桩,1000,35,较完整\n");
    EXPECT_EQ(run("piles.csv --out zh2 --xlsx --language zh").code, 0);
    EXPECT_NE(test::zipMember(folder / "zh2/results.xlsx", "xl/worksheets/sheet1.xml").find("<t>计算ψr</t>"),
              std::string::npos);
    EXPECT_TRUE(fileBytes(folder / "zh2/results.csv").starts_with("\xEF\xBB\xBF桩号,截面类型,"));
}

// What goes wrong is told in English too, nothing of it left in Chinese; a language the option does not
// know is told in the language of the run so far.
TEST_F(BatchTest, InEnglishEveryMessageIsEnglish)
{
    const std::pair<std::string, std::string> cases[] = {
        {"id,section,d,integrity,frk\nA,八角桩,1000,较完整,35\nB,圆桩,,较完整,35\nB,圆桩,1000,较完整,35\n"
         "D,圆桩,1000,较完整,35,1\n",
         "piles.csv"},
        {"id,section,d,frk,qpa\nA,圆桩,1000,35,4000\nB,圆桩,1000,,\n", "piles.csv"},
        {"id,diameter\nA,1000\n", "piles.csv"},
        {"", "piles.csv"},
        {std::string("id\n\0\1\2", 6), "piles.csv"},
        {"", "nothing.csv"},
        {"", ""},
        {"frk\n35\n", "piles.csv --fast"},
        {"frk\n35\n", "piles.csv --out /proc/no/such"},
        {"frk\n35\n", "piles.csv --report pdf --concrete C20"},
        {"frk\n35\n", "piles.csv --psic=abc"},
    };
    for (const auto &[bytes, arguments] : cases) {
        SCOPED_TRACE(arguments + ": " + bytes);
        schedule(bytes);
        const BatchRun english = run(arguments + " --language en");
        EXPECT_NE(english.code, 0);
        EXPECT_FALSE(english.err.empty());
        EXPECT_FALSE(hasChinese(english.err)) << english.err;
        EXPECT_FALSE(hasChinese(english.out)) << english.out;
    }
    EXPECT_NE(run("piles.csv --language en --out").err.find("Option without a value: --out\nUsage:"),
              std::string::npos);
    const BatchRun unknown = run("piles.csv --language fr");
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.starts_with("--language 只能是 en 或 zh：fr\n用法：")) << unknown.err;
    EXPECT_TRUE(run("--language=en --help").out.starts_with("Usage:\n"));
}

// The report in English: its words, its page footer, nothing Chinese but the ids the schedule gives.
TEST_F(BatchTest, TheReportInEnglish)
{
    schedule("id,section,d,c,frk,integrity\nA,圆桩,1000,,35,较完整\nB,椭圆桩,1200,600,40,0.62\n");
    EXPECT_EQ(run("piles.csv --out en --language en --report docx --concrete C25").code, 0);
    const std::string body = test::zipMember(folder / "en/report.docx", "word/document.xml");
    EXPECT_NE(body.find("Characteristic vertical bearing capacity"), std::string::npos);
    EXPECT_NE(body.find("Shaft strength check"), std::string::npos);
    EXPECT_FALSE(hasChinese(body));
    EXPECT_NE(test::zipMember(folder / "en/report.docx", "word/footer1.xml").find(">Page </w:t>"),
              std::string::npos);
}

// The English template names its columns and values as a schedule may, and runs as it is.
TEST_F(BatchTest, TheTemplateInEnglish)
{
    EXPECT_EQ(run("--template example.csv --language en").code, 0);
    const std::string bytes = fileBytes(folder / "example.csv");
    EXPECT_EQ(bytes, scheduleTemplate(Language::English));
    EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBFid,section,d,c,qpa,frk,integrity,psi,precision\r\n"
                                  "A-1,round,1000,,,35,0.62,,units\r\n"))
        << bytes;
    EXPECT_FALSE(hasChinese(bytes));
    const BatchRun result = run("example.csv --language en");
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "3 calculated, 0 not calculated\n");
}

TEST_F(BatchTest, TemplateVersionAndHelp)
{
    BatchRun result = run("--template");
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, scheduleTemplate());

    EXPECT_EQ(run("--template example.csv").code, 0);
    EXPECT_EQ(fileBytes(folder / "example.csv"), scheduleTemplate());
    result = run("example.csv");
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "已计算 3 根，未计算 0 根\n");

    // An existing file is never overwritten.
    writeBytes(folder / "mine.csv", "my own schedule");
    result = run("--template mine.csv");
    EXPECT_EQ(result.code, 2);
    EXPECT_EQ(result.err, "mine.csv: 文件已存在，没有覆盖\n");
    EXPECT_EQ(fileBytes(folder / "mine.csv"), "my own schedule");

    result = run("--version");
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "saxolith-batch " SAXOLITH_VERSION "\n");
    result = run("--help");
    EXPECT_EQ(result.code, 0);
    EXPECT_TRUE(result.out.starts_with("用法：")) << result.out;
}

// A schedule with ground columns and --boreholes: each method's Ra and parts as the hand formulas give
// them in results.csv, the method's lines in the text book, the piles' ground in the project; a boreholes
// file that cannot be read refuses the run before anything is written.
TEST_F(BatchTest, PilesOnTheirBoreholes)
{
    writeBytes(folder / "holes.csv", "钻孔,孔口标高(m),层号,岩土名称,层底深度(m),qsia(kPa),qsik(kPa),qpa(kPa),frk(MPa),完整程度\n"
                                     "ZK1,10.00,①,素填土,3.0,9,18,,,\n"
                                     "ZK1,,②,粉质黏土,9.5,31,62,,,\n"
                                     "ZK1,,③,强风化砂岩,14.0,70,140,,,\n"
                                     "ZK1,,④,中风化砂岩,30.0,100,,3000,20,较完整\n");
    schedule("桩号,方法,截面类型,d,c,精度,钻孔,桩顶标高(m),持力层,入岩深度(m),成桩工艺\n"
             "P1,5.3.9,圆桩,1000,,两位小数,ZK1,8.5,④,2.5,\n"
             "P2,8.5.6-1,椭圆桩,1000,500,两位小数,ZK1,8.5,④,2.5,\n"
             "P3,5.3.9,圆桩,1000,,两位小数,ZK9,8.5,④,2.5,\n");
    BatchRun result = run("piles.csv --boreholes holes.csv --out out --xlsx --project p.saxolith");
    EXPECT_EQ(result.code, 1) << result.err;
    EXPECT_EQ(result.err, "piles.csv: 第 4 行（P3）：钻孔 ZK9 不在钻孔表中\n");
    const std::string csv = fileBytes(folder / "out" / "results.csv");
    EXPECT_NE(csv.find(",方法,钻孔,桩长(m),hr(m),u(m),Qsk(kN),Qrk(kN),Quk(kN),ζr,侧阻(kN),端阻(kN)\r\n"),
              std::string::npos);
    // (π × 1060 + 1.16 × 20000 × π/4) / 2; π/4 + 0.5 = 1.285398 m² at 3000 kPa and (π + 1) × 780
    EXPECT_NE(csv.find(",10775.66,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",5.3.9,ZK1,15.00,2.50,3.1416,3330.09,18221.24,21551.33,1.1600,,\r\n"), std::string::npos);
    EXPECT_NE(csv.find(",7086.64,"), std::string::npos);
    EXPECT_NE(csv.find(",8.5.6-1,ZK1,15.00,2.50,4.1416,,,,,3230.44,3856.19\r\n"), std::string::npos);
    const std::string sheet = test::zipMember(folder / "out" / "results.xlsx", "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("21551.33"), std::string::npos);
    const std::string text = fileBytes(folder / "out" / std::string(bookFileName(BookForm::Text)));
    EXPECT_NE(text.find("Qrk=ζr.frk.Ap"), std::string::npos);

    const ProjectReading project = readProject(fileBytes(folder / "p.saxolith"));
    ASSERT_TRUE(project.project) << project.error;
    ASSERT_EQ(project.project->entries.size(), 2u);
    ASSERT_TRUE(project.project->entries[0].ground);
    EXPECT_NEAR(project.project->entries[0].ground->parts.ra, 10775.662802, 1e-6);
    std::ostringstream again;
    writeProject(again, *project.project);
    EXPECT_EQ(again.str(), fileBytes(folder / "p.saxolith"));

    writeBytes(folder / "bad.csv", "钻孔,孔口标高(m),层号,层底深度(m)\nZK1,10,①,3\nZK1,,②,2\n");
    result = run("piles.csv --boreholes bad.csv --out out2");
    EXPECT_EQ(result.code, 2);
    EXPECT_EQ(result.err, "bad.csv: 第 3 行：层底深度 2 m 不大于钻孔 ZK1 上一层（第 2 行）的 3 m\n");
    EXPECT_FALSE(fs::exists(folder / "out2" / "results.csv"));
}

} // namespace
} // namespace saxolith
