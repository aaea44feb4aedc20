// The one way long work runs (an optimisation run, a sort or filter of a long list, an export, a pile
// schedule): on a worker thread over core, its progress and cancel as signals, its result back on the
// GUI thread.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

class QProgressBar;
class QPushButton;
class QWidget;

namespace saxolith
{

// Steps of every progress display.
inline constexpr int progressSteps = 1000;

class WorkRunner : public QObject
{
    Q_OBJECT
  public:
    // What the work sees of the runner, on the worker thread.
    class Work
    {
      public:
        explicit Work(WorkRunner &runner) : m_runner(runner) {}
        // `done` of `total`; a total of 0 says the rest goes on without steps to count.
        void progress(std::uint64_t done, std::uint64_t total);
        [[nodiscard]] bool cancelled() const { return m_runner.m_cancelled; }

      private:
        WorkRunner &m_runner;
        int m_lastStep = -2;
    };

    explicit WorkRunner(QObject *parent = nullptr);

    // Runs `job` on a worker thread and returns its result on the GUI thread. The screens' commands
    // run one after the other and a command's effects follow its click at once, so the caller is held
    // while the job runs: a local event loop keeps the window painted and timers running while clicks
    // and keys wait until the job ends. Data the job reads must not change meanwhile, and data it
    // changes must not be read (a list being sorted is not painted meanwhile).
    template <typename Job> auto run(Job &&job)
    {
        using Result = decltype(job(std::declval<Work &>()));
        if constexpr (std::is_void_v<Result>) {
            runJob([&](Work &work) { job(work); });
        } else {
            std::optional<Result> result;
            runJob([&](Work &work) { result.emplace(job(work)); });
            return std::move(*result);
        }
    }

    // While work runs, the user's input reaches `window` alone (a progress dialog with its cancel button);
    // input meant for any other window is dropped. Without one, all input waits until the work ends.
    void letInputReach(QWidget *window) { m_inputWindow = window; }

  public slots:
    // Asks the job to stop; it sees `cancelled()` and ends as it sees fit.
    void cancel() { m_cancelled = true; }

  signals:
    void started();
    // Progress in steps of `progressSteps`, or -1 while the work goes on without steps to count.
    // Emitted on the worker thread: connect it with a receiver on the GUI thread.
    void progressed(int step);
    void finished();

  private:
    void runJob(const std::function<void(Work &)> &job);

    std::atomic<bool> m_cancelled{false};
    // A step on its way to the GUI thread: the next waits for it, so the window's event loop gets
    // its turn (painting, timers) between two steps however fast the work reports.
    std::atomic<bool> m_stepPending{false};
    QPointer<QWidget> m_inputWindow;
};

// A progress bar that shows a runner's progress once the work has taken longer than `delayMs`, and
// goes back to how it was when the work ends.
class ProgressBarDisplay : public QObject
{
  public:
    ProgressBarDisplay(WorkRunner &runner, QProgressBar *bar, qint64 delayMs);
    // Work shorter than this shows no progress.
    void setDelay(qint64 delayMs) { m_delayMs = delayMs; }

  private:
    void show(int step);
    void restore();

    QProgressBar *m_bar;
    qint64 m_delayMs;
    QElapsedTimer m_clock;
    int m_minimum = 0;
    int m_maximum = 0;
    int m_value = 0;
    bool m_visible = false;
    bool m_running = false;
};

// A progress dialog with a cancel button over `parent` for a runner's work: it opens once the work has
// taken longer than `delayMs` and shows its steps; its cancel button, Esc or its closing ask the work to
// stop. Without a cancel text the work cannot be stopped, and the dialog has no button. While the work
// runs, the user's input reaches this dialog alone. The dialog goes with its display.
class ProgressDialogDisplay : public QObject
{
  public:
    ProgressDialogDisplay(WorkRunner &runner, QWidget *parent, const QString &label, const QString &cancelText,
                          qint64 delayMs);
    ~ProgressDialogDisplay() override;
    ProgressDialogDisplay(const ProgressDialogDisplay &) = delete;
    ProgressDialogDisplay &operator=(const ProgressDialogDisplay &) = delete;

    [[nodiscard]] QDialog *dialog() const { return m_dialog; }
    void setDelay(qint64 delayMs) { m_delayMs = delayMs; }
    // Opens the dialog before the work starts, for work known to be long.
    void showNow();
    // The dialog stays open once the work has ended, until the display goes: what the caller does with
    // the result takes time too.
    void stayAfterWork() { m_stayAfterWork = true; }

  private:
    void show(int step);

    QPointer<QDialog> m_dialog;
    QProgressBar *m_bar;
    QPushButton *m_cancel = nullptr;
    qint64 m_delayMs;
    QElapsedTimer m_clock;
    bool m_running = false;
    bool m_stayAfterWork = false;
};

} // namespace saxolith
