// The one runner of long work: the job on a worker thread, steps in order on the GUI thread, the
// result (or the job's exception) back on the GUI thread, cancel seen by the job.
#include "gui/work_runner.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace saxolith::test
{
namespace
{

TEST(WorkRunnerTest, RunsOnAWorkerAndHandsStepsAndTheResultToTheGuiThread)
{
    WorkRunner runner;
    QList<int> steps;
    QObject::connect(&runner, &WorkRunner::progressed, &runner, [&](int step) {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        steps << step;
    });
    int ticks = 0;
    QTimer ticking;
    QObject::connect(&ticking, &QTimer::timeout, [&] { ++ticks; });
    ticking.start(0);
    const std::thread::id gui = std::this_thread::get_id();
    const int result = runner.run([&](WorkRunner::Work &work) {
        EXPECT_NE(std::this_thread::get_id(), gui);
        for (std::uint64_t done = 0; done <= 10; ++done) {
            work.progress(done, 10);
        }
        work.progress(10, 0); // the rest without steps
        return 42;
    });
    ticking.stop();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(steps.front(), 0);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end() - 1));
    EXPECT_EQ(steps.back(), -1);
    EXPECT_GT(ticks, 0) << "the event loop went round while the work ran";
}

TEST(WorkRunnerTest, TheJobsExceptionReachesTheCallerAndCancelReachesTheJob)
{
    WorkRunner runner;
    EXPECT_THROW(runner.run([](WorkRunner::Work &) -> int { throw std::runtime_error("stopped"); }),
                 std::runtime_error);
    QTimer::singleShot(0, &runner, &WorkRunner::cancel);
    const bool cancelled = runner.run([](WorkRunner::Work &work) {
        while (!work.cancelled()) {
            std::this_thread::yield();
        }
        return true;
    });
    EXPECT_TRUE(cancelled);
}

TEST(WorkRunnerTest, TheBarShowsOnlyWhileTheWorkRunsAndReturnsToHowItWas)
{
    QWidget parent;
    auto *bar = new QProgressBar(&parent);
    bar->setRange(0, 7);
    bar->hide();
    parent.show();
    WorkRunner runner;
    new ProgressBarDisplay(runner, bar, 0);
    bool shown = false;
    QObject::connect(&runner, &WorkRunner::progressed, &runner, [&] { shown = shown || bar->isVisible(); });
    runner.run([](WorkRunner::Work &work) {
        work.progress(1, 2);
        work.progress(2, 2);
    });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 7);
}

} // namespace
} // namespace saxolith::test
