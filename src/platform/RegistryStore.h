#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

enum class RegistryRoot { CurrentUser, LocalMachine };

// The little of the Windows registry the program needs, kept per root in a text file laid
// out like an exported registry file:
//
//     Skyvane Registry Store 1
//
//     [HKEY_CURRENT_USER\Software\Terravue]
//     "InstallationPath"="/usr/local/share/skyvane/"
//     "Blob"=hex:01,ff,00
//
// Key paths use "\" between their parts. Key paths and value names compare ignoring ASCII
// case and keep the spelling they were first written with. Strings are UTF-8; in quotes,
// "\\", "\"", "\n" and "\r" stand for a backslash, a quote, a line feed and a carriage
// return. "@" names the default (unnamed) value. A line the store cannot read is skipped,
// and so are the values after a key line it cannot read, so nothing lands in a wrong key.
class RegistryStore {
public:
    using Binary = std::vector<std::uint8_t>;

    static constexpr std::string_view Header = "Skyvane Registry Store 1";
    // Longer lines in a file are skipped; values that would need one are refused.
    static constexpr std::size_t MaxLineLength = std::size_t{1} << 20;

    // An empty store that saves to the path.
    RegistryStore(RegistryRoot root, std::string path);

    // The store file of the root: $SKYVANE_USER_REGISTRY, else
    // $XDG_CONFIG_HOME/skyvane/registry.reg, for the current user; $SKYVANE_MACHINE_REGISTRY,
    // else the build's system configuration folder, for the machine. Nullopt when the user
    // has no home.
    static std::optional<std::string> DefaultPath(RegistryRoot root);

    // Reads the file; a missing file is an empty store. Nullopt, with errno set, when the
    // file is there but cannot be read.
    static std::optional<RegistryStore> TryLoad(RegistryRoot root, std::string path);
    // As TryLoad; an unreadable file raises "RegistryStore::Load (1)".
    static RegistryStore Load(RegistryRoot root, std::string path);
    // Loads the store at DefaultPath; raises "RegistryStore::Open (1)" without a home.
    static RegistryStore Open(RegistryRoot root);
    // The store a file of this text at this path loads as.
    static RegistryStore Parse(RegistryRoot root, std::string path, std::string_view text);

    RegistryRoot Root() const { return root_; }
    const std::string& Path() const { return path_; }

    // A key exists when it was written or lies above one that was; "" is the root itself.
    bool KeyExists(std::string_view keyPath) const;
    // Nullopt when the key or value is missing or the value is of the other type.
    std::optional<std::string> GetString(std::string_view keyPath,
                                         std::string_view valueName) const;
    std::optional<Binary> GetBinary(std::string_view keyPath, std::string_view valueName) const;

    // Creates the key when missing and replaces a value of either type. Raises
    // ArgumentException for an empty or malformed key path, text that is not UTF-8 or holds
    // a NUL, or a value too long for one line.
    void SetString(std::string_view keyPath, std::string_view valueName, std::string_view value);
    void SetBinary(std::string_view keyPath, std::string_view valueName, const Binary& value);
    // The key stays, even when it has no values left. False when there was no such value.
    bool DeleteValue(std::string_view keyPath, std::string_view valueName);

    std::string ToText() const;
    // Writes "<path>.temp" under an exclusive lock, syncs it and renames it over the store,
    // creating missing folders on the way (0700 for the user's store). The file keeps the
    // old one's permissions. A failure raises "RegistryStore::Save (N)" and leaves the old
    // file as it was.
    void Save() const;

private:
    struct Value {
        std::string Name;
        std::variant<std::string, Binary> Data;
    };
    struct Key {
        std::string Path;
        std::vector<Value> Values;
    };
    struct ParseState;

    void Feed(ParseState& state, std::string_view chunk);
    void Finish(ParseState& state);
    void ParseLine(ParseState& state, std::string_view line);

    const Key* FindKey(std::string_view keyPath) const;
    const Value* FindValue(std::string_view keyPath, std::string_view valueName) const;
    std::size_t FindOrAddKey(std::string_view keyPath);
    void StoreValue(std::size_t keyIndex, std::string_view valueName,
                    std::variant<std::string, Binary> data);
    bool FitsOnLines(std::string_view keyPath, const Value& value) const;

    RegistryRoot root_;
    std::string path_;
    std::vector<Key> keys_;
};
