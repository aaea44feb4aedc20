#include "gui/work_runner.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QTimer>
#include <QWindow>

#include <exception>
#include <thread>

namespace saxolith
{

namespace
{

// Drops the user's input for every window but one while work runs.
class InputGate : public QObject
{
  public:
    explicit InputGate(QWidget *window) : m_window(window) { qApp->installEventFilter(this); }
    ~InputGate() override { qApp->removeEventFilter(this); }
    InputGate(const InputGate &) = delete;
    InputGate &operator=(const InputGate &) = delete;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
            return !reachesWindow(watched);
        case QEvent::Close:
            // A window closed by the user meanwhile would take the work's caller with it.
            return event->spontaneous() && !reachesWindow(watched);
        default:
            return false;
        }
    }

  private:
    bool reachesWindow(QObject *watched) const
    {
        if (m_window.isNull()) {
            return false;
        }
        if (const auto *widget = qobject_cast<QWidget *>(watched)) {
            return widget->window() == m_window;
        }
        if (const auto *window = qobject_cast<QWindow *>(watched)) {
            return window == m_window->windowHandle();
        }
        return false;
    }

    QPointer<QWidget> m_window;
};

// The runner's step on a display's bar.
void showStep(QProgressBar &bar, int step)
{
    if (step < 0) {
        bar.setRange(0, 0); // steps unknown: the bar shows that work goes on
    } else {
        bar.setRange(0, progressSteps);
        bar.setValue(step);
    }
}

} // namespace

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
    std::optional<InputGate> gate;
    if (!m_inputWindow.isNull()) {
        gate.emplace(m_inputWindow);
    }
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
    loop.exec(gate ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    worker.join();
    gate.reset();
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
    showStep(*m_bar, step);
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

namespace saxolith
{

ProgressDialogDisplay::ProgressDialogDisplay(WorkRunner &runner, QWidget *parent, const QString &label,
                                             const QString &cancelText, qint64 delayMs)
    : QObject(&runner), m_delayMs(delayMs)
{
    m_dialog = new QDialog(parent);
    m_dialog->setObjectName("workProgress");
    m_dialog->setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(m_dialog);
    layout->addWidget(new QLabel(label, m_dialog));
    m_bar = new QProgressBar(m_dialog);
    m_bar->setRange(0, progressSteps);
    m_bar->setMinimumWidth(320);
    layout->addWidget(m_bar);
    if (!cancelText.isEmpty()) {
        m_cancel = new QPushButton(cancelText, m_dialog);
        m_cancel->setObjectName("cbt_cancelWork");
        m_cancel->setAutoDefault(false);
        layout->addWidget(m_cancel, 0, Qt::AlignRight);
        // The button, Esc and the window's close all ask the work to stop.
        connect(m_cancel, &QPushButton::clicked, m_dialog, &QDialog::reject);
    }
    runner.letInputReach(m_dialog);
    connect(m_dialog, &QDialog::rejected, &runner, [this, &runner] {
        if (m_running && m_cancel != nullptr) {
            m_cancel->setEnabled(false);
            runner.cancel();
        }
    });
    connect(&runner, &WorkRunner::started, this, [this] {
        m_clock.start();
        m_running = true;
        m_bar->setRange(0, progressSteps);
        m_bar->setValue(0);
        if (m_cancel != nullptr) {
            m_cancel->setEnabled(true);
        }
    });
    connect(&runner, &WorkRunner::progressed, this, &ProgressDialogDisplay::show);
    connect(&runner, &WorkRunner::finished, this, [this] {
        m_running = false;
        if (!m_stayAfterWork) {
            m_dialog->hide();
        }
    });
}

ProgressDialogDisplay::~ProgressDialogDisplay()
{
    delete m_dialog;
}

void ProgressDialogDisplay::showNow()
{
    m_bar->setRange(0, progressSteps);
    m_bar->setValue(0);
    m_dialog->show();
}

void ProgressDialogDisplay::show(int step)
{
    // Once cancelled, the dialog stays closed while the work winds up.
    const bool cancelled = m_cancel != nullptr && !m_cancel->isEnabled();
    if (!m_running || cancelled || m_clock.elapsed() < m_delayMs) {
        return;
    }
    showStep(*m_bar, step);
    if (!m_dialog->isVisible()) {
        m_dialog->show();
    }
}

} // namespace saxolith
