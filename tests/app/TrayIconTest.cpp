#include "app/cmpTrayIcon.h"
#include "tests/app/AppFixtures.h"

namespace {

namespace tray = platform::tray;
namespace pw = platform::window;

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() {
        pw::ClearTerminateRequest();
        icon_ = std::make_unique<app::TTrayIcon>(nullptr, [this](tray::Callback events) {
            auto area = std::make_unique<tray::RecordingArea>(std::move(events));
            area_ = area.get();
            return area;
        });
    }
    ~TrayIconTest() override { pw::ClearTerminateRequest(); }

    std::vector<uint32_t> Messages() const {
        std::vector<uint32_t> m;
        for (const auto& call : area_->Calls()) m.push_back(call.Message);
        return m;
    }

    tray::RecordingArea* area_ = nullptr;
    std::unique_ptr<app::TTrayIcon> icon_;
};

TEST_F(TrayIconTest, EnablingAddsOnceAndEachSetterModifiesOnlyWhatChanged) {
    EXPECT_FALSE(icon_->Enabled());
    EXPECT_TRUE(icon_->AutoShow);
    EXPECT_EQ(icon_->Icon(), app::ApplicationIcon());
    EXPECT_FALSE(icon_->Icon().Empty());
    EXPECT_TRUE(area_->Calls().empty());

    icon_->SetEnabled(true);
    icon_->SetEnabled(true);
    ASSERT_EQ(area_->Calls().size(), 1u);
    EXPECT_EQ(area_->Calls()[0].Message, tray::NIM_ADD);
    EXPECT_EQ(area_->Calls()[0].Data.Flags, tray::NIF_MESSAGE | tray::NIF_ICON | tray::NIF_TIP);
    EXPECT_EQ(area_->Calls()[0].Data.CallbackMessage, 0x600u);
    EXPECT_TRUE(icon_->Added());

    icon_->SetHint("Sprallion");
    icon_->SetHint("Sprallion");
    ASSERT_EQ(area_->Calls().size(), 2u);
    EXPECT_EQ(area_->Calls()[1].Message, tray::NIM_MODIFY);
    EXPECT_EQ(area_->Calls()[1].Data.Flags, tray::NIF_TIP);
    EXPECT_EQ(area_->Calls()[1].Data.Tip, "Sprallion");

    app::TIcon other = icon_->Icon();
    other.Image.Argb[0] ^= 1;
    icon_->SetIcon(other);
    icon_->SetIcon(other);
    ASSERT_EQ(area_->Calls().size(), 3u);
    EXPECT_EQ(area_->Calls()[2].Data.Flags, tray::NIF_ICON);
    EXPECT_EQ(area_->Calls()[2].Data.Icon, other.Image);

    icon_->SetEnabled(false);
    EXPECT_EQ(Messages().back(), tray::NIM_DELETE);
    EXPECT_FALSE(icon_->Added());
    EXPECT_FALSE(area_->Added());
}

TEST_F(TrayIconTest, WithoutAnIconNothingIsAddedAndDestroyingRemovesTheEntry) {
    icon_->SetIcon(app::TIcon{});
    icon_->SetEnabled(true);
    EXPECT_FALSE(icon_->Added());
    EXPECT_FALSE(area_->Added());
    icon_->SetIcon(app::ApplicationIcon());
    EXPECT_TRUE(icon_->Added());
    std::vector<uint32_t> seen;
    icon_ = std::make_unique<app::TTrayIcon>(nullptr, [&seen](tray::Callback events) {
        // A recorder that outlives the icon's area, so its last call can be seen.
        struct Spy : tray::NotifyArea {
            std::vector<uint32_t>* seen;
            const char* Name() const override { return "spy"; }
            bool Notify(uint32_t message, const tray::NotifyIconData&) override {
                seen->push_back(message);
                return true;
            }
        };
        (void)events;
        auto spy = std::make_unique<Spy>();
        spy->seen = &seen;
        return spy;
    });
    icon_->SetEnabled(true);
    icon_.reset();
    EXPECT_EQ(seen, (std::vector<uint32_t>{tray::NIM_ADD, tray::NIM_DELETE}));
}

TEST_F(TrayIconTest, EachEventFiresItsHandler) {
    std::vector<std::string> fired;
    auto record = [&](const char* name) { return [&fired, name](void*) { fired.push_back(name); }; };
    icon_->OnMouseMove = record("move");
    icon_->OnLeftBtnClick = record("left");
    icon_->OnClick = record("click");
    icon_->OnLeftBtnDblClick = record("double");
    icon_->OnRightBtnClick = record("right");
    app::TPopupMenu menu;
    menu.Items.push_back({"Show", false, record("first item")});
    menu.Items.push_back({"Quit", false, record("second item")});
    icon_->PopupMenu = &menu;

    for (uint32_t m : {tray::WM_MOUSEMOVE, tray::WM_LBUTTONDOWN, tray::WM_LBUTTONUP, tray::WM_LBUTTONDBLCLK}) area_->Inject(m);
    area_->Inject(tray::WM_RBUTTONDOWN, 640, 12);
    EXPECT_EQ(fired, (std::vector<std::string>{"move", "left", "click", "double", "first item", "right"}));
    EXPECT_EQ(menu.Popups, 1);
    EXPECT_EQ(menu.PopupX, 640);
    EXPECT_EQ(menu.PopupY, 12);
    EXPECT_TRUE(menu.Items[0].Default);

    fired.clear();
    icon_->AutoShow = false;
    menu.Items[0].Default = false;
    area_->Inject(tray::WM_LBUTTONDBLCLK);
    area_->Inject(tray::WM_RBUTTONDOWN);
    EXPECT_EQ(fired, (std::vector<std::string>{"double", "right"}));
    EXPECT_FALSE(menu.Items[0].Default);
    EXPECT_EQ(menu.Popups, 2);

    EXPECT_FALSE(pw::TerminateRequested());
    area_->Inject(app::TTrayIcon::kCloseRequest);
    EXPECT_TRUE(pw::TerminateRequested());
    // Other window messages take the hidden window's own way.
    icon_->Window().Perform(platform::display::WM_SYSCOMMAND, platform::display::SC_MINIMIZE);
    EXPECT_EQ(icon_->Window().State, platform::display::WindowState::Minimized);
}

using MainFormTrayTest = apptest::AppTest;

TEST_F(MainFormTrayTest, TheMainFormsIconStaysOutOfTheNotificationArea) {
    form_->CreateTrayIcon();
    ASSERT_TRUE(form_->TrayIcon);
    EXPECT_EQ(form_->TrayIcon->Icon(), form_->Icon);
    EXPECT_FALSE(form_->TrayIcon->Enabled());
    EXPECT_FALSE(form_->TrayIcon->Added());
    EXPECT_STREQ(form_->TrayIcon->Area().Name(), "record");
    ASSERT_TRUE(form_->TrayIcon->OnClick);
    form_->TrayIcon->OnClick(form_->TrayIcon.get());
}

}  // namespace
