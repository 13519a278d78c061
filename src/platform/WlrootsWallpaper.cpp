#include "platform/WlrootsWallpaper.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "core/TextSplit.h"
#include "platform/PlatformLog.h"
#include "platform/ProcessTable.h"

namespace {

constexpr const char* Swaybg = "swaybg";

std::string Joined(const std::vector<std::string>& arguments) {
    std::string joined;
    for (const std::string& argument : arguments) {
        if (!joined.empty()) {
            joined += '\0';
        }
        joined += argument;
    }
    return joined;
}

// The first picture a swaybg command line shows.
std::string FirstImage(const std::vector<std::string>& arguments) {
    for (std::size_t index = 1; index + 1 < arguments.size(); ++index) {
        if (arguments[index] == "-i" || arguments[index] == "--image") {
            return arguments[index + 1];
        }
    }
    return {};
}

}  // namespace

std::vector<std::string> SwaybgWallpaper::Arguments(const std::vector<MonitorPicture>& pictures) {
    std::vector<std::string> arguments{Swaybg};
    for (const MonitorPicture& picture : pictures) {
        arguments.insert(arguments.end(), {"-o", picture.Monitor.empty() ? "*" : picture.Monitor,
                                           "-i", picture.Path, "-m", "stretch"});
    }
    return arguments;
}

std::optional<RecordedWallpaper> SwaybgWallpaper::Record() {
    RecordedWallpaper recorded;
    for (const ProcessTable::Process& process : ProcessTable::FindOwn(Swaybg)) {
        if (recorded.Picture.empty()) {
            recorded.Picture = FirstImage(process.Arguments);
        }
        recorded.Values.emplace_back(Swaybg, Joined(process.Arguments));
    }
    return recorded;
}

bool SwaybgWallpaper::Replace(const std::vector<std::vector<std::string>>& commandLines) {
    std::vector<int> started;
    for (const std::vector<std::string>& commandLine : commandLines) {
        const std::optional<int> pid = ProcessTable::StartDetached(commandLine);
        if (!pid) {
            qCWarning(lcPlatform) << "wlroots: swaybg does not start";
            for (const int other : started) {
                ProcessTable::End(other);
            }
            return false;
        }
        started.push_back(*pid);
    }
    std::this_thread::sleep_for(drawTime_);
    if (!std::all_of(started.begin(), started.end(), ProcessTable::IsAlive)) {
        qCWarning(lcPlatform) << "wlroots: swaybg ended at once (no layer-shell compositor?)";
        for (const int pid : started) {
            ProcessTable::End(pid);
        }
        return false;
    }
    for (const ProcessTable::Process& process : ProcessTable::FindOwn(Swaybg)) {
        if (std::find(started.begin(), started.end(), process.Pid) == started.end()) {
            ProcessTable::End(process.Pid);
        }
    }
    return true;
}

bool SwaybgWallpaper::Set(const std::string& picturePath) {
    return SetEach({MonitorPicture::ForAll(picturePath)});
}

bool SwaybgWallpaper::SetEach(const std::vector<MonitorPicture>& pictures) {
    return !pictures.empty() && Replace({Arguments(pictures)});
}

bool SwaybgWallpaper::Restore(const RecordedWallpaper& recorded) {
    std::vector<std::vector<std::string>> commandLines;
    if (!recorded.Picture.empty()) {
        for (const auto& [key, value] : recorded.Values) {
            if (key == Swaybg) {
                commandLines.push_back(Split(value, '\0'));
            }
        }
    }
    // Nothing to start again (no background, or only a stale one of ours): ours end.
    return Replace(commandLines);
}

SwwwWallpaper::SwwwWallpaper(std::string client, std::unique_ptr<CommandRunner> runner)
    : client_(std::move(client)), runner_(std::move(runner)) {}

std::optional<RecordedWallpaper> SwwwWallpaper::Record() {
    const CommandRunner::Result query = runner_->Run(client_, {"query"});
    if (!query.Succeeded) {
        qCWarning(lcPlatform) << client_.c_str() << ": the daemon does not answer";
        return std::nullopt;
    }
    // "HDMI-A-1: 1920x1080, scale: 1, currently displaying: image: /a.png", one line an output.
    RecordedWallpaper recorded;
    for (const std::string& line : Split(query.Output, '\n')) {
        const std::size_t colon = line.find(':');
        const std::size_t shown = line.find("currently displaying: ");
        if (colon == std::string::npos || shown == std::string::npos) {
            continue;
        }
        std::string what = line.substr(shown + 22);
        std::string output = line.substr(0, colon);
        output.erase(0, output.find_first_not_of(' '));
        if (recorded.Picture.empty() && what.rfind("image: ", 0) == 0) {
            recorded.Picture = what.substr(7);
        }
        recorded.Values.emplace_back(std::move(output), std::move(what));
    }
    return recorded;
}

bool SwwwWallpaper::Show(const std::string& output, const std::string& path) {
    std::vector<std::string> arguments{"img"};
    if (!output.empty()) {
        arguments.insert(arguments.end(), {"-o", output});
    }
    arguments.insert(arguments.end(), {"--transition-type", "none", path});
    if (runner_->Run(client_, arguments).Succeeded) {
        return true;
    }
    qCWarning(lcPlatform) << client_.c_str() << ": cannot show" << path.c_str();
    return false;
}

bool SwwwWallpaper::Set(const std::string& picturePath) {
    return Show({}, picturePath);
}

bool SwwwWallpaper::SetEach(const std::vector<MonitorPicture>& pictures) {
    return ShowOnEachMonitor(pictures, [this](const std::string& monitor, const std::string& path) {
        return Show(monitor, path);
    });
}

bool SwwwWallpaper::Restore(const RecordedWallpaper& recorded) {
    bool succeeded = true;
    for (const auto& [output, shown] : recorded.Values) {
        if (shown.rfind("image: ", 0) == 0 && !recorded.Picture.empty()) {
            succeeded = Show(output, shown.substr(7)) && succeeded;
            continue;
        }
        const std::string colour = shown.rfind("color: ", 0) == 0 ? shown.substr(7) : "000000";
        succeeded = runner_->Run(client_, {"clear", colour, "-o", output}).Succeeded && succeeded;
    }
    return succeeded;
}
