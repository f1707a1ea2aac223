// A private session bus for the tray tests (a dbus-daemon of their own), a bus that never
// answers, a stand-in for the desktop's notification area (org.kde.StatusNotifierWatcher) and
// a client that calls items the way a notification-area host does.
#pragma once

#include <dbus/dbus.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace bustest {

class PrivateBus {
public:
    PrivateBus() {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);  // before the read end could be 3
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
        char program[] = "dbus-daemon";
        char session[] = "--session";
        char nofork[] = "--nofork";
        char print[] = "--print-address=3";
        char* argv[] = {program, session, nofork, print, nullptr};
        if (::posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        char c;
        while (pid_ > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n') address_ += c;
        ::close(pipeFds[0]);
    }
    ~PrivateBus() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status;
            ::waitpid(pid_, &status, 0);
        }
    }
    const std::string& Address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

// A session bus that takes connections and never says a word (a hung bus).
class SilentBus {
public:
    explicit SilentBus(const std::string& path) : path_(path) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (listener_ < 0 || path.size() >= sizeof addr.sun_path) return;
        std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        if (::bind(listener_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listener_, 16) != 0)
            return;
        thread_ = std::thread([this] {
            for (;;) {
                const int c = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                if (c < 0) return;  // the listener was shut down
                std::lock_guard lock(mutex_);
                taken_.push_back(c);
            }
        });
    }
    ~SilentBus() {
        if (listener_ >= 0) ::shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable()) thread_.join();
        if (listener_ >= 0) ::close(listener_);
        for (int c : taken_) ::close(c);
        ::unlink(path_.c_str());
    }
    std::string Address() const { return "unix:path=" + path_; }

private:
    std::string path_;
    int listener_ = -1;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<int> taken_;
};

inline DBusConnection* Connect(const std::string& address) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* c = dbus_connection_open_private(address.c_str(), &error);
    if (c && !dbus_bus_register(c, &error)) {
        dbus_connection_close(c);
        dbus_connection_unref(c);
        c = nullptr;
    }
    dbus_error_free(&error);
    if (c) dbus_connection_set_exit_on_disconnect(c, FALSE);
    return c;
}

inline void Disconnect(DBusConnection* c) {
    if (!c) return;
    dbus_connection_close(c);
    dbus_connection_unref(c);
}

// Owns org.kde.StatusNotifierWatcher; keeps what registered, what left and the items' signals.
class Watcher {
public:
    explicit Watcher(const std::string& address) : connection_(Connect(address)) {
        if (!connection_) return;
        DBusError error;
        dbus_error_init(&error);
        dbus_bus_request_name(connection_, "org.kde.StatusNotifierWatcher", DBUS_NAME_FLAG_DO_NOT_QUEUE, &error);
        dbus_bus_add_match(connection_, "type='signal',interface='org.kde.StatusNotifierItem'", &error);
        dbus_bus_add_match(connection_, "type='signal',sender='org.freedesktop.DBus',member='NameOwnerChanged'", &error);
        dbus_error_free(&error);
        dbus_connection_add_filter(connection_, &Watcher::Filter, this, nullptr);
        thread_ = std::thread([this] {
            while (!stop_ && dbus_connection_read_write_dispatch(connection_, 20)) {
            }
        });
    }
    ~Watcher() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        Disconnect(connection_);
    }
    bool Ok() const { return connection_ != nullptr; }

    std::vector<std::string> Registered() const { return Copy(registered_); }
    std::vector<std::string> Left() const { return Copy(left_); }
    std::vector<std::string> Signals() const { return Copy(signals_); }

private:
    std::vector<std::string> Copy(const std::vector<std::string>& v) const {
        std::lock_guard lock(mutex_);
        return v;
    }

    static DBusHandlerResult Filter(DBusConnection* c, DBusMessage* m, void* self) {
        auto* w = static_cast<Watcher*>(self);
        const char* arg = nullptr;
        if (dbus_message_is_method_call(m, "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem") &&
            dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &arg, DBUS_TYPE_INVALID)) {
            {
                std::lock_guard lock(w->mutex_);
                w->registered_.push_back(arg);
            }
            DBusMessage* reply = dbus_message_new_method_return(m);
            dbus_connection_send(c, reply, nullptr);
            dbus_message_unref(reply);
            return DBUS_HANDLER_RESULT_HANDLED;
        }
        if (dbus_message_get_type(m) == DBUS_MESSAGE_TYPE_SIGNAL) {
            const char* interface = dbus_message_get_interface(m);
            if (interface && std::string(interface) == "org.kde.StatusNotifierItem") {
                std::lock_guard lock(w->mutex_);
                w->signals_.push_back(dbus_message_get_member(m));
            }
            const char *name = nullptr, *oldOwner = nullptr, *newOwner = nullptr;
            if (dbus_message_is_signal(m, "org.freedesktop.DBus", "NameOwnerChanged") &&
                dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &oldOwner, DBUS_TYPE_STRING,
                                      &newOwner, DBUS_TYPE_INVALID) &&
                std::string(newOwner).empty() && std::string(name).rfind("org.kde.StatusNotifierItem-", 0) == 0) {
                std::lock_guard lock(w->mutex_);
                w->left_.push_back(name);
            }
        }
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }

    DBusConnection* connection_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> registered_, left_, signals_;
};

// Calls an item as the host does, blocking.
class Host {
public:
    explicit Host(const std::string& address) : connection_(Connect(address)) {}
    ~Host() { Disconnect(connection_); }

    bool Call(const std::string& service, const char* method, int32_t x, int32_t y) {
        DBusMessage* m = dbus_message_new_method_call(service.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", method);
        dbus_message_append_args(m, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y, DBUS_TYPE_INVALID);
        DBusMessage* reply = dbus_connection_send_with_reply_and_block(connection_, m, 2000, nullptr);
        dbus_message_unref(m);
        if (!reply) return false;
        dbus_message_unref(reply);
        return true;
    }

    // The tooltip's title, and the size of the icon pixmap it carries.
    bool ToolTip(const std::string& service, std::string& title, int32_t& width, int32_t& height, int& bytes) {
        DBusMessage* reply = Get(service, "ToolTip");
        if (!reply) return false;
        DBusMessageIter it, variant, tip;
        dbus_message_iter_init(reply, &it);
        dbus_message_iter_recurse(&it, &variant);
        dbus_message_iter_recurse(&variant, &tip);
        dbus_message_iter_next(&tip);  // icon name
        ReadPixmap(&tip, width, height, bytes);
        dbus_message_iter_next(&tip);  // pixmaps
        const char* text = nullptr;
        dbus_message_iter_get_basic(&tip, &text);
        title = text ? text : "";
        dbus_message_unref(reply);
        return true;
    }

    bool IconPixmap(const std::string& service, int32_t& width, int32_t& height, int& bytes) {
        DBusMessage* reply = Get(service, "IconPixmap");
        if (!reply) return false;
        DBusMessageIter it, variant;
        dbus_message_iter_init(reply, &it);
        dbus_message_iter_recurse(&it, &variant);
        ReadPixmap(&variant, width, height, bytes);
        dbus_message_unref(reply);
        return true;
    }

private:
    DBusMessage* Get(const std::string& service, const char* property) {
        DBusMessage* m = dbus_message_new_method_call(service.c_str(), "/StatusNotifierItem",
                                                      "org.freedesktop.DBus.Properties", "Get");
        const char* interface = "org.kde.StatusNotifierItem";
        dbus_message_append_args(m, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property, DBUS_TYPE_INVALID);
        DBusMessage* reply = dbus_connection_send_with_reply_and_block(connection_, m, 2000, nullptr);
        dbus_message_unref(m);
        return reply;
    }

    // An a(iiay) at `it`: the first pixmap's size and byte count.
    static void ReadPixmap(DBusMessageIter* it, int32_t& width, int32_t& height, int& bytes) {
        width = height = bytes = 0;
        DBusMessageIter array, entry, data;
        dbus_message_iter_recurse(it, &array);
        if (dbus_message_iter_get_arg_type(&array) != DBUS_TYPE_STRUCT) return;
        dbus_message_iter_recurse(&array, &entry);
        dbus_message_iter_get_basic(&entry, &width);
        dbus_message_iter_next(&entry);
        dbus_message_iter_get_basic(&entry, &height);
        dbus_message_iter_next(&entry);
        dbus_message_iter_recurse(&entry, &data);
        const unsigned char* raw = nullptr;
        dbus_message_iter_get_fixed_array(&data, &raw, &bytes);
    }

    DBusConnection* connection_;
};

}  // namespace bustest
