// The main form's configuration reader over a container whose "Cfg" entries are arbitrary:
// per entry a name index byte (0 DataStream, 1 GPCfg, 2 KeyAssignList, 3 KeyChange_Mouse,
// 4 KeyChange_Joystick), a 16-bit length and the bytes (see tools/datagen/ConfigStream.cpp).
#include <cstdio>
#include <memory>
#include <string>

#include "FuzzInput.h"
#include "app/fmPallidor.h"
#include "engine/gpResource.h"
#include "platform/input/ScriptedInput.h"
#include "tools/datagen/Container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string names[] = {"DataStream", "GPCfg", "KeyAssignList", "KeyChange_Mouse", "KeyChange_Joystick"};
    static const std::string path = fuzz::TempPath("config", ".bif");
    static platform::input::ScriptedInput device;

    const datagen::ContainerSection cfg{"Cfg", fuzz::EntriesFrom(data, size, names, 8)};
    fuzz::WriteFile(path, datagen::BuildContainer({cfg, {"Strings", {{"After", std::string(8, 'x')}}}}));
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
