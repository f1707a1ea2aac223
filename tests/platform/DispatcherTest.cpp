#include "platform/window/Application.h"
#include "platform/window/Dispatcher.h"

#include "rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace pw = platform::window;

TEST(Dispatcher, PostedWorkRunsInOrderOnlyWhenPumped) {
    pw::Dispatcher d;
    std::vector<int> ran;
    d.Post([&] { ran.push_back(1); });
    d.Post([&] {
        ran.push_back(2);
        d.Post([&] { ran.push_back(3); });  // queued by a job: waits for the next pump
    });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(d.PumpAll(), 2);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(d.PumpAll(), 1);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST(Dispatcher, SendOnTheMainThreadRunsAtOnceAndHonoursCancel) {
    pw::Dispatcher d;
    pw::HandOver channel;
    int ran = 0;
    EXPECT_EQ(d.SendAndWait([&] { ++ran; }, channel), pw::Dispatcher::SendResult::Ran);
    EXPECT_EQ(ran, 1);
    d.Cancel(channel);
    EXPECT_EQ(d.SendAndWait([&] { ++ran; }, channel), pw::Dispatcher::SendResult::Cancelled);
    EXPECT_EQ(ran, 1);
    d.Reopen(channel);
    EXPECT_FALSE(channel.Cancelled());
}

TEST(Dispatcher, WakeHookHearsOfQueuedWork) {
    pw::Dispatcher d;
    int wakes = 0;
    d.SetWakeHook([&] { ++wakes; });
    d.Post([] {});
    d.Post([] {});
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(d.Pending(), 2u);
    d.PumpAll();
    EXPECT_EQ(d.Pending(), 0u);
}

TEST(Application, FailuresOfPostedWorkReachTheExceptionHandler) {
    pw::Dispatcher d;
    std::vector<std::string> seen;
    pw::App().SetExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const rtl::Exception& x) {
            seen.push_back(std::string(x.className()) + ":" + x.message());
        }
    });
    d.Post([] { throw rtl::EListError("boom"); });
    d.Post([&] { seen.push_back("after"); });
    d.PumpAll();
    pw::App().SetExceptionHandler(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"EListError:boom", "after"}));
}

TEST(Application, ActivationHooksFollowTheFocus) {
    pw::Application app;
    std::vector<bool> heard;
    int id = app.AddActivateHook([&](bool a) { heard.push_back(a); });
    app.SetActive(false);
    EXPECT_FALSE(app.Active());
    app.SetActive(true);
    app.RemoveActivateHook(id);
    app.SetActive(false);
    EXPECT_EQ(heard, (std::vector<bool>{false, true}));
}
