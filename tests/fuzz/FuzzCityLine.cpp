#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/Exceptions.h"
#include "data/City.h"
#include "data/CityDatabase.h"
#include "data/FavouriteCities.h"

// One input is a city line, and also the content of a "Cities.txt" and of a
// "CityRecords.txt". A rejection is one of the program's own exceptions;
// anything else escaping, a crash, a leak, a hang or a record that does not
// write back as it was read is a finding.

namespace {

// A found fault must stop the run, whatever the build's assertion setting.
void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// What the parser accepts, the writer must write so that it reads back the same.
void CheckLineRoundTrip(const CityRecord& record) {
    const std::string line = SerializeCityLine(record);
    const CityRecord again = ParseCityLine(line);
    Check(again.Id == record.Id && again.Station == record.Station &&
          again.Country == record.Country && again.CityName == record.CityName &&
          again.Details == record.Details);
    Check(SerializeCityLine(again) == line);
}

void FuzzParse(std::string_view text) {
    try {
        CheckLineRoundTrip(ParseCityLine(text));
    } catch (const ApplicationException&) {
    } catch (const CAtlException&) {
    }
    std::string writable(text);
    try {
        CheckLineRoundTrip(ParseCityLineInPlace(writable.data()));
    } catch (const ApplicationException&) {
    } catch (const CAtlException&) {
    }
}

// Both file readers take a path; an anonymous memory file gives them one.
void FuzzFiles(std::string_view text) {
    const int fd = memfd_create("fuzz-cities", MFD_CLOEXEC);
    if (fd < 0) {
        return;
    }
    if (::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size())) {
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        // The file is there, so neither reader may give up on it.
        std::vector<City> favourites(1);
        LoadCities(path, favourites);
        for (const City& city : favourites) {
            CheckLineRoundTrip(city);
        }
        for (const CityRecord& record : Data::ReadCityRecords(path)) {
            CheckLineRoundTrip(record);
        }
    }
    ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FuzzParse(text);
    FuzzFiles(text);
    return 0;
}
