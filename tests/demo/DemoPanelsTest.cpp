// The demo data against the new-game and menu panels: every level set of the demo is listed,
// and every handler the menus bind by name is one the main form publishes.
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "app/fmPallidor.h"
#include "engine/gpResource.h"
#include "tests/TempDir.h"
#include "tests/demo/DemoFixture.h"
#include "tools/datagen/demo/DemoInterface.h"

namespace {

using demotest::DemoData;

TEST(DemoPanels, EveryDemoLevelSetIsListedByTheNewGamePanel) {
    TempDir previews;
    ASSERT_FALSE(DemoData::Get().set.levelSets.empty());
    for (const auto& s : DemoData::Get().set.levelSets) {
        SCOPED_TRACE(s.set.file);
        engine::TGPResource container(DemoData::Get().Path(s.Path()), rtl::fmOpenRead);
        app::TDlg_Sprallion::TSubjectEntry entry;
        ASSERT_TRUE(app::TDlg_Sprallion::ReadSubjectEntry(container, s.set.file, previews.File(""), entry));
        EXPECT_EQ(entry.FileName, s.set.file);
        EXPECT_EQ(entry.PreviewName, entry.FileTitle);  // the image finds the preview written
        EXPECT_GT(entry.LevelCount, 0);
        EXPECT_TRUE(std::filesystem::exists(previews.File(entry.FileTitle + ".BMP")));
    }
}

TEST(DemoPanels, TheMenusBindOnlyHandlersTheMainFormPublishes) {
    // Every panel of the demo: menus, new game, options, help, credits, messages, save and
    // load, pause and logos.
    const rtl::TypeInfo& info = app::TDlg_Sprallion::StaticClassInfo();
    int checked = 0;
    std::function<void(const datagen::demo::WidgetEntry&)> walk = [&](const datagen::demo::WidgetEntry& w) {
        for (const auto& [event, handler] : w.events) {
            EXPECT_NE(info.FindMethod(handler), nullptr) << w.name << "." << event << " -> " << handler;
            ++checked;
        }
        for (const auto& child : w.children) walk(child);
    };
    for (const auto& form : datagen::demo::DemoForms()) walk(form);
    EXPECT_GT(checked, 60);
}

}  // namespace
