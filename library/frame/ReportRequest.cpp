#include "library/frame/ReportRequest.h"

#include "common/IniFile.h"
#include "common/PathNoCase.h"
#include "library/frame/OperatingSystem.h"

#include <mutex>

namespace talmere {

namespace {

// The last Intermediary read, with the stamp of the file it came from. An archive run asks for it several
// times for every staged file; a file whose stamp is unchanged need not be opened and read again.
struct IntermediaryMemo {
    std::mutex lock;
    std::filesystem::path file;
    FileStamp stamp;
    std::string value;
    bool valid = false;
};

IntermediaryMemo& Memo()
{
    static IntermediaryMemo memo;
    return memo;
}

// A file written this close to the moment it was read may be written again within the same tick of the file
// system's clock with the same size, leaving its stamp as it was: such a reading is not kept.
constexpr std::int64_t kSettledNs = 2'000'000'000;

std::string ReadIntermediary(const std::filesystem::path& named)
{
    const std::optional<FileStamp> stamp = RegularFileStamp(named);
    IntermediaryMemo& memo = Memo();
    if (stamp) {
        const std::lock_guard<std::mutex> guard(memo.lock);
        if (memo.valid && memo.file == named && memo.stamp == *stamp) {
            return memo.value;
        }
    }
    const std::int64_t readAt = SystemClockNs();
    std::string value = ReadIniValue(ResolveNoCase(named), "General", "Intermediary");
    if (stamp) {
        const bool settled = stamp->modifiedNs < readAt - kSettledNs && stamp->changedNs < readAt - kSettledNs;
        const std::lock_guard<std::mutex> guard(memo.lock);
        memo.valid = settled;
        memo.file = named;
        memo.stamp = *stamp;
        memo.value = value;
    }
    return value;
}

} // namespace

CallSettings ReadCallSettings(const TReportViewerRequest& record)
{
    CallSettings settings;
    settings.iniFolder = std::string(FieldText(record.InstallDirectory));
    settings.pivotYear = record.CenturyDatePivotYear;
    // The folder and the file name are joined as they stand. An empty folder names no file here: the
    // unqualified name would otherwise be looked up wherever the caller happens to run.
    if (!settings.iniFolder.empty()) {
        settings.intermediary = ReadIntermediary(std::filesystem::path(settings.iniFolder + "TALMERE.INI"));
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
