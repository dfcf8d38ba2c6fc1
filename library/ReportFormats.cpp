#include "ReportFormats.h"

#include "ReportLibraryInterface.h"
#include "ReportTypes.h"
#include "TextReport.h"
#include "clearinghouse/AvailityIbr.h"

#include <array>

namespace talmere {

int AnswerSuccess(const ReportRequest&)
{
    return kStatusSuccess;
}

int AnswerNoCustomMatch(const ReportRequest&)
{
    return kStatusNoCustomMatch;
}

namespace {

// First match wins. A handler left empty answers "Report type not supported." for that export: the format's
// name and columns are known before its reader is.
constexpr std::array<ReportFormatEntry, 15> kReportFormats{{
    {"TEXT", kTypeText, CreateTextListing, CopyTextReport, AnswerNoCustomMatch, AnswerSuccess},
    {"COPY", kTypeCopy, AnswerSuccess, AnswerSuccess, nullptr, AnswerSuccess},
    {"MOVE", kTypeMove, AnswerSuccess, AnswerSuccess, nullptr, AnswerSuccess},
    {"DELETE", kTypeDelete, AnswerSuccess, AnswerSuccess, nullptr, AnswerSuccess},
    {"AVAILITY_IBR", kTypeAvailityIbr, CreateIbrListing, GenerateIbrReport, AnswerNoCustomMatch, AnswerSuccess},
    {"AVAILITY_EBR", kTypeAvailityEbr, nullptr, nullptr, AnswerNoCustomMatch, AnswerSuccess},
    {"AVAILITY_DPR", kTypeAvailityDpr, nullptr, nullptr, AnswerNoCustomMatch, AnswerSuccess},
    {"ANSI_864", kTypeAnsi864, nullptr, nullptr, AnswerNoCustomMatch, AnswerSuccess},
    {"ANSI_997", kTypeAnsi99x, nullptr, nullptr, nullptr, AnswerSuccess},
    {"ANSI_999", kTypeAnsi99x, nullptr, nullptr, nullptr, AnswerSuccess},
    {"ANSI_99X", kTypeAnsi99x, nullptr, nullptr, nullptr, AnswerSuccess},
    {"BCBSMN_TEXT", kTypeBcbsmnText, nullptr, nullptr, nullptr, nullptr},
    {"BCBSMN_2_TEXT", kTypeBcbsmn2Text, nullptr, CopyTextReport, AnswerNoCustomMatch, AnswerSuccess},
    {"BCBSTX_TEXT", kTypeBcbstxText, nullptr, nullptr, AnswerNoCustomMatch, AnswerSuccess},
    {"ALABAMA_MEDICAID_BRF", kTypeAlabamaMedicaidBrf, nullptr, nullptr, AnswerNoCustomMatch, AnswerSuccess},
}};

} // namespace

const ReportFormatEntry* FindReportFormat(std::string_view name)
{
    for (const ReportFormatEntry& entry : kReportFormats) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace talmere
