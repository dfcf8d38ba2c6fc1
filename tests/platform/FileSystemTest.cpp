// Files and folders with the meanings the program was designed for: short paths, names without regard to
// case, configured backslashes, and copies and creations that never leave a file half written.

#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace talmere;
using namespace talmere::platform;
namespace fs = std::filesystem;

TEST(FileSystem, ShortPathIsTheCleanAbsolutePathOfWhatExists)
{
    test::TempFolder folder;
    fs::create_directories(folder / "Server" / "Mailbox");
    const std::string root = folder.path().string();

    EXPECT_EQ(ShortPath(root + "/Server/./Mailbox/../Mailbox/"), root + "/Server/Mailbox/");
    EXPECT_EQ(ShortPath(root + "//Server"), root + "/Server");
    // Names are found whatever their case, and the result names them as they are.
    EXPECT_EQ(ShortPath(root + "/SERVER/mailbox/"), root + "/Server/Mailbox/");
    EXPECT_EQ(ShortPath(root + "/Server/Missing/"), "");
    EXPECT_EQ(ShortPath(""), "");

    test::CurrentFolder here(folder.path());
    EXPECT_EQ(ShortPath("server/"), root + "/Server/");
    EXPECT_EQ(ShortPath("/"), "/");
}

TEST(FileSystem, NamesResolveWithoutRegardToCaseExactMatchFirst)
{
    test::TempFolder folder;
    fs::create_directories(folder / "Q" / "Private");
    test::WriteFile(folder / "Q" / "talmere.ini", "");
    test::WriteFile(folder / "Q" / "Both", "");
    test::WriteFile(folder / "Q" / "BOTH", "");
    const std::string root = folder.path().string();

    EXPECT_EQ(ResolvePathNoCase(root + "/q/TALMERE.INI"), root + "/Q/talmere.ini");
    EXPECT_EQ(ResolvePathNoCase(root + "/Q/private/"), root + "/Q/Private/");
    EXPECT_EQ(ResolvePathNoCase(root + "/Q/Both"), root + "/Q/Both");
    EXPECT_EQ(ResolvePathNoCase(root + "/Q/both"), root + "/Q/BOTH"); // the first in name order
    // What does not exist is kept as written, from the first missing name on.
    EXPECT_EQ(ResolvePathNoCase(root + "/q/New/private"), root + "/Q/New/private");
}

TEST(FileSystem, ConfiguredBackslashesBecomeSeparatorsAndThereIsNoDrive)
{
    EXPECT_EQ(FromConfiguredPath("mailbox\\ABC\\"), "mailbox/ABC/");
    EXPECT_EQ(DrivePart("/srv/qorva/"), "");
    EXPECT_TRUE(IsAbsolutePath("/srv"));
    EXPECT_FALSE(IsAbsolutePath("\\srv"));
    EXPECT_FALSE(IsAbsolutePath("C:\\srv"));
}

TEST(FileSystem, ReplaceWithCopyReplacesWholeOrNotAtAll)
{
    test::TempFolder folder;
    test::WriteFile(folder / "source", "[General]\nIntermediary=AVAILITY\n");
    test::WriteFile(folder / "target", "old contents, longer than the new ones ...........");

    ASSERT_TRUE(ReplaceWithCopy((folder / "source").string(), (folder / "target").string()));
    EXPECT_EQ(test::ReadFile(folder / "target"), "[General]\nIntermediary=AVAILITY\n");

    // A missing source, or a target that is a folder, fails and leaves everything as it was.
    EXPECT_FALSE(ReplaceWithCopy((folder / "missing").string(), (folder / "target").string()));
    EXPECT_EQ(test::ReadFile(folder / "target"), "[General]\nIntermediary=AVAILITY\n");
    fs::create_directory(folder / "folder");
    EXPECT_FALSE(ReplaceWithCopy((folder / "source").string(), (folder / "folder").string()));
    EXPECT_TRUE(fs::is_directory(folder / "folder"));
    // No temporary file is left behind, and the copy has the mode of a new file of the user's.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3);
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(ReplaceWithCopy((folder / "source").string(), (folder / "fresh").string()));
    ::umask(mask);
    EXPECT_EQ(fs::status(folder / "fresh").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    fs::remove(folder / "fresh");

    // Nor when the process is killed in the middle of the copy: here it waits for the rest of a source that
    // a pipe feeds.
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ReplaceWithCopy((folder / "pipe").string(), (folder / "target").string());
        ::_exit(0);
    }
    const int feed = ::open((folder / "pipe").c_str(), O_WRONLY);
    ASSERT_GE(feed, 0);
    const std::string half(1000, 'x');
    EXPECT_EQ(::write(feed, half.data(), half.size()), static_cast<ssize_t>(half.size()));
    ::usleep(200000);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(feed);
    EXPECT_EQ(test::ReadFile(folder / "target"), "[General]\nIntermediary=AVAILITY\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 4);

    // One file under two names is recognised, so that nothing is copied onto itself.
    fs::create_directory_symlink(folder.path(), folder / "link");
    EXPECT_TRUE(SameFile((folder / "source").string(), (folder / "link" / "source").string()));
    EXPECT_TRUE(SameFile((folder / "source").string(), (folder / "SOURCE").string()));
    EXPECT_FALSE(SameFile((folder / "source").string(), (folder / "target").string()));
}

TEST(FileSystem, CreateFileOnceNeverTouchesAnExistingFile)
{
    test::TempFolder folder;
    const std::string path = (folder / "QRUSER.CTL").string();

    EXPECT_EQ(CreateFileOnce(path, "ABCDEF"), CreateOutcome::Created);
    EXPECT_EQ(test::ReadFile(path), "ABCDEF");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666u); // every user of the shared folder must be able to lock it

    test::WriteFile(path, "someone else's");
    EXPECT_EQ(CreateFileOnce(path, "ABCDEF"), CreateOutcome::Existed);
    EXPECT_EQ(test::ReadFile(path), "someone else's");

    EXPECT_EQ(CreateFileOnce((folder / "no such folder" / "QRUSER.CTL").string(), "x"), CreateOutcome::Failed);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(FileSystem, RemovingAFileTakesALinkButNeverItsTargetOrAFolder)
{
    test::TempFolder folder;
    const fs::path scratch = folder / "TALMRTMP-Ab12Cd.TXT";
    test::WriteFile(scratch, "a report text");
    EXPECT_TRUE(RemoveFile(scratch.native()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch)));

    // A link goes and its target keeps its bytes; a folder stays, and a file that is gone says so.
    const fs::path target = folder / "staged.x12";
    test::WriteFile(target, "ISA*00~");
    fs::create_symlink(target, folder / "link");
    EXPECT_TRUE(RemoveFile((folder / "link").native()));
    EXPECT_EQ(test::ReadFile(target), "ISA*00~");
    fs::create_directory(folder / "sub");
    EXPECT_FALSE(RemoveFile((folder / "sub").native()));
    EXPECT_EQ(LastFileFailure(), FileFailure::NotRegularFile);
    EXPECT_TRUE(fs::is_directory(folder / "sub"));
    EXPECT_FALSE(RemoveFile((folder / "missing").native()));
    EXPECT_EQ(LastFileFailure(), FileFailure::Gone);
}

TEST(FileSystem, FoldersAreListedThroughMasksWithTheWindowsMeaning)
{
    test::TempFolder folder;
    for (const char* name : {"b.ZIP", "a.zip", "README", "ab.txt.zip", "ABC.DAT", "x.zipx"}) {
        test::WriteFile(folder / name, "");
    }
    fs::create_directory(folder / "Sub.zip");
    const auto names = [&](const char* mask) {
        std::string joined;
        for (const FolderEntry& entry : ListFolder(folder.path().string(), mask)) {
            joined += entry.name + (entry.isDirectory ? "/ " : " ");
        }
        return joined;
    };
    EXPECT_EQ(names("*.zip"), "Sub.zip/ a.zip ab.txt.zip b.ZIP ");
    EXPECT_EQ(names("*.*"), "ABC.DAT README Sub.zip/ a.zip ab.txt.zip b.ZIP x.zipx ");
    EXPECT_EQ(names("ab*.*"), "ABC.DAT ab.txt.zip ");
    EXPECT_EQ(names("?.zip"), "a.zip b.ZIP ");
    EXPECT_EQ(ListFolder((folder / "missing").string(), "*.*").size(), 0u);
}
