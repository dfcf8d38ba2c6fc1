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

QString FromNativePath(std::string_view bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string ToNativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
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
