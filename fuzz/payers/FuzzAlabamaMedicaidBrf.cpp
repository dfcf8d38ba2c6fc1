// The ALABAMA_MEDICAID_BRF handler's listing, report and claim selection on arbitrary bytes.

#include "fuzz/FuzzClaimReport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The fields of a fixed-width line may hold a "|", which shifts the listing fields after it.
    talmere::fuzz::CheckClaimReport("ALABAMA_MEDICAID_BRF", 10, 5, data, size, true);
    return 0;
}
