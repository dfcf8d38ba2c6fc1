#pragma once

#include "common/ReportViewerRequest.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace talmere {

struct ReportFormat;

// The values every request export takes from the record (and TALMERE.INI) before it looks at anything else.
struct CallSettings {
    std::string iniFolder;    // InstallDirectory, where TALMERE.INI lives
    int pivotYear = 65;       // two-digit years above it are 19yy
    std::string intermediary; // [General] Intermediary of TALMERE.INI, as read
};

// Reads the per-call settings of a request. TALMERE.INI is read again on every call unless it is the very file
// read last time, unchanged since (same identity, size and times, and not written in the moments before).
CallSettings ReadCallSettings(const TReportViewerRequest& record);

// One request as a handler sees it: the caller's record, the settings of this call and the format that the
// record names.
class ReportRequest {
public:
    ReportRequest(const TReportViewerRequest& record, CallSettings settings, const ReportFormat& format)
        : m_record(record), m_settings(std::move(settings)), m_format(format)
    {
    }

    const TReportViewerRequest& record() const { return m_record; }
    const CallSettings& settings() const { return m_settings; }
    const ReportFormat& format() const { return m_format; }

    std::string_view reportFormat() const { return FieldText(m_record.ReportFormat); }
    std::string_view reportDesc() const { return FieldText(m_record.ReportDesc); }
    std::string_view archivePrefix() const { return FieldText(m_record.ArchivePrefix); }
    std::string_view pointSize() const { return FieldText(m_record.PointSize); }
    std::string_view orientation() const { return FieldText(m_record.Orientation); }
    std::string_view reportPathText() const { return FieldText(m_record.ReportPath); }
    std::filesystem::path reportPath() const { return std::filesystem::path(reportPathText()); }
    std::filesystem::path outputPath() const { return std::filesystem::path(FieldText(m_record.OutputPath)); }
    // Param1 to Param10 and the ten filter values, numbered from 1 as in the configuration.
    std::string_view param(int number) const;
    std::string_view filterValue(int number) const;

    // A report path ending in the folder separator names an archive folder.
    bool namesFolder() const;

private:
    const TReportViewerRequest& m_record;
    CallSettings m_settings;
    const ReportFormat& m_format;
};

} // namespace talmere
