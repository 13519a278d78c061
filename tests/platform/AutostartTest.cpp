#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Autostart.h"
#include "platform/Folders.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

std::string EntryFile() {
    return *Folders::ConfigHome() + "autostart/Vellumark.desktop";
}

TEST(AutostartTest, EntryStartsThePathItWasGivenWhateverItsCharacters) {
    const std::string program = "/opt/My Apps/100% \"sky\" `vane` $HOME\\bin/terravue";
    AddStartupItem("Vellumark", program);

    // Quoted, with ", `, $ and \ escaped in the quotes, % doubled, then every backslash
    // doubled again by the escapes of string values.
    EXPECT_EQ(ReadWholeFile(EntryFile()),
              "[Desktop Entry]\nType=Application\nName=Vellumark\n"
              R"(Exec="/opt/My Apps/100%% \\"sky\\" \\`vane\\` \\$HOME\\\\bin/terravue")"
              "\n");
    EXPECT_EQ(StartupItemPath("Vellumark"), program);
}

TEST(AutostartTest, EntriesWrittenByOthersAreReadByTheSameRules) {
    WriteWholeFile(EntryFile(), "[Desktop Entry]\nExec=/usr/bin/terravue --quiet %U\n");
    EXPECT_EQ(StartupItemPath("Vellumark"), "/usr/bin/terravue");
    WriteWholeFile(EntryFile(), "[Desktop Entry]\nExec = \"/a\\\\\\\\b\\sc\" %f\n");
    EXPECT_EQ(StartupItemPath("Vellumark"), "/a\\b c");
    WriteWholeFile(EntryFile(), "[Desktop Entry]\nExec=\"/usr/bin/terravue\n");
    EXPECT_EQ(StartupItemPath("Vellumark"), std::nullopt);
    WriteWholeFile(EntryFile(), "[Desktop Entry]\nExec=/usr/bin/terravue\nHidden=true\n");
    EXPECT_EQ(StartupItemPath("Vellumark"), std::nullopt);
}

TEST(AutostartTest, RemovingDeletesTheEntryAndAMissingOneIsNoFailure) {
    AddStartupItem("Vellumark", "/usr/bin/terravue");
    Util::RemoveStartupItem("Vellumark");
    EXPECT_FALSE(std::filesystem::exists(EntryFile()));
    EXPECT_EQ(StartupItemPath("Vellumark"), std::nullopt);
    EXPECT_NO_THROW(Util::RemoveStartupItem("Vellumark"));
    EXPECT_EQ(LocationOf([] { AddStartupItem("../Vellumark", "/usr/bin/terravue"); }),
              "AddStartupItem (2)");
}

}  // namespace
