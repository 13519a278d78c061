#include "platform/Registry.h"

#include <cerrno>
#include <optional>

#include "core/Exceptions.h"
#include "platform/Utf8.h"

namespace {

// The caller's buffer holds 260 wide characters, the terminator included.
constexpr std::size_t MaxValueWideLength = 259;

}  // namespace

std::string Util::RegGetKeyValue(const std::string& subKey, RegistryRoot root,
                                 const std::string& valueName) {
    static constexpr const char* OpenLocation = "Util::RegGetKeyValue (251)";
    static constexpr const char* ReadLocation = "Util::RegGetKeyValue (253)";

    const std::optional<std::string> path = RegistryStore::DefaultPath(root);
    std::optional<RegistryStore> store;
    if (path) {
        store = RegistryStore::TryLoad(root, *path);
    }
    if (!store || !store->KeyExists(subKey)) {
        if (store) {
            errno = ENOENT;
        }
        RaiseError(OpenLocation);
    }
    std::optional<std::string> value = store->GetString(subKey, valueName);
    if (!value) {
        errno = ENOENT;
        RaiseError(ReadLocation);
    }
    if (Utf8::WideLength(*value) > MaxValueWideLength) {
        errno = ERANGE;
        RaiseError(ReadLocation);
    }
    return std::move(*value);
}
