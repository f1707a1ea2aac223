// X11 clipboard replies: what another program answers a paste, piece by piece. The input is
// a list of pieces, each a header of four bytes (its kind, its item size in bits, a 16-bit
// little-endian byte count) and the bytes; the first pieces make up the property as Xlib
// reads it (32-bit items as longs), a piece of kind 255 starts an incremental transfer whose
// further pieces are its chunks. What arrives is read as the answer to TARGETS, as text in
// both encodings and as a picture: nothing faults, nothing grows past the limit, and a picture
// taken is a DIB whose header fits it.
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/window/Clipboard.h"
#include "platform/window/ClipboardReply.h"

namespace {

namespace pw = platform::window;

// A piece as the window system hands it: 32-bit items widened to longs.
bool AddPiece(pw::ClipboardReply& reply, unsigned long type, int format, const uint8_t* bytes, size_t count,
              long& offset) {
    if (format == 32) {
        std::vector<long> longs(count / 4);
        for (size_t i = 0; i < longs.size(); ++i) {
            uint32_t v;
            std::memcpy(&v, bytes + 4 * i, 4);
            longs[i] = long(v);
        }
        return pw::AddPropertyPiece(reply, type, format, reinterpret_cast<const unsigned char*>(longs.data()),
                                    longs.size(), offset);
    }
    const size_t itemSize = format == 16 ? 2 : 1;
    return pw::AddPropertyPiece(reply, type, format, bytes, count / itemSize, offset);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pw::ClipboardReply property, transfer;
    bool incremental = false, kept = true;
    long offset = 0;
    for (size_t at = 0; at + 4 <= size && kept;) {
        const unsigned long type = data[at];
        const int format = data[at + 1];
        const size_t count = std::min<size_t>(size_t{data[at + 2]} | size_t{data[at + 3]} << 8, size - at - 4);
        const uint8_t* bytes = data + at + 4;
        at += 4 + count;
        if (type == 255) {
            incremental = true;
            continue;
        }
        if (!incremental) {
            const long before = offset;
            kept = AddPiece(property, type, format, bytes, count, offset);
            if (kept && offset < before) __builtin_trap();  // reading never steps back
            continue;
        }
        pw::ClipboardReply chunk;
        long chunkOffset = 0;
        kept = AddPiece(chunk, type, format, bytes, count, chunkOffset) && pw::AddTransferChunk(transfer, chunk);
    }
    for (const pw::ClipboardReply* reply : {&property, &transfer}) {
        if (reply->Bytes.size() > pw::kMaxClipboardTransfer) __builtin_trap();
        static const unsigned long wanted[] = {1, 31, 255};
        (void)pw::OffersTarget(*reply, wanted);
        for (bool latin1 : {false, true})
            if (auto text = pw::TextFromReply(*reply, latin1); text && reply->Format != 8) __builtin_trap();
        if (auto dib = pw::PictureFromReply(*reply)) {
            if (dib->size() < 12 || dib->size() > reply->Bytes.size()) __builtin_trap();
            const auto back = pw::BmpFileFromDib(*dib);
            if (!back.empty() && !pw::DibFromBmpFile(back)) __builtin_trap();
        }
    }
    return 0;
}
