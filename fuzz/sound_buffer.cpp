// Sound buffers filled from WAVE data: the reader, the size clamps and the mixer's buffer.
#include "media/DXSounds.h"
#include "platform/audio/NullOutput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto device =
        platform::audio::Device::Create(std::make_unique<platform::audio::NullOutput>([] { return 0u; }, 22050));
    static media::TDirectSound sound(1, 0, device);
    media::TDXWaveList list(&sound);
    rtl::MemoryStream stream(std::vector<uint8_t>(data, data + size));
    auto& item = list.Add("fuzz");
    try {
        item.LoadFromStream(stream);
    } catch (const media::EDirectXError&) {
        return 0;
    }
    if (item.Buffer().Size() > size) __builtin_trap();  // never more than the input held
    item.Play();
    item.Stop();
    return 0;
}
