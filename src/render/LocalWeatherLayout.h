#pragma once

#include <QRect>
#include <QSize>
#include <vector>

#include "render/Screen.h"

// Where the pieces of the local-weather window's pictures go, in pixels. No
// measuring and no drawing here: the row heights come from the caller.
namespace LocalWeatherLayout {

inline constexpr QRect LargeIconRect(10, 0, 200, 160);
inline constexpr int ColumnWidth = 68;
inline constexpr int IconCellHeight = 30;
inline constexpr int MinRowHeight = 5;
inline constexpr int MaxRowHeight = 100;
inline constexpr int PanelCornerSlice = 30;

inline constexpr QSize HintSize(290, 73);
inline constexpr QRect HintTextRect(10, 10, 270, 53);
// Icon Only ends where the icon rectangle ends.
inline constexpr QSize IconOnlySize(210, 160);
inline constexpr QSize SmallSize(290, 160);
inline constexpr QRect SmallPanel(0, 75, 290, 73);
inline constexpr QRect SmallTextRect(10, 85, 270, 53);

// One forecast column: the indexes of its day and night items, -1 where the
// column has none.
struct ForecastColumn {
    int DayItem = -1;
    int NightItem = -1;

    bool operator==(const ForecastColumn&) const = default;
};

// The items alternate day and night from the first; a forecast that starts
// with a night gets a first column holding only that night.
std::vector<ForecastColumn> ForecastColumns(int itemCount, bool firstIsDay);

struct LargeGeometry {
    QSize Picture;
    QRect Panel;
    QRect Text;
};

// Large with `columns` forecast columns whose rows are that high (already
// limited to MinRowHeight..MaxRowHeight; the fractions are dropped), and
// below them a line crediting the forecast's source when it needs one.
// Without columns it is the Small picture.
LargeGeometry LargeLayout(int columns, double dayRowHeight, double nightRowHeight,
                          bool withCredit = false);

// The credit line's height under the columns.
inline constexpr int CreditHeight = 12;

// How much of the window stays on a screen whatever happens to it: half the
// icon in Icon Only (a CSettings mode), else 100 pixels each way.
QSize ReachableMargin(int mode);

// The window moved as little as needed for at least the margin of it (or all
// of it, when it is smaller) to lie on a screen: unchanged when some screen
// already shows that much, else brought onto the screen nearest to it.
ScreenRect KeepReachable(ScreenRect window, QSize margin, const std::vector<Screen>& screens);

// The window moved right and down, when needed, so that its top-left corner
// is not beyond the top or left edge of the screen it is mostly on.
ScreenRect KeepTopLeftOnScreen(ScreenRect window, const std::vector<Screen>& screens);

}  // namespace LocalWeatherLayout
