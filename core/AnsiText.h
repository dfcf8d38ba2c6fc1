#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace talmere {

// Texts in the system's files are single-byte Windows ANSI (code page 1252), decoded for display.
QString FromAnsi(std::string_view bytes);
// The way back: every character FromAnsi gives becomes its byte again; others become "?".
std::string ToAnsi(const QString& text);

// Paths are bytes of the local encoding, UTF-8. A name that is not valid UTF-8 still comes back as the very
// bytes it was: each byte outside a valid sequence is kept as a character of its own (U+DC80 to U+DCFF).
QString FromNativePath(std::string_view bytes);
std::string ToNativePath(const QString& path);

// Removes blanks and control characters (everything up to the space) from both ends.
QString TrimBlanks(const QString& text);

} // namespace talmere
