#include "library/frame/StatusMessages.h"

#include "common/ReportLibraryInterface.h"

namespace talmere {

namespace {

std::string& LastProcessErrorText()
{
    static std::string text;
    return text;
}

} // namespace

const char* StatusMessage(int code)
{
    switch (code) {
    case kStatusSuccess:
        return "Report viewer operation completed successfully.";
    case kStatusUnexpectedException:
        return "Unexpected exception processing report.";
    case kStatusTypeNotSupported:
        return "Report type not supported.";
    case kStatusFileMissing:
        return "Report file does not exist.";
    case kStatusFolderMissing:
        return "Report directory does not exist.";
    case kStatusCannotCreateOutput:
        return "Unable to create the temporary report file.";
    case kStatusInvalidFormat:
        return "Format is invalid for specified report type.";
    case kStatusInvalidRecord:
        return "Invalid record for specified report type.";
    case kStatusCustomMatch:
        return "This report meets the custom matching criteria.";
    case kStatusNoCustomMatch:
        return "This report does not meet the custom matching criteria.";
    case kStatusProcessError:
        return LastProcessErrorText().c_str();
    default:
        return "Unknown error processing report viewer command.";
    }
}

void SetLastProcessError(std::string text)
{
    LastProcessErrorText() = std::move(text);
}

const std::string& LastProcessError()
{
    return LastProcessErrorText();
}

int ReportProcessError(std::string text)
{
    SetLastProcessError(std::move(text));
    return kStatusProcessError;
}

} // namespace talmere
