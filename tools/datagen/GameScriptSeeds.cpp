// Seeds for the program's test-script fuzz target: the commands, comments, limits and faults.
#include <string>

#include "tools/datagen/Seeds.h"

namespace {
const datagen::SeedWriter seeds("fuzz_game_script", [](const datagen::SeedSink& put) {
    put("menus", "# the new-game path\nkey Enter\nkey Enter\nwait 30\nuntil panel MessageBox within 200\nkey F7 3\n");
    put("mouse", "move 10 -4\nclick left\npress right\nwait 2\nrelease right\n");
    put("variables", "until fd_Level = 1 within 5000\nuntil fd_Life = -1 within 0\n");
    put("hidden", "until no panel Pause within 10\nuntil no panel within 2\nuntil no Pause within 1\n");
    put("kept", "keep fd_Count\nkeep Bricks\nuntil fd_Count > kept within 400\nuntil Bricks = kept within 0\n");
    put("messages", "until message 4 within 3000\nkey Enter\nuntil message 7 within 5000\nuntil message 48 within 1\n");
    put("dialogs", "until window 19 within 500\nkey Enter\nuntil dialog Glg_UpDate within 100\nuntil window 0 within 1\n");
    put("keys", "down Shift\nkey a\nup shift\nkey F24\nkey PageDown 1\nkey Esc 10000000\n");
    put("crlf", "wait 1\r\nkey Space\r\n\r\n   # blank\r\n");
    put("faults", "wait 10000001\nkey F25\nuntil panel within 3\nmove 1\n");
    put("limits", "wait 99999999999999999999\nuntil x = 2147483648 within 1\n");
    put("zero", std::string("key A\n\0key B\n", 13));
    put("follow", "until panel MessageBox within 200\nkey Enter\nfollow 500\nfollow 0\nfollow\n");
});
}  // namespace
