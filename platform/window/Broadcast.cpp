#include "platform/window/Broadcast.h"

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/instance/RuntimeFolder.h"
#include "platform/window/Dispatcher.h"
#include "platform/window/RegisteredMessages.h"

namespace platform::window {
namespace {

constexpr char kMagic[4] = {'S', 'P', 'R', 'M'};
constexpr uint16_t kVersion = 1;

void Put(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

uint64_t Get(std::string_view in, size_t at, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<uint64_t>(static_cast<uint8_t>(in[at + i])) << (8 * i);
    return v;
}

bool Address(const std::string& path, sockaddr_un& addr) {
    addr = {};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// "<digits>.sock": the process id, else 0.
long SocketOwner(const char* fileName) {
    const size_t n = std::strlen(fileName);
    if (n < 6 || std::strcmp(fileName + n - 5, ".sock") != 0) return 0;
    long pid = 0;
    for (size_t i = 0; i + 5 < n; ++i) {
        if (fileName[i] < '0' || fileName[i] > '9' || pid > 100000000) return 0;
        pid = pid * 10 + (fileName[i] - '0');
    }
    return pid;
}

}  // namespace

std::string EncodeBroadcastDatagram(const BroadcastDatagram& d) {
    if (!ValidMessageName(d.Name)) return {};
    std::string out(kMagic, sizeof kMagic);
    Put(out, kVersion, 2);
    Put(out, d.Name.size(), 2);
    Put(out, d.Sender, 4);
    Put(out, d.WParam, 8);
    Put(out, static_cast<uint64_t>(d.LParam), 8);
    out += d.Name;
    return out;
}

std::optional<BroadcastDatagram> ParseBroadcastDatagram(std::string_view bytes) {
    if (bytes.size() < kDatagramHeaderSize || bytes.size() > kMaxDatagramSize) return std::nullopt;
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0 || Get(bytes, 4, 2) != kVersion) return std::nullopt;
    const size_t length = Get(bytes, 6, 2);
    if (bytes.size() != kDatagramHeaderSize + length) return std::nullopt;
    BroadcastDatagram d;
    d.Name.assign(bytes.substr(kDatagramHeaderSize, length));
    if (!ValidMessageName(d.Name)) return std::nullopt;
    d.Sender = static_cast<uint32_t>(Get(bytes, 8, 4));
    d.WParam = Get(bytes, 12, 8);
    d.LParam = static_cast<int64_t>(Get(bytes, 20, 8));
    return d;
}

long BroadcastSystemMessage(uint32_t flags, uint32_t* recipients, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (recipients) *recipients = BSM_APPLICATIONS;
    const auto name = RegisteredMessageName(message);
    if (!name) return -1;
    const std::string folder = instance::RuntimeFolder();
    if (folder.empty()) return -1;
    const std::string datagram = EncodeBroadcastDatagram(
        {*name, static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam), static_cast<uint32_t>(::getpid())});
    if (datagram.empty()) return -1;

    std::vector<std::string> sockets;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const long owner = SocketOwner(entry->d_name);
            if (owner == 0) continue;
            if ((flags & BSF_IGNORECURRENTTASK) && owner == ::getpid()) continue;
            sockets.push_back(folder + "/" + entry->d_name);
        }
        ::closedir(dir);
    } else {
        return -1;
    }

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    long reached = 0;
    for (const std::string& path : sockets) {
        sockaddr_un addr;
        if (!Address(path, addr)) continue;
        ssize_t sent;
        while ((sent = ::sendto(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&addr), sizeof addr)) < 0 &&
               errno == EINTR) {
        }
        if (sent == static_cast<ssize_t>(datagram.size())) {
            ++reached;
        } else if (errno == ECONNREFUSED) {
            ::unlink(path.c_str());  // nobody listens there any more
        }
    }
    ::close(fd);
    return reached;
}

// What the queued deliveries share with the listener: they run only while it lives.
struct BroadcastListener::Shared {
    std::mutex mutex;
    bool alive = true;
    Deliver deliver;
};

std::unique_ptr<BroadcastListener> BroadcastListener::Start(Deliver deliver, std::string* error) {
    return Start(std::move(deliver), MainDispatcher(), error);
}

std::unique_ptr<BroadcastListener> BroadcastListener::Start(Deliver deliver, Dispatcher& dispatcher,
                                                            std::string* error) {
    auto fail = [&](const std::string& text) {
        if (error) *error = text;
        return std::unique_ptr<BroadcastListener>();
    };
    std::string folderError;
    const std::string folder = instance::RuntimeFolder(&folderError);
    if (folder.empty()) return fail(folderError);
    const std::string path = folder + "/" + std::to_string(::getpid()) + ".sock";
    sockaddr_un addr;
    if (!Address(path, addr)) return fail(path + ": path too long");

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return fail(std::string("socket: ") + std::strerror(errno));
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
    ::unlink(path.c_str());  // a file left by an earlier process with this id
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        const std::string text = path + ": " + std::strerror(errno);
        ::close(fd);
        return fail(text);
    }
    const int stop = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop < 0) {
        ::close(fd);
        ::unlink(path.c_str());
        return fail(std::string("eventfd: ") + std::strerror(errno));
    }
    auto shared = std::make_shared<Shared>();
    shared->deliver = std::move(deliver);
    std::unique_ptr<BroadcastListener> listener(new BroadcastListener(fd, stop, path, shared, dispatcher));
    listener->reader_ = std::thread([l = listener.get()] { l->Run(); });
    return listener;
}

BroadcastListener::BroadcastListener(int socket, int stopFd, std::string path, std::shared_ptr<Shared> shared,
                                     Dispatcher& dispatcher)
    : socket_(socket), stopFd_(stopFd), path_(std::move(path)), shared_(std::move(shared)), dispatcher_(dispatcher) {}

BroadcastListener::~BroadcastListener() {
    const uint64_t one = 1;
    if (::write(stopFd_, &one, sizeof one) < 0) {
        // The counter cannot overflow with one write; the reader also stops on close below.
    }
    if (reader_.joinable()) reader_.join();
    {
        std::lock_guard lock(shared_->mutex);
        shared_->alive = false;
    }
    ::unlink(path_.c_str());
    ::close(socket_);
    ::close(stopFd_);
}

void BroadcastListener::Run() {
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (fds[0].revents & POLLIN) Receive();
        else if (fds[0].revents) return;
    }
}

void BroadcastListener::Receive() {
    char buffer[kMaxDatagramSize + 1];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    iovec iov{buffer, sizeof buffer};
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(socket_, &msg, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    if (n < 0) return;
    const ucred* cred = nullptr;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS && c->cmsg_len == CMSG_LEN(sizeof(ucred)))
            cred = reinterpret_cast<const ucred*>(CMSG_DATA(c));
    const auto datagram = (msg.msg_flags & MSG_TRUNC) ? std::nullopt
                                                       : ParseBroadcastDatagram(std::string_view(buffer, size_t(n)));
    const uint32_t message = datagram ? FindRegisteredMessage(datagram->Name) : 0;
    if (!datagram || message == 0 || !cred || cred->uid != ::geteuid() ||
        static_cast<uint32_t>(cred->pid) != datagram->Sender) {
        ++refused_;
        return;
    }
    dispatcher_.Post([shared = shared_, message, w = datagram->WParam, l = datagram->LParam] {
        Deliver deliver;
        {
            std::lock_guard lock(shared->mutex);
            if (!shared->alive) return;
            deliver = shared->deliver;
        }
        if (deliver) deliver(message, static_cast<uintptr_t>(w), static_cast<intptr_t>(l));
    });
}

}  // namespace platform::window
