#pragma once

#include "core/DateTime.h"

// 1990-01-01 00:00:00: the report time of weather not received yet. Every real
// report is later, so any received report replaces it.
DateTime InitialReportDateTime();
