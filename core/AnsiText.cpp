#include "core/AnsiText.h"

#include <QFile>

#include <array>

namespace talmere {

namespace {

// Code page 1252 differs from Latin-1 in 0x80 to 0x9F only; 0 marks the five bytes it leaves undefined,
// which are kept as the control characters of the same number.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

QString FromAnsi(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80] != 0) {
            text.append(QChar(kHighControls[byte - 0x80]));
        } else {
            text.append(QChar(byte));
        }
    }
    return text;
}

std::string ToAnsi(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        char byte = '?';
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            byte = static_cast<char>(code);
        } else if (code >= 0x80 && code < 0xA0) {
            // The five undefined bytes stand for themselves.
            if (kHighControls[code - 0x80] == 0) {
                byte = static_cast<char>(code);
            }
        } else {
            for (std::size_t i = 0; i < kHighControls.size(); ++i) {
                if (kHighControls[i] == code) {
                    byte = static_cast<char>(0x80 + i);
                    break;
                }
            }
        }
        bytes.push_back(byte);
    }
    return bytes;
}

namespace {

// A byte that is not part of valid UTF-8 stands for itself as one of these lone low surrogates, which no
// valid UTF-8 text decodes to, so that every name of the file system comes back as the bytes it was.
constexpr char16_t kEscapedByteBase = 0xDC00;

// The length of the valid UTF-8 sequence at the start of bytes, or 0.
std::size_t Utf8SequenceLength(std::string_view bytes)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not valid UTF-8.
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        return 0;
    }
    return length;
}

} // namespace

QString FromNativePath(std::string_view bytes)
{
    QString path;
    std::size_t runStart = 0;
    const auto flush = [&](std::size_t end) {
        if (end > runStart) {
            path.append(QString::fromUtf8(bytes.data() + runStart, static_cast<qsizetype>(end - runStart)));
        }
    };
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(bytes.substr(i));
        if (length != 0) {
            i += length;
            continue;
        }
        flush(i);
        path.append(QChar(static_cast<char16_t>(kEscapedByteBase + static_cast<unsigned char>(bytes[i]))));
        runStart = ++i;
    }
    flush(bytes.size());
    return path;
}

std::string ToNativePath(const QString& path)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(path.size()));
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        if (end > start) {
            bytes += QStringView(path).mid(start, end - start).toUtf8().toStdString();
        }
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path.at(i).unicode();
        const bool pairedLow = i > 0 && QChar::isHighSurrogate(path.at(i - 1).unicode());
        if (c >= kEscapedByteBase + 0x80 && c <= kEscapedByteBase + 0xFF && !pairedLow) {
            flush(i);
            bytes.push_back(static_cast<char>(c - kEscapedByteBase));
            start = i + 1;
        }
    }
    flush(path.size());
    return bytes;
}

QString TrimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= u' ') {
        ++first;
    }
    while (last > first && text.at(last - 1).unicode() <= u' ') {
        --last;
    }
    return text.mid(first, last - first);
}

} // namespace talmere
