// Progress of a long list command (sort, filter) in the screen's progress bar.
#pragma once

#include "optimise/candidate_list.h"

#include <QElapsedTimer>

class QProgressBar;

namespace saxolith
{

// Shows `bar` once the command has taken longer than `delayMs` and keeps the window painted
// while it runs (clicks and keys wait until it ends); hides the bar when it goes out of scope.
class ListCommandProgress
{
  public:
    ListCommandProgress(QProgressBar *bar, qint64 delayMs);
    ~ListCommandProgress();
    ListCommandProgress(const ListCommandProgress &) = delete;
    ListCommandProgress &operator=(const ListCommandProgress &) = delete;

    // The core's report, for the command's progress parameter.
    [[nodiscard]] ListProgress report();

  private:
    QProgressBar *m_bar;
    qint64 m_delayMs;
    QElapsedTimer m_clock;
};

} // namespace saxolith
