// The shell hooks the kernel's published events to its own published handlers by name.
#include "engine/gpKernel.h"

#include "EngineFixtures.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

class Shell : public rtl::Object {
    RTL_CLASS(Shell, rtl::Object)
public:
    void NextLevel(rtl::Object*) { ++levels; }
    void Condition(rtl::Object*, TConditionKernel value) { last = value; }
    void WrongShape(int) {}
    static void DescribeClass(rtl::ClassBuilder<Shell>& c) {
        c.Method("NextLevel", &Shell::NextLevel).Method("Condition", &Shell::Condition).Method("WrongShape", &Shell::WrongShape);
    }
    int levels = 0;
    TConditionKernel last = ck_Play;
};

}  // namespace

TEST(KernelEvents, PublishedEventsBindToMatchingHandlersByName) {
    enginetest::HeadlessDisplay display;
    TGPKernel kernel(&display, nullptr, nullptr);
    Shell shell;
    EXPECT_TRUE(rtl::BindEvent(shell, kernel, "NextLevel", "OnGPNextLevel"));
    EXPECT_TRUE(rtl::BindEvent(shell, kernel, "Condition", "onconditionevent"));
    EXPECT_FALSE(rtl::BindEvent(shell, kernel, "WrongShape", "OnGPLastLevel"));
    EXPECT_FALSE(kernel.OnGPLastLevel);
    EXPECT_TRUE(rtl::BindEvent(shell, kernel, "NextLevel", "OnGPMove"));  // inherited from the structure
    kernel.CommandLine->AddNextLevel();
    kernel.RunCommands();
    kernel.SetCondition(ck_MainInterface);
    EXPECT_EQ(shell.levels, 1);
    EXPECT_EQ(shell.last, ck_MainInterface);
    ASSERT_TRUE(kernel.OnGPMove);
}
