// The notification area on the session D-Bus: one StatusNotifierItem per area.
//
// A thread of its own owns the bus connection: it makes the connection, carries out the
// area's calls (queued by Notify, which waits for the answer), answers the host's method calls
// and property reads, and watches for the watcher's coming and going. The thread starts, and
// the bus is reached, only when an icon is first added: an area whose icon never shows never
// touches the bus. Nothing waits on the bus without a time-out, the start of the connection
// (its authentication and the bus's greeting) included, and the thread's waits end when the
// area goes.
#include <dbus/dbus.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "platform/tray/Tray.h"
#include "platform/tray/TrayItem.h"
#include "platform/window/Dispatcher.h"

namespace platform::tray {
namespace {

constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr int kConnectTimeoutMs = 2000;
constexpr int kCallTimeoutMs = 2000;

uint64_t SteadyNs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

// The session bus's address: the environment's, else the user bus of the runtime folder.
// Never "autolaunch:", which would start a bus of its own.
std::string SessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return address;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const std::string path = std::string(runtime) + "/bus";
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) return "unix:path=" + path;
    }
    return {};
}

class DbusArea final : public NotifyArea {
public:
    DbusArea(Callback callback, std::function<void(const std::string&)> log)
        : shared_(std::make_shared<Shared>()), log_(std::move(log)) {
        shared_->callback = std::move(callback);
        wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    }

    ~DbusArea() override {
        stop_.store(true);
        Wake();
        if (thread_.joinable()) thread_.join();
        {
            std::lock_guard lock(shared_->mutex);
            shared_->alive = false;
        }
        if (wake_ >= 0) ::close(wake_);
    }

    const char* Name() const override { return "dbus"; }

    bool Notify(uint32_t message, const NotifyIconData& data) override {
        std::packaged_task<bool()> task([this, message, data] { return Apply(message, data); });
        auto answer = task.get_future();
        {
            std::lock_guard lock(queueMutex_);
            if (closed_) return false;
            if (!thread_.joinable()) {
                if (message != NIM_ADD) return false;  // nothing was ever added
                thread_ = std::thread([this] { Run(); });
            }
            queue_.push_back(std::move(task));
        }
        Wake();
        if (answer.wait_for(std::chrono::milliseconds(kConnectTimeoutMs + 3 * kCallTimeoutMs)) !=
            std::future_status::ready)
            return false;
        return answer.get();
    }

private:
    struct Shared {
        std::mutex mutex;
        bool alive = true;
        Callback callback;
    };

    void Log(const std::string& line) {
        if (log_)
            log_(line);
        else
            std::fprintf(stderr, "%s\n", line.c_str());
    }

    void Wake() {
        const uint64_t one = 1;
        if (wake_ >= 0 && ::write(wake_, &one, sizeof one) < 0) {
            // A full counter already wakes the thread.
        }
    }

    // ---- the bus thread ----

    void DrainWake() {
        uint64_t count = 0;
        if (::read(wake_, &count, sizeof count) < 0) {
            // Nothing was pending.
        }
    }

    void Run() {
        Connect();
        if (!connection_) {
            Close();
            return;
        }
        int fd = -1;
        dbus_connection_get_unix_fd(connection_, &fd);
        while (!stop_.load() && dbus_connection_get_is_connected(connection_)) {
            pollfd fds[2] = {{fd, POLLIN, 0}, {wake_, POLLIN, 0}};
            ::poll(fds, 2, 250);
            if (fds[1].revents & POLLIN) DrainWake();
            RunQueued();
            dbus_connection_read_write(connection_, 0);
            while (dbus_connection_dispatch(connection_) == DBUS_DISPATCH_DATA_REMAINS) {
            }
            dbus_connection_flush(connection_);
        }
        if (!dbus_connection_get_is_connected(connection_) && !stop_.load()) Log("Tray: the session bus went away");
        Close();
        if (added_) Remove();
        dbus_connection_close(connection_);
        dbus_connection_unref(connection_);
        connection_ = nullptr;
    }

    // No more calls are taken; those still waiting get their answer.
    void Close() {
        {
            std::lock_guard lock(queueMutex_);
            closed_ = true;
        }
        RunQueued();
    }

    void RunQueued() {
        for (;;) {
            std::packaged_task<bool()> task;
            {
                std::lock_guard lock(queueMutex_);
                if (queue_.empty()) return;
                task = std::move(queue_.front());
                queue_.pop_front();
            }
            task();
        }
    }

    void Connect() {
        const std::string address = SessionBusAddress();
        if (address.empty()) {
            Log("Tray: no session bus; the notification icon is not shown");
            return;
        }
        DBusError error;
        dbus_error_init(&error);
        DBusConnection* c = dbus_connection_open_private(address.c_str(), &error);
        std::string failure;
        if (!c)
            failure = error.message ? error.message : "unknown error";
        else
            failure = Register(c);
        dbus_error_free(&error);
        if (!failure.empty()) {
            if (c) {
                dbus_connection_close(c);
                dbus_connection_unref(c);
            }
            if (!stop_.load()) Log("Tray: no session bus (" + failure + "); the notification icon is not shown");
            return;
        }
        dbus_connection_set_exit_on_disconnect(c, FALSE);
        // Without an error to fill, the match is sent without waiting for the bus's answer.
        dbus_bus_add_match(c,
                           "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                           "member='NameOwnerChanged',arg0='org.kde.StatusNotifierWatcher'",
                           nullptr);
        dbus_connection_add_filter(c, &DbusArea::FilterThunk, this, nullptr);
        connection_ = c;
    }

    // Greets the bus (authentication, then Hello) within the connection's time-out, the
    // connection driven here: libdbus's own blocking calls wait without limit while a bus
    // that took the connection never answers. "" when done, else what went wrong.
    std::string Register(DBusConnection* c) {
        DBusMessage* hello = dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "Hello");
        DBusPendingCall* pending = nullptr;
        const bool sent = hello && dbus_connection_send_with_reply(c, hello, &pending, kConnectTimeoutMs) && pending;
        if (hello) dbus_message_unref(hello);
        if (!sent) return "out of memory";
        int fd = -1;
        dbus_connection_get_socket(c, &fd);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
        while (!dbus_pending_call_get_completed(pending) && !stop_.load() && dbus_connection_get_is_connected(c)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            // Short turns: the authentication writes as well as reads.
            pollfd fds[2] = {{fd, POLLIN, 0}, {wake_, POLLIN, 0}};
            ::poll(fds, 2, int(std::min<int64_t>(left.count(), 50)));
            if (fds[1].revents & POLLIN) DrainWake();
            dbus_connection_read_write(c, 0);
            while (dbus_connection_dispatch(c) == DBUS_DISPATCH_DATA_REMAINS) {  // completes the greeting
            }
        }
        std::string failure;
        DBusMessage* reply = dbus_pending_call_get_completed(pending) ? dbus_pending_call_steal_reply(pending) : nullptr;
        const char* name = nullptr;
        if (!reply) {
            dbus_pending_call_cancel(pending);
            failure = stop_.load() ? "closed" : "it does not answer";
        } else if (dbus_message_get_type(reply) != DBUS_MESSAGE_TYPE_METHOD_RETURN ||
                   !dbus_message_get_args(reply, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID) ||
                   !dbus_bus_set_unique_name(c, name)) {
            failure = "it refused the greeting";
        }
        if (reply) dbus_message_unref(reply);
        dbus_pending_call_unref(pending);
        return failure;
    }

    bool Apply(uint32_t message, const NotifyIconData& data) {
        if (!connection_) return false;
        switch (message) {
            case NIM_ADD: return Add(data);
            case NIM_MODIFY:
                if (!added_ || data.Id != item_.Data.Id) return false;
                if (data.Flags & NIF_MESSAGE) item_.Data.CallbackMessage = data.CallbackMessage;
                if (data.Flags & NIF_ICON) {
                    item_.Data.Icon = data.Icon;
                    Signal("NewIcon");
                }
                if (data.Flags & NIF_TIP) {
                    item_.Data.Tip = data.Tip;
                    Signal("NewToolTip");
                }
                return true;
            case NIM_DELETE:
                if (!added_ || data.Id != item_.Data.Id) return false;
                Remove();
                return true;
            default: return false;
        }
    }

    bool Add(const NotifyIconData& data) {
        if (added_) return false;
        static std::atomic<unsigned> counter{0};
        service_ = "org.kde.StatusNotifierItem-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        std::string problem;
        if (NameCall("RequestName", DBUS_NAME_FLAG_DO_NOT_QUEUE, &problem) != DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
            Log("Tray: cannot own " + service_ + (problem.empty() ? "" : ": " + problem));
            return false;
        }
        DBusError error;
        dbus_error_init(&error);
        static const DBusObjectPathVTable vtable{nullptr, &DbusArea::MessageThunk, nullptr, nullptr, nullptr, nullptr};
        if (!dbus_connection_try_register_object_path(connection_, kItemPath, &vtable, this, &error)) {
            Log(std::string("Tray: cannot export the item: ") + (error.message ? error.message : ""));
            dbus_error_free(&error);
            NameCall("ReleaseName");
            return false;
        }
        item_.Data = data;
        added_ = true;
        RegisterWithWatcher();
        return true;
    }

    void Remove() {
        dbus_connection_unregister_object_path(connection_, kItemPath);
        NameCall("ReleaseName");
        dbus_connection_flush(connection_);
        added_ = false;
    }

    // The bus's RequestName (with flags) or ReleaseName of the item's name, waiting at most the
    // call's time-out: the bus's answer, -1 when there is none (why in `problem`).
    int64_t NameCall(const char* member, uint32_t flags = 0, std::string* problem = nullptr) {
        DBusMessage* call = dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, member);
        if (!call) return -1;
        const char* name = service_.c_str();
        const dbus_uint32_t f = flags;
        if (std::string_view(member) == "RequestName")
            dbus_message_append_args(call, DBUS_TYPE_STRING, &name, DBUS_TYPE_UINT32, &f, DBUS_TYPE_INVALID);
        else
            dbus_message_append_args(call, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID);
        DBusError error;
        dbus_error_init(&error);
        DBusMessage* reply = dbus_connection_send_with_reply_and_block(connection_, call, kCallTimeoutMs, &error);
        dbus_message_unref(call);
        dbus_uint32_t answer = 0;
        const bool read = reply && dbus_message_get_args(reply, &error, DBUS_TYPE_UINT32, &answer, DBUS_TYPE_INVALID);
        if (!read && problem) *problem = error.message ? error.message : "no answer";
        dbus_error_free(&error);
        if (reply) dbus_message_unref(reply);
        return read ? int64_t{answer} : -1;
    }

    void RegisterWithWatcher() {
        DBusMessage* call = dbus_message_new_method_call(kWatcherName, kWatcherPath, kWatcherName,
                                                         "RegisterStatusNotifierItem");
        if (!call) return;
        const char* service = service_.c_str();
        dbus_message_append_args(call, DBUS_TYPE_STRING, &service, DBUS_TYPE_INVALID);
        DBusError error;
        dbus_error_init(&error);
        DBusMessage* reply = dbus_connection_send_with_reply_and_block(connection_, call, kCallTimeoutMs, &error);
        dbus_message_unref(call);
        if (reply) {
            dbus_message_unref(reply);
            watcherMissingLogged_ = false;
        } else if (!watcherMissingLogged_) {
            Log("Tray: no notification area on the session bus yet; the icon shows when one starts");
            watcherMissingLogged_ = true;
        }
        dbus_error_free(&error);
    }

    void Signal(const char* member) {
        DBusMessage* signal = dbus_message_new_signal(kItemPath, kItemInterface, member);
        if (!signal) return;
        dbus_connection_send(connection_, signal, nullptr);
        dbus_message_unref(signal);
    }

    void Post(uint32_t mouseMessage, int32_t x, int32_t y) {
        platform::window::MainDispatcher().Post([shared = shared_, id = item_.Data.Id, mouseMessage, x, y] {
            Callback callback;
            {
                std::lock_guard lock(shared->mutex);
                if (!shared->alive) return;
                callback = shared->callback;
            }
            if (callback) callback(id, mouseMessage, x, y);
        });
    }

    static DBusHandlerResult FilterThunk(DBusConnection*, DBusMessage* message, void* self) {
        auto* area = static_cast<DbusArea*>(self);
        if (area->added_ && WatcherArrived(message)) area->RegisterWithWatcher();
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }

    static DBusHandlerResult MessageThunk(DBusConnection*, DBusMessage* message, void* self) {
        return static_cast<DbusArea*>(self)->Handle(message);
    }

    DBusHandlerResult Handle(DBusMessage* message) {
        ItemAnswer answer = AnswerItemCall(message, item_, SteadyNs());
        if (!answer.Handled) return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
        for (const ItemMouse& m : answer.Mouse) Post(m.Message, m.X, m.Y);
        if (answer.Reply) {
            dbus_connection_send(connection_, answer.Reply, nullptr);
            dbus_message_unref(answer.Reply);
        }
        return DBUS_HANDLER_RESULT_HANDLED;
    }

    std::shared_ptr<Shared> shared_;
    std::function<void(const std::string&)> log_;
    int wake_ = -1;
    std::atomic<bool> stop_{false};
    std::mutex queueMutex_;
    std::thread thread_;  // started by the first add
    bool closed_ = false;  // the thread takes no more calls
    std::deque<std::packaged_task<bool()>> queue_;

    // Bus thread only.
    DBusConnection* connection_ = nullptr;
    std::string service_;
    ItemState item_;  // what the host reads
    bool added_ = false;
    bool watcherMissingLogged_ = false;
};

}  // namespace

std::unique_ptr<NotifyArea> OpenDbusArea(Callback callback, std::function<void(const std::string&)> log) {
    return std::make_unique<DbusArea>(std::move(callback), std::move(log));
}

}  // namespace platform::tray
