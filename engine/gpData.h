// Game variables: typed cells the kernel keeps (level, score, lives, difficulty, ...).
// A HUD widget owns the link to the cell it shows and redraws when Changed is set; game
// code writes through the nil-safe helpers, so a variable missing from the current
// interface is ignored on write and reads as 1.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "rtl/Lists.h"

namespace engine {

enum class TGPFieldType : uint8_t {
    ftNo, ftString, ftInteger, ftBoolean, ftFloat, ftDate, ftTime, ftBytes, ftMemo, ftGraphic, ftArray
};
using enum TGPFieldType;

// The value a field takes and gives: an integer, a Boolean or a real.
using GPValue = std::variant<int32_t, bool, double>;
// Reals round half to even; NaN, infinities and reals beyond 32 bits raise ERangeError.
int32_t ValueToInteger(const GPValue& v);
double ValueToFloat(const GPValue& v);

class TGPField;

// What a widget that shows a field offers: its link is cleared when the field goes.
class GPFieldOwner {
public:
    virtual ~GPFieldOwner() = default;
    virtual void FieldGone(TGPField* field) = 0;
};

class TGPField {
public:
    explicit TGPField(TGPFieldType fieldType);

    TGPFieldType FieldType() const noexcept { return fieldType_; }
    int32_t Size() const noexcept { return size_; }
    bool Changed() const noexcept { return changed_; }
    GPFieldOwner* Owner() const noexcept { return owner_; }
    void SetOwner(GPFieldOwner* owner) noexcept { owner_ = owner; }

    void WriteValue(const GPValue& v);
    // The integer 0 before the first write. Clears Changed.
    GPValue ReadValue();
    std::string AsString() const;
    int32_t Count() const noexcept;
    // Element i of an array, -1 outside it.
    int32_t ReadItem(int32_t i);
    void ClearArray();
    const std::bitset<256>& Present() const noexcept { return present_; }

private:
    TGPFieldType fieldType_;
    int32_t size_ = 0;
    bool changed_ = false;
    bool hasData_ = false;
    GPValue scalar_ = int32_t{0};
    std::vector<int32_t> items_;
    int32_t index_ = 0;
    std::bitset<256> present_;
    GPFieldOwner* owner_ = nullptr;
};

// Nil-safe helpers.
bool SetFieldValue(TGPField* field, const GPValue& v);
GPValue GetFieldValue(TGPField* field);  // the integer 1 for nil
int32_t FieldCount(const TGPField* field);  // -1 for nil
void ClearField(TGPField* field);
void GetPresentSet(const TGPField* field, std::bitset<256>& set);

// The kernel's list of game variables; owns its fields.
class TGPData {
public:
    TGPData() = default;
    ~TGPData() { Clear(); }
    TGPData(const TGPData&) = delete;
    TGPData& operator=(const TGPData&) = delete;

    int32_t AddField(GPFieldOwner* owner, TGPFieldType fieldType, TGPField*& field);
    // Clears every owner's link, then frees the fields.
    void Clear();
    int Count() const noexcept { return fields_.Count(); }
    TGPField* Get(int index) const { return fields_.Items(index).get(); }

private:
    rtl::List<std::unique_ptr<TGPField>> fields_;
};

// The nine references through which the heads-up display and the game flow reach the
// kernel's game variables. The fields belong to the kernel's TGPData; a reference is nil
// until the interface made its variable.
struct TKernelRecord {
    TGPField* Level = nullptr;       // "fd_Level"
    TGPField* Count = nullptr;       // "fd_Count": the score
    TGPField* FPS = nullptr;         // "fd_FPS"
    TGPField* Difficulty = nullptr;  // "fd_Difficulty"
    TGPField* Life = nullptr;        // "fd_Life"
    TGPField* Prizes = nullptr;      // "fd_Prizes": the prizes collected
    TGPField* Count_1 = nullptr;     // "fd_Count_1": the weapon's charge
    TGPField* Medals = nullptr;      // the medals of the game
    TGPField* Rank = nullptr;        // the rank of the game

    // The reference a variable name stands for ("fd_Level" ... "fd_Count_1", any case);
    // nil for any other name.
    TGPField** Find(std::string_view name);
};

// Clears all nine references; the kernel calls it before its variables go.
void ResetKernelRecord(TKernelRecord& record);

}  // namespace engine
