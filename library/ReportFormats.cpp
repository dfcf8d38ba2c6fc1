#include "library/ReportFormats.h"

#include "common/ReportLibraryInterface.h"
#include "library/ColumnTable.h"
#include "library/TextReport.h"
#include "library/clearinghouse/AvailityDpr.h"
#include "library/clearinghouse/AvailityEbr.h"
#include "library/clearinghouse/AvailityIbr.h"
#include "library/payers/AlabamaMedicaidBrf.h"
#include "library/payers/BcbsmnReport.h"
#include "library/payers/BcbstxReport.h"
#include "library/x12/X12Handlers.h"

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

// First match wins. "0" and "81" answers are given without touching any file.
constexpr std::array<ReportFormatEntry, 15> kReportFormats{{
    {"TEXT", kTypeText, CreateTextListing, CopyTextReport, AnswerNoCustomMatch, AnswerSuccess},
    {"COPY", kTypeCopy, AnswerSuccess, AnswerSuccess, x12ident::MatchX12Content, AnswerSuccess},
    {"MOVE", kTypeMove, AnswerSuccess, AnswerSuccess, x12ident::MatchX12Content, AnswerSuccess},
    {"DELETE", kTypeDelete, AnswerSuccess, AnswerSuccess, x12ident::MatchX12Content, AnswerSuccess},
    {"AVAILITY_IBR", kTypeAvailityIbr, CreateIbrListing, GenerateIbrReport, AnswerNoCustomMatch, AnswerSuccess},
    {"AVAILITY_EBR", kTypeAvailityEbr, CreateEbrListing, GenerateEbrReport, AnswerNoCustomMatch, AnswerSuccess},
    {"AVAILITY_DPR", kTypeAvailityDpr, CreateDprListing, GenerateDprReport, AnswerNoCustomMatch, AnswerSuccess},
    {"ANSI_864", kTypeAnsi864, ansi864::CreateTextMessageListing, ansi864::GenerateTextMessageReport,
     AnswerNoCustomMatch, AnswerSuccess},
    {"ANSI_997", kTypeAnsi99x, ansi99x::CreateAcknowledgmentListing, ansi99x::GenerateAcknowledgmentReport,
     ansi99x::MatchAcknowledgmentClaimType, AnswerSuccess},
    {"ANSI_999", kTypeAnsi99x, ansi99x::CreateAcknowledgmentListing, ansi99x::GenerateAcknowledgmentReport,
     ansi99x::MatchAcknowledgmentClaimType, AnswerSuccess},
    {"ANSI_99X", kTypeAnsi99x, ansi99x::CreateAcknowledgmentListing, ansi99x::GenerateAcknowledgmentReport,
     ansi99x::MatchAcknowledgmentClaimType, AnswerSuccess},
    {"BCBSMN_TEXT", kTypeBcbsmnText, CreateBcbsmnListing, GenerateBcbsmnReport, MatchBcbsmnName, StampReceivedName},
    {"BCBSMN_2_TEXT", kTypeBcbsmn2Text, CreateBcbsmn2Listing, CopyTextReport, AnswerNoCustomMatch, AnswerSuccess},
    {"BCBSTX_TEXT", kTypeBcbstxText, CreateBcbstxListing, GenerateBcbstxReport, AnswerNoCustomMatch, AnswerSuccess},
    {"ALABAMA_MEDICAID_BRF", kTypeAlabamaMedicaidBrf, CreateBrfListing, GenerateBrfReport, AnswerNoCustomMatch,
     AnswerSuccess},
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
