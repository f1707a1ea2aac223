// Reads component records into registered classes of every property kind; what was read must
// write back and read again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "rtl/Collection.h"
#include "rtl/Component.h"
#include "rtl/ComponentStream.h"

namespace {

enum class TFuzzKind : uint8_t { fkNo, fkOne, fkTwo };
const rtl::EnumType TFuzzKindType("TFuzzKind", {"fkNo", "fkOne", "fkTwo"});
const rtl::EnumType TFuzzInputType("TFuzzInput", {"inUp", "inDown", "inLeft", "inRight", "inFire"});

class TFuzzFont : public rtl::Object {
    RTL_CLASS(TFuzzFont, rtl::Object)
public:
    int32_t Height = 0;
    std::string Face;
    static void DescribeClass(rtl::ClassBuilder<TFuzzFont>& c) {
        c.Property("Height", &TFuzzFont::Height).Property("Face", &TFuzzFont::Face);
    }
};

class TFuzzItem : public rtl::Object {
    RTL_CLASS(TFuzzItem, rtl::Object)
public:
    int16_t Ticks = 0;
    std::string Picture;
    static void DescribeClass(rtl::ClassBuilder<TFuzzItem>& c) {
        c.Property("Ticks", &TFuzzItem::Ticks).Property("Picture", &TFuzzItem::Picture);
    }
};

class TFuzzRecord : public rtl::Component {
    RTL_CLASS(TFuzzRecord, rtl::Component)
public:
    int32_t IDName = 1;
    uint8_t Speed = 0;
    int16_t Offset = 0;
    int64_t Big = 0;
    char Letter = 'a';
    bool Visible = false;
    TFuzzKind Kind = TFuzzKind::fkNo;
    uint8_t Inputs = 0;
    double Real = 0;
    float Single = 0;
    std::string IDSlide = "No";
    TFuzzFont Font;
    rtl::Collection Frames{TFuzzItem::StaticClassInfo()};
    std::function<void(rtl::Object*)> OnFire;
    void On_Fire(rtl::Object*) {}
    static void DescribeClass(rtl::ClassBuilder<TFuzzRecord>& c) {
        c.Property("IDName", &TFuzzRecord::IDName)
            .Property("Speed", &TFuzzRecord::Speed)
            .Property("Offset", &TFuzzRecord::Offset)
            .Property("Big", &TFuzzRecord::Big)
            .Property("Letter", &TFuzzRecord::Letter)
            .Property("Visible", &TFuzzRecord::Visible)
            .Enum("Kind", &TFuzzRecord::Kind, TFuzzKindType)
            .Set("Inputs", &TFuzzRecord::Inputs, TFuzzInputType)
            .Property("Real", &TFuzzRecord::Real)
            .Property("Single", &TFuzzRecord::Single)
            .Property("IDSlide", &TFuzzRecord::IDSlide)
            .ObjectProperty<TFuzzFont>("Font", &TFuzzRecord::Font)
            .Collection<rtl::Collection, TFuzzItem>("Frames", &TFuzzRecord::Frames)
            .Event("OnFire", &TFuzzRecord::OnFire)
            .Method("On_Fire", &TFuzzRecord::On_Fire);
    }
};

RTL_REGISTER_CLASS(TFuzzRecord);
RTL_REGISTER_CLASS(TFuzzItem);

std::vector<uint8_t> Write(const rtl::Object& o) {
    rtl::ComponentWriter w;
    w.WriteComponent(o);
    return w.TakeBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rtl::ComponentReader reader({data, size});
    for (int record = 0; record < 16 && !reader.AtEnd(); ++record) {
        std::unique_ptr<rtl::Object> o;
        try {
            o = reader.ReadComponent();
        } catch (const rtl::Exception&) {
            return 0;
        }
        const std::vector<uint8_t> once = Write(*o);
        rtl::ComponentReader again(once);
        std::unique_ptr<rtl::Object> copy = again.ReadComponent();  // must not raise
        if (again.Position() != once.size() || Write(*copy) != once) std::abort();
    }
    return 0;
}
