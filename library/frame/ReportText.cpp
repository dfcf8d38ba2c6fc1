#include "library/frame/ReportText.h"

#include "common/TextUtil.h"

namespace talmere {

ReportText::ReportText(ReportOutputFile& out) : m_out(out), m_buffer(std::make_unique_for_overwrite<char[]>(kCapacity))
{
}

void ReportText::putLarge(const char* data, std::size_t size)
{
    flush();
    if (size > kCapacity) {
        m_out.write(std::string_view(data, size));
        return;
    }
    std::memcpy(m_buffer.get(), data, size);
    m_used = size;
}

ReportText& ReportText::appendMany(std::size_t count, char c)
{
    while (count > kCapacity - m_used) {
        const std::size_t room = kCapacity - m_used;
        std::memset(m_buffer.get() + m_used, c, room);
        m_used = kCapacity;
        count -= room;
        flush();
    }
    std::memset(m_buffer.get() + m_used, c, count);
    m_used += count;
    return *this;
}

void ReportText::flush()
{
    m_out.write(std::string_view(m_buffer.get(), m_used));
    m_used = 0;
}

ReportText& ReportText::text(std::string_view value)
{
    put(value.data(), value.size());
    return *this;
}

ReportText& ReportText::start(std::string_view label, int labelWidth)
{
    return left(label, labelWidth > 0 ? static_cast<std::size_t>(labelWidth) : 0);
}

ReportText& ReportText::spaces(std::size_t count)
{
    return append(count, ' ');
}

ReportText& ReportText::left(std::string_view value, std::size_t width)
{
    const std::string_view cut = value.substr(0, width);
    put(cut.data(), cut.size());
    return append(width - cut.size(), ' ');
}

ReportText& ReportText::right(std::string_view value, std::size_t width)
{
    const std::string_view cut = value.substr(0, width);
    append(width - cut.size(), ' ');
    put(cut.data(), cut.size());
    return *this;
}

void ReportText::wrapped(int labelWidth, int wrapWidth, std::string_view label, std::string_view value)
{
    const std::vector<std::string> pieces = WrapValue(value, wrapWidth);
    start(label, labelWidth).text(pieces.empty() ? std::string_view() : std::string_view(pieces.front())).end();
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        start({}, labelWidth).text(pieces[i]).end();
    }
}

std::vector<std::string> WrapValue(std::string_view value, int wrapWidth)
{
    // A width below one could never make progress.
    const std::size_t width = wrapWidth > 0 ? static_cast<std::size_t>(wrapWidth) : 1;
    std::vector<std::string> pieces;
    std::string_view rest = TrimBlanks(value);
    while (!rest.empty()) {
        std::string_view piece;
        if (rest.size() > width) {
            // The last space among the first width + 1 characters.
            const std::size_t space = rest.substr(0, width + 1).rfind(' ');
            if (space != std::string_view::npos) {
                piece = rest.substr(0, space);
                rest = TrimBlanks(rest.substr(space + 1));
            } else {
                piece = rest.substr(0, width);
                rest = TrimBlanks(rest.substr(width));
            }
        } else {
            piece = rest;
            rest = {};
        }
        if (!piece.empty()) {
            pieces.emplace_back(piece);
        }
    }
    return pieces;
}

int ReportLineWidth(int pointSize, std::string_view orientation)
{
    const bool portrait = orientation == "PORTRAIT";
    if (pointSize >= 4 && pointSize <= 7) {
        return portrait ? 90 : 136;
    }
    if (pointSize == 8) {
        return portrait ? 78 : 112;
    }
    if (pointSize == 11 || pointSize == 12) {
        return portrait ? 44 : 68;
    }
    return portrait ? 58 : 84;
}

} // namespace talmere
