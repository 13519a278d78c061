#include "data/DataLog.h"

// Only critical messages pass by default.
Q_LOGGING_CATEGORY(lcData, "skyvane.data", QtCriticalMsg)
