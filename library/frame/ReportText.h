#pragma once

// The report text writer every format uses, and the widths a report's lines are laid out in.

#include "library/frame/ReportFiles.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace talmere {

// Report text gathered in memory and handed to the report file in large pieces, so that a line costs little more
// than copying its characters (the X12 reports write many short lines). A line is built from pieces: text as it
// stands, a label left-justified in its width, values padded or cut to a width; end() finishes it with CR LF.
class ReportText {
public:
    explicit ReportText(ReportOutputFile& out) : m_out(out) { m_text.reserve(kFlushSize + 8192); }
    ReportText(const ReportText&) = delete;
    ReportText& operator=(const ReportText&) = delete;

    // The line being built, for readers that append to it in place.
    std::string& pending() { return m_text; }

    // text(), start() and spaces() append out of line, where the string's append is inlined: the claim report
    // writers build each line from many small pieces, which costs least that way. operator<< appends in place,
    // which the X12 walks measured best with.
    ReportText& text(std::string_view value);
    ReportText& operator<<(std::string_view value)
    {
        m_text += value;
        return *this;
    }
    // The label left-justified in exactly labelWidth characters (none when the width is below one).
    ReportText& start(std::string_view label, int labelWidth);
    // Left-justified in exactly width characters: padded with spaces, or cut to its first width characters.
    ReportText& left(std::string_view value, std::size_t width);
    // Right-justified in exactly width characters, or cut to its first width characters.
    ReportText& right(std::string_view value, std::size_t width);
    ReportText& spaces(std::size_t count);

    // Ends the line with CR LF.
    void end()
    {
        m_text += "\r\n";
        if (m_text.size() >= kFlushSize) {
            flush();
        }
    }
    // A whole line: the text, then CR LF.
    void line(std::string_view value)
    {
        m_text += value;
        end();
    }
    void line(std::string_view label, std::string_view value)
    {
        m_text += label;
        m_text += value;
        end();
    }
    void blankLine() { end(); }
    // A labelled value wrapped at spaces into pieces of at most wrapWidth characters (WrapValue): the label
    // left-justified in labelWidth before the first piece, each further piece on a line of its own, indented by
    // labelWidth spaces. A value without pieces writes the label alone.
    void wrapped(int labelWidth, int wrapWidth, std::string_view label, std::string_view value);

    // Hands what was gathered to the report file; raises ReportOutputError when it cannot be written.
    void flush()
    {
        m_out.write(m_text);
        m_text.clear();
    }

private:
    static constexpr std::size_t kFlushSize = 64 * 1024;
    ReportOutputFile& m_out;
    std::string m_text;
};

// The pieces of a value wrapped at spaces: trimmed, then cut at the last space among the first wrapWidth + 1
// characters (or, without one, after wrapWidth characters), each rest trimmed again; empty pieces are dropped.
std::vector<std::string> WrapValue(std::string_view value, int wrapWidth);

// Characters per report line for a point size and orientation ("PORTRAIT", or anything else for landscape).
int ReportLineWidth(int pointSize, std::string_view orientation);

} // namespace talmere
