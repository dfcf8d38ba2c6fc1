#pragma once

// What the report list window does, without its widgets: the window's state, the order of the steps of each of
// its commands (the busy guard, the archive lock, the listing rebuild, the list fill, the enabling of commands),
// its part of the start, the claim-context switch, and its close. The window calls these and shows the result;
// tests drive them with recording prompts.

#include "catalogue/ListingModel.h"
#include "catalogue/ListingTable.h"
#include "catalogue/ListingViewModel.h"
#include "catalogue/ReportList.h"
#include "core/ApplicationContext.h"
#include "core/ProgramSettings.h"
#include "session/ReportManagerStart.h"

#include <functional>
#include <optional>
#include <vector>

namespace talmere {

namespace platform {
class PrinterSystem;
}

inline const QString kListLockFailedMessage =
    QStringLiteral("Unable to obtain exclusive access to the report archive. Contact your system administrator if "
                   "this problem persists.");

// An entry of the report type box: the type's description and its index in the report type list.
struct ReportTypeItem {
    QString description;
    int typeIndex = -1;

    friend bool operator==(const ReportTypeItem&, const ReportTypeItem&) = default;
};

// Which commands are enabled: View, Print and Delete exactly while the list holds a row, Clear Filters exactly
// while a date filter is set. Every other command is always enabled.
struct CommandStates {
    bool view = false;
    bool print = false;
    bool deleteReport = false;
    bool clearFilters = false;

    friend bool operator==(const CommandStates&, const CommandStates&) = default;
};

enum class ContextSwitchResult {
    Ignored,  // not a context code, or the context the program already shows
    Deferred, // a command is running; the switch follows when it ends
    Reloaded, // the configuration was reloaded: refill the type box from reportTypeItems()
    Failed,   // the configuration could not be reloaded (the user has been told): the program ends
};

class ReportListCommands {
public:
    explicit ReportListCommands(ApplicationContext& context);
    // Closes the listing table, which deletes its file.
    ~ReportListCommands();
    ReportListCommands(const ReportListCommands&) = delete;
    ReportListCommands& operator=(const ReportListCommands&) = delete;

    ApplicationContext& context() { return m_context; }
    ListingModel& model() { return m_model; }
    ListingViewModel& viewModel() { return m_view; }
    const ListingViewModel& viewModel() const { return m_view; }
    const ListingTable& table() const { return m_table; }

    // The start of the report manager with the window's own steps: the type box, the listing table and the
    // columns of the first type before the archive lock is taken, the list once the listing is up to date.
    ReportManagerStart start();

    const std::vector<ReportTypeItem>& reportTypeItems() const { return m_items; }
    // The position in the type box of the selected type, and its index in the report type list (-1: none).
    int selectedItem() const { return m_selectedItem; }
    int selectedTypeIndex() const;

    bool busy() const { return m_busy; }
    bool startupFailed() const { return m_startupFailed; }
    bool viewInProgress() const { return m_viewInProgress; }
    void setViewInProgress(bool running) { m_viewInProgress = running; }
    const ReportDateFilter& filter() const { return m_filter; }

    CommandStates commandStates() const;

    // The user chose another entry of the type box: its columns at once, then its rows under the archive lock.
    // Without the lock the rows of the previous type stay under the new columns.
    void changeReportType(int item);
    // Refresh Report List: an archive run, the selected type's listing rebuilt, the list filled.
    void refresh();
    // Deletes the report of a row of the model, once the user has confirmed.
    void deleteReport(int row);
    // Runs a command that other windows carry out (View, Print) under the busy guard; false when another
    // command runs and this one is ignored.
    bool runGuarded(const std::function<void()>& command);
    // Advanced Filter Options: ask shows the dialog with the current filter and answers the new one, or nothing
    // when the user cancelled (then the list is not refilled).
    void advancedFilter(const std::function<std::optional<ReportDateFilter>(const ReportDateFilter&)>& ask);
    void clearFilters();

    // A later start of the program asked for the claim context (1 institutional, 2 professional, 3 both).
    ContextSwitchResult switchContext(int code);
    // Runs a context switch that arrived while a command was running; the result as switchContext answers it.
    std::optional<ContextSwitchResult> runDeferredContextSwitch();

    // Whether the window may close now: not while a report is being viewed.
    bool mayClose() const { return !m_viewInProgress; }
    // The window closes: after a good start, its placement is kept, the printer selection goes back to the
    // default printer when there is one (resetPrinter), and the settings are saved.
    void close(const WindowGeometry& geometry, bool maximised, const platform::PrinterSystem& printers,
               const std::function<void()>& resetPrinter = {});
    // The window goes: the listing table and its file, the configuration, the user's registration.
    void finish();

    // Column widths in pixels that the user set for a type's shown columns (A_FIELD01 .. A_FIELD12), kept in the
    // settings store's group "ReportListColumns" under the type's name; nothing when none were kept.
    std::optional<std::vector<int>> savedColumnWidths(int typeIndex) const;
    void saveColumnWidths(int typeIndex, const std::vector<int>& widths);

private:
    class Guard;
    bool prepareWindow();
    void fillItems();
    void selectItem(int item);
    void fillList();

    ApplicationContext& m_context;
    ListingTable m_table;
    ListingModel m_model;
    ListingViewModel m_view;
    std::vector<ReportTypeItem> m_items;
    int m_selectedItem = -1;
    ReportDateFilter m_filter;
    bool m_busy = false;
    bool m_startupFailed = false;
    bool m_viewInProgress = false;
    bool m_finished = false;
    std::optional<int> m_deferredContext;
};

inline const QString kListingTableFailedMessage = QStringLiteral(
    "Unable to create the report list table in the private folder [%1]. The report viewer program will now be "
    "terminated.");

} // namespace talmere
