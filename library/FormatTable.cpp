#include "library/FormatTable.h"

#include "library/clearinghouse/AvailityDpr.h"
#include "library/clearinghouse/AvailityEbr.h"
#include "library/clearinghouse/AvailityIbr.h"
#include "library/payers/AlabamaMedicaidBrf.h"
#include "library/payers/BcbsmnReport.h"
#include "library/payers/BcbstxReport.h"
#include "library/text/TextFormat.h"
#include "library/x12/AcknowledgmentReport.h"
#include "library/x12/ContentIdentification.h"
#include "library/x12/TextMessageReport.h"

#include <array>

namespace talmere {

namespace {

// The descriptor each format's module exports; the first name that matches wins.
constexpr std::array<const ReportFormat*, 15> kReportFormats{{
    &kTextFormat,
    &x12ident::kCopyFormat,
    &x12ident::kMoveFormat,
    &x12ident::kDeleteFormat,
    &kAvailityIbrFormat,
    &kAvailityEbrFormat,
    &kAvailityDprFormat,
    &ansi864::kAnsi864Format,
    &ansi99x::kAnsi997Format,
    &ansi99x::kAnsi999Format,
    &ansi99x::kAnsi99xFormat,
    &kBcbsmnTextFormat,
    &kBcbsmn2TextFormat,
    &kBcbstxTextFormat,
    &kAlabamaMedicaidBrfFormat,
}};

} // namespace

const ReportFormat* FindReportFormat(std::string_view name)
{
    for (const ReportFormat* format : kReportFormats) {
        if (format->name == name) {
            return format;
        }
    }
    return nullptr;
}

} // namespace talmere
