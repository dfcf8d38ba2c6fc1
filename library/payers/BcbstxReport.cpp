#include "library/payers/BcbstxReport.h"

#include "library/frame/ColumnTable.h"
#include "library/frame/TextFileReports.h"
#include "library/payers/CarriageControlReport.h"

namespace talmere {

namespace {

int GenerateBcbstxReport(const ReportRequest& request)
{
    return GenerateCarriageControlReport(request, CarriageControl::NewPageOnly);
}

} // namespace

// Listed like a TEXT report; errors creating or writing the report file leave the export.
constinit const ReportFormat kBcbstxTextFormat{
    "BCBSTX_TEXT",       kTypeBcbstxText, CreateTextListing,         GenerateBcbstxReport,
    AnswerNoCustomMatch, AnswerSuccess,   OutputFailure::LeaveExport};

} // namespace talmere
