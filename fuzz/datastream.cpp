// The record stream: headers and data read until the first failure, from a file of its own
// and, when the input is a container, from every entry (bounded by the entry's room).
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/gpDataStream.h"

namespace {

void ReadRecords(engine::TDataStream& stream) {
    std::vector<uint8_t> buffer(4096);
    engine::TDataRecordHeader record;
    for (int i = 0; i < 1000 && stream.ReadRecordHeader(record) != -1; ++i)
        if (stream.ReadData(buffer.data(), static_cast<int64_t>(buffer.size())) < 0) break;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_datastream." + std::to_string(::getpid());
    rtl::WriteFileAtomically(path, data, size);
    const engine::TDataStreamHeader header{16, 0, 0, 0, 3, 'V', 'Q', 'M'};
    {
        engine::TDataStream stream(path, nullptr, header, rtl::fmOpenRead);
        ReadRecords(stream);
    }
    try {
        engine::TGPResource resource(path, rtl::fmOpenRead);
        engine::TGPHashCollection& top = resource.Directory();
        for (int i = 0; i < top.ItemCount() && i < 16; ++i) {
            const std::string name = top.Item(i).Name();
            engine::TGPHashCollection* section = resource.GetSection(name);
            for (int k = 0; section && k < section->ItemCount() && k < 16; ++k) {
                if (!resource.Locate(name, section->Item(k).Name())) continue;
                engine::TDataStream stream("", &resource, header, rtl::fmOpenRead);
                ReadRecords(stream);
            }
        }
    } catch (const rtl::Exception&) {
    }
    std::remove(path.c_str());
    return 0;
}
