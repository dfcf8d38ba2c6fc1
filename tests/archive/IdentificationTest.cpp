// How staged files are recognised and named: search strings in order, the character test of text
// reports, sequence numbers and destination names, on real files.

#include "archive/Identification.h"
#include "archive/ArchiveNaming.h"
#include "tests/support/ArchiveTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::Q;
namespace fs = std::filesystem;

namespace {

TReportConfigInfoRecord Idents(std::initializer_list<const char*> idents)
{
    TReportConfigInfoRecord type;
    type.ReportFormat = "ANSI_999";
    int i = 0;
    for (const char* ident : idents) {
        type.SearchIdent[i++] = QString::fromLatin1(ident);
    }
    return type;
}

} // namespace

TEST(Identification, SearchStringsMustOccurInOrderWithoutOverlapping)
{
    test::TempFolder folder;
    const auto file = [&](const std::string& bytes) {
        test::WriteFile(folder / "f", bytes);
        return Q(folder / "f");
    };
    const TReportConfigInfoRecord acks = Idents({"ISA", "ST*997|ST*999"});
    EXPECT_TRUE(MatchesSearchIdents(acks, file("ISA*00~GS*FA~st*999*0001~")));
    EXPECT_FALSE(MatchesSearchIdents(acks, file("ST*999*0001~ISA*00~")));
    EXPECT_FALSE(MatchesSearchIdents(acks, file("")));
    EXPECT_FALSE(MatchesSearchIdents(acks, Q(folder / "missing")));

    // The earliest alternative wins (the first listed when two start together), and the next string is
    // looked for after it.
    EXPECT_TRUE(MatchesSearchIdents(Idents({"X|XA", "A"}), file("XA")));
    EXPECT_FALSE(MatchesSearchIdents(Idents({"XA|X", "A"}), file("XA")));
    EXPECT_FALSE(MatchesSearchIdents(Idents({"XAB|AB", "B"}), file("XAB")));
    EXPECT_FALSE(MatchesSearchIdents(Idents({"ISA", "ISA"}), file("ISA")));
    // Trailing blanks and empty alternatives do not count; leading blanks do.
    EXPECT_TRUE(MatchesSearchIdents(Idents({"ISA   ", "|| ST*"}), file("ISA~ ST*999")));
    EXPECT_FALSE(MatchesSearchIdents(Idents({" ISA"}), file("ISA~")));
    // An empty string ends the list: later ones are not looked for.
    EXPECT_TRUE(MatchesSearchIdents(Idents({"ISA", "", "NOWHERE"}), file("ISA~")));
    EXPECT_FALSE(MatchesSearchIdents(Idents({"ISA", "|"}), file("ISA~")));

    // Every alternative is looked for from where the string before ended, also after one that read the
    // whole of a file of several blocks in vain; alike in a file read whole and in one searched by blocks.
    for (const std::size_t size : {std::size_t{70000}, std::size_t{kWholeSearchSize} + 70000}) {
        std::string large(size, 'x');
        large.replace(size - 30000, 3, "iSa");
        large.replace(size - 10000, 6, "ST*999");
        EXPECT_TRUE(MatchesSearchIdents(Idents({"NOWHERE|ISA", "NOWHERE|ST*999"}), file(large))) << size;
        EXPECT_FALSE(MatchesSearchIdents(Idents({"ST*999|NOWHERE", "ISA"}), file(large))) << size;
        EXPECT_FALSE(MatchesSearchIdents(Idents({"ISA", "ST*9999"}), file(large))) << size;
    }
}

TEST(Identification, FindTextReadsInOverlappingBlocksWithoutRegardToCase)
{
    test::TempFolder folder;
    std::string bytes(70000, 'x');
    bytes.replace(32766, 5, "Ma\xEFtr");
    bytes.replace(65536, 3, "END");
    test::WriteFile(folder / "big", bytes);
    const QString big = Q(folder / "big");
    EXPECT_EQ(FindTextInFile(big, "MA\xCFTR", 0, false), 32766);
    EXPECT_EQ(FindTextInFile(big, "MA\xCFTR", 0, true), -1);
    EXPECT_EQ(FindTextInFile(big, "Ma\xEFtr", 32767, true), -1);
    EXPECT_EQ(FindTextInFile(big, "end", 40000, false), 65536);
    EXPECT_EQ(FindTextInFile(big, "", 0, false), -1);
    EXPECT_EQ(FindTextInFile(Q(folder / "missing"), "x", 0, false), -1);
}

TEST(Identification, TextReportsMayBeHeldToPlainCharacters)
{
    test::TempFolder folder;
    TReportConfigInfoRecord text;
    text.ReportFormat = "TEXT";
    test::WriteFile(folder / "plain", "Line one\r\n\tTab\x0c\x7f");
    test::WriteFile(folder / "high", std::string("caf\xe9\r\n"));
    test::WriteFile(folder / "nul", std::string("a\0b", 3));
    const auto passes = [&](const char* rule, const char* name) {
        text.Param[0] = QString::fromLatin1(rule);
        return MatchesTextFormat(text, Q(folder / name));
    };
    EXPECT_TRUE(passes("ASCII", "plain"));
    EXPECT_FALSE(passes("ascii", "high"));
    EXPECT_FALSE(passes("ASCII_ONLY", "nul"));
    EXPECT_TRUE(passes("ASCII_PLUS_NULL", "nul"));
    EXPECT_FALSE(passes("ASCII_PLUS_NULL", "high"));
    EXPECT_TRUE(passes("", "high"));
    EXPECT_TRUE(passes("ASCII", "missing"));
    // Other formats are not held to it.
    text.ReportFormat = "ANSI_864";
    EXPECT_TRUE(passes("ASCII", "high"));
}

TEST(ArchiveNaming, SequencesFollowTheHighestNumberAndGoPast999)
{
    test::TempFolder folder;
    const QString archive = test::Folder(folder.path());
    EXPECT_EQ(NextArchiveSequence(archive + "missing/", "AB240131"), "001");
    EXPECT_EQ(NextArchiveSequence(archive, "AB240131"), "001");
    for (const char* name : {"AB240131.001", "AB240131.TMP", "ab240130.007", "AB240131.001.BAK", "AB24013.009"}) {
        test::WriteFile(folder / name, "");
    }
    fs::create_directories(folder / "AB240131.050");
    EXPECT_EQ(NextArchiveSequence(archive, "AB240131"), "002");
    EXPECT_EQ(NextArchiveSequence(archive, " ab240130 "), "008");

    // Past 999 the number grows; a name that sorts after it as text must not bring it back.
    test::WriteFile(folder / "AB240131.999", "");
    EXPECT_EQ(NextArchiveSequence(archive, "AB240131"), "1000");
    test::WriteFile(folder / "AB240131.1000", "");
    EXPECT_EQ(NextArchiveSequence(archive, "AB240131"), "1001");

    ArchiveSequences run;
    EXPECT_EQ(run.next(archive, "AB240131"), 1001);
    run.taken(archive, "AB240131", 1001);
    EXPECT_EQ(run.next(archive, "ab240131"), 1002);
    EXPECT_EQ(run.next(archive, "AB240201"), 1);
}

TEST(ArchiveNaming, UniqueDestinationNamesNumberTheExtension)
{
    test::TempFolder folder;
    const QString dest = test::Folder(folder.path());
    EXPECT_EQ(UniqueDestinationName(dest + "REPORT.TXT"), "REPORT.TXT");
    test::WriteFile(folder / "report.txt", "");
    EXPECT_EQ(UniqueDestinationName(dest + "REPORT.TXT"), "REPORT.001");
    test::WriteFile(folder / "REPORT.001", "");
    EXPECT_EQ(UniqueDestinationName(dest + "REPORT.TXT"), "REPORT.002");
    test::WriteFile(folder / "NOEXT", "");
    EXPECT_EQ(UniqueDestinationName(dest + "NOEXT"), "NOEXT.001");
}
