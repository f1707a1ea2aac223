// Test surfaces whose last row ends at an inaccessible page, so that a routine
// reading or writing one byte too far faults at once.
#pragma once

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "media/DXRender.h"

namespace pixeltest {

class GuardedPixels {
public:
    // rows of `rowBytes` each, `pitch` apart (|pitch| >= rowBytes); negative pitch puts row 0 last.
    GuardedPixels(int rows, int rowBytes, int pitch) : pitch_(pitch) {
        const long page = sysconf(_SC_PAGESIZE);
        const std::size_t absPitch = static_cast<std::size_t>(pitch < 0 ? -pitch : pitch);
        bytes_ = absPitch * static_cast<std::size_t>(rows - 1) + static_cast<std::size_t>(rowBytes);
        const std::size_t dataPages = (bytes_ + page - 1) / page;
        total_ = (dataPages + 2) * page;
        base_ = static_cast<uint8_t*>(mmap(nullptr, total_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base_, page, PROT_NONE);
        mprotect(base_ + total_ - page, page, PROT_NONE);
        if (pitch >= 0) {
            low_ = base_ + total_ - page - bytes_;  // the last row ends at the guard page
            row0_ = low_;
        } else {
            low_ = base_ + page;  // the last row starts right after the guard page
            row0_ = low_ + absPitch * static_cast<std::size_t>(rows - 1);
        }
    }
    ~GuardedPixels() { munmap(base_, total_); }
    GuardedPixels(const GuardedPixels&) = delete;
    GuardedPixels& operator=(const GuardedPixels&) = delete;

    uint8_t* row0() const { return row0_; }
    uint8_t* low() const { return low_; }
    std::size_t size() const { return bytes_; }
    int pitch() const { return pitch_; }
    std::vector<uint8_t> snapshot() const { return std::vector<uint8_t>(low_, low_ + bytes_); }
    void restore(const std::vector<uint8_t>& v) { std::memcpy(low_, v.data(), bytes_); }

private:
    int pitch_;
    std::size_t bytes_ = 0, total_ = 0;
    uint8_t* base_ = nullptr;
    uint8_t* low_ = nullptr;
    uint8_t* row0_ = nullptr;
};

inline void put16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
inline uint16_t get16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

// Tests run with the generated code's SIMD forms on (true) and off (false); skipped
// where no code is generated, or the processor has no SIMD.
class SimdParam : public ::testing::TestWithParam<bool> {
public:
    static std::string Name(const ::testing::TestParamInfo<bool>& info) { return info.param ? "SimdOn" : "SimdOff"; }

protected:
    void SetUp() override {
        saved_ = media::MMXAvailable;
        if (!media::CodeGenerationAvailable()) GTEST_SKIP() << "no code generation here";
        if (GetParam() && !saved_) GTEST_SKIP() << "no SIMD on this processor";
        media::MMXAvailable = GetParam();
    }
    void TearDown() override { media::MMXAvailable = saved_; }
    bool saved_ = false;
};

}  // namespace pixeltest
