// The AVAILITY_DPR handler's listing, report and claim selection on arbitrary bytes.

#include "fuzz/FuzzClaimReport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    talmere::fuzz::CheckClaimReport("AVAILITY_DPR", 9, 7, data, size);
    return 0;
}
