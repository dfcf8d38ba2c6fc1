// The page engine on a large plain-text report (Courier New 8 points on US Letter at 600 dpi, a form feed
// before every page): the time to the first page (mapping the file, laying all of it out, painting page 1 as a
// preview does), the painting of the last page, and PDF export of 1,000 pages. The baseline is reading the
// report's bytes once through a plain buffer, which any viewer must at least do.
//
//   view_bench [--pages N]

#include "bench/BenchSupport.h"
#include "view/ReportDocument.h"
#include "view/ReportLayout.h"
#include "view/ReportPrinting.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace talmere;
using namespace talmere::bench;

namespace {

constexpr int kDefaultPages = 5000;
constexpr int kMostPages = 100000; // some 600 MB of report text
constexpr int kLinesPerPage = 60;  // a page holds 74 lines of this font
constexpr int kPdfPages = 1000;
constexpr double kPreviewScale = 0.25; // a page 1275 pixels wide, as a preview at about 100 % draws it

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: view_bench [--pages N]\n"
                 "  Lays out and paints a generated plain-text report of N pages (default %d, 1 to %d).\n",
                 kDefaultPages, kMostPages);
}

// Lines of a claims listing, 98 bytes with the line end: no line wraps at 103 characters to a line.
void WriteReport(const std::filesystem::path& path, int pages)
{
    std::ofstream out(path, std::ios::binary);
    const std::vector<std::string> remarks = {"REMARK N0", "REMARK N1", "REMARK N2",  "DENIED CO45",
                                              "PENDING",   "ADJUSTED",  "REMARK MA01"};
    char line[128];
    for (int page = 1; page <= pages; ++page) {
        if (page > 1) {
            out.put('\f');
        }
        for (int i = 0; i < kLinesPerPage; ++i) {
            const int claim = page * kLinesPerPage + i;
            std::snprintf(line, sizeof line,
                          "%05d %-10s CLM%010d 01/%02d/2024 PAID    $%9d.%02d  ACCEPTED  P%04d L%02d  %-14s\r\n",
                          page % 100000, "ACME MED", claim, 1 + claim % 28, claim % 100000, claim % 100, page % 10000,
                          i + 1, remarks[static_cast<std::size_t>(i) % remarks.size()].c_str());
            out << line;
        }
    }
}

void PaintPreview(const ReportPages& pages, int page, QImage& image)
{
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kPreviewScale, kPreviewScale);
    pages.paintPage(painter, page);
}

PageDecoration Decoration()
{
    PageDecoration decoration;
    decoration.title = QStringLiteral("CLAIMS STATUS REPORT");
    decoration.titlePointSize = 12;
    decoration.subtitle = QStringLiteral("Acme Medical Billing");
    decoration.subtitlePointSize = 10;
    decoration.subtitleSeparationMM = 2;
    decoration.headerSeparationMM = 4;
    decoration.footer = true;
    decoration.footerSeparationMM = 2;
    decoration.printTime = QDateTime::currentDateTime();
    return decoration;
}

// The first pages of a layout, for an export of a given length.
class FirstPages final : public ReportPages {
public:
    FirstPages(const ReportPages& pages, int count) : m_pages(pages), m_count(std::min(count, pages.pageCount())) {}
    int pageCount() const override { return m_count; }
    QSize pageSize() const override { return m_pages.pageSize(); }
    int dotsPerInch() const override { return m_pages.dotsPerInch(); }
    void paintPage(QPainter& painter, int page) const override
    {
        if (page <= m_count) {
            m_pages.paintPage(painter, page);
        }
    }

private:
    const ReportPages& m_pages;
    int m_count;
};

} // namespace

int main(int argc, char** argv)
{
    int pages = kDefaultPages;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--pages") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || value < 1 || value > kMostPages) {
                std::fprintf(stderr, "view_bench: the number of pages must be 1 to %d, not \"%s\"\n", kMostPages,
                             argv[i]);
                return kUsageError;
            }
            pages = static_cast<int>(value);
            continue;
        }
        std::fprintf(stderr, "view_bench: unknown argument \"%s\"\n", argv[i]);
        PrintUsage(stderr);
        return kUsageError;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);

    BenchFolder folder;
    const std::filesystem::path report = folder.path() / "TALMRTMP.TXT";
    WriteReport(report, pages);
    const double megabytes = static_cast<double>(std::filesystem::file_size(report)) / (1024.0 * 1024.0);
    std::printf("Plain-text report of %d pages (%d lines each, %.1f MiB), Courier New 8 pt, Letter at 600 dpi\n", pages,
                kLinesPerPage, megabytes);

    const double baseline = BestSeconds(3, [&] { PlainReadSeconds(report); });
    const QString path = QString::fromStdString(report.string());
    const PrinterMetrics printer; // US Letter at 600 dpi
    const PageDecoration decoration = Decoration();

    // Time to the first page, from nothing: map, lay out every page, paint page 1; the first run (the file's
    // pages not yet mapped into this process) and the best of three. The image is the preview's, made once.
    double firstRunSeconds = 0;
    double loadSeconds = 1e9;
    double layoutSeconds = 1e9;
    double firstPaintSeconds = 1e9;
    double firstPageSeconds = 1e9;
    std::unique_ptr<ReportDocument> document;
    std::unique_ptr<ReportLayout> layout;
    QImage image(printer.pageSize * kPreviewScale, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int run = 0; run < 3; ++run) {
        layout.reset();
        document.reset();
        const double start = NowSeconds();
        document = ReportDocument::loadPlain(path, QStringLiteral("Courier New"), 8);
        const double loaded = NowSeconds();
        if (!document) {
            std::fprintf(stderr, "the report could not be loaded\n");
            return 1;
        }
        layout = std::make_unique<ReportLayout>(*document, decoration, printer);
        const double laidOut = NowSeconds();
        PaintPreview(*layout, 1, image);
        const double painted = NowSeconds();
        loadSeconds = std::min(loadSeconds, loaded - start);
        layoutSeconds = std::min(layoutSeconds, laidOut - loaded);
        firstPaintSeconds = std::min(firstPaintSeconds, painted - laidOut);
        firstPageSeconds = std::min(firstPageSeconds, painted - start);
        if (run == 0) {
            firstRunSeconds = painted - start;
        }
    }
    if (layout->pageCount() != pages) {
        std::fprintf(stderr, "the layout has %d pages, not %d\n", layout->pageCount(), pages);
        return 1;
    }
    PrintFigure("read the report once (baseline)", baseline * 1000, "ms", baseline * 1000, "ms read");
    PrintFigure("load: map the file", loadSeconds * 1000, "ms", baseline * 1000, "ms read");
    PrintFigure("lay out all pages", layoutSeconds * 1000, "ms", baseline * 1000, "ms read");
    PrintFigure("paint page 1 (preview scale 1/4)", firstPaintSeconds * 1000, "ms", baseline * 1000, "ms read");
    PrintFigure("time to the first page (load, lay out, paint)", firstPageSeconds * 1000, "ms", baseline * 1000,
                "ms read");
    PrintFigure("time to the first page, first run", firstRunSeconds * 1000, "ms", baseline * 1000, "ms read");

    const int last = layout->pageCount();
    const double lastPage = BestSeconds(5, [&] { PaintPreview(*layout, last, image); });
    PrintFigure("paint the last page (preview scale 1/4)", lastPage * 1000, "ms", baseline * 1000, "ms read");
    std::printf("%-52s %12.1f MiB\n", "peak resident memory after layout and preview", PeakResidentMiB());

    // The whole page at the printer's resolution into an image (134 MB): Qt draws glyphs larger than 64 pixels
    // as paths, so this is far slower than the preview; printers and PDF get vectors and never do this.
    QImage full(printer.pageSize, QImage::Format_RGB32);
    const double fullPage = BestSeconds(3, [&] {
        full.fill(Qt::white);
        QPainter painter(&full);
        layout->paintPage(painter, last);
    });
    full = QImage();
    PrintFigure("paint the last page (600 dpi)", fullPage * 1000, "ms", baseline * 1000, "ms read");
    const QStringList lines = layout->plainLinesOfPage(last);
    if (lines.size() != kLinesPerPage) {
        std::fprintf(stderr, "the last page holds %lld lines, not %d\n", static_cast<long long>(lines.size()),
                     kLinesPerPage);
        return 1;
    }

    // PDF export of the first 1,000 pages (all of them when the report is shorter).
    const FirstPages exported(*layout, kPdfPages);
    const QString pdf = QString::fromStdString((folder.path() / "report.pdf").string());
    QString error;
    bool written = false;
    const double pdfSeconds = BestSeconds(1, [&] { written = ExportPdf(exported, pdf, "Claims status", &error); });
    if (!written) {
        std::fprintf(stderr, "PDF export failed: %s\n", qPrintable(error));
        return 1;
    }
    const double pdfMegabytes =
        static_cast<double>(std::filesystem::file_size(folder.path() / "report.pdf")) / (1024.0 * 1024.0);
    PrintFigure("PDF export of " + std::to_string(exported.pageCount()) + " pages", pdfSeconds * 1000, "ms",
                baseline * 1000, "ms read");
    std::printf("%-52s %12.2f ms per page, %.1f MiB\n", "PDF export", pdfSeconds * 1000 / exported.pageCount(),
                pdfMegabytes);
    std::printf("%-52s %12.1f MiB\n", "peak resident memory (with the 600 dpi image)", PeakResidentMiB());
    return 0;
}
