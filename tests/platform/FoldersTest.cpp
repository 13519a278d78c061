#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/Exceptions.h"
#include "platform/Folders.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

namespace fs = std::filesystem;

class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.Set("HOME", home_);
        environment_.Unset("XDG_CONFIG_HOME");
        environment_.Unset("XDG_DATA_HOME");
        environment_.Unset("SKYVANE_SYSTEM_DIR");
    }

    TempFolder folder_;
    ScopedEnvironment environment_;
    std::string home_ = folder_.Folder() + "home";
};

TEST_F(FoldersTest, AppDataFoldersDefaultUnderHomeAndAreCreatedPrivately) {
    EXPECT_EQ(Folders::RoamingAppData(), home_ + "/.config/");
    EXPECT_EQ(Folders::LocalAppData(), home_ + "/.local/share/");
    EXPECT_TRUE(fs::is_directory(home_ + "/.config"));
    EXPECT_EQ(fs::status(home_ + "/.local/share").permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(home_).permissions(), fs::perms::owner_all);
}

TEST_F(FoldersTest, AbsoluteXdgVariablesWinAndRelativeOrEmptyOnesAreIgnored) {
    environment_.Set("XDG_CONFIG_HOME", folder_.Folder() + "config/deep");
    environment_.Set("XDG_DATA_HOME", folder_.Folder() + "data/");
    EXPECT_EQ(Folders::RoamingAppData(), folder_.Folder() + "config/deep/");
    EXPECT_EQ(Folders::LocalAppData(), folder_.Folder() + "data/");
    EXPECT_TRUE(fs::is_directory(folder_.Folder() + "config/deep"));

    environment_.Set("XDG_CONFIG_HOME", "config");
    environment_.Set("XDG_DATA_HOME", "");
    EXPECT_EQ(Folders::ConfigHome(), home_ + "/.config/");
    EXPECT_EQ(Folders::DataHome(), home_ + "/.local/share/");
}

TEST_F(FoldersTest, AppDataIsMissingWhenTheFolderCannotBeCreated) {
    WriteWholeFile(folder_.Folder() + "file", "keep");
    environment_.Set("XDG_CONFIG_HOME", folder_.Folder() + "file/config");
    environment_.Set("XDG_DATA_HOME", folder_.Folder() + "file");
    EXPECT_EQ(Folders::RoamingAppData(), std::nullopt);
    EXPECT_EQ(Folders::LocalAppData(), std::nullopt);
    EXPECT_EQ(ReadWholeFile(folder_.Folder() + "file"), "keep");
}

TEST_F(FoldersTest, HomeFallsBackToTheUserDatabaseWithoutAnAbsoluteHome) {
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    environment_.Unset("HOME");
    EXPECT_EQ(Folders::HomeFolder(), std::string(entry->pw_dir));
    environment_.Set("HOME", "relative");
    EXPECT_EQ(Folders::HomeFolder(), std::string(entry->pw_dir));
}

TEST_F(FoldersTest, SystemFolderIsTheOverrideOrLocalBinUnderHome) {
    EXPECT_EQ(Folders::SystemFolder(), home_ + "/.local/bin/");
    EXPECT_TRUE(fs::is_directory(home_ + "/.local/bin"));
    environment_.Set("SKYVANE_SYSTEM_DIR", folder_.Folder() + "system");
    EXPECT_EQ(Folders::SystemFolder(), folder_.Folder() + "system/");
    EXPECT_TRUE(fs::is_directory(folder_.Folder() + "system"));
}

// The only test that calls GetSystemDirectoryW: its result is kept for the whole run.
TEST_F(FoldersTest, GetSystemDirectoryRaisesUntilTheFolderCanBeMadeAndThenKeepsIt) {
    WriteWholeFile(folder_.Folder() + "file", "");
    environment_.Set("SKYVANE_SYSTEM_DIR", folder_.Folder() + "file/system");
    EXPECT_EQ(LocationOf([] { Util::GetSystemDirectoryW(); }), "Util::GetSystemDirectoryW (217)");

    environment_.Set("SKYVANE_SYSTEM_DIR", folder_.Folder() + "system");
    EXPECT_EQ(Util::GetSystemDirectoryW(), folder_.Folder() + "system/");
    environment_.Set("SKYVANE_SYSTEM_DIR", folder_.Folder() + "other");
    EXPECT_EQ(Util::GetSystemDirectoryW(), folder_.Folder() + "system/");
}

TEST_F(FoldersTest, RuntimeFolderIsAPrivateXdgFolderElseOurOwnPrivateCacheFolder) {
    const std::string runtime = folder_.Folder() + "runtime";
    const std::string cache = folder_.Folder() + "cache";
    const std::string own = cache + "/skyvane";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    environment_.Set("XDG_CACHE_HOME", cache);
    environment_.Set("XDG_RUNTIME_DIR", runtime);
    EXPECT_EQ(Folders::RuntimeFolder(), runtime + "/");
    EXPECT_FALSE(fs::exists(own));

    const fs::perms open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(runtime, open, fs::perm_options::replace);
    EXPECT_EQ(Folders::RuntimeFolder(), own + "/");
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);

    // What another user may have put in the shared temporary folder first plays no part.
    const std::string temporary = folder_.Folder() + "tmp";
    fs::create_directories(temporary);
    fs::create_directory_symlink(runtime, temporary + "/skyvane-" + std::to_string(::getuid()));
    environment_.Set("TMPDIR", temporary);
    environment_.Unset("XDG_RUNTIME_DIR");
    fs::permissions(own, fs::perms::all, fs::perm_options::replace);
    EXPECT_EQ(Folders::RuntimeFolder(), own + "/");
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);

    // Something else in our folder's place is refused, and a link's target stays as it was.
    fs::remove(own);
    fs::create_directory_symlink(runtime, own);
    EXPECT_EQ(Folders::RuntimeFolder(), std::nullopt);
    EXPECT_EQ(fs::status(runtime).permissions(), open);
    fs::remove(own);
    WriteWholeFile(own, "");
    EXPECT_EQ(Folders::RuntimeFolder(), std::nullopt);
}

TEST_F(FoldersTest, EmptyFolderDeletesRegularFilesOnlyAndNeverFollowsLinks) {
    const std::string target = folder_.Folder() + "Wallpaper/";
    const std::string outside = folder_.Folder() + "outside/";
    fs::create_directories(target + "Sub");
    fs::create_directories(outside);
    for (const char* name : {"E0.bmp", ".hidden", "no extension", "Sub/inner.bmp"}) {
        WriteWholeFile(target + name, name);
    }
    WriteWholeFile(outside + "target.txt", "target");
    fs::create_symlink(outside + "target.txt", target + "link");
    fs::create_directory_symlink(outside, target + "folder link");
    fs::create_symlink(outside + "gone", target + "dangling");
    ASSERT_EQ(::mkfifo((target + "pipe").c_str(), 0600), 0);

    Folders::EmptyFolder(target);

    for (const char* name : {"E0.bmp", ".hidden", "no extension"}) {
        EXPECT_FALSE(fs::exists(target + name)) << name;
    }
    EXPECT_EQ(ReadWholeFile(target + "Sub/inner.bmp"), "Sub/inner.bmp");
    for (const char* name : {"link", "folder link", "dangling"}) {
        EXPECT_TRUE(fs::is_symlink(target + name)) << name;
    }
    EXPECT_TRUE(fs::is_fifo(target + "pipe"));
    EXPECT_EQ(ReadWholeFile(outside + "target.txt"), "target");

    Folders::EmptyFolder(folder_.Folder() + "missing/");
    EXPECT_FALSE(fs::exists(folder_.Folder() + "missing"));
}

}  // namespace
