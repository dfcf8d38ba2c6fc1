#pragma once

#include <string>

namespace talmere {

// The fixed text of a status code; code 98 gives the last process-error text.
const char* StatusMessage(int code);

// The detailed text behind status 98. It outlives the call that set it, so that the caller can fetch it
// afterwards, and is empty after the library is loaded.
void SetLastProcessError(std::string text);
const std::string& LastProcessError();

// Stores the text as the last process error and answers 98.
int ReportProcessError(std::string text);

} // namespace talmere
