#include "gui/screen_fit.h"

#include <QScreen>

#include <algorithm>

namespace saxolith
{

double shrinkToFit(QSize window, QSize available)
{
    const QSize framed = window + windowFrameAllowance;
    if (framed.width() <= 0 || framed.height() <= 0 || available.isEmpty()) {
        return 1.0;
    }
    const double across = static_cast<double>(available.width()) / framed.width();
    const double down = static_cast<double>(available.height()) / framed.height();
    return std::min({1.0, across, down});
}

std::optional<double> fittingScaleFactor(const QScreen &screen, QSize window, double factorNow)
{
    const double shrink = shrinkToFit(window, screen.availableGeometry().size());
    if (shrink >= 1.0) {
        return std::nullopt;
    }
    return factorNow * shrink;
}

double environmentScaleFactor()
{
    bool ok = false;
    const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok && factor > 0.0 ? factor : 1.0;
}

} // namespace saxolith
