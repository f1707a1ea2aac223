#include "tools/datagen/demo/DemoSound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/datagen/Wave.h"
#include "tools/datagen/demo/DemoRandom.h"

namespace datagen::demo {

namespace {

constexpr double kTau = 2 * std::numbers::pi;
constexpr double kRate = kSoundRate;

using Buffer = std::vector<double>;

enum class Wave { Sine, Triangle, Square, Saw };

struct Tone {
    double start = 0, length = 0.1;
    double from = 440, to = 440;  // Hz, swept exponentially
    double amp = 1.0;
    double attack = 0.002;        // seconds
    double decay = 0;             // time constant of an exponential decay; 0: held (both end in a short release)
    Wave wave = Wave::Sine;
    double vibrato = 0;           // depth as a fraction of the pitch, at 6 Hz
};

struct Noise {
    double start = 0, length = 0.1;
    double amp = 1.0;
    double attack = 0.002, decay = 0.05;
    double lowFrom = 8000, lowTo = 8000;  // low-pass cut-off, swept
    double high = 0;                      // high-pass cut-off (0: none)
    uint32_t seed = 1;
};

Buffer Silence(double seconds) { return Buffer(static_cast<size_t>(seconds * kRate) + 1, 0.0); }

double Envelope(double t, double length, double attack, double decay) {
    double e = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    if (decay > 0) e *= std::exp(-t / decay);
    // Always a short release at the end, so a tone never stops on a step.
    return e * std::clamp((length - t) / std::min(0.02, length * 0.3), 0.0, 1.0);
}

// Band-limited waveforms from a few harmonics, so high sweeps do not alias.
double Shape(Wave w, double phase, double freq) {
    if (w == Wave::Sine) return std::sin(phase);
    double sum = 0;
    for (int k = 1; k < 24 && k * freq < kRate * 0.45; ++k) {
        switch (w) {
            case Wave::Square: if (k % 2) sum += std::sin(k * phase) / k; break;
            case Wave::Saw: sum += std::sin(k * phase) / k * (k % 2 ? 1 : -1); break;
            case Wave::Triangle: if (k % 2) sum += std::sin(k * phase) / (k * k) * ((k / 2) % 2 ? -1 : 1); break;
            case Wave::Sine: break;
        }
    }
    return w == Wave::Triangle ? sum * 0.8 : sum * 0.6;
}

void Add(Buffer& b, const Tone& t) {
    const size_t first = static_cast<size_t>(t.start * kRate);
    const size_t count = static_cast<size_t>(t.length * kRate);
    if (b.size() < first + count + 1) b.resize(first + count + 1, 0.0);
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
        const double time = i / kRate;
        double f = t.from * std::pow(t.to / t.from, time / t.length);
        if (t.vibrato > 0) f *= 1.0 + t.vibrato * std::sin(kTau * 6.0 * time);
        phase += kTau * f / kRate;
        b[first + i] += t.amp * Envelope(time, t.length, t.attack, t.decay) * Shape(t.wave, phase, f);
    }
}

void Add(Buffer& b, const Noise& n) {
    const size_t first = static_cast<size_t>(n.start * kRate);
    const size_t count = static_cast<size_t>(n.length * kRate);
    if (b.size() < first + count + 1) b.resize(first + count + 1, 0.0);
    Xorshift rng(n.seed);
    double low = 0, lowIn = 0, highOut = 0;
    for (size_t i = 0; i < count; ++i) {
        const double time = i / kRate;
        const double cut = n.lowFrom * std::pow(n.lowTo / n.lowFrom, time / n.length);
        const double a = 1.0 - std::exp(-kTau * cut / kRate);
        const double white = rng.Signed();
        low += a * (white - low);
        double v = low;
        if (n.high > 0) {
            // One-pole high-pass on the low-passed signal.
            const double r = std::exp(-kTau * n.high / kRate);
            highOut = r * (highOut + low - lowIn);
            lowIn = low;
            v = highOut;
        }
        b[first + i] += n.amp * Envelope(time, n.length, n.attack, n.decay) * v;
    }
}

// Scales the peak to kSoundPeak and fades both ends to exact silence.
Samples Finish(const Buffer& b) {
    double peak = 0;
    for (double v : b) peak = std::max(peak, std::abs(v));
    const double scale = peak > 0 ? kSoundPeak / peak : 0;
    const size_t n = b.size();
    const size_t fadeIn = std::min<size_t>(n / 4, static_cast<size_t>(0.002 * kRate));
    const size_t fadeOut = std::min<size_t>(n / 4, static_cast<size_t>(0.01 * kRate));
    Samples out(n);
    for (size_t i = 0; i < n; ++i) {
        double g = 1.0;
        if (i < fadeIn) g = static_cast<double>(i) / fadeIn;
        if (i + fadeOut >= n) g = std::min(g, static_cast<double>(n - 1 - i) / fadeOut);
        out[i] = static_cast<int16_t>(std::lround(std::clamp(b[i] * scale * g, -32767.0, 32767.0)));
    }
    return out;
}

double Semitones(double f, double steps) { return f * std::pow(2.0, steps / 12.0); }

// Notes `steps` semitones above root, `spacing` seconds apart (0: a chord), each shaped
// as `note` (its from and to taken as multiples of the note's pitch), the last as `last`.
void Run(Buffer& b, double root, const std::vector<double>& steps, double spacing, const Tone& note, const Tone& last) {
    for (size_t i = 0; i < steps.size(); ++i) {
        Tone t = i + 1 == steps.size() ? last : note;
        const double f = Semitones(root, steps[i]);
        t.start += static_cast<double>(i) * spacing;
        t.from *= f;
        t.to *= f;
        Add(b, t);
    }
}

}  // namespace

Samples WallBounce(double pitch) {
    Buffer b = Silence(0.09);
    Add(b, Tone{.length = 0.08, .from = pitch * 1.25, .to = pitch, .attack = 0.001, .decay = 0.018});
    Add(b, Tone{.length = 0.05, .from = pitch * 2.7, .to = pitch * 2.5, .amp = 0.3, .attack = 0.001, .decay = 0.008});
    Add(b, Noise{.length = 0.015, .amp = 0.35, .attack = 0.0005, .decay = 0.003, .lowFrom = 5000, .lowTo = 2000});
    return Finish(b);
}

Samples PaddleBounce(double pitch) {
    Buffer b = Silence(0.14);
    Add(b, Tone{.length = 0.13, .from = pitch * 1.2, .to = pitch * 0.92, .attack = 0.001, .decay = 0.035, .wave = Wave::Triangle});
    Add(b, Tone{.length = 0.1, .from = pitch * 2, .to = pitch * 1.84, .amp = 0.35, .attack = 0.001, .decay = 0.02});
    Add(b, Noise{.length = 0.02, .amp = 0.25, .attack = 0.0005, .decay = 0.004, .lowFrom = 3000, .lowTo = 1200});
    return Finish(b);
}

Samples BrickHit(double pitch) {
    Buffer b = Silence(0.2);
    Add(b, Tone{.length = 0.19, .from = pitch, .to = pitch, .attack = 0.0008, .decay = 0.05});
    Add(b, Tone{.length = 0.15, .from = pitch * 2.76, .to = pitch * 2.76, .amp = 0.45, .attack = 0.0008, .decay = 0.03});
    Add(b, Tone{.length = 0.1, .from = pitch * 5.4, .to = pitch * 5.4, .amp = 0.2, .attack = 0.0008, .decay = 0.015});
    return Finish(b);
}

Samples BrickBreak(double pitch, uint32_t seed) {
    Buffer b = Silence(0.4);
    Add(b, Noise{.length = 0.35, .amp = 1.0, .attack = 0.001, .decay = 0.07, .lowFrom = 6000, .lowTo = 900, .high = 300, .seed = seed});
    Add(b, Tone{.length = 0.25, .from = pitch, .to = pitch * 0.4, .amp = 0.55, .attack = 0.001, .decay = 0.07, .wave = Wave::Square});
    // A few crackling grains as the pieces fall.
    Xorshift rng(seed + 17u);
    for (int k = 0; k < 5; ++k)
        Add(b, Noise{.start = 0.05 + rng.Unit() * 0.25, .length = 0.02, .amp = 0.5, .attack = 0.0005, .decay = 0.004,
                     .lowFrom = 7000, .lowTo = 4000, .high = 1500, .seed = seed * 7u + static_cast<uint32_t>(k)});
    return Finish(b);
}

Samples PrizeBounce(double pitch) {
    Buffer b = Silence(0.22);
    Add(b, Tone{.length = 0.21, .from = pitch * 1.5, .to = pitch, .attack = 0.002, .decay = 0.06, .vibrato = 0.03});
    Add(b, Tone{.length = 0.15, .from = pitch * 3, .to = pitch * 2, .amp = 0.2, .attack = 0.002, .decay = 0.03});
    return Finish(b);
}

Samples PrizePickup(double root) {
    Buffer b = Silence(0.36);
    const Tone note{.length = 0.08, .from = 1, .to = 1, .amp = 0.8, .attack = 0.002, .decay = 0.06, .wave = Wave::Square};
    Tone last = note;
    last.length = 0.2;
    Run(b, root, {0, 4, 7, 12}, 0.055, note, last);
    // A soft octave above each note.
    const Tone shine{.length = 0.08, .from = 2, .to = 2, .amp = 0.25, .attack = 0.002, .decay = 0.04};
    Tone shineLast = shine;
    shineLast.length = 0.2;
    Run(b, root, {0, 4, 7, 12}, 0.055, shine, shineLast);
    return Finish(b);
}

Samples PaddleBump(double pitch, uint32_t seed) {
    Buffer b = Silence(0.16);
    Add(b, Tone{.length = 0.15, .from = pitch * 1.8, .to = pitch * 0.8, .attack = 0.001, .decay = 0.04});
    Add(b, Noise{.length = 0.06, .amp = 0.5, .attack = 0.001, .decay = 0.015, .lowFrom = 900, .lowTo = 300, .seed = seed});
    return Finish(b);
}

Samples Shot(double from, double to, double seconds) {
    Buffer b = Silence(seconds + 0.01);
    Add(b, Tone{.length = seconds, .from = from, .to = to, .attack = 0.001, .decay = seconds * 0.45, .wave = Wave::Square});
    Add(b, Tone{.length = seconds, .from = from * 1.5, .to = to * 1.5, .amp = 0.3, .attack = 0.001, .decay = seconds * 0.3, .wave = Wave::Saw});
    return Finish(b);
}

Samples Explosion(double seconds, uint32_t seed) {
    Buffer b = Silence(seconds + 0.01);
    Add(b, Noise{.length = seconds, .amp = 1.0, .attack = 0.003, .decay = seconds * 0.3, .lowFrom = 4000, .lowTo = 150, .seed = seed});
    Add(b, Noise{.length = seconds * 0.2, .amp = 0.6, .attack = 0.001, .decay = seconds * 0.05, .lowFrom = 9000, .lowTo = 3000, .high = 800, .seed = seed + 1});
    Add(b, Tone{.length = seconds, .from = 70, .to = 38, .amp = 0.7, .attack = 0.004, .decay = seconds * 0.3});
    return Finish(b);
}

Samples LifeLost(double root) {
    Buffer b = Silence(1.1);
    // The last note sags and wavers.
    Run(b, root, {0, -1, -2, -3}, 0.2,
        Tone{.length = 0.22, .from = 1, .to = 1, .amp = 0.9, .attack = 0.005, .decay = 0.12, .wave = Wave::Triangle},
        Tone{.length = 0.7, .from = 1, .to = 0.94, .amp = 0.9, .attack = 0.005, .decay = 0.3, .wave = Wave::Triangle, .vibrato = 0.012});
    return Finish(b);
}

Samples LevelClear(double root) {
    Buffer b = Silence(1.5);
    const Tone note{.length = 0.13, .from = 1, .to = 1, .amp = 0.7, .attack = 0.003, .decay = 0.1, .wave = Wave::Square};
    Run(b, root, {0, 4, 7, 12}, 0.11, note, note);
    // The closing chord, held and fading.
    const Tone chord{.start = 0.5, .length = 0.95, .from = 1, .to = 1, .amp = 0.35, .attack = 0.01, .decay = 0.45, .wave = Wave::Triangle, .vibrato = 0.004};
    Run(b, root, {0, 4, 7, 12}, 0, chord, chord);
    return Finish(b);
}

Samples ButtonHover(double pitch) {
    Buffer b = Silence(0.05);
    Add(b, Tone{.length = 0.045, .from = pitch, .to = pitch * 1.12, .attack = 0.003, .decay = 0.012});
    return Finish(b);
}

Samples ButtonClick(double pitch, uint32_t seed) {
    Buffer b = Silence(0.07);
    Add(b, Noise{.length = 0.012, .amp = 0.6, .attack = 0.0005, .decay = 0.003, .lowFrom = 8000, .lowTo = 6000, .high = 2000, .seed = seed});
    Add(b, Tone{.length = 0.025, .from = pitch, .to = pitch * 0.9, .amp = 0.6, .attack = 0.0005, .decay = 0.006});
    Add(b, Tone{.start = 0.02, .length = 0.045, .from = pitch / 3, .to = pitch / 3.3, .amp = 0.5, .attack = 0.001, .decay = 0.012, .wave = Wave::Triangle});
    return Finish(b);
}

Samples ExtraLife(double root, uint32_t seed) {
    Buffer b = Silence(0.9);
    Run(b, root, {0, 4, 7, 12, 16}, 0.08,
        Tone{.length = 0.12, .from = 1, .to = 1, .amp = 0.7, .attack = 0.002, .decay = 0.08, .wave = Wave::Triangle},
        Tone{.length = 0.45, .from = 1, .to = 1, .amp = 0.7, .attack = 0.002, .decay = 0.2, .wave = Wave::Triangle, .vibrato = 0.01});
    Xorshift rng(seed);
    for (int k = 0; k < 8; ++k) {
        const double f = Semitones(root * 4, static_cast<double>(rng.Below(12)));
        Add(b, Tone{.start = 0.3 + k * 0.05, .length = 0.06, .from = f, .to = f, .amp = 0.18, .attack = 0.001, .decay = 0.02});
    }
    return Finish(b);
}

Samples MetalHit(double pitch) {
    Buffer b = Silence(0.45);
    Add(b, Tone{.length = 0.44, .from = pitch, .to = pitch, .attack = 0.0005, .decay = 0.12});
    Add(b, Tone{.length = 0.35, .from = pitch * 2.41, .to = pitch * 2.41, .amp = 0.5, .attack = 0.0005, .decay = 0.08});
    Add(b, Tone{.length = 0.25, .from = pitch * 3.87, .to = pitch * 3.87, .amp = 0.3, .attack = 0.0005, .decay = 0.05});
    Add(b, Noise{.length = 0.02, .amp = 0.4, .attack = 0.0005, .decay = 0.004, .lowFrom = 9000, .lowTo = 6000, .high = 2500});
    return Finish(b);
}

Samples SpecialHum(double pitch) {
    Buffer b = Silence(0.3);
    Add(b, Tone{.length = 0.28, .from = pitch, .to = pitch * 2, .attack = 0.01, .decay = 0.12, .wave = Wave::Triangle, .vibrato = 0.04});
    Add(b, Tone{.length = 0.28, .from = pitch * 1.5, .to = pitch * 3, .amp = 0.35, .attack = 0.01, .decay = 0.1, .vibrato = 0.05});
    return Finish(b);
}

Samples MonsterHit(double pitch, uint32_t seed) {
    Buffer b = Silence(0.18);
    Add(b, Tone{.length = 0.17, .from = pitch * 1.6, .to = pitch * 0.7, .attack = 0.001, .decay = 0.05, .wave = Wave::Square});
    Add(b, Noise{.length = 0.05, .amp = 0.4, .attack = 0.001, .decay = 0.015, .lowFrom = 2500, .lowTo = 800, .seed = seed});
    return Finish(b);
}

Samples MonsterAppear(double pitch) {
    Buffer b = Silence(0.4);
    Add(b, Tone{.length = 0.38, .from = pitch, .to = pitch * 3, .amp = 0.8, .attack = 0.02, .decay = 0.25, .wave = Wave::Saw, .vibrato = 0.08});
    return Finish(b);
}

Samples MonsterFizzle(uint32_t seed) {
    Buffer b = Silence(0.5);
    Add(b, Noise{.length = 0.48, .amp = 1.0, .attack = 0.005, .decay = 0.15, .lowFrom = 3500, .lowTo = 300, .seed = seed});
    Add(b, Tone{.length = 0.4, .from = 300, .to = 90, .amp = 0.4, .attack = 0.005, .decay = 0.15, .wave = Wave::Triangle});
    return Finish(b);
}

Samples BallLost(double pitch) {
    Buffer b = Silence(0.32);
    Add(b, Tone{.length = 0.3, .from = pitch, .to = pitch * 0.25, .attack = 0.002, .decay = 0.15, .wave = Wave::Triangle});
    return Finish(b);
}

Samples MissileLaunch(uint32_t seed) {
    Buffer b = Silence(0.35);
    Add(b, Noise{.length = 0.33, .amp = 0.8, .attack = 0.02, .decay = 0.12, .lowFrom = 800, .lowTo = 5000, .high = 200, .seed = seed});
    Add(b, Tone{.length = 0.3, .from = 220, .to = 880, .amp = 0.4, .attack = 0.01, .decay = 0.1, .wave = Wave::Square});
    return Finish(b);
}

std::vector<NamedSound> DemoSounds() {
    return {
        {"Wall_Bounce", WallBounce()},   {"Paddle_Bounce", PaddleBounce()}, {"Brick_Hit", BrickHit()},
        {"Brick_Break", BrickBreak()},   {"Prize_Bounce", PrizeBounce()},   {"Prize_Pickup", PrizePickup()},
        {"Paddle_Bump", PaddleBump()},   {"Shot", Shot()},                  {"Explosion", Explosion()},
        {"Life_Lost", LifeLost()},       {"Level_Clear", LevelClear()},     {"Button_Hover", ButtonHover()},
        {"Button_Click", ButtonClick()}, {"Extra_Life", ExtraLife()},   {"Metal_Hit", MetalHit()},
        {"Special_Hum", SpecialHum()},   {"Monster_Hit", MonsterHit()},     {"Monster_Appear", MonsterAppear()},
        {"Monster_Fizzle", MonsterFizzle()}, {"Ball_Lost", BallLost()},     {"Small_Explosion", Explosion(0.35, 5)},
        {"Missile_Launch", MissileLaunch()},
    };
}

std::string SoundWave(const Samples& samples) {
    WaveParams w;
    w.rate = kSoundRate;
    w.samples.reserve(samples.size() * 2);
    for (int16_t s : samples) {
        const auto u = static_cast<uint16_t>(s);
        w.samples.push_back(static_cast<char>(u & 0xFF));
        w.samples.push_back(static_cast<char>(u >> 8));
    }
    return BuildWave(w);
}

}  // namespace datagen::demo
