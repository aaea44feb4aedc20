#include "core/project/project.h"

#include "core/book/book_file.h"
#include "core/optimise/option_grid.h"
#include "core/save/safe_file.h"
#include "core/texts/project.h"

#include "project_cases.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace saxolith
{
namespace
{

std::string timeOf(std::size_t i)
{
    return "2024/3/" + std::to_string(i + 1) + " 9:0" + std::to_string(i % 10) + ":00";
}

// The book of every case, recorded as the window records them.
CalculationBook recordedBook()
{
    CalculationBook book;
    const auto cases = projectCases::cases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const CalculationOutcome outcome = calculate(cases[i].input);
        EXPECT_TRUE(outcome.record) << "case " << i << ": " << outcome.statusText << outcome.errorBoxText;
        if (outcome.record) {
            book.record(*outcome.record, timeOf(i), cases[i].pileName);
        }
    }
    return book;
}

Project sampleProject(const CalculationBook &book)
{
    Project project = projectOf(book);
    project.inputScreen = projectCases::cases()[4].input;
    project.inputScreen.firstDimension = "half-typed 12";
    EXPECT_EQ(project.optionGrid, startOptionGrid()) << "the start-up texts, as made";
    project.optionGrid[2][1] = "900";
    project.report.titleBlock.projectName = "滨江花园 \"二期\"";
    project.report.titleBlock.designer = "张三";
    project.report.concreteGrade = "C35";
    project.report.psiC = 0.75;
    project.report.gamma = 1.3;
    return project;
}

std::string textOf(const Project &project)
{
    std::ostringstream out;
    writeProject(out, project);
    return out.str();
}

// Saved in either code page, the book made again gives the very bytes of the book recorded.
void expectSameFiles(const CalculationBook &rebuilt, const CalculationBook &recorded)
{
    for (const char *codePage : {"GBK", "UTF-8"}) {
        EXPECT_EQ(bookFileBytes(rebuilt.textLines(), codePage), bookFileBytes(recorded.textLines(), codePage))
            << codePage;
        EXPECT_EQ(bookFileBytes(rebuilt.tableLines(), codePage), bookFileBytes(recorded.tableLines(), codePage))
            << codePage;
    }
    EXPECT_EQ(rebuilt.entryCount(), recorded.entryCount());
}

TEST(Project, RoundTripGivesTheProjectAndTheBookFilesByteForByte)
{
    const CalculationBook recorded = recordedBook();
    const Project project = sampleProject(recorded);
    CalculationBook rebuilt;
    const ProjectReading reading = readProject(textOf(project), &rebuilt);
    ASSERT_TRUE(reading.project) << reading.error;
    EXPECT_EQ(*reading.project, project);
    expectSameFiles(rebuilt, recorded);
    // Written again, the same file.
    EXPECT_EQ(textOf(*reading.project), textOf(project));
}

// The signature block's later fields and the pile type go into the file only when given: a project without
// them is written as before, one with them reads them back.
TEST(Project, TheReportsLaterFieldsAreWrittenOnlyWhenGiven)
{
    const Project plain = sampleProject(recordedBook());
    const std::string plainText = textOf(plain);
    for (const char *key : {"approver", "lead", "stage", "reportNumber", "pileType"}) {
        EXPECT_EQ(plainText.find(key), std::string::npos) << key;
    }
    Project signedOff = plain;
    signedOff.report.titleBlock.approver = "赵六";
    signedOff.report.titleBlock.lead = "钱七";
    signedOff.report.titleBlock.stage = "施工图";
    signedOff.report.titleBlock.reportNumber = "JS-1";
    signedOff.report.pileType = "水下灌注桩";
    const ProjectReading reading = readProject(textOf(signedOff));
    ASSERT_TRUE(reading.project) << reading.error;
    EXPECT_EQ(reading.project->report, signedOff.report);

    // The same settings from the project, or from a file of them alone over what is there already.
    ReportSettings fromProject;
    ASSERT_FALSE(readReportSettingsFile(textOf(signedOff), fromProject));
    EXPECT_EQ(fromProject, signedOff.report);
    ReportSettings alone;
    alone.gamma = 1.4;
    ASSERT_FALSE(readReportSettingsFile(R"({"titleBlock": {"lead": "钱七"}, "psiC": 0.8})", alone));
    EXPECT_EQ(alone.titleBlock.lead, "钱七");
    EXPECT_EQ(alone.psiC, 0.8);
    EXPECT_EQ(alone.gamma, 1.4);
    for (const char *bad : {"", "[1]", "{\"psiC\": \"x\"}", "{\"report\": 3}"}) {
        ReportSettings untouched = alone;
        EXPECT_TRUE(readReportSettingsFile(bad, untouched)) << bad;
        EXPECT_EQ(untouched, alone) << bad;
    }
}

TEST(Project, DeletionsKeepTheirTimeLineThroughARoundTrip)
{
    CalculationBook recorded = recordedBook();
    recorded.deleteLast();
    recorded.deleteLast();
    ASSERT_EQ(recorded.closingTime(), timeOf(projectCases::cases().size() - 1));
    CalculationBook rebuilt;
    ASSERT_TRUE(readProject(textOf(sampleProject(recorded)), &rebuilt).project);
    expectSameFiles(rebuilt, recorded);

    // Recording after the deletions numbers on from the entries left, in both.
    const PileRecord next = *calculate(defaultCalculationInput()).record;
    recorded.record(next, "2024/4/1 8:00:00");
    rebuilt.record(next, "2024/4/1 8:00:00");
    expectSameFiles(rebuilt, recorded);
}

TEST(Project, AnEmptyBookAndAJournalReadBack)
{
    CalculationBook empty;
    const Project project = sampleProject(empty);
    std::ostringstream journal;
    writeJournal(journal, project, "/home/张三/工程/滨江.saxolith");
    CalculationBook book = recordedBook();
    const ProjectReading reading = readProject(journal.str(), &book);
    ASSERT_TRUE(reading.project) << reading.error;
    EXPECT_EQ(reading.projectPath, "/home/张三/工程/滨江.saxolith");
    EXPECT_TRUE(book.empty());
    EXPECT_TRUE(book.textLines().empty());
}

// A project and its journal saved and read back as files of Chinese names in a folder of one: the file
// the journal names is the project's, and the book comes back byte for byte.
TEST(Project, SavedAndReadBackAsFiles)
{
    const test::ScratchFolder folder("project");
    const CalculationBook recorded = recordedBook();
    const Project project = sampleProject(recorded);
    const std::string projectFile = folder.file("滨江 工程.saxolith");
    const std::string journalFile = folder.file("恢复-滨江 工程.saxolith");
    const auto save = [](const std::string &file, const std::function<void(std::ostream &)> &write) {
        return saveFile(file, [&write](const ByteSink &sink) {
            SinkStream out(sink);
            write(out);
            return completeWhen(out.finish());
        });
    };
    ASSERT_FALSE(save(projectFile, [&](std::ostream &out) { writeProject(out, project); }));
    ASSERT_FALSE(save(journalFile, [&](std::ostream &out) { writeJournal(out, project, projectFile); }));

    for (const std::string &file : {projectFile, journalFile}) {
        SCOPED_TRACE(file);
        std::string bytes;
        ASSERT_TRUE(readFileInPieces(file, 4096, [&bytes](std::string_view piece) {
            bytes.append(piece);
            return true;
        }));
        CalculationBook rebuilt;
        const ProjectReading reading = readProject(bytes, &rebuilt);
        ASSERT_TRUE(reading.project) << reading.error;
        EXPECT_EQ(*reading.project, project);
        EXPECT_EQ(reading.projectPath, file == journalFile ? projectFile : "");
        expectSameFiles(rebuilt, recorded);
    }
}

// Written entry by entry, a project is the file written whole: thousands of entries, names and texts
// that the file escapes (quotes, backslashes, control characters, bytes that are not UTF-8), and none.
TEST(Project, WrittenEntryByEntryGivesTheBytesOfTheWholeFile)
{
    const auto cases = projectCases::cases();
    const std::vector<std::string> odd = {"", "东-1", "say \"hi\"", "a\\b", "tab\there", "del\x7f", "bad\xff\xfeutf",
                                          "\x01", "滨江 / 二期"};
    Project project = sampleProject(CalculationBook{});
    project.closingTime = "2024/3/1 9:00:00";
    for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3000}}) {
        Project whole = project;
        for (std::size_t i = 0; i < count; ++i) {
            BookEntry entry{cases[i % cases.size()].input, odd[i % odd.size()], project.closingTime};
            entry.input.firstDimension = odd[(i / 7) % odd.size()] + std::to_string(i);
            entry.input.manualPsi = odd[(i / 3) % odd.size()];
            whole.entries.push_back(std::move(entry));
        }
        if (count == 0) {
            whole.closingTime.clear();
        }
        ProjectStreamWriter writer(project);
        std::string streamed;
        for (const BookEntry &entry : whole.entries) {
            writer.appendEntry(streamed, entry);
        }
        writer.finish(streamed);
        EXPECT_EQ(writer.entryCount(), count);
        ASSERT_EQ(streamed, textOf(whole)) << count << " entries";
    }
}

struct BadFile {
    const char *what;
    std::string bytes;
    std::string message;
};

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(Project, BadFilesAreRefusedWithWhatIsWrongAndTheBookUntouched)
{
    const std::string good = textOf(sampleProject(recordedBook()));
    const std::string refusedInput = replaced(good, "\"first\": \"800\"", "\"first\": \"-800\"");
    const std::vector<BadFile> files{
        {"empty", "", "文件是空的"},
        {"plain text", "工程名称,滨江花园\n", "不是工程文件（不是 JSON 文本）"},
        {"truncated", good.substr(0, good.size() / 2),
         "文件不完整，在第 " + std::to_string(good.size() / 2) + " 字节处中断（可能没有写完）"},
        {"corrupt", replaced(good, "\"book\":", "\"book\";"), ""},
        {"another program's JSON", R"({"name": "package", "version": "1.0.0", "dependencies": {}})",
         "是 JSON 文件，但不是 Saxolith 工程文件"},
        {"a JSON array", "[1, 2, 3]", "是 JSON 文件，但不是 Saxolith 工程文件"},
        {"newer version", replaced(good, "\"schemaVersion\": 1", "\"schemaVersion\": 7"),
         "工程文件的格式版本是 7，本程序只能打开版本 1 及以前的文件，请用更新的 Saxolith 打开"},
        {"version not a number", replaced(good, "\"schemaVersion\": 1", "\"schemaVersion\": \"1\""),
         "工程文件的格式版本“\"1\"”无效"},
        {"missing part", replaced(good, "\"optionGrid\"", "\"optionGrit\""),
         "文件已损坏：“optionGrid”缺失或内容不对"},
        {"field of a wrong kind", replaced(good, "\"route\": 2", "\"route\": \"2\""),
         "文件已损坏：“inputScreen.route”缺失或内容不对"},
        {"precision out of the list", replaced(good, "\"precision\": 0", "\"precision\": 9"),
         "文件已损坏：“book.entries[1].input.precision”缺失或内容不对"},
        {"line break in an id", replaced(good, "\"id\": \"A-1\"", "\"id\": \"A\\n1\""),
         "文件已损坏：“book.entries[2].id”缺失或内容不对"},
        {"an id longer than a schedule's",
         replaced(good, "\"id\": \"A-1\"", "\"id\": \"" + std::string(201, 'x') + "\""),
         "文件已损坏：“book.entries[2].id”缺失或内容不对"},
        {"a key given twice", replaced(good, "\"route\": 2", "\"route\": 2, \"route\": 1"),
         "文件已损坏：“route”在同一处出现了两次"},
        {"ψc beyond the report's", replaced(good, "\"psiC\": 0.75", "\"psiC\": 1e308"),
         "文件已损坏：“report.psiC”缺失或内容不对"},
        {"γ beyond the report's", replaced(good, "\"gamma\": 1.3", "\"gamma\": -1e308"),
         "文件已损坏：“report.gamma”缺失或内容不对"},
        {"a grade the report does not know",
         replaced(good, "\"concreteGrade\": \"C35\"", "\"concreteGrade\": \"C99\""),
         "文件已损坏：“report.concreteGrade”缺失或内容不对"},
        {"entry the calculation refuses", refusedInput, ""},
        {"nested too deep", std::string(100000, '[') + std::string(100000, ']'), "文件已损坏：嵌套层次太多"},
        {"number beyond any type",
         replaced(good, "\"gamma\": 1.3", "\"gamma\": " + std::string(60, '5') + "e5555"),
         "文件已损坏：有超出范围的数"},
    };
    for (const BadFile &file : files) {
        CalculationBook book = recordedBook();
        const std::vector<std::string> before = book.textLines();
        const ProjectReading reading = readProject(file.bytes, &book);
        EXPECT_FALSE(reading.project) << file.what;
        if (!file.message.empty()) {
            EXPECT_EQ(reading.error, file.message) << file.what;
        } else {
            EXPECT_FALSE(reading.error.empty()) << file.what;
        }
        EXPECT_EQ(book.textLines(), before) << file.what;
    }
    // An id as long as a schedule's may be, counted in characters, is read.
    std::string longest;
    for (int i = 0; i < 200; ++i) {
        longest += "桩";
    }
    const ProjectReading longestId =
        readProject(replaced(good, "\"id\": \"A-1\"", "\"id\": \"" + longest + "\""));
    EXPECT_TRUE(longestId.project) << longestId.error;
    // The two whose messages carry a position or the calculation's own words.
    EXPECT_EQ(readProject(files[3].bytes).error.rfind("文件已损坏：第 ", 0), 0U) << readProject(files[3].bytes).error;
    const std::string refusal = readProject(refusedInput).error;
    EXPECT_EQ(refusal.rfind("第 2 条计算（A-1）不能重新计算：", 0), 0U) << refusal;
    EXPECT_GT(refusal.size(), std::string("第 2 条计算（A-1）不能重新计算：").size());
}

} // namespace
} // namespace saxolith
