#include "library/x12/X12SegmentReader.h"

#include "common/DayDate.h"
#include "library/frame/StatusMessages.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <initializer_list>

namespace talmere {

namespace {

struct VariantTexts {
    std::size_t maxElementLength;
    std::string_view envelopePrefix; // searches for names with this prefix stop at every envelope segment
    std::string_view errorPrefix;
    std::string_view fileKind;
};

const VariantTexts& TextsOf(X12ReaderVariant variant)
{
    static const VariantTexts acknowledgment{4096, "AK", "ANSI-997/999 Process Error: [", "ANSI-997 or ANSI-999"};
    static const VariantTexts textMessage{300, "MIT", "ANSI-864 Process Error: [", "ANSI-864"};
    return variant == X12ReaderVariant::Acknowledgment ? acknowledgment : textMessage;
}

bool IsPrintable(int c)
{
    return c >= 32 && c < 127;
}

bool AllDigits(std::string_view text)
{
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int Digits(std::string_view text)
{
    int value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// Segments are looked at eight bytes at a time where they can be: a word holds the first of its bytes in its
// lowest bits on every machine, and each test below marks the high bit of each byte it finds, without a carry
// from one byte into the next.
constexpr std::uint64_t kLowBits = 0x0101010101010101;
constexpr std::uint64_t kLow7Bits = 0x7F7F7F7F7F7F7F7F;
constexpr std::uint64_t kHighBits = 0x8080808080808080;

std::uint64_t LoadWord(const unsigned char* bytes)
{
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, bytes, sizeof word);
    } else {
        for (int i = 0; i < 8; ++i) {
            word |= std::uint64_t{bytes[i]} << (8 * i);
        }
    }
    return word;
}

// The bytes of the word equal to the byte that pattern repeats.
std::uint64_t EqualBytes(std::uint64_t word, std::uint64_t pattern)
{
    const std::uint64_t x = word ^ pattern;
    return ~(((x & kLow7Bits) + kLow7Bits) | x) & kHighBits;
}

// The bytes of the word that are not printable: below 32 or above 126.
std::uint64_t UnprintableBytes(std::uint64_t word)
{
    const std::uint64_t low = word & kLow7Bits;
    const std::uint64_t atLeast32 = low + 0x6060606060606060;
    const std::uint64_t is127 = low + kLowBits;
    return (word | ~atLeast32 | is127) & kHighBits;
}

// Where the first byte marked in a mask (not zero) stands in its word.
std::uint32_t FirstMarkedByte(std::uint64_t mask)
{
    return static_cast<std::uint32_t>(std::countr_zero(mask)) / 8;
}

// How many bytes a mask marks. The sum of its bits gathers in the top byte of one product, where it cannot
// overflow; std::popcount would call a library function on processors where it is not an instruction.
int CountMarkedBytes(std::uint64_t mask)
{
    return static_cast<int>(((mask >> 7) * kLowBits) >> 56);
}

} // namespace

X12SegmentReader::X12SegmentReader(X12ReaderVariant variant)
    : m_variant(variant), m_maxElementLength(TextsOf(variant).maxElementLength),
      m_envelopePrefix(TextsOf(variant).envelopePrefix),
      m_text(new char[(kMaxElementCount + 1) * TextsOf(variant).maxElementLength]), m_base(m_text.get())
{
    m_header.reserve(kIsaLength);
    updateCharClasses();
}

bool X12SegmentReader::open(const std::filesystem::path& path)
{
    startFile(path.filename().string());
    return m_file.open(path);
}

bool X12SegmentReader::open(const ReportFolder& folder, std::string_view name)
{
    startFile(std::string(name));
    return m_file.open(folder, name);
}

void X12SegmentReader::startFile(std::string fileName)
{
    m_fileName = std::move(fileName);
    m_header.clear();
    m_elementSeparator = '*';
    m_componentSeparator = ':';
    m_segmentTerminator = '~';
    m_repetitionSeparator = '^';
    m_version = X12Version::Other;
    updateCharClasses();
    clearSegment();
}

void X12SegmentReader::close()
{
    m_file.close();
}

void X12SegmentReader::clearSegment()
{
    m_count = 0;
    m_atEnd = false;
}

void X12SegmentReader::updateCharClasses()
{
    for (int c = 0; c < 256; ++c) {
        m_classes[static_cast<std::size_t>(c)] = IsPrintable(c) ? kKeep : kDrop;
    }
    auto at = [this](char c) -> CharClass& { return m_classes[static_cast<unsigned char>(c)]; };
    at(m_componentSeparator) = kKeep;
    // The repetition separator only exists from version 5010 on; before that, ISA11 holds a code.
    if (m_variant == X12ReaderVariant::Acknowledgment && m_version == X12Version::Version5010) {
        at(m_repetitionSeparator) = kKeep;
    }
    at(m_elementSeparator) = kElementBreak;
    // A terminator that is also the element separator closes the element and the segment.
    at(m_segmentTerminator) = kSegmentBreak;
    // Ctrl-Z ends the file whatever else it is.
    m_classes[ReportInputFile::kCtrlZ] = kEndOfFile;
    m_elementSeparatorBytes = kLowBits * static_cast<unsigned char>(m_elementSeparator);
    m_segmentTerminatorBytes = kLowBits * static_cast<unsigned char>(m_segmentTerminator);
    // A terminator or separator that is Ctrl-Z ends the file instead; such a file is read byte by byte.
    m_segmentsInPlace = at(m_segmentTerminator) == kSegmentBreak &&
                        (at(m_elementSeparator) == kElementBreak || m_elementSeparator == m_segmentTerminator);
    m_spaceIsDelimiter = m_elementSeparator == ' ' || m_segmentTerminator == ' ' || m_componentSeparator == ' ' ||
                         (m_variant == X12ReaderVariant::Acknowledgment && m_version == X12Version::Version5010 &&
                          m_repetitionSeparator == ' ');
}

int X12SegmentReader::ReadSignificantChar(bool skipBlanks)
{
    for (;;) {
        const int c = m_file.get();
        if (c == kEnd) {
            return kEnd;
        }
        if (m_classes[static_cast<std::size_t>(c)] == kDrop) {
            continue;
        }
        if (skipBlanks && c == ' ' && !m_spaceIsDelimiter) {
            continue;
        }
        return c;
    }
}

int X12SegmentReader::ReadInterchangeHeader(bool firstInterchange, bool& found)
{
    found = false;
    clearSegment();
    int c;
    if (firstInterchange) {
        c = m_file.get();
    } else {
        // Line ends, blanks and empty segments may stand between interchanges; a file whose segment
        // terminator is a line feed often ends with an empty line.
        do {
            c = ReadSignificantChar(true);
        } while (c != kEnd && c == static_cast<unsigned char>(m_segmentTerminator) && c != 'I');
        if (c == kEnd) {
            return 0;
        }
    }
    const int second = c == kEnd ? kEnd : m_file.get();
    const int third = second == kEnd ? kEnd : m_file.get();
    if (c != 'I' || second != 'S' || third != 'A') {
        return FailInputFile(std::string("' is not a valid ") + std::string(TextsOf(m_variant).fileKind) +
                             " file (missing ISA segment)");
    }
    found = true;
    m_header.assign("ISA");
    const int separator = m_file.get();
    if (separator == kEnd) {
        return FailInputFile("' ended prematurely");
    }
    m_header.push_back(static_cast<char>(separator));
    // The ISA has a fixed length. Line ends inside it are not part of it, except where they are the
    // component separator or the segment terminator themselves (the last two positions).
    while (m_header.size() < kIsaLength) {
        const int next = m_file.get();
        if (next == kEnd) {
            return FailInputFile("' ended prematurely");
        }
        if ((next == '\r' || next == '\n') && next != separator && m_header.size() < 104) {
            continue;
        }
        m_header.push_back(static_cast<char>(next));
    }
    m_elementSeparator = m_header[3];
    m_componentSeparator = m_header[104];
    m_segmentTerminator = m_header[105];
    if (m_variant == X12ReaderVariant::Acknowledgment) {
        m_repetitionSeparator = m_header[82];
        const std::string_view version = std::string_view(m_header).substr(84, 5);
        m_version = version == "00401"   ? X12Version::Version4010
                    : version == "00501" ? X12Version::Version5010
                                         : X12Version::Other;
    }
    updateCharClasses();
    return 0;
}

int X12SegmentReader::ReadNextSegment()
{
    m_count = 0;
    m_atEnd = false;
    if (m_segmentsInPlace && takeSegmentInPlace()) {
        return 0;
    }
    return readSegmentBytes();
}

bool X12SegmentReader::takeSegmentInPlace()
{
    const unsigned char* pos = m_file.position();
    const unsigned char* const limit = m_file.limit();
    // The line ends between segments.
    while (pos != limit && m_classes[*pos] == kDrop) {
        ++pos;
    }
    m_file.setPosition(pos);
    const unsigned char* const start = pos;
    const auto maxLength = static_cast<std::uint32_t>(m_maxElementLength);
    std::uint32_t elementStart = 0;
    int count = 0;
    // A word that reaches past the buffer's end is left to the byte-by-byte reading, like every segment that
    // ends there.
    for (; limit - pos >= 8; pos += 8) {
        const std::uint64_t word = LoadWord(pos);
        const std::uint64_t terminators = EqualBytes(word, m_segmentTerminatorBytes);
        // The bytes of the segment: those before its terminator.
        const std::uint64_t inSegment = terminators != 0 ? (terminators & (~terminators + 1)) - 1 : ~std::uint64_t{0};
        std::uint64_t separators = EqualBytes(word, m_elementSeparatorBytes) & inSegment;
        // Anything else that is not printable (a line end inside the segment, a delimiter outside the printable
        // range, Ctrl-Z) needs the class table.
        if ((UnprintableBytes(word) & inSegment & ~separators) != 0) {
            return false;
        }
        const auto offset = static_cast<std::uint32_t>(pos - start);
        for (; separators != 0; separators &= separators - 1) {
            const std::uint32_t end = offset + FirstMarkedByte(separators);
            // Too many elements, or one too long: the byte-by-byte reading tells which.
            if (count >= kMaxElementCount - 1 || end - elementStart > maxLength) {
                return false;
            }
            m_starts[static_cast<std::size_t>(count)] = elementStart;
            m_ends[static_cast<std::size_t>(count)] = end;
            ++count;
            elementStart = end + 1;
        }
        if (terminators != 0) {
            const std::uint32_t end = offset + FirstMarkedByte(terminators);
            if (end - elementStart > maxLength) {
                return false;
            }
            m_starts[static_cast<std::size_t>(count)] = elementStart;
            m_ends[static_cast<std::size_t>(count)] = end;
            m_count = count + 1;
            m_base = reinterpret_cast<const char*>(start);
            m_file.setPosition(start + end + 1);
            return true;
        }
    }
    return false;
}

int X12SegmentReader::readSegmentBytes()
{
    char* const text = m_text.get();
    m_base = text;
    const CharClass* const classes = m_classes.data();
    const auto maxLength = static_cast<std::uint32_t>(m_maxElementLength);
    std::uint32_t length = 0;
    std::uint32_t elementLimit = maxLength;
    bool started = false;
    // The bytes are scanned in the input's buffer and only the characters kept are copied. The position is
    // held in a local while scanning: stores into the element text could otherwise alias it.
    const unsigned char* pos = m_file.position();
    const unsigned char* limit = m_file.limit();
    for (;;) {
        if (pos == limit) {
            m_file.setPosition(pos);
            if (!m_file.refill()) {
                if (started) {
                    return FailInputFile("' ended prematurely");
                }
                m_atEnd = true;
                return 0;
            }
            pos = m_file.position();
            limit = m_file.limit();
        }
        // Most characters are kept: take a whole run of them at once.
        if (classes[*pos] == kKeep) {
            const unsigned char* const run = pos;
            do {
                ++pos;
            } while (pos != limit && classes[*pos] == kKeep);
            const auto count = static_cast<std::uint32_t>(pos - run);
            started = true;
            if (count > elementLimit - length) {
                // The element is too long: keep what fits, so that an identifier can be reported as far as it
                // was read.
                std::memcpy(text + length, run, elementLimit - length);
                length = elementLimit;
                m_file.setPosition(pos);
                const std::string_view id = m_count > 0 ? element(0) : std::string_view(text, length);
                return ReportX12ProcessError("Character count overflow: Segment " + std::string(id) + " ; Field " +
                                             std::to_string(m_count));
            }
            std::memcpy(text + length, run, count);
            length += count;
            continue;
        }
        const unsigned char c = *pos++;
        const CharClass kind = classes[c];
        if (kind == kDrop) {
            continue;
        }
        m_file.setPosition(pos);
        if (kind == kEndOfFile) {
            m_file.endAtCtrlZ();
            if (started) {
                return FailInputFile("' ended prematurely");
            }
            m_atEnd = true;
            return 0;
        }
        started = true;
        m_starts[static_cast<std::size_t>(m_count)] = m_count == 0 ? 0 : m_ends[static_cast<std::size_t>(m_count - 1)];
        m_ends[static_cast<std::size_t>(m_count)] = length;
        ++m_count;
        elementLimit = length + maxLength;
        if (m_count > kMaxElementCount) {
            return ReportX12ProcessError("Field count overflow: Segment " + std::string(element(0)));
        }
        if (kind == kSegmentBreak) {
            return 0;
        }
    }
}

X12SegmentReader::SearchStops X12SegmentReader::stopsOf(std::string_view name) const
{
    SearchStops stops;
    const auto add = [&stops](std::initializer_list<std::string_view> ids) {
        for (std::string_view id : ids) {
            stops.ids[stops.count++] = id;
        }
    };
    add({name});
    if (!m_envelopePrefix.empty() && name.starts_with(m_envelopePrefix)) {
        add({"ISA", "IEA", "GE", "GT", "ST", "SE"});
    } else if (SameShortText(name, "SE")) {
        add({"ISA", "IEA", "GE", "GT"});
    } else if (SameShortText(name, "GE")) {
        add({"ISA", "IEA"});
    }
    return stops;
}

bool X12SegmentReader::SearchStops::contain(std::string_view id) const
{
    for (std::size_t i = 0; i < count; ++i) {
        if (SameShortText(id, ids[i])) {
            return true;
        }
    }
    return false;
}

void X12SegmentReader::passSegmentsInPlace(const SearchStops& stops)
{
    const unsigned char* pos = m_file.position();
    const unsigned char* const limit = m_file.limit();
    const auto maxLength = static_cast<std::uint32_t>(m_maxElementLength);
    for (;;) {
        while (pos != limit && m_classes[*pos] == kDrop) {
            ++pos;
        }
        // Whatever ends the pass leaves the reader at the start of a segment that ReadNextSegment takes.
        m_file.setPosition(pos);
        const unsigned char* const start = pos;
        std::uint32_t idLength = 0;
        bool idFound = false;
        int separatorCount = 0;
        std::uint32_t end = 0;
        for (const unsigned char* word = start;; word += 8) {
            if (limit - word < 8) {
                return;
            }
            const std::uint64_t bytes = LoadWord(word);
            const std::uint64_t terminators = EqualBytes(bytes, m_segmentTerminatorBytes);
            const std::uint64_t inSegment =
                terminators != 0 ? (terminators & (~terminators + 1)) - 1 : ~std::uint64_t{0};
            const std::uint64_t separators = EqualBytes(bytes, m_elementSeparatorBytes) & inSegment;
            if ((UnprintableBytes(bytes) & inSegment & ~separators) != 0) {
                return;
            }
            const auto offset = static_cast<std::uint32_t>(word - start);
            if (const std::uint64_t breaks = separators | terminators; !idFound && breaks != 0) {
                idFound = true;
                idLength = offset + FirstMarkedByte(breaks);
            }
            separatorCount += CountMarkedBytes(separators);
            if (terminators != 0) {
                end = offset + FirstMarkedByte(terminators);
                break;
            }
        }
        // A segment too long to be sure of its elements' lengths, or with too many of them, is read to tell.
        if (separatorCount >= kMaxElementCount || end > maxLength ||
            stops.contain(std::string_view(reinterpret_cast<const char*>(start), idLength))) {
            return;
        }
        pos = start + end + 1;
    }
}

int X12SegmentReader::SkipToSegment(std::string_view name)
{
    if (isSegment(name)) {
        return 0;
    }
    const SearchStops stops = stopsOf(name);
    for (;;) {
        // The segments passed over only need to be known as well-formed and not to stop the search; the segment
        // where it stops is read as every segment is.
        if (m_segmentsInPlace) {
            passSegmentsInPlace(stops);
        }
        if (const int status = ReadNextSegment(); status != 0) {
            return status;
        }
        if (m_atEnd || stops.contain(segmentId())) {
            return 0;
        }
    }
}

int X12SegmentReader::ReportX12ProcessError(std::string_view detail) const
{
    std::string text(TextsOf(m_variant).errorPrefix);
    text += detail;
    text += ']';
    return ReportProcessError(std::move(text));
}

int X12SegmentReader::FailInputFile(std::string_view rest) const
{
    std::string detail = "Input file '";
    detail += m_fileName;
    detail += rest;
    return ReportX12ProcessError(detail);
}

int X12SegmentReader::FailNotValid(std::string_view reason) const
{
    std::string rest = "' is not a valid ";
    rest += TextsOf(m_variant).fileKind;
    rest += " file ";
    rest += reason;
    return FailInputFile(rest);
}

std::string SplitComposite(char componentSeparator, std::string_view value, int maxParts, int padWidth,
                           std::string_view joiner)
{
    std::string out;
    AppendSplitComposite(out, componentSeparator, value, maxParts, padWidth, joiner);
    return out;
}

std::string X12SegmentReader::SplitComposite(std::string_view value, int maxParts, int padWidth,
                                             std::string_view joiner) const
{
    std::string out;
    AppendSplitComposite(out, value, maxParts, padWidth, joiner);
    return out;
}

bool LoadX12SegmentList(const std::filesystem::path& path, std::vector<std::string>& list, int maxCount)
{
    list.clear();
    ReportInputFile file;
    if (!file.open(path)) {
        return false;
    }
    constexpr int kEnd = ReportInputFile::kEnd;
    const int first = file.get();
    const int second = first == kEnd ? kEnd : file.get();
    const int third = second == kEnd ? kEnd : file.get();
    if (first != 'I' || second != 'S' || third != 'A') {
        return false;
    }
    const int separator = file.get();
    if (separator == kEnd) {
        return false;
    }
    std::string header = "ISA";
    header.push_back(static_cast<char>(separator));
    while (header.size() < X12SegmentReader::kIsaLength) {
        const int c = file.get();
        if (c == kEnd) {
            return false;
        }
        if ((c == '\r' || c == '\n') && c != separator && header.size() < 104) {
            continue;
        }
        header.push_back(static_cast<char>(c));
    }
    const char elementSeparator = header[3];
    const char componentSeparator = header[104];
    const char terminator = header[105];
    list.push_back(std::move(header));

    const auto keeps = [&](int c) {
        return IsPrintable(c) || c == static_cast<unsigned char>(elementSeparator) ||
               c == static_cast<unsigned char>(componentSeparator) || c == static_cast<unsigned char>(terminator);
    };
    std::string segment;
    while (!file.atEnd()) {
        if (maxCount >= 1 && list.size() >= static_cast<std::size_t>(maxCount)) {
            break;
        }
        segment.clear();
        bool terminated = false;
        for (int c = file.get(); c != kEnd; c = file.get()) {
            if (!keeps(c) || (c == ' ' && segment.empty() && terminator != ' ')) {
                continue;
            }
            if (c == static_cast<unsigned char>(terminator)) {
                segment.push_back(static_cast<char>(c));
                terminated = true;
                break;
            }
            if (segment.size() < kMaxListedSegmentLength - 1) {
                segment.push_back(static_cast<char>(c));
            }
        }
        if (file.failed()) {
            return false;
        }
        if (!terminated) {
            // The end of the file between segments is no failure; inside a segment it is.
            return segment.empty();
        }
        list.push_back(segment);
    }
    return !file.failed();
}

bool ParseX12Date(std::string_view text, X12Date& date)
{
    if (text.size() != 8 || !AllDigits(text)) {
        return false;
    }
    const int year = Digits(text.substr(0, 4));
    const int month = Digits(text.substr(4, 2));
    const int day = Digits(text.substr(6, 2));
    if (!IsValidDate(year, month, day)) {
        return false;
    }
    date = {year, month, day};
    return true;
}

bool ParseX12Time(std::string_view text, X12Time& time)
{
    if (text.size() != 4 || !AllDigits(text)) {
        return false;
    }
    const int hour = Digits(text.substr(0, 2));
    const int minute = Digits(text.substr(2, 2));
    if (hour > 23 || minute > 59) {
        return false;
    }
    time = {hour, minute};
    return true;
}

} // namespace talmere
