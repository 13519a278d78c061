#include <gtest/gtest.h>

#include <sys/stat.h>

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

TEST_F(AtomicFileTest, ATemporaryFileThatCannotBeCreatedRaisesTheCallersLocation) {
    const std::string missingFolder = folder_.Folder() + "missing/Options.txt";
    EXPECT_EQ(LocationOf([&] { AtomicFileWriter writer(missingFolder, "Caller::Save (384)"); }),
              "Caller::Save (384)");
}

// None of these is a file of ours: a save that replaced it would swap a device
// node or a FIFO for a regular file, or bury a folder.
TEST_F(AtomicFileTest, OnlyARegularFileOrANewNameIsReplacedAndAnythingElseIsLeftAsItIs) {
    const std::string folder = folder_.Folder() + "folder.txt";
    std::filesystem::create_directory(folder);
    const std::string fifo = folder_.Folder() + "fifo.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string toDevice = folder_.Folder() + "device.txt";
    std::filesystem::create_symlink("/dev/null", toDevice);
    const std::string toNothing = folder_.Folder() + "nothing.txt";
    std::filesystem::create_symlink(folder_.Folder() + "missing", toNothing);
    for (const std::string& path : {folder, fifo, toDevice, toNothing}) {
        try {
            AtomicFileWriter writer(path, "Caller::Save (1)");
            ADD_FAILURE() << path << " was taken for a file";
        } catch (const ApplicationException& error) {
            EXPECT_EQ(error.Location, "Caller::Save (1)") << path;
            EXPECT_EQ(error.Message, AtomicFileWriter::NotRegularFileText) << path;
        }
        EXPECT_FALSE(std::filesystem::exists(path + ".temp")) << path;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(std::filesystem::read_symlink(toDevice), "/dev/null");
    EXPECT_TRUE(std::filesystem::is_symlink(toNothing));

    // A FIFO under the temporary file's name neither blocks the save nor is taken over.
    ASSERT_EQ(::mkfifo((target_ + ".temp").c_str(), 0600), 0);
    EXPECT_EQ(LocationOf([&] { AtomicFileWriter writer(target_, "Caller::Save (1)"); }),
              "Caller::Save (1)");
    EXPECT_TRUE(std::filesystem::is_fifo(target_ + ".temp"));
}

TEST_F(AtomicFileTest, KeepAsBadMovesWhateverIsThereAsideWholeAndReplacesAnOlderBadFile) {
    const auto save = [](const std::string& path) {
        AtomicFileWriter writer(path, "Caller::Save (1)", PreviousFile::KeepAsBad);
        writer.Write("new\r\n", "Caller::Save (2)");
        writer.Commit();
    };
    WriteWholeFile(target_, "damaged\r\n");
    WriteWholeFile(target_ + ".bad", "older");
    save(target_);
    EXPECT_EQ(ReadWholeFile(target_), "new\r\n");
    EXPECT_EQ(ReadWholeFile(target_ + ".bad"), "damaged\r\n");

    // A folder and a FIFO are moved as they are, never opened; the folder also
    // takes the place of an older ".bad" file.
    const std::string folder = folder_.Folder() + "Cities.txt";
    WriteWholeFile(folder + "/inside", "kept");
    WriteWholeFile(folder + ".bad", "older");
    save(folder);
    EXPECT_EQ(ReadWholeFile(folder), "new\r\n");
    EXPECT_EQ(ReadWholeFile(folder + ".bad/inside"), "kept");
    const std::string fifo = folder_.Folder() + "TimeZones.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    save(fifo);
    EXPECT_EQ(ReadWholeFile(fifo), "new\r\n");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo + ".bad"));
}

TEST_F(AtomicFileTest, ALinkToARegularFileIsFollowedAndStaysALink) {
    const std::string real = folder_.Folder() + "dotfiles/Options.txt";
    WriteWholeFile(real, "old\r\n");
    std::filesystem::permissions(
        real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(real, target_);
    {
        AtomicFileWriter writer(target_, "Caller::Save (1)");
        writer.Write("new\r\n", "Caller::Save (2)");
        writer.Commit();
    }
    EXPECT_EQ(std::filesystem::read_symlink(target_), real);
    EXPECT_EQ(ReadWholeFile(real), "new\r\n");
    // The replaced file keeps the permissions its owner gave it.
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_FALSE(std::filesystem::exists(real + ".temp"));
}

}  // namespace
