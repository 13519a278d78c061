#include "app/Program.h"

#include <linux/limits.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "app/AppLog.h"
#include "app/ProgramState.h"
#include "core/Exceptions.h"
#include "core/Util.h"
#include "core/UtilFile.h"
#include "core/UtilText.h"
#include "platform/InstanceChannel.h"

namespace Program {
namespace Detail {

ProcessValues& Values() {
    static ProcessValues values;
    return values;
}

}  // namespace Detail

namespace {

using Detail::Values;

// Written once by the main thread, read by the worker without a lock.
std::atomic<bool> exiting{false};

struct EditionNames {
    std::string DisplayName;
    std::string FolderName;
    std::string KindName;
    std::string HiddenWindowClassName;
};

const EditionNames& NamesOf(EnumAppKind kind) {
    static const EditionNames names[] = {
        {"Terravue", "Terravue", "Earth", "Earth_FormHidden"},
        {"Nimbara", "Nimbara", "Weather", "Weather_FormHidden"},
        {"Meridio", "Meridio", "TimeZones", "TimeZones_FormHidden"},
    };
    return names[static_cast<int>(kind)];
}

// PATH_MAX is the Linux counterpart of the fixed path buffers: a longer path
// cannot be handed to the system at all.
constexpr std::size_t PathBufferSize = PATH_MAX;

bool IsExecutableFile(const std::string& path) {
    return UtilFile::IsRegularFile(path) && access(path.c_str(), X_OK) == 0;
}

// A bare name was found through PATH by whoever started us; look it up the same way.
std::string FindOnSearchPath(const std::string& name) {
    const char* searchPath = std::getenv("PATH");
    if (searchPath == nullptr) {
        return {};
    }
    std::string_view remaining(searchPath);
    while (true) {
        const std::size_t colon = remaining.find(':');
        std::string folder(remaining.substr(0, colon));
        if (folder.empty()) {
            folder = ".";
        }
        const std::string candidate = folder + "/" + name;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        remaining.remove_prefix(colon + 1);
    }
}

// When even PATH does not know the name (a caller may pass any argv[0]), keep
// the name but take the folder of the running image.
std::string BesideRunningImage(const std::string& name) {
    std::error_code error;
    const auto image = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return image.parent_path().string() + "/" + name;
}

// Splits a name into base and four-character extension. A name whose last four
// characters do not start with "." has no extension and counts as a desktop program.
void SplitExtension(const std::string& name, std::string& base, std::string& extension) {
    if (name.size() >= 4 && name[name.size() - 4] == '.') {
        base = name.substr(0, name.size() - 4);
        extension = name.substr(name.size() - 4);
    } else if (name.size() <= 4 && !name.empty() && name[0] == '.') {
        base.clear();
        extension = name;
    } else {
        base = name;
        extension = ".exe";
    }
}

std::vector<std::string> SwitchTokens(const std::string& commandLine) {
    std::vector<std::string> tokens;
    std::string current;
    for (const char c : commandLine) {
        if (c == ' ' || c == ':' || c == '\r' || c == '\n' || c == '\t') {
            if (!current.empty()) {
                tokens.push_back(std::move(current));
                current.clear();
            }
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) {
        tokens.push_back(std::move(current));
    }
    return tokens;
}

// Decimal as the switches give it, or an X11 window id in "0x" hex. A host that
// passes anything else hears of it: the message says what was wrong.
std::intptr_t ParseWindowHandle(const std::vector<std::string>& tokens, std::size_t next) {
    if (next >= tokens.size()) {
        return 0;
    }
    const std::string& token = tokens[next];
    static constexpr const char* Location = "Program::ParseWindowHandle (1)";
    const std::string notANumber = "the window id \"" + token + "\" is not a number";
    if (token.size() > 2 && token.compare(0, 2, "0x") == 0) {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(token.c_str() + 2, &end, 16);
        if (*end != '\0' || value > static_cast<unsigned long long>(INTPTR_MAX)) {
            throw ArgumentException(Location, notANumber.c_str());
        }
        return static_cast<std::intptr_t>(value);
    }
    try {
        return Util::ParseInt(token.c_str());
    } catch (const ArgumentException& error) {
        throw ArgumentException(error.Location.c_str(), notANumber.c_str());
    }
}

// xscreensaver starts its hacks with "-window-id ID", "-root" or "-window"
// (newer versions with two dashes), and names the window in
// XSCREENSAVER_WINDOW as well.
std::optional<HackDrawing> HackSwitch(std::string_view token) {
    if (token.rfind("--", 0) == 0) {
        token.remove_prefix(1);
    }
    if (token == "-window-id") {
        return HackDrawing::IntoWindow;
    }
    if (token == "-root") {
        return HackDrawing::OverRoot;
    }
    if (token == "-window") {
        return HackDrawing::OwnWindow;
    }
    return std::nullopt;
}

}  // namespace

void InitPathInfo(const char* startedAs) {
    auto& values = Values();
    std::string path = startedAs != nullptr ? startedAs : "";
    if (!path.empty() && path.find('/') == std::string::npos) {
        std::string found = FindOnSearchPath(path);
        path = found.empty() ? BesideRunningImage(path) : found;
    }
    if (path.empty() || path.size() >= PathBufferSize) {
        static constexpr const char* Location = "Program::InitPathInfo (1164)";
        RaiseError(Location);
    }

    if (path.front() != '/') {
        std::error_code error;
        const auto current = std::filesystem::current_path(error);
        if (error) {
            static constexpr const char* Location = "Program::InitPathInfo (1167)";
            RaiseError(Location);
        }
        path = current.string() + "/" + path;
    }
    if (path.size() >= PathBufferSize) {
        static constexpr const char* Location = "Program::InitPathInfo (1167)";
        RaiseError(Location);
    }

    // The long form of a Windows path has no Linux meaning; the closest is the
    // lexically normal form ("." and ".." steps removed) without resolving links.
    path = std::filesystem::path(path).lexically_normal().string();
    if (path.empty() || path.size() >= PathBufferSize || path.back() == '/') {
        static constexpr const char* Location = "Program::InitPathInfo (1170)";
        RaiseError(Location);
    }

    const std::size_t slash = path.rfind('/');
    values.PathExe = path;
    values.ExeFileName = path.substr(slash + 1);
    values.PathExeFolder = path.substr(0, slash + 1);
    std::string base;
    std::string extension;
    SplitExtension(values.ExeFileName, base, extension);
    values.ScreenSaverFileName = base + ".scr";
}

void DetermineAppMode(const std::string& commandLine) {
    auto& values = Values();
    std::string base;
    std::string extension;
    SplitExtension(UtilText::ToLowerAscii(values.ExeFileName), base, extension);

    EnumAppKind kind = EnumAppKind::TimeZones;
    if (base == "terravue") {
        kind = EnumAppKind::Earth;
    } else if (base == "nimbara") {
        kind = EnumAppKind::Weather;
    }

    EnumAppMode mode = EnumAppMode::Configure;
    std::intptr_t parentWindow = 0;
    HackDrawing hack = HackDrawing::None;
    const char* xscreensaverWindow = std::getenv("XSCREENSAVER_WINDOW");
    if (extension == ".exe") {
        mode = EnumAppMode::Desktop;
    } else if (extension == ".scr" && xscreensaverWindow != nullptr &&
               *xscreensaverWindow != '\0') {
        mode = EnumAppMode::ScreenSaver;
        hack = HackDrawing::IntoWindow;
        parentWindow = ParseWindowHandle({xscreensaverWindow}, 0);
    } else if (extension == ".scr") {
        const std::vector<std::string> tokens =
            SwitchTokens(UtilText::ToLowerAscii(std::string(UtilText::Trim(commandLine))));
        for (std::size_t index = 0; index < tokens.size(); ++index) {
            const std::string& token = tokens[index];
            if (const std::optional<HackDrawing> drawing = HackSwitch(token)) {
                mode = EnumAppMode::ScreenSaver;
                hack = *drawing;
                if (hack == HackDrawing::IntoWindow) {
                    parentWindow = ParseWindowHandle(tokens, index + 1);
                }
                break;
            }
            const std::size_t start = token.find_first_not_of("\\/-");
            if (start == std::string::npos) {
                continue;
            }
            const char first = token[start];
            if (first == 's') {
                mode = EnumAppMode::ScreenSaver;
                break;
            }
            if (first == 'c' || first == 'p') {
                mode = first == 'c' ? EnumAppMode::Configure : EnumAppMode::Preview;
                parentWindow = ParseWindowHandle(tokens, index + 1);
                break;
            }
        }
    } else {
        static constexpr const char* Location = "Program::DetermineAppMode (1944)";
        RaiseError(Location);
    }

    values.Kind = kind;
    values.Mode = mode;
    values.ParentWindow = parentWindow;
    values.Hack = hack;
}

namespace {

// A desktop start ends when a running instance holds the lock: quietly when that
// one took the message, with a problem to tell when it did not answer (it is busy,
// or someone floods its socket). Never a second resident instance. A start that
// cannot make the lock at all runs as if it were alone.
bool CheckDesktopInstance(int request) {
    auto channel = std::make_unique<InstanceChannel>(HiddenWindowClassName());
    if (!channel->HoldLock() && channel->AnotherInstanceRuns()) {
        const int message = request != 0 ? request : InstanceChannel::SecondDesktopStart;
        if (!channel->Send(static_cast<InstanceChannel::Message>(message))) {
            Values().StartProblem =
                AppDisplayName() + " already runs but did not answer; no second one is started";
        }
        return false;
    }
    Values().Instance = std::move(channel);
    Values().PendingRequest = request;
    return true;
}

// A configure start hands over to a running instance's options when it can.
bool CheckConfigureInstance() {
    InstanceChannel channel(HiddenWindowClassName());
    return !(channel.AnotherInstanceRuns() && channel.Send(InstanceChannel::ConfigureStart));
}

}  // namespace

int LauncherRequest(const std::string& argument) {
    static const std::pair<const char*, int> Requests[] = {
        {"--options", InstanceChannel::ConfigureStart},
        {"--earth", InstanceChannel::ShowEarthRequest},
        {"--local-weather", InstanceChannel::ShowLocalWeatherRequest},
        {"--time-zones", InstanceChannel::ShowTimeZonesRequest}};
    for (const auto& [name, request] : Requests) {
        if (argument == name) {
            return request;
        }
    }
    return 0;
}

int PendingRequest() {
    return Values().PendingRequest;
}

bool Initialize(const char* startedAs, const std::string& commandLine, bool checkInstance,
                int request) {
    try {
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        InitPathInfo(startedAs);
        DetermineAppMode(commandLine);
        if (checkInstance && Mode() == EnumAppMode::Desktop) {
            return CheckDesktopInstance(request);
        }
        if (Mode() == EnumAppMode::Configure) {
            return CheckConfigureInstance();
        }
        return true;
    } catch (const ApplicationException& error) {
        // Only a failure that says why is worth telling; the others end quietly.
        Values().StartProblem = error.Message;
        return false;
    } catch (...) {
        qCWarning(lcApp) << "the start failed:" << CurrentExceptionText().c_str();
        Values().StartProblem = CurrentExceptionText();
        return false;
    }
}

const std::string& StartProblem() {
    return Values().StartProblem;
}

InstanceChannel* Instance() {
    return Values().Instance.get();
}

void CloseInstanceMutex() {
    Values().Instance.reset();
}

bool QuitRunningInstance() {
    InstanceChannel channel(HiddenWindowClassName());
    return channel.Send(InstanceChannel::QuitRequest);
}

std::string CommandLineFromArguments(int argc, const char* const* argv) {
    std::string commandLine;
    for (int index = 1; index < argc; ++index) {
        if (index > 1) {
            commandLine += ' ';
        }
        commandLine += argv[index];
    }
    return commandLine;
}

EnumAppKind Kind() {
    return Values().Kind.Value();
}

EnumAppMode Mode() {
    return Values().Mode.Value();
}

std::intptr_t ParentWindow() {
    return Values().ParentWindow;
}

HackDrawing Hack() {
    return Values().Hack;
}

const std::string& PathExe() {
    return Values().PathExe;
}

const std::string& ExeFileName() {
    return Values().ExeFileName;
}

const std::string& ScreenSaverFileName() {
    return Values().ScreenSaverFileName;
}

const std::string& PathExeFolder() {
    return Values().PathExeFolder;
}

bool IsFirstRun() {
    return Values().IsFirstRun;
}

void SetFirstRun(bool firstRun) {
    Values().IsFirstRun = firstRun;
}

bool IsExiting() {
    return exiting.load(std::memory_order_acquire);
}

void SetExiting() {
    exiting.store(true, std::memory_order_release);
}

const std::string& AppDisplayName() {
    return NamesOf(Kind()).DisplayName;
}

const std::string& AppFolderName() {
    return NamesOf(Kind()).FolderName;
}

const std::string& AppKindName() {
    return NamesOf(Kind()).KindName;
}

const std::string& HiddenWindowClassName() {
    return NamesOf(Kind()).HiddenWindowClassName;
}

void ResetForTesting() {
    Values() = Detail::ProcessValues{};
    exiting.store(false);
}

}  // namespace Program
