#include "X12TestSupport.h"
