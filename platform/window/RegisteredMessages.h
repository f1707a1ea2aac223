// Registered window messages: a name gives a message number in 0xC000..0xFFFF that stays the
// same for that name as long as the process runs. Names compare without regard to case.
// Between processes a registered message travels by its name (see Broadcast.h), so each
// process handles it under its own number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::window {

inline constexpr uint32_t kFirstRegisteredMessage = 0xC000;
inline constexpr uint32_t kLastRegisteredMessage = 0xFFFF;
inline constexpr size_t kMaxMessageNameLength = 255;

// 1..255 bytes without control characters.
bool ValidMessageName(std::string_view name);

// The name's number; 0 for a name that is empty, longer than 255 bytes or holds control
// characters, and once all 16,384 numbers are taken.
uint32_t RegisterWindowMessage(std::string_view name);
// The number of a name registered before, else 0.
uint32_t FindRegisteredMessage(std::string_view name);
// The name a number was registered under (as first written).
std::optional<std::string> RegisteredMessageName(uint32_t message);

}  // namespace platform::window
