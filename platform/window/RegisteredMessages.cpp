#include "platform/window/RegisteredMessages.h"

#include <map>
#include <mutex>
#include <vector>

#include "rtl/Text.h"

namespace platform::window {
namespace {

struct Table {
    std::mutex mutex;
    std::map<std::string, uint32_t> byFoldedName;
    std::vector<std::string> names;  // index = number - kFirstRegisteredMessage
};

Table& Messages() {
    static Table table;
    return table;
}

std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = rtl::FoldChar(c);
    return folded;
}

}  // namespace

bool ValidMessageName(std::string_view name) {
    if (name.empty() || name.size() > kMaxMessageNameLength) return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

uint32_t RegisterWindowMessage(std::string_view name) {
    if (!ValidMessageName(name)) return 0;
    Table& t = Messages();
    std::lock_guard lock(t.mutex);
    const std::string key = Folded(name);
    if (auto it = t.byFoldedName.find(key); it != t.byFoldedName.end()) return it->second;
    if (t.names.size() > kLastRegisteredMessage - kFirstRegisteredMessage) return 0;
    const uint32_t number = kFirstRegisteredMessage + static_cast<uint32_t>(t.names.size());
    t.names.emplace_back(name);
    t.byFoldedName.emplace(key, number);
    return number;
}

uint32_t FindRegisteredMessage(std::string_view name) {
    if (!ValidMessageName(name)) return 0;
    Table& t = Messages();
    std::lock_guard lock(t.mutex);
    auto it = t.byFoldedName.find(Folded(name));
    return it == t.byFoldedName.end() ? 0 : it->second;
}

std::optional<std::string> RegisteredMessageName(uint32_t message) {
    Table& t = Messages();
    std::lock_guard lock(t.mutex);
    if (message < kFirstRegisteredMessage || message - kFirstRegisteredMessage >= t.names.size()) return std::nullopt;
    return t.names[message - kFirstRegisteredMessage];
}

}  // namespace platform::window
