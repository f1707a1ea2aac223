// The command line: any bytes, cut at zero bytes into the program's arguments, read as the
// game reads them at start: the arguments kept for the run, the start level after a "Level"
// argument (a number, or the default) and the language after a "Lang" argument. Whatever the
// arguments, a value found follows its key, upper-cased, and a number reads or raises the
// conversion error.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/gpUtils.h"
#include "rtl/Convert.h"
#include "rtl/Exceptions.h"
#include "rtl/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string arg;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] != 0) {
            arg.push_back(static_cast<char>(data[i]));
            continue;
        }
        args.push_back(arg);
        arg.clear();
    }
    if (!arg.empty()) args.push_back(arg);
    engine::SetParams(args);
    if (engine::Params() != args) __builtin_trap();

    for (const char* key : {"Level", "Lang"}) {
        const auto [found, value] = engine::FindParamValue(key);
        if (found.empty()) {
            if (!value.empty()) __builtin_trap();
            continue;
        }
        size_t at = 0;
        while (at < args.size() && args[at] != found) ++at;
        if (at == args.size() || rtl::UpperCase(found).find(rtl::UpperCase(key)) == std::string::npos) __builtin_trap();
        if (value != (at + 1 < args.size() ? rtl::UpperCase(args[at + 1]) : std::string())) __builtin_trap();
        try {
            const int32_t level = rtl::StrToInt(value);
            int32_t again = 0;
            if (!rtl::TryStrToInt(std::to_string(level), again) || again != level) __builtin_trap();
        } catch (const rtl::EConvertError&) {
        }
    }
    (void)engine::FindParam("Level");
    return 0;
}
