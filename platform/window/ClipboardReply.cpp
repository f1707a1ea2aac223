#include "platform/window/ClipboardReply.h"

#include <cstring>
#include <string>

#include "platform/window/Clipboard.h"
#include "rtl/Text.h"

namespace platform::window {

bool AddPropertyPiece(ClipboardReply& reply, unsigned long type, int format, const unsigned char* data,
                      unsigned long items, long& offset) {
    const bool sized = format == 8 || format == 16 || format == 32;
    if (items > 0 && !sized) return false;  // no reader could step over such items
    reply.Type = type;
    reply.Format = format;
    if (format == 32) {
        // Xlib hands 32-bit items as longs.
        const auto* longs = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i < items; ++i) {
            const auto v = static_cast<uint32_t>(longs[i]);
            uint8_t bytes[4];
            std::memcpy(bytes, &v, 4);
            reply.Bytes.insert(reply.Bytes.end(), bytes, bytes + 4);
        }
    } else if (format == 8 || format == 16) {
        reply.Bytes.insert(reply.Bytes.end(), data, data + size_t(items) * size_t(format / 8));
    }
    if (sized) offset += long(size_t(items) * size_t(format) / 32);
    return reply.Bytes.size() <= kMaxClipboardTransfer;
}

bool AddTransferChunk(ClipboardReply& whole, const ClipboardReply& chunk) {
    if (whole.Bytes.size() + chunk.Bytes.size() > kMaxClipboardTransfer) return false;
    whole.Type = chunk.Type;
    whole.Format = chunk.Format;
    whole.Bytes.insert(whole.Bytes.end(), chunk.Bytes.begin(), chunk.Bytes.end());
    return true;
}

bool OffersTarget(const ClipboardReply& targets, std::span<const unsigned long> wanted) {
    if (targets.Format != 32) return false;
    for (size_t i = 0; i + 4 <= targets.Bytes.size(); i += 4) {
        uint32_t atom;
        std::memcpy(&atom, targets.Bytes.data() + i, 4);
        for (unsigned long w : wanted)
            if (atom == w) return true;
    }
    return false;
}

std::optional<std::vector<uint8_t>> TextFromReply(const ClipboardReply& reply, bool latin1) {
    if (reply.Format != 8) return std::nullopt;
    const std::string text = latin1 ? rtl::Utf16ToAnsi(std::u16string(reply.Bytes.begin(), reply.Bytes.end()))
                                    : rtl::Utf8ToAnsi({reinterpret_cast<const char*>(reply.Bytes.data()), reply.Bytes.size()});
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::optional<std::vector<uint8_t>> PictureFromReply(const ClipboardReply& reply) {
    if (reply.Format != 8) return std::nullopt;
    return DibFromBmpFile(reply.Bytes);
}

}  // namespace platform::window
