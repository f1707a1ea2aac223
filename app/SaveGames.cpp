#include "app/SaveGames.h"

#include <algorithm>
#include <cstring>

#include "engine/gpLevel.h"
#include "rtl/Checksum.h"
#include "rtl/Streams.h"
#include "rtl/Text.h"

namespace app {
namespace {

constexpr const char* kUserSection = "Save_User";
constexpr const char* kPreviewSection = "Save_BMP";
// A preview is 160 x 120 at 8 bits (about 20 KB); anything past this is no preview.
constexpr int64_t kMaxPreviewBytes = 4 << 20;

// Field offsets of the 144-byte record.
// The fields the slot checks read.
constexpr size_t kSubjectFile = 22, kLevel = 64, kLives = 68;
constexpr size_t kTextField = TPlayerRecord::kTextLetters;

std::string SlotKey(int slot) { return "Save_" + std::to_string(slot); }

int32_t GetInt(const TSaveRecord& bytes, size_t at) {
    uint32_t u = 0;
    for (size_t i = 0; i < 4; ++i) u |= uint32_t{bytes[at + i]} << (8 * i);
    return static_cast<int32_t>(u);
}

// Up to the first NUL, never past the field: a full field has none.
std::string GetText(const TSaveRecord& bytes, size_t at) {
    const auto* begin = reinterpret_cast<const char*>(bytes.data() + at);
    return std::string(begin, ::strnlen(begin, kTextField));
}

void PutInt32(std::string& out, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(u >> (8 * i)));
}

// One slot of the container as it lies in the file: its record and its preview, each within
// its own entry.
TSaveSlot ReadSlot(engine::TGPResource& container, int slot) {
    TSaveSlot result;
    const std::string key = SlotKey(slot);
    auto record = container.OpenEntry(kUserSection, key);
    if (!record || record->Size() < static_cast<int64_t>(result.Record.size()) ||
        record->Read(result.Record.data(), static_cast<int64_t>(result.Record.size())) !=
            static_cast<int64_t>(result.Record.size())) {
        result.Record.fill(0);
        result.Damaged = true;
    } else {
        result.Damaged = !IsValidSaveRecord(result.Record);
    }
    if (auto picture = container.OpenEntry(kPreviewSection, key)) {
        int64_t size = std::min(picture->Size(), kMaxPreviewBytes);
        // A bitmap file says how long it is: the room of the last entry runs to the file's end.
        uint8_t head[6] = {};
        if (size >= 14 && picture->Read(head, 6) == 6 && head[0] == 'B' && head[1] == 'M') {
            const int64_t stated = int64_t{head[2]} | int64_t{head[3]} << 8 | int64_t{head[4]} << 16 | int64_t{head[5]} << 24;
            if (stated >= 14 && stated <= size) size = stated;
        }
        result.Preview.resize(static_cast<size_t>(size));
        picture->SetPosition(0);
        if (picture->Read(result.Preview.data(), size) != size) result.Preview.clear();
    }
    return result;
}

}  // namespace

// The record's bytes are the player record's stored form; the difficulty of a loaded game is
// held to 1..3.
TSaveRecord EncodePlayerRecord(const TPlayerRecord& r) {
    const TPlayerRecordBytes bytes = WritePlayerRecord(r);
    TSaveRecord b{};
    std::copy(bytes.begin(), bytes.end(), b.begin());
    return b;
}

TPlayerRecord DecodePlayerRecord(const TSaveRecord& b) {
    TPlayerRecord r = ReadPlayerRecord(b);
    r.Difficulty = std::clamp(r.Difficulty, 1, 3);
    return r;
}

std::string SaveRecordSubject(const TSaveRecord& bytes) { return GetText(bytes, kSubjectFile); }

bool IsPlainLevelSetName(std::string_view name) {
    if (!engine::IsPlainFileName(name) || name.size() <= 3) return false;
    if (name.find(':') != std::string_view::npos) return false;
    return rtl::SameText(std::string(name.substr(name.size() - 3)), ".ig");
}

bool IsValidSaveRecord(const TSaveRecord& bytes) {
    if (bytes[0] == 0) return true;  // an empty slot
    if (bytes[0] != 1) return false;
    return IsPlainLevelSetName(SaveRecordSubject(bytes)) && GetInt(bytes, kLevel) >= 1 && GetInt(bytes, kLives) >= 0;
}

TSaveGames ReadSaveGames(const std::string& fileName) {
    std::unique_ptr<engine::TGPResource> container;
    try {
        container = std::make_unique<engine::TGPResource>(fileName, rtl::fmOpenRead);
    } catch (const rtl::EFOpenError&) {
        throw ESaveContainer("The saved games cannot be opened: " + fileName);
    }
    if (container->Status() != 0 || !container->GetSection(kUserSection))
        throw ESaveContainer("The saved games are damaged: " + fileName);
    TSaveGames games;
    for (int slot = 0; slot <= kSaveSlots; ++slot) games.Slots[static_cast<size_t>(slot)] = ReadSlot(*container, slot);
    return games;
}

std::string BuildSaveContainer(const TSaveGames& games) {
    // Directory: the two sections, each with its slots; then the records and the previews.
    engine::TGPHashCollection top;
    engine::TGPHashCollectionItem& user = top.Add(kUserSection, true);
    engine::TGPHashCollectionItem& previews = top.Add(kPreviewSection, true);
    for (int slot = 0; slot <= kSaveSlots; ++slot) {
        user.SubDirectory()->Add(SlotKey(slot));
        previews.SubDirectory()->Add(SlotKey(slot));
    }
    user.Offset = static_cast<int32_t>(16 + top.StreamSize());
    previews.Offset = static_cast<int32_t>(user.Offset + user.SubDirectory()->StreamSize());
    int64_t at = previews.Offset + previews.SubDirectory()->StreamSize();
    const int64_t directoryEnd = at;
    for (int slot = 0; slot <= kSaveSlots; ++slot) {
        user.SubDirectory()->SetOffset(SlotKey(slot), static_cast<int32_t>(at));
        at += static_cast<int64_t>(TSaveRecord{}.size());
    }
    for (int slot = 0; slot <= kSaveSlots; ++slot) {
        // A slot without a preview gets no place: an entry of no bytes would share its offset
        // with the next one and read that one's picture.
        const std::string& preview = games.Slots[static_cast<size_t>(slot)].Preview;
        previews.SubDirectory()->SetOffset(SlotKey(slot), preview.empty() ? -1 : static_cast<int32_t>(at));
        at += static_cast<int64_t>(preview.size());
    }
    if (at > INT32_MAX) throw rtl::EWriteError("The saved games do not fit one container");

    rtl::MemoryStream directory;
    top.WriteToStream(directory);
    user.SubDirectory()->WriteToStream(directory);
    previews.SubDirectory()->WriteToStream(directory);
    const auto* dirBytes = reinterpret_cast<const char*>(directory.Memory());
    const std::string_view dirView(dirBytes, static_cast<size_t>(directory.Size()));

    std::string out;
    out.reserve(static_cast<size_t>(at));
    PutInt32(out, 16);
    out += std::string("\x03GPR", 4);
    PutInt32(out, static_cast<int32_t>(dirView.size()));
    PutInt32(out, rtl::ResourceChecksum(dirView));
    out += dirView;
    if (static_cast<int64_t>(out.size()) != directoryEnd) throw rtl::EWriteError("The saved games' directory is inconsistent");
    for (const auto& slot : games.Slots) out.append(reinterpret_cast<const char*>(slot.Record.data()), slot.Record.size());
    for (const auto& slot : games.Slots) out += slot.Preview;
    return out;
}

void WriteSaveGames(const std::string& fileName, const TSaveGames& games) {
    const std::string bytes = BuildSaveContainer(games);
    rtl::WriteFileAtomically(fileName, bytes.data(), bytes.size());
}

}  // namespace app
