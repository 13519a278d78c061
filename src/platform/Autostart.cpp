#include "platform/Autostart.h"

#include <unistd.h>
#include <cerrno>
#include <fstream>

#include "core/AtomicFile.h"
#include "core/Exceptions.h"
#include "platform/Folders.h"
#include "platform/PlatformLog.h"
#include "platform/RegistryText.h"

namespace {

constexpr const char* Group = "[Desktop Entry]";

bool IsFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

// Nullopt when there is no config folder or the name is no file name.
std::optional<std::string> EntryPath(const std::string& name) {
    const std::optional<std::string> configHome = Folders::ConfigHome();
    if (!configHome || !IsFileName(name)) {
        return std::nullopt;
    }
    return *configHome + "autostart/" + name + ".desktop";
}

// The escapes of every string value; a value starts with a quote here, so "\s" is not needed.
std::string StringValue(const std::string& text) {
    std::string value;
    for (const char c : text) {
        switch (c) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
}

std::string UnescapeStringValue(std::string_view value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                text += ' ';
                break;
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case '\\':
                text += '\\';
                break;
            // Not a string escape: left for the quoting rules to read.
            default:
                text += '\\';
                text += value[i];
        }
    }
    return text;
}

// "%%" is a percent sign; every other field code expands to nothing for a program started
// without files or addresses.
std::string ExpandFieldCodes(const std::string& argument) {
    std::string expanded;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] != '%') {
            expanded += argument[i];
        } else if (i + 1 < argument.size() && argument[++i] == '%') {
            expanded += '%';
        }
    }
    return expanded;
}

}  // namespace

std::string DesktopEntryExec::Of(const std::string& program) {
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
        if (c == '%') {
            quoted += '%';
        }
    }
    return StringValue(quoted + '"');
}

std::optional<std::vector<std::string>> DesktopEntryExec::Arguments(std::string_view value) {
    const std::string text = UnescapeStringValue(value);
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
        if (i == text.size()) {
            return arguments;
        }
        std::string argument;
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i == text.size()) {
                    return std::nullopt;
                }
                if (text[i] == '"') {
                    ++i;
                    break;
                }
                if (text[i] == '\\') {
                    if (i + 1 == text.size() ||
                        std::string_view("\"`$\\").find(text[i + 1]) == std::string_view::npos) {
                        return std::nullopt;
                    }
                    ++i;
                }
                argument += text[i];
            }
        } else {
            for (; i < text.size() && text[i] != ' '; ++i) {
                argument += text[i];
            }
        }
        arguments.push_back(ExpandFieldCodes(argument));
    }
}

void AddStartupItem(const std::string& name, const std::string& exePath) {
    static constexpr const char* NoConfigFolder = "AddStartupItem (1)";
    static constexpr const char* BadName = "AddStartupItem (2)";
    static constexpr const char* WriteFailed = "AddStartupItem (3)";
    if (!Folders::ConfigHome()) {
        RaiseError(NoConfigFolder);
    }
    const std::optional<std::string> path = EntryPath(name);
    if (!path) {
        RaiseError(BadName);
    }
    if (!Folders::CreateFolders(path->substr(0, path->rfind('/')), 0700)) {
        RaiseError(WriteFailed);
    }
    AtomicFileWriter file(*path, WriteFailed);
    file.Write(std::string(Group) + "\nType=Application\nName=" + StringValue(name) +
                   "\nExec=" + DesktopEntryExec::Of(exePath) + "\n",
               WriteFailed);
    file.Commit();
}

std::optional<std::string> StartupItemPath(const std::string& name) {
    const std::optional<std::string> path = EntryPath(name);
    std::ifstream file(path.value_or(""));
    if (!path || !file) {
        return std::nullopt;
    }
    std::optional<std::string> exec;
    bool inGroup = false;
    for (std::string line; std::getline(file, line);) {
        const std::string_view text = RegistryText::TrimBlanks(line);
        if (text.starts_with('[')) {
            inGroup = text == Group;
            continue;
        }
        const std::size_t equals = text.find('=');
        if (!inGroup || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = RegistryText::TrimBlanks(text.substr(0, equals));
        const std::string_view value = RegistryText::TrimBlanks(text.substr(equals + 1));
        if (key == "Hidden" && value == "true") {
            return std::nullopt;
        }
        if (key == "Exec") {
            exec = std::string(value);
        }
    }
    if (!exec) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::string>> arguments = DesktopEntryExec::Arguments(*exec);
    if (!arguments || arguments->empty()) {
        return std::nullopt;
    }
    return arguments->front();
}

void Util::RemoveStartupItem(const std::string& name) {
    static constexpr const char* Location = "Util::RemoveStartupItem (646)";
    try {
        const std::optional<std::string> path = EntryPath(name);
        if (!path || (::unlink(path->c_str()) != 0 && errno != ENOENT)) {
            RaiseError(Location);
        }
    } catch (...) {
        qCInfo(lcPlatform) << "The autostart entry stays:" << CurrentExceptionText().c_str();
    }
}
