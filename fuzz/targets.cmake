# Libraries each fuzz target links, by target name (without the fuzz_ prefix).
set(FUZZ_DEPS_registry_file platform_registry rtl)
set(FUZZ_DEPS_http_reply internet)
set(FUZZ_DEPS_stored_lists internet)
set(FUZZ_DEPS_midi_file rtl platform_midi)
set(FUZZ_DEPS_texts rtl media engine)
