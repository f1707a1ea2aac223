// Texts from outside: length-prefixed string lists, string-list texts and comma texts, and
// the code-page conversions they pass through.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/gpUtils.h"
#include "rtl/Exceptions.h"
#include "rtl/Streams.h"
#include "rtl/StringList.h"
#include "rtl/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    rtl::MemoryStream stream(std::vector<uint8_t>(data, data + size));
    rtl::StringList list;
    try {
        engine::ReadStringList(stream, list);
    } catch (const rtl::EReadError&) {
    }
    list.SetText(text);
    list.SetCommaText(text);
    rtl::StringList back;
    back.SetCommaText(list.CommaText());
    if (back.ToVector() != list.ToVector()) __builtin_trap();  // comma text must round-trip
    list.SetSorted(true);
    for (int i = 0; i < list.Count(); ++i) {
        int at = -1;
        if (!list.Find(list[i], at)) __builtin_trap();
    }
    (void)list.Values(text);
    if (rtl::Utf8ToAnsi(rtl::AnsiToUtf8(text)) != text) __builtin_trap();
    (void)rtl::AnsiToUtf8(rtl::Utf8ToAnsi(text));
    (void)engine::UnscrambleString(text);
    (void)engine::FindParamValue({text, text}, text.substr(0, 3));
    return 0;
}
