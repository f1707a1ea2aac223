# Libraries each fuzz target links, by target name (without the fuzz_ prefix).
set(FUZZ_DEPS_texts rtl media engine)
