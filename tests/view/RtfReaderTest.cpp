// The RTF reader: hand-made files for each group of controls, documents written by a word processor, and
// damaged input of every kind, which must load what it can without crashing or hanging.

#include "view/RtfReader.h"
#include "tests/support/TestSupport.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace talmere;

// Test output shows Qt's strings as text.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

QByteArray Sample(std::string_view name)
{
    return QByteArray::fromStdString(test::ReadFile(test::TestData("rtf/" + std::string(name))));
}

// Every block's text; a line break within a block shows as U+2028.
QStringList Blocks(const QTextDocument& document)
{
    QStringList blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        blocks.append(block.text());
    }
    return blocks;
}

// The positions of the blocks that start a new page.
std::vector<int> PageBreakBlocks(const QTextDocument& document)
{
    std::vector<int> breaks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) {
            breaks.push_back(block.blockNumber());
        }
    }
    return breaks;
}

// The character format of the first character of text, which must be in the document.
QTextCharFormat FormatOf(QTextDocument& document, const QString& text)
{
    const qsizetype at = document.toRawText().indexOf(text);
    EXPECT_GE(at, 0) << "not in the document: " << text.toStdString();
    QTextCursor cursor(&document);
    cursor.setPosition(static_cast<int>(std::max<qsizetype>(at, 0)) + 1);
    return cursor.charFormat();
}

QTextBlockFormat BlockFormatOf(QTextDocument& document, const QString& text)
{
    const qsizetype at = document.toRawText().indexOf(text);
    EXPECT_GE(at, 0) << "not in the document: " << text.toStdString();
    return document.findBlock(static_cast<int>(std::max<qsizetype>(at, 0))).blockFormat();
}

struct TextRun {
    QString text;
    QTextCharFormat format;
};

// The runs of a block: text of one format each.
std::vector<TextRun> Runs(const QTextBlock& block)
{
    std::vector<TextRun> runs;
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        runs.push_back(TextRun{fragment.fragment().text(), fragment.fragment().charFormat()});
    }
    return runs;
}

QStringList Texts(const std::vector<TextRun>& runs)
{
    QStringList texts;
    for (const TextRun& run : runs) {
        texts.append(run.text);
    }
    return texts;
}

// Each run's bold, italic and underline as "b", "i", "u".
QStringList Styles(const std::vector<TextRun>& runs)
{
    QStringList styles;
    for (const TextRun& run : runs) {
        QString style;
        style += run.format.fontWeight() == QFont::Bold ? "b" : "";
        style += run.format.fontItalic() ? "i" : "";
        style += run.format.fontUnderline() ? "u" : "";
        styles.append(style);
    }
    return styles;
}

QString Family(const QTextCharFormat& format)
{
    return format.fontFamilies().toStringList().value(0);
}

QString Foreground(const QTextCharFormat& format)
{
    return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color().name() : QString();
}

QString Background(const QTextCharFormat& format)
{
    return format.hasProperty(QTextFormat::BackgroundBrush) ? format.background().color().name() : QString();
}

// What must hold for any input: no NUL in the text, no more characters than input bytes, and the page break
// count matching the blocks.
::testing::AssertionResult IsSane(const QTextDocument& document, const RtfLoadResult& result, qsizetype size)
{
    const QString raw = document.toRawText();
    if (raw.contains(QChar(0))) {
        return ::testing::AssertionFailure() << "NUL in the text";
    }
    if (raw.size() > size) {
        return ::testing::AssertionFailure() << raw.size() << " characters from " << size << " bytes";
    }
    if (static_cast<int>(PageBreakBlocks(document).size()) != result.pageBreaks) {
        return ::testing::AssertionFailure() << "page breaks: " << result.pageBreaks << " reported, "
                                             << PageBreakBlocks(document).size() << " blocks";
    }
    if (document.blockCount() < 1) {
        return ::testing::AssertionFailure() << "no block";
    }
    return ::testing::AssertionSuccess();
}

class RtfDocument : public ::testing::Test {
protected:
    QTextDocument document;
    RtfLoadResult result;

    void load(QByteArrayView rtf) { result = LoadRtf(document, rtf); }
    void loadSample(std::string_view name)
    {
        const QByteArray rtf = Sample(name);
        ASSERT_FALSE(rtf.isEmpty()) << name;
        load(rtf);
        EXPECT_TRUE(result.recognised);
        EXPECT_TRUE(IsSane(document, result, rtf.size()));
    }
};

// -- Fonts and character formatting ------------------------------------------------------------------------------

TEST_F(RtfDocument, FontsComeFromTheTableWithTheDefaultFontAndHalfPointSizes)
{
    loadSample("fonts_and_styles.rtf");
    EXPECT_EQ(
        Blocks(document),
        QStringList({"Default font at ten points.", "Arial fourteen bold bold italic bold Arial again",
                     "Bold on off italic plain underlined not again not", "TimesUnknown font", "all set after plain"}));

    const QTextCharFormat first = FormatOf(document, "Default font");
    EXPECT_EQ(Family(first), "Courier New"); // \deff1
    EXPECT_EQ(first.fontPointSize(), 10.0);
    const QTextCharFormat arial = FormatOf(document, "Arial fourteen");
    EXPECT_EQ(Family(arial), "Arial");
    EXPECT_EQ(arial.fontPointSize(), 14.0);
    // The font given outside a group of its own in the table.
    EXPECT_EQ(Family(FormatOf(document, "Times")), "Times New Roman");
    // A font number missing from the table leaves the family to the document; the size stays.
    EXPECT_EQ(Family(FormatOf(document, "Unknown font")), "");
    EXPECT_EQ(FormatOf(document, "Unknown font").fontPointSize(), 10.0);
}

TEST_F(RtfDocument, BoldItalicAndUnderlineFollowGroupsAndSwitches)
{
    loadSample("fonts_and_styles.rtf");
    // Nested groups push and pop the formatting; the size of the outer group holds throughout.
    const std::vector<TextRun> nested = Runs(document.findBlockByNumber(1));
    ASSERT_EQ(Texts(nested), QStringList({"Arial fourteen ", "bold ", "bold italic", " bold", " Arial again"}));
    EXPECT_EQ(Styles(nested), QStringList({"", "b", "bi", "b", ""}));
    for (const TextRun& run : nested) {
        EXPECT_EQ(run.format.fontPointSize(), 14.0) << run.text.toStdString();
    }

    // Switches with a parameter of 0 and \ulnone turn off; the delimiting space of a control word is eaten.
    const std::vector<TextRun> switched = Runs(document.findBlockByNumber(2));
    ASSERT_EQ(Texts(switched),
              QStringList({"Bold on", " off ", "italic", " plain ", "underlined", " not ", "again", " not"}));
    EXPECT_EQ(Styles(switched), QStringList({"b", "", "i", "", "u", "", "u", ""}));
}

TEST_F(RtfDocument, PlainResetsCharacterFormattingToTheDefaultFont)
{
    loadSample("fonts_and_styles.rtf");
    const std::vector<TextRun> runs = Runs(document.findBlockByNumber(4));
    ASSERT_EQ(Texts(runs), QStringList({"all set", " after plain"}));
    EXPECT_EQ(Styles(runs), QStringList({"biu", ""}));
    EXPECT_EQ(Family(runs[0].format), "Arial");
    EXPECT_EQ(runs[0].format.fontPointSize(), 20.0);
    EXPECT_EQ(Family(runs[1].format), "Courier New");
    EXPECT_EQ(runs[1].format.fontPointSize(), 12.0);
}

// -- Colours -------------------------------------------------------------------------------------------------------

TEST_F(RtfDocument, ColoursComeFromTheTableAndAutoOrMissingEntriesSetNone)
{
    loadSample("colours.rtf");
    EXPECT_EQ(document.toPlainText(), "Auto red green on blue red background past the table auto");
    EXPECT_EQ(Foreground(FormatOf(document, "Auto")), "");
    EXPECT_EQ(Foreground(FormatOf(document, "red ")), "#ff0000");
    EXPECT_EQ(Foreground(FormatOf(document, "green")), "#008000");
    // \highlight sets the background within the group and keeps the foreground around it.
    EXPECT_EQ(Foreground(FormatOf(document, "on blue")), "#008000");
    EXPECT_EQ(Background(FormatOf(document, "on blue")), "#0000ff");
    EXPECT_EQ(Background(FormatOf(document, "green")), "");
    EXPECT_EQ(Background(FormatOf(document, "red background")), "#ff0000");
    EXPECT_EQ(Foreground(FormatOf(document, "red background")), "");
    EXPECT_EQ(Foreground(FormatOf(document, "past the table")), "");
    EXPECT_EQ(Foreground(FormatOf(document, "auto")), "");
}

// -- Paragraphs ----------------------------------------------------------------------------------------------------

TEST_F(RtfDocument, ParagraphsLineBreaksAndTheFinalParagraph)
{
    loadSample("paragraphs.rtf");
    // No empty block after the final paragraph, which has no paragraph mark here.
    EXPECT_EQ(Blocks(document),
              QStringList({"Centred", "Right still", "Left again after pard", "Justified and indented",
                           "Name\tAmount\tCentre", QString("First line") + QChar::LineSeparator + "second line", "",
                           "After an empty paragraph"}));
}

TEST_F(RtfDocument, AlignmentHoldsFromParagraphToParagraphUntilPard)
{
    loadSample("paragraphs.rtf");
    EXPECT_EQ(BlockFormatOf(document, "Centred").alignment(), Qt::AlignHCenter);
    EXPECT_EQ(BlockFormatOf(document, "Right still").alignment(), Qt::AlignRight);
    EXPECT_EQ(BlockFormatOf(document, "Left again").alignment(), Qt::AlignLeft);
    EXPECT_EQ(BlockFormatOf(document, "Justified").alignment(), Qt::AlignJustify);
}

TEST_F(RtfDocument, IndentsSpacingAndTabStopsInDocumentPixels)
{
    loadSample("paragraphs.rtf");
    const QTextBlockFormat indented = BlockFormatOf(document, "Justified");
    EXPECT_EQ(indented.leftMargin(), 48.0); // 720 twips: half an inch at 96 pixels per inch
    EXPECT_EQ(indented.rightMargin(), 24.0);
    EXPECT_EQ(indented.textIndent(), -24.0);
    EXPECT_EQ(indented.topMargin(), 8.0);
    EXPECT_EQ(indented.bottomMargin(), 16.0);
    EXPECT_EQ(BlockFormatOf(document, "Name").leftMargin(), 0.0);

    const QList<QTextOption::Tab> tabs = BlockFormatOf(document, "Name").tabPositions();
    ASSERT_EQ(tabs.size(), 3);
    EXPECT_EQ(tabs[0].position, 96.0);
    EXPECT_EQ(tabs[0].type, QTextOption::LeftTab);
    EXPECT_EQ(tabs[1].position, 288.0);
    EXPECT_EQ(tabs[1].type, QTextOption::RightTab);
    EXPECT_EQ(tabs[2].position, 384.0);
    EXPECT_EQ(tabs[2].type, QTextOption::CenterTab);
    EXPECT_TRUE(BlockFormatOf(document, "First line").tabPositions().isEmpty()); // \pard clears them
}

TEST_F(RtfDocument, LineEndsInTheSourceAreIgnoredAndBackslashLineEndIsAParagraph)
{
    load("{\\rtf1 a\r\nb\rc\nd\\b\r\nbold\\b0\\\r\ne}");
    EXPECT_EQ(Blocks(document), QStringList({"abcdbold", "e"}));
    EXPECT_EQ(FormatOf(document, "bold").fontWeight(), QFont::Bold);
}

TEST_F(RtfDocument, AnEmptyParagraphIsAsHighAsItsFont)
{
    load("{\\rtf1{\\fonttbl{\\f0 Courier New;}}\\fs20 \\par after\\par\\fs36\\par\\fs20 end}");
    ASSERT_EQ(Blocks(document), QStringList({"", "after", "", "end"}));
    EXPECT_EQ(document.findBlockByNumber(0).charFormat().fontPointSize(), 10.0);
    EXPECT_EQ(Family(document.findBlockByNumber(0).charFormat()), "Courier New");
    EXPECT_EQ(document.findBlockByNumber(2).charFormat().fontPointSize(), 18.0);
}

// -- Pages ---------------------------------------------------------------------------------------------------------

TEST_F(RtfDocument, PageBreaksGoOnTheBlockThatFollows)
{
    loadSample("pages.rtf");
    EXPECT_EQ(Blocks(document), QStringList({"Page one", "Page two", "Page three", "Page four by pagebb", "Still four",
                                             "", "Page six after an empty page", "Same page after a continuous section",
                                             "Page seven after a new-page section", "Last line"}));
    // \page within and after a paragraph, \pagebb, two breaks in a row (an empty page) and a section that
    // starts a page; a continuous section and the break after the last line start none.
    EXPECT_EQ(PageBreakBlocks(document), std::vector<int>({1, 2, 3, 5, 6, 8}));
    EXPECT_EQ(result.pageBreaks, 6);
}

TEST_F(RtfDocument, ThePageSetupIsReportedInTwips)
{
    loadSample("pages.rtf");
    EXPECT_EQ(result.page.paperWidth, 12240);
    EXPECT_EQ(result.page.paperHeight, 15840);
    EXPECT_EQ(result.page.marginLeft, 1440);
    EXPECT_EQ(result.page.marginRight, 1080);
    EXPECT_EQ(result.page.marginTop, 720);
    EXPECT_EQ(result.page.marginBottom, 900);
    EXPECT_TRUE(result.page.landscape);
    load("{\\rtf1 no setup}");
    EXPECT_EQ(result.page.paperWidth, 0);
    EXPECT_FALSE(result.page.landscape);
}

// -- Characters and code pages -------------------------------------------------------------------------------------

TEST_F(RtfDocument, EscapesUnicodeWithFallbacksAndSpecialCharacters)
{
    loadSample("characters.rtf");
    EXPECT_EQ(Blocks(document), QStringList({
                                    u"Caf\u00e9 \u20ac 5 \u201cquoted\u201d"_qs,
                                    u"\u20ac and \ud55c and \uff21"_qs, // \u with negative values
                                    u"\u2014\u2014"_qs,                 // \uc2, and \uc1 again after the group
                                    u"\u20ac"_qs,                       // \uc0: no fallback
                                    u"\u201cx\u201d"_qs,                // a fallback written as \'hh
                                    u"Non\u00a0breaking\u2011hyphenoptional"_qs,
                                    u"\u2014\u2013\u2022\u2018\u2019\u201c\u201d"_qs, u"Back\\slash {braces}"_qs,
                                    u"Smile \U0001F600"_qs, // a surrogate pair from two \u
                                }));
}

TEST_F(RtfDocument, EscapedBytesAreDecodedInTheCodePageOfTheirFont)
{
    loadSample("codepages.rtf");
    EXPECT_EQ(Blocks(document), QStringList({
                                    u"\u041f\u0440\u0438\u0432\u0435\u0442"_qs, // Cyrillic, Windows-1251
                                    u"\u03b1\u03b2\u03b3"_qs,                   // Greek, Windows-1253
                                    u"\u0416"_qs,       // an ANSI font: the document's code page, 1251
                                    u"\u3042\u3044"_qs, // Shift JIS: two bytes make one character
                                }));
    EXPECT_EQ(Family(FormatOf(document, u"\u03b1"_qs)), "Arial Greek");
}

TEST_F(RtfDocument, ACodePageWithoutADecoderReadsAsWindows1252)
{
    load("{\\rtf1\\ansi\\ansicpg99999 Caf\\'e9 \\'80 \\'93}");
    EXPECT_EQ(document.toPlainText(), u"Caf\u00e9 \u20ac \u201c"_qs);
    load("{\\rtf1\\mac caf\\'8e}");
    EXPECT_EQ(document.toPlainText(), u"caf\u00e9"_qs);
}

TEST_F(RtfDocument, ControlWordParametersAndUnknownWords)
{
    load("{\\rtf1 one \\fs-5 two \\fs99999999999999999 three "
         "\\averyveryveryveryverylongcontrolwordthatnobodyknows four \\li-720 five}");
    EXPECT_EQ(document.toPlainText(), "one two three four five");
    EXPECT_EQ(FormatOf(document, "two").fontPointSize(), 12.0);
    EXPECT_EQ(FormatOf(document, "three").fontPointSize(), 1638.0);
    EXPECT_EQ(BlockFormatOf(document, "five").leftMargin(), -48.0);
}

// -- Destinations --------------------------------------------------------------------------------------------------

TEST_F(RtfDocument, PicturesHeadersInformationAndUnknownDestinationsAreLeftOut)
{
    loadSample("destinations.rtf");
    // A field keeps its result; a group that only starts with an unknown word keeps its text; hidden text and
    // the binary data of a picture, braces included, are left out.
    EXPECT_EQ(Blocks(document), QStringList({"Before pictureafter picture", "Binaryafter", "Field: link text and 7",
                                             "Object skipped", "Note.", "kept text"}));
    EXPECT_TRUE(result.complete);
}

// -- Documents written by a word processor ------------------------------------------------------------------------

TEST_F(RtfDocument, WordProcessorStatementWithStylesHeadersAndTabs)
{
    loadSample("lo_statement.rtf");
    EXPECT_EQ(
        Blocks(document),
        QStringList({"Patient Statement", "Service\tCode\tAmount", "Office visit\t99213\t95.00",
                     u"Please note: balance due within 30 days.\u2028Questions? Call the billing office."_qs,
                     u"Thank you \u2013 Caf\u00e9 \u00d1and\u00fa Clinic \u00a9 2024"_qs,
                     "Second page: payment history.", u"Paid 40.00 on 2024-02-01; \u201cadjusted\u201d 10.00."_qs}));

    const QTextCharFormat title = FormatOf(document, "Patient Statement");
    EXPECT_EQ(Family(title), "Liberation Serif"); // the name ends where the alternative name's group starts
    EXPECT_EQ(title.fontPointSize(), 16.0);
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_EQ(BlockFormatOf(document, "Patient Statement").alignment(), Qt::AlignHCenter);

    EXPECT_EQ(Family(FormatOf(document, "Office visit")), "Liberation Mono");
    EXPECT_EQ(FormatOf(document, "Office visit").fontPointSize(), 10.0);
    const QList<QTextOption::Tab> tabs = BlockFormatOf(document, "Office visit").tabPositions();
    ASSERT_EQ(tabs.size(), 2);
    EXPECT_EQ(tabs[0].position, 192.0);
    EXPECT_EQ(tabs[1].type, QTextOption::RightTab);

    const QTextBlockFormat note = BlockFormatOf(document, "Please note");
    EXPECT_EQ(note.leftMargin(), 48.0);
    EXPECT_EQ(note.textIndent(), -24.0);
    EXPECT_EQ(Foreground(FormatOf(document, "balance due")), "#0000ff");
    EXPECT_EQ(Background(FormatOf(document, "balance due")), "#00ff00");
    EXPECT_EQ(Styles(Runs(document.findBlockByNumber(4))).value(0), "iu");

    EXPECT_EQ(PageBreakBlocks(document), std::vector<int>({5}));
    EXPECT_EQ(result.page.paperWidth, 12240);
    EXPECT_EQ(result.page.marginTop, 1080);
}

TEST_F(RtfDocument, WordProcessorLetterWithUnicodeTablesAndColours)
{
    loadSample("lo_remittance_notice.rtf");
    EXPECT_EQ(Blocks(document),
              QStringList({
                  "Remittance Notice",
                  "Batch 20240315-07",
                  "Provider: Lakeside Family Clinic, NPI 1234567893.",
                  u"The claims below were received on 15 March 2024 and adjudicated as shown. Amounts are in US "
                  u"dollars; the payer\u2019s \u201callowed\u201d amount may differ from the billed amount \u2014 "
                  u"see the notes."_qs,
                  u"Denied: claim 0042 (patient Zo\u00eb M\u00fcller), reason CO-16."_qs,
                  u"Pending: claim 0043, amount \u20ac\u00a0120.50 converted."_qs,
                  u"CLAIM BILLED PAID\u20280041 250.00 200.00\u20280044 75.00 75.00"_qs,
                  u"Greek \u03b1\u03b2\u03b3 and Cyrillic \u0416\u0443\u043a in one line."_qs,
                  "Page two: summary of adjustments.",
                  "Code\tAmount", // table cells, separated by tabs
                  "CO-45\t50.00",
                  "Indented note after the table.",
              }));
    EXPECT_EQ(BlockFormatOf(document, "Batch").alignment(), Qt::AlignRight);
    EXPECT_TRUE(FormatOf(document, "Batch").fontItalic());
    EXPECT_EQ(BlockFormatOf(document, "The claims").alignment(), Qt::AlignJustify);
    EXPECT_EQ(Foreground(FormatOf(document, "Denied")), "#c00000");
    EXPECT_EQ(Background(FormatOf(document, "Pending")), "#ffff00");
    EXPECT_EQ(Background(FormatOf(document, " claim 0043")), "");
    EXPECT_EQ(Styles(Runs(document.findBlockByNumber(2))), QStringList({"", "b", "", "u", ""}));
    EXPECT_EQ(PageBreakBlocks(document), std::vector<int>({8}));
    EXPECT_EQ(BlockFormatOf(document, "Indented note").leftMargin(), 96.0);
}

TEST_F(RtfDocument, WordProcessorTextReportKeepsSpacesAndEmptyLines)
{
    loadSample("lo_text_report.rtf");
    // The text file the document was made from, but for the final line end, which is the final paragraph mark.
    std::string source = test::ReadFile(test::TestData("rtf/sources/lo_text_report.txt"));
    ASSERT_EQ(source.back(), '\n');
    source.pop_back();
    EXPECT_EQ(document.toPlainText().toStdString(), source);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        EXPECT_EQ(Family(Runs(block).empty() ? block.charFormat() : Runs(block)[0].format), "Liberation Mono");
    }
    // An empty line is as high as the report's lines: its block carries the report's character format.
    const QTextBlock empty = document.findBlockByNumber(5);
    ASSERT_TRUE(empty.text().isEmpty());
    EXPECT_EQ(empty.charFormat().fontPointSize(), 10.0);
}

// -- Damaged input -------------------------------------------------------------------------------------------------

TEST_F(RtfDocument, InputThatIsNotRtfLeavesTheDocumentEmpty)
{
    load("{\\rtf1 earlier document}");
    ASSERT_EQ(document.toPlainText(), "earlier document");
    for (const char* input : {"Plain report text", "", "{\\rt", " {\\pard x}", "\xEF\xBB\xBF{\\rtx1 y}"}) {
        load(input);
        EXPECT_FALSE(result.recognised) << input;
        EXPECT_TRUE(document.isEmpty()) << input;
    }
    // White space and a UTF-8 byte order mark may come first.
    load("\xEF\xBB\xBF \r\n{\\rtf1 text}");
    EXPECT_TRUE(result.recognised);
    EXPECT_EQ(document.toPlainText(), "text");
}

TEST_F(RtfDocument, UnbalancedAndTruncatedDocumentsKeepWhatWasRead)
{
    // An extra closing brace ends the document.
    loadSample("unbalanced_close.rtf");
    EXPECT_EQ(document.toPlainText(), "Bold");
    EXPECT_TRUE(result.complete);

    // Groups never closed: everything up to the end, in the formats of the open groups.
    loadSample("missing_close.rtf");
    EXPECT_EQ(Blocks(document), QStringList({"Bold open", "Second paragraph"}));
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(Styles(Runs(document.findBlockByNumber(1))), QStringList({"bi"}));

    // Cut within an escape: the escape is dropped.
    loadSample("truncated.rtf");
    EXPECT_EQ(Blocks(document), QStringList({"Complete line", "Cut in the mid"}));
    EXPECT_EQ(Family(FormatOf(document, "Cut")), "Arial");
    EXPECT_FALSE(result.complete);
}

TEST_F(RtfDocument, BinaryJunkNulBytesAndAHugeBinaryCount)
{
    loadSample("binary_junk.rtf");
    EXPECT_EQ(document.begin().text(), "Readable start");

    loadSample("huge_bin.rtf");
    EXPECT_EQ(document.toPlainText(), "Before");
    EXPECT_FALSE(result.complete);

    // NUL and other control bytes, raw, escaped or as \u, are no text.
    static constexpr char controls[] = "{\\rtf1 a\0b\x01\x7f\\'00c\\u0?d\\u10?e}";
    load(QByteArrayView(controls, sizeof controls - 1));
    EXPECT_EQ(document.toRawText(), "abcde");
}

TEST_F(RtfDocument, GroupsNestedTooDeepAreLeftOutAndReadingGoesOn)
{
    loadSample("deep_nesting.rtf");
    EXPECT_TRUE(result.tooDeep);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(document.toPlainText(), "Top nine hundred back");

    load("{\\rtf1 a" + QByteArray(kRtfMaxGroupDepth - 1, '{') + "b" + QByteArray(kRtfMaxGroupDepth - 1, '}') + "}");
    EXPECT_FALSE(result.tooDeep);
    EXPECT_EQ(document.toPlainText(), "ab");
}

// Every prefix of every sample, as a file cut short: it loads, and what it loads cut just before a control or
// a brace is the start of the whole file's text (but for a last character, which may be half of one).
TEST(RtfRobustness, EveryPrefixOfEverySampleLoads)
{
    int samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::TestData("rtf"))) {
        if (entry.path().extension() != ".rtf") {
            continue;
        }
        ++samples;
        const QByteArray rtf = Sample(entry.path().filename().string());
        QTextDocument whole;
        LoadRtf(whole, rtf);
        const QString wholeText = whole.toRawText();
        const qsizetype stride = std::max<qsizetype>(1, rtf.size() / 1500);
        for (qsizetype length = 0; length <= rtf.size(); length += stride) {
            QTextDocument document;
            const RtfLoadResult result = LoadRtf(document, QByteArrayView(rtf).first(length));
            ASSERT_TRUE(IsSane(document, result, length)) << entry.path() << " cut at " << length;
            const char next = length < rtf.size() ? rtf[length] : '\\';
            if (next == '\\' || next == '{' || next == '}') {
                const QString text = document.toRawText();
                ASSERT_TRUE(wholeText.startsWith(text.chopped(text.isEmpty() ? 0 : 1)))
                    << entry.path() << " cut at " << length << ": " << text.toStdString();
            }
        }
    }
    EXPECT_GE(samples, 16);
}

// Random damage with a fixed seed: bytes replaced by any value, braces and backslashes among them.
TEST(RtfRobustness, RandomlyDamagedSamplesLoad)
{
    std::mt19937 random(20240315);
    for (const char* name : {"lo_statement.rtf", "lo_remittance_notice.rtf", "destinations.rtf", "characters.rtf",
                             "codepages.rtf", "pages.rtf", "paragraphs.rtf", "fonts_and_styles.rtf"}) {
        const QByteArray original = Sample(name);
        for (int round = 0; round < 300; ++round) {
            QByteArray rtf = original;
            const int changes = 1 + static_cast<int>(random() % 8);
            for (int change = 0; change < changes; ++change) {
                const auto at = static_cast<qsizetype>(random() % static_cast<unsigned>(rtf.size()));
                const char special[] = {'{', '}', '\\', '\'', 'u', '-', '9', '\0'};
                rtf[at] = random() % 2 == 0 ? special[random() % sizeof special] : static_cast<char>(random());
            }
            QTextDocument document;
            const RtfLoadResult result = LoadRtf(document, rtf);
            ASSERT_TRUE(IsSane(document, result, rtf.size())) << name << " round " << round;
        }
    }
}

TEST_F(RtfDocument, LoadingReplacesTheDocument)
{
    loadSample("pages.rtf");
    loadSample("colours.rtf");
    EXPECT_EQ(document.blockCount(), 1);
    EXPECT_EQ(result.pageBreaks, 0);
    EXPECT_TRUE(PageBreakBlocks(document).empty());
    EXPECT_FALSE(document.isUndoAvailable());
}

} // namespace
