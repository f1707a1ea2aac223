#include "platform/display/Widen.h"

#include "rtl/Simd.h"

#if defined(__x86_64__) && defined(__SSE2__)
#include <immintrin.h>
#define SPRALLION_WIDEN_X86 1
#endif

namespace platform::display {

namespace {

void WidenScalar(const uint16_t* source, uint32_t* dest, int32_t count) {
    for (int32_t x = 0; x < count; ++x) dest[x] = Widen(source[x]);
}

#if SPRALLION_WIDEN_X86
// Each channel stays in place in its 16-bit lane and widens by a multiply: the high half of
// (r << 11) * 264 is r * 33 >> 2, that of (g << 5) * 8320 is g * 65 >> 4, and blue's b * 33
// fits the low half. Green and blue then pair up in one word, red and the opaque alpha in the
// other, and the two interleave into pixels.
void WidenSse2(const uint16_t* source, uint32_t* dest, int32_t count) {
    const __m128i redMask = _mm_set1_epi16(int16_t(0xF800)), greenMask = _mm_set1_epi16(0x07E0),
                  blueMask = _mm_set1_epi16(0x1F), alpha = _mm_set1_epi16(int16_t(0xFF00));
    int32_t x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
        const __m128i r = _mm_or_si128(_mm_mulhi_epu16(_mm_and_si128(v, redMask), _mm_set1_epi16(264)), alpha);
        const __m128i g = _mm_mulhi_epu16(_mm_and_si128(v, greenMask), _mm_set1_epi16(8320));
        const __m128i b = _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(v, blueMask), _mm_set1_epi16(33)), 2);
        const __m128i gb = _mm_or_si128(_mm_slli_epi16(g, 8), b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + x), _mm_unpacklo_epi16(gb, r));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + x + 4), _mm_unpackhi_epi16(gb, r));
    }
    WidenScalar(source + x, dest + x, count - x);
}

// The same sixteen pixels at a time.
__attribute__((target("avx2"))) void WidenAvx2(const uint16_t* source, uint32_t* dest, int32_t count) {
    const __m256i redMask = _mm256_set1_epi16(int16_t(0xF800)), greenMask = _mm256_set1_epi16(0x07E0),
                  blueMask = _mm256_set1_epi16(0x1F), alpha = _mm256_set1_epi16(int16_t(0xFF00));
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        // The middle quarters swap places, so that unpacking within each half keeps the order.
        const __m256i v =
            _mm256_permute4x64_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + x)), 0xD8);
        const __m256i r = _mm256_or_si256(_mm256_mulhi_epu16(_mm256_and_si256(v, redMask), _mm256_set1_epi16(264)), alpha);
        const __m256i g = _mm256_mulhi_epu16(_mm256_and_si256(v, greenMask), _mm256_set1_epi16(8320));
        const __m256i b = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(v, blueMask), _mm256_set1_epi16(33)), 2);
        const __m256i gb = _mm256_or_si256(_mm256_slli_epi16(g, 8), b);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + x), _mm256_unpacklo_epi16(gb, r));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + x + 8), _mm256_unpackhi_epi16(gb, r));
    }
    WidenSse2(source + x, dest + x, count - x);
}
#endif

}  // namespace

void WidenRow(const uint16_t* source, uint32_t* dest, int32_t count) {
#if SPRALLION_WIDEN_X86
    static const auto widen = rtl::HasAvx2() ? WidenAvx2 : WidenSse2;
#else
    static const auto widen = WidenScalar;
#endif
    widen(source, dest, count);
}

}  // namespace platform::display
