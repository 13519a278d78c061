#include "net/NetLog.h"

// Only critical messages pass by default.
Q_LOGGING_CATEGORY(lcNet, "skyvane.net", QtCriticalMsg)
