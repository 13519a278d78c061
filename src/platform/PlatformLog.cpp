#include "platform/PlatformLog.h"

// Only critical messages pass by default.
Q_LOGGING_CATEGORY(lcPlatform, "skyvane.platform", QtCriticalMsg)
