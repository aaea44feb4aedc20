#include "work_runner.h"

#include <QEventLoop>
#include <QProgressBar>
#include <QTimer>

#include <exception>
#include <thread>

namespace saxolith
{

void WorkRunner::Work::progress(std::uint64_t done, std::uint64_t total)
{
    const int step = total == 0 ? -1
                                : static_cast<int>(static_cast<double>(std::min(done, total)) /
                                                   static_cast<double>(total) * progressSteps);
    // A signal per step at most (the work may report every few rows), and one at a time: the next
    // waits until the window's event loop has had its turn after the last.
    if (step == m_lastStep) {
        return;
    }
    m_runner.m_stepPending.wait(true);
    m_lastStep = step;
    m_runner.m_stepPending = true;
    emit m_runner.progressed(step);
}

WorkRunner::WorkRunner(QObject *parent) : QObject(parent)
{
    connect(this, &WorkRunner::progressed, this, [this] {
        // Timers run after the posted events: the step is taken once the loop has gone round.
        QTimer::singleShot(0, this, [this] {
            m_stepPending = false;
            m_stepPending.notify_one();
        });
    });
}

void WorkRunner::runJob(const std::function<void(Work &)> &job)
{
    m_cancelled = false;
    m_stepPending = false;
    emit started();
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        Work work(*this);
        try {
            job(work);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    emit finished();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

ProgressBarDisplay::ProgressBarDisplay(WorkRunner &runner, QProgressBar *bar, qint64 delayMs)
    : QObject(&runner), m_bar(bar), m_delayMs(delayMs)
{
    connect(&runner, &WorkRunner::started, this, [this] {
        m_minimum = m_bar->minimum();
        m_maximum = m_bar->maximum();
        m_value = m_bar->value();
        m_visible = m_bar->isVisibleTo(m_bar->parentWidget());
        m_clock.start();
        m_running = true;
    });
    connect(&runner, &WorkRunner::progressed, this, &ProgressBarDisplay::show);
    connect(&runner, &WorkRunner::finished, this, &ProgressBarDisplay::restore);
}

void ProgressBarDisplay::show(int step)
{
    if (!m_running || m_clock.elapsed() < m_delayMs) {
        return;
    }
    if (step < 0) {
        m_bar->setRange(0, 0); // steps unknown: the bar shows that work goes on
    } else {
        m_bar->setRange(0, progressSteps);
        m_bar->setValue(step);
    }
    m_bar->show();
}

void ProgressBarDisplay::restore()
{
    m_running = false;
    m_bar->setRange(m_minimum, m_maximum);
    m_bar->setValue(m_value);
    m_bar->setVisible(m_visible);
}

} // namespace saxolith
