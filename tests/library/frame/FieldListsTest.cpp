#include "library/frame/FieldLists.h"

#include <gtest/gtest.h>

#include <array>

using namespace talmere;

TEST(FieldListContains, NeedsTheWholeValueBetweenBars)
{
    const std::string joined = "|997|999|TA1|";
    EXPECT_TRUE(FieldListContains("999", joined));
    EXPECT_TRUE(FieldListContains("TA1", joined));
    EXPECT_FALSE(FieldListContains("99", joined));
    EXPECT_FALSE(FieldListContains("ta1", joined));
    // An empty value is found only where an empty entry stands between bars.
    EXPECT_FALSE(FieldListContains("", joined));
    EXPECT_TRUE(FieldListContains("", "|A||"));
}

TEST(ValueInList, LooksThroughListsThatHoldSeveralValues)
{
    const std::array<std::string_view, 10> lists{"HIGMK|NOVSI", "", "AVAILITY"};
    EXPECT_TRUE(ValueInList("NOVSI", lists));
    EXPECT_TRUE(ValueInList("HIGMK", lists));
    EXPECT_TRUE(ValueInList("AVAILITY", lists));
    EXPECT_FALSE(ValueInList("HIGMK|NOVSI|AVAIL", lists));
    EXPECT_FALSE(ValueInList("higmk", lists));
    EXPECT_FALSE(ValueInList("", lists)); // although "||" stands in the joined text
}
