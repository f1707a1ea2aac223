// The registry stand-in: typed values, names without case, persistence across processes,
// concurrent writers and damaged files.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/registry/Registry.h"

namespace fs = std::filesystem;
using namespace platform::registry;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sprallion-registry-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        file_ = (dir_ / "sub" / "registry").string();
    }
    void TearDown() override {
        SetLogHandler(nullptr);
        fs::remove_all(dir_);
    }
    std::string ReadFile(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Runs body in a child process; answers its exit status.
    template <typename F>
    static pid_t Spawn(F body) {
        pid_t pid = ::fork();
        if (pid == 0) {
            int rc = 1;
            try {
                rc = body();
            } catch (...) {
            }
            ::_exit(rc);
        }
        return pid;
    }
    static int Wait(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir_;
    std::string file_;
};

TEST_F(RegistryTest, TypedValuesAndTheDefaultValueWithNamesWithoutCase) {
    Store store(file_);
    Registry reg(store, RootKey::HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey("Software\\Quorvex", false));
    ASSERT_TRUE(reg.OpenKey("\\Software\\Quorvex\\Sprallion\\", true));
    reg.WriteString("PlayerEmail", "a@b.c");
    reg.WriteString("", "default text");
    reg.WriteInteger("Count", -7);
    reg.WriteBinaryData("Blob", std::string("\0\x01\xFF\"%\n", 6));
    reg.WriteString("Text", "\xC0\xE1\xE2 \"quoted\" 100%");  // 8-bit letters survive

    Registry other(store, RootKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(other.OpenKeyReadOnly("SOFTWARE\\QUORVEX\\sprallion"));
    EXPECT_EQ(other.ReadString("playeremail"), "a@b.c");
    EXPECT_EQ(other.ReadString(""), "default text");
    EXPECT_EQ(other.ReadInteger("COUNT"), -7);
    EXPECT_EQ(other.ReadBinaryData("blob"), std::string("\0\x01\xFF\"%\n", 6));
    EXPECT_EQ(other.ReadString("Text"), "\xC0\xE1\xE2 \"quoted\" 100%");
    EXPECT_EQ(other.GetDataType("Count"), ValueType::DWord);
    EXPECT_EQ(other.ReadString("Missing"), "");
    EXPECT_THROW(other.ReadInteger("Missing"), ERegistryException);
    EXPECT_THROW(other.ReadInteger("PlayerEmail"), ERegistryException);
    EXPECT_THROW(other.ReadString("Count"), ERegistryException);
    EXPECT_THROW(other.WriteString("x", "y"), ERegistryException);  // opened read-only

    // A key keeps the case it was first written with; roots are separate.
    Registry root(store, RootKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(root.OpenKey("software", false));
    EXPECT_EQ(root.GetKeyNames(), std::vector<std::string>{"Quorvex"});
    Registry machine(store, RootKey::HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(machine.KeyExists("Software\\Quorvex"));

    EXPECT_TRUE(reg.DeleteValue("count"));
    EXPECT_FALSE(reg.ValueExists("Count"));
    EXPECT_TRUE(root.DeleteKey("\\Software\\Quorvex"));
    EXPECT_FALSE(root.KeyExists("\\Software\\Quorvex\\Sprallion"));
    EXPECT_THROW(reg.WriteString("PlayerEmail", "gone"), ERegistryException);  // its key was deleted
}

TEST_F(RegistryTest, ValuesSurviveARestartAndWritersInTwoProcessesLoseNothing) {
    const std::string file = file_;
    ASSERT_EQ(Wait(Spawn([file] {
                  Store store(file);
                  Registry reg(store, RootKey::HKEY_CURRENT_USER);
                  reg.OpenKey("Software\\Quorvex", true);
                  reg.WriteString("Bif", "Demo2.bif");
                  return 0;
              })),
              0);
    {
        Store restarted(file_);
        Registry reg(restarted, RootKey::HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Quorvex"));
        EXPECT_EQ(reg.ReadString("Bif"), "Demo2.bif");
    }

    constexpr int kWrites = 40;
    auto writer = [file](int id) {
        return [file, id] {
            Store store(file);
            Registry reg(store, RootKey::HKEY_CURRENT_USER);
            if (!reg.OpenKey("Software\\Quorvex", true)) return 2;
            for (int i = 0; i < kWrites; ++i) reg.WriteInteger("w" + std::to_string(id) + "_" + std::to_string(i), i);
            return 0;
        };
    };
    pid_t a = Spawn(writer(1));
    pid_t b = Spawn(writer(2));
    ASSERT_EQ(Wait(a), 0);
    ASSERT_EQ(Wait(b), 0);
    Store store(file_);
    Registry reg(store, RootKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Quorvex"));
    EXPECT_EQ(reg.GetValueNames().size(), 1u + 2 * kWrites);
    for (int id = 1; id <= 2; ++id)
        for (int i = 0; i < kWrites; ++i) EXPECT_EQ(reg.ReadInteger("w" + std::to_string(id) + "_" + std::to_string(i)), i);
    EXPECT_TRUE(ParseRegistryText(ReadFile(file_)).sound);
}

TEST_F(RegistryTest, ADamagedFileIsReportedOnceReadAsFarAsSoundAndKept) {
    {
        Store store(file_);
        Registry reg(store, RootKey::HKEY_CURRENT_USER);
        reg.OpenKey("A", true);
        reg.WriteString("first", "one");
        reg.OpenKey("\\B", true);
        reg.WriteString("second", "a longer text that the cut goes through");
    }
    std::string whole = ReadFile(file_);
    std::string cut = whole.substr(0, whole.find("a longer") + 5);
    std::ofstream(file_, std::ios::binary | std::ios::trunc) << cut;

    std::vector<std::string> reports;
    SetLogHandler([&](const std::string& text) { reports.push_back(text); });
    Store store(file_);
    Registry reg(store, RootKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKeyReadOnly("A"));
    EXPECT_EQ(reg.ReadString("first"), "one");
    EXPECT_TRUE(reg.KeyExists("\\B"));
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\B") && reg.ValueExists("second"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("damaged"), std::string::npos);

    // The next change keeps the damaged bytes aside and writes a sound file with what was read.
    Registry writer(store, RootKey::HKEY_CURRENT_USER);
    writer.OpenKey("A", false);
    writer.WriteString("third", "three");
    EXPECT_EQ(ReadFile(file_ + ".damaged"), cut);
    ParseResult now = ParseRegistryText(ReadFile(file_));
    EXPECT_TRUE(now.sound);
    ASSERT_NE(FindKey(now.tree, "HKEY_CURRENT_USER\\A"), nullptr);
    EXPECT_EQ(FindKey(now.tree, "HKEY_CURRENT_USER\\A")->values.size(), 2u);
    EXPECT_EQ(reports.size(), 2u);  // the report of the kept copy; the damage itself only once
}

TEST_F(RegistryTest, AnEndlessHugeOrWaitingFileIsRefusedOrReadInPartNeverTheEndOfTheProgram) {
    fs::create_directories(dir_);
    const std::string endless = (dir_ / "endless").string(), waiting = (dir_ / "waiting").string();
    const std::string huge = (dir_ / "huge").string();
    fs::create_symlink("/dev/zero", endless);
    ASSERT_EQ(::mkfifo(waiting.c_str(), 0600), 0);
    std::ofstream(huge) << "SPRALLION REGISTRY 1\n[HKEY_CURRENT_USER\\A]\n\"a\"=string:\"1\"\n";
    fs::resize_file(huge, uint64_t{4} << 30);  // a hole: no disk taken
    const pid_t child = Spawn([&] {
        ::alarm(20);  // a reader waiting for a writer ends here
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        const rlimit memory{size_t{1} << 30, size_t{1} << 30};
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        for (const std::string& name : {endless, waiting}) {
            try {
                Store(name).Snapshot();
                return 2;
            } catch (const ERegistryException&) {
            }
        }
        std::vector<std::string> reports;
        SetLogHandler([&](const std::string& text) { reports.push_back(text); });
        Store store(huge);
        Registry reg(store, RootKey::HKEY_CURRENT_USER);
        const bool read = reg.OpenKeyReadOnly("A") && reg.ReadString("a") == "1";
        return read && reports.size() == 1 && reports[0].find("larger than 16 MiB") != std::string::npos ? 0 : 3;
    });
    EXPECT_EQ(Wait(child), 0);
}

TEST(RegistryFileTest, FormatAndParseAgreeAndBadLinesStopTheReader) {
    Tree t;
    Key& k = CreateKey(t, "HKEY_CLASSES_ROOT\\CLSID\\{X}\\Odd [name]%");
    k.values[FoldName("A")] = Value{"A", ValueType::String, "x\"y%z\r\n"};
    k.values[""] = Value{"", ValueType::DWord, std::string("\x01\x02\x03\x04", 4)};
    k.values[FoldName("b")] = Value{"b", ValueType::Binary, ""};
    ParseResult back = ParseRegistryText(FormatRegistryText(t));
    EXPECT_TRUE(back.sound) << back.problem;
    EXPECT_EQ(back.tree, t);

    for (const char* bad : {"", "SPRALLION REGISTRY 2\nEND\n", "SPRALLION REGISTRY 1\n@=dword:1\nEND\n",
                            "SPRALLION REGISTRY 1\n[HKEY_X\\A]\nEND\n",
                            "SPRALLION REGISTRY 1\n[HKEY_CURRENT_USER]\n\"a\"=binary(3):0102\nEND\n",
                            "SPRALLION REGISTRY 1\n[HKEY_CURRENT_USER]\n\"a\"=dword:1\nEND\n",
                            "SPRALLION REGISTRY 1\n[HKEY_CURRENT_USER]\n\"a\"=string:\"open\nEND\n",
                            "SPRALLION REGISTRY 1\n[HKEY_CURRENT_USER]\n"}) {
        EXPECT_FALSE(ParseRegistryText(bad).sound) << bad;
    }
}

}  // namespace
