#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/AtomicFile.h"
#include "core/Exceptions.h"
#include "core/Util.h"
#include "core/UtilFile.h"
#include "core/UtilProperty.h"
#include "data/DataLog.h"

// The user's own files: "Options.txt", "Settings.txt", "Cities.txt" and
// "TimeZones.txt". What a load could not read, or dropped as damaged, must not
// be lost to the next save: the objects that load them remember the damage, and
// their next save keeps the old file as "<name>.bad" (PreviousFile::KeepAsBad).
namespace UserFiles {

// Far above anything the program writes, far below what would hurt to hold in memory.
inline constexpr std::size_t MaximumBytes = 4 * UtilFile::MiB;

// The file's content; nullopt when nothing of that name exists. Whatever exists
// but cannot be read (no permission, a folder, a FIFO, a device, a link to none
// of them, a file over MaximumBytes) leaves one line on lcData and raises as
// UtilFile::ReadFileAscii does.
std::optional<std::string> Read(const std::string& path);

// One line on lcData: the file loaded, but lost what to damage.
void LogDamage(const std::string& path, const std::string& what);

inline PreviousFile PreviousFileAfter(bool damaged) {
    return damaged ? PreviousFile::KeepAsBad : PreviousFile::Replace;
}

// Reads the keys of a Key=value file one at a time. An absent key leaves its
// field as it is. So does a value that apply refuses, by returning false or by
// raising, and the file then counts as damaged; reading goes on either way.
class KeyReader {
public:
    explicit KeyReader(std::string_view content) : content_(content) {}

    template <class Apply>
    void Read(std::string_view key, Apply apply) {
        const std::optional<std::string> value = UtilProperty::FindPropertyValue(content_, key);
        if (!value) {
            return;
        }
        bool taken = false;
        // The parsers read C strings: a zero byte would hide the damage after it.
        if (value->find('\0') == std::string::npos) {
            try {
                taken = apply(value->c_str());
            } catch (...) {
                qCDebug(lcData) << "a value does not parse:" << CurrentExceptionText().c_str();
            }
        }
        damaged_ = damaged_ || !taken;
    }

    bool Damaged() const { return damaged_; }

private:
    std::string_view content_;
    bool damaged_ = false;
};

// The apply of KeyReader::Read that hands the value to the Util::Parse of the field's type.
template <class Value>
auto ParsedInto(Value& field) {
    return [&field](const char* value) {
        Util::Parse(value, field);
        return true;
    };
}

}  // namespace UserFiles
