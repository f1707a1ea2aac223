// The reference interpreter: walks the simplified tree per pixel with the 8-bit
// formulas. The code generator must store exactly what this stores.
#include <cstring>

#include "media/DXRenderJit.h"
#include "media/DXRenderPipeline.h"

namespace media {

namespace {

struct Pixel {
    uint8_t c[4];
};

uint8_t highByte(uint16_t w) { return static_cast<uint8_t>(w >> 8); }

Pixel fromColor(const TDXRColor& color) {
    return {{highByte(color.Words[0]), highByte(color.Words[1]), highByte(color.Words[2]), highByte(color.Words[3])}};
}

const uint8_t* rowAddress(const TDXRSurface& s, uint32_t row) {
    return static_cast<const uint8_t*>(s.Bits) + static_cast<int64_t>(row) * s.Pitch;
}

uint32_t readTexel(const TDXRSurface& s, uint8_t addressing, uint32_t u, uint32_t v) {
    uint32_t c = u >> 16, w = v >> 16;
    if (addressing == dxraWrap) {
        c &= static_cast<uint32_t>(s.XMask);
        w &= static_cast<uint32_t>(s.YMask);
    }
    const uint8_t* row = rowAddress(s, w);
    switch (s.BitCount) {
        case 1: return (row[c >> 3] >> (7 - (c & 7))) & 1;
        case 2: return (row[c >> 2] >> (6 - 2 * (c & 3))) & 3;
        case 4: return (row[c >> 1] >> ((c & 1) ? 0 : 4)) & 15;
        case 8: return row[c];
        case 16: {
            uint16_t p;
            std::memcpy(&p, row + 2 * static_cast<std::size_t>(c), 2);
            return p;
        }
        case 24: {
            const uint8_t* p = row + 3 * static_cast<std::size_t>(c);
            return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
        }
        default: {
            uint32_t p;
            std::memcpy(&p, row + 4 * static_cast<std::size_t>(c), 4);
            return p;
        }
    }
}

// Unpacks the fetched channels of a texel; others keep what `out` holds.
void unpackTexel(const TDXRSurface& s, uint32_t p, uint8_t fetched, Pixel& out) {
    if (s.Kind == dxrkIndexed) {
        if (fetched & dxrColorChannels) {
            const TDXRPaletteEntry& e = s.Indexed.Palette[(p & s.Indexed.Index.Mask) >> s.Indexed.Index.Shift];
            out.c[0] = e.Red;
            out.c[1] = e.Green;
            out.c[2] = e.Blue;
        }
        if (fetched & dxrAlpha) out.c[3] = UnpackChannel(s.Indexed.Alpha, p);
        return;
    }
    for (int c = 0; c < 4; ++c)
        if (fetched & (1 << c)) out.c[c] = UnpackChannel(ChannelRecord(s, c), p);
}

class Evaluator {
public:
    Evaluator(TDXRMachine& m, const TDXRColor* defaults, const TDXRSurface& dest, uint8_t* destPixel)
        : m_(m), defaults_(defaults), dest_(dest), at_(destPixel) {}

    // False when a colour key matched: the pixel is left alone.
    bool eval(const TDXRNode* n, Pixel& out) {
        switch (n->Kind) {
            case dxrnkZero: out = {}; return true;
            case dxrnkRegister: out = fromColor(m_.ColorRegisters[n->Register].Value); return true;
            case dxrnkColor: out = fromColor(n->Color); return true;
            case dxrnkTexture: return texture(n, out);
            case dxrnkDest: destination(n->Channels, out); return true;
            default: return blend(n, out);
        }
    }

private:
    bool texture(const TDXRNode* n, Pixel& out) {
        const TDXRTextureUnit& u = m_.TextureUnits[n->Unit];
        out = fromColor(defaults_[n->Unit]);
        if (!u.Used) return true;
        const TDXRSurface& s = *u.Surface;
        const uint8_t fetched = n->Channels & SurfaceChannelSet(s);
        if (!fetched) return true;
        const auto uu = static_cast<uint32_t>(u.U), vv = static_cast<uint32_t>(u.V);
        const uint32_t p00 = readTexel(s, u.Addressing, uu, vv);
        if (u.ColorKeyOn && (p00 & ColorKeyMask(s)) == u.ColorKey) return false;
        if (u.Filter != 1) {
            unpackTexel(s, p00, fetched, out);
            return true;
        }
        Pixel t00 = out, t10 = out, t11 = out, t01 = out;
        unpackTexel(s, p00, fetched, t00);
        unpackTexel(s, readTexel(s, u.Addressing, uu + 0x10000, vv), fetched, t10);
        unpackTexel(s, readTexel(s, u.Addressing, uu + 0x10000, vv + 0x10000), fetched, t11);
        unpackTexel(s, readTexel(s, u.Addressing, uu, vv + 0x10000), fetched, t01);
        const uint32_t fu = (uu >> 8) & 0xFF, fv = (vv >> 8) & 0xFF;
        for (int c = 0; c < 4; ++c) {
            if (!(fetched & (1 << c))) continue;
            const uint32_t top = t10.c[c] * fu + t00.c[c] * (255 - fu);
            const uint32_t bottom = t11.c[c] * fu + t01.c[c] * (255 - fu);
            out.c[c] = static_cast<uint8_t>((bottom * fv + top * (255 - fv)) >> 16);
        }
        return true;
    }

    void destination(uint8_t channels, Pixel& out) {
        uint32_t p = 0;
        switch (dest_.BitCount) {
            case 8: p = at_[0]; break;
            case 16: p = at_[0] | (at_[1] << 8); break;
            case 24: p = at_[0] | (at_[1] << 8) | (static_cast<uint32_t>(at_[2]) << 16); break;
            default: std::memcpy(&p, at_, 4); break;
        }
        out = {};
        for (int c = 0; c < 4; ++c)
            if (channels & (1 << c)) out.c[c] = UnpackChannel(ChannelRecord(dest_, c), p);
    }

    bool blend(const TDXRNode* n, Pixel& out) {
        Pixel l{}, r{};
        if (!eval(n->Left, l)) return false;
        if (n->Right && !eval(n->Right, r)) return false;
        const uint8_t ch = n->Channels;
        const int a = l.c[3];
        const bool pairRG = (ch & 3) == 3, pairBA = (ch & 12) == 12;
        auto asked = [&](int c) { return (ch >> c) & 1; };
        auto paired = [&](int c) { return c < 2 ? pairRG : pairBA; };
        auto set = [&](int c, int v) { out.c[c] = static_cast<uint8_t>(v); };
        out = {};
        switch (n->Op) {
            case 0: break;
            case 1: out = l; break;
            case 2: out = r; break;
            default:
                for (int c = 0; c < 4; ++c) {
                    if (!asked(c)) continue;
                    const int lv = l.c[c], rv = r.c[c];
                    switch (n->Op) {
                        case 3: set(c, lv + rv > 255 ? 255 : lv + rv); break;
                        case 4: set(c, lv > rv ? lv - rv : 0); break;
                        case 5: set(c, rv > lv ? rv - lv : 0); break;
                        case 6: set(c, (lv * rv) >> 8); break;
                        case 7: set(c, (lv * a) >> 8); break;
                        case 8: {
                            const int v = rv + ((lv * a) >> 8);
                            set(c, v > 255 ? 255 : v);
                            break;
                        }
                        case 9: {
                            const int v = rv - ((lv * a) >> 8);
                            set(c, v < 0 ? 0 : v);
                            break;
                        }
                        case 10:
                        case 11: {
                            const int w = n->Op == 10 ? a : 255 - a;
                            if (paired(c)) set(c, (lv * w + rv * (255 - w)) >> 8);
                            else set(c, rv + ((lv - rv) * w >> 8));  // floor toward minus infinity
                            break;
                        }
                        case 12: set(c, c == dxrcAlpha ? rv : lv); break;
                        case 13: set(c, c == dxrcAlpha ? lv : (lv * rv) >> 8); break;
                        case 14: set(c, c == dxrcAlpha ? rv : (lv + rv > 255 ? 255 : lv + rv)); break;
                        default: break;
                    }
                }
                break;
        }
        return true;
    }

    TDXRMachine& m_;
    const TDXRColor* defaults_;  // the units' defaults at compile time
    const TDXRSurface& dest_;
    uint8_t* at_;
};

void storePixel(uint8_t* at, int bitCount, uint32_t p) {
    switch (bitCount) {
        case 8: at[0] = static_cast<uint8_t>(p); break;
        case 16:
            at[0] = static_cast<uint8_t>(p);
            at[1] = static_cast<uint8_t>(p >> 8);
            break;
        case 24:
            at[0] = static_cast<uint8_t>(p);
            at[1] = static_cast<uint8_t>(p >> 8);
            at[2] = static_cast<uint8_t>(p >> 16);
            break;
        default: std::memcpy(at, &p, 4); break;
    }
}

}  // namespace

void TDXRInterpreter::Run(TDXRMachine& m, int32_t count) {
    const TDXRSurface& dest = *m.Dest;
    const int bytes = dest.BitCount / 8;
    uint8_t* at = static_cast<uint8_t*>(dest.Bits) + static_cast<int64_t>(m.Y) * dest.Pitch +
                  static_cast<int64_t>(m.X) * bytes;
    const TDXRNode* root = m.root_;

    if (m.form_ == TDXRMachine::TForm::ConstantFill) {
        const uint32_t p = PackColor(dest, fromColor(m.ColorRegisters[root->Register].Value).c, root->Channels, -1);
        for (int32_t i = 0; i < count; ++i, at += bytes) storePixel(at, dest.BitCount, p);
        return;
    }

    for (int32_t i = 0; i < count; ++i, at += bytes) {
        if (m.form_ == TDXRMachine::TForm::DirectCopy) {
            const TDXRTextureUnit& u = m.TextureUnits[root->Unit];
            const uint32_t p =
                readTexel(*u.Surface, u.Addressing, static_cast<uint32_t>(u.U), static_cast<uint32_t>(u.V));
            if (!u.ColorKeyOn || (p & ColorKeyMask(*u.Surface)) != u.ColorKey) storePixel(at, dest.BitCount, p);
        } else {
            Pixel value{};
            Evaluator ev(m, m.constDefaults_, dest, at);
            if (root->Channels == 0 || ev.eval(root, value)) {
                const int position = m.ditherCompiled_ ? 2 * (m.X & 1) + (m.Y & 1) : -1;
                storePixel(at, dest.BitCount, PackColor(dest, value.c, root->Channels, position));
            }
        }
        // Advance.
        if (m.ditherCompiled_) m.X = static_cast<int32_t>(static_cast<uint32_t>(m.X) + 1);
        for (int k = 0; k < m.usedRegisterCount_; ++k) {
            TDXRColorRegister& r = m.ColorRegisters[m.usedRegisters_[k]];
            if (!r.Gradient) continue;
            for (int c = 0; c < 4; ++c) r.Value.Words[c] = static_cast<uint16_t>(r.Value.Words[c] + r.Step.Words[c]);
        }
        for (int k = 0; k < m.usedUnitCount_; ++k) {
            const int i = m.usedUnits_[k];
            TDXRTextureUnit& u = m.TextureUnits[i];
            const int32_t du = u.ConstSteps ? m.constDU_[i] : u.DU;
            const int32_t dv = u.ConstSteps ? m.constDV_[i] : u.DV;
            u.U = static_cast<int32_t>(static_cast<uint32_t>(u.U) + static_cast<uint32_t>(du));
            u.V = static_cast<int32_t>(static_cast<uint32_t>(u.V) + static_cast<uint32_t>(dv));
        }
    }
}

}  // namespace media
