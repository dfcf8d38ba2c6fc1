#include "catalogue/ReportList.h"

#include "catalogue/ListingModel.h"
#include "client/ReportRequests.h"
#include "config/ReportConfiguration.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "core/UserAccess.h"
#include "platform/FileTransfer.h"

namespace talmere {

namespace {

constexpr int kDeleteLockSeconds = 10;

} // namespace

bool PassesDateFilter(double reportDateTime, const ReportDateFilter& filter)
{
    if (reportDateTime < static_cast<double>(filter.fromDay)) {
        return false;
    }
    return filter.thruDay == 0 || reportDateTime < static_cast<double>(filter.thruDay) + 1.0;
}

ListingRow ListingRowOf(const TDirectoryListingInfo& entry)
{
    ListingRow row;
    for (int i = 0; i < kListingValueFieldCount; ++i) {
        row.values[static_cast<std::size_t>(i)] = entry.Columns[static_cast<std::size_t>(i)];
    }
    row.file = entry.FileName;
    return row;
}

std::vector<ListingRow> ReadReportListRows(ApplicationContext& context, int typeIndex, const ReportDateFilter& filter)
{
    std::vector<ListingRow> rows;
    if (!RebuildDirectoryListing(context, typeIndex, false, true)) {
        return rows;
    }
    const QString listing = ListingFilePath(context, typeIndex);
    TDirectoryListingInfo entry;
    for (const std::string& line : ReadListingLines(listing)) {
        if (ParseDirectoryListingLine(line, entry) && PassesDateFilter(entry.ReportDateTime, filter)) {
            rows.push_back(ListingRowOf(entry));
        }
    }
    return rows;
}

void FillListingTable(ApplicationContext& context, int typeIndex, const ReportDateFilter& filter, ListingModel& model)
{
    if (!model.isTableOpen()) {
        return;
    }
    if (!model.clearRows() || !model.replaceRows(ReadReportListRows(context, typeIndex, filter))) {
        context.prompts().error(kListingTableWriteFailedMessage.arg(model.tableError()));
    }
}

QString DeleteReportQuestion(const QString& fileName)
{
    return QStringLiteral("Deleted report files cannot be recovered. Ready to permanantly delete the selected report "
                          "file [") +
           fileName + QStringLiteral("]?");
}

bool DeleteListedReport(ApplicationContext& context, int typeIndex, ListingModel& model, int row)
{
    if (row < 0 || row >= model.rowCount()) {
        return false;
    }
    const QString fileName = model.fileName(row);
    if (!context.prompts().confirm(DeleteReportQuestion(fileName))) {
        return false;
    }
    const BusyCursor busy(context.prompts());
    ArchiveLockHold hold(context);
    if (!hold.acquire(kDeleteLockSeconds)) {
        context.prompts().error(kDeleteLockFailedMessage);
        return false;
    }
    // The name came from the listing; on this file system its letters may differ in case from the file's. A name
    // that is no plain file name (a listing file edited by hand) never reaches outside the archive subfolder.
    const bool plainName = !fileName.isEmpty() && !fileName.contains(QLatin1Char('/')) &&
                           !fileName.contains(QLatin1Char('\\')) && fileName != QLatin1String(".") &&
                           fileName != QLatin1String("..");
    if (plainName) {
        platform::RemoveFile(ToNativePath(ResolveNoCase(ArchiveSubfolder(context, typeIndex) + fileName)));
    }
    const bool removed = model.removeReportRow(row);
    if (!removed) {
        context.prompts().error(kListingTableWriteFailedMessage.arg(model.tableError()));
    }
    return removed;
}

} // namespace talmere
