#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "RecordingRunner.h"
#include "platform/RegistryStore.h"
#include "platform/ScreenSaver.h"
#include "support/TestSupport.h"
#include "support/XServer.h"

using namespace TestSupport;

namespace {

const Call Restart{"xscreensaver-command", "-restart"};

// The resources of a settings file by the rules of xscreensaver's manual: a line ending in
// a backslash goes on in the next, "\n" in a value is a line feed, "\\" a backslash.
std::map<std::string, std::string> ReadResources(const std::string& text) {
    std::map<std::string, std::string> resources;
    std::string line;
    std::istringstream lines(text);
    for (std::string part; std::getline(lines, part);) {
        if (part.ends_with('\\')) {
            line += part.substr(0, part.size() - 1);
            continue;
        }
        line += part;
        const std::size_t colon = line.find(':');
        if (!line.starts_with('#') && colon != std::string::npos) {
            std::string value;
            for (std::size_t i = colon + 1; i < line.size(); ++i) {
                value += line[i] != '\\' ? line[i] : line[++i] == 'n' ? '\n' : line[i];
            }
            const std::size_t first = value.find_first_not_of(" \t\n");
            const std::size_t last = value.find_last_not_of(" \t\n");
            resources[line.substr(0, colon)] =
                first == std::string::npos ? "" : value.substr(first, last - first + 1);
        }
        line.clear();
    }
    return resources;
}

// The program an entry runs, as the shell reads it.
std::string ProgramOfEntry(const std::string& entry) {
    ProcessCommandRunner shell;
    return shell.Run("sh", {"-c", "set -- " + entry + "; printf %s \"$1\""}).Output;
}

std::vector<std::string> Entries(const std::string& programs) {
    std::vector<std::string> entries;
    std::istringstream lines(programs);
    for (std::string line; std::getline(lines, line);) {
        if (line.find_first_not_of(" \t") != std::string::npos) {
            entries.push_back(line);
        }
    }
    return entries;
}

class ScreenSaverTest : public ::testing::Test {
protected:
    ScreenSaverTest() {
        std::filesystem::create_directories(home_);
        environment_.Set("HOME", home_);
        environment_.Set("SKYVANE_USER_REGISTRY", folder_.Folder() + "user.reg");
        WriteWholeFile(program_, "#!/bin/sh\n");
        // What xscreensaver-command answers when none runs, and even after a restart that
        // worked.
        desk_.Answers[Restart] = {false, ""};
    }

    bool Choose(const std::string& path, bool installed = true) {
        return Util::SetScreenSaver(path, {[installed] { return installed; }, runner_});
    }
    std::string SettingsFile() const { return home_ + ".xscreensaver"; }
    std::optional<std::string> Recorded() const {
        return RegistryStore::Open(RegistryRoot::CurrentUser)
            .GetString("Control Panel\\Desktop", "SCRNSAVE.EXE");
    }

    TempFolder folder_;
    std::string home_ = folder_.Folder() + "home/";
    // Everything the shell and the resource escapes treat specially.
    std::string program_ =
        folder_.Folder() + "Sky vane's \"$HOME\" \\ \xc3\xa9t\xc3\xa9/terravue.scr";
    ScopedEnvironment environment_;
    Desk desk_;
    RecordingRunner runner_{desk_};
};

TEST_F(ScreenSaverTest, WithoutSettingsFileOneIsMadeThatRunsTheProgramAlone) {
    ASSERT_TRUE(Choose(program_));

    std::map<std::string, std::string> resources = ReadResources(ReadWholeFile(SettingsFile()));
    EXPECT_EQ(resources["mode"], "one");
    const std::vector<std::string> entries = Entries(resources["programs"]);
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(ProgramOfEntry(entries[0]), program_);
    EXPECT_NE(entries[0].find(" -root"), std::string::npos);
    EXPECT_EQ(std::stoi(resources["selected"]), 0);
    EXPECT_EQ(Recorded(), program_);
    EXPECT_EQ(desk_.Calls, std::vector<Call>{Restart});
}

struct SettingsCase {
    const char* Label;
    std::string Before;
    // Written with <entry> for the program's entry line.
    std::string After;
};

const SettingsCase SettingsCases[] = {
    {"XScreenSaversOwnLayout",
     "# XScreenSaver Preferences File\n"
     "# Written by xscreensaver-settings 6.06 for u on Mon Dec  8 09:12:44 2025.\n"
     "\n"
     "timeout:\t0:10:00\n"
     "mode:\t\trandom\n"
     "selected:\t-1\n"
     "\n"
     "programs:\t\t\t\t\t\t\t\t      \\\n"
     "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
     "- GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
     "  \"Qix (solid)\" \tqix -root -solid\t\t    \\n\\\n"
     "\t\t\t\txflame -root\t\t\t\t    \\n\n"
     "\n"
     "\n"
     "pointerHysteresis:\t10\n",
     "# XScreenSaver Preferences File\n"
     "# Written by xscreensaver-settings 6.06 for u on Mon Dec  8 09:12:44 2025.\n"
     "\n"
     "timeout:\t0:10:00\n"
     "mode:\t\tone\n"
     "selected:\t4\n"
     "\n"
     "programs:\t\t\t\t\t\t\t\t      \\\n"
     "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
     "- GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
     "  \"Qix (solid)\" \tqix -root -solid\t\t    \\n\\\n"
     "\t\t\t\txflame -root\t\t\t\t    \\n\\\n"
     "<entry>\n"
     "\n"
     "\n"
     "pointerHysteresis:\t10\n"},
    {"OneLineListAtTheEndWithoutLineFeed", "! mine\nMode: blank\nprograms: maze -root",
     "! mine\nmode:\t\tone\nselected:\t1\nprograms: maze -root\\n\\\n<entry>"},
    {"NoListAndALastLineLeftOpen", "lock:\tFalse\ntimeout:\t0:05:00 \\",
     "lock:\tFalse\ntimeout:\t0:05:00 \\\n\nmode:\t\tone\nselected:\t0\n"
     "programs:\t\t\t\t\t\t\t\t      \\\n<entry>\n"},
};

void PrintTo(const SettingsCase& test, std::ostream* out) {
    *out << test.Label;
}

class ScreenSaverSettingsTest : public ScreenSaverTest,
                                public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(ScreenSaverSettingsTest, KeepsEveryOtherLineAndAddsTheEntryOnce) {
    const std::string program = folder_.Folder() + "sky vane/terravue.scr";
    WriteWholeFile(program, "#!/bin/sh\n");
    std::string expected = GetParam().After;
    expected.replace(expected.find("<entry>"), 7, "\t\t\t\t'" + program + "' -root\t\t\t\t    \\n");

    WriteWholeFile(SettingsFile(), GetParam().Before);
    ASSERT_TRUE(Choose(program));
    const std::string after = ReadWholeFile(SettingsFile());
    EXPECT_EQ(after, expected);

    // The user chose another one since: choosing again selects the entry there is.
    std::string chosenElsewhere = after;
    chosenElsewhere.replace(chosenElsewhere.find("mode:\t\tone"), 10, "mode:\t\trandom");
    chosenElsewhere.replace(chosenElsewhere.find("selected:\t"), 11, "selected:\t0");
    WriteWholeFile(SettingsFile(), chosenElsewhere);
    ASSERT_TRUE(Choose(program));
    EXPECT_EQ(ReadWholeFile(SettingsFile()), expected);
}

INSTANTIATE_TEST_SUITE_P(Files, ScreenSaverSettingsTest, ::testing::ValuesIn(SettingsCases),
                         [](const auto& tested) { return std::string(tested.param.Label); });

TEST_F(ScreenSaverTest, WithoutXScreenSaverNothingIsWritten) {
    EXPECT_FALSE(Choose(program_, false));
    EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
    EXPECT_FALSE(std::filesystem::exists(folder_.Folder() + "user.reg"));
    EXPECT_TRUE(desk_.Calls.empty());
}

TEST_F(ScreenSaverTest, ASettingsFileThatCannotBeReadIsLeftAlone) {
    std::filesystem::create_directory(SettingsFile());
    EXPECT_FALSE(Choose(program_));
    EXPECT_TRUE(std::filesystem::is_directory(SettingsFile()));

    std::filesystem::remove(SettingsFile());
    const std::string tooLarge = "timeout: 0:05:00\n" + std::string(1 << 20, '#');
    WriteWholeFile(SettingsFile(), tooLarge);
    EXPECT_FALSE(Choose(program_));
    EXPECT_EQ(ReadWholeFile(SettingsFile()), tooLarge);

    EXPECT_EQ(Recorded(), std::nullopt);
    EXPECT_TRUE(desk_.Calls.empty());
}

// A path of the given length in characters, naming an existing file.
std::string ExistingPathOfLength(const std::string& folder, std::size_t length) {
    std::string path = folder;
    while (length - path.size() > 200) {
        path += std::string(150, 'd') + "/";
    }
    path += std::string(length - path.size() - 4, 'f') + ".scr";
    WriteWholeFile(path, "");
    return path;
}

TEST_F(ScreenSaverTest, APathTheListCannotTakeIsRefused) {
    const std::string withLineFeed = folder_.Folder() + "a\nb.scr";
    WriteWholeFile(withLineFeed, "");
    for (const std::string& refused :
         {std::string("terravue.scr"), folder_.Folder() + "missing.scr", withLineFeed,
          ExistingPathOfLength(folder_.Folder() + "long/", 520)}) {
        EXPECT_FALSE(Choose(refused)) << refused;
    }
    EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
    EXPECT_EQ(Recorded(), std::nullopt);

    const std::string longest = ExistingPathOfLength(folder_.Folder() + "long/", 519);
    EXPECT_TRUE(Choose(longest));
    EXPECT_EQ(Recorded(), longest);
}

pid_t Spawn(const std::vector<const char*>& arguments) {
    pid_t pid = 0;
    std::vector<char*> argv;
    for (const char* argument : arguments) {
        argv.push_back(const_cast<char*>(argument));
    }
    argv.push_back(nullptr);
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + std::string(argv[0]));
    }
    return pid;
}

bool WaitFor(const std::function<bool()>& condition) {
    for (int tries = 0; tries < 200; ++tries) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// Starts xscreensaver and waits until it answers; 0 when it does not. Now and then
// xscreensaver 6.06 ends with status 1 right after it starts on a fresh server, saying
// nothing even with --verbose; it is then started again.
pid_t StartXScreenSaver(const std::vector<const char*>& daemon) {
    ProcessCommandRunner command;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const pid_t pid = Spawn(daemon);
        bool ended = false;
        const bool answered = WaitFor([&] {
            ended = ::waitpid(pid, nullptr, WNOHANG) == pid;
            return ended || command.Run("xscreensaver-command", {"-version"}).Succeeded;
        });
        if (answered && !ended) {
            return pid;
        }
        if (!ended) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
    return 0;
}

// The real xscreensaver, on a private X server, runs what the file selects. It runs no
// screen saver for root, so as root the test runs it as nobody, with the files where
// nobody may read them.
TEST_F(ScreenSaverTest, XScreenSaverRunsTheChosenProgram) {
    if (!XScreenSaverOnPath()) {
        GTEST_SKIP() << "xscreensaver is not installed";
    }
    namespace fs = std::filesystem;
    const std::string ran = folder_.Folder() + "out/ran";
    fs::create_directories(folder_.Folder() + "out");
    fs::permissions(folder_.Path(), fs::perms::owner_all | fs::perms::group_exec |
                                        fs::perms::group_read | fs::perms::others_exec |
                                        fs::perms::others_read);
    fs::permissions(folder_.Folder() + "out", fs::perms::all);
    WriteWholeFile(program_, "#!/bin/sh\necho \"$* $XSCREENSAVER_WINDOW\" > " + ran + "\n");
    fs::permissions(program_, fs::perms::owner_all | fs::perms::group_exec |
                                  fs::perms::others_exec | fs::perms::group_read |
                                  fs::perms::others_read);
    WriteWholeFile(SettingsFile(),
                   "fade:\tFalse\nmode:\trandom\nprograms:\t\\\n"
                   "\tmaze -root\t\\n\\\n- GL: superquadrics -root\t\\n\n");

    const Xvfb server(320, 240);
    environment_.Set("DISPLAY", server.Display());
    std::vector<const char*> daemon = {"xscreensaver", "--no-splash"};
    if (::geteuid() == 0) {
        daemon.insert(daemon.begin(),
                      {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    const pid_t pid = StartXScreenSaver(daemon);
    ASSERT_NE(pid, 0);

    // Chosen while it runs: it reads the file again when it starts a screen saver, restarted
    // or not (the recording runner takes the restart, which this early in xscreensaver's own
    // start-up can lose it).
    EXPECT_TRUE(Choose(program_));
    ProcessCommandRunner command;
    EXPECT_TRUE(command.Run("xscreensaver-command", {"-activate"}).Succeeded);
    EXPECT_TRUE(WaitFor([&] { return !ReadWholeFile(ran).empty(); }));
    const std::string shown = ReadWholeFile(ran);
    EXPECT_TRUE(shown.starts_with("-root 0x") || shown.starts_with("--root 0x")) << shown;

    // Asked to exit, it ends its own helpers too.
    if (!command.Run("xscreensaver-command", {"-exit"}).Succeeded) {
        ::kill(pid, SIGTERM);
    }
    ::waitpid(pid, nullptr, 0);
}

}  // namespace
