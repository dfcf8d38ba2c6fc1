#pragma once

#include "core/ApplicationContext.h"

namespace talmere {

namespace platform {
class PrinterSystem;
}

// Reads every program setting, in this order and precedence: the user's store (group "General"), then
// QORVA32.INI of the install folder (only when it exists), then TALMERE.INI of the install folder, whose
// two user options count only while the user's store lacks them. Reading never fails: whatever is missing
// keeps its default.
void LoadSettings(ApplicationContext& context);

// Writes the user's options and the window placements back to the user's store, and nothing else.
void SaveSettings(const ApplicationContext& context);

// Orientation 0 is portrait, 1 landscape; any other value does nothing.
void SelectPreviewPosition(ApplicationContext& context, int orientation);
void StorePreviewPosition(ApplicationContext& context, int orientation);

// True when the system has a default printer, or when the check is switched off. Without one, and when
// asked to, tells the user first.
bool CheckDefaultPrinter(const ApplicationContext& context, const platform::PrinterSystem& printers, bool tellUser);

struct WindowGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const WindowGeometry&, const WindowGeometry&) = default;
};

struct MainWindowPlacement {
    WindowGeometry geometry;
    bool maximised = false;

    friend bool operator==(const MainWindowPlacement&, const MainWindowPlacement&) = default;
};

// Where the main window goes at the end of a good start: from its designed (centred) geometry, its
// minimum size, the saved ReportListPosition and the screen's usable width and height.
MainWindowPlacement PlaceMainWindow(const WindowPosition& saved, const WindowGeometry& designed, int minimumWidth,
                                    int minimumHeight, int screenWidth, int screenHeight);

// Remembers the main window's bounds and state when it closes: state 1 when maximised, 0 otherwise.
void RecordMainWindowPlacement(ProgramSettings& settings, const WindowGeometry& geometry, bool maximised);

} // namespace talmere
