// Interface descriptions from memory: the header, the strings and every widget record, built
// into a kernel without a display and freed again after each input. Events bind to a form
// that publishes one handler of each event signature the widgets have.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/gpInterfaceBase.h"
#include "engine/gpKernel.h"
#include "engine/gpLevelInterface.h"
#include "rtl/Streams.h"

namespace {

class TFuzzForm : public rtl::Object {
    RTL_CLASS(TFuzzForm, rtl::Object)
public:
    void Notify(engine::TObject*) {}
    void Key(engine::TObject*, engine::TDXInputStates&) {}
    static void DescribeClass(rtl::ClassBuilder<TFuzzForm>& c) {
        c.Method("Notify", &TFuzzForm::Notify).Method("Key", &TFuzzForm::Key);
    }
};

engine::TGPKernel& Kernel() {
    static engine::TGPKernel kernel(nullptr, nullptr, nullptr);
    return kernel;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TFuzzForm form;
    engine::TGPKernel& kernel = Kernel();
    rtl::MemoryStream stream(std::vector<uint8_t>(data, data + size));
    engine::TInterfaceHeader header;
    header.Version = engine::InterfaceFileVersion;
    try {
        engine::TBaseInterfacesStream forms("fuzz", stream, true, &form, &kernel, header);
        for (engine::TGPBaseInterface* widget : forms.Widgets()) kernel.DetachInterface(widget);
    } catch (const rtl::Exception&) {
    }
    return 0;
}
