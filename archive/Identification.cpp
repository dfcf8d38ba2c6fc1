#include "archive/Identification.h"

#include "archive/ArchiveLog.h"
#include "client/ReportRequests.h"
#include "common/TextUtil.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/FileTransfer.h"

#include <array>
#include <cstdint>
#include <vector>

namespace talmere {

namespace {

constexpr std::size_t kSearchBlockSize = 32768;

// Upper case of the Windows-1252 code page: the ASCII letters, the accented letters of 0xE0 to 0xFE (but
// the division sign), and the four letters whose capitals lie in 0x80 to 0x9F.
constexpr std::array<unsigned char, 256> MakeUpperTable()
{
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = static_cast<unsigned char>(c);
    }
    for (int c = 'a'; c <= 'z'; ++c) {
        table[c] = static_cast<unsigned char>(c - 32);
    }
    for (int c = 0xE0; c <= 0xFE; ++c) {
        if (c != 0xF7) {
            table[c] = static_cast<unsigned char>(c - 32);
        }
    }
    table[0x9A] = 0x8A;
    table[0x9C] = 0x8C;
    table[0x9E] = 0x8E;
    table[0xFF] = 0x9F;
    return table;
}

constexpr std::array<unsigned char, 256> kAnsiUpper = MakeUpperTable();

void UpperInPlace(char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<char>(kAnsiUpper[static_cast<unsigned char>(data[i])]);
    }
}

// A scratch file of this process, removed when it goes.
struct ScratchFile {
    explicit ScratchFile(std::string made) : path(std::move(made)) {}
    ~ScratchFile()
    {
        if (!path.empty()) {
            platform::RemoveFile(path);
        }
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    std::string path;
};

QString TrimRight(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).unicode() <= u' ') {
        --end;
    }
    return text.left(end);
}

} // namespace

qint64 FindTextInFile(const QString& file, const std::string& text, qint64 start, bool caseSensitive)
{
    if (text.empty() || start < 0) {
        return -1;
    }
    platform::RegularFileReader in(ToNativePath(file));
    if (!in.seek(start)) {
        return -1;
    }
    std::string needle = text;
    if (!caseSensitive) {
        UpperInPlace(needle.data(), needle.size());
    }
    // The window holds the end of the previous block (one byte less than the text) and the next block, so
    // that a match across the boundary is found.
    std::string window;
    window.reserve(kSearchBlockSize + needle.size());
    qint64 windowStart = start;
    std::vector<char> block(kSearchBlockSize);
    for (;;) {
        const std::int64_t read = in.read(block.data(), block.size());
        if (read <= 0) {
            break;
        }
        const std::size_t count = static_cast<std::size_t>(read);
        if (!caseSensitive) {
            UpperInPlace(block.data(), count);
        }
        window.append(block.data(), count);
        const std::size_t found = window.find(needle);
        if (found != std::string::npos) {
            return windowStart + static_cast<qint64>(found);
        }
        const std::size_t keep = std::min(window.size(), needle.size() - 1);
        windowStart += static_cast<qint64>(window.size() - keep);
        window.erase(0, window.size() - keep);
    }
    return -1;
}

bool MatchesSearchIdents(const TReportConfigInfoRecord& type, const QString& file)
{
    qint64 offset = 0;
    for (const QString& written : type.SearchIdent) {
        const QString ident = TrimRight(written);
        if (ident.isEmpty()) {
            break;
        }
        qint64 best = -1;
        qint64 bestLength = 0;
        for (const QString& piece : ident.split(QLatin1Char('|'))) {
            const std::string alternative = ToAnsi(TrimRight(piece));
            if (alternative.empty()) {
                continue;
            }
            const qint64 at = FindTextInFile(file, alternative, offset, false);
            if (at >= 0 && (best < 0 || at < best)) {
                best = at;
                bestLength = static_cast<qint64>(alternative.size());
            }
        }
        if (best < 0) {
            return false;
        }
        offset = best + bestLength;
    }
    return true;
}

bool MatchesTextFormat(const TReportConfigInfoRecord& type, const QString& file)
{
    if (type.ReportFormat != QLatin1String("TEXT")) {
        return true;
    }
    const QString rule = type.Param[0].toUpper();
    const bool asciiOnly = rule == QLatin1String("ASCII") || rule == QLatin1String("ASCII_ONLY");
    const bool nulAllowed = rule == QLatin1String("ASCII_PLUS_NULL");
    if (!asciiOnly && !nulAllowed) {
        return true;
    }
    platform::RegularFileReader in(ToNativePath(file));
    if (!in.isOpen()) {
        return true;
    }
    std::vector<char> block(kSearchBlockSize);
    for (;;) {
        const std::int64_t read = in.read(block.data(), block.size());
        if (read <= 0) {
            break;
        }
        const std::size_t count = static_cast<std::size_t>(read);
        for (std::size_t i = 0; i < count; ++i) {
            const auto c = static_cast<unsigned char>(block[i]);
            const bool allowed =
                (c >= 32 && c <= 127) || c == 9 || c == 10 || c == 12 || c == 13 || (c == 0 && nulAllowed);
            if (!allowed) {
                return false;
            }
        }
    }
    return true;
}

LibraryPath::LibraryPath(const ApplicationContext& context, const QString& stagedFile)
{
    const std::string bytes = ToNativePath(stagedFile);
    TReportViewerRequest request{};
    const bool fits = bytes.size() < sizeof request.ReportPath;
    if (fits && bytes.find_first_of("\r\n") == std::string::npos) {
        m_path = stagedFile;
        return;
    }
    const std::string link =
        platform::CreateScratchLink(ToNativePath(context.folders.PrivateDirectory), kLibraryLinkStem, {}, bytes);
    if (link.empty()) {
        m_failure = QStringLiteral("name not usable (") + LastFileFailureReason() +
                    QStringLiteral(" for a link in the private folder)");
        return;
    }
    m_path = FromNativePath(link);
    m_linked = true;
}

LibraryPath::~LibraryPath()
{
    if (m_linked) {
        platform::RemoveFile(ToNativePath(m_path));
    }
}

std::optional<TDirectoryListingInfo> CreateFileListingEntry(const ApplicationContext& context, int typeIndex,
                                                            const QString& stagedFile, QString* failure)
{
    const auto fail = [failure](const QString& reason) -> std::optional<TDirectoryListingInfo> {
        if (failure != nullptr) {
            *failure = reason;
        }
        return std::nullopt;
    };
    const auto libraryFailure = [](const ReportLibraryCall& call) {
        return QStringLiteral("report library: ") + CallFailureText(call);
    };
    try {
        if (!FileExists(stagedFile)) {
            return std::nullopt;
        }
        if (!FolderExists(context.folders.PrivateDirectory)) {
            return fail(QStringLiteral("private folder not found"));
        }
        // The library must make a report of the file; the text it writes serves nothing else here. It goes
        // to a file of this call's own, removed after the call on every path, so that no copy of a large
        // staged file stays behind and the viewer's report text file (TALMRTMP.TXT) is never touched.
        const ScratchFile reportText(platform::CreateScratchFile(ToNativePath(context.folders.PrivateDirectory),
                                                                 kIdentificationScratchStem,
                                                                 kIdentificationScratchExtension));
        if (reportText.path.empty()) {
            return fail(LastFileFailureReason() + QStringLiteral(" (private folder)"));
        }
        const std::optional<ReportLibraryCall> generated = CallGenerateReportFile(
            context, typeIndex, stagedFile, ReportSelectionValues{}, false, FromNativePath(reportText.path));
        if (!generated) {
            return fail(QStringLiteral("name not usable (too long for the report library)"));
        }
        if (!generated->called()) {
            return fail(libraryFailure(*generated));
        }
        if (generated->status != kStatusSuccess) {
            return std::nullopt;
        }
        // The one-entry listing goes to a scratch file of this call's own as well: the type's listing file
        // belongs to the report list, and another run of the same installation may be reading it.
        const ScratchFile listingFile(platform::CreateScratchFile(ToNativePath(context.folders.PrivateDirectory),
                                                                  kIdentificationListingStem,
                                                                  kIdentificationListingExtension));
        if (listingFile.path.empty()) {
            return fail(LastFileFailureReason() + QStringLiteral(" (private folder)"));
        }
        const QString listing = FromNativePath(listingFile.path);
        TReportViewerRequest request;
        if (!BuildTypeRequest(context, typeIndex, RequestContent{true, true, true}, request) ||
            !SetRequestPath(request.ReportPath, stagedFile) || !SetRequestPath(request.OutputPath, listing)) {
            return fail(QStringLiteral("name not usable (too long for the report library)"));
        }
        const ReportLibraryCall call = CallLibrary(context, kCreateDirectoryListingFile, request, true);
        if (call.status != kStatusSuccess) {
            return fail(libraryFailure(call));
        }
        const std::vector<std::string> lines =
            FileExists(listing) ? ReadListingLines(listing) : std::vector<std::string>();
        TDirectoryListingInfo info;
        if (lines.empty() || TrimBlanks(std::string_view(lines.front())).empty() ||
            !ParseDirectoryListingLine(lines.front(), info)) {
            return fail(QStringLiteral("report library gave no listing entry"));
        }
        return info;
    } catch (...) {
        return fail(QStringLiteral("unexpected exception"));
    }
}

} // namespace talmere
