// ANSI_864 through the built library: listings and the message text with its line spacing and page breaks.

#include "library/x12/TextMessageReport.h"
#include "tests/library/x12/X12TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::CallOnFile;
using test::Isa;
using test::ReadFile;
using test::TestData;

namespace {

const std::string kNotValid = "ANSI-864 Process Error: [Input file 'MSG.X12' is not a valid ANSI-864 file ";

// One interchange of one TX group holding the given sets.
std::string Messages(std::string_view sets, std::string_view gs = "GS*TX*SENDER*RECEIVER*20240105*0930*1*X*005010~")
{
    return Isa() + std::string(gs) + std::string(sets) + "GE*1*1~IEA*1*1~";
}

std::string Set(std::string_view body, std::string_view control = "0001")
{
    return "ST*864*" + std::string(control) + "~" + std::string(body) + "SE*9*" + std::string(control) + "~";
}

class TextMessage : public ::testing::Test {
protected:
    test::TempFolder m_folder;

    std::filesystem::path write(std::string_view content)
    {
        test::WriteFile(m_folder / "MSG.X12", content);
        return m_folder / "MSG.X12";
    }
    test::CallResult report(std::string_view content)
    {
        return CallOnFile(kGenerateReportFile, "ANSI_864", write(content), m_folder / "TALMRTMP.TXT");
    }
    test::CallResult list(std::string_view content)
    {
        return CallOnFile(kCreateDirectoryListingFile, "ANSI_864", write(content), m_folder / "TALMRDMS.DIR");
    }
};

} // namespace

TEST_F(TextMessage, ReportsAndTheListingMatchTheExpectedFiles)
{
    for (const char* name : {"MS240320.001", "MS240321.001"}) {
        const test::CallResult result = CallOnFile(kGenerateReportFile, "ANSI_864",
                                                   TestData("x12/msg/" + std::string(name)), m_folder / "TALMRTMP.TXT");
        EXPECT_EQ(result.status, 0) << result.message;
        EXPECT_EQ(result.output, ReadFile(TestData("x12/expected/" + std::string(name) + ".TXT"))) << name;
    }
    TReportViewerRequest request = test::MakeRequest("ANSI_864");
    SetFieldText(request.ArchivePrefix, "MS");
    SetFieldText(request.ReportPath, TestData("x12/msg").string() + "/");
    SetFieldText(request.OutputPath, (m_folder / "TALMRDMS.DIR").string());
    EXPECT_EQ(test::CallBuiltLibrary(kCreateDirectoryListingFile, request).status, 0);
    EXPECT_EQ(ReadFile(m_folder / "TALMRDMS.DIR"), ReadFile(TestData("x12/expected/TALMRDMS.DIR")));
}

TEST_F(TextMessage, EachMessageSegmentAsksForItsOwnLineSpacing)
{
    EXPECT_EQ(report(Messages(Set("MIT*1~MSG*ONE~MSG*TWO~MSG*THREE~"))).output, "\r\nONE\r\nTWO\r\nTHREE\r\n");
    EXPECT_EQ(report(Messages(Set("MIT*1~MSG*A~MSG*B*AA*2~MSG*C*aa*X~MSG*D*AA*-1~MSG*E*AA*0~"))).output,
              "\r\nA\r\n\r\nB\r\nC\r\nDE\r\n");
    EXPECT_EQ(report(Messages(Set("MIT*1~MSG*A~MSG*B*LC~MSG*C*NS~MSG*D*NP~MSG*E*DS~MSG*F*AT~MSG*G*XX~"))).output,
              "\r\nABC\fD\r\n\r\nE\r\n\r\n\r\nF\r\nG\r\n");
    // A damaged count cannot make the report write without end.
    std::string advance;
    for (int i = 0; i < ansi864::kMaxLineAdvance; ++i) {
        advance += "\r\n";
    }
    EXPECT_EQ(report(Messages(Set("MIT*1~MSG*A*AA*999999999~"))).output, advance + "A\r\n");
}

TEST_F(TextMessage, EveryLaterMessageSetGroupAndInterchangeStartsANewPage)
{
    EXPECT_EQ(report(Messages(Set("MIT*1~MSG*A~MIT*2~MSG*B~"))).output, "\r\nA\f\r\nB\r\n");
    EXPECT_EQ(report(Messages(Set("MIT*1~MSG*A~") + Set("MIT*2~MSG*B*NS~", "0002"))).output, "\r\nA\fB\r\n");
    const std::string twoGroups = Isa() + "GS*TX*S*R*20240105*0930*1*X*005010~" + Set("MIT*1~MSG*A~") +
                                  "GE*1*1~GS*FA*S*R*20240105*0930*2*X*005010X231A1~ST*999*1~SE*2*1~GE*1*2~"
                                  "GS*TX*S*R*20240105*0930*3*X*005010~" +
                                  Set("MIT*2~MSG*B*NS~") + "GE*1*3~IEA*3*1~";
    // The group of another kind is skipped without a page break.
    EXPECT_EQ(report(twoGroups).output, "\r\nA\fB\r\n");
    EXPECT_EQ(report(Messages(Set("MIT*1~MSG*A~")) + "\r\n" + Messages(Set("MIT*2~MSG*B*NS~"))).output, "\r\nA\fB\r\n");
    // Sets of other kinds are passed over, and other segments between the messages too.
    EXPECT_EQ(report(Messages("ST*997*5~AK1*HC*1~SE*3*5~" + Set("BMG*00~N1*PR*PAYER~MIT*1~REF*ZZ*1~MSG*A~"))).output,
              "\r\nA\r\n");
}

TEST_F(TextMessage, TheListingTakesTheFirstDateReferenceOrElseTheGroupDate)
{
    const auto listed = [&](std::string_view sets) {
        const test::CallResult result = list(Messages(sets));
        EXPECT_EQ(result.status, 0) << result.message;
        return result.output;
    };
    EXPECT_EQ(listed(Set("DTM*097*20240104*1715~MIT*REF-1~MSG*A~")),
              "20240104|1715|MSG.X12|01/04/2024|17:15|SENDER|RECEIVER|0001|REF-1|MSG.X12\r\n");
    EXPECT_EQ(listed(Set("DTM*097*20240104~MIT*REF-1~")),
              "20240104|0000|MSG.X12|01/04/2024|00:00|SENDER|RECEIVER|0001|REF-1|MSG.X12\r\n");
    EXPECT_EQ(listed(Set("DTM*097*20240104*99~MIT*REF-1~")),
              "20240104|0000|MSG.X12|01/04/2024|00:00|SENDER|RECEIVER|0001|REF-1|MSG.X12\r\n");
    // Only the first DTM counts, even when its date is not valid.
    EXPECT_EQ(listed(Set("DTM*097*20240132*1715~DTM*097*20240104*1715~MIT*REF-1~")),
              "20240105|0930|MSG.X12|01/05/2024|09:30|SENDER|RECEIVER|0001|REF-1|MSG.X12\r\n");
    // The first MIT of the file and the first 864 set give the references; the scan of a set ends at its MIT.
    EXPECT_EQ(listed(Set("MIT*FIRST~DTM*097*20240101~") + Set("MIT*SECOND~", "0008")),
              "20240105|0930|MSG.X12|01/05/2024|09:30|SENDER|RECEIVER|0001|FIRST|MSG.X12\r\n");
    // A set without a message ends the scan of its group: a message in a later set of that group is not seen.
    EXPECT_EQ(list(Messages(Set("MSG*A~") + Set("MIT*LATE~", "0002"))).message, kNotValid + "(missing MIT segment)]");
}

TEST_F(TextMessage, FilesWithoutMessagesAndBrokenEnvelopesFail)
{
    const test::CallResult noMit = report(Messages(Set("MSG*TEXT~")));
    EXPECT_EQ(noMit.status, kStatusProcessError);
    EXPECT_EQ(noMit.message, kNotValid + "(missing MIT segment)]");
    EXPECT_EQ(list(Messages(Set("MSG*TEXT~"))).message, kNotValid + "(missing MIT segment)]");
    // A second set without MIT fails the report after the first set was written.
    const test::CallResult second = report(Messages(Set("MIT*1~MSG*A~") + Set("MSG*B~", "0002")));
    EXPECT_EQ(second.message, kNotValid + "(missing MIT segment)]");
    EXPECT_EQ(second.output, "\r\nA\f");
    // The listing needs only one MIT in the file.
    EXPECT_EQ(list(Messages(Set("MIT*1~MSG*A~") + Set("MSG*B~", "0002"))).status, 0);

    const struct {
        std::string content;
        std::string message;
    } cases[] = {
        {Isa() + "ST*864*1~", kNotValid + "(invalid or missing GS segment)]"},
        {Messages(Set("MIT*1~"), "GS*TX*S*R*20241301*0930*1*X*005010~"), kNotValid + "(invalid GS segment date/time)]"},
        {Messages(Set("MIT*1~"), "GS*TX*S*R*20240105*93*1*X*005010~"), kNotValid + "(invalid GS segment date/time)]"},
        {Messages("MIT*1~"), kNotValid + "(invalid or missing ST segment)]"},
        // The reader's own failures carry the reader's prefix.
        {Messages(Set("MIT*1~MSG*1*2*3*4*5*6*7*8*9*10*11*12~")),
         "ANSI-864 Process Error: [Field count overflow: Segment MSG]"},
    };
    for (const auto& c : cases) {
        const test::CallResult result = report(c.content);
        EXPECT_EQ(result.status, kStatusProcessError);
        EXPECT_EQ(result.message, c.message);
    }
    // The scan replaces every failure by the missing message when it found none.
    EXPECT_EQ(list(Isa() + "ST*864*1~").message, kNotValid + "(missing MIT segment)]");
    // Groups of other kinds are not looked at, dates included.
    EXPECT_EQ(report(Isa() + "GS*FA*S*R*BAD*BAD~GE*1*1~IEA*1*1~").status, 0);

    EXPECT_EQ(CallOnFile(kGenerateReportFile, "ANSI_864", m_folder / "NONE.X12", m_folder / "OUT").status,
              kStatusFileMissing);
    EXPECT_EQ(CallOnFile(kPerformCustomMatchTest, "ANSI_864", write(Messages(Set("MIT*1~")))).status,
              kStatusNoCustomMatch);
}
