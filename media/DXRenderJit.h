// The two backends of the pipeline machine: the reference interpreter and the
// x86-64 code generator, with the cache of routines it has generated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "media/DXRender.h"

namespace media {

class TDXRInterpreter {
public:
    static void Run(TDXRMachine& m, int32_t count);
};

// Executable memory, kept W^X: pages that hold routines are read+execute, the free
// space behind them read+write. Only the pages a new routine touches change.
class TDXRCodeBuffer {
public:
    explicit TDXRCodeBuffer(std::size_t size);  // raises EDXRenderError when refused
    ~TDXRCodeBuffer();
    TDXRCodeBuffer(const TDXRCodeBuffer&) = delete;
    TDXRCodeBuffer& operator=(const TDXRCodeBuffer&) = delete;

    uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    // Makes [from, size) writable (the part already executable, that is).
    bool openFrom(std::size_t from);
    // Makes [from, to) executable; the rest stays writable.
    bool seal(std::size_t from, std::size_t to);

private:
    uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t sealedEnd_ = 0;  // page-aligned end of the executable part
};

// Routines by everything their code depends on (see TDXRCodeGenerator::Key). New
// routines are appended to the free space; when the space or the count runs out the
// whole cache is emptied and filling starts again from the front.
class TDXRCodeCache {
public:
    struct TRoutine {
        const uint8_t* Entry = nullptr;
        std::size_t Size = 0;
        bool UsesSimd = false;
    };
    // Writes a routine at `at` with `room` bytes free; answers its size and whether it
    // uses SIMD. Raises TDXRCodeCache::TNoRoom when the room is too small.
    using TEmitter = std::function<TRoutine(uint8_t* at, std::size_t room)>;
    struct TNoRoom {};

    static constexpr std::size_t DefaultBytes = std::size_t{1} << 20;
    static constexpr std::size_t DefaultRoutines = 256;

    explicit TDXRCodeCache(std::size_t bytes = DefaultBytes, std::size_t routines = DefaultRoutines);

    const TRoutine* Find(const std::string& key) const;
    // Generates and keeps a routine; nullptr when the memory cannot be switched
    // between writable and executable, or the routine does not fit the whole buffer.
    const TRoutine* Add(const std::string& key, const TEmitter& emit);
    void Clear();

    std::size_t Count() const { return routines_.size(); }
    std::size_t BytesUsed() const { return used_; }
    std::size_t Generations() const { return generations_; }
    std::size_t Flushes() const { return flushes_; }

private:
    const TRoutine* emitAt(std::size_t start, const std::string& key, const TEmitter& emit);

    TDXRCodeBuffer buffer_;
    std::unordered_map<std::string, TRoutine> routines_;
    std::size_t used_ = 0;
    std::size_t limit_;
    std::size_t generations_ = 0;
    std::size_t flushes_ = 0;
};

class TDXRCodeGenerator {
public:
    // Finds or writes the routine for the machine's compiled tree; false (and one log
    // line) when executable memory is refused.
    static bool Generate(TDXRMachine& m);
    // Everything the generated code takes from the machine at compile time: formats,
    // tree, keys, the kind of each step. Values the routine reads from memory on
    // every run (alpha and other defaults, step sizes, register values, pitches of
    // fixed rows) are left out, so that they share one routine.
    static void Key(const TDXRMachine& m, std::string& key);
};

}  // namespace media
