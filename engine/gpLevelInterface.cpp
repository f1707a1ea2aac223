#include "engine/gpLevelInterface.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "engine/gpClasses.h"
#include "engine/gpInterface.h"
#include "engine/gpKernel.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "engine/gpUtils.h"
#include "rtl/Convert.h"
#include "rtl/Format.h"
#include "rtl/Streams.h"

namespace engine {
namespace {

// The smallest widget record: three empty strings and no children (a class may have pairs).
constexpr int64_t kWidgetBytes = 3 * 4 + 4;

// The classes a description may name. Each is described here, so the registry knows it
// whichever widget files the program otherwise uses.
using ClassInfoFunction = const rtl::TypeInfo& (*)();
constexpr std::array<std::pair<std::string_view, ClassInfoFunction>, 11> kInterfaceClasses = {{
    {"TGPForm", &TGPForm::StaticClassInfo},
    {"TGPLabel", &TGPLabel::StaticClassInfo},
    {"TGPButton", &TGPButton::StaticClassInfo},
    {"TGPCheckBox", &TGPCheckBox::StaticClassInfo},
    {"TGPTrackBar", &TGPTrackBar::StaticClassInfo},
    {"TGPCustomGrid", &TGPCustomGrid::StaticClassInfo},
    {"TGPEdit", &TGPEdit::StaticClassInfo},
    {"TGPImage", &TGPImage::StaticClassInfo},
    {"TGPRollImage", &TGPRollImage::StaticClassInfo},
    {"TGPSlideShow", &TGPSlideShow::StaticClassInfo},
    {"TGPLogo", &TGPLogo::StaticClassInfo},
}};

int32_t ReadCount(rtl::Stream& stream, int64_t minBytes) {
    const int32_t count = stream.ReadValue<int32_t>();
    if (count < 0 || count > stream.Remaining() / minBytes) throw rtl::EReadError(rtl::texts::SReadError);
    return count;
}

// A real in the class library's notation ('.' as the separator, blanks around allowed);
// false for anything else and for values the property cannot hold.
bool ParseReal(std::string_view text, uint8_t size, double& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    if (size == 4 && std::fabs(v) > std::numeric_limits<float>::max()) return false;
    value = v;
    return true;
}

}  // namespace

const rtl::TypeInfo* InterfaceClass(std::string_view name) {
    for (const auto& [className, info] : kInterfaceClasses)
        if (className == name) return &info();
    return nullptr;
}

bool HasInterfacePair(rtl::PropKind kind) {
    switch (kind) {
        case rtl::PropKind::Integer:
        case rtl::PropKind::Char:
        case rtl::PropKind::Enumeration:
        case rtl::PropKind::Boolean:
        case rtl::PropKind::Float:
        case rtl::PropKind::String:
        case rtl::PropKind::Class:
        case rtl::PropKind::Method: return true;
        case rtl::PropKind::Int64:
        case rtl::PropKind::Set: return false;
    }
    return false;
}

void ApplyPropertyString(rtl::Object& widget, const rtl::PropInfo& prop, rtl::Stream& stream, rtl::Object* ownerForm) {
    if (!HasInterfacePair(prop.Kind)) return;
    const std::string name = ReadLenString(stream);
    const std::string value = ReadLenString(stream);
    if (prop.Kind == rtl::PropKind::Method) {
        if (ownerForm) engine::BindEvent(*ownerForm, widget, value, prop.Name);
        return;
    }
    if (name != prop.Name || prop.Kind == rtl::PropKind::Class || !prop.IsWritable()) return;
    switch (prop.Kind) {
        case rtl::PropKind::Integer:
        case rtl::PropKind::Char: rtl::SetOrdProp(widget, prop, rtl::StrToInt(value)); break;
        case rtl::PropKind::Enumeration:
        case rtl::PropKind::Boolean:
            if (const int64_t v = prop.Enum ? prop.Enum->Value(value) : -1; v >= 0) rtl::SetOrdProp(widget, prop, v);
            break;
        case rtl::PropKind::Float:
            if (double v = 0; ParseReal(value, prop.OrdSize, v)) rtl::SetFloatProp(widget, prop, v);
            break;
        case rtl::PropKind::String: rtl::SetStrProp(widget, prop, value); break;
        default: break;
    }
}

// ---- TBaseInterfacesStream ----

TBaseInterfacesStream::TBaseInterfacesStream(const std::string& fileName, TGPResource* resource, rtl::Object* ownerForm,
                                             TGPKernel* kernel, TInterfaceHeader& header, uint16_t mode)
    : ownerForm_(ownerForm), kernel_(kernel) {
    if (!kernel) throw EFLInterfacesCreat(rtl::Format(texts::SFLInterfacesCreate, {"aKernel = nil"}));
    if (mode == rtl::fmCreate) {
        // Nothing is opened: creating the file would replace a stored description.
        header_ = header;
        Version = header.Version;
        return;
    }
    const std::string name = fileName.empty() && resource ? resource->FileName() : fileName;
    if (resource) {
        std::unique_ptr<rtl::SubStream> entry = resource->OpenEntry("Forms", "GPInterface");
        if (!entry) throw EFLReadHeder(rtl::Format(texts::SFLReadHeader, {name}));
        Build(name, *entry, true, header);
    } else {
        rtl::FileStream file(fileName, mode);
        Build(name, file, false, header);
    }
}

TBaseInterfacesStream::TBaseInterfacesStream(const std::string& fileName, rtl::Stream& stream, bool fromContainer,
                                             rtl::Object* ownerForm, TGPKernel* kernel, TInterfaceHeader& header)
    : ownerForm_(ownerForm), kernel_(kernel) {
    if (!kernel) throw EFLInterfacesCreat(rtl::Format(texts::SFLInterfacesCreate, {"aKernel = nil"}));
    Build(fileName, stream, fromContainer, header);
}

TBaseInterfacesStream::~TBaseInterfacesStream() = default;

void TBaseInterfacesStream::Build(const std::string& fileName, rtl::Stream& stream, bool fromContainer,
                                  TInterfaceHeader& header) {
    auto refuse = [&] { return EFLReadHeder(rtl::Format(texts::SFLReadHeader, {fileName})); };
    stream.SetPosition(0);
    TInterfaceHeader found;
    if (!found.ReadFromStream(stream) || !found.HasMagic() || found.Magic != header.Magic ||
        found.Version != InterfaceFileVersion)
        throw refuse();
    header = found;
    header_ = found;
    Version = found.Version;
    stream_ = &stream;
    try {
        ReadStringList(stream, strings_);
        if (!fromContainer && !found.NameTableFile().empty()) {
            if (!IsPlainFileName(found.NameTableFile())) throw refuse();
            LoadPixSetGP(JoinDataPath(ResourceFolders().Resource, found.NameTableFile()), InterfaceNameTableFlags, nullptr);
        }
        const int32_t count = ReadCount(stream, kWidgetBytes);
        for (int32_t i = 0; i < count; ++i) ReadWidget(kernel_, 1);
    } catch (...) {
        FreeWidgets();
        stream_ = nullptr;
        throw;
    }
    stream_ = nullptr;
}

TGPBaseInterface* TBaseInterfacesStream::ReadWidget(rtl::Object* parent, int depth) {
    if (!stream_) throw rtl::EReadError(rtl::texts::SReadError);
    if (depth > MaxWidgetDepth) throw rtl::EReadError(rtl::texts::SReadError);
    rtl::Stream& stream = *stream_;
    ReadLenString(stream);
    ReadLenString(stream);
    const std::string className = ReadLenString(stream);
    // An unknown class would leave the reader out of step with the records that follow.
    const rtl::TypeInfo* info = InterfaceClass(className);
    if (!info) throw EFLInterfacesCreat(rtl::Format(texts::SFLInterfacesCreate, {className}));
    TGPBaseInterface* widget = CreateWidget(info->Name(), parent, InterfaceWidgetId);
    if (depth == 1) widgets_.push_back(widget);  // its container owns its children
    for (const rtl::PropInfo* prop : info->Properties()) ApplyPropertyString(*widget, *prop, stream, ownerForm_);
    const int32_t children = ReadCount(stream, kWidgetBytes);
    for (int32_t i = 0; i < children; ++i) ReadWidget(widget, depth + 1);
    return widget;
}

void TBaseInterfacesStream::FreeWidgets() {
    std::vector<TGPBaseInterface*> made;
    made.swap(widgets_);
    for (TGPBaseInterface* widget : made) kernel_->DetachInterface(widget);
}

}  // namespace engine
