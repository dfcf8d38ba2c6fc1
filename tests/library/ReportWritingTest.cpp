#include "library/ReportWriting.h"
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
    write(out);
    out.close();
    return test::ReadFile(folder / "report.txt");
}

} // namespace

TEST(WriteLabelLine, PadsOrCutsTheLabelToItsWidth)
{
    EXPECT_EQ(Written([](ReportOutputFile& out) { WriteLabelLine(out, 10, "Payer:", "BCBS  "); }),
              "Payer:    BCBS  \r\n");
    EXPECT_EQ(Written([](ReportOutputFile& out) { WriteLabelLine(out, 4, "Submitter:", "X"); }), "SubmX\r\n");
    EXPECT_EQ(Written([](ReportOutputFile& out) { WriteLabelLine(out, 3, "", ""); }), "   \r\n");
}

TEST(WriteWrappedLabelLine, BreaksAtTheLastSpaceThatFits)
{
    EXPECT_EQ(Written([](ReportOutputFile& out) { WriteWrappedLabelLine(out, 20, 10, "Message", "abcd efgh ijkl"); }),
              "Message             abcd efgh\r\n"
              "                    ijkl\r\n");
}

TEST(WriteWrappedLabelLine, CutsWordsLongerThanTheWidthAndTrimsTheRest)
{
    EXPECT_EQ(WrapValue("  abcdefghijklmnop qr\t", 6), (std::vector<std::string>{"abcdef", "ghijkl", "mnop", "qr"}));
    // A space just past the width still counts: the piece is the full width.
    EXPECT_EQ(WrapValue("abcdef ghi", 6), (std::vector<std::string>{"abcdef", "ghi"}));
    // A piece ends before the last space that fits; the spaces before that one stay with the piece.
    EXPECT_EQ(WrapValue("ab  cd  efghij", 8), (std::vector<std::string>{"ab  cd ", "efghij"}));
    EXPECT_EQ(WrapValue("exactly10!", 10), (std::vector<std::string>{"exactly10!"}));
}

TEST(WriteWrappedLabelLine, AnEmptyOrBlankValueWritesTheLabelAlone)
{
    EXPECT_EQ(Written([](ReportOutputFile& out) { WriteWrappedLabelLine(out, 8, 10, "Note:", " \x01\t "); }),
              "Note:   \r\n");
    EXPECT_TRUE(WrapValue("", 5).empty());
}

TEST(WriteWrappedLabelLine, AWidthBelowOneStillEnds)
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
    EXPECT_EQ(ReportLineWidth("8", "PORTRAIT"), 78);
    EXPECT_EQ(ReportLineWidth("x8", "PORTRAIT"), 58);
    EXPECT_EQ(ReportLineWidth("", "LANDSCAPE"), 84);
}

TEST(JoinListingFields, SeparatesWithBarsOnlyBetweenFields)
{
    EXPECT_EQ(JoinListingFields({"20240307", "0905", "NAME"}), "20240307|0905|NAME");
    EXPECT_EQ(JoinListingFields({"", "x", ""}), "|x|");
    EXPECT_EQ(JoinListingFields({}), "");
}
