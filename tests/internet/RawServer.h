// A server on 127.0.0.1 that speaks raw bytes, for the replies an HTTP library would not send:
// it closes every connection at once, holds them unanswered, drips a header that never ends (a
// status line, then a header line every 100 ms, 40 in all, unless the client hangs up first), or
// answers each request with the bytes a function makes of its target and closes. One
// connection at a time; every wait is bounded, so the server ends with its test.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace palvrek::testing {

class RawServer {
public:
    enum class Mode { Close, Stall, HeaderDrip, Answer };
    using Answerer = std::function<std::string(const std::string& target)>;

    explicit RawServer(Mode mode, Answerer answer = {}) : mode_(mode), answer_(std::move(answer)) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(fd_, 8);
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~RawServer() {
        stop_ = true;
        thread_.join();
        for (int c : held_) ::close(c);
        ::close(fd_);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int Port() const { return port_; }
    std::string Authority() const { return "127.0.0.1:" + std::to_string(port_); }
    int Accepted() const { return accepted_; }
    // A dripping header's connection: whether the client hung up before the server was done.
    bool ClientLeft() {
        for (int i = 0; i < 1000 && !dripped_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return left_;
    }
    // The answered requests whose target holds the text.
    int Requests(const std::string& text) {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count_if(targets_.begin(), targets_.end(),
                                              [&](const std::string& t) { return t.find(text) != std::string::npos; }));
    }

private:
    void Run() {
        // Bounded: the loop ends with the test, and waits at most 50 ms a turn.
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) continue;
            ++accepted_;
            switch (mode_) {
                case Mode::Close: {
                    char buf[1024];
                    (void)::recv(c, buf, sizeof buf, MSG_DONTWAIT);
                    ::close(c);
                    break;
                }
                case Mode::Stall: held_.push_back(c); break;
                case Mode::HeaderDrip: Drip(c); break;
                case Mode::Answer: Answer(c); break;
            }
        }
    }
    void Drip(int c) {
        char request[4096];
        (void)::recv(c, request, sizeof request, 0);
        std::string line = "HTTP/1.1 200 OK\r\n";
        for (int i = 0; i <= 40 && !left_ && !stop_; ++i) {
            left_ = ::send(c, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size());
            line = "X-Line-" + std::to_string(i) + ": more to come\r\n";
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ::close(c);
        dripped_ = true;
    }
    // Reads the request's head (within 2 s and 64 KiB), answers and closes.
    void Answer(int c) {
        std::string request;
        char buf[4096];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 && !stop_) {
            pollfd p{c, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) break;
            const ssize_t n = ::recv(c, buf, sizeof buf, 0);
            if (n <= 0) break;
            request.append(buf, static_cast<size_t>(n));
        }
        const size_t start = request.find(' ') + 1, end = request.find(' ', start);
        const std::string target = start > 0 && end != std::string::npos ? request.substr(start, end - start) : "";
        {
            std::lock_guard lock(mutex_);
            targets_.push_back(target);
        }
        const std::string reply = answer_ ? answer_(target) : std::string();
        (void)::send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
        ::close(c);
    }

    Mode mode_;
    Answerer answer_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::atomic<bool> left_{false}, dripped_{false};
    std::vector<int> held_;
    std::mutex mutex_;
    std::vector<std::string> targets_;
    std::thread thread_;
};

// A whole reply of status 200 with the body; without its length the reply ends where the
// connection closes.
inline std::string RawReply(const std::string& body, bool withLength = true) {
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
    if (withLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return head + "\r\n" + body;
}

}  // namespace palvrek::testing
