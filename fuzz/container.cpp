// The container's header and directories, every section read, every entry located.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "engine/gpResource.h"
#include "media/gpBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_container." + std::to_string(::getpid());
    rtl::WriteFileAtomically(path, data, size);
    try {
        engine::TGPResource resource(path, rtl::fmOpenRead);
        engine::TGPHashCollection& top = resource.Directory();
        for (int i = 0; i < top.ItemCount(); ++i) {
            const std::string name = top.Item(i).Name();
            if (engine::TGPHashCollection* section = resource.GetSection(name)) {
                for (int k = 0; k < section->ItemCount() && k < 64; ++k) {
                    const std::string key = section->Item(k).Name();
                    resource.ReadString(name, key);
                    engine::TSaveRecord record;
                    resource.Read144(name, key, record);
                    std::unique_ptr<media::TGPBitmap> bitmap;
                    resource.ReadBitmap(name, key, bitmap);
                }
            }
        }
    } catch (const rtl::Exception&) {
    }
    std::remove(path.c_str());
    return 0;
}
