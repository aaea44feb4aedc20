// The text book of 2,000 and 8,000 piles as a PDF, against its floors: QPdfWriter drawing the very
// same pages from glyphs shaped beforehand (what any layout through it must still pay: the glyphs'
// positions, the font subset, the compression), a run a line and a run a page. Counters give the
// time a pile of each. And saxolith-batch --pdf itself, against the same run without the PDF.
#include "pages/book_pages.h"
#include "../batch_program.h"

#include "core/book/calculation_book.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_run.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace
{

using namespace saxolith;
using saxolith::bench::BatchRun;
using saxolith::bench::runBatchProgram;
using Clock = std::chrono::steady_clock;

// A schedule of `piles` piles of the mixed rows (every section, route and precision).
std::string scheduleText(int piles)
{
    static const char *const rows[] = {
        "圆桩,{},,,35,较完整,,个位取整",      "椭圆桩,{},600,,40,0.62,,两位小数",
        "矩形桩,{},800,4000,,,,十位取整",     "方桩,{},{},,20,,0.3,一位小数",
        "圆桩,{},,,45,0.7,,百位取整",         "矩形桩,800,{},,60,完整,,两位小数",
        "椭圆桩,{},500,,25,较破碎,,个位取整", "圆桩,{},,3500,,,,一位小数",
    };
    std::string text = "桩号,截面类型,d(mm),c(mm),qpa(kPa),frk(MPa),完整程度,ψr,精度\r\n";
    for (int i = 0; i < piles; ++i) {
        const std::string d = std::to_string(1000 + (i % 11) * 100);
        text += (i % 2 == 0 ? "P-" + std::to_string(i) : std::string()) + "," + fillIn(rows[i % 8], {d, d}) + "\r\n";
    }
    return text;
}

// A book of those piles' entries.
CalculationBook bookOf(int piles)
{
    CalculationBook book;
    calculateSchedule(readSchedule(scheduleText(piles)).rows, book, "2024/1/2 10:20:30");
    return book;
}

std::string scratch(const char *name)
{
    return "/tmp/" + std::to_string(::getpid()) + name;
}

// The floor: the same pages as paintBook lays them out, every line's glyphs shaped before the clock
// starts, so only QPdfWriter's own work is timed. Drawn a run a line with every glyph, as shaping
// gives them; or, with `pageRuns`, each page's glyphs but its blanks as one run, as the book draws
// them, which is what QPdfWriter must be given at the least to show these pages.
double floorSeconds(const std::vector<std::string> &lines, const std::string &path, bool pageRuns)
{
    QPdfWriter writer(QString::fromStdString(path));
    setUpBookPages(writer, BookForm::Text);
    QPainter painter(&writer);
    const QRectF area(0, 0, writer.width(), writer.height());
    QFont font(QString::fromLatin1(bookFontFamily));
    font.setStyleHint(QFont::TypeWriter);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPointSizeF(10.5);
    const QFontMetricsF metrics(font, &writer);
    const std::size_t perPage = static_cast<std::size_t>(std::floor(area.height() * 0.9 / metrics.lineSpacing()));
    const auto pages = paginateBook(lines, BookForm::Text, perPage);
    std::vector<QList<QGlyphRun>> shaped;
    shaped.reserve(lines.size());
    for (const std::string &line : lines) {
        QTextLayout layout(QString::fromStdString(line), font, &writer);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        shaped.push_back(layout.glyphRuns());
    }
    std::vector<QGlyphRun> pageRun;
    if (pageRuns) {
        const QList<quint32> blank = shaped.front().front().rawFont().glyphIndexesForString(QStringLiteral(" "));
        for (const auto &page : pages) {
            QList<quint32> glyphs;
            QList<QPointF> positions;
            double top = area.top();
            for (const std::size_t line : page) {
                for (const QGlyphRun &run : shaped[line]) {
                    const QList<quint32> indexes = run.glyphIndexes();
                    const QList<QPointF> places = run.positions();
                    for (qsizetype i = 0; i < indexes.size(); ++i) {
                        if (indexes[i] != blank.front()) {
                            glyphs << indexes[i];
                            positions << places[i] + QPointF(area.left(), top);
                        }
                    }
                }
                top += metrics.lineSpacing();
            }
            QGlyphRun run;
            run.setRawFont(shaped.front().front().rawFont());
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            pageRun.push_back(run);
        }
    }
    const auto start = Clock::now();
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0)
            writer.newPage();
        if (pageRuns) {
            painter.drawGlyphRun(QPointF(0, 0), pageRun[page]);
            continue;
        }
        double top = area.top();
        for (const std::size_t line : pages[page]) {
            for (const QGlyphRun &run : shaped[line])
                painter.drawGlyphRun(QPointF(area.left(), top), run);
            top += metrics.lineSpacing();
        }
    }
    painter.end();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void bookPdf(benchmark::State &state)
{
    const int piles = static_cast<int>(state.range(0));
    const CalculationBook book = bookOf(piles);
    if (book.entryCount() != piles) {
        state.SkipWithError("the book does not hold every pile");
        return;
    }
    const std::string path = scratch("_book.pdf");
    const std::string floorPath = scratch("_floor.pdf");
    double measured = 0.0;
    double base = 0.0;
    double pageRunBase = 0.0;
    bool checked = false;
    for (auto _ : state) {
        base += floorSeconds(book.textLines(), floorPath, false);
        pageRunBase += floorSeconds(book.textLines(), floorPath, true);
        const auto start = Clock::now();
        const auto error = writeBookPdf(book.textLines(), BookForm::Text, path);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        measured += seconds;
        state.SetIterationTime(seconds);
        if (error) {
            state.SkipWithError(error->c_str());
            break;
        }
        if (!checked) {
            // Checked once: a PDF with a page for each page the book lays out.
            checked = true;
            QFile file(QString::fromStdString(path));
            file.open(QIODevice::ReadOnly);
            const QByteArray bytes = file.readAll();
            if (!bytes.startsWith("%PDF") || !bytes.contains("/Type /Page\n") || bytes.count("/Type /Page\n") < piles / 2)
                state.SkipWithError("the PDF lacks its pages");
        }
    }
    std::remove(path.c_str());
    std::remove(floorPath.c_str());
    const auto runs = static_cast<double>(state.iterations());
    state.counters["ms_pile"] = measured / runs / piles * 1e3;
    state.counters["floor_ms_pile"] = base / runs / piles * 1e3;
    state.counters["x_floor"] = base > 0 ? measured / base : 0.0;
    state.counters["page_run_floor_ms_pile"] = pageRunBase / runs / piles * 1e3;
    state.counters["x_page_run_floor"] = pageRunBase > 0 ? measured / pageRunBase : 0.0;
    state.SetLabel("floors: QPdfWriter drawing glyphs shaped beforehand, a run a line / a run a page");
}
BENCHMARK(bookPdf)->Arg(2000)->Arg(8000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);


// saxolith-batch --pdf in a process of its own on a schedule of `piles` piles, the book laid out
// as the rows come: the time a pile, against the same run without --pdf, and the most memory it held
// (its peak resident set, read as it runs). Checked once: it wrote the PDF with a page for every pile.
BatchRun runBatch(const std::string &schedule, const std::string &folder, bool pdf)
{
    std::vector<std::string> arguments{schedule, "--out", folder};
    if (pdf) {
        arguments.emplace_back("--pdf");
    }
    return runBatchProgram(SAXOLITH_BATCH_PROGRAM, std::move(arguments));
}

void batchPdf(benchmark::State &state)
{
    const int piles = static_cast<int>(state.range(0));
    const std::string schedule = scratch("_schedule.csv");
    {
        std::ofstream out(schedule, std::ios::binary);
        out << scheduleText(piles);
    }
    const std::string folder = scratch("_out");
    BatchRun withPdf;
    BatchRun without;
    double pdfSeconds = 0.0;
    double plainSeconds = 0.0;
    for (auto _ : state) {
        without = runBatch(schedule, folder, false);
        withPdf = runBatch(schedule, folder, true);
        plainSeconds += without.seconds;
        pdfSeconds += withPdf.seconds;
        state.SetIterationTime(withPdf.seconds);
    }
    std::ifstream pdf(folder + "/嵌岩桩计算书(依据GB50007-2011)_文本.pdf", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(pdf)), std::istreambuf_iterator<char>());
    std::size_t pages = 0;
    for (std::size_t at = 0; (at = bytes.find("/Type /Page\n", at)) != std::string::npos; ++at) {
        ++pages;
    }
    if (withPdf.exitCode != 0 || pages < static_cast<std::size_t>(piles) / 2) {
        state.SkipWithError(("the batch ended with " + std::to_string(withPdf.exitCode) + " and a PDF of " +
                             std::to_string(pages) + " pages")
                                .c_str());
    }
    std::filesystem::remove_all(folder);
    std::remove(schedule.c_str());
    const auto runs = static_cast<double>(state.iterations());
    state.counters["ms_pile"] = pdfSeconds / runs / piles * 1e3;
    state.counters["x_without_pdf"] = plainSeconds > 0 ? pdfSeconds / plainSeconds : 0.0;
    state.counters["peak_MB"] = static_cast<double>(withPdf.peakKb) / 1024.0;
    state.counters["peak_MB_without_pdf"] = static_cast<double>(without.peakKb) / 1024.0;
}
BENCHMARK(batchPdf)->Arg(2000)->Arg(8000)->Arg(100'000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
