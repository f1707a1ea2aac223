// Seeds for the text readers: a length-prefixed string list, line and comma texts.
#include <cstdint>
#include <string>

#include "tools/datagen/Seeds.h"

namespace {

std::string Int32(int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

const datagen::SeedWriter seeds("fuzz_texts", [](const datagen::SeedSink& put) {
    put("stringlist", Int32(2) + Int32(3) + "abc" + Int32(4) + "\xC8\xE3\xF0\xE0");
    put("lines", "one\r\ntwo\nthree\rName=Value\r\n");
    put("comma", "plain,\"two words\",\"say \"\"hi\"\"\", \xA8\xEB\xEA\xE0");
    put("utf8", "\xD0\x9F\xD1\x80\xD0\xB8 \xE2\x82\xAC \xF0\x9F\x98\x80");
});

}  // namespace
