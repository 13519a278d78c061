#pragma once

#include <string>
#include <vector>

#include "core/AtomicFile.h"
#include "data/City.h"
#include "weather/CurrentWeather.h"
#include "weather/Forecast.h"

// The favourites file in the user's data folder of the edition.
inline constexpr const char* CitiesFileName = "Cities.txt";

// The favourites of a first run, in the order the map lists them.
std::vector<City> DefaultFavouriteCities();
// Not among the default favourites.
City DefaultHomeCity();

// Replaces the favourites with the cities of the file, in file order, skipping
// lines that do not parse; an empty file gives no favourites. When the file
// does not exist the favourites stay as they are. A file that exists but cannot
// be read raises, leaving the favourites unchanged. False when a line was skipped.
bool LoadCities(const std::string& path, std::vector<City>& favourites);

// One city line and "\r\n" per favourite. The file is replaced whole or not at
// all; a failure raises and leaves the old file in place.
void SaveCities(const std::string& path, const std::vector<City>& favourites,
                PreviousFile previous = PreviousFile::Replace);

// Applies weather received for the city with cityId: to the home city when its
// id matches, else to the first favourite with that id. Each block replaces the
// city's own only when its report time is strictly later. Either target may be
// null. False when no city has the id.
bool MergeWeather(int cityId, const CCurrentWeather& current, const CForecast& forecast,
                  City* homeCity, std::vector<City>* favourites);
// The same with the weather a city already holds, so that weather received
// before options were replaced carries over to the new cities.
bool MergeWeather(const City& source, City* homeCity, std::vector<City>* favourites);
