// The test script of the program: what a text turns into, what it refuses, and when its steps
// and checks fall due.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/GameScript.h"
#include "platform/input/VirtualKeys.h"

namespace {

using app::TGameScript;
using app::TScriptRunner;
using app::TScriptStep;
using K = TScriptStep::Kind;
namespace vk = platform::input::vk;

TGameScript Parse(std::string_view text) {
    TGameScript script;
    std::string error;
    EXPECT_TRUE(app::ParseGameScript(text, script, error)) << error;
    return script;
}

std::string Refusal(std::string_view text) {
    TGameScript script;
    std::string error;
    EXPECT_FALSE(app::ParseGameScript(text, script, error)) << text;
    EXPECT_TRUE(script.Steps.empty());
    return error;
}

// Records what the script does, tick by tick; panels and variables are set by the test.
class Recorder : public app::TScriptTarget {
public:
    void Key(uint8_t key, bool down) override { Note((down ? "down " : "up ") + std::to_string(key)); }
    void MouseMove(int32_t dx, int32_t dy) override { Note("move " + std::to_string(dx) + " " + std::to_string(dy)); }
    void MouseButton(int button, bool down) override { Note((down ? "press " : "release ") + std::to_string(button)); }
    bool PanelShown(const std::string& name) override { return panels.count(name) != 0; }
    std::optional<int32_t> Variable(const std::string& name) override {
        auto it = variables.find(name);
        return it == variables.end() ? std::nullopt : std::optional<int32_t>(it->second);
    }
    std::optional<int32_t> MessageShown() override { return message; }
    std::optional<std::string> DialogShown() override { return dialog; }
    std::optional<int32_t> WindowMessageShown() override { return window; }
    void Note(const std::string& what) { log.push_back(std::to_string(tick) + ": " + what); }

    uint64_t tick = 0;
    std::vector<std::string> log;
    std::set<std::string> panels;
    std::map<std::string, int32_t> variables;
    std::optional<int32_t> message;
    std::optional<std::string> dialog;
    std::optional<int32_t> window;
};

void Turn(TScriptRunner& runner, Recorder& target, int ticks) {
    for (int i = 0; i < ticks && runner.Status() == TScriptRunner::State::Running; ++i) {
        ++target.tick;
        runner.Tick();
    }
}

TEST(GameScriptParse, CommandsBecomeSteps) {
    const TGameScript s = Parse(
        "# a comment\n"
        "key Enter\n"
        "  KEY f12 5   # held longer\r\n"
        "down shift\nup SHIFT\n"
        "move -3 +4\n"
        "click right\npress left\nrelease middle\n"
        "wait 0\nwait 7\n"
        "until panel MainPanel within 100\n"
        "until fd_Level = -2 within 0\n"
        "follow 50\n");
    std::vector<K> kinds;
    for (const TScriptStep& step : s.Steps) kinds.push_back(step.Type);
    EXPECT_EQ(kinds, (std::vector<K>{K::KeyDown, K::Wait, K::KeyUp, K::Wait, K::KeyDown, K::Wait, K::KeyUp, K::Wait,
                                     K::KeyDown, K::KeyUp, K::MouseMove, K::ButtonDown, K::Wait, K::ButtonUp, K::Wait,
                                     K::ButtonDown, K::ButtonUp, K::Wait, K::Wait, K::UntilPanel, K::UntilValue,
                                     K::Follow}));
    EXPECT_EQ(s.Steps[0].Key, vk::Return);
    EXPECT_EQ(s.Steps[0].Line, 2);
    EXPECT_EQ(s.Steps[1].Ticks, 2u);
    EXPECT_EQ(s.Steps[4].Key, vk::F(12));
    EXPECT_EQ(s.Steps[5].Ticks, 5u);
    EXPECT_EQ(s.Steps[8].Key, vk::Shift);
    EXPECT_EQ(s.Steps[10].X, -3);
    EXPECT_EQ(s.Steps[10].Y, 4);
    EXPECT_EQ(s.Steps[11].Key, 1);
    EXPECT_EQ(s.Steps[16].Key, 2);
    EXPECT_EQ(s.Steps[19].Name, "MainPanel");
    EXPECT_EQ(s.Steps[19].Ticks, 100u);
    EXPECT_EQ(s.Steps[20].Name, "fd_Level");
    EXPECT_EQ(s.Steps[20].Value, -2);
    EXPECT_EQ(s.Steps[20].Line, 13);
}

TEST(GameScriptParse, KeyNames) {
    EXPECT_EQ(app::ScriptKeyCode("Esc"), vk::Escape);
    EXPECT_EQ(app::ScriptKeyCode("escape"), vk::Escape);
    EXPECT_EQ(app::ScriptKeyCode("p"), 'P');
    EXPECT_EQ(app::ScriptKeyCode("7"), '7');
    EXPECT_EQ(app::ScriptKeyCode("F1"), vk::F(1));
    EXPECT_EQ(app::ScriptKeyCode("F24"), vk::F(24));
    EXPECT_EQ(app::ScriptKeyCode("F25"), 0);
    EXPECT_EQ(app::ScriptKeyCode("F0"), 0);
    EXPECT_EQ(app::ScriptKeyCode("F+1"), 0);
    EXPECT_EQ(app::ScriptKeyCode("%"), 0);
    EXPECT_EQ(app::ScriptKeyCode(""), 0);
}

TEST(GameScriptParse, FaultsNameTheirLine) {
    EXPECT_EQ(Refusal("wait 1\njump 3\n"), "line 2: unknown command");
    EXPECT_EQ(Refusal("key Banana"), "line 1: unknown key");
    EXPECT_EQ(Refusal("key Enter 0"), "line 1: hold must be 1 to 10000000 ticks");
    EXPECT_EQ(Refusal("wait -1"), "line 1: wait N expected, N within 0..10000000");
    EXPECT_EQ(Refusal("wait 10000001"), "line 1: wait N expected, N within 0..10000000");
    EXPECT_EQ(Refusal("follow 0"), "line 1: follow N expected, N within 1..10000000");
    EXPECT_EQ(Refusal("wait 99999999999999999999"), "line 1: wait N expected, N within 0..10000000");
    EXPECT_EQ(Refusal("wait 3x"), "line 1: wait N expected, N within 0..10000000");
    EXPECT_EQ(Refusal("move 1"), "line 1: move DX DY expected, each within -32768..32767");
    EXPECT_EQ(Refusal("move 40000 0"), "line 1: move DX DY expected, each within -32768..32767");
    EXPECT_EQ(Refusal("click up"), "line 1: left, right or middle expected");
    EXPECT_EQ(Refusal("until panel X within"),
              "line 1: until [no] panel NAME, until message N, until window N, until dialog NAME (each within T), or "
              "until VARIABLE =|> VALUE within N expected");
    EXPECT_EQ(Refusal("until panel X inside 5"), "line 1: within N expected, N within 0..10000000");
    EXPECT_EQ(Refusal("until 1x = 2 within 5"), "line 1: a variable name expected");
    EXPECT_EQ(Refusal("until fd_Level = 2147483648 within 5"), "line 1: a 32-bit value or kept expected");
    EXPECT_EQ(Refusal("keep 1x"), "line 1: keep VARIABLE expected");
    EXPECT_EQ(Refusal("keep"), "line 1: keep VARIABLE expected");
    EXPECT_EQ(Refusal("until panel " + std::string(65, 'P') + " within 5"), "line 1: a panel name of 1 to 64 letters expected");
    EXPECT_EQ(Refusal(std::string("wait 1\nwait\0 2\n", 15)), "line 2: a zero byte");
}

TEST(GameScriptParse, AMessageCheckTakesTheNumberOfAnInGameMessage) {
    const TGameScript s = Parse("until message 7 within 5000\nUNTIL Message 47 WITHIN 0\n");
    ASSERT_EQ(s.Steps.size(), 2u);
    EXPECT_EQ(s.Steps[0].Type, K::UntilMessage);
    EXPECT_EQ(s.Steps[0].Value, 7);
    EXPECT_EQ(s.Steps[0].Ticks, 5000u);
    EXPECT_EQ(s.Steps[1].Value, 47);
    for (const char* bad : {"until message 0 within 5", "until message 48 within 5", "until message -1 within 5",
                            "until message x within 5", "until message 2147483648 within 5"})
        EXPECT_EQ(Refusal(bad), "line 1: a message number within 1..47 expected") << bad;
    EXPECT_EQ(Refusal("until message 7 inside 5"), "line 1: within N expected, N within 0..10000000");
    EXPECT_EQ(Refusal("until message 7 within 10000001"), "line 1: within N expected, N within 0..10000000");
}

TEST(GameScriptParse, LimitsHold) {
    std::string many;
    for (size_t i = 0; i < app::kMaxScriptSteps / 4 + 1; ++i) many += "key A\n";  // four steps each
    EXPECT_EQ(Refusal(many), "line 25001: more than 100000 steps");
    EXPECT_EQ(Refusal(std::string(app::kMaxScriptBytes + 1, '#')), "the script is larger than 1 MiB");
    EXPECT_TRUE(Parse("").Steps.empty());
    EXPECT_TRUE(Parse("\n\n   # nothing\n").Steps.empty());
}

TEST(GameScriptRun, KeysAreHeldAndReleasedOnTheirTicks) {
    Recorder target;
    TScriptRunner runner(Parse("key Enter\nkey Esc 3\nmove 5 -5\n"), target);
    Turn(runner, target, 20);
    EXPECT_EQ(runner.Status(), TScriptRunner::State::Finished);
    EXPECT_EQ(target.log, (std::vector<std::string>{"1: down 13", "3: up 13", "4: down 27", "7: up 27", "8: move 5 -5"}));
}

TEST(GameScriptRun, AWaitLetsItsTicksPass) {
    Recorder target;
    TScriptRunner runner(Parse("down A\nwait 3\nup A\nwait 0\ndown B\n"), target);
    Turn(runner, target, 10);
    EXPECT_EQ(target.log, (std::vector<std::string>{"1: down 65", "4: up 65", "4: down 66"}));
    EXPECT_EQ(runner.Ticks(), 4u);
}

TEST(GameScriptRun, AnUntilPassesOnTheTickItHolds) {
    Recorder target;
    TScriptRunner runner(Parse("until panel Pause within 10\ndown P\nuntil fd_Life = 3 within 5\nup P\n"), target);
    Turn(runner, target, 4);
    EXPECT_TRUE(target.log.empty());
    target.panels.insert("Pause");
    Turn(runner, target, 1);
    EXPECT_EQ(target.log, std::vector<std::string>{"5: down 80"});
    target.variables["fd_Life"] = 4;
    Turn(runner, target, 2);
    target.variables["fd_Life"] = 3;
    Turn(runner, target, 1);
    EXPECT_EQ(runner.Status(), TScriptRunner::State::Finished);
    EXPECT_EQ(target.log.back(), "8: up 80");
}

TEST(GameScriptRun, AnUntilThatNeverHoldsFailsAfterItsTicks) {
    Recorder target;
    TScriptRunner runner(Parse("wait 2\nuntil panel MainPanel within 3\nkey A\n"), target);
    Turn(runner, target, 5);
    EXPECT_EQ(runner.Status(), TScriptRunner::State::Running);  // checked on ticks 3 to 5
    Turn(runner, target, 1);
    EXPECT_EQ(runner.Status(), TScriptRunner::State::Failed);
    EXPECT_EQ(runner.Failure(), "line 2: panel MainPanel not shown within 3 ticks");
    EXPECT_TRUE(target.log.empty());
    Turn(runner, target, 5);
    EXPECT_EQ(runner.Ticks(), 6u);  // a failed script does nothing more
}

TEST(GameScriptRun, AVariableThatDoesNotExistNeverHolds) {
    Recorder target;
    TScriptRunner runner(Parse("until fd_Count = 0 within 0\n"), target);
    Turn(runner, target, 1);
    EXPECT_EQ(runner.Status(), TScriptRunner::State::Failed);
    EXPECT_EQ(runner.Failure(), "line 1: fd_Count is not 0 within 0 ticks (no such variable)");
}

TEST(GameScriptRun, AMessageCheckHoldsOnlyWhileThatMessageShows) {
    Recorder target;
    TScriptRunner runner(Parse("until message 7 within 10\nkey Enter\nuntil message 8 within 2\n"), target);
    target.message = 4;  // another message
    Turn(runner, target, 3);
    EXPECT_TRUE(target.log.empty());
    target.message = 7;
    Turn(runner, target, 1);
    EXPECT_EQ(target.log, std::vector<std::string>{"4: down 13"});
    target.message.reset();  // the box hidden
    Turn(runner, target, 10);
    EXPECT_EQ(runner.Status(), TScriptRunner::State::Failed);
    EXPECT_EQ(runner.Failure(), "line 3: message 8 not shown within 2 ticks (none)");
}

// Why a script of one check that holds at most one tick failed.
std::string FailureOf(std::string_view script, Recorder& target) {
    TScriptRunner runner(Parse(script), target);
    Turn(runner, target, 2);
    return runner.Failure();
}

TEST(GameScriptRun, AFailedCheckNamesWhatHeldInstead) {
    Recorder level, message, box;
    level.variables["fd_Level"] = 0;
    message.message = 4;
    box.window = 35;
    EXPECT_EQ(FailureOf("until fd_Level = 1 within 1\n", level), "line 1: fd_Level is not 1 within 1 ticks (0)");
    EXPECT_EQ(FailureOf("until message 7 within 0\n", message), "line 1: message 7 not shown within 0 ticks (4)");
    EXPECT_EQ(FailureOf("until window 19 within 0\n", box), "line 1: window message 19 not shown within 0 ticks (35)");
}

TEST(GameScriptRun, NativeDialogsAreCheckedByNameAndTheMessageBoxByItsMessage) {
    EXPECT_EQ(Refusal("until window 48 within 5"), "line 1: a message number within 1..47 expected");
    EXPECT_EQ(Refusal("until dialog " + std::string(65, 'D') + " within 5"),
              "line 1: a dialog name of 1 to 64 letters expected");
    Recorder target;
    TScriptRunner runner(Parse("until window 19 within 5\nkey Enter\nuntil dialog Glg_UpDate within 3\nkey Esc\n"
                               "until dialog Glg_UpDate within 1\n"),
                         target);
    target.dialog = "Dlg_GPMessage";
    target.window = 37;  // the connection check first
    Turn(runner, target, 2);
    target.window = 19;
    Turn(runner, target, 1);
    EXPECT_EQ(target.log, std::vector<std::string>{"3: down 13"});
    target.window.reset();
    target.dialog = "Glg_UpDate";
    Turn(runner, target, 3);
    EXPECT_EQ(target.log.back(), "6: down 27");
    target.dialog.reset();
    Turn(runner, target, 5);
    EXPECT_EQ(runner.Failure(), "line 5: dialog Glg_UpDate not shown within 1 ticks (none)");
}

TEST(GameScriptRun, APanelCheckWaitsForItToHide) {
    Recorder target;
    target.panels.insert("Pause");
    TScriptRunner runner(Parse("until no panel Pause within 1\nkey A\n"), target);
    Turn(runner, target, 1);
    EXPECT_TRUE(target.log.empty());
    target.panels.clear();
    Turn(runner, target, 1);
    EXPECT_EQ(target.log, std::vector<std::string>{"2: down 65"});
    TScriptRunner never(Parse("until no panel MainPanel within 0\n"), target);
    target.panels.insert("MainPanel");
    Turn(never, target, 1);
    EXPECT_EQ(never.Failure(), "line 1: panel MainPanel not hidden within 0 ticks");
}

TEST(GameScriptRun, AKeptValueIsComparedLater) {
    Recorder target;
    target.variables["fd_Count"] = 40;
    TScriptRunner runner(Parse("keep fd_Count\nuntil fd_Count = kept within 0\nuntil fd_Count > kept within 5\n"
                               "until fd_Life > 2 within 0\nkeep fd_Prizes\n"),
                         target);
    Turn(runner, target, 3);
    EXPECT_EQ(runner.Status(), TScriptRunner::State::Running);  // 40 is not above 40
    target.variables["fd_Count"] = 41;
    target.variables["fd_Life"] = 3;
    Turn(runner, target, 1);
    EXPECT_EQ(runner.Status(), TScriptRunner::State::Failed);
    EXPECT_EQ(runner.Failure(), "line 5: fd_Prizes does not exist");

    Recorder other;
    other.variables["fd_Count"] = 7;
    TScriptRunner never(Parse("until fd_Count = kept within 0\n"), other);
    Turn(never, other, 1);
    EXPECT_EQ(never.Failure(), "line 1: no value of fd_Count was kept");
    TScriptRunner above(Parse("until fd_Count > 9 within 0\n"), other);
    Turn(above, other, 1);
    EXPECT_EQ(above.Failure(), "line 1: fd_Count is not above 9 within 0 ticks (7)");
}

// `follow` steers the paddle from the view: towards where the ball comes down, with the keys
// swapped when the controls are, still when it is there; the keys it holds go up at its end.
TEST(GameScriptRun, FollowSteersThePaddleUnderTheBallForItsTicks) {
    using app::TPlayView;
    TPlayView view;
    view.Paddle = {200, 490, 80, 16, 0, 0};  // centred at 240
    view.Balls = {{400, 300, 14, 14, 0, 4}};  // straight down at 407
    view.Targets = {{384, 100, 48, 24, 0, 0}};
    EXPECT_TRUE(app::SteerPaddle(view, 1).Right);
    view.Reversed = true;
    EXPECT_TRUE(app::SteerPaddle(view, 1).Left);
    view.Reversed = false;
    view.Paddle.X = 367;  // under it
    EXPECT_FALSE(app::SteerPaddle(view, 1).Left || app::SteerPaddle(view, 1).Right);
    view.Balls = {{40, 300, 14, 14, -4, 4}};  // off the left wall: comes down at 143
    view.Paddle.X = 300;
    EXPECT_TRUE(app::SteerPaddle(view, 1).Left);

    class Follower : public Recorder {
    public:
        std::optional<TPlayView> PlayView() override { return view; }
        TPlayView view;
    } target;
    target.view = view;
    TScriptRunner runner(Parse("follow 3\nkey Enter\n"), target);
    Turn(runner, target, 5);
    EXPECT_EQ(target.log, (std::vector<std::string>{"1: down 37", "4: up 37", "4: down 13"}));
}

// An exit gem that lands before the ball is caught first (it ends the level); one that lands
// after the ball waits for it when both can be served. Upside down, a ball rolling along
// the floor is run into; one bouncing off the floor is left alone.
TEST(GameScriptRun, FollowCatchesTheExitGemFirstAndKnocksARollingBall) {
    using app::TPlayView;
    TPlayView view;
    view.Paddle = {257, 490, 80, 16, 0, 0};        // centred at 297
    view.Balls = {{290, 200, 14, 14, 0, 4}};         // down at 297 in about 70 ticks
    view.Exits = {{10, 300, 20, 20, 0, 5}};          // down at 40 in about 34 ticks
    EXPECT_TRUE(app::SteerPaddle(view, 1).Left);
    view.Exits = {{10, 0, 20, 20, 0, 5}};            // about 94 ticks: the ball first
    EXPECT_FALSE(app::SteerPaddle(view, 1).Left || app::SteerPaddle(view, 1).Right);

    view.Exits.clear();
    view.UpsideDown = true;
    view.Balls = {{480, 498, 14, 14, -5, 0.1}};      // rolling towards the paddle
    EXPECT_TRUE(app::SteerPaddle(view, 1).Right);
    view.Balls = {{300, 498, 14, 14, 2, 4}};         // bouncing under the paddle
    EXPECT_TRUE(app::SteerPaddle(view, 1).Left);
}

TEST(GameScriptRun, AnEmptyScriptIsFinishedAtOnce) {
    Recorder target;
    TScriptRunner runner(Parse("# nothing\n"), target);
    EXPECT_EQ(runner.Status(), TScriptRunner::State::Finished);
}

}  // namespace
