#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"

// `--render FILE [--size WxH] [--time YYYY-MM-DDTHH:MM:SSZ] [--weather]`: the
// edition's picture written once to a file, for scripts and for a look without
// a desktop.
namespace OneShotRender {

struct Request {
    std::string File;
    // Zero when the picture takes the primary screen's size.
    int Width = 0;
    int Height = 0;
    // The instant everything in the picture depends on; now when absent.
    std::optional<DateTime> Time;
    // Fetch the cities' current weather (and the home city's forecast) first.
    bool Weather = false;
};

// How long the weather may take in all before the picture is drawn with what
// has arrived; the stop of a transfer still running fits in the rest of a minute.
inline constexpr int WeatherFetchMilliseconds = 58000;

// The arguments after "--render". Raises ArgumentException with a message for the user.
Request ParseArguments(const std::vector<std::string>& arguments);

// "png", "jpg" or "bmp" from the file's extension, any case; raises
// ArgumentException for any other.
std::string FormatOf(const std::string& file);

// Loads the options of the started edition, composes its picture and writes it.
// Returns the exit code; every failure is reported on stderr.
int Run(int argc, char** argv);

}  // namespace OneShotRender
