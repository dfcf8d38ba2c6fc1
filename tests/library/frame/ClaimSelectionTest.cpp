// The claim selection engine that every claim report runs: what it holds, copies and takes back.

#include "library/frame/ClaimSelection.h"
#include "library/frame/ReportFormat.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;

namespace {

// A selection into a fresh file; text() closes it and answers what it copied.
class Selection : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_out.create(m_folder / "selection")); }

    std::string text()
    {
        m_out.close();
        return test::ReadFile(m_folder / "selection");
    }

    void file(std::string_view line) { m_selection.heading(SelectionRole::FileHeading, line); }
    void payer(std::string_view line) { m_selection.heading(SelectionRole::PayerHeading, line); }
    void message(std::string_view line) { m_selection.heading(SelectionRole::HeadingPart, line); }
    void part(std::string_view line, bool selects = false)
    {
        m_selection.claimPart(line, [selects] { return selects; });
    }

    test::TempFolder m_folder;
    SelectionOutput m_out;
    ClaimSelection m_selection{m_out};
};

} // namespace

TEST_F(Selection, HeadingsAreCopiedOnceAboveTheirSelectedClaimsAndNeverWithoutOne)
{
    file("F1");
    message("F1 message");
    payer("P1");
    m_selection.claim("C1", ClaimVerdict::Rejected);
    part("C1 error");
    payer("P2");
    m_selection.claim("C2", ClaimVerdict::Selected);
    part("C2 error");
    m_selection.claim("C3", ClaimVerdict::Selected);
    payer("P3");
    m_selection.claim("C4", ClaimVerdict::Rejected);
    file("F2");
    payer("P4");
    m_selection.claim("C5", ClaimVerdict::Rejected);
    m_selection.finish();
    EXPECT_EQ(text(), "F1\r\nF1 message\r\nP2\r\nC2\r\nC2 error\r\nC3\r\n");
}

TEST_F(Selection, AnUndecidedClaimIsSelectedByItsFirstPassingPartOrTakenBackWithItsParts)
{
    file("F1");
    m_selection.claim("C1", ClaimVerdict::Undecided);
    part("C1 adjudication");
    part("C1 error", true);
    // Once selected, the later parts are not tested.
    m_selection.claimPart("C1 message", [] {
        ADD_FAILURE() << "a selected claim's part was tested";
        return false;
    });
    m_selection.claim("C2", ClaimVerdict::Undecided);
    // More than is held in memory, so that part of the claim has gone to the file before it is taken back.
    const std::string line(4000, 'x');
    for (int i = 0; i < 400; ++i) {
        part(line);
    }
    m_selection.finish();
    EXPECT_EQ(text(), "F1\r\nC1\r\nC1 adjudication\r\nC1 error\r\nC1 message\r\n");
}

TEST_F(Selection, AnUnreadableHeadingOrClaimEndsTheClaimBeforeItButAnUnreadablePartDoesNot)
{
    file("F1");
    m_selection.claim("C1", ClaimVerdict::Selected);
    m_selection.unreadable(SelectionRole::ClaimPart);
    part("C1 error");
    m_selection.unreadable(SelectionRole::Claim);
    part("error of the unreadable claim");
    m_selection.claim("C2", ClaimVerdict::Undecided);
    part("C2 error");
    // The undecided claim is decided when it ends: without a passing part it goes.
    m_selection.unreadable(SelectionRole::PayerHeading);
    part("error after the unreadable payer", true);
    m_selection.claim("C3", ClaimVerdict::Selected);
    m_selection.finish();
    EXPECT_EQ(text(), "F1\r\nC1\r\nC1 error\r\nC3\r\n");
}

TEST_F(Selection, AHeadingsPartsAreHeldAndDroppedWithIt)
{
    file("F1");
    message("F1 message");
    payer("P1");
    message("P1 message");
    m_selection.claim("C1", ClaimVerdict::Rejected);
    payer("P2");
    message("P2 message");
    m_selection.claim("C2", ClaimVerdict::Selected);
    file("F2");
    message("F2 message");
    m_selection.finish();
    EXPECT_EQ(text(), "F1\r\nF1 message\r\nP2\r\nP2 message\r\nC2\r\n");
}

TEST(SelectionValues, AreTrimmedAndTestTheStartOfAFieldWithoutRegardToCase)
{
    TReportViewerRequest record = test::MakeRequest("AVAILITY_IBR");
    SetFieldText(record.FilterValues[0], "  smi ");
    SetFieldText(record.FilterValues[5], "ignored");
    const ReportFormat format{"AVAILITY_IBR", 0, nullptr, nullptr, nullptr, nullptr, OutputFailure::LeaveExport};
    const ReportRequest request(record, CallSettings{}, format);
    const SelectionValues values(request, 5);
    EXPECT_TRUE(values.any());
    EXPECT_EQ(values[1], "smi");
    EXPECT_EQ(values[6], "") << "only the format's values count";
    EXPECT_TRUE(values.fieldBeginsWith(1, "SMITH, JO"));
    EXPECT_FALSE(values.fieldBeginsWith(1, "SM"));
    EXPECT_TRUE(values.fieldBeginsWith(2, "anything")) << "an empty value passes every field";
    EXPECT_FALSE(SelectionValues(request, 0).any());
}

TEST(StatusCodeList, StatusCodeListsSplitAtEverySeparatorAndNaAlsoMatchesEmpty)
{
    EXPECT_EQ(StatusCodeList(" r, a;;w|i "), "|R|A|W|I|");
    EXPECT_TRUE(InStatusCodeList("R", StatusCodeList("r a")));
    EXPECT_FALSE(InStatusCodeList("r", StatusCodeList("r a"))) << "the record's code keeps its case";
    EXPECT_FALSE(InStatusCodeList("", StatusCodeList("r")));
    EXPECT_EQ(StatusCodeList("na"), "|NA||");
    EXPECT_TRUE(InStatusCodeList("", StatusCodeList("na")));
    EXPECT_FALSE(InStatusCodeList("", StatusCodeList(",;")));
}

TEST(SelectionOutput, TakesBackWhatWasWrittenAfterAPositionAlsoOnceItReachedTheFile)
{
    test::TempFolder folder;
    SelectionOutput out;
    ASSERT_TRUE(out.create(folder / "selection"));
    out.writeLine("kept");
    const std::uint64_t mark = out.position();
    // More than is held in memory, so that part of it has gone to the file.
    const std::string line(4000, 'x');
    for (int i = 0; i < 400; ++i) {
        out.writeLine(line);
    }
    out.takeBack(mark);
    out.writeLine("after");
    const std::uint64_t second = out.position();
    out.writeLine("dropped");
    out.takeBack(second);
    out.close();
    EXPECT_EQ(test::ReadFile(folder / "selection"), "kept\r\nafter\r\n");
}
