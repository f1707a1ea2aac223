#include "media/Wave.h"

#include "media/DXClass.h"

#include <gtest/gtest.h>

#include "tools/datagen/Container.h"
#include "tools/datagen/Wave.h"

using namespace media;

namespace {
rtl::MemoryStream StreamOf(const std::string& bytes) { return rtl::MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end())); }

// A named collection spread by the sound-name hash, as the sound lists use it.
struct List : THashCollection {
    List() : THashCollection([](TDXCollection* c) -> TDXCollectionItem* { return new THashCollectionItem(static_cast<THashCollection*>(c)); },
                             wave::HashName) {}
    THashCollectionItem& Named(const std::string& name) {
        auto& item = *static_cast<THashCollectionItem*>(Add());
        item.SetName(name);
        return item;
    }
};
}  // namespace

TEST(OpenWaveStream, FieldsAndSamplesAsWritten) {
    for (uint16_t bits : {8, 16})
        for (uint16_t channels : {1, 2}) {
            datagen::WaveParams params;
            params.bitsPerSample = bits, params.channels = channels, params.rate = 11025;
            params.samples = datagen::TestSamples(channels, bits, 101);
            params.chunksBeforeFmt = {{"LIST", "odd"}};       // padded odd chunk before the format
            params.chunksBeforeData = {{"cue ", std::string(5, 'c')}};
            params.fmtSize = 20;                               // 18 read, 2 skipped
            auto s = StreamOf(datagen::BuildWave(params) + "tail");
            TWaveReader r;
            ASSERT_TRUE(OpenWaveStream(&s, r));
            EXPECT_EQ(r.Format.nChannels, channels);
            EXPECT_EQ(r.Format.wBitsPerSample, bits);
            EXPECT_EQ(r.Format.nSamplesPerSec, 11025u);
            EXPECT_EQ(r.Format.cbSize, 2);
            EXPECT_EQ(r.DataSize, params.samples.size());
            EXPECT_EQ(r.SampleCount, 101u);
            std::string got(params.samples.size() + 10, '\0');
            EXPECT_EQ(ReadWaveData(r, static_cast<int32_t>(got.size()), got.data()), static_cast<int32_t>(params.samples.size()));
            EXPECT_EQ(got.substr(0, params.samples.size()), params.samples);
        }
}

TEST(OpenWaveStream, RefusalsAndHostileFields) {
    auto open = [](const std::string& bytes, uint8_t& error) {
        auto s = StreamOf(bytes);
        TWaveReader r;
        const bool ok = OpenWaveStream(&s, r);
        error = r.Error;
        EXPECT_EQ(ok, r.Stream != nullptr);
        return ok;
    };
    uint8_t error = 0;
    EXPECT_FALSE(open("", error));
    EXPECT_EQ(error, wrNoStream);
    TWaveReader none;
    EXPECT_FALSE(OpenWaveStream(nullptr, none));
    EXPECT_EQ(ReadWaveData(none, 4, nullptr), -1);
    EXPECT_FALSE(open("RIFX" + std::string(40, '\0'), error));
    EXPECT_EQ(error, wrNotRiff);
    EXPECT_FALSE(open(std::string("RIFF\0\0\0\0WAVX", 12), error));
    EXPECT_EQ(error, wrNotWave);
    datagen::WaveParams s;
    s.samples = datagen::TestSamples(1, 16, 10);
    s.formatTag = 2;
    EXPECT_FALSE(open(datagen::BuildWave(s), error));
    EXPECT_EQ(error, wrADPCM);
    s.formatTag = 3;
    EXPECT_FALSE(open(datagen::BuildWave(s), error));
    EXPECT_EQ(error, wrNotPCM);
    s.formatTag = 1;
    s.withData = false;
    EXPECT_FALSE(open(datagen::BuildWave(s), error));  // no data chunk
    s.withData = true;
    s.rate = 0, s.avgBytes = 0, s.blockAlign = 0;     // nothing to divide by
    EXPECT_FALSE(open(datagen::BuildWave(s), error));
    s = datagen::WaveParams{};
    s.samples = datagen::TestSamples(1, 16, 10);
    s.avgBytes = 1;                                    // bytes per second below the rate
    EXPECT_TRUE(open(datagen::BuildWave(s), error));
    s.dataSizeDelta = 1000000;                         // more than the stream holds
    auto big = StreamOf(datagen::BuildWave(s));
    TWaveReader r;
    ASSERT_TRUE(OpenWaveStream(&big, r));
    EXPECT_EQ(r.DataSize, 20u);
    // Chunks beyond 2048 bytes are still walked.
    s.dataSizeDelta = 0;
    s.chunksBeforeFmt = {{"LIST", std::string(3000, 'x')}};
    EXPECT_TRUE(open(datagen::BuildWave(s), error));
    // A padding chunk that ends exactly at byte 2048, where the data chunk begins.
    s.chunksBeforeFmt.clear();
    s.chunksBeforeData = {{"JUNK", ""}};
    const size_t unpadded = datagen::BuildWave(s).find("data");
    s.chunksBeforeData = {{"JUNK", std::string(2048 - unpadded, '\0')}};
    const std::string aligned = datagen::BuildWave(s);
    ASSERT_EQ(aligned.find("data"), 2048u);
    EXPECT_TRUE(open(aligned, error));
}

TEST(SoundNameList, HashAndLookups) {
    EXPECT_EQ(wave::HashName("a"), 97);
    EXPECT_EQ(wave::HashName("ab"), 66);
    EXPECT_EQ(wave::HashName(""), 0);
    EXPECT_EQ(wave::HashName("A"), 97) << "names hash folded, so every case shares a bucket";
    EXPECT_EQ(wave::HashName("\xC7\xE2\xF3\xEA"), wave::HashName("\xE7\xE2\xF3\xEA"));
    List list;
    THashCollectionItem& boom = list.Named("Boom");
    list.Named("Bang");
    EXPECT_EQ(boom.Bucket(), wave::HashName("boom"));
    EXPECT_EQ(list.IndexOf("Boom"), 0);
    EXPECT_EQ(list.IndexOf("Bang"), 1);
    EXPECT_EQ(list.IndexOf("Quiet"), -1);
    EXPECT_EQ(list.IndexOf("bOOM"), 0);
    boom.SetName("Boom");  // its own name: nothing moves
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.IndexOf("Boom"), 0);
    boom.SetName("Crash");
    EXPECT_EQ(list.IndexOf("Boom"), -1);
    EXPECT_EQ(list.IndexOf("Crash"), 0);  // a rename keeps the item's place in the list
    delete list.Items(0);
    EXPECT_EQ(list.IndexOf("Crash"), -1);
    EXPECT_EQ(list.IndexOf("Bang"), 0) << "indexes stay current after a removal";
    std::unique_ptr<int> owned = std::make_unique<int>(1);
    FreeAndNilObject(owned);
    EXPECT_EQ(owned, nullptr);
}
