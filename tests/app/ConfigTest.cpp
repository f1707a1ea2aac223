#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include <filesystem>
#include <functional>

#include "engine/gpCmdExecute.h"
#include "engine/gpResource.h"
#include "platform/input/VirtualKeys.h"
#include "platform/registry/Registry.h"
#include "tests/app/AppFixtures.h"
#include "tools/datagen/ConfigStream.h"
#include "tools/datagen/Container.h"

namespace {

namespace vk = platform::input::vk;

class ConfigTest : public apptest::AppTest {
protected:
    std::string Container() const { return dir_.File("game/Resource/Demo2.bif"); }

    void WriteConfig(const datagen::GameConfig& cfg, datagen::ConfigDamage damage = datagen::ConfigDamage::None) {
        datagen::WriteContainer(Container(), {{"Strings", {{"PixSetGP", datagen::LenString("x")}}},
                                              datagen::ConfigSection(cfg, damage),
                                              {"Save_User", {{"Tail", std::string(16, '\0')}}}});
    }

    // Reads the container into a form, as kernel creation does.
    void Load(app::TDlg_Sprallion& form) {
        form.ContainerFile = Container();
        form.Resource = std::make_unique<engine::TGPResource>(Container(), rtl::fmOpenRead);
        form.LoadConfig(*form.Resource);
    }

    size_t FilesBeside() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.File("game/Resource"))) ++n;
        return n;
    }

    ino_t Inode() const {
        struct stat st {};
        ::stat(Container().c_str(), &st);
        return st.st_ino;
    }

    static datagen::GameConfig Edited() {
        datagen::GameConfig cfg;
        cfg.mouse = 0;
        cfg.waveVolume = -1500;
        cfg.musicVolume = 30000;
        cfg.keys = datagen::DefaultKeys();
        cfg.keys[4 * 3 + 1] = 'X';  // a second key for the first button
        return cfg;
    }
};

TEST_F(ConfigTest, SettingsSurviveARestart) {
    WriteConfig(datagen::GameConfig{});
    GiveDevices(*form_);
    Load(*form_);
    EXPECT_EQ(form_->GPCfg, app::TGPCfg{});
    EXPECT_EQ(waves_->GetVolume(), -200);
    EXPECT_TRUE(form_->Input->Mouse().Enabled());
    EXPECT_EQ(form_->MouseControl, 1);

    // The player changes everything the options offer.
    form_->MouseControl = 0;
    waves_->SetVolume(-1234);
    midi_->SetVolume(40000);
    midi_->SetEnabled(false);
    form_->Kernel->CommandLine->SuppressMask |= 0x60;
    form_->Input->Keyboard().KeyAssigns[4][1] = vk::Letter('X');
    const media::TKeyAssignList keys = form_->Input->Keyboard().KeyAssigns;
    form_->SaveConfig();
    EXPECT_EQ(form_->Resource, nullptr);
    DropDevices(*form_);

    auto next = NewForm();
    GiveDevices(*next);
    Load(*next);
    EXPECT_EQ(next->GPCfg.Mouse, 0);
    EXPECT_EQ(next->GPCfg.Sound, 0);
    EXPECT_EQ(next->GPCfg.Music, 0);
    EXPECT_EQ(next->GPCfg.WaveVolume, -1234);
    EXPECT_EQ(next->GPCfg.MusicVolume, 40000);
    EXPECT_EQ(next->Input->Keyboard().KeyAssigns, keys);
    EXPECT_FALSE(next->Input->Mouse().Enabled());
    EXPECT_EQ(waves_->GetVolume(), -1234);
    EXPECT_EQ(midi_->GetVolume(), 40000u);
    EXPECT_FALSE(midi_->Enabled());
    EXPECT_EQ(next->Kernel->CommandLine->SuppressMask & 0x60, 0x60);
    EXPECT_EQ(Log(), "");
}

TEST_F(ConfigTest, WaveVolumesOutsideTheScaleApplyAsMinus1000) {
    for (auto [stored, applied] : {std::pair{1, -1000}, {-20001, -1000}, {0, 0}, {-20000, -20000}}) {
        datagen::GameConfig cfg;
        cfg.waveVolume = stored;
        WriteConfig(cfg);
        auto form = NewForm();
        GiveDevices(*form);
        Load(*form);
        EXPECT_EQ(waves_->GetVolume(), applied) << stored;
        EXPECT_TRUE(form->Kernel->SoundState->WaveAvailable);
        DropDevices(*form);
    }
}

TEST_F(ConfigTest, MusicVolumeIsClampedAndTheOptionsKeyStaysOnF8) {
    datagen::GameConfig cfg = Edited();
    cfg.musicVolume = 70000;
    cfg.keys[7 * 3] = vk::Letter('O');
    WriteConfig(cfg);
    GiveDevices(*form_);
    Load(*form_);
    EXPECT_EQ(midi_->GetVolume(), 65535u);
    media::TKeyAssignList defaults;
    app::TDlg_Sprallion::SetDefaultKeyAssignments(defaults);
    EXPECT_EQ(form_->KeyAssigns, defaults);  // the whole table, not only state 7
    EXPECT_EQ(defaults[7][0], vk::F(8));
    EXPECT_EQ(defaults[16][0], vk::Return);
    EXPECT_EQ(defaults[22][0], vk::Letter('7'));
    EXPECT_EQ(defaults[23][0], 0u);
}

TEST_F(ConfigTest, ADamagedRecordFallsBackAloneAndTheNextSaveMendsIt) {
    platform::registry::Registry options(platform::registry::RootKey::HKEY_CURRENT_USER);
    options.OpenKey(form_->OptionsKey(), true);
    options.WriteString("Bif", "Demo2.bif");
    struct Case {
        const char* name;
        std::function<void()> damage;
        bool cfgKept, keysKept;
    };
    const Case cases[] = {
        {"flipped byte", [&] { WriteConfig(Edited(), datagen::ConfigDamage::FlippedGPCfgByte); }, false, true},
        {"record length 10000", [&] { WriteConfig(Edited(), datagen::ConfigDamage::HugeKeyRecordLength); }, true, false},
        {"wrong header", [&] { WriteConfig(Edited(), datagen::ConfigDamage::WrongHeader); }, false, false},
        {"truncated", [&] {
             // The configuration alone, cut inside KeyAssignList: the two tables after it are gone.
             datagen::WriteContainer(Container(), {datagen::ConfigSection(Edited())});
             std::filesystem::resize_file(Container(), std::filesystem::file_size(Container()) - 60 - 60 - 100);
         }, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(LogFile());
        c.damage();
        auto form = NewForm();
        GiveDevices(*form);
        Load(*form);
        EXPECT_EQ(form->GPCfg.WaveVolume, c.cfgKept ? -1500 : -200);
        EXPECT_EQ(form->KeyAssigns[4][1], c.keysKept ? uint32_t{'X'} : 0u);
        EXPECT_NE(Log().find("Class LoadConfig with message '"), std::string::npos);
        form->SaveConfig();
        DropDevices(*form);

        std::filesystem::remove(LogFile());
        auto again = NewForm();
        GiveDevices(*again);
        Load(*again);
        EXPECT_EQ(Log(), "");  // a sound stream now
        EXPECT_EQ(again->GPCfg.WaveVolume, form->GPCfg.WaveVolume);
        EXPECT_EQ(again->KeyAssigns, form->KeyAssigns);
        DropDevices(*again);
    }
    EXPECT_EQ(options.ReadString("Bif"), "Demo2.bif");
}

TEST_F(ConfigTest, ARecordOfAnotherSizeIsNeitherReadNorOverwrittenPastItsEntry) {
    WriteConfig(Edited(), datagen::ConfigDamage::ShortGPCfgRecord);
    GiveDevices(*form_);
    Load(*form_);
    EXPECT_EQ(form_->GPCfg.WaveVolume, -200);
    EXPECT_EQ(form_->KeyAssigns[4][1], uint32_t{'X'});
    form_->SaveConfig();
    EXPECT_NE(Log().find("Class SaveConfig with message 'GPCfg does not fit its entry and is not written'"),
              std::string::npos);
    DropDevices(*form_);
    auto next = NewForm();
    GiveDevices(*next);
    Load(*next);
    EXPECT_EQ(next->KeyAssigns[4][1], uint32_t{'X'});  // the neighbour is whole
}

TEST_F(ConfigTest, GPCfgIsFoundBehindTheHeaderWithoutAnEntryOfItsOwn) {
    WriteConfig(Edited(), datagen::ConfigDamage::NoGPCfgEntry);
    GiveDevices(*form_);
    Load(*form_);
    EXPECT_EQ(form_->GPCfg.WaveVolume, -1500);
    waves_->SetVolume(-900);
    form_->SaveConfig();
    DropDevices(*form_);
    auto next = NewForm();
    GiveDevices(*next);
    Load(*next);
    EXPECT_EQ(next->GPCfg.WaveVolume, -900);
}

TEST_F(ConfigTest, WithoutACfgSectionNothingIsTouched) {
    datagen::WriteContainer(Container(), {{"Strings", {{"PixSetGP", datagen::LenString("x")}}}});
    GiveDevices(*form_);
    form_->Input->Mouse().SetEnabled(false);
    form_->Kernel->CommandLine->SuppressMask = 0x60;
    midi_->SetVolume(123);
    form_->GPCfg.WaveVolume = -42;
    Load(*form_);
    EXPECT_FALSE(form_->Input->Mouse().Enabled());
    EXPECT_EQ(form_->Kernel->CommandLine->SuppressMask, 0x60);
    EXPECT_EQ(midi_->GetVolume(), 123u);
    EXPECT_EQ(form_->GPCfg.WaveVolume, -42);
    const auto before = dir_.Read("game/Resource/Demo2.bif");
    form_->SaveConfig();
    EXPECT_EQ(dir_.Read("game/Resource/Demo2.bif"), before);
}

TEST_F(ConfigTest, DevicesMissingThisRunKeepTheirStoredSettings) {
    WriteConfig(datagen::GameConfig{});  // mouse on, sound on, wave volume -200
    GiveDevices(*form_, /*withMouse=*/false);
    form_->Kernel->DirectSound.reset();  // no sound device either
    Load(*form_);
    EXPECT_EQ(form_->MouseFailed, 1);
    EXPECT_EQ(form_->GPCfg.Mouse, 0);
    EXPECT_EQ(form_->GPCfg.Sound, 0);
    EXPECT_FALSE(form_->Kernel->SoundState->WaveAvailable);
    EXPECT_NE(Log().find("Class FDXInput.Mouse.Enabled with message 'EDXInputError:"), std::string::npos);
    form_->Input->Keyboard().KeyAssigns[5][1] = vk::Letter('Z');
    form_->SaveConfig();
    DropDevices(*form_);

    auto next = NewForm();
    GiveDevices(*next);
    Load(*next);
    EXPECT_EQ(next->GPCfg.Mouse, 1);
    EXPECT_EQ(next->GPCfg.Sound, 1);
    EXPECT_EQ(next->GPCfg.WaveVolume, -200);
    EXPECT_EQ(next->KeyAssigns[5][1], uint32_t{'Z'});
}

TEST_F(ConfigTest, WithoutInputObjectTheDeviceStepsWait) {
    WriteConfig(Edited());
    Load(*form_);
    EXPECT_EQ(form_->GPCfg.WaveVolume, -1500);
    EXPECT_EQ(form_->KeyAssigns[4][1], uint32_t{'X'});
    EXPECT_EQ(Log(), "Class LoadConfig with message 'no input devices: the keyboard, mouse and joystick settings wait'.\r\n");
    EXPECT_EQ(form_->GPCfg.Sound, 0);  // and no kernel: no sound this run
}

TEST_F(ConfigTest, AnUnchangedConfigurationIsNotRewritten) {
    WriteConfig(datagen::GameConfig{});
    GiveDevices(*form_);
    Load(*form_);
    const ino_t before = Inode();
    form_->SaveConfig();
    EXPECT_EQ(Inode(), before);
    EXPECT_EQ(Log(), "");
}

TEST_F(ConfigTest, AnInterruptedSaveLeavesTheOldContainer) {
    WriteConfig(datagen::GameConfig{});
    const std::string old = dir_.Read("game/Resource/Demo2.bif");
    GiveDevices(*form_);
    Load(*form_);
    waves_->SetVolume(-777);

    // A failure between two writes.
    form_->SaveConfigStepHook = [](std::string_view next) {
        if (next == "KeyAssignList") throw rtl::EWriteError("disk gone");
    };
    form_->SaveConfig();
    EXPECT_EQ(dir_.Read("game/Resource/Demo2.bif"), old);
    EXPECT_NE(Log().find("Class SaveConfig with message 'EWriteError:disk gone'"), std::string::npos);

    // The process dies between two writes.
    const pid_t child = testproc::Fork([&] {
        form_->SaveConfigStepHook = [](std::string_view next) {
            if (next == "KeyChange_Mouse") ::_exit(9);
        };
        form_->SaveConfig();
        return 0;
    });
    EXPECT_EQ(testproc::WaitExit(child), 9);
    EXPECT_EQ(dir_.Read("game/Resource/Demo2.bif"), old);
    EXPECT_EQ(engine::TGPResource(Container(), rtl::fmOpenRead).Status(), 0);
    // Its copy is gone at the next start.
    EXPECT_EQ(FilesBeside(), 2u);
    form_->TidyStoredFiles(Container());
    EXPECT_EQ(FilesBeside(), 1u);
    EXPECT_NE(Log().find("Class TidyStoredFiles with message 'removed the stale temporary file " + Container() + ".~" +
                         std::to_string(child)),
              std::string::npos);

    // A full disk (no file may grow to the container's size; the log is shorter): the cause
    // is logged, the old container stays, no copy is left.
    std::filesystem::remove(LogFile());
    const pid_t full = testproc::Fork([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit room{old.size() - 1, old.size() - 1};
        ::setrlimit(RLIMIT_FSIZE, &room);
        form_->SaveConfig();
        return 0;
    });
    EXPECT_EQ(testproc::WaitExit(full), 0);
    EXPECT_EQ(dir_.Read("game/Resource/Demo2.bif"), old);
    EXPECT_EQ(FilesBeside(), 1u);
    EXPECT_NE(Log().find("Class SaveConfig with message 'EWriteError:Stream write error: " + std::string(std::strerror(EFBIG))),
              std::string::npos);

    // Uninterrupted: the new container.
    form_->SaveConfigStepHook = {};
    form_->SaveConfig();
    engine::TGPResource saved(Container(), rtl::fmOpenRead);
    EXPECT_EQ(saved.Status(), 0);
    auto next = NewForm();
    next->Resource = std::make_unique<engine::TGPResource>(Container(), rtl::fmOpenRead);
    next->LoadConfig(*next->Resource);
    EXPECT_EQ(next->GPCfg.WaveVolume, -777);
}

TEST_F(ConfigTest, ASaveKeepsTheContainersModeOwnerAndLinksAndTheNextStartOpensIt) {
    // The game's data lives elsewhere, behind a link, with its own mode and owner.
    WriteConfig(datagen::GameConfig{});
    std::filesystem::create_directories(dir_.File("data"));
    const std::string real = dir_.File("data/Demo2.bif");
    std::filesystem::rename(Container(), real);
    std::filesystem::create_symlink(real, Container());
    ::chmod(real.c_str(), 0600);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(real.c_str(), 4321, 8765), 0);
    }
    const auto check = [&](int32_t volume) {
        EXPECT_TRUE(std::filesystem::is_symlink(Container()));
        struct stat st {};
        ASSERT_EQ(::stat(real.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        if (root) {
            EXPECT_EQ(std::pair(st.st_uid, st.st_gid), std::pair(uid_t{4321}, gid_t{8765}));
        }
        engine::TGPResource reopened(Container(), rtl::fmOpenRead);
        EXPECT_TRUE(reopened.IsWhole());
        auto next = NewForm();
        next->LoadConfig(reopened);
        EXPECT_EQ(next->GPCfg.WaveVolume, volume);
    };
    GiveDevices(*form_);
    Load(*form_);
    waves_->SetVolume(-321);
    form_->SaveConfig();
    check(-321);

    // A second name for the same file sees the save too.
    std::filesystem::create_hard_link(real, dir_.File("data/Alias.bif"));
    Load(*form_);
    waves_->SetVolume(-654);
    form_->SaveConfig();
    check(-654);
    EXPECT_EQ(dir_.Read("data/Alias.bif"), dir_.Read("data/Demo2.bif"));
    EXPECT_EQ(FilesBeside(), 1u);
    EXPECT_EQ(Log().find("SaveConfig"), std::string::npos);
}

}  // namespace
