// The main form with game data for its dialogs, a virtual clock, and scripted input for the
// headless dialog windows: steps run one after another on the clock while a dialog's modal
// loop waits, and post their events to the window that takes the input (the modal one).
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/Forms.h"
#include "engine/gpMouse.h"
#include "engine/gpResource.h"
#include "media/gpBitmap.h"
#include "rtl/Streams.h"
#include "platform/clock/VirtualClock.h"
#include "platform/input/VirtualKeys.h"
#include "platform/window/Clipboard.h"
#include "platform/window/EventPump.h"
#include "platform/window/ModalLoop.h"
#include "tests/app/AppFixtures.h"
#include "tests/app/FakeInternet.h"
#include "tools/datagen/Bmp.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/DialogData.h"

namespace apptest {

namespace pw = platform::window;
namespace vk = platform::input::vk;

// A picture as the dialogs load it.
inline std::unique_ptr<media::TGPBitmap> LoadBitmap(const datagen::BmpPicture& picture) {
    const std::string bytes = datagen::EncodeBmp(picture);
    rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    auto bitmap = std::make_unique<media::TGPBitmap>();
    bitmap->LoadFromStream(stream);
    return bitmap;
}
inline app::TBitmap32 Pixels32(const datagen::BmpPicture& picture) { return app::TBitmap32::FromDIB(*LoadBitmap(picture)); }

// Sends an event to a dialog's window outside any modal loop and routes it.
inline void SendTo(app::TForm& form, pw::EventType type, int32_t x = 0, int32_t y = 0, int32_t button = 0,
                   uint32_t key = 0) {
    pw::WindowEvent e;
    e.Type = type;
    e.WindowId = form.Window().Id();
    e.X = x, e.Y = y, e.Button = button, e.Key = key;
    pw::MainPump().Post(e);
    pw::MainPump().PumpPending();
}

// Game data assembled section by section.
struct GameData {
    std::vector<datagen::ContainerSection> sections;

    datagen::ContainerSection& Section(const std::string& name) {
        for (auto& s : sections)
            if (s.name == name) return s;
        sections.push_back({name, {}});
        return sections.back();
    }
    GameData& Entry(const std::string& section, const std::string& name, std::string bytes) {
        Section(section).entries.push_back({name, std::move(bytes)});
        return *this;
    }
    GameData& Picture(const std::string& name, const datagen::BmpPicture& picture, const std::string& after = {}) {
        return Entry("BMP", name, datagen::EncodeBmp(picture) + after);
    }
    GameData& Text(const std::string& key, const std::string& text) { return Entry("Strings", key, datagen::LenString(text)); }
    // The message box's pictures: a 433 x 290 shaped background and 96 x 30 buttons.
    GameData& MessageBoxPictures() {
        return Picture("Pal_MessageBox", datagen::EllipseBackground(433, 290))
            .Picture("Win_Button_Ok", datagen::ButtonSheet(96, 30))
            .Picture("Win_Button_Cancel", datagen::ButtonSheet(96, 30));
    }
};

class DialogTest : public AppTest {
protected:
    DialogTest() {
        env_.Set("SPRALLION_SHELL", "record:" + dir_.File("opened"));
        platform::clock::Install(&clock_);
        pw::SetHeadlessScreen(800, 600);
        pw::MainPump().PumpPending();  // nothing left over from earlier tests
    }
    ~DialogTest() override {
        // Steps not reached are dropped, then their timers run out harmlessly.
        *alive_ = false;
        clock_.Advance(1000000);
        pw::RunDueTimers();
        pw::MainPump().PumpPending();
        form_.reset();
        platform::clock::Install(nullptr);
        pw::TheClipboard().Clear();
    }

    // Writes the game data and opens it as the main form's container.
    void OpenData(const GameData& data) {
        const std::string file = dir_.File("game/Resource/Demo2.bif");
        datagen::WriteContainer(file, data.sections);
        form_->Resource = std::make_unique<engine::TGPResource>(file, rtl::fmOpenRead);
        form_->Resource->Open();
    }

    // A kernel whose mouse sprite shows.
    engine::TGPMouse& GiveMouse() {
        GiveDevices(*form_);
        auto mouse = std::make_unique<engine::TGPMouse>();
        engine::TGPMouse* m = mouse.get();
        m->Create(form_->Kernel.get(), 0);
        form_->Kernel->SetMouse(std::move(mouse));
        m->Show(nullptr);
        return *m;
    }

    // The main form's internet object: a fake that lives as long as the fixture.
    FakeInternet& GiveInternet() {
        internet_ = std::make_unique<FakeInternet>(clock_);
        internet_->AddRef();
        *form_->InternetGame.out() = internet_.get();
        return *internet_;
    }

    // Runs `action` `ms` of the clock after the previous step (the first: after now).
    void Then(uint32_t ms, std::function<void()> action) {
        scriptAt_ += ms;
        const int64_t delay = std::max<int64_t>(0, int64_t(scriptAt_) - int64_t(clock_.Now() - scriptStart_));
        pw::After(uint32_t(delay), [alive = alive_, action = std::move(action)] {
            if (*alive) action();
        });
    }
    // Events for the window that takes the input now.
    static void Post(pw::EventType type, int32_t x = 0, int32_t y = 0, int32_t button = 0, uint32_t key = 0,
                     uint32_t modifiers = 0) {
        pw::WindowEvent e;
        e.Type = type;
        e.WindowId = pw::MainPump().ModalWindow();
        e.X = x, e.Y = y, e.Button = button, e.Key = key, e.Modifiers = modifiers;
        pw::MainPump().Post(e);
    }
    static void Click(int32_t x, int32_t y, int32_t button = 0) {
        Post(pw::EventType::MouseMove, x, y);
        Post(pw::EventType::MouseDown, x, y, button);
        Post(pw::EventType::MouseUp, x, y, button);
    }
    static void Key(uint32_t key, uint32_t modifiers = 0) { Post(pw::EventType::KeyDown, 0, 0, 0, key, modifiers); }
    // The centre of a control of a dialog.
    template <typename C> static void ClickOn(const C& control) {
        Click(control.Left() + control.Width() / 2, control.Top() + control.Height() / 2);
    }

    // What the shell opened, one target a line.
    std::string Opened() const { return dir_.Read("opened"); }

    platform::clock::VirtualClock clock_{5000};
    std::unique_ptr<FakeInternet> internet_;  // outlives the main form, which releases it
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    uint32_t scriptStart_ = clock_.Now();
    uint32_t scriptAt_ = 0;
};

}  // namespace apptest
