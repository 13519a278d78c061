#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "data/CityDatabase.h"
#include "data/FavouriteCities.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;
using TestSupport::TempFolder;
using TestSupport::WriteWholeFile;

std::vector<std::string> Stations(const std::vector<CityRecord>& records) {
    std::vector<std::string> stations;
    for (const CityRecord& record : records) {
        stations.push_back(record.Station);
    }
    return stations;
}

class CityDatabaseTest : public ::testing::Test {
protected:
    std::string WriteRecords(const std::string& name, const std::string& content) {
        const std::string path = folder_.Folder() + name;
        WriteWholeFile(path, content);
        return path;
    }

    TempFolder folder_;
};

TEST_F(CityDatabaseTest, RecordsKeepFileOrderAndBadLinesAreSkipped) {
    const std::string path = WriteRecords(Data::CityRecordsFileName,
                                          "3;CCCC;Land;Three;;1;2\n"
                                          "1;AAAA;Land;One;Airport;3;4\r\n"
                                          "\n"
                                          "x;BAD1;Land;Town;;1;2\n"
                                          "2;BAD2;Land;Six Fields;;1\n"
                                          "2;BBBB;Land;Two;;5;6");
    const std::vector<CityRecord> records = Data::ReadCityRecords(path);
    EXPECT_EQ(Stations(records), (std::vector<std::string>{"CCCC", "AAAA", "BBBB"}));
    EXPECT_EQ(records[1].Details, "Airport");
    EXPECT_FLOAT_EQ(records[1].Longitude, 4.0F);
    EXPECT_FLOAT_EQ(records[2].Longitude, 6.0F);
}

TEST_F(CityDatabaseTest, OverlongLineIsSkippedWholeAndReadingGoesOn) {
    const std::string head = "1;LONG;Land;Town;";
    const std::string tail = ";1;2";
    // The longest line the buffer holds, and one more character.
    const std::size_t fits = Data::CityRecordLineBuffer - 1;
    const std::string longest = head + std::string(fits - head.size() - tail.size(), 'x') + tail;
    const std::string overlong =
        head + std::string(fits + 1 - head.size() - tail.size(), 'y') + tail;
    ASSERT_EQ(longest.size(), fits);
    const std::string path =
        WriteRecords("long.txt", "7;AAAA;Land;Before;;1;2\n" + overlong + "\n" + longest +
                                     "\n8;BBBB;Land;After;;1;2\n" + std::string(3 * fits, 'z') +
                                     "\n9;CCCC;Land;End;;1;2\n");
    const std::vector<CityRecord> records = Data::ReadCityRecords(path);
    EXPECT_EQ(Stations(records), (std::vector<std::string>{"AAAA", "LONG", "BBBB", "CCCC"}));
    EXPECT_EQ(records[1].Details, std::string(fits - head.size() - tail.size(), 'x'));
}

TEST_F(CityDatabaseTest, MissingUnreadableOrOversizedFileRaisesTheLoadLocation) {
    EXPECT_EQ(LocationOf([&] { Data::ReadCityRecords(folder_.Folder() + "missing.txt"); }),
              "Data::LoadData (29)");
    EXPECT_EQ(LocationOf([&] { Data::ReadCityRecords(folder_.Folder()); }), "Data::LoadData (29)");
    // Neither waits for a writer nor reads without end.
    const std::string fifo = folder_.Folder() + "fifo.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(LocationOf([&] { Data::ReadCityRecords(fifo); }), "Data::LoadData (29)");
    const std::string endless = folder_.Folder() + "endless.txt";
    std::filesystem::create_symlink("/dev/zero", endless);
    EXPECT_EQ(LocationOf([&] { Data::ReadCityRecords(endless); }), "Data::LoadData (29)");
    const std::string huge = WriteRecords("huge.txt", "1;AAAA;L;A;;1;2\n");
    std::filesystem::resize_file(huge, Data::CityRecordsMaximumBytes + 1);
    EXPECT_EQ(LocationOf([&] { Data::ReadCityRecords(huge); }), "Data::LoadData (29)");
}

// Read on first use and kept; a failed reload keeps what was read.
TEST_F(CityDatabaseTest, TheDatabaseIsReadOnFirstUseAndAFailedLoadKeepsIt) {
    const std::string path =
        WriteRecords("records.txt", "1;AAAA;L;A;;1;2\n2;BBBB;L;B;;1;2\n");
    Data::CityDatabase database(path);
    EXPECT_EQ(Stations(database.GetCityRecords()), (std::vector<std::string>{"AAAA", "BBBB"}));
    std::filesystem::remove(path);
    database.LoadData();
    EXPECT_EQ(database.GetCityRecords().size(), 2U);
}

// The database the program ships with, read once for all of its tests.
class ShippedCityDatabaseTest : public ::testing::Test {
protected:
    static const std::string& Content() {
        static const std::string content = TestSupport::ReadWholeFile(SKYVANE_CITY_RECORDS_FILE);
        return content;
    }

    static const std::vector<CityRecord>& Records() {
        static const std::vector<CityRecord> records =
            Data::ReadCityRecords(SKYVANE_CITY_RECORDS_FILE);
        return records;
    }

    static std::vector<std::string> Lines() {
        const std::string& content = Content();
        std::string tail;
        std::vector<std::string> lines = TestSupport::LinesEndingIn(content, "\n", tail);
        EXPECT_EQ(tail, "") << "the last line must end in a line feed too";
        return lines;
    }
};

TEST_F(ShippedCityDatabaseTest, EveryLineLoadsAndWritesBackUnchanged) {
    const std::vector<std::string> lines = Lines();
    ASSERT_GT(lines.size(), 3000U);
    ASSERT_EQ(Records().size(), lines.size());
    for (std::size_t index = 0; index < lines.size(); ++index) {
        ASSERT_EQ(SerializeCityLine(Records()[index]), lines[index]) << "line " << index + 1;
    }
}

TEST_F(ShippedCityDatabaseTest, IdsAndStationsAreUnique) {
    std::set<int> ids;
    std::set<std::string> stations;
    for (const CityRecord& record : Records()) {
        EXPECT_TRUE(ids.insert(record.Id).second) << "id " << record.Id;
        EXPECT_TRUE(stations.insert(record.Station).second) << record.Station;
        EXPECT_GT(record.Id, 0);
        EXPECT_FALSE(record.CityName.empty()) << record.Station;
        EXPECT_FALSE(record.Country.empty()) << record.Station;
    }
}

TEST_F(ShippedCityDatabaseTest, SortedByCountryThenCityThenStation) {
    for (std::size_t index = 1; index < Records().size(); ++index) {
        const CityRecord& before = Records()[index - 1];
        const CityRecord& after = Records()[index];
        ASSERT_LT(std::tie(before.Country, before.CityName, before.Station),
                  std::tie(after.Country, after.CityName, after.Station))
            << "line " << index + 1;
    }
}

TEST_F(ShippedCityDatabaseTest, DefaultCitiesArePresentWithTheirExactFields) {
    std::map<int, const CityRecord*> byId;
    for (const CityRecord& record : Records()) {
        byId[record.Id] = &record;
    }
    std::vector<City> defaults = DefaultFavouriteCities();
    defaults.push_back(DefaultHomeCity());
    for (const City& city : defaults) {
        const auto found = byId.find(city.Id);
        ASSERT_NE(found, byId.end()) << city.Station;
        EXPECT_EQ(SerializeCityLine(*found->second), SerializeCityLine(city));
    }
}

TEST_F(ShippedCityDatabaseTest, UnitedStatesIsWrittenUsa) {
    std::size_t american = 0;
    for (const CityRecord& record : Records()) {
        EXPECT_NE(record.Country, "United States") << record.Station;
        american += record.Country == "USA" ? 1 : 0;
    }
    EXPECT_GT(american, 500U);
}

}  // namespace
