// Seeds for fuzz_clipboard_reply: answers of another program to a paste, as pieces of the
// transfer property (kind, item size, 16-bit byte count, bytes); kind 255 starts an
// incremental transfer.
#include <cstdint>
#include <string>

#include "tools/datagen/Bmp.h"
#include "tools/datagen/Seeds.h"

namespace {

std::string Piece(uint8_t kind, uint8_t bits, const std::string& bytes) {
    const auto n = static_cast<uint16_t>(bytes.size());
    return std::string{static_cast<char>(kind), static_cast<char>(bits), static_cast<char>(n & 0xFF),
                       static_cast<char>(n >> 8)} +
           bytes;
}

std::string Atoms(std::initializer_list<uint32_t> atoms) {
    std::string out;
    for (uint32_t a : atoms)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((a >> (8 * i)) & 0xFF));
    return out;
}

const datagen::SeedWriter clipboardReplySeeds("fuzz_clipboard_reply", [](const datagen::SeedSink& put) {
    put("targets", Piece(4, 32, Atoms({300, 301, 31, 1, 255})));
    put("utf8", Piece(1, 8, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x82\xAC"));
    put("latin1", Piece(31, 8, "caf\xE9 na\xEFve"));
    put("sixteen", Piece(2, 16, std::string("a\0b\0c\0", 6)));
    put("two_pieces", Piece(1, 8, std::string(4096, 'x')) + Piece(1, 8, "tail"));
    const std::string bmp = datagen::EncodeBmp(datagen::TestPicture(5, 3, 24));
    put("picture", Piece(7, 8, bmp));
    put("incremental_picture", Piece(255, 32, Atoms({uint32_t(bmp.size())})) + Piece(7, 8, bmp.substr(0, 40)) +
                                   Piece(7, 8, bmp.substr(40)) + Piece(7, 8, ""));
    put("odd_format", Piece(1, 12, "abc"));
});

}  // namespace
