// Which vector instructions the processor has, for code that chooses its routine once.
#pragma once

namespace rtl {

// AVX2; safe to ask before the program's constructors have run.
inline bool HasAvx2() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

}  // namespace rtl
