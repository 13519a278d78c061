#include "data/ChosenTimeZones.h"

#include <sys/stat.h>

#include <cerrno>

#include "core/AtomicFile.h"
#include "core/UtilFile.h"

namespace {

bool IsBlank(char character) {
    return character == ' ' || character == '\t' || character == '\v' || character == '\f';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

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
            // The system lacks this zone; the others still make a useful start.
        }
    }
    return items;
}

std::vector<TimeZoneItem> ParseTimeZoneItems(std::string_view content) {
    std::vector<TimeZoneItem> items;
    while (!content.empty()) {
        const std::size_t end = content.find_first_of("\r\n");
        const std::string_view line = Trimmed(content.substr(0, end));
        if (!line.empty()) {
            try {
                items.push_back(TimeZoneItem::Deserialize(line));
            } catch (...) {
                // A damaged line, or a zone the system no longer has, costs only itself.
            }
        }
        if (end == std::string_view::npos) {
            break;
        }
        content.remove_prefix(end + 1);
    }
    return items;
}

std::optional<std::string> ReadTimeZonesFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) {
        return std::nullopt;
    }
    return UtilFile::ReadFileAscii(path);
}

void LoadTimeZones(const std::string& path, std::vector<TimeZoneItem>& items) {
    if (std::optional<std::string> content = ReadTimeZonesFile(path)) {
        items = ParseTimeZoneItems(*content);
    }
}

void SaveTimeZones(const std::string& path, const std::vector<TimeZoneItem>& items) {
    static constexpr const char* CreateLocation = "COptions::SaveTimeZones (345)";
    static constexpr const char* LineLocation = "COptions::SaveTimeZones (349)";
    static constexpr const char* LineEndLocation = "COptions::SaveTimeZones (350)";
    AtomicFileWriter writer(path, CreateLocation);
    for (const TimeZoneItem& item : items) {
        writer.Write(item.Serialize(), LineLocation);
        writer.Write("\r\n", LineEndLocation);
    }
    writer.Commit();
}
