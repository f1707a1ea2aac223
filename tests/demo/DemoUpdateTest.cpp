// The update check at start-up, end to end: the program over the demo data with the options
// "CheckInternet" and "AutoUpDate" on, the maker's server played by a loopback server that the
// library reaches as the system's proxy, the dialogs answered by the test script. An update on
// offer is asked for (window message 19), downloaded by the update dialog into "UpDate" and
// started when the program ends; without the server the player is told so (35); a reply cut
// short leaves nothing to start.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/registry/Registry.h"
#include "tests/demo/DemoProgram.h"
#include "tests/internet/RawServer.h"

namespace {

namespace fs = std::filesystem;
using Registry = platform::registry::Registry;

constexpr const char* kFile = "patch.sh";
// The connection check's box closes by itself; the offer is taken, the dialog downloads, and
// Enter presses its Ok once every file came, else its Cancel (Ok is not enabled then).
constexpr const char* kTakeTheOffer =
    "until window 19 within 500\n"
    "key Enter\n"
    "until dialog Glg_UpDate within 100\n"
    "wait 200\n"
    "key Enter\n";
const std::string kBytes = "#!/bin/sh\necho the game is up to date\n";

// The maker's scripts and files, as a proxy answers the whole addresses the library asks for.
class MakersServer {
public:
    explicit MakersServer(bool cutShort)
        : server_(palvrek::testing::RawServer::Mode::Answer, [cutShort](const std::string& target) {
              using palvrek::testing::RawReply;
              if (target.find("check_internet.pl") != std::string::npos) return RawReply("result code 0 1 online\n");
              if (target.find("get_updt.pl") != std::string::npos)
                  return RawReply(std::string(kFile) + "||The game, up to date||Sprallion||1.1||free||0.00||" +
                                  "www.quorvex.com/ru/files/||" + std::to_string(kBytes.size()) + "||\r\n");
              // Cut short: no length, and the server closes ten bytes in.
              if (target.find(kFile) != std::string::npos)
                  return cutShort ? RawReply(kBytes.substr(0, 10), false) : RawReply(kBytes);
              return std::string("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
          }) {}
    int Port() const { return server_.Port(); }
    int Requests(const std::string& what) { return server_.Requests(what); }

private:
    palvrek::testing::RawServer server_;
};

// A port nothing listens on (any more).
int ClosedPort() {
    const palvrek::testing::RawServer gone(palvrek::testing::RawServer::Mode::Close);
    return gone.Port();
}

class DemoUpdateTest : public ::testing::Test {
protected:
    // The options asking for the check, an installed version, and the proxy at `port`.
    void Configure(int port) {
        testproc::ScopedEnv env("SPRALLION_REGISTRY", program_.Registry());
        Registry options(platform::registry::RootKey::HKEY_CURRENT_USER);
        ASSERT_TRUE(options.OpenKey("\\SOFTWARE\\Quorvex\\Sprallion", true));
        options.WriteInteger("CheckInternet", 1);
        options.WriteInteger("AutoUpDate", 1);
        options.WriteString("CurrentVersion", "1.0");
        Registry proxy(platform::registry::RootKey::HKEY_CURRENT_USER);
        ASSERT_TRUE(proxy.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", true));
        proxy.WriteInteger("ProxyEnable", 1);
        proxy.WriteString("ProxyServer", "127.0.0.1:" + std::to_string(port));
    }
    void Run(const std::string& script) {
        program_.Run(script, std::chrono::seconds(60));
        ASSERT_TRUE(program_.exit.has_value()) << "the program did not end in time";
        EXPECT_EQ(*program_.exit, 0) << program_.Output();
    }
    std::vector<std::string> Downloaded() const {
        std::vector<std::string> names;
        if (fs::is_directory(program_.Home() + "/UpDate"))
            for (const auto& e : fs::directory_iterator(program_.Home() + "/UpDate")) names.push_back(e.path().filename());
        return names;
    }
    // The downloads the shell was asked to start.
    std::vector<std::string> Started() const {
        std::vector<std::string> started;
        for (const std::string& line : program_.Recorded())
            if (line.find("/UpDate/") != std::string::npos) started.push_back(line);
        return started;
    }

    demotest::DemoProgram program_;
};

TEST_F(DemoUpdateTest, AnOfferedUpdateIsAskedForDownloadedAndStartedWhenTheProgramEnds) {
    MakersServer server(false);
    ASSERT_NO_FATAL_FAILURE(Configure(server.Port()));
    ASSERT_NO_FATAL_FAILURE(Run(std::string(kTakeTheOffer) + "wait 1000\n"));
    EXPECT_EQ(server.Requests("check_internet.pl"), 1);
    EXPECT_EQ(server.Requests("get_updt.pl"), 1);
    EXPECT_EQ(Downloaded(), std::vector<std::string>{kFile});
    std::ifstream in(program_.Home() + "/UpDate/" + kFile, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kBytes);
    const std::vector<std::string> started = Started();
    ASSERT_EQ(started.size(), 1u) << program_.Output();
    EXPECT_EQ(fs::path(started[0]), fs::path(program_.Home()) / "UpDate" / kFile);
    EXPECT_EQ(program_.Log().find("MainPanelShow"), std::string::npos) << "the program ends for the update";
}

TEST_F(DemoUpdateTest, WithoutTheServerThePlayerIsToldAndTheGameStarts) {
    ASSERT_NO_FATAL_FAILURE(Configure(ClosedPort()));
    ASSERT_NO_FATAL_FAILURE(Run("until window 35 within 500\n"
                                "key Enter\n"
                                "until panel MainPanel within 2000\n"
                                "key F12\n"
                                "wait 2000\n"));
    EXPECT_TRUE(Downloaded().empty());
    EXPECT_TRUE(Started().empty());
}

TEST_F(DemoUpdateTest, AReplyCutShortLeavesNothingToStart) {
    MakersServer server(true);
    ASSERT_NO_FATAL_FAILURE(Configure(server.Port()));
    ASSERT_NO_FATAL_FAILURE(Run(std::string(kTakeTheOffer) +
                                "until panel MainPanel within 2000\n"
                                "key F12\n"
                                "wait 2000\n"));
    EXPECT_EQ(server.Requests(kFile), 1);
    EXPECT_TRUE(Downloaded().empty()) << ::testing::PrintToString(Downloaded());
    EXPECT_TRUE(Started().empty());
}

}  // namespace
