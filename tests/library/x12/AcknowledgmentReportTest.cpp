// ANSI_997, ANSI_999 and ANSI_99X through the built library: listings, reports and the claim-type match.

#include "tests/library/x12/X12TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

using namespace talmere;
using test::Ack997;
using test::Ack999;
using test::CallOnFile;
using test::Isa;
using test::ReadFile;
using test::TestData;

namespace {

const std::string kErrorStart = "ANSI-997/999 Process Error: [Input file 'ACK.X12' ";

class Acknowledgment : public ::testing::Test {
protected:
    test::TempFolder m_folder;

    std::filesystem::path write(std::string_view content, std::string_view name = "ACK.X12")
    {
        const std::filesystem::path path = m_folder / name;
        test::WriteFile(path, content);
        return path;
    }
    test::CallResult list(std::string_view content, std::string_view format = "ANSI_999")
    {
        return CallOnFile(kCreateDirectoryListingFile, format, write(content), m_folder / "TALMRD99.DIR");
    }
    test::CallResult report(std::string_view content, std::string_view format = "ANSI_999")
    {
        return CallOnFile(kGenerateReportFile, format, write(content), m_folder / "TALMRTMP.TXT");
    }
    int match(std::string_view content, std::string_view param1)
    {
        return CallOnFile(kPerformCustomMatchTest, "ANSI_99X", write(content), {}, {param1}).status;
    }
    // The listing fields after the three keys and the two display fields: Serial No to Accepted.
    std::string summaryOf(std::string_view content)
    {
        const test::CallResult result = list(content);
        EXPECT_EQ(result.status, 0) << result.message;
        const std::string line = result.output;
        std::size_t start = 0;
        for (int bars = 0; bars < 5 && start != std::string::npos; ++bars) {
            start = line.find('|', start) + 1;
        }
        const std::size_t end = line.rfind('|');
        return start == 0 || end == std::string::npos || end < start ? line : line.substr(start, end - start);
    }
};

} // namespace

TEST_F(Acknowledgment, ReportsMatchTheExpectedFilesForEveryFormatName)
{
    for (const char* name : {"AK240315.001", "AK240316.001", "AK240317.001", "AK240318.001"}) {
        const std::string expected = ReadFile(TestData("x12/expected/" + std::string(name) + ".TXT"));
        for (const char* format : {"ANSI_997", "ANSI_999", "ANSI_99X"}) {
            const test::CallResult result = CallOnFile(
                kGenerateReportFile, format, TestData("x12/ack/" + std::string(name)), m_folder / "TALMRTMP.TXT");
            EXPECT_EQ(result.status, 0) << name << ' ' << result.message;
            EXPECT_EQ(result.output, expected) << name << ' ' << format;
        }
    }
}

TEST_F(Acknowledgment, AnArchiveFolderListsItsAcknowledgmentsAndLeavesOutOtherFiles)
{
    TReportViewerRequest request = test::MakeRequest("ANSI_999");
    SetFieldText(request.ArchivePrefix, "AK");
    SetFieldText(request.ReportPath, TestData("x12/ack").string() + "/");
    SetFieldText(request.OutputPath, (m_folder / "TALMRDAK.DIR").string());
    // AK240319.001 is a payment file: it is left out, and the listing still succeeds.
    EXPECT_EQ(test::CallBuiltLibrary(kCreateDirectoryListingFile, request).status, 0);
    EXPECT_EQ(ReadFile(m_folder / "TALMRDAK.DIR"), ReadFile(TestData("x12/expected/TALMRDAK.DIR")));

    const test::CallResult single = CallOnFile(kCreateDirectoryListingFile, "ANSI_997",
                                               TestData("x12/ack/AK240319.001"), m_folder / "TALMRDAK.DIR");
    EXPECT_EQ(single.status, kStatusProcessError);
    EXPECT_EQ(single.message, "ANSI-997/999 Process Error: [Input file 'AK240319.001' is not a valid ANSI-997 or "
                              "ANSI-999 file (must contain AK1 or TA1 segment)]");
    EXPECT_EQ(single.output, "");
}

TEST_F(Acknowledgment, TheModeOfAGroupDecidesWhichSegmentsBelong)
{
    // 999 mode needs GS08 to begin with 005010X231; there, AK3 is a structural error.
    const test::CallResult ak3In999 = report(Ack999("AK1*HC*1*005010X222A1~AK2*837*1~AK3*CLM*1~AK9*R*1*1*0~"));
    EXPECT_EQ(ak3In999.status, kStatusProcessError);
    EXPECT_EQ(ak3In999.message, kErrorStart + "has structural error at segment AK3]");
    // The lines before the failure stay in the report.
    EXPECT_TRUE(ak3In999.output.ends_with("Transaction Set Control Number (AK202):  1\r\n"
                                          "Implementation Convention Ref (AK203):   \r\n"))
        << ak3In999.output;

    for (const char* segment : {"IK3*CLM*1~", "IK4*1~", "IK5*A~", "CTX*CLM01:1~"}) {
        const test::CallResult in997 = report(Ack997("AK1*HC*1~AK2*837*1~" + std::string(segment) + "AK9*A*1*1*1~"));
        EXPECT_EQ(in997.message,
                  kErrorStart + "has structural error at segment " + std::string(segment).substr(0, 3) + "]");
    }
    // A 999 set in a 997 group (and the other way round) is not an acknowledgment and is passed over.
    const std::string mixed = Isa() + "GS*FA*P*R*20240102*0800*1*X*004010X098A1~ST*999*1~AK1*HC*5001~SE*2*1~"
                                      "ST*997*2~AK1*HC*6001~AK9*A*1*1*1~SE*3*2~GE*2*1~IEA*1*1~";
    EXPECT_EQ(summaryOf(mixed), "000006|A|P|R|2|1|1|1");
    // Groups of other kinds are skipped, with their sets, whatever they hold.
    EXPECT_EQ(summaryOf(Isa() + "GS*HC*P*R*20240102*0800*1*X*005010X222A1~ST*837*1~AK1*HC*7001~AK9*R*1*1*0~SE*3*1~"
                                "GE*1*1~GS*FA*P2*R2*20240103*0900*2*X*005010X231A1~ST*999*1~AK1*HC*8~AK9*E*2*2*2~"
                                "SE*3*1~GE*1*2~IEA*2*1~"),
              "000000|E|P2|R2|1|2|2|2");
}

TEST_F(Acknowledgment, SerialNumbersComeFromGroupControlNumbersEndingIn001)
{
    const auto withControlNumber = [](std::string_view ak102) {
        return Ack999("AK1*HC*" + std::string(ak102) + "*005010X222A1~AK9*A*1*1*1~");
    };
    EXPECT_TRUE(summaryOf(withControlNumber("123001")).starts_with("000123|"));
    EXPECT_TRUE(summaryOf(withControlNumber("9876543210001")).starts_with("000000|")) << "too large for a number";
    EXPECT_TRUE(summaryOf(withControlNumber("1234567001")).starts_with("1234567|"));
    for (const char* plain : {"001", "1001X", "ABC001", "12002", ""}) {
        EXPECT_TRUE(summaryOf(withControlNumber(plain)).starts_with("000000|")) << plain;
    }
    const test::CallResult numbered = report(withControlNumber("123001"));
    EXPECT_NE(numbered.output.find("Prepare Serial Number:                   000123\r\n"
                                   "Group Control Number (AK102):            123001\r\n"),
              std::string::npos)
        << numbered.output;
    for (const char* plain : {"001", "ABC001"}) {
        EXPECT_EQ(report(withControlNumber(plain)).output.find("Prepare Serial Number"), std::string::npos) << plain;
    }
    // Only the first AK1 of the file counts.
    EXPECT_TRUE(
        summaryOf(Ack999("AK1*HC*5~AK9*A*1*1*1~SE*3*1~ST*999*2~AK1*HC*7001~AK9*A*1*1*1~")).starts_with("000000|"));
}

TEST_F(Acknowledgment, TheStatusIsTheHighestCodeAndCountsAddUpOverEveryAk9)
{
    const auto group = [](std::string_view ak9) {
        return "GS*FA*P*R*20240102*0800*1*X*005010X231A1~ST*999*1~AK1*HC*1~" + std::string(ak9) + "~SE*3*1~GE*1*1~";
    };
    EXPECT_EQ(summaryOf(Isa() + group("AK9*A*1*1*1") + group("AK9*R*2*2*0") + group("AK9*E*3*3*3") + "IEA*3*1~"),
              "000000|R|P|R|1|6|6|4");
    // Counts that are not numbers count 0; an empty AK901 leaves the status alone.
    EXPECT_EQ(summaryOf(Ack999("AK1*HC*1~AK9**ABC*-2*+3~")), "000000|A|P|R|0001|0|-2|3");
    // Counts beyond 32 bits still add up.
    EXPECT_EQ(summaryOf(Isa() + group("AK9*A*2147483647*2147483647*2147483647") +
                        group("AK9*A*2147483647*2147483647*2147483647") + "IEA*2*1~"),
              "000000|A|P|R|1|4294967294|4294967294|4294967294");
    const test::CallResult counts = report(Ack999("AK1*HC*1~AK9*A*ABC*2*X~"));
    EXPECT_NE(counts.output.find("Transaction Sets Included (AK902):       0\r\n"
                                 "Transaction Sets Received (AK903):       2\r\n"
                                 "Transaction Sets Accepted (AK904):       0\r\n"),
              std::string::npos);
}

TEST_F(Acknowledgment, StructuralFailuresNameWhatIsWrong)
{
    const std::string notValid = kErrorStart + "is not a valid ANSI-997 or ANSI-999 file ";
    const struct {
        std::string content;
        std::string reportMessage;
    } cases[] = {
        {Isa() + "ST*999*1~", notValid + "(invalid or missing GS segment)]"},
        {Isa() + "GS*FA*P*R*2024010*0800*1*X*005010X231A1~", notValid + "(invalid GS segment date/time)]"},
        {Isa() + "GS*FA*P*R*20240102*2460*1*X*005010X231A1~", notValid + "(invalid GS segment date/time)]"},
        // Every group's date is checked, also of groups that are skipped.
        {Isa() + "GS*HP*P*R*20240230*0800*1*X*005010X221A1~", notValid + "(invalid GS segment date/time)]"},
        {Isa() + "GS*FA*P*R*20240102*0800*1*X*005010X231A1~AK1*HC*1~", notValid + "(invalid or missing ST segment)]"},
        {Isa() + "GS*FA*P*R*20240102*0800*1*X*005010X231A1~ST*999*1~AK2*837*1~",
         notValid + "(invalid or missing AK1 segment)]"},
        {Isa() + "TA1*1*241399*0800*A*000~", notValid + "(invalid TA1 segment date/time)]"},
        {Isa() + "TA1*1*2412*0800*A*000~", notValid + "(invalid TA1 segment date/time)]"},
        {"\xEF\xBB\xBF" + Isa(), kErrorStart + "is not a valid ANSI-997 or ANSI-999 file (missing ISA segment)]"},
    };
    for (const auto& c : cases) {
        const test::CallResult result = report(c.content);
        EXPECT_EQ(result.status, kStatusProcessError);
        EXPECT_EQ(result.message, c.reportMessage);
        // Without an AK1 the scan's own verdict replaces whatever failed on the way.
        const test::CallResult listed = list(c.content);
        EXPECT_EQ(listed.status, kStatusProcessError);
        EXPECT_EQ(listed.message, notValid + "(must contain AK1 or TA1 segment)]") << c.reportMessage;
    }
    // After an AK1 the failure itself is what the listing reports.
    const std::string late = Isa() + "GS*FA*P*R*20240102*0800*1*X*005010X231A1~ST*999*1~AK1*HC*1~AK9*A*1*1*1~"
                                     "SE*3*1~GE*1*1~GS*FA*X~IEA*2*1~";
    EXPECT_EQ(list(late).message, notValid + "(invalid GS segment date/time)]");
    // A file that holds neither reports what was read, and succeeds.
    const test::CallResult empty = report(Isa() + "GS*HP*P*R*20240102*0800*1*X*005010X221A1~GE*0*1~IEA*1*1~");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.output, "");
}

TEST_F(Acknowledgment, ATa1CountsOnlyInTheFirstInterchangeBeforeAnyFunctionalGroup)
{
    const std::string ta1 = "TA1*000000123*240105*1230*E*022~";
    const test::CallResult alone = list(Isa() + ta1 + "IEA*0*1~");
    EXPECT_EQ(alone.output, "20240105|1230|ACK.X12|01/05/2024|12:30|TA1|E|||000000123|0|0|0|ACK.X12\r\n");
    EXPECT_EQ(report(Isa() + ta1 + "IEA*0*1~").output, "Interchange Control No. (TA101):      000000123\r\n"
                                                       "Interchange Date/Time (TA102/03):     01/05/2024  12:30\r\n"
                                                       "\r\n"
                                                       "Interchange Ack Code (TA104):         E - Accepted (But Errors "
                                                       "Were Noted)\r\n"
                                                       "\r\n"
                                                       "Interchange Note Code (TA105):\r\n"
                                                       "   022 - Invalid Control Structure\r\n"
                                                       "\r\n");
    EXPECT_EQ(report(Isa() + "TA1*7*240105*1230*Q*999~IEA*0*1~").output,
              "Interchange Control No. (TA101):      7\r\n"
              "Interchange Date/Time (TA102/03):     01/05/2024  12:30\r\n\r\n"
              "Interchange Ack Code (TA104):         Q - Unknown Acknowledgment Code\r\n\r\n"
              "Interchange Note Code (TA105):\r\n"
              "   999 - Unknown Interchange Note Code\r\n\r\n");

    // A TA1 before the group: the group overwrites date, sender, receiver and set number, not status or serial.
    const std::string before = Isa() + "TA1*000000123*240105*1230*R*000~GS*FA*P*R*20240106*0700*1*X*005010X231A1~"
                                       "ST*999*0042~AK1*HC*9001~AK9*A*1*1*1~SE*3*0042~GE*1*1~IEA*1*1~";
    EXPECT_EQ(list(before).output, "20240106|0700|ACK.X12|01/06/2024|07:00|000009|R|P|R|0042|1|1|1|ACK.X12\r\n");
    EXPECT_EQ(report(before).output.find("Interchange"), std::string::npos);
    // After a group, and in a later interchange, a TA1 is passed over.
    const std::string after = Ack999("AK1*HC*1~AK9*A*1*1*1~");
    EXPECT_EQ(summaryOf(after.substr(0, after.size() - 16) + "TA1*bad~IEA*1*000000001~"), "000000|A|P|R|0001|1|1|1");
    const test::CallResult second = list(Isa() + "IEA*0*1~" + Isa() + "TA1*1*240105*1230*A*000~IEA*0*2~");
    EXPECT_EQ(second.message, kErrorStart + "is not a valid ANSI-997 or ANSI-999 file (must contain AK1 or TA1 "
                                            "segment)]");
}

// The expected reports show context segments after IK3 and IK4 and repeated business units; these are the
// cases around them.
TEST_F(Acknowledgment, ContextSegmentsOfA999)
{
    const std::string text = report(Ack999("AK1*HC*1*005010X222A1~AK2*837*0001~CTX*SITUATIONAL TRIGGER*NM1*7~"
                                           "IK5*R*5~CTX*CLM01:Z~AK9*R*1*1*0~"))
                                 .output;
    // Before any IK3 or IK4 the context is an element's.
    EXPECT_NE(text.find("\r\n  Element Context (CTX04-05, 02):        NM1\r\n"
                        "    Position in Transaction Set (CTX03): 7\r\n"),
              std::string::npos)
        << text;
    // After the set status the set's AK201 is forgotten.
    EXPECT_NE(text.find("  Business Unit Identifier (CTX01):      CLM01: Z  (ANSI-)\r\n"), std::string::npos) << text;

    // What the last IK3 or IK4 was, and its segment, hold for the rest of the report, also in the next set.
    const std::string twoSets =
        report(Isa() + "GS*FA*P*R*20240102*0800*1*X*005010X231A1~ST*999*1~AK1*HC*1~AK2*837*0001~IK3*CLM*1**8~"
                       "AK9*R*1*1*0~SE*5*1~ST*999*2~AK1*HC*2~CTX*SITUATIONAL TRIGGER*NM1*7~IK4*2**1~AK2*837*0002~"
                       "IK5*A~AK9*A*1*1*1~SE*7*2~GE*2*1~IEA*1*1~")
            .output;
    EXPECT_NE(twoSets.find("Group Control Number (AK102):            2\r\n"
                           "Version/Release/Industry Code (AK103):   \r\n"
                           "  Segment Context (CTX04-05, 02):        NM1\r\n"
                           "    Position in Transaction Set (CTX03): 7\r\n"
                           "Field In Error (IK401):   CLM02\r\n"),
              std::string::npos)
        << twoSets;

    // Repetitions exist from version 5010 on: in an older interchange CTX01 is one value.
    const std::string old = Isa("00401", '^') + "GS*FA*P*R*20240102*0800*1*X*005010X231A1~ST*999*1~AK1*HC*1~"
                                                "AK2*837*1~CTX*A^B~AK9*A*1*1*1~SE*3*1~GE*1*1~IEA*1*1~";
    EXPECT_NE(report(old).output.find("  Business Unit Identifier (CTX01):      A^B  (ANSI-837)\r\n"),
              std::string::npos);
}

TEST_F(Acknowledgment, CodesDependOnTheModeAndTheInterchangeVersion)
{
    const auto contains = [](const std::string& text, std::string_view part) {
        return text.find(part) != std::string::npos;
    };
    const std::string errors = "AK2*837*1~AK3*SEG*1**3~AK4*1**1~AK4*2**12~AK5*R*19~";
    const std::string in4010 = report(Ack997("AK1*HC*1~" + errors + "AK9*R*1*1*0*19~")).output;
    EXPECT_TRUE(contains(in4010, "Segment Error Code: 3 - Mandatory Segment Missing\r\n")) << in4010;
    EXPECT_TRUE(contains(in4010, "Data Element Error:  1 - Mandatory data element missing\r\n"));
    EXPECT_TRUE(contains(in4010, "SEG02\r\n***ERROR*** Unknown Data Element Error"));
    EXPECT_TRUE(contains(in4010, "(AK502-AK506):\r\n\r\n    ***ERROR*** Unknown TS Syntax Error Code"));
    EXPECT_TRUE(contains(in4010, "(AK905-AK909):\r\n\r\n    ***ERROR*** Unknown Group Syntax Error Code"));
    // A 997 in a 5010 interchange knows the codes of version 5010.
    const std::string in5010 = report(Isa() + "GS*FA*P*R*20240102*0800*1*X*005010X230~ST*997*1~AK1*HC*1*005010X222A1~" +
                                      errors + "AK9*R*1*1*0*19~SE*9*1~GE*1*1~IEA*1*1~")
                                   .output;
    EXPECT_TRUE(contains(in5010, "Data Element Error: 12 - Too Many Repetitions\r\n")) << in5010;
    EXPECT_TRUE(contains(in5010, " 19 - Invalid Transaction Set Implementation Convention\r\n      Reference\r\n"));
    EXPECT_TRUE(contains(in5010, " 19 - Functional Group Control Number not Unique within Interchange\r\n"));
    // A 999 has texts of its own for codes 1 and 3.
    const std::string in999 = report(Ack999("AK1*HC*1~AK2*837*1~IK3*SEG*1**3~IK4*1**1~IK5*M~AK9*X*1*1*0~")).output;
    EXPECT_TRUE(contains(in999, "Segment Error Code: 3 - Required segment missing\r\n")) << in999;
    EXPECT_TRUE(contains(in999, "Data Element Error:  1 - Required data element missing\r\n"));
    EXPECT_TRUE(contains(in999, "(IK501):          M - Rejected\r\n  Message Authentication Code (MAC) Failed\r\n"));
    EXPECT_TRUE(contains(in999, "(AK901):         X - Rejected\r\n  Content After Decryption Could Not Be Analyzed"));
    // P is a status of groups only.
    EXPECT_TRUE(contains(report(Ack999("AK1*HC*1~AK2*837*1~IK5*P~AK9*A*1*1*1~")).output,
                         "(IK501):          ***ERROR*** Unknown Status Code ... Contact Your Distributor.\r\n"));
}

TEST_F(Acknowledgment, ASetWithoutAk9EndsTheScanOfItsGroupAndFailsTheReport)
{
    const std::string noAk9 = Ack999("AK1*HC*1~AK2*837*1~IK5*A~SE*3*1~ST*999*2~AK1*HC*2~AK9*R*1*1*0~");
    EXPECT_EQ(summaryOf(noAk9), "000000|A|P|R|0001|0|0|0");
    const test::CallResult result = report(noAk9);
    EXPECT_EQ(result.message, kErrorStart + "has structural error at segment SE]");
}

TEST_F(Acknowledgment, FilesEndingBetweenSegmentsAreReadAsFarAsTheyGo)
{
    const std::string whole = Ack999("AK1*HC*1~AK2*837*1~IK5*A~AK9*A*1*1*1~");
    // No IEA, no GE: what was read still makes the summary and the report.
    const std::string cut = whole.substr(0, whole.find("SE*"));
    EXPECT_EQ(summaryOf(cut), "000000|A|P|R|0001|1|1|1");
    const test::CallResult result = report(cut);
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.output.ends_with("Transaction Sets Accepted (AK904):       1\r\n"));
    // Inside a segment it is premature.
    EXPECT_EQ(report(whole.substr(0, whole.size() - 3)).message, kErrorStart + "ended prematurely]");
}

TEST_F(Acknowledgment, TheClaimTypeMatchReadsGs08AndAk103)
{
    const auto file = [](std::string_view gs08, std::string_view ak103) {
        const std::string set = gs08.starts_with("005010X231") ? "999" : "997";
        return Isa() + "GS*FA*P*R*20240102*0800*1*X*" + std::string(gs08) + "~ST*" + set + "*1~AK1*HC*1*" +
               std::string(ak103) + "~AK9*A*1*1*1~SE*3*1~GE*1*1~IEA*1*1~";
    };
    const struct {
        std::string content;
        int inst;
        int prof;
    } cases[] = {
        {file("004010X096A1", ""), 80, 81},
        {file("004010X098A1", ""), 81, 80},
        {file("004010X097A1", ""), 81, 80},
        {file("005010X231A1", "005010X223A2"), 80, 81},
        {file("005010X231A1", "005010X222A1"), 81, 80},
        {file("005010X231A1", "005010X224A2"), 81, 80},
        {file("005010X230", "005010X220A1"), 80, 80},
        {file("004010", ""), 81, 81},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(match(c.content, "INST"), c.inst) << c.content;
        EXPECT_EQ(match(c.content, "inst"), c.inst) << c.content;
        EXPECT_EQ(match(c.content, "PROF"), c.prof) << c.content;
        EXPECT_EQ(match(c.content, ""), 80);
        EXPECT_EQ(match(c.content, "Both"), 80);
        EXPECT_EQ(match(c.content, "DENTAL"), 81);
    }
    // AK103 only counts in a 5010 interchange.
    const std::string old = Isa("00401", 'U') + "GS*FA*P*R*20240102*0800*1*X*005010X231A1~ST*999*1~"
                                                "AK1*HC*1*005010X222A1~AK9*A*1*1*1~SE*3*1~GE*1*1~IEA*1*1~";
    EXPECT_EQ(match(old, "INST"), 80);
    // A file with only a TA1 belongs to every claim type; a file that is not an acknowledgment to none.
    for (const char* claimType : {"INST", "PROF", "DENTAL", ""}) {
        EXPECT_EQ(match(Isa() + "TA1*1*240105*1230*A*000~IEA*0*1~", claimType), 80) << claimType;
        EXPECT_EQ(match(Isa() + "IEA*0*1~", claimType), 81) << claimType;
    }
    EXPECT_EQ(CallOnFile(kPerformCustomMatchTest, "ANSI_997", m_folder / "MISSING.X12").status, 81);
}

TEST_F(Acknowledgment, PathsAndOutputFollowTheCommonRules)
{
    const test::CallResult missing =
        CallOnFile(kGenerateReportFile, "ANSI_999", m_folder / "MISSING.X12", m_folder / "TALMRTMP.TXT");
    EXPECT_EQ(missing.status, kStatusFileMissing);
    EXPECT_EQ(CallOnFile(kCreateDirectoryListingFile, "ANSI_999", m_folder / "MISSING.X12", m_folder / "L.DIR").status,
              kStatusFileMissing);
    TReportViewerRequest request = test::MakeRequest("ANSI_99X");
    SetFieldText(request.ReportPath, (m_folder / "NOFOLDER").string() + "/");
    SetFieldText(request.OutputPath, (m_folder / "L.DIR").string());
    EXPECT_EQ(test::CallBuiltLibrary(kCreateDirectoryListingFile, request).status, kStatusFolderMissing);

    const test::CallResult cannotWrite = CallOnFile(kGenerateReportFile, "ANSI_999", write(Ack999("AK1*HC*1~AK9*A~")),
                                                    m_folder / "NOFOLDER" / "TALMRTMP.TXT");
    EXPECT_EQ(cannotWrite.status, kStatusCannotCreateOutput);
    EXPECT_EQ(cannotWrite.message, "Unable to create the temporary report file.");
}

TEST_F(Acknowledgment, TheCommandLineToolWritesAnEmptyReportAsSuccess)
{
    // A file without acknowledgment segments reports nothing, successfully; the tool must not take the empty
    // output for a failure.
    const std::filesystem::path file = write(Isa() + "IEA*0*1~");
    const std::string command = std::string(TALMERE_REPORT_TOOL) + " report ANSI_999 '" + file.string() + "' > '" +
                                (m_folder / "out").string() + "' 2> '" + (m_folder / "err").string() + "'";
    const int result = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(result));
    EXPECT_EQ(WEXITSTATUS(result), 0) << ReadFile(m_folder / "err");
    EXPECT_EQ(ReadFile(m_folder / "out"), "");
}
