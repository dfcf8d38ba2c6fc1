#pragma once

// The request path check and the directory listing driver that every format's listing runs through, with its
// sorted line list and the layout of a listing line.

#include "common/DayDate.h"
#include "library/frame/ReportFiles.h"
#include "library/frame/ReportRequest.h"

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace talmere {

// The report file a request names, resolved in its folder without regard to case.
std::filesystem::path ResolveReportFile(const ReportRequest& request);

// The common pre-check of listing handlers: removes an old output file, then answers 4 for a missing
// archive folder, 3 for a missing report file, 0 otherwise.
int CheckRequestPaths(const ReportRequest& request);
// The same, giving the report file it found (its name resolved without regard to case) when the request names
// a file.
int CheckRequestPaths(const ReportRequest& request, std::filesystem::path& file);

// The lines of a directory listing file, kept in ascending order without regard to case; equal lines are
// all kept. Saving writes every line followed by CR LF (an empty list gives an empty file).
class ListingLines {
public:
    void add(std::string line) { m_lines.push_back(std::move(line)); }
    std::size_t size() const { return m_lines.size(); }
    // The lines in listing order.
    std::vector<std::string> sorted() const;
    // Raises ReportOutputError when the file cannot be written.
    void save(const std::filesystem::path& outputPath) const;

private:
    std::vector<std::string> m_lines;
};

// Joins listing fields with "|", as the program reads them back.
std::string JoinListingFields(std::initializer_list<std::string_view> fields);

// How a listing line shows the time of its file.
enum class ListingTime {
    HoursMinutes, // "hh:mm"
    WithSeconds,  // "hh:mm:ss"
};

// The usual listing line of a file: the sort date and time, the name in capitals, the display date and time,
// the format's own fields, and the name in capitals again.
std::string ListingLine(const DateTimeParts& time, ListingTime shown, std::string_view name,
                        std::initializer_list<std::string_view> fields);

// A type's listing line builder: turns the named files of one folder into listing lines, saves them to the
// request's output path and answers the first non-zero status of a file it could not list (0 when all were
// listed).
using ListingBuilder = std::function<int(const std::filesystem::path& folder, const std::vector<std::string>& names,
                                         const ReportRequest& request)>;

// The usual shape of a builder: one line per file that is valid for the type. Answers 0 with the line, or the
// status that says why the file cannot be listed.
using ListingLineBuilder = std::function<int(const std::filesystem::path& file, std::string_view name,
                                             const ReportRequest& request, std::string& line)>;

// Implements the builder contract over a one-line-per-file builder.
int BuildListingLines(const std::filesystem::path& folder, const std::vector<std::string>& names,
                      const ReportRequest& request, const ListingLineBuilder& buildLine);

// The directory listing driver: runs the path check, then lists an archive folder (every entry whose name
// begins with the archive prefix; always status 0) or the one file of the request (the builder's status).
int WriteDirectoryListing(const ReportRequest& request, const ListingBuilder& buildLines);
int WriteDirectoryListing(const ReportRequest& request, const ListingLineBuilder& buildLine);

} // namespace talmere
