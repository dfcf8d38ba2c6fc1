// What the archive run does with staged entries that are no regular files (symbolic links, FIFOs, sockets,
// folders) and with the scratch files it makes itself, over a real mailbox and the built report library.

#include "archive/ArchiveRun.h"
#include "archive/Identification.h"
#include "catalogue/DirectoryListing.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "tests/support/ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace talmere;
using test::FileNames;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// The day the tests live on, as the modification time of staged letters.
const DateTimeParts kToday{2024, 3, 15, 9, 0, 0, 0};

unsigned ModeOf(const fs::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Runs work on its own thread. Should it wait on a FIFO (the fault these tests guard against), the FIFOs
// are given a writer that goes at once, so that the wait ends and the test fails instead of hanging.
template <typename Result>
Result WithoutHanging(const std::function<Result()>& work, const std::vector<fs::path>& fifos)
{
    std::future<Result> done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "the work waited on a FIFO";
        while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            for (const fs::path& fifo : fifos) {
                const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    ::close(fd);
                }
            }
        }
    }
    return done.get();
}

// A Unix socket bound to a path; false when this system cannot make one there.
bool MakeSocket(const fs::path& path, int& fd)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) {
        return false;
    }
    std::copy(path.native().begin(), path.native().end(), address.sun_path);
    fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    return fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

class StagingEntries : public ::testing::Test {
protected:
    void configure(const std::string& types, const std::string& sections)
    {
        world.writeConfiguration("[Report Types]\n" + types + sections);
        ASSERT_TRUE(world.load()) << world.prompts().errors().join("\n").toStdString();
    }
    bool run(const std::vector<fs::path>& fifos = {})
    {
        return WithoutHanging<bool>([this] { return RunArchive(world.context()); }, fifos);
    }
    // The log lines of one action: staged file name and last field.
    Names logged(const std::string& action)
    {
        Names lines;
        for (const auto& fields : test::ArchiveLogLines(world.archive())) {
            if (fields.size() == 5 && fields[3] == action) {
                lines.push_back(fields[1] + " " + fs::path(fields[2]).filename().string() + " " + fields[4]);
            }
        }
        return lines;
    }

    test::ArchiveWorld world;
};

std::string Letters(const std::string& name, const std::string& prefix, const std::string& staging = "")
{
    return TypeSection(name, {"ReportDesc=" + name, "ArchivePrefix=" + prefix, "FileNameMask=*.TXT",
                              "StagingDirectory=" + (staging.empty() ? "%SERVER_DIR%\\mailbox" : staging)});
}

} // namespace

TEST_F(StagingEntries, SymbolicLinksAreNeitherReadNorChangedNorDeletedAndAreLoggedOncePerRun)
{
    // A read-only file outside the installation, reached through links of every kind of type.
    const fs::path outside = world.root() / "outside";
    fs::create_directories(outside);
    test::WriteFile(outside / "secret.txt", "Dear provider, this is no report of yours.\r\n");
    ::chmod((outside / "secret.txt").c_str(), 0444);
    fs::create_directories(world.root() / "moved");
    configure("Letters=\nMoved=\nJunk=\n",
              Letters("Letters", "PL") +
                  TypeSection("Moved", {"ReportFormat=MOVE", "FileNameMask=*.MOV", "MoveMethod=STANDARD",
                                        "StagingDirectory=%SERVER_DIR%\\mailbox",
                                        "DestinationDirectory=" + (world.root() / "moved").string()}) +
                  TypeSection("Junk", {"ReportFormat=DELETE", "FileNameMask=*.TXT;*.TMP",
                                       "StagingDirectory=%SERVER_DIR%\\mailbox"}));
    world.stage("REAL.TXT", "A letter of our own.\r\n", kToday);
    fs::create_symlink(outside / "secret.txt", world.mailbox() / "LINK.TXT");
    fs::create_symlink(outside / "secret.txt", world.mailbox() / "LINK.MOV");
    fs::create_symlink(outside, world.mailbox() / "FOLDER.TXT");
    fs::create_symlink(outside / "gone.txt", world.mailbox() / "DANGLING.TMP");

    for (int pass = 1; pass <= 2; ++pass) {
        EXPECT_TRUE(run());
        for (const char* name : {"LINK.TXT", "LINK.MOV", "FOLDER.TXT", "DANGLING.TMP"}) {
            EXPECT_TRUE(fs::is_symlink(world.mailbox() / name)) << name << " after run " << pass;
        }
        EXPECT_EQ(test::ReadFile(outside / "secret.txt"), "Dear provider, this is no report of yours.\r\n");
        EXPECT_EQ(ModeOf(outside / "secret.txt"), 0444u);
        EXPECT_EQ(FileNames(outside), (Names{"secret.txt"}));
        EXPECT_TRUE(FileNames(world.root() / "moved").empty());
        // The one real letter was archived, and nothing of the link's target.
        ASSERT_EQ(FileNames(world.archive() / "PL"), (Names{"PL240315.001"}));
        EXPECT_EQ(test::ReadFile(world.archive() / "PL" / "PL240315.001"), "A letter of our own.\r\n");
    }

    // Each link is named once per run, by the first type that looked at it, whichever types matched it.
    const Names once = {"Letters FOLDER.TXT symbolic link", "Letters LINK.TXT symbolic link",
                        "Moved LINK.MOV symbolic link", "Junk DANGLING.TMP symbolic link"};
    Names twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(logged("SKIPPED"), twice);
    EXPECT_EQ(logged("ARCHIVE").size(), 1u);
    EXPECT_TRUE(logged("DELETE").empty());
}

TEST_F(StagingEntries, FifosSocketsAndFoldersAreNeverOpenedAndTheRunGoesOn)
{
    fs::create_directories(world.root() / "posting");
    configure(
        "Letters=\nRemit=\nJunk=\n",
        Letters("Letters", "PL") +
            TypeSection("Remit", {"ReportFormat=COPY", "FileNameMask=*.X12", "CopyMethod=STANDARD",
                                  "StagingDirectory=%SERVER_DIR%\\mailbox",
                                  "DestinationDirectory=" + (world.root() / "posting").string()}) +
            TypeSection("Junk", {"ReportFormat=DELETE", "FileNameMask=*.*", "StagingDirectory=%SERVER_DIR%\\mailbox"}));
    const fs::path letterFifo = world.mailbox() / "PIPE.TXT";
    const fs::path remitFifo = world.mailbox() / "PIPE.X12";
    ASSERT_EQ(::mkfifo(letterFifo.c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(remitFifo.c_str(), 0644), 0);
    int socketFd = -1;
    const bool haveSocket = MakeSocket(world.mailbox() / "SOCK.TXT", socketFd);
    fs::create_directories(world.mailbox() / "SUB.TXT");
    world.stage("LTR.TXT", "A letter.\r\n", kToday);

    EXPECT_TRUE(run({letterFifo, remitFifo}));

    EXPECT_TRUE(fs::is_fifo(letterFifo));
    EXPECT_TRUE(fs::is_fifo(remitFifo));
    EXPECT_TRUE(fs::is_directory(world.mailbox() / "SUB.TXT"));
    EXPECT_EQ(FileNames(world.archive() / "PL"), (Names{"PL240315.001"}));
    EXPECT_TRUE(FileNames(world.root() / "posting").empty());
    Names skipped = {"Letters PIPE.TXT not a regular file", "Remit PIPE.X12 not a regular file"};
    if (haveSocket) {
        EXPECT_TRUE(fs::is_socket(world.mailbox() / "SOCK.TXT"));
        skipped.insert(skipped.begin() + 1, "Letters SOCK.TXT not a regular file");
    }
    EXPECT_EQ(logged("SKIPPED"), skipped);
    if (socketFd >= 0) {
        ::close(socketFd);
    }
}

TEST_F(StagingEntries, EveryReaderOfStagedFilesRefusesWhatIsNoRegularFile)
{
    const fs::path fifo = world.mailbox() / "PIPE.TXT";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const fs::path target = world.root() / "readonly.txt";
    test::WriteFile(target, "ISA*outside~");
    ::chmod(target.c_str(), 0444);
    const fs::path link = world.mailbox() / "LINK.TXT";
    fs::create_symlink(target, link);

    const bool refused = WithoutHanging<bool>(
        [&] {
            bool all = true;
            for (const fs::path& path : {fifo, link}) {
                all = all && !platform::RegularFileReader(path.native()).isOpen();
                all = all && FindTextInFile(QString::fromStdString(path.native()), "ISA", 0, true) == -1;
                all = all &&
                      platform::CopyFileKeepingTime(path.native(), (world.root() / "copy").native(), true,
                                                    platform::SourceLinks::Refuse) == platform::CopyOutcome::Failed;
            }
            // A FIFO is refused even where links are followed.
            return all && platform::CopyFileKeepingTime(fifo.native(), (world.root() / "copy").native(), true) ==
                              platform::CopyOutcome::Failed;
        },
        {fifo});
    EXPECT_TRUE(refused);
    EXPECT_FALSE(fs::exists(world.root() / "copy"));

    EXPECT_FALSE(platform::MakeWritable(link.native()));
    EXPECT_EQ(ModeOf(target), 0444u);
    EXPECT_FALSE(platform::RemoveRegularFile(link.native()));
    EXPECT_FALSE(platform::RemoveRegularFile(fifo.native()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_fifo(fifo));

    // The same file reached directly is read, made writable and removed.
    platform::RegularFileReader reader(target.native());
    ASSERT_TRUE(reader.isOpen());
    ASSERT_TRUE(reader.seek(4));
    char bytes[16] = {};
    EXPECT_EQ(reader.read(bytes, sizeof bytes), 8);
    EXPECT_EQ(std::string(bytes, 8), "outside~");
    EXPECT_EQ(FindTextInFile(QString::fromStdString(target.native()), "side", 0, true), 7);
    EXPECT_TRUE(platform::MakeWritable(target.native()));
    EXPECT_EQ(ModeOf(target) & 0200u, 0200u);
    EXPECT_TRUE(platform::RemoveRegularFile(target.native()));
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(StagingEntries, IdentificationLeavesNoReportTextAndNeverTouchesTheViewers)
{
    configure("Acks=\nLetters=\n", TypeSection("Acks", {"ReportDesc=Acks", "ArchivePrefix=AK", "ReportFormat=ANSI_999",
                                                        "FileNameMask=*.X12", "SearchIdent1=ISA", "SearchIdent2=ST*999",
                                                        "StagingDirectory=%SERVER_DIR%\\mailbox"}) +
                                       Letters("Letters", "PL"));
    const fs::path viewerText = world.install() / "private" / "TALMRTMP.TXT";
    test::WriteFile(viewerText, "the report on the viewer's screen");
    world.stage("ACK.X12", test::Acknowledgment999("20240202", "0700", 7));
    // Identified by its search strings but no acknowledgment the library can read: a failed identification.
    world.stage("BAD.X12", "ISA*ST*999 and nothing else");
    world.stage("BIG.TXT", std::string(4 << 20, 'x') + "\r\n", kToday);

    EXPECT_TRUE(run());

    EXPECT_EQ(FileNames(world.mailbox()), (Names{"BAD.X12"}));
    EXPECT_EQ(FileNames(world.archive() / "AK"), (Names{"AK240202.001"}));
    EXPECT_EQ(FileNames(world.archive() / "PL"), (Names{"PL240315.001"}));
    EXPECT_EQ(test::ReadFile(viewerText), "the report on the viewer's screen");
    for (const std::string& name : FileNames(world.install() / "private")) {
        EXPECT_TRUE(name == "TALMRTMP.TXT" || name == "TALMRDAK.DIR" || name == "TALMRDPL.DIR" ||
                    name == kInstallationRunLockFileName.toStdString())
            << name << " left behind";
    }
}

TEST_F(StagingEntries, IdentificationNeverWritesTheReportListsListing)
{
    configure("Acks=\n", TypeSection("Acks", {"ReportDesc=Acks", "ArchivePrefix=AK", "ReportFormat=ANSI_999",
                                              "FileNameMask=*.X12", "SearchIdent1=ISA", "SearchIdent2=ST*999",
                                              "StagingDirectory=%SERVER_DIR%\\mailbox"}));
    // The listing another run of this installation (or the report list) works from.
    const fs::path listing = world.privateFolderListing("AK");
    test::WriteFile(listing, "the listing in use\r\n");
    const fs::path staged = world.stage("ACK.X12", test::Acknowledgment999("20240202", "0700", 7));

    const std::optional<TDirectoryListingInfo> entry = CreateFileListingEntry(
        world.context(), world.typeIndex(QStringLiteral("Acks")), QString::fromStdString(staged.string()));
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(DecodeDateTime(entry->ReportDateTime).year, 2024);
    EXPECT_EQ(test::ReadFile(listing), "the listing in use\r\n");
    EXPECT_EQ(FileNames(world.install() / "private"), (Names{"TALMRDAK.DIR"}));
}

TEST_F(StagingEntries, OneSetOfScratchNamesServesManyIdentificationsAndNothingStaysBetween)
{
    configure("Acks=\n", TypeSection("Acks", {"ReportDesc=Acks", "ArchivePrefix=AK", "ReportFormat=ANSI_999",
                                              "FileNameMask=*.X12", "SearchIdent1=ISA", "SearchIdent2=ST*999",
                                              "StagingDirectory=%SERVER_DIR%\\mailbox"}));
    const int acks = world.typeIndex(QStringLiteral("Acks"));
    const fs::path privateFolder = world.install() / "private";
    {
        IdentificationScratch scratch(world.context());
        const std::string reportText = scratch.path(IdentificationScratch::File::ReportText);
        const std::string listing = scratch.path(IdentificationScratch::File::Listing);
        // Each file gets its own entry, never the one the file before left, and neither its report text nor
        // its listing stays in the private folder; the names stay the same.
        for (const int day : {2, 3}) {
            const fs::path staged = world.stage("ACK" + std::to_string(day) + ".X12",
                                                test::Acknowledgment999("2024020" + std::to_string(day), "0700", day));
            const std::optional<TDirectoryListingInfo> entry =
                CreateFileListingEntry(world.context(), acks, QString::fromStdString(staged.string()), scratch);
            ASSERT_TRUE(entry.has_value()) << day;
            EXPECT_EQ(DecodeDateTime(entry->ReportDateTime).day, day);
            EXPECT_EQ(FileNames(privateFolder), Names{});
            EXPECT_EQ(scratch.path(IdentificationScratch::File::ReportText), reportText);
            EXPECT_EQ(scratch.path(IdentificationScratch::File::Listing), listing);
        }
        // A file that is no report of the type gets no entry, and nothing of the files before.
        const fs::path bad = world.stage("BAD.X12", "ISA*ST*999 and nothing else");
        QString failure;
        EXPECT_FALSE(
            CreateFileListingEntry(world.context(), acks, QString::fromStdString(bad.string()), scratch, &failure));
        EXPECT_EQ(FileNames(privateFolder), Names{});
    }
    EXPECT_EQ(FileNames(privateFolder), Names{});
}

TEST_F(StagingEntries, FilesTheRunPutsIntoAStagingFolderAreSeenByTheTypesAfter)
{
    // Each folder is listed once per run; what the run itself puts there must still be filed, and a
    // destination name taken in another case is still replaced.
    const fs::path inbox = world.root() / "inbox";
    fs::create_directories(inbox);
    test::WriteFile(inbox / "letter.mov", "an older letter");
    configure(
        "Mover=\nLater=\n",
        TypeSection("Mover", {"ReportFormat=MOVE", "FileNameMask=*.MOV", "MoveMethod=STANDARD",
                              "StagingDirectory=%SERVER_DIR%\\mailbox", "DestinationDirectory=" + inbox.string()}) +
            TypeSection("Later", {"ReportDesc=Later", "ArchivePrefix=LA", "FileNameMask=*.MOV;*.TXT",
                                  "StagingDirectory=" + inbox.string()}));
    world.stage("LETTER.MOV", "A moved letter.\r\n", kToday);
    world.stage("OTHER.MOV", "Another moved letter.\r\n", kToday);

    EXPECT_TRUE(run());

    EXPECT_TRUE(FileNames(world.mailbox()).empty());
    EXPECT_TRUE(FileNames(inbox).empty());
    ASSERT_EQ(FileNames(world.archive() / "LA"), (Names{"LA240315.001", "LA240315.002"}));
    EXPECT_EQ(test::ReadFile(world.archive() / "LA" / "LA240315.001"), "A moved letter.\r\n");
    EXPECT_EQ(test::ReadFile(world.archive() / "LA" / "LA240315.002"), "Another moved letter.\r\n");
}

TEST_F(StagingEntries, CopiesAKilledRunLeftBehindGoWhenStaleAndAreNoReports)
{
    configure("Letters=\n", Letters("Letters", "PL"));
    const fs::path subfolder = world.archive() / "PL";
    fs::create_directories(subfolder);
    const auto aged = [](const fs::path& path, int hours) {
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(hours));
    };
    const fs::path stale = world.put(subfolder, ".talmere-Ab12Cd", "a complete copy");
    aged(stale, 2);
    // A copy of the last hour may still be written by another run.
    const fs::path fresh = world.put(subfolder, ".talmere-Zz99yy", "in progress");
    // Like the pattern, but not the program's: kept whatever their age.
    const fs::path notes = world.put(subfolder, ".talmere-notes.txt", "someone's notes");
    const fs::path outside = world.put(world.root(), "outside.txt", "outside");
    const fs::path link = subfolder / ".talmere-Link01";
    fs::create_symlink(outside, link);
    aged(notes, 2);
    // Identification's report text of a killed run, and the viewer's report text, which is not the run's.
    const fs::path scratch = world.put(world.install() / "private", "TALMRTMP-q1W2e3.TXT", "report text");
    const fs::path viewers = world.put(world.install() / "private", "TALMRTMP.TXT", "the viewer's");
    aged(scratch, 2);
    aged(viewers, 2);
    world.stage("LETTER.TXT", "A LETTER\r\n", kToday);

    ASSERT_TRUE(run());
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_TRUE(fs::exists(notes));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_FALSE(fs::exists(scratch));
    EXPECT_TRUE(fs::exists(viewers));
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    // The listing the run rebuilt stays up to date beside the copy in progress.
    const QString listing = QString::fromStdString(world.privateFolderListing("PL").string());
    fs::remove(notes);
    EXPECT_FALSE(IsDirectoryListingStale(listing, QString::fromStdString(subfolder.string() + "/")));
    world.put(subfolder, "PL240315.099", "a report nobody listed");
    EXPECT_TRUE(IsDirectoryListingStale(listing, QString::fromStdString(subfolder.string() + "/")));
}
