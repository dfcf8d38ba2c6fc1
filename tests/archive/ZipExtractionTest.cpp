// Staged ZIP files made to hurt, built with libzip: entries whose names are taken, entries that unpack to far
// more than they store, ZIP files that lie about their sizes, and how the archive run reports a ZIP file it
// leaves staged.

#include "archive/ArchiveMaintenance.h"
#include "archive/ArchiveRun.h"
#include "core/ProgramSettings.h"
#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ZipTestSupport.h"

#include <zip.h>

#include <gtest/gtest.h>

#include <cstring>

#include <sys/stat.h>

using namespace talmere;
using test::FileNames;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

using Entry = test::ZipEntry;
using test::WriteZip;

std::uint32_t Read32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// Makes every entry state an unpacked size of 1,000 bytes, in its local header and in the central directory,
// as a ZIP file made to slip past a check of the stated sizes would.
void UnderstateSizes(const fs::path& path)
{
    std::string bytes = test::ReadFile(path);
    const std::uint32_t small = 1000;
    int patched = 0;
    for (std::size_t at = 0; at + 46 <= bytes.size(); ++at) {
        const std::uint32_t signature = Read32(bytes, at);
        if (signature == 0x04034b50) {
            std::memcpy(bytes.data() + at + 22, &small, 4);
            ++patched;
        } else if (signature == 0x02014b50) {
            std::memcpy(bytes.data() + at + 24, &small, 4);
            ++patched;
        }
    }
    ASSERT_GE(patched, 2);
    test::WriteFile(path, bytes);
}

const std::string kZeros(50 << 20, '\0');

std::vector<ZipExtraction> Extract(const fs::path& folder, const ZipUnpackLimits& limits = {})
{
    return ExtractStagedZipFiles(test::Folder(folder), limits);
}

} // namespace

TEST(ZipEntryNames, AnEntryTakesAFreeNameAndNothingIsReplaced)
{
    test::TempFolder staging;
    test::WriteFile(staging / "ACK.TXT", "A");
    test::WriteFile(staging / "RESP.TXT", "staged resp");
    test::WriteFile(staging / "RESP_2.TXT", "staged resp 2");
    WriteZip(staging / "BATCH.ZIP", {{"ACK.TXT", "B"},
                                     {"payerA/RESP.TXT", "resp A"},
                                     {"payerB/RESP.TXT", "resp B"},
                                     {"x/NOTES", "notes 1"},
                                     {"y\\NOTES", "notes 2"},
                                     {".hidden", "dot"},
                                     {"z/.hidden", "dot 2"}});
    const std::vector<ZipExtraction> results = Extract(staging.path());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, ZipOutcome::Unpacked);
    EXPECT_EQ(FileNames(staging.path()), (Names{".hidden", ".hidden_2", "ACK.TXT", "ACK_2.TXT", "NOTES", "NOTES_2",
                                                "RESP.TXT", "RESP_2.TXT", "RESP_3.TXT", "RESP_4.TXT"}));
    EXPECT_EQ(test::ReadFile(staging / "ACK.TXT"), "A");
    EXPECT_EQ(test::ReadFile(staging / "ACK_2.TXT"), "B");
    EXPECT_EQ(test::ReadFile(staging / "RESP.TXT"), "staged resp");
    EXPECT_EQ(test::ReadFile(staging / "RESP_2.TXT"), "staged resp 2");
    EXPECT_EQ(test::ReadFile(staging / "RESP_3.TXT"), "resp A");
    EXPECT_EQ(test::ReadFile(staging / "RESP_4.TXT"), "resp B");
    EXPECT_EQ(test::ReadFile(staging / "NOTES_2"), "notes 2");
    EXPECT_EQ(test::ReadFile(staging / ".hidden_2"), "dot 2");
}

TEST(ZipEntryNames, AnEntryNamedLikeItsZipFileSurvivesIt)
{
    test::TempFolder staging;
    WriteZip(staging / "REPORT.ZIP", {{"REPORT.ZIP", "inner zip bytes"}, {"in/REPORT.ZIP", "second"}});
    // The name of a ZIP file that is gone is free again for an entry of the next one.
    WriteZip(staging / "SECOND.ZIP", {{"REPORT.ZIP", "third"}});
    Extract(staging.path());
    EXPECT_EQ(FileNames(staging.path()), (Names{"REPORT.ZIP", "REPORT_2.ZIP", "REPORT_3.ZIP"}));
    EXPECT_EQ(test::ReadFile(staging / "REPORT_2.ZIP"), "inner zip bytes");
    EXPECT_EQ(test::ReadFile(staging / "REPORT_3.ZIP"), "second");
    EXPECT_EQ(test::ReadFile(staging / "REPORT.ZIP"), "third");
}

TEST(ZipEntryNames, ManyEntriesOfOneNameAllStay)
{
    test::TempFolder staging;
    std::vector<Entry> entries;
    for (int i = 0; i < 300; ++i) {
        entries.push_back({"f" + std::to_string(i) + "/R.TXT", std::to_string(i)});
    }
    WriteZip(staging / "MANY.ZIP", entries);
    Extract(staging.path());
    EXPECT_EQ(FileNames(staging.path()).size(), 300u);
    EXPECT_EQ(test::ReadFile(staging / "R.TXT"), "0");
    EXPECT_EQ(test::ReadFile(staging / "R_300.TXT"), "299");
}

TEST(ZipEntryNames, AZipWhoseEntriesCannotAllBeNamedStaysAndLeavesNothing)
{
    // The second entry of a name as long as a name may be finds no free name with a suffix: the first one,
    // already named, goes again, so that the next run does not unpack it a second time beside the first.
    test::TempFolder staging;
    const std::string longest(255, 'L');
    WriteZip(staging / "LONG.ZIP", {{"SMALL.TXT", "small"}, {"a/" + longest, "first"}, {"b/" + longest, "second"}});
    const std::vector<ZipExtraction> results = Extract(staging.path());
    EXPECT_EQ(results[0].outcome, ZipOutcome::NotUnpacked);
    EXPECT_EQ(FileNames(staging.path()), Names{"LONG.ZIP"});
}

TEST(ZipEntryNames, OnlyPlainZipFilesAreOpened)
{
    // A FIFO named like a ZIP file would block the run; a link would be read and then removed.
    test::TempFolder outside;
    WriteZip(outside / "REAL.ZIP", {{"OUT.TXT", "outside"}});
    test::TempFolder staging;
    ASSERT_EQ(::mkfifo((staging / "PIPE.ZIP").c_str(), 0644), 0);
    fs::create_symlink(outside / "REAL.ZIP", staging / "LINK.ZIP");
    EXPECT_TRUE(Extract(staging.path()).empty());
    EXPECT_EQ(FileNames(staging.path()), (Names{"LINK.ZIP", "PIPE.ZIP"}));
    EXPECT_TRUE(fs::is_symlink(staging / "LINK.ZIP"));
    EXPECT_EQ(FileNames(outside.path()), Names{"REAL.ZIP"});
}

TEST(ZipLimits, EntryCountAndTotalSizeAreLimitsNotApproximations)
{
    test::TempFolder staging;
    std::vector<Entry> ten;
    for (int i = 0; i < 10; ++i) {
        ten.push_back({"E" + std::to_string(i) + ".TXT", std::string(1000, 'x')});
    }
    WriteZip(staging / "TEN.ZIP", ten);
    ZipUnpackLimits limits;
    limits.maxEntries = 10;
    limits.maxTotalBytes = 10000;
    EXPECT_EQ(Extract(staging.path(), limits)[0].outcome, ZipOutcome::Unpacked);
    EXPECT_EQ(FileNames(staging.path()).size(), 10u);

    test::TempFolder more;
    ten.push_back({"E10.TXT", "1"});
    WriteZip(more / "ELEVEN.ZIP", ten);
    EXPECT_EQ(Extract(more.path(), limits)[0].outcome, ZipOutcome::OverEntryCount);
    limits.maxEntries = 11;
    EXPECT_EQ(Extract(more.path(), limits)[0].outcome, ZipOutcome::OverTotalSize);
    EXPECT_EQ(FileNames(more.path()), Names{"ELEVEN.ZIP"});
}

TEST(ZipLimits, LyingSizesAreCountedWhileUnpackingAndNothingStays)
{
    test::TempFolder staging;
    WriteZip(staging / "LIAR.ZIP", {{"FIRST.TXT", "first"}, {"ZEROS.TXT", kZeros}, {"LAST.TXT", "last"}});
    UnderstateSizes(staging / "LIAR.ZIP");
    const std::string zipBytes = test::ReadFile(staging / "LIAR.ZIP");
    ZipUnpackLimits limits;
    limits.maxTotalBytes = 10 << 20;
    limits.maxRatio = 100000;
    const std::vector<ZipExtraction> results = Extract(staging.path(), limits);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, ZipOutcome::OverTotalSize);
    EXPECT_GT(results[0].bytesUnpacked, limits.maxTotalBytes);
    EXPECT_LE(results[0].bytesUnpacked, limits.maxTotalBytes + (1 << 16));
    // The first entry, already unpacked, and the temporary files are gone; the ZIP file is as it was.
    EXPECT_EQ(FileNames(staging.path()), Names{"LIAR.ZIP"});
    EXPECT_EQ(test::ReadFile(staging / "LIAR.ZIP"), zipBytes);
}

TEST(ZipLimits, TheDefaultsStopARatioBombEarly)
{
    test::TempFolder honest;
    WriteZip(honest / "BOMB.ZIP", {{"ZEROS.TXT", kZeros}});
    test::TempFolder lying;
    fs::copy_file(honest / "BOMB.ZIP", lying / "BOMB.ZIP");
    UnderstateSizes(lying / "BOMB.ZIP");
    const std::uint64_t packed = fs::file_size(honest / "BOMB.ZIP");

    // Stated honestly, it is refused before a byte is written; understated, once it has grown 200 times.
    const std::vector<ZipExtraction> stated = Extract(honest.path());
    EXPECT_EQ(stated[0].outcome, ZipOutcome::OverRatio);
    EXPECT_EQ(stated[0].bytesUnpacked, 0u);
    const std::vector<ZipExtraction> counted = Extract(lying.path());
    EXPECT_EQ(counted[0].outcome, ZipOutcome::OverRatio);
    EXPECT_LE(counted[0].bytesUnpacked, 201 * packed + (1 << 16));
    EXPECT_LT(counted[0].bytesUnpacked, kZeros.size() / 4);
    EXPECT_EQ(FileNames(lying.path()), Names{"BOMB.ZIP"});

    // Other methods pack runs far better than deflate.
    if (zip_compression_method_supported(ZIP_CM_BZIP2, 1) != 0) {
        test::TempFolder bzip;
        WriteZip(bzip / "BZ.ZIP", {{"ZEROS.TXT", kZeros, 0, ZIP_CM_BZIP2}});
        UnderstateSizes(bzip / "BZ.ZIP");
        const std::vector<ZipExtraction> results = Extract(bzip.path());
        EXPECT_EQ(results[0].outcome, ZipOutcome::OverRatio);
        EXPECT_LE(results[0].bytesUnpacked, (std::uint64_t{1} << 20) + (1 << 16));
        EXPECT_EQ(FileNames(bzip.path()), Names{"BZ.ZIP"});
    }

    // Small entries are never refused for their ratio: a short page of blanks packs very well.
    test::TempFolder small;
    WriteZip(small / "BLANKS.ZIP", {{"BLANK.TXT", std::string(1 << 20, ' ')}});
    EXPECT_EQ(Extract(small.path())[0].outcome, ZipOutcome::Unpacked);
}

namespace {

class ZipArchiveRun : public ::testing::Test {
protected:
    // Two report types staged in the mailbox, so that it is visited twice in a run.
    void configure(const std::string& general)
    {
        world.writeConfiguration("[General]\nPerformStagedFileUnZIP=1\n" + general +
                                 "[Report Types]\nLetters=\nNotes=\n" +
                                 TypeSection("Letters", {"ReportDesc=Letters", "ArchivePrefix=LT", "FileNameMask=*.TXT",
                                                         "StagingDirectory=%SERVER_DIR%\\mailbox"}) +
                                 TypeSection("Notes", {"ReportDesc=Notes", "ArchivePrefix=NT", "FileNameMask=*.NTS",
                                                       "StagingDirectory=%SERVER_DIR%\\mailbox"}));
        ASSERT_TRUE(world.load());
        LoadSettings(world.context());
    }

    std::vector<std::string> archivedContents(const std::string& prefix)
    {
        std::vector<std::string> contents;
        for (const std::string& name : FileNames(world.archive() / prefix)) {
            contents.push_back(test::ReadFile(world.archive() / prefix / name));
        }
        std::sort(contents.begin(), contents.end());
        return contents;
    }

    QStringList warnings()
    {
        QStringList texts;
        for (const auto& shown : world.prompts().shown) {
            if (shown.kind == "warning") {
                texts << shown.text;
            }
        }
        return texts;
    }

    test::ArchiveWorld world;
};

} // namespace

TEST_F(ZipArchiveRun, EveryEntryAndEveryStagedFileIsFiled)
{
    configure("");
    world.stage("ACK.TXT", "A");
    WriteZip(world.mailbox() / "BATCH.ZIP",
             {{"ACK.TXT", "B"}, {"payerA/RESP.TXT", "resp A"}, {"payerB/RESP.TXT", "resp B"}});
    ASSERT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    EXPECT_EQ(archivedContents("LT"), (Names{"A", "B", "resp A", "resp B"}));
    EXPECT_TRUE(warnings().isEmpty());
}

TEST_F(ZipArchiveRun, AZipOverALimitStaysWithOneLogLineAndOneWarning)
{
    // Lowered limits in TALMERE.INI; values that are no positive number keep the default.
    configure("ZipMaxTotalMB=10\nZipMaxRatio=100000\nZipMaxEntries=0\n");
    EXPECT_EQ(ZipUnpackLimitsOf(world.context().settings).maxTotalBytes, std::uint64_t{10} << 20);
    EXPECT_EQ(ZipUnpackLimitsOf(world.context().settings).maxRatio, 100000u);
    EXPECT_EQ(ZipUnpackLimitsOf(world.context().settings).maxEntries, 10000u);
    world.stage("L1.TXT", "letter");
    WriteZip(world.mailbox() / "BOMB.ZIP", {{"FIRST.TXT", "first"}, {"ZEROS.TXT", kZeros}});
    UnderstateSizes(world.mailbox() / "BOMB.ZIP");
    ASSERT_TRUE(RunArchive(world.context()));

    EXPECT_EQ(FileNames(world.mailbox()), Names{"BOMB.ZIP"});
    EXPECT_EQ(archivedContents("LT"), Names{"letter"});
    const std::string bomb = (world.mailbox() / "BOMB.ZIP").string();
    int skipped = 0;
    for (const std::vector<std::string>& line : test::ArchiveLogLines(world.archive())) {
        ASSERT_GE(line.size(), 5u);
        if (line[3] == "SKIPPED") {
            ++skipped;
            EXPECT_EQ(line[1], "Letters");
            EXPECT_EQ(line[2], bomb);
            EXPECT_EQ(line[4], "ZIP over the unpack limit (total size)");
        }
    }
    EXPECT_EQ(skipped, 1);
    ASSERT_EQ(warnings().size(), 1);
    EXPECT_TRUE(warnings()[0].contains(QString::fromStdString(bomb))) << warnings()[0].toStdString();
    EXPECT_TRUE(warnings()[0].contains("ZipMaxTotalMB")) << warnings()[0].toStdString();

    // Raised far enough, the next run unpacks and files it.
    world.context().settings.ZipMaxTotalMB = 100;
    ASSERT_TRUE(RunArchive(world.context()));
    EXPECT_EQ(FileNames(world.mailbox()), Names{});
    EXPECT_EQ(archivedContents("LT").size(), 3u);
}
