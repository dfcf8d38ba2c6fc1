#include "session/ReportListCommands.h"

#include "archive/ArchiveRun.h"
#include "catalogue/DirectoryListing.h"
#include "config/ReportConfiguration.h"
#include "core/UserAccess.h"
#include "platform/SettingsStore.h"

#include <QStringList>

namespace talmere {

namespace {

constexpr int kListLockSeconds = 10;
// The column widths of the list live in a group of their own, one value per type named after it: the "Reports"
// group is the preferences', which rewrite it whole, and a type's subgroup there means preferences of its own.
const QString kColumnWidthsGroup = QStringLiteral("ReportListColumns");

} // namespace

// Sets Busy for the life of a guarded command, also when the command fails; a context switch that arrived
// meanwhile is left for the window to run once the command has ended.
class ReportListCommands::Guard {
public:
    explicit Guard(ReportListCommands& commands) : m_commands(commands) { m_commands.m_busy = true; }
    ~Guard() { m_commands.m_busy = false; }

private:
    ReportListCommands& m_commands;
};

ReportListCommands::ReportListCommands(ApplicationContext& context)
    : m_context(context), m_model(m_table), m_view(m_model)
{
}

ReportListCommands::~ReportListCommands()
{
    m_table.close();
}

ReportManagerStart ReportListCommands::start()
{
    ReportManagerHooks hooks;
    hooks.prepareWindow = [this] { return prepareWindow(); };
    hooks.fillList = [this] { fillList(); };
    const ReportManagerStart outcome = StartReportManager(m_context, hooks);
    m_startupFailed = outcome == ReportManagerStart::StartupFailed;
    return outcome;
}

bool ReportListCommands::prepareWindow()
{
    fillItems();
    if (!m_table.create(m_context.folders.PrivateDirectory)) {
        m_context.prompts().error(kListingTableFailedMessage.arg(m_context.folders.PrivateDirectory));
        return false;
    }
    selectItem(0);
    return true;
}

void ReportListCommands::fillItems()
{
    m_items.clear();
    for (int i = 0; i < static_cast<int>(m_context.reportTypes.size()); ++i) {
        const TReportConfigInfoRecord& info = m_context.reportTypes[static_cast<std::size_t>(i)].info;
        if (!IsActionFormat(info.ReportFormat)) {
            m_items.push_back({info.ReportDesc, i});
        }
    }
}

void ReportListCommands::selectItem(int item)
{
    m_selectedItem = item >= 0 && item < static_cast<int>(m_items.size()) ? item : -1;
    const int type = selectedTypeIndex();
    m_model.setColumns(type >= 0 ? m_context.reportTypes[static_cast<std::size_t>(type)].info.Columns
                                 : std::array<TReportHeaderColumnInfo, kListColumnCount>{});
    // A new type is shown in its table's own order.
    m_view.clearSort();
}

int ReportListCommands::selectedTypeIndex() const
{
    return m_selectedItem >= 0 ? m_items[static_cast<std::size_t>(m_selectedItem)].typeIndex : -1;
}

void ReportListCommands::fillList()
{
    const int type = selectedTypeIndex();
    if (type < 0) {
        if (m_model.isTableOpen()) {
            m_model.clearRows();
        }
        return;
    }
    FillListingTable(m_context, type, m_filter, m_model);
}

CommandStates ReportListCommands::commandStates() const
{
    CommandStates states;
    const bool rows = m_model.isTableOpen() && m_model.rowCount() > 0;
    states.view = rows;
    states.print = rows;
    states.deleteReport = rows;
    states.clearFilters = m_filter.active();
    return states;
}

void ReportListCommands::changeReportType(int item)
{
    selectItem(item);
    const BusyCursor cursor(m_context.prompts());
    ArchiveLockHold hold(m_context);
    if (!hold.acquire(kListLockSeconds)) {
        m_context.prompts().error(kListLockFailedMessage);
        return;
    }
    if (selectedTypeIndex() >= 0) {
        RebuildDirectoryListing(m_context, selectedTypeIndex(), false, false);
    }
    fillList();
}

void ReportListCommands::refresh()
{
    if (m_busy) {
        return;
    }
    const Guard guard(*this);
    const BusyCursor cursor(m_context.prompts());
    ArchiveLockHold hold(m_context);
    if (!hold.acquire(kListLockSeconds)) {
        m_context.prompts().error(kListLockFailedMessage);
        return;
    }
    RunArchive(m_context);
    if (selectedTypeIndex() >= 0) {
        RebuildDirectoryListing(m_context, selectedTypeIndex(), true, false);
    }
    fillList();
}

void ReportListCommands::deleteReport(int row)
{
    if (m_busy || selectedTypeIndex() < 0) {
        return;
    }
    const Guard guard(*this);
    DeleteListedReport(m_context, selectedTypeIndex(), m_model, row);
}

bool ReportListCommands::runGuarded(const std::function<void()>& command)
{
    if (m_busy) {
        return false;
    }
    const Guard guard(*this);
    command();
    return true;
}

void ReportListCommands::advancedFilter(
    const std::function<std::optional<ReportDateFilter>(const ReportDateFilter&)>& ask)
{
    if (m_busy) {
        return;
    }
    const Guard guard(*this);
    const std::optional<ReportDateFilter> chosen = ask(m_filter);
    if (chosen) {
        m_filter = *chosen;
    }
    m_context.prompts().processPendingEvents();
    if (chosen) {
        const BusyCursor cursor(m_context.prompts());
        fillList();
    }
}

void ReportListCommands::clearFilters()
{
    if (m_busy) {
        return;
    }
    const Guard guard(*this);
    m_filter = {};
    const BusyCursor cursor(m_context.prompts());
    fillList();
}

ContextSwitchResult ReportListCommands::switchContext(int code)
{
    bool institutional = false;
    bool professional = false;
    switch (code) {
    case 1:
        institutional = true;
        break;
    case 2:
        professional = true;
        break;
    case 3:
        institutional = professional = true;
        break;
    default:
        return ContextSwitchResult::Ignored;
    }
    ModeFlags& flags = m_context.flags;
    if (flags.IncludeInstitutionalReports == institutional && flags.IncludeProfessionalReports == professional) {
        return ContextSwitchResult::Ignored;
    }
    // A command that runs (and lets messages through while it waits) still works on the loaded configuration;
    // reloading it under that command would pull the report types from under it.
    if (m_busy) {
        m_deferredContext = code;
        return ContextSwitchResult::Deferred;
    }
    flags.IncludeInstitutionalReports = institutional;
    flags.IncludeProfessionalReports = professional;
    FreeReportConfiguration(m_context);
    if (!LoadReportConfiguration(m_context)) {
        m_startupFailed = true;
        return ContextSwitchResult::Failed;
    }
    fillItems();
    selectItem(0);
    const BusyCursor cursor(m_context.prompts());
    if (selectedTypeIndex() >= 0) {
        RebuildDirectoryListing(m_context, selectedTypeIndex(), false, false);
    }
    fillList();
    return ContextSwitchResult::Reloaded;
}

std::optional<ContextSwitchResult> ReportListCommands::runDeferredContextSwitch()
{
    if (m_busy || !m_deferredContext) {
        return std::nullopt;
    }
    const int code = *m_deferredContext;
    m_deferredContext.reset();
    return switchContext(code);
}

void ReportListCommands::close(const WindowGeometry& geometry, bool maximised, const platform::PrinterSystem& printers,
                               const std::function<void()>& resetPrinter)
{
    if (m_startupFailed) {
        return;
    }
    RecordMainWindowPlacement(m_context.settings, geometry, maximised);
    if (CheckDefaultPrinter(m_context, printers, false) && resetPrinter) {
        resetPrinter();
    }
    SaveSettings(m_context);
}

void ReportListCommands::finish()
{
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_table.close();
    CloseReportManager(m_context);
}

std::optional<std::vector<int>> ReportListCommands::savedColumnWidths(int typeIndex) const
{
    if (typeIndex < 0 || typeIndex >= static_cast<int>(m_context.reportTypes.size())) {
        return std::nullopt;
    }
    const std::optional<QString> text = m_context.programStore().value(
        kColumnWidthsGroup, m_context.reportTypes[static_cast<std::size_t>(typeIndex)].name);
    if (!text) {
        return std::nullopt;
    }
    std::vector<int> widths;
    for (const QString& piece : text->split(QLatin1Char(','))) {
        bool ok = false;
        const int width = piece.trimmed().toInt(&ok);
        // A width the user could not have set is no width: the type's own widths are used.
        if (!ok || width < 0 || width > 10000) {
            return std::nullopt;
        }
        widths.push_back(width);
    }
    if (widths.size() != static_cast<std::size_t>(kListingValueFieldCount)) {
        return std::nullopt;
    }
    return widths;
}

void ReportListCommands::saveColumnWidths(int typeIndex, const std::vector<int>& widths)
{
    if (typeIndex < 0 || typeIndex >= static_cast<int>(m_context.reportTypes.size()) ||
        widths.size() != static_cast<std::size_t>(kListingValueFieldCount)) {
        return;
    }
    QStringList pieces;
    for (const int width : widths) {
        pieces << QString::number(width);
    }
    m_context.programStore().setValue(kColumnWidthsGroup,
                                      m_context.reportTypes[static_cast<std::size_t>(typeIndex)].name,
                                      pieces.join(QLatin1Char(',')));
}

} // namespace talmere
