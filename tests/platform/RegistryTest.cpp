#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/Exceptions.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

constexpr const char* OpenFailure = "Util::RegGetKeyValue (251)";
constexpr const char* ReadFailure = "Util::RegGetKeyValue (253)";

class RegGetKeyValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.Set("SKYVANE_USER_REGISTRY", userPath_);
        environment_.Set("SKYVANE_MACHINE_REGISTRY", machinePath_);
    }

    void SaveUserValue(const std::string& name, const std::string& value) {
        RegistryStore store = RegistryStore::Load(RegistryRoot::CurrentUser, userPath_);
        store.SetString("Software\\Terravue", name, value);
        store.Save();
    }

    static std::string FailureOf(const std::string& subKey, const std::string& name,
                                 RegistryRoot root = RegistryRoot::CurrentUser) {
        return LocationOf([&] { Util::RegGetKeyValue(subKey, root, name); });
    }

    TempFolder folder_;
    ScopedEnvironment environment_;
    std::string userPath_ = folder_.Folder() + "user.reg";
    std::string machinePath_ = folder_.Folder() + "machine.reg";
};

TEST_F(RegGetKeyValueTest, ReadsTheStringOfEachRootFromItsOwnStore) {
    SaveUserValue("InstallationPath", "/user/");
    RegistryStore machine(RegistryRoot::LocalMachine, machinePath_);
    machine.SetString("Software\\Terravue", "InstallationPath", "/machine/");
    machine.Save();

    EXPECT_EQ(
        Util::RegGetKeyValue("software\\terravue", RegistryRoot::CurrentUser, "installationpath"),
        "/user/");
    EXPECT_EQ(
        Util::RegGetKeyValue("Software\\Terravue", RegistryRoot::LocalMachine, "InstallationPath"),
        "/machine/");
}

TEST_F(RegGetKeyValueTest, MissingOrUnreadableStoreOrMissingKeyRaisesTheOpenFailure) {
    EXPECT_EQ(FailureOf("Software\\Terravue", "InstallationPath"), OpenFailure);
    SaveUserValue("InstallationPath", "/user/");
    EXPECT_EQ(FailureOf("Software\\Nimbara", "InstallationPath"), OpenFailure);
    EXPECT_EQ(FailureOf("Software\\Terravue\\Deeper", "InstallationPath"), OpenFailure);

    ASSERT_EQ(::mkdir(machinePath_.c_str(), 0700), 0);
    EXPECT_EQ(FailureOf("Software\\Terravue", "InstallationPath", RegistryRoot::LocalMachine),
              OpenFailure);
}

TEST_F(RegGetKeyValueTest, MissingOrBinaryValueRaisesTheReadFailure) {
    SaveUserValue("InstallationPath", "/user/");
    EXPECT_EQ(FailureOf("Software\\Terravue", "Other"), ReadFailure);
    EXPECT_EQ(FailureOf("Software", "InstallationPath"), ReadFailure);

    RegistryStore store = RegistryStore::Load(RegistryRoot::CurrentUser, userPath_);
    store.SetBinary("Software\\Terravue", "InstallationPath", {0x2F, 0x00});
    store.Save();
    EXPECT_EQ(FailureOf("Software\\Terravue", "InstallationPath"), ReadFailure);
}

TEST_F(RegGetKeyValueTest, ValueMustFitTwoHundredSixtyWideCharactersWithTheTerminator) {
    std::string accented;  // one wide character each
    std::string emoji;     // two wide characters each
    for (int count = 0; count < 259; ++count) {
        accented += "\xC3\xA9";
        emoji += count < 129 ? "\xF0\x9F\x98\x80" : "";
    }
    for (const std::string& fits : {std::string(259, 'a'), accented, emoji + "a"}) {
        SaveUserValue("V", fits);
        EXPECT_EQ(Util::RegGetKeyValue("Software\\Terravue", RegistryRoot::CurrentUser, "V"), fits);
    }
    for (const std::string& tooLong : {std::string(260, 'a'), accented + "a", emoji + "ab"}) {
        SaveUserValue("V", tooLong);
        EXPECT_EQ(FailureOf("Software\\Terravue", "V"), ReadFailure);
    }
}

TEST(RegistryDefaultPathTest, StoresFollowTheOverridesThenTheXdgConfigHomeOrTheInstalledPath) {
    TempFolder folder;
    ScopedEnvironment environment;
    environment.Unset("SKYVANE_USER_REGISTRY");
    environment.Unset("SKYVANE_MACHINE_REGISTRY");
    environment.Set("HOME", folder.Folder() + "home");
    environment.Set("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(RegistryStore::DefaultPath(RegistryRoot::CurrentUser),
              "/somewhere/config/skyvane/registry.reg");
    EXPECT_EQ(RegistryStore::DefaultPath(RegistryRoot::LocalMachine),
              SKYVANE_TEST_MACHINE_REGISTRY_PATH);

    environment.Set("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(RegistryStore::DefaultPath(RegistryRoot::CurrentUser),
              folder.Folder() + "home/.config/skyvane/registry.reg");

    environment.Set("SKYVANE_USER_REGISTRY", "/elsewhere/user.reg");
    environment.Set("SKYVANE_MACHINE_REGISTRY", "/elsewhere/machine.reg");
    EXPECT_EQ(RegistryStore::DefaultPath(RegistryRoot::CurrentUser), "/elsewhere/user.reg");
    EXPECT_EQ(RegistryStore::DefaultPath(RegistryRoot::LocalMachine), "/elsewhere/machine.reg");
}

}  // namespace
