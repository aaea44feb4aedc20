// The list commands on the real window (offscreen) with a 938,676-row run, each beside the same
// command in the core alone: what the screen adds is the ratio.
#include "gui/candidate_model.h"
#include "gui/input_screen.h"
#include "gui/main_window.h"
#include "gui/optimisation_screen.h"
#include "gui/window_services.h"

#include "core/optimise/list_commands.h"
#include "core/optimise/option_grid.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace
{

using namespace saxolith;

MainWindow *window = nullptr;

OptimisationScreen *screen()
{
    return window->optimisationScreen();
}

void settle()
{
    QCoreApplication::processEvents();
}

// The options of the big run: d 800–3000 step 5, c 100–1200 step 10, the rest as at start-up.
void setOptions()
{
    QTableWidget *grid = screen()->Grid1_Youhuaxuanxiang;
    const char *texts[2][3] = {{"800", "3000", "5"}, {"100", "1200", "10"}};
    for (int row = 1; row <= 2; ++row)
        for (int column = 1; column <= 3; ++column)
            grid->item(row, column)->setText(QString::fromLatin1(texts[row - 1][column - 1]));
}

void runBigList()
{
    screen()->cbt_YHcompute->setEnabled(true);
    QTest::mouseClick(screen()->cbt_YHcompute, Qt::LeftButton);
    settle();
}

void clickHeader(QTableView *list, int column)
{
    QHeaderView *header = list->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    settle();
}

void screenRun(benchmark::State &state)
{
    for (auto _ : state)
        runBigList();
    state.counters["rows"] = static_cast<double>(screen()->Grid2_Youhuajieguo->model()->rowCount());
}
BENCHMARK(screenRun)->Unit(benchmark::kMillisecond)->Iterations(2);

// The first click on Ra's header sorts (later ones only reverse), so each click starts unsorted.
void screenSortByRa(benchmark::State &state)
{
    runBigList();
    for (auto _ : state) {
        window->state().sortStateRa = SortState::Unsorted;
        clickHeader(screen()->Grid2_Youhuajieguo, 4);
    }
}
BENCHMARK(screenSortByRa)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void coreSortByRa(benchmark::State &state)
{
    runBigList();
    const CandidateList base = screen()->fullList()->list();
    for (auto _ : state) {
        state.PauseTiming();
        CandidateList list = base;
        SortState d = SortState::Unsorted;
        SortState ra = SortState::Unsorted;
        state.ResumeTiming();
        benchmark::DoNotOptimize(saxolith::headerClick(list, 4, d, ra));
    }
}
BENCHMARK(coreSortByRa)->Unit(benchmark::kMillisecond)->Iterations(3);

void screenReverse(benchmark::State &state)
{
    for (auto _ : state)
        clickHeader(screen()->Grid2_Youhuajieguo, 4);
}
BENCHMARK(screenReverse)->Unit(benchmark::kMillisecond)->Iterations(4);

void screenFilter(benchmark::State &state)
{
    QTableWidget *grid = screen()->Grid1_Youhuaxuanxiang;
    grid->item(raRangeRow, 1)->setText(QStringLiteral("0"));
    grid->item(raRangeRow, 2)->setText(QStringLiteral("0"));
    for (auto _ : state) {
        screen()->cbt_YHsaixuan->setEnabled(true);
        QTest::mouseClick(screen()->cbt_YHsaixuan, Qt::LeftButton);
        settle();
    }
    state.counters["rows"] = static_cast<double>(screen()->Grid3_Youhuasaixuan->model()->rowCount());
}
BENCHMARK(screenFilter)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void coreFilter(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(filterCandidates(screen()->fullList()->list(), "0", "0"));
}
BENCHMARK(coreFilter)->Unit(benchmark::kMillisecond)->Iterations(3);

// The save of the raw list (GBK) as the save command makes it, permission aside.
void screenSave(benchmark::State &state)
{
    runBigList();
    const QString folder = QDir::tempPath() + QStringLiteral("/saxolith_save_bench");
    QDir().mkpath(folder);
    setDocumentsFolderForTesting(folder);
    setSystemCodePageForTesting("GBK");
    for (auto _ : state) {
        screen()->cbt_YHsave->setEnabled(true);
        screen()->saveShownList();
    }
    state.counters["MB"] = static_cast<double>(QDir(folder).entryInfoList(QDir::Files).value(0).size()) / 1e6;
    QDir(folder).removeRecursively();
}
BENCHMARK(screenSave)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    auto main = std::make_unique<MainWindow>();
    window = main.get();
    window->show();
    QTest::mouseClick(window->inputScreen()->cbt_YouHua, Qt::LeftButton);
    settle();
    setOptions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
