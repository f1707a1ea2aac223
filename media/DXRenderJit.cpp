// The code generator: writes an x86-64 routine for the compiled tree into the
// machine's routine cache. Formats, masks, keys, the pitches of stepped rows and
// the special steps are immediates; values that change from draw to draw (defaults
// such as alpha, other steps, register values, the pitch of a fixed row) are read
// from the machine on every run, so one routine serves them all. Constants of the
// SIMD loop sit behind the routine's code. The routine writes nothing into the
// machine at compile time: everything it expects there it sets up when it starts.
//
// Register use inside a routine:
//   rbx  the machine          rdi  destination pixel      rsi  pixels left
//   r12d/r13  first cached unit: U and V (or its fixed row address)
//   r14d/r15  second cached unit
//   r11  SatAddTable          r10  SatSubTable entry 0     xmm7 0xFF00 in every word
//   rax, rcx, rdx, r8, r9, rbp, xmm0, xmm1: scratch
#include "media/DXRenderJit.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <type_traits>
#include <utility>
#include <vector>

#include "media/DXRenderPipeline.h"

#if defined(__x86_64__)
#define XBYAK_NO_OP_NAMES
#include <xbyak/xbyak.h>
#endif

namespace media {

namespace {
void logOnce(const char* line) {
    static bool said = false;
    if (said) return;
    said = true;
    std::fprintf(stderr, "%s\n", line);
}
}  // namespace

bool CodeGenerationAvailable() {
#if defined(__x86_64__)
    static const bool available = [] {
        const char* v = std::getenv("SPRALLION_PIXEL_JIT");
        if (v && std::strcmp(v, "0") == 0) return false;
        // Probe once: can a page be mapped writable and then switched to executable?
        void* p = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        bool ok = p != MAP_FAILED;
        if (ok) {
            ok = mprotect(p, 4096, PROT_READ | PROT_EXEC) == 0;
            munmap(p, 4096);
        }
        if (!ok) logOnce("Pixel pipeline: executable memory refused, the interpreter draws instead");
        return ok;
    }();
    return available;
#else
    static const bool said = (logOnce("Pixel pipeline: no code generator for this processor, the interpreter draws instead"), true);
    (void)said;
    return false;
#endif
}

#if defined(__x86_64__)

using namespace Xbyak;
using namespace Xbyak::util;

// Where an operand's colour is: a TDXRColor at [rbx + Offset]; channels in
// ConstMask are known at compile time (and also present in memory).
namespace {
// Steps that are compiled in as immediates (and so are part of the routine's key);
// other fixed steps are read from the machine.
bool ImmediateStep(int32_t step) { return step == 0 || step == 0x10000 || step == 0x8000; }

struct Operand {
    int32_t Offset = 0;
    uint8_t ConstMask = 0;
    uint8_t Const[4] = {};
};
}  // namespace

class TDXRRoutineEmitter : public CodeGenerator {
public:
    explicit TDXRRoutineEmitter(TDXRMachine& m, uint8_t* buffer, std::size_t size, bool simd)
        : CodeGenerator(size, buffer), m_(m), simd_(simd) {}

    void build();
    bool usedSimd() const { return usedSimd_; }

private:
    int32_t off(const void* p) const {
        return static_cast<int32_t>(reinterpret_cast<const char*>(p) - reinterpret_cast<const char*>(&m_));
    }
    Address at(const void* p, int extra = 0) { return ptr[rbx + off(p) + extra]; }
    Address byteOf(const Operand& o, int c) { return byte[rbx + o.Offset + 2 * c + 1]; }

    void loadChannel(const Reg32& r, const Operand& o, int c) {
        if (o.ConstMask & (1 << c)) mov(r, o.Const[c]);
        else movzx(r, byteOf(o, c));
    }
    Operand slot() {
        Operand o;
        o.Offset = off(&m_.temps_[nextSlot_++]);
        return o;
    }

    void prologue();
    void epilogue();
    void fetchTexel(int unit, bool nextColumn, bool nextRow);
    void keyTest(int unit);
    void unpackTexel(int unit, uint8_t fetched, const Operand& to);
    void unpackRGB(const TDXRSurface& s, uint8_t channels, const Operand& to);
    Operand evaluate(const TDXRNode* n);
    Operand texture(const TDXRNode* n);
    Operand destination(const TDXRNode* n);
    Operand blend(const TDXRNode* n);
    void simdLoad(const Xmm& x, const Operand& o, bool masked) {
        movq(x, qword[rbx + o.Offset]);
        if (masked) pand(x, xmm7);
    }
    void pack(const Operand& v, uint8_t mask, bool dither);  // into edx
    void store(const Reg32& r);
    void advance();
    bool vectorPossible() const;
    void vectorLoop(Label& exit);
    Address vconst(uint16_t value);
    Address vdefault(int unit, int c);
    void vectorUnpack(const Xmm& to, const Xmm& from, const TDXRChannel& ch);
    void setup();
    void constantPool();

    TDXRMachine& m_;
    bool simd_;
    // Word constants of the SIMD loop, eight of each, emitted behind the code.
    std::map<uint16_t, Label> constants_;
    // Slots the routine fills when it starts: a unit's defaults (unit >= 0) or zero.
    std::vector<std::pair<int32_t, int>> slotInits_;
    // Channels whose defaults the SIMD loop wants broadcast, by unit (one unit only).
    uint8_t vectorDefaults_ = 0;
    int vectorUnit_ = 0;
    Label setup_, body_;
    bool usedSimd_ = false;
    int nextSlot_ = 0;
    int cacheOf_[TDXRMachine::UnitCount];  // -1: coordinates stay in the unit
    bool rowFixed_[TDXRMachine::UnitCount] = {};
    Label advance_;
    int destBytes_ = 0;
};

static const Reg32& cachedU(int k) { return k == 0 ? r12d : r14d; }
static const Reg64& cachedV64(int k) { return k == 0 ? r13 : r15; }
static const Reg32& cachedV(int k) { return k == 0 ? r13d : r15d; }

void TDXRRoutineEmitter::prologue() {
    push(rbx);
    push(rbp);
    push(r12);
    push(r13);
    push(r14);
    push(r15);
    mov(rbx, rdi);
    // Destination address from the machine's X, Y.
    mov(rax, at(&m_.Dest));
    mov(rdi, ptr[rax + offsetof(TDXRSurface, Bits)]);
    movsxd(rcx, dword[rax + offsetof(TDXRSurface, Pitch)]);
    movsxd(rdx, dword[at(&m_.Y).getRegExp()]);
    imul(rcx, rdx);
    add(rdi, rcx);
    movsxd(rdx, dword[at(&m_.X).getRegExp()]);
    imul(rdx, rdx, destBytes_);
    add(rdi, rdx);
    mov(r11, reinterpret_cast<uint64_t>(SatAddTable));
    mov(r10, reinterpret_cast<uint64_t>(SatSubZero()));
    if (simd_) {
        mov(rax, 0xFF00FF00FF00FF00ull);
        movq(xmm7, rax);
    }
    // Coordinates of the first two used units live in registers; a unit whose row
    // cannot change within a run gets its row address computed here, once.
    int cached = 0;
    for (int k = 0; k < m_.usedUnitCount_; ++k) {
        const int i = m_.usedUnits_[k];
        const TDXRTextureUnit& u = m_.TextureUnits[i];
        cacheOf_[i] = -1;
        if (cached >= 2) continue;
        cacheOf_[i] = cached;
        mov(cachedU(cached), dword[at(&u.U).getRegExp()]);
        rowFixed_[i] = u.ConstSteps && m_.constDV_[i] == 0 && u.Filter != 1;
        if (rowFixed_[i]) {
            const TDXRSurface& s = *u.Surface;
            // The pitch is read here, once a run: surfaces of any width share the routine.
            mov(edx, dword[at(&u.V).getRegExp()]);
            shr(edx, 16);
            if (u.Addressing == dxraWrap) and_(edx, s.YMask);
            mov(r8, at(&u.Surface));
            movsxd(rax, dword[r8 + offsetof(TDXRSurface, Pitch)]);
            imul(rdx, rax);
            add(rdx, ptr[r8 + offsetof(TDXRSurface, Bits)]);
            mov(cachedV64(cached), rdx);
        } else {
            mov(cachedV(cached), dword[at(&u.V).getRegExp()]);
        }
        ++cached;
    }
}

void TDXRRoutineEmitter::epilogue() {
    for (int k = 0; k < m_.usedUnitCount_; ++k) {
        const int i = m_.usedUnits_[k];
        if (cacheOf_[i] < 0) continue;
        const TDXRTextureUnit& u = m_.TextureUnits[i];
        mov(dword[at(&u.U).getRegExp()], cachedU(cacheOf_[i]));
        if (!rowFixed_[i]) mov(dword[at(&u.V).getRegExp()], cachedV(cacheOf_[i]));
    }
    pop(r15);
    pop(r14);
    pop(r13);
    pop(r12);
    pop(rbp);
    pop(rbx);
    ret();
}

// Raw texel of `unit` at its coordinates (plus one column / row) into eax.
void TDXRRoutineEmitter::fetchTexel(int unit, bool nextColumn, bool nextRow) {
    const TDXRTextureUnit& u = m_.TextureUnits[unit];
    const TDXRSurface& s = *u.Surface;
    const int k = cacheOf_[unit];
    const bool wrap = u.Addressing == dxraWrap;
    if (k >= 0) mov(ecx, cachedU(k));
    else mov(ecx, dword[at(&u.U).getRegExp()]);
    if (nextColumn) add(ecx, 0x10000);
    shr(ecx, 16);
    if (wrap) and_(ecx, s.XMask);

    Reg64 row = rdx;
    if (k >= 0 && rowFixed_[unit]) {
        row = cachedV64(k);
    } else {
        if (k >= 0) mov(edx, cachedV(k));
        else mov(edx, dword[at(&u.V).getRegExp()]);
        if (nextRow) add(edx, 0x10000);
        shr(edx, 16);
        if (wrap) and_(edx, s.YMask);
        const int64_t absPitch = s.Pitch < 0 ? -static_cast<int64_t>(s.Pitch) : s.Pitch;
        if ((s.BitCount == 8 || s.BitCount == 16 || s.BitCount == 32) && absPitch == (int64_t{1} << s.PitchBit)) {
            if (s.PitchBit) shl(rdx, s.PitchBit);
            if (s.Pitch < 0) neg(rdx);
        } else {
            imul(rdx, rdx, s.Pitch);
        }
        mov(r8, at(&u.Surface));
        add(rdx, ptr[r8 + offsetof(TDXRSurface, Bits)]);
    }
    switch (s.BitCount) {
        case 1:
        case 2:
        case 4: {
            const int per = 8 / s.BitCount;  // pixels per byte, leftmost in the high bits
            const int log = per == 8 ? 3 : per == 4 ? 2 : 1;
            mov(eax, ecx);
            shr(eax, log);
            movzx(eax, byte[row + rax]);
            and_(ecx, per - 1);
            if (s.BitCount > 1) imul(ecx, ecx, s.BitCount);
            neg(ecx);
            add(ecx, 8 - s.BitCount);
            shr(eax, cl);
            and_(eax, (1 << s.BitCount) - 1);
            break;
        }
        case 8: movzx(eax, byte[row + rcx]); break;
        case 16: movzx(eax, word[row + rcx * 2]); break;
        case 24:
            lea(rcx, ptr[rcx + rcx * 2]);
            movzx(eax, word[row + rcx]);
            movzx(ecx, byte[row + rcx + 2]);
            shl(ecx, 16);
            or_(eax, ecx);
            break;
        default: mov(eax, dword[row + rcx * 4]); break;
    }
}

void TDXRRoutineEmitter::keyTest(int unit) {
    const TDXRTextureUnit& u = m_.TextureUnits[unit];
    if (!u.ColorKeyOn) return;
    const uint32_t mask = ColorKeyMask(*u.Surface);
    if (mask == 0xFFFFFFFFu) {
        cmp(eax, static_cast<int32_t>(u.ColorKey));
    } else {
        mov(ecx, eax);
        and_(ecx, static_cast<int32_t>(mask));
        cmp(ecx, static_cast<int32_t>(u.ColorKey));
    }
    je(advance_, T_NEAR);
}

void TDXRRoutineEmitter::unpackRGB(const TDXRSurface& s, uint8_t channels, const Operand& to) {
    for (int c = 0; c < 4; ++c) {
        if (!(channels & (1 << c))) continue;
        const TDXRChannel& ch = ChannelRecord(s, c);
        mov(ecx, eax);
        and_(ecx, static_cast<int32_t>(ch.Mask));
        if (ch.Shift) shr(ecx, static_cast<int>(ch.Shift));
        if (ch.LeftShift) shl(ecx, static_cast<int>(ch.LeftShift));
        mov(byteOf(to, c), cl);
    }
}

void TDXRRoutineEmitter::unpackTexel(int unit, uint8_t fetched, const Operand& to) {
    const TDXRTextureUnit& u = m_.TextureUnits[unit];
    const TDXRSurface& s = *u.Surface;
    if (s.Kind == dxrkRGB) {
        unpackRGB(s, fetched, to);
        return;
    }
    if (fetched & dxrColorChannels) {
        mov(ecx, eax);
        and_(ecx, static_cast<int32_t>(s.Indexed.Index.Mask));
        if (s.Indexed.Index.Shift) shr(ecx, static_cast<int>(s.Indexed.Index.Shift));
        mov(r8, at(&u.Surface));
        lea(r8, ptr[r8 + rcx * 4 + offsetof(TDXRSurface, Indexed.Palette)]);
        for (int c = 0; c < 3; ++c) {
            mov(cl, byte[r8 + c]);
            mov(byteOf(to, c), cl);
        }
    }
    if (fetched & dxrAlpha) {
        const TDXRChannel& ch = s.Indexed.Alpha;
        mov(ecx, eax);
        and_(ecx, static_cast<int32_t>(ch.Mask));
        if (ch.Shift) shr(ecx, static_cast<int>(ch.Shift));
        if (ch.LeftShift) shl(ecx, static_cast<int>(ch.LeftShift));
        mov(byteOf(to, dxrcAlpha), cl);
    }
}

Operand TDXRRoutineEmitter::texture(const TDXRNode* n) {
    const TDXRTextureUnit& u = m_.TextureUnits[n->Unit];
    Operand o = slot();
    // Channels the unit does not deliver are its defaults, copied into the slot when
    // the routine starts (they differ from draw to draw: alpha is one of them).
    slotInits_.emplace_back(o.Offset, n->Unit);
    const uint8_t fetched = u.Used ? static_cast<uint8_t>(n->Channels & SurfaceChannelSet(*u.Surface)) : 0;
    if (!fetched) return o;

    fetchTexel(n->Unit, false, false);
    keyTest(n->Unit);
    if (u.Filter != 1) {
        unpackTexel(n->Unit, fetched, o);
        return o;
    }
    // Bilinear: the four neighbours, weighted by the fractions of U and V.
    Operand t00, t10, t11, t01;
    t00.Offset = off(&m_.filterTexels_[0]);
    t10.Offset = off(&m_.filterTexels_[1]);
    t11.Offset = off(&m_.filterTexels_[2]);
    t01.Offset = off(&m_.filterTexels_[3]);
    unpackTexel(n->Unit, fetched, t00);
    fetchTexel(n->Unit, true, false);
    unpackTexel(n->Unit, fetched, t10);
    fetchTexel(n->Unit, true, true);
    unpackTexel(n->Unit, fetched, t11);
    fetchTexel(n->Unit, false, true);
    unpackTexel(n->Unit, fetched, t01);
    const int k = cacheOf_[n->Unit];
    if (k >= 0) {
        mov(r9d, cachedU(k));
        mov(ebp, cachedV(k));
    } else {
        mov(r9d, dword[at(&u.U).getRegExp()]);
        mov(ebp, dword[at(&u.V).getRegExp()]);
    }
    shr(r9d, 8);
    and_(r9d, 0xFF);  // fu
    shr(ebp, 8);
    and_(ebp, 0xFF);  // fv
    mov(r8d, 255);
    sub(r8d, r9d);  // 255 - fu
    for (int c = 0; c < 4; ++c) {
        if (!(fetched & (1 << c))) continue;
        movzx(eax, byteOf(t10, c));
        imul(eax, r9d);
        movzx(ecx, byteOf(t00, c));
        imul(ecx, r8d);
        add(eax, ecx);  // top
        movzx(edx, byteOf(t11, c));
        imul(edx, r9d);
        movzx(ecx, byteOf(t01, c));
        imul(ecx, r8d);
        add(edx, ecx);  // bottom
        imul(edx, ebp);
        mov(ecx, 255);
        sub(ecx, ebp);
        imul(eax, ecx);
        add(eax, edx);
        shr(eax, 16);
        mov(byteOf(o, c), al);
    }
    return o;
}

Operand TDXRRoutineEmitter::destination(const TDXRNode* n) {
    const TDXRSurface& d = *m_.Dest;
    Operand o = slot();
    slotInits_.emplace_back(o.Offset, -1);
    const uint8_t has = n->Channels & SurfaceChannelSet(d);
    o.ConstMask = static_cast<uint8_t>(~has & 15);  // channels the destination lacks read as 0
    switch (d.BitCount) {
        case 8: movzx(eax, byte[rdi]); break;
        case 16: movzx(eax, word[rdi]); break;
        case 24:
            movzx(eax, word[rdi]);
            movzx(ecx, byte[rdi + 2]);
            shl(ecx, 16);
            or_(eax, ecx);
            break;
        default: mov(eax, dword[rdi]); break;
    }
    unpackRGB(d, has, o);
    return o;
}

Operand TDXRRoutineEmitter::evaluate(const TDXRNode* n) {
    Operand o;
    switch (n->Kind) {
        case dxrnkZero:
            o.Offset = off(&m_.zeroColor_);
            o.ConstMask = 15;
            return o;
        case dxrnkRegister:
            o.Offset = off(&m_.ColorRegisters[n->Register].Value);
            return o;
        case dxrnkColor:
            o.Offset = off(&n->Color);
            o.ConstMask = 15;
            for (int c = 0; c < 4; ++c) o.Const[c] = static_cast<uint8_t>(n->Color.Words[c] >> 8);
            return o;
        case dxrnkTexture: return texture(n);
        case dxrnkDest: return destination(n);
        default: return blend(n);
    }
}

Operand TDXRRoutineEmitter::blend(const TDXRNode* n) {
    Operand t = slot();
    // An operand that asks nothing is not evaluated: it reads as zero.
    auto operand = [&](const TDXRNode* x) {
        if (x && x->Channels) return evaluate(x);
        Operand z;
        z.Offset = off(&m_.zeroColor_);
        z.ConstMask = 15;
        return z;
    };
    const Operand l = operand(n->Left);
    const Operand r = operand(n->Right);
    const uint8_t ch = n->Channels;
    const bool aConst = l.ConstMask & dxrAlpha;
    const int aValue = l.Const[dxrcAlpha];
    auto asked = [&](int c) { return (ch >> c) & 1; };
    auto storeByte = [&](int c) { mov(byteOf(t, c), al); };
    const Address whole = qword[rbx + t.Offset];

    // The SIMD forms: whole colours at once.
    if (simd_) {
        switch (n->Op) {
            case 1:
            case 2:
                simdLoad(xmm0, n->Op == 1 ? l : r, false);
                movq(whole, xmm0);
                usedSimd_ = true;
                return t;
            case 12:
                simdLoad(xmm0, l, false);
                movq(whole, xmm0);
                if (asked(dxrcAlpha)) {
                    loadChannel(eax, r, dxrcAlpha);
                    storeByte(dxrcAlpha);
                }
                usedSimd_ = true;
                return t;
            case 3:
            case 4:
            case 5:
            case 6:
            case 14:
                simdLoad(xmm0, n->Op == 5 ? r : l, true);
                simdLoad(xmm1, n->Op == 5 ? l : r, true);
                if (n->Op == 3 || n->Op == 14) paddusw(xmm0, xmm1);
                else if (n->Op == 6) {
                    psrlw(xmm0, 1);
                    psrlw(xmm1, 1);
                    pmulhuw(xmm0, xmm1);
                    psllw(xmm0, 2);
                } else psubusw(xmm0, xmm1);
                movq(whole, xmm0);
                if (n->Op == 14 && asked(dxrcAlpha)) {
                    loadChannel(eax, r, dxrcAlpha);
                    storeByte(dxrcAlpha);
                }
                usedSimd_ = true;
                return t;
            default: break;
        }
    }

    switch (n->Op) {
        case 0: mov(whole, 0); return t;
        case 1:
        case 2:
            mov(rax, qword[rbx + (n->Op == 1 ? l : r).Offset]);
            mov(whole, rax);
            return t;
        default: break;
    }

    // The weights of 7..11: a in r9d, 255 - a in r8d (or immediates).
    const bool weighted = n->Op >= 7 && n->Op <= 11;
    if (weighted && !aConst) {
        loadChannel(r9d, l, dxrcAlpha);
        mov(r8d, 255);
        sub(r8d, r9d);
    }
    // Multiplies `reg` by a (inverse: by 255 - a).
    auto mulWeight = [&](const Reg32& reg, bool inverse) {
        if (aConst) imul(reg, reg, inverse ? 255 - aValue : aValue);
        else imul(reg, inverse ? r8d : r9d);
    };

    if (n->Op == 7 || n->Op == 10 || n->Op == 11) {
        const bool inv = n->Op == 11;
        for (int first = 0; first < 4; first += 2) {
            const bool pair = asked(first) && asked(first + 1);
            if (pair) {
                // Both channels in one 32-bit multiply: the words never carry into each other.
                loadChannel(eax, l, first + 1);
                shl(eax, 16);
                loadChannel(ecx, l, first);
                or_(eax, ecx);
                mulWeight(eax, inv);
                if (n->Op != 7) {
                    loadChannel(ecx, r, first + 1);
                    shl(ecx, 16);
                    loadChannel(edx, r, first);
                    or_(ecx, edx);
                    mulWeight(ecx, !inv);
                    add(eax, ecx);
                }
                mov(dword[rbx + t.Offset + 2 * first], eax);
                continue;
            }
            for (int c = first; c < first + 2; ++c) {
                if (!asked(c)) continue;
                loadChannel(eax, l, c);
                if (n->Op == 7) {
                    mulWeight(eax, false);
                    shr(eax, 8);
                } else {
                    loadChannel(ecx, r, c);
                    sub(eax, ecx);
                    mulWeight(eax, inv);
                    sar(eax, 8);
                    add(eax, ecx);
                }
                storeByte(c);
            }
        }
        return t;
    }

    for (int c = 0; c < 4; ++c) {
        if (!asked(c)) continue;
        const bool alpha = c == dxrcAlpha;
        switch (n->Op) {
            case 3:
            case 14:
                if (n->Op == 14 && alpha) {
                    loadChannel(eax, r, c);
                    break;
                }
                loadChannel(eax, l, c);
                loadChannel(ecx, r, c);
                add(eax, ecx);
                movzx(eax, byte[r11 + rax]);
                break;
            case 4:
            case 5:
                loadChannel(eax, n->Op == 4 ? l : r, c);
                loadChannel(ecx, n->Op == 4 ? r : l, c);
                sub(eax, ecx);
                movsxd(rax, eax);
                movzx(eax, byte[r10 + rax]);
                break;
            case 6:
            case 13:
                if (n->Op == 13 && alpha) {
                    loadChannel(eax, l, c);
                    break;
                }
                loadChannel(eax, l, c);
                loadChannel(ecx, r, c);
                imul(eax, ecx);
                shr(eax, 8);
                break;
            case 8:
            case 9:
                loadChannel(eax, l, c);
                mulWeight(eax, false);
                shr(eax, 8);
                loadChannel(ecx, r, c);
                if (n->Op == 8) {
                    add(eax, ecx);
                    movzx(eax, byte[r11 + rax]);
                } else {
                    sub(ecx, eax);
                    movsxd(rax, ecx);
                    movzx(eax, byte[r10 + rax]);
                }
                break;
            case 12: loadChannel(eax, alpha ? r : l, c); break;
            default: break;
        }
        storeByte(c);
    }
    return t;
}

// Packs the operand's channels in `mask` into edx (ordered dither when asked).
void TDXRRoutineEmitter::pack(const Operand& v, uint8_t mask, bool dither) {
    const TDXRSurface& d = *m_.Dest;
    xor_(edx, edx);
    if (dither) {
        mov(r9d, dword[at(&m_.X).getRegExp()]);
        and_(r9d, 1);
        add(r9d, r9d);
        mov(eax, dword[at(&m_.Y).getRegExp()]);
        and_(eax, 1);
        or_(r9d, eax);
    }
    for (int c = 0; c < 4; ++c) {
        const TDXRChannel& ch = ChannelRecord(d, c);
        if (!(mask & (1 << c)) || ch.Mask == 0) continue;
        loadChannel(eax, v, c);
        if (dither && ch.BitCount < 7) {
            mov(ecx, eax);
            shr(ecx, static_cast<int>(6 - ch.BitCount));
            and_(ecx, 3);
            lea(ecx, ptr[r9 + rcx * 4]);
            mov(r8d, dxrDitherBits);
            bt(r8d, ecx);
            setc(cl);
            movzx(ecx, cl);
            shl(ecx, static_cast<int>(8 - ch.BitCount));
            add(eax, ecx);
            mov(ecx, 255);
            cmp(eax, ecx);
            cmova(eax, ecx);
        }
        if (ch.Shift) shl(eax, static_cast<int>(ch.Shift));
        else if (ch.LeftShift) shr(eax, static_cast<int>(ch.LeftShift));
        and_(eax, static_cast<int32_t>(ch.Mask));
        or_(edx, eax);
    }
}

void TDXRRoutineEmitter::store(const Reg32& r) {
    switch (m_.Dest->BitCount) {
        case 8: mov(byte[rdi], r.cvt8()); break;
        case 16: mov(word[rdi], r.cvt16()); break;
        case 24:
            mov(word[rdi], r.cvt16());
            shr(r, 16);
            mov(byte[rdi + 2], r.cvt8());
            break;
        default: mov(dword[rdi], r); break;
    }
}

void TDXRRoutineEmitter::advance() {
    if (m_.ditherCompiled_) inc(dword[at(&m_.X).getRegExp()]);
    for (int k = 0; k < m_.usedRegisterCount_; ++k) {
        const TDXRColorRegister& r = m_.ColorRegisters[m_.usedRegisters_[k]];
        if (!r.Gradient) continue;
        if (simd_) {
            movq(xmm0, qword[at(&r.Value).getRegExp()]);
            movq(xmm1, qword[at(&r.Step).getRegExp()]);
            paddw(xmm0, xmm1);
            movq(qword[at(&r.Value).getRegExp()], xmm0);
            usedSimd_ = true;
        } else {
            for (int c = 0; c < 4; ++c) {
                mov(ax, word[at(&r.Step, 2 * c).getRegExp()]);
                add(word[at(&r.Value, 2 * c).getRegExp()], ax);
            }
        }
    }
    for (int k = 0; k < m_.usedUnitCount_; ++k) {
        const int i = m_.usedUnits_[k];
        const TDXRTextureUnit& u = m_.TextureUnits[i];
        const int c = cacheOf_[i];
        if (u.ConstSteps) {
            // Steps fixed at compile time: the usual ones as immediates, any other read
            // from the copy Compile made, so that a zoom does not make new routines.
            const int32_t* copies[2] = {&m_.constDU_[i], &m_.constDV_[i]};
            const int32_t* fields[2] = {&u.U, &u.V};
            for (int axis = 0; axis < 2; ++axis) {
                const int32_t step = *copies[axis];
                if (step == 0) continue;
                if (c >= 0) {
                    const Reg32& reg = axis == 0 ? cachedU(c) : cachedV(c);
                    if (ImmediateStep(step)) add(reg, step);
                    else add(reg, dword[at(copies[axis]).getRegExp()]);
                } else if (ImmediateStep(step)) {
                    add(dword[at(fields[axis]).getRegExp()], step);
                } else {
                    mov(eax, dword[at(copies[axis]).getRegExp()]);
                    add(dword[at(fields[axis]).getRegExp()], eax);
                }
            }
        } else if (c >= 0) {
            add(cachedU(c), dword[at(&u.DU).getRegExp()]);
            add(cachedV(c), dword[at(&u.DV).getRegExp()]);
        } else if (simd_) {
            movq(xmm0, qword[at(&u.U).getRegExp()]);
            movq(xmm1, qword[at(&u.DU).getRegExp()]);
            paddd(xmm0, xmm1);
            movq(qword[at(&u.U).getRegExp()], xmm0);
            usedSimd_ = true;
        } else {
            mov(eax, dword[at(&u.DU).getRegExp()]);
            add(dword[at(&u.U).getRegExp()], eax);
            mov(eax, dword[at(&u.DV).getRegExp()]);
            add(dword[at(&u.V).getRegExp()], eax);
        }
    }
    add(rdi, destBytes_);
}


// The eight-pixel loop: 16-bit texels of one unit (a fixed row, steps fixed at compile
// time) copied raw, or blended by operation 10 with a 16-bit destination. It computes
// exactly what the pixel step computes; keyed lanes write back the destination's own
// value. The pixels left over go through the pixel step.
bool TDXRRoutineEmitter::vectorPossible() const {
    if (!simd_ || m_.ditherCompiled_ || m_.usedUnitCount_ != 1 || m_.usedRegisterCount_ != 0) return false;
    if (m_.root_->Channels == 0) return false;  // nothing is evaluated, not even a key
    if (m_.Dest->BitCount != 16 || m_.Dest->Kind != dxrkRGB) return false;
    const TDXRNode* root = m_.root_;
    const TDXRNode* tex = nullptr;
    if (m_.form_ == TDXRMachine::TForm::DirectCopy) {
        tex = root;
    } else if (m_.form_ == TDXRMachine::TForm::General && root->Kind == dxrnkBlend && root->Op == 10 &&
               root->Left->Kind == dxrnkTexture && root->Right && root->Right->Kind == dxrnkDest) {
        tex = root->Left;
    } else {
        return false;
    }
    const int i = tex->Unit;
    const TDXRTextureUnit& u = m_.TextureUnits[i];
    if (!u.Used || !rowFixed_[i] || cacheOf_[i] != 0 || u.Filter == 1) return false;
    // A plain gather copies no faster than the pixel step.
    const int32_t du = m_.constDU_[i];
    if (m_.form_ == TDXRMachine::TForm::DirectCopy && !u.ColorKeyOn &&
        !(u.Addressing == dxraPlain && (du == 0x10000 || du == 0x8000)))
        return false;
    return u.Surface->BitCount == 16 && (m_.form_ == TDXRMachine::TForm::DirectCopy || u.Surface->Kind == dxrkRGB);
}

// A word constant in all eight lanes, from the pool behind the code.
Address TDXRRoutineEmitter::vconst(uint16_t value) { return ptr[rip + constants_[value]]; }

// A unit's default of channel c in all eight lanes: broadcast by the routine's setup.
Address TDXRRoutineEmitter::vdefault(int unit, int c) {
    vectorUnit_ = unit;
    vectorDefaults_ |= static_cast<uint8_t>(1 << c);
    return ptr[rbx + off(m_.vectorDefaults_[c])];
}

void TDXRRoutineEmitter::constantPool() {
    if (constants_.empty()) return;
    align(16);
    for (auto& [value, label] : constants_) {
        L(label);
        for (int k = 0; k < 8; ++k) dw(value);
    }
}

// Run once at the start of every run: fills the slots whose contents the code takes
// as given (defaults, zeros) and broadcasts the defaults the SIMD loop reads.
void TDXRRoutineEmitter::setup() {
    L(setup_);
    for (const auto& [slotOffset, unit] : slotInits_) {
        if (unit < 0) {
            mov(qword[rbx + slotOffset], 0);
        } else {
            mov(rax, qword[at(&m_.constDefaults_[unit]).getRegExp()]);
            mov(qword[rbx + slotOffset], rax);
        }
    }
    for (int c = 0; c < 4; ++c) {
        if (!((vectorDefaults_ >> c) & 1)) continue;
        movzx(eax, byte[at(&m_.constDefaults_[vectorUnit_].Words[c], 1).getRegExp()]);
        movd(xmm0, eax);
        pshuflw(xmm0, xmm0, 0);
        punpcklqdq(xmm0, xmm0);
        movdqa(ptr[rbx + off(m_.vectorDefaults_[c])], xmm0);
    }
    jmp(body_, T_NEAR);
}

void TDXRRoutineEmitter::vectorUnpack(const Xmm& to, const Xmm& from, const TDXRChannel& ch) {
    movdqa(to, from);
    pand(to, vconst(static_cast<uint16_t>(ch.Mask)));
    if (ch.Shift) psrlw(to, static_cast<int>(ch.Shift));
    if (ch.LeftShift) {
        psllw(to, static_cast<int>(ch.LeftShift));
        pand(to, vconst(0x00FF));
    }
}

void TDXRRoutineEmitter::vectorLoop(Label& exit) {
    const TDXRNode* root = m_.root_;
    const bool copy = m_.form_ == TDXRMachine::TForm::DirectCopy;
    const TDXRNode* texNode = copy ? root : root->Left;
    const TDXRTextureUnit& u = m_.TextureUnits[texNode->Unit];
    const TDXRSurface& s = *u.Surface;
    const TDXRSurface& d = *m_.Dest;
    const int32_t du = m_.constDU_[texNode->Unit];
    const bool contiguous = du == 0x10000 && u.Addressing == dxraPlain;
    usedSimd_ = true;

    Label loop, tail;
    const uint8_t fetched = copy ? 0 : static_cast<uint8_t>(texNode->Channels & SurfaceChannelSet(s));
    const bool alphaFetched = fetched & dxrAlpha;
    // A constant alpha gives constant weights: a, 255 - a and a << 7 for the single form.
    auto weights = [&](const Xbyak::Operand& alpha) {
        movdqa(xmm2, alpha);
        movdqa(xmm3, vconst(255));
        psubw(xmm3, xmm2);
        movdqa(xmm4, xmm2);
        psllw(xmm4, 7);
    };
    if (!copy && !alphaFetched) weights(vdefault(texNode->Unit, dxrcAlpha));
    L(loop);
    cmp(rsi, 8);
    jl(tail, T_NEAR);
    // Eight texels into xmm0.
    if (contiguous) {
        mov(ecx, r12d);
        shr(ecx, 16);
        movdqu(xmm0, ptr[r13 + rcx * 2]);
        add(r12d, 8 * 0x10000);
    } else if (du == 0x8000 && u.Addressing == dxraPlain) {
        // Twofold magnification: four (or five) texels, each taken twice.
        Label late, done;
        mov(ecx, r12d);
        shr(ecx, 16);
        test(r12d, 0x8000);
        jnz(late, T_NEAR);
        movq(xmm0, qword[r13 + rcx * 2]);
        punpcklwd(xmm0, xmm0);
        jmp(done, T_NEAR);
        L(late);
        movq(xmm0, qword[r13 + rcx * 2 + 2]);
        punpcklwd(xmm0, xmm0);
        pslldq(xmm0, 2);
        movzx(eax, word[r13 + rcx * 2]);
        pinsrw(xmm0, eax, 0);
        L(done);
        add(r12d, 8 * 0x8000);
    } else {
        for (int k = 0; k < 8; ++k) {
            mov(ecx, r12d);
            shr(ecx, 16);
            if (u.Addressing == dxraWrap) and_(ecx, s.XMask);
            movzx(eax, word[r13 + rcx * 2]);
            pinsrw(xmm0, eax, k);
            if (du == 0) continue;
            if (ImmediateStep(du)) add(r12d, du);
            else add(r12d, dword[at(&m_.constDU_[texNode->Unit]).getRegExp()]);
        }
    }
    movdqu(xmm1, ptr[rdi]);
    // xmm5: lanes whose texel matches the key.
    const bool keyed = u.ColorKeyOn && u.ColorKey <= 0xFFFF;
    if (keyed) {
        movdqa(xmm5, xmm0);
        const uint32_t km = ColorKeyMask(s) & 0xFFFF;
        if (km != 0xFFFF) pand(xmm5, vconst(static_cast<uint16_t>(km)));
        pcmpeqw(xmm5, vconst(static_cast<uint16_t>(u.ColorKey)));
    }
    Xmm result = xmm0;
    if (!copy) {
        const uint8_t asked = root->Channels;
        const uint8_t destHas = root->Right->Channels & SurfaceChannelSet(d);
        const Xmm lv[4] = {xmm8, xmm9, xmm10, xmm11};
        const Xmm rv[4] = {xmm12, xmm13, xmm14, xmm15};
        for (int c = 0; c < 4; ++c) {
            const bool fetchedHere = (fetched >> c) & 1;
            if (!((asked >> c) & 1) && !(c == dxrcAlpha && fetchedHere)) continue;
            if (fetchedHere) vectorUnpack(lv[c], xmm0, ChannelRecord(s, c));
            else movdqa(lv[c], vdefault(texNode->Unit, c));
            if (!((asked >> c) & 1)) continue;
            if ((destHas >> c) & 1) vectorUnpack(rv[c], xmm1, ChannelRecord(d, c));
            else pxor(rv[c], rv[c]);
        }
        if (alphaFetched) weights(lv[dxrcAlpha]);
        pxor(xmm6, xmm6);
        for (int c = 0; c < 4; ++c) {
            if (!((asked >> c) & 1)) continue;
            const bool pair = c < 2 ? (asked & 3) == 3 : (asked & 12) == 12;
            if (pair) {
                pmullw(lv[c], xmm2);
                pmullw(rv[c], xmm3);
                paddw(lv[c], rv[c]);
                psrlw(lv[c], 8);
            } else {
                // r + floor((l - r) a / 256), as the high half of (2 (l - r)) (a << 7).
                psubw(lv[c], rv[c]);
                psllw(lv[c], 1);
                pmulhw(lv[c], xmm4);
                paddw(lv[c], rv[c]);
            }
            const TDXRChannel& ch = ChannelRecord(d, c);
            if (ch.Mask == 0) continue;
            if (ch.Shift) psllw(lv[c], static_cast<int>(ch.Shift));
            else if (ch.LeftShift) psrlw(lv[c], static_cast<int>(ch.LeftShift));
            pand(lv[c], vconst(static_cast<uint16_t>(ch.Mask)));
            por(xmm6, lv[c]);
        }
        result = xmm6;
    }
    if (keyed) {
        pand(xmm1, xmm5);
        pandn(xmm5, result);
        por(xmm5, xmm1);
        result = xmm5;
    }
    movdqu(ptr[rdi], result);
    add(rdi, 16);
    sub(rsi, 8);
    jmp(loop, T_NEAR);
    L(tail);
    test(rsi, rsi);
    jle(exit, T_NEAR);
}

void TDXRRoutineEmitter::build() {
    const TDXRNode* root = m_.root_;
    destBytes_ = m_.Dest->BitCount / 8;
    for (int& c : cacheOf_) c = -1;
    prologue();

    if (m_.form_ == TDXRMachine::TForm::ConstantFill) {
        Operand v;
        v.Offset = off(&m_.ColorRegisters[root->Register].Value);
        pack(v, root->Channels, false);
        mov(rcx, rsi);
        mov(eax, edx);
        if (destBytes_ == 4) {
            rep();
            stosd();
        } else {
            // Pairs in 32-bit stores when the first pixel is 4-aligned.
            Label words, done;
            test(dil, 3);
            jnz(words, T_NEAR);
            movzx(eax, dx);
            shl(edx, 16);
            or_(eax, edx);
            shr(rcx, 1);
            rep();
            stosd();
            test(sil, 1);
            jz(done, T_NEAR);
            mov(word[rdi], ax);
            jmp(done, T_NEAR);
            L(words);
            rep();
            stosw();
            L(done);
        }
        epilogue();
        return;
    }

    jmp(setup_, T_NEAR);
    L(body_);
    Label pixel, exit;
    const bool vector = vectorPossible();
    if (vector) vectorLoop(exit);
    L(pixel);
    if (m_.form_ == TDXRMachine::TForm::DirectCopy) {
        fetchTexel(root->Unit, false, false);
        keyTest(root->Unit);
        store(eax);
    } else {
        Operand v;
        if (root->Kind == dxrnkRegister) {
            v.Offset = off(&m_.ColorRegisters[root->Register].Value);
        } else if (root->Channels) {
            v = evaluate(root);
        }
        pack(v, root->Channels, m_.ditherCompiled_);
        store(edx);
    }
    L(advance_);
    advance();
    dec(rsi);
    jg(pixel, T_NEAR);
    L(exit);
    epilogue();
    setup();
    constantPool();
}

bool TDXRCodeGenerator::Generate(TDXRMachine& m) {
    try {
        if (!m.cache_) {
            m.cache_ = std::make_unique<TDXRCodeCache>(m.codeBytes_, m.routineLimit_);
        }
    } catch (const EDXRenderError&) {
        logOnce("Pixel pipeline: code buffer refused, the interpreter draws instead");
        return false;
    }
    Key(m, m.key_);
    const TDXRCodeCache::TRoutine* routine = m.cache_->Find(m.key_);
    if (!routine) {
        routine = m.cache_->Add(m.key_, [&m](uint8_t* at, std::size_t room) {
            try {
                TDXRRoutineEmitter e(m, at, room, MMXAvailable);
                e.build();
                return TDXRCodeCache::TRoutine{nullptr, e.getSize(), e.usedSimd()};
            } catch (const Xbyak::Error& err) {
                if (err == Xbyak::ERR_CODE_IS_TOO_BIG) throw TDXRCodeCache::TNoRoom{};
                throw EDXRenderError(std::string("Pixel pipeline: routine cannot be generated: ") + err.what());
            }
        });
        if (!routine) {
            logOnce("Pixel pipeline: a routine could not be placed in executable memory, the interpreter draws it");
            return false;
        }
    }
    m.entry_ = reinterpret_cast<TDXRMachine::TRoutine>(const_cast<uint8_t*>(routine->Entry));
    m.usesMMX_ = routine->UsesSimd;
    m.codeSize_ = routine->Size;
    return true;
}

namespace {
// Built once a draw: into a fixed buffer, handed over in one copy.
class TKeyWriter {
public:
    template <class T>
    [[gnu::always_inline]] void put(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        if (size_ + sizeof value > sizeof bytes_) throw EDXRenderError("Pixel pipeline: routine key too long");
        std::memcpy(bytes_ + size_, &value, sizeof value);
        size_ += sizeof value;
    }
    void into(std::string& key) const { key.assign(bytes_, size_); }
    // What the code reads of a surface's format: kind, bits and channel records.
    void format(const TDXRSurface& s) {
        put(s.Kind);
        put(s.BitCount);
        if (s.Kind == dxrkRGB) put(s.RGB);
        else {
            put(s.Indexed.Index);
            put(s.Indexed.Alpha);
        }
    }
    // Zero, the two special steps by value, any other step as one class.
    void step(int32_t value) { put(ImmediateStep(value) ? value : int32_t{1}); }

private:
    // Room for the largest machine: 128 nodes, 8 registers, 8 units.
    char bytes_[4096];
    std::size_t size_ = 0;
};

void KeyTree(const TDXRMachine& m, const TDXRNode* n, TKeyWriter& w, const TDXRNode* pool) {
    if (!n) {
        w.put(int16_t{-1});
        return;
    }
    w.put(static_cast<int16_t>(n - pool));  // inline colours are read from their node
    w.put(n->Kind);
    w.put(n->Channels);
    switch (n->Kind) {
        case dxrnkRegister: w.put(n->Register); break;
        case dxrnkColor: w.put(n->Color); break;
        case dxrnkTexture:
            w.put(n->Unit);
            w.put(m.TextureUnits[n->Unit].Used);
            break;
        case dxrnkBlend:
            w.put(n->Op);
            KeyTree(m, n->Left, w, pool);
            KeyTree(m, n->Right, w, pool);
            break;
        default: break;
    }
}
}  // namespace

void TDXRCodeGenerator::Key(const TDXRMachine& m, std::string& key) {
    TKeyWriter w;
    w.put(MMXAvailable);
    w.put(m.form_);
    w.put(m.ditherCompiled_);
    w.format(*m.Dest);
    KeyTree(m, m.root_, w, m.nodes_);
    for (int k = 0; k < m.usedRegisterCount_; ++k) {
        const int i = m.usedRegisters_[k];
        w.put(static_cast<int8_t>(i));
        w.put(m.ColorRegisters[i].Gradient);
    }
    for (int k = 0; k < m.usedUnitCount_; ++k) {
        const int i = m.usedUnits_[k];
        const TDXRTextureUnit& u = m.TextureUnits[i];
        const TDXRSurface& s = *u.Surface;
        w.put(static_cast<int8_t>(i));
        w.put(u.Addressing);
        w.put(u.Filter == 1);
        w.put(u.ColorKeyOn);
        if (u.ColorKeyOn) w.put(u.ColorKey);
        w.put(u.ConstSteps);
        if (u.ConstSteps) {
            w.step(m.constDU_[i]);
            w.step(m.constDV_[i]);
        }
        w.format(s);
        if (u.Addressing == dxraWrap) {
            w.put(s.XMask);
            w.put(s.YMask);
        }
        // A fixed row reads its pitch once a run; a stepped row has it compiled in.
        const bool rowFixed = k < 2 && u.ConstSteps && m.constDV_[i] == 0 && u.Filter != 1;
        if (!rowFixed) {
            w.put(s.Pitch);
            w.put(s.PitchBit);
        }
    }
    w.into(key);
}

#else

bool TDXRCodeGenerator::Generate(TDXRMachine&) { return false; }
void TDXRCodeGenerator::Key(const TDXRMachine&, std::string& key) { key.clear(); }

#endif

}  // namespace media
