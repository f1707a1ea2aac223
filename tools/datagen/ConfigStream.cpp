#include "tools/datagen/ConfigStream.h"

#include "tools/datagen/RecordStream.h"
#include "tools/datagen/Seeds.h"

namespace datagen {
namespace {

// One checked record as the stream holds it, without the stream header.
std::string CheckedRecord(const std::string& data, int32_t lengthDelta = 0, bool wrongChecksum = false) {
    return BuildRecordStream({{0, 0, data, true, wrongChecksum, lengthDelta}}, "");
}

std::string Identity() {
    std::string table;
    for (int i = 0; i < 36; ++i) table.push_back(static_cast<char>(i));
    return table;
}

}  // namespace

std::vector<uint32_t> DefaultKeys() {
    static const uint32_t first[] = {0x26, 0x28, 0x25, 0x27, 0x20, 0x10, 'P', 0x77, 0x79, 0x7B, 0x78, 0x71,
                                     0x72, 0x76, 0x1B, 0x70, 0x0D, '1', '2', '3', '8', '9', '7'};
    std::vector<uint32_t> keys(36 * 3, 0);
    for (size_t i = 0; i < std::size(first); ++i) keys[i * 3] = first[i];
    return keys;
}

std::string GPCfgBytes(const GameConfig& c) {
    std::string b;
    b += static_cast<char>(c.keyboard);
    b += static_cast<char>(c.mouse);
    b += static_cast<char>(c.joystick);
    b += static_cast<char>(c.sound);
    b += Int32Bytes(c.waveVolume);
    b += static_cast<char>(c.music);
    b += std::string(3, '\0');
    b += Int32Bytes(c.musicVolume);
    b += std::string(24, '\0');
    return b;
}

std::string KeyTableBytes(const std::vector<uint32_t>& keys) {
    std::string b;
    for (size_t i = 0; i < 36 * 3; ++i) b += Int32Bytes(static_cast<int32_t>(i < keys.size() ? keys[i] : 0));
    return b;
}

ContainerSection ConfigSection(const GameConfig& config, ConfigDamage damage) {
    std::string header = RecordStreamHeader();
    if (damage == ConfigDamage::WrongHeader) header = Int32Bytes(17) + header.substr(4);
    std::string gpcfg = GPCfgBytes(config);
    if (damage == ConfigDamage::ShortGPCfgRecord) gpcfg.resize(36);
    const std::string keys = KeyTableBytes(config.keys.empty() ? DefaultKeys() : config.keys);

    ContainerSection cfg{"Cfg", {}};
    const std::string gpcfgRecord = CheckedRecord(gpcfg, 0, damage == ConfigDamage::FlippedGPCfgByte);
    if (damage == ConfigDamage::NoGPCfgEntry) {
        cfg.entries.push_back({"DataStream", header + gpcfgRecord});
    } else {
        cfg.entries.push_back({"DataStream", header});
        cfg.entries.push_back({"GPCfg", gpcfgRecord});
    }
    const int32_t keysDelta = damage == ConfigDamage::HugeKeyRecordLength ? 10000 - static_cast<int32_t>(keys.size()) : 0;
    cfg.entries.push_back({"KeyAssignList", CheckedRecord(keys, keysDelta)});
    cfg.entries.push_back({"KeyChange_Mouse", CheckedRecord(Identity())});
    cfg.entries.push_back({"KeyChange_Joystick", CheckedRecord(Identity())});
    return cfg;
}

namespace {

// The fuzz input of the configuration reader: the section's entries, their names in the
// target's order.
std::string FuzzInput(const ContainerSection& section) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const ContainerEntry& e : section.entries) entries.emplace_back(e.name, e.data);
    return EntriesInput(entries, {"DataStream", "GPCfg", "KeyAssignList", "KeyChange_Mouse", "KeyChange_Joystick"});
}

const SeedWriter configSeeds("fuzz_config", [](const SeedSink& put) {
    GameConfig edited;
    edited.waveVolume = -20001;
    edited.mouse = 0;
    edited.keys = DefaultKeys();
    edited.keys[7 * 3] = 'Q';
    put("whole", FuzzInput(ConfigSection(GameConfig{})));
    put("edited", FuzzInput(ConfigSection(edited)));
    put("flipped", FuzzInput(ConfigSection(GameConfig{}, ConfigDamage::FlippedGPCfgByte)));
    put("header", FuzzInput(ConfigSection(GameConfig{}, ConfigDamage::WrongHeader)));
    put("huge", FuzzInput(ConfigSection(GameConfig{}, ConfigDamage::HugeKeyRecordLength)));
    put("short", FuzzInput(ConfigSection(GameConfig{}, ConfigDamage::ShortGPCfgRecord)));
    put("behind", FuzzInput(ConfigSection(GameConfig{}, ConfigDamage::NoGPCfgEntry)));
});

}  // namespace
}  // namespace datagen
