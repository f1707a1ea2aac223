// Seed corpora of the internet library's readers and the registry file reader.
#include "tools/datagen/Seeds.h"

namespace {

const datagen::SeedWriter httpReplySeeds("fuzz_http_reply", [](const datagen::SeedSink& put) {
    put("result", "result code 0 7 done\n");
    put("no_blank", "result code 0 7");
    put("no_value", "result code 0 x y\r\nsecond line\r\n");
    put("inside", "<p>result code 12 34 stored</p>\n");
    put("number", "1234\r\n");
    put("proxy_one", "proxy:8080");
    put("proxy_many", "ftp=a:21;http=b:3128;;https=c");
    put("empty", "");
});

const datagen::SeedWriter registrySeeds("fuzz_registry_file", [](const datagen::SeedSink& put) {
    put("sound",
        "SPRALLION REGISTRY 1\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Quorvex\\Sprallion]\n"
        "@=string:\"default %22quoted%22\"\n"
        "\"PlayerEmail\"=string:\"a@b.c\"\n"
        "\"Count\"=dword:0000001F\n"
        "\"Blob\"=binary(3):0A0B0C\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{7FB3E3A1-829C-11D3-8032-00A0C941A56C}\\InprocServer32]\n"
        "@=string:\"/usr/lib/libPalvrek.so\"\n"
        "END\n");
    put("cut",
        "SPRALLION REGISTRY 1\n"
        "[HKEY_LOCAL_MACHINE\\A%5Bb%5D]\n"
        "\"x\"=string:\"cut sho");
    put("no_end", "SPRALLION REGISTRY 1\r\n[HKEY_CURRENT_USER]\r\n\"n\"=dword:FFFFFFFF\r\n");
});

}  // namespace
