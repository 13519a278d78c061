#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

#include "core/UtilFile.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;

class UtilFileTest : public testing::Test {
protected:
    TestSupport::TempFolder folder_;
};

TEST_F(UtilFileTest, WrittenBytesReadBackUnchanged) {
    std::string text = "Key=Value\r\nZürich;\t";
    text.push_back('\0');
    text += "after a zero byte\n";
    const std::string path = folder_.Folder() + "Options.txt";
    UtilFile::WriteFileAscii(path, text);
    EXPECT_EQ(UtilFile::ReadFileAscii(path, text.size()), text);
}

TEST_F(UtilFileTest, LargeFilesAreReadWhole) {
    std::string text;
    for (int index = 0; text.size() < 300000; ++index) {
        text += "City" + std::to_string(index) + ";45.5;-122.6\r\n";
    }
    const std::string path = folder_.Folder() + "CityRecords.txt";
    UtilFile::WriteFileAscii(path, text);
    EXPECT_EQ(UtilFile::ReadFileAscii(path, UtilFile::MiB), text);
}

TEST_F(UtilFileTest, WritingReplacesALongerFile) {
    const std::string path = folder_.Folder() + "Settings.txt";
    UtilFile::WriteFileAscii(path, "a much longer previous content");
    UtilFile::WriteFileAscii(path, "short");
    EXPECT_EQ(UtilFile::ReadFileAscii(path, 100), "short");
    UtilFile::WriteFileAscii(path, "");
    EXPECT_EQ(UtilFile::ReadFileAscii(path, 100), "");
}

TEST_F(UtilFileTest, ReadingAMissingFileOrAFolderRaisesTheOpenFailure) {
    EXPECT_EQ(LocationOf([&] { UtilFile::ReadFileAscii(folder_.Folder() + "missing.txt", 10); }),
              "UtilFile::ReadFileAscii (12)");
    EXPECT_EQ(LocationOf([&] { UtilFile::ReadFileAscii(folder_.Folder(), 10); }),
              "UtilFile::ReadFileAscii (12)");
}

// Each would otherwise wait for a writer forever or read until memory runs out.
TEST_F(UtilFileTest, ReadingRefusesAnythingButARegularFileWithoutWaiting) {
    const std::string fifo = folder_.Folder() + "Cities.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string endless = folder_.Folder() + "TimeZones.txt";
    std::filesystem::create_symlink("/dev/zero", endless);
    for (const std::string& path : {fifo, endless}) {
        try {
            UtilFile::ReadFileAscii(path, UtilFile::MiB);
            ADD_FAILURE() << path << " was read";
        } catch (const ApplicationException& error) {
            EXPECT_EQ(error.Location, "UtilFile::ReadFileAscii (12)");
            EXPECT_EQ(error.Message, "not a regular file");
        }
    }
}

TEST_F(UtilFileTest, ReadingRefusesAFileOverTheLimitAndTakesOneUpToIt) {
    const std::string path = folder_.Folder() + "Options.txt";
    UtilFile::WriteFileAscii(path, "0123456789");
    EXPECT_EQ(UtilFile::ReadFileAscii(path, 10), "0123456789");
    EXPECT_EQ(LocationOf([&] { UtilFile::ReadFileAscii(path, 9); }),
              "UtilFile::ReadFileAscii (13)");
    // Its size says 0, like a file still growing: the bytes read count, not the size seen.
    EXPECT_EQ(LocationOf([] { UtilFile::ReadFileAscii("/proc/self/maps", 10); }),
              "UtilFile::ReadFileAscii (13)");
}

TEST_F(UtilFileTest, CreatingInAMissingFolderRaisesTheCreateFailure) {
    EXPECT_EQ(LocationOf([&] { UtilFile::WriteFileAscii(folder_.Folder() + "no/such.txt", "x"); }),
              "UtilFile::WriteFileAscii (24)");
}

TEST_F(UtilFileTest, AWriteThatCannotCompleteRaisesInsteadOfReportingSuccess) {
    struct stat status {};
    if (::stat("/dev/full", &status) != 0) {
        GTEST_SKIP() << "no /dev/full here";
    }
    EXPECT_EQ(LocationOf([] { UtilFile::WriteFileAscii("/dev/full", "anything"); }),
              "UtilFile::WriteFileAscii (26)");
}

}  // namespace
