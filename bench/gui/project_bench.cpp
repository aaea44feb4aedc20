// A project of 10,000 entries on the real window (offscreen): opening it until both book views are
// filled, and saving it; beside the core alone making the same book from the same file, and the two
// book files written from the same lines.
#include "../against_baseline.h"

#include "gui/input_screen.h"
#include "gui/main_window.h"
#include "gui/window_services.h"
#include "gui/project_session.h"
#include "gui/result_screen.h"

#include "core/book/book_file.h"
#include "core/save/safe_file.h"
#include "core/project/project.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace
{

using namespace saxolith;

constexpr int entryCount = 10'000;

MainWindow *window = nullptr;
QTemporaryDir *folder = nullptr;

// The processor time of this thread: on a busy machine the wall time says more of the others' work.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs `work` and adds its processor time to `total`.
template <typename Work> void addCpu(double &total, Work &&work)
{
    const double start = threadSeconds();
    work();
    total += threadSeconds() - start;
}

QString projectPath()
{
    return folder->path() + QStringLiteral("/big.saxolith");
}

// Every section, route, way to ψr and precision in turn, some with their own names.
CalculationInput inputOf(int i)
{
    CalculationInput input = defaultCalculationInput();
    input.sectionItem = i % 3;
    input.firstDimension = std::to_string(800 + (i % 40) * 25);
    input.secondDimension = input.sectionItem == 0 ? "0" : std::to_string(300 + (i % 7) * 50);
    input.route = i % 4 == 0 ? StrengthRoute::QpaGiven : StrengthRoute::FrkGiven;
    input.psiMode = i % 5 == 0 ? PsiMode::Manual : PsiMode::Automatic;
    input.integrity = i % 2 == 0 ? "较完整" : "0.45";
    input.precision = i % 5;
    return input;
}

void writeBigProject()
{
    CalculationBook book;
    for (int i = 0; i < entryCount; ++i) {
        const CalculationOutcome outcome = calculate(inputOf(i));
        if (outcome.record) {
            book.record(*outcome.record, "2024/3/1 9:00:00", i % 3 == 0 ? "P-" + std::to_string(i) : "");
        }
    }
    std::ofstream out(QFile::encodeName(projectPath()).toStdString(), std::ios::binary);
    writeProject(out, projectOf(book));
}

std::string fileBytes()
{
    QFile file(projectPath());
    file.open(QIODevice::ReadOnly);
    return file.readAll().toStdString();
}

void openProject(benchmark::State &state)
{
    const std::string bytes = fileBytes();
    double cpu = 0.0;
    against_baseline::run(
        state, "the core making the book from the file",
        [&cpu, &state] {
            // Into a window just started, as from the command line: an empty book to replace.
            auto fresh = std::make_unique<MainWindow>();
            fresh->show();
            QCoreApplication::processEvents();
            const double seconds = against_baseline::seconds([&cpu, &fresh] {
                addCpu(cpu, [&fresh] {
                    fresh->project().load(projectPath());
                    QCoreApplication::processEvents();
                });
            });
            state.counters["memo_lines"] = fresh->resultScreen()->meo_jisuanjieguo_Doc->blockCount();
            state.counters["entries"] = fresh->resultScreen()->book().entryCount();
            return seconds;
        },
        [&bytes] {
            return against_baseline::seconds([&bytes] {
                CalculationBook book;
                benchmark::DoNotOptimize(readProject(bytes, &book));
            });
        });
    state.counters["cpu_ms"] = cpu / static_cast<double>(state.iterations()) * 1e3;
}
BENCHMARK(openProject)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void saveProject(benchmark::State &state)
{
    window->project().load(projectPath());
    const CalculationBook &book = window->resultScreen()->book();
    const std::string bookPath = QFile::encodeName(folder->path() + QStringLiteral("/book.txt")).toStdString();
    double cpu = 0.0;
    against_baseline::run(
        state, "the two book files of the same entries",
        [&cpu] {
            return against_baseline::seconds([&cpu] { addCpu(cpu, [] { window->project().saveProject(); }); });
        },
        [&book, &bookPath] {
            return against_baseline::seconds([&book, &bookPath] {
                saveBookFile(bookPath, book.textLines(), "GBK");
                saveBookFile(bookPath, book.tableLines(), "GBK");
            });
        });
    state.counters["entries"] = book.entryCount();
    state.counters["cpu_ms"] = cpu / static_cast<double>(state.iterations()) * 1e3;
}
BENCHMARK(saveProject)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir own;
    folder = &own;
    // The window's settings and journal stay in the scratch folder.
    setenv("XDG_STATE_HOME", (own.path() + "/state").toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, own.path() + "/config");
    setDocumentsFolderForTesting(own.path());
    writeBigProject();
    if (const ProjectReading reading = readProject(fileBytes()); !reading.project) {
        std::fprintf(stderr, "the project made is refused: %s\n", reading.error.c_str());
        return 1;
    }
    auto made = std::make_unique<MainWindow>();
    window = made.get();
    window->show();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    window = nullptr;
    return 0;
}
