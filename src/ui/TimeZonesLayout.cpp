#include "ui/TimeZonesLayout.h"

#include <algorithm>

#include "render/Overlays.h"

namespace {

constexpr int EmptyWidth = 200;
constexpr int Gap = 20;
constexpr int TextLeft = 8;
// Room after a text so that its last glyph is never cut.
constexpr int BoxSlack = 50;

}  // namespace

TimeZonesLayout LayoutTimeZonesWindow(const std::vector<int>& textWidths, int workAreaWidth,
                                      int lineHeight) {
    TimeZonesLayout layout;
    const int n = static_cast<int>(textWidths.size());
    if (n == 0) {
        layout.WindowSize = QSize(EmptyWidth, lineHeight);
        return layout;
    }
    int total = -4;
    int widest = 1;
    for (const int width : textWidths) {
        total += width + Gap;
        widest = std::max(widest, width);
    }
    if (n == 1 || total <= workAreaWidth) {
        layout.Columns = n;
        layout.WindowSize = QSize(total, lineHeight);
        return layout;
    }
    layout.ColumnWidth = widest <= 9 ? 10 : std::min(widest, workAreaWidth - 16);
    const int pitch = std::max(layout.ColumnWidth + Gap, 1);
    layout.Columns = BalancedColumns(n, (workAreaWidth + 4) / pitch);
    const int rows = (n + layout.Columns - 1) / layout.Columns;
    layout.WindowSize = QSize(pitch * layout.Columns - 4, rows * lineHeight);
    return layout;
}

std::vector<QRect> TimeZonesEntryBoxes(const TimeZonesLayout& layout,
                                       const std::vector<int>& textWidths, int lineHeight) {
    std::vector<QRect> boxes;
    const int n = static_cast<int>(textWidths.size());
    boxes.reserve(textWidths.size());
    if (layout.Columns > 0 && layout.Columns < n) {
        for (int i = 0; i < n; ++i) {
            const int column = i % layout.Columns;
            const int row = i / layout.Columns;
            boxes.emplace_back((layout.ColumnWidth + Gap) * column + TextLeft, row * lineHeight,
                               layout.ColumnWidth + BoxSlack, lineHeight);
        }
        return boxes;
    }
    int x = TextLeft;
    for (const int width : textWidths) {
        boxes.emplace_back(x, 0, width + BoxSlack, lineHeight);
        x += width + Gap;
    }
    return boxes;
}
