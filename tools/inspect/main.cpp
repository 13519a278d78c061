#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Arguments.h"
#include "Commands.h"
#include "ToolCommands.h"
#include "core/Exceptions.h"

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitBadArguments = 2;

constexpr Command Commands[] = {
    {"sun", "LAT LON YYYY-MM-DD [COS_ZENITH]",
     "sunrise and sunset in UTC as JSON lines, for the given cosine of the zenith or for the "
     "standard and the civil zenith",
     RunSun},
    {"zones", "",
     "the system time zones as JSON lines: id, display name, biases in minutes, the standard "
     "and daylight rules as year,month,day-of-week,day,hour,minute,second,milliseconds, and "
     "the tz database zone",
     RunZones},
    {"zone-time", "ID YYYY-MM-DDTHH:MM:SSZ [--date] [--day] [--24h]",
     "the local-time text of the time zone with that id at the UTC instant, with the date, "
     "the day of the week and the 24-hour clock as asked",
     RunZoneTime},
    {"metar", "FILE [--now YYYY-MM-DDTHH:MM:SSZ] [--station CODE]",
     "the time, weather code, temperature and dew point of a station file as one JSON line; "
     "the station defaults to the file name and the clock to now",
     RunMetar},
    {"dwml", "FILE",
     "the periods of a 12-hourly forecast document as JSON lines: start, end, summary, weather "
     "code and the day's minimum and maximum in Celsius",
     RunDwml},
    {"open-meteo", "FILE [--now YYYY-MM-DDTHH:MM:SSZ]",
     "the periods of a saved answer of the worldwide forecast service as JSON lines, as dwml "
     "prints them: those from the one under way at the given instant (default: now) on",
     RunOpenMeteo},
};

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc >= 2 ? argv[1] : "";
    if (first == "--help") {
        ToolCommands::PrintUsage("skyvane-inspect", Commands, stdout);
        std::puts(
            "\n  --help      print this help and exit\n  --version   print the version and exit");
        return 0;
    }
    if (first == "--version") {
        std::printf("skyvane-inspect %s\n", SKYVANE_VERSION);
        return 0;
    }
    const Command* command = argc >= 2 ? ToolCommands::Find(Commands, argv[1]) : nullptr;
    if (command == nullptr) {
        if (argc >= 2) {
            std::fprintf(stderr, "skyvane-inspect: unknown command \"%s\"\n", argv[1]);
        }
        ToolCommands::PrintUsage("skyvane-inspect", Commands);
        return ExitBadArguments;
    }
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    try {
        return command->Run(arguments);
    } catch (const BadArguments& error) {
        std::fprintf(stderr, "skyvane-inspect %s: %s\n", command->Name, error.what());
        return ExitBadArguments;
    } catch (const ApplicationException& error) {
        std::fprintf(stderr, "skyvane-inspect %s: failed at %s\n", command->Name,
                     error.Location.c_str());
        return ExitFailure;
    }
}
