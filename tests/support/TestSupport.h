#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Exceptions.h"

namespace TestSupport {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "skyvane-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& Path() const { return path_; }
    // The folder as the program spells folders: with a trailing "/".
    std::string Folder() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

// Sets or clears environment variables and puts back their old values when it ends.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    // One variable; nullopt clears it.
    ScopedEnvironment(const std::string& name, const std::optional<std::string>& value) {
        value.has_value() ? Set(name, *value) : Unset(name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        }
    }

    void Set(const std::string& name, const std::string& value) {
        Remember(name);
        setenv(name.c_str(), value.c_str(), 1);
    }
    void Unset(const std::string& name) {
        Remember(name);
        unsetenv(name.c_str());
    }

private:
    void Remember(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        saved_.try_emplace(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    std::map<std::string, std::optional<std::string>> saved_;
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

// Writes the file, creating its folders first.
inline void WriteWholeFile(const std::filesystem::path& path, const std::string& content) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << content;
    if (!stream) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// The lines of a text whose every line ends in lineEnd; unterminatedTail gets
// what follows the last line end (empty when the text ends with one).
inline std::vector<std::string> LinesEndingIn(const std::string& text, const std::string& lineEnd,
                                              std::string& unterminatedTail) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find(lineEnd); end != std::string::npos;
         end = text.find(lineEnd, start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + lineEnd.size();
    }
    unterminatedTail = text.substr(start);
    return lines;
}

// The location text of the exception of the given type that the call raises,
// or "no exception". An exception of another type escapes and fails the test,
// which is how tests tell ArgumentException from ArgumentNullException.
template <class Exception = ApplicationException, class Function>
std::string LocationOf(Function&& function) {
    try {
        function();
    } catch (const Exception& error) {
        return error.Location;
    }
    return "no exception";
}

}  // namespace TestSupport
