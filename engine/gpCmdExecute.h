// The deferred command line and its executor.
//
// Work that must not happen in the middle of a move or a drawing is queued as command words
// and carried out at the very end of the tick. The line keeps the word counts of its
// commands (so its limits hold), each word 64 bits wide so that references fit. A command
// that names a game object carries the object's generation; when the object went back to a
// pool before the line ran, the command is skipped.
//
// Word layout: the opcode word holds the opcode in bits 0..15 and the mark in bits 16..31
// (0 when queued, $1000 once run). A word naming an engine object holds its handle in bits
// 0..31 and its generation in bits 48..63; the executor finds the object through the handle
// table and never reads through a stale address. Forms and callers, which live as long as
// the kernel, are plain addresses in bits 0..47. A numbered sound has all ones in bits
// 48..63 and the number in bits 0..15.
#pragma once

#include "engine/gpStructure.h"
#include "engine/gpUtils.h"

#include <array>
#include <cstdint>
#include <memory>

namespace engine {

class TGPKernel;

using TCommandWord = uint64_t;

namespace cmd {
inline constexpr uint16_t ScrollView = 1, SelectObject = 2, EndGames = 4, Nothing = 5, NextLevel = 6, LastLevel = 7,
                          PlaySound = 8, ShowMain = 9, Hide = 10, Show = 11;
inline constexpr uint32_t Executed = 0x1000;
// Mask bits.
inline constexpr uint16_t MaskEndGames = 0x04, MaskNextLevel = 0x08, MaskObjectSound = 0x20, MaskNumberedSound = 0x40,
                          MaskShow = 0x80, MaskHide = 0x100;
// Number of words of a command, opcode word included; 0 for an opcode the line does not know.
int SizeOf(uint16_t opcode);
TCommandWord Reference(const TObject* object);              // no generation: forms, callers
TCommandWord ObjectReference(const TGPStructure* object);   // handle and generation
TCommandWord SoundNumber(int32_t number);
bool IsSoundNumber(TCommandWord word);
int16_t SoundNumberOf(TCommandWord word);
TObject* Dereference(TCommandWord word);
// The object a reference names, or nil when it went back to a pool since it was queued.
TGPStructure* LiveObject(TCommandWord word);
inline uint16_t OpcodeOf(TCommandWord word) { return static_cast<uint16_t>(word & 0xFFFF); }
inline uint32_t MarkOf(TCommandWord word) { return static_cast<uint32_t>((word >> 16) & 0xFFFF); }
// A 16-bit operand; outside -32768..32767 a range error.
uint16_t Operand16(int32_t value);
}  // namespace cmd

class TExecuteLine {
public:
    static constexpr int kCapacity = 512;

    TExecuteLine();
    ~TExecuteLine();

    void AddEndGames();
    void AddNextLevel();
    // The world's end, then the next level: both, or neither when the line has no room for
    // both (or suppresses either). Answers whether they were queued.
    bool AddLevelEnd();
    void AddObjectSound(TGPStructure* source, TGPStructure* obj, int32_t x, int32_t y, int32_t looped, int32_t play,
                        int32_t extra);
    void AddSound(int32_t number, TGPStructure* obj, int32_t x, int32_t y, int32_t looped, int32_t play, int32_t extra);
    void AddShowMain(TGPStructure* form, TObject* caller);
    void AddShow(TGPStructure* form, TObject* caller);
    void AddHide(TGPStructure* form);

    void Rewind() { Position = 0; }
    void Clear() {
        Position = 0;
        EndMark = 0;
    }
    TCommandWord* Next();
    bool AtEnd();
    bool BeginNested();
    void EndNested();
    // Marks every queued command that names a game object as run: the objects are about to
    // be freed (a level reset empties the pools).
    void DropObjectCommands();

    bool Nested = false;
    std::array<TCommandWord, kCapacity> Buffer{};
    int32_t Position = 0;
    int32_t EndMark = 0;
    int32_t Capacity = kCapacity;
    uint16_t SuppressMask = 0;
    std::unique_ptr<TExecuteLine> Secondary;

private:
    // Appends when it fits (Position + size < Capacity); a full line drops it silently.
    void Append(std::initializer_list<TCommandWord> words);
    template <class F> bool Forward(uint16_t maskBits, F&& call);
};

// Runs the deferred commands; created by the kernel with the kernel as owner and ID 0.
class TGP_CMD0 : public TGPStructure {
    RTL_CLASS(TGP_CMD0, TGPStructure)
public:
    void Execute(TCommandWord* command);

    void ScrollView(int32_t dx, int32_t dy, bool notify);
    void SelectObject(TGPStructure* obj, bool keep);
    void PlaySound(const TCommandWord* command);

    TAplicationListForSound SoundList;
};

}  // namespace engine
