#include "library/payers/BcbstxReport.h"

#include "library/TextReport.h"
#include "library/payers/CarriageControlReport.h"

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
