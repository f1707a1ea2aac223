// The game end to end: the program started headless on the virtual clock in a program folder
// of the demo data, with the internet library registered in a private registry, plays a game on
// the test set as a player would (the two levels clear by themselves, the second earns medal 1),
// ends it, and quits from the main menu. One run serves every case; each looks at what the run
// left behind: its log, the hall of fame, the shell's record, the screenshot, the pending save
// and the configuration written back into the game data.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/PlayerRecord.h"
#include "engine/gpResource.h"
#include "media/DIB.h"
#include "platform/registry/Registry.h"
#include "rtl/Text.h"
#include "tests/TempDir.h"
#include "tests/app/AppFixtures.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/DemoProgram.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/demo/DemoDataSet.h"
#include "tools/datagen/demo/DemoTexts.h"

namespace {

namespace fs = std::filesystem;

// Enter opens the new-game list, Enter there starts the test set (it sorts first), Enter closes
// the first level's message (3). The first level clears by itself into the second's message
// (4); Enter closes it and F7 takes a screenshot in play. The second level clears by itself and
// medal 1 is announced (message 7); Enter closes it. F8 opens the options over the game, a
// click on the music box (at 424, 222 on the screen) switches music off and
// F8 closes them. Esc asks whether to end the game (message 9) and Enter ends it into the hall
// of fame and the main menu, where F12 quits.
constexpr const char* kScript =
    "until panel MainPanel within 2000\n"
    "key Enter\n"
    "until panel NewGames within 200\n"
    "key Enter\n"
    "until message 3 within 200\n"
    "key Enter\n"
    "until message 4 within 3000\n"
    "key Enter\n"
    "wait 5\n"
    "key F7\n"
    "until message 7 within 3000\n"
    "key Enter\n"
    "wait 5\n"
    "key F8\n"
    "until panel OptionPanel within 100\n"
    "move -10000 -10000\n"
    "move 438 230\n"
    "wait 2\n"
    "click left\n"
    "wait 30\n"
    "key F8\n"
    "wait 30\n"
    "key Esc\n"
    "until message 9 within 200\n"
    "key Enter\n"
    "until panel MainPanel within 200\n"
    "wait 5\n"
    "key F12\n"
    "wait 2000\n";

// The program's run and what it leaves in its folder.
class GameRun : public demotest::DemoProgram {
public:
    GameRun() {
        cfgBefore = fs::last_write_time(Container());
        Run(kScript);
    }
    std::string Container() const { return dir.File("game/Resource/Demo2.bif"); }
    std::string Page() const { return dir.Read("game/TopList/TopList.htm"); }

    fs::file_time_type cfgBefore;
};

// The form of the fixture reads what the run left (its configuration).
class DemoGameTest : public apptest::AppTest {
protected:
    static void SetUpTestSuite() { run_ = new GameRun(); }
    static void TearDownTestSuite() {
        delete run_;
        run_ = nullptr;
    }
    static const GameRun& Run() { return *run_; }

    // The hall of fame's lines: six fields each ended by "|".
    static std::vector<std::vector<std::string>> TopList() {
        testproc::ScopedEnv env("SPRALLION_REGISTRY", Run().Registry());
        platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
        std::vector<std::vector<std::string>> entries;
        if (!reg.OpenKeyReadOnly("\\SOFTWARE\\Quorvex\\Sprallion\\Local Top List")) return entries;
        std::istringstream lines(reg.ReadString("List"));
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            std::vector<std::string> fields;
            for (size_t start = 0, bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
                fields.push_back(line.substr(start, bar - start));
            entries.push_back(fields);
        }
        return entries;
    }

    // The pending game as the last level start saved it.
    static app::TPlayerRecord PendingSave() {
        engine::TGPResource saves(Run().dir.File("game/Resource/Sprallion.sav"), rtl::fmOpenRead);
        engine::TSaveRecord bytes{};
        EXPECT_EQ(saves.Read144("Save_User", "Save_0", bytes), 1) << "Save_0 holds no record";
        return app::ReadPlayerRecord(bytes);
    }

    static GameRun* run_;
};

GameRun* DemoGameTest::run_ = nullptr;

TEST_F(DemoGameTest, TheGameIsPlayedToItsEndAndTheProgramQuitsCleanly) {
    ASSERT_TRUE(Run().exit.has_value()) << "the program did not end in time";
    const std::string log = Run().Log();
    EXPECT_EQ(*Run().exit, 0) << log << Run().dir.Read("stderr");
    const size_t begin = log.find("BEGIN SESSION"), end = log.find("END SESSION");
    ASSERT_NE(begin, std::string::npos) << log;
    ASSERT_NE(end, std::string::npos) << log;
    EXPECT_LT(begin, end);
    EXPECT_EQ(log.find("Losing Message"), std::string::npos) << log;
    EXPECT_EQ(log.find("Class Script "), std::string::npos) << log;
}

TEST_F(DemoGameTest, TheGameEntersTheHallOfFameWithItsMedalAndShowsItsPageOnce) {
    const app::TPlayerRecord game = PendingSave();
    EXPECT_EQ(game.SubjectFile, "0Test.ig");
    EXPECT_GE(game.Score, 500) << "two bricks of 250 at least";
    EXPECT_NE(std::find(game.Medals.begin(), game.Medals.end(), 1), game.Medals.end()) << "medal 1 held";
    ASSERT_GE(game.Difficulty, 1);
    ASSERT_LE(game.Difficulty, 3);
    ASSERT_GE(game.Rank, 1);
    ASSERT_LE(game.Rank, 19);

    const auto entries = TopList();
    ASSERT_EQ(entries.size(), 1u);
    const std::vector<std::string>& entry = entries[0];
    ASSERT_EQ(entry.size(), 6u);
    const std::vector<std::string> expected{rtl::AnsiToUtf8(game.Name), std::to_string(game.Score), datagen::demo::RankName(game.Rank),
                                            datagen::demo::DifficultyName(game.Difficulty),
                                            datagen::demo::MedalName(1)};
    EXPECT_EQ(std::vector<std::string>(entry.begin(), entry.begin() + 5), expected);
    EXPECT_EQ(entry[0], "Игрок");  // the default name

    const std::string page = Run().Page();
    ASSERT_FALSE(page.empty()) << "no hall-of-fame page";
    // The entry's texts carry no markup characters (the name edit takes letters and digits),
    // so each shows as it stands; the library's escaping of them is tested with the library.
    for (const std::string& text : expected) EXPECT_NE(page.find(text), std::string::npos) << text;

    const std::string pagePath = fs::weakly_canonical(Run().dir.File("game/TopList/TopList.htm")).string();
    const auto recorded = Run().Recorded();
    EXPECT_EQ(std::count_if(recorded.begin(), recorded.end(),
                            [&](const std::string& line) { return line.find("TopList.htm") != std::string::npos; }),
              1)
        << "the page is opened once; recorded: " << recorded.size();
    EXPECT_TRUE(std::any_of(recorded.begin(), recorded.end(),
                            [&](const std::string& line) { return line.find(pagePath) != std::string::npos; }));
    for (const std::string& line : recorded) EXPECT_EQ(line.find("regsvr"), std::string::npos) << "registered already";
}

TEST_F(DemoGameTest, TheScreenshotShowsThePlayingField) {
    std::vector<fs::path> shots;
    const fs::path folder = Run().dir.File("game/Resource/PRNSCR");
    if (fs::is_directory(folder))
        for (const auto& f : fs::directory_iterator(folder))
            if (f.path().filename().string().rfind("Pal", 0) == 0 && f.path().extension() == ".bmp") shots.push_back(f.path());
    ASSERT_EQ(shots.size(), 1u);
    media::TDIB picture;
    picture.LoadFromFile(shots[0].string());
    ASSERT_GT(picture.Width(), 0);
    ASSERT_GT(picture.Height(), 0);
    std::set<uint32_t> colours;
    for (int y = 0; y < picture.Height() && colours.size() < 16; y += 3)
        for (int x = 0; x < picture.Width() && colours.size() < 16; x += 3) colours.insert(picture.PixelColor(x, y));
    EXPECT_GE(colours.size(), 16u) << "a screenshot of few colours";
}

TEST_F(DemoGameTest, TheConfigurationIsWrittenBackAndReadsAsStored) {
    const std::string container = Run().Container();
    EXPECT_GT(fs::last_write_time(container), Run().cfgBefore) << "the configuration was not written back";
    engine::TGPResource resource(container, rtl::fmOpenRead);
    ASSERT_EQ(resource.Status(), 0);
    GiveDevices(*form_);
    form_->ContainerFile = container;
    form_->LoadConfig(resource);
    app::TGPCfg musicOff;
    musicOff.Music = 0;  // the run's one change
    EXPECT_EQ(form_->GPCfg, musicOff);
    EXPECT_EQ(Log(), "") << "the stored records read whole";
}

}  // namespace
