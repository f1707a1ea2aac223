// The registry: keys with typed values under three roots, kept in one text file per user.
//
// The file is `SPRALLION_REGISTRY` when set, else `$XDG_CONFIG_HOME/sprallion/registry` (or
// `~/.config/sprallion/registry`). Every change re-reads the file and replaces it atomically under
// an exclusive lock on "<file>.lock", so processes that share the file (the game and the
// registration tool) see each other's writes and a crash leaves the old file or the new one.
// Reads take a shared lock and re-read the file when it changed. A damaged file is reported once
// through the log handler and read as far as it is sound; before it is replaced, its bytes are
// kept as "<file>.damaged", so nothing is silently lost.
//
// Names of keys and values compare without regard to case (the one fold of rtl/Text.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegistryFile.h"
#include "rtl/Exceptions.h"

namespace platform::registry {

class ERegistryException : public rtl::Exception {
public:
    using rtl::Exception::Exception;
    const char* className() const noexcept override { return "ERegistryException"; }
};

enum class RootKey { HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };
const char* RootKeyName(RootKey root);

// Receives the registry's reports (a damaged file); the default writes them to stderr.
using LogHandler = std::function<void(const std::string& text)>;
void SetLogHandler(LogHandler handler);

// One registry file shared with other processes.
class Store {
public:
    explicit Store(std::string fileName);
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    const std::string& FileName() const { return fileName_; }
    // The stored tree as it is now. Raises ERegistryException when the file cannot be read
    // (a missing file is an empty registry).
    Tree Snapshot();
    // Applies change to the stored tree under the exclusive lock; when it answers true the file
    // is replaced atomically. Raises ERegistryException when the file cannot be written.
    void Modify(const std::function<bool(Tree&)>& change);

private:
    struct FileId {
        uint64_t dev = 0, ino = 0, size = 0;
        int64_t mtimeSec = 0, mtimeNsec = 0;
        bool operator==(const FileId&) const = default;
    };
    // Loads the file into cache_ when it changed; the lock is held by the caller.
    void Refresh();
    void WriteFile(const Tree& tree);
    void ReportDamage(const ParseResult& parsed);

    std::string fileName_;
    std::mutex mutex_;
    bool cached_ = false;
    FileId cachedId_;
    Tree cache_;
    bool damaged_ = false;      // the file now on disk is damaged
    FileId reportedId_;         // the damaged file last reported
    bool reported_ = false;
};

// The store of the file named by the environment (see above); one per file name.
Store& DefaultStore();
std::string DefaultRegistryFileName();

// Access in the manner of the class library's registry object: choose a root, open a key
// (relative to the open key, or to the root when it begins with '\'), read and write values.
// With no key open, values are those of the root itself.
class Registry {
public:
    explicit Registry(RootKey root = RootKey::HKEY_CURRENT_USER);
    Registry(Store& store, RootKey root);

    RootKey GetRootKey() const { return root_; }
    void SetRootKey(RootKey root);  // closes the open key

    bool OpenKey(std::string_view key, bool canCreate);
    bool OpenKeyReadOnly(std::string_view key);
    void CloseKey();
    // The open key's path below the root ("" when none is open).
    const std::string& CurrentPath() const { return current_; }

    bool KeyExists(std::string_view key);
    bool CreateKey(std::string_view key);
    // Removes the key with everything below it; false when it did not exist.
    bool DeleteKey(std::string_view key);
    std::vector<std::string> GetKeyNames();
    std::vector<std::string> GetValueNames();
    bool HasSubKeys();

    bool ValueExists(std::string_view name);
    ValueType GetDataType(std::string_view name);  // None when absent
    std::optional<Value> ReadValue(std::string_view name);
    // The open key with all its values as stored now, read at once (nullopt when it went away).
    std::optional<Key> ReadKey();

    // A missing value reads as ""; another type raises "Invalid data type for '%s'".
    std::string ReadString(std::string_view name);
    // Missing: "Failed to get data for '%s'"; another type: "Invalid data type for '%s'".
    int32_t ReadInteger(std::string_view name);
    std::string ReadBinaryData(std::string_view name);
    void WriteString(std::string_view name, std::string_view value);
    void WriteInteger(std::string_view name, int32_t value);
    void WriteBinaryData(std::string_view name, std::string_view bytes);
    bool DeleteValue(std::string_view name);
    // Writes several values of the open key in one change of the file: all or none.
    void WriteValues(const std::vector<Value>& values);
    // Reads and changes the open key in one change of the file, under the lock that every writer
    // takes, so no other writer (of this process or another) comes between the read and the write.
    // change receives the key as stored now and answers whether it changed it. Raises when the
    // key went away since it was opened.
    void ModifyKey(const std::function<bool(Key& key)>& change);

private:
    std::string FullPath(std::string_view key) const;  // of a key argument
    std::string OpenFullPath() const;                  // of the open key
    void Write(std::string_view name, ValueType type, std::string data);
    void ModifyKey(std::string_view failingName, const std::function<bool(Key& key)>& change);

    Store& store_;
    RootKey root_;
    std::string current_;
    bool open_ = false;
    bool readOnly_ = false;
};

}  // namespace platform::registry
