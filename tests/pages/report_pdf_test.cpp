// The calculation report as a PDF: read back through pdftotext (title block, formulas with their numbers,
// verdicts, page footer), the page size, the embedded font, and piles kept whole on their pages.
#include "core/report/docx_file.h"
#include "pages/report_pages.h"
#include "support/pile_record.h"
#include "support/program_output.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace saxolith
{
namespace
{

using test::recordOf;

// Blanks are where pdftotext guesses them; the reader's text without them is what is compared.
QString squeezed(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s+")));
}

ReportSettings signedSettings()
{
    ReportSettings settings;
    settings.titleBlock = {"滨江花园二期", "2026-017", "3#楼",   "华东建筑设计研究院",
                           "张三",         "李四",     "王五",   "2026-12-10",
                           "赵六",         "钱七",     "施工图", "JS-2026-031"};
    return settings;
}

PileRecord pileOf(int pile)
{
    return recordOf([pile](CalculationInput &in) {
        in.sectionItem = pile % 3;
        if (pile % 3 != 0) {
            in.secondDimension = "500";
        }
        if (pile % 4 == 3) {
            // Hard rock: the shaft governs.
            in.route = StrengthRoute::QpaGiven;
            in.qpa = "30000";
        }
    });
}

ReportDocument reportOf(int piles)
{
    ReportBuilder builder(signedSettings());
    for (int pile = 0; pile < piles; ++pile) {
        builder.addPile(pileOf(pile), "ZH" + std::to_string(pile + 1));
    }
    return builder.finish();
}

// The same piles given as they come, again for each pass over them.
StreamedReport streamedReportOf(int piles)
{
    return {signedSettings(),
            piles,
            [piles](const PileTaker &take) {
                for (int pile = 0; pile < piles; ++pile) {
                    take(pileOf(pile), "ZH" + std::to_string(pile + 1));
                }
                return true;
            },
            {}};
}

class ReportPdf : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    QString path(const char *name) const { return folder.path() + QLatin1Char('/') + name; }

    QStringList pages(const ReportDocument &document, const char *name)
    {
        const std::optional<std::string> error = writeReportPdf(document, path(name).toStdString());
        EXPECT_FALSE(error.has_value()) << error.value_or("");
        QStringList texts = test::programOutput("pdftotext", {path(name), "-"}).split(QLatin1Char('\f'));
        if (!texts.isEmpty() && texts.back().trimmed().isEmpty()) {
            texts.removeLast();
        }
        return texts;
    }

    QTemporaryDir folder;
};

TEST_F(ReportPdf, ReadsBackAsTheEngineerChecksIt)
{
    const QStringList texts = pages(reportOf(4), "report.pdf");
    ASSERT_GE(texts.size(), 3);
    const QString cover = squeezed(texts.front());
    for (const char *expected :
         {"嵌岩桩竖向承载力计算书", "工程名称滨江花园二期", "工程编号2026-017", "子项/楼号3#楼",
          "设计单位华东建筑设计研究院", "设计张三2026-12-10", "校对李四2026-12-10", "审核王五2026-12-10",
          "审定赵六2026-12-10", "专业负责人钱七2026-12-10", "设计阶段施工图", "计算书编号JS-2026-031",
          "计算程序Saxolith版本", "注册工程师执业印章"}) {
        EXPECT_TRUE(cover.contains(squeezed(QString::fromUtf8(expected)))) << expected << "\n"
                                                                           << cover.toStdString();
    }
    // The signatures have the first page; what the figures rest on follows on the next.
    const QString premises = squeezed(texts[1]);
    for (const char *expected :
         {"混凝土强度等级C30（fc=14.3N/mm²）", "桩型与成桩工艺灌注桩", "工作条件系数ψc0.7", "基桩数量4",
          "计算前提（请设计人确认）", "桩底无沉渣", "完成提示错误（未计算）合计"}) {
        EXPECT_TRUE(premises.contains(squeezed(QString::fromUtf8(expected)))) << expected << "\n"
                                                                              << premises.toStdString();
    }
    const QString all = squeezed(texts.join(QString()));
    for (const char *expected : {
             "Ap=π·d²/4=3.14159×1.000²/4=0.7854m²",
             "qpa=ψr·frk=0.2000×35MPa=7000kPa",
             "Ra=qpa·Ap=7000×0.7854=5497.79kN→5498kN",
             "Ap=π·d²/4+d·c=3.14159×1.000²/4+1.000×0.500=1.2854m²",
             "Ap=a·b=1.000×0.500=0.5000m²",
             "Rp=ψc·fc·Ap=0.7×14.3N/mm²×0.7854m²=7861.84kN",
             "γ·Ra=1.35×5497.79=7422.01kN≤Rp=7861.84kN，满足",
             "不满足",
             "由桩身强度控制",
             "基桩承载力汇总",
         }) {
        EXPECT_TRUE(all.contains(QString::fromUtf8(expected))) << expected;
    }
    // Every page: the header and "第 n 页 共 m 页".
    for (qsizetype page = 0; page < texts.size(); ++page) {
        const QString text = squeezed(texts[page]);
        EXPECT_TRUE(text.contains(QStringLiteral("第%1页共%2页").arg(page + 1).arg(texts.size()))) << page;
        EXPECT_TRUE(text.contains(QString::fromUtf8("滨江花园二期"))) << page;
    }

    const QString info = test::programOutput("pdfinfo", {path("report.pdf")});
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595[.0-9]* x 84[12]"))))
        << info.toStdString();
    const QStringList fonts =
        test::programOutput("pdffonts", {path("report.pdf")}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(fonts.size(), 3);
    for (qsizetype line = 2; line < fonts.size(); ++line) {
        EXPECT_TRUE(fonts[line].contains(QStringLiteral("WenQuanYi"))) << fonts[line].toStdString();
        EXPECT_TRUE(fonts[line].contains(
            QRegularExpression(QStringLiteral("\\byes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"))))
            << "not embedded: " << fonts[line].toStdString();
    }
}

TEST_F(ReportPdf, APileIsNeverTornAcrossPagesAndTheSummaryRepeatsItsHead)
{
    const QStringList texts = pages(reportOf(60), "many.pdf");
    int titles = 0;
    int summaryPages = 0;
    for (const QString &page : texts) {
        const qsizetype opened = page.count(QString::fromUtf8("基桩 ZH"));
        const qsizetype closed = page.count(QString::fromUtf8("单桩竖向承载力特征值"));
        EXPECT_EQ(opened, closed) << page.toStdString();
        titles += static_cast<int>(opened);
        if (squeezed(page).contains(QString::fromUtf8("尺寸(mm)"))) {
            ++summaryPages;
        }
    }
    EXPECT_EQ(titles, 60);
    // 60 rows do not fit one page: the head stands on each page the table runs over.
    EXPECT_GE(summaryPages, 2);
    EXPECT_TRUE(squeezed(texts.back()).contains(QStringLiteral("ZH60")));
}

// Written as its piles come, a report has the pages, texts and page count of the whole report, and the
// Word file its bytes: one pile, and piles enough for a summary over several pages.
// An id with no blank to break at, wider than its column, breaks between its characters: every piece
// stands in the id column, left of the section column's head, and the pieces read back as the id.
TEST_F(ReportPdf, ALongIdWithoutBlanksStaysInItsCell)
{
    const std::string id = "ZH-ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789ABCDEFGHIJ";
    ReportBuilder builder(signedSettings());
    builder.addPile(pileOf(0), id);
    ASSERT_FALSE(writeReportPdf(builder.finish(), path("long.pdf").toStdString()).has_value());
    const QString boxes = test::programOutput("pdftotext", {QStringLiteral("-bbox"), path("long.pdf"), "-"});
    const QString summary = boxes.mid(boxes.lastIndexOf(QStringLiteral("<page")));
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
    double sectionHead = -1.0;
    for (const QRegularExpressionMatch &m : word.globalMatch(summary)) {
        if (m.captured(3) == QString::fromUtf8("截面")) {
            sectionHead = m.captured(1).toDouble();
        }
    }
    ASSERT_GT(sectionHead, 0.0) << summary.toStdString();
    QString inIdColumn;
    for (const QRegularExpressionMatch &m : word.globalMatch(summary)) {
        if (m.captured(3).contains(QStringLiteral("ABC")) || m.captured(3).startsWith(QStringLiteral("ZH-"))) {
            EXPECT_LT(m.captured(2).toDouble(), sectionHead) << m.captured(3).toStdString();
        }
        if (m.captured(2).toDouble() < sectionHead) {
            inIdColumn += m.captured(3);
        }
    }
    EXPECT_TRUE(inIdColumn.contains(QString::fromStdString(id))) << inIdColumn.toStdString();
}

TEST_F(ReportPdf, WrittenAsThePilesComeGivesTheWholeReport)
{
    for (const int piles : {1, 90}) {
        SCOPED_TRACE(piles);
        const QStringList whole = pages(reportOf(piles), "whole.pdf");
        const std::optional<std::string> error =
            writeReportPdf(streamedReportOf(piles), path("streamed.pdf").toStdString());
        ASSERT_FALSE(error.has_value()) << *error;
        const QString streamed = test::programOutput("pdftotext", {path("streamed.pdf"), "-"});
        EXPECT_EQ(streamed.split(QLatin1Char('\f')).size(), whole.size() + 1);
        EXPECT_TRUE(streamed == whole.join(QLatin1Char('\f')) + QLatin1Char('\f'));

        ASSERT_FALSE(writeReportDocx(reportOf(piles), path("whole.docx").toStdString()).has_value());
        ASSERT_FALSE(writeReportDocx(streamedReportOf(piles), path("streamed.docx").toStdString(),
                                     path("packing").toStdString())
                         .has_value());
        QFile wholeDocx(path("whole.docx"));
        QFile streamedDocx(path("streamed.docx"));
        ASSERT_TRUE(wholeDocx.open(QIODevice::ReadOnly) && streamedDocx.open(QIODevice::ReadOnly));
        EXPECT_TRUE(wholeDocx.readAll() == streamedDocx.readAll());
        EXPECT_FALSE(QFile::exists(path("packing")));
    }
}

// Piles that cannot all be given again (a spool that cannot be read) fail the write and leave no file.
TEST_F(ReportPdf, PilesThatCannotBeGivenAgainWriteNothing)
{
    StreamedReport report = streamedReportOf(3);
    int passes = 0;
    const PileReplay all = report.piles;
    report.piles = [&](const PileTaker &take) { return ++passes < 3 && all(take); };
    EXPECT_TRUE(writeReportPdf(report, path("failed.pdf").toStdString()).has_value());
    EXPECT_FALSE(QFile::exists(path("failed.pdf")));
    passes = 0;
    report.piles = [&](const PileTaker &take) { return ++passes < 2 && all(take); };
    EXPECT_TRUE(writeReportDocx(report, path("failed.docx").toStdString(), path("packing").toStdString())
                    .has_value());
    EXPECT_FALSE(QFile::exists(path("failed.docx")));
    EXPECT_FALSE(QFile::exists(path("packing")));
}

TEST_F(ReportPdf, AFailedWriteLeavesThePreviousFile)
{
    const std::optional<std::string> error =
        writeReportPdf(reportOf(1), (folder.path() + QStringLiteral("/missing/report.pdf")).toStdString());
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("missing/report.pdf"), std::string::npos);
}

// Stopped at any point of its layout, painting or writing, a report leaves the earlier file as it was.
TEST_F(ReportPdf, AStoppedWriteLeavesTheEarlierFileOfEitherFormat)
{
    const ReportDocument document = reportOf(12);
    for (const char *name : {"stopped.pdf", "stopped.docx"}) {
        SCOPED_TRACE(name);
        const bool pdf = QString(name).endsWith(".pdf");
        const auto write = [&](const ReportProgress &progress) {
            return pdf ? writeReportPdf(document, path(name).toStdString(), progress)
                       : writeReportDocx(document, path(name).toStdString(), progress);
        };
        // Every call the writer makes, in order, and the total it counts toward.
        std::size_t calls = 0;
        std::size_t lastDone = 0;
        ASSERT_FALSE(write([&](std::size_t done, std::size_t total) {
                         EXPECT_GE(done, lastDone);
                         EXPECT_LE(done, total);
                         lastDone = done;
                         ++calls;
                         return true;
                     }).has_value());
        ASSERT_GT(calls, 1u);
        for (const std::size_t stopAt : {std::size_t{0}, calls / 2, calls - 1}) {
            QFile earlier(path(name));
            ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
            earlier.write("earlier");
            earlier.close();
            std::size_t call = 0;
            EXPECT_TRUE(write([&](std::size_t, std::size_t) { return call++ < stopAt; }).has_value()) << stopAt;
            ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
            EXPECT_EQ(earlier.readAll(), "earlier") << stopAt;
            earlier.close();
        }
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

} // namespace
} // namespace saxolith
