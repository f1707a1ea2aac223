// The hall-of-fame page in a real browser engine: headless Chromium opens the page the library
// wrote and its rendered document must show the names as the game gave them. Skipped where
// Chromium is not installed.
#include <filesystem>

#include "platform/com/ComObj.h"
#include "tests/internet/Chromium.h"
#include "tests/internet/Fixture.h"

namespace palvrek {
namespace {

using namespace platform::com;
namespace fs = std::filesystem;

class PageInBrowserTest : public testing::GameFixture {};

TEST_F(PageInBrowserTest, ChromiumShowsCyrillicAndGermanNamesAsGiven) {
    const std::string chromium = browsertest::FindChromium();
    if (chromium.empty()) GTEST_SKIP() << "Chromium is not installed";
    Initialize();
    Serve(80);
    const fs::path html = env_.Dir() / "html";
    fs::create_directories(html);
    TLocalTopListSetup setup;
    AssignBstr(setup.HTMLDir, rtl::AnsiToUtf16(html.string()));
    AssignBstr(setup.FileName, u"top.htm");
    AssignBstr(setup.RanksExp, u"gif");
    game_->SetLocalTopListSettings(setup);
    FreeRecord(setup);
    for (const auto& [name, score] : {std::pair{u"\u0418\u0432\u0430\u043D \u041F\u0435\u0442\u0440\u043E\u0432", u"900"},
                                      std::pair{u"J\u00FCrgen Fran\u00E7ois", u"800"}}) {
        TPlayer p;
        AssignBstr(p.Player, name);
        AssignBstr(p.Difficulty, u"Hard");
        AssignBstr(p.Score, score);
        AssignBstr(p.Rank, u"Captain");
        game_->AddLocalScore(p);
        FreeRecord(p);
    }

    const std::string dom = browsertest::RunChromium(chromium, html / "top.htm", env_.Dir() / "profile", "--dump-dom");
    ASSERT_NE(dom.find("Top List for Sprallion"), std::string::npos) << "Chromium rendered nothing:\n" << dom;
    EXPECT_NE(dom.find("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2"),
              std::string::npos)
        << dom;
    EXPECT_NE(dom.find("J\xC3\xBCrgen Fran\xC3\xA7ois"), std::string::npos) << dom;
    // Both rows, in their order.
    EXPECT_LT(dom.find("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"), dom.find("J\xC3\xBCrgen"));
}

}  // namespace
}  // namespace palvrek
