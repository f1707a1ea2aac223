// What another program answers when the game pastes from the X11 clipboard, apart from the
// connection: the value of the transfer property read in pieces of 8-, 16- or 32-bit items,
// whole or as the chunks of an incremental transfer, and what the game takes from it (the
// targets offered, text in its code page, a picture as a DIB).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::window {

// The most a paste takes from another program.
inline constexpr size_t kMaxClipboardTransfer = size_t(64) << 20;

struct ClipboardReply {
    unsigned long Type = 0;  // an atom
    int Format = 0;          // 8, 16 or 32; anything else carries no items
    std::vector<uint8_t> Bytes;  // 32-bit items packed as 4 bytes each
};

// Adds a piece of the property as Xlib hands it (`items` items of `format` bits at `data`,
// 32-bit items as longs) and moves `offset` (in 32-bit units) to the next piece. False when
// the reply grew past the limit or the items are of no size a reader can step over.
bool AddPropertyPiece(ClipboardReply& reply, unsigned long type, int format, const unsigned char* data,
                      unsigned long items, long& offset);
// Adds a chunk of an incremental transfer; false past the limit.
bool AddTransferChunk(ClipboardReply& whole, const ClipboardReply& chunk);
// Whether an answer to TARGETS (32-bit atoms) offers one of `wanted`.
bool OffersTarget(const ClipboardReply& targets, std::span<const unsigned long> wanted);
// Text of an 8-bit answer in the game's code page (from Latin-1 when `latin1`, else UTF-8).
std::optional<std::vector<uint8_t>> TextFromReply(const ClipboardReply& reply, bool latin1);
// The DIB of an 8-bit answer holding a BMP file.
std::optional<std::vector<uint8_t>> PictureFromReply(const ClipboardReply& reply);

}  // namespace platform::window
