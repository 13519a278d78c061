#include <gtest/gtest.h>

#include <string>

#include "app/Program.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;

struct ModeCase {
    const char* ExeName;
    const char* CommandLine;
    EnumAppKind Kind;
    EnumAppMode Mode;
    std::intptr_t ParentWindow;
};

std::ostream& operator<<(std::ostream& stream, const ModeCase& modeCase) {
    return stream << '"' << modeCase.ExeName << "\" \"" << modeCase.CommandLine << '"';
}

class DetermineAppModeTest : public ::testing::TestWithParam<ModeCase> {
protected:
    void SetUp() override { Program::ResetForTesting(); }
    void TearDown() override { Program::ResetForTesting(); }
};

TEST_P(DetermineAppModeTest, DecidesEditionModeAndOwnerWindowFromNameAndSwitches) {
    const ModeCase& modeCase = GetParam();
    Program::InitPathInfo((std::string("/opt/skyvane/bin/") + modeCase.ExeName).c_str());
    Program::DetermineAppMode(modeCase.CommandLine);
    EXPECT_EQ(Program::Kind(), modeCase.Kind);
    EXPECT_EQ(Program::Mode(), modeCase.Mode);
    EXPECT_EQ(Program::ParentWindow(), modeCase.ParentWindow);
}

using K = EnumAppKind;
using M = EnumAppMode;

INSTANTIATE_TEST_SUITE_P(
    NamesAndSwitches, DetermineAppModeTest,
    ::testing::Values(ModeCase{"terravue.exe", "", K::Earth, M::Desktop, 0},
                      // The desktop form never reads its command line.
                      ModeCase{"Terravue.EXE", "/s /p 5", K::Earth, M::Desktop, 0},
                      ModeCase{"terravue", "/c:77", K::Earth, M::Desktop, 0},
                      ModeCase{"NIMBARA", "", K::Weather, M::Desktop, 0},
                      ModeCase{"meridio", "", K::TimeZones, M::Desktop, 0},
                      ModeCase{"copy of terravue.exe", "", K::TimeZones, M::Desktop, 0},
                      ModeCase{"terravue.sh", "", K::TimeZones, M::Desktop, 0},
                      ModeCase{"exe", "", K::TimeZones, M::Desktop, 0},
                      ModeCase{"Nimbara.SCR", "/S", K::Weather, M::ScreenSaver, 0},
                      ModeCase{"terravue.scr", "  \t-s\r\n", K::Earth, M::ScreenSaver, 0},
                      ModeCase{"meridio.scr", "", K::TimeZones, M::Configure, 0},
                      ModeCase{"meridio.scr", "/x", K::TimeZones, M::Configure, 0},
                      ModeCase{"meridio.scr", "/x /s", K::TimeZones, M::ScreenSaver, 0},
                      ModeCase{"meridio.scr", "- \\ /s", K::TimeZones, M::ScreenSaver, 0},
                      ModeCase{"terravue.scr", "/c:1234", K::Earth, M::Configure, 1234},
                      ModeCase{"terravue.scr", "-C 1234", K::Earth, M::Configure, 1234},
                      ModeCase{"terravue.scr", "/config", K::Earth, M::Configure, 0},
                      ModeCase{"terravue.scr", "c", K::Earth, M::Configure, 0},
                      ModeCase{"terravue.scr", "/c:-5", K::Earth, M::Configure, -5},
                      ModeCase{"terravue.scr", "/p:42", K::Earth, M::Preview, 42},
                      ModeCase{"terravue.scr", "/P\t42 /s", K::Earth, M::Preview, 42},
                      ModeCase{"terravue.scr", "/p", K::Earth, M::Preview, 0},
                      ModeCase{"terravue.scr", "//--sweep", K::Earth, M::ScreenSaver, 0},
                      ModeCase{".scr", "/s", K::TimeZones, M::ScreenSaver, 0}));

class ProgramStartTest : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetForTesting(); }
    void TearDown() override { Program::ResetForTesting(); }
};

TEST_F(ProgramStartTest, AnyOtherExtensionRaisesAndEndsTheStartQuietly) {
    Program::InitPathInfo("/usr/bin/terravue.bin");
    EXPECT_EQ(LocationOf([] { Program::DetermineAppMode("/s"); }),
              "Program::DetermineAppMode (1944)");

    Program::ResetForTesting();
    EXPECT_FALSE(Program::Initialize("/usr/bin/terravue.bin", ""));
    EXPECT_FALSE(Program::Initialize("/usr/bin/.sc", "/s"));
    EXPECT_TRUE(Program::Initialize("/usr/bin/nimbara", ""));
    EXPECT_EQ(Program::Kind(), EnumAppKind::Weather);
}

TEST_F(ProgramStartTest, AWindowHandleThatIsNotANumberEndsTheStart) {
    Program::InitPathInfo("/usr/bin/terravue.scr");
    EXPECT_EQ(LocationOf([] { Program::DetermineAppMode("/p:12ab"); }), "Util::ParseInt (486)");
    EXPECT_EQ(LocationOf([] { Program::DetermineAppMode("/c +"); }), "Util::ParseInt (495)");
    EXPECT_FALSE(Program::Initialize("/usr/bin/terravue.scr", "/p:0x1g"));
    EXPECT_EQ(Program::StartProblem(), "the window id \"0x1g\" is not a number");
}

// X11 window ids come in hex as often as in decimal; xscreensaver starts its
// hacks with a window, over the root or in a window of their own.
TEST_F(ProgramStartTest, WindowIdsInHexAndXscreensaversSwitchesAreUnderstood) {
    Program::InitPathInfo("/usr/bin/terravue.scr");
    Program::DetermineAppMode("/p 0x1a00003");
    EXPECT_EQ(Program::Mode(), EnumAppMode::Preview);
    EXPECT_EQ(Program::ParentWindow(), 0x1a00003);
    Program::DetermineAppMode("-window-id 0x2e00007");
    EXPECT_EQ(Program::Mode(), EnumAppMode::ScreenSaver);
    EXPECT_EQ(Program::Hack(), HackDrawing::IntoWindow);
    EXPECT_EQ(Program::ParentWindow(), 0x2e00007);
    Program::DetermineAppMode("--root");
    EXPECT_EQ(Program::Hack(), HackDrawing::OverRoot);
    {
        const TestSupport::ScopedEnvironment window("XSCREENSAVER_WINDOW", "0x400009");
        Program::DetermineAppMode("-root");
        EXPECT_EQ(Program::Hack(), HackDrawing::IntoWindow);
        EXPECT_EQ(Program::ParentWindow(), 0x400009);
    }
    Program::DetermineAppMode("/s");
    EXPECT_EQ(Program::Hack(), HackDrawing::None);
}

TEST_F(ProgramStartTest, KindAndModeRaiseUntilDecided) {
    EXPECT_EQ(LocationOf([] { (void)Program::Kind(); }), "Nullable<enum EnumAppKind>::Value (20)");
    EXPECT_EQ(LocationOf([] { (void)Program::Mode(); }), "Nullable<enum EnumAppMode>::Value (20)");
    EXPECT_EQ(LocationOf([] { (void)Program::AppFolderName(); }),
              "Nullable<enum EnumAppKind>::Value (20)");
}

TEST_F(ProgramStartTest, EachEditionHasItsOwnNames) {
    struct Expected {
        const char* Exe;
        const char* Display;
        const char* Folder;
        const char* KindName;
        const char* ClassName;
    };
    const Expected editions[] = {
        {"terravue", "Terravue", "Terravue", "Earth", "Earth_FormHidden"},
        {"nimbara", "Nimbara", "Nimbara", "Weather", "Weather_FormHidden"},
        {"meridio", "Meridio", "Meridio", "TimeZones", "TimeZones_FormHidden"},
    };
    for (const Expected& edition : editions) {
        Program::ResetForTesting();
        ASSERT_TRUE(Program::Initialize((std::string("/bin/") + edition.Exe).c_str(), ""));
        EXPECT_EQ(Program::AppDisplayName(), edition.Display);
        EXPECT_EQ(Program::AppFolderName(), edition.Folder);
        EXPECT_EQ(Program::AppKindName(), edition.KindName);
        EXPECT_EQ(Program::HiddenWindowClassName(), edition.ClassName);
    }
}

TEST_F(ProgramStartTest, CommandLineJoinsTheArgumentsAfterTheProgramName) {
    const char* argv[] = {"terravue.scr", "/p", "1234"};
    EXPECT_EQ(Program::CommandLineFromArguments(3, argv), "/p 1234");
    EXPECT_EQ(Program::CommandLineFromArguments(1, argv), "");
}

TEST_F(ProgramStartTest, ExitingIsSetOnceAndStays) {
    EXPECT_FALSE(Program::IsExiting());
    Program::SetExiting();
    EXPECT_TRUE(Program::IsExiting());
}

}  // namespace
