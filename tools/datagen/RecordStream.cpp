#include "tools/datagen/RecordStream.h"

#include "rtl/Checksum.h"
#include "rtl/Streams.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/Seeds.h"

namespace datagen {

std::string RecordStreamHeader() { return Int32Bytes(16) + std::string("\x03VQM", 4) + std::string(8, '\0'); }

std::string BuildRecordStream(const std::vector<Record>& records, const std::string& header) {
    std::string out = header;
    for (const Record& r : records) {
        uint16_t sum = rtl::ResourceChecksum(r.data);
        if (r.corruptChecksum) sum ^= 0x1234;
        out += Int32Bytes(24) + Int32Bytes(r.id) + Int32Bytes(r.value) +
               Int32Bytes(static_cast<int32_t>(r.data.size()) + r.lengthDelta) + Int32Bytes(r.checksum ? 1 : 0) +
               Int32Bytes(r.checksum ? sum : 0x7777) + r.data;
    }
    return out;
}

namespace {

std::vector<Record> Sample() {
    return {{1, 7, "first record", true}, {2, 0, std::string(144, '\x11'), false}, {3, -1, "", true}};
}

const Command recordsCommand("records", "records OUT  write a sample record stream", [](const std::vector<std::string>& args) {
    if (args.size() != 1) return 2;
    std::string bytes = BuildRecordStream(Sample());
    rtl::WriteFileAtomically(args[0], bytes.data(), bytes.size());
    return 0;
});

const SeedWriter recordSeeds("fuzz_datastream", [](const SeedSink& put) {
    put("sample", BuildRecordStream(Sample()));
    put("badsum", BuildRecordStream({{1, 0, "data", true, true}}));
    put("long", BuildRecordStream({{1, 0, "data", true, false, 1000}}));
    put("negative", BuildRecordStream({{1, 0, "data", false, false, -100}}));
    put("header", RecordStreamHeader());
    // Record streams inside container entries, each followed by another entry that a reader
    // must not run into.
    const std::string stream = BuildRecordStream(Sample());
    put("in_container", BuildContainer({{"Cfg", {{"GPCfg", stream}, {"Small", stream.substr(0, 20)}, {"After", stream}}}}));
});

}  // namespace
}  // namespace datagen
