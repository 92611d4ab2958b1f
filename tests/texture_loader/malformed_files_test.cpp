// Files that are broken on purpose (fuzz finds, CVE reproducers, truncated
// and oversized headers) either fail to decode or decode; nothing crashes,
// hangs or reads outside the file.
#include <gtest/gtest.h>

#include "image_test_support.h"

namespace {

std::vector<std::string> filesBelow(const std::string& dir) {
    std::vector<std::string> found;
    std::vector<std::string> pending = {dir};
    while (!pending.empty()) {
        std::string folder = pending.back();
        pending.pop_back();
        for (const std::string& name : listFiles(folder, "")) {
            std::string path = folder + "/" + name;
            if (isDirectory(path))
                pending.push_back(path);
            else
                found.push_back(path);
        }
    }
    return found;
}

// Decodes every file; the only claim is that each call returns.
int decodeAll(const std::string& dir) {
    int count = 0;
    for (const std::string& path : filesBelow(dir)) {
        std::vector<BYTE> bytes = readWholeFile(path);
        DecodedImage image;
        if (decodeBytes(bytes, &image)) {
            // A decoded image must be whole: touch every pixel row.
            RgbaPixels rgba = toRgba(image);
            EXPECT_EQ((size_t)image.width * image.height * 4, rgba.pixels.size()) << path;
        }
        count++;
    }
    return count;
}

}  // namespace

TEST(MalformedFiles, SharedCorporaNeverCrashTheDecoders) {
    REQUIRE_TEST_IMAGES(dir);
    int count = decodeAll(dir + "/malformed");
    EXPECT_GT(count, 1300);
}

TEST(MalformedFiles, BadBitmapsAndTgaHeadersNeverCrash) {
    REQUIRE_TEST_IMAGES(dir);
    EXPECT_GT(decodeAll(dir + "/bmpsuite-2.8/b"), 20);
    EXPECT_GT(decodeAll(dir + "/bmpsuite-2.8/q"), 20);
    EXPECT_GT(decodeAll(dir + "/tga/image-rs/malformed"), 5);
}

