// Scripts: running a block and its commands, Init and the event caches.
#include "engine/gpCode.h"

#include "engine/gpErrors.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpObject.h"
#include "rtl/Format.h"

namespace engine {

namespace {

// Blocks run blocks through the objects they create (a new object's script runs on its
// creation): a bound on the nesting keeps a script that makes its own class from
// recursing without end.
int runDepth = 0;
constexpr int kMaxRunDepth = 32;

constexpr const char* kPhantomError = "TGPPHANTOM_CLASS_EXE";
constexpr const char* kObjectError = "TGPOBJECT_CLASS_EXE";

// SetParam codes whose value is an object reference: a script has no way to name one.
constexpr int32_t kVibrationTarget = 109;

TGPKernel& RequireKernel() {
    TGPKernel* kernel = ScriptKernel();
    if (!kernel) throw ERunCPC("No script kernel: no owner has been bound");
    return *kernel;
}

// The centre of an object along one axis: its published position (0 without one) plus
// half its size. The command line keeps 16-bit places: ERangeError outside.
int32_t Centre(const TObject& object, std::string_view position, int32_t size) {
    const rtl::PropInfo* prop = rtl::GetPropInfo(object, position);
    const int64_t at = prop && prop->IsOrdinal() ? rtl::GetOrdProp(object, *prop) : 0;
    const int64_t centre = at + size / 2;
    if (centre < INT16_MIN || centre > INT16_MAX) throw rtl::ERangeError(rtl::texts::SRangeError);
    return static_cast<int32_t>(centre);
}

void SetParamFromScript(TGPStructure& target, int32_t code, int32_t value) {
    if (code == kVibrationTarget) throw ERunCPC(rtl::Format("Parameter %d names an object", {code}));
    target.SetParam(code, value);
}

// One run of one block. Every read checks the block's end: nothing is read outside it.
class Runner {
public:
    Runner(TGPCode& code, std::span<const int32_t> words) : vars_(code.Variables()), words_(words) {}

    void Run() {
        while (pos_ < Count()) {
            const int32_t opcode = words_[static_cast<size_t>(pos_++)];
            switch (opcode) {
                case cpc::Declare: Declare(); break;
                case cpc::Phantom: Guarded(kPhantomError, [this] { PhantomCommand(); }); break;
                case cpc::Object: Guarded(kObjectError, [this] { ObjectCommand(); }); break;
                default: break;  // passed over
            }
        }
    }

private:
    int32_t Count() const { return static_cast<int32_t>(words_.size()); }

    [[noreturn]] void CutOff() const { throw ERunCPC(rtl::Format("Command cut off at word %d", {pos_})); }

    // The next word, advancing; a command that needs a word past the end fails.
    int32_t Next() {
        if (pos_ >= Count()) CutOff();
        return words_[static_cast<size_t>(pos_++)];
    }
    // The word at position + i, without advancing.
    int32_t Peek(int32_t i) const {
        if (i < 0 || i >= Count() - pos_) CutOff();
        return words_[static_cast<size_t>(pos_ + i)];
    }
    void Skip(int32_t n) {
        if (n < 0 || n > Count() - pos_) CutOff();
        pos_ += n;
    }

    // int32 length (0..256), then the bytes packed four to a word, low byte first.
    std::string String() {
        const int32_t at = pos_;
        const int32_t length = Next();
        if (length < 0 || length > cpc::MaxStringLength)
            throw ERunCPC(rtl::Format("String operand of %d bytes at word %d", {length, at}));
        const int32_t words = (length + 3) / 4;
        if (words > Count() - pos_) CutOff();
        std::string text(static_cast<size_t>(length), '\0');
        for (int32_t i = 0; i < length; ++i) {
            const auto word = static_cast<uint32_t>(words_[static_cast<size_t>(pos_ + i / 4)]);
            text[static_cast<size_t>(i)] = static_cast<char>((word >> (8 * (i % 4))) & 0xFF);
        }
        pos_ += words;
        return text;
    }

    // A variable index; EListError outside the list.
    TVariable& Variable() { return vars_.Get(Next()); }

    // -1 and an immediate, or a variable and the name of a property of its object.
    int32_t Value() {
        const int32_t first = Next();
        if (first == cpc::Immediate) return Next();
        TVariable& variable = vars_.Get(first);
        const std::string property = String();
        return CodeValueToInt(variable.GetAsVariant(property));
    }

    void Declare() {
        std::string name = String();
        const int32_t type = Next();
        if (type < 0 || type >= kVariableTypeCount)
            throw ERunCPC(rtl::Format("Variable %s of type %d", {name, type}));
        vars_.Add(std::move(name), type);  // EAbort "Repeated name" passes unchanged
    }

    template <class F> static void Guarded(const char* text, F&& command) {
        try {
            command();
        } catch (const std::exception&) {
            throw ERunCPC(text);
        }
    }

    static void Bind(TVariable& target, TVariable& owner, int32_t idClass) {
        target.IDClass = idClass;
        target.Owner = owner.Object;
        BindScriptKernel(owner.Object.Get());
    }

    // The target's phantom: its own while it is in play and of its class, else a fresh one
    // from the pool for the target's owner.
    static TGPSprite& Phantom(TVariable& target) {
        if (auto* current = dynamic_cast<TGPSprite*>(target.Object.Get()))
            if (!current->Carrion && current->IDClass == target.IDClass) return *current;
        TGPKernel& kernel = RequireKernel();
        TObject* owner = target.Owner.Get();
        // Only these draw their phantoms and hand them back; any other owner would lose it.
        if (!dynamic_cast<TGPKernel*>(owner) && !dynamic_cast<TGPMap*>(owner) && !dynamic_cast<TGPObject*>(owner))
            throw ERunCPC("A phantom needs the kernel, the map or a game object as owner");
        auto* phantom = dynamic_cast<TGPSprite*>(kernel.CreateObject(1, owner, true, target.IDClass));
        if (!phantom) throw ERunCPC("The phantom pool refused");
        target.Object = TCodeReference::To(phantom);
        return *phantom;
    }

    void PhantomCommand() {
        switch (Next()) {
            case cpc::PhantomBind: {
                TVariable& target = Variable();
                TVariable& owner = Variable();
                Bind(target, owner, Next());
                break;
            }
            case cpc::PhantomParam: {
                TVariable& target = Variable();
                const int32_t code = Value();
                const int32_t value = Value();
                SetParamFromScript(Phantom(target), code, value);
                break;
            }
            case cpc::PhantomAlign: {
                TVariable& target = Variable();
                const int32_t index = Next();
                const int32_t mode = Next();
                if (index == cpc::Immediate) throw ERunCPC("No object to align on");
                auto* on = dynamic_cast<TGPStructure*>(vars_.Get(index).Object.Get());
                if (!on) throw ERunCPC("No object to align on");
                Phantom(target).AlignTo(on, mode);
                break;
            }
            default: break;
        }
    }

    void ObjectCommand() {
        switch (Next()) {
            case cpc::ObjectBind: {
                TVariable& target = Variable();
                if (Peek(0) == cpc::Immediate) {
                    Skip(1);
                    TVariable& owner = Variable();
                    Bind(target, owner, Next());
                } else {
                    TVariable& owner = Variable();
                    owner.PropertyName = String();
                    Bind(target, owner, Next());
                }
                break;
            }
            case cpc::ObjectCreate: {
                TVariable& target = Variable();
                const int32_t code = Value();
                const int32_t value = Value();
                TGPKernel& kernel = RequireKernel();
                // A refused object (the pool or the nation is full) is simply not made.
                if (TGPStructure* made = kernel.CreateObject(2, target.Owner.Get(), true, target.IDClass))
                    SetParamFromScript(*made, code, value);
                break;
            }
            case cpc::ObjectSplinter: {
                TVariable& target = Variable();
                const int32_t rounds = Value();
                const int32_t first = Value();
                const int32_t second = Value();
                TObject* object = target.Object.Get();
                if (!object) break;
                auto* source = dynamic_cast<TGPObject*>(object);
                if (!source) throw ERunCPC("Only a game object splinters");
                const int32_t classes[2] = {first, second};
                source->Splinter(source, rounds, classes);
                break;
            }
            case cpc::ObjectSound: {
                TVariable& target = Variable();
                const int32_t sound = Value();
                const int32_t looped = Value();
                const int32_t play = Value();
                auto* at = dynamic_cast<TGPStructure*>(target.Object.Get());
                if (!at) throw ERunCPC("No object to sound at");
                TGPKernel& kernel = RequireKernel();
                const int32_t x = Centre(*at, "X", at->Width);
                const int32_t y = Centre(*at, "Y", at->Height);
                kernel.CommandLine->AddSound(static_cast<int16_t>(sound & 0xFFFF), at, x, y, looped, play, 1);
                break;
            }
            default: break;
        }
    }

    TVariableList& vars_;
    std::span<const int32_t> words_;
    int32_t pos_ = 0;
};

}  // namespace

void TGPCode::RunBlock(TGPCodeLine* block) {
    if (!block) return;
    if (runDepth >= kMaxRunDepth) throw ERunCPC("Scripts nested too deeply");
    ++runDepth;
    struct Leave {
        ~Leave() { --runDepth; }
    } leave;
    const std::shared_ptr<const TGPCodeLine> running = block->shared_from_this();
    Runner(running->Code(), running->Words()).Run();
}

void TGPCode::Init() {
    if (initialised_) return;
    initialised_ = 1;
    RunBlock(FindBlock(CodeEventName(TCodeEvent::Var)));
    RunBlock(FindBlock(CodeEventName(TCodeEvent::OnCreate)));
}

void TGPCode::BindEvents(TEventCache& cache, const TGPCode* code) {
    if (cache.Flag != 0 && (!code || cache.Loads == code->Loads())) return;
    for (int i = 0; i < kCodeEventCount; ++i)
        cache.Blocks[static_cast<size_t>(i)] = code ? code->FindBlock(CodeEventName(i + 1)) : nullptr;
    cache.Loads = code ? code->Loads() : 0;
    cache.Flag = 1;
}

void TGPCode::RunEvent(TEventCache& cache, TCodeEvent event) {
    BindEvents(cache, this);
    RunBlock(cache.Blocks[static_cast<size_t>(event) - 1]);
}

}  // namespace engine
