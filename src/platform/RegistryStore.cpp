#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "core/Exceptions.h"
#include "core/UtilFile.h"
#include "core/UtilText.h"
#include "platform/Folders.h"
#include "platform/RegistryText.h"

#ifndef SKYVANE_MACHINE_REGISTRY_PATH
#error "SKYVANE_MACHINE_REGISTRY_PATH comes from the build"
#endif

struct RegistryStore::ParseState {
    std::string Pending;
    bool Overlong = false;
    bool OverlongKeyLine = false;
    bool FirstLine = true;
    std::optional<std::size_t> CurrentKey;
};

using namespace RegistryText;
using UtilText::EqualsIgnoringAsciiCase;

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string_view HiveName(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// Closes and, given its path, removes the half-written file without disturbing the errno
// of the failure.
void DiscardTemporary(int descriptor, const std::string& path) {
    const int error = errno;
    // Removed while still locked, so that no waiting saver takes it over first.
    if (!path.empty()) {
        ::unlink(path.c_str());
    }
    if (descriptor >= 0) {
        ::close(descriptor);
    }
    errno = error;
}

// Another process saving the same store uses the same temporary name, so the file is
// locked while it is written and renamed. A waiter that gets the lock after the file was
// renamed away holds the wrong file and starts again. A stale file from an interrupted save
// is simply reused; O_NOFOLLOW keeps a link under that name from redirecting the write.
int OpenLockedTemporary(const std::string& path, mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int descriptor =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
        if (descriptor < 0) {
            return -1;
        }
        int locked = 0;
        do {
            locked = ::flock(descriptor, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        struct stat opened {};
        struct stat named {};
        if (locked != 0 || ::fstat(descriptor, &opened) != 0) {
            DiscardTemporary(descriptor, {});
            return -1;
        }
        if (::lstat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
            named.st_ino == opened.st_ino) {
            if (!S_ISREG(opened.st_mode)) {
                ::close(descriptor);
                errno = EINVAL;
                return -1;
            }
            if (::ftruncate(descriptor, 0) != 0) {
                DiscardTemporary(descriptor, {});
                return -1;
            }
            return descriptor;
        }
        ::close(descriptor);
    }
    errno = EBUSY;
    return -1;
}

}  // namespace

RegistryStore::RegistryStore(RegistryRoot root, std::string path)
    : root_(root), path_(std::move(path)) {}

std::optional<std::string> RegistryStore::DefaultPath(RegistryRoot root) {
    const bool user = root == RegistryRoot::CurrentUser;
    const char* overridden =
        std::getenv(user ? "SKYVANE_USER_REGISTRY" : "SKYVANE_MACHINE_REGISTRY");
    if (overridden != nullptr && overridden[0] != '\0') {
        return std::string(overridden);
    }
    if (!user) {
        return std::string(SKYVANE_MACHINE_REGISTRY_PATH);
    }
    const std::optional<std::string> config = Folders::ConfigHome();
    if (!config) {
        return std::nullopt;
    }
    return *config + "skyvane/registry.reg";
}

std::optional<RegistryStore> RegistryStore::TryLoad(RegistryRoot root, std::string path) {
    RegistryStore store(root, std::move(path));
    // Non-blocking so that a FIFO in the store's place cannot hang the program.
    const int descriptor = ::open(store.path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return store;
        }
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        ::close(descriptor);
        errno = error;
        return std::nullopt;
    }
    ParseState state;
    std::vector<char> buffer(std::size_t{1} << 16);
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(descriptor);
            errno = error;
            return std::nullopt;
        }
        if (count == 0) {
            break;
        }
        store.Feed(state, std::string_view(buffer.data(), static_cast<std::size_t>(count)));
    }
    ::close(descriptor);
    store.Finish(state);
    return store;
}

RegistryStore RegistryStore::Load(RegistryRoot root, std::string path) {
    static constexpr const char* Location = "RegistryStore::Load (1)";
    std::optional<RegistryStore> store = TryLoad(root, std::move(path));
    if (!store) {
        RaiseError(Location);
    }
    return std::move(*store);
}

RegistryStore RegistryStore::Open(RegistryRoot root) {
    static constexpr const char* Location = "RegistryStore::Open (1)";
    std::optional<std::string> path = DefaultPath(root);
    if (!path) {
        RaiseError(Location);
    }
    return Load(root, std::move(*path));
}

RegistryStore RegistryStore::Parse(RegistryRoot root, std::string path, std::string_view text) {
    RegistryStore store(root, std::move(path));
    ParseState state;
    store.Feed(state, text);
    store.Finish(state);
    return store;
}

void RegistryStore::Feed(ParseState& state, std::string_view chunk) {
    while (!chunk.empty()) {
        const std::size_t end = chunk.find('\n');
        const std::string_view piece = chunk.substr(0, end);
        if (!state.Overlong) {
            if (state.Pending.size() + piece.size() <= MaxLineLength) {
                state.Pending.append(piece);
            } else {
                // Only the first character matters from here on: a damaged key line must
                // still end the previous key.
                char first = FirstVisible(state.Pending);
                if (first == '\0') {
                    first = FirstVisible(piece);
                }
                state.Overlong = true;
                state.OverlongKeyLine = first == '[';
                state.Pending.clear();
            }
        }
        if (end == std::string_view::npos) {
            return;
        }
        if (state.Overlong) {
            if (state.OverlongKeyLine) {
                state.CurrentKey.reset();
            }
            state.Overlong = false;
        } else {
            ParseLine(state, state.Pending);
        }
        state.Pending.clear();
        state.FirstLine = false;
        chunk.remove_prefix(end + 1);
    }
}

void RegistryStore::Finish(ParseState& state) {
    if (state.Overlong) {
        return;
    }
    if (!state.Pending.empty()) {
        ParseLine(state, state.Pending);
    }
    state.Pending.clear();
}

void RegistryStore::ParseLine(ParseState& state, std::string_view line) {
    if (state.FirstLine && line.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
        line.remove_prefix(ByteOrderMark.size());
    }
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';') {
        return;
    }
    if (line.front() == '[') {
        const std::optional<std::string_view> keyPath = ParseKeyLine(line, HiveName(root_));
        state.CurrentKey = keyPath ? std::optional(FindOrAddKey(*keyPath)) : std::nullopt;
        return;
    }
    if (!state.CurrentKey) {
        return;
    }
    std::optional<NamedValue> value = ParseValueLine(line);
    if (value) {
        StoreValue(*state.CurrentKey, value->Name, std::move(value->Value));
    }
}

const RegistryStore::Key* RegistryStore::FindKey(std::string_view keyPath) const {
    for (const Key& key : keys_) {
        if (EqualsIgnoringAsciiCase(key.Path, keyPath)) {
            return &key;
        }
    }
    return nullptr;
}

const RegistryStore::Value* RegistryStore::FindValue(std::string_view keyPath,
                                                     std::string_view valueName) const {
    const Key* key = FindKey(keyPath);
    if (key == nullptr) {
        return nullptr;
    }
    for (const Value& value : key->Values) {
        if (EqualsIgnoringAsciiCase(value.Name, valueName)) {
            return &value;
        }
    }
    return nullptr;
}

std::size_t RegistryStore::FindOrAddKey(std::string_view keyPath) {
    // As in the registry, a new key keeps the spelling of the parents that already exist.
    std::size_t sharedLength = 0;
    const std::string* spelling = nullptr;
    for (std::size_t index = 0; index < keys_.size(); ++index) {
        const std::size_t shared = SharedPartsLength(keys_[index].Path, keyPath);
        if (shared == keyPath.size() && shared == keys_[index].Path.size()) {
            return index;
        }
        if (shared > sharedLength) {
            sharedLength = shared;
            spelling = &keys_[index].Path;
        }
    }
    std::string path(keyPath);
    if (spelling != nullptr) {
        path.replace(0, sharedLength, *spelling, 0, sharedLength);
    }
    keys_.push_back(Key{std::move(path), {}});
    return keys_.size() - 1;
}

void RegistryStore::StoreValue(std::size_t keyIndex, std::string_view valueName,
                               std::variant<std::string, Binary> data) {
    std::vector<Value>& values = keys_[keyIndex].Values;
    for (Value& value : values) {
        if (EqualsIgnoringAsciiCase(value.Name, valueName)) {
            value.Data = std::move(data);
            return;
        }
    }
    values.push_back(Value{std::string(valueName), std::move(data)});
}

bool RegistryStore::FitsOnLines(std::string_view keyPath, const Value& value) const {
    return FormatKeyLine(HiveName(root_), keyPath).size() <= MaxLineLength &&
           FormatValueLine(value.Name, value.Data).size() <= MaxLineLength;
}

bool RegistryStore::KeyExists(std::string_view keyPath) const {
    if (keyPath.empty()) {
        return true;
    }
    return std::any_of(keys_.begin(), keys_.end(), [keyPath](const Key& key) {
        return SharedPartsLength(key.Path, keyPath) == keyPath.size();
    });
}

std::optional<std::string> RegistryStore::GetString(std::string_view keyPath,
                                                    std::string_view valueName) const {
    const Value* value = FindValue(keyPath, valueName);
    if (value == nullptr || !std::holds_alternative<std::string>(value->Data)) {
        return std::nullopt;
    }
    return std::get<std::string>(value->Data);
}

std::optional<RegistryStore::Binary> RegistryStore::GetBinary(std::string_view keyPath,
                                                              std::string_view valueName) const {
    const Value* value = FindValue(keyPath, valueName);
    if (value == nullptr || !std::holds_alternative<Binary>(value->Data)) {
        return std::nullopt;
    }
    return std::get<Binary>(value->Data);
}

void RegistryStore::SetString(std::string_view keyPath, std::string_view valueName,
                              std::string_view value) {
    static constexpr const char* Location = "RegistryStore::SetString (1)";
    Value stored{std::string(valueName), std::string(value)};
    if (!IsValidKeyPath(keyPath) || !IsStorableText(valueName) || !IsStorableText(value) ||
        !FitsOnLines(keyPath, stored)) {
        throw ArgumentException(Location);
    }
    StoreValue(FindOrAddKey(keyPath), valueName, std::move(stored.Data));
}

void RegistryStore::SetBinary(std::string_view keyPath, std::string_view valueName,
                              const Binary& value) {
    static constexpr const char* Location = "RegistryStore::SetBinary (1)";
    Value stored{std::string(valueName), value};
    if (!IsValidKeyPath(keyPath) || !IsStorableText(valueName) || !FitsOnLines(keyPath, stored)) {
        throw ArgumentException(Location);
    }
    StoreValue(FindOrAddKey(keyPath), valueName, std::move(stored.Data));
}

bool RegistryStore::DeleteValue(std::string_view keyPath, std::string_view valueName) {
    for (Key& key : keys_) {
        if (!EqualsIgnoringAsciiCase(key.Path, keyPath)) {
            continue;
        }
        const auto found = std::find_if(
            key.Values.begin(), key.Values.end(),
            [&](const Value& value) { return EqualsIgnoringAsciiCase(value.Name, valueName); });
        if (found == key.Values.end()) {
            return false;
        }
        key.Values.erase(found);
        return true;
    }
    return false;
}

std::string RegistryStore::ToText() const {
    std::string text(Header);
    text += "\n";
    for (const Key& key : keys_) {
        text += '\n';
        text += FormatKeyLine(HiveName(root_), key.Path);
        text += '\n';
        for (const Value& value : key.Values) {
            text += FormatValueLine(value.Name, value.Data);
            text += '\n';
        }
    }
    return text;
}

void RegistryStore::Save() const {
    static constexpr const char* PathLocation = "RegistryStore::Save (1)";
    static constexpr const char* FolderLocation = "RegistryStore::Save (2)";
    static constexpr const char* CreateLocation = "RegistryStore::Save (3)";
    static constexpr const char* WriteLocation = "RegistryStore::Save (4)";
    static constexpr const char* SyncLocation = "RegistryStore::Save (5)";
    static constexpr const char* RenameLocation = "RegistryStore::Save (6)";

    if (path_.empty() || path_.back() == '/') {
        errno = EINVAL;
        RaiseError(PathLocation);
    }
    const bool user = root_ == RegistryRoot::CurrentUser;
    const std::size_t slash = path_.find_last_of('/');
    if (slash != std::string::npos && slash > 0 &&
        !Folders::CreateFolders(path_.substr(0, slash), user ? 0700 : 0755)) {
        RaiseError(FolderLocation);
    }

    // The new file takes the old one's permissions, so a hand-tightened store stays so.
    struct stat old {};
    const bool hadOld = ::stat(path_.c_str(), &old) == 0;
    const mode_t mode = hadOld ? (old.st_mode & 07777) : (user ? 0600 : 0644);

    const std::string temporary = path_ + ".temp";
    const int descriptor = OpenLockedTemporary(temporary, mode);
    if (descriptor < 0) {
        RaiseError(CreateLocation);
    }
    ::fchmod(descriptor, mode);
    if (!UtilFile::WriteAll(descriptor, ToText())) {
        DiscardTemporary(descriptor, temporary);
        RaiseError(WriteLocation);
    }
    if (::fsync(descriptor) != 0) {
        DiscardTemporary(descriptor, temporary);
        RaiseError(SyncLocation);
    }
    // Renamed before it is closed: closing drops the lock another saver is waiting for.
    if (::rename(temporary.c_str(), path_.c_str()) != 0) {
        DiscardTemporary(descriptor, temporary);
        RaiseError(RenameLocation);
    }
    ::close(descriptor);
    UtilFile::SyncFolderOf(path_);
}
