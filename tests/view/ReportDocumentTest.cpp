// The report document: plain text read from its mapping into printed lines and pages (line ends, form feeds,
// tabs, Windows-1252), rich text read as RTF, and the first item's font that the header and footer take.

#include "view/ReportDocument.h"
#include "view/PlainReportText.h"
#include "view/ReportLayout.h"
#include "view/RtfReader.h"

#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace talmere;

void PrintTo(const QString& text, std::ostream* out); // tests/view/RtfReaderTest.cpp

namespace {

// US Letter at 150 dpi: small enough to paint whole in a test, large enough for real fonts.
PrinterMetrics Letter150()
{
    PrinterMetrics printer;
    printer.dotsPerInch = 150;
    printer.pageSize = QSize(1275, 1650);
    return printer;
}

class ReportFiles : public ::testing::Test {
protected:
    QTemporaryDir folder;

    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("TALMRTMP.TXT"))
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }

    std::unique_ptr<ReportDocument> plain(const QByteArray& bytes, const QString& family = "Courier New",
                                          int points = 10)
    {
        QString error;
        auto document = ReportDocument::loadPlain(write(bytes), family, points, &error);
        EXPECT_TRUE(document) << error.toStdString();
        return document;
    }

    // The printed lines of every page, for text short enough not to wrap.
    std::vector<QStringList> pagesOf(const QByteArray& bytes)
    {
        const auto document = plain(bytes);
        if (!document) {
            return {};
        }
        const ReportLayout layout(*document, PageDecoration{}, Letter150());
        std::vector<QStringList> pages;
        for (int page = 1; page <= layout.pageCount(); ++page) {
            pages.push_back(layout.plainLinesOfPage(page));
        }
        return pages;
    }
};

using Pages = std::vector<QStringList>;

// -- Loading -----------------------------------------------------------------------------------------------------

TEST_F(ReportFiles, AFileThatCannotBeOpenedLoadsNothingAndSaysWhy)
{
    for (const QString& method : {QStringLiteral("PLAIN"), QStringLiteral("RTF")}) {
        QString error;
        EXPECT_FALSE(ReportDocument::load(folder.filePath("missing.txt"), method, "Courier New", 8, &error));
        EXPECT_TRUE(error.contains("missing.txt")) << error.toStdString();
    }
}

TEST_F(ReportFiles, TheLoadMethodPlainAsStoredIsPlainTextAnythingElseRtf)
{
    const QString path = write("{\\rtf1 Hello}");
    EXPECT_EQ(ReportDocument::load(path, "PLAIN", "Courier New", 8)->kind(), ReportDocument::Kind::Plain);
    EXPECT_EQ(ReportDocument::load(path, "RTF", "Courier New", 8)->kind(), ReportDocument::Kind::Rich);
    EXPECT_EQ(ReportDocument::load(path, "plain", "Courier New", 8)->kind(), ReportDocument::Kind::Rich);

    const auto plainText = ReportDocument::load(path, "PLAIN", "Courier New", 8);
    EXPECT_NE(plainText->plainText(), nullptr);
    EXPECT_EQ(plainText->richText(), nullptr);
    EXPECT_EQ(plainText->rtfLoadResult(), nullptr);
    const auto richText = ReportDocument::load(path, "RTF", "Courier New", 8);
    EXPECT_EQ(richText->plainText(), nullptr);
    ASSERT_NE(richText->richText(), nullptr);
    EXPECT_EQ(richText->richText()->toPlainText(), "Hello");
    ASSERT_NE(richText->rtfLoadResult(), nullptr);
    EXPECT_TRUE(richText->rtfLoadResult()->recognised);

    // A file that is not RTF at all is an empty rich document of one page.
    const auto notRtf = ReportDocument::loadRtf(write("plain words, no RTF"));
    ASSERT_TRUE(notRtf);
    EXPECT_FALSE(notRtf->rtfLoadResult()->recognised);
    EXPECT_TRUE(notRtf->richText()->isEmpty());
    EXPECT_EQ(ReportLayout(*notRtf, PageDecoration{}, Letter150()).pageCount(), 1);
}

TEST_F(ReportFiles, PlainTextIsMappedNotCopied)
{
    const auto document = plain(QByteArray(100000, 'x'));
    const PlainReportText* text = document->plainText();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->bytes().size(), 100000u);
    EXPECT_EQ(text->bytes().substr(0, 3), "xxx");
    // The bytes are the file's mapping: the process maps the file, and the document holds no copy.
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_TRUE(mapped.contains(QFile::encodeName(QFileInfo(folder.filePath("TALMRTMP.TXT")).canonicalFilePath())));
}

// -- Line ends, tabs and characters --------------------------------------------------------------------------------

TEST_F(ReportFiles, CrLfLfAndCrEachEndALineAndAFinalLineEndStartsNoLine)
{
    EXPECT_EQ(pagesOf("A\r\nB\nC\rD"), Pages({{"A", "B", "C", "D"}}));
    EXPECT_EQ(pagesOf("A\r\nB\r\n"), Pages({{"A", "B"}}));
    EXPECT_EQ(pagesOf("A\r\n\r\nB\r\n\r\n"), Pages({{"A", "", "B", ""}}));
    EXPECT_EQ(pagesOf("\r\n"), Pages({{""}}));
    EXPECT_EQ(pagesOf("A\n\rB"), Pages({{"A", "", "B"}})); // LF then CR: two line ends
    EXPECT_EQ(pagesOf(""), Pages({QStringList()}));        // an empty file is one empty page
}

TEST_F(ReportFiles, TabsAdvanceToTheNextMultipleOfEightColumns)
{
    EXPECT_EQ(pagesOf("a\tb\r\n\tc\r\n12345678\tX\r\nabcdefg\th\r\n"),
              Pages({{"a       b", "        c", "12345678        X", "abcdefg h"}}));
}

TEST_F(ReportFiles, BytesAreWindows1252AndControlCharactersShowAsBlanks)
{
    static constexpr char bytes[] =
        "\x80 \x93quoted\x94 caf\xE9\r\nNUL[\x00]BEL[\x07]DEL[\x7F]\r\n[\x81][\x9D]re\xADsubmit";
    EXPECT_EQ(pagesOf(QByteArray(bytes, sizeof bytes - 1)),
              Pages({{QString::fromUtf8("€ “quoted” café"), "NUL[ ]BEL[ ]DEL[ ]", "[ ][ ]re-submit"}}));
}

// -- Form feeds ----------------------------------------------------------------------------------------------------

TEST_F(ReportFiles, AFormFeedEndsTheTextBeforeItAndStartsANewPageWithTheTextAfterIt)
{
    EXPECT_EQ(pagesOf("First message\r\nline 2\r\n\fSecond message\r\nline 2\r\n"),
              Pages({{"First message", "line 2"}, {"Second message", "line 2"}}));
    // As the BCBS reports write it: the form feed instead of a line end.
    EXPECT_EQ(pagesOf("A\r\nB\fC\r\nD"), Pages({{"A", "B"}, {"C", "D"}}));
    // As the 864 report writes it: the form feed, then the next message's own line end.
    EXPECT_EQ(pagesOf("\r\nmessage 1\f\r\nmessage 2\r\n"), Pages({{"", "message 1"}, {"message 2"}}));
    EXPECT_EQ(pagesOf("1\f2\f3\r\n\f4\r\n"), Pages({{"1"}, {"2"}, {"3"}, {"4"}}));
}

TEST_F(ReportFiles, FormFeedsInARowOrOnLinesOfTheirOwnGiveOneBreakAndNoEmptyPage)
{
    EXPECT_EQ(pagesOf("A\f\f\fB"), Pages({{"A"}, {"B"}}));
    EXPECT_EQ(pagesOf("A\r\n\f\r\nB\r\n"), Pages({{"A"}, {"B"}}));
    EXPECT_EQ(pagesOf("A\r\n\f\r\n\f\f\r\n\f\nB\r\n"), Pages({{"A"}, {"B"}}));
    // An empty line without a form feed is a line, after a page break too.
    EXPECT_EQ(pagesOf("A\r\n\f\r\n\r\nB"), Pages({{"A"}, {"", "B"}}));
    // At the start or the end of the file.
    EXPECT_EQ(pagesOf("\f\r\n\fA\r\nB\r\n"), Pages({{"A", "B"}}));
    EXPECT_EQ(pagesOf("A\r\nB\r\n\f\r\n\f\r\n"), Pages({{"A", "B"}}));
    EXPECT_EQ(pagesOf("\f\f\r\n\f"), Pages({QStringList()}));
}

// -- Fonts ---------------------------------------------------------------------------------------------------------

TEST_F(ReportFiles, PlainTextIsInTheTypesFontAndSize)
{
    const auto document = plain("text", "Courier New", 8);
    EXPECT_EQ(document->kind(), ReportDocument::Kind::Plain);
    const QFont font = document->firstItemFont();
    EXPECT_EQ(font.family(), "Courier New");
    EXPECT_EQ(font.pointSize(), 8);
    EXPECT_FALSE(font.bold());
    EXPECT_EQ(document->plainText()->fontFamily(), "Courier New");
    EXPECT_EQ(document->plainText()->pointSize(), 8);
    // fontconfig gives Courier New's metric twin here.
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
    // A point size below 1 counts as 1.
    EXPECT_EQ(plain("text", "Courier New", 0)->firstItemFont().pointSize(), 1);
    EXPECT_EQ(plain("text", "Courier New", -5)->plainText()->pointSize(), 1);
}

TEST_F(ReportFiles, AnRtfReportKeepsItsOwnFontsAndTheFirstItemFontIsItsFirstText)
{
    const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}{\\f2 Courier New;}}"
                           "\\f1\\fs28\\b Heading\\b0\\par\\f2\\fs16 Detail line\\par}";
    const auto document = ReportDocument::load(write(rtf, "report.rtf"), "RTF", "Liberation Serif", 12);
    ASSERT_TRUE(document);
    const QFont first = document->firstItemFont();
    EXPECT_EQ(first.families().value(0, first.family()), "Arial");
    EXPECT_EQ(first.pointSizeF(), 14.0);
    EXPECT_TRUE(first.bold());

    // Laying it out leaves the fonts as the RTF gave them.
    const ReportLayout layout(*document, PageDecoration{}, Letter150());
    QTextDocument& text = *document->richText();
    const QTextBlock detail = text.findBlockByNumber(1);
    ASSERT_TRUE(detail.isValid());
    EXPECT_EQ(detail.text(), "Detail line");
    const QTextCharFormat format = detail.begin().fragment().charFormat();
    EXPECT_EQ(format.fontFamilies().toStringList().value(0), "Courier New");
    EXPECT_EQ(format.fontPointSize(), 8.0);
    EXPECT_NE(format.fontWeight(), QFont::Bold);

    // Without any text, the document's default font.
    const auto empty = ReportDocument::loadRtf(write("{\\rtf1}", "empty.rtf"));
    EXPECT_EQ(empty->firstItemFont(), empty->richText()->defaultFont());
}

} // namespace
