// The program's switches and the claim context they select.

#include "core/CommandLine.h"
#include "core/ApplicationContext.h"

#include <gtest/gtest.h>

using namespace talmere;

TEST(CommandLine, SwitchesSetTheModeInOrderWithoutRegardToCase)
{
    ModeFlags flags;
    ASSERT_EQ(ParseProgramArguments({}, flags), CommandLineAction::Run);
    EXPECT_FALSE(flags.Launched);
    EXPECT_FALSE(flags.ExclusiveAccess);
    EXPECT_FALSE(flags.SilentArchive);
    EXPECT_TRUE(flags.IncludeInstitutionalReports);
    EXPECT_TRUE(flags.IncludeProfessionalReports);
    EXPECT_EQ(ContextCode(flags), 3);

    ASSERT_EQ(ParseProgramArguments({"/ub92_only", "/1500_ONLY"}, flags), CommandLineAction::Run);
    EXPECT_FALSE(flags.IncludeInstitutionalReports);
    EXPECT_TRUE(flags.IncludeProfessionalReports);
    EXPECT_EQ(ContextCode(flags), 2);

    ASSERT_EQ(ParseProgramArguments({"--1500_only", "--Ub92_Only", "/Tamsen", "--exclusive", "/SilentArchive"}, flags),
              CommandLineAction::Run);
    EXPECT_TRUE(flags.IncludeInstitutionalReports);
    EXPECT_FALSE(flags.IncludeProfessionalReports);
    EXPECT_EQ(ContextCode(flags), 1);
    EXPECT_TRUE(flags.Launched);
    EXPECT_TRUE(flags.ExclusiveAccess);
    EXPECT_TRUE(flags.SilentArchive);
}

TEST(CommandLine, AnythingElseIsInvalidUnlessHelpOrVersionComesFirst)
{
    for (const char* argument : {"/TAMSENX", "-tamsen", "TAMSEN", "---tamsen", "/", "--", "", "/1500"}) {
        ModeFlags flags;
        EXPECT_EQ(ParseProgramArguments({"/TAMSEN", argument}, flags), CommandLineAction::Invalid) << argument;
    }
    ModeFlags flags;
    EXPECT_EQ(ParseProgramArguments({"--HELP", "/bogus"}, flags), CommandLineAction::ShowHelp);
    EXPECT_EQ(ParseProgramArguments({"/TAMSEN", "--version"}, flags), CommandLineAction::ShowVersion);
    EXPECT_EQ(ParseProgramArguments({"/bogus", "--help"}, flags), CommandLineAction::Invalid);
    EXPECT_TRUE(ProgramVersion().startsWith("talmere " TALMERE_VERSION));
}
