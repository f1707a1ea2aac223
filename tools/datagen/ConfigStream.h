// Writer of the game's configuration section "Cfg": the stream header at "DataStream" and one
// checked record per entry, laid out back to back; whole or deliberately damaged.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/Container.h"

namespace datagen {

struct GameConfig {
    uint8_t keyboard = 1, mouse = 1, joystick = 0, sound = 1;
    int32_t waveVolume = -200;
    uint8_t music = 1;
    int32_t musicVolume = 26106;
    // 36 states x 3 virtual-key codes; empty: the game's default table.
    std::vector<uint32_t> keys;
};

// The game's default key table: first codes of states 0..22, everything else 0.
std::vector<uint32_t> DefaultKeys();
// The 40 bytes of the "GPCfg" record.
std::string GPCfgBytes(const GameConfig& config);
std::string KeyTableBytes(const std::vector<uint32_t>& keys);

enum class ConfigDamage {
    None,
    FlippedGPCfgByte,      // GPCfg's data no longer matches its checksum
    WrongHeader,           // the stream header's first word is not 16
    HugeKeyRecordLength,   // KeyAssignList claims 10,000 bytes
    ShortGPCfgRecord,      // GPCfg holds 36 bytes (a length the game does not use)
    NoGPCfgEntry,          // GPCfg sits behind the header without an entry of its own
};

// The section "Cfg" with its entries in stream order.
ContainerSection ConfigSection(const GameConfig& config, ConfigDamage damage = ConfigDamage::None);

}  // namespace datagen
