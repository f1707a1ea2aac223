#include "tools/datagen/LevelSet.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "rtl/Streams.h"
#include "tools/datagen/Bmp.h"
#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Seeds.h"
#include "tools/datagen/Wave.h"

namespace datagen {
namespace {

std::string Byte(uint8_t value) { return std::string(1, static_cast<char>(value)); }

std::string Int64Bytes(uint64_t value) {
    return Int32Bytes(static_cast<int32_t>(value & 0xFFFFFFFFu)) + Int32Bytes(static_cast<int32_t>(value >> 32));
}

std::string DoubleBytes(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return Int64Bytes(bits);
}

std::string Count(std::optional<int32_t> stored, size_t real) {
    return Int32Bytes(stored.value_or(static_cast<int32_t>(real)));
}

std::string ShortString(const std::string& text, size_t letters, std::optional<uint8_t> lengthByte) {
    const std::string cut = text.substr(0, letters);
    std::string field = Byte(lengthByte.value_or(static_cast<uint8_t>(cut.size()))) + cut;
    field.resize(letters + 1, '\0');
    return field;
}

std::string WriteNode(const HierarchyNode& node) {
    std::string out;
    for (int32_t v : node.values) out += Int32Bytes(v);
    out += LenString(node.name) + Count(node.childCount, node.children.size());
    for (const auto& child : node.children) out += WriteNode(child);
    return out;
}

std::string WriteIdentification(const LevelIdentification& id) {
    return LenString(id.text1) + Int32Bytes(id.value1) + Int64Bytes(id.stamp1) + LenString(id.text2) +
           Int32Bytes(id.value2) + Int64Bytes(id.stamp2);
}

}  // namespace

std::string WriteLevelHeader(const LevelHeader& header) {
    std::string out = header.magic;
    out.resize(4, '\0');
    out += Int32Bytes(header.size) + Int32Bytes(header.version);
    out += ShortString(header.packName, 59, header.packNameLength);
    out += ShortString(header.title, 63, header.titleLength);
    return out;
}

std::string WriteDescriptor(const LevelDescriptor& d, int32_t version) {
    std::string out = LenString(d.name) + Byte(d.scriptInterface) + Byte(d.reserved1);
    for (int32_t v : d.map) out += Int32Bytes(v);
    out += Int32Bytes(d.reserved2) + Count(d.nodeCount, d.nodes.size());
    for (const auto& node : d.nodes) out += WriteNode(node);
    if (version > 9) {
        out += Count(d.fontCount, d.fonts.size());
        for (const auto& font : d.fonts) out += LenString(font);
    }
    return out;
}

std::string WriteObjectRecord(const ObjectRecord& r, int32_t version) {
    std::string out = Int32Bytes(r.idClass);
    for (uint8_t b : r.bytes) out += Byte(b);
    out += LenString(r.name) + Int32Bytes(r.maxSpeed) + DoubleBytes(r.maxSpeedUp);
    out += Byte(r.connectWeapon) + Int32Bytes(r.currentWeapon) + Int32Bytes(r.sizeWeapon) + LenString(r.idWeapon);
    out += Byte(r.defaultSlide) + Int32Bytes(r.toughness) + Byte(r.rotate);
    for (int32_t v : r.p) out += Int32Bytes(v);
    if (version >= 3) out += Byte(r.visible);
    if (version >= 9) out += Int32Bytes(r.minSpeed);
    return out;
}

std::string WriteLevelRecord(const LevelRecord& level, int32_t version) {
    std::string out = Int32Bytes(level.a);
    for (double s : level.speed) out += DoubleBytes(s);
    out += Int32Bytes(level.b) + Int32Bytes(level.wander) + Int32Bytes(level.drop) + Int32Bytes(level.monsterLimit);
    out += Count(level.nationCount, level.nations.size());
    for (const auto& nation : level.nations) {
        out += Int32Bytes(nation.key) + Count(nation.objectCount, nation.objects.size());
        for (const auto& object : nation.objects) out += WriteObjectRecord(object, version);
    }
    for (const auto& text : level.texts) out += LenString(text);
    out += Count(level.elementCount, level.elements.size());
    for (const auto& [id, value] : level.elements) out += Int32Bytes(id) + Int32Bytes(value);
    // Ball limit from 4, PlayerStartY 5, attachment limit 6, EffectTicks and level parameter 7,
    // charge maximum 8.
    static constexpr std::array<int32_t, 6> kFrom{4, 5, 6, 7, 7, 8};
    for (size_t i = 0; i < kFrom.size(); ++i)
        if (version >= kFrom[i]) out += Int32Bytes(level.tail[i]);
    return out;
}

std::string BuildLevelSet(const LevelSet& set, LevelSetLayout* layout) {
    LevelSetLayout places;
    std::string out = WriteLevelHeader(set.header);
    places.descriptor = out.size();
    out += set.descriptorBytes ? *set.descriptorBytes : WriteDescriptor(set.descriptor, set.recordVersion);
    places.identification = out.size();
    out += WriteIdentification(set.identification);
    places.index = out.size();

    std::vector<IndexEntry> index = set.index;
    if (index.empty())
        for (size_t i = 0; i < set.levels.size(); ++i)
            index.push_back({static_cast<int32_t>(i), static_cast<uint8_t>(i), static_cast<int>(i), {}, 0});
    size_t at = out.size() + 4 + 16 * index.size();
    std::vector<std::string> records;
    for (const auto& level : set.levels) {
        places.levels.push_back(at);
        records.push_back(WriteLevelRecord(level, set.recordVersion));
        at += records.back().size();
    }
    out += Count(set.indexCount, index.size());
    for (const auto& e : index) {
        const size_t level = static_cast<size_t>(e.level);
        const int32_t position = e.position.value_or(level < places.levels.size() ? static_cast<int32_t>(places.levels[level]) : 0);
        out += Int32Bytes(e.key) + Byte(e.indexByte) + std::string(3, '\0') + Int32Bytes(position) + Int32Bytes(e.unused);
    }
    for (const auto& record : records) out += record;
    if (layout) *layout = places;
    return out;
}

std::vector<ContainerSection> PackedLevelSetSections(const LevelSet& set) {
    NameTables names;
    names.tables[0] = {"Paddle", "Paddle2", "Monster"};
    std::string unit = RecordWriter("TOneSlide", "Slide1").Int("IDName", 1).Int("IDCondition", 1).Str("IDSlide", "Paddle_1").Finish();
    WaveParams wave;
    wave.samples = TestSamples(1, 16, 64);
    return {{"Strings", {{"PixSetGP", WriteNameTables(names)}, {"MIDI_List", LenString("Tune.mid")}}},
            {"Classes_Unit", {{"Paddle", unit}}},
            {"BMP_Unit", {{"Paddle_1", EncodeBmp(TestPicture(8, 4, 8))}}},
            {"Wav", {{"Boom", BuildWave(wave)}}},
            {"Subjects", {{"Subject", BuildLevelSet(set)}}}};
}

std::string BuildPackedLevelSet(const LevelSet& set) { return BuildContainer(PackedLevelSetSections(set)); }

LevelSet SampleLevelSet() {
    LevelSet set;
    set.header.packName = "Resource\\Sample.ig";
    set.header.title = "Sample levels";
    LevelDescriptor& d = set.descriptor;
    d.scriptInterface = 1;
    d.reserved1 = 7;
    d.map = {3, 4, 640, 512};
    d.reserved2 = -9;
    HierarchyNode leaf{{7, 1, 2, 3, 4, 5, 6}, "Score", {}, {}};
    HierarchyNode panel{{2, 10, 20, 30, 40, 50, 60}, "Panel", {leaf, leaf}, {}};
    d.nodes = {panel, HierarchyNode{{1, 0, 0, 0, 0, 0, -1}, "Lives", {}, {}}};
    d.fonts = {"Digits:Digits.ttf", "Title:-Title.ttf"};

    ObjectRecord paddle;
    paddle.idClass = 1;
    paddle.bytes = {1, 2, 3, 4};
    paddle.name = "Paddle";
    paddle.maxSpeed = 0x00080000;
    paddle.maxSpeedUp = 1.25;
    paddle.connectWeapon = 1;
    paddle.currentWeapon = 3;
    paddle.sizeWeapon = 12;
    paddle.idWeapon = "3\r\n5\r\n";
    paddle.defaultSlide = 2;
    paddle.toughness = 5;
    paddle.rotate = 1;
    for (size_t i = 0; i < 16; ++i) paddle.p[i] = static_cast<int32_t>(100 + i);
    paddle.p[4] = 0x40;  // kind bits
    paddle.visible = 0;
    paddle.minSpeed = 0x00020000;
    ObjectRecord ball = paddle;
    ball.idClass = 62;
    ball.visible = 1;
    ball.p[11] = 4;  // default order kind
    ObjectRecord brick = paddle;
    brick.idClass = 12;
    brick.toughness = 2;

    LevelRecord one;
    one.a = 17;
    one.speed = {1.0, 1.25, 1.5, 1.75, 2.0, 2.5};
    one.b = -1;
    one.wander = 10;
    one.drop = 25;
    one.monsterLimit = 3;
    one.nations = {{3, {paddle}, {}}, {4, {ball, ball}, {}}, {0, {brick, brick, brick}, {}}, {1, {}, {}}};
    one.texts = {"First level", "second text", ""};
    one.elements = {{5, 1}, {6, 2}};
    one.tail = {4, 480, 2, 250, 9, 30};
    LevelRecord two = one;
    two.texts[0] = "Second level";
    two.nations.erase(two.nations.begin() + 2);
    two.tail = {6, 470, 3, 300, 1, 40};
    LevelRecord three;
    three.texts[0] = "Empty level";
    set.levels = {one, two, three};
    set.index = {{10, 1, 0, {}, 0}, {20, 2, 1, {}, -1}, {30, 3, 2, {}, 0}};
    return set;
}

std::string NestedDescriptor(int depth, int32_t version) {
    LevelDescriptor d;
    d.nodeCount = 1;
    std::string out = WriteDescriptor(d, 9);  // up to the node count: fonts come after the nodes
    const HierarchyNode node{{1, 2, 3, 4, 5, 6, 7}, "n", {}, 1};
    for (int i = 0; i < depth; ++i) {
        std::string bytes = WriteNode(node);
        if (i + 1 == depth) bytes.replace(bytes.size() - 4, 4, Int32Bytes(0));
        out += bytes;
    }
    if (version > 9) out += Int32Bytes(0);
    return out;
}

std::vector<std::pair<std::string, std::string>> DamagedLevelSets() {
    std::vector<std::pair<std::string, std::string>> out;
    auto variant = [&](const std::string& name, const std::function<void(LevelSet&)>& change) {
        LevelSet set = SampleLevelSet();
        change(set);
        out.emplace_back(name, BuildLevelSet(set));
    };
    variant("bad_magic", [](LevelSet& s) { s.header.magic = std::string("\x03VQX", 4); });
    variant("magic_length_4", [](LevelSet& s) { s.header.magic = std::string("\x04VQM", 4); });
    variant("version_10", [](LevelSet& s) { s.header.version = 10; });
    variant("version_12", [](LevelSet& s) { s.header.version = 12; });
    variant("long_header_strings", [](LevelSet& s) {
        s.header.packName = std::string(59, 'p');
        s.header.title = std::string(63, 't');
        s.header.packNameLength = 200;
        s.header.titleLength = 255;
    });
    for (int32_t bad : {-1, 0x7FFFFFFF}) {
        const std::string tag = bad < 0 ? "negative_" : "huge_";
        variant(tag + "nodes", [bad](LevelSet& s) { s.descriptor.nodeCount = bad; });
        variant(tag + "children", [bad](LevelSet& s) { s.descriptor.nodes[0].childCount = bad; });
        variant(tag + "fonts", [bad](LevelSet& s) { s.descriptor.fontCount = bad; });
        variant(tag + "index", [bad](LevelSet& s) { s.indexCount = bad; });
        variant(tag + "nations", [bad](LevelSet& s) { s.levels[0].nationCount = bad; });
        variant(tag + "objects", [bad](LevelSet& s) { s.levels[0].nations[1].objectCount = bad; });
        variant(tag + "elements", [bad](LevelSet& s) { s.levels[0].elementCount = bad; });
        variant(tag + "position", [bad](LevelSet& s) { s.index[1].position = bad; });
    }
    variant("position_at_end", [](LevelSet& s) {
        s.index[2].position = static_cast<int32_t>(BuildLevelSet(s).size());
    });
    variant("nodes_10000_deep", [](LevelSet& s) { s.descriptorBytes = NestedDescriptor(10000, s.recordVersion); });
    LevelSetLayout layout;
    const std::string whole = BuildLevelSet(SampleLevelSet(), &layout);
    const std::vector<std::pair<std::string, size_t>> blocks = {
        {"header", 0}, {"descriptor", layout.descriptor}, {"identification", layout.identification},
        {"index", layout.index}, {"level0", layout.levels[0]}, {"level1", layout.levels[1]},
        {"level2", layout.levels[2]}};
    for (size_t i = 0; i < blocks.size(); ++i) {
        const size_t end = i + 1 < blocks.size() ? blocks[i + 1].second : whole.size();
        out.emplace_back("cut_" + blocks[i].first, whole.substr(0, (blocks[i].second + end) / 2));
    }
    return out;
}

namespace {

const Command levelSetCommand("levelset", "levelset OUT [packed]  write the sample level set (loose, or as an .ig container)",
    [](const std::vector<std::string>& args) {
        if (args.empty() || args.size() > 2 || (args.size() == 2 && args[1] != "packed")) return 2;
        const std::string bytes = args.size() == 2 ? BuildPackedLevelSet(SampleLevelSet()) : BuildLevelSet(SampleLevelSet());
        rtl::WriteFileAtomically(args[0], bytes.data(), bytes.size());
        return 0;
    });

}  // namespace
}  // namespace datagen
