#include "archive/Identification.h"

#include "archive/ArchiveLog.h"
#include "client/ReportRequests.h"
#include "common/TextUtil.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"

#include <array>
#include <cstdint>
#include <optional>
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

QString TrimRight(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).unicode() <= u' ') {
        --end;
    }
    return text.left(end);
}

} // namespace

namespace {

// The search of FindTextInFile in a file already open, with a block buffer the caller keeps for its searches.
qint64 FindText(platform::RegularFileReader& in, const std::string& text, qint64 start, bool caseSensitive,
                std::vector<char>& block)
{
    if (text.empty() || start < 0 || !in.seek(start)) {
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
    block.resize(kSearchBlockSize);
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

} // namespace

qint64 FindTextInFile(const QString& file, const std::string& text, qint64 start, bool caseSensitive)
{
    if (text.empty() || start < 0) {
        return -1;
    }
    platform::RegularFileReader in(ToNativePath(file));
    std::vector<char> block;
    return FindText(in, text, start, caseSensitive, block);
}

namespace {

// The file's bytes in upper case, read to its end; nothing when it cannot be read.
std::optional<std::string> ReadWholeUpper(platform::RegularFileReader& in)
{
    std::string text(static_cast<std::size_t>(in.size()) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == text.size()) {
            // The file grew since it was opened: what it holds now is searched, as a block search would.
            text.resize(text.size() * 2);
        }
        const std::int64_t read = in.read(text.data() + filled, text.size() - filled);
        if (read < 0) {
            return std::nullopt;
        }
        filled += static_cast<std::size_t>(read);
        // A read that falls short of the size the file had when it was opened ends it without one more call.
        if (read == 0 || (filled >= in.size() && filled < text.size())) {
            break;
        }
    }
    text.resize(filled);
    UpperInPlace(text.data(), text.size());
    return text;
}

} // namespace

bool MatchesSearchIdents(const TReportConfigInfoRecord& type, const QString& file)
{
    // The file is opened once for all its searches, at the first one: a type's search strings are several,
    // each with its alternatives, and every staged file of the folder is searched. A small file is read once.
    std::optional<platform::RegularFileReader> in;
    std::optional<std::string> whole;
    std::vector<char> block;
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
            if (!in) {
                in.emplace(ToNativePath(file));
                if (in->isOpen() && in->size() <= kWholeSearchSize) {
                    whole = ReadWholeUpper(*in);
                }
            }
            qint64 at = -1;
            if (whole) {
                std::string needle = alternative;
                UpperInPlace(needle.data(), needle.size());
                const std::size_t found = whole->find(needle, static_cast<std::size_t>(offset));
                at = found == std::string::npos ? -1 : static_cast<qint64>(found);
            } else {
                at = FindText(*in, alternative, offset, false, block);
            }
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

IdentificationScratch::IdentificationScratch(const ApplicationContext& context)
    : m_folder(ToNativePath(context.folders.PrivateDirectory))
{
}

IdentificationScratch::~IdentificationScratch()
{
    for (const std::string* made : {&m_reportText, &m_listing}) {
        if (!made->empty()) {
            platform::RemoveFile(*made);
        }
    }
}

const std::string& IdentificationScratch::path(File file)
{
    std::string& made = slot(file);
    if (made.empty()) {
        made = file == File::ReportText
                   ? platform::CreateScratchFile(m_folder, kIdentificationScratchStem, kIdentificationScratchExtension)
                   : platform::CreateScratchFile(m_folder, kIdentificationListingStem, kIdentificationListingExtension);
    }
    return made;
}

void IdentificationScratch::release(File file)
{
    std::string& made = slot(file);
    // The library writes either file afresh under its name at the next use. Gone after each use, the listing
    // cannot leave the next file with this one's entry, no report text of a large staged file takes room in
    // the private folder meanwhile, and no file is written over after being cut to nothing (on a disk file
    // system that waits for the earlier write to reach the disk). The name stays ours for the next use; one
    // whose file cannot be removed is given up, and a new one made at the next use.
    if (!made.empty() && !platform::RemoveFile(made) && platform::LastFileFailure() != platform::FileFailure::Gone) {
        made.clear();
    }
}

namespace {

// Ends the use of a scratch file on every path.
class ScratchUse {
public:
    ScratchUse(IdentificationScratch& scratch, IdentificationScratch::File file)
        : m_scratch(scratch), m_file(file), m_path(scratch.path(file))
    {
    }
    ~ScratchUse() { m_scratch.release(m_file); }
    ScratchUse(const ScratchUse&) = delete;
    ScratchUse& operator=(const ScratchUse&) = delete;

    const std::string& path() const { return m_path; }

private:
    IdentificationScratch& m_scratch;
    IdentificationScratch::File m_file;
    std::string m_path;
};

} // namespace

std::optional<TDirectoryListingInfo> CreateFileListingEntry(const ApplicationContext& context, int typeIndex,
                                                            const QString& stagedFile, QString* failure)
{
    IdentificationScratch scratch(context);
    return CreateFileListingEntry(context, typeIndex, stagedFile, scratch, failure);
}

std::optional<TDirectoryListingInfo> CreateFileListingEntry(const ApplicationContext& context, int typeIndex,
                                                            const QString& stagedFile, IdentificationScratch& scratch,
                                                            QString* failure)
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
    // A scratch file that cannot be made, or a library that cannot write to it, may be for want of the private
    // folder: the log then says so.
    const auto scratchReason = [&](const QString& reason) {
        return FolderExists(context.folders.PrivateDirectory) ? reason : QStringLiteral("private folder not found");
    };
    const QString nameTooLong = QStringLiteral("name not usable (too long for the report library)");
    // The request of both calls: the type's, for the staged file, built once; each call names the scratch
    // file the library writes to. Answers why there is no request, when there is none.
    TReportViewerRequest typeRequest;
    const auto requestFor = [&](const ScratchUse& use, TReportViewerRequest& request) -> std::optional<QString> {
        if (use.path().empty()) {
            return scratchReason(LastFileFailureReason() + QStringLiteral(" (private folder)"));
        }
        request = typeRequest;
        if (!SetRequestPath(request.OutputPath, FromNativePath(use.path()))) {
            return nameTooLong;
        }
        return std::nullopt;
    };
    try {
        if (!FileExists(stagedFile)) {
            return std::nullopt;
        }
        if (!BuildTypeRequest(context, typeIndex, RequestContent{true, true, true}, typeRequest) ||
            !SetRequestPath(typeRequest.ReportPath, stagedFile)) {
            return fail(nameTooLong);
        }
        // The library must make a report of the file; the text it writes serves nothing else here. It goes
        // to identification's own scratch file, removed after the call on every path, so that no copy of a
        // large staged file stays behind and the viewer's report text file (TALMRTMP.TXT) is never touched.
        TReportViewerRequest request;
        {
            const ScratchUse reportText(scratch, IdentificationScratch::File::ReportText);
            if (const std::optional<QString> reason = requestFor(reportText, request)) {
                return fail(*reason);
            }
            const ReportLibraryCall generated = CallLibrary(context, kGenerateReportFile, request, false);
            if (!generated.called()) {
                return fail(scratchReason(libraryFailure(generated)));
            }
            if (generated.status != kStatusSuccess) {
                // No report of the type, unless the library had nowhere to write it.
                if (!FolderExists(context.folders.PrivateDirectory)) {
                    return fail(QStringLiteral("private folder not found"));
                }
                return std::nullopt;
            }
        }
        // The one-entry listing goes to a scratch file of identification's own as well: the type's listing
        // file belongs to the report list, and another run of the same installation may be reading it.
        const ScratchUse listingFile(scratch, IdentificationScratch::File::Listing);
        if (const std::optional<QString> reason = requestFor(listingFile, request)) {
            return fail(*reason);
        }
        const ReportLibraryCall call = CallLibrary(context, kCreateDirectoryListingFile, request, true);
        if (call.status != kStatusSuccess) {
            return fail(scratchReason(libraryFailure(call)));
        }
        const std::vector<std::string> lines = ReadListingLines(FromNativePath(listingFile.path()));
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
