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
#include <vector>

namespace datagen {

// Receives one seed: a file name and its bytes.
using SeedSink = std::function<void(const std::string& name, std::string_view bytes)>;
using SeedFunction = std::function<void(const SeedSink&)>;

struct SeedWriter {
    SeedWriter(std::string target, SeedFunction write);
};

// The seed function registered for a target, or nullptr.
const SeedFunction* FindSeedWriter(const std::string& target);
std::vector<std::string> SeedTargets();

}  // namespace datagen
