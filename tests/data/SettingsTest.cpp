#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "core/CPtr.h"
#include "data/Settings.h"
#include "support/TestSupport.h"

namespace {

using namespace std::string_literals;
using TestSupport::LocationOf;
using TestSupport::ReadWholeFile;
using TestSupport::TempFolder;
using TestSupport::WriteWholeFile;

const std::string DefaultFile =
    "FormLocalWeather_AlwaysOnTop=true\r\n"
    "FormLocalWeather_Mode=0\r\n"
    "FormTimeZones_AlwaysOnTop=true\r\n"
    "FormTimeZones_Location=100,0\r\n"
    "LastUpdateNotificationDate=1990,1,1,0,0,0\r\n";

// Every field, so one comparison shows which of them a load changed.
auto Fields(const CSettings& settings) {
    return std::make_tuple(settings.FormLocalWeather_AlwaysOnTop, settings.FormLocalWeather_Mode,
                           settings.FormTimeZones_AlwaysOnTop, settings.FormTimeZones_Location.x,
                           settings.FormTimeZones_Location.y,
                           settings.LastUpdateNotificationDate.Ticks(),
                           settings.LastUpdateNotificationDate.GetKind());
}

// Settings unlike the defaults, so that a field a load should keep cannot
// pass by being reset to its default.
CSettings Previous() {
    CSettings settings;
    settings.FormLocalWeather_AlwaysOnTop = false;
    settings.FormLocalWeather_Mode = CSettings::ModeSmall;
    settings.FormTimeZones_AlwaysOnTop = false;
    settings.FormTimeZones_Location = CPoint{7, 8};
    settings.LastUpdateNotificationDate = DateTime(2000, 6, 15);
    return settings;
}

class SettingsFileTest : public ::testing::Test {
protected:
    TempFolder folder_;
    std::string path_ = folder_.Folder() + "Settings.txt";
};

TEST_F(SettingsFileTest, DefaultsAreSavedAsTheFiveLinesInTableOrder) {
    CSettings().Save(path_);
    EXPECT_EQ(ReadWholeFile(path_), DefaultFile);
    EXPECT_FALSE(std::filesystem::exists(path_ + ".temp"));
}

TEST_F(SettingsFileTest, SavedValuesLoadBackUnchanged) {
    CSettings saved = Previous();
    saved.FormTimeZones_Location = CPoint{-500, 20};
    saved.LastUpdateNotificationDate = DateTime::Now();
    saved.Save(path_);

    CSettings loaded;
    loaded.Load(path_);
    // The file does not carry the kind: a date read back is unspecified.
    saved.LastUpdateNotificationDate =
        saved.LastUpdateNotificationDate.WithKind(DateTime::Kind::Unspecified);
    EXPECT_EQ(Fields(loaded), Fields(saved));
}

TEST_F(SettingsFileTest, SaveReplacesTheWholeFile) {
    WriteWholeFile(path_, "FormLocalWeather_Mode=2\r\nSomethingElse=1\r\nmore and more text\r\n");
    CSettings().Save(path_);
    EXPECT_EQ(ReadWholeFile(path_), DefaultFile);
}

TEST_F(SettingsFileTest, FileWithOnlyTheModeLineLoadsThatModeAndAllOtherDefaults) {
    WriteWholeFile(path_, "FormLocalWeather_Mode=1\r\n");
    CSettings settings;
    settings.Load(path_);
    CSettings expected;
    expected.FormLocalWeather_Mode = CSettings::ModeSmall;
    EXPECT_EQ(Fields(settings), Fields(expected));
}

TEST_F(SettingsFileTest, MissingOrUnreadableFileKeepsEveryField) {
    CSettings settings = Previous();
    settings.Load(path_);
    EXPECT_EQ(Fields(settings), Fields(Previous()));

    std::filesystem::create_directory(path_);
    settings.Load(path_);
    EXPECT_EQ(Fields(settings), Fields(Previous()));
}

TEST_F(SettingsFileTest, SaveIntoAMissingFolderFailsSilently) {
    const std::string path = folder_.Folder() + "missing/Settings.txt";
    EXPECT_NO_THROW(CSettings().Save(path));
    EXPECT_FALSE(std::filesystem::exists(folder_.Folder() + "missing"));
}

TEST_F(SettingsFileTest, SaveThatCannotCreateItsTemporaryFileKeepsTheOldFile) {
    WriteWholeFile(path_, "FormLocalWeather_Mode=2\r\n");
    std::filesystem::create_directory(path_ + ".temp");
    EXPECT_NO_THROW(Previous().Save(path_));
    EXPECT_EQ(ReadWholeFile(path_), "FormLocalWeather_Mode=2\r\n");
}

TEST_F(SettingsFileTest, SaveThatCannotReplaceTheFileKeepsItAndLeavesNoTemporaryFile) {
    std::filesystem::create_directory(path_);
    WriteWholeFile(path_ + "/inside", "kept");
    EXPECT_NO_THROW(Previous().Save(path_));
    EXPECT_EQ(ReadWholeFile(path_ + "/inside"), "kept");
    EXPECT_FALSE(std::filesystem::exists(path_ + ".temp"));
}

TEST_F(SettingsFileTest, ADamagedOrUnreadableFileIsKeptAsBadByTheNextSaveAndASoundOneIsNot) {
    const std::string damaged = "FormLocalWeather_Mode=1\r\nFormTimeZones_Location=1,x\r\n";
    WriteWholeFile(path_, damaged);
    CSettings settings;
    settings.Load(path_);
    settings.Save(path_);
    EXPECT_EQ(ReadWholeFile(path_ + ".bad"), damaged);
    std::filesystem::remove(path_ + ".bad");
    settings.Save(path_);
    settings.Load(path_);
    settings.Save(path_);
    EXPECT_FALSE(std::filesystem::exists(path_ + ".bad"));

    std::filesystem::remove(path_);
    std::filesystem::create_directory(path_);
    settings.Load(path_);
    settings.Save(path_);
    EXPECT_TRUE(std::filesystem::is_directory(path_ + ".bad"));
    EXPECT_NE(ReadWholeFile(path_).find("FormLocalWeather_Mode=1\r\n"), std::string::npos);
}

TEST(SettingsPointerTest, EmptyPointerRaisesItsOwnLocations) {
    const CPtr<CSettings> settings;
    EXPECT_EQ(LocationOf([&] { (void)settings->FormLocalWeather_Mode; }),
              "CPtr<class CSettings>::operator -> (114)");
    EXPECT_EQ(LocationOf([&] { (void)*settings; }), "CPtr<class CSettings>::operator * (108)");
}

// One settings file and what loading it over Previous() must give.
struct LoadCase {
    const char* name;
    std::string content;
    void (*expect)(CSettings& settings);  // turns Previous() into the expected result
};

void PrintTo(const LoadCase& loadCase, std::ostream* stream) {
    *stream << loadCase.name;
}

class SettingsLoadTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(SettingsLoadTest, EachLineSetsOnlyItsOwnFieldAndOnlyWhenItsValueParses) {
    TempFolder folder;
    const std::string path = folder.Folder() + "Settings.txt";
    WriteWholeFile(path, GetParam().content);

    CSettings expected = Previous();
    GetParam().expect(expected);
    CSettings fromFile = Previous();
    fromFile.Load(path);
    EXPECT_EQ(Fields(fromFile), Fields(expected));

    CSettings fromContent = Previous();
    fromContent.LoadFromContent(GetParam().content);
    EXPECT_EQ(Fields(fromContent), Fields(expected));
}

void Unchanged(CSettings&) {}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsLoadTest,
    ::testing::Values(
        LoadCase{"DefaultFile", DefaultFile, [](CSettings& s) { s = CSettings(); }},
        LoadCase{"EmptyFile", "", Unchanged},
        LoadCase{"ModeIconOnly", "FormLocalWeather_Mode=2\r\n",
                 [](CSettings& s) { s.FormLocalWeather_Mode = CSettings::ModeIconOnly; }},
        LoadCase{"ModeLarge", "FormLocalWeather_Mode=0",
                 [](CSettings& s) { s.FormLocalWeather_Mode = CSettings::ModeLarge; }},
        LoadCase{"ModeAboveRange", "FormLocalWeather_Mode=3\r\n", Unchanged},
        LoadCase{"ModeBelowRange", "FormLocalWeather_Mode=-1\r\n", Unchanged},
        LoadCase{"ModeNotANumber", "FormLocalWeather_Mode=Small\r\n", Unchanged},
        LoadCase{"NegativeLocationTaken", "FormTimeZones_Location=-500,20\r\n",
                 [](CSettings& s) {
                     s.FormTimeZones_Location = CPoint{-500, 20};
                 }},
        LoadCase{"LocationWithOneNumber", "FormTimeZones_Location=5\r\n", Unchanged},
        LoadCase{"LocationWithThreeNumbers", "FormTimeZones_Location=1,2,3\r\n", Unchanged},
        LoadCase{"LocationWithDamagedY", "FormTimeZones_Location=1,x\r\n", Unchanged},
        LoadCase{"DateRead", "LastUpdateNotificationDate=2013,3,27,0,0,0\r\n",
                 [](CSettings& s) { s.LastUpdateNotificationDate = DateTime(2013, 3, 27); }},
        LoadCase{"DateWithDayOutOfRange", "LastUpdateNotificationDate=2013,2,30,0,0,0\r\n",
                 Unchanged},
        LoadCase{"DateWithFiveFields", "LastUpdateNotificationDate=2013,3,27,0,0\r\n", Unchanged},
        LoadCase{"BooleansAreCaseSensitive",
                 "FormLocalWeather_AlwaysOnTop=True\r\nFormTimeZones_AlwaysOnTop=TRUE\r\n",
                 Unchanged},
        LoadCase{"BooleansRead",
                 "FormLocalWeather_AlwaysOnTop=true\r\nFormTimeZones_AlwaysOnTop=true\r\n",
                 [](CSettings& s) {
                     s.FormLocalWeather_AlwaysOnTop = true;
                     s.FormTimeZones_AlwaysOnTop = true;
                 }},
        LoadCase{"DamagedLineAmongGoodOnes",
                 "FormLocalWeather_AlwaysOnTop=true\r\n"
                 "FormLocalWeather_Mode=7\r\n"
                 "FormTimeZones_AlwaysOnTop=true\r\n"
                 "FormTimeZones_Location=100,0\r\n"
                 "LastUpdateNotificationDate=1990,1,1,0,0,0\r\n",
                 [](CSettings& s) {
                     const int mode = s.FormLocalWeather_Mode;
                     s = CSettings();
                     s.FormLocalWeather_Mode = mode;
                 }},
        LoadCase{"ValueHoldingAZeroByte",
                 "FormLocalWeather_Mode=2\0 7\r\nFormTimeZones_Location=1,2\0,3\r\n"s, Unchanged},
        LoadCase{"LinesEndedByLineFeedOnly",
                 "FormLocalWeather_Mode=2\nFormTimeZones_Location=1,2\n",
                 [](CSettings& s) {
                     s.FormLocalWeather_Mode = CSettings::ModeIconOnly;
                     s.FormTimeZones_Location = CPoint{1, 2};
                 }}),
    [](const ::testing::TestParamInfo<LoadCase>& param) { return std::string(param.param.name); });

}  // namespace
