#include "library/frame/ReportRequest.h"

#include "common/IniFile.h"
#include "common/PathNoCase.h"

namespace talmere {

CallSettings ReadCallSettings(const TReportViewerRequest& record)
{
    CallSettings settings;
    settings.iniFolder = std::string(FieldText(record.InstallDirectory));
    settings.pivotYear = record.CenturyDatePivotYear;
    // The folder and the file name are joined as they stand. An empty folder names no file here: the
    // unqualified name would otherwise be looked up wherever the caller happens to run.
    if (!settings.iniFolder.empty()) {
        const std::filesystem::path ini = ResolveNoCase(std::filesystem::path(settings.iniFolder + "TALMERE.INI"));
        settings.intermediary = ReadIniValue(ini, "General", "Intermediary");
    }
    return settings;
}

std::string_view ReportRequest::param(int number) const
{
    if (number < 1 || number > kRequestParamCount) {
        return {};
    }
    return FieldText(m_record.Params[number - 1]);
}

std::string_view ReportRequest::filterValue(int number) const
{
    if (number < 1 || number > kRequestFilterCount) {
        return {};
    }
    return FieldText(m_record.FilterValues[number - 1]);
}

bool ReportRequest::namesFolder() const
{
    const std::string_view path = reportPathText();
    return !path.empty() && path.back() == '/';
}

} // namespace talmere
