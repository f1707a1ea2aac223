# Libraries each benchmark program links, by target name.
set(BENCH_DEPS_bench_mixer platform_audio PkgConfig::SDL2)
set(BENCH_DEPS_bench_pixel media PkgConfig::PIXMAN PkgConfig::SDL2)
set(BENCH_DEPS_bench_imaging media datagen)
set(BENCH_DEPS_bench_frame media PkgConfig::SDL2)
set(BENCH_DEPS_bench_tick engine media datagen)
set(BENCH_DEPS_bench_latency platform_audio platform_midi datagen)
set(BENCH_DEPS_bench_present media PkgConfig::SDL2)
set(BENCH_DEPS_bench_menu engine media datagen)
