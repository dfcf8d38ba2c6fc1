#pragma once

// Small X12 files for tests, built segment by segment.

#include "common/ReportLibraryInterface.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace talmere::test {

// An ISA segment of exactly 106 characters (its terminator included) with the given delimiters and ISA12.
std::string Isa(std::string_view version = "00501", char repetition = '^', char elementSeparator = '*',
                char componentSeparator = ':', char terminator = '~', std::string_view sender = "SENDER",
                std::string_view receiver = "RECEIVER");

// The segments written one after the other, each followed by the line end (none by default). Segment texts
// carry their own terminators.
std::string Segments(std::initializer_list<std::string_view> segments, std::string_view lineEnd = "");

// A whole 999 interchange of one group and one set around the given set body (AK1 to AK9), 5010.
std::string Ack999(std::string_view body, std::string_view gs08 = "005010X231A1");
// A whole 997 interchange, 4010.
std::string Ack997(std::string_view body, std::string_view gs08 = "004010X098A1");

// The library's answer and texts for one call on a file.
struct CallResult {
    int status = -1;
    std::string message;
    std::string output; // the output file, when one was written
};

CallResult CallOnFile(const char* exportName, std::string_view format, const std::filesystem::path& file,
                      const std::filesystem::path& output = {}, std::initializer_list<std::string_view> params = {},
                      const std::string& installDir = {});

} // namespace talmere::test
