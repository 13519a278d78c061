#pragma once

#include <QLoggingCategory>

// Failures this layer swallows on purpose still leave a line here; quiet
// unless switched on, for example with QT_LOGGING_RULES="skyvane.ui=true".
Q_DECLARE_LOGGING_CATEGORY(lcUi)
