#include "tools/datagen/Container.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

#include "rtl/Checksum.h"
#include "rtl/Streams.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Seeds.h"

namespace datagen {
namespace {

struct Item {
    std::string name;
    int32_t offset = 0;
};

// Buckets of items in the directory's order; within a bucket in the order given.
std::array<std::vector<Item>, 256> Bucketed(const std::vector<Item>& items) {
    std::array<std::vector<Item>, 256> buckets;
    for (const auto& item : items) buckets[rtl::ResourceChecksum(item.name) & 0xFF].push_back(item);
    return buckets;
}

std::string Directory(const std::vector<Item>& items, ContainerDamage damage, bool top) {
    auto buckets = Bucketed(items);
    int32_t used = 0;
    for (const auto& b : buckets) used += b.empty() ? 0 : 1;
    std::string out = Int32Bytes(top && damage == ContainerDamage::HugeCount ? 0x7FFFFFFF : used);
    bool first = true;
    for (const auto& chain : buckets) {
        for (size_t i = 0; i < chain.size(); ++i) {
            int32_t length = static_cast<int32_t>(chain[i].name.size());
            if (top && first && damage == ContainerDamage::HugeNameLength) length = 0x7FFFFFF0;
            out += Int32Bytes(length) + chain[i].name + Int32Bytes(chain[i].offset);
            int32_t follow = static_cast<int32_t>(chain.size() - 1 - i);
            if (top && first && damage == ContainerDamage::HugeFollowCount) follow = 65536;
            out += Int32Bytes(follow);
            first = false;
        }
    }
    return out;
}

int64_t DirectorySize(const std::vector<Item>& items) {
    int64_t size = 4;
    for (const auto& item : items) size += 12 + static_cast<int64_t>(item.name.size());
    return size;
}

}  // namespace

std::string Int32Bytes(int32_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    return out;
}

std::string LenString(const std::string& text) { return Int32Bytes(static_cast<int32_t>(text.size())) + text; }

std::string BuildContainer(const std::vector<ContainerSection>& sections, ContainerDamage damage) {
    // Sizes first: the directory area does not depend on the offsets.
    std::vector<Item> top;
    for (const auto& s : sections) top.push_back({s.name, 0});
    int64_t area = DirectorySize(top);
    for (const auto& s : sections) {
        std::vector<Item> entries;
        for (const auto& e : s.entries) entries.push_back({e.name, 0});
        area += DirectorySize(entries);
    }
    // Sub-directories follow the top one in the top directory's bucket order.
    auto topBuckets = Bucketed(top);
    std::map<std::string, int32_t> subOffset;
    int64_t running = 16 + DirectorySize(top);
    std::vector<const ContainerSection*> ordered;
    for (const auto& chain : topBuckets)
        for (const auto& item : chain)
            for (const auto& s : sections)
                if (s.name == item.name && std::find(ordered.begin(), ordered.end(), &s) == ordered.end()) {
                    ordered.push_back(&s);
                    break;
                }
    std::string data;
    std::vector<std::string> subs;
    int64_t dataAt = 16 + area;
    for (const ContainerSection* s : ordered) {
        std::vector<Item> entries;
        for (const auto& e : s->entries) {
            entries.push_back({e.name, static_cast<int32_t>(dataAt + static_cast<int64_t>(data.size()))});
            data += e.data;
        }
        subOffset[s->name] = static_cast<int32_t>(running);
        running += DirectorySize(entries);
        subs.push_back(Directory(entries, damage, false));
    }
    for (auto& item : top) item.offset = subOffset[item.name];
    std::string directory = Directory(top, damage, true);
    for (const auto& s : subs) directory += s;

    uint16_t checksum = rtl::ResourceChecksum(directory);
    if (damage == ContainerDamage::BadChecksum) checksum ^= 0x5A5A;
    std::string out = Int32Bytes(16);
    out += damage == ContainerDamage::BadMagic ? std::string("\x04GPRX", 4) : std::string("\x03GPR", 4);
    out += Int32Bytes(static_cast<int32_t>(directory.size())) + Int32Bytes(checksum) + directory + data;
    if (damage == ContainerDamage::TruncatedDirectory) out.resize(16 + directory.size() / 2);
    return out;
}

void WriteContainer(const std::string& fileName, const std::vector<ContainerSection>& sections, ContainerDamage damage) {
    std::string bytes = BuildContainer(sections, damage);
    rtl::WriteFileAtomically(fileName, bytes.data(), bytes.size());
}

namespace {

std::vector<ContainerSection> Sample() {
    return {{"Strings", {{"Title_409", LenString("Sprallion")}, {"Count", Int32Bytes(42)}}},
            {"Cfg", {{"Save_0", std::string(144, '\0')}}},
            // "abc" and "abc" share a bucket; two names that hash alike as well
            {"Wav", {{"Boom", "RIFF"}, {"boom", "RIFX"}, {"Boom", "dup!"}}}};
}

const Command containerCommand("container",
    "container OUT [none|badmagic|badchecksum|hugecount|hugefollow|hugename|truncated]  write a sample container",
    [](const std::vector<std::string>& args) {
        if (args.empty()) return 2;
        static const std::map<std::string, ContainerDamage> kinds = {
            {"none", ContainerDamage::None}, {"badmagic", ContainerDamage::BadMagic},
            {"badchecksum", ContainerDamage::BadChecksum}, {"hugecount", ContainerDamage::HugeCount},
            {"hugefollow", ContainerDamage::HugeFollowCount}, {"hugename", ContainerDamage::HugeNameLength},
            {"truncated", ContainerDamage::TruncatedDirectory}};
        auto it = kinds.find(args.size() > 1 ? args[1] : "none");
        if (it == kinds.end()) return 2;
        WriteContainer(args[0], Sample(), it->second);
        return 0;
    });

const SeedWriter containerSeeds("fuzz_container", [](const SeedSink& put) {
    put("sample", BuildContainer(Sample()));
    put("empty", BuildContainer({}));
    put("badmagic", BuildContainer(Sample(), ContainerDamage::BadMagic));
    put("badchecksum", BuildContainer(Sample(), ContainerDamage::BadChecksum));
    put("hugecount", BuildContainer(Sample(), ContainerDamage::HugeCount));
    put("hugefollow", BuildContainer(Sample(), ContainerDamage::HugeFollowCount));
    put("hugename", BuildContainer(Sample(), ContainerDamage::HugeNameLength));
    put("truncated", BuildContainer(Sample(), ContainerDamage::TruncatedDirectory));
});

}  // namespace
}  // namespace datagen
