#include <gtest/gtest.h>

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
    EXPECT_EQ(UtilFile::ReadFileAscii(path), text);
}

TEST_F(UtilFileTest, LargeFilesAreReadWhole) {
    std::string text;
    for (int index = 0; text.size() < 300000; ++index) {
        text += "City" + std::to_string(index) + ";45.5;-122.6\r\n";
    }
    const std::string path = folder_.Folder() + "CityRecords.txt";
    UtilFile::WriteFileAscii(path, text);
    EXPECT_EQ(UtilFile::ReadFileAscii(path), text);
}

TEST_F(UtilFileTest, WritingReplacesALongerFile) {
    const std::string path = folder_.Folder() + "Settings.txt";
    UtilFile::WriteFileAscii(path, "a much longer previous content");
    UtilFile::WriteFileAscii(path, "short");
    EXPECT_EQ(UtilFile::ReadFileAscii(path), "short");
    UtilFile::WriteFileAscii(path, "");
    EXPECT_EQ(UtilFile::ReadFileAscii(path), "");
}

TEST_F(UtilFileTest, ReadingAMissingFileOrAFolderRaisesTheOpenFailure) {
    EXPECT_EQ(LocationOf([&] { UtilFile::ReadFileAscii(folder_.Folder() + "missing.txt"); }),
              "UtilFile::ReadFileAscii (12)");
    EXPECT_EQ(LocationOf([&] { UtilFile::ReadFileAscii(folder_.Folder()); }),
              "UtilFile::ReadFileAscii (12)");
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
