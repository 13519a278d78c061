#include "platform/CosmicWallpaper.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "core/AtomicFile.h"
#include "core/Exceptions.h"
#include "core/UtilFile.h"
#include "platform/PlatformLog.h"

namespace {

constexpr const char* All = "all";
constexpr const char* SameOnAll = "same-on-all";
constexpr const char* Backgrounds = "backgrounds";
constexpr const char* OutputPrefix = "output.";

bool IsBackgroundKey(const std::string& key) {
    return key == All || key == SameOnAll || key == Backgrounds || key.rfind(OutputPrefix, 0) == 0;
}

// A RON string: quotes and backslashes escaped.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

// The path of an entry's "source: Path(\"...\")".
std::string SourcePath(const std::string& entry) {
    const std::string marker = "Path(\"";
    const std::size_t start = entry.find(marker);
    if (start == std::string::npos) {
        return {};
    }
    std::string path;
    for (std::size_t index = start + marker.size(); index < entry.size(); ++index) {
        if (entry[index] == '\\' && index + 1 < entry.size()) {
            path += entry[++index];
        } else if (entry[index] == '"') {
            return path;
        } else {
            path += entry[index];
        }
    }
    return {};
}

}  // namespace

CosmicWallpaper::CosmicWallpaper(std::string folder) : folder_(std::move(folder)) {}

std::string CosmicWallpaper::DefaultFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = config != nullptr && *config == '/'
                                 ? std::string(config)
                                 : std::string(home != nullptr ? home : "") + "/.config";
    return base + "/cosmic/com.system76.CosmicBackground/v1/";
}

std::string CosmicWallpaper::Entry(const std::string& output, const std::string& path) {
    return "(\n    output: " + Quoted(output) + ",\n    source: Path(" + Quoted(path) +
           "),\n    filter_by_theme: false,\n    rotation_frequency: 900,\n"
           "    filter_method: Lanczos,\n    scaling_mode: Stretch,\n"
           "    sampling_method: Alphanumeric,\n)";
}

std::vector<std::string> CosmicWallpaper::Keys() const {
    std::vector<std::string> keys;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        std::error_code status;
        std::string key = entry.path().filename().string();
        if (entry.is_regular_file(status) && IsBackgroundKey(key)) {
            keys.push_back(std::move(key));
        }
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::optional<RecordedWallpaper> CosmicWallpaper::Record() {
    RecordedWallpaper recorded;
    std::string sameOnAll = "true";
    for (const std::string& key : Keys()) {
        std::string text;
        try {
            text = UtilFile::ReadFileAscii(folder_ + key, UtilFile::MiB);
        } catch (...) {
            qCWarning(lcPlatform) << "COSMIC: cannot read" << (folder_ + key).c_str();
            return std::nullopt;
        }
        if (key == SameOnAll) {
            sameOnAll = text;
        }
        recorded.Values.emplace_back(key, std::move(text));
    }
    // The picture shown: the common entry's, or the first output's of its own.
    for (const auto& [key, text] : recorded.Values) {
        const bool common = key == All;
        if (recorded.Picture.empty() &&
            (common == (sameOnAll.find("false") == std::string::npos))) {
            recorded.Picture = SourcePath(text);
        }
    }
    return recorded;
}

bool CosmicWallpaper::Write(const std::string& key, const std::string& text) {
    try {
        std::filesystem::create_directories(folder_);
        AtomicFileWriter file(folder_ + key, "CosmicWallpaper::Write");
        file.Write(text, "CosmicWallpaper::Write");
        file.Commit();
        return true;
    } catch (...) {
        qCWarning(lcPlatform) << "COSMIC: cannot write" << (folder_ + key).c_str() << ":"
                              << CurrentExceptionText().c_str();
        return false;
    }
}

bool CosmicWallpaper::Set(const std::string& picturePath) {
    return Write(All, Entry(All, picturePath)) && Write(SameOnAll, "true");
}

bool CosmicWallpaper::SetEach(const std::vector<MonitorPicture>& pictures) {
    if (pictures.empty()) {
        return false;
    }
    if (pictures.size() == 1 && pictures.front().Monitor.empty()) {
        return Set(pictures.front().Path);
    }
    std::string outputs;
    bool succeeded = true;
    for (const MonitorPicture& picture : pictures) {
        if (picture.Monitor.empty()) {
            continue;
        }
        outputs += (outputs.empty() ? "" : ", ") + Quoted(picture.Monitor);
        succeeded = Write(OutputPrefix + picture.Monitor, Entry(picture.Monitor, picture.Path)) &&
                    succeeded;
    }
    // The entries first: cosmic-bg reads them once the list names them.
    return succeeded && Write(Backgrounds, "[" + outputs + "]") && Write(SameOnAll, "false");
}

bool CosmicWallpaper::Restore(const RecordedWallpaper& recorded) {
    bool succeeded = true;
    for (const auto& [key, text] : recorded.Values) {
        if (!IsBackgroundKey(key) || key.find('/') != std::string::npos) {
            succeeded = false;
            continue;
        }
        // A stale picture of ours is cleared: cosmic-bg's own default takes its place.
        if (recorded.Picture.empty() && SourcePath(text).size() > 0 && key != SameOnAll) {
            std::error_code error;
            std::filesystem::remove(folder_ + key, error);
            continue;
        }
        succeeded = Write(key, text) && succeeded;
    }
    for (const std::string& key : Keys()) {
        const bool wasThere = std::any_of(recorded.Values.begin(), recorded.Values.end(),
                                          [&](const auto& value) { return value.first == key; });
        std::error_code error;
        if (!wasThere && !std::filesystem::remove(folder_ + key, error)) {
            qCWarning(lcPlatform) << "COSMIC: cannot remove" << (folder_ + key).c_str();
            succeeded = false;
        }
    }
    return succeeded;
}
