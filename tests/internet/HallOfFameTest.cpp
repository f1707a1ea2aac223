// The local hall of fame: insertion by score, trimming, the stored list and its page.
#include <gtest/gtest.h>

#include <cctype>

#include "internet/FilesU.h"
#include "internet/LocalTopListU.h"
#include "internet/PalvrekU.h"
#include "internet/StringsU.h"
#include "platform/com/ComObj.h"
#include "platform/registry/Registry.h"
#include "rtl/Text.h"
#include "tests/internet/Fixture.h"

namespace palvrek {
namespace {

using namespace platform::com;
namespace fs = std::filesystem;

// Tags open and close in order; TD, TH and TR may be left for the next one or the end tag of
// their table to close, as HTML allows; IMG, HR, BR and META have no end.
::testing::AssertionResult TagsBalance(const std::string& page) {
    std::vector<std::string> open;
    auto optionalEnd = [](const std::string& t) { return t == "TD" || t == "TH" || t == "TR"; };
    size_t pos = 0;
    while ((pos = page.find('<', pos)) != std::string::npos) {
        size_t end = page.find('>', pos);
        if (end == std::string::npos) return ::testing::AssertionFailure() << "unclosed '<' at " << pos;
        std::string tag = page.substr(pos + 1, end - pos - 1);
        pos = end + 1;
        bool closing = !tag.empty() && tag[0] == '/';
        if (closing) tag.erase(0, 1);
        std::string name;
        for (char c : tag) {
            if (!std::isalnum(static_cast<unsigned char>(c))) break;
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        if (name.empty()) return ::testing::AssertionFailure() << "odd tag <" << tag << ">";
        if (name == "IMG" || name == "HR" || name == "BR" || name == "META") continue;
        if (!closing) {
            if (name == "TD" || name == "TH") {
                if (!open.empty() && (open.back() == "TD" || open.back() == "TH")) open.pop_back();
            } else if (name == "TR") {
                while (!open.empty() && optionalEnd(open.back())) open.pop_back();
            }
            open.push_back(name);
            continue;
        }
        while (!open.empty() && open.back() != name && optionalEnd(open.back())) open.pop_back();
        if (open.empty() || open.back() != name) return ::testing::AssertionFailure() << "</" << name << "> out of place";
        open.pop_back();
    }
    if (!open.empty()) return ::testing::AssertionFailure() << "<" << open.back() << "> never closed";
    return ::testing::AssertionSuccess();
}

LocalTopListSettings PageSettings(const std::string& htmlDir) {
    LocalTopListSettings s;
    s[tsHTMLDir] = htmlDir;
    s[tsTemplateDir] = "tpl";
    s[tsMedalsDir] = "medals";
    s[tsRanksDir] = "ranks";
    s[tsLevelDir] = "levels";
    s[tsMaxCount] = "";
    s[tsFileName] = "top.htm";
    s[tsImgHeight] = "20";
    s[tsLevelWidth] = "30";
    s[tsRanksWidth] = "40";
    s[tsMedalWidth] = "16";
    s[tsRanksExp] = "gif";
    s[tsMedalExp] = ".png";
    s[tsLevelExp] = "jpg";
    return s;
}

TEST(HallOfFamePageTest, WithoutTemplatesThePageIsTheGoldenOneAndBalanced) {
    testing::TempEnvironment env;
    const std::vector<std::string> list = {"Ann|900|Captain|Hard|Gold , Big Star|12.05.2000|",
                                           "<script>alert(1)</script>|500|Private|Easy||13.05.2000|"};
    const std::string page = LocalTopListPage(list, PageSettings(env.Dir().string()), 1);
    const std::string golden =
        "<HTML>\r\n"
        "  <BODY TEXT=\"#FAEBD7\" BGCOLOR=\"#000033\" LEFTMARGIN=0 BOTTOMMARGIN=0>\r\n"
        "  <HEAD>\r\n"
        "    <TITLE>\r\n"
        "        Top List for Sprallion\r\n"
        "    </TITLE>\r\n"
        "  </HEAD>\r\n"
        "<TABLE align=center border=1 width=100%> \r\n"
        "<TBODY>                                  \r\n"
        "<TR>                                     \r\n"
        "  <TH> Place                             \r\n"
        "  <TH> Player                            \r\n"
        "  <TH> Difficulty                        \r\n"
        "  <TH> Score                             \r\n"
        "  <TH> Date                              \r\n"
        "  <TH  colSpan=2> Rank                   \r\n"
        "  <TH> Medals                            \r\n"
        "</TR>                                    \r\n"
        "\r\n"
        "<TR> <TD align=middle> 1 <TD align=middle> Ann <TD align=middle width=30> "
        "<IMG SRC=\"levels/Hard.jpg\" alt=\"Hard\" WIDTH=30 HEIGHT=20 BORDER=0> <TD align=middle> <B>900</B> "
        "<TD align=middle> 12.05.2000 <TD align=middle> Captain <TD align=middle width=40> "
        "<IMG SRC=\"ranks/Captain.gif\" WIDTH=40 HEIGHT=20 BORDER=0> <TD align=left>  "
        "<IMG SRC=\"medals/Gold.png\" alt=\"Gold \" WIDTH=16 HEIGHT=20 BORDER=0> "
        "<IMG SRC=\"medals/Big_Star.png\" alt=\" Big Star\" WIDTH=16 HEIGHT=20 BORDER=0> </TD> </TR>\r\n"
        "<TR> <TD align=middle> <FONT COLOR=\"#FFFF00\">2</FONT> <TD align=middle> "
        "<FONT COLOR=\"#FFFF00\">&lt;script&gt;alert(1)&lt;/script&gt;</FONT> <TD align=middle width=30> "
        "<IMG SRC=\"levels/Easy.jpg\" alt=\"Easy\" WIDTH=30 HEIGHT=20 BORDER=0> <TD align=middle> "
        "<B><FONT COLOR=\"#FFFF00\">500</FONT></B> <TD align=middle> <FONT COLOR=\"#FFFF00\">13.05.2000</FONT> "
        "<TD align=middle> <FONT COLOR=\"#FFFF00\">Private</FONT> <TD align=middle width=40> "
        "<IMG SRC=\"ranks/Private.gif\" WIDTH=40 HEIGHT=20 BORDER=0> <TD align=left> &nbsp; </TD> </TR>\r\n"
        "\r\n"
        "  </TBODY>\r\n"
        "</TABLE>\r\n"
        "    <HR>\r\n"
        "</BODY>\r\n"
        "</HTML>\r\n";
    EXPECT_EQ(page, golden);
    EXPECT_TRUE(TagsBalance(page));
    EXPECT_EQ(page.find("<script>"), std::string::npos);
}

TEST(HallOfFamePageTest, TemplatesReplaceTheHeaderAndFooterAndTheirPathMarker) {
    testing::TempEnvironment env;
    LocalTopListSettings s = PageSettings(env.Dir().string());
    fs::create_directories(env.Dir() / "tpl");
    std::ofstream(env.Dir() / "tpl" / "header.htm") << "<HTML><HEAD><LINK HREF=<<TEMPLATE_PATH>>x.css\"></HEAD>\n<BODY>\n";
    std::ofstream(env.Dir() / "tpl" / "footer.htm") << "</TBODY></TABLE>\r\n</BODY></HTML>";
    const std::string page = LocalTopListPage({"Ann|900|Captain|Hard||12.05.2000|"}, s, 0);
    EXPECT_EQ(page.rfind("<HTML><HEAD><LINK HREF=\"tpl/x.css\"></HEAD>\r\n<BODY>\r\n<TABLE", 0), 0u) << page;
    EXPECT_EQ(page.find("<<TEMPLATE_PATH>>"), std::string::npos);
    EXPECT_NE(page.find("</TBODY></TABLE>\r\n</BODY></HTML>\r\n"), std::string::npos);
    // A folder name holding the marker is inserted once, not searched again.
    s[tsTemplateDir] = "tpl";
    EXPECT_EQ(ReplaceAll("a<<TEMPLATE_PATH>>b", "<<TEMPLATE_PATH>>", "\"<<TEMPLATE_PATH>>/"), "a\"<<TEMPLATE_PATH>>/b");
}

TEST(HallOfFameEntryTest, EntriesAreMadeValidatedAndStoredSafely) {
    LocalEntry e = MakeEntry("A|nn\r\nB", "Hard", "1200", "Captain", " Gold ,  Silver ");
    EXPECT_EQ(e.Medals, "Gold , Silver");
    EXPECT_EQ(e.Date.size(), 10u);
    EXPECT_EQ(e.Date[2], '.');
    const std::string line = FormatEntry(e);
    EXPECT_EQ(line, "A/nn B|1200|Captain|Hard|Gold , Silver|" + e.Date + "|");
    EXPECT_EQ(ParseEntry(line).Player, "A/nn B");
    EXPECT_EQ(EntryScore(line), 1200);
    EXPECT_EQ(EntryScore("a|b|c"), 0);
    EXPECT_FALSE(IsValidEntry(MakeEntry("Ann", "Hard", "12a", "Captain", "")));
    EXPECT_FALSE(IsValidEntry(MakeEntry(" ", "Hard", "12", "Captain", "")));
    EXPECT_TRUE(IsValidEntry(MakeEntry("Ann", "Hard", "12", "Captain", "")));
    EXPECT_EQ(MaxCountOf(""), 100);
    EXPECT_EQ(MaxCountOf("0"), 100);
    EXPECT_EQ(MaxCountOf("-5"), 100);
    EXPECT_EQ(MaxCountOf("x"), 100);
    EXPECT_EQ(MaxCountOf(" 3 "), 3);
}

class HallOfFameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(testing::RunRegsvr("-s " + testing::BinDir() + "/libPalvrek.so"), 0);
        ASSERT_TRUE(SUCCEEDED(CoInitialize()));
        ASSERT_EQ(CoCreateInstance(CLSID_InternetGame, nullptr, 7, IID_IInternetGame, game_.out()), S_OK);
        VARIANT_BOOL ready = 0;
        ASSERT_EQ(game_->Initialize(&ready), S_OK);
        TInternetSetup s;
        game_->GetSettings(s);
        AssignBstr(s.RegistryKey, u"\\SOFTWARE\\Quorvex\\Sprallion\\");
        AssignBstr(s.DownloadDir, rtl::AnsiToUtf16(env_.Dir().string()));
        game_->SetSettings(s);
        FreeRecord(s);
        SetSettings("");
    }
    void TearDown() override {
        game_.reset();
        CoUninitialize();
    }
    void SetSettings(const std::string& maxCount) {
        LocalTopListSettings s = PageSettings((env_.Dir() / "html").string());
        s[tsMaxCount] = maxCount;
        TLocalTopListSetup rec;
        BSTR* fields[] = {&rec.HTMLDir, &rec.MedalsDir, &rec.RanksDir, &rec.TemplateDir, &rec.LevelDir,
                          &rec.MaxCount, &rec.FileName, &rec.ImgHeight, &rec.LevelWidth, &rec.RanksWidth,
                          &rec.MedalWidth, &rec.RanksExp, &rec.MedalExp, &rec.LevelExp};
        for (int i = 0; i < tsSettingCount; ++i) AssignBstr(*fields[i], rtl::AnsiToUtf16(s[i]));
        game_->SetLocalTopListSettings(rec);
        FreeRecord(rec);
        fs::create_directories(env_.Dir() / "html");
    }
    void Add(const std::u16string& name, const std::u16string& score) {
        TPlayer p;
        AssignBstr(p.Player, name);
        AssignBstr(p.Difficulty, u"Hard");
        AssignBstr(p.Score, score);
        AssignBstr(p.Rank, u"Captain");
        AssignBstr(p.Medals, u"Gold");
        try {
            game_->AddLocalScore(p);
        } catch (...) {
            FreeRecord(p);
            throw;
        }
        FreeRecord(p);
    }
    bool IsRecord(int score) {
        VARIANT_BOOL r = 0;
        EXPECT_EQ(game_->IsLocalRecord(score, &r), S_OK);
        return r != 0;
    }
    int Count() {
        int32_t n = 0;
        EXPECT_EQ(game_->GetLocalCount(&n), S_OK);
        return n;
    }
    std::u16string EntryPlayer(int index) {
        TPlayer p;
        VARIANT_BOOL found = 0;
        EXPECT_EQ(game_->GetLocalEntry(index, &p, &found), S_OK);
        std::u16string name = found ? BstrToString(p.Player) : u"(none)";
        FreeRecord(p);
        return name;
    }
    std::string Page() {
        auto text = ReadWholeFile((env_.Dir() / "html" / "top.htm").string());
        return text ? *text : std::string();
    }

    testing::TempEnvironment env_;
    ComPtr<IInternetGame> game_;
};

TEST_F(HallOfFameTest, AnEqualScoreGoesAfterTheOldOneAndThePageHighlightsIt) {
    EXPECT_EQ(Count(), 0);
    TPlayer best;
    VARIANT_BOOL found = -1;
    EXPECT_EQ(game_->GetLocalBest(&best, &found), S_OK);
    EXPECT_EQ(found, 0);
    Add(u"A", u"900");
    Add(u"B", u"500");
    Add(u"C", u"300");
    Add(u"New", u"500");
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(EntryPlayer(0), u"A");
    EXPECT_EQ(EntryPlayer(1), u"B");
    EXPECT_EQ(EntryPlayer(2), u"New");
    EXPECT_EQ(EntryPlayer(3), u"C");
    EXPECT_EQ(EntryPlayer(4), u"(none)");
    EXPECT_EQ(EntryPlayer(-1), u"(none)");
    const std::string page = Page();
    EXPECT_NE(page.find("<FONT COLOR=\"#FFFF00\">3</FONT> <TD align=middle> <FONT COLOR=\"#FFFF00\">New</FONT>"),
              std::string::npos);
    EXPECT_EQ(page.find("<FONT COLOR=\"#FFFF00\">B</FONT>"), std::string::npos);
    EXPECT_TRUE(TagsBalance(page));

    EXPECT_EQ(game_->GetLocalBest(&best, &found), S_OK);
    EXPECT_EQ(found, VARIANT_TRUE);
    EXPECT_EQ(BstrToString(best.Player), u"A");
    EXPECT_EQ(BstrToString(best.Score), u"900");
    EXPECT_EQ(BstrToString(best.Time), u"");
    EXPECT_EQ(game_->GetLocalBest(&best, &found), S_OK);  // refilling frees the old strings
    FreeRecord(best);

    int32_t last = 0;
    EXPECT_EQ(game_->GetLocalLastScore(&last), S_OK);
    EXPECT_EQ(last, 300);

    // A name that would break the line or the page.
    Add(u"<script>alert(1)</script>|x", u"50");
    EXPECT_EQ(EntryPlayer(4), u"<script>alert(1)</script>/x");
    EXPECT_EQ(Page().find("<script>"), std::string::npos);
    EXPECT_NE(Page().find("&lt;script&gt;alert(1)&lt;/script&gt;/x"), std::string::npos);
    Add(u"Bad", u"12a");  // not stored
    EXPECT_EQ(Count(), 5);

    game_->ShowLocalTopList();
    auto opened = env_.Opened();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (env_.Dir() / "html" / "top.htm").string());
}

TEST_F(HallOfFameTest, TheMaximumTrimsTheListAndIsLocalRecordFollowsTheSameRule) {
    SetSettings("3");
    Add(u"A", u"900");
    Add(u"B", u"500");
    Add(u"C", u"300");
    EXPECT_FALSE(IsRecord(100));
    EXPECT_FALSE(IsRecord(300));  // would go after the 300 and be cut
    EXPECT_TRUE(IsRecord(301));
    EXPECT_FALSE(IsRecord(0));
    Add(u"D", u"100");
    EXPECT_EQ(Count(), 3);
    int32_t last = 0;
    game_->GetLocalLastScore(&last);
    EXPECT_EQ(last, 300);
    platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\Quorvex\\Sprallion\\Local Top List"));
    EXPECT_EQ(reg.ReadInteger("Count"), 3);
    EXPECT_EQ(SplitLines(reg.ReadString("List")).size(), 3u);
    EXPECT_EQ(reg.ReadString("List").substr(0, 8), "A|900|Ca");

    SetSettings("0");  // no usable maximum: the default 100
    EXPECT_TRUE(IsRecord(100));
    Add(u"D", u"100");
    EXPECT_EQ(Count(), 4);

    TLocalTopListSetup back;
    game_->GetLocalTopListSettings(back);
    EXPECT_EQ(BstrToString(back.MaxCount), u"0");
    EXPECT_EQ(BstrToString(back.RanksExp), u"gif");
    FreeRecord(back);
}

TEST_F(HallOfFameTest, FailuresPassOrBecomeTheFailureValues) {
    // A page folder that cannot be written: the direct form raises, the counting form does not.
    LocalTopListSettings s = PageSettings((env_.Dir() / "missing" / "html").string());
    TLocalTopListSetup rec;
    AssignBstr(rec.HTMLDir, rtl::AnsiToUtf16(s[tsHTMLDir]));
    AssignBstr(rec.FileName, u"top.htm");
    game_->SetLocalTopListSettings(rec);
    FreeRecord(rec);
    EXPECT_THROW(Add(u"A", u"900"), rtl::Exception);
    EXPECT_THROW(game_->BuildLocalTopListPage(), rtl::Exception);
    EXPECT_EQ(Count(), 1);  // stored before the page failed
}

}  // namespace
}  // namespace palvrek
