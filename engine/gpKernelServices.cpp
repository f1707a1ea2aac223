// The kernel's services to the shell and the widgets: the mouse position and the system
// cursor, the hover, the keyboard focus and key entry, the timer's activation handlers, the
// fonts of level sets and the music player.
#include "engine/gpKernel.h"

#include <algorithm>
#include <limits>


#include "engine/gpInterface.h"
#include "engine/gpLevel.h"
#include "engine/gpMap.h"
#include "engine/gpMouse.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpPaths.h"
#include "media/GPTimer.h"
#include "media/gpMidi.h"
#include "platform/display/Pointer.h"
#include "platform/text/Text.h"
#include "rtl/StringList.h"
#include "rtl/Text.h"

namespace engine {

// ---- Mouse and cursor ----

int32_t TGPKernel::SurfaceWidth() const { return DXDraw ? DXDraw->SurfaceWidth() : 0; }
int32_t TGPKernel::SurfaceHeight() const { return DXDraw ? DXDraw->SurfaceHeight() : 0; }

void TGPKernel::ReadCursorPos() {
    const platform::display::PointerPoint at = platform::display::GetCursorPos();
    SetMouseX(at.X - DXDrawLeft);
    SetMouseY(at.Y - DXDrawTop);
}

void TGPKernel::SetMouseX(int32_t x) {
    OldMouseX = MouseX;
    MouseX = x;
    MouseDX = x - OldMouseX;
    WorldMouseX = (Map ? Map->ViewX() : 0) + x;
}

void TGPKernel::SetMouseY(int32_t y) {
    OldMouseY = MouseY;
    MouseY = y;
    MouseDY = y - OldMouseY;
    WorldMouseY = (Map ? Map->ViewY() : 0) + y;
}

void TGPKernel::SetCursorToObject(TGPStructure* sprite) {
    if (auto* obj = dynamic_cast<TGPObject*>(sprite)) {
        const int32_t originX = Map ? Map->OriginXNeg : 0, originY = Map ? Map->OriginYNeg : 0;
        platform::display::SetCursorPos(obj->GetX() + DXDrawLeft - originX + obj->Width / 2,
                                        obj->GetY() + DXDrawTop - originY + obj->Height / 2);
    } else if (auto* widget = dynamic_cast<TGPInterface*>(sprite)) {
        const rtl::TRect r = WidgetRect(*widget);
        platform::display::SetCursorPos(r.Left + r.Width() / 2 + DXDrawLeft, r.Top + r.Height() / 2 + DXDrawTop);
    }
}

void TGPKernel::HoverWidget(TGPStructure* widget) {
    if (!(Flags & (1u << 1)) || !Mouse) return;
    TGPMouse& mouse = *Mouse;
    if (!widget) {
        mouse.Pressed = false;
        mouse.Hovered = nullptr;
        return;
    }
    auto depthOf = [](const TGPStructure* w) {
        const auto* b = dynamic_cast<const TGPBaseInterface*>(w);
        return b ? b->Depth : 0;
    };
    TGPStructure* old = mouse.Hovered;
    if (old && old != widget && depthOf(old) >= depthOf(widget)) return;  // the deeper one keeps it
    if (DrawingForms || old == widget) return;
    if (widget->OnGPEnter) widget->OnGPEnter(widget);
    if (old && old->OnGPExit) old->OnGPExit(old);
    mouse.Hovered = widget;
}

// ---- Keyboard ----

void TGPKernel::SetFocusControl(TGPStructure* control) {
    if (!control) {
        FocusControl = nullptr;
        return;
    }
    if (control != FocusControl && dynamic_cast<TGPControls*>(control)) FocusControl = control;
}

namespace {
constexpr uint16_t kConsumed = 266;
constexpr uint16_t kBackspace = 8, kEnter = 13;
constexpr uint32_t kShiftOnly = 0x1;  // the shift state holding exactly the Shift key
}  // namespace

void TGPKernel::KeyDown(TObject* sender, uint16_t& key, uint32_t shift) {
    if (OnGPKeyDown) OnGPKeyDown(sender, key, shift);
    if (key == kConsumed || (Condition != ck_Interface && Condition != ck_MainInterface)) return;
    auto* control = dynamic_cast<TGPControls*>(FocusControl);
    if (control && control->OnGPKeyDown) control->OnGPKeyDown(control, key, shift);
    if (key == kConsumed) return;
    // The handler may have moved the focus: the edit is the one focused now.
    auto* edit = dynamic_cast<TGPEdit*>(FocusControl);
    if (!edit || !(key == kBackspace || key == kEnter || key >= 32)) return;
    if (key == kBackspace) {
        if (!edit->Text.empty()) edit->Text.pop_back();
    } else if (key == kEnter) {
        edit->Focused = false;
        SetFocusControl(nullptr);
    } else {
        const char c = static_cast<char>(key & 0xFF);
        if (c >= '0' && c <= '9')
            edit->Text.push_back(c);
        else if (c >= 'A' && c <= 'Z')
            edit->Text.push_back(shift == kShiftOnly ? c : static_cast<char>(c - 'A' + 'a'));
    }
}

// ---- Score ----

void TGPKernel::AddScore(int64_t amount) {
    Shared.AddScore(amount);
    if (!KernelRecord.Count) return;
    const int64_t sum = int64_t{ValueToInteger(GetFieldValue(KernelRecord.Count))} + amount;
    SetFieldValue(KernelRecord.Count, static_cast<int32_t>(std::clamp<int64_t>(
                                          sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max())));
}

// ---- Timer ----

void TGPKernel::SetOnActivate(std::function<void(media::TGPTimer&)> handler) { Timer->OnActivate = std::move(handler); }
void TGPKernel::SetOnDeactivate(std::function<void(media::TGPTimer&)> handler) {
    Timer->OnDeactivate = std::move(handler);
}

// ---- Fonts ----

namespace {
constexpr std::string_view kAddedMark = ":-";
}

void TGPKernel::SetLevelStream(std::unique_ptr<TLevelStream> stream) {
    if (!stream || stream == LevelStream) return;
    LevelStream = std::move(stream);
    rtl::StringList& fonts = LevelStream->Descriptor().FontList;
    if (fonts.Empty()) return;
    MergeFonts(fonts);
    fonts.Clear();
}

void TGPKernel::MergeFonts(const rtl::StringList& list) {
    if (!FontList) {
        FontList = std::make_unique<rtl::StringList>();
        FontList->AddStrings(list);
        return;
    }
    // The list is in the order the level sets named their fonts, not sorted: look each line
    // up one by one, in any case.
    for (int i = 0; i < list.Count(); ++i) {
        bool found = false;
        for (int j = 0; j < FontList->Count() && !found; ++j) found = rtl::SameText((*FontList)[j], list[i]);
        if (!found) FontList->Add(list[i]);
    }
}

void TGPKernel::ReleaseFonts() {
    if (!FontList) return;
    for (int i = 0; i < FontList->Count(); ++i) {
        const std::string line = (*FontList)[i];
        const size_t mark = line.find(kAddedMark);
        if (mark == std::string::npos) continue;
        const std::string file = line.substr(mark + kAddedMark.size());
        // A name that leaves the fonts folder was never added from it.
        if (!IsPlainFileName(file)) continue;
        if (platform::text::RemoveFontResource(RealPath(ResourceFolders().Fonts + file))) {
            FontList->SetString(i, line.substr(0, mark + 1) + file);  // "name:file": released
        }
    }
}

// ---- Music ----

void TGPKernel::CreateMidi(const platform::midi::SequencerOptions& options, std::function<void(int code)> onNotify) {
    CreateMidi([&options] { return platform::midi::OpenSequencer(options); }, std::move(onNotify));
}

void TGPKernel::CreateMidi(const std::function<std::unique_ptr<platform::midi::Sequencer>()>& open,
                           std::function<void(int code)> onNotify) {
    Midi.reset();
    SoundState->MidiReady = false;
    SoundState->MidiAvailable = false;
    try {
        std::unique_ptr<platform::midi::Sequencer> sequencer = open();
        if (!sequencer) throw rtl::EInvalidOperation("No MIDI sequencer");
        auto player = std::make_unique<media::TGPMidi>(std::move(sequencer));
        SoundState->MidiAvailable = player->GetDeviceCount() > 0;
        player->FindMidiDevice();
        if (onNotify) player->OnNotify = [notify = std::move(onNotify)](media::TGPMidi&, int code) { notify(code); };
        Midi = std::move(player);
        SoundState->MidiReady = true;
    } catch (...) {
        Midi.reset();
        SoundState->MidiReady = false;
        SoundState->MidiAvailable = false;
        throw;
    }
}

void TGPKernel::UpdateMidi() {
    if (SoundState->MidiAvailable && Midi) Midi->Update();
}

void TGPKernel::MidiNotify() { UpdateMidi(); }

void TGPKernel::SetMidiLoop(bool value) {
    if (SoundState->MidiAvailable && Midi) Midi->Loop = value;
}

void TGPKernel::SetMidiAutoPlay(bool value) {
    if (SoundState->MidiAvailable && Midi) Midi->AutoPlay = value;
}

bool TGPKernel::PlayMidi(const std::string& fileName, int32_t flag, int32_t param) {
    if (!SoundState->MidiAvailable || !Midi || fileName.empty()) return false;
    if (!IsPlainFileName(fileName)) return false;  // as a file the folder does not hold
    return Midi->PlayTune(RealPath(ResourceFolders().Midi + fileName), flag != 0, static_cast<uint32_t>(param));
}

// ---- Heads-up widgets ----

void TGPKernel::AddPanel(std::unique_ptr<TGPStructure> widget) {
    if (!widget) return;
    for (const auto& p : Panels)
        if (p == widget) return;
    Panels.push_back(std::move(widget));
}

void TGPKernel::FreePanels() {
    // Off the list first: a widget that goes looks for others sharing its variable there.
    std::vector<std::unique_ptr<TGPStructure>> gone = std::move(Panels);
    Panels.clear();
    gone.clear();
}

bool TGPKernel::HasPlayerObject() const {
    for (const TGPNation* nation : *Nations)
        if (nation->NationKey == 3 && !nation->Objects.Empty()) return true;
    return false;
}

}  // namespace engine
