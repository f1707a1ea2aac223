// The StatusNotifierItem's answers to its host: method calls and property reads.
#include "platform/tray/TrayItem.h"

#include <string>
#include <string_view>

#include "rtl/Text.h"

namespace platform::tray {
namespace {

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr const char* kIntrospectableInterface = "org.freedesktop.DBus.Introspectable";
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

bool Is(DBusMessage* message, const char* interface, const char* member) {
    if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_METHOD_CALL) return false;
    const char* i = dbus_message_get_interface(message);
    const char* m = dbus_message_get_member(message);
    return m && std::string_view(m) == member && (!i || std::string_view(i) == interface);
}

bool Known(const char* name) {
    for (const char* p : kProperties)
        if (std::string_view(p) == name) return true;
    return false;
}

// One property as a variant.
void AppendProperty(DBusMessageIter* it, std::string_view name, const NotifyIconData& data) {
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
        AppendPixmaps(&v, name == "IconPixmap" ? data.Icon : IconImage{});
        dbus_message_iter_close_container(it, &v);
        return;
    }
    if (name == "ToolTip") {
        DBusMessageIter tip;
        dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "(sa(iiay)ss)", &v);
        dbus_message_iter_open_container(&v, DBUS_TYPE_STRUCT, nullptr, &tip);
        AppendString(&tip, "");
        AppendPixmaps(&tip, data.Icon);
        AppendString(&tip, rtl::AnsiToUtf8(data.Tip));
        AppendString(&tip, "");
        dbus_message_iter_close_container(&v, &tip);
        dbus_message_iter_close_container(it, &v);
    }
}

}  // namespace

ItemAnswer AnswerItemCall(DBusMessage* message, ItemState& state, uint64_t nowNs) {
    ItemAnswer answer;
    dbus_int32_t x = 0, y = 0;
    if (Is(message, kItemInterface, "Activate")) {
        dbus_message_get_args(message, nullptr, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y, DBUS_TYPE_INVALID);
        answer.Reply = dbus_message_new_method_return(message);
        if (state.LastActivateNs != 0 && nowNs - state.LastActivateNs < kDoubleClickNs) {
            answer.Mouse.push_back({WM_LBUTTONDBLCLK, x, y});
            state.LastActivateNs = 0;
        } else {
            answer.Mouse.push_back({WM_LBUTTONDOWN, x, y});
            state.LastActivateNs = nowNs;
        }
        answer.Mouse.push_back({WM_LBUTTONUP, x, y});
    } else if (Is(message, kItemInterface, "ContextMenu")) {
        dbus_message_get_args(message, nullptr, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y, DBUS_TYPE_INVALID);
        answer.Reply = dbus_message_new_method_return(message);
        answer.Mouse.push_back({WM_RBUTTONDOWN, x, y});
    } else if (Is(message, kItemInterface, "SecondaryActivate") || Is(message, kItemInterface, "Scroll")) {
        answer.Reply = dbus_message_new_method_return(message);
    } else if (Is(message, kPropertiesInterface, "Get")) {
        const char *interface = nullptr, *name = nullptr;
        if (dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                  DBUS_TYPE_INVALID) &&
            std::string_view(interface) == kItemInterface && Known(name)) {
            answer.Reply = dbus_message_new_method_return(message);
            if (answer.Reply) {
                DBusMessageIter it;
                dbus_message_iter_init_append(answer.Reply, &it);
                AppendProperty(&it, name, state.Data);
            }
        } else {
            answer.Reply = dbus_message_new_error(message, "org.freedesktop.DBus.Error.UnknownProperty",
                                                  "No such property");
        }
    } else if (Is(message, kPropertiesInterface, "GetAll")) {
        answer.Reply = dbus_message_new_method_return(message);
        if (answer.Reply) {
            DBusMessageIter it, dict;
            dbus_message_iter_init_append(answer.Reply, &it);
            dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "{sv}", &dict);
            const char* interface = nullptr;
            if (dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_INVALID) &&
                std::string_view(interface) == kItemInterface) {
                for (const char* name : kProperties) {
                    DBusMessageIter entry;
                    dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
                    dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &name);
                    AppendProperty(&entry, name, state.Data);
                    dbus_message_iter_close_container(&dict, &entry);
                }
            }
            dbus_message_iter_close_container(&it, &dict);
        }
    } else if (Is(message, kPropertiesInterface, "Set")) {
        answer.Reply = dbus_message_new_error(message, "org.freedesktop.DBus.Error.PropertyReadOnly",
                                              "The item's properties are read-only");
    } else if (Is(message, kIntrospectableInterface, "Introspect")) {
        answer.Reply = dbus_message_new_method_return(message);
        if (answer.Reply) dbus_message_append_args(answer.Reply, DBUS_TYPE_STRING, &kIntrospection, DBUS_TYPE_INVALID);
    } else {
        return answer;
    }
    answer.Handled = true;
    return answer;
}

bool WatcherArrived(DBusMessage* message) {
    if (!dbus_message_is_signal(message, "org.freedesktop.DBus", "NameOwnerChanged")) return false;
    const char *name = nullptr, *oldOwner = nullptr, *newOwner = nullptr;
    return dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &oldOwner,
                                 DBUS_TYPE_STRING, &newOwner, DBUS_TYPE_INVALID) &&
           std::string_view(name) == kWatcherName && newOwner && *newOwner;
}

}  // namespace platform::tray
