#include "client/ReportRequests.h"

#include "common/DayDate.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/FileTransfer.h"

#include <cstring>

namespace talmere {

static_assert(kFilterFieldCount == kRequestFilterCount, "one request field per filter field");

namespace {

template <std::size_t Bytes>
void SetText(unsigned char (&field)[Bytes], const QString& text)
{
    SetFieldText(field, ToAnsi(text));
}

DateTimeParts PartsOf(const QDateTime& time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return DateTimeParts{date.year(),    date.month(),   date.day(),  clock.hour(),
                         clock.minute(), clock.second(), clock.msec()};
}

void RemoveIfPresent(const QString& path)
{
    platform::RemoveFile(ToNativePath(path));
}

} // namespace

bool SetRequestPath(RequestPathField& field, const QString& path)
{
    const std::string bytes = ToNativePath(path);
    if (bytes.size() > FieldCapacity(field)) {
        SetFieldText(field, {});
        return false;
    }
    SetFieldText(field, bytes);
    return true;
}

bool InitReportRequest(const ApplicationContext& context, TReportViewerRequest& request)
{
    std::memset(&request, 0, sizeof request);
    const ProductFolders& folders = context.folders;
    bool ok = SetRequestPath(request.DataDirectory, folders.DataDirectory);
    ok = SetRequestPath(request.ProgramDirectory, folders.ProgramDirectory) && ok;
    ok = SetRequestPath(request.ServerDirectory, folders.ServerDirectory) && ok;
    ok = SetRequestPath(request.InstallDirectory, folders.InstallDirectory) && ok;
    // No table engine serves the listing yet; the library does not read the handle.
    request.EngineHandle = 0;
    request.CenturyDatePivotYear = context.settings.CenturyDatePivotYear;
    request.RequestTime = 0;
    return ok;
}

bool BuildTypeRequest(const ApplicationContext& context, int typeIndex, const RequestContent& content,
                      TReportViewerRequest& request)
{
    if (!InitReportRequest(context, request)) {
        return false;
    }
    request.RequestTime = EncodeDateTime(PartsOf(context.clock()));
    const TReportConfigInfoRecord& type = context.reportTypes.at(typeIndex).info;
    SetText(request.ReportFormat, type.ReportFormat);
    SetText(request.ReportDesc, type.ReportDesc);
    SetText(request.ReportContext, type.ReportContext);
    if (content.archivePrefix) {
        SetText(request.ArchivePrefix, type.ArchivePrefix);
    }
    if (content.layout) {
        SetText(request.Font, type.Font);
        SetText(request.PointSize, type.PointSize);
        SetText(request.Orientation, type.Orientation);
    }
    if (content.params) {
        for (int i = 0; i < kParamCount; ++i) {
            SetText(request.Params[i], type.Param[i]);
        }
    }
    return true;
}

std::vector<std::string> ReportLibraryCandidates(const ApplicationContext& context)
{
    return context.reportLibraryCandidates.empty() ? DefaultReportLibraryCandidates() : context.reportLibraryCandidates;
}

ReportLibraryCall CallLibrary(const ApplicationContext& context, const char* exportName, TReportViewerRequest& request,
                              bool wantMessage)
{
    if (context.reportLibraryCandidates.empty()) {
        return CallReportLibrary(exportName, request, wantMessage);
    }
    return CallReportLibrary(exportName, request, wantMessage, context.reportLibraryCandidates);
}

QString CallFailureText(const ReportLibraryCall& call)
{
    switch (call.binding) {
    case ReportLibraryCall::Binding::LibraryNotFound:
        return kLibraryNotLoadedText;
    case ReportLibraryCall::Binding::ExportMissing:
        return kLibraryExportsMissingText;
    case ReportLibraryCall::Binding::Called:
        break;
    }
    return FromAnsi(call.message);
}

QString LoadListColumnDetails(ApplicationContext& context)
{
    QString error;
    for (int i = 0; i < static_cast<int>(context.reportTypes.size()); ++i) {
        ReportTypeEntry& type = context.reportTypes[i];
        if (IsActionFormat(type.info.ReportFormat)) {
            continue;
        }
        try {
            TReportViewerRequest request;
            if (!BuildTypeRequest(context, i, RequestContent{}, request)) {
                error = kLibraryFailedText;
                continue;
            }
            const ReportLibraryCall call = CallLibrary(context, kRetrieveListColumnDetails, request, true);
            if (!call.called()) {
                error = CallFailureText(call);
                continue;
            }
            if (call.status != kStatusSuccess) {
                error = FromAnsi(call.message) + QStringLiteral(" [Report Type = ") + type.name + QStringLiteral("].");
                continue;
            }
            const auto alignment = [](const unsigned char(&letter)[2]) {
                if (FieldText(letter) == "C") {
                    return kAlignCenter;
                }
                return FieldText(letter) == "R" ? kAlignRight : kAlignLeft;
            };
            for (int c = 0; c < kListColumnCount; ++c) {
                const TReportColumnDetail& detail = request.ColumnDetails[c];
                TReportHeaderColumnInfo column;
                column.Caption = FromAnsi(FieldText(detail.Caption));
                if (!column.Caption.isEmpty()) {
                    column.TitleAlignment = alignment(detail.TitleAlignment);
                    column.DataAlignment = alignment(detail.DataAlignment);
                    column.Width = detail.Width;
                }
                type.info.Columns[c] = column;
            }
        } catch (...) {
            error = kLibraryFailedText;
        }
    }
    return error;
}

QString ReportTextFilePath(const ApplicationContext& context)
{
    return context.folders.PrivateDirectory + kReportTextFileName;
}

QString ListingFilePath(const ApplicationContext& context, int typeIndex)
{
    return context.folders.PrivateDirectory + kListingFilePrefix +
           context.reportTypes.at(typeIndex).info.ArchivePrefix + QStringLiteral(".DIR");
}

std::optional<ReportLibraryCall> CallGenerateReportFile(const ApplicationContext& context, int typeIndex,
                                                        const QString& reportFile,
                                                        const ReportSelectionValues& selectionValues, bool wantMessage)
{
    return CallGenerateReportFile(context, typeIndex, reportFile, selectionValues, wantMessage,
                                  ReportTextFilePath(context));
}

std::optional<ReportLibraryCall> CallGenerateReportFile(const ApplicationContext& context, int typeIndex,
                                                        const QString& reportFile,
                                                        const ReportSelectionValues& selectionValues, bool wantMessage,
                                                        const QString& output)
{
    // Whatever the call leaves behind, an earlier report's text is never taken for this one's.
    RemoveIfPresent(output);
    TReportViewerRequest request;
    if (!BuildTypeRequest(context, typeIndex, RequestContent{true, true, true}, request) ||
        !SetRequestPath(request.ReportPath, reportFile) || !SetRequestPath(request.OutputPath, output)) {
        return std::nullopt;
    }
    for (int i = 0; i < kFilterFieldCount; ++i) {
        SetText(request.FilterValues[i], selectionValues[static_cast<std::size_t>(i)]);
    }
    return CallLibrary(context, kGenerateReportFile, request, wantMessage);
}

bool GenerateReportText(const ApplicationContext& context, int typeIndex, const QString& reportFile)
{
    try {
        if (!FileExists(reportFile) || !FolderExists(context.folders.PrivateDirectory)) {
            return false;
        }
        const std::optional<ReportLibraryCall> call =
            CallGenerateReportFile(context, typeIndex, reportFile, ReportSelectionValues{}, false);
        return call && call->status == kStatusSuccess;
    } catch (...) {
        return false;
    }
}

namespace {

int StagedFileCall(const ApplicationContext& context, const char* exportName, int typeIndex,
                   const QString& stagingFolder, const QString& fileName)
{
    TReportViewerRequest request;
    if (!BuildTypeRequest(context, typeIndex, RequestContent{true, false, true}, request) ||
        !SetRequestPath(request.ReportPath, WithFinalSeparator(stagingFolder) + fileName)) {
        return kStatusNotCalled;
    }
    return CallLibrary(context, exportName, request, false).status;
}

} // namespace

bool MatchesCustomTest(const ApplicationContext& context, int typeIndex, const QString& stagingFolder,
                       const QString& fileName)
{
    try {
        return StagedFileCall(context, kPerformCustomMatchTest, typeIndex, stagingFolder, fileName) ==
               kStatusCustomMatch;
    } catch (...) {
        return false;
    }
}

bool PerformPreArchiveTasks(const ApplicationContext& context, int typeIndex, const QString& stagingFolder,
                            const QString& fileName)
{
    try {
        return StagedFileCall(context, kPerformReportPreArchiveTasks, typeIndex, stagingFolder, fileName) ==
               kStatusSuccess;
    } catch (...) {
        return false;
    }
}

} // namespace talmere
