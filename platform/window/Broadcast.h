// Window messages between running copies of the game.
//
// Every copy that listens binds a datagram socket "<pid>.sock" in the runtime folder
// (platform/instance). A broadcast sends one datagram to each other socket there: the
// message's registered name (numbers are per process), wParam, lParam and the sender's
// process id. A socket that refuses (its process is gone) is removed. The listener's reader
// thread checks every datagram (magic, version, lengths, a registered name, the sender's
// credentials: this user, the stated process) and posts it to the main thread's dispatcher,
// which hands it to the delivery callback under this process's number for the name.
//
//   offset 0  "SPRM"   4  uint16 version (1)   6  uint16 name length N (1..255)
//          8  uint32 sender process id   12  uint64 wParam   20  int64 lParam   28  N name bytes
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace platform::window {

class Dispatcher;

inline constexpr uint32_t BSF_IGNORECURRENTTASK = 0x00000002;
inline constexpr uint32_t BSF_POSTMESSAGE = 0x00000010;
inline constexpr uint32_t BSM_APPLICATIONS = 0x00000008;

struct BroadcastDatagram {
    std::string Name;
    uint64_t WParam = 0;
    int64_t LParam = 0;
    uint32_t Sender = 0;
};

inline constexpr size_t kDatagramHeaderSize = 28;
inline constexpr size_t kMaxDatagramSize = kDatagramHeaderSize + 255;

// Empty when the name is no valid message name.
std::string EncodeBroadcastDatagram(const BroadcastDatagram& datagram);
// The datagram, or nothing when any part of it is wrong; never reads outside `bytes`.
std::optional<BroadcastDatagram> ParseBroadcastDatagram(std::string_view bytes);

// Posts a registered message to the other listening copies (BSF_IGNORECURRENTTASK skips this
// process's own socket). Answers how many sockets took the datagram, -1 when the message is
// not a registered one or nothing can be sent. `recipients` is answered with BSM_APPLICATIONS.
long BroadcastSystemMessage(uint32_t flags, uint32_t* recipients, uint32_t message, uintptr_t wParam, intptr_t lParam);

class BroadcastListener {
public:
    using Deliver = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

    // Binds this process's socket (replacing a stale file of the same name) and starts the
    // reader thread; nullptr with the reason in `error` when it cannot.
    static std::unique_ptr<BroadcastListener> Start(Deliver deliver, std::string* error = nullptr);
    static std::unique_ptr<BroadcastListener> Start(Deliver deliver, Dispatcher& dispatcher,
                                                    std::string* error = nullptr);
    // Stops the reader and removes the socket file; deliveries still queued are dropped.
    ~BroadcastListener();
    BroadcastListener(const BroadcastListener&) = delete;
    BroadcastListener& operator=(const BroadcastListener&) = delete;

    const std::string& SocketPath() const { return path_; }
    // Datagrams the checks refused.
    long Refused() const { return refused_.load(); }

private:
    struct Shared;
    BroadcastListener(int socket, int stopFd, std::string path, std::shared_ptr<Shared> shared, Dispatcher& dispatcher);
    void Run();
    void Receive();

    int socket_;
    int stopFd_;
    std::string path_;
    std::shared_ptr<Shared> shared_;
    Dispatcher& dispatcher_;
    std::atomic<long> refused_{0};
    std::thread reader_;
};

}  // namespace platform::window
