#include "platform/registry/Registry.h"

#include "rtl/Streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace platform::registry {
namespace {

// What a reader takes of the file: far more than any registry of the game holds.
constexpr size_t kMaxFileBytes = size_t{16} << 20;

std::mutex gLogMutex;
LogHandler& Handler() {
    static LogHandler handler;
    return handler;
}

void Log(const std::string& text) {
    std::lock_guard lock(gLogMutex);
    if (Handler()) Handler()(text);
    else std::fprintf(stderr, "registry: %s\n", text.c_str());
}

std::string ErrnoText(int err) { return rtl::FileErrorText(err); }

std::string Dir(const std::string& fileName) {
    size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? std::string(".") : fileName.substr(0, slash == 0 ? 1 : slash);
}

// Creates a folder and its missing parents.
void MakeDirs(const std::string& dir) {
    if (dir.empty()) return;
    struct stat st{};
    if (::stat(dir.c_str(), &st) == 0) return;
    size_t slash = dir.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeDirs(dir.substr(0, slash));
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        throw ERegistryException("Cannot create the registry folder " + dir + ": " + ErrnoText(errno));
}

// An flock held for a scope; a lock file that cannot be opened leaves the scope unlocked only for
// reads of a registry that does not exist yet.
class FileLock {
public:
    FileLock(const std::string& fileName, bool exclusive) {
        fd_ = rtl::OpenRegularFile(fileName + ".lock", O_RDWR | O_CREAT, 0600);
        if (fd_ < 0) return;
        while (::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Writes data to fileName through a temporary file, flushed, then renamed over it.
void ReplaceFile(const std::string& fileName, const std::string& data) {
    try {
        rtl::WriteFileAtomically(fileName, data.data(), data.size(), 0600);
    } catch (const rtl::Exception& e) {
        throw ERegistryException("Cannot write the registry file " + fileName + ": " + e.message());
    }
}

}  // namespace

const char* RootKeyName(RootKey root) {
    switch (root) {
    case RootKey::HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case RootKey::HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case RootKey::HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    }
    return "HKEY_CURRENT_USER";
}

void SetLogHandler(LogHandler handler) {
    std::lock_guard lock(gLogMutex);
    Handler() = std::move(handler);
}

// ---- Store ------------------------------------------------------------------------------------

Store::Store(std::string fileName) : fileName_(std::move(fileName)) {}

void Store::Refresh() {
    const int fd = rtl::OpenRegularFile(fileName_, O_RDONLY);
    if (fd < 0) {
        if (errno != ENOENT)
            throw ERegistryException("Cannot read the registry file " + fileName_ + ": " + ErrnoText(errno));
        cache_ = Tree();
        cached_ = true;
        cachedId_ = FileId();
        damaged_ = false;
        return;
    }
    struct stat st{};
    ::fstat(fd, &st);
    FileId id{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size),
              st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    if (cached_ && id == cachedId_) {
        ::close(fd);
        return;
    }
    std::string text;
    bool cut = false;
    const bool ok = rtl::ReadDescriptor(fd, text, kMaxFileBytes, cut);
    const int err = errno;
    ::close(fd);
    if (!ok) throw ERegistryException("Cannot read the registry file " + fileName_ + ": " + ErrnoText(err));
    ParseResult parsed = ParseRegistryText(text);
    if (cut) {
        // Read as a file cut at the limit: what lies before the cut line is kept.
        if (parsed.sound) parsed.badLine = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        parsed.sound = false;
        parsed.problem = "the file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB";
    }
    cache_ = std::move(parsed.tree);
    cached_ = true;
    cachedId_ = id;
    damaged_ = !parsed.sound;
    if (damaged_ && !(reported_ && reportedId_ == id)) {
        reported_ = true;
        reportedId_ = id;
        ReportDamage(parsed);
    }
}

void Store::ReportDamage(const ParseResult& parsed) {
    Log("the registry file " + fileName_ + " is damaged at line " + std::to_string(parsed.badLine) + " (" +
        parsed.problem + "); it is read as far as it is sound");
}

Tree Store::Snapshot() {
    std::lock_guard guard(mutex_);
    FileLock lock(fileName_, false);
    Refresh();
    return cache_;
}

void Store::Modify(const std::function<bool(Tree&)>& change) {
    std::lock_guard guard(mutex_);
    MakeDirs(Dir(fileName_));
    FileLock lock(fileName_, true);
    if (!lock.held()) throw ERegistryException("Cannot lock the registry file " + fileName_ + ": " + ErrnoText(errno));
    Refresh();
    Tree tree = cache_;
    if (!change(tree)) return;
    if (damaged_) {
        // Keep the damaged original beside the new file before it is replaced.
        std::string kept = fileName_ + ".damaged";
        std::string bytes;
        bool cut = false;
        if (rtl::ReadRegularFile(fileName_, bytes, kMaxFileBytes, cut)) {
            ReplaceFile(kept, bytes);
            const std::string part = cut ? " (its first " + std::to_string(kMaxFileBytes >> 20) + " MiB)" : "";
            Log("the damaged registry file is kept as " + kept + part);
        }
    }
    ReplaceFile(fileName_, FormatRegistryText(tree));
    cached_ = false;  // re-read our own file next time, to take its new identity
    Refresh();
}

std::string DefaultRegistryFileName() {
    if (const char* path = std::getenv("SPRALLION_REGISTRY"); path && *path) return path;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.config";
    else base = ".";
    return base + "/sprallion/registry";
}

Store& DefaultStore() {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<Store>> stores;
    std::lock_guard lock(mutex);
    std::string name = DefaultRegistryFileName();
    auto& slot = stores[name];
    if (!slot) slot = std::make_unique<Store>(name);
    return *slot;
}

// ---- Registry ---------------------------------------------------------------------------------

Registry::Registry(RootKey root) : Registry(DefaultStore(), root) {}
Registry::Registry(Store& store, RootKey root) : store_(store), root_(root) {}

void Registry::SetRootKey(RootKey root) {
    CloseKey();
    root_ = root;
}

std::string Registry::FullPath(std::string_view key) const {
    std::string path = RootKeyName(root_);
    if (open_ && !key.starts_with('\\') && !current_.empty()) path += '\\' + current_;
    std::string rest = JoinPath(SplitPath(key));
    if (!rest.empty()) path += '\\' + rest;
    return path;
}

std::string Registry::OpenFullPath() const {
    std::string path = RootKeyName(root_);
    if (open_ && !current_.empty()) path += '\\' + current_;
    return path;
}

bool Registry::OpenKey(std::string_view key, bool canCreate) {
    std::string full = FullPath(key);
    bool exists = FindKey(store_.Snapshot(), full) != nullptr;
    if (!exists) {
        if (!canCreate) return false;
        store_.Modify([&](Tree& t) {
            if (FindKey(t, full)) return false;
            registry::CreateKey(t, full);
            return true;
        });
    }
    std::vector<std::string> parts = SplitPath(full);
    parts.erase(parts.begin());
    current_ = JoinPath(parts);
    open_ = true;
    readOnly_ = false;
    return true;
}

bool Registry::OpenKeyReadOnly(std::string_view key) {
    if (!OpenKey(key, false)) return false;
    readOnly_ = true;
    return true;
}

void Registry::CloseKey() {
    current_.clear();
    open_ = false;
    readOnly_ = false;
}

bool Registry::KeyExists(std::string_view key) { return FindKey(store_.Snapshot(), FullPath(key)) != nullptr; }

bool Registry::CreateKey(std::string_view key) {
    std::string full = FullPath(key);
    store_.Modify([&](Tree& t) {
        if (FindKey(t, full)) return false;
        registry::CreateKey(t, full);
        return true;
    });
    return true;
}

bool Registry::DeleteKey(std::string_view key) {
    std::string full = FullPath(key);
    if (SplitPath(full).size() < 2) return false;  // a root is not deleted
    bool removed = false;
    store_.Modify([&](Tree& t) { return removed = RemoveKey(t, full); });
    return removed;
}

std::vector<std::string> Registry::GetKeyNames() { return ChildNames(store_.Snapshot(), OpenFullPath()); }

std::vector<std::string> Registry::GetValueNames() {
    Tree t = store_.Snapshot();
    std::vector<std::string> names;
    if (const Key* k = FindKey(t, OpenFullPath()))
        for (const auto& [folded, v] : k->values) names.push_back(v.name);
    return names;
}

bool Registry::HasSubKeys() { return !GetKeyNames().empty(); }

std::optional<Value> Registry::ReadValue(std::string_view name) {
    std::optional<Key> k = ReadKey();
    const Value* v = k ? FindValue(*k, name) : nullptr;
    if (!v) return std::nullopt;
    return *v;
}

std::optional<Key> Registry::ReadKey() {
    Tree t = store_.Snapshot();
    const Key* k = FindKey(t, OpenFullPath());
    if (!k) return std::nullopt;
    return *k;
}

bool Registry::ValueExists(std::string_view name) { return ReadValue(name).has_value(); }

ValueType Registry::GetDataType(std::string_view name) {
    auto v = ReadValue(name);
    return v ? v->type : ValueType::None;
}

std::string Registry::ReadString(std::string_view name) {
    auto v = ReadValue(name);
    if (!v) return {};
    if (v->type != ValueType::String) throw ERegistryException("Invalid data type for '" + std::string(name) + "'");
    return v->data;
}

int32_t Registry::ReadInteger(std::string_view name) {
    auto v = ReadValue(name);
    if (!v) throw ERegistryException("Failed to get data for '" + std::string(name) + "'");
    if (v->type != ValueType::DWord || v->data.size() != 4)
        throw ERegistryException("Invalid data type for '" + std::string(name) + "'");
    uint32_t n = 0;
    for (size_t i = 0; i < 4; ++i) n |= static_cast<uint32_t>(static_cast<uint8_t>(v->data[i])) << (8 * i);
    return static_cast<int32_t>(n);
}

std::string Registry::ReadBinaryData(std::string_view name) {
    auto v = ReadValue(name);
    if (!v) throw ERegistryException("Failed to get data for '" + std::string(name) + "'");
    if (v->type != ValueType::Binary) throw ERegistryException("Invalid data type for '" + std::string(name) + "'");
    return v->data;
}

void Registry::ModifyKey(std::string_view failingName, const std::function<bool(Key& key)>& change) {
    const auto failed = [&] { return ERegistryException("Failed to set data for '" + std::string(failingName) + "'"); };
    if (readOnly_) throw failed();
    std::string full = OpenFullPath();
    bool found = true;
    store_.Modify([&](Tree& t) {
        Key* k = FindKey(t, full);
        if (!k) {
            if (open_) {
                found = false;  // the key went away under us
                return false;
            }
            k = &registry::CreateKey(t, full);  // a root always exists
        }
        return change(*k);
    });
    if (!found) throw failed();
}

void Registry::ModifyKey(const std::function<bool(Key& key)>& change) { ModifyKey(current_, change); }

void Registry::Write(std::string_view name, ValueType type, std::string data) {
    ModifyKey(name, [&](Key& k) { return SetValue(k, name, type, std::move(data)); });
}

void Registry::WriteString(std::string_view name, std::string_view value) {
    Write(name, ValueType::String, std::string(value));
}

void Registry::WriteInteger(std::string_view name, int32_t value) {
    auto n = static_cast<uint32_t>(value);
    Write(name, ValueType::DWord,
          std::string{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                      static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)});
}

void Registry::WriteBinaryData(std::string_view name, std::string_view bytes) {
    Write(name, ValueType::Binary, std::string(bytes));
}

void Registry::WriteValues(const std::vector<Value>& values) {
    ModifyKey(values.empty() ? std::string_view() : std::string_view(values[0].name), [&](Key& k) {
        bool changed = false;
        for (const Value& v : values) changed = SetValue(k, v.name, v.type, v.data) || changed;
        return changed;
    });
}

bool Registry::DeleteValue(std::string_view name) {
    if (readOnly_) return false;
    std::string full = OpenFullPath();
    bool removed = false;
    store_.Modify([&](Tree& t) {
        Key* k = FindKey(t, full);
        removed = k && k->values.erase(FoldName(name)) > 0;
        return removed;
    });
    return removed;
}

}  // namespace platform::registry
