// Sound effects synthesised at 22050 Hz, 16-bit mono: tones with pitch sweeps and
// envelopes, filtered noise and small arpeggios. Every sound is faded in and out (its
// first and last samples are 0) and scaled to a peak well below full scale, so nothing
// clicks or clips when the mixer adds several of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen::demo {

inline constexpr int kSoundRate = 22050;
// The loudest sample a finished sound holds (about -3 dB).
inline constexpr int kSoundPeak = 23000;

using Samples = std::vector<int16_t>;

// The ball off a wall: a short wooden knock at `pitch` Hz.
Samples WallBounce(double pitch = 880.0);
// The ball off the paddle: a rounder, lower knock.
Samples PaddleBounce(double pitch = 440.0);
// A brick hit but not broken: a glassy tink.
Samples BrickHit(double pitch = 1320.0);
// A brick breaking: a crunch of filtered noise over a falling tone.
Samples BrickBreak(double pitch = 520.0, uint32_t seed = 1);
// A falling prize touching something: a soft boing.
Samples PrizeBounce(double pitch = 300.0);
// A prize caught: a quick rising arpeggio from `root` Hz.
Samples PrizePickup(double root = 523.25);
// The paddle knocking against the side: a dull thud.
Samples PaddleBump(double pitch = 110.0, uint32_t seed = 1);
// A shot: a laser sweep from `from` down to `to` Hz.
Samples Shot(double from = 1800.0, double to = 280.0, double seconds = 0.18);
// An explosion: rumbling noise closing down over `seconds`.
Samples Explosion(double seconds = 1.0, uint32_t seed = 1);
// A life lost: a sad falling line.
Samples LifeLost(double root = 392.0);
// A level cleared: a short fanfare ending on a major chord.
Samples LevelClear(double root = 523.25);
// The pointer entering a button: a soft blip.
Samples ButtonHover(double pitch = 1200.0);
// A button pressed: a crisp click.
Samples ButtonClick(double pitch = 1800.0, uint32_t seed = 1);
// An extra life: a bright climbing arpeggio with sparkles.
Samples ExtraLife(double root = 659.25, uint32_t seed = 1);

// Steel struck: a ringing clang with a metallic partial above.
Samples MetalHit(double pitch = 620.0);
// A special brick turning the ball: a short shimmering hum rising.
Samples SpecialHum(double pitch = 330.0);
// A monster struck: a squelchy blip falling.
Samples MonsterHit(double pitch = 260.0, uint32_t seed = 1);
// A monster appearing: a warbling rise.
Samples MonsterAppear(double pitch = 180.0);
// A monster burning out: a hiss falling away.
Samples MonsterFizzle(uint32_t seed = 1);
// A ball falling out: a quick downward slide.
Samples BallLost(double pitch = 700.0);
// A missile leaving: a whoosh with a rising tone.
Samples MissileLaunch(uint32_t seed = 1);

// Every sound above at its defaults, under a file title.
struct NamedSound {
    std::string name;
    Samples samples;
};
std::vector<NamedSound> DemoSounds();

// The samples as a WAVE file (22050 Hz, 16-bit mono).
std::string SoundWave(const Samples& samples);

}  // namespace datagen::demo
