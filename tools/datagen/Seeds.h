// Registry of fuzz seed writers: each writer file registers the corpus of one fuzz target.
//
//   static const datagen::SeedWriter seeds("fuzz_format", [](const datagen::SeedSink& put) {
//       put("plain", "Hello %s");
//   });
//
// `datagen seeds fuzz_format DIR` then writes every seed of that target into DIR. Several
// writers may register for one target; all their seeds are written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace datagen {

// Receives one seed: a file name and its bytes.
using SeedSink = std::function<void(const std::string& name, std::string_view bytes)>;
using SeedFunction = std::function<void(const SeedSink&)>;

struct SeedWriter {
    SeedWriter(std::string target, SeedFunction write);
};

// The input of a target that spells container entries (fuzz/FuzzInput.h): per entry the index
// of its name in `names` as a byte, a 16-bit little-endian length and the bytes.
std::string EntriesInput(const std::vector<std::pair<std::string, std::string>>& entries,
                         const std::vector<std::string>& names);

// The seed function registered for a target, or nullptr.
const SeedFunction* FindSeedWriter(const std::string& target);
std::vector<std::string> SeedTargets();

}  // namespace datagen
