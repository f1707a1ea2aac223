// The update service: list parsing and filtering, downloads with progress, cancel and refusal.
#include <atomic>

#include "internet/FilesU.h"
#include "internet/R_InternetI.h"
#include "internet/UpdateU.h"
#include "platform/com/ComObj.h"
#include "rtl/Text.h"
#include "tests/internet/Fixture.h"
#include "tests/internet/LoopbackServer.h"

namespace palvrek {
namespace {

using namespace platform::com;
namespace fs = std::filesystem;

TEST(UpdateLineTest, EightFieldsEachEndedByTheMarker) {
    TUpdateFile f;
    EXPECT_TRUE(ParseUpdateLine("a||b||c||d||free||0.00||host/dir/||100||", f));
    EXPECT_EQ(f.FileName, "a");
    EXPECT_EQ(f.Path, "host/dir/");
    EXPECT_EQ(f.Size, "100");
    EXPECT_FALSE(ParseUpdateLine("a||b||c||d||free||0.00||host/dir/||100", f));
    EXPECT_EQ(f.Path, "host/dir/");  // the fields read so far stay
    EXPECT_EQ(FormatUpdateLine(f), "a||b||c||d||free||0.00||host/dir/||||");
    TExsistsComponent item;
    EXPECT_TRUE(ParseInstalledLine("  Big   Pack || 1.0 ||", item));
    EXPECT_EQ(FormatInstalledLine(item), "Big Pack||1.0||");
    for (const char* bad : {"", ".", "..", "../x", "a/b", "a\\b", "x..y"}) EXPECT_FALSE(IsSafeFileName(bad)) << bad;
    EXPECT_TRUE(IsSafeFileName("Level-Pack_2.exe"));
}

// The maker's update script and its files.
class UpdateServer {
public:
    UpdateServer() {
        server_.On("/cgi-bin/get_updt.pl", [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                query_ = req.params;
            }
            res.set_content(List(), "text/plain");
        });
        server_.Reply("/files/a.bin", std::string(3000, 'a'));
        server_.On("/files/b.bin", [this](const httplib::Request&, httplib::Response& res) {
            if (stallB) server_.Wait(std::chrono::seconds(3));  // until the test ends, at most 3 s
            res.set_content(std::string(2000, 'b'), "application/octet-stream");
        });
        server_.Reply("/files/c.bin", std::string(1000, 'c'));
    }
    std::string List() const {
        const std::string path = server_.Authority() + "/files/";
        return "a.bin||Pack A||PackA||1.0||free||0.00||" + path + "||3000||\r\n"
               "b.bin||Pack B||PackB||2.0||shareware||9.95||" + path + "||2000||\r\n"
               "c.bin||Pack C||PackC||1.0||free||0.00||" + path + "||1000||\r\n"
               "gone.bin||Pack Gone||Gone||1.0||free||0.00||" + path + "||10||\r\n"
               "../x||Pack Evil||Evil||1.0||free||0.00||" + path + "||10||\r\n"
               "d.bin||Pack D||PackD||1.0||paid||20.00||" + path + "||4000||\r\n"
               "seven||fields||only||1||free||0.00||x||\r\n";
    }
    int Port() const { return server_.Port(); }
    bool Requested(const std::string& path) { return server_.Requests(path) > 0; }
    std::multimap<std::string, std::string> Query() {
        std::lock_guard lock(mutex_);
        return query_;
    }
    std::atomic<bool> stallB{false};

private:
    testing::LoopbackServer server_;
    std::mutex mutex_;
    std::multimap<std::string, std::string> query_;
};

class UpdateTest : public testing::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(Initialize());
        Serve(server_.Port());
        Settings(u"0409");
        setPump_ = SetPumpFunction();
        ASSERT_NE(setPump_, nullptr);
    }
    void Settings(const std::u16string& language) {
        EditSettings([&](TInternetSetup& s) {
            AssignBstr(s.LanguageId, language);
            AssignBstr(s.Project, u"Sprallion Gold");
            AssignBstr(s.Version, u"1.1");
        });
    }
    std::u16string Descriptions(bool hideInstalled, bool showPrice, int* count) {
        TUpdateFilter filter;
        filter.HideInstalled = hideInstalled ? -1 : 0;
        filter.ShowPrice = showPrice ? -1 : 0;
        filter.Free = filter.Shareware = filter.Paid = -1;
        WideString text;
        int32_t n = 0;
        EXPECT_EQ(game_->GetUpdateDescriptions(text.out(), filter, &n), S_OK);
        *count = n;
        return text.str();
    }
    TCurrentDownloadStatus State() {
        TCurrentDownloadStatus st;
        game_->GetDownloadState(st);
        return st;
    }

    UpdateServer server_;
    PalvrekSetMessagePumpFunction setPump_ = nullptr;
};

TEST_F(UpdateTest, QueryFiltersByLicenceAndInstalledAndShowsPrices) {
    int count = 0;
    EXPECT_EQ(Descriptions(false, false, &count), u"");
    EXPECT_EQ(count, -1);  // no list yet
    int32_t n = 0;
    ASSERT_EQ(game_->QueryUpdates(&n), S_OK);
    EXPECT_EQ(n, 6);  // the seven-field line is dropped
    auto q = server_.Query();
    EXPECT_EQ(q.find("lng")->second, "eng");
    EXPECT_EQ(q.find("pr")->second, "sprallion_gold");
    EXPECT_EQ(q.find("vr")->second, "1.1");

    EXPECT_EQ(Descriptions(false, true, &count),
              u"Pack A (Free)\r\nPack B (9.95 $)\r\nPack C (Free)\r\nPack Gone (Free)\r\nPack Evil (Free)\r\nPack D (20.00 $)");
    EXPECT_EQ(count, 6);
    WideString name(u"PackA"), sameVersion(u"1.0"), otherName(u"PackC"), otherVersion(u"9.9");
    game_->AddInstalled(name.get(), sameVersion.get());
    game_->AddInstalled(otherName.get(), otherVersion.get());
    EXPECT_EQ(Descriptions(true, false, &count), u"Pack B\r\nPack C\r\nPack Gone\r\nPack Evil\r\nPack D");
    WideString names, versions;
    game_->GetInstalled(*names.out(), *versions.out());
    EXPECT_EQ(names.str(), u"PackA\r\nPackC\r\n");
    EXPECT_EQ(versions.str(), u"1.0\r\n9.9\r\n");

    // A stored installed list replaces the one in memory.
    std::ofstream(env_.Dir() / "installed.txt") << "PackB ||  2.0||\r\n";
    WideString file(rtl::AnsiToUtf16((env_.Dir() / "installed.txt").string()));
    game_->LoadInstalledList(file.get());
    EXPECT_EQ(Descriptions(true, false, &count), u"Pack A\r\nPack C\r\nPack Gone\r\nPack Evil\r\nPack D");

    Settings(u"0419");
    ASSERT_EQ(game_->QueryUpdates(&n), S_OK);
    EXPECT_EQ(server_.Query().find("lng")->second, "rus");
    std::u16string russian = Descriptions(false, true, &count);
    EXPECT_EQ(russian.substr(0, 18), u"Pack A (\u0411\u0435\u0441\u043F\u043B\u0430\u0442\u043D\u043E)");
}

TEST_F(UpdateTest, ThreeFilesDownloadWithProgressAndRefusalsFailCleanly) {
    int32_t n = 0;
    ASSERT_EQ(game_->QueryUpdates(&n), S_OK);
    struct Seen {
        IInternetGame* game;
        int maxBytes = 0;
    } seen{game_.get()};
    setPump_([](void* ctx) {
        auto* s = static_cast<Seen*>(ctx);
        TCurrentDownloadStatus st;
        s->game->GetDownloadState(st);
        s->maxBytes = std::max(s->maxBytes, st.TotalBytes);
        FreeRecord(st);
    }, &seen);
    WideString three(u"Pack A\r\nPack B\r\nPack C (Free)\r\nPack C");  // a price text matches nothing
    int32_t done = 0;
    ASSERT_EQ(game_->DownloadUpdates(three.get(), &done), S_OK);
    EXPECT_EQ(done, 3);
    TCurrentDownloadStatus st = State();
    EXPECT_EQ(st.FileCount, 3);
    EXPECT_EQ(st.Downloaded, 3);
    EXPECT_EQ(st.TotalSize, 6000);
    EXPECT_EQ(st.TotalBytes, 6000);
    EXPECT_EQ(BstrToString(st.DoneFiles), u"a.bin\r\nb.bin\r\nc.bin\r\n");
    EXPECT_EQ(BstrToString(st.FailedFiles), u"");
    FreeRecord(st);
    EXPECT_GT(seen.maxBytes, 0);
    EXPECT_EQ(ReadWholeFile(Downloads() + "/b.bin").value_or(""), std::string(2000, 'b'));

    WideString bad(u"Pack Gone\r\nPack Evil");
    ASSERT_EQ(game_->DownloadUpdates(bad.get(), &done), S_OK);
    EXPECT_EQ(done, 0);
    st = State();
    EXPECT_EQ(BstrToString(st.FailedFiles), u"gone.bin\r\n../x\r\n");
    FreeRecord(st);
    EXPECT_FALSE(fs::exists(Downloads() + "/gone.bin"));
    EXPECT_FALSE(fs::exists(Downloads() + "/gone.bin.part"));
    EXPECT_FALSE(fs::exists(env_.Dir() / "x"));
    EXPECT_FALSE(server_.Requested("/files/../x"));
    EXPECT_FALSE(server_.Requested("/x"));

    // Everything free and shareware that is not installed.
    WideString name(u"PackA"), version(u"1.0");
    game_->AddInstalled(name.get(), version.get());
    ASSERT_EQ(game_->DownloadAllUpdates(-1, &done), S_OK);
    EXPECT_EQ(done, 2);  // b and c; gone and ../x fail, d is paid
}

TEST_F(UpdateTest, CancelDuringTheSecondFileEndsTheRun) {
    int32_t n = 0;
    ASSERT_EQ(game_->QueryUpdates(&n), S_OK);
    server_.stallB = true;
    setPump_([](void* ctx) {
        auto* game = static_cast<IInternetGame*>(ctx);
        TCurrentDownloadStatus st;
        game->GetDownloadState(st);
        if (st.FileIndex == 2) game->CancelDownload(-1);
        FreeRecord(st);
    }, game_.get());
    WideString three(u"Pack A\r\nPack B\r\nPack C");
    int32_t done = 0;
    ASSERT_EQ(game_->DownloadUpdates(three.get(), &done), S_OK);
    EXPECT_EQ(done, 1);
    TCurrentDownloadStatus st = State();
    EXPECT_EQ(BstrToString(st.DoneFiles), u"a.bin\r\n");
    EXPECT_EQ(BstrToString(st.FailedFiles), u"b.bin\r\n");
    FreeRecord(st);
    EXPECT_FALSE(server_.Requested("/files/c.bin"));
    EXPECT_FALSE(fs::exists(Downloads() + "/b.bin"));
    EXPECT_FALSE(fs::exists(Downloads() + "/c.bin"));
}

}  // namespace
}  // namespace palvrek
