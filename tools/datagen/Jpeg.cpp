#include "tools/datagen/Jpeg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

#include "rtl/Streams.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/Seeds.h"

namespace datagen {
namespace {

void ErrorExit(j_common_ptr cinfo) {
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    std::fprintf(stderr, "datagen: jpeg: %s\n", message);
    std::abort();  // only our own valid pictures are encoded here
}

}  // namespace

JpegParams TestJpegPicture(int width, int height, int components) {
    JpegParams s;
    s.width = width, s.height = height, s.components = components;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                s.pixels.push_back(static_cast<uint8_t>(c == 0 ? x * 255 / std::max(1, width - 1)
                                                     : c == 1 ? y * 255 / std::max(1, height - 1)
                                                              : (x + y) * 127 / std::max(1, width + height - 2) + 64));
    return s;
}

std::string EncodeJpeg(const JpegParams& s) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    err.error_exit = ErrorExit;
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(s.width);
    cinfo.image_height = static_cast<JDIMENSION>(s.height);
    cinfo.input_components = s.components;
    cinfo.in_color_space = s.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, s.quality, TRUE);
    if (s.progressive) jpeg_simple_progression(&cinfo);
    cinfo.write_JFIF_header = s.marker == JpegMarker::JFIF;
    cinfo.write_Adobe_marker = s.marker == JpegMarker::Adobe;
    jpeg_start_compress(&cinfo, TRUE);
    if (s.marker == JpegMarker::Exif) {
        static const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0};
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif, sizeof exif);
    }
    const size_t stride = static_cast<size_t>(s.width) * static_cast<size_t>(s.components);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(s.pixels.data() + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

std::string LengthPrefixed(const std::string& data) { return Int32Bytes(static_cast<int32_t>(data.size())) + data; }

namespace {

const Command jpegCommand("jpeg", "jpeg OUT WIDTH HEIGHT [QUALITY]  write a test JPEG (no length prefix)",
    [](const std::vector<std::string>& args) {
        if (args.size() < 3) return 2;
        JpegParams s = TestJpegPicture(std::stoi(args[1]), std::stoi(args[2]));
        if (args.size() > 3) s.quality = std::stoi(args[3]);
        std::string bytes = EncodeJpeg(s);
        rtl::WriteFileAtomically(args[0], bytes.data(), bytes.size());
        return 0;
    });

const SeedWriter jpegSeeds("fuzz_jpeg", [](const SeedSink& put) {
    put("jfif", LengthPrefixed(EncodeJpeg(TestJpegPicture(24, 16))));
    JpegParams exif = TestJpegPicture(17, 9);
    exif.marker = JpegMarker::Exif;
    put("exif", LengthPrefixed(EncodeJpeg(exif)));
    JpegParams grey = TestJpegPicture(16, 16, 1);
    grey.progressive = true;
    put("grey", LengthPrefixed(EncodeJpeg(grey)));
    put("short", LengthPrefixed(EncodeJpeg(TestJpegPicture(8, 8))).substr(0, 60));
});

}  // namespace
}  // namespace datagen
