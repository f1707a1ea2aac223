// The component reader and writer over streams (kept apart so that users of the byte-level
// reader need no stream implementation).
#include <vector>

#include "rtl/ComponentStream.h"
#include "rtl/Streams.h"

namespace rtl {

namespace {
template <class Read> auto FromStream(Stream& stream, Read read) {
    const int64_t start = stream.Position();
    std::vector<uint8_t> bytes(static_cast<size_t>(stream.Remaining()));
    bytes.resize(static_cast<size_t>(stream.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
    ComponentReader reader(bytes);
    // Leave the stream just after the record, also when it is malformed.
    struct Restore {
        Stream& s;
        int64_t start;
        ComponentReader& r;
        ~Restore() { s.SetPosition(start + static_cast<int64_t>(r.Position())); }
    } restore{stream, start, reader};
    return read(reader);
}
}  // namespace

std::unique_ptr<Object> ReadComponent(Stream& stream) {
    return FromStream(stream, [](ComponentReader& r) { return r.ReadComponent(); });
}

void ReadComponent(Stream& stream, Object& instance) {
    FromStream(stream, [&](ComponentReader& r) { r.ReadComponent(instance); return 0; });
}

void WriteComponent(Stream& stream, const Object& instance) {
    ComponentWriter writer;
    writer.WriteComponent(instance);
    stream.WriteBuffer(writer.Bytes().data(), static_cast<int64_t>(writer.Bytes().size()));
}

}  // namespace rtl
