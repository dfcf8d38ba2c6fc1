#include "catalogue/DirectoryListing.h"

#include "client/ReportRequests.h"
#include "common/DayDate.h"
#include "common/TextUtil.h"
#include "config/ReportConfiguration.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "core/UserAccess.h"
#include "platform/FileTransfer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <unordered_map>

namespace talmere {

namespace {

// Characters first to first + count - 1 (1-based) of a field, as far as it has them.
std::string_view Part(std::string_view field, std::size_t first, std::size_t count)
{
    if (first - 1 >= field.size()) {
        return {};
    }
    return field.substr(first - 1, count);
}

// A part of a date or time: decimal digits only, at most 65535.
std::optional<int> DatePart(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value <= 65535 ? std::optional<int>(value) : std::nullopt;
}

// Cuts the text off at the first "|": false when there is none.
bool TakeField(std::string_view& rest, std::string_view& field)
{
    const std::size_t bar = rest.find('|');
    if (bar == std::string_view::npos) {
        return false;
    }
    field = rest.substr(0, bar);
    rest.remove_prefix(bar + 1);
    return true;
}

void RemoveListing(const QString& path)
{
    platform::RemoveFile(ToNativePath(path));
}

// The new listing is written under the listing's name and this ending (QTemporaryFile fills in the Xs).
const QString kListingTemporarySuffix = QStringLiteral(".new-XXXXXX");
// A temporary listing this old was left by a rebuild that was killed; no rebuild runs that long.
constexpr qint64 kStaleTemporarySeconds = 3600;

// Removes the temporary listings of this listing that a killed rebuild left behind, and nothing else: the
// listing's own name, the ending, six characters, and old enough.
void RemoveStaleListingTemporaries(const QString& listing)
{
    // File times are the real clock's, whatever the program's clock says.
    const QDateTime now = QDateTime::currentDateTime();
    const QFileInfo listingInfo(listing);
    const QString prefix = listingInfo.fileName() + kListingTemporarySuffix.left(kListingTemporarySuffix.size() - 6);
    const QDir folder = listingInfo.dir();
    for (const QFileInfo& entry :
         folder.entryInfoList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden)) {
        // The prefix may hold wildcard characters of its own: the name must begin with it exactly.
        if (entry.fileName().size() == prefix.size() + 6 && entry.fileName().startsWith(prefix) &&
            entry.lastModified().secsTo(now) > kStaleTemporarySeconds) {
            RemoveListing(entry.filePath());
        }
    }
}

// The parse, also handing out the file name as the bytes it was written in.
bool ParseLine(std::string_view line, TDirectoryListingInfo& info, std::string_view& rawName);

} // namespace

bool ParseDirectoryListingLine(std::string_view line, TDirectoryListingInfo& info)
{
    std::string_view name;
    return ParseLine(line, info, name);
}

namespace {

// The fixed part of a listing line: its date and time and the file name. False for a line that has no valid
// date and time or no name field; rest is then left at the column part.
bool ParseHead(std::string_view& rest, DateTimeParts& when, std::string_view& name)
{
    rest = TrimBlanks(rest);
    std::string_view date;
    std::string_view time;
    if (!TakeField(rest, date)) {
        return false;
    }
    const std::optional<int> year = DatePart(Part(date, 1, 4));
    const std::optional<int> month = DatePart(Part(date, 5, 2));
    const std::optional<int> day = DatePart(Part(date, 7, 2));
    if (!year || !month || !day || !IsValidDate(*year, *month, *day)) {
        return false;
    }
    if (!TakeField(rest, time)) {
        return false;
    }
    const std::optional<int> hour = DatePart(Part(time, 1, 2));
    const std::optional<int> minute = DatePart(Part(time, 3, 2));
    if (!hour || !minute || *hour > 23 || *minute > 59) {
        return false;
    }
    when = DateTimeParts{*year, *month, *day, *hour, *minute, 0, 0};
    // Without a third "|" the line has no column part at all.
    return TakeField(rest, name);
}

// The name a valid listing line gives, without the columns the report list shows.
bool ParseLineName(std::string_view line, std::string_view& name)
{
    DateTimeParts when;
    return ParseHead(line, when, name);
}

bool ParseLine(std::string_view line, TDirectoryListingInfo& info, std::string_view& name)
{
    for (QString& column : info.Columns) {
        column.clear();
    }
    std::string_view rest = line;
    DateTimeParts when;
    if (!ParseHead(rest, when, name)) {
        return false;
    }
    for (int i = 0; i < kListColumnCount; ++i) {
        std::string_view column;
        if (!TakeField(rest, column)) {
            info.Columns[i] = FromAnsi(rest);
            break;
        }
        info.Columns[i] = FromAnsi(column);
    }
    info.ReportDateTime = EncodeDateTime(when);
    info.FileName = FromNativePath(name);
    return true;
}

} // namespace

std::vector<std::string> ReadListingLines(const QString& path)
{
    std::vector<std::string> lines;
    std::ifstream in(ToNativePath(path), std::ios::binary);
    if (!in) {
        return lines;
    }
    // Read in large blocks, not character by character: a listing of tens of thousands of reports is read at
    // each run and each refresh.
    std::string text;
    char block[65536];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        text.append(block, static_cast<std::size_t>(in.gcount()));
    }
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

namespace {

// Whether the folder's files are the counted names, each as often as counted (upper-cased names; `total` is the
// sum of the counts). A copy in progress, or one a killed run left, is no report and does not count.
bool HoldsExactly(const QString& folder, std::unordered_map<std::string, int> counted, std::size_t total)
{
    for (const std::string& name : platform::ListFileNames(ToNativePath(folder))) {
        if (platform::IsProgramTemporaryName(name)) {
            continue;
        }
        const auto found = counted.find(AsciiUpper(name));
        if (found == counted.end() || found->second == 0) {
            return false;
        }
        --found->second;
        --total;
    }
    return total == 0;
}

} // namespace

bool IsDirectoryListingStale(const QString& listingFile, const QString& folder)
{
    // How often each upper-cased name is listed.
    std::unordered_map<std::string, int> listed;
    std::size_t remaining = 0;
    if (FileExists(listingFile)) {
        std::string_view name;
        for (const std::string& line : ReadListingLines(listingFile)) {
            if (TrimBlanks(std::string_view(line)).empty()) {
                continue;
            }
            if (!ParseLineName(line, name)) {
                return true;
            }
            ++listed[AsciiUpper(name)];
            ++remaining;
        }
    }
    return !HoldsExactly(folder, std::move(listed), remaining);
}

bool RebuildDirectoryListing(ApplicationContext& context, int typeIndex, bool force, bool showMessages)
{
    try {
        const QString folder = ArchiveSubfolder(context, typeIndex);
        if (folder.isEmpty() || !FolderExists(folder) || !FolderExists(context.folders.PrivateDirectory)) {
            return true;
        }
        const QString listing = ListingFilePath(context, typeIndex);
        ArchiveLockHold lock(context);
        if (!lock.acquire(10)) {
            if (showMessages) {
                context.prompts().error(kRebuildLockFailedMessage);
            }
            RemoveListing(listing);
            return false;
        }
        if (!force && !IsDirectoryListingStale(listing, folder)) {
            return true;
        }
        RemoveStaleListingTemporaries(listing);
        // The library writes the new listing to a temporary file beside the old one, which takes the listing's
        // name only once the library has succeeded: a rebuild killed or failing midway leaves the old listing.
        QString temporary;
        {
            QTemporaryFile reserved(listing + kListingTemporarySuffix);
            reserved.setAutoRemove(false);
            if (reserved.open()) {
                temporary = reserved.fileName();
            }
        }
        TReportViewerRequest request;
        ReportLibraryCall call;
        if (temporary.isEmpty()) {
            call.binding = ReportLibraryCall::Binding::Called;
            call.status = kStatusCannotCreateOutput;
            call.message = "The listing file cannot be written.";
        } else if (BuildTypeRequest(context, typeIndex, RequestContent{true, true, true}, request) &&
                   SetRequestPath(request.ReportPath, folder) && SetRequestPath(request.OutputPath, temporary)) {
            call = CallLibrary(context, kCreateDirectoryListingFile, request, showMessages);
        } else {
            // A folder too long for the request: the library would be handed a cut path.
            call.binding = ReportLibraryCall::Binding::Called;
            call.status = kStatusFolderMissing;
            call.message = "Report directory does not exist.";
        }
        if (call.called() && call.status == kStatusSuccess &&
            !platform::MoveFile(ToNativePath(temporary), ToNativePath(listing), true)) {
            call.status = kStatusCannotCreateOutput;
            call.message = "The listing file cannot be written.";
        }
        if (!temporary.isEmpty() && (!call.called() || call.status != kStatusSuccess)) {
            RemoveListing(temporary);
        }
        if (!call.called() || call.status != kStatusSuccess) {
            if (showMessages) {
                context.prompts().error(QStringLiteral("Unable to rebuild report directory listing [") +
                                        CallFailureText(call) + QStringLiteral("]."));
            }
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

namespace {

// The merge of AddToDirectoryListing; false, with the listing as it was, when the listing must be rebuilt.
bool MergeIntoListing(ApplicationContext& context, int typeIndex, const QStringList& addedNames)
{
    const QString folder = ArchiveSubfolder(context, typeIndex);
    if (folder.isEmpty() || !FolderExists(folder) || !FolderExists(context.folders.PrivateDirectory)) {
        return false;
    }
    const QString listing = ListingFilePath(context, typeIndex);
    ArchiveLockHold lock(context);
    if (!lock.acquire(10) || !FileExists(listing)) {
        return false;
    }
    // The folder must hold exactly the listed names and the added ones, as the staleness check counts them.
    std::vector<std::string> lines = ReadListingLines(listing);
    std::unordered_map<std::string, int> expected;
    std::size_t remaining = 0;
    std::string_view name;
    for (const std::string& line : lines) {
        if (!ParseLineName(line, name)) {
            return false;
        }
        ++expected[AsciiUpper(name)];
        ++remaining;
    }
    for (const QString& added : addedNames) {
        ++expected[AsciiUpper(ToNativePath(added))];
        ++remaining;
    }
    if (!HoldsExactly(folder, std::move(expected), remaining)) {
        return false;
    }

    // Each added file listed on its own, into a temporary file beside the listing that then takes its place.
    QString temporary;
    {
        QTemporaryFile reserved(listing + kListingTemporarySuffix);
        reserved.setAutoRemove(false);
        if (!reserved.open()) {
            return false;
        }
        temporary = reserved.fileName();
    }
    const auto giveUp = [&temporary] {
        RemoveListing(temporary);
        return false;
    };
    // One request for the type, built once; each file is named in a copy of it.
    TReportViewerRequest typeRequest;
    if (!BuildTypeRequest(context, typeIndex, RequestContent{true, true, true}, typeRequest) ||
        !SetRequestPath(typeRequest.OutputPath, temporary)) {
        return giveUp();
    }
    for (const QString& added : addedNames) {
        TReportViewerRequest request = typeRequest;
        if (!SetRequestPath(request.ReportPath, folder + added)) {
            return giveUp();
        }
        const ReportLibraryCall call = CallLibrary(context, kCreateDirectoryListingFile, request, false);
        if (!call.called() || call.status != kStatusSuccess) {
            return giveUp();
        }
        std::vector<std::string> own = ReadListingLines(temporary);
        if (own.size() != 1 || !ParseLineName(own.front(), name) ||
            AsciiUpper(name) != AsciiUpper(ToNativePath(added))) {
            return giveUp();
        }
        lines.push_back(std::move(own.front()));
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    {
        std::ofstream out(ToNativePath(temporary), std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines) {
            out << line << "\r\n";
        }
        out.close();
        if (!out) {
            return giveUp();
        }
    }
    if (!platform::MoveFile(ToNativePath(temporary), ToNativePath(listing), true)) {
        return giveUp();
    }
    return true;
}

} // namespace

bool AddToDirectoryListing(ApplicationContext& context, int typeIndex, const QStringList& addedNames)
{
    try {
        if (!addedNames.isEmpty() && MergeIntoListing(context, typeIndex, addedNames)) {
            return true;
        }
    } catch (...) {
        // A merge that failed on the way leaves the listing as it was: the rebuild below writes it whole.
    }
    return RebuildDirectoryListing(context, typeIndex, true, false);
}

} // namespace talmere
