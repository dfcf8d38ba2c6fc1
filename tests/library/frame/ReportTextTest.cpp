#include "library/frame/ReportText.h"
#include "library/frame/ListingDriver.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;

namespace {

// Runs a writer into a fresh file and answers what it wrote.
template <typename Write>
std::string Written(Write write)
{
    test::TempFolder folder;
    ReportOutputFile out;
    EXPECT_TRUE(out.create(folder / "report.txt"));
    ReportText text(out);
    write(text);
    text.flush();
    out.close();
    return test::ReadFile(folder / "report.txt");
}

} // namespace

TEST(ReportText, LabelsAndValuesArePaddedOrCutToTheirWidths)
{
    EXPECT_EQ(Written([](ReportText& text) { text.start("Payer:", 10).text("BCBS  ").end(); }), "Payer:    BCBS  \r\n");
    EXPECT_EQ(Written([](ReportText& text) { text.start("Submitter:", 4).text("X").end(); }), "SubmX\r\n");
    EXPECT_EQ(Written([](ReportText& text) { text.start("", 3).end(); }), "   \r\n");
    EXPECT_EQ(Written([](ReportText& text) { text.start("ignored", 0).left("abc", 5).right("12", 4).spaces(2).end(); }),
              "abc    12  \r\n");
    EXPECT_EQ(Written([](ReportText& text) { text.left("abcdef", 3).right("123456", 2).end(); }), "abc12\r\n");
    EXPECT_EQ(Written([](ReportText& text) {
                  text << "a"
                       << "b";
                  text.pending() += 'c';
                  text.line("Label: ", "value");
                  text.line("plain");
                  text.blankLine();
              }),
              "abcLabel: value\r\nplain\r\n\r\n");
}

TEST(ReportText, WrappedValuesBreakAtTheLastSpaceThatFits)
{
    EXPECT_EQ(Written([](ReportText& text) { text.wrapped(20, 10, "Message", "abcd efgh ijkl"); }),
              "Message             abcd efgh\r\n"
              "                    ijkl\r\n");
}

TEST(ReportText, ReachesTheFileWhetherTheTextIsFlushedInPiecesOrAtTheEnd)
{
    // Far more than one piece: what goes to the file on the way and what is flushed at the end join up.
    std::string expected;
    const std::string written = Written([&expected](ReportText& text) {
        for (int i = 0; i < 20000; ++i) {
            const std::string line = "line " + std::to_string(i);
            text.line(line);
            expected += line + "\r\n";
        }
    });
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

TEST(ReportText, PiecesOfEveryLengthReachTheFileUnchanged)
{
    // Short pieces are copied by moves of fixed size, padding is written in blocks, and pieces larger than what
    // is gathered go to the file on their own: every length must come out as it went in, in its place.
    std::string expected;
    const std::string written = Written([&expected](ReportText& text) {
        for (int round = 0; round < 40; ++round) {
            for (std::size_t length = 0; length <= 100; ++length) {
                std::string piece;
                for (std::size_t i = 0; i < length; ++i) {
                    piece.push_back(static_cast<char>('a' + (i + length + static_cast<std::size_t>(round)) % 26));
                }
                text << piece;
                text.append(length % 19, static_cast<char>('0' + length % 10));
                text += '|';
                expected += piece + std::string(length % 19, static_cast<char>('0' + length % 10)) + '|';
            }
            text.end();
            expected += "\r\n";
        }
        const std::string large(200000, 'L');
        text.line(large);
        text.append(100000, '.');
        text.line("tail");
        expected += large + "\r\n" + std::string(100000, '.') + "tail\r\n";
    });
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

TEST(ReportText, AFileThatCannotBeWrittenIsAnError)
{
    ReportOutputFile closed;
    ReportText text(closed);
    text.line("lost");
    EXPECT_THROW(text.flush(), ReportOutputError);
}

TEST(WrapValue, CutsWordsLongerThanTheWidthAndTrimsTheRest)
{
    EXPECT_EQ(WrapValue("  abcdefghijklmnop qr\t", 6), (std::vector<std::string>{"abcdef", "ghijkl", "mnop", "qr"}));
    // A space just past the width still counts: the piece is the full width.
    EXPECT_EQ(WrapValue("abcdef ghi", 6), (std::vector<std::string>{"abcdef", "ghi"}));
    // A piece ends before the last space that fits; the spaces before that one stay with the piece.
    EXPECT_EQ(WrapValue("ab  cd  efghij", 8), (std::vector<std::string>{"ab  cd ", "efghij"}));
    EXPECT_EQ(WrapValue("exactly10!", 10), (std::vector<std::string>{"exactly10!"}));
}

TEST(WrapValue, AnEmptyOrBlankValueWritesTheLabelAlone)
{
    EXPECT_EQ(Written([](ReportText& text) { text.wrapped(8, 10, "Note:", " \x01\t "); }), "Note:   \r\n");
    EXPECT_TRUE(WrapValue("", 5).empty());
}

TEST(WrapValue, AWidthBelowOneStillEnds)
{
    EXPECT_EQ(WrapValue("abc", 0), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(WrapValue("ab", -5), (std::vector<std::string>{"a", "b"}));
}

TEST(ReportLineWidth, FollowsThePointSizeAndOrientation)
{
    const std::vector<std::tuple<int, int, int>> widths = {{3, 58, 84},  {4, 90, 136}, {7, 90, 136}, {8, 78, 112},
                                                           {9, 58, 84},  {10, 58, 84}, {11, 44, 68}, {12, 44, 68},
                                                           {13, 58, 84}, {14, 58, 84}, {64, 58, 84}, {0, 58, 84}};
    for (const auto& [size, portrait, landscape] : widths) {
        EXPECT_EQ(ReportLineWidth(size, "PORTRAIT"), portrait) << size;
        EXPECT_EQ(ReportLineWidth(size, "LANDSCAPE"), landscape) << size;
    }
    // Only the exact word selects portrait.
    EXPECT_EQ(ReportLineWidth(10, "portrait"), 84);
    EXPECT_EQ(ReportLineWidth(10, ""), 84);
}

TEST(JoinListingFields, SeparatesWithBarsOnlyBetweenFields)
{
    EXPECT_EQ(JoinListingFields({"20240307", "0905", "NAME"}), "20240307|0905|NAME");
    EXPECT_EQ(JoinListingFields({"", "x", ""}), "|x|");
    EXPECT_EQ(JoinListingFields({}), "");
}
