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

namespace {

const datagen::SeedWriter storedListSeeds("fuzz_stored_lists", [](const datagen::SeedSink& put) {
    put("updates",
        "a||b||c||d||free||0.00||host/dir/||100||\r\n"
        "b.bin||Pack B||PackB||2.0||shareware||9.95||host:8080/files/||2000||\r\n"
        "seven||fields||only||1||free||0.00||x||\r\n");
    put("installed", "PackA||1.0||\r\nPackB ||  2.0||\r\nbroken\r\n");
    put("hall", "Ann|1200|Captain|Hard|Gold , Big Star|12.05.2000|\r\n<script>|500|R|D||13.05.2000|\r\n|x|\r\n");
    // The same entries as an earlier library stored them, in the game's code page ("Иван").
    put("hall_1251", "\xC8\xE2\xE0\xED|900|\xCA\xEF|Hard||01.01.2000|\r\n");
    put("hall_utf8", "J\xC3\xBCrgen|900|\xD0\x9A\xD0\xBF|Hard|\xF0\x9F\x98\x80|01.01.2000|\r\n\xED\xA0\x80|1|x|y||z|\r\n");
});

const datagen::SeedWriter pageTemplateSeeds("fuzz_page_template", [](const datagen::SeedSink& put) {
    put("meta_charset", "<HTML><HEAD><META charset=\"utf-8\"></HEAD><BODY><IMG SRC=<<TEMPLATE_PATH>>x.png\">\n");
    put("http_equiv",
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"></head>\r\n");
    put("bom", "\xEF\xBB\xBF<html><body>\n");
    put("entry", "J\xC3\xBCrgen \" onerror=\"x|900|Cap\"tain|Ha<rd>|Gold, <i>Star|01.01.2000|");
    put("unclosed", "<meta charset=");
});

}  // namespace
