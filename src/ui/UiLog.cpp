#include "ui/UiLog.h"

// Only critical messages pass by default.
Q_LOGGING_CATEGORY(lcUi, "skyvane.ui", QtCriticalMsg)
