#include "common/IniFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;

TEST(IniFile, NamesAreComparedWithoutRegardToCaseAndTheFirstOccurrenceWins)
{
    const IniFile ini = IniFile::parse("[general]\r\n"
                                       "INTERMEDIARY=first\r\n"
                                       "Intermediary=second\r\n"
                                       "[GENERAL]\r\n"
                                       "Other=from a repeated section\r\n");
    EXPECT_EQ(ini.value("General", "intermediary"), "first");
    EXPECT_FALSE(ini.hasKey("General", "Other"));
    EXPECT_EQ(ini.value("General", "Missing", "fallback"), "fallback");
    EXPECT_EQ(ini.value("Nowhere", "Intermediary"), "");
}

TEST(IniFile, ValuesAreTrimmedAndLoseOnePairOfEnclosingQuotes)
{
    const IniFile ini = IniFile::parse("[ Section One ]\n"
                                       "  Key A  =  spaced value \t\n"
                                       "Quoted=\"\"twice\"\"\n"
                                       "Single='single'\n"
                                       "Unbalanced=\"open\n"
                                       "Bars=HIGMK|NOVSI\n"
                                       "Empty=\n"
                                       "NoEquals\n");
    EXPECT_EQ(ini.value("section one", "KEY A"), "spaced value");
    EXPECT_EQ(ini.value("Section One", "Quoted"), "\"twice\"");
    EXPECT_EQ(ini.value("Section One", "Single"), "single");
    EXPECT_EQ(ini.value("Section One", "Unbalanced"), "\"open");
    EXPECT_EQ(ini.value("Section One", "Bars"), "HIGMK|NOVSI");
    EXPECT_TRUE(ini.hasKey("Section One", "Empty"));
    EXPECT_EQ(ini.value("Section One", "Empty", "default"), "");
    EXPECT_TRUE(ini.hasKey("Section One", "NoEquals"));
}

TEST(IniFile, KeysAreListedInFileOrderEachOnceAndCommentsAreSkipped)
{
    const IniFile ini = IniFile::parse("\xEF\xBB\xBF[Report Types]\n"
                                       "; a comment line\n"
                                       "Zeta=1\n"
                                       "Alpha=1\n"
                                       "zeta=2\n"
                                       "Mid=\n");
    EXPECT_EQ(ini.keys("report types"), (std::vector<std::string>{"Zeta", "Alpha", "Mid"}));
    EXPECT_TRUE(ini.keys("Absent").empty());
}

TEST(IniFile, LongValuesAreCutAt2047Characters)
{
    const std::string longValue(3000, 'x');
    const IniFile ini = IniFile::parse("[S]\nK=" + longValue + "\n");
    EXPECT_EQ(ini.value("S", "K").size(), 2047u);
}

TEST(IniFile, AMissingFileReadsAsEmpty)
{
    test::TempFolder folder;
    const IniFile missing = IniFile::load(folder / "TALMERE.INI");
    EXPECT_FALSE(missing.loaded());
    EXPECT_EQ(ReadIniValue(folder / "TALMERE.INI", "General", "Intermediary", "none"), "none");

    test::WriteFile(folder / "TALMERE.INI", "[General]\nIntermediary=AVAILITY\n");
    EXPECT_EQ(ReadIniValue(folder / "TALMERE.INI", "GENERAL", "intermediary"), "AVAILITY");
}

TEST(IniFile, ASingleLookupReadsWhatTheWholeFileReads)
{
    test::TempFolder folder;
    const std::string text = "\xEF\xBB\xBF"
                             "Orphan=before any section\n"
                             "[General]\r\n"
                             "Intermediary = \"first\" \r\n"
                             "INTERMEDIARY=second\n"
                             "; Commented=yes\n"
                             "NoEquals\n"
                             "[Report Details - A]\n"
                             "Key=a\n"
                             "[ general ]\n"
                             "Late=from a repeated section\n"
                             "[Last]\n"
                             "Key=" +
                             std::string(3000, 'y') + "\n";
    test::WriteFile(folder / "TALMERE.INI", text);
    const IniFile whole = IniFile::load(folder / "TALMERE.INI");
    const std::vector<std::pair<std::string, std::string>> lookups = {
        {"general", "intermediary"}, {"General", "Late"}, {"General", "NoEquals"},       {"General", "Commented"},
        {"General", "Orphan"},       {"", "Orphan"},      {"Report Details - a", "KEY"}, {"Last", "Key"},
        {"Missing", "Key"},          {"General", ""}};
    for (const auto& [section, key] : lookups) {
        EXPECT_EQ(ReadIniValue(folder / "TALMERE.INI", section, key, "default"), whole.value(section, key, "default"))
            << section << "/" << key;
    }
    EXPECT_EQ(ReadIniValue(folder / "TALMERE.INI", "General", "Intermediary"), "first");
}
