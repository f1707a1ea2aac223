// The configuration stream in the container section "Cfg": the player's input, sound and
// music settings and the key assignments.
//
// Every record is read on its own, bounded by the next entry of the container, and must have
// exactly its size: a damaged record falls back to its defaults without taking the others
// along. A save writes nothing when nothing changed; otherwise the container is replaced as a
// whole (the container's stream writes a copy and renames it over the file), so a crash or a
// failing write leaves the old container.
#include <algorithm>
#include <limits>
#include <vector>

#include "app/fmPallidor.h"
#include "engine/gpCmdExecute.h"
#include "engine/gpDataStream.h"
#include "engine/gpKernel.h"
#include "media/DXSounds.h"
#include "media/gpMidi.h"
#include "platform/input/VirtualKeys.h"
#include "rtl/Format.h"

namespace app {
namespace {

namespace vk = platform::input::vk;

constexpr uint16_t kSoundMuteBits = 0x20 | 0x40;
constexpr int64_t kRecordHeaderSize = 24;

// Where the entries of a container end: each one runs up to the next entry; nothing of the
// directory area is an entry. Reading also stops at the end of the file; writing may make the
// file longer (a container cut short gets its entries back).
class EntryBounds {
public:
    explicit EntryBounds(engine::TGPResource& resource) {
        const auto& h = resource.Header();
        const int64_t directory = int64_t(uint32_t{h[8]} | uint32_t{h[9]} << 8 | uint32_t{h[10]} << 16 | uint32_t{h[11]} << 24);
        dataStart_ = 16 + directory;
        engine::TGPHashCollection& top = resource.Directory();
        std::vector<std::string> sections;
        for (int i = 0; i < top.ItemCount(); ++i) sections.push_back(top.Item(i).Name());
        for (const std::string& name : sections)
            if (engine::TGPHashCollection* sub = resource.GetSection(name))
                for (int i = 0; i < sub->ItemCount(); ++i) offsets_.push_back(sub->Item(i).Offset);
    }

    // `fileSize` is the file's size now.
    int64_t ReadRoom(int64_t at, int64_t fileSize) const {
        if (at > fileSize) return 0;
        return std::min(WriteRoom(at, fileSize), fileSize - at);
    }
    // The last entry may grow the file when it starts inside it (no gap is made).
    int64_t WriteRoom(int64_t at, int64_t fileSize) const {
        if (at < dataStart_) return 0;
        int64_t end = std::numeric_limits<int64_t>::max();
        for (int64_t o : offsets_)
            if (o > at) end = std::min(end, o);
        if (end == std::numeric_limits<int64_t>::max()) return at <= fileSize ? std::numeric_limits<int32_t>::max() : 0;
        return end - at;
    }

private:
    int64_t dataStart_ = 0;
    std::vector<int64_t> offsets_;
};

// Offset of an entry of "Cfg"; -1 when absent.
int64_t CfgOffset(engine::TGPResource& resource, const std::string& entry) {
    engine::TGPHashCollection* cfg = resource.GetSection(kCfgSection);
    const engine::TGPHashCollectionItem* item = cfg ? cfg->Find(entry) : nullptr;
    return item ? item->Offset : -1;
}

// GPCfg at its entry; without one, directly behind the stream header (older containers).
int64_t GPCfgOffset(engine::TGPResource& resource) {
    const int64_t own = CfgOffset(resource, kGPCfgEntry);
    if (own >= 0) return own;
    const int64_t stream = CfgOffset(resource, kDataStreamEntry);
    return stream >= 0 ? stream + static_cast<int64_t>(kConfigStreamHeader.size()) : -1;
}

bool ValidKeyChange(const TKeyChangeTable& table) {
    return std::all_of(table.begin(), table.end(), [](uint8_t s) { return s < media::kInputStateCount; });
}

int32_t AppliedWaveVolume(int32_t stored) { return stored > 0 || stored < -20000 ? -1000 : stored; }

// One record of the configuration stream, read whole and checked; false on any failure.
bool ReadCfgRecord(engine::TGPResource& resource, int64_t at, void* buffer, size_t length) {
    try {
        const int64_t stream = CfgOffset(resource, kDataStreamEntry);
        if (stream < 0 || at < 0) return false;
        EntryBounds bounds(resource);
        if (bounds.ReadRoom(stream, resource.Size()) < static_cast<int64_t>(kConfigStreamHeader.size())) return false;
        if (bounds.ReadRoom(at, resource.Size()) < kRecordHeaderSize + static_cast<int64_t>(length)) return false;
        resource.SetPosition(stream);
        engine::TDataStream records("", &resource, kConfigStreamHeader, rtl::fmOpenRead);
        if (records.Error()) return false;
        resource.SetPosition(at);
        engine::TDataRecordHeader header;
        if (records.ReadRecordHeader(header) == -1 || header.Length != static_cast<int32_t>(length)) return false;
        return records.ReadData(buffer, static_cast<int64_t>(length)) == static_cast<int32_t>(length);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

void TDlg_Sprallion::SetDefaultGPCfg() { GPCfg = TGPCfg{}; }

void TDlg_Sprallion::SetDefaultKeyAssignments(media::TKeyAssignList& table) {
    static constexpr uint32_t kFirstKeys[] = {
        vk::Up,     vk::Down,   vk::Left,   vk::Right,  vk::Space,  vk::Shift,       vk::Letter('P'), vk::F(8),
        vk::F(10),  vk::F(12),  vk::F(9),   vk::F(2),   vk::F(3),   vk::F(7),        vk::Escape,      vk::F(1),
        vk::Return, vk::Letter('1'), vk::Letter('2'), vk::Letter('3'), vk::Letter('8'), vk::Letter('9'), vk::Letter('7')};
    table = {};
    for (size_t state = 0; state < std::size(kFirstKeys); ++state) table[state][0] = kFirstKeys[state];
}

void TDlg_Sprallion::LoadConfig(engine::TGPResource& resource) {
    if (CfgOffset(resource, kDataStreamEntry) < 0) return;  // no configuration: nothing is set

    auto damaged = [this](const char* entry) {
        WriteLog("LoadConfig", rtl::Format("%S is missing or damaged; its defaults are used", {entry}));
    };
    std::array<uint8_t, kGPCfgSize> cfg{};
    if (ReadCfgRecord(resource, GPCfgOffset(resource), cfg.data(), cfg.size())) {
        GPCfg = DecodeGPCfg(cfg);
    } else {
        damaged(kGPCfgEntry);
        SetDefaultGPCfg();
    }
    storedGPCfg_ = GPCfg;

    media::TKeyAssignList defaults;
    SetDefaultKeyAssignments(defaults);
    std::array<uint8_t, media::kKeyAssignBytes> keys{};
    if (!ReadCfgRecord(resource, CfgOffset(resource, kKeyAssignEntry), keys.data(), keys.size()) ||
        !media::KeyTableFromBytes(keys, KeyAssigns)) {
        damaged(kKeyAssignEntry);
        KeyAssigns = defaults;
    }
    if (KeyAssigns[7][0] != defaults[7][0]) KeyAssigns = defaults;  // the options key stays where it is

    for (auto [entry, table] : {std::pair{kKeyChangeMouseEntry, &KeyChangeMouse},
                                std::pair{kKeyChangeJoystickEntry, &KeyChangeJoystick}}) {
        const int64_t at = CfgOffset(resource, entry);
        if (at < 0) continue;
        if (!ReadCfgRecord(resource, at, table->data(), table->size()) || !ValidKeyChange(*table)) {
            damaged(entry);
            media::FillStateIndexes(*table);
        }
    }

    if (Input) {
        try {
            Input->Keyboard().SetEnabled(true);
            Input->Keyboard().KeyAssigns = KeyAssigns;
        } catch (...) {
            WriteLogException("FDXInput.Keyboard.Enabled");
        }
        try {
            Input->Mouse().SetEnabled(GPCfg.Mouse != 0);
        } catch (...) {
            MouseFailed = 1;
            GPCfg.Mouse = 0;
            Input->Mouse().SetEnabled(false);
            WriteLogException("FDXInput.Mouse.Enabled");
        }
        try {
            Input->Joystick().SetEnabled(true);
            Input->Joystick().SetEnabled(GPCfg.Joystick != 0);
        } catch (...) {
            JoystickFailed = 1;
            GPCfg.Joystick = 0;
            Input->Joystick().SetEnabled(false);
            WriteLogException("FDXInput.Joystick.Enabled");
        }
    } else {
        WriteLog("LoadConfig", "no input devices: the keyboard, mouse and joystick settings wait");
    }
    MouseControl = GPCfg.Mouse;

    if (MusicAvailable()) {
        Midi->SetEnabled(GPCfg.Music != 0);
        Midi->SetVolume(static_cast<uint32_t>(std::clamp<int32_t>(GPCfg.MusicVolume, 0, 65535)));
    }

    if (!Kernel || !Kernel->DirectSound) {
        GPCfg.Sound = 0;
        if (Kernel && Kernel->SoundState) Kernel->SoundState->WaveAvailable = false;
    } else {
        if (media::TSoundBufferCollection* sounds = WaveList()) sounds->SetVolume(AppliedWaveVolume(GPCfg.WaveVolume));
        if (DSoundVersion.empty()) DSoundVersion = StandInVersion(engine::DirectSoundVersion());
        if (Kernel->SoundState) Kernel->SoundState->WaveAvailable = DSoundVersion[0] >= '4' && DSoundVersion[0] <= '9';
    }

    if (Kernel && Kernel->CommandLine) {
        if (GPCfg.Sound != 0)
            Kernel->CommandLine->SuppressMask &= static_cast<uint16_t>(~kSoundMuteBits);
        else
            Kernel->CommandLine->SuppressMask |= kSoundMuteBits;
    }
}

void TDlg_Sprallion::SaveConfig() {
    Resource.reset();
    if (ContainerFile.empty()) return;
    try {
        auto resource = std::make_unique<engine::TGPResource>(ContainerFile, rtl::fmOpenReadWrite);
        if (resource->Status() != 0) {
            WriteLog("SaveConfig", rtl::Format("%S cannot be opened for writing", {ContainerFile}));
            return;
        }
        const int64_t stream = CfgOffset(*resource, kDataStreamEntry);
        if (stream < 0 || !Kernel) return;

        // The records as the game stands now; a device that is missing or failed this run
        // keeps what was stored for it.
        TGPCfg cfg = storedGPCfg_;
        if (Input) {
            cfg.Keyboard = Input->Keyboard().Enabled() ? 1 : 0;
            if (!MouseFailed && Input->Mouse().Initialized()) cfg.Mouse = MouseControl;
            if (!JoystickFailed && Input->Joystick().Initialized()) cfg.Joystick = Input->Joystick().Enabled() ? 1 : 0;
        }
        if (MusicAvailable()) {
            cfg.Music = Midi->Enabled() ? 1 : 0;
            cfg.MusicVolume = static_cast<int32_t>(std::min<uint32_t>(Midi->GetVolume(), 65535));
        }
        media::TSoundBufferCollection* sounds = WaveList();
        if (Kernel->DirectSound && Kernel->SoundState && Kernel->SoundState->WaveAvailable && sounds) {
            cfg.WaveVolume = sounds->GetVolume();
            cfg.Sound = Kernel->CommandLine && (Kernel->CommandLine->SuppressMask & kSoundMuteBits) == 0 ? 1 : 0;
        }
        TKeyChangeTable identity;
        media::FillStateIndexes(identity);
        const auto cfgBytes = EncodeGPCfg(cfg);
        const auto keyBytes = media::KeyTableToBytes(Input ? Input->Keyboard().KeyAssigns : KeyAssigns);

        struct Record {
            const char* entry;
            int64_t at;
            const uint8_t* data;
            size_t length;
        };
        std::vector<Record> records{{kGPCfgEntry, GPCfgOffset(*resource), cfgBytes.data(), cfgBytes.size()}};
        const Record others[] = {{kKeyAssignEntry, 0, keyBytes.data(), keyBytes.size()},
                                 {kKeyChangeMouseEntry, 0, identity.data(), identity.size()},
                                 {kKeyChangeJoystickEntry, 0, identity.data(), identity.size()}};
        for (Record r : others) {
            r.at = CfgOffset(*resource, r.entry);
            if (r.at >= 0) records.push_back(r);  // each record only where its entry exists
        }

        // Nothing changed: nothing is written.
        bool changed = false;
        std::vector<uint8_t> stored;
        for (const Record& r : records) {
            stored.assign(r.length, 0);
            if (!ReadCfgRecord(*resource, r.at, stored.data(), r.length) ||
                !std::equal(stored.begin(), stored.end(), r.data))
                changed = true;
        }
        if (!changed) return;

        EntryBounds bounds(*resource);
        auto step = [this](std::string_view next) {
            if (SaveConfigStepHook) SaveConfigStepHook(next);
        };
        step(kDataStreamEntry);
        if (bounds.WriteRoom(stream, resource->Size()) < static_cast<int64_t>(kConfigStreamHeader.size()))
            throw rtl::EWriteError("The configuration stream's header does not fit");
        // The copy the records go into, made before any of them: a full disk fails here with
        // its reason (the record stream below only says that something failed).
        resource->BeginWriting();
        resource->SetPosition(stream);
        engine::TDataStream writer("", resource.get(), kConfigStreamHeader, rtl::fmCreate);
        for (const Record& r : records) {
            step(r.entry);
            if (bounds.WriteRoom(r.at, resource->Size()) < kRecordHeaderSize + static_cast<int64_t>(r.length)) {
                WriteLog("SaveConfig", rtl::Format("%S does not fit its entry and is not written", {r.entry}));
                continue;
            }
            resource->SetPosition(r.at);
            engine::TDataRecordHeader header;
            header.Length = static_cast<int32_t>(r.length);
            header.CheckFlag = 1;
            writer.WriteRecord(r.data, header);
        }
        if (writer.Error()) {
            const int error = resource->LastError();
            throw rtl::EWriteError(error ? rtl::Format("%s: %s", {rtl::texts::SWriteError, rtl::FileErrorText(error)})
                                         : std::string(rtl::texts::SWriteError));
        }
        step("");
        // The copy with the new records replaces the container; should that fail, the
        // resource is dropped by the exception and the old container stays.
        resource->Commit();
    } catch (...) {
        WriteLogException("SaveConfig");
    }
}

}  // namespace app
