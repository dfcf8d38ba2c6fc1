#pragma once

// The report list window: the archived reports of the chosen report type in a grid, the commands on them, and
// the program's menus. The order of the steps of each command lives in ReportListCommands; this window shows
// its state and hands it the user's choices.

#include "session/ReportListCommands.h"

#include <QMainWindow>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace talmere {

namespace platform {
class InstanceChannel;
class PrinterSystem;
} // namespace platform

// The commands that other windows of the program carry out for the report list: viewing and printing the
// report of a row (its index in the list model), the preferences and the About box. An empty one tells the user
// that the command is not part of this build. resetPrinter puts the printer that View and Print chose back to the
// system's default printer when the window closes.
struct ReportWindowCommands {
    std::function<void(int row)> view;
    std::function<void(int row)> print;
    std::function<void()> preferences;
    std::function<void()> about;
    std::function<void()> resetPrinter;
};

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    TfrmMain(ApplicationContext& context, platform::PrinterSystem& printers, ReportWindowCommands commands = {});
    ~TfrmMain() override;

    ReportListCommands& commands() { return m_commands; }

    // The start of the report manager with this window's steps. Ready: the window is placed and may be shown.
    ReportManagerStart start();
    // Places the window where it was last closed (or centred), as the start leaves it.
    void placeWindow();
    // Context-switch messages and show requests of later starts arrive through the channel.
    void listenTo(platform::InstanceChannel& channel);

    // The row of the list model that the grid's current row shows; -1 when none.
    int currentRow() const;
    void updateCommandStates();

    // The commands, as the menus, buttons and keys run them.
    void viewReport();
    void printReport();
    void deleteReport();
    void refreshList();
    void advancedFilter();
    void clearFilters();
    void reportTypeChosen(int item);
    void handleContextSwitch(int code);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildPanels();
    void fillTypeBox();
    void applyColumns();
    void rememberColumnWidths();
    void afterCommand();
    void updateStatus();
    void firstActivation();
    void runExtension(const std::function<void(int)>& command, const QString& what);

    ApplicationContext& m_context;
    platform::PrinterSystem& m_printers;
    ReportWindowCommands m_extensions;
    ReportListCommands m_commands;
    bool m_firstActivation = true;
    bool m_applyingColumns = false;
    bool m_columnWidthsChanged = false;
    int m_columnsOfType = -1;

    QComboBox* m_typeBox = nullptr;
    QTableView* m_grid = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_viewButton = nullptr;
    QPushButton* m_printButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QAction* m_viewAction = nullptr;
    QAction* m_printAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_refreshAction = nullptr;
    QAction* m_clearFiltersAction = nullptr;
    QAction* m_advancedFilterAction = nullptr;
    QAction* m_popupView = nullptr;
    QAction* m_popupPrint = nullptr;
    QAction* m_popupDelete = nullptr;
};

} // namespace talmere
