// The main of every test program: tests run headless, and find the built programs
// (the component library, regsvr, datagen) beside themselves in the bin folder.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("SPRALLION_VIDEO", "headless", 0);
    ::setenv("SPRALLION_AUDIO", "null", 0);
    ::setenv("SPRALLION_MIDI", "null", 0);
    ::setenv("SPRALLION_TEXT", "headless", 0);
    ::setenv("SPRALLION_BIN_DIR", SPRALLION_TEST_BIN_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
