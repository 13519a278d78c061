#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "core/AppKind.h"

class Application;
class InstanceChannel;

// How a screen-saver start that xscreensaver made draws: into the window it
// names (ParentWindow), over the whole screen, or in a window of its own. Its
// input is xscreensaver's business, and xscreensaver ends it with SIGTERM.
enum class HackDrawing { None, IntoWindow, OverRoot, OwnWindow };

// The application object: process-wide values and the operations that decide,
// before any window exists, which edition runs and how it was started.
// Everything here belongs to the main thread; IsExiting is the one value other
// threads read.
namespace Program {

// Fills the executable paths from the name the program was started under
// (argv[0], not the link-resolved /proc/self/exe: the name picks the edition).
void InitPathInfo(const char* startedAs);
// Sets Kind, Mode, ParentWindow and Hack from ExeFileName, the command line
// and, for xscreensaver's hacks, XSCREENSAVER_WINDOW.
void DetermineAppMode(const std::string& commandLine);
// The whole pre-window start-up; false means: end the process now, with exit code 0
// unless StartProblem says why the start failed (exit code 1). Without checkInstance a
// desktop start does not look for a running instance (a one-shot render, or a start
// that only talks to it).
// A desktop start tells a running instance of itself, or hands it a launcher's action
// (a LauncherRequest; 0 for none), which a start that runs carries out itself.
bool Initialize(const char* startedAs, const std::string& commandLine, bool checkInstance = true,
                int request = 0);
// The request of a launcher's action ("--options", "--earth", "--local-weather",
// "--time-zones"); 0 for any other argument.
int LauncherRequest(const std::string& argument);
// The launcher's request that this running start carries out once it is up; 0 when none.
int PendingRequest();
// A start that must not end quietly: a window id of the screen-saver switches that is
// no number, or a running instance that holds the lock but does not answer. Empty otherwise.
const std::string& StartProblem();
// The channel of a desktop start that holds the edition's lock; null otherwise.
InstanceChannel* Instance();
// Lets the lock and the channel go, before the event loop's machinery ends.
void CloseInstanceMutex();
// "--quit": asks the running desktop instance of the edition to exit; false
// when none answered.
bool QuitRunningInstance();

// The start-up of the mode, on the application object that main made; true
// when the event loop is to run. Any other mode than the four gives false.
bool OnStartup(Application& application);
bool OnStartupDesktop(Application& application);
bool OnStartupSS_SS(Application& application);
bool OnStartupSS_Configure(Application& application);
bool OnStartupSS_Preview(Application& application);
// The orderly exit: stops the work, saves the settings, puts the user's
// wallpaper back and ends the event loop with code 0. A second call only ends the loop.
void Exit(Application& application);
// After the event loop: empties the program's folders and destroys the windows.
void OnShutdown(Application& application);

// Redraws the windows that show the data.
void RefreshWindows(Application& application);
// Renders and sets the wallpaper, or puts the user's own back.
void UpdateWallpaper(Application& application);
// UpdateWallpaper then RefreshWindows, failures swallowed.
void UpdateDisplays(Application& application);
// Makes the edition's screen-saver form the user's screen saver; false when it could not.
bool MakeScreenSaver();
// The weather work has ended: its results are shown.
void OnWeatherDone(Application& application);
// A new cloud layer: shown (the cloud work keeps it as "Clouds.png").
void OnNewCloudImage(Application& application, const QImage& layer);

// Joins the arguments after the program name the way one command-line string reads.
std::string CommandLineFromArguments(int argc, const char* const* argv);

EnumAppKind Kind();
EnumAppMode Mode();
std::intptr_t ParentWindow();
HackDrawing Hack();

const std::string& PathExe();
const std::string& ExeFileName();
const std::string& ScreenSaverFileName();
const std::string& PathExeFolder();

bool IsFirstRun();
void SetFirstRun(bool firstRun);
bool IsExiting();
void SetExiting();

// The edition's names: message-box title, data-folder name, web-link word and
// the class name of its hidden window.
const std::string& AppDisplayName();
const std::string& AppFolderName();
const std::string& AppKindName();
const std::string& HiddenWindowClassName();

// The three roots; each ends in "/" and is cached after the first call.
const std::string& PathInstallation();
const std::string& PathUserAppData();
const std::string& PathLocalUserAppData();

// Installation data.
const std::string& PathCloudsUrls();
const std::string& PathCityRecords();
const std::string& PathEarthFolder();
const std::string& PathWeatherBackgroundsFolder();
const std::string& PathUIFolder();

// The user's own files.
const std::string& PathOptions();
const std::string& PathSettings();
const std::string& PathCities();
const std::string& PathTimeZones();

// Downloaded and generated files; the two folders are created on first use.
const std::string& PathCloudsPng();
const std::string& PathWallpaperFolder();
const std::string& PathTempFolder();
// The user's own weather backgrounds, laid out as the installation's; made
// only when the user asks to add some.
const std::string& PathUserWeatherBackgroundsFolder();

// The file that marks a folder as holding the installation data.
inline constexpr const char* InstallationMarkerFileName = "Installation.txt";

// Forgets every process-wide value, so that tests can start the decision anew.
void ResetForTesting();

}  // namespace Program
