#include "BcbstxReport.h"

#include "CarriageControlReport.h"
#include "TextReport.h"

namespace talmere {

int CreateBcbstxListing(const ReportRequest& request)
{
    return CreateTextListing(request);
}

int GenerateBcbstxReport(const ReportRequest& request)
{
    return GenerateCarriageControlReport(request, CarriageControl::NewPageOnly);
}

} // namespace talmere
