// The calculation book as a PDF: the text read back, page size and orientation, the font, pagination.
#include "core/book/calculation_book.h"
#include "core/book/book_file.h"
#include "support/program_output.h"
#include "pages/book_pages.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace saxolith
{
namespace
{

CalculationBook bookOf(int entries)
{
    CalculationBook book;
    for (int entry = 0; entry < entries; ++entry) {
        CalculationInput input = defaultCalculationInput();
        input.sectionItem = entry % 3;
        if (entry % 3 != 0) {
            input.secondDimension = "500";
        }
        const CalculationOutcome outcome = calculate(input);
        EXPECT_TRUE(outcome.record.has_value());
        book.record(outcome.record.value_or(PileRecord{}), "2024/1/2 10:20:30");
    }
    return book;
}

QString collapsed(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed();
}

class BookPdf : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    std::string path(const char *name) const
    {
        return (folder.path() + QLatin1Char('/') + name).toStdString();
    }

    // Writes the PDF and reads its text back, page by page, in the layout pdftotext keeps.
    QStringList pdfPages(const std::vector<std::string> &lines, BookForm form, const char *name)
    {
        const std::optional<std::string> error = writeBookPdf(lines, form, path(name));
        EXPECT_FALSE(error.has_value()) << error.value_or("");
        QStringList pages =
            test::programOutput("pdftotext", {"-layout", QString::fromStdString(path(name)), "-"}).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) {
            pages.removeLast();
        }
        return pages;
    }

    QTemporaryDir folder;
};

// Every line of the book comes back, in order (blanks between words as pdftotext lays them out).
void expectLinesInOrder(const std::vector<std::string> &lines, const QString &text)
{
    const QString flat = collapsed(text);
    qsizetype from = 0;
    for (const std::string &line : lines) {
        const QString wanted = collapsed(QString::fromStdString(line));
        const qsizetype at = flat.indexOf(wanted, from);
        ASSERT_GE(at, 0) << "missing or out of order: " << line;
        from = at + wanted.size();
    }
}

TEST_F(BookPdf, TextBookComesBackLineByLineOnPortraitPages)
{
    const CalculationBook book = bookOf(4);
    const QStringList pages = pdfPages(book.textLines(), BookForm::Text, "text.pdf");
    ASSERT_GE(pages.size(), 2);
    expectLinesInOrder(book.textLines(), pages.join(QLatin1Char('\n')));
    for (qsizetype page = 0; page < pages.size(); ++page) {
        EXPECT_TRUE(pages[page].contains(QStringLiteral("嵌岩桩计算书(依据GB50007-2011)")));
        EXPECT_TRUE(pages[page].contains(QStringLiteral("Saxolith " SAXOLITH_VERSION)));
        EXPECT_TRUE(
            pages[page].contains(QStringLiteral("第 %1 页 共 %2 页").arg(page + 1).arg(pages.size())));
    }
    const QString info = test::programOutput("pdfinfo", {QString::fromStdString(path("text.pdf"))});
    EXPECT_TRUE(info.contains(
        QRegularExpression(QStringLiteral("Page size:\\s+595(\\.\\d+)? x (841\\.\\d+|842) pts"))))
        << info.toStdString();
}

TEST_F(BookPdf, TableBookKeepsItsColumnsOnLandscapePagesWithTheHeaderOnEach)
{
    const CalculationBook book = bookOf(90);
    const std::vector<std::string> &lines = book.tableLines();
    const QStringList pages = pdfPages(lines, BookForm::Table, "table.pdf");
    ASSERT_GE(pages.size(), 2);
    expectLinesInOrder({lines.begin() + 5, lines.end()}, pages.join(QLatin1Char('\n')));
    for (const QString &page : pages) {
        expectLinesInOrder({lines.begin(), lines.begin() + 5}, page);
    }
    // The fixed-width columns survive: every row's last number (Ra, right-aligned) ends in one column.
    QSet<qsizetype> rowEnds;
    for (const QString &line : pages.front().split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("   ZH"))) {
            rowEnds << QString(line).remove(QRegularExpression(QStringLiteral("\\s+$"))).size();
        }
    }
    EXPECT_EQ(rowEnds.size(), 1);
    const QString info = test::programOutput("pdfinfo", {QString::fromStdString(path("table.pdf"))});
    EXPECT_TRUE(info.contains(
        QRegularExpression(QStringLiteral("Page size:\\s+(841\\.\\d+|842) x 595(\\.\\d+)? pts"))))
        << info.toStdString();
}

TEST_F(BookPdf, TheMonospaceFontIsEmbeddedWithIdeographsTwoLettersWide)
{
    QFont font(QString::fromLatin1(bookFontFamily));
    font.setPointSizeF(10.0);
    font.setHintingPreference(QFont::PreferNoHinting);
    ASSERT_EQ(QFontInfo(font).family(), QString::fromLatin1(bookFontFamily));
    const QFontMetricsF metrics(font);
    EXPECT_DOUBLE_EQ(metrics.horizontalAdvance(QStringLiteral("嵌岩")),
                     4 * metrics.horizontalAdvance(QLatin1Char('M')));

    ASSERT_FALSE(writeBookPdf(bookOf(1).textLines(), BookForm::Text, path("font.pdf")).has_value());
    const QStringList fonts =
        test::programOutput("pdffonts", {QString::fromStdString(path("font.pdf"))}).split(QLatin1Char('\n'));
    bool embedded = false;
    for (const QString &line : fonts) {
        // name, type, encoding, then the "emb" column.
        const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (line.contains(QStringLiteral("WenQuanYi")) && columns.size() >= 5) {
            embedded = embedded || columns[columns.size() - 5] == QStringLiteral("yes");
        }
    }
    EXPECT_TRUE(embedded) << fonts.join(QLatin1Char('\n')).toStdString();
}

TEST_F(BookPdf, AFailedWriteNamesTheFileAndLeavesTheOldOne)
{
    const std::string target = path("kept.pdf");
    {
        std::ofstream(target) << "old";
    }
    const std::string missing = path("no-such-folder/book.pdf");
    const std::optional<std::string> error = writeBookPdf(bookOf(1).textLines(), BookForm::Text, missing);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find(missing), std::string::npos) << *error;

    // A folder that takes no new file (the superuser writes anywhere, so only others see the refusal).
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(folder.path().toLocal8Bit().constData(), 0500), 0);
        const std::optional<std::string> refused =
            writeBookPdf(bookOf(1).textLines(), BookForm::Text, target);
        ::chmod(folder.path().toLocal8Bit().constData(), 0700);
        EXPECT_TRUE(refused.has_value());
    }
    std::ifstream in(target);
    std::string kept;
    in >> kept;
    EXPECT_EQ(kept, "old");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1) << "a temporary file was left behind";
}

// The longest id a schedule may give (200 characters, ideographs twice as wide as letters) is too
// wide for the page at the smallest size: its line wraps onto the next, and every character is there.
TEST_F(BookPdf, ALongIdWrapsInsteadOfBeingCut)
{
    std::string id = "东区-";
    for (int i = 0; id.size() < 3 * 197 + 7; ++i) {
        id += "桩";
    }
    CalculationBook book;
    const CalculationOutcome outcome = calculate(defaultCalculationInput());
    ASSERT_TRUE(outcome.record.has_value());
    book.record(*outcome.record, "2024/1/2 10:20:30", id);
    book.record(*outcome.record, "2024/1/2 10:20:30", "ZH-2");
    const QString wanted = QString::fromStdString(id);
    for (const BookForm form : {BookForm::Text, BookForm::Table}) {
        SCOPED_TRACE(form == BookForm::Text ? "text" : "table");
        const std::vector<std::string> &lines = form == BookForm::Text ? book.textLines() : book.tableLines();
        const QStringList pages = pdfPages(lines, form, form == BookForm::Text ? "long-text.pdf" : "long-table.pdf");
        ASSERT_FALSE(pages.isEmpty());
        QString text = pages.join(QString());
        text.remove(QRegularExpression(QStringLiteral("\\s+")));
        EXPECT_TRUE(text.contains(wanted)) << text.left(2000).toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("ZH-2")));
        // Nothing is drawn past the page's edge: every glyph lies inside the page's box.
        const QString boxes = test::programOutput("pdftotext", {QStringLiteral("-bbox"),
                                                QString::fromStdString(path(form == BookForm::Text
                                                                                ? "long-text.pdf"
                                                                                : "long-table.pdf")),
                                                QStringLiteral("-")});
        const QRegularExpression page(QStringLiteral("<page width=\"([0-9.]+)\""));
        const QRegularExpression word(QStringLiteral("xMax=\"([0-9.]+)\""));
        const double width = page.match(boxes).captured(1).toDouble();
        ASSERT_GT(width, 0.0);
        auto words = word.globalMatch(boxes);
        while (words.hasNext()) {
            EXPECT_LE(words.next().captured(1).toDouble(), width);
        }
    }
}

// Lines of the scripts the book's font sets glyph by glyph (Latin, Greek, Cyrillic, kana, full-width
// forms) and lines shaped whole (Hangul) come back alike, each in its place.
TEST_F(BookPdf, IdsOfManyScriptsComeBackInTheirLines)
{
    const CalculationOutcome outcome = calculate(defaultCalculationInput());
    ASSERT_TRUE(outcome.record.has_value());
    CalculationBook book;
    for (const char *id : {"Ω-1", "Ж-2", "アイ-3", "가나-4", "Ｐ１-5", "café 6", "东区 A 段"}) {
        book.record(*outcome.record, "2024/1/2 10:20:30", id);
    }
    const QStringList pages = pdfPages(book.textLines(), BookForm::Text, "scripts.pdf");
    ASSERT_FALSE(pages.isEmpty());
    expectLinesInOrder(book.textLines(), pages.join(QLatin1Char('\n')));
}

// A book read from its file, a piece at a time and three times over, gives the pages of the same
// book in memory; a line end is the file's CR LF alone, and a file that cannot be read fails the PDF.
TEST_F(BookPdf, ABookReadFromItsFileGivesThePagesOfTheBookInMemory)
{
    const std::vector<std::string> odd = {"a\rb", "", "中文 line", ""};
    {
        std::ofstream out(path("odd.txt"), std::ios::binary);
        out << bookFileBytes(odd, "UTF-8");
    }
    std::vector<std::string> read;
    EXPECT_TRUE(bookFileLines(path("odd.txt"))([&read](std::string_view line) { read.emplace_back(line); }));
    EXPECT_EQ(read, odd);

    const CalculationBook book = bookOf(5);
    {
        std::ofstream out(path("book.txt"), std::ios::binary);
        out << bookFileBytes(book.textLines(), "UTF-8");
    }
    const std::optional<std::string> error =
        writeBookPdf(bookFileLines(path("book.txt")), BookForm::Text, path("file.pdf"));
    ASSERT_FALSE(error.has_value()) << *error;
    const QString fromFile =
        test::programOutput("pdftotext", {"-layout", QString::fromStdString(path("file.pdf")), "-"});
    EXPECT_EQ(fromFile, pdfPages(book.textLines(), BookForm::Text, "memory.pdf").join(QLatin1Char('\f')) + "\f");
    EXPECT_TRUE(writeBookPdf(bookFileLines(path("missing.txt")), BookForm::Text, path("missing.pdf")).has_value());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("missing.pdf"))));
}

// Pagination on its own, with a small page: entries stay whole when they fit, the table repeats its header.
TEST(BookPagination, EntriesStayWholeAndTableHeadersRepeat)
{
    const CalculationBook book = bookOf(3);
    const std::vector<std::string> &text = book.textLines();
    const std::size_t entry = 40; // lines of one round-pile entry
    const auto textPages = paginateBook(text, BookForm::Text, 60);
    ASSERT_EQ(textPages.size(), 3u);
    std::vector<std::size_t> all;
    for (const auto &page : textPages) {
        EXPECT_LE(page.size(), 60u);
        EXPECT_EQ(text[page.front()], "================== 嵌岩桩计算书 ==================");
        all.insert(all.end(), page.begin(), page.end());
    }
    ASSERT_EQ(all.size(), text.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i], i);
    }
    // An entry longer than a page runs on over as many pages as it needs.
    EXPECT_EQ(paginateBook(text, BookForm::Text, entry / 2).front().size(), entry / 2);

    const std::vector<std::string> &table = book.tableLines();
    const auto tablePages = paginateBook(table, BookForm::Table, 9);
    // 5 header lines and room for 4 more: the 3 rows, then the 4 footer lines together on the next page.
    ASSERT_EQ(tablePages.size(), 2u);
    for (const auto &page : tablePages) {
        ASSERT_GE(page.size(), 5u);
        for (std::size_t line = 0; line < 5; ++line) {
            EXPECT_EQ(page[line], line);
        }
    }
    EXPECT_EQ(tablePages.back().size(), 5u + 4u);

    EXPECT_EQ(paginateBook({}, BookForm::Text, 10).size(), 1u);
    EXPECT_EQ(paginateBook({}, BookForm::Table, 10).size(), 1u);
}

} // namespace
} // namespace saxolith
