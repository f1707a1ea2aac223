// Level sets from memory: the header, the descriptor, the index and every level record. An
// input starting with 0x80 | kind << 4 | version is one record of that version instead
// (kind 0 descriptor, 1 level record, 2 object record), so every version branch is reached.
#include <cstdint>
#include <vector>

#include "engine/gpLevel.h"
#include "rtl/Streams.h"

namespace {

void ReadRecord(int kind, int32_t version, rtl::Stream& stream) {
    if (kind == 0) {
        engine::TRecordInterfaceGame descriptor;
        descriptor.ReadFromStream(stream, version);
    } else if (kind == 1) {
        engine::TStructureOfLevel_1 level;
        level.ReadFromStream(stream, version);
    } else {
        engine::TGPGObjHandle record(engine::TGPGObj_1::Create());
        record->ReadFromStream(stream, version);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        if (size > 0 && (data[0] & 0x80) != 0) {
            rtl::MemoryStream stream(std::vector<uint8_t>(data + 1, data + size));
            ReadRecord((data[0] >> 4) & 0x7, data[0] & 0xF, stream);
            return 0;
        }
        rtl::MemoryStream stream(std::vector<uint8_t>(data, data + size));
        engine::TInterfaceHeader header = engine::LevelSetHeader();
        engine::TLevelStream levels("fuzz.ig", stream, header);
        for (int i = 0; i < levels.GetLevelCount(); ++i) {
            try {
                levels.LoadLevel(i);
            } catch (const rtl::EStreamError&) {
            }
        }
    } catch (const rtl::Exception&) {
    }
    return 0;
}
