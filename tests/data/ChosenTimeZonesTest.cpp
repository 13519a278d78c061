#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/ChosenTimeZones.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;
using TestSupport::ReadWholeFile;
using TestSupport::TempFolder;
using TestSupport::WriteWholeFile;

std::vector<std::string> LabelsAndIds(const std::vector<TimeZoneItem>& items) {
    std::vector<std::string> texts;
    for (const TimeZoneItem& item : items) {
        texts.push_back(item.Label + "|" + item.Info.Id);
    }
    return texts;
}

class ChosenTimeZonesTest : public ::testing::Test {
protected:
    TempFolder folder_;
    std::string path_ = folder_.Folder() + TimeZonesFileName;
    std::vector<TimeZoneItem> items_ = DefaultTimeZoneItems();
};

TEST_F(ChosenTimeZonesTest, DefaultTimeZoneItems_AreTheFourCitiesInOrder) {
    EXPECT_EQ(
        LabelsAndIds(items_),
        (std::vector<std::string>{"New York|Eastern Standard Time", "London|GMT Standard Time",
                                  "Berlin|W. Europe Standard Time", "Tokyo|Tokyo Standard Time"}));
    EXPECT_EQ(items_[0].Info.IanaId, "America/New_York");
}

TEST_F(ChosenTimeZonesTest, LoadTimeZones_KeepsTheItemsWhenTheFileIsMissing) {
    LoadTimeZones(path_, items_);
    EXPECT_EQ(items_.size(), 4U);
}

TEST_F(ChosenTimeZonesTest, LoadTimeZones_AFileOfBlankLinesGivesNoItems) {
    WriteWholeFile(path_, "\r\n\r\n  \t \r\n\n\r");
    LoadTimeZones(path_, items_);
    EXPECT_TRUE(items_.empty());
}

TEST_F(ChosenTimeZonesTest, LoadTimeZones_AnEmptyFileGivesNoItems) {
    WriteWholeFile(path_, "");
    LoadTimeZones(path_, items_);
    EXPECT_TRUE(items_.empty());
}

TEST_F(ChosenTimeZonesTest, LoadTimeZones_SkipsOnlyTheLinesThatDoNotMakeAnItem) {
    WriteWholeFile(path_,
                   "New York;Eastern Standard Time\r\n"
                   "Tokyo Standard Time\r\n"
                   "Atlantis;Atlantis Standard Time\r\n"
                   "\r\n"
                   "  Home;eastern standard time \t\n"
                   ";Tokyo Standard Time\r"
                   "Kathmandu;Nepal Standard Time");
    LoadTimeZones(path_, items_);
    EXPECT_EQ(
        LabelsAndIds(items_),
        (std::vector<std::string>{"New York|Eastern Standard Time", "Home|Eastern Standard Time",
                                  "|Tokyo Standard Time", "Kathmandu|Nepal Standard Time"}));
}

TEST_F(ChosenTimeZonesTest, AnIdMatchedIgnoringCaseIsSavedAsTheZonesOwnId) {
    WriteWholeFile(path_, "Home;eastern standard time\r\n");
    LoadTimeZones(path_, items_);
    SaveTimeZones(path_, items_);
    EXPECT_EQ(ReadWholeFile(path_), "Home;Eastern Standard Time\r\n");
}

TEST_F(ChosenTimeZonesTest, SaveTimeZones_WritesOneLinePerItemAndLoadsBackTheSame) {
    items_[1].Label = "";
    items_[2].Label = "Berlin; Germany";
    SaveTimeZones(path_, items_);
    EXPECT_EQ(ReadWholeFile(path_),
              "New York;Eastern Standard Time\r\n"
              ";GMT Standard Time\r\n"
              "Berlin; Germany;W. Europe Standard Time\r\n"
              "Tokyo;Tokyo Standard Time\r\n");
    std::vector<TimeZoneItem> loaded;
    LoadTimeZones(path_, loaded);
    EXPECT_EQ(LabelsAndIds(loaded), LabelsAndIds(items_));
    EXPECT_FALSE(std::filesystem::exists(path_ + ".temp"));
}

TEST_F(ChosenTimeZonesTest, SaveTimeZones_WritesAnEmptyFileForNoItems) {
    WriteWholeFile(path_, "Old;Tokyo Standard Time\r\n");
    SaveTimeZones(path_, {});
    EXPECT_EQ(ReadWholeFile(path_), "");
}

TEST_F(ChosenTimeZonesTest, SaveTimeZones_RaisesWhenItCannotCreateTheFileAndKeepsNothingHalfDone) {
    const std::string missing = folder_.Folder() + "missing/" + TimeZonesFileName;
    EXPECT_EQ(LocationOf([&] { SaveTimeZones(missing, items_); }), "COptions::SaveTimeZones (345)");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ChosenTimeZonesTest, LoadTimeZones_RaisesForAFileItCannotReadAndKeepsTheItems) {
    std::filesystem::create_directory(path_);
    EXPECT_EQ(LocationOf([&] { LoadTimeZones(path_, items_); }), "UtilFile::ReadFileAscii (12)");
    EXPECT_EQ(items_.size(), 4U);
}

}  // namespace
