#include "platform/ScreenSaver.h"

#include <sys/stat.h>

#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>
#include <vector>

#include "core/AtomicFile.h"
#include "core/Exceptions.h"
#include "core/Util.h"
#include "core/UtilFile.h"
#include "core/UtilText.h"
#include "platform/Folders.h"
#include "platform/PlatformLog.h"
#include "platform/RegistryStore.h"
#include "platform/Utf8.h"

namespace {

constexpr const char* PathLocation = "Util::SetScreenSaver (264)";
constexpr const char* RegistryLocation = "Util::SetScreenSaver (266)";
constexpr const char* ActivateLocation = "Util::SetScreenSaver (273)";

// The buffer of the Windows short path, terminator included.
constexpr std::size_t PathBufferLength = 520;
// xscreensaver's own files hold a few hundred lines.
constexpr std::size_t MaximumSettingsBytes = UtilFile::MiB;
constexpr const char* ControlCommand = "xscreensaver-command";

// One resource of the file: its bytes [Begin, End), the last physical line's included, and
// what xscreensaver reads from them.
struct Resource {
    std::size_t Begin = 0;
    std::size_t LastLineBegin = 0;
    std::size_t End = 0;
    std::string Key;    // empty for comments, blank and unparsable lines
    std::string Value;  // after the ":", escapes undone, not trimmed
};

// xscreensaver undoes "\n", "\r" and "\t", and takes any other escaped character as it
// stands; a backslash at the very end is dropped.
std::string Unescaped(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            plain += text[i];
        } else if (++i < text.size()) {
            plain += text[i] == 'n'   ? '\n'
                     : text[i] == 'r' ? '\r'
                     : text[i] == 't' ? '\t'
                                      : text[i];
        }
    }
    return plain;
}

// The file cut into resources as xscreensaver reads it: a line whose last character before
// its line feed is a backslash goes on in the next line, whatever precedes the backslash.
std::vector<Resource> Resources(std::string_view text) {
    std::vector<Resource> resources;
    std::size_t position = 0;
    while (position < text.size()) {
        Resource resource;
        resource.Begin = position;
        std::string joined;
        for (;;) {
            resource.LastLineBegin = position;
            const std::size_t feed = text.find('\n', position);
            const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
            std::string_view line = text.substr(position, end - position);
            position = feed == std::string_view::npos ? text.size() : feed + 1;
            if (feed == std::string_view::npos || !line.ends_with('\\')) {
                joined += line;
                break;
            }
            line.remove_suffix(1);
            joined += line;
        }
        resource.End = position;
        const std::string plain = Unescaped(joined);
        const std::string_view content = UtilText::Trim(plain);
        const std::size_t colon = content.find(':');
        if (!content.starts_with('#') && !content.starts_with('!') &&
            colon != std::string_view::npos) {
            resource.Key = UtilText::Trim(content.substr(0, colon));
            // Untrimmed: whether the value ends in a line feed decides how an entry is added.
            resource.Value = plain.substr(content.data() - plain.data() + colon + 1);
        }
        resources.push_back(std::move(resource));
    }
    return resources;
}

std::vector<std::string> Entries(std::string_view programs) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= programs.size()) {
        std::size_t feed = programs.find('\n', start);
        if (feed == std::string_view::npos) {
            feed = programs.size();
        }
        const std::string_view entry = UtilText::Trim(programs.substr(start, feed - start));
        if (!entry.empty()) {
            entries.emplace_back(entry);
        }
        start = feed + 1;
    }
    return entries;
}

// The program an entry runs: the first word of its command as sh reads it, after the marks
// that may precede the command (a "-" for a disabled entry, a visual such as "GL:", a name
// in double quotes).
std::string ProgramOf(std::string_view entry) {
    if (entry.starts_with('-')) {
        entry = UtilText::Trim(entry.substr(1));
    }
    const std::size_t visualEnd =
        entry.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-");
    if (visualEnd != 0 && visualEnd != std::string_view::npos && entry[visualEnd] == ':') {
        entry = UtilText::Trim(entry.substr(visualEnd + 1));
    }
    if (entry.starts_with('"')) {
        const std::size_t nameEnd = entry.find('"', 1);
        entry = nameEnd == std::string_view::npos ? std::string_view()
                                                  : UtilText::Trim(entry.substr(nameEnd + 1));
    }
    std::string word;
    for (std::size_t i = 0; i < entry.size() && entry[i] != ' ' && entry[i] != '\t'; ++i) {
        if (entry[i] == '\'') {
            const std::size_t close = std::min(entry.find('\'', i + 1), entry.size());
            word += entry.substr(i + 1, close - i - 1);
            i = close;
        } else if (entry[i] == '"') {
            for (++i; i < entry.size() && entry[i] != '"'; ++i) {
                if (entry[i] == '\\' && i + 1 < entry.size() &&
                    std::string_view("\"\\$`").find(entry[i + 1]) != std::string_view::npos) {
                    ++i;
                }
                word += entry[i];
            }
        } else if (entry[i] == '\\' && i + 1 < entry.size()) {
            word += entry[++i];
        } else {
            word += entry[i];
        }
    }
    return word;
}

// The entry's line in the file, laid out as xscreensaver lays out its own. The path is in
// single quotes, which sh reads as they stand (a double-quoted start would be taken for the
// entry's name); xscreensaver draws on the root window by default, which "-root" asks for.
std::string EntryLine(const std::string& program) {
    std::string quoted = "'";
    for (const char c : program) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    quoted += "' -root";
    std::string line = "\t\t\t\t";
    for (const char c : quoted) {
        line += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return line + "\t\t\t\t    \\n";
}

// The resource's bytes with the entry's line added at the end of its value.
std::string WithEntryAdded(std::string_view text, const Resource& programs,
                           const std::string& program) {
    std::string_view lastLine =
        text.substr(programs.LastLineBegin, programs.End - programs.LastLineBegin);
    const std::string_view feed = lastLine.ends_with('\n') ? "\n" : "";
    lastLine.remove_suffix(feed.size());
    // The entries before it need a line feed of their own unless the value ends in one.
    std::string_view value = programs.Value;
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
        value.remove_suffix(1);
    }
    std::string_view goOn = value.empty() || value.ends_with('\n') ? "\\" : "\\n\\";
    // A backslash that ends the file's last line is one xscreensaver drops; it serves here.
    if (lastLine.ends_with('\\')) {
        goOn.remove_prefix(1);
    }
    return std::string(text.substr(programs.Begin, programs.LastLineBegin - programs.Begin)) +
           std::string(lastLine) + std::string(goOn) + "\n" + EntryLine(program) +
           std::string(feed);
}

// The file's text with the program's entry selected to run alone: the entry of that program
// if the programs list has one (the last "programs" resource counts, as in xscreensaver),
// else a new one after the others; every "mode" and "selected" resource replaced, the ones
// missing added ahead of the programs list. Every other byte stays.
std::string WithProgramSelected(const std::string& text, const std::string& program) {
    const std::vector<Resource> resources = Resources(text);
    const Resource* programs = nullptr;
    bool hasMode = false;
    bool hasSelected = false;
    for (const Resource& resource : resources) {
        if (UtilText::EqualsIgnoringAsciiCase(resource.Key, "programs")) {
            programs = &resource;
        }
        hasMode = hasMode || UtilText::EqualsIgnoringAsciiCase(resource.Key, "mode");
        hasSelected = hasSelected || UtilText::EqualsIgnoringAsciiCase(resource.Key, "selected");
    }
    const std::vector<std::string> entries =
        programs != nullptr ? Entries(programs->Value) : std::vector<std::string>();
    std::size_t selected = 0;
    while (selected < entries.size() && ProgramOf(entries[selected]) != program) {
        ++selected;
    }
    const bool found = selected < entries.size();
    const std::string modeLine = "mode:\t\tone";
    const std::string selectedLine = "selected:\t" + std::to_string(selected);
    const std::string missing =
        (hasMode ? "" : modeLine + "\n") + (hasSelected ? "" : selectedLine + "\n");

    std::string result;
    for (const Resource& resource : resources) {
        const std::string_view bytes(text.data() + resource.Begin, resource.End - resource.Begin);
        const std::string_view feed = bytes.ends_with('\n') ? "\n" : "";
        if (UtilText::EqualsIgnoringAsciiCase(resource.Key, "mode")) {
            result += modeLine + std::string(feed);
        } else if (UtilText::EqualsIgnoringAsciiCase(resource.Key, "selected")) {
            result += selectedLine + std::string(feed);
        } else if (&resource == programs) {
            result += missing;
            result += found ? std::string(bytes) : WithEntryAdded(text, resource, program);
        } else {
            result += bytes;
        }
    }
    if (programs == nullptr) {
        // The new lines must not be taken into a last line that is left open.
        if (!result.empty() && !result.ends_with('\n')) {
            result += '\n';
        }
        if (result.ends_with("\\\n")) {
            result += '\n';
        }
        result += missing + "programs:\t\t\t\t\t\t\t\t      \\\n" + EntryLine(program) + "\n";
    }
    return result;
}

// The path as the Windows short-path step would take it: an existing file, named in
// full, that fits its buffer; and one that fits on a line of the programs list.
void CheckPath(const std::string& path) {
    const auto isControl = [](unsigned char c) { return c < 0x20 || c == 0x7F; };
    if (!path.starts_with('/') || std::any_of(path.begin(), path.end(), isControl) ||
        !Utf8::IsValid(path)) {
        RaiseError(PathLocation, "not an absolute UTF-8 path without control characters");
    }
    if (Utf8::WideLength(path) >= PathBufferLength) {
        RaiseError(PathLocation, "the path is too long");
    }
    if (!UtilFile::IsRegularFile(path)) {
        RaiseError(PathLocation, "no such file");
    }
}

// The settings file's text; empty when there is none.
std::string ReadSettings(const std::string& path) {
    // lstat: a link that leads nowhere is something of that name, not a missing file.
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0 && errno == ENOENT) {
        return {};
    }
    try {
        return UtilFile::ReadFileAscii(path, MaximumSettingsBytes);
    } catch (const ApplicationException& error) {
        RaiseError(ActivateLocation, (path + " cannot be read: " + FailureReason(error)).c_str());
    }
}

void RecordInRegistry(const std::string& screenSaverPath) {
    try {
        RegistryStore store = RegistryStore::Open(RegistryRoot::CurrentUser);
        store.SetString("Control Panel\\Desktop", "SCRNSAVE.EXE", screenSaverPath);
        store.Save();
    } catch (...) {
        RaiseError(RegistryLocation, CurrentExceptionText().c_str());
    }
}

}  // namespace

bool XScreenSaverOnPath() {
    return !QStandardPaths::findExecutable("xscreensaver").isEmpty();
}

bool Util::SetScreenSaver(const std::string& screenSaverPath) {
    ProcessCommandRunner runner;
    return SetScreenSaver(screenSaverPath, {XScreenSaverOnPath, runner});
}

bool Util::SetScreenSaver(const std::string& screenSaverPath, const ScreenSaverSystem& system) {
    try {
        CheckPath(screenSaverPath);
        if (!system.XScreenSaverInstalled()) {
            RaiseError(ActivateLocation, "xscreensaver is not installed");
        }
        const std::optional<std::string> home = Folders::HomeFolder();
        if (!home) {
            RaiseError(ActivateLocation, "no home folder");
        }
        const std::string settingsPath = Util::AppendBackslash(*home) + ".xscreensaver";
        const std::string settings = ReadSettings(settingsPath);
        // Written to its temporary file first, so that a home that takes no file fails
        // before the registry is touched.
        AtomicFileWriter file(settingsPath, ActivateLocation);
        file.Write(WithProgramSelected(settings, screenSaverPath), ActivateLocation);
        RecordInRegistry(screenSaverPath);
        file.Commit();
    } catch (...) {
        qCWarning(lcPlatform) << "The screen saver is not set:" << CurrentExceptionText().c_str();
        return false;
    }
    // xscreensaver reads the file again when it next starts a screen saver; a restart makes
    // it take the change at once.
    if (!system.Runner.Run(ControlCommand, {"-restart"}).Succeeded) {
        qCInfo(lcPlatform) << "xscreensaver did not confirm a restart; it reads the new "
                              "settings when it next starts a screen saver";
    }
    return true;
}
