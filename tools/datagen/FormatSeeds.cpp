// Seeds for the format-text fuzz target: the forms the game's texts use.
#include "tools/datagen/Seeds.h"

namespace {
const datagen::SeedWriter seeds("fuzz_format", [](const datagen::SeedSink& put) {
    put("plain", "Level %d of %s");
    put("widths", "%-8s|%5.2f|%.4d|%x");
    put("indexes", "%1:s %0:s %s %*d");
    put("reals", "%e %g %n %m %.18e");
    put("log", "Class %S with message '%S'.");
    put("pointer", "%p %u %%");
});
}  // namespace
