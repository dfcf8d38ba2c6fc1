// The custom match test of the action types: X12 content identification through the built library, with the
// intermediary read from TALMERE.INI on every call.

#include "library/x12/ContentIdentification.h"
#include "tests/library/x12/X12TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::Isa;

namespace {

// A one-set interchange: GS08, ST01, the segments of the set, and ISA06/ISA08.
std::string X12File(std::string_view gs08, std::string_view st01, std::string_view body = "",
                    std::string_view sender = "SENDER", std::string_view receiver = "RECEIVER")
{
    return Isa("00501", '^', '*', ':', '~', sender, receiver) + "GS*XX*S*R*20240105*0930*1*X*" + std::string(gs08) +
           "~ST*" + std::string(st01) + "*0001*" + std::string(gs08) + "~" + std::string(body) +
           "SE*9*0001~GE*1*1~IEA*1*1~";
}

// A trace number of our own numbering: a date, ten digits and the claim type mark.
std::string Trace(char mark, std::string_view date = "20240105")
{
    return "TRN*1*" + std::string(date) + "0000000001" + mark + "*1234567890~";
}

class Identification : public ::testing::Test {
protected:
    test::TempFolder m_folder;

    void setIntermediary(std::string_view value)
    {
        test::WriteFile(m_folder / "TALMERE.INI", "[General]\r\nIntermediary=" + std::string(value) + "\r\n");
    }
    // The answer for the file with Param1 to Param3, for a type of the given action format.
    int match(std::string_view content, std::string_view kind, std::string_view claimType = "",
              std::string_view unmarked = "", std::string_view format = "COPY")
    {
        test::WriteFile(m_folder / "STAGED.X12", content);
        return test::CallOnFile(kPerformCustomMatchTest, format, m_folder / "STAGED.X12", {},
                                {kind, claimType, unmarked}, m_folder.folderText())
            .status;
    }
};

} // namespace

TEST_F(Identification, TraceNumbersMarkTheClaimTypeOf271And277Files)
{
    const std::string institutional = X12File("005010X279A1", "271", Trace('U'));
    EXPECT_EQ(match(institutional, "ANSI_271", "INST"), 80);
    EXPECT_EQ(match(institutional, "ansi_271", "both"), 80);
    EXPECT_EQ(match(institutional, "ANSI_271", ""), 80);
    EXPECT_EQ(match(institutional, "ANSI_271", "PROF"), 81);
    EXPECT_EQ(match(institutional, "ANSI_271", "PROF", "YES"), 81) << "marked files never pass as unmarked";
    EXPECT_EQ(match(X12File("005010X279A1", "271", Trace('U') + Trace('H')), "ANSI_271", "PROF"), 80);
    EXPECT_EQ(match(X12File("004010X092A1", "271", Trace('H')), "ANSI_271", "PROF"), 80);

    // Numbers that are not of our numbering leave the file unmarked.
    for (const std::string& body : {std::string(), Trace('X'), Trace('U', "20241305"), Trace('U', "2024010A"),
                                    std::string("TRN*1*202401050000000001UX~"), std::string("TRN*1~"),
                                    std::string("TRN*1*20240105000000000U~")}) {
        const std::string file = X12File("005010X279A1", "271", body);
        EXPECT_EQ(match(file, "ANSI_271", "INST"), 81) << body;
        EXPECT_EQ(match(file, "ANSI_271", "INST", "yes"), 80) << body;
        EXPECT_EQ(match(file, "ANSI_271", "INST", "Y"), 81) << body;
    }
    // TRN02 as the last element of the segment ends at the terminator.
    EXPECT_EQ(match(X12File("005010X279A1", "271", "TRN*1*202401050000000001U~"), "ANSI_271", "INST"), 80);
    EXPECT_EQ(match(X12File("005010X212", "277", Trace('H')), "ANSI_277_ONLY", "PROF"), 80);
    EXPECT_EQ(match(X12File("005010X212", "277", Trace('H')), "ANSI_277_ONLY", "INST"), 81);

    // Both the GS and the ST must say what the file is.
    EXPECT_EQ(match(X12File("005010X279A1", "270", Trace('U')), "ANSI_271", "INST"), 81);
    EXPECT_EQ(match(X12File("005010X221A1", "271", Trace('U')), "ANSI_271", "INST"), 81);
}

TEST_F(Identification, ClaimAcknowledgmentsAndDeletedFilesNeedNoTraceNumber)
{
    const std::string claimAck = X12File("005010X214", "277");
    EXPECT_EQ(match(claimAck, "ANSI_277CA_ONLY", "INST"), 80);
    EXPECT_EQ(match(claimAck, "ANSI_277", "PROF"), 80);
    EXPECT_EQ(match(claimAck, "ANSI_277_ONLY", "PROF", "YES"), 81);

    const std::string status = X12File("004010X093A1", "277");
    EXPECT_EQ(match(status, "ANSI_277", "INST"), 81);
    EXPECT_EQ(match(status, "ANSI_277", "INST", "", "MOVE"), 81);
    EXPECT_EQ(match(status, "ANSI_277", "INST", "", "DELETE"), 80);
    EXPECT_EQ(match(status, "ANSI_277CA_ONLY", "INST", "", "DELETE"), 81);
}

TEST_F(Identification, PaymentsAndAcknowledgmentsByVersionAndClaimType)
{
    const std::string payment = X12File("005010X221A1", "835");
    EXPECT_EQ(match(payment, "ANSI_835", "PROF"), 80);
    EXPECT_EQ(match(payment, "ANSI_835", "DENTAL"), 81);
    EXPECT_EQ(match(X12File("004010X091A1", "835"), "ANSI_835"), 80);
    EXPECT_EQ(match(X12File("005010X222A1", "835"), "ANSI_835"), 81);

    const auto acknowledgment = [](std::string_view gs08, std::string_view ak103, std::string_view st01 = "999") {
        return X12File(gs08, st01, "AK1*HC*1*" + std::string(ak103) + "~");
    };
    EXPECT_EQ(match(acknowledgment("005010X231A1", "005010X223A2"), "ANSI_99X", "INST"), 80);
    EXPECT_EQ(match(acknowledgment("005010X231A1", "005010X223A2"), "ANSI_99X", "PROF"), 81);
    EXPECT_EQ(match(acknowledgment("005010X231A1", "005010X222A1"), "ANSI_99X", "INST"), 81);
    EXPECT_EQ(match(acknowledgment("005010X231A1", "005010X222A1"), "ANSI_99X", "PROF"), 80);
    EXPECT_EQ(match(acknowledgment("004010X096A1", "", "997"), "ANSI_99X", "INST"), 80);
    EXPECT_EQ(match(acknowledgment("004010X098A1", "", "997"), "ANSI_99X", "INST"), 81);
    EXPECT_EQ(match(acknowledgment("004010X098A1", "", "997"), "ANSI_99X", "PROF"), 80);
    EXPECT_EQ(match(acknowledgment("004010X098A1", "", "277"), "ANSI_99X", "PROF"), 81);
    EXPECT_EQ(match(acknowledgment("005010X231A1", "005010X222A1"), "ANSI_99X", "OTHER"), 81);
    // An interchange acknowledgment anywhere belongs to every claim type.
    const std::string interchangeAck = Isa() + "TA1*1*240105*0930*A*000~IEA*0*1~";
    EXPECT_EQ(match(interchangeAck, "ANSI_99X", "OTHER"), 80);
    EXPECT_EQ(match(interchangeAck, "ANSI_835", "PROF"), 81);
}

TEST_F(Identification, SomeIntermediariesRouteBySenderOrReceiver)
{
    setIntermediary("NOVSI");
    const auto payment = [](std::string_view sender) { return X12File("005010X221A1", "835", "", sender); };
    EXPECT_EQ(match(payment("PAYER0001"), "ANSI_835", "PROF"), 81);
    EXPECT_EQ(match(payment("PAYER0002"), "ANSI_835", "PROF"), 80);
    EXPECT_EQ(match(payment("PAYER000X"), "ANSI_835", "PROF"), 80);
    EXPECT_EQ(match(payment("PAYER0001"), "ANSI_835", "INST"), 80);
    EXPECT_EQ(match(payment(""), "ANSI_835", "INST"), 80);
    EXPECT_EQ(match(payment("PAYER0002"), "ANSI_835", "BOTH"), 80);
    // The 271 is never checked for the intermediary.
    EXPECT_EQ(match(X12File("005010X279A1", "271", Trace('H'), "PAYER0001"), "ANSI_271", "PROF"), 80);

    setIntermediary("HIGMK");
    EXPECT_EQ(match(payment("PAYER0001"), "ANSI_835", "PROF"), 81);
    // Group names are compared exactly.
    setIntermediary("novsi");
    EXPECT_EQ(match(payment("PAYER0001"), "ANSI_835", "PROF"), 80);

    setIntermediary("ABCBS");
    const auto status = [](std::string_view receiver) { return X12File("005010X214", "277", "", "SENDER", receiver); };
    EXPECT_EQ(match(status("00520"), "ANSI_277", "INST"), 81);
    EXPECT_EQ(match(status("00020"), "ANSI_277", "INST"), 80);
    EXPECT_EQ(match(status("00099"), "ANSI_277", "INST"), 80);
    EXPECT_EQ(match(status("00528"), "ANSI_277", "PROF"), 80);
    EXPECT_EQ(match(status("00020"), "ANSI_277", "PROF"), 81);
    // For payments and acknowledgments the code is the sender's.
    EXPECT_EQ(match(payment("00520"), "ANSI_835", "INST"), 81);
    EXPECT_EQ(match(X12File("005010X221A1", "835", "", "SENDER", "00520"), "ANSI_835", "INST"), 80);
    EXPECT_EQ(match(X12File("005010X231A1", "999", "AK1*HC*1*005010X223A2~", "00520"), "ANSI_99X", "INST"), 81);

    // The setting is read on every call.
    std::filesystem::remove(m_folder / "TALMERE.INI");
    EXPECT_EQ(match(payment("00520"), "ANSI_835", "INST"), 80);
}

TEST_F(Identification, OnlyX12FilesAndTheirFirst300SegmentsCount)
{
    EXPECT_EQ(match("\r\n" + X12File("005010X221A1", "835"), "ANSI_835"), 81);
    EXPECT_EQ(match(X12File("005010X221A1", "835"), "ANSI_836"), 81);
    EXPECT_EQ(match("", "ANSI_835"), 81);
    std::string filler;
    for (int i = 0; i < 297; ++i) {
        filler += "NTE*ADD*TEXT~";
    }
    // The ISA, GS and ST and 297 more segments make 300: a trace number after them is not seen.
    EXPECT_EQ(match(X12File("005010X279A1", "271", filler + Trace('U')), "ANSI_271", "INST"), 81);
    EXPECT_EQ(match(X12File("005010X279A1", "271", filler.substr(13) + Trace('U')), "ANSI_271", "INST"), 80);
    // A file cut inside a segment is not read at all.
    const std::string file = X12File("005010X221A1", "835");
    EXPECT_EQ(match(file.substr(0, file.size() - 4), "ANSI_835"), 81);
    EXPECT_EQ(test::CallOnFile(kPerformCustomMatchTest, "DELETE", m_folder / "NONE.X12", {}, {"ANSI_835"}).status, 81);
}

TEST(SegmentList, ElementsAreFoundAroundBlankElementsAndControlCharacterSeparators)
{
    x12ident::X12SegmentList list;
    const std::string isa = Isa("00501", '^', '\x1D', ':', '\n', "  SENDER01", "RECEIVER");
    list.assign({isa,
                 "GS\x1D"
                 "HP\n",
                 "TRN\x1D"
                 "1\x1D"
                 "X\n"});
    EXPECT_EQ(list.SegmentElement(list.text(0), 6), "SENDER01");
    EXPECT_EQ(list.SegmentElement(list.text(0), 8), "RECEIVER");
    EXPECT_EQ(list.SegmentElement(list.text(0), 2), "");
    EXPECT_EQ(list.SegmentElement(list.text(2), 2), "X");
    EXPECT_EQ(list.SegmentElement(list.text(2), 3), "");
    EXPECT_EQ(list.FindSegment("TRN", 0), 2);
    EXPECT_EQ(list.FindSegment("TRN", 3), -1);
    EXPECT_EQ(list.FindSegment("TR", 0), -1);
    EXPECT_EQ(list.FindSegment("GS", -5), 1);
}
