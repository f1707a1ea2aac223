# Libraries each benchmark program links, by target name.
set(BENCH_DEPS_bench_mixer platform_audio PkgConfig::SDL2)
