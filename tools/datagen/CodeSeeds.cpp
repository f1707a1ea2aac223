// Seeds for fuzz_object_script: compiled object scripts, sound and damaged.
#include <string>

#include "tools/datagen/CodeWriter.h"
#include "tools/datagen/Seeds.h"

namespace {

// Every command, with immediates and property values.
constexpr const char* kEveryCommand = R"(
on VAR
  var SPARK TGPPHANTOM
  var PIECE TGPOBJECT
  var COUNT INTEGER
  var SPEED REAL
  var FLAG BOOLEAN
  var NAME STRING
  var LETTER CHAR
  var HOLDER 0
on ONCREATE
  phantom bind SPARK SELF 4
  phantom param SPARK 2 SELF.X
  phantom param SPARK 3 SELF.Y
  phantom align SPARK SELF 3
  object bind PIECE SELF 12
  object bind PIECE SELF.X 13
on ONCOLLISION
  phantom param SPARK 6 1
  object create PIECE 2 COUNT.Value
  object sound SELF 7 0 1
  object splinter SELF 2 157 158
on ONCARRION
  phantom bind SPARK MAP 5
  phantom param SPARK 1 SPEED.Value
  phantom align SPARK KERNEL 4
  object bind PIECE KERNEL 14
on ONBIRTH
  word 5 4 3
  object sound SELF FLAG.Value SELF.Width 1
)";

// Operands at their bounds.
constexpr const char* kBounds = R"(
on VAR
  var ABCD 1
  var ABCDE 2
  var "" 4
on ONCREATE
  string ""
  string "abcd"
  word 6 9
  word 7 4 0
  object bind #4 SELF 62
  object create #4 0x7FFFFFFF -2147483648
  object splinter SELF 0x7FFFFFFF 157 -1
)";

std::string Assembled(const char* source) { return datagen::AssembleCpcStream(source); }

datagen::CpcStream Stream(std::vector<datagen::CpcBlock> blocks) { return {std::move(blocks), "_CPC", {}}; }

const datagen::SeedWriter seeds("fuzz_object_script", [](const datagen::SeedSink& put) {
    put("every_command", Assembled(kEveryCommand));
    put("bounds", Assembled(kBounds));
    put("empty", datagen::WriteCpc(Stream({})));
    put("empty_block", datagen::WriteCpc(Stream({{11, {}, {}}})));
    put("repeated_event", datagen::WriteCpc(Stream({{11, {5, 5}, {}}, {11, {5, 5, 5, 5, 5, 5}, {}}})));
    put("repeated_name", Assembled("on VAR\n var A 1\n var A 2\n"));
    put("bad_type", Assembled("on VAR\n var A 9\n"));
    put("long_string", Assembled("on VAR\n word 1111 257\n"));
    put("cut_string", Assembled("on ONCREATE\n word 7 1 4 0 12\n"));
    put("cut_bind", Assembled("on ONCREATE\n word 6 1 0\n"));
    put("cut_value", Assembled("on ONCREATE\n word 7 2 0 -1\n"));
    put("bad_index", Assembled("on ONCREATE\n phantom bind #99 SELF 4\n phantom param #-7 1 1\n"));
    put("align_none", Assembled("on ONCREATE\n phantom bind SELF KERNEL 4\n phantom align SELF #-1 3\n"));
    put("vibration_target", Assembled("on ONCREATE\n phantom bind MAP KERNEL 4\n phantom param MAP 109 1234\n"));
    put("sound_range", Assembled("on ONCREATE\n object bind SELF KERNEL 1\n object sound SELF 70000 99999 1\n"));
    put("wrong_signature", datagen::WriteCpc({{}, "_CPX", {}}));
    put("huge_block_count", datagen::WriteCpc({{{2, {5}, {}}}, "_CPC", 0x7FFFFFFF}));
    put("negative_block_count", datagen::WriteCpc({{}, "_CPC", -1}));
    put("huge_word_count", datagen::WriteCpc(Stream({{2, {5, 5}, 0x3FFFFFFF}})));
    put("event_zero", datagen::WriteCpc(Stream({{0, {5}, {}}})));
    put("event_fourteen", datagen::WriteCpc(Stream({{14, {5}, {}}})));
    std::string truncated = Assembled(kEveryCommand);
    truncated.resize(truncated.size() / 2);
    put("truncated", truncated);
});

}  // namespace
