// A loopback HTTP server for the library's tests: routes by path on 127.0.0.1 and a free port,
// records what was asked, and can send a body slowly. Every slow handler wakes when the server
// stops, so no handler outlives its test.
#pragma once

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace palvrek::testing {

class LoopbackServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    LoopbackServer() {
        // A client that gives up closes its end while a handler still writes.
        std::signal(SIGPIPE, SIG_IGN);
        server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            Handler handler;
            {
                std::lock_guard lock(mutex_);
                paths_.push_back(req.path);
                auto it = routes_.find(req.path);
                if (it != routes_.end()) handler = it->second;
            }
            if (handler) {
                handler(req, res);
            } else {
                res.status = 404;
                res.set_content("not here", "text/plain");
            }
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 200 && !server_.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~LoopbackServer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        server_.stop();
        thread_.join();
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }
    std::string Authority() const { return "127.0.0.1:" + std::to_string(port_); }

    void On(const std::string& path, Handler handler) {
        std::lock_guard lock(mutex_);
        routes_[path] = std::move(handler);
    }
    // A fixed reply.
    void Reply(const std::string& path, std::string body, int status = 200) {
        On(path, [body = std::move(body), status](const httplib::Request&, httplib::Response& res) {
            res.status = status;
            res.set_content(body, "application/octet-stream");
        });
    }
    // The body in pieces of `piece` bytes, `pause` apart (after `delay` before the first).
    void Trickle(const std::string& path, std::string body, size_t piece, std::chrono::milliseconds pause,
                 std::chrono::milliseconds delay = std::chrono::milliseconds(0)) {
        On(path, [this, body = std::move(body), piece, pause, delay](const httplib::Request&, httplib::Response& res) {
            if (!Wait(delay)) return;
            res.set_content_provider(body.size(), "application/octet-stream",
                                     [this, body, piece, pause](size_t offset, size_t length, httplib::DataSink& sink) {
                                         const size_t n = std::min(piece, length);
                                         if (!sink.write(body.data() + offset, n)) return false;
                                         return Wait(pause);
                                     });
        });
    }
    // Waits, or ends early when the server stops; false then.
    bool Wait(std::chrono::milliseconds time) {
        std::unique_lock lock(mutex_);
        return !wake_.wait_for(lock, time, [this] { return stopping_; });
    }

    int Requests(const std::string& path) {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count(paths_.begin(), paths_.end(), path));
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::map<std::string, Handler> routes_;
    std::vector<std::string> paths_;
};

}  // namespace palvrek::testing
