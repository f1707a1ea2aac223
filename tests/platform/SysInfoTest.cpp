#include "platform/sysinfo/SysInfo.h"

#include <gtest/gtest.h>

#include "tests/platform/SysInfoFixture.h"
#include "tools/datagen/SystemTree.h"

namespace sys = platform::sysinfo;

TEST(SysInfoParsers, KernelReleaseNumbersAndTheirRest) {
    const auto v = sys::ParseKernelRelease("6.1.0-18-amd64");
    EXPECT_EQ(v.Major, 6);
    EXPECT_EQ(v.Minor, 1);
    EXPECT_EQ(v.Build, 0);
    EXPECT_EQ(v.Rest, "-18-amd64");
    const auto shortOne = sys::ParseKernelRelease("5.15");
    EXPECT_EQ(shortOne.Minor, 15);
    EXPECT_EQ(shortOne.Build, 0);
    EXPECT_EQ(shortOne.Rest, "");
    const auto rc = sys::ParseKernelRelease("6.8-rc1");
    EXPECT_EQ(rc.Minor, 8);
    EXPECT_EQ(rc.Rest, "-rc1");
    const auto huge = sys::ParseKernelRelease("99999999999.1");
    EXPECT_EQ(huge.Major, 0);
    EXPECT_EQ(huge.Rest, "99999999999.1");
    EXPECT_EQ(sys::ParseKernelRelease("6.").Rest, ".");
}

TEST(SysInfoParsers, CpuInfoTakesTheFirstProcessorAndCountsThemAll) {
    datagen::SystemTree tree;
    const auto info = sys::ParseCpuInfo(datagen::CpuInfoText(tree));
    EXPECT_EQ(info.Processors, 4);
    EXPECT_EQ(info.Family, 6);
    EXPECT_EQ(info.Model, 158);
    EXPECT_EQ(info.Stepping, 10);
    EXPECT_EQ(info.ModelName, tree.modelName);
    const auto odd = sys::ParseCpuInfo("cpu family : x6\nmodel : 99999999999\nstepping\n");
    EXPECT_EQ(odd.Family, -1);
    EXPECT_EQ(odd.Model, -1);
    EXPECT_EQ(odd.Stepping, -1);
    EXPECT_EQ(odd.Processors, 0);
}

TEST(SysInfoParsers, MemInfoIsSixtyFourBitAndNeverClaimsMoreThanThereIs) {
    datagen::SystemTree tree;
    tree.memTotalKb = 64ull * 1024 * 1024;  // 64 GiB
    tree.memAvailableKb = 60ull * 1024 * 1024;
    const auto m = sys::ParseMemInfo(datagen::MemInfoText(tree));
    EXPECT_TRUE(m.Valid);
    EXPECT_EQ(m.TotalPhys, 64ull << 30);
    EXPECT_EQ(m.AvailPhys, 60ull << 30);
    EXPECT_EQ(m.TotalSwap, 0u);
    // Older kernels: free plus buffers plus cache.
    const auto old = sys::ParseMemInfo("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 10 kB\nCached: 1 kB\n");
    EXPECT_EQ(old.AvailPhys, 111u * 1024);
    const auto absurd = sys::ParseMemInfo("MemTotal: 10 kB\nMemAvailable: 18446744073709551 kB\nSwapFree: 5 kB\n");
    EXPECT_EQ(absurd.AvailPhys, 10u * 1024);
    EXPECT_EQ(absurd.FreeSwap, 0u);
    EXPECT_FALSE(sys::ParseMemInfo("nothing here").Valid);
}

TEST(SysInfoParsers, OsReleaseValuesAreUnquoted) {
    const auto v = sys::ParseOsRelease(
        "# comment\nPRETTY_NAME=\"Debian \\\"12\\\" \\\\ x\"\nNAME='Single'\nID=debian\nbad key=1\nOPEN=\"never closed\n"
        "=novalue\nVERSION_ID=\"12\"\r\n");
    EXPECT_EQ(v.at("PRETTY_NAME"), "Debian \"12\" \\ x");
    EXPECT_EQ(v.at("NAME"), "Single");
    EXPECT_EQ(v.at("ID"), "debian");
    EXPECT_EQ(v.at("VERSION_ID"), "12");
    EXPECT_EQ(v.count("OPEN"), 0u);
    EXPECT_EQ(v.count("bad key"), 0u);
    EXPECT_EQ(sys::ParseVmSize("Name:\tx\nVmSize:\t  2048 kB\n"), 2048u * 1024);
    EXPECT_EQ(sys::ParseVmSize("VmPeak: 3 kB\n"), 0u);
}

TEST(SysInfoReaders, ReadTheFixtureMachine) {
    FakeMachine machine;
    EXPECT_EQ(sys::OperatingSystemName(), "Debian GNU/Linux 12 (bookworm)");
    sys::KernelVersion v;
    ASSERT_TRUE(sys::ReadKernelVersion(v));
    EXPECT_EQ(v.Rest, "-18-amd64");
    const auto p = sys::ReadProcessor();
    EXPECT_EQ(p.Architecture, 9);
    EXPECT_EQ(p.Type, 8664);
    EXPECT_EQ(p.Count, 4);
    machine.Machine = "i686";
    machine.Apply();
    EXPECT_EQ(sys::ReadProcessor().Type, 586);
    machine.Machine = "i486";
    machine.Apply();
    EXPECT_EQ(sys::ReadProcessor().Type, 486);
    machine.Machine = "aarch64";
    machine.Apply();
    EXPECT_EQ(sys::ReadProcessor().Architecture, 12);
    EXPECT_EQ(sys::ReadProcessor().Type, 0);
    const auto a = sys::ReadAddressSpace();
    EXPECT_EQ(a.Total, uint64_t{1} << 47);
    EXPECT_EQ(a.Used, 256u * 1024 * 1024);
}

TEST(SysInfoReaders, ClockRateIsTheWholeDifferenceOverTheMeasuredTime) {
    FakeMachine machine;
    // The counter passes 2^32 between the readings; half a second measured.
    EXPECT_DOUBLE_EQ(sys::MeasureProcessorMHz(), 3200.0);
    // The start waits for the measurement: a short window, not the half second of a coarse clock.
    EXPECT_EQ(machine.Sleeps, (std::vector<uint32_t>{sys::kClockSettleMs, sys::kClockWindowMs}));
    EXPECT_LE(sys::kClockSettleMs + sys::kClockWindowMs, 30u);
    machine.ClockStepNs = 250'000'000;  // the sleep took a quarter second only
    machine.Apply();
    EXPECT_DOUBLE_EQ(sys::MeasureProcessorMHz(), 6400.0);
    machine.CounterStep = 5'000'000'000;  // more counts than 32 bits hold: the sleep overslept
    machine.ClockStepNs = 1'000'000'000;
    machine.Apply();
    EXPECT_DOUBLE_EQ(sys::MeasureProcessorMHz(), 5000.0);
    machine.ClockStepNs = 0;
    machine.Apply();
    EXPECT_EQ(sys::MeasureProcessorMHz(), 0.0);
}

TEST(SysInfoReaders, LanguagesAsWindowsIdentifiers) {
    EXPECT_EQ(sys::LanguageIdOfLocale("ru_RU.UTF-8"), 0x419);
    EXPECT_EQ(sys::LanguageIdOfLocale("de_DE@euro"), 0x407);
    EXPECT_EQ(sys::LanguageIdOfLocale("en_US.UTF-8"), 0x409);
    EXPECT_EQ(sys::LanguageIdOfLocale("en_GB"), 0x809);
    EXPECT_EQ(sys::LanguageIdOfLocale("fr_FR"), 0x40C);
    EXPECT_EQ(sys::LanguageIdOfLocale("fr_CA.UTF-8"), 0xC0C);
    EXPECT_EQ(sys::LanguageIdOfLocale("C"), 0x409);
    EXPECT_EQ(sys::LanguageIdOfLocale("POSIX"), 0x409);
    EXPECT_EQ(sys::LanguageIdOfLocale("xx_YY"), 0x409);
    EXPECT_EQ(sys::CodePageOfLanguage(0x419), 1251);
    EXPECT_EQ(sys::CodePageOfLanguage(0x407), 1252);
    EXPECT_EQ(sys::CodePageOfLanguage(0x415), 1250);

    FakeMachine machine;
    machine.Env = {{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_FR.UTF-8"}};
    machine.Apply();
    EXPECT_EQ(sys::UserLanguageId(), 0x40C);
    EXPECT_EQ(sys::SystemLanguageId(), 0x407);
    machine.Env["LC_ALL"] = "ru_RU.UTF-8";
    machine.Apply();
    EXPECT_EQ(sys::UserLanguageId(), 0x419);
    machine.Env.clear();
    machine.Apply();
    EXPECT_EQ(sys::UserLanguageId(), 0x409);
}
