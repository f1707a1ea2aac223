#include "platform/ddraw/KeyedRow.h"

#include "rtl/Simd.h"

#if defined(__x86_64__) && defined(__SSE2__)
#include <immintrin.h>
#define SPRALLION_KEYED_X86 1
#endif

namespace platform::ddraw {

namespace {

void CopyScalar(uint16_t* dest, const uint16_t* source, int32_t count, uint16_t key) {
    for (int32_t i = 0; i < count; ++i)
        if (source[i] != key) dest[i] = source[i];
}

#if SPRALLION_KEYED_X86
// Where a lane equals the key the destination's pixel stays, elsewhere the source's goes in.
void CopySse2(uint16_t* dest, const uint16_t* source, int32_t count, uint16_t key) {
    const __m128i k = _mm_set1_epi16(int16_t(key));
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i keep = _mm_cmpeq_epi16(s, k);
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, s)));
    }
    CopyScalar(dest + i, source + i, count - i, key);
}

__attribute__((target("avx2"))) void CopyAvx2(uint16_t* dest, const uint16_t* source, int32_t count, uint16_t key) {
    const __m256i k = _mm256_set1_epi16(int16_t(key));
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dest + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), _mm256_blendv_epi8(s, d, _mm256_cmpeq_epi16(s, k)));
    }
    CopySse2(dest + i, source + i, count - i, key);
}
#endif

}  // namespace

void CopyKeyedRow16(uint16_t* dest, const uint16_t* source, int32_t count, uint16_t key) {
#if SPRALLION_KEYED_X86
    static const auto copy = rtl::HasAvx2() ? CopyAvx2 : CopySse2;
#else
    static const auto copy = CopyScalar;
#endif
    copy(dest, source, count, key);
}

}  // namespace platform::ddraw
