// The record stream: headers and data read until the first failure.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/gpDataStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_datastream." + std::to_string(::getpid());
    rtl::WriteFileAtomically(path, data, size);
    engine::TDataStreamHeader header{16, 0, 0, 0, 3, 'V', 'Q', 'M'};
    {
        engine::TDataStream stream(path, nullptr, header, rtl::fmOpenRead);
        std::vector<uint8_t> buffer(4096);
        engine::TDataRecordHeader record;
        for (int i = 0; i < 1000 && stream.ReadRecordHeader(record) != -1; ++i)
            if (stream.ReadData(buffer.data(), static_cast<int64_t>(buffer.size())) < 0) break;
    }
    std::remove(path.c_str());
    return 0;
}
