#include "core/save/encoding.h"
#include "core/optimise/list_file.h"
#include "core/save/text_file.h"

#include "support/code_page.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace saxolith
{
namespace
{

namespace fs = std::filesystem;

// Text handed over in pieces, cut anywhere (even inside a character), encodes as the whole text.
TEST(TextFile, PiecesEncodeAsTheWhole)
{
    const std::string texts[] = {"ZH-001 圆  桩 ψr=0.2 ▲ 较完整\r\n", "a\U0001F600b桩",
                                 "a\xE8\xAE"
                                 "b\xFF桩\xE8"};
    for (const char *codePage : {"GBK", "UTF-8", "UTF-16LE", "ISO-2022-CN"}) {
        for (const std::string &text : texts) {
            const std::string whole = encodeText(text, codePage);
            for (std::size_t cut = 0; cut <= text.size(); ++cut) {
                for (std::size_t second = cut; second <= text.size(); ++second) {
                    Encoder encoder(codePage);
                    std::string out;
                    encoder.encode(std::string_view(text).substr(0, cut), out);
                    encoder.encode(std::string_view(text).substr(cut, second - cut), out);
                    encoder.encode(std::string_view(text).substr(second), out);
                    encoder.finish(out);
                    ASSERT_EQ(out, whole) << codePage << " cut at " << cut << ", " << second;
                }
            }
        }
    }
}

CandidateList bigList(std::size_t n)
{
    CandidateList list;
    for (std::size_t i = 0; i < n; ++i) {
        CandidateRow row;
        row.first = 800.0 + static_cast<double>(i % 441) * 5;
        row.second = 100.0 + static_cast<double>(i % 111) * 10;
        row.ra = 1000.0 + static_cast<double>(i) * 0.37;
        row.section = static_cast<saxolith::SectionType>(i / 7 % 4);
        row.route = (i / 3 % 2) == 0 ? saxolith::StrengthRoute::QpaGiven : saxolith::StrengthRoute::FrkGiven;
        row.basis = static_cast<saxolith::IntegrityBasis>(1 + i / 5 % 2);
        row.integrityClass = static_cast<saxolith::IntegrityClass>(1 + i % 3);
        row.strength = row.route == saxolith::StrengthRoute::QpaGiven ? 3500 : 35;
        row.index = 0.1 * static_cast<double>(i % 9);
        row.psi = 0.2;
        row.qpa = 3500 + static_cast<double>(i % 13);
        row.precision = static_cast<std::uint8_t>(i / 11 % 5);
        list.append(row);
    }
    list.renumber();
    return list;
}

// A list of several megabytes goes out in pieces of about 1 MB, and their bytes are the whole text's.
TEST(TextFile, AListStreamsInPiecesWithTheBytesOfTheWholeText)
{
    const CandidateList list = bigList(40'000);
    std::ostringstream utf8;
    writeListFile(utf8, list, ListFileKind::Raw, "2024/6/11 9:05:03");
    ASSERT_GT(utf8.str().size(), 3 * TextFileWriter::bufferSize);

    std::string bytes;
    std::size_t pieces = 0;
    std::size_t largest = 0;
    TextFileWriter writer(
        [&](std::string_view piece) {
            bytes.append(piece);
            ++pieces;
            largest = std::max(largest, piece.size());
            return true;
        },
        "GBK");
    writeListFile(writer, list, ListFileKind::Raw, "2024/6/11 9:05:03");
    ASSERT_TRUE(writer.finish());
    EXPECT_EQ(bytes, test::toGbk(utf8.str()));
    EXPECT_GT(pieces, 3u);
    EXPECT_LE(largest, TextFileWriter::bufferSize);
    for (std::size_t row : {0, 1, 39'999})
        EXPECT_NE(utf8.str().find(listFileLine(list, row, list.size()) + "\r\n"), std::string::npos) << row;
}

class SavedTextFile : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_folder.emplace("text_file");
        m_file = m_folder->file("优化 列表.txt");
        test::writeBytes(m_file, "previous");
    }
    void TearDown() override { m_folder.reset(); }

    std::string contents() const { return test::fileBytes(m_file); }
    std::size_t files() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_folder->path()), fs::directory_iterator()));
    }

    std::optional<test::ScratchFolder> m_folder;
    std::string m_file;
};

TEST_F(SavedTextFile, ReplacesTheFileWithTheEncodedLines)
{
    ASSERT_FALSE(saveTextFile(m_file, "GBK", [](TextFileWriter &out) {
        out.line("计算");
        out.text("x");
    }));
    EXPECT_EQ(contents(), "\xBC\xC6\xCB\xE3\r\nx");
    EXPECT_EQ(files(), 1u);
}

#ifndef _WIN32 // no file size limit on Windows
// A disk that fills after the first piece, and a failure while the lines are made, both leave the
// previous file and no temporary one.
TEST_F(SavedTextFile, AFailureHalfwayKeepsThePreviousFile)
{
    const CandidateList list = bigList(20'000);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = TextFileWriter::bufferSize + 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto error = saveListFile(m_file, list, ListFileKind::Raw, "t", "GBK");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(m_file), std::string::npos) << *error;
    EXPECT_EQ(contents(), "previous");
    EXPECT_EQ(files(), 1u);

    EXPECT_THROW(saveTextFile(m_file, "GBK",
                                     [](TextFileWriter &out) {
                                         out.line(std::string(3 * TextFileWriter::bufferSize, 'x'));
                                         throw std::runtime_error("stopped");
                                     }),
                 std::runtime_error);
    EXPECT_EQ(contents(), "previous");
    EXPECT_EQ(files(), 1u);
}
#endif

} // namespace
} // namespace saxolith
