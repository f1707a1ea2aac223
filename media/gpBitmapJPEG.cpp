// JPEG decoding through libjpeg. The library's error exit jumps back here and becomes an
// EJPEG exception; its warnings are dropped (a truncated picture keeps what was decoded).
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>

#include "media/gpBitmap.h"

namespace media {
namespace {

constexpr int64_t kMaxJPEGPixels = int64_t{1} << 26;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OutputMessage(j_common_ptr) {}

// Everything the decode needs lives here, so that the jump back crosses no C++ frame.
struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
};

// Answers false with Err.message set when the library failed.
bool Decode(Decoder& d, const uint8_t* data, size_t size, bool eightBit, TDIB& out, std::vector<uint8_t>& cmykRow,
            const char*& failure) {
    failure = nullptr;
    if (setjmp(d.err.jump)) return false;
    jpeg_mem_src(&d.cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&d.cinfo, TRUE);
    if (static_cast<int64_t>(d.cinfo.image_width) * d.cinfo.image_height > kMaxJPEGPixels ||
        d.cinfo.image_width > static_cast<unsigned>(kMaxDIBSide) ||
        d.cinfo.image_height > static_cast<unsigned>(kMaxDIBSide)) {
        failure = "JPEG image too large";
        return false;
    }
    const bool gray = d.cinfo.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
    if (gray) {
        d.cinfo.out_color_space = JCS_GRAYSCALE;
    } else if (cmyk) {
        d.cinfo.out_color_space = JCS_CMYK;
    } else {
        d.cinfo.out_color_space = JCS_EXT_BGR;
        if (eightBit) {
            d.cinfo.out_color_space = JCS_RGB;
            d.cinfo.quantize_colors = TRUE;
            d.cinfo.desired_number_of_colors = 256;
            d.cinfo.two_pass_quantize = TRUE;
        }
    }
    jpeg_start_decompress(&d.cinfo);
    const int width = static_cast<int>(d.cinfo.output_width), height = static_cast<int>(d.cinfo.output_height);
    const bool palette = gray || (eightBit && !cmyk);
    TRGBQuads table = MakeGrayColorTable();
    if (d.cinfo.quantize_colors) {
        for (int i = 0; i < d.cinfo.actual_number_of_colors && i < 256; ++i) {
            table[static_cast<size_t>(i)] = TRGBQuad{d.cinfo.colormap[2][i], d.cinfo.colormap[1][i],
                                                     d.cinfo.colormap[0][i], 0};
        }
    }
    out.ColorTable = table;
    out.PixelFormat = PixelFormat888();
    out.SetSize(width, height, palette ? 8 : 24);
    out.UpdatePalette();
    uint8_t* top = out.TopPBits();
    const int64_t step = out.NextLine();
    if (cmyk) cmykRow.resize(static_cast<size_t>(width) * 4);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        uint8_t* row = top + step * static_cast<int64_t>(d.cinfo.output_scanline);
        JSAMPROW rows[1] = {cmyk ? cmykRow.data() : row};
        if (jpeg_read_scanlines(&d.cinfo, rows, 1) != 1) break;
        if (cmyk) {
            // Adobe writes CMYK inverted: each stored value is 255 minus the ink.
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = &cmykRow[static_cast<size_t>(x) * 4];
                row[3 * x] = static_cast<uint8_t>(p[2] * p[3] / 255);
                row[3 * x + 1] = static_cast<uint8_t>(p[1] * p[3] / 255);
                row[3 * x + 2] = static_cast<uint8_t>(p[0] * p[3] / 255);
            }
        }
    }
    jpeg_finish_decompress(&d.cinfo);
    return true;
}

}  // namespace

void TJPEGImage::LoadFromMemory(const uint8_t* data, size_t size) {
    data_.assign(data, data + size);
    Decoder d{};
    std::vector<uint8_t> scratch;
    d.cinfo.err = jpeg_std_error(&d.err.pub);
    d.err.pub.error_exit = ErrorExit;
    d.err.pub.output_message = OutputMessage;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.mem->max_memory_to_use = 512L * 1024 * 1024;
    TDIB decoded;
    const char* failure = nullptr;
    bool ok = false;
    try {
        ok = Decode(d, data_.data(), data_.size(), PixelFormat == TJPEGPixelFormat::jf8Bit, decoded, scratch, failure);
    } catch (...) {
        jpeg_destroy_decompress(&d.cinfo);
        throw;
    }
    std::string message = failure ? failure : d.err.message;
    jpeg_destroy_decompress(&d.cinfo);
    if (!ok) throw rtl::EJPEG(message.empty() ? "JPEG error" : message);
    bitmap_ = decoded;
}

}  // namespace media
