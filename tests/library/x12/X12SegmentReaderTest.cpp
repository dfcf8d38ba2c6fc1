// The X12 segment readers: delimiters from the ISA, segments and elements, the characters they pass over,
// their limits and failure texts, the envelope-stop rules, and the segment list loader.

#include "library/x12/X12SegmentReader.h"
#include "library/frame/StatusMessages.h"
#include "tests/library/x12/X12TestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace talmere;
using namespace std::string_literals;
using test::Isa;
using test::Segments;

namespace {

class SegmentReader : public ::testing::Test {
protected:
    test::TempFolder m_folder;

    std::filesystem::path write(std::string_view content, std::string_view name = "IN.X12")
    {
        const std::filesystem::path path = m_folder / name;
        test::WriteFile(path, content);
        return path;
    }

    // Opens the content and reads its first ISA; the test fails unless that works.
    void start(X12SegmentReader& reader, std::string_view content)
    {
        ASSERT_TRUE(reader.open(write(content)));
        bool found = false;
        ASSERT_EQ(reader.ReadInterchangeHeader(true, found), 0) << LastProcessError();
        ASSERT_TRUE(found);
    }

    // The identifiers of every segment up to the end of the file, or the first failure.
    static std::string SegmentIds(X12SegmentReader& reader)
    {
        std::string ids;
        for (;;) {
            if (const int status = reader.ReadNextSegment(); status != 0) {
                return ids + "!" + std::to_string(status);
            }
            if (reader.atEnd()) {
                return ids;
            }
            ids += std::string(reader.segmentId()) + " ";
        }
    }
};

} // namespace

TEST_F(SegmentReader, TakesTheDelimitersAndVersionFromTheFixedPositionsOfTheIsa)
{
    X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
    start(reader, Isa("00501", '!', '|', '>', '\n') + "GS|FA|A>B|C\n");
    EXPECT_EQ(reader.elementSeparator(), '|');
    EXPECT_EQ(reader.componentSeparator(), '>');
    EXPECT_EQ(reader.segmentTerminator(), '\n');
    EXPECT_EQ(reader.repetitionSeparator(), '!');
    EXPECT_EQ(reader.version(), X12Version::Version5010);
    ASSERT_EQ(reader.ReadNextSegment(), 0);
    EXPECT_EQ(reader.elementCount(), 4);
    EXPECT_EQ(reader.element(2), "A>B");
    EXPECT_EQ(reader.element(3), "C");
    EXPECT_EQ(reader.element(4), "");

    for (const auto& [isa12, version] :
         {std::pair{"00401", X12Version::Version4010}, std::pair{"00400", X12Version::Other},
          std::pair{"00502", X12Version::Other}}) {
        X12SegmentReader other(X12ReaderVariant::Acknowledgment);
        start(other, Isa(isa12, 'U'));
        EXPECT_EQ(other.version(), version) << isa12;
    }
}

TEST_F(SegmentReader, LineEndsBetweenSegmentsAndInsideTheIsaAreNotData)
{
    const std::string isa = Isa();
    // Line ends inside the ISA before the component separator are dropped, not counted.
    const std::string brokenIsa = isa.substr(0, 40) + "\r\n" + isa.substr(40, 30) + "\n" + isa.substr(70);
    X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
    start(reader, brokenIsa + Segments({"GS*FA~", "ST*999~", "SE*2~"}, "\r\n") + "\r\n\r\n");
    EXPECT_EQ(reader.interchangeHeader(), isa);
    EXPECT_EQ(SegmentIds(reader), "GS ST SE ");

    // A line feed as segment terminator is kept at the terminator's position, and marks the ends.
    X12SegmentReader lineFeed(X12ReaderVariant::TextMessage);
    start(lineFeed, Isa("00401", 'U', '*', ':', '\n') + "GS*TX\r\nST*864\nSE*2\n");
    EXPECT_EQ(lineFeed.segmentTerminator(), '\n');
    EXPECT_EQ(SegmentIds(lineFeed), "GS ST SE ");
}

TEST_F(SegmentReader, ControlAndNonAsciiBytesAreDroppedInsideElementsAndSpacesKept)
{
    X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
    start(reader, Isa() + "MSG*A\0B\tC\x7F\xE9 D  *E\x1A"s + "IGNORED AFTER CTRL-Z~");
    EXPECT_EQ(reader.ReadNextSegment(), kStatusProcessError);
    // Ctrl-Z ended the file inside the segment.
    EXPECT_EQ(LastProcessError(), "ANSI-997/999 Process Error: [Input file 'IN.X12' ended prematurely]");

    X12SegmentReader clean(X12ReaderVariant::Acknowledgment);
    start(clean, Isa() + "MSG*A\0B\tC\x7F\xE9 D  *E~"s);
    ASSERT_EQ(clean.ReadNextSegment(), 0);
    EXPECT_EQ(clean.element(1), "ABC D  ");
    EXPECT_EQ(clean.element(2), "E");
}

TEST_F(SegmentReader, TheRepetitionSeparatorIsKeptOnlyIn5010Acknowledgments)
{
    const std::string body = "CTX*A\x1D"
                             "B~";
    X12SegmentReader ack5010(X12ReaderVariant::Acknowledgment);
    start(ack5010, Isa("00501", '\x1D') + body);
    ASSERT_EQ(ack5010.ReadNextSegment(), 0);
    EXPECT_EQ(ack5010.element(1), "A\x1D"
                                  "B");

    X12SegmentReader ack4010(X12ReaderVariant::Acknowledgment);
    start(ack4010, Isa("00401", '\x1D') + body);
    ASSERT_EQ(ack4010.ReadNextSegment(), 0);
    EXPECT_EQ(ack4010.element(1), "AB");

    X12SegmentReader message(X12ReaderVariant::TextMessage);
    start(message, Isa("00501", '\x1D') + body);
    ASSERT_EQ(message.ReadNextSegment(), 0);
    EXPECT_EQ(message.element(1), "AB");

    // A non-printing component separator is kept by every reader.
    X12SegmentReader component(X12ReaderVariant::TextMessage);
    start(component, Isa("00401", 'U', '*', '\x1F') + "AK4*5\x1F"
                                                      "1~");
    ASSERT_EQ(component.ReadNextSegment(), 0);
    EXPECT_EQ(component.SplitComposite(component.element(1), 3, 2, " ; "), "05 ; 1");
}

TEST_F(SegmentReader, TwelveElementsFitAndAThirteenthIsAFieldCountOverflow)
{
    X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
    start(reader, Isa() + "AK9*1*2*3*4*5*6*7*8*9*10*11~AK9*1*2*3*4*5*6*7*8*9*10*11*12~");
    ASSERT_EQ(reader.ReadNextSegment(), 0);
    EXPECT_EQ(reader.elementCount(), 12);
    EXPECT_EQ(reader.element(11), "11");
    EXPECT_EQ(reader.ReadNextSegment(), kStatusProcessError);
    EXPECT_EQ(LastProcessError(), "ANSI-997/999 Process Error: [Field count overflow: Segment AK9]");

    X12SegmentReader message(X12ReaderVariant::TextMessage);
    start(message, Isa() + "MSG*1*2*3*4*5*6*7*8*9*10*11*12~");
    EXPECT_EQ(message.ReadNextSegment(), kStatusProcessError);
    EXPECT_EQ(LastProcessError(), "ANSI-864 Process Error: [Field count overflow: Segment MSG]");
}

TEST_F(SegmentReader, ElementLengthLimitsDifferByReader)
{
    const auto segmentWith = [](std::size_t length) { return "AK4*" + std::string(length, 'X') + "*1~"; };
    X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
    start(reader, Isa() + segmentWith(4096) + segmentWith(4097));
    ASSERT_EQ(reader.ReadNextSegment(), 0);
    EXPECT_EQ(reader.element(1).size(), 4096u);
    EXPECT_EQ(reader.element(2), "1");
    EXPECT_EQ(reader.ReadNextSegment(), kStatusProcessError);
    EXPECT_EQ(LastProcessError(), "ANSI-997/999 Process Error: [Character count overflow: Segment AK4 ; Field 1]");

    X12SegmentReader message(X12ReaderVariant::TextMessage);
    start(message, Isa() + "MSG*" + std::string(300, 'T') + "~MSG*AA*" + std::string(301, 'T') + "~");
    ASSERT_EQ(message.ReadNextSegment(), 0);
    EXPECT_EQ(message.ReadNextSegment(), kStatusProcessError);
    EXPECT_EQ(LastProcessError(), "ANSI-864 Process Error: [Character count overflow: Segment MSG ; Field 2]");

    // An identifier that never ends overflows in element 0.
    X12SegmentReader endless(X12ReaderVariant::TextMessage);
    start(endless, Isa() + std::string(5000, 'Q'));
    EXPECT_EQ(endless.ReadNextSegment(), kStatusProcessError);
    EXPECT_EQ(LastProcessError(),
              "ANSI-864 Process Error: [Character count overflow: Segment " + std::string(300, 'Q') + " ; Field 0]");
}

TEST_F(SegmentReader, AFileMustBeginWithIsaAndLaterInterchangesMayFollowBlankLines)
{
    X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
    bool found = true;
    for (const std::string& content : {"\r\n" + Isa(), std::string("ISB"), std::string("IS"), std::string()}) {
        ASSERT_TRUE(reader.open(write(content, "NOT.X12")));
        EXPECT_EQ(reader.ReadInterchangeHeader(true, found), kStatusProcessError);
        EXPECT_EQ(LastProcessError(), "ANSI-997/999 Process Error: [Input file 'NOT.X12' is not a valid ANSI-997 or "
                                      "ANSI-999 file (missing ISA segment)]");
    }
    X12SegmentReader message(X12ReaderVariant::TextMessage);
    ASSERT_TRUE(message.open(write(" ISA", "NOT.X12")));
    EXPECT_EQ(message.ReadInterchangeHeader(true, found), kStatusProcessError);
    EXPECT_EQ(LastProcessError(),
              "ANSI-864 Process Error: [Input file 'NOT.X12' is not a valid ANSI-864 file (missing ISA segment)]");

    const std::string second = Isa("00401", 'U', '*', ':', '\n');
    start(reader, Isa() + "IEA*1*1~\r\n  \r\n\t" + second + "IEA*1*2\n");
    ASSERT_EQ(reader.ReadNextSegment(), 0);
    ASSERT_EQ(reader.ReadInterchangeHeader(false, found), 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(reader.interchangeHeader(), second);
    EXPECT_EQ(reader.version(), X12Version::Version4010);
    ASSERT_EQ(reader.ReadNextSegment(), 0);
    EXPECT_EQ(reader.element(2), "2");
    // Nothing but blanks and empty lines after the last interchange: no further one, and no failure.
    start(reader, second + "IEA*1*2\n\n\r\n  \n");
    ASSERT_EQ(reader.ReadNextSegment(), 0);
    EXPECT_EQ(reader.ReadInterchangeHeader(false, found), 0);
    EXPECT_FALSE(found);

    start(reader, Isa() + "IEA*1*1~GARBAGE");
    ASSERT_EQ(reader.ReadNextSegment(), 0);
    EXPECT_EQ(reader.ReadInterchangeHeader(false, found), kStatusProcessError);
    EXPECT_TRUE(LastProcessError().ends_with("(missing ISA segment)]"));
}

TEST_F(SegmentReader, TheEndOfTheFileInsideTheIsaOrASegmentIsPremature)
{
    X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
    bool found = false;
    for (const std::string& content : {std::string("ISA"), Isa().substr(0, 105)}) {
        ASSERT_TRUE(reader.open(write(content, "SHORT.X12")));
        EXPECT_EQ(reader.ReadInterchangeHeader(true, found), kStatusProcessError);
        EXPECT_EQ(LastProcessError(), "ANSI-997/999 Process Error: [Input file 'SHORT.X12' ended prematurely]");
    }
    start(reader, Isa() + "GS*FA~GE*1");
    EXPECT_EQ(SegmentIds(reader), "GS !98");
    EXPECT_EQ(LastProcessError(), "ANSI-997/999 Process Error: [Input file 'IN.X12' ended prematurely]");
    // Between segments the end of the file is no failure.
    start(reader, Isa() + "GS*FA~GE*1~\r\n");
    EXPECT_EQ(SegmentIds(reader), "GS GE ");
}

TEST_F(SegmentReader, SearchesStopAtTheBoundaryOfTheEnvelopeTheyBelongTo)
{
    const std::string file =
        Isa() + "GS*FA~ST*999~AK1*HC~AK2*837~SE*4~ST*999~AK1*HC~AK9*A~SE*4~GE*2~GS*FA~ST*999~IEA*1~";
    const auto stopAfter = [&](std::initializer_list<std::string_view> searches) {
        X12SegmentReader reader(X12ReaderVariant::Acknowledgment);
        start(reader, file);
        std::string stops;
        for (std::string_view name : searches) {
            EXPECT_EQ(reader.SkipToSegment(name), 0);
            stops += std::string(reader.segmentId()) + (reader.atEnd() ? "<end>" : "") + " ";
        }
        return stops;
    };
    // "AK" names stop at every envelope segment, SE passes ST, GE passes ST and SE, IEA passes everything.
    EXPECT_EQ(stopAfter({"AK9", "AK9"}), "ST SE ");
    EXPECT_EQ(stopAfter({"SE", "AK9", "AK9"}), "SE ST AK9 ");
    EXPECT_EQ(stopAfter({"GE", "SE"}), "GE IEA ");
    EXPECT_EQ(stopAfter({"IEA", "IEA", "GS"}), "IEA IEA <end> ");
    EXPECT_EQ(stopAfter({"ZZZ"}), "<end> ");

    // The message reader's searches for MIT stop where the acknowledgment reader's AK searches do.
    X12SegmentReader message(X12ReaderVariant::TextMessage);
    start(message, Isa() + "ST*864~MSG*A~SE*3~MIT*1~");
    ASSERT_EQ(message.ReadNextSegment(), 0);
    ASSERT_EQ(message.SkipToSegment("MIT"), 0);
    EXPECT_EQ(message.segmentId(), "SE");
}

namespace {

struct Delimiters {
    char separator;
    char component;
    char terminator;
    char repetition;
};

// The elements of one segment as one text, or "<end>", or "!" and the failure text.
std::string Joined(const std::vector<std::string>& elements)
{
    std::string text;
    for (const std::string& element : elements) {
        text += element;
        text += '\x01';
    }
    return text;
}

// What reading segment after segment must give, by the reading rules in their plainest form: one byte at a
// time, nothing taken in place, no buffer.
std::vector<std::string> ExpectedSegments(std::string_view body, const Delimiters& d, X12ReaderVariant variant)
{
    const bool acknowledgment = variant == X12ReaderVariant::Acknowledgment;
    const std::size_t most = acknowledgment ? 4096 : 300;
    const std::string fail = acknowledgment ? "!ANSI-997/999 Process Error: [" : "!ANSI-864 Process Error: [";
    std::vector<std::string> segments;
    std::vector<std::string> elements;
    std::string current;
    bool started = false;
    for (const char c : body) {
        if (c == '\x1A') {
            break;
        }
        if (c == d.terminator || c == d.separator) {
            elements.push_back(current);
            current.clear();
            started = true;
            if (elements.size() > 12) {
                segments.push_back(fail + "Field count overflow: Segment " + elements[0] + "]");
                return segments;
            }
            if (c == d.terminator) {
                segments.push_back(Joined(elements));
                elements.clear();
                started = false;
            }
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        // The files below are all 5010: the acknowledgment reader keeps the repetition separator.
        if ((byte < 32 || byte > 126) && c != d.component && !(acknowledgment && c == d.repetition)) {
            continue;
        }
        started = true;
        if (current.size() == most) {
            segments.push_back(fail + "Character count overflow: Segment " +
                               (elements.empty() ? current : elements[0]) + " ; Field " +
                               std::to_string(elements.size()) + "]");
            return segments;
        }
        current += c;
    }
    segments.push_back(started ? fail + "Input file 'IN.X12' ended prematurely]" : "<end>");
    return segments;
}

std::vector<std::string> ReadSegments(X12SegmentReader& reader)
{
    std::vector<std::string> segments;
    for (;;) {
        if (reader.ReadNextSegment() != 0) {
            segments.push_back("!" + LastProcessError());
            return segments;
        }
        if (reader.atEnd()) {
            segments.push_back("<end>");
            return segments;
        }
        std::vector<std::string> elements;
        for (int i = 0; i < reader.elementCount(); ++i) {
            elements.emplace_back(reader.element(i));
        }
        segments.push_back(Joined(elements));
    }
}

// A body of random segments up to the reader's limits: mostly ordinary ones, some with line ends, control bytes
// or delimiters outside the printable range inside them, elements at the length limit and segments of twelve
// elements; long bodies put segments across the reader's 256 KB buffer. At its end, most bodies have one fault
// that fails the reading: a Ctrl-Z somewhere, a last segment without terminator, thirteen elements, or an
// element one above the limit.
std::string RandomBody(std::mt19937& random, const Delimiters& d, std::size_t size, std::size_t limit)
{
    const auto chance = [&random](int percent) { return static_cast<int>(random() % 100) < percent; };
    const std::string plain = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-";
    const std::string odd = std::string("\r\n\t\x7F\xE9", 5) + std::string(1, '\0') + d.component + d.repetition;
    const char* const ids[] = {"AK2", "IK3", "IK4", "CTX", "AK9", "SE", "ST", "GE", "IEA", "MSG", "MIT"};
    std::string body;
    const auto addSegment = [&](int elements, std::size_t longLength) {
        body += ids[random() % std::size(ids)];
        const int longOne =
            longLength > 0 && elements > 0 ? static_cast<int>(random() % static_cast<unsigned>(elements)) : -1;
        for (int e = 0; e < elements; ++e) {
            body += d.separator;
            std::size_t length = random() % 12;
            int oddPercent = 2;
            if (e == longOne) {
                // Plain half of the time, or a long element would hardly ever be plain.
                length = longLength;
                oddPercent = chance(50) ? 0 : 2;
            }
            for (std::size_t i = 0; i < length; ++i) {
                body += chance(oddPercent) ? odd[random() % odd.size()] : plain[random() % plain.size()];
            }
        }
        body += d.terminator;
        if (chance(70)) {
            body += chance(80) ? "\r\n" : "\n";
        }
    };
    while (body.size() < size) {
        const bool atLimit = chance(3);
        addSegment(chance(3) ? 11 : static_cast<int>(random() % 7), atLimit ? limit - random() % 2 : 0);
    }
    switch (random() % 5) {
    case 0:
        body.insert(random() % (body.size() + 1), 1, '\x1A');
        break;
    case 1:
        body += "SE";
        body += d.separator;
        body += "1";
        break;
    case 2:
        addSegment(12, 0);
        addSegment(2, 0);
        break;
    case 3:
        addSegment(3, limit + 1);
        addSegment(2, 0);
        break;
    default:
        break;
    }
    return body;
}

// The stop rule of searches in its plainest form: a search for a name stops at that name and at the segments
// that close the envelope the name belongs to.
bool StopsSearch(std::string_view id, std::string_view name, X12ReaderVariant variant)
{
    const bool closesInterchange = id == "ISA" || id == "IEA";
    const bool closesGroup = closesInterchange || id == "GE" || id == "GT";
    if (id == name) {
        return true;
    }
    if (name.starts_with(variant == X12ReaderVariant::Acknowledgment ? "AK" : "MIT")) {
        return closesGroup || id == "ST" || id == "SE";
    }
    return (name == "SE" && closesGroup) || (name == "GE" && closesInterchange);
}

constexpr std::string_view kSearchedNames[] = {"AK9", "SE", "IEA", "GE", "MIT", "AK2"};

// Where searches for the names in turn stop, found in the expected segments one at a time.
std::vector<std::string> ExpectedSearchStops(const std::vector<std::string>& segments, X12ReaderVariant variant)
{
    std::vector<std::string> stops;
    std::size_t current = 0; // one past the current segment
    for (std::size_t search = 0;; ++search) {
        const std::string_view name = kSearchedNames[search % std::size(kSearchedNames)];
        const auto idOf = [&segments](std::size_t i) {
            return std::string_view(segments[i]).substr(0, segments[i].find('\x01'));
        };
        if (current == 0 || idOf(current - 1) != name) {
            do {
                ++current;
            } while (segments[current - 1] != "<end>" && segments[current - 1][0] != '!' &&
                     !StopsSearch(idOf(current - 1), name, variant));
        }
        stops.push_back(segments[current - 1]);
        if (stops.back() == "<end>" || stops.back()[0] == '!') {
            return stops;
        }
    }
}

std::vector<std::string> SearchStopsOf(X12SegmentReader& reader)
{
    std::vector<std::string> stops;
    for (std::size_t search = 0;; ++search) {
        if (reader.SkipToSegment(kSearchedNames[search % std::size(kSearchedNames)]) != 0) {
            stops.push_back("!" + LastProcessError());
            return stops;
        }
        if (reader.atEnd()) {
            stops.push_back("<end>");
            return stops;
        }
        std::vector<std::string> elements;
        for (int i = 0; i < reader.elementCount(); ++i) {
            elements.emplace_back(reader.element(i));
        }
        stops.push_back(Joined(elements));
    }
}

} // namespace

// Random bodies with six sets of delimiters, for either reader: read segment by segment and searched through,
// each compared with the rules applied one byte and one segment at a time.
class SegmentReaderOnRandomBodies : public SegmentReader {
protected:
    template <typename Check>
    void forEachBody(Check check)
    {
        const Delimiters delimiters[] = {
            {'*', ':', '~', '^'},       {'|', '>', '\n', '!'}, {'*', '\x1F', '~', '\x1D'},
            {'\x1C', ':', '\x1E', '^'}, {'*', ':', '*', '^'},  {'^', ':', '~', '*'},
        };
        std::mt19937 random(20240102);
        for (int round = 0; round < 48; ++round) {
            const Delimiters& d = delimiters[static_cast<std::size_t>(round) % std::size(delimiters)];
            const std::size_t size = round % 8 == 0 ? 600000 + random() % 100000 : random() % 20000;
            for (const X12ReaderVariant variant : {X12ReaderVariant::Acknowledgment, X12ReaderVariant::TextMessage}) {
                const std::string body =
                    RandomBody(random, d, size, variant == X12ReaderVariant::Acknowledgment ? 4096 : 300);
                X12SegmentReader reader(variant);
                start(reader, Isa("00501", d.repetition, d.separator, d.component, d.terminator) + body);
                const std::vector<std::string> expected = ExpectedSegments(body, d, variant);
                check(reader, expected, variant, round);
            }
        }
    }

    static void ExpectSame(const std::vector<std::string>& found, const std::vector<std::string>& expected, int round)
    {
        for (std::size_t i = 0; i < std::min(found.size(), expected.size()); ++i) {
            ASSERT_EQ(found[i], expected[i]) << "round " << round << ", item " << i;
        }
        ASSERT_EQ(found.size(), expected.size()) << "round " << round;
    }
};

TEST_F(SegmentReaderOnRandomBodies, EverySegmentReadsAsByTheByteByByteRules)
{
    forEachBody([](X12SegmentReader& reader, const std::vector<std::string>& expected, X12ReaderVariant, int round) {
        ExpectSame(ReadSegments(reader), expected, round);
    });
}

TEST_F(SegmentReaderOnRandomBodies, SearchesStopWhereReadingSegmentBySegmentWould)
{
    forEachBody([](X12SegmentReader& reader, const std::vector<std::string>& expected, X12ReaderVariant variant,
                   int round) { ExpectSame(SearchStopsOf(reader), ExpectedSearchStops(expected, variant), round); });
}

TEST(SplitComposite, PadsTheFirstPartAndDropsWhatFollowsTheLastPartTaken)
{
    EXPECT_EQ(SplitComposite(':', "5:1", 3, 2, " ; "), "05 ; 1");
    EXPECT_EQ(SplitComposite(':', "12:3:4:5", 3, 2, "-"), "12-3-4");
    EXPECT_EQ(SplitComposite(':', "", 3, 2, "-"), "00");
    EXPECT_EQ(SplitComposite(':', "CLM01:A:B", 2, 0, ": "), "CLM01: A");
    EXPECT_EQ(SplitComposite(':', "a::b", 3, 0, ","), "a,,b");
    EXPECT_EQ(SplitComposite('>', "5:1", 3, 3, " ; "), "5:1");
}

TEST_F(SegmentReader, TheListLoaderKeepsWholeSegmentsWithTheirTerminators)
{
    std::vector<std::string> list;
    const std::string isa = Isa("00401", 'U', '*', ':', '\n');
    ASSERT_TRUE(LoadX12SegmentList(write(isa + "GS*HP*X\r\n  ST*835*1\n\x01TRN*1* 2 \n"), list, 300));
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], isa);
    EXPECT_EQ(list[1], "GS*HP*X\n");
    EXPECT_EQ(list[2], "ST*835*1\n");
    EXPECT_EQ(list[3], "TRN*1* 2 \n");

    ASSERT_TRUE(LoadX12SegmentList(write(Isa() + "A~B~C~D~"), list, 3));
    EXPECT_EQ(list.size(), 3u);
    ASSERT_TRUE(LoadX12SegmentList(write(Isa() + "A~B~\x1A"
                                                 "C~"),
                                   list, 0));
    EXPECT_EQ(list.size(), 3u);
    // A segment longer than the loader keeps is cut, its terminator kept.
    ASSERT_TRUE(LoadX12SegmentList(write(Isa() + "MSG*" + std::string(2000, 'M') + "~SE*1~"), list, 0));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].size(), kMaxListedSegmentLength);
    EXPECT_EQ(list[1].back(), '~');
    EXPECT_EQ(list[2], "SE*1~");

    EXPECT_FALSE(LoadX12SegmentList(write(Isa() + "GS*HP~ST*835"), list, 0));
    EXPECT_FALSE(LoadX12SegmentList(write(" " + Isa()), list, 0));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(LoadX12SegmentList(write(Isa().substr(0, 100)), list, 0));
    EXPECT_FALSE(LoadX12SegmentList(m_folder / "MISSING.X12", list, 0));
    EXPECT_FALSE(LoadX12SegmentList(m_folder.path(), list, 0));
}

TEST(X12DateTime, AcceptsOnlyDigitsThatFormARealDateOrTime)
{
    X12Date date;
    EXPECT_TRUE(ParseX12Date("20240229", date));
    EXPECT_EQ(date.year, 2024);
    EXPECT_EQ(date.month, 2);
    EXPECT_EQ(date.day, 29);
    for (const char* bad : {"20230229", "20241301", "2024010", "202401011", "2024-1-1", "+2024010", ""}) {
        EXPECT_FALSE(ParseX12Date(bad, date)) << bad;
    }
    X12Time time;
    EXPECT_TRUE(ParseX12Time("2359", time));
    EXPECT_EQ(time.hour, 23);
    EXPECT_EQ(time.minute, 59);
    for (const char* bad : {"2400", "1260", "123", "12:3", ""}) {
        EXPECT_FALSE(ParseX12Time(bad, time)) << bad;
    }
}
