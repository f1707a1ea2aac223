#include "engine/gpData.h"

#include "rtl/Format.h"
#include "rtl/Numbers.h"
#include "rtl/Text.h"

namespace engine {

int32_t ValueToInteger(const GPValue& v) {
    if (const auto* i = std::get_if<int32_t>(&v)) return *i;
    if (const auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
    // A real that no 32-bit integer holds (NaN, infinities, beyond 32 bits) is a range error.
    return rtl::Round32(std::get<double>(v));
}

double ValueToFloat(const GPValue& v) {
    if (const auto* i = std::get_if<int32_t>(&v)) return *i;
    if (const auto* b = std::get_if<bool>(&v)) return *b ? 1.0 : 0.0;
    return std::get<double>(v);
}

TGPField::TGPField(TGPFieldType fieldType) : fieldType_(fieldType) {
    switch (fieldType) {
        case ftInteger: size_ = 4; break;
        case ftBoolean: size_ = 1; break;
        case ftFloat: size_ = 8; break;
        default: size_ = 0; break;
    }
}

void TGPField::WriteValue(const GPValue& v) {
    switch (fieldType_) {
        case ftInteger: scalar_ = ValueToInteger(v); hasData_ = true; break;
        case ftBoolean: scalar_ = (ValueToInteger(v) & 0xFF) != 0; hasData_ = true; break;
        case ftFloat: scalar_ = ValueToFloat(v); hasData_ = true; break;
        case ftArray: {
            const int32_t x = ValueToInteger(v);
            items_.push_back(x);
            size_ += 4;
            if (x >= 0 && x <= 255) present_.set(static_cast<size_t>(x));
            hasData_ = true;
            break;
        }
        default: break;
    }
    changed_ = true;
}

GPValue TGPField::ReadValue() {
    changed_ = false;
    if (!hasData_) return int32_t{0};
    if (fieldType_ == ftArray) {
        if (index_ < 0 || index_ >= static_cast<int32_t>(items_.size())) return int32_t{0};
        return items_[static_cast<size_t>(index_)];
    }
    return scalar_;
}

std::string TGPField::AsString() const {
    switch (fieldType_) {
        case ftInteger: return std::to_string(hasData_ ? std::get<int32_t>(scalar_) : 0);
        case ftBoolean: return hasData_ && std::get<bool>(scalar_) ? "true" : "false";
        case ftFloat: return rtl::Format("%g", {hasData_ ? std::get<double>(scalar_) : 0.0});
        default: return {};
    }
}

int32_t TGPField::Count() const noexcept {
    switch (fieldType_) {
        case ftInteger: case ftBoolean: case ftFloat: return 1;
        case ftArray: return size_ / 4;
        default: return 0;
    }
}

int32_t TGPField::ReadItem(int32_t i) {
    if (i < 0 || i >= Count()) return -1;
    index_ = i;
    const GPValue v = ReadValue();
    index_ = 0;
    return ValueToInteger(v);
}

void TGPField::ClearArray() {
    if (fieldType_ != ftArray) return;
    items_.clear();
    size_ = 0;
    present_.reset();
    hasData_ = false;
}

bool SetFieldValue(TGPField* field, const GPValue& v) {
    if (!field) return false;
    field->WriteValue(v);
    return true;
}

GPValue GetFieldValue(TGPField* field) { return field ? field->ReadValue() : GPValue{int32_t{1}}; }

int32_t FieldCount(const TGPField* field) { return field ? field->Count() : -1; }

void ClearField(TGPField* field) {
    if (field) field->ClearArray();
}

void GetPresentSet(const TGPField* field, std::bitset<256>& set) {
    if (field) set = field->Present();
}

int32_t TGPData::AddField(GPFieldOwner* owner, TGPFieldType fieldType, TGPField*& field) {
    auto made = std::make_unique<TGPField>(fieldType);
    made->SetOwner(owner);
    field = made.get();
    fields_.Add(std::move(made));
    return 0;
}

void TGPData::Clear() {
    for (auto& f : fields_)
        if (f->Owner()) f->Owner()->FieldGone(f.get());
    fields_.Clear();
}

TGPField** TKernelRecord::Find(std::string_view name) {
    struct Named {
        const char* Name;
        TGPField* TKernelRecord::*Field;
    };
    static constexpr Named kNames[] = {
        {"fd_Level", &TKernelRecord::Level},   {"fd_Count", &TKernelRecord::Count},
        {"fd_FPS", &TKernelRecord::FPS},       {"fd_Difficulty", &TKernelRecord::Difficulty},
        {"fd_Life", &TKernelRecord::Life},     {"fd_Prizes", &TKernelRecord::Prizes},
        {"fd_Count_1", &TKernelRecord::Count_1},
    };
    for (const Named& n : kNames)
        if (rtl::SameText(n.Name, name)) return &(this->*n.Field);
    return nullptr;
}

void ResetKernelRecord(TKernelRecord& record) { record = TKernelRecord{}; }

}  // namespace engine
