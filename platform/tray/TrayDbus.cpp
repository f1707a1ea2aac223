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
#include "platform/window/Dispatcher.h"
#include "rtl/Text.h"

namespace platform::tray {
namespace {

constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr const char* kIntrospectableInterface = "org.freedesktop.DBus.Introspectable";
constexpr int kConnectTimeoutMs = 2000;
constexpr int kCallTimeoutMs = 2000;
constexpr uint64_t kDoubleClickNs = 500'000'000;

constexpr const char* kProperties[] = {"Category", "Id", "Title", "Status", "WindowId", "IconName", "IconPixmap",
                                       "OverlayIconName", "OverlayIconPixmap", "AttentionIconName",
                                       "AttentionIconPixmap", "AttentionMovieName", "ToolTip", "ItemIsMenu"};

constexpr const char* kIntrospection =
    "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n"
    "<node>\n"
    " <interface name=\"org.kde.StatusNotifierItem\">\n"
    "  <property name=\"Category\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"Id\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"Title\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"Status\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"WindowId\" type=\"i\" access=\"read\"/>\n"
    "  <property name=\"IconName\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"IconPixmap\" type=\"a(iiay)\" access=\"read\"/>\n"
    "  <property name=\"OverlayIconName\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"OverlayIconPixmap\" type=\"a(iiay)\" access=\"read\"/>\n"
    "  <property name=\"AttentionIconName\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"AttentionIconPixmap\" type=\"a(iiay)\" access=\"read\"/>\n"
    "  <property name=\"AttentionMovieName\" type=\"s\" access=\"read\"/>\n"
    "  <property name=\"ToolTip\" type=\"(sa(iiay)ss)\" access=\"read\"/>\n"
    "  <property name=\"ItemIsMenu\" type=\"b\" access=\"read\"/>\n"
    "  <method name=\"ContextMenu\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>\n"
    "  <method name=\"Activate\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>\n"
    "  <method name=\"SecondaryActivate\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>\n"
    "  <method name=\"Scroll\"><arg name=\"delta\" type=\"i\" direction=\"in\"/>"
    "<arg name=\"orientation\" type=\"s\" direction=\"in\"/></method>\n"
    "  <signal name=\"NewTitle\"/>\n  <signal name=\"NewIcon\"/>\n  <signal name=\"NewToolTip\"/>\n"
    "  <signal name=\"NewStatus\"><arg name=\"status\" type=\"s\"/></signal>\n"
    " </interface>\n"
    " <interface name=\"org.freedesktop.DBus.Properties\">\n"
    "  <method name=\"Get\"><arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
    "<arg type=\"v\" direction=\"out\"/></method>\n"
    "  <method name=\"GetAll\"><arg type=\"s\" direction=\"in\"/><arg type=\"a{sv}\" direction=\"out\"/></method>\n"
    " </interface>\n"
    " <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
    "  <method name=\"Introspect\"><arg type=\"s\" direction=\"out\"/></method>\n"
    " </interface>\n"
    "</node>\n";

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

void AppendString(DBusMessageIter* it, const std::string& utf8) {
    const char* s = utf8.c_str();
    dbus_message_iter_append_basic(it, DBUS_TYPE_STRING, &s);
}

void AppendPixmaps(DBusMessageIter* it, const IconImage& icon) {
    DBusMessageIter array;
    dbus_message_iter_open_container(it, DBUS_TYPE_ARRAY, "(iiay)", &array);
    if (!icon.Empty()) {
        DBusMessageIter entry, bytes;
        dbus_message_iter_open_container(&array, DBUS_TYPE_STRUCT, nullptr, &entry);
        const dbus_int32_t w = icon.Width, h = icon.Height;
        dbus_message_iter_append_basic(&entry, DBUS_TYPE_INT32, &w);
        dbus_message_iter_append_basic(&entry, DBUS_TYPE_INT32, &h);
        // ARGB32 in network byte order.
        std::vector<unsigned char> data;
        data.reserve(icon.Argb.size() * 4);
        for (uint32_t p : icon.Argb)
            for (int shift : {24, 16, 8, 0}) data.push_back(static_cast<unsigned char>(p >> shift));
        const unsigned char* raw = data.data();
        dbus_message_iter_open_container(&entry, DBUS_TYPE_ARRAY, "y", &bytes);
        dbus_message_iter_append_fixed_array(&bytes, DBUS_TYPE_BYTE, &raw, static_cast<int>(data.size()));
        dbus_message_iter_close_container(&entry, &bytes);
        dbus_message_iter_close_container(&array, &entry);
    }
    dbus_message_iter_close_container(it, &array);
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
                if (!added_ || data.Id != data_.Id) return false;
                if (data.Flags & NIF_MESSAGE) data_.CallbackMessage = data.CallbackMessage;
                if (data.Flags & NIF_ICON) {
                    data_.Icon = data.Icon;
                    Signal("NewIcon");
                }
                if (data.Flags & NIF_TIP) {
                    data_.Tip = data.Tip;
                    Signal("NewToolTip");
                }
                return true;
            case NIM_DELETE:
                if (!added_ || data.Id != data_.Id) return false;
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
        data_ = data;
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
        platform::window::MainDispatcher().Post([shared = shared_, id = data_.Id, mouseMessage, x, y] {
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
        if (dbus_message_is_signal(message, "org.freedesktop.DBus", "NameOwnerChanged")) {
            const char *name = nullptr, *oldOwner = nullptr, *newOwner = nullptr;
            if (dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &oldOwner,
                                      DBUS_TYPE_STRING, &newOwner, DBUS_TYPE_INVALID) &&
                std::string_view(name) == kWatcherName && newOwner && *newOwner && area->added_)
                area->RegisterWithWatcher();
        }
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }

    static DBusHandlerResult MessageThunk(DBusConnection*, DBusMessage* message, void* self) {
        return static_cast<DbusArea*>(self)->Handle(message);
    }

    static bool Is(DBusMessage* message, const char* interface, const char* member) {
        if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_METHOD_CALL) return false;
        const char* i = dbus_message_get_interface(message);
        const char* m = dbus_message_get_member(message);
        return m && std::string_view(m) == member && (!i || std::string_view(i) == interface);
    }

    DBusHandlerResult Handle(DBusMessage* message) {
        DBusMessage* reply = nullptr;
        dbus_int32_t x = 0, y = 0;
        if (Is(message, kItemInterface, "Activate")) {
            dbus_message_get_args(message, nullptr, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y, DBUS_TYPE_INVALID);
            reply = dbus_message_new_method_return(message);
            const uint64_t now = SteadyNs();
            if (lastActivate_ != 0 && now - lastActivate_ < kDoubleClickNs) {
                Post(WM_LBUTTONDBLCLK, x, y);
                lastActivate_ = 0;
            } else {
                Post(WM_LBUTTONDOWN, x, y);
                lastActivate_ = now;
            }
            Post(WM_LBUTTONUP, x, y);
        } else if (Is(message, kItemInterface, "ContextMenu")) {
            dbus_message_get_args(message, nullptr, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y, DBUS_TYPE_INVALID);
            reply = dbus_message_new_method_return(message);
            Post(WM_RBUTTONDOWN, x, y);
        } else if (Is(message, kItemInterface, "SecondaryActivate") || Is(message, kItemInterface, "Scroll")) {
            reply = dbus_message_new_method_return(message);
        } else if (Is(message, kPropertiesInterface, "Get")) {
            const char *interface = nullptr, *name = nullptr;
            if (dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                      DBUS_TYPE_INVALID) &&
                std::string_view(interface) == kItemInterface && Known(name)) {
                reply = dbus_message_new_method_return(message);
                DBusMessageIter it;
                dbus_message_iter_init_append(reply, &it);
                AppendProperty(&it, name);
            } else {
                reply = dbus_message_new_error(message, "org.freedesktop.DBus.Error.UnknownProperty",
                                               "No such property");
            }
        } else if (Is(message, kPropertiesInterface, "GetAll")) {
            reply = dbus_message_new_method_return(message);
            DBusMessageIter it, dict;
            dbus_message_iter_init_append(reply, &it);
            dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "{sv}", &dict);
            const char* interface = nullptr;
            if (dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_INVALID) &&
                std::string_view(interface) == kItemInterface) {
                for (const char* name : kProperties) {
                    DBusMessageIter entry;
                    dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
                    dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &name);
                    AppendProperty(&entry, name);
                    dbus_message_iter_close_container(&dict, &entry);
                }
            }
            dbus_message_iter_close_container(&it, &dict);
        } else if (Is(message, kPropertiesInterface, "Set")) {
            reply = dbus_message_new_error(message, "org.freedesktop.DBus.Error.PropertyReadOnly",
                                           "The item's properties are read-only");
        } else if (Is(message, kIntrospectableInterface, "Introspect")) {
            reply = dbus_message_new_method_return(message);
            dbus_message_append_args(reply, DBUS_TYPE_STRING, &kIntrospection, DBUS_TYPE_INVALID);
        } else {
            return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
        }
        if (reply) {
            dbus_connection_send(connection_, reply, nullptr);
            dbus_message_unref(reply);
        }
        return DBUS_HANDLER_RESULT_HANDLED;
    }

    static bool Known(const char* name) {
        for (const char* p : kProperties)
            if (std::string_view(p) == name) return true;
        return false;
    }

    // One property as a variant.
    void AppendProperty(DBusMessageIter* it, std::string_view name) {
        DBusMessageIter v;
        auto text = [&](const std::string& s) {
            dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "s", &v);
            AppendString(&v, s);
            dbus_message_iter_close_container(it, &v);
        };
        if (name == "Category") return text("ApplicationStatus");
        if (name == "Id") return text("sprallion");
        if (name == "Title") return text("Sprallion");
        if (name == "Status") return text("Active");
        if (name == "IconName" || name == "OverlayIconName" || name == "AttentionIconName" ||
            name == "AttentionMovieName")
            return text("");
        if (name == "WindowId") {
            const dbus_int32_t zero = 0;
            dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "i", &v);
            dbus_message_iter_append_basic(&v, DBUS_TYPE_INT32, &zero);
            dbus_message_iter_close_container(it, &v);
            return;
        }
        if (name == "ItemIsMenu") {
            const dbus_bool_t no = FALSE;
            dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "b", &v);
            dbus_message_iter_append_basic(&v, DBUS_TYPE_BOOLEAN, &no);
            dbus_message_iter_close_container(it, &v);
            return;
        }
        if (name == "IconPixmap" || name == "OverlayIconPixmap" || name == "AttentionIconPixmap") {
            dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "a(iiay)", &v);
            AppendPixmaps(&v, name == "IconPixmap" ? data_.Icon : IconImage{});
            dbus_message_iter_close_container(it, &v);
            return;
        }
        if (name == "ToolTip") {
            DBusMessageIter tip;
            dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "(sa(iiay)ss)", &v);
            dbus_message_iter_open_container(&v, DBUS_TYPE_STRUCT, nullptr, &tip);
            AppendString(&tip, "");
            AppendPixmaps(&tip, data_.Icon);
            AppendString(&tip, rtl::AnsiToUtf8(data_.Tip));
            AppendString(&tip, "");
            dbus_message_iter_close_container(&v, &tip);
            dbus_message_iter_close_container(it, &v);
        }
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
    NotifyIconData data_;
    bool added_ = false;
    bool watcherMissingLogged_ = false;
    uint64_t lastActivate_ = 0;
};

}  // namespace

std::unique_ptr<NotifyArea> OpenDbusArea(Callback callback, std::function<void(const std::string&)> log) {
    return std::make_unique<DbusArea>(std::move(callback), std::move(log));
}

}  // namespace platform::tray
