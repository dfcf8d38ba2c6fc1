#pragma once

// The report list of the main window: the rows of the selected type's listing, narrowed by the date filter, in
// the listing table; and deleting the report of a row.

#include "catalogue/DirectoryListing.h"
#include "catalogue/ListingTable.h"
#include "core/ApplicationContext.h"

#include <vector>

namespace talmere {

class ListingModel;

// The advanced filter: the first and last day shown, as day numbers (days since 30 December 1899); 0 is no
// bound.
struct ReportDateFilter {
    long fromDay = 0;
    long thruDay = 0;

    bool active() const { return fromDay != 0 || thruDay != 0; }
    friend bool operator==(const ReportDateFilter&, const ReportDateFilter&) = default;
};

// A report dated at the date-time is shown when it lies on or after the first day and, with a last day, before
// the day after it: the whole last day is included.
bool PassesDateFilter(double reportDateTime, const ReportDateFilter& filter);

// The row of the listing table for one listing line: its twelve column values and its file name.
ListingRow ListingRowOf(const TDirectoryListingInfo& entry);

// The rows of a type's list: its listing brought up to date (when stale; failures are shown to the user), then
// each line that parses and passes the filter, in the listing's order. No rows when the listing could not be had.
std::vector<ListingRow> ReadReportListRows(ApplicationContext& context, int typeIndex, const ReportDateFilter& filter);

// What the user is told when the listing table cannot be written (the private folder's disk is full).
inline const QString kListingTableWriteFailedMessage = QStringLiteral("Unable to update the report list [%1].");

// Refills the list with the type's rows.
void FillListingTable(ApplicationContext& context, int typeIndex, const ReportDateFilter& filter, ListingModel& model);

inline const QString kDeleteLockFailedMessage =
    QStringLiteral("Unable to obtain exclusive access to the report archive. Contact your system administrator if "
                   "this problem persists. The archived report file has not been deleted.");

// The question asked before a report file is deleted.
QString DeleteReportQuestion(const QString& fileName);

// Deletes the archived report of a row, once the user has confirmed, under the archive lock, and takes the row
// out of the list (also when the file was already gone). The listing file is left alone: the next check finds
// the file missing and rebuilds it. True when the row went.
bool DeleteListedReport(ApplicationContext& context, int typeIndex, ListingModel& model, int row);

} // namespace talmere
