#pragma once

#include <QPoint>
#include <QRect>
#include <vector>

#include "render/Screen.h"

// The rectangle moved (never resized) into the work area of its nearest monitor.
QRect FitToNearestScreen(const QRect& rect, const std::vector<Screen>& screens);

// Where a menu opens for a click at the point: there, unless the point lies on no
// monitor, where its x is moved into the work area of the nearest one so that the
// menu cannot open out of sight.
QPoint MenuPointOnScreens(QPoint point, const std::vector<Screen>& screens);
