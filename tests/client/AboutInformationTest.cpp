// What the About box tells: versions as it shows them, the library's version read from its file, and the
// technical summary.

#include "client/AboutInformation.h"
#include "tests/support/ProgramTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
namespace fs = std::filesystem;

TEST(AboutVersions, TheLabelDropsTrailingZeroPartsAndSaysWhenThereIsNone)
{
    EXPECT_EQ(VersionLabel(VersionNumbers{5, 2, 0, 0}), "5.2");
    EXPECT_EQ(VersionLabel(VersionNumbers{5, 2, 0, 7}), "5.2.0.7");
    EXPECT_EQ(VersionLabel(VersionNumbers{5, 2, 3, 0}), "5.2.3");
    EXPECT_EQ(VersionLabel(std::nullopt), "<< Unknown >>");
    // The program's version is the build's: what --version prints begins with it.
    const VersionNumbers program = ProgramVersionNumbers();
    EXPECT_TRUE(QString(TALMERE_VERSION).startsWith(QStringLiteral("%1.%2").arg(program[0]).arg(program[1])));
}

TEST(AboutVersions, TheLibrarysVersionIsReadFromItsMarkerWithoutLoadingIt)
{
    const std::optional<VersionNumbers> built = ReadLibraryVersion(TALMRDLL_PATH);
    ASSERT_TRUE(built.has_value());
    EXPECT_EQ(VersionLabel(built), VersionLabel(ProgramVersionNumbers())) << "one version number for the build";

    test::TempFolder folder;
    // A marker across the boundary of the pieces the file is read in, and one with all four numbers.
    std::string bytes(1 << 20, 'x');
    bytes.replace(bytes.size() - 8, 8, "$TALMRDL");
    bytes += "L-VERSION: 5.2.0.7 $ and more";
    test::WriteFile(folder / "libtalmrdll.so", bytes);
    EXPECT_EQ(ReadLibraryVersion(test::Q(folder / "libtalmrdll.so")), (VersionNumbers{5, 2, 0, 7}));
    test::WriteFile(folder / "short.so", "$TALMRDLL-VERSION: 6 $");
    EXPECT_EQ(ReadLibraryVersion(test::Q(folder / "short.so")), (VersionNumbers{6, 0, 0, 0}));
    test::WriteFile(folder / "none.so", "no marker at all");
    EXPECT_EQ(ReadLibraryVersion(test::Q(folder / "none.so")), std::nullopt);
    test::WriteFile(folder / "bad.so", "$TALMRDLL-VERSION: 5.x $");
    EXPECT_EQ(ReadLibraryVersion(test::Q(folder / "bad.so")), std::nullopt);
    EXPECT_EQ(ReadLibraryVersion(test::Q(folder / "missing.so")), std::nullopt);
}

TEST(AboutSummary, ListsVersionFoldersLibraryAndModeFlags)
{
    test::Installation install;
    ApplicationContext& context = install.context();
    context.settings.ProductName = "Acme";
    context.folders.ServerDirectory = "/srv/qorva/";
    context.folders.InstallDirectory = "/opt/qorva/";
    context.folders.DataDirectory = "/srv/qorva/data/";
    context.flags.Launched = true;
    context.flags.IncludeProfessionalReports = false;
    test::TempFolder folder;
    test::WriteFile(folder / "libtalmrdll.so", "$TALMRDLL-VERSION: 5.2 $");
    context.reportLibraryCandidates = {(folder / "missing.so").string(), (folder / "libtalmrdll.so").string()};
    EXPECT_EQ(TechnicalSummary(context, "5.2.3"), "Acme Report Manager Technical Information:\r\n\r\n"
                                                  "  Version = 5.2.3\r\n"
                                                  "  Server Dir = /srv/qorva/\r\n"
                                                  "  Install Dir = /opt/qorva/\r\n"
                                                  "  Data Dir = /srv/qorva/data/\r\n"
                                                  "  DLLs: libtalmrdll.so  (5.2.0.0)\r\n"
                                                  "  Launched = Yes\r\n"
                                                  "  Standalone Operation = No\r\n"
                                                  "  Exclusive Access = No\r\n"
                                                  "  Bypass Access Checks = No\r\n"
                                                  "  Include Institutional Reports = Yes\r\n"
                                                  "  Include Professional Reports = No\r\n");

    // Without the library the box still tells what it can.
    context.reportLibraryCandidates = {(folder / "missing.so").string()};
    EXPECT_TRUE(TechnicalSummary(context, "5.2.3").contains("  DLLs: libtalmrdll.so  (NOT AVAILABLE)\r\n"));
}
