#include "weather/ReportTime.h"

DateTime InitialReportDateTime() {
    static const DateTime initial(1990, 1, 1);
    return initial;
}
