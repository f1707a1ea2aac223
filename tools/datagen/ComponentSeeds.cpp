// Seeds for fuzz_component_stream: records of the fuzz target's classes, written with the
// component writer's primitives.
#include "rtl/ComponentStream.h"
#include "tools/datagen/Seeds.h"

namespace {

std::string_view View(const rtl::ComponentWriter& w) {
    return {reinterpret_cast<const char*>(w.Bytes().data()), w.Bytes().size()};
}

void Property(rtl::ComponentWriter& w, std::string_view name) { w.WriteStr(name); }

void EveryKind(rtl::ComponentWriter& w, const std::string& name, bool withChild) {
    w.WriteHeader({0, 0, "TFuzzRecord", name});
    Property(w, "Tag"); w.WriteInteger(7);
    Property(w, "IDName"); w.WriteInteger(70000);
    Property(w, "Speed"); w.WriteInteger(200);
    Property(w, "Offset"); w.WriteInteger(-300);
    Property(w, "Big"); w.WriteInteger(int64_t{1} << 40);
    Property(w, "Letter"); w.WriteValue(rtl::ValueType::vaString); w.WriteStr("Q");
    Property(w, "Visible"); w.WriteBoolean(true);
    Property(w, "Kind"); w.WriteIdent("fkTwo");
    Property(w, "Inputs"); w.WriteSet({"inUp", "inFire"});
    Property(w, "Real"); w.WriteFloat(0.1);
    Property(w, "Single"); w.WriteSingle(2.5f);
    Property(w, "IDSlide"); w.WriteString(std::string(300, 'S'));
    Property(w, "Font.Height"); w.WriteInteger(12);
    Property(w, "Font.Face"); w.WriteString("Arial");
    Property(w, "Frames");
    w.WriteValue(rtl::ValueType::vaCollection);
    for (int i = 0; i < 2; ++i) {
        w.WriteListBegin();
        Property(w, "Ticks"); w.WriteInteger(i * 100);
        Property(w, "Picture"); w.WriteString("Frame");
        w.WriteListEnd();
    }
    w.WriteListEnd();
    Property(w, "OnFire"); w.WriteIdent("On_Fire");
    w.WriteListEnd();
    if (withChild) EveryKind(w, "Child", false);
    w.WriteListEnd();
}

const datagen::SeedWriter seeds("fuzz_component_stream", [](const datagen::SeedSink& put) {
    {
        rtl::ComponentWriter w;
        EveryKind(w, "Record", true);
        put("every_kind", View(w));
    }
    {
        rtl::ComponentWriter w;
        w.WriteSignature();
        w.WriteHeader({rtl::ffInherited | rtl::ffChildPos, 3, "TFuzzRecord", "Flagged"});
        Property(w, "IDSlide"); w.WriteWideString(u"\u0410bc");
        Property(w, "Real"); w.WriteDouble(-1e300);
        Property(w, "Single"); w.WriteCurrency(15000);
        Property(w, "IDName"); w.WriteInt64(5);
        w.WriteListEnd();
        w.WriteListEnd();
        put("signature_flags", View(w));
    }
    {
        rtl::ComponentWriter w;
        for (int i = 0; i < 7; ++i) {
            w.WriteHeader({0, 0, "TFuzzRecord", "State" + std::to_string(i)});
            Property(w, "IDName"); w.WriteInteger(i);
            Property(w, "IDSlide"); w.WriteUtf8String("\xD0\x91");
            w.WriteListEnd();
            w.WriteListEnd();
        }
        put("seven_records", View(w));
    }
});

}  // namespace
