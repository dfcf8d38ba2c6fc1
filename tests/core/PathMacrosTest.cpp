// Folder settings and configured command lines with macros, resolved against real folders.

#include "core/PathMacros.h"
#include "tests/support/ProgramTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::Folder;
using test::Q;
namespace fs = std::filesystem;

namespace {

ProductFolders Folders(const QString& server, const QString& install, const QString& data)
{
    ProductFolders folders;
    folders.ServerDirectory = server;
    folders.InstallDirectory = install;
    folders.DataDirectory = data;
    return folders;
}

} // namespace

TEST(PathMacros, EveryOccurrenceOfEveryMacroIsReplacedWithoutRegardToCase)
{
    const ProductFolders folders = Folders("/srv/q/", "/opt/q/", "/srv/q/data/");
    EXPECT_EQ(ExpandDirectoryMacros("%server_dir%\\mailbox\\ABC", folders), "/srv/q\\mailbox\\ABC");
    EXPECT_EQ(ExpandDirectoryMacros("%Install_Dir%;%DATA_DIR%;%SERVER_DIR%;%data_dir%", folders),
              "/opt/q;/srv/q/data;/srv/q;/srv/q/data");
    // There are no drive letters: a drive macro leaves the rest of the path below the root.
    EXPECT_EQ(ExpandDirectoryMacros("%SERVER_DRIVE%\\Reports", folders), "\\Reports");
    EXPECT_EQ(ExpandDirectoryMacros("%INSTALL_DRIVE%/x %UNKNOWN% 100%", folders), "/x %UNKNOWN% 100%");
    // Overlapping candidates: the macro preferred first wins, as one replacement per pass does it.
    EXPECT_EQ(ExpandDirectoryMacros("%DATA_DIR%SERVER_DIR%", folders), "%DATA_DIR/srv/q");
}

TEST(PathMacros, AFolderNamedLikeAMacroDoesNotMakeTheExpansionEndless)
{
    const ProductFolders folders = Folders("/srv/%SERVER_DIR%/", "/opt/%DATA_DIR%x/", "/d/");
    EXPECT_EQ(ExpandDirectoryMacros("%SERVER_DIR%/a", folders), "/srv/%SERVER_DIR%/a");
    EXPECT_EQ(ExpandDirectoryMacros("%INSTALL_DIR% %DATA_DIR%", folders), "/opt/%DATA_DIR%x /d");
}

TEST(PathMacros, AFolderSettingResolvesToTheShortFormOfAnExistingFolder)
{
    test::TempFolder root;
    fs::create_directories(root / "Q" / "MAILBOX" / "Abc");
    const ProductFolders folders = Folders(Folder(root / "Q"), Folder(root / "I"), Folder(root / "Q" / "DATA"));

    ResolvedDirectory resolved = ResolveDirectorySetting("%server_dir%\\mailbox\\ABC", folders);
    EXPECT_TRUE(resolved.ok);
    EXPECT_EQ(resolved.folder, Folder(root / "Q" / "MAILBOX" / "Abc"));

    // Blanks and any number of enclosing double quotes go before the expansion.
    resolved = ResolveDirectorySetting("  \"\" %SERVER_DIR%\\Mailbox\\abc\\ \" ", folders);
    EXPECT_TRUE(resolved.ok);
    EXPECT_EQ(resolved.folder, Folder(root / "Q" / "MAILBOX" / "Abc"));

    // A folder that does not exist: the expanded text with its separator, and failure.
    resolved = ResolveDirectorySetting("%SERVER_DIR%\\Missing", folders);
    EXPECT_FALSE(resolved.ok);
    EXPECT_EQ(resolved.folder, Q(root / "Q") + "/Missing/");

    resolved = ResolveDirectorySetting("%SERVER_DRIVE%\\no-such-folder-below-the-root", folders);
    EXPECT_FALSE(resolved.ok);
    EXPECT_EQ(resolved.folder, "/no-such-folder-below-the-root/");

    // Nothing left after trimming: failure with no folder at all.
    resolved = ResolveDirectorySetting(" \"  \" ", folders);
    EXPECT_FALSE(resolved.ok);
    EXPECT_EQ(resolved.folder, "");

    // A file is no folder.
    test::WriteFile(root / "Q" / "file", "");
    EXPECT_FALSE(ResolveDirectorySetting("%SERVER_DIR%/file", folders).ok);
}

TEST(PathMacros, CommandTokensSplitAtBlanksOrQuotes)
{
    QString text = "  \"C:\\Program Files\\run.exe\"  x  y ";
    QString token;
    ASSERT_TRUE(SplitCommandToken(text, true, token));
    EXPECT_EQ(token, "C:\\Program Files\\run.exe");
    EXPECT_EQ(text, "x  y");
    ASSERT_TRUE(SplitCommandToken(text, true, token));
    EXPECT_EQ(token, "x");
    EXPECT_EQ(text, "y");

    text = "a b \"c\"";
    ASSERT_TRUE(SplitCommandToken(text, false, token));
    EXPECT_EQ(token, "a b \"c\"");
    EXPECT_EQ(text, "");

    text = "\"unclosed quote";
    EXPECT_FALSE(SplitCommandToken(text, true, token));
    EXPECT_EQ(text, "\"unclosed quote");
}

TEST(PathMacros, ACommandLineNamesAnExistingProgramItsParametersAndItsWindowState)
{
    test::TempFolder root;
    fs::create_directories(root / "Q" / "Program Files");
    test::WriteFile(root / "Q" / "pre.bat", "");
    test::WriteFile(root / "Q" / "Program Files" / "run.sh", "");
    const ProductFolders folders = Folders(Folder(root / "Q"), Folder(root / "I"), Folder(root / "Q" / "DATA"));

    ProgramCommandLine command;
    command.showState = kSwShow;
    ASSERT_TRUE(ParseCommandLine("%SW_HIDE%%SERVER_DIR%\\PRE.BAT %DATA_DIR%", folders, command));
    EXPECT_EQ(command.showState, kSwHide);
    EXPECT_EQ(command.program, Q(root / "Q" / "pre.bat"));
    EXPECT_EQ(command.parameters, Q(root / "Q" / "DATA"));

    // Without quotes the program ends at the first blank, and no such program exists.
    const QString unquoted = Q(root / "Q" / "Program Files" / "run.sh") + " x";
    command = {};
    EXPECT_FALSE(ParseCommandLine(unquoted, folders, command));
    EXPECT_EQ(command.program, "");
    command = {};
    ASSERT_TRUE(ParseCommandLine("\"" + Q(root / "Q" / "Program Files" / "run.sh") + "\" x", folders, command));
    EXPECT_EQ(command.program, Q(root / "Q" / "Program Files" / "run.sh"));
    EXPECT_EQ(command.parameters, "x");
    EXPECT_EQ(command.showState, kSwHide); // as the caller preset it

    // Quoted parameters: only what lies within the first pair of quotes.
    ASSERT_TRUE(ParseCommandLine("%server_dir%/pre.bat \"a b\" c", folders, command));
    EXPECT_EQ(command.parameters, "a b");

    // Only the first show-window macro of the list counts; a later one stays in the text.
    command.showState = kSwHide;
    ASSERT_TRUE(ParseCommandLine("%SERVER_DIR%/pre.bat %SW_HIDE% %sw_show%", folders, command));
    EXPECT_EQ(command.showState, kSwShow);
    EXPECT_EQ(command.parameters, "%SW_HIDE%");
    ASSERT_TRUE(ParseCommandLine("%SW_SHOWMAXIMIZED% %SERVER_DIR%/pre.bat", folders, command));
    EXPECT_EQ(command.showState, kSwMaximize);

    EXPECT_FALSE(ParseCommandLine("\"%SERVER_DIR%/pre.bat", folders, command));
    EXPECT_FALSE(ParseCommandLine("%SERVER_DIR%/pre.bat \"unclosed", folders, command));
    EXPECT_FALSE(ParseCommandLine("   ", folders, command));
    EXPECT_FALSE(ParseCommandLine("%SW_HIDE%", folders, command));
    EXPECT_FALSE(ParseCommandLine("%SERVER_DIR%", folders, command)); // a folder is no program
}
