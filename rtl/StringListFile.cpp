// The file side of StringList, kept apart so that the list itself needs no file streams.
#include "rtl/StringList.h"
#include "rtl/Streams.h"

namespace rtl {

void StringList::LoadFromFile(const std::string& fileName) {
    FileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void StringList::SaveToFile(const std::string& fileName) const {
    const std::string text = Text();
    WriteFileAtomically(fileName, text.data(), text.size());
}

}  // namespace rtl
