#include "platform/XfceWallpaper.h"

#include <algorithm>
#include <regex>
#include <string_view>
#include <utility>

#include "platform/FileUri.h"
#include "platform/PlatformLog.h"

namespace {

constexpr const char* Tool = "xfconf-query";
constexpr std::string_view ImageKey = "/last-image";
constexpr std::string_view StyleKey = "/image-style";

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// "/backdrop/screen0/monitorHDMI-1/workspace2/last-image" -> the part before the key, when
// the property has the shape of one monitor's and workspace's backdrop.
std::optional<std::string> WorkspaceOf(const std::string& property) {
    static const std::regex Shape(
        "^(/backdrop/screen[0-9]+/monitor[^/]+/workspace[0-9]+)"
        "/(last-image|image-style)$");
    std::smatch match;
    if (!std::regex_match(property, match, Shape)) {
        return std::nullopt;
    }
    return match[1].str();
}

}  // namespace

XfceWallpaper::XfceWallpaper(std::unique_ptr<CommandRunner> runner) : runner_(std::move(runner)) {}

std::optional<std::vector<std::string>> XfceWallpaper::BackdropProperties() {
    const CommandRunner::Result listing =
        runner_->Run(Tool, {"-c", Channel, "-p", "/backdrop", "-l"});
    if (!listing.Succeeded) {
        qCWarning(lcPlatform) << "Xfce: cannot list the backdrop properties";
        return std::nullopt;
    }
    std::vector<std::string> properties;
    std::size_t start = 0;
    while (start < listing.Output.size()) {
        std::size_t end = listing.Output.find('\n', start);
        if (end == std::string::npos) {
            end = listing.Output.size();
        }
        std::string property = listing.Output.substr(start, end - start);
        if (WorkspaceOf(property)) {
            properties.push_back(std::move(property));
        }
        start = end + 1;
    }
    std::sort(properties.begin(), properties.end());
    return properties;
}

bool XfceWallpaper::Write(const std::string& property, const std::string& value) {
    const char* type = EndsWith(property, StyleKey) ? "int" : "string";
    if (runner_->Run(Tool, {"-c", Channel, "-p", property, "-n", "-t", type, "-s", value})
            .Succeeded) {
        return true;
    }
    qCWarning(lcPlatform) << "Xfce: cannot set" << property.c_str();
    return false;
}

std::optional<RecordedWallpaper> XfceWallpaper::Record() {
    const std::optional<std::vector<std::string>> properties = BackdropProperties();
    if (!properties) {
        return std::nullopt;
    }
    RecordedWallpaper recorded;
    for (const std::string& property : *properties) {
        CommandRunner::Result value = runner_->Run(Tool, {"-c", Channel, "-p", property});
        if (!value.Succeeded) {
            qCWarning(lcPlatform) << "Xfce: cannot read" << property.c_str();
            return std::nullopt;
        }
        // Only the line end xfconf-query adds; a path may hold line ends of its own.
        if (!value.Output.empty() && value.Output.back() == '\n') {
            value.Output.pop_back();
        }
        if (recorded.Picture.empty() && EndsWith(property, ImageKey)) {
            recorded.Picture = FileUri::ToPath(value.Output);
        }
        recorded.Values.emplace_back(property, std::move(value.Output));
    }
    return recorded;
}

bool XfceWallpaper::Set(const std::string& picturePath) {
    return SetEach({MonitorPicture::ForAll(picturePath)});
}

bool XfceWallpaper::SetEach(const std::vector<MonitorPicture>& pictures) {
    if (pictures.empty()) {
        return false;
    }
    const std::optional<std::vector<std::string>> properties = BackdropProperties();
    if (!properties) {
        return false;
    }
    std::vector<std::string> workspaces;
    for (const std::string& property : *properties) {
        std::string workspace = *WorkspaceOf(property);
        if (std::find(workspaces.begin(), workspaces.end(), workspace) == workspaces.end()) {
            workspaces.push_back(std::move(workspace));
        }
    }
    if (workspaces.empty()) {
        qCWarning(lcPlatform) << "Xfce: no monitor has a backdrop yet (is xfdesktop running?)";
        return false;
    }
    bool succeeded = true;
    for (const std::string& workspace : workspaces) {
        const MonitorPicture* picture = &pictures.front();
        for (const MonitorPicture& candidate : pictures) {
            if (!candidate.Monitor.empty() &&
                workspace.find("/monitor" + candidate.Monitor + "/") != std::string::npos) {
                picture = &candidate;
            }
        }
        succeeded = Write(workspace + std::string(StyleKey), Stretched) && succeeded;
        succeeded = Write(workspace + std::string(ImageKey), picture->Path) && succeeded;
    }
    return succeeded;
}

bool XfceWallpaper::Restore(const RecordedWallpaper& recorded) {
    const std::optional<std::vector<std::string>> current = BackdropProperties();
    if (!current) {
        return false;
    }
    bool succeeded = true;
    for (const auto& [property, value] : recorded.Values) {
        if (!WorkspaceOf(property)) {
            qCWarning(lcPlatform) << "Xfce: not a backdrop property:" << property.c_str();
            succeeded = false;
            continue;
        }
        const bool cleared = recorded.Picture.empty() && EndsWith(property, ImageKey);
        succeeded = Write(property, cleared ? std::string() : value) && succeeded;
    }
    // What was not there before (a monitor plugged in since) goes back to xfdesktop's default.
    for (const std::string& property : *current) {
        const bool wasRecorded =
            std::any_of(recorded.Values.begin(), recorded.Values.end(),
                        [&](const auto& entry) { return entry.first == property; });
        if (!wasRecorded && !runner_->Run(Tool, {"-c", Channel, "-p", property, "-r"}).Succeeded) {
            qCWarning(lcPlatform) << "Xfce: cannot reset" << property.c_str();
            succeeded = false;
        }
    }
    return succeeded;
}
