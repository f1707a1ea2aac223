// Pixel access shared by the DIB's own files: raw values and colours ($RRGGBB).
#pragma once

#include "media/DIB.h"

namespace media::dib {

// Raw value at column X of row Y counted from the top (no bounds check).
uint32_t GetRaw(const TDIBSharedImage& image, int x, int y);
void PutRaw(TDIBSharedImage& image, int x, int y, uint32_t value);
// A raw value as $RRGGBB, and back (palette images take the nearest entry).
uint32_t RawToColor(const TDIBSharedImage& image, uint32_t raw);
uint32_t ColorToRaw(const TDIBSharedImage& image, uint32_t color);

void WriteLE32(uint8_t* p, uint32_t v);
void WriteLE16(uint8_t* p, uint16_t v);
uint32_t ReadLE32(const uint8_t* p);
uint16_t ReadLE16(const uint8_t* p);

}  // namespace media::dib
