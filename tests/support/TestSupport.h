#pragma once

#include "client/ReportLibraryClient.h"
#include "common/DayDate.h"
#include "common/ReportViewerRequest.h"

#include <filesystem>
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

// Sets TZ for the life of the object, so local times are the same on every machine.
class TimeZone {
public:
    explicit TimeZone(const char* zone);
    ~TimeZone();

private:
    std::string m_previous;
    bool m_hadPrevious = false;
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

} // namespace talmere::test
