#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace talmere::test {

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "talmere-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

CurrentFolder::CurrentFolder(const std::filesystem::path& folder) : m_previous(std::filesystem::current_path())
{
    std::filesystem::current_path(folder);
}

CurrentFolder::~CurrentFolder()
{
    std::error_code error;
    std::filesystem::current_path(m_previous, error);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : m_name(name)
{
    if (const char* previous = std::getenv(name)) {
        m_previous = previous;
        m_hadPrevious = true;
    }
    value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
}

ScopedEnvironment::~ScopedEnvironment()
{
    m_hadPrevious ? ::setenv(m_name.c_str(), m_previous.c_str(), 1) : ::unsetenv(m_name.c_str());
}

TimeZone::TimeZone(const char* zone)
{
    m_variable.emplace("TZ", zone);
    ::tzset();
}

TimeZone::~TimeZone()
{
    m_variable.reset();
    ::tzset();
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void SetModificationTime(const std::filesystem::path& path, const DateTimeParts& local)
{
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&tm);
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        throw std::runtime_error("cannot set the time of " + path.string());
    }
}

TReportViewerRequest MakeRequest(std::string_view format, const std::string& installDir)
{
    TReportViewerRequest request;
    std::memset(&request, 0, sizeof request);
    SetFieldText(request.InstallDirectory, installDir);
    request.CenturyDatePivotYear = 65;
    SetFieldText(request.ReportFormat, format);
    SetFieldText(request.ReportContext, "BOTH");
    SetFieldText(request.PointSize, "10");
    SetFieldText(request.Orientation, "PORTRAIT");
    return request;
}

ReportLibraryCall CallBuiltLibrary(const char* exportName, TReportViewerRequest& request)
{
    return CallReportLibrary(exportName, request, true, {TALMRDLL_PATH});
}

std::filesystem::path TestData(std::string_view relative)
{
    return std::filesystem::path(TALMERE_TEST_DATA) / relative;
}

std::filesystem::path SharedSample(std::string_view relative)
{
    return std::filesystem::path(TALMERE_SHARED_SAMPLES) / relative;
}

bool SharedSamplesAvailable()
{
    if (std::filesystem::is_directory(SharedSample(""))) {
        return true;
    }
    const char* ci = std::getenv("CI");
    if (ci != nullptr && *ci != '\0') {
        ADD_FAILURE() << "no shared samples at " << SharedSample("") << ", and a CI run must have them";
    }
    return false;
}

} // namespace talmere::test
