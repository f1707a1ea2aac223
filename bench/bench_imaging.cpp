// Picture loading against libjpeg's own decoding of the same data, in one run.
// Prints, per case, the ratio of our loader's time to the peer's.
#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "media/gpBitmap.h"
#include "tools/datagen/Bmp.h"
#include "tools/datagen/Jpeg.h"

namespace {

const int kWidth = 800, kHeight = 600;

const std::string& Jpeg() {
    static const std::string data = datagen::EncodeJpeg(datagen::TestJpegPicture(kWidth, kHeight));
    return data;
}
const std::string& Bmp() {
    static const std::string data = datagen::EncodeBmp(datagen::TestPicture(kWidth, kHeight, 24));
    return data;
}

// libjpeg alone: the same colour space, rows into one buffer.
void PeerDecode(const std::string& data, bool quantize) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.data()), data.size());
    jpeg_read_header(&cinfo, TRUE);
    if (quantize) {
        cinfo.out_color_space = JCS_RGB;
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 256;
        cinfo.two_pass_quantize = TRUE;
    } else {
        cinfo.out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(&cinfo);
    std::vector<unsigned char> pixels(static_cast<size_t>(cinfo.output_width) * cinfo.output_components * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + static_cast<size_t>(cinfo.output_scanline) * cinfo.output_width * cinfo.output_components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels.data());
}

void BM_PeerJpeg24(benchmark::State& state) { for (auto _ : state) PeerDecode(Jpeg(), false); }
void BM_OursJpeg24(benchmark::State& state) {
    for (auto _ : state) {
        media::TJPEGImage image;
        image.LoadFromMemory(reinterpret_cast<const uint8_t*>(Jpeg().data()), Jpeg().size());
        benchmark::DoNotOptimize(image.Width());
    }
}
void BM_PeerJpeg8(benchmark::State& state) { for (auto _ : state) PeerDecode(Jpeg(), true); }
void BM_OursBitmapJpeg8(benchmark::State& state) {
    const std::string prefixed = datagen::LengthPrefixed(Jpeg());
    for (auto _ : state) {
        rtl::MemoryStream s(std::vector<uint8_t>(prefixed.begin(), prefixed.end()));
        media::TGPBitmap bitmap;
        bitmap.LoadFromStream(s);
        benchmark::DoNotOptimize(bitmap.Width());
    }
}
void BM_OursBitmapBmp24(benchmark::State& state) {
    for (auto _ : state) {
        rtl::MemoryStream s(std::vector<uint8_t>(Bmp().begin(), Bmp().end()));
        media::TGPBitmap bitmap;
        bitmap.LoadFromStream(s);
        benchmark::DoNotOptimize(bitmap.Width());
    }
}

BENCHMARK(BM_PeerJpeg24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursJpeg24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerJpeg8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursBitmapJpeg8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursBitmapBmp24)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto ratio = [&](const char* ours, const char* peer) {
            if (times_.count(ours) && times_.count(peer) && times_[peer] > 0)
                std::printf("ratio %-22s / %-16s = %.3f\n", ours, peer, times_[ours] / times_[peer]);
        };
        ratio("BM_OursJpeg24", "BM_PeerJpeg24");
        ratio("BM_OursBitmapJpeg8", "BM_PeerJpeg8");
        ratio("BM_OursBitmapBmp24", "BM_PeerJpeg24");
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
