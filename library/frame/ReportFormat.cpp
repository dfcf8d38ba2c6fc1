#include "library/frame/ReportFormat.h"

#include "common/ReportLibraryInterface.h"

namespace talmere {

int AnswerSuccess(const ReportRequest&)
{
    return kStatusSuccess;
}

int AnswerNoCustomMatch(const ReportRequest&)
{
    return kStatusNoCustomMatch;
}

int CreateReportOutput(ReportOutputFile& out, const ReportRequest& request)
{
    return out.create(request.outputPath()) ? kStatusSuccess : ReportOutputNotCreated(request);
}

int ReportOutputNotCreated(const ReportRequest& request)
{
    if (request.format().reportOutputFailure == OutputFailure::LeaveExport) {
        throw ReportOutputError("cannot create the report file " + request.outputPath().string());
    }
    return kStatusCannotCreateOutput;
}

} // namespace talmere
