#include "common/TextUtil.h"
#include "common/PathNoCase.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;

TEST(WildcardMatch, MasksHaveTheWindowsMeaningWithoutRegardToCase)
{
    EXPECT_TRUE(WildcardMatch("*.*", "README"));
    EXPECT_TRUE(WildcardMatch("*.*", "a.b.c"));
    EXPECT_TRUE(WildcardMatch("97*.*", "97240307.001"));
    EXPECT_TRUE(WildcardMatch("97*.*", "97"));
    EXPECT_TRUE(WildcardMatch("ab*.*", "ABSUB"));
    EXPECT_FALSE(WildcardMatch("97*.*", "X97.TXT"));
    EXPECT_TRUE(WildcardMatch("*.zip", "Batch.ZIP"));
    EXPECT_FALSE(WildcardMatch("*.zip", "batch.zip.txt"));
    EXPECT_TRUE(WildcardMatch("R?P*.TXT", "rep01.txt"));
    EXPECT_FALSE(WildcardMatch("R?P*.TXT", "RP01.TXT"));
    EXPECT_TRUE(WildcardMatch("*", ""));
}

TEST(WildcardMatch, ManyStarsStayFast)
{
    const std::string name(5000, 'a');
    EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*a*b", name));
}

TEST(TextUtil, TrimRemovesBlanksAndControlCharacters)
{
    EXPECT_EQ(TrimBlanks("\t \r\n value with  inner \x01\x1f "), "value with  inner");
    EXPECT_EQ(TrimBlanks(" \t "), "");
}

TEST(TextUtil, IntegersAreWholeDecimalTexts)
{
    EXPECT_EQ(ParseInteger("10"), 10);
    EXPECT_EQ(ParseInteger("-1"), -1);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger(""), std::nullopt);
    EXPECT_EQ(ParseInteger("1O"), std::nullopt);
    EXPECT_EQ(ParseInteger(" 10"), std::nullopt);
    EXPECT_EQ(ParseInteger("+-1"), std::nullopt);
    EXPECT_EQ(ParseInteger("99999999999"), std::nullopt);
}

TEST(TextUtil, CaseInsensitiveOrderPutsLettersTogether)
{
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_EQ(CompareNoCase("Archive", "ARCHIVE"), 0);
    EXPECT_LT(CompareNoCase("AB", "abc"), 0);
    // Underscore sorts after the letters once they are upper-cased, as it does in upper-case names.
    EXPECT_GT(CompareNoCase("a_", "AZ"), 0);
}

TEST(PathNoCase, ResolvesANameThatDiffersOnlyInCase)
{
    test::TempFolder folder;
    test::WriteFile(folder / "talmere.ini", "x");
    EXPECT_EQ(ResolveNoCase(folder / "TALMERE.INI"), folder / "talmere.ini");
    EXPECT_EQ(ResolveNoCase(folder / "talmere.ini"), folder / "talmere.ini");
    EXPECT_EQ(ResolveNoCase(folder / "OTHER.INI"), folder / "OTHER.INI");

    // An exact match wins over one that differs in case.
    test::WriteFile(folder / "TALMERE.INI", "y");
    EXPECT_EQ(ResolveNoCase(folder / "TALMERE.INI"), folder / "TALMERE.INI");
    EXPECT_EQ(ResolveNoCase(folder / "nowhere" / "file"), folder / "nowhere" / "file");
}
