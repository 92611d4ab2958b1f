// The registry value "DisableMMX" turns off the JPEG decoder's SIMD code
// (libjpeg-turbo's, through its JSIMD_FORCENONE switch). The decoder makes
// the choice once per process, so each case runs in a fresh process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "image_decoders.h"
#include "image_writers.h"

namespace {

// Decodes a small JPEG with the registry value set to `value` (or absent when
// null) and ends the process: 0 when the SIMD switch came out as `expectOff`
// says and the picture decoded, 1 otherwise.
void decodeAndExit(const char* value, bool expectOff) {
    unsetenv("JSIMD_FORCENONE");
    if (value) setenv("ZELVARO_REG_DisableMMX", value, 1);
    else unsetenv("ZELVARO_REG_DisableMMX");
    std::vector<BYTE> file = encodeJpeg(16, 16, [](UINT x, UINT) { return x < 8 ? 0xFF2040E0u : 0xFFE0C020u; });
    DecodedImage image;
    bool decoded = SUCCEEDED(decodeJpg(file.data(), UINT(file.size()), &image)) && image.width == 16 &&
                   image.pixels[0] > 200 && image.pixels[2] < 80;  // B, G, R, X: the left half is blue
    const char* force = getenv("JSIMD_FORCENONE");
    bool off = force != nullptr && strcmp(force, "1") == 0;
    std::exit(decoded && off == expectOff ? 0 : 1);
}

class JpegSimdSwitch : public ::testing::Test {
protected:
    void SetUp() override { ::testing::FLAGS_gtest_death_test_style = "threadsafe"; }
};

TEST_F(JpegSimdSwitch, DisableMmxOfOneTurnsTheSimdCodeOff) {
    EXPECT_EXIT(decodeAndExit("1", true), ::testing::ExitedWithCode(0), "");
}

TEST_F(JpegSimdSwitch, AnyNonZeroValueTurnsItOff) {
    EXPECT_EXIT(decodeAndExit("0x10", true), ::testing::ExitedWithCode(0), "");
}

TEST_F(JpegSimdSwitch, AbsentOrZeroLeavesItOn) {
    EXPECT_EXIT(decodeAndExit(nullptr, false), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(decodeAndExit("0", false), ::testing::ExitedWithCode(0), "");
}

}  // namespace
