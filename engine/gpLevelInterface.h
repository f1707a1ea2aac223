// The interface description: the in-game menu widgets, read from "Forms"/"GPInterface" of
// the game data or from a file of their own.
//
// After the 136-byte header (version 1; at offset 72 the name-table file a loose description
// loads): int32 N and N strings, then int32 W and W widget records. A widget record holds
// two strings the reader skips, the class name (one of the eleven menu widget classes,
// compared exactly), then one pair of strings (property name, value) for every published
// property of the class in type-information order whose kind takes a pair
// (HasInterfacePair), then int32 C and C child records.
//
// Widgets are made by class name through the type registry, owned by their container (the
// parent widget, or the kernel for the top-level ones). A record that cannot be read frees
// every widget the reader made, so a damaged description leaves no half-built menus.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/gpLevel.h"
#include "rtl/StringList.h"
#include "rtl/TypeInfo.h"

namespace rtl {
class Stream;
class SubStream;
}  // namespace rtl

namespace engine {

class TGPBaseInterface;
class TGPKernel;
class TGPResource;

// Nesting of widget records an interface description may hold.
inline constexpr int MaxWidgetDepth = 64;
// The identifier every widget of the description is made with.
inline constexpr int32_t InterfaceWidgetId = 200;
// The name-table loads of a loose description: every table but the unit classes' names.
inline constexpr int32_t InterfaceNameTableFlags = 30;

// The widget class a description may name, exactly as written (described and registered);
// nil for any other name.
const rtl::TypeInfo* InterfaceClass(std::string_view name);
// Property kinds that have a (name, value) pair in a widget record: integers, characters,
// enumerations (booleans too), reals, strings, classes and events. Sets and 64-bit integers
// have none.
bool HasInterfacePair(rtl::PropKind kind);

// Reads one pair and applies it to prop of widget. Ordinals, enumerations, reals and strings
// take the value only when the pair's name equals the property's exactly; a misnamed pair is
// read and dropped, so the reader stays in step. A bad integer raises EConvertError; a bad
// real, an enumeration name the type lacks and a read-only property leave the property as it
// is. Class pairs are dropped. An event is bound to ownerForm's published method named by the
// value, whatever the pair's name; a missing method leaves it unset.
void ApplyPropertyString(rtl::Object& widget, const rtl::PropInfo& prop, rtl::Stream& stream, rtl::Object* ownerForm);

class TBaseInterfacesStream {
public:
    // Builds the widgets described by the file fileName (opened with mode) or, when resource
    // is given (not owned), by its entry "Forms"/"GPInterface"; handlers bind to ownerForm's
    // published methods. Raises EFLInterfacesCreat without a kernel; EFLReadHeder when the
    // file is shorter than a header, its magic is not the caller's length byte 3 and "VQM",
    // its version is not 1, the entry is absent, or a loose description names a name-table
    // file that is no plain file name. The header read is copied to header. Mode fmCreate
    // reads nothing and builds nothing: header stands for the file, which is left as it is.
    // A damaged record raises (a stream error, or EConvertError for a bad integer) after the
    // widgets made so far are freed.
    TBaseInterfacesStream(const std::string& fileName, TGPResource* resource, rtl::Object* ownerForm,
                          TGPKernel* kernel, TInterfaceHeader& header, uint16_t mode);
    // The same over any stream holding a description from its first header byte (not owned);
    // fromContainer tells whether the name table is the container's (none is loaded).
    TBaseInterfacesStream(const std::string& fileName, rtl::Stream& stream, bool fromContainer,
                          rtl::Object* ownerForm, TGPKernel* kernel, TInterfaceHeader& header);
    ~TBaseInterfacesStream();
    TBaseInterfacesStream(const TBaseInterfacesStream&) = delete;
    TBaseInterfacesStream& operator=(const TBaseInterfacesStream&) = delete;

    const TInterfaceHeader& Header() const { return header_; }
    // The description's strings.
    const rtl::StringList& Strings() const { return strings_; }
    // The top-level widgets, owned by the kernel as its named children.
    const std::vector<TGPBaseInterface*>& Widgets() const { return widgets_; }

    // One widget record with its children, made with parent as owner; depth counts this
    // record (1 for a top-level one).
    TGPBaseInterface* ReadWidget(rtl::Object* parent, int depth);

    int32_t Version = 0;

private:
    void Build(const std::string& fileName, rtl::Stream& stream, bool fromContainer, TInterfaceHeader& header);
    void FreeWidgets();

    rtl::Object* ownerForm_ = nullptr;
    TGPKernel* kernel_ = nullptr;
    rtl::Stream* stream_ = nullptr;
    TInterfaceHeader header_;
    rtl::StringList strings_;
    std::vector<TGPBaseInterface*> widgets_;
};

}  // namespace engine
