#include "view/RtfReader.h"

#include <QColor>
#include <QList>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace talmere {

namespace {

constexpr int kDefaultCodePage = 1252;
constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxHalfPoints = 3276;
// A paragraph's tab stops are copied with every group; a bound keeps that copy small whatever the input holds.
constexpr int kMaxTabStops = 64;

// Where the text of a group goes.
enum class Destination : unsigned char {
    Text,       // the document
    Skip,       // nowhere: pictures, objects, headers, the style sheet, unknown destinations
    FontTable,  // font names
    ColorTable, // colour entries
};

struct CharacterState {
    int font = -1; // -1: the document's default font
    int halfPoints = kDefaultHalfPoints;
    int foreground = -1; // colour table index; -1: none
    int background = -1;
    signed char vertical = 0; // -1 subscript, 1 superscript
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;

    bool operator==(const CharacterState&) const = default;
};

struct TabStop {
    int twips = 0;
    QTextOption::TabType type = QTextOption::LeftTab;
};

struct ParagraphState {
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    bool pageBreakBefore = false;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
    std::vector<TabStop> tabs;
};

// What a group inherits from the group around it and drops when it closes.
struct GroupState {
    Destination destination = Destination::Text;
    int unicodeSkip = 1;
    CharacterState character;
    ParagraphState paragraph;
};

enum class Word : unsigned char {
    CodePageAnsi,
    CodePageMac,
    CodePagePc,
    CodePagePca,
    AnsiCodePage,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    FontTable,
    ColorTable,
    SkippedDestination,
    Font,
    FontCharset,
    Red,
    Green,
    Blue,
    Plain,
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    Subscript,
    Superscript,
    NoSuperSub,
    Foreground,
    Background,
    ParagraphDefault,
    AlignLeft,
    AlignRight,
    AlignCenter,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    TabRight,
    TabCenter,
    TabDecimal,
    TabPosition,
    PageBreakBefore,
    Paragraph,
    Line,
    Tab,
    Page,
    Section,
    SectionDefault,
    SectionBreakPage,
    SectionBreakNone,
    Cell,
    Row,
    Character,
    PaperWidth,
    PaperHeight,
    MarginLeft,
    MarginRight,
    MarginTop,
    MarginBottom,
    Landscape,
};

struct WordMeaning {
    Word word;
    char16_t character = 0; // for Word::Character
};

const std::unordered_map<std::string_view, WordMeaning>& Words()
{
    static const std::unordered_map<std::string_view, WordMeaning> words = [] {
        std::unordered_map<std::string_view, WordMeaning> map{
            {"ansi", {Word::CodePageAnsi}},
            {"mac", {Word::CodePageMac}},
            {"pc", {Word::CodePagePc}},
            {"pca", {Word::CodePagePca}},
            {"ansicpg", {Word::AnsiCodePage}},
            {"deff", {Word::DefaultFont}},
            {"uc", {Word::UnicodeSkip}},
            {"u", {Word::Unicode}},
            {"fonttbl", {Word::FontTable}},
            {"colortbl", {Word::ColorTable}},
            {"f", {Word::Font}},
            {"fcharset", {Word::FontCharset}},
            {"red", {Word::Red}},
            {"green", {Word::Green}},
            {"blue", {Word::Blue}},
            {"plain", {Word::Plain}},
            {"fs", {Word::FontSize}},
            {"b", {Word::Bold}},
            {"i", {Word::Italic}},
            {"ulnone", {Word::UnderlineNone}},
            {"strike", {Word::Strike}},
            {"striked", {Word::Strike}},
            {"v", {Word::Hidden}},
            {"sub", {Word::Subscript}},
            {"super", {Word::Superscript}},
            {"nosupersub", {Word::NoSuperSub}},
            {"cf", {Word::Foreground}},
            {"cb", {Word::Background}},
            {"highlight", {Word::Background}},
            {"chcbpat", {Word::Background}},
            {"pard", {Word::ParagraphDefault}},
            {"ql", {Word::AlignLeft}},
            {"qr", {Word::AlignRight}},
            {"qc", {Word::AlignCenter}},
            {"qj", {Word::AlignJustify}},
            {"qd", {Word::AlignJustify}},
            {"li", {Word::LeftIndent}},
            {"lin", {Word::LeftIndent}},
            {"ri", {Word::RightIndent}},
            {"rin", {Word::RightIndent}},
            {"fi", {Word::FirstIndent}},
            {"sb", {Word::SpaceBefore}},
            {"sa", {Word::SpaceAfter}},
            {"tqr", {Word::TabRight}},
            {"tqc", {Word::TabCenter}},
            {"tqdec", {Word::TabDecimal}},
            {"tx", {Word::TabPosition}},
            {"tb", {Word::TabPosition}},
            {"pagebb", {Word::PageBreakBefore}},
            {"par", {Word::Paragraph}},
            {"line", {Word::Line}},
            {"tab", {Word::Tab}},
            {"page", {Word::Page}},
            {"sect", {Word::Section}},
            {"sectd", {Word::SectionDefault}},
            {"sbkpage", {Word::SectionBreakPage}},
            {"sbkodd", {Word::SectionBreakPage}},
            {"sbkeven", {Word::SectionBreakPage}},
            {"sbknone", {Word::SectionBreakNone}},
            {"sbkcol", {Word::SectionBreakNone}},
            {"cell", {Word::Cell}},
            {"nestcell", {Word::Cell}},
            {"row", {Word::Row}},
            {"nestrow", {Word::Row}},
            {"emdash", {Word::Character, u'\u2014'}},
            {"endash", {Word::Character, u'\u2013'}},
            {"emspace", {Word::Character, u'\u2003'}},
            {"enspace", {Word::Character, u'\u2002'}},
            {"qmspace", {Word::Character, u'\u2005'}},
            {"bullet", {Word::Character, u'\u2022'}},
            {"lquote", {Word::Character, u'\u2018'}},
            {"rquote", {Word::Character, u'\u2019'}},
            {"ldblquote", {Word::Character, u'\u201C'}},
            {"rdblquote", {Word::Character, u'\u201D'}},
            {"zwj", {Word::Character, u'\u200D'}},
            {"zwnj", {Word::Character, u'\u200C'}},
            {"paperw", {Word::PaperWidth}},
            {"paperh", {Word::PaperHeight}},
            {"margl", {Word::MarginLeft}},
            {"margr", {Word::MarginRight}},
            {"margt", {Word::MarginTop}},
            {"margb", {Word::MarginBottom}},
            {"landscape", {Word::Landscape}},
        };
        for (const char* underline :
             {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth", "ulthd", "ulthdash",
              "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"}) {
            map.emplace(underline, WordMeaning{Word::Underline});
        }
        // Destinations whose text is not part of the report's body, one word after another.
        static constexpr std::string_view skipped =
            "aftncn aftnsep aftnsepc annotation atnauthor atndate atnid atnref atrfend atrfstart author "
            "background bkmkend bkmkstart blipuid buptim category colorschememapping comment company creatim "
            "datastore do doccomm docvar fchars filetbl fldinst footer footerf footerl footerr footnote ftncn "
            "ftnsep ftnsepc generator header headerf headerl headerr hlinkbase info keywords latentstyles lchars "
            "listoverridetable listpicture listtable manager mmathPr nonshppict object objdata operator password "
            "passwordhash pgdsctbl pgptbl pict pn printim private protusertbl revtbl revtim rsidtbl shp shppict "
            "sn sp stylesheet subject sv tc template themedata title txe userprops wgrffmtfilter xe xmlnstbl ";
        for (size_t at = 0, end = 0; at < skipped.size(); at = end + 1) {
            end = skipped.find(' ', at);
            map.emplace(skipped.substr(at, end - at), WordMeaning{Word::SkippedDestination});
        }
        return map;
    }();
    return words;
}

// The code page of a font's character set; 0 for the document's own.
int CharsetCodePage(int charset)
{
    switch (charset) {
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0; // ANSI, default, symbol and the unknown: the document's code page
    }
}

QByteArray CodePageName(int codePage)
{
    switch (codePage) {
    case 65001:
        return "UTF-8";
    case 10000:
        return "macintosh";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 20127:
        return "US-ASCII";
    case 28591:
        return "ISO-8859-1";
    default:
        break;
    }
    if (codePage == 874 || (codePage >= 1250 && codePage <= 1258)) {
        return "windows-" + QByteArray::number(codePage);
    }
    return "cp" + QByteArray::number(codePage);
}

// Windows-1252 from 0x80 to 0x9F; the rest of the code page is Latin-1. The five bytes the code page leaves
// undefined keep their own value, as Windows maps them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendCp1252(QString& text, QByteArrayView bytes)
{
    text.reserve(text.size() + bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text.append(QChar(value >= 0x80 && value < 0xA0 ? kCp1252High[value - 0x80] : char16_t(value)));
    }
}

// Characters that would make QTextCursor::insertText start a block or a frame, and the control characters a
// report has no use for, are not text; a paragraph separator becomes a line break.
bool IsText(char16_t c)
{
    return (c >= 0x20 || c == u'\t') && c != 0x7F && c != 0xFDD0 && c != 0xFDD1 && c != 0x2029;
}

char16_t TextCharacter(char16_t c)
{
    return c == 0x2029 ? char16_t(0x2028) : c;
}

bool IsLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(unsigned char c)
{
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Text collected for one run or one font name: decoded characters, then bytes in one code page not yet
// decoded (kept together so that a double-byte character's two bytes are decoded as one).
struct TextBuffer {
    QString text;
    QByteArray bytes;
    int codePage = kDefaultCodePage;

    bool isEmpty() const { return text.isEmpty() && bytes.isEmpty(); }
};

// Windows-1252, the code page of nearly every report, is read by the table; other code pages by Qt's decoders,
// each made once per document.
class Decoders {
public:
    void decodeInto(QString& text, QByteArrayView bytes, int codePage)
    {
        QStringDecoder* decoder = codePage == kDefaultCodePage ? nullptr : find(codePage);
        if (decoder == nullptr) {
            AppendCp1252(text, bytes);
            return;
        }
        const QString decoded = decoder->decode(bytes);
        text.reserve(text.size() + decoded.size());
        for (const QChar c : decoded) {
            if (IsText(c.unicode()) || c.unicode() == 0x2029) {
                text.append(QChar(TextCharacter(c.unicode())));
            }
        }
    }

private:
    // The decoder of a code page, or null when Qt has none for it (the text is then read as Windows-1252).
    QStringDecoder* find(int codePage)
    {
        auto found = m_decoders.find(codePage);
        if (found == m_decoders.end()) {
            auto decoder =
                std::make_unique<QStringDecoder>(CodePageName(codePage).constData(), QStringConverter::Flag::Stateless);
            if (!decoder->isValid()) {
                decoder.reset();
            }
            found = m_decoders.emplace(codePage, std::move(decoder)).first;
        }
        return found->second.get();
    }

    std::unordered_map<int, std::unique_ptr<QStringDecoder>> m_decoders;
};

struct FontEntry {
    QString family;
    int codePage = 0; // 0: the document's
};

class Reader {
public:
    Reader(QTextDocument& document, QByteArrayView rtf) : m_document(document), m_data(rtf.data()), m_size(rtf.size())
    {
        m_runState.font = -2; // no run yet: the first text builds its format
    }

    RtfLoadResult read()
    {
        m_result.recognised = true;
        m_document.clear();
        const qsizetype start = startOfRtf(QByteArrayView(m_data, m_size));
        if (start < 0) {
            m_result.recognised = false;
            return m_result;
        }
        m_stack.reserve(64);
        m_cursor = QTextCursor(&m_document);
        m_cursor.beginEditBlock();
        m_pos = start;
        while (m_pos < m_size && !m_finished) {
            const auto c = byteAt(m_pos);
            if (c == '{') {
                ++m_pos;
                openGroup();
            } else if (c == '}') {
                ++m_pos;
                closeGroup();
            } else if (c == '\\') {
                ++m_pos;
                readControl();
            } else if (c == '\r' || c == '\n') {
                ++m_pos;
            } else {
                readText();
            }
        }
        finish();
        m_cursor.endEditBlock();
        return m_result;
    }

private:
    // Where "{\rtf" starts after white space and a UTF-8 byte order mark; -1 when it does not.
    static qsizetype startOfRtf(QByteArrayView data)
    {
        qsizetype at = 0;
        if (data.startsWith("\xEF\xBB\xBF")) {
            at = 3;
        }
        while (at < data.size() && (data[at] == ' ' || data[at] == '\t' || data[at] == '\r' || data[at] == '\n')) {
            ++at;
        }
        return data.sliced(at).startsWith("{\\rtf") ? at : -1;
    }

    unsigned char byteAt(qsizetype at) const { return static_cast<unsigned char>(m_data[at]); }
    GroupState& state() { return m_stack.back(); }

    // -- Groups ------------------------------------------------------------------------------------------------

    void openGroup()
    {
        m_groupStart = true;
        m_skipCharacters = 0;
        if (m_overflow > 0 || static_cast<int>(m_stack.size()) >= kRtfMaxGroupDepth) {
            ++m_overflow;
            m_result.tooDeep = true;
            return;
        }
        GroupState inner = m_stack.empty() ? GroupState{} : m_stack.back();
        m_stack.push_back(std::move(inner));
    }

    void closeGroup()
    {
        m_groupStart = false;
        m_skipCharacters = 0;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (state().destination == Destination::FontTable) {
            commitFont();
        }
        // The outermost group's state stays for the end of the document.
        if (m_stack.size() == 1) {
            m_result.complete = true;
            m_finished = true;
            return;
        }
        m_stack.pop_back();
        m_formatMayHaveChanged = true;
    }

    // -- Text ----------------------------------------------------------------------------------------------------

    // One or more bytes of text, up to the next brace, backslash or line end.
    void readText()
    {
        m_groupStart = false;
        if (m_overflow > 0 || state().destination == Destination::Skip) {
            skipPlainBytes();
            return;
        }
        if (m_skipCharacters > 0) {
            --m_skipCharacters;
            ++m_pos;
            return;
        }
        const auto c = byteAt(m_pos);
        switch (state().destination) {
        case Destination::ColorTable:
            ++m_pos;
            if (c == ';') {
                commitColor();
            }
            return;
        case Destination::FontTable:
            ++m_pos;
            if (c == ';') {
                commitFont();
            } else if (c >= 0x20) {
                appendByte(m_fontName, c, m_fontCodePage != 0 ? m_fontCodePage : m_documentCodePage);
            }
            return;
        default:
            break;
        }
        if (state().character.hidden) {
            skipPlainBytes();
            return;
        }
        if (c >= 0x20 && c < 0x7F) {
            const qsizetype begin = m_pos;
            while (m_pos < m_size && byteAt(m_pos) >= 0x20 && byteAt(m_pos) < 0x7F && byteAt(m_pos) != '{' &&
                   byteAt(m_pos) != '}' && byteAt(m_pos) != '\\') {
                ++m_pos;
            }
            prepareRun();
            appendAscii(m_run, QByteArrayView(m_data + begin, m_pos - begin));
            return;
        }
        ++m_pos;
        if (c >= 0x80) {
            prepareRun();
            appendByte(m_run, c, textCodePage());
        } else if (c == '\t') {
            appendCharacter(u'\t');
        }
        // Other control bytes, NUL among them, are not text.
    }

    void skipPlainBytes()
    {
        while (m_pos < m_size) {
            const auto c = byteAt(m_pos);
            if (c == '{' || c == '}' || c == '\\') {
                return;
            }
            ++m_pos;
        }
    }

    void appendAscii(TextBuffer& buffer, QByteArrayView ascii)
    {
        if (buffer.bytes.isEmpty()) {
            buffer.text.append(QLatin1StringView(ascii.data(), ascii.size()));
        } else {
            buffer.bytes.append(ascii);
        }
    }

    void appendByte(TextBuffer& buffer, unsigned char byte, int codePage)
    {
        if (!buffer.bytes.isEmpty() && buffer.codePage != codePage) {
            decodeBytes(buffer);
        }
        buffer.codePage = codePage;
        buffer.bytes.append(static_cast<char>(byte));
    }

    void decodeBytes(TextBuffer& buffer)
    {
        if (!buffer.bytes.isEmpty()) {
            m_decoders.decodeInto(buffer.text, buffer.bytes, buffer.codePage);
            buffer.bytes.clear();
        }
    }

    // A character of the document's text, in the current format.
    void appendCharacter(char16_t c)
    {
        if (state().character.hidden || !IsText(c)) {
            return;
        }
        prepareRun();
        decodeBytes(m_run);
        m_run.text.append(QChar(TextCharacter(c)));
    }

    int textCodePage()
    {
        const int font = state().character.font >= 0 ? state().character.font : m_defaultFont;
        const auto found = m_fonts.find(font);
        if (found != m_fonts.end() && found->second.codePage != 0) {
            return found->second.codePage;
        }
        return m_documentCodePage;
    }

    // Text is about to join the run: when the character format is no longer the run's, the run goes into the
    // document first and a new one starts.
    void prepareRun()
    {
        if (m_formatMayHaveChanged) {
            m_formatMayHaveChanged = false;
            if (!(state().character == m_runState)) {
                flushRun();
                m_runState = state().character;
                m_runFormat = charFormat(m_runState);
            }
        }
        if (m_cellEnded) {
            m_cellEnded = false;
            decodeBytes(m_run);
            m_run.text.append(QChar(u'\t'));
        }
    }

    // A table cell's end separates it from the next cell by a tab; the row's last cell ends in its paragraph.
    void endCell()
    {
        if (m_cellEnded) {
            prepareRun();
        }
        m_cellEnded = true;
    }

    void flushRun()
    {
        decodeBytes(m_run);
        if (m_run.text.isEmpty()) {
            return;
        }
        beginContent();
        m_cursor.insertText(m_run.text, m_runFormat);
        m_run.text.clear();
        m_blockHasContent = true;
    }

    QTextCharFormat charFormat(const CharacterState& character) const
    {
        QTextCharFormat format;
        const auto font = m_fonts.find(character.font >= 0 ? character.font : m_defaultFont);
        if (font != m_fonts.end() && !font->second.family.isEmpty()) {
            format.setFontFamilies(QStringList{font->second.family});
        }
        format.setFontPointSize(character.halfPoints / 2.0);
        format.setFontWeight(character.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(character.italic);
        format.setFontUnderline(character.underline);
        if (character.strike) {
            format.setFontStrikeOut(true);
        }
        if (character.vertical != 0) {
            format.setVerticalAlignment(character.vertical > 0 ? QTextCharFormat::AlignSuperScript
                                                               : QTextCharFormat::AlignSubScript);
        }
        if (const QColor colour = color(character.foreground); colour.isValid()) {
            format.setForeground(colour);
        }
        if (const QColor colour = color(character.background); colour.isValid()) {
            format.setBackground(colour);
        }
        return format;
    }

    // A colour table entry; invalid for "auto" (an entry without components) and for an index past the table.
    QColor color(int index) const
    {
        return index >= 0 && index < static_cast<int>(m_colors.size()) ? m_colors[index] : QColor();
    }

    // -- Paragraphs and pages ------------------------------------------------------------------------------------

    // The block a paragraph mark ended is only added when something follows it, so the final mark of the
    // document adds no empty block.
    void beginContent()
    {
        if (m_sectionEnded) {
            m_sectionEnded = false;
            m_breakNext = m_breakNext || m_sectionStartsPage;
        }
        if (!m_newBlockPending) {
            return;
        }
        m_newBlockPending = false;
        m_cursor.insertBlock(QTextBlockFormat(), m_cursor.charFormat());
        m_blockHasContent = false;
        m_blockBreak = m_breakNext;
        m_breakNext = false;
    }

    void endParagraph()
    {
        m_cellEnded = false;
        flushRun();
        beginContent();
        applyBlockFormat();
        m_newBlockPending = true;
    }

    void applyBlockFormat()
    {
        const ParagraphState& paragraph = state().paragraph;
        QTextBlockFormat format;
        format.setAlignment(paragraph.alignment);
        format.setLeftMargin(paragraph.leftIndent / kRtfTwipsPerPixel);
        format.setRightMargin(paragraph.rightIndent / kRtfTwipsPerPixel);
        format.setTextIndent(paragraph.firstIndent / kRtfTwipsPerPixel);
        format.setTopMargin(paragraph.spaceBefore / kRtfTwipsPerPixel);
        format.setBottomMargin(paragraph.spaceAfter / kRtfTwipsPerPixel);
        if (!paragraph.tabs.empty()) {
            QList<QTextOption::Tab> tabs;
            for (const TabStop& stop : paragraph.tabs) {
                tabs.append(QTextOption::Tab(stop.twips / kRtfTwipsPerPixel, stop.type,
                                             stop.type == QTextOption::DelimiterTab ? QChar(u'.') : QChar()));
            }
            format.setTabPositions(tabs);
        }
        if (m_blockBreak || paragraph.pageBreakBefore) {
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            ++m_result.pageBreaks;
        }
        m_cursor.setBlockFormat(format);
        if (!m_blockHasContent) {
            // The height of an empty line comes from the block's character format.
            m_cursor.setBlockCharFormat(charFormat(state().character));
        }
    }

    // A page break: the block that follows starts a new page. Two breaks in a row leave an empty page.
    void pageBreak()
    {
        flushRun();
        if (m_newBlockPending) {
            if (m_breakNext) {
                beginContent();
                applyBlockFormat();
                m_newBlockPending = true;
            }
            m_breakNext = true;
        } else if (!m_blockHasContent && !m_blockBreak) {
            m_blockBreak = true;
        } else {
            endParagraph();
            m_breakNext = true;
        }
    }

    // The end of a section ends its paragraph; whether the next section starts a page is known only from the
    // section properties that follow, before its first text.
    void endSection()
    {
        flushRun();
        if (!m_newBlockPending) {
            endParagraph();
        }
        m_sectionEnded = true;
    }

    void finish()
    {
        flushRun();
        if (!m_newBlockPending) {
            applyBlockFormat();
        }
    }

    // -- Tables --------------------------------------------------------------------------------------------------

    void commitFont()
    {
        decodeBytes(m_fontName);
        if (m_fontNumber >= 0) {
            m_fonts[m_fontNumber] = FontEntry{m_fontName.text.trimmed(), m_fontCodePage};
            m_formatMayHaveChanged = true;
            m_runState.font = -2; // the run's format no longer tells the font
        }
        m_fontName = TextBuffer{};
        m_fontNumber = -1;
        m_fontCodePage = 0;
    }

    void commitColor()
    {
        m_colors.push_back(m_colorGiven ? QColor(m_red, m_green, m_blue) : QColor());
        m_red = m_green = m_blue = 0;
        m_colorGiven = false;
    }

    // -- Control words and symbols -------------------------------------------------------------------------------

    void readControl()
    {
        if (m_pos >= m_size) {
            return;
        }
        const auto c = byteAt(m_pos);
        if (IsLetter(c)) {
            readControlWord();
            return;
        }
        ++m_pos;
        const bool groupStart = m_groupStart;
        m_groupStart = false;
        if (c == '\'') {
            readHexEscape();
            return;
        }
        if (m_overflow > 0 || state().destination == Destination::Skip) {
            return;
        }
        if (m_skipCharacters > 0) {
            --m_skipCharacters;
            return;
        }
        switch (c) {
        case '*':
            // An ignorable destination: the group is left out unless the reader knows it, and none that it
            // knows is written this way.
            if (groupStart && m_stack.size() > 1) {
                state().destination = Destination::Skip;
            }
            break;
        case '\\':
        case '{':
        case '}':
            textCharacter(c);
            break;
        case '~':
            textCharacter(u'\u00A0');
            break;
        case '_':
            textCharacter(u'\u2011');
            break;
        case '\r':
        case '\n':
            if (state().destination == Destination::Text) {
                endParagraph();
            }
            break;
        default:
            break; // "\-" (an optional hyphen) and the rest show nothing
        }
    }

    // A character written as a control symbol or word: text in the document, part of a name in the font table.
    void textCharacter(char16_t c)
    {
        if (state().destination == Destination::Text) {
            appendCharacter(c);
        } else if (state().destination == Destination::FontTable && IsText(c)) {
            decodeBytes(m_fontName);
            m_fontName.text.append(QChar(c));
        }
    }

    void readHexEscape()
    {
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_pos < m_size && HexValue(byteAt(m_pos)) >= 0) {
            value = value * 16 + HexValue(byteAt(m_pos));
            ++digits;
            ++m_pos;
        }
        if (digits < 2 || m_overflow > 0 || state().destination == Destination::Skip) {
            return;
        }
        if (m_skipCharacters > 0) {
            --m_skipCharacters;
            return;
        }
        if (value < 0x20) {
            if (value == '\t') {
                textCharacter(u'\t');
            }
            return;
        }
        const auto byte = static_cast<unsigned char>(value);
        if (state().destination == Destination::Text && !state().character.hidden) {
            prepareRun();
            appendByte(m_run, byte, textCodePage());
        } else if (state().destination == Destination::FontTable) {
            appendByte(m_fontName, byte, m_fontCodePage != 0 ? m_fontCodePage : m_documentCodePage);
        }
    }

    void readControlWord()
    {
        const qsizetype begin = m_pos;
        while (m_pos < m_size && IsLetter(byteAt(m_pos))) {
            ++m_pos;
        }
        const std::string_view name(m_data + begin, static_cast<size_t>(m_pos - begin));
        bool negative = false;
        if (m_pos + 1 < m_size && byteAt(m_pos) == '-' && IsDigit(byteAt(m_pos + 1))) {
            negative = true;
            ++m_pos;
        }
        bool hasParameter = false;
        long long value = 0;
        while (m_pos < m_size && IsDigit(byteAt(m_pos))) {
            hasParameter = true;
            if (value < 10'000'000'000LL) {
                value = value * 10 + (byteAt(m_pos) - '0');
            }
            ++m_pos;
        }
        if (m_pos < m_size && byteAt(m_pos) == ' ') {
            ++m_pos;
        }
        value = std::clamp(negative ? -value : value, -2'000'000'000LL, 2'000'000'000LL);
        const int parameter = static_cast<int>(value);

        m_groupStart = false;
        if (name == "bin") {
            // Binary data: its bytes are never RTF, whatever they hold.
            m_pos += std::min<qsizetype>(std::max(parameter, 0), m_size - m_pos);
            return;
        }
        if (m_overflow > 0 || state().destination == Destination::Skip) {
            return;
        }
        if (m_skipCharacters > 0) {
            --m_skipCharacters;
            return;
        }
        const auto found = Words().find(name);
        if (found != Words().end()) {
            controlWord(found->second, hasParameter, parameter);
        }
    }

    void controlWord(const WordMeaning& meaning, bool hasParameter, int parameter)
    {
        GroupState& group = state();
        CharacterState& character = group.character;
        ParagraphState& paragraph = group.paragraph;
        const bool on = !hasParameter || parameter != 0;
        const bool text = group.destination == Destination::Text;
        m_formatMayHaveChanged = true;
        switch (meaning.word) {
        case Word::CodePageAnsi:
            m_documentCodePage = kDefaultCodePage;
            break;
        case Word::CodePageMac:
            m_documentCodePage = 10000;
            break;
        case Word::CodePagePc:
            m_documentCodePage = 437;
            break;
        case Word::CodePagePca:
            m_documentCodePage = 850;
            break;
        case Word::AnsiCodePage:
            if (parameter > 0) {
                m_documentCodePage = parameter;
            }
            break;
        case Word::DefaultFont:
            m_defaultFont = parameter;
            break;
        case Word::UnicodeSkip:
            group.unicodeSkip = std::max(parameter, 0);
            break;
        case Word::Unicode: {
            const int code = parameter < 0 ? parameter + 0x10000 : parameter;
            if (code >= 0 && code <= 0xFFFF) {
                textCharacter(static_cast<char16_t>(code));
            }
            m_skipCharacters = group.unicodeSkip;
            break;
        }
        case Word::FontTable:
        case Word::ColorTable:
        case Word::SkippedDestination:
            // The outermost group is the document itself and never a destination.
            if (m_stack.size() > 1) {
                group.destination = meaning.word == Word::FontTable    ? Destination::FontTable
                                    : meaning.word == Word::ColorTable ? Destination::ColorTable
                                                                       : Destination::Skip;
            }
            break;
        case Word::Font:
            if (group.destination == Destination::FontTable) {
                if (m_fontNumber >= 0 && !m_fontName.isEmpty()) {
                    commitFont();
                }
                m_fontNumber = parameter;
            } else {
                character.font = parameter;
            }
            break;
        case Word::FontCharset:
            if (group.destination == Destination::FontTable) {
                decodeBytes(m_fontName);
                m_fontCodePage = CharsetCodePage(parameter);
            }
            break;
        case Word::Red:
        case Word::Green:
        case Word::Blue:
            if (group.destination == Destination::ColorTable) {
                const int component = std::clamp(parameter, 0, 255);
                (meaning.word == Word::Red ? m_red : meaning.word == Word::Green ? m_green : m_blue) = component;
                m_colorGiven = true;
            }
            break;
        case Word::Plain:
            character = CharacterState{};
            break;
        case Word::FontSize:
            character.halfPoints = parameter > 0 ? std::min(parameter, kMaxHalfPoints) : kDefaultHalfPoints;
            break;
        case Word::Bold:
            character.bold = on;
            break;
        case Word::Italic:
            character.italic = on;
            break;
        case Word::Underline:
            character.underline = on;
            break;
        case Word::UnderlineNone:
            character.underline = false;
            break;
        case Word::Strike:
            character.strike = on;
            break;
        case Word::Hidden:
            character.hidden = on;
            break;
        case Word::Subscript:
            character.vertical = -1;
            break;
        case Word::Superscript:
            character.vertical = 1;
            break;
        case Word::NoSuperSub:
            character.vertical = 0;
            break;
        case Word::Foreground:
            character.foreground = hasParameter ? parameter : 0;
            break;
        case Word::Background:
            character.background = hasParameter ? parameter : 0;
            break;
        case Word::ParagraphDefault:
            paragraph = ParagraphState{};
            break;
        case Word::AlignLeft:
            paragraph.alignment = Qt::AlignLeft;
            break;
        case Word::AlignRight:
            paragraph.alignment = Qt::AlignRight;
            break;
        case Word::AlignCenter:
            paragraph.alignment = Qt::AlignHCenter;
            break;
        case Word::AlignJustify:
            paragraph.alignment = Qt::AlignJustify;
            break;
        case Word::LeftIndent:
            paragraph.leftIndent = parameter;
            break;
        case Word::RightIndent:
            paragraph.rightIndent = parameter;
            break;
        case Word::FirstIndent:
            paragraph.firstIndent = parameter;
            break;
        case Word::SpaceBefore:
            paragraph.spaceBefore = std::max(parameter, 0);
            break;
        case Word::SpaceAfter:
            paragraph.spaceAfter = std::max(parameter, 0);
            break;
        case Word::TabRight:
            paragraph.nextTabType = QTextOption::RightTab;
            break;
        case Word::TabCenter:
            paragraph.nextTabType = QTextOption::CenterTab;
            break;
        case Word::TabDecimal:
            paragraph.nextTabType = QTextOption::DelimiterTab;
            break;
        case Word::TabPosition:
            if (static_cast<int>(paragraph.tabs.size()) < kMaxTabStops && parameter >= 0) {
                paragraph.tabs.push_back(TabStop{parameter, paragraph.nextTabType});
            }
            paragraph.nextTabType = QTextOption::LeftTab;
            break;
        case Word::PageBreakBefore:
            paragraph.pageBreakBefore = on;
            break;
        case Word::Paragraph:
        case Word::Row:
            if (text) {
                endParagraph();
            }
            break;
        case Word::Line:
            textCharacter(u'\u2028');
            break;
        case Word::Tab:
            textCharacter(u'\t');
            break;
        case Word::Cell:
            if (text) {
                endCell();
            }
            break;
        case Word::Page:
            if (text) {
                pageBreak();
            }
            break;
        case Word::Section:
            if (text) {
                endSection();
            }
            break;
        case Word::SectionDefault:
        case Word::SectionBreakPage:
            m_sectionStartsPage = true;
            break;
        case Word::SectionBreakNone:
            m_sectionStartsPage = false;
            break;
        case Word::Character:
            textCharacter(meaning.character);
            break;
        case Word::PaperWidth:
            m_result.page.paperWidth = parameter;
            break;
        case Word::PaperHeight:
            m_result.page.paperHeight = parameter;
            break;
        case Word::MarginLeft:
            m_result.page.marginLeft = parameter;
            break;
        case Word::MarginRight:
            m_result.page.marginRight = parameter;
            break;
        case Word::MarginTop:
            m_result.page.marginTop = parameter;
            break;
        case Word::MarginBottom:
            m_result.page.marginBottom = parameter;
            break;
        case Word::Landscape:
            m_result.page.landscape = true;
            break;
        }
    }

    QTextDocument& m_document;
    QTextCursor m_cursor;
    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    RtfLoadResult m_result;

    std::vector<GroupState> m_stack;
    int m_overflow = 0; // groups open beyond the depth limit
    bool m_groupStart = false;
    bool m_finished = false;
    int m_skipCharacters = 0; // the fallback of a \u still to skip

    int m_documentCodePage = kDefaultCodePage;
    int m_defaultFont = 0;
    std::unordered_map<int, FontEntry> m_fonts;
    TextBuffer m_fontName;
    int m_fontNumber = -1;
    int m_fontCodePage = 0;
    std::vector<QColor> m_colors;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colorGiven = false;
    Decoders m_decoders;

    TextBuffer m_run;
    CharacterState m_runState;
    QTextCharFormat m_runFormat = QTextCharFormat();
    bool m_formatMayHaveChanged = true;
    bool m_cellEnded = false;

    bool m_newBlockPending = false;
    bool m_blockHasContent = false;
    bool m_blockBreak = false;
    bool m_breakNext = false;
    bool m_sectionEnded = false;
    bool m_sectionStartsPage = true;
};

} // namespace

RtfLoadResult LoadRtf(QTextDocument& document, QByteArrayView rtf)
{
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    Reader reader(document, rtf);
    const RtfLoadResult result = reader.read();
    document.setUndoRedoEnabled(undo);
    return result;
}

} // namespace talmere
