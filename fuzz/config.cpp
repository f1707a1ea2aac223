// The main form's configuration reader over a container whose "Cfg" entries are arbitrary:
// per entry a name index byte (0 DataStream, 1 GPCfg, 2 KeyAssignList, 3 KeyChange_Mouse,
// 4 KeyChange_Joystick), a 16-bit length and the bytes (see tools/datagen/ConfigStream.cpp).
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app/fmPallidor.h"
#include "engine/gpResource.h"
#include "platform/input/ScriptedInput.h"
#include "tools/datagen/Container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string names[] = {"DataStream", "GPCfg", "KeyAssignList", "KeyChange_Mouse", "KeyChange_Joystick"};
    static const std::string path = "/tmp/fuzz_config." + std::to_string(::getpid()) + ".bif";
    static platform::input::ScriptedInput device;

    datagen::ContainerSection cfg{"Cfg", {}};
    size_t at = 0;
    while (at + 3 <= size && cfg.entries.size() < 8) {
        const std::string& name = names[data[at] % 5];
        const size_t length = std::min<size_t>(data[at + 1] | data[at + 2] << 8, size - at - 3);
        cfg.entries.push_back({name, std::string(reinterpret_cast<const char*>(data) + at + 3, length)});
        at += 3 + length;
    }
    const std::string bytes = datagen::BuildContainer({cfg, {"Strings", {{"After", std::string(8, 'x')}}}});
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
    {
        app::TDlg_Sprallion form;
        form.LoggingEnabled = false;
        form.Input = std::make_unique<media::TDXInput>(&device);
        engine::TGPResource resource(path, rtl::fmOpenRead);
        form.LoadConfig(resource);
        for (const auto& row : form.KeyAssigns)
            if (row.size() != 3) __builtin_trap();
        for (uint8_t s : form.KeyChangeMouse)
            if (s >= media::kInputStateCount) __builtin_trap();
    }
    std::remove(path.c_str());
    return 0;
}
