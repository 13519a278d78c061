#include "render/RenderLog.h"

// Only critical messages pass by default.
Q_LOGGING_CATEGORY(lcRender, "skyvane.render", QtCriticalMsg)
