#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "core/AtomicFile.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;
using TestSupport::ReadWholeFile;
using TestSupport::TempFolder;
using TestSupport::WriteWholeFile;

class AtomicFileTest : public ::testing::Test {
protected:
    TempFolder folder_;
    std::string target_ = folder_.Folder() + "Options.txt";
};

TEST_F(AtomicFileTest, CommitReplacesTheFileAndLeavesNoTemporaryFile) {
    WriteWholeFile(target_, "old\r\n");
    {
        AtomicFileWriter writer(target_, "Caller::Save (1)");
        EXPECT_EQ(writer.TemporaryPath(), target_ + ".temp");
        writer.Write("new\r\n", "Caller::Save (2)");
        EXPECT_EQ(ReadWholeFile(target_), "old\r\n");  // untouched until the commit
        writer.Commit();
    }
    EXPECT_EQ(ReadWholeFile(target_), "new\r\n");
    EXPECT_FALSE(std::filesystem::exists(target_ + ".temp"));
}

TEST_F(AtomicFileTest, ASaveAbandonedMidwayKeepsTheOldFile) {
    WriteWholeFile(target_, "old\r\n");
    try {
        AtomicFileWriter writer(target_, "Caller::Save (1)");
        writer.Write("half a fi", "Caller::Save (2)");
        throw std::runtime_error("the next value could not be formatted");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ReadWholeFile(target_), "old\r\n");
    EXPECT_FALSE(std::filesystem::exists(target_ + ".temp"));
}

TEST_F(AtomicFileTest, FailuresRaiseTheirLocationsAndKeepTheOldFile) {
    const std::string missingFolder = folder_.Folder() + "missing/Options.txt";
    EXPECT_EQ(LocationOf([&] { AtomicFileWriter writer(missingFolder, "Caller::Save (384)"); }),
              "Caller::Save (384)");

    // A folder in the file's place cannot be replaced by a file.
    std::filesystem::create_directory(target_);
    WriteWholeFile(target_ + "/inside", "kept");
    EXPECT_EQ(LocationOf([&] {
                  AtomicFileWriter writer(target_, "Caller::Save (1)");
                  writer.Write("new", "Caller::Save (2)");
                  writer.Commit();
              }),
              "AtomicFileWriter::Commit (71)");
    EXPECT_EQ(ReadWholeFile(target_ + "/inside"), "kept");
    EXPECT_FALSE(std::filesystem::exists(target_ + ".temp"));
}

}  // namespace
