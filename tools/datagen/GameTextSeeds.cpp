// Seeds for fuzz_game_texts: entries of "Strings" as the target spells them (the names in its
// order), each a length-prefixed text, whole, cut and with lengths that reach past it.
#include <string>
#include <vector>

#include "tools/datagen/Container.h"
#include "tools/datagen/Seeds.h"

namespace {

const std::vector<std::string> kNames = {"Message_1_419", "Title_Message_1_419", "Title_Key_419", "Message_26_409",
                                         "Script_Interface"};

const datagen::SeedWriter gameTextSeeds("fuzz_game_texts", [](const datagen::SeedSink& put) {
    using datagen::LenString;
    put("messages", datagen::EntriesInput({{"Message_1_419", LenString("\xD3\xF0\xEE\xE2\xE5\xED\xFC %s")},
                                           {"Title_Message_1_419", LenString("\xC2\xED\xE8\xEC\xE0\xED\xE8\xE5")},
                                           {"Message_26_409", LenString("Level %d of %s")}},
                                          kNames));
    put("key_titles", datagen::EntriesInput({{"Title_Key_419", LenString("Up\r\nDown\r\nLeft\nRight\rFire\r\n\r\n")}}, kNames));
    put("length_past_entry", datagen::EntriesInput({{"Message_1_419", datagen::Int32Bytes(40) + "short"},
                                                    {"Title_Key_419", LenString("next entry's text")}},
                                                   kNames));
    put("negative_length", datagen::EntriesInput({{"Title_Key_419", datagen::Int32Bytes(-3) + "abc"}}, kNames));
    put("cut_length", datagen::EntriesInput({{"Message_26_409", "\x05\x00"}}, kNames));
});

}  // namespace
