// DXRender: a small software renderer. A pixel pipeline is a tree over colours;
// the machine compiles it into x86-64 code (or interprets it where that is not
// possible) and runs it scanline by scanline over locked surfaces.
//
// Interface first: render surfaces, the processor probe and the saturation tables,
// then the pipeline machine, then the stretched blend the rest of the program uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "media/DXClass.h"
#include "platform/ddraw/SurfaceDesc.h"
#include "rtl/Exceptions.h"

namespace media {

// Raised for trees or surfaces the machine cannot run.
class EDXRenderError : public rtl::Exception {
public:
    using Exception::Exception;
    const char* className() const noexcept override { return "EDXRenderError"; }
};

// ---------------------------------------------------------------------------
// Render surfaces

// Channel sets are 4-bit masks.
inline constexpr uint8_t dxrRed = 1, dxrGreen = 2, dxrBlue = 4, dxrAlpha = 8;
inline constexpr uint8_t dxrColorChannels = 7, dxrAllChannels = 15;

// How one channel lies in a pixel value: 8-bit value = ((p & Mask) >> Shift) << LeftShift.
struct TDXRChannel {
    uint32_t Mask;
    uint32_t BitCount;
    uint32_t Shift;
    uint32_t LeftShift;
};

struct TDXRPaletteEntry {
    uint8_t Red, Green, Blue, Reserved;
};

inline constexpr uint8_t dxrkIndexed = 0, dxrkRGB = 1;

// Where a surface's pixels are and how its bits split into channels. Plain data,
// owns nothing; valid between a lock and the unlock.
struct TDXRSurface {
    uint8_t Kind;
    int32_t Width, Height;
    int32_t WidthBit, HeightBit;
    int32_t PowWidth, PowHeight;
    int32_t XMask, YMask;  // Width - 1 and PowHeight - 1 (wrap addressing only)
    int32_t BitCount;
    void* Bits;  // row 0
    int32_t Pitch;
    int32_t PitchBit;
    union {
        struct {
            TDXRChannel Red, Green, Blue, Alpha;
        } RGB;  // Kind == dxrkRGB
        struct {
            TDXRChannel Index, Alpha;
            TDXRPaletteEntry Palette[256];
        } Indexed;  // Kind == dxrkIndexed
    };
};

int HighestBit(uint32_t value);  // highest set bit among 31..1, else 0
int LowestBit(uint32_t value);   // lowest set bit among 0..30, else 31
int CountBits(uint32_t value);

void MakeChannelInfo(uint32_t mask, bool isIndex, TDXRChannel& channel);
void MakeIndexedRenderSurface(TDXRSurface& surface, int32_t width, int32_t height, int32_t bitCount,
                              void* bits, int32_t pitch, uint32_t indexMask, uint32_t alphaMask);
void MakeRGBRenderSurface(TDXRSurface& surface, int32_t width, int32_t height, int32_t bitCount, void* bits,
                          int32_t pitch, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                          uint32_t alphaMask);
// Builds the description of a locked surface (indexed when its format says so).
void MakeRenderSurfaceFromDesc(const platform::ddraw::DDSURFACEDESC& desc, TDXRSurface& surface);

uint8_t SurfaceChannelSet(const TDXRSurface& surface);
bool SameRenderFormat(const TDXRSurface& a, const TDXRSurface& b);
// The alpha record of either kind.
const TDXRChannel& SurfaceAlphaChannel(const TDXRSurface& surface);

// Locks a surface (anything with Lock(rect, desc, flags, event) answering 0 on success
// and Unlock(bits)) into a render description. A refused lock answers false and leaves
// `surface` alone.
template <class Surface>
bool LockRenderSurfaceDesc(Surface& s, platform::ddraw::DDSURFACEDESC& desc, TDXRSurface& surface) {
    desc = platform::ddraw::DDSURFACEDESC{};
    if (s.Lock(nullptr, desc, platform::ddraw::DDLOCK_WAIT, nullptr) != 0) return false;
    MakeRenderSurfaceFromDesc(desc, surface);
    return true;
}
template <class Surface>
bool LockRenderSurface(Surface& s, TDXRSurface& surface) {
    platform::ddraw::DDSURFACEDESC desc;
    return LockRenderSurfaceDesc(s, desc, surface);
}
template <class Surface>
void UnlockRenderSurface(Surface& s, const TDXRSurface& surface) {
    s.Unlock(surface.Bits);
}

// Processor probe: true when SIMD code may be generated. Set at start from the
// processor (off when SPRALLION_PIXEL_SIMD=0); assignable to force the plain forms.
extern bool MMXAvailable;
void DetectCPUFeatures();

extern uint8_t SatAddTable[512];  // i -> min(i, 255)
extern uint8_t SatSubTable[511];  // addressed through SatSub(0): d -> max(d, 0), d in -255..255
inline const uint8_t* SatSubZero() { return SatSubTable + 255; }
void InitRenderTables();

// ---------------------------------------------------------------------------
// Pipeline machine

// The working pixel: four words red, green, blue, alpha; a channel's value is the high byte.
struct TDXRColor {
    uint16_t Words[4];
};
inline constexpr int dxrcRed = 0, dxrcGreen = 1, dxrcBlue = 2, dxrcAlpha = 3;

inline constexpr uint8_t dxrnkZero = 0, dxrnkRegister = 1, dxrnkColor = 2, dxrnkTexture = 3, dxrnkDest = 4,
                         dxrnkBlend = 5;

struct TDXRNode {
    uint8_t Kind = dxrnkZero;
    uint8_t Channels = 0;  // what the node must deliver (written by Compile)
    int32_t Register = 0;  // dxrnkRegister
    TDXRColor Color{};     // dxrnkColor
    int32_t Unit = 0;      // dxrnkTexture
    uint8_t Op = 0;        // dxrnkBlend
    TDXRNode* Left = nullptr;
    TDXRNode* Right = nullptr;
};

struct TDXRColorRegister {
    bool Used = false;
    TDXRColor Value{};
    TDXRColor Step{};
    bool Gradient = false;
    uint8_t Channels = 0;
};

inline constexpr uint8_t dxraWrap = 0, dxraPlain = 1;

struct TDXRTextureUnit {
    bool Used = false;
    const TDXRSurface* Surface = nullptr;
    int32_t U = 0, V = 0;    // 16.16
    int32_t DU = 0, DV = 0;  // added after every pixel
    bool ConstSteps = false;
    uint8_t Filter = 0;  // 1 = bilinear
    bool ColorKeyOn = false;
    uint32_t ColorKey = 0;
    uint8_t Channels = 0;
    uint8_t Addressing = dxraWrap;
    TDXRColor Defaults{};
};

class TDXRCodeCache;
class TDXRRoutineEmitter;

class TDXRMachine {
public:
    static constexpr int MaxNodes = 128;
    static constexpr int RegisterCount = 8;
    static constexpr int UnitCount = 8;

    enum class TForm : uint8_t { None, ConstantFill, DirectCopy, General };
    enum class TBackend : uint8_t { Generated, Interpreter };

    TDXRMachine();
    ~TDXRMachine();
    TDXRMachine(const TDXRMachine&) = delete;
    TDXRMachine& operator=(const TDXRMachine&) = delete;

    void Reset();
    TDXRNode* NewNode(uint8_t kind);
    TDXRNode* NewTextureNode(int32_t unit);
    TDXRNode* NewBlendNode(uint8_t op, TDXRNode* left, TDXRNode* right);
    // Propagates channels, simplifies, marks what is used and builds the routine (or
    // takes the one built before for the same code). Takes the units' fixed steps and
    // defaults as they are now. Answers the (possibly replaced) root. Raises
    // EDXRenderError for trees it cannot run.
    TDXRNode* Compile(TDXRNode* root);
    void Run(int32_t count);

    // Set between Reset and Compile.
    const TDXRSurface* Dest = nullptr;
    TDXRColorRegister ColorRegisters[RegisterCount];
    TDXRTextureUnit TextureUnits[UnitCount];
    bool Dither = false;
    // Set between runs.
    int32_t X = 0, Y = 0;

    // The backend wanted for the next Compile (the default follows SPRALLION_PIXEL_JIT).
    void SetPreferredBackend(TBackend backend) { preferred_ = backend; }
    // What the last Compile chose.
    TBackend Backend() const { return backend_; }
    TForm Form() const { return form_; }
    bool Compiled() const { return compiled_; }
    bool UsesMMX() const { return usesMMX_; }
    bool DitherCompiled() const { return ditherCompiled_; }
    int UsedRegisterCount() const { return usedRegisterCount_; }
    int UsedRegister(int i) const { return usedRegisters_[i]; }
    int UsedUnitCount() const { return usedUnitCount_; }
    int UsedUnit(int i) const { return usedUnits_[i]; }
    int NodeCount() const { return nodeCount_; }
    std::size_t CodeSize() const { return codeSize_; }

    // The machine keeps every routine it generates, keyed by what the code depends on,
    // and reuses it for every later tree that needs the same code. Bounded: when the
    // limit (routines, or the code buffer's space) is reached the cache starts empty.
    std::size_t GeneratedRoutines() const;  // routines written so far
    std::size_t CachedRoutines() const;     // routines kept now
    std::size_t CodeCacheFlushes() const;   // times the cache was emptied
    // Drops every routine (compile again before the next Run) and sets the bounds.
    void SetCodeCacheLimits(std::size_t routines, std::size_t bytes);

private:
    friend class TDXRInterpreter;
    friend class TDXRCodeGenerator;
    friend class TDXRRoutineEmitter;

    void propagate(TDXRNode*& node, int depth);
    void markUsed(const TDXRNode* node);
    void validate(const TDXRNode* node) const;
    bool ownsNode(const TDXRNode* node) const;
    void chooseForm(const TDXRNode* root);
    bool generate();

    std::unique_ptr<TDXRCodeCache> cache_;
    std::size_t routineLimit_, codeBytes_;
    std::string key_;  // of the last Compile, kept to reuse its capacity
    using TRoutine = void (*)(TDXRMachine*, int64_t);
    TRoutine entry_ = nullptr;
    bool compiled_ = false;
    int nodeCount_ = 0;
    TDXRNode nodes_[MaxNodes];
    bool visited_[MaxNodes] = {};
    bool usesMMX_ = false;
    bool ditherCompiled_ = false;
    TForm form_ = TForm::None;
    TBackend backend_ = TBackend::Interpreter;
    TBackend preferred_;
    const TDXRNode* root_ = nullptr;
    int usedRegisters_[RegisterCount] = {};
    int usedRegisterCount_ = 0;
    int usedUnits_[UnitCount] = {};
    int usedUnitCount_ = 0;
    int32_t constDU_[UnitCount] = {};  // steps of ConstSteps units at compile time
    int32_t constDV_[UnitCount] = {};
    TDXRColor constDefaults_[UnitCount] = {};  // the units' defaults at compile time
    std::size_t codeSize_ = 0;
    // Working storage of the generated code: one colour per evaluated node, the zero
    // colour, the bilinear filter's four texels.
    TDXRColor temps_[MaxNodes + 1] = {};
    TDXRColor zeroColor_{};
    TDXRColor filterTexels_[4] = {};
    // The defaults the eight-pixel loop reads, each channel in eight words; written by
    // the routine when it starts.
    alignas(16) uint16_t vectorDefaults_[4][8] = {};
};

// The one machine of the program, made on first use.
TDXRMachine& RenderMachine();

// Machine code is generated only on x86-64, where executable memory can be mapped,
// and unless SPRALLION_PIXEL_JIT=0.
bool CodeGenerationAvailable();

// ---------------------------------------------------------------------------
// Stretched, keyed and alpha-blended copy

struct TDXRRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;  // Right and Bottom exclusive
};

int32_t MulDiv64(int32_t a, int32_t b, int32_t c);
// Min comes from DXClass.

// Both draw with RenderMachine(); the overloads taking a machine draw with that one.
void SetupStretchBlend(const TDXRSurface& dest, const TDXRSurface& src, uint8_t op, int32_t alpha, int32_t du,
                       int32_t dv, bool transparent, uint32_t colorKey);
void StretchBlendRect(const TDXRSurface& dest, const TDXRSurface& src, const TDXRRect& destRect,
                      const TDXRRect& srcRect, uint8_t op, int32_t alpha, bool transparent, uint32_t colorKey);
void SetupStretchBlend(TDXRMachine& m, const TDXRSurface& dest, const TDXRSurface& src, uint8_t op, int32_t alpha,
                       int32_t du, int32_t dv, bool transparent, uint32_t colorKey);
void StretchBlendRect(TDXRMachine& m, const TDXRSurface& dest, const TDXRSurface& src, const TDXRRect& destRect,
                      const TDXRRect& srcRect, uint8_t op, int32_t alpha, bool transparent, uint32_t colorKey);

}  // namespace media
