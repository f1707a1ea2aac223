// The test script of the game program (SPRALLION_SCRIPT=FILE): timed keys and mouse input,
// waits counted in ticks, and checks that a panel shows or a game variable holds a value
// within a number of ticks. The program runs one step after each tick of the kernel; a check
// that does not hold in time ends the program with exit status 3.
//
// One command per line; blanks separate words; '#' starts a comment; names of keys, buttons
// and commands ignore case:
//
//   key NAME [HOLD]        press, hold for HOLD ticks (default 2), release, then one tick
//   down NAME / up NAME    press or release a key and go on
//   move DX DY             move the mouse by DX, DY pixels
//   click BUTTON           press left|right|middle for 2 ticks, release, then one tick
//   press BUTTON / release BUTTON
//   wait N                 let N ticks pass
//   until panel NAME within N       the panel shows now or within N ticks
//   until no panel NAME within N    ... is hidden
//   until VARIABLE = VALUE within N  a game variable (fd_Level, ...) holds VALUE
//   until VARIABLE > VALUE within N  ... or a greater value
//   until message N within T        the in-game message box shows message N (1..47)
//   keep VARIABLE                   keeps the variable's value now (it must exist); a later
//                                   check compares with it when its VALUE is "kept"
//   until window N within T         the native message box shows window message N (1..47)
//   until dialog NAME within N      the native dialog of that name (its form's) is up
//   follow N               for N ticks steer the paddle after the ball as a player would
//                          (Left, Right), catching falling prizes when the ball leaves
//                          time, and press Space now and then to launch and fire
//
// Besides the game variables the program answers "Condition" (the kernel's condition: 0 play,
// 3 a panel over the game, 4 a menu) and "Bricks" (the bricks in play that can be broken).
//
// Key names: Enter (Return), Esc (Escape), Space, Tab, Backspace, Shift, Ctrl, Alt, Pause,
// Left, Right, Up, Down, Home, End, PageUp, PageDown, Insert, Delete, F1..F24, A..Z, 0..9.
//
// The text is outside data: every word, number and count is checked (at most 1 MiB of text,
// 100,000 steps, names of 64 letters, tick counts up to 10,000,000) and a fault answers the
// line and what is wrong with it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
class TGPKernel;
}

namespace app {

struct TScriptStep {
    enum class Kind : uint8_t {
        KeyDown, KeyUp, MouseMove, ButtonDown, ButtonUp, Wait, UntilPanel, UntilValue, UntilMessage, UntilWindow, UntilDialog,
        Keep, Follow
    };
    Kind Type = Kind::Wait;
    int Line = 0;
    uint8_t Key = 0;          // KeyDown, KeyUp: virtual key; ButtonDown, ButtonUp: 0 left, 1 right, 2 middle
    int32_t X = 0, Y = 0;     // MouseMove
    uint32_t Ticks = 0;       // Wait, Follow; the Until checks' limit
    std::string Name;         // the panel, the variable or the dialog
    int32_t Value = 0;        // UntilValue; UntilMessage, UntilWindow: the message's number
    bool Hidden = false;      // UntilPanel: the panel hidden rather than shown
    bool Greater = false;     // UntilValue: VARIABLE > VALUE rather than =
    bool Kept = false;        // UntilValue: the value kept for the variable rather than Value
};

struct TGameScript {
    std::vector<TScriptStep> Steps;
};

inline constexpr size_t kMaxScriptBytes = 1 << 20;
inline constexpr size_t kMaxScriptSteps = 100000;
inline constexpr size_t kMaxScriptName = 64;
inline constexpr uint32_t kMaxScriptTicks = 10000000;
inline constexpr int32_t kMaxScriptMessage = 47;  // the in-game messages are numbered 1..47

// False with "line N: ..." in `error` when the text is not a script.
bool ParseGameScript(std::string_view text, TGameScript& script, std::string& error);
// The virtual key of a key name; 0 for none.
uint8_t ScriptKeyCode(std::string_view name);

// What `follow` sees of the game, in the field's pixels: the paddle, the balls in flight,
// the prizes falling, the exit gems (caught, they end the level), the bricks still to break
// and the steel.
struct TPlayView {
    struct Box {
        int32_t X = 0, Y = 0, W = 0, H = 0;  // the collision rectangle
        double VX = 0, VY = 0;                // pixels per tick
        double CenterX() const { return X + W / 2.0; }
        double CenterY() const { return Y + H / 2.0; }
    };
    Box Paddle;
    bool Reversed = false;    // left and right swapped
    bool Carrying = false;    // a ball rides the paddle
    bool UpsideDown = false;  // the field turned: the floor holds the ball, the ceiling loses it
    std::vector<Box> Balls, Prizes, Exits, Targets, Walls;
    int32_t FieldWidth = 576;
};

// The keys `follow` holds for the next tick.
struct TSteerKeys {
    bool Left = false, Right = false, Launch = false;
};
// Where the paddle goes: under the ball that comes down first, placed so that the ball
// leaves towards the lowest brick it can reach past the steel, straight or off a side wall;
// after a falling prize while the ball is far enough away to come back in time; out of the
// ball's way when the field is upside down (the ball bounces off the floor then, and under
// the paddle it would be caught between the two). An exit gem the paddle can reach comes
// before all of these: it ends the level, whatever becomes of the ball. Space is held a tick
// in twenty.
TSteerKeys SteerPaddle(const TPlayView& view, uint64_t tick);
// The view of the kernel's game; nothing unless it is being played with a paddle.
std::optional<TPlayView> PlayViewOf(const engine::TGPKernel& kernel);

// What a script acts on and looks at.
class TScriptTarget {
public:
    virtual ~TScriptTarget() = default;
    virtual void Key(uint8_t key, bool down) = 0;
    virtual void MouseMove(int32_t dx, int32_t dy) = 0;
    virtual void MouseButton(int button, bool down) = 0;
    virtual bool PanelShown(const std::string& name) = 0;
    // Nothing when the variable does not exist (yet).
    virtual std::optional<int32_t> Variable(const std::string& name) = 0;
    // The number of the message the in-game message box shows; nothing while it is hidden.
    virtual std::optional<int32_t> MessageShown() = 0;
    // The native dialog that is up (its name), and the window message its box shows; nothing
    // without one.
    virtual std::optional<std::string> DialogShown() { return std::nullopt; }
    virtual std::optional<int32_t> WindowMessageShown() { return std::nullopt; }
    // The game as `follow` sees it; nothing while no paddle plays.
    virtual std::optional<TPlayView> PlayView() { return std::nullopt; }
};

// Runs a script one tick at a time.
class TScriptRunner {
public:
    enum class State { Running, Finished, Failed };
    TScriptRunner(TGameScript script, TScriptTarget& target);

    // The turn after a tick: the steps due now, up to the next wait.
    void Tick();
    State Status() const { return state_; }
    // Why the script failed: "line N: ... not ... within M ticks (what held instead)".
    const std::string& Failure() const { return failure_; }
    uint64_t Ticks() const { return ticks_; }

private:
    bool Holds(const TScriptStep& step);
    std::optional<int32_t> Expected(const TScriptStep& step) const;
    std::string FailureText(const TScriptStep& step);
    void Steer();
    void HoldKeys(const TSteerKeys& keys);

    TGameScript script_;
    TScriptTarget& target_;
    State state_ = State::Running;
    size_t next_ = 0;
    uint32_t waiting_ = 0;  // ticks still to pass
    uint32_t checked_ = 0;  // ticks an Until has waited
    uint32_t following_ = 0;  // ticks `follow` still steers
    TSteerKeys held_;        // the keys it holds
    uint64_t ticks_ = 0;
    std::string failure_;
    std::map<std::string, int32_t> kept_;
};

}  // namespace app
