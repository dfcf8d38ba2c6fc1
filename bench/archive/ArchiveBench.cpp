// The archive run of 1,000 staged 999 files, into an empty archive subfolder and into one that already
// holds 20,000 reports, beside copying and deleting the same files with plain file operations.
//
//   archive_bench [STAGED] [ARCHIVED]

#include "archive/ArchiveRun.h"
#include "bench/ReportManagerWorld.h"
#include "catalogue/DirectoryListing.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

using namespace talmere;
using namespace talmere::bench;
namespace fs = std::filesystem;

namespace {

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int staged = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int archived = argc > 2 ? std::atoi(argv[2]) : 20000;
    std::printf("Archive run of %d staged 999 files (ANSI_999 type identified by search strings)\n", staged);

    BenchFolder plain;
    ReportManagerWorld scratch(plain.path() / "world");
    scratch.writeAcknowledgments(plain.path() / "staged", staged, StagedName);
    const double baseline = PlainCopyAndDeleteSeconds(plain.path() / "staged", plain.path() / "copied");

    BenchFolder emptyFolder;
    ReportManagerWorld empty(emptyFolder.path());
    const double intoEmpty = TimeRun(empty, staged);
    PrintFigure("archive run into an empty subfolder", intoEmpty * 1000, "ms", baseline * 1000, "ms copy");

    BenchFolder fullFolder;
    ReportManagerWorld full(fullFolder.path());
    full.writeAcknowledgments(full.archiveFolder(), archived, [](int i) {
        char name[32];
        std::snprintf(name, sizeof name, "AK24%02d%02d.%03d", 1 + (i % 50) / 28, 1 + (i % 50) % 28, 1 + i / 50);
        return std::string(name);
    });
    RebuildDirectoryListing(full.context(), 0, true, false);
    const double intoFull = TimeRun(full, staged);
    PrintFigure("archive run into a subfolder of " + std::to_string(archived) + " reports", intoFull * 1000, "ms",
                baseline * 1000, "ms copy");
    // The one part that has to look at the whole subfolder: the listing rebuild at the end of the run.
    const double start = NowSeconds();
    RebuildDirectoryListing(full.context(), 0, true, false);
    const double rebuild = NowSeconds() - start;
    PrintFigure("  of which the listing rebuild of " + std::to_string(archived + staged) + " reports", rebuild * 1000,
                "ms", baseline * 1000, "ms copy");
    PrintFigure("archive run per staged file (full subfolder)", intoFull * 1e6 / staged, "us", baseline * 1e6 / staged,
                "us copy");
    return 0;
}
