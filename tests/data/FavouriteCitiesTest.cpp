#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "data/FavouriteCities.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;
using TestSupport::ReadWholeFile;
using TestSupport::TempFolder;
using TestSupport::WriteWholeFile;

const char* const MiamiLine =
    "358900;KMIA;USA;Miami;Miami International Airport;25.791000;-80.316002";

std::vector<std::string> LinesOf(const std::string& text) {
    std::string tail;
    std::vector<std::string> lines = TestSupport::LinesEndingIn(text, "\r\n", tail);
    EXPECT_EQ(tail, "") << "every line must end in \\r\\n";
    return lines;
}

std::vector<std::string> SerializedLines(const std::vector<City>& cities) {
    std::vector<std::string> lines;
    for (const City& city : cities) {
        lines.push_back(SerializeCityLine(city));
    }
    return lines;
}

// Writes beyond the given size fail with EFBIG, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

class FavouriteCitiesTest : public ::testing::Test {
protected:
    TempFolder folder_;
    std::string path_ = folder_.Folder() + CitiesFileName;
};

TEST_F(FavouriteCitiesTest, DefaultsSaveAsSixteenLinesStartingWithMiami) {
    SaveCities(path_, DefaultFavouriteCities());
    const std::vector<std::string> lines = LinesOf(ReadWholeFile(path_));
    ASSERT_EQ(lines.size(), 16U);
    EXPECT_EQ(lines[0], MiamiLine);
    EXPECT_EQ(lines[7], "216100;FAJS;South Africa;Johannesburg;;-26.132999;28.233000");
    EXPECT_EQ(lines[15], "175100;MMMX;Mexico;Mexico City;Licenci;19.433001;-99.099998");
    EXPECT_FALSE(std::filesystem::exists(path_ + ".temp"));
}

TEST_F(FavouriteCitiesTest, DefaultHomeCityIsLosAngelesAndNotAFavourite) {
    const City home = DefaultHomeCity();
    EXPECT_EQ(
        SerializeCityLine(home),
        "348400;KLAX;USA;Los Angeles;Los Angeles International Airport;33.938000;-118.389000");
    for (const City& city : DefaultFavouriteCities()) {
        EXPECT_NE(city.Id, home.Id);
        EXPECT_TRUE(city.ShortCode.empty());
    }
}

TEST_F(FavouriteCitiesTest, SavedFavouritesLoadBackInOrder) {
    SaveCities(path_, DefaultFavouriteCities());
    std::vector<City> loaded;
    LoadCities(path_, loaded);
    EXPECT_EQ(SerializedLines(loaded), SerializedLines(DefaultFavouriteCities()));
}

// The line has no quoting: such a text once cost the city when the file was read back.
TEST_F(FavouriteCitiesTest, TextsHoldingSeparatorsOrLineEndsAreSavedWithSpacesAndLoadBack) {
    std::vector<City> favourites = DefaultFavouriteCities();
    favourites[2].CityName = "Paris; Orly";
    favourites[2].Details = "South\r\nTerminal";
    favourites[2].Country = std::string("Fra\0nce", 7);
    favourites[2].Station = "LF;O";
    SaveCities(path_, favourites);
    std::vector<City> loaded;
    EXPECT_TRUE(LoadCities(path_, loaded));
    ASSERT_EQ(loaded.size(), 16U);
    EXPECT_EQ(loaded[2].CityName, "Paris  Orly");
    EXPECT_EQ(loaded[2].Details, "South  Terminal");
    EXPECT_EQ(loaded[2].Country, "Fra nce");
    EXPECT_EQ(loaded[2].Station, "LF O");
}

TEST_F(FavouriteCitiesTest, MissingFileKeepsTheFavourites) {
    std::vector<City> favourites = DefaultFavouriteCities();
    LoadCities(path_, favourites);
    EXPECT_EQ(favourites.size(), 16U);
}

TEST_F(FavouriteCitiesTest, EmptyFileGivesNoFavourites) {
    WriteWholeFile(path_, "");
    std::vector<City> favourites = DefaultFavouriteCities();
    LoadCities(path_, favourites);
    EXPECT_TRUE(favourites.empty());
}

TEST_F(FavouriteCitiesTest, BadLinesAreSkippedAndTheRestLoadInFileOrder) {
    WriteWholeFile(path_,
                   "1;ABCD;Land;Town;;10.5;-20.25\r\n"
                   "2;EFGH;Land;Six Fields;;1\r\n"
                   "x;ABCD;Land;Town;;1;2\r\n"
                   "\r\n"
                   "3;IJKL;Land;Line Feed Only;;1;2\n"
                   "4;MNOP;Land;Bad Latitude;;abc;2\r\n"
                   "5;QRST;Land;No Line End;;3;4");
    std::vector<City> favourites = DefaultFavouriteCities();
    LoadCities(path_, favourites);
    ASSERT_EQ(favourites.size(), 3U);
    EXPECT_EQ(favourites[0].CityName, "Town");
    EXPECT_EQ(favourites[0].Details, "");
    EXPECT_EQ(favourites[1].CityName, "Line Feed Only");
    EXPECT_EQ(favourites[2].CityName, "No Line End");
    EXPECT_FLOAT_EQ(favourites[2].Longitude, 4.0F);
}

TEST_F(FavouriteCitiesTest, UnreadableFileRaisesAndKeepsTheFavourites) {
    std::filesystem::create_directory(path_);
    std::vector<City> favourites = DefaultFavouriteCities();
    EXPECT_EQ(LocationOf([&] { LoadCities(path_, favourites); }), "UtilFile::ReadFileAscii (12)");
    EXPECT_EQ(favourites.size(), 16U);
}

TEST_F(FavouriteCitiesTest, SavingNoFavouritesWritesAnEmptyFile) {
    WriteWholeFile(path_, std::string(MiamiLine) + "\r\n");
    SaveCities(path_, {});
    EXPECT_EQ(ReadWholeFile(path_), "");
}

TEST_F(FavouriteCitiesTest, SaveWithoutTheFolderRaisesAtCreation) {
    const std::string missing = folder_.Folder() + "missing/" + CitiesFileName;
    EXPECT_EQ(LocationOf([&] { SaveCities(missing, DefaultFavouriteCities()); }),
              "COptions::SaveCities (368)");
}

TEST_F(FavouriteCitiesTest, SaveFailingInALineKeepsTheOldFile) {
    const std::string old = "1;ABCD;Land;Town;;10.500000;-20.250000\r\n";
    WriteWholeFile(path_, old);
    std::string location;
    {
        const FileSizeLimit limit(100);  // the second line does not fit
        location = LocationOf([&] { SaveCities(path_, DefaultFavouriteCities()); });
    }
    EXPECT_EQ(location, "COptions::SaveCities (372)");
    EXPECT_EQ(ReadWholeFile(path_), old);
    EXPECT_FALSE(std::filesystem::exists(path_ + ".temp"));
}

TEST_F(FavouriteCitiesTest, SaveFailingAtALineEndKeepsTheOldFile) {
    const std::string old = "1;ABCD;Land;Town;;10.500000;-20.250000\r\n";
    WriteWholeFile(path_, old);
    std::string location;
    {
        const FileSizeLimit limit(std::string(MiamiLine).size());
        location = LocationOf([&] { SaveCities(path_, DefaultFavouriteCities()); });
    }
    EXPECT_EQ(location, "COptions::SaveCities (373)");
    EXPECT_EQ(ReadWholeFile(path_), old);
}

class MergeWeatherTest : public ::testing::Test {
protected:
    static City WithWeather(int id, const DateTime& current, const DateTime& forecast) {
        City city(id, "Land", "", "", "Town", 0.0F, 0.0F, "ABCD");
        city.CurrentWeather.ReportDateTime = current;
        city.CurrentWeather.WeatherCode = EnumWeatherCode::Rain;
        city.CurrentWeather.Temprature = 12.5F;
        city.Forecast.ReportDateTime = forecast;
        city.Forecast.Items.resize(3);
        return city;
    }

    const DateTime early_ = DateTime(2013, 3, 27, 10, 0, 0);
    const DateTime late_ = DateTime(2013, 3, 27, 11, 0, 0);
    City home_ = City(348400, "USA", "", "", "Los Angeles", 0.0F, 0.0F, "KLAX");
    std::vector<City> favourites_ = {City(1, "A", "", "", "One", 0.0F, 0.0F, "AAAA"),
                                     City(348400, "USA", "", "", "Copy", 0.0F, 0.0F, "KLAX"),
                                     City(2, "B", "", "", "Two", 0.0F, 0.0F, "BBBB"),
                                     City(2, "B", "", "", "Two again", 0.0F, 0.0F, "BBBB")};
};

TEST_F(MergeWeatherTest, HomeCityTakesTheWeatherBeforeAFavouriteWithTheSameId) {
    EXPECT_TRUE(MergeWeather(WithWeather(348400, late_, late_), &home_, &favourites_));
    EXPECT_EQ(home_.CurrentWeather.ReportDateTime, late_);
    EXPECT_EQ(home_.CurrentWeather.Temprature.Value(), 12.5F);
    EXPECT_EQ(home_.Forecast.Items.size(), 3U);
    EXPECT_EQ(favourites_[1].CurrentWeather.ReportDateTime, DateTime(1990, 1, 1));
    EXPECT_TRUE(favourites_[1].Forecast.Items.empty());
}

TEST_F(MergeWeatherTest, OnlyTheFirstFavouriteWithTheIdTakesTheWeather) {
    EXPECT_TRUE(MergeWeather(WithWeather(2, late_, late_), &home_, &favourites_));
    EXPECT_EQ(favourites_[2].CurrentWeather.ReportDateTime, late_);
    EXPECT_EQ(favourites_[3].CurrentWeather.ReportDateTime, DateTime(1990, 1, 1));
    EXPECT_EQ(home_.CurrentWeather.ReportDateTime, DateTime(1990, 1, 1));
}

TEST_F(MergeWeatherTest, WeatherNoLaterThanTheCitysOwnIsNotCopied) {
    favourites_[0] = WithWeather(1, late_, late_);
    favourites_[0].CurrentWeather.Temprature = 20.0F;
    EXPECT_TRUE(MergeWeather(WithWeather(1, early_, early_), &home_, &favourites_));
    EXPECT_TRUE(MergeWeather(WithWeather(1, late_, late_), &home_, &favourites_));
    EXPECT_EQ(favourites_[0].CurrentWeather.Temprature.Value(), 20.0F);
}

TEST_F(MergeWeatherTest, CurrentAndForecastBlocksAreJudgedOnTheirOwnTimes) {
    favourites_[0] = WithWeather(1, early_, late_);
    const City newer = WithWeather(1, late_, early_);
    CCurrentWeather current = newer.CurrentWeather;
    current.Temprature = -3.0F;
    CForecast forecast = newer.Forecast;
    forecast.Items.clear();
    EXPECT_TRUE(MergeWeather(1, current, forecast, &home_, &favourites_));
    EXPECT_EQ(favourites_[0].CurrentWeather.ReportDateTime, late_);
    EXPECT_EQ(favourites_[0].CurrentWeather.Temprature.Value(), -3.0F);
    EXPECT_EQ(favourites_[0].Forecast.ReportDateTime, late_);
    EXPECT_EQ(favourites_[0].Forecast.Items.size(), 3U);
}

TEST_F(MergeWeatherTest, WeatherForAnUnknownIdChangesNothing) {
    EXPECT_FALSE(MergeWeather(WithWeather(99, late_, late_), &home_, &favourites_));
    EXPECT_FALSE(MergeWeather(WithWeather(1, late_, late_), nullptr, nullptr));
    for (const City& city : favourites_) {
        EXPECT_EQ(city.CurrentWeather.ReportDateTime, DateTime(1990, 1, 1));
    }
}

TEST_F(MergeWeatherTest, MissingHomeCityLeavesTheFavouritesAsTargets) {
    EXPECT_TRUE(MergeWeather(WithWeather(348400, late_, late_), nullptr, &favourites_));
    EXPECT_EQ(favourites_[1].CurrentWeather.ReportDateTime, late_);
}

}  // namespace
