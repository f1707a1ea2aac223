// Writer of resource containers, whole or deliberately damaged.
#pragma once

#include <string>
#include <vector>

namespace datagen {

struct ContainerEntry {
    std::string name;
    std::string data;
};
struct ContainerSection {
    std::string name;
    std::vector<ContainerEntry> entries;
};

enum class ContainerDamage { None, BadMagic, BadChecksum, HugeCount, HugeFollowCount, HugeNameLength, TruncatedDirectory };

// The container's bytes: header, hashed directory, then the entries' data in order.
// Duplicate names are written as given.
std::string BuildContainer(const std::vector<ContainerSection>& sections, ContainerDamage damage = ContainerDamage::None);
void WriteContainer(const std::string& fileName, const std::vector<ContainerSection>& sections,
                    ContainerDamage damage = ContainerDamage::None);
// A string entry as the engine stores it: int32 length, then the bytes.
std::string LenString(const std::string& text);
std::string Int32Bytes(int32_t value);

}  // namespace datagen
