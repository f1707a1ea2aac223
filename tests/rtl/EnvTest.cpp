#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Every test runs headless and knows where the built programs are.
TEST(TestEnvironment, IsHeadlessAndNamesTheBinFolder) {
    const char* video = std::getenv("SPRALLION_VIDEO");
    const char* audio = std::getenv("SPRALLION_AUDIO");
    const char* bin = std::getenv("SPRALLION_BIN_DIR");
    ASSERT_NE(video, nullptr);
    ASSERT_NE(audio, nullptr);
    ASSERT_NE(bin, nullptr);
    EXPECT_STREQ(video, "headless");
    EXPECT_STREQ(audio, "null");
    EXPECT_NE(std::string(bin).find("/bin"), std::string::npos);
}

}  // namespace
