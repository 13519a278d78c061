#include "platform/Folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/Exceptions.h"

namespace {

constexpr mode_t PrivateFolderMode = 0700;

std::string WithTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

std::optional<std::string> HomeOfUserDatabase() {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    for (;;) {
        const int error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error != ERANGE || buffer.size() >= (1U << 20)) {
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr || !IsAbsolute(found->pw_dir)) {
        return std::nullopt;
    }
    return std::string(found->pw_dir);
}

// The XDG rule: the variable counts only when it holds an absolute path.
std::optional<std::string> XdgFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (IsAbsolute(value)) {
        return WithTrailingSlash(value);
    }
    const std::optional<std::string> home = Folders::HomeFolder();
    if (!home) {
        return std::nullopt;
    }
    return WithTrailingSlash(*home) + underHome;
}

bool IsPrivateFolderOfUser(const struct stat& status) {
    return S_ISDIR(status.st_mode) && status.st_uid == ::getuid() && (status.st_mode & 077) == 0;
}

// The user's own cache folder is a place no other user can take first, unlike a
// name in the shared temporary folder. Checked and tightened through a descriptor
// that refuses a link, so that what is checked is what later opens find.
std::optional<std::string> PrivateCacheFolder() {
    const std::optional<std::string> cache = XdgFolder("XDG_CACHE_HOME", ".cache/");
    if (!cache) {
        return std::nullopt;
    }
    const std::string folder = *cache + "skyvane";
    if (!Folders::CreateFolders(folder, PrivateFolderMode)) {
        return std::nullopt;
    }
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        return std::nullopt;
    }
    struct stat status {};
    bool usable =
        ::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::getuid();
    if (usable && !IsPrivateFolderOfUser(status)) {
        usable = ::fchmod(descriptor, PrivateFolderMode) == 0;
    }
    ::close(descriptor);
    return usable ? std::optional<std::string>(folder + "/") : std::nullopt;
}

std::optional<std::string> Created(std::optional<std::string> folder) {
    if (!folder || !Folders::CreateFolders(*folder, PrivateFolderMode)) {
        return std::nullopt;
    }
    return folder;
}

}  // namespace

std::optional<std::string> Folders::HomeFolder() {
    const char* home = std::getenv("HOME");
    if (IsAbsolute(home)) {
        return std::string(home);
    }
    return HomeOfUserDatabase();
}

std::optional<std::string> Folders::ConfigHome() {
    return XdgFolder("XDG_CONFIG_HOME", ".config/");
}

std::optional<std::string> Folders::DataHome() {
    return XdgFolder("XDG_DATA_HOME", ".local/share/");
}

std::optional<std::string> Folders::RoamingAppData() {
    return Created(ConfigHome());
}

std::optional<std::string> Folders::LocalAppData() {
    return Created(DataHome());
}

std::optional<std::string> Folders::SystemFolder() {
    const char* overridden = std::getenv("SKYVANE_SYSTEM_DIR");
    if (overridden != nullptr && overridden[0] != '\0') {
        return Created(WithTrailingSlash(overridden));
    }
    const std::optional<std::string> home = HomeFolder();
    if (!home) {
        return std::nullopt;
    }
    return Created(WithTrailingSlash(*home) + ".local/bin/");
}

std::optional<std::string> Folders::RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat status {};
    if (IsAbsolute(runtime) && ::stat(runtime, &status) == 0 && IsPrivateFolderOfUser(status)) {
        return WithTrailingSlash(runtime);
    }
    return PrivateCacheFolder();
}

bool Folders::CreateFolders(const std::string& path, mode_t mode) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    struct stat status {};
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string prefix = path.substr(0, end);
        if (::stat(prefix.c_str(), &status) != 0) {
            if (::mkdir(prefix.c_str(), mode) != 0 && errno != EEXIST) {
                return false;
            }
        } else if (!S_ISDIR(status.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        if (end == std::string::npos) {
            break;
        }
    }
    // Someone may have put something else there between the checks and the last mkdir.
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

void Folders::EmptyFolder(const std::string& path) {
    const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return;
    }
    DIR* listing = ::fdopendir(folder);
    if (listing == nullptr) {
        ::close(folder);
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) {
            continue;
        }
        // lstat semantics: a link is judged as the link itself, and unlinkat never follows
        // it, so a target elsewhere stays whatever happens between the two calls.
        struct stat status {};
        if (::fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode)) {
            ::unlinkat(folder, entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

std::string Util::GetSystemDirectoryW() {
    // A failed lookup leaves the static unset, so a later call tries again.
    static const std::string folder = [] {
        static constexpr const char* Location = "Util::GetSystemDirectoryW (217)";
        std::optional<std::string> found = Folders::SystemFolder();
        if (!found) {
            RaiseError(Location);
        }
        return *found;
    }();
    return folder;
}
