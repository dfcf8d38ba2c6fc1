#include "library/text/TextFormat.h"

#include "library/frame/ColumnTable.h"
#include "library/frame/TextFileReports.h"

namespace talmere {

// A copy that fails answers 5.
constinit const ReportFormat kTextFormat{"TEXT",
                                         kTypeText,
                                         CreateTextListing,
                                         CopyTextReport,
                                         AnswerNoCustomMatch,
                                         AnswerSuccess,
                                         OutputFailure::AnswerStatus};

} // namespace talmere
