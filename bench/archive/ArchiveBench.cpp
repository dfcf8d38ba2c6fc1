// The archive run of 1,000 staged 999 files, into an empty archive subfolder and into one that already
// holds 20,000 reports, beside copying and deleting the same files with plain file operations; and the run
// of an installation with 250, 1,000 and 5,000 report types sharing one mailbox, one staged file each, whose
// time must grow with the number of types, not with its square.
//
//   archive_bench [STAGED] [ARCHIVED] [MOST-TYPES]      (--help tells more)

#include "archive/ArchiveRun.h"
#include "bench/ReportManagerWorld.h"
#include "catalogue/DirectoryListing.h"
#include "client/ReportRequests.h"
#include "config/ReportConfiguration.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

using namespace talmere;
using namespace talmere::bench;
namespace fs = std::filesystem;

namespace {

// Seconds after which the library takes a configuration file for settled (a little more than its own rule).
constexpr double kConfigurationSettles = 2.2;

// Rounds of the runs (and of plain copying and deleting) whose medians are the figures.
constexpr int kRounds = 3;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void WaitUntil(double seconds)
{
    const double left = seconds - NowSeconds();
    if (left > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(left));
    }
}

std::string StagedName(int i)
{
    return "ACK" + std::to_string(i) + ".X12";
}

// What the run does with the bytes, without any of its rules: copy each file and delete the original.
double PlainCopyAndDeleteSeconds(const fs::path& from, const fs::path& to)
{
    fs::create_directories(to);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(from)) {
        files.push_back(entry.path());
    }
    const double start = NowSeconds();
    for (const fs::path& file : files) {
        fs::copy_file(file, to / file.filename());
        fs::remove(file);
    }
    return NowSeconds() - start;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::size_t CountFiles(const fs::path& folder)
{
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        count += entry.is_regular_file() ? 1 : 0;
    }
    return count;
}

double TimeRun(ReportManagerWorld& world, int staged)
{
    world.writeAcknowledgments(world.mailbox(), staged, StagedName);
    const double start = NowSeconds();
    RunArchive(world.context());
    const double seconds = NowSeconds() - start;
    if (CountFiles(world.mailbox()) != 0) {
        std::fprintf(stderr, "not every staged file was archived\n");
        std::exit(1);
    }
    return seconds;
}

// An installation of many report types that share the mailbox: one in four moves its files (mask M<n>.X12)
// to a posting folder, the others delete theirs (D<n>.TMP), and one acknowledgment type archives 999
// files. Every type finds one file of its own in the mailbox. Answers the seconds of the run alone.
double TimeRunOfTypes(int types)
{
    BenchFolder folder;
    ReportManagerWorld world(folder.path());
    const fs::path posting = folder.path() / "posting";
    fs::create_directories(posting);
    std::string list = "[Report Types]\nAcks=\n";
    std::string sections = "[Report Details - Acks]\nReportFormat=ANSI_999\nReportDesc=Acknowledgments\n"
                           "ArchivePrefix=AK\nStagingDirectory=%SERVER_DIR%\\mailbox\nSearchIdent1=ISA\n"
                           "SearchIdent2=ST*997|ST*999\nFileNameMask=*.X12\nArchiveDays=-1\n";
    for (int i = 1; i < types; ++i) {
        const std::string name = "Type" + std::to_string(i);
        list += name + "=\n";
        sections += "[Report Details - " + name + "]\nStagingDirectory=%SERVER_DIR%\\mailbox\n";
        if (i % 4 == 0) {
            sections += "ReportFormat=MOVE\nFileNameMask=M" + std::to_string(i) +
                        ".X12\nMoveMethod=STANDARD\nDestinationDirectory=" + posting.string() + "\n";
            WriteBytes(world.mailbox() / ("M" + std::to_string(i) + ".X12"), "ISA*moved~\n");
        } else {
            sections += "ReportFormat=DELETE\nFileNameMask=D" + std::to_string(i) + ".TMP\n";
            WriteBytes(world.mailbox() / ("D" + std::to_string(i) + ".TMP"), "scratch\n");
        }
    }
    WriteConfiguration(folder.path() / "install" / "TALMERE.INI", list + sections);
    FreeReportConfiguration(world.context());
    if (!LoadReportConfiguration(world.context()) || static_cast<int>(world.context().reportTypes.size()) != types) {
        std::fprintf(stderr, "the configuration of %d types did not load\n", types);
        std::exit(1);
    }
    world.writeAcknowledgments(world.mailbox(), 10, StagedName);
    const double start = NowSeconds();
    RunArchive(world.context());
    const double seconds = NowSeconds() - start;
    // Every staged file was archived, moved or deleted.
    if (CountFiles(world.mailbox()) != 0 || CountFiles(posting) != static_cast<std::size_t>((types - 1) / 4)) {
        std::fprintf(stderr, "the run of %d types did not file every staged file\n", types);
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<long> sizes = ReadSizeArguments(
        argc, argv, "archive_bench",
        "Times the archive run of staged 999 files into an empty archive subfolder and into a full one, beside\n"
        "  plain copying and deleting, and the run of installations with more and more report types.",
        {{"STAGED", 1000, 100000, "staged 999 files of each run"},
         {"ARCHIVED", 20000, 1000000, "reports the full archive subfolder holds before the run"},
         {"MOST-TYPES", 5000, 100000, "report types of the largest installation timed"}});
    const int staged = static_cast<int>(sizes[0]);
    const int archived = static_cast<int>(sizes[1]);
    const int mostTypes = static_cast<int>(sizes[2]);
    QCoreApplication application(argc, argv);
    std::printf("Archive run of %d staged 999 files (ANSI_999 type identified by search strings); each figure "
                "the median of %d rounds, the baseline of copying and deleting the same files taken in each round\n",
                staged, kRounds);

    // Every installation is set up first: a real installation's configuration was written long before the
    // files a run finds, and the library reads it again on every call while it is new. Each round has an
    // installation with an empty archive subfolder and one with a full one.
    const double setUp = NowSeconds();
    struct Round {
        BenchFolder emptyFolder;
        ReportManagerWorld empty{emptyFolder.path()};
        BenchFolder fullFolder;
        ReportManagerWorld full{fullFolder.path()};
    };
    std::vector<std::unique_ptr<Round>> rounds;
    for (int round = 0; round < kRounds; ++round) {
        rounds.push_back(std::make_unique<Round>());
        ReportManagerWorld& full = rounds.back()->full;
        full.writeAcknowledgments(full.archiveFolder(), archived, [](int i) {
            char name[32];
            std::snprintf(name, sizeof name, "AK24%02d%02d.%03d", 1 + (i % 50) / 28, 1 + (i % 50) % 28, 1 + i / 50);
            return std::string(name);
        });
        RebuildDirectoryListing(full.context(), 0, true, false);
    }
    BenchFolder plain;
    ReportManagerWorld scratch(plain.path() / "world");
    WaitUntil(setUp + kConfigurationSettles);

    // A round of a thousand small files takes a few tens of milliseconds, which the other work of a shared
    // machine easily doubles: the baseline is taken in every round, just before the runs it is compared with.
    std::vector<double> baselines;
    std::vector<double> intoEmptyRuns;
    std::vector<double> intoFullRuns;
    for (int round = 0; round < kRounds; ++round) {
        const fs::path folder = plain.path() / ("round" + std::to_string(round));
        scratch.writeAcknowledgments(folder / "staged", staged, StagedName);
        baselines.push_back(PlainCopyAndDeleteSeconds(folder / "staged", folder / "copied"));
        intoEmptyRuns.push_back(TimeRun(rounds[round]->empty, staged));
        intoFullRuns.push_back(TimeRun(rounds[round]->full, staged));
    }
    const double baseline = Median(baselines);
    const double intoEmpty = Median(intoEmptyRuns);
    const double intoFull = Median(intoFullRuns);
    PrintFigure("archive run into an empty subfolder", intoEmpty * 1000, "ms", baseline * 1000, "ms copy");
    PrintFigure("archive run into a subfolder of " + std::to_string(archived) + " reports", intoFull * 1000, "ms",
                baseline * 1000, "ms copy");
    ReportManagerWorld& full = rounds.front()->full;
    // The run merged the filed reports into the listing; a rebuild of the whole subfolder, which it no longer
    // needs, must write the very same listing.
    const std::string merged = ReadBytes(ListingFilePath(full.context(), 0).toStdString());
    const double start = NowSeconds();
    RebuildDirectoryListing(full.context(), 0, true, false);
    const double rebuild = NowSeconds() - start;
    if (ReadBytes(ListingFilePath(full.context(), 0).toStdString()) != merged) {
        std::fprintf(stderr, "the listing the run left differs from a rebuild of the subfolder\n");
        return 1;
    }
    PrintFigure("  a full listing rebuild of " + std::to_string(archived + staged) + " reports (not in the run)",
                rebuild * 1000, "ms", baseline * 1000, "ms copy");
    PrintFigure("archive run per staged file (full subfolder)", intoFull * 1e6 / staged, "us", baseline * 1e6 / staged,
                "us copy");

    // The same run with more and more report types; the ratio is to the smallest installation, scaled to
    // its number of types, so a run that grows linearly stays near 1.
    std::printf("Archive run of installations with many report types, one staged file each\n");
    const int smallest = std::min(250, mostTypes);
    const double base = TimeRunOfTypes(smallest);
    PrintFigure("archive run of " + std::to_string(smallest) + " report types", base * 1000, "ms", base * 1000,
                "ms (" + std::to_string(smallest) + " types)");
    std::vector<int> counts;
    for (const int types : {1000, mostTypes}) {
        if (types > smallest && types <= mostTypes && std::find(counts.begin(), counts.end(), types) == counts.end()) {
            counts.push_back(types);
        }
    }
    for (const int types : counts) {
        const double seconds = TimeRunOfTypes(types);
        PrintFigure("archive run of " + std::to_string(types) + " report types", seconds * 1000, "ms",
                    base * 1000 * types / smallest, "ms (linear from " + std::to_string(smallest) + " types)");
    }
    return 0;
}
