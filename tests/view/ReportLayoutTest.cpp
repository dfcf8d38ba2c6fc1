// The page engine: margins and the bottom-margin rule, the header and the footer, plain text by lines (lines per
// page, wrapping, page breaks, pages read again from their start), rich text paginated, and pages painted.
//
// The expected figures come from the printer's arithmetic and the fonts' published metrics, not from the layout:
// Liberation Mono (what fontconfig gives for "Courier New") has 2048 units to the em, every character 1229 units
// wide, ascent 1705 and descent 615 units with no line gap, so a line is 2320/2048 = 1.1328125 em high and a
// character 0.6001 em wide.

#include "view/ReportLayout.h"
#include "core/ReportTypes.h"
#include "view/ReportDocument.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace talmere;

void PrintTo(const QString& text, std::ostream* out); // tests/view/RtfReaderTest.cpp

namespace {

constexpr double kMonoLineEm = 2320.0 / 2048.0;
constexpr double kMonoAdvanceEm = 1229.0 / 2048.0;

// US Letter at 150 dpi: 8.5 x 11 inches.
PrinterMetrics Letter150()
{
    PrinterMetrics printer;
    printer.dotsPerInch = 150;
    printer.pageSize = QSize(1275, 1650);
    return printer;
}

// At 150 dpi, 20 mm is 20 x 5 x 150 / 127 = 118.11 -> 118 pixels; the bottom margin 118 pixels is 19.98 -> 20 mm,
// plus 1 mm is 21 mm = 124.02 -> 124 pixels. The print area is 1275 - 2 x 118 = 1039 wide and
// 1650 - 118 - 124 = 1408 high.
constexpr int kMargin150 = 118;
constexpr int kPrintWidth150 = 1039;
constexpr int kPrintHeight150 = 1408;

// Courier New 12 points at 150 dpi: 25 pixels; a line 28.32 pixels high, a character 15.0 wide: 1408 / 28.32 =
// 49.7 -> 49 lines to a page, 1039 / 15.0 = 69.3 -> 69 characters to a line.
constexpr int kLines12 = 49;
constexpr int kColumns12 = 69;

class Layouts : public ::testing::Test {
protected:
    QTemporaryDir folder;
    int files = 0;

    QString write(const QByteArray& bytes, const QString& extension = QStringLiteral("TXT"))
    {
        const QString path = folder.filePath(QStringLiteral("report%1.%2").arg(++files).arg(extension));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }

    std::unique_ptr<ReportDocument> plain(const QByteArray& bytes, const QString& family = "Courier New",
                                          int points = 12)
    {
        auto document = ReportDocument::loadPlain(write(bytes), family, points);
        EXPECT_TRUE(document);
        return document;
    }

    std::unique_ptr<ReportDocument> rich(const QByteArray& rtf)
    {
        auto document = ReportDocument::loadRtf(write(rtf, QStringLiteral("rtf")));
        EXPECT_TRUE(document);
        return document;
    }
};

QByteArray NumberedLines(int count, int first = 1)
{
    QByteArray text;
    for (int i = first; i < first + count; ++i) {
        text += QStringLiteral("Line %1\r\n").arg(i, 4, 10, QLatin1Char('0')).toLatin1();
    }
    return text;
}

QImage WhitePage(const ReportLayout& layout)
{
    QImage image(layout.pageSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QImage Painted(const ReportLayout& layout, int page)
{
    QImage image = WhitePage(layout);
    QPainter painter(&image);
    layout.paintPage(painter, page);
    painter.end();
    return image;
}

// The pixels in the rectangle that are not white.
int Ink(const QImage& image, const QRect& area)
{
    const QRect rect = area.intersected(image.rect());
    int ink = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x) {
            ink += (line[x] & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
        }
    }
    return ink;
}

// Rows [top, bottom) across the page.
QRect Rows(const QImage& image, int top, int bottom)
{
    return QRect(0, top, image.width(), bottom - top);
}

// -- Millimetres ---------------------------------------------------------------------------------------------------

TEST(Millimetres, BecomePrinterPixelsAsMmTimes5TimesDpiOver127RoundedAndBack)
{
    EXPECT_EQ(MillimetresToPixels(20, 600), 472);   // 472.44
    EXPECT_EQ(MillimetresToPixels(5, 600), 118);    // 118.11
    EXPECT_EQ(MillimetresToPixels(6.35, 600), 150); // a quarter of an inch
    EXPECT_EQ(MillimetresToPixels(25.4, 300), 300);
    EXPECT_EQ(MillimetresToPixels(20, 150), 118);
    EXPECT_EQ(MillimetresToPixels(1, 600), 24); // 23.62
    EXPECT_EQ(MillimetresToPixels(0, 600), 0);
    EXPECT_EQ(PixelsToMillimetres(150, 600), 6);  // 6.35
    EXPECT_EQ(PixelsToMillimetres(472, 600), 20); // 19.98
    EXPECT_EQ(PixelsToMillimetres(150, 150), 25); // 25.4
    EXPECT_EQ(PixelsToMillimetres(177, 600), 7);  // 7.49
    EXPECT_EQ(PixelsToMillimetres(178, 600), 8);  // 7.54
}

// -- Captions and decoration ---------------------------------------------------------------------------------------

TEST(Captions, PrintedIsTwelveHourTimeInEnglishWhateverTheLocale)
{
    EXPECT_EQ(PrintedCaption(QDateTime(QDate(2024, 1, 31), QTime(9, 5))), "Printed: 01/31/2024 09:05 AM");
    EXPECT_EQ(PrintedCaption(QDateTime(QDate(2023, 12, 5), QTime(13, 45, 59))), "Printed: 12/05/2023 01:45 PM");
    EXPECT_EQ(PrintedCaption(QDateTime(QDate(2024, 7, 4), QTime(0, 0))), "Printed: 07/04/2024 12:00 AM");
    EXPECT_EQ(PrintedCaption(QDateTime(QDate(2024, 7, 4), QTime(12, 30))), "Printed: 07/04/2024 12:30 PM");

    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = PrintedCaption(QDateTime(QDate(2024, 1, 31), QTime(21, 5)));
    QLocale::setDefault(previous);
    EXPECT_EQ(german, "Printed: 01/31/2024 09:05 PM");
}

TEST(Captions, PageOfCount)
{
    EXPECT_EQ(PageCaption(2, 5), "Page 2 of 5");
    EXPECT_EQ(PageCaption(1, 1), "Page 1 of 1");
    EXPECT_EQ(PageCaption(1234, 5000), "Page 1234 of 5000");
}

TEST(Decoration, ComesFromTheTypesTextFieldsAndInvalidTextKeepsTheDefault)
{
    TReportConfigInfoRecord type;
    type.HeaderTitleCaption = "Remittance";
    type.HeaderTitlePointSize = "14";
    type.HeaderSubTitleCaption = "Weekly";
    type.HeaderSubTitlePointSize = " 11 ";
    type.PrintFooter = true;
    type.FooterPointSize = "7";
    type.MarginTopMM = "10";
    type.MarginBottomMM = "12";
    type.MarginLeftMM = "15";
    type.MarginRightMM = "16";
    type.HeaderSeparation = "4";
    type.HeaderSubTitleSeparation = "2";
    type.FooterSeparation = "3";
    const QDateTime when(QDate(2024, 3, 1), QTime(8, 0));
    const PageDecoration decoration = DecorationOf(type, when);
    EXPECT_EQ(decoration.title, "Remittance");
    EXPECT_EQ(decoration.titlePointSize, 14);
    EXPECT_EQ(decoration.subtitle, "Weekly");
    EXPECT_EQ(decoration.subtitlePointSize, 11);
    EXPECT_TRUE(decoration.footer);
    EXPECT_EQ(decoration.footerPointSize, 7);
    EXPECT_EQ(decoration.marginTopMM, 10);
    EXPECT_EQ(decoration.marginBottomMM, 12);
    EXPECT_EQ(decoration.marginLeftMM, 15);
    EXPECT_EQ(decoration.marginRightMM, 16);
    EXPECT_EQ(decoration.headerSeparationMM, 4);
    EXPECT_EQ(decoration.subtitleSeparationMM, 2);
    EXPECT_EQ(decoration.footerSeparationMM, 3);
    EXPECT_EQ(decoration.printTime, when);

    type.HeaderTitlePointSize = "abc";
    type.MarginTopMM = "";
    type.MarginLeftMM = "1.5";
    const PageDecoration defaults = DecorationOf(type, when);
    EXPECT_EQ(defaults.titlePointSize, PageDecoration{}.titlePointSize);
    EXPECT_EQ(defaults.marginTopMM, PageDecoration{}.marginTopMM);
    EXPECT_EQ(defaults.marginLeftMM, PageDecoration{}.marginLeftMM);
}

// -- Margins -------------------------------------------------------------------------------------------------------

TEST_F(Layouts, WithoutFooterTheBottomMarginIsTheConfiguredOnePlusOneMillimetre)
{
    const auto document = plain("text");
    const ReportLayout layout(*document, PageDecoration{}, Letter150());
    EXPECT_EQ(layout.footerHeight(), 0);
    EXPECT_EQ(layout.headerHeight(), 0);
    EXPECT_EQ(layout.bottomMarginMM(), 21);
    EXPECT_EQ(layout.printArea(), QRect(kMargin150, kMargin150, kPrintWidth150, kPrintHeight150));
    EXPECT_EQ(layout.bodyRect(), layout.printArea());
    EXPECT_EQ(layout.pageSize(), QSize(1275, 1650));
    EXPECT_EQ(layout.dotsPerInch(), 150);
    EXPECT_EQ(layout.printer(), Letter150());

    // At 600 dpi: 20 mm = 472 pixels = 19.98 -> 20 mm, plus 1.
    PrinterMetrics printer;
    const ReportLayout letter600(*document, PageDecoration{}, printer);
    EXPECT_EQ(letter600.bottomMarginMM(), 21);
    EXPECT_EQ(letter600.printArea(), QRect(472, 472, 5100 - 944, 6600 - 472 - 496)); // 21 mm = 496.06
}

TEST_F(Layouts, AnUnprintableStripLargerThanTheMarginIsUsedInstead)
{
    const auto document = plain("text");
    PageDecoration decoration;
    decoration.marginBottomMM = 5; // 118 pixels at 600 dpi
    PrinterMetrics printer;
    printer.unprintableBottom = 150; // 6.35 mm
    const ReportLayout layout(*document, decoration, printer);
    EXPECT_EQ(layout.bottomMarginMM(), 7);                                         // 150 pixels = 6.35 -> 6 mm, plus 1
    EXPECT_EQ(layout.printArea().top() + layout.printArea().height(), 6600 - 165); // 7 mm = 165.35

    // A strip smaller than the margin leaves the margin.
    printer.unprintableBottom = 100;
    EXPECT_EQ(ReportLayout(*document, decoration, printer).bottomMarginMM(), 6); // 118 -> 5 mm, plus 1
}

// -- Header and footer ---------------------------------------------------------------------------------------------

// Header lines in Courier New (the first item's family) at 150 dpi: the title at 14 points is 29.17 -> 29 pixels,
// its line 29 x 1.1328 = 32.85 -> 33 high; the subtitle at 10 points 20.83 -> 21 pixels, its line 23.79 -> 24.
// Separations: 3 mm = 17.72 -> 18 pixels, 5 mm = 29.53 -> 30.
PageDecoration Captions(const QString& title, const QString& subtitle)
{
    PageDecoration decoration;
    decoration.title = title;
    decoration.titlePointSize = 14;
    decoration.subtitle = subtitle;
    decoration.subtitlePointSize = 10;
    decoration.subtitleSeparationMM = 3;
    decoration.headerSeparationMM = 5;
    return decoration;
}

TEST_F(Layouts, BothCaptionsMakeTheHeaderAtTheTopMarginAndTheBodyBelowIt)
{
    const auto document = plain(NumberedLines(200));
    const ReportLayout layout(*document, Captions("Claims Report", "Week 5"), Letter150());
    EXPECT_EQ(layout.headerHeight(), 33 + 18 + 24 + 30);
    EXPECT_EQ(layout.printArea().top(), kMargin150);
    EXPECT_EQ(layout.bodyRect(), QRect(kMargin150, kMargin150 + 105, kPrintWidth150, kPrintHeight150 - 105));
    // (1408 - 105) / 28.32 = 46.0 -> 46 lines.
    EXPECT_EQ(layout.plainLinesOfPage(1).size(), 46);
    EXPECT_EQ(layout.plainLinesOfPage(2).value(0), "Line 0047");
}

TEST_F(Layouts, ATitleOrASubtitleAloneIsOneLineFollowedByTheHeaderSeparationAndNoneIsNoHeader)
{
    const auto document = plain("text");
    EXPECT_EQ(ReportLayout(*document, Captions("Claims Report", ""), Letter150()).headerHeight(), 33 + 30);
    const ReportLayout subtitle(*document, Captions("", "Week 5"), Letter150());
    EXPECT_EQ(subtitle.headerHeight(), 24 + 30);
    EXPECT_EQ(subtitle.bodyRect().top(), kMargin150 + 54);
    const ReportLayout none(*document, Captions("", ""), Letter150());
    EXPECT_EQ(none.headerHeight(), 0);
    EXPECT_EQ(none.bodyRect().top(), kMargin150);
}

TEST_F(Layouts, TheFooterTakesItsSeparationAndOneLineAboveTheBottomMargin)
{
    const auto document = plain("text");
    PageDecoration decoration;
    decoration.footer = true;
    decoration.footerPointSize = 8;    // 16.67 -> 17 pixels, a line of 19.26 -> 20
    decoration.footerSeparationMM = 2; // 11.81 -> 12
    const ReportLayout layout(*document, decoration, Letter150());
    EXPECT_EQ(layout.footerHeight(), 12 + 20);
    // 118 + 32 = 150 pixels = 25.4 -> 25 mm, plus 1 = 26 mm = 153.54 -> 154 pixels.
    EXPECT_EQ(layout.bottomMarginMM(), 26);
    EXPECT_EQ(layout.printArea().height(), 1650 - kMargin150 - 154);

    // The unprintable strip replaces the margin before the footer is added.
    PrinterMetrics printer = Letter150();
    printer.unprintableBottom = 200;
    EXPECT_EQ(ReportLayout(*document, decoration, printer).bottomMarginMM(), 40); // 232 pixels = 39.3 -> 39, + 1
}

// -- Plain text by lines -------------------------------------------------------------------------------------------

TEST_F(Layouts, PlainPagesHoldAsManyLinesAsTheFontAndTheBodyAllow)
{
    // The font here has the published metrics the expectations come from.
    QFont font("Courier New");
    font.setPixelSize(25);
    ASSERT_NEAR(QFontMetricsF(font).lineSpacing(), 25 * kMonoLineEm, 0.05);
    ASSERT_NEAR(QFontMetricsF(font).horizontalAdvance(QChar('x')), 25 * kMonoAdvanceEm, 0.05);

    const auto document = plain(NumberedLines(120));
    const ReportLayout layout(*document, PageDecoration{}, Letter150());
    EXPECT_EQ(layout.plainLinesPerPage(), kLines12);
    ASSERT_EQ(layout.pageCount(), 3); // 49 + 49 + 22
    EXPECT_EQ(layout.plainLinesOfPage(1).size(), kLines12);
    EXPECT_EQ(layout.plainLinesOfPage(1).front(), "Line 0001");
    EXPECT_EQ(layout.plainLinesOfPage(1).back(), "Line 0049");
    EXPECT_EQ(layout.plainLinesOfPage(2).front(), "Line 0050");
    EXPECT_EQ(layout.plainLinesOfPage(3).size(), 120 - 2 * kLines12);
    EXPECT_EQ(layout.plainLinesOfPage(3).back(), "Line 0120");
    EXPECT_TRUE(layout.plainLinesOfPage(0).isEmpty());
    EXPECT_TRUE(layout.plainLinesOfPage(4).isEmpty());
}

TEST_F(Layouts, CourierNewEightPointsOnLetterAt600Dpi)
{
    // 8 points at 600 dpi: 66.67 -> 67 pixels; a line of 75.90 pixels, a character 40.21 wide. The body is
    // 6600 - 472 - 496 = 5632 high: 74.2 -> 74 lines; 5100 - 944 = 4156 wide: 103.4 -> 103 characters.
    const QByteArray longLine(250, 'w');
    const auto document = plain(NumberedLines(200) + longLine, "Courier New", 8);
    const ReportLayout layout(*document, PageDecoration{}, PrinterMetrics{});
    EXPECT_EQ(layout.plainLinesPerPage(), 74);
    ASSERT_EQ(layout.pageCount(), 3); // 200 + 3 lines
    EXPECT_EQ(layout.plainLinesOfPage(2).front(), "Line 0075");
    const QStringList last = layout.plainLinesOfPage(3);
    EXPECT_EQ(last.front(), "Line 0149");
    ASSERT_EQ(last.size(), 200 - 148 + 3);
    EXPECT_EQ(last.at(last.size() - 3), QString(103, 'w'));
    EXPECT_EQ(last.at(last.size() - 2), QString(103, 'w'));
    EXPECT_EQ(last.at(last.size() - 1), QString(44, 'w'));
}

TEST_F(Layouts, LongLinesWrapCharacterByCharacterAtThePrintWidth)
{
    QByteArray line;
    for (int i = 0; i < 150; ++i) {
        line += static_cast<char>('a' + i % 26);
    }
    const auto document = plain("before\r\n" + line + "\r\nafter\r\n");
    const ReportLayout layout(*document, PageDecoration{}, Letter150());
    const QString text = QString::fromLatin1(line);
    EXPECT_EQ(layout.plainLinesOfPage(1),
              QStringList({"before", text.left(kColumns12), text.mid(kColumns12, kColumns12), text.mid(2 * kColumns12),
                           "after"}));
}

TEST_F(Layouts, ATabCutByTheWrapGoesOnInTheNextLineAndOnTheNextPage)
{
    // Column 66, then a tab to column 72: three of its blanks fit the line, three start the next, on a new page.
    const QByteArray line = QByteArray(66, 'x') + "\ty";
    const auto document = plain(NumberedLines(kLines12 - 1) + line);
    const ReportLayout layout(*document, PageDecoration{}, Letter150());
    ASSERT_EQ(layout.pageCount(), 2);
    EXPECT_EQ(layout.plainLinesOfPage(1).back(), QString(66, 'x') + "   ");
    EXPECT_EQ(layout.plainLinesOfPage(2), QStringList({"   y"}));
}

TEST_F(Layouts, ProportionalTextWrapsWhereTheNextCharacterWouldPassTheWidth)
{
    QByteArray line;
    for (int i = 0; i < 12; ++i) {
        line += "WWW iii MMM lll The quick brown dog jumps; ";
    }
    const auto document = plain(line, "Liberation Sans", 10);
    const ReportLayout layout(*document, PageDecoration{}, Letter150());
    QFont font("Liberation Sans");
    font.setPixelSize(21); // 10 points at 150 dpi
    font.setKerning(false);
    const QFontMetricsF metrics(font);
    const QStringList lines = layout.plainLinesOfPage(1);
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines.join(QString()), QString::fromLatin1(line));
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_LE(metrics.horizontalAdvance(lines[i]), kPrintWidth150 + 0.5) << i;
        if (i + 1 < lines.size()) {
            EXPECT_GT(metrics.horizontalAdvance(lines[i] + lines[i + 1].at(0)), kPrintWidth150 - 0.5) << i;
        }
    }
}

TEST_F(Layouts, AFormFeedStartsTheNextPageAndAFullPageNeedsNoSecondBreak)
{
    // A full page followed by a form feed: the break and the full page are one new page, not two.
    const auto document = plain(NumberedLines(kLines12) + "\f" + NumberedLines(3, 100) + "\fend");
    const ReportLayout layout(*document, PageDecoration{}, Letter150());
    ASSERT_EQ(layout.pageCount(), 3);
    EXPECT_EQ(layout.plainLinesOfPage(2), QStringList({"Line 0100", "Line 0101", "Line 0102"}));
    EXPECT_EQ(layout.plainLinesOfPage(3), QStringList({"end"}));
}

// A model of the plain-text rules written apart from the reader, for monospaced text: split the lines, split
// them at form feeds, expand tabs, cut them into pieces of a fixed number of characters, fill pages.
std::vector<QStringList> ModelPages(const QByteArray& bytes, int columns, int linesPerPage)
{
    std::vector<QStringList> pages(1);
    bool breakPending = false;
    const auto place = [&](const QString& piece, bool breakBefore) {
        if (!pages.back().isEmpty() && (breakBefore || pages.back().size() == linesPerPage)) {
            pages.emplace_back();
        }
        pages.back().append(piece);
    };
    const auto print = [&](const QString& text) {
        QString expanded;
        for (const QChar c : text) {
            if (c == '\t') {
                expanded += QString(8 - expanded.size() % 8, ' ');
            } else {
                expanded += c;
            }
        }
        bool first = true;
        int at = 0;
        do {
            place(expanded.mid(at, columns), first && breakPending);
            first = false;
            at += columns;
        } while (at < expanded.size());
        breakPending = false;
    };
    QStringList lines = QString::fromLatin1(bytes).split(QRegularExpression("\r\n|\r|\n"));
    if (lines.back().isEmpty()) {
        lines.removeLast(); // a final line end starts no line
    }
    for (const QString& line : lines) {
        if (!line.contains('\f')) {
            print(line);
            continue;
        }
        const QStringList parts = line.split('\f');
        for (int i = 0; i < parts.size(); ++i) {
            breakPending = breakPending || i > 0;
            if (!parts[i].isEmpty()) {
                print(parts[i]);
            }
        }
    }
    return pages;
}

TEST_F(Layouts, RandomPlainTextPagesAsTheModelSays)
{
    // A page of 1275 x 400 at 150 dpi has a body of 400 - 118 - 124 = 158 pixels: 5 lines of Courier New 12.
    PrinterMetrics printer = Letter150();
    printer.pageSize = QSize(1275, 400);
    std::mt19937 random(20240131);
    const char alphabet[] = {'a', 'b', ' ', '\t', '\r', '\n', '\f'};
    for (int round = 0; round < 200; ++round) {
        QByteArray text;
        const int length = static_cast<int>(random() % 600);
        for (int i = 0; i < length; ++i) {
            // Mostly letters, so that some lines are long enough to wrap.
            const unsigned pick = random() % 40;
            text += pick < 7 ? alphabet[pick] : static_cast<char>('c' + pick % 20);
        }
        const auto document = plain(text);
        const ReportLayout layout(*document, PageDecoration{}, printer);
        ASSERT_EQ(layout.plainLinesPerPage(), 5);
        std::vector<QStringList> pages;
        for (int page = 1; page <= layout.pageCount(); ++page) {
            pages.push_back(layout.plainLinesOfPage(page));
        }
        ASSERT_EQ(pages, ModelPages(text, kColumns12, 5))
            << "round " << round << ": " << text.toPercentEncoding().data();
    }
}

// -- Rich text -----------------------------------------------------------------------------------------------------

TEST_F(Layouts, ARichTextPageBreakStartsASecondPage)
{
    const auto document = rich("{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0\\fs24 First page\\par\\page Second "
                               "page\\par}");
    const ReportLayout layout(*document, PageDecoration{}, Letter150());
    ASSERT_EQ(layout.pageCount(), 2);
    EXPECT_TRUE(layout.plainLinesOfPage(1).isEmpty());
    EXPECT_EQ(layout.plainLinesPerPage(), 0);
    for (int page = 1; page <= 2; ++page) {
        const QImage image = Painted(layout, page);
        const QRect body = layout.bodyRect();
        // The one line of each page at the top of the body, drawn at 12 points: 25 pixels high at 150 dpi.
        EXPECT_GT(Ink(image, QRect(body.left(), body.top(), 400, 30)), 100) << page;
        EXPECT_EQ(Ink(image, QRect(body.left(), body.top() + 40, body.width(), body.height() - 40)), 0) << page;
        EXPECT_EQ(Ink(image, Rows(image, 0, body.top())), 0) << page;
    }
    EXPECT_NE(Painted(layout, 1), Painted(layout, 2));
}

TEST_F(Layouts, LongRichTextFillsPagesOfTheBodysHeight)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0\\fs24 ";
    for (int i = 1; i <= 150; ++i) {
        rtf += QStringLiteral("Paragraph %1\\par ").arg(i).toLatin1();
    }
    rtf += "}";
    const auto document = rich(rtf);
    const ReportLayout layout(*document, PageDecoration{}, Letter150());
    // 150 lines of 12 points, each near 1.13 x 12 points = 0.189 inch: some 49 to a page of 9.39 inches.
    EXPECT_GE(layout.pageCount(), 3);
    EXPECT_LE(layout.pageCount(), 4);
    const QImage last = Painted(layout, layout.pageCount());
    EXPECT_GT(Ink(last, layout.bodyRect()), 0);
}

TEST_F(Layouts, TwoLayoutsOfOneRichDocumentEachDrawTheirOwnPages)
{
    const auto document = rich("{\\rtf1 One\\par\\page Two\\par}");
    const ReportLayout wide(*document, PageDecoration{}, Letter150());
    PrinterMetrics landscape = Letter150();
    landscape.pageSize = QSize(1650, 1275);
    const ReportLayout across(*document, PageDecoration{}, landscape);
    const QImage first = Painted(wide, 2);
    Painted(across, 2);
    EXPECT_EQ(Painted(wide, 2), first);
}

// -- Painting ------------------------------------------------------------------------------------------------------

PageDecoration Furnished()
{
    PageDecoration decoration = Captions("CLAIMS ACKNOWLEDGMENT REPORT", "Week 5 of 2024");
    decoration.footer = true;
    decoration.footerPointSize = 8;
    decoration.footerSeparationMM = 2;
    decoration.printTime = QDateTime(QDate(2024, 1, 31), QTime(9, 5));
    return decoration;
}

TEST_F(Layouts, APaintedPageHasInkInTheHeaderTheBodyAndTheFooterOnly)
{
    const auto document = plain(NumberedLines(100));
    const ReportLayout layout(*document, Furnished(), Letter150());
    ASSERT_EQ(layout.pageCount(), 3);
    const QImage image = Painted(layout, 2);
    const QRect area = layout.printArea();
    const QRect body = layout.bodyRect();
    const int areaBottom = area.top() + area.height();
    const int footerTop = areaBottom + 12;

    EXPECT_EQ(Ink(image, Rows(image, 0, area.top())), 0) << "above the top margin";
    EXPECT_EQ(Ink(image, QRect(0, 0, area.left(), image.height())), 0) << "left margin";
    EXPECT_EQ(Ink(image, QRect(area.left() + area.width() + 1, 0, image.width(), image.height())), 0) << "right";

    // The title (bold, 33 pixels) and the subtitle, centred: ink in the middle, none at the sides.
    const QRect title(area.left(), area.top(), area.width(), 33);
    EXPECT_GT(Ink(image, title), 500);
    EXPECT_EQ(Ink(image, QRect(area.left(), area.top(), 150, 33)), 0);
    EXPECT_EQ(Ink(image, QRect(area.left() + area.width() - 150, area.top(), 150, 33)), 0);
    EXPECT_GT(Ink(image, QRect(area.left(), area.top() + 33 + 18, area.width(), 24)), 100);
    EXPECT_EQ(Ink(image, QRect(area.left(), area.top() + 33, area.width(), 18)), 0) << "subtitle separation";
    EXPECT_EQ(Ink(image, QRect(area.left(), area.top() + 33 + 18 + 24, area.width(), 30)), 0) << "separation";

    // The body: its lines from the body's left edge, nothing below the last line before the footer.
    EXPECT_GT(Ink(image, QRect(body.left(), body.top(), 20, 29)), 20);
    EXPECT_GT(Ink(image, body), 1000);
    EXPECT_EQ(Ink(image, Rows(image, areaBottom, footerTop)), 0) << "footer separation";

    // The footer: "Printed: ..." from the left edge, "Page 2 of 3" ending at the right edge.
    EXPECT_GT(Ink(image, QRect(area.left(), footerTop, 20, 20)), 10);
    EXPECT_GT(Ink(image, QRect(area.left() + area.width() - 20, footerTop, 20, 20)), 10);
    EXPECT_EQ(Ink(image, QRect(area.left() + 500, footerTop, 200, 20)), 0) << "between the footer's texts";
    EXPECT_EQ(Ink(image, Rows(image, footerTop + 20, image.height())), 0) << "below the footer";
}

TEST_F(Layouts, APageOutOfRangePaintsNothingAndThePainterIsAsBefore)
{
    const auto document = plain(NumberedLines(10));
    const ReportLayout layout(*document, Furnished(), Letter150());
    QImage image = WhitePage(layout);
    QPainter painter(&image);
    const QFont font("Liberation Serif", 17);
    painter.setFont(font);
    painter.setPen(QColor(Qt::red));
    painter.translate(3, 4);
    painter.setClipRect(QRect(0, 0, 1000, 1000));
    const QTransform transform = painter.transform();
    for (int page : {0, 2, -1}) {
        layout.paintPage(painter, page);
    }
    EXPECT_EQ(Ink(image, image.rect()), 0);
    layout.paintPage(painter, 1);
    EXPECT_EQ(painter.font(), font);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::red));
    EXPECT_EQ(painter.transform(), transform);
    EXPECT_EQ(painter.clipBoundingRect(), QRectF(0, 0, 1000, 1000));
    painter.end();
    EXPECT_GT(Ink(image, image.rect()), 0);
}

// What a preview zoomed in does: clip to what it shows, or shift the page so that only a part is on the device.
// Where it draws, the pixels are those of the whole page.
void ExpectPartsAsTheWhole(const ReportLayout& layout)
{
    for (int page = 1; page <= layout.pageCount(); ++page) {
        const QImage whole = Painted(layout, page);
        ASSERT_GT(Ink(whole, layout.bodyRect()), 0);
        for (const int cut : {300, 800}) {
            QImage clipped = WhitePage(layout);
            QPainter clipping(&clipped);
            clipping.setClipRect(QRect(0, 0, clipped.width(), cut));
            layout.paintPage(clipping, page);
            clipping.end();
            EXPECT_EQ(clipped.copy(0, 0, clipped.width(), cut), whole.copy(0, 0, whole.width(), cut)) << page;
            EXPECT_EQ(Ink(clipped, Rows(clipped, cut, clipped.height())), 0);

            QImage shifted(whole.width(), whole.height() - cut, QImage::Format_RGB32);
            shifted.fill(Qt::white);
            QPainter shifting(&shifted);
            shifting.translate(0, -cut);
            layout.paintPage(shifting, page);
            shifting.end();
            EXPECT_EQ(shifted, whole.copy(0, cut, whole.width(), whole.height() - cut)) << page;
        }
    }
}

TEST_F(Layouts, APartOfAPlainPageIsDrawnAsInTheWholePage)
{
    const auto document = plain(NumberedLines(60));
    ExpectPartsAsTheWhole(ReportLayout(*document, Furnished(), Letter150()));
}

TEST_F(Layouts, APartOfARichPageIsDrawnAsInTheWholePage)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0\\fs24 ";
    for (int i = 1; i <= 60; ++i) {
        rtf += QStringLiteral("Paragraph %1\\par ").arg(i).toLatin1();
    }
    const auto document = rich(rtf + "}");
    ExpectPartsAsTheWhole(ReportLayout(*document, Furnished(), Letter150()));
}

} // namespace
