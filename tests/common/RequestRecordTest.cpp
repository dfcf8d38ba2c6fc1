#include "common/ReportViewerRequest.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace talmere;

TEST(ShortString, ValuesAreCutAtTheCapacityAndTheLengthByteLeads)
{
    TReportViewerRequest request;
    std::memset(&request, 0xAA, sizeof request);
    request.Font.assign(std::string(100, 'F'));
    EXPECT_EQ(request.Font.size(), 80u);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&request)[1560], 80);

    request.ArchivePrefix.assign("ABC");
    EXPECT_EQ(request.ArchivePrefix.view(), "AB");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&request);
    EXPECT_EQ(bytes[1557], 2);
    EXPECT_EQ(bytes[1558], 'A');
    EXPECT_EQ(bytes[1559], 'B');
    // The next field starts right after the two characters.
    EXPECT_EQ(bytes[1560], 80);
}

TEST(ShortString, ALengthByteBeyondTheCapacityIsNeverReadPast)
{
    TReportViewerRequest request;
    std::memset(&request, 0, sizeof request);
    reinterpret_cast<unsigned char*>(&request)[1552] = 200; // ReportContext claims 200 of its 4 characters
    EXPECT_EQ(request.ReportContext.view().size(), 4u);
}
