// The main form over a kernel on the headless display, with panels made as the interface
// reader makes them (events bound by name to the form's published methods), level-set
// containers in the resource folder, and the language strings of the messages.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/fmPallidor.h"
#include "engine/gpCmdExecute.h"
#include "engine/gpResource.h"
#include "platform/window/Terminate.h"
#include "tests/engine/WidgetFixture.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/LevelSet.h"

namespace apptest {

using Events = enginetest::Props;

class PanelFixture : public enginetest::WidgetFixture {
protected:
    PanelFixture() {
        env.Set("SPRALLION_REGISTRY", dir.File("registry"));
        env.Set("SPRALLION_RUNTIME_DIR", dir.File("run"));
        env.Set("SPRALLION_SHELL", "record:" + dir.File("shell"));
        platform::window::ClearTerminateRequest();
        Pictures({{"Panel", datagen::WidgetSheet(40, 30, 1, 1)}, {"Btn", datagen::WidgetSheet(100, 30, 1, 4)}});
        main = std::make_unique<app::TDlg_Sprallion>();
        main->VersionInfo.ProductName = "Sprallion";
        main->LanguageCode = "409";
        main->Kernel = std::move(kernel);
        K = main->Kernel.get();
        K->Condition = engine::ck_MainInterface;
    }
    ~PanelFixture() override {
        main.reset();
        platform::window::ClearTerminateRequest();
    }

    // A widget of class W with properties and events bound to the main form.
    template <class W> W* Add(rtl::Object* owner, const std::string& name, const Events& props = {}) {
        Events all{{"Name", name}};
        all.insert(all.end(), props.begin(), props.end());
        return Make<W>(owner, all, main.get());
    }
    // A panel: hidden, shown as main menu unless the condition says otherwise.
    engine::TGPForm* Panel(const std::string& name, const Events& events = {}, const char* condition = "ck_MainInterface") {
        Events props{{"Paint", "Panel"}, {"Visible", "False"}, {"Condition", condition}};
        props.insert(props.end(), events.begin(), events.end());
        return Add<engine::TGPForm>(K, name, props);
    }

    void Step(uint32_t ms = 22) {
        clock.Advance(ms);
        dxdraw.Surface()->Fill(0);
        K->Tick();
    }
    static engine::TDXInputStates Keys(int state) {
        engine::TDXInputStates k;
        k.set(static_cast<size_t>(state));
        return k;
    }
    // The "Strings" the messages read, as the main form's game data.
    void Strings(const std::vector<std::pair<std::string, std::string>>& texts) {
        datagen::ContainerSection s{"Strings", {}};
        for (const auto& [key, text] : texts) s.entries.push_back({key, datagen::LenString(text)});
        datagen::WriteContainer(dir.File("strings.bif"), {s});
        main->Resource = std::make_unique<engine::TGPResource>(dir.File("strings.bif"), rtl::fmOpenRead);
    }

    // A level-set container in the resource folder.
    struct Subject {
        int32_t type = 787878;
        bool preview = true;
        bool subject = true;
        std::string title = "Set";
        std::string packName;  // empty: the file title with ".bmp"
        std::optional<uint8_t> titleLength;  // a length byte as stored
        bool objects = true;                 // false: levels without objects, playable without classes
    };
    void WriteSubject(const std::string& file, const Subject& s) {
        const std::string fileTitle = file.substr(0, file.find('.'));
        datagen::LevelSet set = datagen::SampleLevelSet();
        set.header.title = s.title;
        set.header.packName = s.packName.empty() ? fileTitle + ".bmp" : s.packName;
        set.header.titleLength = s.titleLength;
        if (!s.objects)
            for (auto& level : set.levels) level.nations.clear();
        std::vector<datagen::ContainerSection> sections{{"Default", {{"TypeIG", datagen::Int32Bytes(s.type)}}}};
        if (s.preview) sections.push_back({"PreView_Level", {{fileTitle, datagen::WidgetSheet(16, 12, 1, 1)}}});
        if (s.subject) sections.push_back({"Subjects", {{"Subject", datagen::BuildLevelSet(set)}}});
        datagen::WriteContainer(dir.File("Resource/" + file), sections);
    }

    testproc::ScopedEnv env;
    std::unique_ptr<app::TDlg_Sprallion> main;
    engine::TGPKernel* K = nullptr;  // owned by the main form
};

}  // namespace apptest
