// Description records on untrusted bytes. The first byte picks the class (or the seven
// slides of a unit class); whatever was read must write back and read again to the same
// record.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/gpAnimation.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpWeapon.h"
#include "rtl/ComponentStream.h"

namespace {

std::unique_ptr<rtl::Component> Make(uint8_t kind) {
    switch (kind % 8) {
        case 0:
        case 1: return std::make_unique<engine::TOneSlide>();
        case 2: return std::make_unique<engine::TOneCursor>();
        case 3: return std::make_unique<engine::TOneEffects>();
        case 4: return std::make_unique<engine::TLineFont>();
        case 5: return std::make_unique<engine::TOneInterface>();
        case 6: return std::make_unique<engine::TGPGeneralObject>(nullptr, 1);
        default: return std::make_unique<engine::TGPWeaponStructure>();
    }
}

std::vector<uint8_t> Write(const rtl::Object& o) {
    rtl::ComponentWriter w;
    w.WriteComponent(o);
    return w.TakeBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t kind = data[0];
    rtl::ComponentReader reader({data + 1, size - 1});
    const int records = kind % 8 == 0 ? 7 : 1;
    for (int i = 0; i < records; ++i) {
        std::unique_ptr<rtl::Component> o = Make(kind);
        try {
            reader.ReadComponent(*o);
        } catch (const rtl::Exception&) {
            return 0;
        }
        if (reader.Position() > size - 1) std::abort();
        if (auto* g = dynamic_cast<engine::TGPGeneralObject*>(o.get())) {
            try {
                g->ParseWeapons();
            } catch (const rtl::EConvertError&) {
            }
            if (g->SizeWeapon < 0 || g->SizeWeapon > engine::TGPGeneralObject::MaxWeapons) std::abort();
        }
        const std::vector<uint8_t> once = Write(*o);
        std::unique_ptr<rtl::Component> copy = Make(kind);
        rtl::ComponentReader again(once);
        again.ReadComponent(*copy);  // must not raise
        if (again.Position() != once.size() || Write(*copy) != once) std::abort();
    }
    return 0;
}
