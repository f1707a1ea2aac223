// The local hall of fame: insertion by score, trimming, the stored list and its page.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <set>

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
        "    <META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n"
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

class HallOfFameTest : public testing::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        if (HasFatalFailure()) return;
        Initialize();
        Serve(80);
        SetSettings("");
    }
    void SetSettings(const std::string& maxCount) {
        LocalTopListSettings s = PageSettings((env_.Dir() / "html").string());
        s[tsMaxCount] = maxCount;
        StoreSettings(s);
    }
    // The page's settings through the interface (their texts are UTF-8).
    void StoreSettings(const LocalTopListSettings& s) {
        TLocalTopListSetup rec;
        BSTR* fields[] = {&rec.HTMLDir, &rec.MedalsDir, &rec.RanksDir, &rec.TemplateDir, &rec.LevelDir,
                          &rec.MaxCount, &rec.FileName, &rec.ImgHeight, &rec.LevelWidth, &rec.RanksWidth,
                          &rec.MedalWidth, &rec.RanksExp, &rec.MedalExp, &rec.LevelExp};
        for (int i = 0; i < tsSettingCount; ++i) AssignBstr(*fields[i], Utf8ToWide(s[i]));
        game_->SetLocalTopListSettings(rec);
        FreeRecord(rec);
        fs::create_directories(env_.Dir() / "html");
    }
    void Add(const std::u16string& name, const std::u16string& score, const std::u16string& rank = u"Captain",
             const std::u16string& difficulty = u"Hard", const std::u16string& medals = u"Gold") {
        TPlayer p;
        AssignBstr(p.Player, name);
        AssignBstr(p.Difficulty, difficulty);
        AssignBstr(p.Score, score);
        AssignBstr(p.Rank, rank);
        AssignBstr(p.Medals, medals);
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
    std::u16string EntryPlayer(int index) { return EntryField(index, &TPlayer::Player); }
    std::u16string EntryField(int index, BSTR TPlayer::*field) {
        TPlayer p;
        VARIANT_BOOL found = 0;
        EXPECT_EQ(game_->GetLocalEntry(index, &p, &found), S_OK);
        std::u16string text = found ? BstrToString(p.*field) : u"(none)";
        FreeRecord(p);
        return text;
    }
    int StoredLastScore() {
        int32_t last = -1;
        EXPECT_EQ(game_->GetLocalLastScore(&last), S_OK);
        return last;
    }
    platform::registry::Registry TopListKey() {
        platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
        EXPECT_TRUE(reg.OpenKey("\\SOFTWARE\\Quorvex\\Sprallion\\Local Top List", true));
        return reg;
    }
    std::string Page() {
        auto text = ReadWholeFile((env_.Dir() / "html" / "top.htm").string());
        return text ? *text : std::string();
    }

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

TEST_F(HallOfFameTest, TwoProcessesAddingAtOnceKeepEveryEntry) {
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(go[1]);
            char byte;
            (void)!::read(go[0], &byte, 1);  // both start when the parent closes the pipe
            int status = 0;
            try {
                for (int i = 0; i < 25; ++i)
                    Add(u"P" + rtl::AnsiToUtf16(std::to_string(child * 100 + i)), rtl::AnsiToUtf16(std::to_string(1000 + i)));
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        children.push_back(pid);
    }
    ::close(go[0]);
    ::close(go[1]);
    for (pid_t pid : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(Count(), 50);
    EXPECT_EQ(TopListKey().ReadInteger("Count"), 50);
    std::set<std::u16string> names;
    for (int i = 0; i < 50; ++i) names.insert(EntryPlayer(i));
    EXPECT_EQ(names.size(), 50u);
    EXPECT_EQ(StoredLastScore(), 1000);
}

TEST_F(HallOfFameTest, AScoreIsStoredAsItsNumber) {
    Add(u"A", u"300");
    Add(u"B", u" 500 ");
    Add(u"C", u"+0400");
    EXPECT_EQ(EntryPlayer(0), u"B");
    EXPECT_EQ(EntryField(0, &TPlayer::Score), u"500");
    EXPECT_EQ(EntryPlayer(1), u"C");
    EXPECT_EQ(EntryField(1, &TPlayer::Score), u"400");
    Add(u"  D   E ", u"100", u"  Big   Boss ");
    EXPECT_EQ(EntryPlayer(3), u"D E");
    EXPECT_EQ(EntryField(3, &TPlayer::Rank), u"Big Boss");
    EXPECT_EQ(StoredLastScore(), 100);
    Add(u"F", u"50 0");  // blanks inside: not a number, not stored
    EXPECT_EQ(Count(), 4);
}

TEST_F(HallOfFameTest, WithoutAMaximumIsLocalRecordFollowsTheInsertionForEitherLength) {
    // A short list has room: a score below the last entry still enters.
    for (int score : {900, 800, 700}) Add(u"A", rtl::AnsiToUtf16(std::to_string(score)));
    EXPECT_TRUE(IsRecord(100));
    Add(u"B", u"100");
    EXPECT_EQ(Count(), 4);
    // A full list of 100: only a score above its 100th entry enters.
    std::string full;
    for (int i = 0; i < 99; ++i) full += "C|200|Captain|Hard||01.01.2000|\r\n";
    TopListKey().WriteString("List", full + "B|100|Captain|Hard||01.01.2000|\r\n");
    ASSERT_EQ(Count(), 100);
    EXPECT_FALSE(IsRecord(100));
    EXPECT_TRUE(IsRecord(101));
    Add(u"D", u"100");
    EXPECT_EQ(Count(), 100);
    EXPECT_EQ(EntryPlayer(99), u"B");
}

TEST_F(HallOfFameTest, FailuresInsideTheCountingFormsGiveTheirValues) {
    Add(u"A", u"900");
    {
        auto reg = TopListKey();
        reg.WriteInteger("List", 7);         // not a text: reading the list fails
        reg.WriteString("LastScore", "x");  // not a number
    }
    EXPECT_EQ(Count(), -1);
    EXPECT_EQ(StoredLastScore(), 0);
    TPlayer p;
    AssignBstr(p.Player, u"stale");
    VARIANT_BOOL found = -1;
    EXPECT_EQ(game_->GetLocalEntry(0, &p, &found), S_OK);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(BstrToString(p.Player), u"");  // the record comes back empty
    ClearErrorInfo();
    EXPECT_EQ(game_->GetLocalBest(&p, &found), E_UNEXPECTED);
    auto info = GetErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->description, u"Invalid data type for 'List'");
    VARIANT_BOOL record = -1;
    EXPECT_EQ(game_->IsLocalRecord(500, &record), E_UNEXPECTED);
    EXPECT_EQ(record, 0);
    EXPECT_THROW(Add(u"B", u"500"), rtl::Exception);  // the direct form lets it through
    FreeRecord(p);
}

TEST_F(HallOfFameTest, NamesOutsideTheCodePageComeBackAsTheyWereGiven) {
    const std::u16string german = u"J\u00FCrgen Fran\u00E7ois", russian = u"\u0418\u0432\u0430\u043D",
                         others = u"\u674E \U0001F600 \u00BD";
    Add(german, u"900", u"Kapit\u00E4n");
    Add(russian, u"800");
    Add(others, u"700");
    EXPECT_EQ(EntryPlayer(0), german);
    EXPECT_EQ(EntryField(0, &TPlayer::Rank), u"Kapit\u00E4n");
    EXPECT_EQ(EntryPlayer(1), russian);
    EXPECT_EQ(EntryPlayer(2), others);
    const std::string page = Page();
    EXPECT_NE(page.find("charset=utf-8"), std::string::npos);
    EXPECT_NE(page.find("J\xC3\xBCrgen Fran\xC3\xA7ois"), std::string::npos);
    EXPECT_NE(page.find("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"), std::string::npos);
    EXPECT_NE(page.find("ranks/Kapit\xC3\xA4n.gif"), std::string::npos);
    EXPECT_EQ(TopListKey().ReadString("Charset"), "utf-8");

    // Page settings outside the code page too: a folder of the page and its file.
    SetSettings("");
    TLocalTopListSetup rec;
    game_->GetLocalTopListSettings(rec);
    const std::u16string folder = rtl::AnsiToUtf16((env_.Dir()).string()) + u"/M\u00FCller \u0421\u0430\u0439\u0442";
    AssignBstr(rec.HTMLDir, folder);
    game_->SetLocalTopListSettings(rec);
    fs::create_directories(WideToUtf8(folder));
    game_->BuildLocalTopListPage();
    EXPECT_TRUE(fs::exists(WideToUtf8(folder) + "/top.htm"));
    game_->GetLocalTopListSettings(rec);
    EXPECT_EQ(BstrToString(rec.HTMLDir), folder);
    FreeRecord(rec);
}

TEST_F(HallOfFameTest, AListStoredInTheCodePageReadsAsItWasAndIsConvertedOnItsFirstChange) {
    {
        auto reg = TopListKey();
        reg.DeleteValue("Charset");
        // "Иван" and the rank "Капитан" in the game's code page, as an earlier library stored them.
        reg.WriteString("List", "\xC8\xE2\xE0\xED|900|\xCA\xE0\xEF\xE8\xF2\xE0\xED|Hard||01.01.2000|\r\n");
        reg.WriteString("RanksDir", "\xF0\xE0\xED\xE3\xE8");  // "ранги"
    }
    EXPECT_EQ(EntryPlayer(0), u"\u0418\u0432\u0430\u043D");
    EXPECT_EQ(EntryField(0, &TPlayer::Rank), u"\u041A\u0430\u043F\u0438\u0442\u0430\u043D");
    TLocalTopListSetup rec;
    game_->GetLocalTopListSettings(rec);
    EXPECT_EQ(BstrToString(rec.RanksDir), u"\u0440\u0430\u043D\u0433\u0438");
    FreeRecord(rec);

    Add(u"J\u00FCrgen", u"1000");
    EXPECT_EQ(EntryPlayer(0), u"J\u00FCrgen");
    EXPECT_EQ(EntryPlayer(1), u"\u0418\u0432\u0430\u043D");
    auto reg = TopListKey();
    EXPECT_EQ(reg.ReadString("Charset"), "utf-8");
    EXPECT_EQ(reg.ReadString("RanksDir"), "\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB3\xD0\xB8");
    EXPECT_NE(Page().find("\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB3\xD0\xB8/\xD0\x9A"), std::string::npos);
}

TEST_F(HallOfFameTest, QuotesAndMarkupInEveryTextStayText) {
    Add(u"Ann\" onmouseover=\"alert(1)", u"900", u"Cap\"tain <b>", u"Ha\"rd\" onerror=\"x", u"Go\"ld, <i>Star");
    const std::string page = Page();
    EXPECT_TRUE(TagsBalance(page));
    for (const char* injected : {"\" onmouseover=", "\" onerror=", "<b>", "<i>", "Cap\"tain", "Go\"ld"})
        EXPECT_EQ(page.find(injected), std::string::npos) << injected;
    EXPECT_NE(page.find("alt=\"Ha&quot;rd&quot; onerror=&quot;x\""), std::string::npos);
    EXPECT_NE(page.find("SRC=\"ranks/Cap&quot;tain_&lt;b&gt;.gif\""), std::string::npos);
    EXPECT_NE(page.find("alt=\" &lt;i&gt;Star\""), std::string::npos);
    EXPECT_NE(page.find("Ann&quot; onmouseover=&quot;alert(1)"), std::string::npos);
}

TEST_F(HallOfFameTest, WidthsHeightsAndTheTemplateFolderCannotAddAttributes) {
    LocalTopListSettings s = PageSettings((env_.Dir() / "html").string());
    s[tsImgHeight] = "20 onload=alert(1)";
    s[tsLevelWidth] = "30><script>x</script";
    s[tsRanksWidth] = "50%";
    s[tsMedalWidth] = "";
    // A template folder whose name holds the marker and a quote.
    s[tsTemplateDir] = "t\"<<TEMPLATE_PATH>>";
    StoreSettings(s);
    const fs::path templates = env_.Dir() / "html" / s[tsTemplateDir];
    fs::create_directories(templates);
    std::ofstream(templates / "header.htm")
        << "<HTML><HEAD><META charset=\"utf-8\"></HEAD><BODY><IMG SRC=<<TEMPLATE_PATH>>x.png\">\n";
    Add(u"Ann", u"900");
    const std::string page = Page();
    EXPECT_TRUE(TagsBalance(page)) << page;
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("HEIGHT=\"20 onload=alert(1)\""), std::string::npos);
    EXPECT_NE(page.find("<TD align=middle width=\"30&gt;&lt;script&gt;x&lt;/script\">"), std::string::npos);
    EXPECT_NE(page.find("<TD align=middle width=50%>"), std::string::npos);
    EXPECT_NE(page.find("WIDTH=\"\" HEIGHT"), std::string::npos);
    // The folder goes in once, escaped; the marker it holds is not searched again.
    EXPECT_NE(page.find("<IMG SRC=\"t&quot;&lt;&lt;TEMPLATE_PATH&gt;&gt;/x.png\">"), std::string::npos) << page;
}

TEST_F(HallOfFameTest, ATemplateOfAnotherCharsetGetsCharacterReferences) {
    fs::create_directories(env_.Dir() / "html" / "tpl");
    std::ofstream(env_.Dir() / "html" / "tpl" / "header.htm")
        << "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\"></HEAD>\n";
    Add(u"J\u00FCrgen \u0418\u0432\u0430\u043D \U0001F600", u"900");
    const std::string page = Page();
    EXPECT_EQ(page.rfind("<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">", 0),
              0u);
    EXPECT_NE(page.find("J&#252;rgen &#1048;&#1074;&#1072;&#1085; &#128512;"), std::string::npos);
    EXPECT_TRUE(std::all_of(page.begin(), page.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; }));
    EXPECT_EQ(DeclaredCharset("<meta charset = 'UTF-8'>"), "utf-8");
    EXPECT_EQ(DeclaredCharset("<p>charset=koi8-r</p>"), "");
    EXPECT_EQ(DeclaredCharset("\xEF\xBB\xBF<html>"), "utf-8");
}

TEST_F(HallOfFameTest, NamesOfTwoMillionCharactersRoundTrip) {
    const std::u16string longName(2'000'000, u'\u0416');
    Add(longName, u"900");
    EXPECT_TRUE(EntryPlayer(0) == longName);  // (not printed: two million characters)
    EXPECT_EQ(Count(), 1);
}

}  // namespace
}  // namespace palvrek
