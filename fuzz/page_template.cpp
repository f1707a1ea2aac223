// The hall-of-fame page's templates: the charset a header declares, and a row written for the
// page in either charset from a stored entry.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "internet/LocalTopListU.h"
#include "internet/StringsU.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace palvrek;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string charset = DeclaredCharset(text);
    for (char c : charset)
        if (c >= 'A' && c <= 'Z') std::abort();  // answered in lower case
    LocalTopListSettings settings;
    settings[tsRanksDir] = std::string(text.substr(0, 64));
    settings[tsImgHeight] = std::string(text.substr(0, 16));
    // Written for a page of another charset, the row is pure ASCII whatever the entry holds.
    const std::string ascii = FormatEntryRow(std::string(text), 1, settings, 0, PageCharset::Ascii);
    for (char c : ascii)
        if (static_cast<uint8_t>(c) >= 0x80) std::abort();
    // Written for a UTF-8 page, it is sound UTF-8: decoding and encoding again changes nothing.
    const std::string utf8 = FormatEntryRow(std::string(text), 1, settings, 0, PageCharset::Utf8);
    if (WideToUtf8(Utf8ToWide(utf8)) != utf8) std::abort();
    return 0;
}
