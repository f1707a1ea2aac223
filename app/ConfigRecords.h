// The configuration stream's records, kept in the container section "Cfg": the stream
// header at "DataStream", then one checked record per entry, each read and written field by
// field (little-endian) with the sizes of the file format.
//
//   "GPCfg"               40 bytes   byte keyboard, mouse, joystick, sound effects on;
//                                    int32 wave volume (1/100 dB, 0 full); byte music on,
//                                    3 bytes padding; int32 music volume (0..65535);
//                                    24 bytes reserved (zero)
//   "KeyAssignList"      432 bytes   36 input states x 3 int32 virtual-key codes
//   "KeyChange_Mouse"     36 bytes   per input state the state it maps to
//   "KeyChange_Joystick"  36 bytes   the same for the joystick
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "engine/gpDataStream.h"
#include "media/DXInput.h"

namespace app {

inline constexpr const char* kCfgSection = "Cfg";
inline constexpr const char* kDataStreamEntry = "DataStream";
inline constexpr const char* kGPCfgEntry = "GPCfg";
inline constexpr const char* kKeyAssignEntry = "KeyAssignList";
inline constexpr const char* kKeyChangeMouseEntry = "KeyChange_Mouse";
inline constexpr const char* kKeyChangeJoystickEntry = "KeyChange_Joystick";

inline constexpr size_t kGPCfgSize = 40;
inline constexpr size_t kKeyChangeSize = media::kInputStateCount;

// Header size 16, then the magic: length byte 3 and "VQM".
inline constexpr engine::TDataStreamHeader kConfigStreamHeader{16, 0, 0, 0, 3, 'V', 'Q', 'M'};

struct TGPCfg {
    uint8_t Keyboard = 1, Mouse = 1, Joystick = 0, Sound = 1;
    int32_t WaveVolume = -200;
    uint8_t Music = 1;
    int32_t MusicVolume = 26106;
    friend bool operator==(const TGPCfg&, const TGPCfg&) = default;
};

std::array<uint8_t, kGPCfgSize> EncodeGPCfg(const TGPCfg& cfg);
TGPCfg DecodeGPCfg(std::span<const uint8_t, kGPCfgSize> bytes);

using TKeyChangeTable = std::array<uint8_t, kKeyChangeSize>;

}  // namespace app
