#pragma once

#include "library/ReportFiles.h"

#include <string>
#include <string_view>

namespace talmere {

// Report text gathered in memory and handed to the output file in large pieces: the X12 reports write many
// short lines, and a line should cost little more than copying its characters.
class ReportTextBuffer {
public:
    explicit ReportTextBuffer(ReportOutputFile& out) : m_out(out) { m_text.reserve(kFlushSize + 8192); }
    ReportTextBuffer(const ReportTextBuffer&) = delete;
    ReportTextBuffer& operator=(const ReportTextBuffer&) = delete;

    // The line being built; endLine() finishes it.
    std::string& text() { return m_text; }
    ReportTextBuffer& operator<<(std::string_view part)
    {
        m_text += part;
        return *this;
    }
    void endLine()
    {
        m_text += "\r\n";
        if (m_text.size() >= kFlushSize) {
            flush();
        }
    }
    void line(std::string_view text)
    {
        m_text += text;
        endLine();
    }
    void line(std::string_view label, std::string_view value)
    {
        m_text += label;
        m_text += value;
        endLine();
    }
    void emptyLine() { endLine(); }

    // Hands what was gathered to the file; raises ReportOutputError when it cannot be written.
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

} // namespace talmere
