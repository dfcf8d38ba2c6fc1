// The one rule for a report file that cannot be created, as the descriptor of a format asks for it.

#include "library/frame/ReportFormat.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;

namespace {

constexpr ReportFormat kAnswers{"ANSWERS", 0, nullptr, nullptr, nullptr, nullptr, OutputFailure::AnswerStatus};
constexpr ReportFormat kLeaves{"LEAVES", 0, nullptr, nullptr, nullptr, nullptr, OutputFailure::LeaveExport};

TReportViewerRequest RecordWithOutput(const std::filesystem::path& output)
{
    TReportViewerRequest record = test::MakeRequest("TEXT");
    SetFieldText(record.OutputPath, output.string());
    return record;
}

} // namespace

TEST(ReportOutputRule, AFileThatCannotBeCreatedAnswersFiveOrLeavesTheExportAsTheFormatSays)
{
    test::TempFolder folder;
    const TReportViewerRequest record = RecordWithOutput(folder / "missing" / "TALMRTMP.TXT");
    const ReportRequest answers(record, CallSettings{}, kAnswers);
    const ReportRequest leaves(record, CallSettings{}, kLeaves);
    ReportOutputFile out;
    EXPECT_EQ(CreateReportOutput(out, answers), kStatusCannotCreateOutput);
    EXPECT_FALSE(out.isOpen());
    EXPECT_THROW(CreateReportOutput(out, leaves), ReportOutputError);
    EXPECT_EQ(ReportOutputNotCreated(answers), kStatusCannotCreateOutput);
    EXPECT_THROW(ReportOutputNotCreated(leaves), ReportOutputError);
}

TEST(ReportOutputRule, AFileThatCanBeCreatedReplacesAnEarlierOneForEitherFormat)
{
    test::TempFolder folder;
    for (const ReportFormat* format : {&kAnswers, &kLeaves}) {
        test::WriteFile(folder / "TALMRTMP.TXT", "report of an earlier call");
        const TReportViewerRequest record = RecordWithOutput(folder / "TALMRTMP.TXT");
        ReportOutputFile out;
        ASSERT_EQ(CreateReportOutput(out, ReportRequest(record, CallSettings{}, *format)), kStatusSuccess);
        out.write("new");
        out.close();
        EXPECT_EQ(test::ReadFile(folder / "TALMRTMP.TXT"), "new") << format->name;
    }
}
