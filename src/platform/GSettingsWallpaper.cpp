#include "platform/GSettingsWallpaper.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/FileUri.h"
#include "platform/PlatformLog.h"

namespace {

constexpr const char* Tool = "gsettings";

void AppendUtf8(std::string& text, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | (codePoint >> 6));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        text += static_cast<char>(0xE0 | (codePoint >> 12));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (codePoint >> 18));
        text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::optional<std::uint32_t> HexDigits(const std::string& text, std::size_t start,
                                       std::size_t count) {
    if (start + count > text.size()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = start; i < start + count; ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    return value;
}

std::string TrimLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::string GVariantText::Quote(const std::string& text) {
    std::string literal = "'";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '\'') {
            literal += '\\';
            literal += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            literal += escaped;
        } else {
            literal += c;
        }
    }
    return literal + "'";
}

std::optional<std::string> GVariantText::Unquote(const std::string& literal) {
    if (literal.size() < 2 || (literal.front() != '\'' && literal.front() != '"') ||
        literal.back() != literal.front()) {
        return std::nullopt;
    }
    const char quote = literal.front();
    const std::size_t end = literal.size() - 1;
    std::string text;
    for (std::size_t i = 1; i < end; ++i) {
        const char c = literal[i];
        if (c == quote) {
            return std::nullopt;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == end) {
            return std::nullopt;
        }
        const char escape = literal[i];
        if (escape == 'u' || escape == 'U') {
            const std::size_t digits = escape == 'u' ? 4 : 8;
            const std::optional<std::uint32_t> codePoint = HexDigits(literal, i + 1, digits);
            if (!codePoint || i + digits >= end) {
                return std::nullopt;
            }
            AppendUtf8(text, *codePoint);
            i += digits;
            continue;
        }
        static constexpr std::pair<char, char> Controls[] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'},
                                                             {'n', '\n'}, {'r', '\r'}, {'t', '\t'},
                                                             {'v', '\v'}};
        const auto* control = std::find_if(std::begin(Controls), std::end(Controls),
                                           [&](const auto& pair) { return pair.first == escape; });
        if (control != std::end(Controls)) {
            text += control->second;
        } else if (escape != '\n') {
            text += escape;
        }
    }
    return text;
}

const GSettingsWallpaper::Schema GSettingsWallpaper::Gnome{
    "org.gnome.desktop.background", {"picture-uri", "picture-uri-dark"}, true};
const GSettingsWallpaper::Schema GSettingsWallpaper::Cinnamon{
    "org.cinnamon.desktop.background", {"picture-uri"}, true};
const GSettingsWallpaper::Schema GSettingsWallpaper::Mate{
    "org.mate.background", {"picture-filename"}, false};

GSettingsWallpaper::GSettingsWallpaper(std::string name, Schema schema,
                                       std::unique_ptr<CommandRunner> runner)
    : name_(std::move(name)), schema_(std::move(schema)), runner_(std::move(runner)) {}

std::optional<std::string> GSettingsWallpaper::Get(const std::string& key) {
    CommandRunner::Result result = runner_->Run(Tool, {"get", schema_.Id, key});
    if (!result.Succeeded) {
        return std::nullopt;
    }
    return TrimLineEnd(std::move(result.Output));
}

bool GSettingsWallpaper::Write(const std::string& key, const std::string& value) {
    if (runner_->Run(Tool, {"set", schema_.Id, key, value}).Succeeded) {
        return true;
    }
    qCWarning(lcPlatform) << name_.c_str() << ": cannot set" << schema_.Id.c_str() << key.c_str();
    return false;
}

bool GSettingsWallpaper::IsPictureKey(const std::string& key) const {
    return std::find(schema_.PictureKeys.begin(), schema_.PictureKeys.end(), key) !=
           schema_.PictureKeys.end();
}

std::optional<RecordedWallpaper> GSettingsWallpaper::Record() {
    RecordedWallpaper recorded;
    std::vector<std::string> keys = schema_.PictureKeys;
    keys.push_back(OptionsKey);
    for (const std::string& key : keys) {
        std::optional<std::string> value = Get(key);
        if (value) {
            recorded.Values.emplace_back(key, std::move(*value));
        } else if (key == schema_.PictureKeys.front()) {
            qCWarning(lcPlatform) << name_.c_str() << ": cannot read" << schema_.Id.c_str()
                                  << key.c_str();
            return std::nullopt;
        }
    }
    const std::optional<std::string> picture =
        GVariantText::Unquote(recorded.Values.front().second);
    if (!picture) {
        qCWarning(lcPlatform) << name_.c_str()
                              << ": not a string:" << recorded.Values.front().second.c_str();
        return std::nullopt;
    }
    recorded.Picture = schema_.PictureIsUri ? FileUri::ToPath(*picture) : *picture;
    return recorded;
}

bool GSettingsWallpaper::Set(const std::string& picturePath) {
    const std::string picture = schema_.PictureIsUri ? FileUri::FromPath(picturePath) : picturePath;
    if (!Write(OptionsKey, GVariantText::Quote(Spanned))) {
        return false;
    }
    bool succeeded = Write(schema_.PictureKeys.front(), GVariantText::Quote(picture));
    // A key that older versions of the schema lack may fail; the desktop has no use for it.
    for (std::size_t i = 1; i < schema_.PictureKeys.size(); ++i) {
        Write(schema_.PictureKeys[i], GVariantText::Quote(picture));
    }
    return succeeded;
}

bool GSettingsWallpaper::Restore(const RecordedWallpaper& recorded) {
    if (recorded.Values.empty()) {
        return false;
    }
    bool succeeded = true;
    for (const auto& [key, value] : recorded.Values) {
        if (key != OptionsKey && !IsPictureKey(key)) {
            qCWarning(lcPlatform) << name_.c_str() << ": not one of its keys:" << key.c_str();
            succeeded = false;
            continue;
        }
        const bool cleared = recorded.Picture.empty() && IsPictureKey(key);
        succeeded = Write(key, cleared ? GVariantText::Quote("") : value) && succeeded;
    }
    return succeeded;
}
