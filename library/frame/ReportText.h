#pragma once

// The report text writer every format uses, and the widths a report's lines are laid out in.

#include "library/frame/ReportFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace talmere {

// Report text gathered in memory and handed to the report file in large pieces, so that a line costs little more
// than copying its characters (the X12 reports write many short lines). A line is built from pieces: text as it
// stands, a label left-justified in its width, values padded or cut to a width; end() finishes it with CR LF.
class ReportText {
public:
    explicit ReportText(ReportOutputFile& out);
    ReportText(const ReportText&) = delete;
    ReportText& operator=(const ReportText&) = delete;

    // The line being built, for writers that append to it in place: pending() += text, or append(count, c).
    ReportText& pending() { return *this; }
    ReportText& operator+=(std::string_view value)
    {
        put(value.data(), value.size());
        return *this;
    }
    ReportText& operator+=(char c)
    {
        if (m_used == kCapacity) {
            flush();
        }
        m_buffer[m_used++] = c;
        return *this;
    }
    // count copies of c.
    ReportText& append(std::size_t count, char c)
    {
        if (count <= 16 && kCapacity - m_used >= 16) {
            // A few characters of padding: sixteen are written, of which count are taken.
            const auto pattern = std::uint64_t{static_cast<unsigned char>(c)} * 0x0101010101010101;
            std::memcpy(m_buffer.get() + m_used, &pattern, 8);
            std::memcpy(m_buffer.get() + m_used + 8, &pattern, 8);
            m_used += count;
            return *this;
        }
        return appendMany(count, c);
    }

    // text(), start() and spaces() append out of line: the claim report writers build each line from many
    // small pieces, which costs least that way. operator<< appends in place, which the X12 walks measured best
    // with.
    ReportText& text(std::string_view value);
    ReportText& operator<<(std::string_view value)
    {
        put(value.data(), value.size());
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
        if (kCapacity - m_used < 2) {
            put("\r\n", 2);
        } else {
            m_buffer[m_used] = '\r';
            m_buffer[m_used + 1] = '\n';
            m_used += 2;
        }
        if (m_used >= kFlushSize) {
            flush();
        }
    }
    // A whole line: the text, then CR LF.
    void line(std::string_view value)
    {
        put(value.data(), value.size());
        end();
    }
    void line(std::string_view label, std::string_view value)
    {
        put(label.data(), label.size());
        put(value.data(), value.size());
        end();
    }
    void blankLine() { end(); }
    // A labelled value wrapped at spaces into pieces of at most wrapWidth characters (WrapValue): the label
    // left-justified in labelWidth before the first piece, each further piece on a line of its own, indented by
    // labelWidth spaces. A value without pieces writes the label alone.
    void wrapped(int labelWidth, int wrapWidth, std::string_view label, std::string_view value);

    // Hands what was gathered to the report file; raises ReportOutputError when it cannot be written.
    void flush();

private:
    static constexpr std::size_t kFlushSize = 64 * 1024;
    // Room beyond the flush size for the line that reaches it. A piece that does not fit in what is left
    // sends what was gathered (the file takes the line in two parts) and, when it is larger than the buffer,
    // goes to the file on its own.
    static constexpr std::size_t kCapacity = kFlushSize + 16 * 1024;

    // Appends the bytes. Most pieces are labels and values of a few dozen characters at most: they are copied
    // by moves of fixed size rather than by a call to memcpy.
    void put(const char* data, std::size_t size)
    {
        if (size > kCapacity - m_used) {
            putLarge(data, size);
            return;
        }
        char* const to = m_buffer.get() + m_used;
        m_used += size;
        if (size >= 16) {
            if (size > 64) {
                std::memcpy(to, data, size);
                return;
            }
            // Blocks of sixteen, the last one ending where the piece ends.
            for (std::size_t i = 0; i + 16 < size; i += 16) {
                copyBlock<16>(to + i, data + i);
            }
            copyBlock<16>(to + size - 16, data + size - 16);
        } else if (size >= 8) {
            copyBlock<8>(to, data);
            copyBlock<8>(to + size - 8, data + size - 8);
        } else if (size >= 4) {
            copyBlock<4>(to, data);
            copyBlock<4>(to + size - 4, data + size - 4);
        } else if (size > 0) {
            // One to three characters: the first, the middle and the last cover them.
            to[0] = data[0];
            to[size / 2] = data[size / 2];
            to[size - 1] = data[size - 1];
        }
    }
    template <std::size_t N>
    static void copyBlock(char* to, const char* from)
    {
        char block[N];
        std::memcpy(block, from, N);
        std::memcpy(to, block, N);
    }
    void putLarge(const char* data, std::size_t size);
    ReportText& appendMany(std::size_t count, char c);

    ReportOutputFile& m_out;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
};

// The pieces of a value wrapped at spaces: trimmed, then cut at the last space among the first wrapWidth + 1
// characters (or, without one, after wrapWidth characters), each rest trimmed again; empty pieces are dropped.
std::vector<std::string> WrapValue(std::string_view value, int wrapWidth);

// Characters per report line for a point size and orientation ("PORTRAIT", or anything else for landscape).
int ReportLineWidth(int pointSize, std::string_view orientation);

} // namespace talmere
