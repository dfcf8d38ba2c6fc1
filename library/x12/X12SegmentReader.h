#pragma once

// Reading ANSI X12 interchanges. The delimiters come from the fixed-length ISA segment; segments are cut at
// the segment terminator into at most twelve elements; characters that cannot be part of the data (line
// ends, control characters, bytes above 126) are passed over wherever they occur. Failures are status 98
// with a readable process-error text.

#include "library/frame/ReportFiles.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace talmere {

// The two streaming readers differ in their limits and in the texts of their failures.
enum class X12ReaderVariant {
    Acknowledgment, // 997, 999 and TA1
    TextMessage,    // 864
};

// The interchange control version of ISA12, as far as the readers care.
enum class X12Version {
    Version4010,
    Version5010,
    Other,
};

// Whether a short text (a segment identifier, a code) is the expected one, compared character by character:
// with a constant as expected this is a few inline comparisons rather than a library call, and the readers ask
// it for every segment. The loop runs over the expected text so that a constant's length unrolls it.
inline bool SameShortText(std::string_view text, std::string_view expected)
{
    if (text.size() != expected.size()) {
        return false;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (text[i] != expected[i]) {
            return false;
        }
    }
    return true;
}

// Reads one X12 file as a stream of segments with constant memory, whatever the file's size.
class X12SegmentReader {
public:
    static constexpr int kEnd = ReportInputFile::kEnd;
    // A segment holds at most this many elements, its identifier included.
    static constexpr int kMaxElementCount = 12;
    static constexpr std::size_t kIsaLength = 106;

    explicit X12SegmentReader(X12ReaderVariant variant);
    X12SegmentReader(const X12SegmentReader&) = delete;
    X12SegmentReader& operator=(const X12SegmentReader&) = delete;

    // Opens a report file for reading from its start; false when it cannot be read. The file name, without
    // folder, is what the failure texts name.
    bool open(const std::filesystem::path& path);
    bool open(const ReportFolder& folder, std::string_view name);
    void close();
    // After an open that failed: true when there was no regular file by the name.
    bool fileMissing() const { return m_file.missing(); }
    const std::string& fileName() const { return m_fileName; }
    // True when reading the file failed (as opposed to reaching its end): what was read is not the file.
    bool readFailed() const { return m_file.failed(); }

    // The next character that can belong to a segment, or kEnd: printable characters (without the space
    // when blanks are skipped) and the delimiters this reader keeps.
    int ReadSignificantChar(bool skipBlanks);

    // Reads the ISA segment of the first interchange (which must start the file) or of a later one, and
    // takes the delimiters from it. At the end of the file after an interchange, found is false.
    int ReadInterchangeHeader(bool firstInterchange, bool& found);

    // Reads the next segment. Between segments the end of the file is no failure: the segment is then
    // empty and atEnd() is true.
    int ReadNextSegment();

    // Reads on until the named segment, or until a segment that closes the envelope the named segment
    // belongs to; the current segment is then the one where the search stopped.
    int SkipToSegment(std::string_view name);

    // Stores the variant's process-error text around the detail and answers 98.
    int ReportX12ProcessError(std::string_view detail) const;
    // "Input file '<name>'" followed by the rest, as a process error.
    int FailInputFile(std::string_view rest) const;
    // "Input file '<name>' is not a valid <kind> file " followed by the reason, as a process error.
    int FailNotValid(std::string_view reason) const;

    // The current segment. Its elements are valid until the next segment is read.
    std::string_view element(int index) const
    {
        if (index < 0 || index >= m_count) {
            return {};
        }
        const auto i = static_cast<std::size_t>(index);
        return std::string_view(m_base + m_starts[i], m_ends[i] - m_starts[i]);
    }
    std::string_view segmentId() const { return element(0); }
    bool isSegment(std::string_view id) const { return SameShortText(element(0), id); }
    int elementCount() const { return m_count; }
    bool atEnd() const { return m_atEnd; }

    // The delimiters and version of the current interchange.
    char elementSeparator() const { return m_elementSeparator; }
    char componentSeparator() const { return m_componentSeparator; }
    char segmentTerminator() const { return m_segmentTerminator; }
    char repetitionSeparator() const { return m_repetitionSeparator; }
    X12Version version() const { return m_version; }
    const std::string& interchangeHeader() const { return m_header; }

    // Formats a composite element for printing: at most maxParts components, the first left-padded with
    // "0" to padWidth, joined by the joiner; whatever follows the last part taken is dropped.
    std::string SplitComposite(std::string_view value, int maxParts, int padWidth, std::string_view joiner) const;
    // The same appended to a text (a std::string or a ReportText).
    template <typename Text>
    void AppendSplitComposite(Text& out, std::string_view value, int maxParts, int padWidth,
                              std::string_view joiner) const;

private:
    enum CharClass : std::uint8_t { kDrop, kKeep, kElementBreak, kSegmentBreak, kEndOfFile };

    void startFile(std::string fileName);
    void updateCharClasses();
    // Takes the next segment where it stands in the input's buffer, when it lies there whole and holds nothing
    // but printable bytes besides its delimiters: the usual segment, whose elements then need no copy. False
    // when the segment needs the byte-by-byte reading; only line ends before it were passed then.
    bool takeSegmentInPlace();
    // Reads the next segment byte by byte, copying the characters kept: any segment, and every failure.
    int readSegmentBytes();
    // The segments where a search for a name stops: the name itself, and the segments that close the envelope
    // that the named segment belongs to.
    struct SearchStops {
        std::array<std::string_view, 7> ids;
        std::size_t count = 0;
        bool contain(std::string_view id) const;
    };
    SearchStops stopsOf(std::string_view name) const;
    // Passes over the segments ahead that lie whole in the input's buffer, are well-formed and printable, and
    // do not stop the search: a search for AK9 through a large 999 need not split its thousands of segments.
    // Leaves the reader before the first segment that is not passed over.
    void passSegmentsInPlace(const SearchStops& stops);
    void clearSegment();

    X12ReaderVariant m_variant;
    std::size_t m_maxElementLength;
    std::string_view m_envelopePrefix;
    ReportInputFile m_file;
    std::string m_fileName;

    std::string m_header;
    char m_elementSeparator = '*';
    char m_componentSeparator = ':';
    char m_segmentTerminator = '~';
    char m_repetitionSeparator = '^';
    X12Version m_version = X12Version::Other;
    std::array<CharClass, 256> m_classes{};
    bool m_spaceIsDelimiter = false;

    // The element separator and the segment terminator repeated in each byte of a word, and whether segments
    // can be taken in place with them.
    std::uint64_t m_elementSeparatorBytes = 0;
    std::uint64_t m_segmentTerminatorBytes = 0;
    bool m_segmentsInPlace = false;

    // Element i of the current segment runs from m_base + m_starts[i] to m_base + m_ends[i]: in the input's
    // buffer for a segment taken in place, else in m_text, where the elements read byte by byte stand back to
    // back.
    std::unique_ptr<char[]> m_text;
    const char* m_base;
    std::array<std::uint32_t, kMaxElementCount + 1> m_starts{};
    std::array<std::uint32_t, kMaxElementCount + 1> m_ends{};
    int m_count = 0;
    bool m_atEnd = false;
};

// Splits a composite element at the component separator, as X12SegmentReader::SplitComposite does.
std::string SplitComposite(char componentSeparator, std::string_view value, int maxParts, int padWidth,
                           std::string_view joiner);

template <typename Text>
void AppendSplitComposite(Text& out, char componentSeparator, std::string_view value, int maxParts, int padWidth,
                          std::string_view joiner)
{
    std::string_view rest = value;
    for (int part = 0; part < maxParts; ++part) {
        // Components are a few characters long: a plain loop finds their end sooner than a call to memchr.
        std::size_t separator = 0;
        while (separator < rest.size() && rest[separator] != componentSeparator) {
            ++separator;
        }
        const std::string_view piece = rest.substr(0, separator);
        if (part > 0) {
            out += joiner;
        } else if (padWidth > 0 && piece.size() < static_cast<std::size_t>(padWidth)) {
            out.append(static_cast<std::size_t>(padWidth) - piece.size(), '0');
        }
        out += piece;
        if (separator == rest.size()) {
            break;
        }
        rest.remove_prefix(separator + 1);
    }
}

template <typename Text>
void X12SegmentReader::AppendSplitComposite(Text& out, std::string_view value, int maxParts, int padWidth,
                                            std::string_view joiner) const
{
    talmere::AppendSplitComposite(out, m_componentSeparator, value, maxParts, padWidth, joiner);
}

// Loads the first segments of an X12 file as whole texts, each ending with its segment terminator; the ISA
// comes first, as its 106 characters. At most maxCount texts when maxCount is at least 1. False when the file
// is missing, does not begin with "ISA", cannot be read, or ends inside a segment.
bool LoadX12SegmentList(const std::filesystem::path& path, std::vector<std::string>& list, int maxCount);

// The longest segment the list loader keeps; the rest of a longer segment is dropped, its terminator kept.
inline constexpr std::size_t kMaxListedSegmentLength = 1024;

// Dates and times as X12 writes them: "CCYYMMDD" and "HHMM", digits only.
struct X12Date {
    int year = 0;
    int month = 0;
    int day = 0;
};
struct X12Time {
    int hour = 0;
    int minute = 0;
};
bool ParseX12Date(std::string_view text, X12Date& date);
bool ParseX12Time(std::string_view text, X12Time& time);

} // namespace talmere
