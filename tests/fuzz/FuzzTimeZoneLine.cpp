#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/Exceptions.h"
#include "data/ChosenTimeZones.h"
#include "data/TimeZoneItem.h"

namespace {

// Serialize turns line breaks inside a label into spaces.
std::string OnOneLine(std::string text) {
    for (char& character : text) {
        if (character == '\r' || character == '\n') {
            character = ' ';
        }
    }
    return text;
}

void CheckLine(std::string_view line) {
    TimeZoneItem item;
    try {
        item = TimeZoneItem::Deserialize(line);
    } catch (const ApplicationException&) {
        return;
    }
    const TimeZoneItem back = TimeZoneItem::Deserialize(item.Serialize());
    if (back.Label != OnOneLine(item.Label) || back.Info.Id != item.Info.Id) {
        std::abort();
    }
}

// A file never raises while parsing, and what it gives saves back to the same items.
void CheckFile(std::string_view content) {
    const std::vector<TimeZoneItem> items = ParseTimeZoneItems(content);
    std::string saved;
    for (const TimeZoneItem& item : items) {
        saved += item.Serialize() + "\r\n";
    }
    const std::vector<TimeZoneItem> reloaded = ParseTimeZoneItems(saved);
    if (reloaded.size() != items.size()) {
        std::abort();
    }
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (reloaded[index].Label != items[index].Label ||
            reloaded[index].Info.Id != items[index].Info.Id) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    CheckLine(content);
    CheckFile(content);
    return 0;
}
