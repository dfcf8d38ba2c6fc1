// The request record's short string fields: a length byte, then the characters, cut at the capacity.

#include "common/ReportViewerRequest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace talmere;

TEST(RequestRecordFields, ValuesAreCutAtTheCapacityAndTheLengthByteLeads)
{
    TReportViewerRequest request;
    std::memset(&request, 0xAA, sizeof request);
    SetFieldText(request.Font, std::string(100, 'F'));
    EXPECT_EQ(FieldText(request.Font).size(), 80u);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&request)[1560], 80);

    SetFieldText(request.ArchivePrefix, "ABC");
    EXPECT_EQ(FieldText(request.ArchivePrefix), "AB");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&request);
    EXPECT_EQ(bytes[1557], 2);
    EXPECT_EQ(bytes[1558], 'A');
    EXPECT_EQ(bytes[1559], 'B');
    // The next field starts right after the two characters.
    EXPECT_EQ(bytes[1560], 80);

    // A shorter value clears what a longer one left behind.
    SetFieldText(request.ReportPath, "/a/long/path");
    SetFieldText(request.ReportPath, "/b");
    EXPECT_EQ(FieldText(request.ReportPath), "/b");
    EXPECT_EQ(request.ReportPath[3], 0);
    EXPECT_EQ(request.ReportPath[12], 0);
}

TEST(RequestRecordFields, ALengthByteBeyondTheCapacityIsNeverReadPast)
{
    TReportViewerRequest request;
    std::memset(&request, 0, sizeof request);
    reinterpret_cast<unsigned char*>(&request)[1552] = 200; // ReportContext claims 200 of its 4 characters
    EXPECT_EQ(FieldText(request.ReportContext).size(), 4u);
}
