#pragma once

#include <functional>
#include <string>

#include "platform/CommandRunner.h"

// The screen saver the program can be chosen as on Linux is xscreensaver's. Its settings
// are the user's $HOME/.xscreensaver, X resources one per line ("name: value", a line that
// ends in a backslash goes on in the next, "\n" in a value is a line feed, "#" and "!" start
// comments). The "programs" resource lists the screen savers, one shell command per line of
// its value; "mode: one" runs only the one that "selected" names by its index from 0.

// What choosing the screen saver asks of the system; the tests put their own in its place.
struct ScreenSaverSystem {
    // Whether xscreensaver is installed (by default XScreenSaverOnPath).
    std::function<bool()> XScreenSaverInstalled;
    // Runs xscreensaver-command.
    CommandRunner& Runner;
};

// xscreensaver counts as installed when its daemon, "xscreensaver", is on PATH: without the
// daemon nothing reads the settings file.
bool XScreenSaverOnPath();

namespace Util {

// Makes the screen-saver file the user's screen saver: records its path as "SCRNSAVE.EXE"
// under "Control Panel\Desktop" of the user's registry store, gives it an entry in the
// programs list of $HOME/.xscreensaver (once; a later call selects the entry it finds),
// selects that entry with "mode: one", and asks a running xscreensaver to restart with it.
// Every other line of the file stays as it was; a missing file is created.
//
// False, with a line on lcPlatform, when the path is not an absolute path of an existing
// file, has 520 or more UTF-16 units or a control character, when xscreensaver is not
// installed, or when the file exists but cannot be read (not a regular file, over 1 MiB,
// no permission); then nothing is written. A failed restart does not count: none may run,
// and xscreensaver-command reports even a restart that worked as a failure.
bool SetScreenSaver(const std::string& screenSaverPath);
bool SetScreenSaver(const std::string& screenSaverPath, const ScreenSaverSystem& system);

}  // namespace Util
