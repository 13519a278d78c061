#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/CommandRunner.h"
#include "platform/Wallpaper.h"

// The desktops that keep their background in GSettings (GNOME, Unity, Budgie, Cinnamon,
// MATE), changed and read through the gsettings tool. Record's values are the keys with
// their values as gsettings prints them (GVariant text), which Restore hands back as they
// are.
class GSettingsWallpaper : public WallpaperBackend {
public:
    struct Schema {
        std::string Id;                        // "org.gnome.desktop.background"
        std::vector<std::string> PictureKeys;  // the first one must exist, the rest may not
        bool PictureIsUri;                     // picture-uri (a file:// URI) or picture-filename
    };
    static const Schema Gnome;
    static const Schema Cinnamon;
    static const Schema Mate;
    static constexpr const char* OptionsKey = "picture-options";
    // One picture over the whole virtual screen: each monitor shows its own part.
    static constexpr const char* Spanned = "spanned";

    GSettingsWallpaper(std::string name, Schema schema, std::unique_ptr<CommandRunner> runner);

    std::string Name() const override { return name_; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    bool Restore(const RecordedWallpaper& recorded) override;

private:
    std::optional<std::string> Get(const std::string& key);
    bool Write(const std::string& key, const std::string& value);
    bool IsPictureKey(const std::string& key) const;

    std::string name_;
    Schema schema_;
    std::unique_ptr<CommandRunner> runner_;
};

// GVariant text of strings, the form gsettings prints and reads.
namespace GVariantText {

// A quoted string literal holding the text.
std::string Quote(const std::string& text);

// The text of a string literal (either quote, GVariant escapes); nullopt when it is not one.
std::optional<std::string> Unquote(const std::string& literal);

}  // namespace GVariantText
