// The library as the game meets it: registered by regsvr, created by class identifier, called
// through its table of operations, talking to a loopback server that also misbehaves on purpose.
#include <sys/wait.h>

#include <httplib.h>

#include <chrono>

#include "internet/HTTPClientU.h"
#include "internet/R_InternetI.h"
#include "platform/com/ComObj.h"
#include "platform/registry/Registry.h"
#include "rtl/Text.h"
#include "tests/internet/Fixture.h"
#include "tests/internet/RawServer.h"

namespace palvrek::testing {

namespace {

using namespace platform::com;

// The maker's scripts on 127.0.0.1 and a free port.
class ScriptServer {
public:
    std::string checkReply = "result code 0 1 online\n";
    int checkStatus = 200;
    std::string lastReply = "1234";
    int lastStatus = 200;
    std::string sendReply = "result code 0 7 stored\n";

    ScriptServer() {
        server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                targets_.push_back(req.target);
                lastQuery_ = req.params;
                rawQuery_ = req.target.substr(std::min(req.target.size(), req.target.find('?')));
            }
            if (req.path.find("check_internet.pl") != std::string::npos) {
                res.status = checkStatus;
                res.set_content(checkReply, "text/plain");
            } else if (req.path.find("get_last.pl") != std::string::npos) {
                res.status = lastStatus;
                res.set_content(lastReply, "text/plain");
            } else if (req.path.find("set_new.pl") != std::string::npos) {
                res.set_content(sendReply, "text/plain");
            } else {
                res.status = 404;
            }
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 2000 && !server_.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~ScriptServer() {
        server_.stop();
        thread_.join();
    }
    int Port() const { return port_; }
    std::vector<std::string> Targets() {
        std::lock_guard lock(mutex_);
        return targets_;
    }
    std::multimap<std::string, std::string> LastQuery() {
        std::lock_guard lock(mutex_);
        return lastQuery_;
    }
    std::string RawQuery() {
        std::lock_guard lock(mutex_);
        return rawQuery_;
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> targets_;
    std::multimap<std::string, std::string> lastQuery_;
    std::string rawQuery_;
};

class LibraryTest : public GameFixture {
protected:
    // Initialize, then point the settings at host:port with a time-out.
    bool Start(const std::string& host, int port, int timeOut = 0) {
        const bool ready = Initialize();
        Serve(port, timeOut);
        EditSettings([&](TInternetSetup& s) { AssignBstr(s.Host, rtl::AnsiToUtf16(host)); });
        return ready;
    }
    void ProxySettings(const std::string& server) {
        platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", true));
        reg.WriteInteger("ProxyEnable", 1);
        reg.WriteString("ProxyServer", server);
    }
    int Send(std::u16string medals = u"Gold Star,Silver") {
        TPlayer p;
        AssignBstr(p.Player, u"Ann");
        AssignBstr(p.Difficulty, u"Hard");
        AssignBstr(p.Score, u"900");
        AssignBstr(p.Rank, u"Captain & Co");
        AssignBstr(p.Medals, medals);
        AssignBstr(p.Time, u"Set 1");
        int32_t answer = 0;
        EXPECT_EQ(game_->SendScore(p, &answer), S_OK);
        FreeRecord(p);
        return answer;
    }

};

TEST_F(LibraryTest, RegisteredCreatedCalledThroughItsSlotsAndUnregistered) {
    // Slot 7 is GetVersion, answered before Initialize.
    void** table = *reinterpret_cast<void***>(game_.get());
    BSTR version = nullptr;
    auto getVersion = reinterpret_cast<HRESULT (*)(IInternetGame*, BSTR*)>(table[7]);
    ASSERT_EQ(getVersion(game_.get(), &version), S_OK);
    EXPECT_EQ(BstrToString(version), u"1.1");
    FreeBstr(version);

    VARIANT_BOOL ready = 0;
    auto initialize = reinterpret_cast<HRESULT (*)(IInternetGame*, VARIANT_BOOL*)>(table[3]);
    ASSERT_EQ(initialize(game_.get(), &ready), S_OK);
    EXPECT_EQ(ready, VARIANT_TRUE);
    auto getSettings = reinterpret_cast<void (*)(IInternetGame*, TInternetSetup&)>(table[5]);
    TInternetSetup s;
    getSettings(game_.get(), s);
    EXPECT_EQ(s.Port, 80);
    EXPECT_EQ(s.TimeOut, 5000);
    EXPECT_EQ(BstrToString(s.Project), u"sprallionrus");
    EXPECT_EQ(BstrToString(s.RegistryKey), u"SOFTWARE\\Quorvex\\sprallionrus");
    EXPECT_EQ(BstrToString(s.GetLastScript), u"cgi-bin/get_last.pl");
    // Settings come back exactly as given, Reserved included.
    AssignBstr(s.Reserved, u"kept");
    AssignBstr(s.LanguageId, u"0419");
    game_->SetSettings(s);
    TInternetSetup back;
    game_->GetSettings(back);
    EXPECT_EQ(BstrToString(back.Reserved), u"kept");
    EXPECT_EQ(BstrToString(back.LanguageId), u"0419");
    game_->GetSettings(back);  // filling a filled record frees what it held (checked under ASan)
    FreeRecord(back);
    FreeRecord(s);
    ASSERT_EQ(getVersion(game_.get(), &version), S_OK);
    EXPECT_EQ(BstrToString(version), u"1.1");
    FreeBstr(version);

    auto finalize = reinterpret_cast<void (*)(IInternetGame*)>(table[4]);
    finalize(game_.get());
    finalize(game_.get());  // harmless the second time
    int32_t score = 0;
    auto lastScore = reinterpret_cast<HRESULT (*)(IInternetGame*, int32_t*)>(table[9]);
    EXPECT_EQ(lastScore(game_.get(), &score), S_OK);
    EXPECT_EQ(score, -1);  // no client after Finalize, no request

    // The message pump export is reachable through the runtime.
    EXPECT_NE(CoGetLoadedExport(CLSID_InternetGame, kSetMessagePumpExport), nullptr);

    game_.reset();
    ASSERT_EQ(RunRegsvr("-u -s " + LibraryFile()), 0);
    ComPtr<IInternetGame> again;
    EXPECT_EQ(CoCreateInstance(CLSID_InternetGame, nullptr, 7, IID_IInternetGame, again.out()), REGDB_E_CLASSNOTREG);
    EXPECT_NE(RunRegsvr("-s /nonexistent/libNone.so"), 0);
}

TEST_F(LibraryTest, ConnectionCheckLastScoreAndUploadAgainstTheLoopbackServer) {
    ScriptServer server;
    ASSERT_TRUE(Start("127.0.0.1", server.Port()));
    platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Quorvex\\Sprallion", true));
    reg.WriteString("PlayerEmail", "ann@example.org");

    EXPECT_TRUE(Online());
    EXPECT_EQ(LastScore(), 1234);
    EXPECT_EQ(Send(), 7);
    auto query = server.LastQuery();
    EXPECT_EQ(query.find("eml")->second, "ann@example.org");
    EXPECT_EQ(query.find("ml")->second, "Gold Star,Silver");
    EXPECT_EQ(query.find("rk")->second, "Captain & Co");
    EXPECT_EQ(query.find("hall")->second, "rus");
    EXPECT_NE(server.RawQuery().find("&rk=Captain%20%26%20Co&ml=Gold%20Star%2CSilver&tm=Set%201&hall=rus"),
              std::string::npos)
        << server.RawQuery();
    for (const auto& t : server.Targets()) EXPECT_EQ(t.rfind("http:", 0), std::string::npos) << t;  // no proxy

    game_->ShowServerTopList();
    auto opened = env_.Opened();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "http://127.0.0.1/cgi-bin/get_top.pl?tpl=sprl1&hall=rus");
}

TEST_F(LibraryTest, MisbehavingServersGiveTheFailureValues) {
    ScriptServer server;
    ASSERT_TRUE(Start("127.0.0.1", server.Port()));
    server.checkStatus = 404;
    server.lastStatus = 500;
    EXPECT_FALSE(Online());
    EXPECT_EQ(LastScore(), -1);
    server.checkStatus = 200;
    server.lastStatus = 200;
    server.checkReply = std::string("\x01\x02 garbage\0 result", 18);
    server.lastReply = "12abc";
    server.sendReply = "result code x 1 y\n";
    EXPECT_FALSE(Online());
    EXPECT_EQ(LastScore(), -1);
    EXPECT_EQ(Send(), -1);
    server.lastReply = "";
    server.sendReply = "result code 0 notanumber y\n";
    EXPECT_EQ(LastScore(), -1);
    EXPECT_EQ(Send(), -1);

    RawServer closing(RawServer::Mode::Close);
    Start("127.0.0.1", closing.Port());
    EXPECT_FALSE(Online());
    EXPECT_EQ(LastScore(), -1);
    EXPECT_EQ(Send(), -1);
    EXPECT_GE(closing.Accepted(), 3);

    // A server that never answers: the update list gives up after the settings' time-out, the
    // scripts after their own.
    RawServer stalling(RawServer::Mode::Stall);
    Start("127.0.0.1", stalling.Port(), 300);
    EXPECT_EQ(Query(), -1);
    EXPECT_FALSE(Online());
    EXPECT_GE(stalling.Accepted(), 2);

    // A header that never ends: its lines, 100 ms apart, keep no request alive past the
    // time-out (a download has no bound on the whole request).
    RawServer dripping(RawServer::Mode::HeaderDrip);
    THTTPClient client;
    client.Port = 0;
    client.TimeOut = 300;
    EXPECT_THROW(client.Get("http://127.0.0.1:" + std::to_string(dripping.Port()) + "/file"), EHTTPClientError);
    EXPECT_TRUE(dripping.ClientLeft()) << "the header kept the request alive to its end";

    // Nobody listening at all.
    int freePort = closing.Port();
    {
        RawServer gone(RawServer::Mode::Close);
        freePort = gone.Port();
    }
    Start("127.0.0.1", freePort);
    EXPECT_FALSE(Online());
}

TEST_F(LibraryTest, TheSystemProxyIsUsedOnlyWhenItServesHttp) {
    ScriptServer proxy;
    // The origin's name does not resolve: only a request through the proxy can succeed.
    ProxySettings("ftp=127.0.0.9:21;http=127.0.0.1:" + std::to_string(proxy.Port()));
    ASSERT_TRUE(Start("origin.invalid", 8080));
    EXPECT_TRUE(Online());
    ASSERT_FALSE(proxy.Targets().empty());
    EXPECT_EQ(proxy.Targets().back(), "http://origin.invalid:8080/cgi-bin/check_internet.pl");

    ScriptServer direct;
    ProxySettings("ftp=127.0.0.9:21;https=127.0.0.9:3128");  // no http entry
    ASSERT_TRUE(Start("127.0.0.1", direct.Port()));
    EXPECT_TRUE(Online());
    EXPECT_EQ(direct.Targets().size(), 1u);

    ProxySettings("http=127.0.0.1:12ab");  // not a number: no proxy, and Initialize does not fail
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(Start("127.0.0.1", direct.Port()));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("12ab"), std::string::npos);
    EXPECT_TRUE(Online());

    platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", false));
    reg.DeleteValue("ProxyServer");  // enabled, but no server named
    size_t before = direct.Targets().size();
    EXPECT_FALSE(Start("127.0.0.1", direct.Port()));
    EXPECT_FALSE(Online());
    EXPECT_EQ(LastScore(), -1);
    EXPECT_EQ(Send(), -1);
    EXPECT_EQ(direct.Targets().size(), before);  // no request went out
}

TEST_F(LibraryTest, TheMessagePumpRunsWhileARequestWaits) {
    RawServer stalling(RawServer::Mode::Stall);
    Start("127.0.0.1", stalling.Port(), 300);
    auto setPump = SetPumpFunction();
    ASSERT_NE(setPump, nullptr);
    static int calls = 0;
    calls = 0;
    setPump([](void*) { ++calls; }, nullptr);
    EXPECT_EQ(Query(), -1);
    setPump(nullptr, nullptr);
    EXPECT_GT(calls, 0);
}

TEST_F(LibraryTest, FailuresInsideAResultFormOperationBecomeTheErrorResult) {
    // An unusable download folder makes applying the settings raise.
    VARIANT_BOOL ready = 0;
    ASSERT_EQ(game_->Initialize(&ready), S_OK);
    TInternetSetup s;
    game_->GetSettings(s);
    AssignBstr(s.DownloadDir, u"relative-folder");
    EXPECT_THROW(game_->SetSettings(s), rtl::Exception);  // the direct form lets it through
    FreeRecord(s);
    // Initialize starts from the defaults, whose download folder is the system's temporary one.
    const char* oldTmp = std::getenv("TMPDIR");
    std::string saved = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", "relative-temp", 1);
    ClearErrorInfo();
    EXPECT_EQ(game_->Initialize(&ready), E_UNEXPECTED);
    if (oldTmp) ::setenv("TMPDIR", saved.c_str(), 1);
    else ::unsetenv("TMPDIR");
    auto info = GetErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->description, u"Unable to create directory");
}

TEST_F(LibraryTest, UnloadedWithTheLastUninitializeTheLibraryForgetsItsSettings) {
    ASSERT_TRUE(Start("changed.example", 8080));
    game_.reset();
    CoUninitialize();
    EXPECT_EQ(SetPumpFunction(), nullptr);
    ASSERT_TRUE(SUCCEEDED(CoInitialize()));
    ASSERT_EQ(CoCreateInstance(CLSID_InternetGame, nullptr, 7, IID_IInternetGame, game_.out()), S_OK);
    // Before Initialize a new object sees the settings of a library loaded afresh: none.
    TInternetSetup s;
    game_->GetSettings(s);
    EXPECT_EQ(BstrToString(s.Host), u"");
    EXPECT_EQ(s.Port, 0);
    EXPECT_EQ(BstrToString(s.RegistryKey), u"");
    FreeRecord(s);
}

TEST_F(LibraryTest, OutStringsTakeNullOrAnOwnedStringAndReplaceIt) {
    Initialize();
    // An owned string is freed before the answer goes in (a leak here fails the sanitizer run).
    BSTR version = SysAllocString(u"old version text");
    ASSERT_EQ(game_->GetVersion(&version), S_OK);
    EXPECT_EQ(BstrToString(version), u"1.1");
    FreeBstr(version);
    ASSERT_EQ(game_->GetVersion(&version), S_OK);  // null
    EXPECT_EQ(BstrToString(version), u"1.1");
    FreeBstr(version);

    BSTR text = SysAllocString(u"old descriptions");
    int32_t count = 0;
    ASSERT_EQ(game_->GetUpdateDescriptions(&text, TUpdateFilter(), &count), S_OK);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(BstrToString(text), u"");
    FreeBstr(text);

    BSTR names = SysAllocString(u"old names"), versions = nullptr;
    game_->GetInstalled(names, versions);
    EXPECT_EQ(BstrToString(names), u"");
    EXPECT_EQ(BstrToString(versions), u"");
    FreeBstr(names);
    FreeBstr(versions);

    TPlayer entry;
    AssignBstr(entry.Player, u"old player");
    AssignBstr(entry.Time, u"old time");
    VARIANT_BOOL found = -1;
    ASSERT_EQ(game_->GetLocalBest(&entry, &found), S_OK);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(BstrToString(entry.Player), u"");
    EXPECT_EQ(entry.Time, nullptr);
    FreeRecord(entry);
}

}  // namespace
}  // namespace palvrek::testing
