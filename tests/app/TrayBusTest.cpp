#include <filesystem>

#include "app/cmpTrayIcon.h"
#include "platform/window/Dispatcher.h"
#include "tests/app/AppFixtures.h"
#include "tests/app/SessionBus.h"

namespace {

namespace pw = platform::window;

class TrayBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bus_.Address().size()) GTEST_SKIP() << "no dbus-daemon to run a private session bus";
        env_.Set("DBUS_SESSION_BUS_ADDRESS", bus_.Address());
        env_.Set("SPRALLION_TRAY", "dbus");
    }

    template <class F> bool Eventually(F done) {
        return testproc::WaitFor([&] {
            pw::MainDispatcher().PumpAll();
            return done();
        });
    }

    bustest::PrivateBus bus_;
    testproc::ScopedEnv env_;
};

TEST_F(TrayBusTest, TheItemRegistersShowsItsTipAndIconAndLeaves) {
    bustest::Watcher watcher(bus_.Address());
    ASSERT_TRUE(watcher.Ok());
    bustest::Host host(bus_.Address());
    std::vector<std::string> fired;
    auto icon = std::make_unique<app::TTrayIcon>(nullptr);
    ASSERT_STREQ(icon->Area().Name(), "dbus");
    icon->OnLeftBtnClick = [&](void*) { fired.push_back("left"); };
    icon->OnClick = [&](void*) { fired.push_back("click"); };
    icon->OnLeftBtnDblClick = [&](void*) { fired.push_back("double"); };
    icon->OnRightBtnClick = [&](void*) { fired.push_back("right"); };
    icon->SetHint("Sprallion");
    EXPECT_TRUE(watcher.Registered().empty());

    icon->SetEnabled(true);
    ASSERT_TRUE(Eventually([&] { return watcher.Registered().size() == 1; }));
    const std::string service = watcher.Registered()[0];
    std::string title;
    int32_t w = 0, h = 0;
    int bytes = 0;
    ASSERT_TRUE(host.ToolTip(service, title, w, h, bytes));
    EXPECT_EQ(title, "Sprallion");
    EXPECT_EQ(w, 32);
    EXPECT_EQ(bytes, 32 * 32 * 4);
    ASSERT_TRUE(host.IconPixmap(service, w, h, bytes));
    EXPECT_EQ(h, 32);
    EXPECT_EQ(bytes, 32 * 32 * 4);

    icon->SetHint("\xCC\xFF\xF7");  // Cyrillic in the game's 8-bit text
    ASSERT_TRUE(Eventually([&] { return !watcher.Signals().empty(); }));
    EXPECT_EQ(watcher.Signals(), std::vector<std::string>{"NewToolTip"});
    ASSERT_TRUE(host.ToolTip(service, title, w, h, bytes));
    EXPECT_EQ(title, "\xD0\x9C\xD1\x8F\xD1\x87");

    ASSERT_TRUE(host.Call(service, "Activate", 10, 20));
    ASSERT_TRUE(Eventually([&] { return fired.size() == 2; }));
    EXPECT_EQ(fired, (std::vector<std::string>{"left", "click"}));
    ASSERT_TRUE(host.Call(service, "Activate", 10, 20));  // within half a second: a double click
    ASSERT_TRUE(host.Call(service, "ContextMenu", 30, 40));
    ASSERT_TRUE(Eventually([&] { return fired.size() == 5; }));
    EXPECT_EQ(fired, (std::vector<std::string>{"left", "click", "double", "click", "right"}));

    icon->SetEnabled(false);
    ASSERT_TRUE(Eventually([&] { return watcher.Left().size() == 1; }));
    EXPECT_EQ(watcher.Left()[0], service);
    icon->SetEnabled(true);
    ASSERT_TRUE(Eventually([&] { return watcher.Registered().size() == 2; }));
    icon.reset();
    ASSERT_TRUE(Eventually([&] { return watcher.Left().size() == 2; }));
    EXPECT_EQ(watcher.Left()[1], watcher.Registered()[1]);
}

TEST_F(TrayBusTest, TheItemRegistersAgainWhenAWatcherAppears) {
    app::TTrayIcon icon(nullptr);
    icon.SetEnabled(true);  // no watcher yet: the item waits on the bus
    EXPECT_TRUE(icon.Added());
    bustest::Watcher watcher(bus_.Address());
    ASSERT_TRUE(watcher.Ok());
    EXPECT_TRUE(Eventually([&] { return watcher.Registered().size() == 1; }));
}

using NoBusTest = apptest::AppTest;

TEST_F(NoBusTest, WithoutASessionBusOrWithAHungOneTheTrayWritesOneLogLine) {
    testproc::ScopedEnv env("SPRALLION_TRAY", "dbus");
    env.Unset("DBUS_SESSION_BUS_ADDRESS");
    env.Unset("XDG_RUNTIME_DIR");
    form_->CreateTrayIcon();
    EXPECT_EQ(Log(), "") << "an icon not shown does not look for the bus";
    form_->TrayIcon->SetEnabled(true);
    form_->TrayIcon->SetHint("x");
    EXPECT_EQ(Log(), "Class TTrayIcon with message 'Tray: no session bus; the notification icon is not shown'.\r\n");

    // A bus that takes the connection and never answers: the icon gives up after a while.
    bustest::SilentBus hung(dir_.File("bus"));
    env.Set("DBUS_SESSION_BUS_ADDRESS", hung.Address());
    std::filesystem::remove(LogFile());
    form_->CreateTrayIcon();
    form_->TrayIcon->SetEnabled(true);
    form_->TrayIcon->SetHint("y");
    EXPECT_FALSE(form_->TrayIcon->Area().Notify(platform::tray::NIM_DELETE, {}));
    EXPECT_EQ(Log(), "Class TTrayIcon with message 'Tray: no session bus (it does not answer); the notification icon "
                     "is not shown'.\r\n");
}

}  // namespace
