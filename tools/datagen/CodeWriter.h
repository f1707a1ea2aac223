// Writer of compiled object scripts ("_CPC") and an assembler of a readable command list,
// for test fixtures, fuzz seeds and the demo scripts; and the "Code_Unit" container section.
//
// The command list, one command per line (a "#" before anything but a number starts a comment):
//
//   on VAR                           starts the block of an event: a name of the event
//                                    table (VAR, ONCREATE, ... ONMODIFICATION) or a number
//     var SHOT TGPPHANTOM            declare: a name and a type (by name or 0..7)
//   on ONCOLLISION
//     phantom bind SHOT SELF 4       6 1: target, owner, class
//     phantom param SHOT 6 1         6 2: target, code value, value
//     phantom align SHOT SELF 3      6 3: target, object, mode
//     object bind PIECE SELF 157     7 1, plain form: target, owner, class
//     object bind PIECE SELF.Tag 157 7 1, named form: the owner with a property name
//     object create PIECE 2 SELF.X   7 2: target, code value, value
//     object splinter SELF 3 157 158 7 3: target, rounds, two classes
//     object sound SELF 12 0 1       7 5: target, sound, looped, play
//     word 5 -1 0x7FFFFFFF           raw words
//     string "text"                  a raw string operand
//
// Variables are named (SELF, KERNEL, MYNATION and MAP are 0..3, declarations follow in the
// order of the list) or given as #N for any index, -1 included. A value is an integer (an
// immediate) or VARIABLE.Property (read from the variable's object).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/datagen/Container.h"

namespace datagen {

struct CpcBlock {
    int32_t event = 1;
    std::vector<int32_t> words;
    std::optional<int32_t> declaredWords;  // a word count other than the words' (damaged streams)
};

struct CpcStream {
    std::vector<CpcBlock> blocks;
    std::string signature = "_CPC";
    std::optional<int32_t> declaredBlocks;  // a block count other than the blocks' (damaged streams)
};

std::string WriteCpc(const CpcStream& stream);

// Appends a string operand: the length word, then the bytes four to a word, low byte first.
void AppendStringOperand(std::vector<int32_t>& words, std::string_view text);

// The blocks of a command list; a line it cannot read raises EConvertError naming the line.
std::vector<CpcBlock> AssembleCpc(std::string_view source);
// The stream of a command list.
std::string AssembleCpcStream(std::string_view source);

// The event table's position of a name (1..13), or 0.
int32_t CpcEventIndex(std::string_view name);

// The "Code_Unit" section: one entry per (key, stream).
ContainerSection CodeUnitSection(const std::vector<std::pair<std::string, std::string>>& scripts);

}  // namespace datagen
