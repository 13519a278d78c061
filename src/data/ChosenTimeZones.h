#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/AtomicFile.h"
#include "data/TimeZoneItem.h"

// The chosen zones' file in the user's data folder of the edition.
inline constexpr const char* TimeZonesFileName = "TimeZones.txt";

// New York, London, Berlin and Tokyo, in that order; a zone the system lacks is left out.
std::vector<TimeZoneItem> DefaultTimeZoneItems();

// The items of a file's content, in file order. Lines end at any carriage
// return or line feed and are trimmed of blanks; a line that does not make an
// item is skipped and counted in skippedLines when given.
std::vector<TimeZoneItem> ParseTimeZoneItems(std::string_view content,
                                             std::size_t* skippedLines = nullptr);

// Replaces the items with those of the file, even when that gives none. When
// the file does not exist the items stay as they are; a file that exists but
// cannot be read raises, leaving the items unchanged. False when a line was
// skipped, for damage or for a zone the system does not have.
bool LoadTimeZones(const std::string& path, std::vector<TimeZoneItem>& items);

// One serialized line and "\r\n" per item. The file is replaced whole or not
// at all; a failure raises and leaves the old file in place.
void SaveTimeZones(const std::string& path, const std::vector<TimeZoneItem>& items,
                   PreviousFile previous = PreviousFile::Replace);
