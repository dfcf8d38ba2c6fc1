// The directory listing of an archive subfolder of 20,000 999 reports: the staleness check of a fresh
// listing (beside reading the listing file and the folder's names plainly) and the rebuild through the
// library (beside reading the same files plainly).
//
//   listing_bench [REPORTS]

#include "bench/ReportManagerWorld.h"
#include "catalogue/DirectoryListing.h"
#include "client/ReportRequests.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using namespace talmere;
using namespace talmere::bench;
namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    const int reports = static_cast<int>(ReadSizeArguments(
        argc, argv, "listing_bench",
        "Times the rebuild and the staleness check of the listing of an archive subfolder of 999 reports.",
        {{"REPORTS", 20000, 1000000, "reports in the subfolder"}})[0]);
    QCoreApplication application(argc, argv);
    BenchFolder folder;
    ReportManagerWorld world(folder.path());
    world.writeAcknowledgments(world.archiveFolder(), reports, [](int i) {
        char name[32];
        std::snprintf(name, sizeof name, "AK24%02d%02d.%03d", 1 + (i % 50) / 28, 1 + (i % 50) % 28, 1 + i / 50);
        return std::string(name);
    });
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(world.archiveFolder())) {
        files.push_back(entry.path());
    }
    std::printf("Directory listing of an archive subfolder of %d 999 reports\n", reports);

    const double plainRead = PlainReadSeconds(files);
    double rebuild = 0;
    {
        const double start = NowSeconds();
        if (!RebuildDirectoryListing(world.context(), 0, true, false)) {
            std::fprintf(stderr, "the rebuild failed\n");
            return 1;
        }
        rebuild = NowSeconds() - start;
    }
    PrintFigure("rebuild through the library", rebuild * 1000, "ms", plainRead * 1000, "ms read");

    const QString listing = ListingFilePath(world.context(), 0);
    const QString archive = QString::fromStdString(world.archiveFolder().string()) + '/';
    const double plainCheck = BestSeconds(5, [&] {
        std::ifstream in(listing.toStdString(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::size_t names = 0;
        for (const auto& entry : fs::directory_iterator(world.archiveFolder())) {
            names += entry.path().filename().string().size();
        }
        if (text.empty() || names == 0) {
            std::exit(1);
        }
    });
    bool stale = true;
    const double check = BestSeconds(5, [&] { stale = IsDirectoryListingStale(listing, archive); });
    if (stale) {
        std::fprintf(stderr, "a fresh listing was found stale\n");
        return 1;
    }
    PrintFigure("staleness check of a fresh listing", check * 1000, "ms", plainCheck * 1000, "ms read");
    const double unforced = BestSeconds(5, [&] { RebuildDirectoryListing(world.context(), 0, false, false); });
    PrintFigure("listing check as the window runs it (lock and check)", unforced * 1000, "ms", plainCheck * 1000,
                "ms read");
    return 0;
}
