// The registry's stored form: a tree of keys with typed values, and its text file.
//
// File format (one line each, "\n" ends every line):
//   SPRALLION REGISTRY 1
//   [HKEY_CURRENT_USER\SOFTWARE\Quorvex]      a key: its full path from the root
//   @=string:"text"                            the key's unnamed default value
//   "Name"=string:"text"                       a named string value
//   "Count"=dword:0000001F                     a 32-bit value, exactly 8 hex digits
//   "Blob"=binary(3):0A0B0C                    binary data, its byte count, then 2 hex digits a byte
//   END                                        the file is complete
// Names and texts are bytes; '"', '%', '[', ']', '\' in names (in texts: '"' and '%') and every
// byte below 32 or above 126 are written as %HH. A reader stops at the first line that is not
// sound and keeps everything before it, so a damaged or truncated file loses only its tail.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

// Windows' numbers for the value types.
enum class ValueType : uint32_t { None = 0, String = 1, Binary = 3, DWord = 4 };

struct Value {
    std::string name;  // as first written; "" is the default value
    ValueType type = ValueType::None;
    std::string data;  // the string, the 4 little-endian bytes of a DWORD, or the binary bytes

    friend bool operator==(const Value&, const Value&) = default;
};

struct Key {
    std::string path;  // full path as first written, components separated by '\'
    std::map<std::string, Value> values;  // by folded name

    friend bool operator==(const Key&, const Key&) = default;
};

// Every key by folded full path. A key's parents are present whenever it is.
struct Tree {
    std::map<std::string, Key> keys;

    friend bool operator==(const Tree&, const Tree&) = default;
};

// The fold used for every name comparison.
std::string FoldName(std::string_view name);

struct ParseResult {
    Tree tree;
    bool sound = true;     // the whole file was read
    int badLine = 0;       // 1-based line where reading stopped, when not sound
    std::string problem;   // what was wrong there
};

ParseResult ParseRegistryText(std::string_view text);
std::string FormatRegistryText(const Tree& tree);

// Tree helpers used by the store and the reader.
Key* FindKey(Tree& tree, std::string_view fullPath);
const Key* FindKey(const Tree& tree, std::string_view fullPath);
// Creates the key and its missing parents; answers the key.
Key& CreateKey(Tree& tree, std::string_view fullPath);
// Removes the key and every key below it; false when it did not exist.
bool RemoveKey(Tree& tree, std::string_view fullPath);
// The names of the direct children of a key.
std::vector<std::string> ChildNames(const Tree& tree, std::string_view fullPath);
// A value of a key by name (nullptr when absent).
const Value* FindValue(const Key& key, std::string_view name);
// Sets a value, keeping the case of a name already there; answers whether anything changed.
bool SetValue(Key& key, std::string_view name, ValueType type, std::string data);

// Splits a path at '\', dropping empty components; joins with '\'.
std::vector<std::string> SplitPath(std::string_view path);
std::string JoinPath(const std::vector<std::string>& parts);

}  // namespace platform::registry
