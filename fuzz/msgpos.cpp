// The message box's layout record ("Cfg"/"MsgPos"): any bytes either leave the layout alone
// (shorter than the record) or place every control with a size that is not negative.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/Forms.h"
#include "app/StdCtrls.h"
#include "app/fmGPMessageBox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static app::TForm form("Layout");
    static std::vector<std::unique_ptr<app::TLabel>> labels = [] {
        std::vector<std::unique_ptr<app::TLabel>> made;
        for (int tag = -1; tag <= 13; ++tag) {
            made.push_back(std::make_unique<app::TLabel>(form, "L" + std::to_string(tag + 1)));
            made.back()->Tag = tag;
            made.back()->SetBounds(1, 2, 3, 4);
        }
        return made;
    }();
    app::TMsgPos record;
    const bool read = app::ReadMsgPos(std::span<const uint8_t>(data, size), record);
    if (read != (size >= app::kMsgPosSize)) __builtin_trap();
    if (!read) return 0;
    app::ApplyMsgPos(form, record);
    for (const auto& label : labels) {
        const bool tagged = label->Tag >= 0 && label->Tag < 13;
        if (!tagged && (label->Left() != 1 || label->Width() != 3)) __builtin_trap();
        if (!tagged) continue;
        const app::TMsgPosEntry& e = record[size_t(label->Tag)];
        if (e.Width < 0 || e.Height < 0 || label->Left() != e.Left || label->Width() != e.Width ||
            label->Height() != e.Height)
            __builtin_trap();
    }
    return 0;
}
