#pragma once

#include "client/ReportLibraryClient.h"
#include "common/DayDate.h"
#include "common/ReportViewerRequest.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace talmere::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }
    // The folder as the library expects a folder: ending in the separator.
    std::string folderText() const { return m_path.string() + "/"; }

private:
    std::filesystem::path m_path;
};

// Changes the current folder for the life of the object.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder);
    ~CurrentFolder();

private:
    std::filesystem::path m_previous;
};

// Sets an environment variable (or removes it, for a null value) for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// Sets TZ for the life of the object, so local times are the same on every machine.
class TimeZone {
public:
    explicit TimeZone(const char* zone);
    ~TimeZone();

private:
    // Reset before tzset in the destructor, so the local time goes back to the restored zone.
    std::optional<ScopedEnvironment> m_variable;
};

void WriteFile(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& path);
// Sets a file's modification time to a local date and time (under the current TZ).
void SetModificationTime(const std::filesystem::path& path, const DateTimeParts& local);

// A request as the program builds it: everything empty, the given format, the install folder set.
TReportViewerRequest MakeRequest(std::string_view format, const std::string& installDir = {});

// The built report format library, bound for one call as the program binds it (loaded, called, unloaded).
ReportLibraryCall CallBuiltLibrary(const char* exportName, TReportViewerRequest& request);

// The path of a file below tests/data.
std::filesystem::path TestData(std::string_view relative);

// The path of a file of the real samples kept beside the project (../shared/samples).
std::filesystem::path SharedSample(std::string_view relative);
// Whether the shared samples are there. A fresh clone without them skips their tests with the reason; a CI
// run (CI set) must have them, so there their absence is also a failure of the calling test.
bool SharedSamplesAvailable();

} // namespace talmere::test
