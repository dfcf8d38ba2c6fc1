// The AVAILITY_IBR handler's listing, report and claim selection on arbitrary bytes.

#include "fuzz/FuzzClaimReport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    talmere::fuzz::CheckClaimReport("AVAILITY_IBR", 12, 5, data, size);
    return 0;
}
