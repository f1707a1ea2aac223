// The steering of the test script's `follow`: where the paddle should be, from what a
// player sees of the field, and the view of the game it is computed from.
#include "app/GameScript.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"

namespace app {
namespace {

constexpr double kPaddleSpeed = 10.0;  // pixels per tick the paddle covers once under way
constexpr int kMargin = 8;             // ticks to spare when leaving the ball for a prize
constexpr uint64_t kLaunchEvery = 20;  // Space is held one tick in this many
constexpr int32_t kExitGem = 69;       // in the ball nation, but caught as a prize
constexpr double kSlowestFall = 0.5;   // pixels per tick assumed of a prize that hardly falls
constexpr double kRolling = 0.25;      // a ball this flat (rise over run) rolls along the floor

// Where a ball's centre crosses the height y, its path folded back at the side walls, and
// in how many ticks. A ball going up comes down again from the ceiling.
struct Landing {
    double x = 0, ticks = std::numeric_limits<double>::infinity();
};

double Fold(double x, double low, double high) {
    const double span = high - low;
    if (span <= 0) return low;
    double t = std::fmod(x - low, 2 * span);
    if (t < 0) t += 2 * span;
    return t <= span ? low + t : high - (t - span);
}

Landing LandingOf(const TPlayView::Box& ball, double y, double fieldWidth) {
    const double r = ball.W / 2.0;
    Landing l;
    if (std::abs(ball.VY) < 0.05) return l;
    double fall = 0, x = ball.CenterX();
    if (ball.VY > 0) {
        fall = (y - ball.CenterY()) / ball.VY;
    } else {
        const double up = (ball.CenterY() - r) / -ball.VY;
        fall = up + (y - r) / -ball.VY;
    }
    if (fall < 0) return l;
    l.ticks = fall;
    l.x = Fold(x + ball.VX * fall, r, fieldWidth - r);
    return l;
}

// Whether the segment from (x0, y0) to (x1, y1) crosses the rectangle grown by `margin`.
bool Crosses(double x0, double y0, double x1, double y1, const TPlayView::Box& r, double margin) {
    double t0 = 0, t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double low[2] = {r.X - margin, r.Y - margin}, high[2] = {r.X + r.W + margin, r.Y + r.H + margin};
    const double from[2] = {x0, y0}, d[2] = {dx, dy};
    for (int axis = 0; axis < 2; ++axis) {
        if (std::abs(d[axis]) < 1e-9) {
            if (from[axis] < low[axis] || from[axis] > high[axis]) return false;
            continue;
        }
        double a = (low[axis] - from[axis]) / d[axis], b = (high[axis] - from[axis]) / d[axis];
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a), t1 = std::min(t1, b);
        if (t0 > t1) return false;
    }
    return true;
}

// A path from the touch on the paddle to a brick: straight, or off one side wall.
struct Aim {
    double offset = 0;  // the ball's centre from the paddle's at the touch
    bool found = false;
};

// The paddle's place that sends a ball landing at x to a brick left: the ball leaves along
// the line from the paddle's centre to its own, and no flatter than about 30 degrees. Of the
// bricks the ball can reach without meeting steel (straight, or off a side wall) the lowest
// is taken, the one needing the steepest path among equals.
double AimFor(const TPlayView& view, double x, double radius) {
    const TPlayView::Box& p = view.Paddle;
    const double rise = radius + p.H / 2.0;  // the ball's centre above the paddle's at the touch
    const double limit = std::min(rise * 1.7, p.W / 2.0 - 3.0);
    const double y = p.Y - radius, width = view.FieldWidth;
    Aim best;
    int32_t bestY = std::numeric_limits<int32_t>::min();
    for (const TPlayView::Box& t : view.Targets) {
        if (t.Y < bestY) continue;
        const double tx = t.CenterX(), ty = t.CenterY();
        const double height = std::max(40.0, y - ty);
        // Straight up to the brick, or to its mirror image beyond either side wall.
        for (const double aim : {tx, -tx, 2 * width - tx}) {
            const double offset = rise * (aim - x) / height;
            if (std::abs(offset) > limit) continue;
            // Where the path meets the wall, when it does.
            const double wx = aim < 0 ? 0 : aim > width ? width : aim;
            const double wy = aim == tx ? ty : y - (y - ty) * (wx - x) / (aim - x);
            bool blocked = false;
            for (const TPlayView::Box& wall : view.Walls)
                if (Crosses(x, y, wx, wy, wall, radius) || (aim != tx && Crosses(wx, wy, tx, ty, wall, radius))) {
                    blocked = true;
                    break;
                }
            if (blocked) continue;
            if (t.Y > bestY || std::abs(offset) < std::abs(best.offset)) {
                best = {offset, true};
                bestY = t.Y;
            }
        }
    }
    return best.found ? x - best.offset : x;
}

double TravelTicks(double from, double to) { return std::abs(to - from) / kPaddleSpeed + 3; }

// Ticks until a falling box reaches the paddle's top, and the paddle's centre that meets it.
struct Catch {
    double ticks = 0, x = 0;
};
Catch CatchOf(const TPlayView& view, const TPlayView::Box& box) {
    const TPlayView::Box& p = view.Paddle;
    return {std::max(0.0, (p.Y - (box.Y + box.H)) / std::max(box.VY, kSlowestFall)),
            std::clamp(box.CenterX(), p.W / 2.0, view.FieldWidth - p.W / 2.0)};
}

// The exit gem to go for now: the first the paddle reaches that lands before the ball comes
// down, unless the paddle can serve the ball and still meet it (a lost ball takes the gems
// with it).
std::optional<double> ExitGoal(const TPlayView& view, const Landing& ball) {
    std::optional<double> goal;
    double soonest = std::numeric_limits<double>::infinity();
    for (const TPlayView::Box& gem : view.Exits) {
        if (gem.Y > view.Paddle.Y + view.Paddle.H) continue;  // gone past
        const Catch c = CatchOf(view, gem);
        const bool reach = TravelTicks(view.Paddle.CenterX(), c.x) <= c.ticks + 2;
        const bool afterBall = ball.ticks + TravelTicks(ball.x, c.x) <= c.ticks + 2;
        if (reach && c.ticks < ball.ticks && !afterBall && c.ticks < soonest) soonest = c.ticks, goal = c.x;
    }
    return goal;
}

}  // namespace

TSteerKeys SteerPaddle(const TPlayView& view, uint64_t tick) {
    TSteerKeys keys;
    keys.Launch = tick % kLaunchEvery == 0;
    const TPlayView::Box& p = view.Paddle;
    const double paddleX = p.CenterX(), top = p.Y;

    // The ball above the paddle that comes down first.
    const TPlayView::Box* ball = nullptr;
    Landing first;
    for (const TPlayView::Box& b : view.Balls) {
        if (b.CenterY() > top) continue;
        const Landing l = LandingOf(b, top - b.H / 2.0, view.FieldWidth);
        if (l.ticks < first.ticks) first = l, ball = &b;
    }
    double goal = paddleX;
    if (ball) goal = AimFor(view, first.x, ball->W / 2.0);
    // Upside down a ball below the paddle bounces off the floor: the paddle leaves its way,
    // or the ball would be caught between the two. One that rolls along the floor stays
    // there (the wall bounces turn a flat ball downwards): the paddle runs into it, and the
    // knock sends it off at a new angle.
    if (view.UpsideDown)
        for (const TPlayView::Box& b : view.Balls) {
            if (b.CenterY() <= top - b.H) continue;
            if (std::abs(b.VY) < kRolling * std::abs(b.VX)) {
                goal = b.CenterX();
                break;
            }
            if (std::abs(b.CenterX() - paddleX) < p.W / 2.0 + b.W * 2)
                goal = b.CenterX() < view.FieldWidth / 2.0 ? view.FieldWidth - p.W / 2.0 : p.W / 2.0;
        }

    // A prize that can be caught on the way, or before the ball comes: the one that lands
    // first of those.
    double prizeTicks = std::numeric_limits<double>::infinity();
    for (const TPlayView::Box& prize : view.Prizes) {
        if (prize.VY <= 0.05 && prize.Y + prize.H < top - 60) continue;  // still rising
        const auto [ticks, x] = CatchOf(view, prize);
        const bool reach = TravelTicks(paddleX, x) <= ticks + 2;
        const bool back = !ball || ticks + TravelTicks(x, first.x) + kMargin < first.ticks;
        const bool onTheWay = ball && std::abs(x - goal) < p.W / 2.0 - 4 && ticks < first.ticks;
        if (reach && (back || onTheWay) && ticks < prizeTicks) {
            prizeTicks = ticks;
            goal = onTheWay ? goal : x;
        }
    }

    if (const std::optional<double> exit = ExitGoal(view, first)) goal = *exit;

    // No key stops the paddle at once; a held key speeds it up, so it is let go one step
    // before the goal.
    const double distance = goal - paddleX;
    const double step = std::abs(p.VX) + 1.5;
    if (std::abs(distance) > std::max(2.0, std::abs(p.VX) > 0 ? step : 2.0)) {
        const bool right = distance > 0;
        (right != view.Reversed ? keys.Right : keys.Left) = true;
    }
    return keys;
}

std::optional<TPlayView> PlayViewOf(const engine::TGPKernel& kernel) {
    const engine::TGPObject* paddle = kernel.Shared.Player();
    if (!paddle || kernel.Condition != engine::ck_Play) return std::nullopt;
    auto box = [](const engine::TGPObject& o) {
        const engine::TRect r = o.GetRect();
        return TPlayView::Box{r.Left,
                              r.Top,
                              r.Right - r.Left,
                              r.Bottom - r.Top,
                              engine::RealFromFixed(o.VelocityXFx),
                              engine::RealFromFixed(o.VelocityYFx)};
    };
    TPlayView view;
    view.Paddle = box(*paddle);
    view.Reversed = (paddle->Kind & engine::kind::ReverseX) != 0;
    view.UpsideDown = kernel.Shared.UpsideDown;
    if (kernel.Map) view.FieldWidth = kernel.Map->Cols * kernel.Map->CellSize;
    constexpr int32_t kRiding = engine::kind::Riding | engine::kind::RandomRide;
    if (const engine::TGPNation* balls = kernel.FindNation(4))
        for (const engine::TGPObject* o : balls->Objects) {
            if (o->Dead()) continue;
            if (o->IDClass == kExitGem) {
                view.Exits.push_back(box(*o));
            } else if (o->Kind & kRiding) {
                view.Carrying = true;
            } else {
                view.Balls.push_back(box(*o));
            }
        }
    if (const engine::TGPNation* prizes = kernel.FindNation(1))
        for (const engine::TGPObject* o : prizes->Objects)
            if (!o->Dead()) view.Prizes.push_back(box(*o));
    if (const engine::TGPNation* bricks = kernel.FindNation(0))
        for (const engine::TGPObject* o : bricks->Objects)
            if (!o->Dead() && engine::IsBrickClass(o->IDClass))
                (o->HitPoints != engine::kIndestructible ? view.Targets : view.Walls).push_back(box(*o));
    return view;
}

}  // namespace app
