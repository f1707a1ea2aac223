// The broadcast listener's reader thread against senders and the main thread's pump.
#include "platform/window/Broadcast.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/RegisteredMessages.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

namespace pw = platform::window;

namespace {

class RuntimeFolder {
public:
    RuntimeFolder() {
        char pattern[] = "/tmp/sprallion-threads-XXXXXX";
        path_ = ::mkdtemp(pattern);
        ::setenv("SPRALLION_RUNTIME_DIR", path_.c_str(), 1);
    }
    ~RuntimeFolder() {
        ::unsetenv("SPRALLION_RUNTIME_DIR");
        std::filesystem::remove_all(path_);
    }

private:
    std::string path_;
};

}  // namespace

TEST(BroadcastThreads, SendersReaderAndPumpMeetOnlyThroughTheQueue) {
    RuntimeFolder folder;
    pw::Dispatcher main;
    std::vector<uintptr_t> received;  // main thread only
    const uint32_t message = pw::RegisterWindowMessage("threads_Message");
    auto listener = pw::BroadcastListener::Start(
        [&](uint32_t msg, uintptr_t w, intptr_t) {
            if (msg == message) received.push_back(w);
        },
        main);
    ASSERT_TRUE(listener);

    constexpr int kSenders = 4, kEach = 50;
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s)
        senders.emplace_back([&, s] {
            // Registering from other threads at the same time is safe too.
            pw::RegisterWindowMessage("threads_Other" + std::to_string(s));
            for (int i = 0; i < kEach; ++i)
                while (pw::BroadcastSystemMessage(pw::BSF_POSTMESSAGE, nullptr, message, uintptr_t(s * 1000 + i), 0) != 1)
                    std::this_thread::yield();  // the socket's queue was full: send again
        });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (received.size() < size_t(kSenders * kEach) && std::chrono::steady_clock::now() < deadline) main.PumpOne(100);
    for (auto& t : senders) t.join();
    ASSERT_EQ(received.size(), size_t(kSenders * kEach));
    EXPECT_EQ(std::set<uintptr_t>(received.begin(), received.end()).size(), received.size());
}

TEST(BroadcastThreads, EndingTheListenerWhileDatagramsArriveIsClean) {
    RuntimeFolder folder;
    const uint32_t message = pw::RegisterWindowMessage("threads_Message");
    for (int round = 0; round < 20; ++round) {
        pw::Dispatcher main;
        std::atomic<bool> stop{false};
        int delivered = 0;
        auto listener = pw::BroadcastListener::Start([&](uint32_t, uintptr_t, intptr_t) { ++delivered; }, main);
        ASSERT_TRUE(listener);
        std::thread sender([&] {
            while (!stop) pw::BroadcastSystemMessage(pw::BSF_POSTMESSAGE, nullptr, message, 0, 0);
        });
        main.PumpAll();
        listener.reset();
        const int before = delivered;
        stop = true;
        sender.join();
        main.PumpAll();  // what was queued for the ended listener is dropped
        EXPECT_EQ(delivered, before);
    }
}
