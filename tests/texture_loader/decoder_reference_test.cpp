// Decoded pixels of every format against independent references: PngSuite's
// expected RGBA, the TGA sets, bmpsuite, DDS and PPM samples with reference
// PNGs. References in PNG form are read with the loader's own PNG decoder,
// which the PngSuite cases check against expectations in plain numbers.
#include <gtest/gtest.h>

#include "image_test_support.h"

namespace {

void expectMatchesReference(const std::string& file, const std::string& reference, int tolerance,
                            bool compareAlpha = true) {
    RgbaPixels actual;
    RgbaPixels expected;
    ASSERT_TRUE(decodeFileToRgba(file, &actual)) << file << " did not decode";
    ASSERT_TRUE(decodeFileToRgba(reference, &expected)) << reference << " did not decode";
    EXPECT_EQ("", compareRgba(actual, expected, tolerance, compareAlpha)) << file;
}

void expectRejected(const std::string& file) {
    std::vector<BYTE> bytes = readWholeFile(file);
    ASSERT_FALSE(bytes.empty()) << file;
    DecodedImage image;
    EXPECT_FALSE(decodeBytes(bytes, &image)) << file << " decoded but must fail";
}

}  // namespace

TEST(PngSuite, EveryValidFileMatchesItsExpectedPixels) {
    REQUIRE_TEST_IMAGES(dir);
    int checked = 0;
    for (const std::string& name : listFiles(dir + "/pngsuite/png", ".png")) {
        if (name[0] == 'x') continue;
        std::string base = name.substr(0, name.size() - 4);
        bool sixteen = base.find("16") != std::string::npos;
        std::string json = dir + "/pngsuite/json/" + base + (sixteen ? "_to8" : "") + ".json";
        std::vector<long> expected = readJsonNumbers(json);
        if (expected.empty()) continue;  // no expectation for this file
        RgbaPixels actual;
        ASSERT_TRUE(decodeFileToRgba(dir + "/pngsuite/png/" + name, &actual)) << name;
        ASSERT_EQ(expected.size(), actual.pixels.size()) << name;
        RgbaPixels reference;
        reference.width = actual.width;
        reference.height = actual.height;
        for (long v : expected) reference.pixels.push_back((BYTE)v);
        EXPECT_EQ("", compareRgba(actual, reference, sixteen ? 1 : 0)) << name;
        checked++;
    }
    EXPECT_GT(checked, 140);
}

TEST(PngSuite, TheFourteenBrokenFilesFail) {
    REQUIRE_TEST_IMAGES(dir);
    int count = 0;
    for (const std::string& name : listFiles(dir + "/pngsuite/png", ".png")) {
        if (name[0] != 'x') continue;
        expectRejected(dir + "/pngsuite/png/" + name);
        count++;
    }
    EXPECT_EQ(14, count);
}

// Alpha policy: 16- and 32-bit TGA keep their stored alpha unless the TGA 2.0
// extension area declares it absent or undefined, as the Truevision samples do.
TEST(TgaFiles, TruevisionSamplesMatchTheirGoldenImages) {
    REQUIRE_TEST_IMAGES(top);
    std::string dir = top + "/tga/truevision-ftrvxmtrx/";
    const char* pairs[][2] = {
        {"cbw8", "bw"}, {"ubw8", "bw"}, {"ctc16", "color"}, {"utc16", "color"},
        {"ctc24", "color"}, {"utc24", "color"}, {"ctc32", "color"}, {"utc32", "color"},
        {"ccm8", "color"}, {"ucm8", "color"},
        {"monochrome8_bottom_left", "monochrome8"}, {"monochrome8_bottom_left_rle", "monochrome8"},
        {"monochrome16_top_left", "monochrome16"}, {"monochrome16_top_left_rle", "monochrome16"},
        {"rgb24_bottom_left_rle", "rgb24.0"}, {"rgb24_top_left", "rgb24.0"},
        {"rgb24_top_left_colormap", "rgb24.1"}, {"rgb32_bottom_left", "rgb32.0"},
        {"rgb32_top_left_rle", "rgb32.0"}, {"rgb32_top_left_rle_colormap", "rgb32.1"},
    };
    for (auto& pair : pairs)
        expectMatchesReference(dir + pair[0] + ".tga", dir + pair[1] + ".png", 0);
}

// These references round 5-bit channels differently (±1) and disagree on
// alpha; colour is compared.
TEST(TgaFiles, ImageRsSamplesMatchTheirReferencesInColour) {
    REQUIRE_TEST_IMAGES(top);
    std::string dir = top + "/tga/image-rs/";
    for (const std::string& png : listFiles(dir + "reference", ".tga.png")) {
        std::string tga = png.substr(0, png.size() - 4);
        std::string file = dir + "testsuite/" + tga;
        if (readWholeFile(file).empty()) file = top + "/tga/truevision-ftrvxmtrx/" + tga;
        expectMatchesReference(file, dir + "reference/" + png, 1, false);
    }
}

TEST(TgaFiles, PillowSetsCoverEveryTypeDepthAndRowOrder) {
    REQUIRE_TEST_IMAGES(top);
    std::string dir = top + "/tga/pillow/";
    int checked = 0;
    for (const std::string& tga : listFiles(dir + "common", ".tga")) {
        // {size}_{mode}_{bl|tl}_{raw|rle}.tga against {size}_{mode}.png
        size_t cut = tga.rfind('_');
        cut = tga.rfind('_', cut - 1);
        expectMatchesReference(dir + "common/" + tga, dir + "common/" + tga.substr(0, cut) + ".png", 0);
        checked++;
    }
    EXPECT_GT(checked, 20);
    expectMatchesReference(dir + "extra/p_16.tga", dir + "extra/p_16.png", 1);
    expectMatchesReference(dir + "extra/cross_scan_line.tga", dir + "extra/cross_scan_line.png", 0);
    expectMatchesReference(dir + "extra/200x32_p_bl_raw_origin.tga", dir + "common/200x32_p.png", 0);
    expectRejected(dir + "extra/p_8.tga");
    expectRejected(dir + "extra/cross_scan_line_truncated.tga");
}

TEST(TgaFiles, RightToLeftAndSixteenBitAlpha) {
    REQUIRE_TEST_IMAGES(top);
    std::string dir = top + "/tga/pillow/extra/";
    RgbaPixels topRight, bottomRight, rgba16, idField;
    ASSERT_TRUE(decodeFileToRgba(dir + "rgb32rle_top_right.tga", &topRight));
    ASSERT_TRUE(decodeFileToRgba(dir + "rgb32rle_bottom_right.tga", &bottomRight));
    auto at = [](const RgbaPixels& image, UINT x, UINT y) { return &image.pixels[(y * image.width + x) * 4]; };
    EXPECT_EQ(0, at(topRight, 90, 90)[0]);
    EXPECT_EQ(0, at(topRight, 90, 90)[1]);
    EXPECT_EQ(0, at(topRight, 90, 90)[2]);
    EXPECT_EQ(0, at(bottomRight, 90, 90)[0]);
    EXPECT_EQ(255, at(bottomRight, 90, 90)[1]);
    EXPECT_EQ(0, at(bottomRight, 90, 90)[2]);
    // Colours as Pillow reads them; alpha follows our policy (the top bit of
    // an A1R5G5B5 pixel is its alpha), which Pillow reads inverted here.
    ASSERT_TRUE(decodeFileToRgba(dir + "rgba16.tga", &rgba16));
    const BYTE* p0 = at(rgba16, 0, 0);
    const BYTE* p1 = at(rgba16, 1, 0);
    EXPECT_NEAR(172, p0[0], 1);
    EXPECT_EQ(0, p0[1]);
    EXPECT_EQ(255, p0[2]);
    EXPECT_EQ(0, p1[0]);
    EXPECT_EQ(255, p1[1]);
    EXPECT_NEAR(82, p1[2], 1);
    EXPECT_NE(p0[3], p1[3]);
    ASSERT_TRUE(decodeFileToRgba(dir + "tga_id_field.tga", &idField));
    EXPECT_EQ(100u, idField.width);
    EXPECT_EQ(100u, idField.height);
}

TEST(BmpFiles, GoodBmpSuiteFilesMatchTheirReferences) {
    REQUIRE_TEST_IMAGES(top);
    std::string dir = top + "/bmpsuite-2.8/g/";
    int checked = 0;
    for (const std::string& bmp : listFiles(dir, ".bmp")) {
        expectMatchesReference(dir + bmp, dir + bmp.substr(0, bmp.size() - 4) + ".png", 1);
        checked++;
    }
    EXPECT_GT(checked, 25);
}

TEST(BmpFiles, PngSuiteConversionsHoldTheSamePixels) {
    REQUIRE_TEST_IMAGES(top);
    std::string dir = top + "/pngsuite/";
    int checked = 0;
    for (const std::string& bmp : listFiles(dir + "bmp", ".bmp")) {
        std::string base = bmp.substr(0, bmp.size() - 4);
        std::vector<long> expected = readJsonNumbers(dir + "json/" + base + ".json");
        if (base.find("16") != std::string::npos) expected = readJsonNumbers(dir + "json/" + base + "_to8.json");
        RgbaPixels actual;
        ASSERT_TRUE(decodeFileToRgba(dir + "bmp/" + bmp, &actual)) << bmp;
        if (expected.size() != actual.pixels.size()) continue;
        RgbaPixels reference = actual;
        for (size_t i = 0; i < expected.size(); i++) reference.pixels[i] = (BYTE)expected[i];
        EXPECT_EQ("", compareRgba(actual, reference, 1)) << bmp;
        checked++;
    }
    EXPECT_GT(checked, 100);
}

TEST(DdsFiles, SupportedLayoutsMatchTheirReferences) {
    REQUIRE_TEST_IMAGES(top);
    std::string dir = top + "/dds-pillow/";
    // Block formats are compared loosely: decoders round interpolated colours differently.
    const struct {
        const char* name;
        int tolerance;
    } files[] = {
        {"argb-32bpp_MipMaps-1", 0}, {"bgr15", 1}, {"hopper", 0}, {"uncompressed_l", 0},
        {"uncompressed_la", 0}, {"uncompressed_rgb", 0}, {"DXGI_FORMAT_R8G8B8A8_UNORM_SRGB", 0},
        {"dxt1-rgb-4bbp-noalpha_MipMaps-1", 3}, {"dxt3-argb-8bbp-explicitalpha_MipMaps-1", 3},
        {"dxt5-argb-8bbp-interpolatedalpha_MipMaps-1", 3}, {"ati1", 2}, {"bc4_unorm", 2}, {"bc5_unorm", 2},
    };
    for (auto& file : files)
        expectMatchesReference(dir + file.name + ".dds", dir + file.name + ".png", file.tolerance);
}

TEST(DdsFiles, UnsupportedAndDamagedFilesAreRejected) {
    REQUIRE_TEST_IMAGES(top);
    std::string dir = top + "/dds-pillow/";
    for (const char* name : {"unimplemented_dxgi_format", "unimplemented_pfflags", "unimplemented_pixel_format",
                             "unsupported_bitcount"})
        expectRejected(dir + name + ".dds");
    for (const std::string& name : listFiles(dir, ".dds"))
        if (name.compare(0, 8, "timeout-") == 0) expectRejected(dir + name);
    // All channel masks zero: loads without dividing by zero.
    std::vector<BYTE> bytes = readWholeFile(dir + "zero_mask_totals.dds");
    DecodedImage image;
    EXPECT_TRUE(decodeBytes(bytes, &image));
}

TEST(PpmFiles, PlainAndRawFormsDecodeToTheSamePixels) {
    REQUIRE_TEST_IMAGES(top);
    std::string dir = top + "/ppm-pillow/";
    expectMatchesReference(dir + "hopper_8bit.ppm", dir + "hopper.png", 0);
    RgbaPixels commented;
    ASSERT_TRUE(decodeFileToRgba(dir + "hopper.ppm", &commented));  // '#' comment in its header
    EXPECT_EQ(128u, commented.width);
    expectMatchesReference(dir + "hopper_1bit_plain.pbm", dir + "hopper_1bit.pbm", 0);
    expectMatchesReference(dir + "hopper_8bit_plain.pgm", dir + "hopper_8bit.pgm", 0);
    expectMatchesReference(dir + "hopper_16bit_plain.pgm", dir + "hopper_16bit.pgm", 0);
    expectMatchesReference(dir + "hopper_8bit_plain.ppm", dir + "hopper_8bit.ppm", 0);
    RgbaPixels wide;
    ASSERT_TRUE(decodeFileToRgba(dir + "16_bit_binary.pgm", &wide));
    expectRejected(dir + "negative_size.ppm");
}
