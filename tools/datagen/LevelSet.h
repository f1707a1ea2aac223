// Writer of level sets: loose files and packed ".ig" containers, whole or deliberately
// damaged. Every field the format holds is written; a count left empty is the real one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/datagen/Container.h"

namespace datagen {

struct LevelHeader {
    std::string magic = std::string("\x03VQM", 4);
    int32_t size = 136;
    int32_t version = 11;
    std::string packName;  // offset 12
    std::string title;     // offset 72
    // Length bytes as stored; empty: the string's length (cut to 59 and 63 letters).
    std::optional<uint8_t> packNameLength, titleLength;
};

struct HierarchyNode {
    std::array<int32_t, 7> values{};
    std::string name;
    std::vector<HierarchyNode> children;
    std::optional<int32_t> childCount;
};

struct LevelDescriptor {
    std::string name = "Names.gp";
    uint8_t scriptInterface = 0, reserved1 = 0;
    std::array<int32_t, 4> map{0, 0, 576, 576};  // two reset values, width, height
    int32_t reserved2 = 0;
    std::vector<HierarchyNode> nodes;
    std::vector<std::string> fonts;  // written when the version is above 9
    std::optional<int32_t> nodeCount, fontCount;
};

struct LevelIdentification {
    std::string text1 = "Sprallion";
    int32_t value1 = 1;
    uint64_t stamp1 = 0x40E5000000000000ull;
    std::string text2 = "datagen";
    int32_t value2 = 2;
    uint64_t stamp2 = 0;
};

struct ObjectRecord {
    int32_t idClass = 12;
    std::array<uint8_t, 4> bytes{};  // Media, CPBMoving, TicksPerRotate, unused
    std::string name;
    int32_t maxSpeed = 0;
    double maxSpeedUp = 0;
    uint8_t connectWeapon = 0;
    int32_t currentWeapon = 0, sizeWeapon = 0;
    std::string idWeapon;
    uint8_t defaultSlide = 0;
    int32_t toughness = 1;
    uint8_t rotate = 0;
    std::array<int32_t, 16> p{};  // P1..P16
    uint8_t visible = 1;          // version 3 on
    int32_t minSpeed = 0;         // version 9 on
};

struct NationRecord {
    int32_t key = 0;
    std::vector<ObjectRecord> objects;
    std::optional<int32_t> objectCount;
};

struct LevelRecord {
    int32_t a = 0;
    std::array<double, 6> speed{1, 1, 1, 1, 1, 1};
    int32_t b = 0, wander = 0, drop = 0, monsterLimit = 0;
    std::vector<NationRecord> nations;
    std::array<std::string, 3> texts;
    std::vector<std::pair<int32_t, int32_t>> elements;
    // Version 4 on: ball limit; 5 PlayerStartY; 6 attachment limit; 7 EffectTicks, level
    // parameter; 8 charge maximum.
    std::array<int32_t, 6> tail{};
    std::optional<int32_t> nationCount, elementCount;
};

struct IndexEntry {
    int32_t key = 0;
    uint8_t indexByte = 0;
    int level = 0;                   // the level record it points at
    std::optional<int32_t> position;  // empty: that record's place
    int32_t unused = 0;
};

struct LevelSet {
    LevelHeader header;
    LevelDescriptor descriptor;
    LevelIdentification identification;
    std::vector<LevelRecord> levels;
    std::vector<IndexEntry> index;  // empty: one entry per level, key and index byte its number
    std::optional<int32_t> indexCount;
    int32_t recordVersion = 11;     // of the descriptor and the level records
    std::optional<std::string> descriptorBytes;  // written in place of the descriptor
};

std::string WriteLevelHeader(const LevelHeader& header);
std::string WriteDescriptor(const LevelDescriptor& descriptor, int32_t version);
std::string WriteObjectRecord(const ObjectRecord& record, int32_t version);
std::string WriteLevelRecord(const LevelRecord& level, int32_t version);

// Where the blocks of a built level set begin (the end is the file's size).
struct LevelSetLayout {
    size_t descriptor = 0, identification = 0, index = 0;
    std::vector<size_t> levels;
};
std::string BuildLevelSet(const LevelSet& set, LevelSetLayout* layout = nullptr);

// A packed level set: the set as "Subjects"/"Subject" beside name tables, a class
// description, a picture and a sound of the other writers.
std::vector<ContainerSection> PackedLevelSetSections(const LevelSet& set);
std::string BuildPackedLevelSet(const LevelSet& set);

// A set with every field used: three levels, four nations, hierarchy and fonts.
LevelSet SampleLevelSet();
// A descriptor whose single hierarchy node nests Depth nodes in all (written flat, so that
// no tree of that depth is built here).
std::string NestedDescriptor(int depth, int32_t version);
// Damaged variants of the sample, by name: wrong magic and length byte, versions 10 and 12,
// cut inside every block, negative and huge counts, index positions past the end, nodes
// nested 10,000 deep, header strings longer than their fields.
std::vector<std::pair<std::string, std::string>> DamagedLevelSets();

}  // namespace datagen
