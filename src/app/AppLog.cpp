#include "app/AppLog.h"

// Only critical messages pass by default.
Q_LOGGING_CATEGORY(lcApp, "skyvane.app", QtCriticalMsg)
