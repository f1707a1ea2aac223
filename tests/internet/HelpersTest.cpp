// The library's string, path and reply helpers, and its proxy settings reader.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "internet/FilesU.h"
#include "internet/HTTPResultU.h"
#include "internet/InternetOptionsU.h"
#include "internet/PalvrekU.h"
#include "internet/StringsU.h"
#include "internet/TopListU.h"
#include "platform/registry/Registry.h"
#include "tests/internet/Fixture.h"

namespace palvrek {
namespace {

TEST(StringsTest, SpacesReplacementsAndSplitting) {
    EXPECT_EQ(NormalizeSpaces("  a   b  "), "a b");
    EXPECT_EQ(NormalizeSpaces("\t\r\n x \x01"), "x");
    EXPECT_EQ(RemoveSpaces(" a b  c "), "abc");
    EXPECT_EQ(ReplaceAll("a-b-c", "-", "+"), "a+b+c");
    // The inserted text is not searched again: a new text holding the old one cannot loop.
    EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceChar("a|b|c", '|', '/'), "a/b/c");
    std::vector<std::string> list;
    EXPECT_EQ(SplitString("a||b||", list, '|'), 4);
    EXPECT_EQ(list[1], "");
    EXPECT_EQ(list[3], "");
    EXPECT_EQ(SplitString("x;y", list, ';'), 2);
    EXPECT_EQ(SplitString("x;", list, ';'), 1);
    EXPECT_EQ(SplitString("", list, ';'), 0);
    EXPECT_EQ(SplitLines("a\r\nb\rc\n\nd"), (std::vector<std::string>{"a", "b", "c", "", "d"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(EncodeQueryValue("a b&c=d?e/f%g#h+\xE9~-._"), "a%20b%26c%3Dd%3Fe%2Ff%25g%23h%2B%E9~-._");
    int32_t n = 0;
    EXPECT_TRUE(TryStrToInt("-2147483648", n));
    EXPECT_EQ(n, INT32_MIN);
    EXPECT_FALSE(TryStrToInt("2147483648", n));
    EXPECT_FALSE(TryStrToInt("12x", n));
    EXPECT_FALSE(TryStrToInt("-", n));
}

TEST(FilesTest, PathsOfThisPlatformAreCreatedFromTheRoot) {
    testing::TempEnvironment env;
    EXPECT_EQ(IncludeBackslash("/games"), "/games/");
    EXPECT_EQ(IncludeBackslash("/"), "/");
    EXPECT_EQ(IncludeBackslash(""), "");
    std::string deep = (env.Dir() / "a" / "b" / "c").string() + "/";
    EXPECT_TRUE(CreateDirectoryPath(deep));
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_TRUE(CreateDirectoryPath(deep));  // existing
    EXPECT_THROW(CreateDirectoryPath("relative"), rtl::EInOutError);
    EXPECT_THROW(CreateDirectoryPath(""), rtl::EInOutError);
    // A file in the way: false, not an exception.
    std::ofstream((env.Dir() / "file").string()) << "x";
    EXPECT_FALSE(CreateDirectoryPath((env.Dir() / "file" / "sub").string()));
    EXPECT_EQ(GetTempDir().back(), '/');
}

TEST(HTTPResultTest, TheResultLineAndItsFailures) {
    EXPECT_TRUE(ParseHTTPResult("result code 0 7 done"));
    EXPECT_EQ(HTTPResult().Code, 0);
    EXPECT_EQ(HTTPResult().Value, 7);
    EXPECT_FALSE(ParseHTTPResult("result code 0 7"));
    EXPECT_TRUE(ParseHTTPResult("result code 0 x y"));
    EXPECT_EQ(HTTPResult().Value, -1);
    EXPECT_TRUE(ParseHTTPResult("result code 3 7abc y"));
    EXPECT_EQ(HTTPResult().Code, 3);
    EXPECT_EQ(HTTPResult().Value, -1);
    EXPECT_FALSE(ParseHTTPResult(""));
    EXPECT_EQ(HTTPResult().Message, "No HTTP result found!");
    EXPECT_FALSE(ParseHTTPResult("no marker\nresult code 0 1 x"));
    EXPECT_EQ(HTTPResult().Message, "Unkown Error");
    EXPECT_FALSE(ParseHTTPResult("result code x 1 y"));
    // The marker away from the start: the tokens follow the marker, wherever it stands.
    EXPECT_TRUE(ParseHTTPResult("<p>result code 12 34 stored</p>\r\nmore"));
    EXPECT_EQ(HTTPResult().Code, 12);
    EXPECT_EQ(HTTPResult().Value, 34);
    int32_t v = 0;
    EXPECT_TRUE(ParseNumberReply("1234\r\n", v));
    EXPECT_EQ(v, 1234);
    EXPECT_FALSE(ParseNumberReply("", v));
    EXPECT_FALSE(ParseNumberReply("12 34", v));
}

TEST(TopListTest, TheScoreQueryEncodesEveryValue) {
    EXPECT_EQ(TTopList::ScoreQuery("me@x.org", "Hard", "900", "Rank 1", "a b", "Set&1"),
              "eml=me%40x.org&sc=900&lv=Hard&rk=Rank%201&ml=a%20b&tm=Set%261&hall=rus");
}

TEST(SettingsTest, LanguageCodesAreComparedExactly) {
    EXPECT_EQ(LanguageCodeOf("0419"), "rus");
    EXPECT_EQ(LanguageCodeOf("0407"), "grm");
    EXPECT_EQ(LanguageCodeOf("040C"), "fr");
    EXPECT_EQ(LanguageCodeOf("040c"), "eng");
    EXPECT_EQ(LanguageCodeOf(""), "eng");
}

class ProxyTest : public ::testing::Test {
protected:
    void Settings(std::optional<int> enable, std::optional<std::string> server, bool binary = false) {
        platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(kInternetSettingsKey, true));
        if (enable) {
            if (binary) reg.WriteBinaryData("ProxyEnable", std::string(1, static_cast<char>(*enable)));
            else reg.WriteInteger("ProxyEnable", *enable);
        }
        if (server) reg.WriteString("ProxyServer", *server);
    }
    testing::TempEnvironment env_;
    TInternetOption option_;
    std::string host_;
    int port_ = 0;
};

TEST_F(ProxyTest, NoSettingsOrDisabledMeansADirectConnection) {
    EXPECT_TRUE(option_.ReadProxy());
    EXPECT_FALSE(option_.Enabled());
    Settings(0, "proxy:8080");
    EXPECT_TRUE(option_.ReadProxy());
    EXPECT_FALSE(option_.GetProxy("http", host_, port_));
}

TEST_F(ProxyTest, OneEntryServesEveryProtocol) {
    Settings(1, "proxy:8080", true);  // a one-byte binary flag counts too
    ASSERT_TRUE(option_.ReadProxy());
    EXPECT_TRUE(option_.GetProxy("http", host_, port_));
    EXPECT_EQ(host_, "proxy");
    EXPECT_EQ(port_, 8080);
    EXPECT_EQ(option_.Entries()[0].protocol, "all");
}

TEST_F(ProxyTest, EntriesByProtocolAndTheFailures) {
    Settings(1, "ftp=a:21;HTTP=b:3128");
    ASSERT_TRUE(option_.ReadProxy());
    EXPECT_TRUE(option_.GetProxy("http", host_, port_));
    EXPECT_EQ(host_, "b");
    EXPECT_EQ(port_, 3128);
    EXPECT_FALSE(option_.GetProxy("gopher", host_, port_));
    EXPECT_EQ(host_, "127.0.0.1");
    EXPECT_EQ(port_, 80);

    Settings(1, "ftp=a:21;http=b:31x8");
    ASSERT_TRUE(option_.ReadProxy());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(option_.GetProxy("http", host_, port_));  // not a number: no proxy, logged
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("31x8"), std::string::npos);
}

TEST_F(ProxyTest, EnabledWithoutAServerIsAFailure) {
    Settings(1, std::nullopt);
    EXPECT_FALSE(option_.ReadProxy());
    EXPECT_FALSE(option_.Enabled());
}

}  // namespace
}  // namespace palvrek
