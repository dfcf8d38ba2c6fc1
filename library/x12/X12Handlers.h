#pragma once

// The handlers of the X12 formats that the format table names.

#include "AcknowledgmentReport.h"
#include "ContentIdentification.h"
#include "TextMessageReport.h"
