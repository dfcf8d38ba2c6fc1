#pragma once

// The handlers of the X12 formats that the format table names.

#include "library/x12/AcknowledgmentReport.h"
#include "library/x12/ContentIdentification.h"
#include "library/x12/TextMessageReport.h"
