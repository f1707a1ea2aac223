// The library against servers that are slow, silent, oversized, redirecting or hostile, and
// against callers that re-enter it from the message pump while a download runs.
#include <sys/stat.h>

#include <atomic>
#include <functional>

#include "internet/FilesU.h"
#include "internet/HTTPClientU.h"
#include "internet/UpdateU.h"
#include "platform/registry/Registry.h"
#include "tests/internet/Fixture.h"
#include "tests/internet/LoopbackServer.h"
#include "tests/internet/RawServer.h"

namespace palvrek {
namespace {

using namespace platform::com;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string Bytes(size_t n, char seed) {
    std::string s(n, seed);
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i % 23);
    return s;
}

class HostileServerTest : public testing::GameFixture {
protected:
    // The update service's silence limit: twenty times the pauses of the steady replies below,
    // so that a loaded machine's late wake-ups never pass for a silence.
    static constexpr int kTimeOut = 1000;

    void SetUp() override {
        GameFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(Initialize());
        Serve(server_.Port(), kTimeOut);
    }
    void TearDown() override {
        pump_ = nullptr;
        GameFixture::TearDown();
    }

    // An update line of a file the server keeps under /files/.
    std::string Line(const std::string& file, const std::string& size) const {
        return file + "||Pack " + file + "||" + file + "||1.0||free||0.00||" + server_.Authority() + "/files/||" + size +
               "||\r\n";
    }
    void List(const std::string& lines, int status = 200) { server_.Reply("/cgi-bin/get_updt.pl", lines, status); }
    int Download(const std::u16string& descriptions) {
        WideString text(descriptions);
        int32_t n = 0;
        EXPECT_EQ(game_->DownloadUpdates(text.get(), &n), S_OK);
        return n;
    }
    std::u16string Descriptions() {
        TUpdateFilter filter;
        filter.Free = filter.Shareware = filter.Paid = -1;
        WideString text;
        int32_t n = 0;
        EXPECT_EQ(game_->GetUpdateDescriptions(text.out(), filter, &n), S_OK);
        return text.str();
    }
    struct State {
        int fileIndex, fileBytes, downloaded;
        std::u16string done, failed;
    };
    State DownloadState() {
        TCurrentDownloadStatus st;
        game_->GetDownloadState(st);
        State state{st.FileIndex, st.FileBytes, st.Downloaded, BstrToString(st.DoneFiles), BstrToString(st.FailedFiles)};
        FreeRecord(st);
        return state;
    }
    // What the download folder holds, by name.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Downloads())) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Runs f from the library's message pump while a request waits.
    void OnPump(std::function<void()> f) {
        pump_ = std::move(f);
        SetPumpFunction()([](void* self) {
            auto* test = static_cast<HostileServerTest*>(self);
            if (test->pump_) test->pump_();
        }, this);
    }

    testing::LoopbackServer server_;
    std::function<void()> pump_;
};

TEST_F(HostileServerTest, ASteadyDownloadSlowerThanTheTimeOutArrivesAndASilenceFails) {
    const std::string slow = Bytes(24000, 'a');
    List(Line("slow.bin", "24000") + Line("quiet.bin", "3000"));
    server_.Trickle("/files/slow.bin", slow, 600, 50ms);              // 2 s in all, never silent for long
    server_.Trickle("/files/quiet.bin", Bytes(3000, 'q'), 1000, 5000ms);  // silent after its first piece
    ASSERT_EQ(Query(), 2);
    EXPECT_EQ(Download(u"Pack slow.bin"), 1);
    EXPECT_EQ(ReadWholeFile(Downloads() + "/slow.bin"), slow);
    EXPECT_EQ(Download(u"Pack quiet.bin"), 0);
    EXPECT_EQ(DownloadState().failed, u"quiet.bin\r\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"slow.bin"});
}

TEST_F(HostileServerTest, TheScriptsKeepTheirOwnTimeOutAndTheListItsTotalLimit) {
    server_.On("/cgi-bin/check_internet.pl", [this](const httplib::Request&, httplib::Response& res) {
        server_.Wait(1500ms);  // longer than the update service's time-out, within the scripts' own
        res.set_content("result code 0 1 online\n", "text/plain");
    });
    EXPECT_TRUE(Online());

    List(Line("a.bin", "10"));
    ASSERT_EQ(Query(), 1);
    // Bytes keep coming, but the whole list takes longer than the time-out: refused, list kept.
    server_.Trickle("/cgi-bin/get_updt.pl", Line("b.bin", "10") + Line("c.bin", "10"), 8, 150ms);
    EXPECT_EQ(Query(), -1);
    // A status that is no success keeps the list too.
    List("b.bin||Pack b.bin||b||1.0||free||0.00||x/||1||\r\n", 503);
    EXPECT_EQ(Query(), -1);
    EXPECT_EQ(Descriptions(), u"Pack a.bin");
}

TEST_F(HostileServerTest, RepliesPastTheirLimitFailAndLeaveNothing) {
    List(Line("a.bin", "10"));
    ASSERT_EQ(Query(), 1);
    // A list of valid lines, but megabytes of them.
    std::string huge;
    while (huge.size() < kUpdateListLimit + 1000) huge += Line("x" + std::to_string(huge.size()), "1");
    List(huge);
    EXPECT_EQ(Query(), -1);
    EXPECT_TRUE(Descriptions() == u"Pack a.bin");  // (not printed: it would be megabytes)

    // A declared length of 4 GB is refused before the body comes.
    auto sent = std::make_shared<std::atomic<size_t>>(0);
    server_.On("/cgi-bin/get_updt.pl", [sent](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(4'000'000'000, "text/plain", [sent](size_t, size_t, httplib::DataSink& sink) {
            static const std::string chunk = Bytes(64 * 1024, 'z');
            if (*sent >= 64u << 20 || !sink.write(chunk.data(), chunk.size())) return false;
            *sent += chunk.size();
            return true;
        });
    });
    EXPECT_EQ(Query(), -1);
    EXPECT_LT(sent->load(), 16u << 20);

    // The scripts' replies are a few bytes; a long one is not believed.
    server_.Reply("/cgi-bin/check_internet.pl", "result code 0 1 ok\n" + std::string(100'000, ' '));
    server_.Reply("/cgi-bin/get_last.pl", "1234" + std::string(100'000, ' '));
    server_.Reply("/cgi-bin/set_new.pl", "result code 0 7 ok\n" + std::string(100'000, ' '));
    EXPECT_FALSE(Online());
    EXPECT_EQ(LastScore(), -1);
    TPlayer player;
    int32_t answer = 0;
    EXPECT_EQ(game_->SendScore(player, &answer), S_OK);
    EXPECT_EQ(answer, -1);

    // A file larger than its line says stops there and leaves no file.
    List(Line("big.bin", "1000") + Line("fit.bin", "1000"));
    server_.Reply("/files/big.bin", Bytes(1000 + kDownloadSlack + 1, 'b'));
    server_.Reply("/files/fit.bin", Bytes(1000 + kDownloadSlack, 'f'));  // within the slack
    ASSERT_EQ(Query(), 2);
    EXPECT_EQ(Download(u"Pack big.bin\r\nPack fit.bin"), 1);
    EXPECT_EQ(DownloadState().failed, u"big.bin\r\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"fit.bin"});
}

TEST_F(HostileServerTest, AReplyShorterThanItsLineIsBrokenAndLeavesNothing) {
    // Without a length a reply ends where the server closes: 10 of the 100,000 bytes listed.
    testing::RawServer cutting(testing::RawServer::Mode::Answer,
                               [](const std::string&) { return testing::RawReply("0123456789", false); });
    List("cut.bin||Pack cut.bin||cut.bin||1.0||free||0.00||" + cutting.Authority() + "/files/||100000||\r\n" +
         Line("told.bin", "100000") + Line("whole.bin", "10"));
    server_.Reply("/files/told.bin", "0123456789");  // its own length says 10
    server_.Reply("/files/whole.bin", "0123456789");
    ASSERT_EQ(Query(), 3);
    EXPECT_EQ(Download(u"Pack cut.bin\r\nPack told.bin\r\nPack whole.bin"), 1);
    EXPECT_EQ(cutting.Requests("/files/cut.bin"), 1);
    EXPECT_EQ(DownloadState().failed, u"cut.bin\r\ntold.bin\r\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"whole.bin"});
}

TEST_F(HostileServerTest, AFileWithoutASizeStopsAtTheHardLimit) {
    TUpdateSession session;  // the library's own unit, with a small limit
    session.Host = server_.Authority();
    session.Port = 0;
    session.DownloadDir = Downloads();
    session.MaxFileSize = 5000;
    List(Line("endless.bin", "unknown") + Line("short.bin", "?"));
    server_.Reply("/files/endless.bin", Bytes(5001, 'e'));
    server_.Reply("/files/short.bin", Bytes(5000, 's'));
    ASSERT_EQ(session.Query(), 2);
    EXPECT_FALSE(session.DownloadList({"Pack endless.bin", "Pack short.bin"}));
    EXPECT_EQ(session.FailedFiles(), std::vector<std::string>{"endless.bin"});
    EXPECT_EQ(Files(), std::vector<std::string>{"short.bin"});
}

TEST_F(HostileServerTest, RedirectsAreNotFollowedAndOnlyHttpIsSpoken) {
    testing::LoopbackServer elsewhere;
    elsewhere.Reply("/cgi-bin/check_internet.pl", "result code 0 1 online\n");
    elsewhere.Reply("/list", Line("a.bin", "1"));
    elsewhere.Reply("/files/a.bin", "x");
    const std::string other = "http://" + elsewhere.Authority();
    server_.On("/cgi-bin/check_internet.pl", [&](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(other + "/cgi-bin/check_internet.pl");
    });
    server_.On("/cgi-bin/get_last.pl",
               [](const httplib::Request&, httplib::Response& res) { res.set_redirect("file:///etc/hostname"); });
    EXPECT_FALSE(Online());
    EXPECT_EQ(LastScore(), -1);

    List(Line("a.bin", "1") + Line("b.bin", "1"));
    ASSERT_EQ(Query(), 2);
    server_.On("/files/a.bin", [&](const httplib::Request&, httplib::Response& res) { res.set_redirect(other + "/files/a.bin"); });
    server_.On("/files/b.bin",
               [](const httplib::Request&, httplib::Response& res) { res.set_redirect("file:///etc/passwd", 301); });
    server_.On("/cgi-bin/get_updt.pl", [&](const httplib::Request&, httplib::Response& res) { res.set_redirect(other + "/list"); });
    EXPECT_EQ(Download(u"Pack a.bin\r\nPack b.bin"), 0);
    EXPECT_EQ(Query(), -1);
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(elsewhere.Requests("/cgi-bin/check_internet.pl") + elsewhere.Requests("/list") +
                  elsewhere.Requests("/files/a.bin"),
              0);

    THTTPClient client;
    client.Port = 0;
    for (const std::string& url : {std::string("file:///etc/hostname"), "ftp://" + elsewhere.Authority() + "/",
                                  "dict://" + elsewhere.Authority() + "/", "gopher://" + elsewhere.Authority() + "/"})
        EXPECT_THROW(client.Get(url), EHTTPClientError) << url;
    client.Get(other + "/files/a.bin");
    EXPECT_EQ(client.Body(), "x");
}

TEST_F(HostileServerTest, ALinkPlantedInTheDownloadFolderIsNeverFollowed) {
    const fs::path outside = env_.Dir() / "outside";
    fs::create_directories(outside);
    std::ofstream(outside / "victim") << "precious";
    std::ofstream(outside / "other") << "precious too";
    fs::create_directories(Downloads());
    fs::create_symlink(outside / "victim", Downloads() + "/a.bin.part");
    fs::create_symlink(outside / "other", Downloads() + "/b.bin");
    List(Line("a.bin", "4000") + Line("b.bin", "4000"));
    server_.Reply("/files/a.bin", Bytes(4000, 'a'));
    server_.Reply("/files/b.bin", Bytes(4000, 'b'));
    ASSERT_EQ(Query(), 2);
    EXPECT_EQ(Download(u"Pack a.bin\r\nPack b.bin"), 2);
    EXPECT_EQ(ReadWholeFile((outside / "victim").string()), "precious");
    EXPECT_EQ(ReadWholeFile((outside / "other").string()), "precious too");
    EXPECT_EQ(ReadWholeFile(Downloads() + "/a.bin"), Bytes(4000, 'a'));
    EXPECT_FALSE(fs::is_symlink(Downloads() + "/b.bin"));
    EXPECT_EQ(ReadWholeFile(Downloads() + "/b.bin"), Bytes(4000, 'b'));
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.bin", "a.bin.part", "b.bin"}));  // the planted link stays
}

TEST_F(HostileServerTest, CancelWithoutStopAllEndsTheCurrentFileAndTheRunGoesOn) {
    List(Line("a.bin", "100") + Line("b.bin", "3000") + Line("c.bin", "100"));
    server_.Reply("/files/a.bin", Bytes(100, 'a'));
    server_.Trickle("/files/b.bin", Bytes(3000, 'b'), 100, 50ms);
    server_.Reply("/files/c.bin", Bytes(100, 'c'));
    ASSERT_EQ(Query(), 3);
    int cancels = 0;
    OnPump([&] {
        State st = DownloadState();
        if (st.fileIndex == 2 && st.fileBytes > 0 && cancels++ == 0) game_->CancelDownload(0);
    });
    EXPECT_EQ(Download(u"Pack a.bin\r\nPack b.bin\r\nPack c.bin"), 2);
    EXPECT_GE(cancels, 1);
    State st = DownloadState();
    EXPECT_EQ(st.done, u"a.bin\r\nc.bin\r\n");
    EXPECT_EQ(st.failed, u"b.bin\r\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.bin", "c.bin"}));
}

TEST_F(HostileServerTest, NotReadyTheUpdateOperationsAnswerWithoutARequest) {
    {
        platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", true));
        reg.WriteInteger("ProxyEnable", 1);  // enabled, but no server named
    }
    List(Line("a.bin", "1"));
    server_.Reply("/files/a.bin", "a");
    ASSERT_FALSE(Initialize());
    Serve(server_.Port(), kTimeOut);
    EXPECT_EQ(Query(), -1);
    int32_t n = 7;
    EXPECT_EQ(game_->DownloadAllUpdates(-1, &n), S_OK);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(Download(u"Pack a.bin"), -1);
    EXPECT_EQ(server_.Requests("/cgi-bin/get_updt.pl") + server_.Requests("/files/a.bin"), 0);
}

// ---- re-entered from the pump ------------------------------------------------------------------

class PumpDuringDownloadTest : public HostileServerTest {
protected:
    void SetUp() override {
        HostileServerTest::SetUp();
        if (HasFatalFailure()) return;
        List(Line("a.bin", "3000") + Line("b.bin", "100"));
        server_.Trickle("/files/a.bin", Bytes(3000, 'a'), 100, 30ms);
        server_.Reply("/files/b.bin", Bytes(100, 'b'));
        ASSERT_EQ(Query(), 2);
    }
    // Runs f once from the pump, while the first file is under way.
    void OnceDuringTheFirstFile(std::function<void()> f) {
        OnPump([this, f = std::move(f), done = false]() mutable {
            if (done || !game_) return;
            State st = DownloadState();
            if (st.fileIndex == 1 && st.fileBytes > 0) {
                done = true;
                f();
            }
        });
    }
};

TEST_F(PumpDuringDownloadTest, FinalizeCancelsTheRunAndFreesTheSessionAfterIt) {
    OnceDuringTheFirstFile([this] { game_->Finalize(); });
    EXPECT_EQ(Download(u"Pack a.bin\r\nPack b.bin"), 0);
    EXPECT_EQ(server_.Requests("/files/b.bin"), 0);
    EXPECT_EQ(DownloadState().fileIndex, 0);  // no session any more
    EXPECT_EQ(Query(), -1);
    EXPECT_TRUE(Files().empty());
}

TEST_F(PumpDuringDownloadTest, InitializeCancelsTheRunAndStartsAfresh) {
    OnceDuringTheFirstFile([this] {
        VARIANT_BOOL ready = 0;
        EXPECT_EQ(game_->Initialize(&ready), S_OK);
        Serve(server_.Port(), kTimeOut);
    });
    EXPECT_EQ(Download(u"Pack a.bin\r\nPack b.bin"), 0);
    EXPECT_EQ(server_.Requests("/files/b.bin"), 0);
    // The new session works.
    OnPump(nullptr);
    EXPECT_EQ(Query(), 2);
    EXPECT_EQ(Download(u"Pack b.bin"), 1);
}

TEST_F(PumpDuringDownloadTest, AQueryOrASecondRunIsRefusedAndTheRunGoesOn) {
    int query = 0, again = 0, all = 7;
    OnceDuringTheFirstFile([&] {
        query = Query();
        again = Download(u"Pack b.bin");
        int32_t n = 0;
        game_->DownloadAllUpdates(0, &n);
        all = n;
    });
    EXPECT_EQ(Download(u"Pack a.bin\r\nPack b.bin"), 2);
    EXPECT_EQ(query, -1);
    EXPECT_EQ(again, -1);
    EXPECT_EQ(all, 0);
    EXPECT_EQ(server_.Requests("/cgi-bin/get_updt.pl"), 1);
    EXPECT_EQ(DownloadState().done, u"a.bin\r\nb.bin\r\n");
}

TEST_F(PumpDuringDownloadTest, TheGameShuttingDownFromThePumpIsSafe) {
    // What the main form's destruction does: Finalize, release, uninitialise the runtime.
    OnceDuringTheFirstFile([this] {
        game_->Finalize();
        game_.reset();
        CoUninitialize();
    });
    IInternetGame* game = game_.get();
    game->AddRef();  // the caller's own reference for the length of the call, as the game's has
    WideString text(u"Pack a.bin\r\nPack b.bin");
    int32_t n = -1;
    EXPECT_EQ(game->DownloadUpdates(text.get(), &n), S_OK);
    EXPECT_EQ(n, 0);
    game->Release();
    CoFreeUnusedLibraries();
    EXPECT_EQ(SetPumpFunction(), nullptr);  // the library is gone once nothing runs in it
}

// ---- the client on its own -------------------------------------------------------------------

TEST(HTTPClientTest, OneRequestAtATimeAndTheLimitsByThemselves) {
    testing::LoopbackServer server;
    // Pauses of a twentieth of the silence limit: a loaded machine's late wake-ups stay far
    // below it, while the whole reply still takes longer than it.
    server.Trickle("/slow", Bytes(2000, 's'), 80, 50ms);
    server.Reply("/small", "small");
    server.Reply("/whole", Bytes(2000, 'w'));
    THTTPClient client;
    client.Port = 0;
    client.TimeOut = 1000;
    const std::string base = "http://" + server.Authority();
    client.Get(base + "/slow");  // 1.25 s: longer than the time-out, never silent for long
    EXPECT_EQ(client.Body().size(), 2000u);
    client.TotalTimeOut = 300;
    EXPECT_THROW(client.Get(base + "/slow"), EHTTPClientError);
    client.TotalTimeOut = 0;
    client.MaxReplySize = 1999;
    EXPECT_THROW(client.Get(base + "/whole"), EHTTPClientError);
    client.MaxReplySize = 0;
    // A second request from inside the first one's data is refused; the first goes on.
    bool refused = false;
    client.Get(base + "/small", [&](const char*, size_t) {
        try {
            client.Get(base + "/small");
        } catch (const EHTTPClientError&) {
            refused = true;
        }
        return true;
    });
    EXPECT_TRUE(refused);
    EXPECT_EQ(client.StatusCode(), 200);
}

}  // namespace
}  // namespace palvrek
