#include <cmath>
#include <limits>
#include <numbers>

#include "engine/gpUtils.h"
#include "media/DXClass.h"
#include "rtl/Exceptions.h"
#include "rtl/Numbers.h"

namespace engine {

const std::array<const char*, 19> RankNames = {
    "private", "corporal", "second_sergeant", "sergeant", "sergent-chief", "master_sergeant",
    "second_lieutenant", "first_lieutenant", "captain", "major", "lt_colonel", "colonel",
    "master_colonel", "brigadier_general", "major_general", "general", "general_of_the_rocket",
    "marshal", "generalissimo"};
const std::array<const char*, 10> AwardNames = {
    "Score_stealer", "Crafty_paddle", "Gilded_cannon-ball", "Fortunate_hunt", "Thirst_for_life",
    "Step_ahead", "Famous_hunter", "Unique_fortune", "Clean_sheet", "Better_then_best"};
const std::array<const char*, 8> ShotNames = {"Missile_noway", "Fire_Bal",   "Fire_Bal_1",
                                              "Fire_Bal_2",    "Fire_Bal_3", "Fire_Bal_4",
                                              "Fire_Bal_5",    "Fire_Alt"};

namespace {
// A sum that must fit 32 bits.
int32_t Add32(int64_t a, int64_t b) {
    const int64_t s = a + b;
    if (s < std::numeric_limits<int32_t>::min() || s > std::numeric_limits<int32_t>::max())
        throw rtl::ERangeError(rtl::texts::SRangeError);
    return static_cast<int32_t>(s);
}
}  // namespace

// Every real is checked before it becomes an integer (rtl::Round32): NaN, the infinities
// and values beyond 32 bits raise ERangeError instead of converting undefined.
rtl::TPoint RotatePoint(int32_t x0, int32_t y0, int32_t r1, int32_t r2, int32_t dx, int32_t dy,
                        uint8_t angle) {
    const double s = media::TableSin256(angle);
    const double c = media::TableCos256(angle);
    return {Add32(dx, rtl::Round32(x0 + r1 * (s - c))), Add32(dy, rtl::Round32(y0 - r2 * (s + c)))};
}

double CosAngle256(double a) { return std::cos(a / 256.0 * 2.0 * std::numbers::pi); }
double SinAngle256(double a) { return std::sin(a / 256.0 * 2.0 * std::numbers::pi); }

rtl::TPoint RotatePointF(double x0, double y0, double r1, double r2, double dx, double dy,
                         double angle) {
    const double s = SinAngle256(angle);
    const double c = CosAngle256(angle);
    // dx + round(...) is real again (dx is): it is rounded once more to land on a pixel.
    return {rtl::Round32(dx + static_cast<double>(rtl::Round32(x0 + r1 * (s - c)))),
            rtl::Round32(dy + static_cast<double>(rtl::Round32(y0 - r2 * (s + c))))};
}

int32_t AngleOf(int64_t dy, int64_t dx) {
    if (dx == 0 && dy == 0) return 0;
    if (dy == 0) return dx > 0 ? 256 : 128;
    if (dx == 0) return dy > 0 ? 64 : 192;
    double deg = std::atan2(static_cast<double>(dy), static_cast<double>(dx)) * 180.0 / std::numbers::pi;
    if (deg < 0) deg += 360.0;
    return static_cast<int32_t>(rtl::Round(deg * 256.0 / 360.0));
}

bool RectInside(const rtl::TRect& a, const rtl::TRect& b) {
    return a.Left >= b.Left && a.Top >= b.Top && a.Right <= b.Right && a.Bottom <= b.Bottom;
}

int32_t DirectionBetween(const rtl::TRect& a, const rtl::TRect& b, const rtl::TRect& c,
                         int32_t count, bool flag) {
    auto centre = [](const rtl::TRect& r) {
        return rtl::TPoint{static_cast<int32_t>(r.Left + (int64_t{r.Right} - r.Left) / 2),
                           static_cast<int32_t>(r.Top + (int64_t{r.Bottom} - r.Top) / 2)};
    };
    const rtl::TPoint ca = centre(a);
    const rtl::TPoint p[4] = {
        centre(c), centre(b),
        {ca.X, static_cast<int32_t>(a.Top + (int64_t{c.Bottom} - c.Top) / 2)},
        {static_cast<int32_t>(a.Left + (int64_t{c.Right} - a.Left) / 2), ca.Y}};
    if (ca == p[0]) return -1;
    // Differences of 32-bit coordinates need 33 bits: they stay 64-bit all the way.
    auto angleTo = [](int64_t ddy, int64_t ddx) { return AngleOf(ddy, ddx); };
    if (!flag) return angleTo(int64_t{p[0].Y} - ca.Y, int64_t{p[0].X} - ca.X);
    if (count > 3) throw rtl::ERangeError(rtl::texts::SRangeError);
    int64_t best = 9'000'000;
    int k = 0;
    for (int i = 0; i <= count; ++i) {
        const int64_t ex = int64_t{p[i].X} - ca.X;
        const int64_t ey = int64_t{p[i].Y} - ca.Y;
        const int64_t d = ex * ex + ey * ey;
        if (d < best && d != 0) {
            best = d;
            k = i;
        }
    }
    if (k == 1) return angleTo(int64_t{ca.Y} - p[1].Y, int64_t{ca.X} - p[1].X);
    return angleTo(int64_t{p[k].Y} - ca.Y, int64_t{p[k].X} - ca.X);
}

double RandomSigned(int32_t range, int32_t divisor) {
    if (divisor == 0) throw rtl::EDivByZero(rtl::texts::SDivByZero);
    const int32_t r = rtl::Random(range);
    return r < range / 2 ? static_cast<double>(r) / divisor : -static_cast<double>(r) / divisor;
}

void OrderSwap(int32_t& a, int32_t& b) {
    if (b < a) std::swap(a, b);
}

}  // namespace engine
