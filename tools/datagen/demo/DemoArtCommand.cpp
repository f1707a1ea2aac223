// datagen demo-art DIR: every demo picture as BMP (and as JPEG where it is stored so), every
// sound as WAVE and every tune as MIDI, for a look and a listen.
#include <cstdio>
#include <filesystem>

#include "rtl/Streams.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/demo/DemoCatalogue.h"
#include "tools/datagen/demo/DemoSound.h"

namespace datagen::demo {
namespace {

void Write(const std::filesystem::path& path, const std::string& bytes) {
    rtl::WriteFileAtomically(path.string(), bytes.data(), bytes.size());
}

const Command command("demo-art", "demo-art DIR  write every demo picture (BMP, JPEG), sound (WAV) and tune (MID)",
    [](const std::vector<std::string>& args) {
        if (args.size() != 1) return 2;
        const std::filesystem::path dir = args[0];
        std::filesystem::create_directories(dir);
        int count = 0;
        for (const CataloguePicture& p : CataloguePictures()) {
            if (p.jpeg) Write(dir / (p.name + ".jpg"), EncodeJpegPicture(p.image));
            Write(dir / (p.name + ".bmp"), EncodePicture(p.image, p.key, p.bitCount));
            ++count;
        }
        for (const CatalogueSound& s : CatalogueSounds()) {
            Write(dir / (s.name + ".wav"), SoundWave(s.samples));
            ++count;
        }
        for (const CatalogueTune& t : CatalogueTunes()) {
            Write(dir / (t.name + ".mid"), t.midi);
            ++count;
        }
        std::printf("datagen: %d demo files in %s\n", count, dir.string().c_str());
        return 0;
    });

}  // namespace
}  // namespace datagen::demo
