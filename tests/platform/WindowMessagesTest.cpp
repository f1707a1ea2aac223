#include "platform/window/Broadcast.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/MessageBox.h"
#include "platform/window/RegisteredMessages.h"
#include "platform/window/Terminate.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <filesystem>

#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace pw = platform::window;

TEST(RegisteredMessages, OneStableNumberPerNameInTheRegisteredRange) {
    const uint32_t restore = pw::RegisterWindowMessage("test_Restore");
    const uint32_t other = pw::RegisterWindowMessage("test_Other");
    EXPECT_GE(restore, pw::kFirstRegisteredMessage);
    EXPECT_LE(restore, pw::kLastRegisteredMessage);
    EXPECT_NE(restore, other);
    EXPECT_EQ(pw::RegisterWindowMessage("test_Restore"), restore);
    EXPECT_EQ(pw::RegisterWindowMessage("TEST_restore"), restore);  // the case does not count
    EXPECT_EQ(pw::FindRegisteredMessage("Test_Restore"), restore);
    EXPECT_EQ(pw::RegisteredMessageName(restore), "test_Restore");
    EXPECT_EQ(pw::FindRegisteredMessage("test_NeverRegistered"), 0u);
    EXPECT_FALSE(pw::RegisteredMessageName(0x400).has_value());
    for (std::string bad : {std::string(), std::string(256, 'x'), std::string("a\nb"), std::string("a\0b", 3)})
        EXPECT_EQ(pw::RegisterWindowMessage(bad), 0u);
    EXPECT_NE(pw::RegisterWindowMessage(std::string(255, 'y')), 0u);
}

TEST(BroadcastDatagram, EncodesAndRefusesEveryDamagedForm) {
    const pw::BroadcastDatagram sent{"sprallion_Restore", 0x1122334455667788ull, -5, 4242};
    const std::string bytes = pw::EncodeBroadcastDatagram(sent);
    ASSERT_EQ(bytes.size(), pw::kDatagramHeaderSize + 17);
    EXPECT_EQ(bytes.substr(0, 4), "SPRM");
    const auto back = pw::ParseBroadcastDatagram(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Name, sent.Name);
    EXPECT_EQ(back->WParam, sent.WParam);
    EXPECT_EQ(back->LParam, sent.LParam);
    EXPECT_EQ(back->Sender, sent.Sender);

    auto damaged = [&](size_t at, char value) {
        std::string b = bytes;
        b[at] = value;
        return b;
    };
    EXPECT_FALSE(pw::ParseBroadcastDatagram(damaged(0, 'X')));         // magic
    EXPECT_FALSE(pw::ParseBroadcastDatagram(damaged(4, 2)));           // version
    EXPECT_FALSE(pw::ParseBroadcastDatagram(damaged(6, 16)));          // stated length shorter
    EXPECT_FALSE(pw::ParseBroadcastDatagram(damaged(7, 1)));           // stated length far longer
    EXPECT_FALSE(pw::ParseBroadcastDatagram(damaged(pw::kDatagramHeaderSize, '\n')));  // control character
    EXPECT_FALSE(pw::ParseBroadcastDatagram(bytes.substr(0, bytes.size() - 1)));
    EXPECT_FALSE(pw::ParseBroadcastDatagram(bytes + "x"));
    EXPECT_FALSE(pw::ParseBroadcastDatagram(bytes.substr(0, 10)));
    EXPECT_FALSE(pw::ParseBroadcastDatagram(""));
    EXPECT_TRUE(pw::EncodeBroadcastDatagram({"", 0, 0, 1}).empty());
}

class BroadcastTest : public ::testing::Test {
protected:
    BroadcastTest() : env_("SPRALLION_RUNTIME_DIR", dir_.File("run")) {}

    // Pumps the main dispatcher until `count` messages arrived or time runs out.
    bool Receive(size_t count) {
        return testproc::WaitFor([&] {
            pw::MainDispatcher().PumpAll();
            return received_.size() >= count;
        });
    }

    std::unique_ptr<pw::BroadcastListener> Listen() {
        return pw::BroadcastListener::Start([this](uint32_t msg, uintptr_t w, intptr_t l) { received_.push_back({msg, w, l}); });
    }

    struct Received {
        uint32_t msg;
        uintptr_t w;
        intptr_t l;
    };
    TempDir dir_;
    testproc::ScopedEnv env_;
    std::vector<Received> received_;
};

TEST_F(BroadcastTest, ReachesTheOtherCopyUnderItsOwnNumber) {
    const uint32_t restore = pw::RegisterWindowMessage("sprallion_Restore");
    auto listener = Listen();
    ASSERT_TRUE(listener);
    EXPECT_EQ(listener->SocketPath(), dir_.File("run/") + std::to_string(::getpid()) + ".sock");
    const pid_t sender = testproc::Fork([&] {
        uint32_t recipients = 0;
        const long n = pw::BroadcastSystemMessage(pw::BSF_IGNORECURRENTTASK | pw::BSF_POSTMESSAGE, &recipients, restore, 7, -9);
        return n == 1 && recipients == pw::BSM_APPLICATIONS ? 0 : 1;
    });
    EXPECT_EQ(testproc::WaitExit(sender), 0);
    ASSERT_TRUE(Receive(1));
    EXPECT_EQ(received_[0].msg, restore);
    EXPECT_EQ(received_[0].w, 7u);
    EXPECT_EQ(received_[0].l, -9);
}

TEST_F(BroadcastTest, SkipsItsOwnSocketOnRequestAndOnlyRegisteredMessagesTravel) {
    const uint32_t restore = pw::RegisterWindowMessage("sprallion_Restore");
    auto listener = Listen();
    ASSERT_TRUE(listener);
    EXPECT_EQ(pw::BroadcastSystemMessage(pw::BSF_IGNORECURRENTTASK | pw::BSF_POSTMESSAGE, nullptr, restore, 0, 0), 0);
    EXPECT_EQ(pw::BroadcastSystemMessage(pw::BSF_POSTMESSAGE, nullptr, restore, 1, 2), 1);
    ASSERT_TRUE(Receive(1));
    EXPECT_EQ(received_[0].msg, restore);
    EXPECT_EQ(pw::BroadcastSystemMessage(pw::BSF_POSTMESSAGE, nullptr, 0x0400, 0, 0), -1);  // no name to send
}

TEST_F(BroadcastTest, SocketsThatRefuseAreRemoved) {
    const uint32_t restore = pw::RegisterWindowMessage("sprallion_Restore");
    auto listener = Listen();  // makes the folder
    ASSERT_TRUE(listener);
    // A socket file whose process is gone.
    const std::string stale = dir_.File("run/999999.sock");
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, stale.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    dir_.Write("run/notes.txt", "not a socket");
    ASSERT_TRUE(std::filesystem::exists(stale));
    EXPECT_EQ(pw::BroadcastSystemMessage(pw::BSF_IGNORECURRENTTASK | pw::BSF_POSTMESSAGE, nullptr, restore, 0, 0), 0);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(dir_.File("run/notes.txt")));
}

TEST_F(BroadcastTest, TheReaderRefusesForgedAndUnknownDatagrams) {
    pw::RegisterWindowMessage("sprallion_Restore");
    auto listener = Listen();
    ASSERT_TRUE(listener);
    auto send = [&](const std::string& bytes) {
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, listener->SocketPath().c_str());
        const auto n = ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::close(fd);
        return n == static_cast<ssize_t>(bytes.size());
    };
    const auto self = static_cast<uint32_t>(::getpid());
    ASSERT_TRUE(send(pw::EncodeBroadcastDatagram({"sprallion_Restore", 0, 0, self + 1})));  // another sender's id
    ASSERT_TRUE(send(pw::EncodeBroadcastDatagram({"sprallion_Unknown", 0, 0, self})));      // not registered here
    ASSERT_TRUE(send("SPRM garbage"));
    ASSERT_TRUE(send(std::string(1000, 'x')));  // longer than any datagram
    ASSERT_TRUE(testproc::WaitFor([&] { return listener->Refused() == 4; }));
    ASSERT_TRUE(send(pw::EncodeBroadcastDatagram({"SPRALLION_RESTORE", 3, 4, self})));
    ASSERT_TRUE(Receive(1));
    EXPECT_EQ(received_.size(), 1u);
    EXPECT_EQ(received_[0].w, 3u);
}

TEST_F(BroadcastTest, AnEndedListenerLeavesNoSocketAndDropsWhatIsQueued) {
    const uint32_t restore = pw::RegisterWindowMessage("sprallion_Restore");
    auto listener = Listen();
    ASSERT_TRUE(listener);
    const std::string path = listener->SocketPath();
    EXPECT_EQ(pw::BroadcastSystemMessage(pw::BSF_POSTMESSAGE, nullptr, restore, 0, 0), 1);
    ASSERT_TRUE(testproc::WaitFor([] { return pw::MainDispatcher().Pending() > 0; }));
    listener.reset();
    EXPECT_FALSE(std::filesystem::exists(path));
    pw::MainDispatcher().PumpAll();
    EXPECT_TRUE(received_.empty());
    // A stale file of this process's id is replaced by the next listener.
    dir_.Write("run/" + std::to_string(::getpid()) + ".sock", "left over");
    EXPECT_TRUE(Listen());
}

TEST(MessageBox, HeadlessBoxesAreRecordedAndAnsweredOk) {
    pw::ClearRecordedMessageBoxes();
    EXPECT_EQ(pw::MessageBox("Text", "Caption", pw::MB_ICONERROR), pw::IDOK);
    const auto shown = pw::RecordedMessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "Text");
    EXPECT_EQ(shown[0].Caption, "Caption");
    EXPECT_EQ(shown[0].Flags, pw::MB_ICONERROR);
    pw::ClearRecordedMessageBoxes();
}

TEST(Terminate, ARequestIsKeptAndWakesThePump) {
    int woken = 0;
    pw::SetTerminateHook([&] { ++woken; });
    pw::ClearTerminateRequest();
    EXPECT_FALSE(pw::TerminateRequested());
    pw::RequestTerminate();
    EXPECT_TRUE(pw::TerminateRequested());
    EXPECT_EQ(woken, 1);
    pw::SetTerminateHook({});
    pw::ClearTerminateRequest();
}
