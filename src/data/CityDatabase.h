#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/UtilFile.h"
#include "data/City.h"

// The read-only database of weather stations the city picker lists, read from
// "CityRecords.txt" of the installation folder.
namespace Data {

inline constexpr const char* CityRecordsFileName = "CityRecords.txt";

// Lines longer than this are skipped whole.
inline constexpr std::size_t CityRecordLineBuffer = 5120;

// Some fifty times the shipped database: a larger file is not a city database.
inline constexpr std::size_t CityRecordsMaximumBytes = 16 * UtilFile::MiB;

// The records of the file in file order; lines that do not parse are skipped.
// A file that cannot be read, is not a regular file or is larger than
// CityRecordsMaximumBytes raises "Data::LoadData (29)", its message saying why.
std::vector<CityRecord> ReadCityRecords(const std::string& cityRecordsPath);

// The records of one file, read on first use and kept; the application object
// holds the program's one. Main thread only.
class CityDatabase {
public:
    explicit CityDatabase(std::string cityRecordsPath) : path_(std::move(cityRecordsPath)) {}

    // Fills the database from the file, replacing what it held. A file that
    // cannot be read leaves the database as it was; the failure goes no further
    // than a line on lcData.
    void LoadData();

    // The database, loaded first when it is empty.
    const std::vector<CityRecord>& GetCityRecords();

private:
    std::string path_;
    std::vector<CityRecord> records_;
};

}  // namespace Data
