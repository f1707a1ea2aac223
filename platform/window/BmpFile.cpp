#include "platform/window/BmpFile.h"

namespace platform::window {

void PutLE16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void PutLE32(std::vector<uint8_t>& b, uint32_t v) {
    PutLE16(b, v & 0xFFFF);
    PutLE16(b, v >> 16);
}

void PutBmpFileHeader(std::vector<uint8_t>& b, uint32_t fileBytes, uint32_t pixelOffset) {
    b.push_back('B');
    b.push_back('M');
    PutLE32(b, fileBytes);
    PutLE32(b, 0);
    PutLE32(b, pixelOffset);
}

}  // namespace platform::window
