#include "engine/gpCmdExecute.h"
#include "engine/gpCrowd.h"
#include "engine/gpNation.h"
#include "engine/gpInterface.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpMouse.h"
#include "platform/clock/VirtualClock.h"

#include "EngineFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using namespace engine;

namespace {

class FakeSound : public TKernelSound {
public:
    bool Looped() const override { return looped; }
    void SetLooped(bool v) override {
        looped = v;
        if (!v) playing = false;
    }
    bool Playing() const override { return playing; }
    void SetPosition(uint32_t) override { ++rewinds; }
    void SetPosition3D(double px, double py, double) override {
        x = px;
        y = py;
    }
    void Play() override {
        playing = true;
        ++plays;
    }
    bool looped = false, playing = false;
    int plays = 0, rewinds = 0;
    double x = 0, y = 0;
};

class FakeRegister : public TKernelSoundRegister {
public:
    TKernelSound* SoundOfNumber(TGPKernel&, int32_t number, int32_t idClass) override {
        numbers.push_back(number);
        classes.push_back(idClass);
        return &sound;
    }
    TKernelSound* SoundOfSlide(TGPKernel&, TGPStructure*, int32_t idClass) override {
        classes.push_back(idClass);
        return &sound;
    }
    void ClearLoaded() override {}
    FakeSound sound;
    std::vector<int32_t> numbers, classes;
};

class FakeDevice : public TKernelSoundDevice {
public:
    bool Sound3D() const override { return false; }
    void SetSound3D(bool) override {}
    void CommitDeferredSettings() override { ++commits; }
    int commits = 0;
};

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() {
        enginetest::EmptyPools();
        auto device = std::make_unique<FakeDevice>();
        kernel = std::make_unique<TGPKernel>(&display, nullptr, std::move(device));
        auto fake = std::make_unique<FakeRegister>();
        sounds = fake.get();
        kernel->SoundRegister = std::move(fake);
        auto f = std::make_unique<TGPForm>();
        f->Name = "Pause";
        form = f.get();
        form->Create(kernel.get(), 0);
        form->Visible = false;
        kernel->AttachInterface(std::move(f));
    }
    void FillTo(int position) {
        TExecuteLine& line = *kernel->CommandLine;
        while (line.Position < position) line.AddNextLevel();
        ASSERT_EQ(line.Position, position);
    }

    enginetest::HeadlessDisplay display;
    FakeRegister* sounds = nullptr;  // owned by the kernel
    std::unique_ptr<TGPKernel> kernel;
    TGPForm* form = nullptr;
};

}  // namespace

TEST_F(CommandLineTest, ASixWordCommandFitsAt505ButNotAt506) {
    TExecuteLine& line = *kernel->CommandLine;
    FillTo(505);
    line.AddSound(3, nullptr, 10, 20, 0, 1, 1);
    EXPECT_EQ(line.EndMark, 511);
    line.Clear();
    FillTo(506);
    line.AddSound(3, nullptr, 10, 20, 0, 1, 1);
    EXPECT_EQ(line.EndMark, 506);
    line.AddHide(form);  // 506 + 2 still fits
    EXPECT_EQ(line.EndMark, 508);
    EXPECT_THROW(line.AddSound(40000, nullptr, 0, 0, 0, 1, 1), rtl::ERangeError);
}

TEST_F(CommandLineTest, TheMaskSilencesWholeKinds) {
    TExecuteLine& line = *kernel->CommandLine;
    TGPStructure source;
    line.SuppressMask = 0x60;
    line.AddSound(1, nullptr, 0, 0, 0, 1, 1);
    line.AddObjectSound(&source, nullptr, 0, 0, 0, 1, 1);
    EXPECT_EQ(line.EndMark, 0);
    line.SuppressMask = 0x40;
    line.AddSound(1, nullptr, 0, 0, 0, 1, 1);
    EXPECT_EQ(line.EndMark, 0);
    line.AddObjectSound(&source, nullptr, 0, 0, 0, 1, 1);
    EXPECT_EQ(line.EndMark, 6);
    line.SuppressMask = 0x80 | 0x100 | 0x04 | 0x08;
    line.AddShow(form, nullptr);
    line.AddShowMain(form, nullptr);
    line.AddHide(form);
    line.AddEndGames();
    line.AddNextLevel();
    EXPECT_EQ(line.EndMark, 6);
}

TEST_F(CommandLineTest, WorkQueuedDuringTheReplayRunsOnTheNextTick) {
    int levels = 0;
    kernel->OnGPNextLevel = [&](TObject*) {
        ++levels;
        kernel->ShowFormOverGame("pause", nullptr);
    };
    kernel->CommandLine->AddNextLevel();
    kernel->RunCommands();
    EXPECT_EQ(levels, 1);
    EXPECT_FALSE(form->Visible);  // queued on the secondary line
    EXPECT_EQ(kernel->CommandLine->EndMark, 3);
    kernel->RunCommands();
    EXPECT_TRUE(form->Visible);
    EXPECT_EQ(kernel->CommandLine->EndMark, 0);
    kernel->HideForm("Pause");
    kernel->ShowFormOverGame("NoSuchPanel", nullptr);  // a nil form: runs as nothing
    kernel->RunCommands();
    EXPECT_FALSE(form->Visible);
}

TEST_F(CommandLineTest, AnUnknownOpcodeEndsTheReplayAndEverythingIsClearedAfterwards) {
    TExecuteLine& line = *kernel->CommandLine;
    line.AddHide(form);
    line.Buffer[static_cast<size_t>(line.EndMark)] = 77;
    line.EndMark += 1;
    line.Position = line.EndMark;
    line.AddShowMain(form, nullptr);
    form->Visible = true;
    kernel->RunCommands();
    EXPECT_FALSE(form->Visible);  // hidden, and the show behind the unknown word never ran
    EXPECT_EQ(line.EndMark, 0);
}

TEST_F(CommandLineTest, ACommandNamingARecycledObjectIsSkipped) {
    TGPNation* nation = kernel->NationByKey(4);
    TGPObject* ball = nation->CreateObject(10, 10, 62);
    ASSERT_NE(ball, nullptr);
    kernel->CommandLine->AddSound(5, ball, 1, 2, 0, 1, 1);
    kernel->FreeObject(2, ball);  // back to the pool before the line runs
    TGPObject* again = nation->CreateFromPool(0, 0, false, 62);
    ASSERT_EQ(again, ball);  // the same memory, handed out again
    kernel->RunCommands();
    EXPECT_EQ(sounds->sound.plays, 0);

    kernel->CommandLine->AddSound(5, again, -3, 4, 0, 1, 1);
    kernel->RunCommands();
    EXPECT_EQ(sounds->sound.plays, 1);
    EXPECT_EQ(sounds->numbers, (std::vector<int32_t>{5}));
    EXPECT_EQ(sounds->classes, (std::vector<int32_t>{62}));
    EXPECT_EQ(sounds->sound.x, -3);
}

TEST_F(CommandLineTest, LoopingSoundsAreNotStackedAndLoopedWithoutPlayStops) {
    TGPNation* nation = kernel->NationByKey(4);
    TGPObject* ball = nation->CreateObject(10, 10, 62);
    kernel->CommandLine->AddSound(5, ball, 0, 0, 1, 1, 1);
    kernel->RunCommands();
    EXPECT_EQ(ball->LoopingSound, &sounds->sound);
    EXPECT_EQ(sounds->sound.rewinds, 1);
    kernel->CommandLine->AddSound(5, ball, 0, 0, 1, 1, 1);
    kernel->RunCommands();
    EXPECT_EQ(sounds->sound.plays, 1);  // it already loops a sound
    ball->LoopingSound = nullptr;
    kernel->CommandLine->AddSound(5, ball, 0, 0, 1, 0, 1);
    kernel->RunCommands();
    EXPECT_FALSE(sounds->sound.looped);
    EXPECT_FALSE(sounds->sound.playing);
    kernel->SoundState->SoundOn = false;
    kernel->CommandLine->AddSound(5, nullptr, 0, 0, 0, 1, 1);
    kernel->RunCommands();
    EXPECT_EQ(sounds->sound.plays, 1);
}

TEST_F(CommandLineTest, ALevelResetDropsQueuedCommandsThatNameObjects) {
    TGPNation* nation = kernel->NationByKey(4);
    TGPObject* ball = nation->CreateObject(10, 10, 62);
    kernel->CommandLine->AddObjectSound(ball, ball, 0, 0, 0, 1, 1);
    kernel->CommandLine->AddHide(form);
    form->Visible = true;
    kernel->Clear();  // the pooled ball is freed
    kernel->RunCommands();
    EXPECT_EQ(sounds->sound.plays, 0);
    EXPECT_FALSE(form->Visible);
}

TEST_F(CommandLineTest, SelectionTogglesAnObjectAndGathersItsNationsCrowd) {
    TGPNation* bricks = kernel->NationByKey(0);
    TGPObject* a = bricks->CreateObject(0, 0, 12);
    TGPObject* b = bricks->CreateObject(0, 0, 13);
    TGPObject* ball = kernel->NationByKey(4)->CreateObject(0, 0, 62);
    TGP_CMD0& x = *kernel->Executor;
    x.SelectObject(a, false);
    EXPECT_EQ(kernel->Selected, nullptr);  // selection works only in mode 2
    kernel->SelectionMode = 2;
    x.SelectObject(a, false);
    EXPECT_EQ(kernel->Selected, a);
    x.SelectObject(b, true);
    EXPECT_EQ(kernel->Selected, static_cast<TGPStructure*>(bricks->Crowd.get()));
    EXPECT_EQ(bricks->Crowd->Members.Count(), 2);
    x.SelectObject(ball, false);  // another nation: the crowd is dropped
    EXPECT_EQ(kernel->Selected, ball);
    EXPECT_TRUE(bricks->Crowd->Members.Empty());
    x.SelectObject(ball, false);
    EXPECT_EQ(kernel->Selected, nullptr);
    kernel->Tick();
    EXPECT_EQ(static_cast<FakeDevice*>(kernel->DirectSound.get())->commits, 1);
}

namespace {

// A sound device whose 3-D switch can be watched, and a sound whose start can be slow or fail.
class Device3D : public TKernelSoundDevice {
public:
    bool Sound3D() const override { return on3D; }
    void SetSound3D(bool on) override { on3D = on; }
    void CommitDeferredSettings() override {}
    bool on3D = true;
};

class SlowSound : public FakeSound {
public:
    void Play() override {
        FakeSound::Play();
        if (clock) clock->Advance(startMs);
        if (fail) throw std::runtime_error("the device refused");
    }
    platform::clock::VirtualClock* clock = nullptr;
    uint32_t startMs = 0;
    bool fail = false;
};

class SlowRegister : public TKernelSoundRegister {
public:
    TKernelSound* SoundOfNumber(TGPKernel&, int32_t, int32_t) override {
        if (failLookup) throw std::runtime_error("no such sound");
        return &sound;
    }
    TKernelSound* SoundOfSlide(TGPKernel&, TGPStructure*, int32_t) override { return &sound; }
    void ClearLoaded() override {}
    SlowSound sound;
    bool failLookup = false;
};

class SoundFallback : public ::testing::Test {
protected:
    SoundFallback() {
        enginetest::EmptyPools();
        platform::clock::Install(&clock);
        auto d = std::make_unique<Device3D>();
        device = d.get();
        kernel = std::make_unique<TGPKernel>(&display, nullptr, std::move(d));
        auto owned = std::make_unique<SlowRegister>();
        sounds = owned.get();
        kernel->SoundRegister = std::move(owned);
        sounds->sound.clock = &clock;
    }
    ~SoundFallback() override {
        kernel.reset();
        platform::clock::Install(nullptr);
    }
    void PlayOnce() {
        kernel->CommandLine->AddSound(1, nullptr, 0, 0, 0, 1, 1);
        kernel->RunCommands();
    }

    platform::clock::VirtualClock clock{1000};
    enginetest::HeadlessDisplay display;
    SlowRegister* sounds = nullptr;  // owned by the kernel
    Device3D* device = nullptr;
    std::unique_ptr<TGPKernel> kernel;
};

class RecordingMouse : public TGPMouse {
public:
    void SetIDClass(int32_t value) override { classes.push_back(value); }
    std::vector<int32_t> classes;
};

}  // namespace

TEST_F(SoundFallback, AStartOf31MsTurnsThreeDOffFirstAndThenTheSoundEffects) {
    sounds->sound.startMs = 30;
    PlayOnce();
    EXPECT_TRUE(device->on3D);  // 30 ms is fast enough
    EXPECT_TRUE(kernel->SoundState->SoundOn);
    sounds->sound.startMs = 31;
    PlayOnce();
    EXPECT_FALSE(device->on3D);
    EXPECT_TRUE(kernel->SoundState->SoundOn);
    PlayOnce();
    EXPECT_FALSE(kernel->SoundState->SoundOn);
    EXPECT_EQ(sounds->sound.plays, 3);
    PlayOnce();  // sound effects are off now
    EXPECT_EQ(sounds->sound.plays, 3);
}

TEST_F(SoundFallback, AStartThatRaisesDegradesTheSameWayAndPassesTheFailureOn) {
    sounds->sound.fail = true;
    kernel->CommandLine->AddSound(1, nullptr, 0, 0, 0, 1, 1);
    EXPECT_THROW(kernel->RunCommands(), std::runtime_error);
    EXPECT_FALSE(device->on3D);
    EXPECT_TRUE(kernel->SoundState->SoundOn);
    EXPECT_EQ(kernel->CommandLine->EndMark, 0);  // the line is cleared all the same
    kernel->CommandLine->AddSound(1, nullptr, 0, 0, 0, 1, 1);
    EXPECT_THROW(kernel->RunCommands(), std::runtime_error);
    EXPECT_FALSE(kernel->SoundState->SoundOn);
}

TEST_F(SoundFallback, AFailureBeforeTheStartTurnsTheSoundEffectsOffAtOnce) {
    sounds->failLookup = true;
    kernel->CommandLine->AddSound(1, nullptr, 0, 0, 0, 1, 1);
    EXPECT_THROW(kernel->RunCommands(), std::runtime_error);
    EXPECT_TRUE(device->on3D);
    EXPECT_FALSE(kernel->SoundState->SoundOn);
}

TEST_F(CommandLineTest, ScrollingSetsTheCursorOfItsDirectionOnlyWhenTheViewMoved) {
    TGPMap map;  // one cell of 100 in view of a 2 x 2 grid: the view scrolls within 0..100
    map.Create(kernel.get(), false, 0, 0, 1, 1, 2, 2, 100);
    auto m = std::make_unique<RecordingMouse>();
    RecordingMouse* mouse = m.get();
    kernel->SetMouse(std::move(m));
    TGP_CMD0& x = *kernel->Executor;
    map.ScrollX = map.ScrollY = 50;
    x.ScrollView(-10, 0, true);
    x.ScrollView(10, 0, true);
    x.ScrollView(0, -10, true);
    x.ScrollView(0, 10, true);
    EXPECT_EQ(mouse->classes, (std::vector<int32_t>{6, 7, 8, 9}));
    x.ScrollView(5, 5, true);   // diagonal: no cursor
    x.ScrollView(5, 0, false);  // not asked to tell
    x.ScrollView(0, 0, true);   // nothing to do
    EXPECT_EQ(mouse->classes.size(), 4u);
    EXPECT_EQ(map.ScrollX, 60);
    map.ScrollX = 0;
    x.ScrollView(-10, 0, true);  // against the edge: the view stays, no cursor
    EXPECT_EQ(mouse->classes.size(), 4u);

    // Through the command word, as the line replays it.
    TCommandWord words[4] = {cmd::ScrollView, static_cast<uint32_t>(int32_t{20}), 0, 1};
    x.Execute(words);
    EXPECT_EQ(mouse->classes.back(), 7);
    EXPECT_EQ(cmd::MarkOf(words[0]), cmd::Executed);
}
