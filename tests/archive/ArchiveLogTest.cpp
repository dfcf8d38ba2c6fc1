// The archive log on real files: every line whole, even when the disk fills up midway, and a line that an
// earlier run left without its end never glued to the next.

#include "archive/ArchiveLog.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/SmallFileSystem.h"

#include <gtest/gtest.h>

using namespace talmere;
namespace fs = std::filesystem;

namespace {

class ArchiveLogFile : public ::testing::Test {
protected:
    fs::path log()
    {
        return fs::path(world.context().folders.ReportArchiveFolder.toStdString()) / "TALMERE-ARCHIVE.LOG";
    }

    test::ArchiveWorld world;
};

// The fields of a log line written at the tests' fixed time.
std::vector<std::string> Fields(const std::string& type, const std::string& file, const std::string& action,
                                const std::string& destination)
{
    return {"2024-03-15 10:00:00", type, file, action, destination};
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

TEST_F(ArchiveLogFile, ALineLeftWithoutItsEndIsEndedBeforeTheNextOne)
{
    ASSERT_TRUE(LogArchiveAction(world.context(), "Acks", "/m/ack\tone.txt", "ARCHIVE", "/a/AK/AK240315.001"));
    // An older version, or a crash, left the last line without its line end.
    test::WriteFile(log(), test::ReadFile(log()) + "2024-03-14 09:00:00\tAcks\t/m/cut.txt\tDELETE\t");
    ASSERT_TRUE(LogArchiveAction(world.context(), "Letters", "/m/letter\r\n.txt", "DELETE"));
    ASSERT_TRUE(LogArchiveAction(world.context(), "Letters", "/m/b.txt", "MOVE", "/out/b.txt"));

    const auto lines = test::ArchiveLogLines(world.archive());
    ASSERT_EQ(lines.size(), 4u);
    // Tabs and line breaks inside a value become blanks, so every line keeps its five fields.
    EXPECT_EQ(lines[0], Fields("Acks", "/m/ack one.txt", "ARCHIVE", "/a/AK/AK240315.001"));
    EXPECT_EQ(lines[1], (std::vector<std::string>{"2024-03-14 09:00:00", "Acks", "/m/cut.txt", "DELETE", ""}))
        << "the earlier line is kept as it was";
    EXPECT_EQ(lines[2], Fields("Letters", "/m/letter  .txt", "DELETE", ""));
    EXPECT_EQ(lines[3], Fields("Letters", "/m/b.txt", "MOVE", "/out/b.txt"));
    EXPECT_EQ(test::ReadFile(log()).back(), '\n');
}

TEST_F(ArchiveLogFile, ALogThatCannotBeWrittenIsReportedNotThrown)
{
    world.context().folders.ReportArchiveFolder = test::Folder(world.root() / "gone");
    EXPECT_FALSE(LogArchiveAction(world.context(), "Acks", "/m/a.txt", "ARCHIVE", "/a/x"));
    EXPECT_FALSE(fs::exists(world.root() / "gone"));
    world.context().folders.ReportArchiveFolder.clear();
    EXPECT_FALSE(LogArchiveAction(world.context(), "Acks", "/m/a.txt", "ARCHIVE", "/a/x"));
}

TEST_F(ArchiveLogFile, AFullDiskLeavesOnlyWholeLines)
{
    const fs::path volume = world.root() / "volume";
    TALMERE_MOUNT_SMALL_FILE_SYSTEM(small, volume, "64k");
    world.context().folders.ReportArchiveFolder = test::Folder(volume);
    // Room that a later run finds again, once the disk is cleaned up.
    test::WriteFile(volume / "spare", std::string(8192, 's'));

    // Lines of about a thousand bytes: none of them ends where the volume's last page does, so the line
    // that does not fit is written in part before the disk is full.
    const std::string longFolder = "/mailbox/" + std::string(950, 'f') + "/";
    int written = 0;
    for (int i = 0; i < 200 && LogArchiveAction(world.context(), "Acks", Q(longFolder + std::to_string(i)), "ARCHIVE",
                                                Q("/archive/AK/AK240315." + std::to_string(i)));
         ++i) {
        ++written;
    }
    ASSERT_GT(written, 10);
    ASSERT_LT(written, 200) << "the volume never filled up";

    const auto check = [&](int expected) {
        const std::string text = test::ReadFile(log());
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n') << "half a line was left at the end";
        const auto lines = test::ArchiveLogLines(volume);
        ASSERT_EQ(static_cast<int>(lines.size()), expected);
        for (int i = 0; i < expected; ++i) {
            EXPECT_EQ(lines[static_cast<std::size_t>(i)], Fields("Acks", longFolder + std::to_string(i), "ARCHIVE",
                                                                 "/archive/AK/AK240315." + std::to_string(i)))
                << "line " << i;
        }
    };
    check(written);
    // Still full: a further line goes nowhere and takes nothing with it.
    EXPECT_FALSE(LogArchiveAction(world.context(), "Acks", Q(longFolder + "late"), "ARCHIVE", "/x"));
    check(written);

    // The next run, with room again, starts its line on a line of its own.
    fs::remove(volume / "spare");
    ASSERT_TRUE(LogArchiveAction(world.context(), "Acks", Q(longFolder + std::to_string(written)), "ARCHIVE",
                                 Q("/archive/AK/AK240315." + std::to_string(written))));
    check(written + 1);
}
