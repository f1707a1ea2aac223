# Libraries each fuzz target links, by target name (without the fuzz_ prefix).
set(FUZZ_DEPS_container engine media rtl)
set(FUZZ_DEPS_datastream engine media rtl)
set(FUZZ_DEPS_bmp media rtl)
set(FUZZ_DEPS_jpeg media rtl)
set(FUZZ_DEPS_wave media rtl)
set(FUZZ_DEPS_texts rtl media engine)
