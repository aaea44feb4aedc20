#include "list_progress.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace saxolith
{

namespace
{
constexpr int steps = 1000;
}

ListCommandProgress::ListCommandProgress(QProgressBar *bar, qint64 delayMs) : m_bar(bar), m_delayMs(delayMs)
{
    m_clock.start();
}

ListCommandProgress::~ListCommandProgress()
{
    m_bar->hide();
}

ListProgress ListCommandProgress::report()
{
    return [this](std::size_t done, std::size_t total) {
        if (total == 0 || m_clock.elapsed() < m_delayMs) {
            return;
        }
        if (!m_bar->isVisible()) {
            m_bar->setRange(0, steps);
            m_bar->show();
        }
        m_bar->setValue(static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * steps));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

} // namespace saxolith
