#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "core/Exceptions.h"
#include "platform/RegistryStore.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

using Binary = RegistryStore::Binary;
constexpr RegistryRoot User = RegistryRoot::CurrentUser;
const std::string OldStore = "Skyvane Registry Store 1\n\n[HKEY_CURRENT_USER\\Old]\n\"A\"=\"1\"\n";

class RegistryStoreTest : public ::testing::Test {
protected:
    static mode_t ModeOf(const std::string& path) {
        struct stat status {};
        EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
        return status.st_mode & 07777;
    }

    TempFolder folder_;
    std::string path_ = folder_.Folder() + "registry.reg";
};

TEST_F(RegistryStoreTest, SaveAndLoad_KeepEscapedStringsBinaryValuesAndSeveralKeys) {
    const std::string tricky = "C:\\dir\\\"quoted\"\\ one\ntwo\r\n\tZ\xC3\xBCrich \xE6\x9D\xB1";
    RegistryStore store(User, path_);
    store.SetString("Software\\Terravue", "InstallationPath", tricky);
    store.SetString("Software\\Terravue", "", "default");
    store.SetString("Software\\Terravue", "Empty", "");
    store.SetBinary("Software\\Terravue", "Blob", Binary{0x01, 0xFF, 0x00});
    store.SetBinary("Control Panel\\Desktop", "None", Binary{});
    store.SetString("Control Panel\\Desktop", "Odd \"name\" \\ = [x]\n", "10");
    store.Save();

    const RegistryStore loaded = RegistryStore::Load(User, path_);
    EXPECT_EQ(loaded.GetString("Software\\Terravue", "InstallationPath"), tricky);
    EXPECT_EQ(loaded.GetString("Software\\Terravue", ""), "default");
    EXPECT_EQ(loaded.GetString("Software\\Terravue", "Empty"), "");
    EXPECT_EQ(loaded.GetBinary("Software\\Terravue", "Blob"), (Binary{0x01, 0xFF, 0x00}));
    EXPECT_EQ(loaded.GetBinary("Control Panel\\Desktop", "None"), Binary{});
    EXPECT_EQ(loaded.GetString("Control Panel\\Desktop", "Odd \"name\" \\ = [x]\n"), "10");
    EXPECT_EQ(loaded.ToText(), store.ToText());
    const std::string start =
        "Skyvane Registry Store 1\n\n[HKEY_CURRENT_USER\\Software\\Terravue]\n"
        "\"InstallationPath\"=\"C:\\\\dir\\\\\\\"quoted\\\"\\\\ one\\ntwo\\r\\n\tZ\xC3\xBCrich "
        "\xE6\x9D\xB1\"\n@=\"default\"\n\"Empty\"=\"\"\n\"Blob\"=hex:01,ff,00\n";
    EXPECT_EQ(ReadWholeFile(path_).substr(0, start.size()), start);
}

TEST_F(RegistryStoreTest, Lookup_IgnoresAsciiCaseButKeepsTheFirstSpelling) {
    RegistryStore store(User, path_);
    store.SetString("Software\\Terravue", "InstallationPath", "/a/");
    store.SetString("SOFTWARE\\terravue", "installationpath", "/b/");
    store.SetString("software\\TERRAVUE\\Sub", "X", "1");
    store.SetString("Software\\Terravue", "Z\xC3\xBCrich", "only ASCII letters fold");

    EXPECT_EQ(store.GetString("sOfTwArE\\tErRaVuE", "INSTALLATIONPATH"), "/b/");
    EXPECT_EQ(store.GetString("Software\\Terravue", "Z\xC3\x9CRICH"), std::nullopt);
    EXPECT_EQ(store.ToText(),
              "Skyvane Registry Store 1\n\n[HKEY_CURRENT_USER\\Software\\Terravue]\n"
              "\"InstallationPath\"=\"/b/\"\n\"Z\xC3\xBCrich\"=\"only ASCII letters fold\"\n\n"
              "[HKEY_CURRENT_USER\\Software\\Terravue\\Sub]\n\"X\"=\"1\"\n");
}

TEST_F(RegistryStoreTest, KeyExists_ForWrittenKeysAndTheirParentsOnly) {
    const RegistryStore store =
        RegistryStore::Parse(User, path_, "[HKEY_CURRENT_USER\\Software\\Terravue\\Empty]\n");
    for (const char* present :
         {"Software\\Terravue\\Empty", "software\\terravue", "Software", ""}) {
        EXPECT_TRUE(store.KeyExists(present)) << present;
    }
    for (const char* absent :
         {"Soft", "Software\\", "\\Software", "Software\\Terravue\\Empty\\X"}) {
        EXPECT_FALSE(store.KeyExists(absent)) << absent;
    }
}

TEST_F(RegistryStoreTest, SetAndDelete_ReplaceEitherTypeAndKeepTheKey) {
    RegistryStore store(User, path_);
    store.SetString("Control Panel\\Desktop", "WallpaperStyle", "2");
    store.SetBinary("Control Panel\\Desktop", "wallpaperstyle", Binary{7});
    EXPECT_EQ(store.GetString("Control Panel\\Desktop", "WallpaperStyle"), std::nullopt);
    EXPECT_EQ(store.GetBinary("Control Panel\\Desktop", "WallpaperStyle"), Binary{7});

    EXPECT_TRUE(store.DeleteValue("CONTROL PANEL\\DESKTOP", "WALLPAPERSTYLE"));
    EXPECT_FALSE(store.DeleteValue("Control Panel\\Desktop", "WallpaperStyle"));
    EXPECT_EQ(store.GetBinary("Control Panel\\Desktop", "WallpaperStyle"), std::nullopt);
    EXPECT_TRUE(
        RegistryStore::Parse(User, path_, store.ToText()).KeyExists("Control Panel\\Desktop"));
}

TEST_F(RegistryStoreTest, Set_RefusesWhatTheFileCouldNotGiveBack) {
    RegistryStore store(User, path_);
    for (const std::string& keyPath : std::vector<std::string>{
             "", "\\Key", "Key\\", "Key\\\\Sub", "Ke\ny", std::string("K\0y", 3), "K\xFFy"}) {
        EXPECT_EQ(LocationOf([&] { store.SetString(keyPath, "Name", "x"); }),
                  "RegistryStore::SetString (1)");
    }
    for (const std::string& text : std::vector<std::string>{
             std::string("a\0b", 3), "\xC3", "\xED\xA0\x80", std::string(1 << 20, 'x')}) {
        EXPECT_THROW(store.SetString("Key", "Name", text), ArgumentException);
        EXPECT_THROW(store.SetString("Key", text, "x"), ArgumentException);
    }
    EXPECT_EQ(LocationOf([&] { store.SetBinary("Key", "Name", Binary(350000)); }),
              "RegistryStore::SetBinary (1)");
    EXPECT_FALSE(store.KeyExists("Key"));
}

TEST_F(RegistryStoreTest, Load_MissingFileIsAnEmptyStoreAndAFolderIsUnreadable) {
    EXPECT_FALSE(RegistryStore::Load(User, path_).KeyExists("Software"));
    EXPECT_TRUE(RegistryStore::TryLoad(User, folder_.Folder() + "no/such/file"));
    ASSERT_EQ(::mkdir(path_.c_str(), 0700), 0);
    EXPECT_FALSE(RegistryStore::TryLoad(User, path_));
    EXPECT_EQ(LocationOf([&] { RegistryStore::Load(User, path_); }), "RegistryStore::Load (1)");
}

TEST_F(RegistryStoreTest, Load_SkipsDamagedLinesAndValuesUnderDamagedKeysButKeepsTheRest) {
    const std::string huge(RegistryStore::MaxLineLength + 10, 'x');
    WriteWholeFile(path_,
                   "\xEF\xBB\xBFSkyvane Registry Store 1\r\n"
                   "garbage\n"
                   "\"Early\"=\"before any key\"\n"
                   "[HKEY_CURRENT_USER\\Software\\A]\r\n"
                   "  \"Good1\"=\"one\"  \r\n"
                   "\"BadEscape\"=\"a\\qb\"\n"
                   "\"OddHex\"=hex:1,ff\n\"BadHex\"=hex:0g\n\"TrailingComma\"=hex:01,\n"
                   "\"NoEquals\"\n\"Unterminated\"=\"abc\n\"Extra\"=\"abc\"def\n"
                   "\"InvalidUtf8\"=\"\xFF\"\n\"Dword\"=dword:00000001\n=\"no name\"\n" +
                       std::string("\"Nul\"=\"a\0b\"\n", 12) + huge +
                       "\n"
                       "\"Good2\"=HEX:0A,0b\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\B]\n\"OtherRoot\"=\"x\"\n"
                       "[HKEY_CURRENT_USER\\Software\\A\n\"AfterBrokenKey\"=\"x\"\n"
                       "[HKEY_CURRENT_USER\\Bad\\\\Path]\n\"AfterBadPath\"=\"x\"\n"
                       "[HKEY_CURRENT_USER\\Software\\C]\n\"Good3\"=\"three\"\n"
                       "[" +
                       huge +
                       "]\n\"AfterHugeKey\"=\"x\"\n"
                       "[HKEY_CURRENT_USER\\Software\\A]\n\"good1\"=\"uno\"");

    EXPECT_EQ(RegistryStore::Load(User, path_).ToText(),
              "Skyvane Registry Store 1\n\n"
              "[HKEY_CURRENT_USER\\Software\\A]\n\"Good1\"=\"uno\"\n\"Good2\"=hex:0a,0b\n\n"
              "[HKEY_CURRENT_USER\\Software\\C]\n\"Good3\"=\"three\"\n");
}

TEST_F(RegistryStoreTest, Save_CreatesMissingFoldersPrivatelyAndKeepsTheOldFilesPermissions) {
    RegistryStore store(User, folder_.Folder() + "one/two/registry.reg");
    store.SetString("Software\\Terravue", "InstallationPath", "/x/");
    store.Save();
    EXPECT_EQ(
        RegistryStore::Load(User, store.Path()).GetString("Software\\Terravue", "InstallationPath"),
        "/x/");
    EXPECT_FALSE(std::filesystem::exists(store.Path() + ".temp"));
    EXPECT_EQ(ModeOf(folder_.Folder() + "one"), 0700U);
    EXPECT_EQ(ModeOf(store.Path()), 0600U);

    ASSERT_EQ(::chmod(store.Path().c_str(), 0640), 0);
    store.Save();
    EXPECT_EQ(ModeOf(store.Path()), 0640U);
}

TEST_F(RegistryStoreTest, Save_FailingToCreateTheTemporaryFileLeavesTheOldFileIntact) {
    WriteWholeFile(path_, OldStore);
    // A folder in the temporary file's place cannot be replaced, not even by root.
    ASSERT_TRUE(std::filesystem::create_directories(path_ + ".temp/inside"));
    RegistryStore store(User, path_);
    store.SetString("New", "B", "2");
    EXPECT_EQ(LocationOf([&] { store.Save(); }), "RegistryStore::Save (3)");
    EXPECT_EQ(ReadWholeFile(path_), OldStore);
}

TEST_F(RegistryStoreTest, Save_FailingToWriteLeavesTheOldFileIntactAndNoTemporaryFile) {
    WriteWholeFile(path_, OldStore);
    RegistryStore store(User, path_);
    store.SetString("New", "Big", std::string(100000, 'b'));

    // A file size limit stops the write part way, whoever runs the test.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    const std::string location = LocationOf([&] { store.Save(); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(location, "RegistryStore::Save (4)");
    EXPECT_EQ(ReadWholeFile(path_), OldStore);
    EXPECT_FALSE(std::filesystem::exists(path_ + ".temp"));
}

TEST_F(RegistryStoreTest, Save_FailsWhenTheParentIsARegularFile) {
    WriteWholeFile(folder_.Folder() + "file", "keep");
    RegistryStore store(User, folder_.Folder() + "file/registry.reg");
    store.SetString("Key", "Name", "value");
    EXPECT_EQ(LocationOf([&] { store.Save(); }), "RegistryStore::Save (2)");
    EXPECT_EQ(ReadWholeFile(folder_.Folder() + "file"), "keep");
}

TEST_F(RegistryStoreTest, Save_FromSeveralProcessesAtOnceAlwaysLeavesOneWholeStore) {
    constexpr std::size_t Length = 300000;
    std::vector<pid_t> children;
    for (char letter = 'a'; letter < 'e'; ++letter) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int status = 0;
            try {
                RegistryStore store(User, path_);
                store.SetString("Key", "Value", std::string(Length, letter));
                for (int round = 0; round < 40; ++round) {
                    store.Save();
                }
            } catch (const ApplicationException&) {
                status = 1;
            }
            ::_exit(status);
        }
        children.push_back(child);
    }
    int torn = 0;
    for (int read = 0; read < 400; ++read) {
        // Looked at before the load: a store first saved between the two would
        // otherwise count an empty read of the missing file as a torn one.
        const bool saved = std::filesystem::exists(path_);
        const std::optional<RegistryStore> store = RegistryStore::TryLoad(User, path_);
        const std::optional<std::string> value =
            store ? store->GetString("Key", "Value") : std::nullopt;
        if (saved && (!value || *value != std::string(Length, value->front()))) {
            ++torn;
        }
    }
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(torn, 0);
}

class RegistryStoreRandomInputTest : public ::testing::Test {
protected:
    // Random bytes, half of them characters the parser looks at, to get far into it.
    std::string Junk(std::size_t maximumLength) {
        static constexpr std::string_view Structure = "[]\"\\=@\n\r\t ,:hexHKEY_CURRENT_USER";
        std::string text(Length(maximumLength), '\0');
        for (char& character : text) {
            character = random_() % 2 == 0 ? Structure[random_() % Structure.size()]
                                           : static_cast<char>(random_() % 256);
        }
        return text;
    }

    // Valid text made of pieces that need quoting or look like structure. Key paths take
    // no control characters or backslashes, the last four pieces.
    std::string Tricky(std::size_t maximumPieces, bool forKeyPath) {
        static const std::vector<std::string> Pieces = {
            "[",  "]",  "\"", "=", "@", " ", ",", "hex:", "a", "Z", "\xC3\xBC", "\xF0\x9F\x98\x80",
            "\\", "\n", "\r", "\t"};
        std::string text;
        for (std::size_t count = Length(maximumPieces); count > 0; --count) {
            text += Pieces[random_() % (Pieces.size() - (forKeyPath ? 4 : 0))];
        }
        return text;
    }

    std::size_t Length(std::size_t maximum) {
        return std::uniform_int_distribution<std::size_t>(0, maximum)(random_);
    }

    std::mt19937 random_{20240611};
};

TEST_F(RegistryStoreRandomInputTest, RandomBytesNeverCrashAndLoadToAStableStore) {
    for (int round = 0; round < 3000; ++round) {
        const std::string once = RegistryStore::Parse(User, "", Junk(400)).ToText();
        EXPECT_EQ(RegistryStore::Parse(User, "", once).ToText(), once);
    }
}

TEST_F(RegistryStoreRandomInputTest, GoodLinesSurviveRandomLinesAroundThem) {
    struct Entry {
        std::string KeyPath;
        std::string Name;
        RegistryStore Store{User, ""};
    };
    for (int round = 0; round < 100; ++round) {
        std::vector<Entry> entries(12);
        std::string text;
        for (std::size_t index = 0; index < entries.size(); ++index) {
            Entry& entry = entries[index];
            entry.KeyPath = "K" + std::to_string(index % 4) + Tricky(6, true) + "\\S";
            // The number keeps names apart, so no random line can stand for a good one.
            entry.Name = "v" + std::to_string(index) + "#" + Tricky(8, false);
            if (index % 3 == 0) {
                const std::string bytes = Junk(16);
                entry.Store.SetBinary(entry.KeyPath, entry.Name,
                                      Binary(bytes.begin(), bytes.end()));
            } else {
                entry.Store.SetString(entry.KeyPath, entry.Name, Tricky(30, false));
            }
            // A random line may end the current key, so each good value follows its key line.
            text += Junk(120) + "\n";
            if (round % 25 == 0 && index == 5) {
                text += std::string(RegistryStore::MaxLineLength + 1, "[\""[round % 2]) + "\n";
            }
            text += entry.Store.ToText().substr(RegistryStore::Header.size() + 2);
        }
        text += Junk(120);

        const RegistryStore loaded = RegistryStore::Parse(User, "", text);
        for (const Entry& entry : entries) {
            EXPECT_EQ(loaded.GetString(entry.KeyPath, entry.Name),
                      entry.Store.GetString(entry.KeyPath, entry.Name))
                << "round " << round << ": " << entry.Name;
            EXPECT_EQ(loaded.GetBinary(entry.KeyPath, entry.Name),
                      entry.Store.GetBinary(entry.KeyPath, entry.Name))
                << "round " << round << ": " << entry.Name;
        }
    }
}

}  // namespace
