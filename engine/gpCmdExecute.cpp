#include "engine/gpCmdExecute.h"

#include "engine/gpCrowd.h"
#include "engine/gpInterface.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpMouse.h"
#include "engine/gpNation.h"
#include "platform/clock/Clock.h"

namespace engine {

RTL_REGISTER_CLASS(TGP_CMD0);

namespace cmd {

namespace {
constexpr uint64_t kAddressMask = (uint64_t{1} << 48) - 1;
constexpr uint64_t kNumberTag = uint64_t{0xFFFF} << 48;
}  // namespace

int SizeOf(uint16_t opcode) {
    switch (opcode) {
        case ScrollView: return 4;
        case SelectObject: return 5;
        case EndGames:
        case NextLevel:
        case LastLevel: return 1;
        case PlaySound: return 6;
        case ShowMain:
        case Show: return 3;
        case Hide: return 2;
        default: return 0;
    }
}

static uint64_t AddressOf(const void* p) {
    const auto a = reinterpret_cast<uintptr_t>(p);
    if (a & ~kAddressMask) throw rtl::ERangeError(rtl::texts::SRangeError);
    return a;
}

TCommandWord Reference(const TObject* object) { return AddressOf(object); }

TCommandWord ObjectReference(const TGPStructure* object) {
    if (!object) return 0;
    return uint64_t{object->Handle()} | (uint64_t{object->Generation()} << 48);
}

TCommandWord SoundNumber(int32_t number) { return kNumberTag | Operand16(number); }
bool IsSoundNumber(TCommandWord word) { return (word & kNumberTag) == kNumberTag; }
int16_t SoundNumberOf(TCommandWord word) { return static_cast<int16_t>(word & 0xFFFF); }

TObject* Dereference(TCommandWord word) { return reinterpret_cast<TObject*>(static_cast<uintptr_t>(word & kAddressMask)); }

TGPStructure* LiveObject(TCommandWord word) {
    return TGPStructure::FromHandle(static_cast<uint32_t>(word & 0xFFFFFFFF), static_cast<uint16_t>(word >> 48));
}

uint16_t Operand16(int32_t value) {
    if (value < -32768 || value > 32767) throw rtl::ERangeError(rtl::texts::SRangeError);
    return static_cast<uint16_t>(value);
}

}  // namespace cmd

TExecuteLine::TExecuteLine() = default;
TExecuteLine::~TExecuteLine() = default;

template <class F>
bool TExecuteLine::Forward(uint16_t maskBits, F&& call) {
    if (SuppressMask & maskBits) return true;
    if (Nested) {
        if (!Secondary) Secondary = std::make_unique<TExecuteLine>();
        call(*Secondary);
        return true;
    }
    return false;
}

void TExecuteLine::Append(std::initializer_list<TCommandWord> words) {
    const int size = static_cast<int>(words.size());
    if (Position + size >= Capacity) return;  // full: dropped silently
    for (TCommandWord w : words) Buffer[static_cast<size_t>(Position++)] = w;
    EndMark = Position;
}

void TExecuteLine::AddEndGames() {
    if (Forward(cmd::MaskEndGames, [](TExecuteLine& l) { l.AddEndGames(); })) return;
    Append({cmd::EndGames});
}

void TExecuteLine::AddNextLevel() {
    if (Forward(cmd::MaskNextLevel, [](TExecuteLine& l) { l.AddNextLevel(); })) return;
    Append({cmd::NextLevel});
}

bool TExecuteLine::AddLevelEnd() {
    if (SuppressMask & (cmd::MaskEndGames | cmd::MaskNextLevel)) return false;
    // A nested run queues on the secondary line, made empty when there is none yet.
    const TExecuteLine* target = Nested ? Secondary.get() : this;
    if (target && target->Position + 2 >= target->Capacity) return false;
    AddEndGames();
    AddNextLevel();
    return true;
}

namespace {
TCommandWord Pair16(int32_t low, int32_t high) {
    return TCommandWord{cmd::Operand16(low)} | (TCommandWord{cmd::Operand16(high)} << 16);
}
}  // namespace

void TExecuteLine::AddObjectSound(TGPStructure* source, TGPStructure* obj, int32_t x, int32_t y, int32_t looped,
                                  int32_t play, int32_t extra) {
    if (Forward(cmd::MaskObjectSound, [&](TExecuteLine& l) { l.AddObjectSound(source, obj, x, y, looped, play, extra); }))
        return;
    Append({cmd::PlaySound, cmd::ObjectReference(source), cmd::ObjectReference(obj), Pair16(x, y), Pair16(looped, play),
            Pair16(extra, 0)});
}

void TExecuteLine::AddSound(int32_t number, TGPStructure* obj, int32_t x, int32_t y, int32_t looped, int32_t play,
                            int32_t extra) {
    if (Forward(cmd::MaskObjectSound | cmd::MaskNumberedSound,
                [&](TExecuteLine& l) { l.AddSound(number, obj, x, y, looped, play, extra); }))
        return;
    Append({cmd::PlaySound, cmd::SoundNumber(number), cmd::ObjectReference(obj), Pair16(x, y), Pair16(looped, play),
            Pair16(extra, 0)});
}

void TExecuteLine::AddShowMain(TGPStructure* form, TObject* caller) {
    if (Forward(cmd::MaskShow, [&](TExecuteLine& l) { l.AddShowMain(form, caller); })) return;
    Append({cmd::ShowMain, cmd::Reference(form), cmd::Reference(caller)});
}

void TExecuteLine::AddShow(TGPStructure* form, TObject* caller) {
    if (Forward(cmd::MaskShow, [&](TExecuteLine& l) { l.AddShow(form, caller); })) return;
    Append({cmd::Show, cmd::Reference(form), cmd::Reference(caller)});
}

void TExecuteLine::AddHide(TGPStructure* form) {
    if (Forward(cmd::MaskHide, [&](TExecuteLine& l) { l.AddHide(form); })) return;
    Append({cmd::Hide, cmd::Reference(form)});
}

TCommandWord* TExecuteLine::Next() {
    TCommandWord* command = &Buffer[static_cast<size_t>(Position)];
    const int size = cmd::SizeOf(cmd::OpcodeOf(*command));
    Position = size == 0 ? EndMark : Position + size;
    return command;
}

bool TExecuteLine::AtEnd() {
    while (Position < EndMark && cmd::MarkOf(Buffer[static_cast<size_t>(Position)]) == cmd::Executed) {
        const int size = cmd::SizeOf(cmd::OpcodeOf(Buffer[static_cast<size_t>(Position)]));
        Position = size == 0 ? EndMark : Position + size;
    }
    return Position >= EndMark;
}

bool TExecuteLine::BeginNested() {
    if (Nested) return false;
    Nested = true;
    if (!Secondary) Secondary = std::make_unique<TExecuteLine>();
    Secondary->Clear();
    return true;
}

void TExecuteLine::EndNested() {
    if (!Nested || !Secondary) return;
    if (Secondary->EndMark > 0) {
        Buffer = Secondary->Buffer;
        Position = Secondary->Position;
        EndMark = Secondary->EndMark;
    }
    Secondary->Clear();
    Nested = false;
}

void TExecuteLine::DropObjectCommands() {
    for (TExecuteLine* line : {this, Secondary.get()}) {
        if (!line) continue;
        for (int p = 0; p < line->EndMark;) {
            TCommandWord& w = line->Buffer[static_cast<size_t>(p)];
            const uint16_t op = cmd::OpcodeOf(w);
            const int size = cmd::SizeOf(op);
            if (size == 0) break;
            if (op == cmd::SelectObject || op == cmd::PlaySound) w = op | (TCommandWord{cmd::Executed} << 16);
            p += size;
        }
    }
}

// Executor ---------------------------------------------------------------------------------

void TGP_CMD0::Execute(TCommandWord* command) {
    const uint16_t op = cmd::OpcodeOf(*command);
    *command = op | (TCommandWord{cmd::Executed} << 16);
    TGPKernel* k = Kernel;
    if (!k) return;
    switch (op) {
        case cmd::ScrollView:
            ScrollView(static_cast<int32_t>(command[1]), static_cast<int32_t>(command[2]), (command[3] & 0xFF) != 0);
            break;
        case cmd::SelectObject:
            if (TGPStructure* obj = cmd::LiveObject(command[1])) SelectObject(obj, (command[4] & 0xFF) != 0);
            break;
        case cmd::EndGames: k->EndGames(); break;
        case cmd::NextLevel: k->FireNextLevel(); break;
        case cmd::LastLevel: k->FireLastLevel(); break;
        case cmd::PlaySound: PlaySound(command); break;
        case cmd::ShowMain:
        case cmd::Show:
            if (auto* form = dynamic_cast<TGPStructure*>(cmd::Dereference(command[1]))) {
                TObject* caller = cmd::Dereference(command[2]);
                if (op == cmd::ShowMain)
                    form->ShowMain(caller);
                else
                    form->Show(caller);
                // The form's music: as a main menu only once the player took it.
                auto* menu = dynamic_cast<TGPForm*>(form);
                if (menu && !menu->MIDIFile.empty()) {
                    const bool queued = k->PlayMidi(menu->MIDIFile, 1, 0);
                    if (queued || op == cmd::Show) k->UpdateMidi();
                }
            }
            break;
        case cmd::Hide:
            if (auto* form = dynamic_cast<TGPStructure*>(cmd::Dereference(command[1]))) form->Hide();
            break;
        default: break;
    }
}

void TGP_CMD0::ScrollView(int32_t dx, int32_t dy, bool notify) {
    TGPKernel* k = Kernel;
    if ((dx == 0 && dy == 0) || !k->Map) return;
    const int32_t oldX = k->Map->ViewX(), oldY = k->Map->ViewY();
    k->Map->Scroll(dx, dy);
    const bool moved = oldX != k->Map->ViewX() || oldY != k->Map->ViewY();
    if (!notify || !moved) return;
    int32_t cursor = 0;
    if (dy == 0) cursor = dx < 0 ? 6 : 7;
    if (dx == 0) cursor = dy < 0 ? 8 : 9;
    if (cursor) k->SetMouseKind(cursor);
}

void TGP_CMD0::SelectObject(TGPStructure* target, bool keep) {
    TGPKernel* k = Kernel;
    auto* obj = dynamic_cast<TGPObject*>(target);
    if (k->SelectionMode != 2 || !obj) return;
    TGPNation* nation = obj->Nation();
    if (!k->Selected) {
        obj->SetInCrowd(true);
        k->Selected = obj;
        return;
    }
    TGPNation* selectedNation = nullptr;
    auto* selectedObject = dynamic_cast<TGPObject*>(k->Selected);
    auto* selectedCrowd = dynamic_cast<TGPCrowd*>(k->Selected);
    if (selectedObject) {
        if (selectedObject == obj) {
            obj->SetInCrowd(false);
            k->Selected = nullptr;
            return;
        }
        selectedNation = selectedObject->Nation();
    } else if (selectedCrowd) {
        selectedNation = selectedCrowd->Nation;
    }
    if (nation && selectedNation == nation && nation->Crowd) {
        nation->Crowd->AddMember(obj, keep);
        k->Selected = keep ? static_cast<TGPStructure*>(nation->Crowd.get()) : obj;
        return;
    }
    // Another nation: the old selection goes, the object is selected alone.
    if (selectedObject)
        selectedObject->SetInCrowd(false);
    else if (selectedCrowd)
        selectedCrowd->Clear();
    obj->SetInCrowd(true);
    k->Selected = obj;
}

void TGP_CMD0::PlaySound(const TCommandWord* command) {
    TGPKernel* k = Kernel;
    TSoundState& state = *k->SoundState;
    if (!state.WaveAvailable || !state.SoundOn || !k->SoundRegister) return;
    // A command naming an object that went back to a pool since it was queued is skipped.
    const bool numbered = cmd::IsSoundNumber(command[1]);
    TGPStructure* source = numbered ? nullptr : cmd::LiveObject(command[1]);
    if (!numbered && !source) return;
    TGPStructure* obj = nullptr;
    if (command[2] != 0) {
        obj = cmd::LiveObject(command[2]);
        if (!obj) return;
    }
    TKernelSound* sound = nullptr;
    bool looped = false;
    auto* gameObject = dynamic_cast<TGPObject*>(obj);
    try {
        looped = (command[4] & 0xFF) != 0;
        const bool play = ((command[4] >> 16) & 0xFF) != 0;
        const int32_t idClass = obj ? obj->IDClass : -1;
        if (gameObject && looped && gameObject->LoopingSound) return;
        sound = numbered ? k->SoundRegister->SoundOfNumber(*k, cmd::SoundNumberOf(command[1]), idClass)
                         : k->SoundRegister->SoundOfSlide(*k, source, idClass);
        if (!sound) return;
        if (looped && !play) {
            sound->SetLooped(false);
            return;
        }
        sound->SetLooped(looped);
        if (sound->Looped() && !sound->Playing()) sound->SetPosition(0);
    } catch (...) {
        state.SoundOn = false;
        throw;
    }
    auto degrade = [&] {
        if (k->DirectSound && k->DirectSound->Sound3D())
            k->DirectSound->SetSound3D(false);
        else
            state.SoundOn = false;
    };
    const uint32_t started = platform::clock::TickCount();
    try {
        const auto x = static_cast<int16_t>(command[3] & 0xFFFF);
        const auto y = static_cast<int16_t>((command[3] >> 16) & 0xFFFF);
        sound->SetPosition3D(x, y, 0);
        sound->Play();
        if (looped && gameObject) gameObject->LoopingSound = sound;
    } catch (...) {
        degrade();
        throw;
    }
    if (platform::clock::Elapsed(started, platform::clock::TickCount()) >= 31) degrade();
}

}  // namespace engine
