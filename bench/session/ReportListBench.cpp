// The report list of a type with 20,000 archived reports: filling it from a fresh listing (the listing table
// included), a report type change to that type, and a quick-search keystroke over its rows. The baseline is
// reading the listing file and parsing its lines, which every fill must do.
//
//   report_list_bench [REPORTS]

#include "bench/ReportManagerWorld.h"
#include "catalogue/DirectoryListing.h"
#include "catalogue/ListingModel.h"
#include "catalogue/ReportList.h"
#include "client/ReportRequests.h"
#include "session/ReportListCommands.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace talmere;
using namespace talmere::bench;

int main(int argc, char** argv)
{
    const int reports = static_cast<int>(ReadSizeArguments(
        argc, argv, "report_list_bench",
        "Times filling the report list, a type change and a quick-search keystroke over a type's reports.",
        {{"REPORTS", 20000, 1000000, "archived reports of the type"}})[0]);
    QCoreApplication application(argc, argv);
    BenchFolder folder;
    ReportManagerWorld world(folder.path());
    world.context().settings.ReportArchiveDirectory = QStringLiteral("archive");
    world.writeAcknowledgments(world.archiveFolder(), reports, [](int i) {
        char name[32];
        std::snprintf(name, sizeof name, "AK24%02d%02d.%03d", 1 + (i % 50) / 28, 1 + (i % 50) % 28, 1 + i / 50);
        return std::string(name);
    });
    ReportListCommands commands(world.context());
    if (commands.start() != ReportManagerStart::Ready || commands.model().rowCount() != reports) {
        std::fprintf(stderr, "the start did not list the %d reports\n", reports);
        return 1;
    }
    std::printf("Report list of a type with %d archived 999 reports\n", reports);

    const QString listing = ListingFilePath(world.context(), 0);
    std::size_t parsed = 0;
    const double baseline = BestSeconds(5, [&] {
        parsed = 0;
        TDirectoryListingInfo entry;
        for (const std::string& line : ReadListingLines(listing)) {
            parsed += ParseDirectoryListingLine(line, entry) ? 1 : 0;
        }
    });
    if (parsed != static_cast<std::size_t>(reports)) {
        std::fprintf(stderr, "the listing holds %zu lines, not %d\n", parsed, reports);
        return 1;
    }
    const double fill =
        BestSeconds(5, [&] { FillListingTable(world.context(), commands.selectedTypeIndex(), {}, commands.model()); });
    PrintFigure("list fill from a fresh listing (with the table)", fill * 1000, "ms", baseline * 1000, "ms parse");
    const double change = BestSeconds(5, [&] { commands.changeReportType(0); });
    PrintFigure("report type change to that type", change * 1000, "ms", baseline * 1000, "ms parse");

    // A user typing a sender's ID: each keystroke narrows the shown rows anew, and the grid then asks how many
    // rows there are (the filter runs when the rows are asked for); the last one clears it.
    const QString typed = QStringLiteral("AVAILITY01 no such");
    double longest = 0;
    double total = 0;
    int shown = 0;
    for (int length = 1; length <= typed.size(); ++length) {
        const double start = NowSeconds();
        commands.viewModel().setSearchText(typed.left(length));
        shown = commands.viewModel().rowCount();
        const double took = NowSeconds() - start;
        longest = std::max(longest, took);
        total += took;
    }
    if (shown != 0) {
        std::fprintf(stderr, "the search for a text no report holds still showed %d rows\n", shown);
        return 1;
    }
    const double clear = BestSeconds(1, [&] {
        commands.viewModel().setSearchText({});
        shown = commands.viewModel().rowCount();
    });
    if (shown != reports) {
        std::fprintf(stderr, "a cleared search shows %d rows, not %d\n", shown, reports);
        return 1;
    }
    PrintFigure("quick search, mean time per keystroke", total / typed.size() * 1000, "ms", baseline * 1000,
                "ms parse");
    PrintFigure("quick search, slowest keystroke", std::max(longest, clear) * 1000, "ms", baseline * 1000, "ms parse");
    commands.finish();
    return 0;
}
