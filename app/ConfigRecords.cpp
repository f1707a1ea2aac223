#include "app/ConfigRecords.h"

namespace app {
namespace {

void Put32(uint8_t* p, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t Get32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
}

}  // namespace

std::array<uint8_t, kGPCfgSize> EncodeGPCfg(const TGPCfg& cfg) {
    std::array<uint8_t, kGPCfgSize> b{};
    b[0] = cfg.Keyboard;
    b[1] = cfg.Mouse;
    b[2] = cfg.Joystick;
    b[3] = cfg.Sound;
    Put32(&b[4], cfg.WaveVolume);
    b[8] = cfg.Music;
    Put32(&b[12], cfg.MusicVolume);
    return b;
}

TGPCfg DecodeGPCfg(std::span<const uint8_t, kGPCfgSize> b) {
    TGPCfg cfg;
    cfg.Keyboard = b[0];
    cfg.Mouse = b[1];
    cfg.Joystick = b[2];
    cfg.Sound = b[3];
    cfg.WaveVolume = Get32(&b[4]);
    cfg.Music = b[8];
    cfg.MusicVolume = Get32(&b[12]);
    return cfg;
}

}  // namespace app
