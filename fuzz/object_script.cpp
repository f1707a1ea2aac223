// Compiled object scripts on untrusted bytes: loaded, initialised and every block run twice
// against a headless kernel with its nations and map. Only the engine's exception classes
// may escape a load or a run, and a failed load leaves no block.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/gpCode.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "rtl/Streams.h"

namespace {

class Display : public engine::TKernelDisplay {
public:
    void Flip() override {}
    int32_t SurfaceWidth() const override { return 800; }
    int32_t SurfaceHeight() const override { return 600; }
};

void Script(engine::TGPKernel& kernel, const uint8_t* data, size_t size) {
    for (int32_t key = 0; key <= 6; ++key) kernel.NationByKey(key)->SetMaxCount(key == 6 ? 10 : 16);
    engine::TGPObject* owner = kernel.NationByKey(0)->CreateFromPool(64, 64, false, 12);
    if (!owner) std::abort();

    engine::TGPCode code(owner, &kernel);
    rtl::MemoryStream stream(std::vector<uint8_t>(data, data + size));
    try {
        code.LoadFromStream(stream);
    } catch (const rtl::Exception&) {
        if (code.BlockCount() != 0) std::abort();  // nothing half-loaded
        return;
    }
    if (code.BlockCount() > engine::kCodeEventCount) std::abort();
    try {
        code.Init();
    } catch (const rtl::Exception&) {
    }
    engine::TEventCache cache;
    for (int pass = 0; pass < 2; ++pass)
        for (int event = 1; event <= engine::kCodeEventCount; ++event) {
            try {
                code.RunEvent(cache, static_cast<engine::TCodeEvent>(event));
            } catch (const rtl::Exception&) {
            }
        }
    kernel.RunCommands();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One kernel for the run (it starts a timer thread); each input starts from a level reset.
    static Display display;
    static engine::TGPMap map;
    static engine::TGPKernel* kernel = [] {
        auto* k = new engine::TGPKernel(&display, nullptr, nullptr);
        map.Create(k, false, 34, 48, 9, 9, 9, 9, 64);  // as the shell makes it
        return k;
    }();
    Script(*kernel, data, size);
    kernel->Clear();
    engine::ScriptsForgetKernel(kernel);  // every input finds no script kernel at first
    if (engine::ScriptKernel()) std::abort();
    return 0;
}
