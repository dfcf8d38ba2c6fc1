// The six functions the report manager calls, as library/include/talmrdll.h declares them (with the
// visibility and calling convention it gives them). Each request export finds the descriptor of the record's
// format name, takes the per-call settings from the record and hands over to the descriptor's handler. Nothing
// is thrown across this boundary: whatever leaves a handler becomes status 1.

#include "common/ReportLibraryInterface.h"
#include "library/FormatTable.h"
#include "library/frame/ColumnTable.h"
#include "library/frame/ReportRequest.h"
#include "library/frame/StatusMessages.h"
#include "library/include/talmrdll.h"

#include <utility>

using namespace talmere;

namespace {

template <typename Body>
std::int32_t RunRequest(const TReportViewerRequest* record, Body body) noexcept
{
    try {
        if (record == nullptr) {
            return kStatusUnexpectedException;
        }
        CallSettings settings = ReadCallSettings(*record);
        const ReportFormat* format = FindReportFormat(FieldText(record->ReportFormat));
        if (format == nullptr) {
            return kStatusTypeNotSupported;
        }
        const ReportRequest request(*record, std::move(settings), *format);
        return body(*format, request);
    } catch (...) {
        return kStatusUnexpectedException;
    }
}

std::int32_t RunHandler(const TReportViewerRequest* record, RequestHandler ReportFormat::*handler) noexcept
{
    return RunRequest(record, [handler](const ReportFormat& format, const ReportRequest& request) {
        const RequestHandler run = format.*handler;
        return run != nullptr ? run(request) : kStatusTypeNotSupported;
    });
}

void CopyColumns(int typeId, TReportViewerRequest& record)
{
    const ColumnRow& row = ColumnTableRow(typeId);
    for (int i = 0; i < kRequestColumnCount; ++i) {
        const ColumnDefinition& column = row[static_cast<std::size_t>(i)];
        TReportColumnDetail& detail = record.ColumnDetails[i];
        SetFieldText(detail.Caption, column.caption);
        SetFieldText(detail.TitleAlignment,
                     column.caption.empty() ? std::string_view{} : std::string_view(&column.titleAlignment, 1));
        SetFieldText(detail.DataAlignment,
                     column.caption.empty() ? std::string_view{} : std::string_view(&column.dataAlignment, 1));
        detail.Padding[0] = detail.Padding[1] = detail.Padding[2] = 0;
        detail.Width = column.width;
    }
}

} // namespace

std::int32_t TALMR_CALL RetrieveListColumnDetails(TReportViewerRequest* record)
{
    return RunRequest(record, [record](const ReportFormat& format, const ReportRequest&) {
        CopyColumns(format.typeId, *record);
        return static_cast<int>(kStatusSuccess);
    });
}

std::int32_t TALMR_CALL CreateDirectoryListingFile(TReportViewerRequest* record)
{
    return RunHandler(record, &ReportFormat::listing);
}

std::int32_t TALMR_CALL GenerateReportFile(TReportViewerRequest* record)
{
    return RunHandler(record, &ReportFormat::report);
}

std::int32_t TALMR_CALL PerformCustomMatchTest(TReportViewerRequest* record)
{
    return RunHandler(record, &ReportFormat::customMatch);
}

std::int32_t TALMR_CALL PerformReportPreArchiveTasks(TReportViewerRequest* record)
{
    return RunHandler(record, &ReportFormat::preArchive);
}

const char* TALMR_CALL GetReportViewerStatusMessage(std::int32_t code)
{
    return StatusMessage(code);
}
