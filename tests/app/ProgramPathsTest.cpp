#include <gtest/gtest.h>
#include <linux/limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/Program.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;
using TestSupport::ScopedEnvironment;
using TestSupport::TempFolder;
using TestSupport::WriteWholeFile;

namespace fs = std::filesystem;

class ProgramPathsTest : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetForTesting(); }
    void TearDown() override { Program::ResetForTesting(); }

    void Start(const std::string& exePath, const std::string& commandLine = "") {
        ASSERT_TRUE(Program::Initialize(exePath.c_str(), commandLine)) << exePath;
    }

    TempFolder temp_;
    ScopedEnvironment config_{"XDG_CONFIG_HOME", temp_.Folder() + "config"};
    ScopedEnvironment data_{"XDG_DATA_HOME", temp_.Folder() + "data"};
    ScopedEnvironment userRegistry_{"SKYVANE_USER_REGISTRY", temp_.Folder() + "user.reg"};
    ScopedEnvironment machineRegistry_{"SKYVANE_MACHINE_REGISTRY", temp_.Folder() + "machine.reg"};
};

TEST_F(ProgramPathsTest, ExecutablePathsKeepTheNameTheProgramWasStartedUnder) {
    Program::InitPathInfo("/opt/skyvane/bin/./../bin//Terravue.exe");
    EXPECT_EQ(Program::PathExe(), "/opt/skyvane/bin/Terravue.exe");
    EXPECT_EQ(Program::ExeFileName(), "Terravue.exe");
    EXPECT_EQ(Program::ScreenSaverFileName(), "Terravue.scr");
    EXPECT_EQ(Program::PathExeFolder(), "/opt/skyvane/bin/");

    Program::InitPathInfo("/opt/skyvane/bin/meridio");
    EXPECT_EQ(Program::ScreenSaverFileName(), "meridio.scr");
}

TEST_F(ProgramPathsTest, RelativeNamesAreMadeAbsoluteWithoutResolvingLinks) {
    const fs::path bin = temp_.Path() / "bin";
    fs::create_directories(bin);
    WriteWholeFile(bin / "skyvane", "#!/bin/sh\n");
    fs::permissions(bin / "skyvane", fs::perms::owner_all);
    fs::create_symlink("skyvane", bin / "nimbara");

    const fs::path previous = fs::current_path();
    fs::current_path(temp_.Path());
    Program::InitPathInfo("bin/nimbara");
    fs::current_path(previous);
    EXPECT_EQ(Program::PathExe(), (bin / "nimbara").string());

    // A bare name was found through PATH, so it is looked up there again.
    ScopedEnvironment path("PATH", "/nonexistent:" + bin.string());
    Program::InitPathInfo("nimbara");
    EXPECT_EQ(Program::PathExe(), (bin / "nimbara").string());
    EXPECT_EQ(Program::ExeFileName(), "nimbara");
}

TEST_F(ProgramPathsTest, AnEmptyOrOverlongPathStopsTheStart) {
    EXPECT_EQ(LocationOf([] { Program::InitPathInfo(""); }), "Program::InitPathInfo (1164)");
    EXPECT_EQ(LocationOf([] { Program::InitPathInfo(nullptr); }), "Program::InitPathInfo (1164)");
    const std::string overlong = "/" + std::string(PATH_MAX, 'a') + "/terravue";
    EXPECT_EQ(LocationOf([&] { Program::InitPathInfo(overlong.c_str()); }),
              "Program::InitPathInfo (1164)");
    EXPECT_FALSE(Program::Initialize(overlong.c_str(), ""));
    EXPECT_EQ(LocationOf([] { Program::InitPathInfo("/opt/.."); }), "Program::InitPathInfo (1170)");
}

TEST_F(ProgramPathsTest, UserFoldersAreNamedAfterTheEditionAndCreatedOnDemand) {
    Start("/opt/skyvane/bin/terravue");
    const std::string earthRoaming = temp_.Folder() + "config/Terravue/";
    EXPECT_EQ(Program::PathUserAppData(), earthRoaming);
    EXPECT_TRUE(fs::is_directory(earthRoaming));
    EXPECT_EQ(Program::PathOptions(), earthRoaming + "Options.txt");
    EXPECT_EQ(Program::PathSettings(), earthRoaming + "Settings.txt");
    EXPECT_EQ(Program::PathCities(), earthRoaming + "Cities.txt");
    EXPECT_EQ(Program::PathTimeZones(), earthRoaming + "TimeZones.txt");

    const std::string earthLocal = temp_.Folder() + "data/Terravue/";
    EXPECT_EQ(Program::PathLocalUserAppData(), earthLocal);
    EXPECT_EQ(Program::PathCloudsPng(), earthLocal + "Clouds.png");
    EXPECT_FALSE(fs::exists(earthLocal + "Wallpaper"));
    EXPECT_EQ(Program::PathWallpaperFolder(), earthLocal + "Wallpaper/");
    EXPECT_TRUE(fs::is_directory(earthLocal + "Wallpaper"));
    EXPECT_EQ(Program::PathTempFolder(), earthLocal + "Temp/");
    EXPECT_TRUE(fs::is_directory(earthLocal + "Temp"));

    Program::ResetForTesting();
    Start("/opt/skyvane/bin/Nimbara.scr", "/s");
    EXPECT_EQ(Program::PathUserAppData(), temp_.Folder() + "config/Nimbara/");
    EXPECT_EQ(Program::PathCloudsPng(), temp_.Folder() + "data/Nimbara/Clouds.png");
}

TEST_F(ProgramPathsTest, AUserFolderThatCannotBeCreatedRaises) {
    WriteWholeFile(temp_.Path() / "blocked", "a file where a folder should be");
    ScopedEnvironment config("XDG_CONFIG_HOME", temp_.Folder() + "blocked");
    ScopedEnvironment data("XDG_DATA_HOME", temp_.Folder() + "blocked");
    Start("/opt/skyvane/bin/terravue");
    EXPECT_EQ(LocationOf([] { (void)Program::PathUserAppData(); }),
              "Program::PathUserAppData (1312)");
    EXPECT_EQ(LocationOf([] { (void)Program::PathLocalUserAppData(); }),
              "Program::PathLocalUserAppData (1296)");
}

class InstallationFolderTest : public ProgramPathsTest {
protected:
    // A copy of the executable's folder layout: prefix/bin/<name>, data wherever the test puts it.
    std::string Executable(const std::string& name) {
        const fs::path bin = temp_.Path() / "prefix" / "bin";
        fs::create_directories(bin);
        return (bin / name).string();
    }

    void MarkInstallation(const fs::path& folder) {
        WriteWholeFile(folder / Program::InstallationMarkerFileName, "data\n");
    }
};

TEST_F(InstallationFolderTest, DesktopFindsTheDataBesideTheExecutableOrUnderShare) {
    Start(Executable("terravue"));
    const std::string bin = temp_.Folder() + "prefix/bin/";
    EXPECT_EQ(Program::PathInstallation(), bin);  // nothing found: the executable's folder

    Program::ResetForTesting();
    MarkInstallation(temp_.Path() / "prefix" / "share" / "skyvane");
    Start(Executable("terravue"));
    EXPECT_EQ(Program::PathInstallation(), temp_.Folder() + "prefix/share/skyvane/");
    EXPECT_EQ(Program::PathCityRecords(), temp_.Folder() + "prefix/share/skyvane/CityRecords.txt");

    Program::ResetForTesting();
    MarkInstallation(temp_.Path() / "prefix" / "bin");
    Start(Executable("terravue"));
    EXPECT_EQ(Program::PathInstallation(), bin);
    EXPECT_EQ(Program::PathWeatherBackgroundsFolder(), bin + "Weather Backgrounds/");
}

TEST_F(InstallationFolderTest, ScreenSaverCopyReadsTheRegistryUserFirstThenMachine) {
    WriteWholeFile(temp_.Path() / "machine.reg",
                   "Skyvane Registry Store 1\n\n[HKEY_LOCAL_MACHINE\\Software\\Terravue]\n"
                   "\"InstallationPath\"=\"/machine/data\"\n");
    Start(Executable("terravue.scr"), "/s");
    EXPECT_EQ(Program::PathInstallation(), "/machine/data/");

    Program::ResetForTesting();
    WriteWholeFile(temp_.Path() / "user.reg",
                   "Skyvane Registry Store 1\n\n[HKEY_CURRENT_USER\\Software\\Terravue]\n"
                   "\"InstallationPath\"=\"/user/data/\"\n");
    Start(Executable("terravue.scr"), "/s");
    EXPECT_EQ(Program::PathInstallation(), "/user/data/");
    EXPECT_EQ(Program::PathEarthFolder(), "/user/data/Earth/");

    // The weather edition has its own key, which neither store holds.
    Program::ResetForTesting();
    Start(Executable("nimbara.scr"), "/c");
    EXPECT_EQ(LocationOf([] { (void)Program::PathInstallation(); }),
              "Program::PathInstallation (1283)");
    EXPECT_EQ(LocationOf([] { (void)Program::PathCityRecords(); }),
              "Program::PathInstallation (1283)");
}

TEST_F(InstallationFolderTest, ScreenSaverWithoutRegistryValueFallsBackToTheDataBesideIt) {
    WriteWholeFile(temp_.Path() / "user.reg",
                   "Skyvane Registry Store 1\n\n[HKEY_CURRENT_USER\\Software\\Meridio]\n"
                   "\"InstallationPath\"=\"\"\n");
    MarkInstallation(temp_.Path() / "prefix" / "share" / "skyvane");
    Start(Executable("meridio.scr"), "/s");
    EXPECT_EQ(Program::PathInstallation(), temp_.Folder() + "prefix/share/skyvane/");
}

}  // namespace
