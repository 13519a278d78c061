#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

// The Linux places of the Windows special folders. Folder results end in "/".
namespace Folders {

// $HOME when it is an absolute path, else the home folder of the user database.
std::optional<std::string> HomeFolder();

// $XDG_CONFIG_HOME (ignored unless absolute), else $HOME/.config/. Not created.
std::optional<std::string> ConfigHome();

// $XDG_DATA_HOME (ignored unless absolute), else $HOME/.local/share/. Not created.
std::optional<std::string> DataHome();

// The roaming application-data folder: ConfigHome, created with its parents (0700) when
// missing. Nullopt when there is no home or the folder cannot be created.
std::optional<std::string> RoamingAppData();

// The local application-data folder: DataHome, created like RoamingAppData.
std::optional<std::string> LocalAppData();

// The per-user folder of programs the desktop may start: $SKYVANE_SYSTEM_DIR, else
// $HOME/.local/bin/, created when missing. Looked up afresh on each call.
std::optional<std::string> SystemFolder();

// The private folder for the instance locks and sockets: $XDG_RUNTIME_DIR when it is an
// absolute path to a folder of this user that no one else may enter; else "skyvane/" in
// the user's cache folder ($XDG_CACHE_HOME when absolute, else $HOME/.cache/), created
// 0700 and refused unless it is a real folder (not a link) owned by this user. Nullopt
// when neither will do.
std::optional<std::string> RuntimeFolder();

// Creates the folder and each missing parent with the mode. True when the path is a
// folder afterwards; false with errno set otherwise.
bool CreateFolders(const std::string& path, mode_t mode);

// Deletes every regular file directly in the folder. Folders, symbolic links and special
// files stay, and a link's target is never touched. Failures are ignored.
void EmptyFolder(const std::string& path);

}  // namespace Folders

namespace Util {

// SystemFolder, computed once and kept for the rest of the run; raises
// "Util::GetSystemDirectoryW (217)" when it cannot be found or created.
std::string GetSystemDirectoryW();

}  // namespace Util
