#pragma once

namespace talmere::platform {

// What the program needs to know of the screen it opens its windows on.
struct ScreenMetrics {
    // The area a maximised window's frame may fill (the screen less task bars and panels), in pixels.
    int availableWidth = 0;
    int availableHeight = 0;
    // Logical pixels per inch: 96 on a screen without scaling.
    double pixelsPerInch = 96.0;
};

// The primary screen's metrics; the defaults above when there is no screen. Needs a GUI application object.
ScreenMetrics PrimaryScreenMetrics();

} // namespace talmere::platform
