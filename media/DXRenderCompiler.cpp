// The pipeline machine: node pool, channel propagation and simplification, the
// marking of used registers and units, the choice of routine form, and Run.
#include <cstdlib>
#include <cstring>
#include <string>

#include "media/DXRender.h"
#include "media/DXRenderJit.h"
#include "media/DXRenderPipeline.h"

namespace media {

namespace {
[[noreturn]] void refuse(const std::string& what) { throw EDXRenderError("Pixel pipeline: " + what); }

TDXRMachine::TBackend defaultBackend() {
    const char* v = std::getenv("SPRALLION_PIXEL_JIT");
    return v && std::strcmp(v, "0") == 0 ? TDXRMachine::TBackend::Interpreter : TDXRMachine::TBackend::Generated;
}
}  // namespace

TDXRMachine::TDXRMachine()
    : routineLimit_(TDXRCodeCache::DefaultRoutines), codeBytes_(TDXRCodeCache::DefaultBytes),
      preferred_(defaultBackend()) {}
TDXRMachine::~TDXRMachine() = default;

std::size_t TDXRMachine::GeneratedRoutines() const { return cache_ ? cache_->Generations() : 0; }
std::size_t TDXRMachine::CachedRoutines() const { return cache_ ? cache_->Count() : 0; }
std::size_t TDXRMachine::CodeCacheFlushes() const { return cache_ ? cache_->Flushes() : 0; }

void TDXRMachine::SetCodeCacheLimits(std::size_t routines, std::size_t bytes) {
    cache_.reset();
    entry_ = nullptr;
    compiled_ = false;
    routineLimit_ = routines;
    codeBytes_ = bytes;
}

void TDXRMachine::Reset() {
    entry_ = nullptr;
    compiled_ = usesMMX_ = Dither = ditherCompiled_ = false;
    nodeCount_ = usedRegisterCount_ = usedUnitCount_ = 0;
    Dest = nullptr;
    for (auto& r : ColorRegisters) r = TDXRColorRegister{};
    for (auto& u : TextureUnits) u = TDXRTextureUnit{};
    X = Y = 0;
    form_ = TForm::None;
    root_ = nullptr;
}

TDXRNode* TDXRMachine::NewNode(uint8_t kind) {
    if (kind > dxrnkBlend) refuse("unknown node kind " + std::to_string(kind));
    if (nodeCount_ >= MaxNodes) refuse("more than " + std::to_string(MaxNodes) + " nodes");
    TDXRNode& n = nodes_[nodeCount_++];
    n = TDXRNode{};
    n.Kind = kind;
    return &n;
}

TDXRNode* TDXRMachine::NewTextureNode(int32_t unit) {
    TDXRNode* n = NewNode(dxrnkTexture);
    n->Unit = unit;
    return n;
}

TDXRNode* TDXRMachine::NewBlendNode(uint8_t op, TDXRNode* left, TDXRNode* right) {
    if (op > dxrMaxOp) refuse("unknown blend operation " + std::to_string(op));
    if (!left || !right) refuse("a blend node needs both operands");
    TDXRNode* n = NewNode(dxrnkBlend);
    n->Op = op;
    n->Left = left;
    n->Right = right;
    return n;
}

bool TDXRMachine::ownsNode(const TDXRNode* node) const {
    return node >= nodes_ && node < nodes_ + nodeCount_;
}

// Sets the operands' channels, processes them, then simplifies the node in place
// of its parent's reference.
void TDXRMachine::propagate(TDXRNode*& node, int depth) {
    if (!node || !ownsNode(node)) refuse("a node that is not of this machine's pool");
    const auto index = node - nodes_;
    if (visited_[index]) refuse("a node shared by two parents (or a cycle)");
    visited_[index] = true;
    if (node->Kind != dxrnkBlend) return;
    if (node->Op > dxrMaxOp) refuse("unknown blend operation " + std::to_string(node->Op));
    if (!node->Left || !node->Right) refuse("a blend node needs both operands");
    const TDXROpMasks& m = dxrOpMasks[node->Op];
    node->Left->Channels = static_cast<uint8_t>((node->Channels & m.LeftAnd) | m.LeftOr);
    node->Right->Channels = static_cast<uint8_t>((node->Channels & m.RightAnd) | m.RightOr);
    propagate(node->Left, depth + 1);
    propagate(node->Right, depth + 1);

    const uint8_t channels = node->Channels;
    auto replaceBy = [&](TDXRNode* operand) {
        operand->Channels = channels;
        node = operand;
    };
    auto becomeZero = [&] {
        node->Kind = dxrnkZero;
        node->Left = node->Right = nullptr;
    };
    switch (node->Op) {
        case 0: becomeZero(); break;
        case 1: replaceBy(node->Left); break;
        case 2: replaceBy(node->Right); break;
        case 3:
            if (node->Right->Kind == dxrnkZero) replaceBy(node->Left);
            else if (node->Left->Kind == dxrnkZero) replaceBy(node->Right);
            break;
        case 4:
            if (node->Right->Kind == dxrnkZero) replaceBy(node->Left);
            else if (node->Left->Kind == dxrnkZero) becomeZero();
            break;
        case 7: node->Right = nullptr; break;  // asks nothing of its right operand
        default: break;
    }
}

void TDXRMachine::markUsed(const TDXRNode* node) {
    if (!node) return;
    switch (node->Kind) {
        case dxrnkRegister: {
            if (node->Register < 0 || node->Register >= RegisterCount)
                refuse("colour register " + std::to_string(node->Register) + " out of range");
            TDXRColorRegister& r = ColorRegisters[node->Register];
            r.Channels |= node->Channels;
            r.Used = r.Channels != 0;  // accumulated: a later node asking nothing keeps it
            break;
        }
        case dxrnkTexture: {
            if (node->Unit < 0 || node->Unit >= UnitCount)
                refuse("texture unit " + std::to_string(node->Unit) + " out of range");
            TDXRTextureUnit& u = TextureUnits[node->Unit];
            if (node->Channels == 0) break;
            if (!u.Surface) refuse("texture unit " + std::to_string(node->Unit) + " has no surface");
            u.Channels |= SurfaceChannelSet(*u.Surface) & node->Channels;
            u.Used = u.Channels != 0;
            break;
        }
        case dxrnkBlend:
            markUsed(node->Left);
            markUsed(node->Right);
            break;
        default: break;
    }
}

// Checks what the routine will touch: formats, addressing, palette indices.
void TDXRMachine::validate(const TDXRNode* node) const {
    if (!node) return;
    if (node->Kind == dxrnkBlend) {
        validate(node->Left);
        validate(node->Right);
        return;
    }
    if (node->Kind != dxrnkTexture || node->Channels == 0) return;
    const TDXRTextureUnit& u = TextureUnits[node->Unit];
    if (!u.Used) return;
    const TDXRSurface& s = *u.Surface;
    const auto name = [&] { return "texture unit " + std::to_string(node->Unit); };
    if (!ValidTextureBitCount(s.BitCount)) refuse(name() + ": unsupported bit count " + std::to_string(s.BitCount));
    if (u.Addressing != dxraWrap && u.Addressing != dxraPlain) refuse(name() + ": unknown addressing mode");
    if (!s.Bits) refuse(name() + ": surface has no pixels");
    if (s.Kind == dxrkIndexed && (u.Channels & dxrColorChannels) &&
        (s.Indexed.Index.Mask >> s.Indexed.Index.Shift) > 0xFF)
        refuse(name() + ": palette index wider than 8 bits");
}

void TDXRMachine::chooseForm(const TDXRNode* root) {
    form_ = TForm::General;
    if (root->Kind == dxrnkRegister && !ColorRegisters[root->Register].Gradient && !Dither &&
        (Dest->BitCount == 16 || Dest->BitCount == 32)) {
        form_ = TForm::ConstantFill;
    } else if (root->Kind == dxrnkTexture && !Dither) {
        const TDXRTextureUnit& u = TextureUnits[root->Unit];
        if (u.Used && u.Filter == 0 && SameRenderFormat(*Dest, *u.Surface)) form_ = TForm::DirectCopy;
    }
}

TDXRNode* TDXRMachine::Compile(TDXRNode* root) {
    compiled_ = false;
    entry_ = nullptr;
    root_ = nullptr;
    form_ = TForm::None;
    if (!Dest) refuse("no destination surface");
    if (!ValidDestBitCount(Dest->BitCount))
        refuse("unsupported destination bit count " + std::to_string(Dest->BitCount));
    if (!Dest->Bits) refuse("destination has no pixels");
    if (!root) refuse("no tree");

    std::memset(visited_, 0, sizeof visited_);
    root->Channels = SurfaceChannelSet(*Dest);
    propagate(root, 0);
    markUsed(root);
    validate(root);

    usedRegisterCount_ = usedUnitCount_ = 0;
    for (int i = 0; i < RegisterCount; ++i)
        if (ColorRegisters[i].Used) usedRegisters_[usedRegisterCount_++] = i;
    for (int i = 0; i < UnitCount; ++i) {
        constDU_[i] = TextureUnits[i].DU;
        constDV_[i] = TextureUnits[i].DV;
        constDefaults_[i] = TextureUnits[i].Defaults;
        if (TextureUnits[i].Used) usedUnits_[usedUnitCount_++] = i;
    }
    ditherCompiled_ = Dither;
    chooseForm(root);
    // Packing into an index field is meaningless; only a raw copy may target one.
    if (Dest->Kind != dxrkRGB && form_ != TForm::DirectCopy) refuse("palette-indexed destination");
    root_ = root;

    usesMMX_ = false;
    backend_ = TBackend::Interpreter;
    codeSize_ = 0;
    if (preferred_ == TBackend::Generated && CodeGenerationAvailable()) {
        if (TDXRCodeGenerator::Generate(*this)) backend_ = TBackend::Generated;
    }
    compiled_ = true;
    return root;
}

void TDXRMachine::Run(int32_t count) {
    if (count < 1 || !compiled_) return;
    if (entry_) entry_(this, count);
    else TDXRInterpreter::Run(*this, count);
}

TDXRMachine& RenderMachine() {
    static TDXRMachine machine;
    return machine;
}

}  // namespace media
