// Scripts: vocabulary, references and the script kernel, variables, blocks and loading.
// Running is in gpCodeRun.cpp.
#include "engine/gpCode.h"

#include "engine/gpClasses.h"
#include "engine/gpErrors.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "rtl/Format.h"
#include "rtl/Numbers.h"
#include "rtl/Streams.h"
#include "rtl/Text.h"

#include <cstring>
#include <limits>

namespace engine {

// ---- Vocabulary ----

namespace {

constexpr std::array<const char*, kVariableTypeCount> kTypeNames = {
    "", "INTEGER", "REAL", "STRING", "BOOLEAN", "CHAR", "TGPPHANTOM", "TGPOBJECT"};

constexpr std::array<const char*, kCodeEventCount + 1> kEventNames = {
    "",           "VAR",           "ONCREATE",          "ONMOVEENTER",      "ONMOVEEXIT",
    "ONROTATELEFT", "ONROTATERIGHT", "ONENLARGEVELOCITY", "ONREDUCEVELOCITY", "ONCARRION",
    "ONVISIBLE",  "ONCOLLISION",   "ONBIRTH",           "ONMODIFICATION"};

constexpr char kSignature[4] = {'_', 'C', 'P', 'C'};
constexpr const char* kSignatureError = "TGPCode.LoadFromFile (Signature - Erroe)";
constexpr const char* kCodeSection = "Code_Unit";
constexpr const char* kVariableError = "SetAsVariant";

}  // namespace

const char* VariableTypeName(int32_t type) {
    return type >= 0 && type < kVariableTypeCount ? kTypeNames[static_cast<size_t>(type)] : "";
}

const char* CodeEventName(int index) {
    return index >= 1 && index <= kCodeEventCount ? kEventNames[static_cast<size_t>(index)] : "";
}

int32_t CodeValueToInt(const TCodeValue& value) {
    constexpr int64_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    int64_t v = 0;
    if (const auto* i = std::get_if<int64_t>(&value)) {
        v = *i;
    } else if (const auto* r = std::get_if<double>(&value)) {
        return rtl::Round32(*r);  // ERangeError for NaN, the infinities and beyond 32 bits
    } else if (const auto* b = std::get_if<bool>(&value)) {
        v = *b ? -1 : 0;
    }
    if (v < lo || v > hi) throw rtl::ERangeError(rtl::texts::SRangeError);
    return static_cast<int32_t>(v);
}

namespace {

double CodeValueToReal(const TCodeValue& value) {
    if (const auto* i = std::get_if<int64_t>(&value)) return static_cast<double>(*i);
    if (const auto* r = std::get_if<double>(&value)) return *r;
    if (const auto* b = std::get_if<bool>(&value)) return *b ? -1.0 : 0.0;
    return 0.0;
}

bool CodeValueToBool(const TCodeValue& value) {
    if (const auto* i = std::get_if<int64_t>(&value)) return *i != 0;
    if (const auto* r = std::get_if<double>(&value)) return *r != 0.0;
    if (const auto* b = std::get_if<bool>(&value)) return *b;
    return false;
}

}  // namespace

// ---- References ----

namespace {
// Kernels that have ended: a reference to a kernel or its map holds the count it saw.
uint32_t endedKernels = 0;
TGPKernel* scriptKernel = nullptr;
}  // namespace

TGPKernel* ScriptKernel() { return scriptKernel; }

void BindScriptKernel(TObject* owner) {
    if (scriptKernel) return;
    if (auto* k = dynamic_cast<TGPKernel*>(owner))
        scriptKernel = k;
    else if (auto* s = dynamic_cast<TGPStructure*>(owner))
        scriptKernel = s->Kernel;
}

void ScriptsForgetKernel(const TGPKernel* kernel) {
    if (scriptKernel == kernel) scriptKernel = nullptr;
    ++endedKernels;
}

TCodeReference TCodeReference::To(TObject* object) {
    TCodeReference r;
    r.object_ = object;
    if (!object) return r;
    if (dynamic_cast<TGPKernel*>(object)) {
        r.kind_ = Kind::Kernel;
        r.generation_ = endedKernels;
    } else if (dynamic_cast<TGPMap*>(object)) {
        r.kind_ = Kind::Map;
        r.generation_ = endedKernels;
    } else if (auto* s = dynamic_cast<TGPStructure*>(object)) {
        r.kind_ = Kind::Pooled;
        r.generation_ = s->Generation();
    } else {
        r.kind_ = Kind::Anchored;  // a plain object never goes to a pool
    }
    return r;
}

TCodeReference TCodeReference::Anchored(TObject* object) {
    TCodeReference r;
    r.object_ = object;
    r.kind_ = object ? Kind::Anchored : Kind::None;
    return r;
}

TObject* TCodeReference::Get() const {
    switch (kind_) {
        case Kind::None: return nullptr;
        case Kind::Anchored: return object_;
        case Kind::Kernel: return generation_ == endedKernels ? object_ : nullptr;
        case Kind::Map: {
            TGPKernel* living = GlobalKernel();
            const bool current = living && living->Map && static_cast<TObject*>(living->Map) == object_;
            return generation_ == endedKernels && current ? object_ : nullptr;
        }
        case Kind::Pooled: {
            // Objects of play are never freed during play; a return to the pool shows in the
            // generation.
            auto* s = static_cast<TGPStructure*>(object_);
            return uint32_t{s->Generation()} == generation_ ? object_ : nullptr;
        }
    }
    return nullptr;
}

// ---- Variables ----

TVariable::TVariable(std::string name, int32_t type) : name_(std::move(name)), type_(type) {
    if (type < 0 || type >= kVariableTypeCount)
        throw ERunCPC(rtl::Format("Variable %s of type %d", {name_, type}));
    switch (type) {
        case vtInteger: valueSize_ = 4; break;
        case vtReal: valueSize_ = 8; break;
        case vtBoolean: valueSize_ = 1; break;
        default: valueSize_ = 0; break;
    }
}

TCodeValue TVariable::GetAsVariant(std::string_view propertyName) const {
    switch (type_) {
        case vtInteger: {
            uint32_t bits = 0;
            for (int i = 0; i < 4; ++i) bits |= uint32_t{value_[static_cast<size_t>(i)]} << (8 * i);
            return int64_t{static_cast<int32_t>(bits)};
        }
        case vtReal: {
            uint64_t bits = 0;
            for (int i = 0; i < 8; ++i) bits |= uint64_t{value_[static_cast<size_t>(i)]} << (8 * i);
            double d;
            std::memcpy(&d, &bits, sizeof d);
            return d;
        }
        case vtBoolean: return value_[0] != 0;
        default: break;
    }
    TObject* object = Object.Get();
    if (!object || propertyName.empty()) return {};
    try {
        const rtl::PropInfo* prop = rtl::GetPropInfo(*object, propertyName);
        if (!prop) return int64_t{0};
        if (prop->IsOrdinal()) return rtl::GetOrdProp(*object, *prop);
        if (prop->Kind == rtl::PropKind::Float) return rtl::GetFloatProp(*object, *prop);
    } catch (const std::exception&) {
    }
    throw ECodeVariable(kVariableError);
}

void TVariable::SetAsVariant(std::string_view propertyName, const TCodeValue& value) {
    try {
        switch (type_) {
            case vtInteger: {
                const auto bits = static_cast<uint32_t>(CodeValueToInt(value));
                for (int i = 0; i < 4; ++i) value_[static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (8 * i));
                return;
            }
            case vtReal: {
                const double d = CodeValueToReal(value);
                uint64_t bits;
                std::memcpy(&bits, &d, sizeof bits);
                for (int i = 0; i < 8; ++i) value_[static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (8 * i));
                return;
            }
            case vtBoolean: value_[0] = CodeValueToBool(value) ? 1 : 0; return;
            default: break;
        }
        TObject* object = Object.Get();
        if (!object || propertyName.empty()) return;
        const rtl::PropInfo* prop = rtl::GetPropInfo(*object, propertyName);
        if (prop && prop->IsOrdinal()) {
            const auto* whole = std::get_if<int64_t>(&value);
            rtl::SetOrdProp(*object, *prop, whole ? *whole : int64_t{CodeValueToInt(value)});
            return;
        }
        if (prop && prop->Kind == rtl::PropKind::Float) {
            rtl::SetFloatProp(*object, *prop, CodeValueToReal(value));
            return;
        }
    } catch (const std::exception&) {
    }
    throw ECodeVariable(kVariableError);
}

TVariable& TVariableList::Add(std::string name, int32_t type) {
    if (IndexOf(name) >= 0) throw rtl::EAbort("Repeated name");
    auto variable = std::make_unique<TVariable>(std::move(name), type);
    TVariable& added = *variable;
    items_.Add(std::move(variable));
    return added;
}

int TVariableList::IndexOf(std::string_view name) const {
    for (int i = 0; i < items_.Count(); ++i)
        if (items_[i]->Name() == name) return i;
    return -1;
}

// ---- Blocks ----

TGPCodeLine::TGPCodeLine(TGPCode& code, int32_t capacity) : code_(&code) {
    words_.reserve(static_cast<size_t>(std::max(capacity, 0)));
}

void TGPCodeLine::Assign(std::vector<int32_t> words) { words_ = std::move(words); }

// ---- The script ----

TGPCode::TGPCode(TObject* owner, TGPKernel* kernel) : owner_(owner) {
    if (owner) {
        const std::string className = rtl::UpperCase(owner->ClassName());
        int32_t type = vtObject;
        for (int32_t t = vtInteger; t < kVariableTypeCount; ++t)
            if (className == kTypeNames[static_cast<size_t>(t)]) type = t;
        variables_.Add("SELF", type).Object = TCodeReference::Anchored(owner);
    }
    if (kernel) {
        variables_.Add("KERNEL", vtObject).Object = TCodeReference::To(kernel);
        variables_.Add("MYNATION", vtObject);  // the reference it would take is never set
        variables_.Add("MAP", vtObject).Object = TCodeReference::To(kernel->Map);
    }
}

TGPCode::~TGPCode() = default;

void TGPCode::FreeBlocks() {
    blocks_.clear();
    ++loads_;
}

TGPCodeLine& TGPCode::AddBlock(const std::string& name, int32_t capacity) {
    ++loads_;
    std::shared_ptr<TGPCodeLine> line(new TGPCodeLine(*this, capacity));
    for (Block& b : blocks_)
        if (b.Name == name) {
            b.Line = std::move(line);
            return *b.Line;
        }
    blocks_.push_back({name, std::move(line)});
    return *blocks_.back().Line;
}

TGPCodeLine* TGPCode::FindBlock(std::string_view eventName) const {
    for (const Block& b : blocks_)
        if (b.Name == eventName) return b.Line.get();
    return nullptr;
}

void TGPCode::LoadFromStream(rtl::Stream& stream) {
    FreeBlocks();
    char signature[sizeof kSignature] = {};
    if (stream.Read(signature, sizeof signature) != sizeof signature ||
        std::memcmp(signature, kSignature, sizeof kSignature) != 0) {
        throw rtl::Exception(kSignatureError);
    }
    const auto fail = [] { throw rtl::EReadError(rtl::texts::SReadError); };

    // Read whole before any block is made, so a fault leaves none.
    struct Read {
        int32_t Event;
        std::vector<int32_t> Words;
    };
    std::vector<Read> read;
    const int32_t count = stream.ReadValue<int32_t>();
    if (count < 0 || count > stream.Remaining() / 8) fail();  // each block takes 8 bytes at least
    for (int32_t b = 0; b < count; ++b) {
        const int32_t event = stream.ReadValue<int32_t>();
        const int32_t words = stream.ReadValue<int32_t>();
        if (event < 1 || event > kCodeEventCount || words < 0 || words > stream.Remaining() / 4) fail();
        std::vector<uint8_t> bytes(static_cast<size_t>(words) * 4);
        stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        Read block{event, std::vector<int32_t>(static_cast<size_t>(words))};
        for (size_t i = 0; i < block.Words.size(); ++i) {
            const uint8_t* w = &bytes[i * 4];
            block.Words[i] = static_cast<int32_t>(uint32_t{w[0]} | uint32_t{w[1]} << 8 | uint32_t{w[2]} << 16 |
                                                  uint32_t{w[3]} << 24);
        }
        read.push_back(std::move(block));
    }
    // A repeated event index: the later block replaces the earlier.
    for (Read& block : read) {
        TGPCodeLine& line = AddBlock(CodeEventName(block.Event), static_cast<int32_t>(block.Words.size()));
        line.Assign(std::move(block.Words));
    }
}

namespace {

// The key of a script in "Code_Unit": the file name without its folder and, when it holds
// a ".", without the four characters from the first ".".
std::string CodeKey(const std::string& fileName) {
    const size_t slash = fileName.find_last_of("\\/:");
    std::string key = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = key.find('.');
    if (dot != std::string::npos) key.erase(dot, 4);
    return key;
}

// A class's script name that stays inside the resource folder.
bool InsideFolder(std::string_view name) {
    if (name.empty() || name.front() == '\\' || name.front() == '/' || name.find(':') != std::string_view::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find_first_of("\\/", start), name.size());
        if (name.substr(start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

void TGPCode::LoadFromFile(const TKernelResources& resources, const std::string& fileName) {
    if (resources.Resource) {
        std::vector<uint8_t> bytes;
        if (!ReadEntryBytes(*resources.Resource, kCodeSection, CodeKey(fileName), bytes)) {
            FreeBlocks();
            return;
        }
        rtl::MemoryStream entry(std::move(bytes));
        LoadFromStream(entry);
        return;
    }
    FreeBlocks();
    rtl::FileStream file(RealPath(fileName), rtl::fmOpenRead);
    LoadFromStream(file);
}

void TGPCode::LoadScript(const TKernelResources& resources, const std::string& mdName) {
    if (!resources.Resource && !InsideFolder(mdName)) {
        FreeBlocks();
        throw rtl::EFOpenError(rtl::Format(rtl::texts::SFOpenError, {mdName}));
    }
    LoadFromFile(resources, JoinDataPath(ResourceFolders().Resource, mdName));
}

}  // namespace engine
