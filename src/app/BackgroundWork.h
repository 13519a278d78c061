#pragma once

class COptions;

// The background jobs of the running edition, handed to the program's pool.
// Main thread; each returns at once.
namespace Program {

// The due cities' weather (nothing when none is due).
void QueueWeatherDownload(const COptions& options, bool postPartialResults);
// The home city's current conditions, whatever their age.
void QueueHomeWeatherDownload(const COptions& options);
// A fresh cloud layer from the sources of "CloudsUrls.txt".
void QueueCloudDownload();
// The version file; only the desktop mode looks at what it says.
void QueueUpdateCheck();

}  // namespace Program
