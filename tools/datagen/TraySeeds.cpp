// Seeds for fuzz_tray_message: messages of the session bus in its wire format (little-endian,
// version 1), as a notification host sends them to the item and the bus sends its signals.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/Seeds.h"

namespace {

// One message: a fixed header, the header fields as an array of (code, variant), padding to
// eight bytes, then the body. Values are written with the alignment the format wants.
class BusMessage {
public:
    BusMessage(uint8_t type, uint32_t serial) : type_(type), serial_(serial) {}

    BusMessage& Field(uint8_t code, char type, const std::string& value) {
        fields_.push_back({code, type, value});
        return *this;
    }
    BusMessage& Int32(int32_t v) {
        Align(body_, 4);
        Put32(body_, static_cast<uint32_t>(v));
        signature_ += 'i';
        return *this;
    }
    BusMessage& String(const std::string& s) {
        Text(body_, s);
        signature_ += 's';
        return *this;
    }
    BusMessage& NoReply() {
        flags_ |= 1;
        return *this;
    }

    std::string Bytes() const {
        std::string fields;
        std::vector<Entry> all = fields_;
        if (!signature_.empty()) all.push_back({8, 'g', signature_});
        for (const Entry& e : all) {
            Align(fields, 8);
            fields.push_back(static_cast<char>(e.code));
            Signature(fields, std::string(1, e.type));
            if (e.type == 'g')
                Signature(fields, e.value);
            else
                Text(fields, e.value);
        }
        std::string out{'l', static_cast<char>(type_), static_cast<char>(flags_), 1};
        Put32(out, static_cast<uint32_t>(body_.size()));
        Put32(out, serial_);
        Put32(out, static_cast<uint32_t>(fields.size()));
        out += fields;
        Align(out, 8);
        return out + body_;
    }

private:
    struct Entry {
        uint8_t code;
        char type;
        std::string value;
    };
    static void Align(std::string& s, size_t n) {
        while (s.size() % n) s.push_back('\0');
    }
    static void Put32(std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    // A string or object path: its length, the bytes and a terminating zero.
    static void Text(std::string& s, const std::string& value) {
        Align(s, 4);
        Put32(s, static_cast<uint32_t>(value.size()));
        s += value;
        s.push_back('\0');
    }
    static void Signature(std::string& s, const std::string& value) {
        s.push_back(static_cast<char>(value.size()));
        s += value;
        s.push_back('\0');
    }

    uint8_t type_;
    uint8_t flags_ = 0;
    uint32_t serial_;
    std::vector<Entry> fields_;
    std::string body_;
    std::string signature_;
};

constexpr uint8_t kCall = 1, kSignal = 4;
constexpr uint8_t kPath = 1, kInterface = 2, kMember = 3, kDestination = 6, kSender = 7;

BusMessage Call(uint32_t serial, const std::string& interface, const std::string& member) {
    BusMessage m(kCall, serial);
    m.Field(kPath, 'o', "/StatusNotifierItem")
        .Field(kInterface, 's', interface)
        .Field(kMember, 's', member)
        .Field(kDestination, 's', "org.kde.StatusNotifierItem-1-1")
        .Field(kSender, 's', ":1.7");
    return m;
}

const datagen::SeedWriter traySeeds("fuzz_tray_message", [](const datagen::SeedSink& put) {
    const std::string item = "org.kde.StatusNotifierItem", properties = "org.freedesktop.DBus.Properties";
    put("activate", Call(2, item, "Activate").Int32(640).Int32(12).Bytes());
    put("context_menu", Call(3, item, "ContextMenu").Int32(-5).Int32(70000).Bytes());
    put("secondary", Call(4, item, "SecondaryActivate").Int32(1).Int32(1).NoReply().Bytes());
    put("scroll", Call(5, item, "Scroll").Int32(120).String("vertical").Bytes());
    put("activate_no_args", Call(6, item, "Activate").Bytes());
    put("get_tooltip", Call(7, properties, "Get").String(item).String("ToolTip").Bytes());
    put("get_icon", Call(8, properties, "Get").String(item).String("IconPixmap").Bytes());
    put("get_unknown", Call(9, properties, "Get").String(item).String("Menu").Bytes());
    put("get_all", Call(10, properties, "GetAll").String(item).Bytes());
    put("get_all_other", Call(11, properties, "GetAll").String("org.example.Other").Bytes());
    put("set", Call(12, properties, "Set").String(item).String("Title").Bytes());
    put("introspect", Call(13, "org.freedesktop.DBus.Introspectable", "Introspect").Bytes());
    BusMessage owner(kSignal, 14);
    owner.Field(kPath, 'o', "/org/freedesktop/DBus")
        .Field(kInterface, 's', "org.freedesktop.DBus")
        .Field(kMember, 's', "NameOwnerChanged")
        .Field(kSender, 's', "org.freedesktop.DBus")
        .String("org.kde.StatusNotifierWatcher")
        .String("")
        .String(":1.42");
    put("watcher_arrives", owner.Bytes());
});

}  // namespace
