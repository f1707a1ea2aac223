// Compiled object scripts.
//
// A class of game object may carry a script: a stream of 32-bit words tagged "_CPC" that
// holds up to thirteen blocks, one per event of the object's life. TGPCode loads the
// stream, keeps typed variables (SELF, KERNEL, MYNATION and MAP first, at 0..3) and runs a
// block when its object asks. There is no compiler; the engine interprets the words.
//
//   "_CPC"   int32 block count B
//   B times: int32 event index (1..13), int32 word count W, W int32 words
//
// Within a block:
//   string operand   int32 length L (0..256), then the bytes packed into ceil(L/4) words
//   value operand    -1 and an immediate word, or a variable index and a string operand
//                    naming a published property of the variable's object
//   1111 name type                        declare a variable (type 0..7)
//   6 1  target owner class               phantom bind
//   6 2  target value(code) value(value)  (re)acquire the target's phantom, SetParam
//   6 3  target object mode               (re)acquire the target's phantom, AlignTo
//   7 1  target owner name class          object bind, named form
//   7 1  target -1 owner class            object bind, plain form
//   7 2  target value(code) value(value)  a game object of the target's class from the pool
//   7 3  target value value value         the target's object splinters: rounds, two classes
//   7 5  target value value value         a numbered sound at the object: sound, looped, play
//   any other opcode word is passed over; other sub-ops do nothing.
//
// Every count, length and index in a stream or a block is untrusted: loading checks each
// against what is left before allocating (EReadError, nothing half-loaded), and running
// never reads outside the block (ERunCPC). An exception inside a phantom command becomes
// ERunCPC "TGPPHANTOM_CLASS_EXE", inside an object command ERunCPC "TGPOBJECT_CLASS_EXE".
//
// References kept by variables carry the generation of a pooled object: one that went back
// to its pool since counts as none. The script kernel, through which the commands create
// objects and queue sounds, is the first bound owner's kernel while that kernel lives.
#pragma once

#include "engine/gpClasses.h"
#include "engine/gpTypes.h"
#include "rtl/Lists.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rtl {
class Stream;
}

namespace engine {

class TGPCode;
class TGPKernel;

// ---- Vocabulary ----

// Variable types; the names of 1..7 form the type table ("INTEGER" .. "TGPOBJECT").
enum TVariableType : int32_t {
    vtObject = 0,
    vtInteger = 1,
    vtReal = 2,
    vtString = 3,
    vtBoolean = 4,
    vtChar = 5,
    vtPhantom = 6,
    vtGameObject = 7,
};
inline constexpr int32_t kVariableTypeCount = 8;
// The type table's name of 1..7; "" for 0 and outside.
const char* VariableTypeName(int32_t type);

// The event table, positions 1..13; blocks are stored under these names.
enum class TCodeEvent : uint8_t {
    Var = 1,
    OnCreate,
    OnMoveEnter,
    OnMoveExit,
    OnRotateLeft,
    OnRotateRight,
    OnEnlargeVelocity,
    OnReduceVelocity,
    OnCarrion,
    OnVisible,
    OnCollision,
    OnBirth,
    OnModification,
};
inline constexpr int kCodeEventCount = 13;
// "VAR", "ONCREATE", ... "ONMODIFICATION" for 1..13; "" outside.
const char* CodeEventName(int index);
inline const char* CodeEventName(TCodeEvent event) { return CodeEventName(static_cast<int>(event)); }

// Opcodes and sub-ops of the word code.
namespace cpc {
inline constexpr int32_t Declare = 1111, Phantom = 6, Object = 7;
inline constexpr int32_t PhantomBind = 1, PhantomParam = 2, PhantomAlign = 3;
inline constexpr int32_t ObjectBind = 1, ObjectCreate = 2, ObjectSplinter = 3, ObjectSound = 5;
inline constexpr int32_t Immediate = -1;       // a value operand's immediate marker; the plain bind form
inline constexpr int32_t MaxStringLength = 256;
}  // namespace cpc

// A value of a script variable: none, an integer, a real or a boolean.
using TCodeValue = std::variant<std::monostate, int64_t, double, bool>;
// The value as an integer: none is 0, a real is rounded half to even, true is -1 (as the
// class library's variants convert); ERangeError when it does not fit 32 bits.
int32_t CodeValueToInt(const TCodeValue& value);

// ---- References ----

// An object a variable refers to. A structure of play is kept with its generation (one that
// went back to its pool since counts as none); the kernel and its map count until that
// kernel ends, the map only while it is the kernel's map; the script's own object always
// counts.
class TCodeReference {
public:
    TCodeReference() = default;
    // The reference the kind of object asks for.
    static TCodeReference To(TObject* object);
    // The script's own object: it lives as long as the script.
    static TCodeReference Anchored(TObject* object);

    // The object, or nil when there is none or it is gone.
    TObject* Get() const;

private:
    enum class Kind : uint8_t { None, Anchored, Kernel, Map, Pooled };
    TObject* object_ = nullptr;
    uint32_t generation_ = 0;  // a pooled object's generation; the kernels' count for the others
    Kind kind_ = Kind::None;
};

// ---- Variables ----

class TVariable {
public:
    // Type 0..7; any other raises ERunCPC.
    TVariable(std::string name, int32_t type);

    const std::string& Name() const { return name_; }
    int32_t Type() const { return type_; }
    // Bytes of the value buffer: 4, 8 and 1 for types 1, 2 and 4; else 0.
    int32_t ValueSize() const { return valueSize_; }

    // Types 1, 2 and 4: the stored value. Other types with an object and a property name:
    // the object's published property of that name (an ordinal as an integer, a real as a
    // real; 0 when the class has none). Otherwise none. A property of any other kind raises
    // ECodeVariable "SetAsVariant".
    TCodeValue GetAsVariant() const { return GetAsVariant(PropertyName); }
    TCodeValue GetAsVariant(std::string_view propertyName) const;
    // Types 1, 2 and 4: stores the value converted to the type. Other types with an object
    // and a property name: writes the object's published property. A value that does not
    // convert, or a property that is absent, read-only or of another kind, raises
    // ECodeVariable "SetAsVariant".
    void SetAsVariant(const TCodeValue& value) { SetAsVariant(PropertyName, value); }
    void SetAsVariant(std::string_view propertyName, const TCodeValue& value);

    std::string PropertyName;
    int32_t IDClass = 0;
    TCodeReference Object;
    TCodeReference Owner;  // the owner of objects created through the variable

private:
    std::string name_;
    int32_t type_;
    int32_t valueSize_ = 0;
    std::array<uint8_t, 8> value_{};  // little-endian int32, double or boolean byte
};

// Variables by position; positions are the indices the code words use.
class TVariableList {
public:
    int Count() const { return items_.Count(); }
    // EListError "List index out of bounds (%d)" outside.
    TVariable& Get(int index) const { return *items_[index]; }
    // EAbort "Repeated name" when the name is taken (exact comparison).
    TVariable& Add(std::string name, int32_t type);
    // The position of a name (exact comparison), or -1.
    int IndexOf(std::string_view name) const;

private:
    rtl::List<std::unique_ptr<TVariable>> items_;
};

// ---- Blocks ----

// One block of words, run against the variables of its script. Made by TGPCode::AddBlock;
// shared, so that a block under way keeps its words while its script is loaded anew.
class TGPCodeLine : public std::enable_shared_from_this<TGPCodeLine> {
public:
    TGPCode& Code() const { return *code_; }
    int32_t Capacity() const { return static_cast<int32_t>(words_.capacity()); }
    int32_t Count() const { return static_cast<int32_t>(words_.size()); }
    std::span<const int32_t> Words() const { return words_; }

private:
    friend class TGPCode;
    TGPCodeLine(TGPCode& code, int32_t capacity);
    void Assign(std::vector<int32_t> words);

    TGPCode* code_;
    std::vector<int32_t> words_;
};

// The thirteen blocks a game object runs, in the order of the event table, taken from its
// script once. Loads says which load of the script they came from: a script loaded again
// since has freed them, and they are taken anew before any is run.
struct TEventCache {
    uint8_t Flag = 0;
    uint32_t Loads = 0;
    std::array<TGPCodeLine*, kCodeEventCount> Blocks{};

    void Reset() {
        Flag = 0;
        Loads = 0;
        Blocks.fill(nullptr);
    }
};

// ---- The script ----

class TGPCode {
public:
    // The predefined variables' positions.
    static constexpr int kSelf = 0, kKernel = 1, kMyNation = 2, kMap = 3;

    // With an owner: SELF (the type whose name is the owner's class name in capitals, else
    // 0) naming it. With a kernel: KERNEL, MYNATION (no object) and MAP (the kernel's map).
    TGPCode(TObject* owner, TGPKernel* kernel);
    ~TGPCode();
    TGPCode(const TGPCode&) = delete;
    TGPCode& operator=(const TGPCode&) = delete;

    // Frees the blocks (the variables stay), then reads them: from the level set's
    // "Code_Unit" when there is one, under the file name without its folder and, when it
    // holds a ".", without the four characters from the first "." (an absent section or
    // key loads nothing, silently); else from the loose file (file errors propagate).
    void LoadFromFile(const TKernelResources& resources, const std::string& fileName);
    // The same from a stream at its position. A wrong signature raises Exception
    // "TGPCode.LoadFromFile (Signature - Erroe)"; a count, index or length that the
    // stream cannot hold raises EReadError. Either way no block is left.
    void LoadFromStream(rtl::Stream& stream);
    // A class's script by its MDName, from the resource folder: a name that leaves the
    // folder (a "..", an absolute path or a drive) raises EFOpenError naming it.
    void LoadScript(const TKernelResources& resources, const std::string& mdName);

    // A new, empty block of that name with room for capacity words; it replaces a block of
    // the name (one under way finishes with its own words). Counts as a load: event caches
    // take their blocks anew.
    TGPCodeLine& AddBlock(const std::string& name, int32_t capacity);
    // Exact name comparison; nil when absent.
    TGPCodeLine* FindBlock(std::string_view eventName) const;
    int BlockCount() const { return static_cast<int>(blocks_.size()); }

    // Once per script: VAR, then ONCREATE. Counts as done even when a block fails.
    void Init();
    bool Initialised() const { return initialised_ != 0; }
    // Runs a block (against the variables of its script); nil does nothing. Exceptions
    // propagate.
    void RunBlock(TGPCodeLine* block);
    // Runs the event's block through the cache (taken anew when the script was loaded since).
    void RunEvent(TEventCache& cache, TCodeEvent event);

    // When the cache's flag is 0, or it came from an earlier load: fills its thirteen
    // references with the blocks of the event names (all nil without a script).
    static void BindEvents(TEventCache& cache, const TGPCode* code);

    // Raised by every load: event caches compare it with theirs.
    uint32_t Loads() const { return loads_; }
    TVariableList& Variables() { return variables_; }
    const TVariableList& Variables() const { return variables_; }
    TObject* Owner() const { return owner_; }

private:
    struct Block {
        std::string Name;
        std::shared_ptr<TGPCodeLine> Line;
    };
    void FreeBlocks();

    TVariableList variables_;
    std::vector<Block> blocks_;
    TObject* owner_;
    uint8_t initialised_ = 0;
    uint32_t loads_ = 0;
};

// The kernel the script commands create objects and queue sounds through: the kernel of the
// first owner bound by any script, while that kernel lives; nil before, and after it ended.
TGPKernel* ScriptKernel();
// A bind command's owner: when there is no script kernel yet, the owner's kernel (the owner
// itself when it is a kernel) becomes it; later binds keep it.
void BindScriptKernel(TObject* owner);
// Called by a kernel at its end: the script kernel, and every script reference to that
// kernel or its map, are dropped.
void ScriptsForgetKernel(const TGPKernel* kernel);

}  // namespace engine
