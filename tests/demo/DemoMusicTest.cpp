// The demo sounds as a game should: the main menu plays its tune, and every level set its
// own tunes while its levels are played.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "engine/gpKernel.h"
#include "media/gpMidi.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/HeadlessGame.h"
#include "tools/datagen/demo/DemoInterface.h"

namespace {

constexpr int kPlayMode = 2;

std::string Playing(const app::TDlg_Sprallion& form) {
    media::TGPMidi* midi = form.MusicPlayer();
    if (!midi || midi->GetMode() != kPlayMode) return "";
    return std::filesystem::path(midi->FileName()).filename().string();
}

TEST(DemoMusic, TheMenuAndEveryLevelSetPlayTheirOwnTunes) {
    demotest::HeadlessGame game;
    ASSERT_NO_FATAL_FAILURE(game.Start());
    ASSERT_TRUE(game.TickUntilShown("MainPanel", 2000));
    for (int i = 0; i < 5; ++i) ASSERT_NO_FATAL_FAILURE(game.Tick());
    EXPECT_EQ(Playing(game.Form()), datagen::demo::kMenuTune);

    std::set<std::string> heard;
    for (const auto& set : demotest::DemoData::Get().set.levelSets) {
        game.where = set.set.file;
        ASSERT_NO_FATAL_FAILURE(game.NewGame(set.set.file, 0, 3));
        for (int i = 0; i < 5; ++i) ASSERT_NO_FATAL_FAILURE(game.Tick());
        const std::string tune = Playing(game.Form());
        const auto& tunes = set.set.tunes;
        EXPECT_NE(std::find(tunes.begin(), tunes.end(), tune), tunes.end()) << set.set.file << " plays " << tune;
        heard.insert(tune);
        ASSERT_NO_FATAL_FAILURE(game.EndGame());
        for (int i = 0; i < 5; ++i) ASSERT_NO_FATAL_FAILURE(game.Tick());
        EXPECT_EQ(Playing(game.Form()), datagen::demo::kMenuTune) << "back at the menu";
    }
    EXPECT_EQ(heard.size(), demotest::DemoData::Get().set.levelSets.size()) << "a tune of its own per set";
    EXPECT_TRUE(game.failures.empty()) << ::testing::PrintToString(game.failures);
}

}  // namespace
