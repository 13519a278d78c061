#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QLoggingCategory>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ErrorDisplay.h"
#include "data/Options.h"
#include "data/UserFiles.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;
using TestSupport::ReadWholeFile;
using TestSupport::TempFolder;
using TestSupport::WriteWholeFile;

constexpr const char* EarthDefaultFile =
    "HomeCity=348400;KLAX;USA;Los Angeles;Los Angeles International Airport;33.938000;"
    "-118.389000\r\n"
    "UpdateWallpaper=true\r\n"
    "ShowWeather=true\r\n"
    "UseMetricSystem=true\r\n"
    "Region=Earth (Default)\r\n"
    "Background=Blue Marble.jpg\r\n"
    "ShowClouds=true\r\n"
    "DispalyCityName=true\r\n"
    "DisplayCityTemprature=true\r\n"
    "WeatherIconScale=70\r\n"
    "FontCityName=Arial,6.000,0\r\n"
    "ColorCityName=255,255,255\r\n"
    "FontCityTemprature=Arial,8.000,1\r\n"
    "ColorCityTemprature=255,0,0\r\n"
    "ShowTimeZonesOnWallpaper=false\r\n"
    "ShowTimeZonesOnScreenSaver=true\r\n"
    "TzShowDate=false\r\n"
    "TzShowDayOfWeek=true\r\n"
    "TzHourFormat=1\r\n"
    "FontTzMap=Times New Roman,9.000,0\r\n"
    "ColorTzMap=255,0,0\r\n";

// Records what the options show the user instead of a message box.
class RecordedErrors {
public:
    RecordedErrors() {
        SetErrorDisplay([this](const std::string& text, const std::string& caption) {
            Shown.push_back(caption + ": " + text);
        });
    }
    ~RecordedErrors() { SetErrorDisplay(nullptr); }
    std::vector<std::string> Shown;
};

// The lines the data layer logs while it lives, with its category switched on.
class RecordedDataLog {
public:
    RecordedDataLog() {
        QLoggingCategory::setFilterRules(QStringLiteral("skyvane.data.warning=true"));
        previous_ = qInstallMessageHandler(&Record);
        Lines().clear();
    }
    ~RecordedDataLog() {
        qInstallMessageHandler(previous_);
        QLoggingCategory::setFilterRules(QString());
    }
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> lines;
        return lines;
    }

private:
    static void Record(QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (QByteArray(context.category) == "skyvane.data") {
            Lines().push_back(message.toStdString());
        }
    }
    QtMessageHandler previous_ = nullptr;
};

class OptionsTest : public ::testing::Test {
protected:
    OptionsTest() { std::filesystem::create_directories(folder_.Path() / "install" / "Earth"); }

    COptions Make(EnumAppKind kind = EnumAppKind::Earth) const { return COptions(kind, Files()); }

    OptionsFiles Files() const {
        const std::string user = folder_.Folder();
        return {user + "Options.txt", user + "TimeZones.txt", user + "Cities.txt",
                user + "install/Earth/"};
    }

    // Options loaded from an "Options.txt" holding the given lines.
    COptions LoadedFrom(const std::string& content, EnumAppKind kind = EnumAppKind::Earth) {
        WriteWholeFile(Files().Options, content);
        COptions options = Make(kind);
        options.Load();
        return options;
    }

    TempFolder folder_;
};

TEST_F(OptionsTest, EarthDefaultsSaveExactlyTheDocumentedFile) {
    COptions options = Make();
    options.SaveOptions();
    EXPECT_EQ(ReadWholeFile(Files().Options), EarthDefaultFile);
    EXPECT_EQ(options.Background.Path, folder_.Folder() + "install/Earth/Blue Marble.jpg");
    EXPECT_FALSE(std::filesystem::exists(Files().Options + ".temp"));
}

// The other editions' default files differ from the Earth edition's in these lines only.
std::string EditionDefaultFile(EnumAppKind kind) {
    std::string file = EarthDefaultFile;
    const auto replace = [&file](const std::string& from, const std::string& to) {
        file.replace(file.find(from), from.size(), to);
    };
    if (kind == EnumAppKind::Weather) {
        replace("ShowTimeZonesOnScreenSaver=true", "ShowTimeZonesOnScreenSaver=false");
    } else if (kind == EnumAppKind::TimeZones) {
        replace("UpdateWallpaper=true", "UpdateWallpaper=false");
        replace("ShowWeather=true", "ShowWeather=false");
        replace("ShowTimeZonesOnWallpaper=false", "ShowTimeZonesOnWallpaper=true");
    }
    return file;
}

TEST_F(OptionsTest, EachEditionsDefaultsSaveItsOwnFileAndSurviveALoadWithoutFiles) {
    for (const EnumAppKind kind :
         {EnumAppKind::Earth, EnumAppKind::Weather, EnumAppKind::TimeZones}) {
        COptions options = Make(kind);
        options.Load();  // no files yet: every default stays
        options.SaveOptions();
        EXPECT_EQ(ReadWholeFile(Files().Options), EditionDefaultFile(kind))
            << static_cast<int>(kind);
        EXPECT_EQ(options.Cities->size(), 16U);
        EXPECT_EQ(options.TimeZones->size(), 4U);
        std::filesystem::remove(Files().Options);
    }
}

TEST_F(OptionsTest, EverythingChangedComesBackAfterSaveAndLoad) {
    WriteWholeFile(folder_.Path() / "install" / "Earth" / "Night Sky.jpg", "picture");
    COptions options = Make();
    options.UpdateWallpaper = false;
    options.UseMetricSystem = false;
    options.HomeCity = new City((*options.Cities)[2]);
    options.Cities->resize(3);
    options.TimeZones->resize(2);
    options.Region = *Regions::Find("Earth (Complete)");
    options.Background = {"Night Sky.jpg", folder_.Folder() + "install/Earth/Night Sky.jpg"};
    options.DispalyCityName = false;
    options.WeatherIconScale = 250;
    options.FontCityName = {"Liberation Sans", 10.5, FontValue::Bold | FontValue::Italic};
    options.ColorCityName = Color::FromRgb(1, 2, 3);
    options.TzShowDate = true;
    options.TzHourFormat = 2;
    options.ColorTzMap = Color::FromRgb(0, 128, 255);
    options.Save("Terravue");

    COptions loaded = Make();
    loaded.Load();
    EXPECT_FALSE(loaded.UpdateWallpaper);
    EXPECT_FALSE(loaded.UseMetricSystem);
    ASSERT_TRUE(loaded.HomeCity);
    EXPECT_EQ(loaded.HomeCity->Station, "LFPO");
    ASSERT_EQ(loaded.Cities->size(), 3U);
    EXPECT_EQ((*loaded.Cities)[1].CityName, "New York");
    ASSERT_EQ(loaded.TimeZones->size(), 2U);
    EXPECT_EQ((*loaded.TimeZones)[1].Label, "London");
    EXPECT_EQ(loaded.Region, options.Region);
    EXPECT_EQ(loaded.Background, options.Background);
    EXPECT_FALSE(loaded.DispalyCityName);
    EXPECT_EQ(loaded.WeatherIconScale, 250);
    EXPECT_EQ(loaded.FontCityName, options.FontCityName);
    EXPECT_EQ(loaded.ColorCityName, options.ColorCityName);
    EXPECT_TRUE(loaded.TzShowDate);
    EXPECT_EQ(loaded.TzHourFormat, 2);
    EXPECT_EQ(loaded.ColorTzMap, options.ColorTzMap);
}

TEST_F(OptionsTest, AFileWithoutHomeCityLineLoadsWithoutHomeCityAndSavesNone) {
    COptions options = LoadedFrom("ShowWeather=false\r\n");
    EXPECT_FALSE(options.HomeCity);
    EXPECT_FALSE(options.ShowWeather);
    options.SaveOptions();
    EXPECT_EQ(ReadWholeFile(Files().Options).rfind("UpdateWallpaper=true\r\n", 0), 0U);

    EXPECT_FALSE(LoadedFrom("HomeCity=\r\n").HomeCity);
    // A home city that does not parse leaves the one there was.
    const COptions damaged = LoadedFrom("HomeCity=1;ABCD;Land\r\n");
    ASSERT_TRUE(damaged.HomeCity);
    EXPECT_EQ(damaged.HomeCity->Id, 348400);
    EXPECT_EQ(LoadedFrom("HomeCity=1;ABCD;Land;Town;;10.5;-20.25\r\n").HomeCity->CityName, "Town");
}

TEST_F(OptionsTest, AFileWithLineFeedsAloneLoadsEveryValue) {
    std::string file = EditionDefaultFile(EnumAppKind::TimeZones);
    for (std::size_t end = file.find("\r\n"); end != std::string::npos; end = file.find("\r\n")) {
        file.erase(end, 1);
    }
    COptions options = LoadedFrom(file);
    EXPECT_FALSE(options.UpdateWallpaper);
    EXPECT_FALSE(options.ShowWeather);
    EXPECT_TRUE(options.ShowTimeZonesOnWallpaper);
    ASSERT_TRUE(options.HomeCity);
    EXPECT_FLOAT_EQ(options.HomeCity->Longitude, -118.389F);
    EXPECT_EQ(options.ColorTzMap, Color::FromRgb(255, 0, 0));
    // Saved again with the program's own line ends.
    options.SaveOptions();
    EXPECT_EQ(ReadWholeFile(Files().Options), EditionDefaultFile(EnumAppKind::TimeZones));
}

TEST_F(OptionsTest, ADamagedValueKeepsOnlyItsOwnField) {
    const COptions options = LoadedFrom(std::string(
        "TzHourFormat=3\r\nWeatherIconScale=1000\r\nFontCityName=Arial,abc,0\r\n"
        "ColorCityName=1,2\r\nRegion=Moon\r\nBackground=Missing.jpg\r\nShowClouds=True\r\n"
        "FontCityTemprature=Arial,1e9,1\r\nFontTzMap=Times New Roman,0.5,0\r\n"
        "ColorTzMap=300,0,0,9\r\nUseMetricSystem=false\r\n" +
        std::string("TzShowDayOfWeek=false\0garbage\r\n", 31)));
    EXPECT_EQ(options.TzHourFormat, 1);
    EXPECT_EQ(options.WeatherIconScale, 1000);
    EXPECT_EQ(options.FontCityName, (FontValue{"Arial", 6.0, 0}));
    EXPECT_EQ(options.FontCityTemprature, (FontValue{"Arial", 8.0, FontValue::Bold}));
    EXPECT_EQ(options.FontTzMap, (FontValue{"Times New Roman", 9.0, 0}));
    EXPECT_EQ(options.ColorCityName, Color{0xFFFFFFFF});
    EXPECT_EQ(options.Region.Name, "Earth (Default)");
    EXPECT_EQ(options.Background.FileName, "Blue Marble.jpg");
    EXPECT_TRUE(options.ShowClouds);
    EXPECT_EQ(options.ColorTzMap, Color::FromRgb(44, 0, 0));
    EXPECT_FALSE(options.UseMetricSystem);
    EXPECT_TRUE(options.TzShowDayOfWeek);
}

TEST_F(OptionsTest, RegionMatchesIgnoringCaseAndBackgroundMustBeAnEarthPicture) {
    WriteWholeFile(folder_.Path() / "install" / "Earth" / "Classic.jpg", "picture");
    WriteWholeFile(folder_.Path() / "elsewhere.jpg", "picture");
    const COptions options = LoadedFrom("Region=earth (complete)\r\nBackground=Classic.jpg\r\n");
    EXPECT_EQ(options.Region, *Regions::Find("Earth (Complete)"));
    EXPECT_EQ(options.Region.West, -180);
    EXPECT_EQ(options.Background.Path, folder_.Folder() + "install/Earth/Classic.jpg");

    // A value naming a path outside the "Earth/" folder is not a background's file name.
    EXPECT_EQ(LoadedFrom("Background=../../elsewhere.jpg\r\n").Background.FileName,
              "Blue Marble.jpg");
}

TEST_F(OptionsTest, EmptyCitiesAndTimeZonesFilesGiveNone) {
    WriteWholeFile(Files().Cities, "");
    WriteWholeFile(Files().TimeZones, "\r\n\r\n");
    COptions options = Make();
    options.Load();
    EXPECT_TRUE(options.Cities->empty());
    EXPECT_TRUE(options.TimeZones->empty());
}

// Loading once waited forever on a FIFO and filled memory from /dev/zero.
TEST_F(OptionsTest, ALoadRefusesFifosDevicesAndOversizedFilesAndKeepsTheValues) {
    ASSERT_EQ(::mkfifo(Files().Cities.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(Files().TimeZones.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", Files().Options);
    COptions options = Make();
    {
        const RecordedDataLog log;
        options.Load();
        // One line per file, naming it and the reason.
        EXPECT_EQ(
            RecordedDataLog::Lines(),
            (std::vector<std::string>{Files().Options + " cannot be read: not a regular file",
                                      Files().TimeZones + " cannot be read: not a regular file",
                                      Files().Cities + " cannot be read: not a regular file"}));
    }
    EXPECT_EQ(options.Cities->size(), 16U);
    EXPECT_EQ(options.TimeZones->size(), 4U);
    EXPECT_EQ(options.FontCityName, (FontValue{"Arial", 6.0, 0}));

    std::filesystem::remove(Files().Cities);
    WriteWholeFile(Files().Cities, "1;ABCD;Land;Town;;10.5;-20.25\r\n");
    std::filesystem::resize_file(Files().Cities, UserFiles::MaximumBytes + 1);
    options.Load();
    EXPECT_EQ(options.Cities->size(), 16U);
}

// A load that could not read a file, or dropped part of it, once let the next
// save replace the user's file with defaults for good.
TEST_F(OptionsTest, AFileTheLoadCouldNotReadWholeIsKeptAsBadByTheNextSave) {
    const std::string damagedCities = "1;ABCD;Land;Town;;10.5;-20.25\r\n2;EFGH;Land;Six;;1\r\n";
    const std::string damagedOptions = "ShowWeather=false\r\nTzHourFormat=24\r\n";
    WriteWholeFile(Files().Cities, damagedCities);
    WriteWholeFile(Files().Options, damagedOptions);
    WriteWholeFile(Files().TimeZones + "/notes.txt", "a folder of that name");
    COptions options = Make();
    options.Load();
    ASSERT_EQ(options.Cities->size(), 1U);
    EXPECT_FALSE(options.ShowWeather);
    EXPECT_EQ(options.TimeZones->size(), 4U);

    // The options dialog edits a copy and saves it.
    COptions edited = options;
    edited.Save("Terravue");
    EXPECT_EQ(ReadWholeFile(Files().Cities + ".bad"), damagedCities);
    EXPECT_EQ(ReadWholeFile(Files().Options + ".bad"), damagedOptions);
    EXPECT_EQ(ReadWholeFile(Files().TimeZones + ".bad/notes.txt"), "a folder of that name");
    EXPECT_EQ(ReadWholeFile(Files().Cities), "1;ABCD;Land;Town;;10.500000;-20.250000\r\n");
    EXPECT_EQ(ReadWholeFile(Files().TimeZones).find("New York;Eastern Standard Time\r\n"), 0U);

    // Once saved, the files are sound: neither the next save nor a clean load
    // and save makes a ".bad" file again.
    for (const std::string& file : {Files().Options, Files().Cities, Files().TimeZones}) {
        std::filesystem::remove_all(file + ".bad");
    }
    edited.Save("Terravue");
    COptions reloaded = Make();
    reloaded.Load();
    reloaded.Save("Terravue");
    for (const std::string& file : {Files().Options, Files().Cities, Files().TimeZones}) {
        EXPECT_FALSE(std::filesystem::exists(file + ".bad")) << file;
    }
}

// The clocks are made from the file only when first needed; a save before that
// must still see the lines the file loses.
TEST_F(OptionsTest, ZonesLostToDamageAreKeptAsBadEvenWhenTheClocksWereNeverMade) {
    const std::string damaged = "Home;Tokyo Standard Time\r\nbroken line\r\n";
    WriteWholeFile(Files().TimeZones, damaged);
    COptions options = Make();
    options.Load();
    options.Save("Meridio");
    EXPECT_EQ(ReadWholeFile(Files().TimeZones + ".bad"), damaged);
    EXPECT_EQ(ReadWholeFile(Files().TimeZones), "Home;Tokyo Standard Time\r\n");
}

TEST_F(OptionsTest, AnUnknownZoneDropsOnlyItsLine) {
    WriteWholeFile(Files().TimeZones,
                   "Home;eastern standard time\r\nNowhere;Atlantis Standard Time\r\n"
                   "Tokyo;Tokyo Standard Time\r\n");
    COptions options = Make();
    options.Load();
    ASSERT_EQ(options.TimeZones->size(), 2U);
    options.SaveTimeZones();
    EXPECT_EQ(ReadWholeFile(Files().TimeZones),
              "Home;Eastern Standard Time\r\nTokyo;Tokyo Standard Time\r\n");
}

TEST_F(OptionsTest, ASaveThatCannotStartShowsOneMessageAndChangesNoFile) {
    WriteWholeFile(Files().Options, "old options");
    WriteWholeFile(Files().TimeZones, "old zones");
    WriteWholeFile(Files().Cities, "old cities");
    // A folder where the temporary file must go: even root cannot create it.
    std::filesystem::create_directory(Files().Options + ".temp");
    RecordedErrors errors;
    Make().Save("Terravue");
    EXPECT_EQ(errors.Shown, std::vector<std::string>{"Terravue: Could not save options."});
    EXPECT_EQ(ReadWholeFile(Files().Options), "old options");
    EXPECT_EQ(ReadWholeFile(Files().TimeZones), "old zones");
    EXPECT_EQ(ReadWholeFile(Files().Cities), "old cities");
    EXPECT_EQ(LocationOf([&] { Make().SaveOptions(); }), "COptions::SaveOptions (384)");
}

TEST_F(OptionsTest, ASaveFailingMidwaySkipsTheRemainingFilesAndKeepsThem) {
    WriteWholeFile(Files().Cities, "old cities");
    std::filesystem::create_directory(Files().TimeZones + ".temp");
    RecordedErrors errors;
    Make().Save("Nimbara");
    EXPECT_EQ(errors.Shown.size(), 1U);
    EXPECT_EQ(ReadWholeFile(Files().Options), EarthDefaultFile);  // saved before the failure
    EXPECT_FALSE(std::filesystem::exists(Files().TimeZones));
    EXPECT_EQ(ReadWholeFile(Files().Cities), "old cities");
}

TEST_F(OptionsTest, CopiesAreDeep) {
    COptions original = Make();
    COptions copy = original;
    copy.Cities->clear();
    copy.TimeZones->pop_back();
    copy.HomeCity->CityName = "Elsewhere";
    copy.FontTzMap.Size = 20.0;
    EXPECT_EQ(original.Cities->size(), 16U);
    EXPECT_EQ(original.TimeZones->size(), 4U);
    EXPECT_EQ(original.HomeCity->CityName, "Los Angeles");
    EXPECT_EQ(original.FontTzMap.Size, 9.0);

    copy.HomeCity = nullptr;
    original = copy;
    EXPECT_FALSE(original.HomeCity);
    EXPECT_TRUE(original.Cities->empty());
    EXPECT_NE(original.Cities.Get(), copy.Cities.Get());
}

TEST_F(OptionsTest, CopyingOptionsWithoutTheirListsRaises) {
    COptions withoutCities = Make();
    withoutCities.Cities = nullptr;
    EXPECT_EQ(LocationOf([&] { COptions copy(withoutCities); }),
              "CPtr<class std::vector<class City,class std::allocator<class City> > >::operator * "
              "(108)");
    COptions withoutZones = Make();
    withoutZones.TimeZones = nullptr;
    EXPECT_EQ(LocationOf([&] { COptions copy(withoutZones); }),
              "CPtr<class std::vector<class TimeZoneItem,class std::allocator<class TimeZoneItem> "
              "> >::operator * (108)");
    // Saving writes no file for a list that is not there.
    withoutCities.SaveCities();
    EXPECT_FALSE(std::filesystem::exists(Files().Cities));
}

}  // namespace
