// The two backends of the pipeline machine: the reference interpreter and the
// x86-64 code generator (with its W^X code buffer).
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/DXRender.h"

namespace media {

class TDXRInterpreter {
public:
    static void Run(TDXRMachine& m, int32_t count);
};

// Executable memory: mapped writable, filled, then switched to read+execute.
class TDXRCodeBuffer {
public:
    explicit TDXRCodeBuffer(std::size_t size);  // raises EDXRenderError when refused
    ~TDXRCodeBuffer();
    TDXRCodeBuffer(const TDXRCodeBuffer&) = delete;
    TDXRCodeBuffer& operator=(const TDXRCodeBuffer&) = delete;

    uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool makeWritable();
    bool makeExecutable();

private:
    uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

class TDXRCodeGenerator {
public:
    // Writes the routine for the machine's compiled tree; false (and one log line)
    // when executable memory is refused.
    static bool Generate(TDXRMachine& m);
};

}  // namespace media
