#include "view/ReportDocument.h"

#include "core/AnsiText.h"
#include "view/PlainReportText.h"
#include "view/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QImage>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextFrameFormat>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace talmere {

namespace {

constexpr unsigned char kTab = 9;
constexpr unsigned char kLineFeed = 10;
constexpr unsigned char kFormFeed = 12;
constexpr unsigned char kCarriageReturn = 13;
constexpr int kTabColumns = 8;

// Rich text is laid out in its own unit, the pixel at 96 per inch (view/RtfReader.h), whatever the screen.
constexpr int kRichTextDotsPerInch = 96;

QString OpenFailure(const QString& path, const QFile& file)
{
    return QStringLiteral("Unable to open the report text %1: %2").arg(path, file.errorString());
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// The plain text and its lines

PlainReportText::PlainReportText(std::unique_ptr<QFile> file, const uchar* data, qint64 size, QByteArray copy,
                                 QString fontFamily, int pointSize)
    : m_file(std::move(file)), m_copy(std::move(copy)), m_data(data), m_size(size), m_fontFamily(std::move(fontFamily)),
      m_pointSize(pointSize)
{
    if (m_data == nullptr) {
        m_data = reinterpret_cast<const uchar*>(m_copy.constData());
        m_size = m_copy.size();
    }
}

PlainReportText::~PlainReportText() = default;

const std::array<char16_t, 256>& PlainReportText::characterTable()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> characters{};
        for (int byte = 0; byte < 256; ++byte) {
            const char c = static_cast<char>(byte);
            const char16_t decoded = FromAnsi(std::string_view(&c, 1)).at(0).unicode();
            if (decoded < 0x20 || (decoded >= 0x7F && decoded < 0xA0)) {
                characters[byte] = u' '; // a control character, the five bytes code page 1252 leaves out included
            } else if (decoded == 0xAD) {
                characters[byte] = u'-'; // the soft hyphen, which a report means to be seen
            } else {
                characters[byte] = decoded;
            }
        }
        return characters;
    }();
    return table;
}

void PlainWidths::set(const std::array<std::int64_t, 256>& advances, std::int64_t width)
{
    advance = advances;
    lineWidth = width;
    const bool uniform = std::all_of(advance.begin(), advance.end(), [&](std::int64_t a) { return a == advance[0]; });
    uniformColumns = uniform ? std::max<std::int64_t>(1, advance[0] > 0 ? lineWidth / advance[0] : lineWidth) : 0;
}

namespace {

// Where the first control character (below 32) is among n bytes; n when there is none. Eight bytes at a time:
// a word holds a byte below 32 exactly when (w - 0x20..20) & ~w & 0x80..80 is not 0.
qint64 FindControl(const unsigned char* bytes, qint64 n)
{
    qint64 i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (((word - 0x2020202020202020ULL) & ~word & 0x8080808080808080ULL) != 0) {
            break;
        }
    }
    for (; i < n; ++i) {
        if (bytes[i] < 32) {
            return i;
        }
    }
    return n;
}

} // namespace

PlainLineReader::PlainLineReader(const PlainReportText& text, const PlainWidths& widths, PlainPosition from)
    : m_bytes(text.bytes()), m_widths(widths), m_at(from)
{
    m_at.offset = std::clamp<qint64>(m_at.offset, 0, static_cast<qint64>(m_bytes.size()));
    m_at.column = std::max<qint64>(m_at.column, 0);
}

bool PlainLineReader::next(PlainLine& line, QString* text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_bytes.data());
    const auto size = static_cast<qint64>(m_bytes.size());
    if (text != nullptr) {
        text->clear();
    }
    qint64 at = m_at.offset;
    if (m_at.column == 0) {
        // Between printed lines: pass the form feeds and the line ends that print nothing.
        for (;;) {
            if (at >= size) {
                m_at = {at, 0};
                return false;
            }
            const unsigned char byte = bytes[at];
            if (byte == kFormFeed) {
                m_breakPending = true;
                m_lineHasFormFeed = true;
                ++at;
                continue;
            }
            if (byte == kCarriageReturn || byte == kLineFeed) {
                const bool emptyLine = !m_lineHasFormFeed && !m_linePrinted;
                const qint64 lineEnd = at;
                at += byte == kCarriageReturn && at + 1 < size && bytes[at + 1] == kLineFeed ? 2 : 1;
                m_lineHasFormFeed = false;
                m_linePrinted = false;
                if (emptyLine) {
                    line.start = {lineEnd, 0};
                    line.pageBreakBefore = std::exchange(m_breakPending, false);
                    m_at = {at, 0};
                    return true;
                }
                continue;
            }
            break;
        }
        line.pageBreakBefore = std::exchange(m_breakPending, false);
    } else {
        line.pageBreakBefore = false; // the rest of a wrapped line
    }
    line.start = {at, m_at.column};
    m_linePrinted = true;

    const qint64 firstColumn = m_at.column;
    qint64 column = firstColumn;
    if (text == nullptr && m_widths.uniformColumns > 0) {
        // Counting lines of a fixed-pitch font: a line holds so many columns, and only the control characters
        // need a look. The same rules as below, with the widths as columns.
        const qint64 capacity = m_widths.uniformColumns;
        for (;;) {
            const qint64 room = firstColumn + capacity - column;
            const qint64 run = FindControl(bytes + at, std::min(room, size - at));
            at += run;
            column += run;
            if (at >= size) {
                break;
            }
            const unsigned char byte = bytes[at];
            if (byte == kCarriageReturn || byte == kLineFeed || byte == kFormFeed) {
                break;
            }
            if (column - firstColumn >= capacity && byte != kTab) {
                m_at = {at, column}; // full, and more of the line follows
                return true;
            }
            if (byte == kTab) {
                const qint64 spaces = (column / kTabColumns + 1) * kTabColumns - column;
                const qint64 fit = std::min(spaces, firstColumn + capacity - column);
                column += fit;
                if (fit < spaces) {
                    m_at = {at, column};
                    return true;
                }
            } else {
                ++column; // another control character, a blank
            }
            ++at;
        }
        m_at = {at, 0};
        return true;
    }

    const auto& advance = m_widths.advance;
    const std::int64_t limit = m_widths.lineWidth;
    const std::int64_t spaceAdvance = advance[' '];
    const auto& characters = PlainReportText::characterTable();
    std::int64_t used = 0;
    while (at < size) {
        const unsigned char byte = bytes[at];
        if (byte < 32) {
            if (byte == kCarriageReturn || byte == kLineFeed || byte == kFormFeed) {
                break;
            }
            if (byte == kTab) {
                const qint64 spaces = (column / kTabColumns + 1) * kTabColumns - column;
                qint64 fit = spaces;
                if (used + spaces * spaceAdvance > limit) {
                    fit = spaceAdvance > 0 ? std::max<std::int64_t>(0, (limit - used) / spaceAdvance) : spaces;
                    if (fit == 0 && column == firstColumn) {
                        fit = 1; // every printed line takes something
                    }
                }
                if (text != nullptr) {
                    text->append(QString(static_cast<qsizetype>(fit), QLatin1Char(' ')));
                }
                column += fit;
                used += fit * spaceAdvance;
                if (fit < spaces) {
                    m_at = {at, column}; // the rest of the tab starts the next printed line
                    return true;
                }
                ++at;
                continue;
            }
        }
        const std::int64_t width = advance[byte];
        if (used + width > limit && column != firstColumn) {
            m_at = {at, column};
            return true;
        }
        used += width;
        ++column;
        ++at;
        if (text != nullptr) {
            text->append(QChar(characters[byte]));
        }
    }
    m_at = {at, 0};
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// The document

struct ReportDocument::Data {
    Kind kind = Kind::Plain;
    std::unique_ptr<PlainReportText> plain;
    std::unique_ptr<QTextDocument> rich;
    // The rich text's layout device (96 dots per inch); it lives as long as the document that refers to it.
    QImage richLayoutDevice;
    RtfLoadResult rtf;
    QFont firstItemFont;
};

ReportDocument::ReportDocument() : m_data(std::make_unique<Data>()) {}

ReportDocument::~ReportDocument() = default;

std::unique_ptr<ReportDocument> ReportDocument::loadPlain(const QString& path, const QString& fontFamily, int pointSize,
                                                          QString* error)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        if (error != nullptr) {
            *error = OpenFailure(path, *file);
        }
        return nullptr;
    }
    const qint64 size = file->size();
    const uchar* data = nullptr;
    QByteArray copy;
    if (size > 0) {
        data = file->map(0, size);
        if (data == nullptr) {
            copy = file->readAll();
            if (copy.size() != size) {
                if (error != nullptr) {
                    *error = QStringLiteral("Unable to read the report text %1: %2").arg(path, file->errorString());
                }
                return nullptr;
            }
        }
    }
    const int points = std::max(pointSize, 1);
    std::unique_ptr<ReportDocument> document(new ReportDocument);
    document->m_data->kind = Kind::Plain;
    document->m_data->plain =
        std::make_unique<PlainReportText>(std::move(file), data, size, std::move(copy), fontFamily, points);
    document->m_data->firstItemFont = QFont(fontFamily, points);
    return document;
}

std::unique_ptr<ReportDocument> ReportDocument::loadRtf(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr) {
            *error = OpenFailure(path, file);
        }
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error != nullptr) {
            *error = QStringLiteral("Unable to read the report text %1: %2").arg(path, file.errorString());
        }
        return nullptr;
    }
    std::unique_ptr<ReportDocument> document(new ReportDocument);
    Data& data = *document->m_data;
    data.kind = Kind::Rich;
    data.rich = std::make_unique<QTextDocument>();
    QTextDocument& rich = *data.rich;
    data.rtf = LoadRtf(rich, QByteArrayView(bytes));

    // Laid out at 96 dots per inch on every machine, with design metrics (the pages are drawn scaled to the
    // printer), and without the frame margin of a text edit: the layout puts the margins around the body.
    constexpr int dotsPerMetre = static_cast<int>(kRichTextDotsPerInch / 0.0254 + 0.5);
    data.richLayoutDevice = QImage(1, 1, QImage::Format_RGB32);
    data.richLayoutDevice.setDotsPerMeterX(dotsPerMetre);
    data.richLayoutDevice.setDotsPerMeterY(dotsPerMetre);
    rich.documentLayout()->setPaintDevice(&data.richLayoutDevice);
    rich.setUseDesignMetrics(true);
    rich.setDocumentMargin(0);

    // The first item's font: the first piece of text, else the document's default font.
    data.firstItemFont = rich.defaultFont();
    bool found = false; // the first fragment with text (a document without text keeps the default font)
    for (QTextBlock block = rich.begin(); block.isValid() && !found; block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().isValid() && !fragment.fragment().text().isEmpty()) {
                data.firstItemFont = fragment.fragment().charFormat().font().resolve(rich.defaultFont());
                found = true;
                break;
            }
        }
    }
    return document;
}

std::unique_ptr<ReportDocument> ReportDocument::load(const QString& path, const QString& loadMethod,
                                                     const QString& fontFamily, int pointSize, QString* error)
{
    if (loadMethod == QLatin1String("PLAIN")) {
        return loadPlain(path, fontFamily, pointSize, error);
    }
    return loadRtf(path, error);
}

ReportDocument::Kind ReportDocument::kind() const
{
    return m_data->kind;
}

QFont ReportDocument::firstItemFont() const
{
    return m_data->firstItemFont;
}

const PlainReportText* ReportDocument::plainText() const
{
    return m_data->plain.get();
}

QTextDocument* ReportDocument::richText() const
{
    return m_data->rich.get();
}

const RtfLoadResult* ReportDocument::rtfLoadResult() const
{
    return m_data->kind == Kind::Rich ? &m_data->rtf : nullptr;
}

} // namespace talmere
