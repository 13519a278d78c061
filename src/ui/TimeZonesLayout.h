#pragma once

#include <QRect>
#include <QSize>
#include <vector>

// The shape of the time-zones window for the measured widths of its entry texts.
struct TimeZonesLayout {
    // Entries per row.
    int Columns = 0;
    // The width of a grid column; 0 in the single row, where each entry keeps its own.
    int ColumnWidth = 0;
    QSize WindowSize{0, 0};

    bool operator==(const TimeZonesLayout&) const = default;
};

// One row of the entries, 20 pixels apart, when it fits the work area's width (or
// there is only one, however wide); else a grid of even rows whose columns are as
// wide as the widest entry but no wider than the work area. Each row is one line
// tall. Without entries: a strip wide enough for the notice that there are none.
TimeZonesLayout LayoutTimeZonesWindow(const std::vector<int>& textWidths, int workAreaWidth,
                                      int lineHeight);

// The box each entry's text is drawn into, in the window's coordinates.
std::vector<QRect> TimeZonesEntryBoxes(const TimeZonesLayout& layout,
                                       const std::vector<int>& textWidths, int lineHeight);
