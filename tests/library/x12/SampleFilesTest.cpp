// Real X12 files from public projects, read where they lie in the shared samples folder: acknowledgments list
// and report as their content says, every file goes through every X12 handler, and the identification test
// answers what each file's GS08, ST01, TRN02 and ISA06/ISA08 imply.

#include "tests/library/x12/X12TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace talmere;
using test::CallOnFile;
using test::SharedSample;

namespace {

class SampleFiles : public ::testing::Test {
protected:
    test::TempFolder m_folder;

    void SetUp() override
    {
        if (!test::SharedSamplesAvailable()) {
            GTEST_SKIP() << "no shared samples at " << SharedSample("");
        }
    }

    test::CallResult list(const std::filesystem::path& file, std::string_view format = "ANSI_999")
    {
        return CallOnFile(kCreateDirectoryListingFile, format, file, m_folder / "TALMRD.DIR");
    }
    test::CallResult report(const std::filesystem::path& file, std::string_view format = "ANSI_999")
    {
        return CallOnFile(kGenerateReportFile, format, file, m_folder / "TALMRTMP.TXT");
    }
};

std::string Upper(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// The X12 files: every file in a subfolder (the folder itself holds the notes about them).
std::vector<std::filesystem::path> SampleX12Files()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(SharedSample(""))) {
        if (entry.is_regular_file() && entry.path().parent_path() != SharedSample("").parent_path()) {
            files.push_back(entry.path());
        }
    }
    return files;
}

std::string ErrorText(std::string_view file, std::string_view detail)
{
    return "ANSI-997/999 Process Error: [Input file '" + std::string(file) + "' " + std::string(detail) + "]";
}

} // namespace

TEST_F(SampleFiles, AcknowledgmentsListWithTheSummaryTheirContentGives)
{
    // Serial No, Status, Sender, Receiver, Trans Set #, counts: from GS02/GS03 of the first FA group, ST02 of the
    // first set, AK102 of the first AK1 and every AK9.
    const std::map<std::string, std::string> expected = {
        {"999/imsweb-x12_999_accepted.txt", "20200415|1024|04/15/2020|10:24|000000|A|RCVR1|SNDR12345|0001|1|1|1"},
        {"999/imsweb-x12_999_rejected.txt", "20110311|0958|03/11/2011|09:58|000000|R|EMEDNY|ABCD|95832987|1|1|0"},
        {"999/pyx12-834_ls_le_ls_5010.999.txt", "20130312|0206|03/12/2013|02:06|000000|A|MB888880|ORDHS|0001|1|1|1"},
        // Two groups of two sets; AK102 13360001 gives the serial number 13360.
        {"999/pyx12-834_lui_id_5010.999.txt", "20130808|2146|08/08/2013|21:46|013360|A|00AA|D00XXX|0001|4|4|4"},
        {"997/pyx12-834_lui_id.997.base", "20070320|1721|03/20/2007|17:21|013360|A|00GR|D00111|0001|1|1|1"},
        {"997/pyx12-bad_elements.997.base", "20070320|0942|03/20/2007|09:42|000000|R|RECEIVER|SENDER|0001|1|1|0"},
        {"997/pyx12-blank1.997.base", "20050721|1643|07/21/2005|16:43|000000|R|0BBB|0AAA|0001|1|1|0"},
        {"997/pyx12-mult_isa.997.base", "20070328|1628|03/28/2007|16:28|000000|R|00GR|D00111|0001|12|12|0"},
        {"997/pyx12-simple1.997.base", "20040701|1611|07/01/2004|16:11|000000|R|ZZ001|ZZ000|0001|1|1|0"},
        // The TA1 before the group gives status A, the group's AK9 R outranks it; AK102 101 is too short.
        {"ta1/imsweb-x12_999_accepted_ta1.txt", "20241018|0307|10/18/2024|03:07|000000|R|330897513|ABCDEF|0001|1|1|0"},
        // TA1 segments after the group are passed over.
        {"ta1/pyx12-835_simple.997.base", "20090304|1036|03/04/2009|10:36|000000|A|382999999|383319999|0001|1|1|1"},
        {"ta1/pyx12-fail_no_IEA.997.base", "20040701|1621|07/01/2004|16:21|000000|R|ZZ001|ZZ000|0001|1|1|0"},
        {"ta1/pyx12-trailer_errors.997.base", "20041206|1224|12/06/2004|12:24|000000|R|ENCOUNTER|00HP|0001|2|2|1"},
    };
    for (const auto& [relative, fields] : expected) {
        const std::filesystem::path file = SharedSample(relative);
        const std::string name = Upper(file.filename().string());
        const test::CallResult listed = list(file);
        EXPECT_EQ(listed.status, 0) << relative << ": " << listed.message;
        const std::size_t dates = fields.find('|', 9);
        EXPECT_EQ(listed.output, fields.substr(0, dates) + "|" + name + fields.substr(dates) + "|" + name + "\r\n");
        const test::CallResult reported = report(file);
        EXPECT_EQ(reported.status, 0) << relative << ": " << reported.message;
        EXPECT_TRUE(reported.output.starts_with("Acknowledgment Created (GS04/05):        ")) << relative;
    }
}

TEST_F(SampleFiles, AcknowledgmentsThatAreNotWellFormedX12FailWithTheReasonTheirContentGives)
{
    const struct {
        const char* relative;
        const char* reportDetail;
    } cases[] = {
        // The ISA is 78 characters, not 106: taken at its fixed length it swallows the GS, and what follows
        // it is the rest of the GS line, not a GS segment.
        {"999/stupidedi-X231A1-FA999-pass-1.edi",
         "is not a valid ANSI-997 or ANSI-999 file (invalid or missing GS segment)"},
        // A UTF-8 byte order mark stands before "ISA".
        {"999/stupidedi-response-to-functional-group-containing-3-837s.edi",
         "is not a valid ANSI-997 or ANSI-999 file (missing ISA segment)"},
        {"997/stupidedi-response-to-functional-group-containing-837s.edi",
         "is not a valid ANSI-997 or ANSI-999 file (missing ISA segment)"},
        // The ISA is 102 characters: at its fixed length the segment terminator becomes the "F" of "GS*FA", so
        // the rest of the file reads as one segment "A" with far more than twelve elements.
        {"997/stupidedi-FA997-pass-1.edi", nullptr},
    };
    for (const auto& c : cases) {
        const std::filesystem::path file = SharedSample(c.relative);
        const std::string name = file.filename().string();
        const test::CallResult reported = report(file);
        EXPECT_EQ(reported.status, kStatusProcessError) << c.relative;
        EXPECT_EQ(reported.message, c.reportDetail != nullptr
                                        ? ErrorText(name, c.reportDetail)
                                        : std::string("ANSI-997/999 Process Error: [Field count overflow: Segment A]"));
        // No AK1 was read, so the scan reports that, whatever failed first.
        const test::CallResult listed = list(file);
        EXPECT_EQ(listed.status, kStatusProcessError) << c.relative;
        EXPECT_EQ(listed.message,
                  ErrorText(name, "is not a valid ANSI-997 or ANSI-999 file (must contain AK1 or TA1 segment)"));
        EXPECT_EQ(listed.output, "");
    }
}

TEST_F(SampleFiles, EveryFileGoesThroughEveryX12HandlerWithAStatus)
{
    const std::vector<std::filesystem::path> files = SampleX12Files();
    for (const std::filesystem::path& file : files) {
        const std::string relative = std::filesystem::relative(file, SharedSample("")).string();
        for (const char* format : {"ANSI_999", "ANSI_864"}) {
            const test::CallResult listed = list(file, format);
            EXPECT_TRUE(listed.status == 0 || listed.status == kStatusProcessError) << relative << ' ' << format;
            const test::CallResult reported = report(file, format);
            EXPECT_TRUE(reported.status == 0 || reported.status == kStatusProcessError) << relative << ' ' << format;
            EXPECT_LT(reported.output.size(), 64u * 1024) << relative << ' ' << format;
        }
        // None of them holds an 864 message.
        EXPECT_EQ(list(file, "ANSI_864").status, kStatusProcessError) << relative;
        for (const char* kind : {"ANSI_271", "ANSI_277", "ANSI_835", "ANSI_99X", "ANSI_864"}) {
            const int status = CallOnFile(kPerformCustomMatchTest, "MOVE", file, {}, {kind}).status;
            EXPECT_TRUE(status == kStatusCustomMatch || status == kStatusNoCustomMatch) << relative << ' ' << kind;
        }
    }
    EXPECT_GE(files.size(), 40u);
}

TEST_F(SampleFiles, IdentificationAnswersWhatEachFileIs)
{
    // The settings, one column each: Param1, Param2, Param3.
    const struct {
        const char* kind;
        const char* claimType;
        const char* unmarked;
    } settings[] = {
        {"ANSI_271", "BOTH", ""}, {"ANSI_271", "BOTH", "YES"},      {"ANSI_277", "BOTH", ""},
        {"ANSI_277", "", "yes"},  {"ANSI_277_ONLY", "BOTH", "YES"}, {"ANSI_277CA_ONLY", "INST", ""},
        {"ANSI_835", "PROF", ""}, {"ANSI_835", "DENTAL", ""},       {"ANSI_99X", "INST", ""},
        {"ANSI_99X", "PROF", ""},
    };
    // No sample has a trace number of our numbering: 271 and 277 files pass only when unmarked files are
    // accepted, except claim acknowledgments (X214), which need none. Files with prose, a byte order mark or
    // an ISA that is not 106 characters long before the interchange are not read as X12 at all.
    const std::string none = "0000000000";
    const std::string eligibility = "0100000000";
    const std::string status = "0001100000";
    const std::string claimAck = "0011010000";
    const std::string payment = "0000001000";
    const std::map<std::string, std::string> expected = {
        {"271/imsweb-x271.txt", eligibility},
        {"271/linuxforhealth-subscriber-health-benefit-check-error.271", eligibility},
        {"277/imsweb-x12_277_x212.txt", status},
        {"277/linuxforhealth-claim-level-status-ncpdp.277", status},
        {"277/linuxforhealth-claim-level-status.277", status},
        {"277/linuxforhealth-information-receiver-level-status.277", status},
        {"277/linuxforhealth-provider-level-status.277", status},
        {"277ca/imsweb-x12_277CA_accepted.txt", claimAck},
        {"277ca/imsweb-x12_277CA_rejected.txt", claimAck},
        {"277ca/stupidedi-X214-HN277-fail-1.edi", none},
        {"277ca/stupidedi-X214-HN277-fail-4.edi", none},
        {"277ca/stupidedi-X214-HN277-pass-1.edi", none},
        {"277ca/stupidedi-X214-HN277-pass-3.edi", none},
        {"277ca/stupidedi-X214-HN277-pass-4.edi", none},
        {"835/linuxforhealth-cob-contractural-adjustment.835", payment},
        {"835/linuxforhealth-managed-care.835", payment},
        {"835/linuxforhealth-tertiary-payment.835", payment},
        {"835/pyx12-835_simple.txt", payment},
        {"835/stupidedi-X221-HP835-pass-business-scenario-1.edi", none},
        {"835/stupidedi-dollars-and-data-sent-together.edi", payment},
        {"835/stupidedi-era-sample.edi", payment},
        {"835/stupidedi-multiple-claims-single-check.edi", payment},
        // 997s of a plain 004010 group name no claim type, and carry no TA1.
        {"997/pyx12-834_lui_id.997.base", none},
        {"997/pyx12-bad_elements.997.base", none},
        {"997/pyx12-blank1.997.base", none},
        {"997/pyx12-mult_isa.997.base", none},
        {"997/pyx12-simple1.997.base", none},
        {"997/stupidedi-FA997-pass-1.edi", none},
        {"997/stupidedi-response-to-functional-group-containing-837s.edi", none},
        // AK1 names the 837I (X223): institutional only. AK1 of an 834 (X220): both claim types.
        {"999/imsweb-x12_999_accepted.txt", "0000000010"},
        {"999/imsweb-x12_999_rejected.txt", "0000000010"},
        {"999/pyx12-834_ls_le_ls_5010.999.txt", "0000000011"},
        {"999/pyx12-834_lui_id_5010.999.txt", "0000000011"},
        {"999/stupidedi-X231A1-FA999-pass-1.edi", none},
        {"999/stupidedi-response-to-functional-group-containing-3-837s.edi", none},
        // A 278 first: no kind of ours.
        {"multi-isa/pyx12-mult_isa.txt", none},
        // A TA1 anywhere makes an acknowledgment of every claim type.
        {"ta1/imsweb-x12_999_accepted_ta1.txt", "0000000011"},
        {"ta1/pyx12-835_simple.997.base", "0000000011"},
        {"ta1/pyx12-fail_no_IEA.997.base", "0000000011"},
        {"ta1/pyx12-trailer_errors.997.base", "0000000011"},
    };
    std::set<std::string> seen;
    for (const std::filesystem::path& file : SampleX12Files()) {
        seen.insert(std::filesystem::relative(file, SharedSample("")).string());
    }
    for (const auto& [relative, answers] : expected) {
        EXPECT_EQ(seen.erase(relative), 1u) << "missing sample " << relative;
        std::string actual;
        for (const auto& s : settings) {
            const int result = CallOnFile(kPerformCustomMatchTest, "COPY", SharedSample(relative), {},
                                          {s.kind, s.claimType, s.unmarked})
                                   .status;
            actual += result == kStatusCustomMatch ? '1' : result == kStatusNoCustomMatch ? '0' : '?';
        }
        EXPECT_EQ(actual, answers) << relative;
    }
    EXPECT_TRUE(seen.empty()) << "a sample without an expected answer: " << *seen.begin();
}

TEST_F(SampleFiles, TheIntermediaryDecidesBySenderOnRealFiles)
{
    test::WriteFile(m_folder / "TALMERE.INI", "[General]\nIntermediary=NOVSI\n");
    const auto match = [&](std::string_view relative, std::string_view kind, std::string_view claimType) {
        return CallOnFile(kPerformCustomMatchTest, "COPY", SharedSample(relative), {}, {kind, claimType},
                          m_folder.folderText())
            .status;
    };
    // ISA06 ZZ001 ends in 1: an institutional sender.
    EXPECT_EQ(match("ta1/pyx12-fail_no_IEA.997.base", "ANSI_99X", "PROF"), 81);
    EXPECT_EQ(match("ta1/pyx12-fail_no_IEA.997.base", "ANSI_99X", "INST"), 80);
    EXPECT_EQ(match("ta1/pyx12-fail_no_IEA.997.base", "ANSI_99X", "BOTH"), 80);
    // ISA06 000000005 marks no claim type.
    EXPECT_EQ(match("835/linuxforhealth-managed-care.835", "ANSI_835", "PROF"), 80);
    EXPECT_EQ(match("835/linuxforhealth-managed-care.835", "ANSI_835", "INST"), 80);
}
