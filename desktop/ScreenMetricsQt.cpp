#include "platform/ScreenMetrics.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace talmere::platform {

ScreenMetrics PrimaryScreenMetrics()
{
    ScreenMetrics metrics;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        metrics.availableWidth = available.width();
        metrics.availableHeight = available.height();
        metrics.pixelsPerInch = screen->logicalDotsPerInch();
    }
    return metrics;
}

} // namespace talmere::platform
