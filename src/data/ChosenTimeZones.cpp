#include "data/ChosenTimeZones.h"

#include "core/AtomicFile.h"
#include "core/Exceptions.h"
#include "core/UtilText.h"
#include "data/DataLog.h"
#include "data/UserFiles.h"

std::vector<TimeZoneItem> DefaultTimeZoneItems() {
    static constexpr const char* Defaults[][2] = {
        {"New York", "Eastern Standard Time"},
        {"London", "GMT Standard Time"},
        {"Berlin", "W. Europe Standard Time"},
        {"Tokyo", "Tokyo Standard Time"},
    };
    std::vector<TimeZoneItem> items;
    for (const auto& [label, id] : Defaults) {
        try {
            TimeZoneItem item;
            item.Label = label;
            item.Info = TimeZoneInfo::FindTimeZoneById(id);
            items.push_back(std::move(item));
        } catch (...) {
            qCInfo(lcData) << "a default time zone is left out:" << CurrentExceptionText().c_str();
            // The system lacks this zone; the others still make a useful start.
        }
    }
    return items;
}

std::vector<TimeZoneItem> ParseTimeZoneItems(std::string_view content, std::size_t* skippedLines) {
    std::vector<TimeZoneItem> items;
    while (!content.empty()) {
        const std::size_t end = content.find_first_of("\r\n");
        const std::string_view line = UtilText::Trim(content.substr(0, end));
        if (!line.empty()) {
            try {
                items.push_back(TimeZoneItem::Deserialize(line));
            } catch (...) {
                qCInfo(lcData) << "a time-zone line is skipped:" << CurrentExceptionText().c_str();
                // A damaged line, or a zone the system no longer has, costs only itself.
                if (skippedLines != nullptr) {
                    ++*skippedLines;
                }
            }
        }
        if (end == std::string_view::npos) {
            break;
        }
        content.remove_prefix(end + 1);
    }
    return items;
}

bool LoadTimeZones(const std::string& path, std::vector<TimeZoneItem>& items) {
    const std::optional<std::string> content = UserFiles::Read(path);
    if (!content) {
        return true;
    }
    std::size_t skipped = 0;
    items = ParseTimeZoneItems(*content, &skipped);
    if (skipped > 0) {
        UserFiles::LogDamage(path, "lost " + std::to_string(skipped) +
                                       " line(s), damaged or of zones the system lacks");
    }
    return skipped == 0;
}

void SaveTimeZones(const std::string& path, const std::vector<TimeZoneItem>& items,
                   PreviousFile previous) {
    static constexpr const char* CreateLocation = "COptions::SaveTimeZones (345)";
    static constexpr const char* LineLocation = "COptions::SaveTimeZones (349)";
    static constexpr const char* LineEndLocation = "COptions::SaveTimeZones (350)";
    AtomicFileWriter writer(path, CreateLocation, previous);
    for (const TimeZoneItem& item : items) {
        writer.Write(item.Serialize(), LineLocation);
        writer.Write("\r\n", LineEndLocation);
    }
    writer.Commit();
}
