// The forty image files the build wrote into build/data/tex, read back with
// the reference decoders, and a second generation compared byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "catalogue.h"
#include "reference_decoders.h"
#include "temp_folder.h"

namespace {

const std::string kData = ZELVARO_DATA_DIR;

bool dataGenerated() { return ZELVARO_DATA_GENERATED && std::filesystem::exists(kData + "/tex"); }

#define REQUIRE_GENERATED_DATA()                                                                          \
  if (!dataGenerated()) GTEST_SKIP() << kData << " does not hold the generated data"                      \
                                     << " (ZELVARO_GENERATE_DATA=OFF or ZELVARO_DATA_OVERLAY set)"

DecodedFile decode(const datagen::DataFile& file) {
  std::string path = kData + "/tex/" + file.name;
  switch (file.format) {
    case datagen::FileFormat::jpeg: return decodeJpegFile(path);
    case datagen::FileFormat::pngAlpha:
    case datagen::FileFormat::pngOpaque: return decodePngFile(path);
    case datagen::FileFormat::tga: return decodeTgaFile(path);
  }
  return DecodedFile{};
}

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

int luminance(const DecodedFile& d, int x, int y) {
  const std::uint8_t* p = &d.rgba[(static_cast<std::size_t>(y) * d.width + x) * 4];
  return (p[0] * 3 + p[1] * 6 + p[2]) / 10;
}

bool isPhotograph(const datagen::DataFile& f) {
  return f.format == datagen::FileFormat::jpeg && f.width == 1024 && f.height == 1024 && f.aspect != 1.0f;
}

TEST(DatagenImages, EveryFileDecodesAtItsSizeWithItsChannels) {
  REQUIRE_GENERATED_DATA();
  ASSERT_EQ(datagen::kDataFileCount, 40);
  for (int i = 0; i < datagen::kDataFileCount; ++i) {
    const datagen::DataFile& f = datagen::kDataFiles[i];
    SCOPED_TRACE(f.name);
    DecodedFile d = decode(f);
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.width, f.width);
    EXPECT_EQ(d.height, f.height);
    EXPECT_TRUE(powerOfTwo(d.width) && powerOfTwo(d.height));
    int channels = f.format == datagen::FileFormat::jpeg || f.format == datagen::FileFormat::pngOpaque ? 3 : 4;
    EXPECT_EQ(d.channels, channels);
  }
}

TEST(DatagenImages, TransparentFilesHaveClearAndSolidPixels) {
  REQUIRE_GENERATED_DATA();
  for (int i = 0; i < datagen::kDataFileCount; ++i) {
    const datagen::DataFile& f = datagen::kDataFiles[i];
    if (f.format != datagen::FileFormat::pngAlpha && f.format != datagen::FileFormat::tga) continue;
    SCOPED_TRACE(f.name);
    DecodedFile d = decode(f);
    ASSERT_EQ(d.error, "");
    std::size_t clear = 0, solid = 0, total = d.rgba.size() / 4;
    for (std::size_t p = 0; p < total; ++p) {
      clear += d.rgba[p * 4 + 3] == 0;
      solid += d.rgba[p * 4 + 3] == 255;
    }
    EXPECT_GT(clear, total / 25) << "too little fully transparent background";
    EXPECT_GT(solid, total / 200) << "too little fully opaque drawing";
  }
}

TEST(DatagenImages, TheLogoTgaHoldsExactlyThePaintedPicture) {
  REQUIRE_GENERATED_DATA();
  const datagen::DataFile* logo = datagen::findDataFile("logos.tga");
  ASSERT_NE(logo, nullptr);
  DecodedFile d = decodeTgaFile(kData + "/tex/logos.tga");
  ASSERT_EQ(d.error, "");
  std::vector<std::uint8_t> painted = datagen::paintDataFile(*logo).toRgba8();
  EXPECT_TRUE(d.rgba == painted) << "rows flipped or run-length packets wrong";
}

TEST(DatagenImages, WrappingMapsHaveNoSeam) {
  REQUIRE_GENERATED_DATA();
  for (int i = 0; i < datagen::kDataFileCount; ++i) {
    const datagen::DataFile& f = datagen::kDataFiles[i];
    if (std::string(f.role).find("seamless") == std::string::npos) continue;
    SCOPED_TRACE(f.name);
    DecodedFile d = decode(f);
    ASSERT_EQ(d.error, "");
    // the step across the wrap edge against the typical step between neighbours
    double inside = 0.0, across = 0.0;
    for (int y = 0; y < d.height; ++y) {
      for (int x = 0; x + 1 < d.width; ++x) inside += std::abs(luminance(d, x + 1, y) - luminance(d, x, y));
      across += std::abs(luminance(d, 0, y) - luminance(d, d.width - 1, y));
    }
    inside /= static_cast<double>(d.height) * (d.width - 1);
    across /= d.height;
    EXPECT_LT(across, inside * 2.5 + 2.0) << "left and right edges do not meet";
    double insideV = 0.0, acrossV = 0.0;
    for (int x = 0; x < d.width; ++x) {
      for (int y = 0; y + 1 < d.height; ++y) insideV += std::abs(luminance(d, x, y + 1) - luminance(d, x, y));
      acrossV += std::abs(luminance(d, x, 0) - luminance(d, x, d.height - 1));
    }
    insideV /= static_cast<double>(d.width) * (d.height - 1);
    acrossV /= d.width;
    EXPECT_LT(acrossV, insideV * 2.5 + 2.0) << "top and bottom edges do not meet";
  }
}

TEST(DatagenImages, PhotographsAreDetailedAndNoTwoAlike) {
  REQUIRE_GENERATED_DATA();
  std::vector<std::vector<double>> thumbs;
  std::vector<std::string> names;
  for (int i = 0; i < datagen::kDataFileCount; ++i) {
    const datagen::DataFile& f = datagen::kDataFiles[i];
    if (!isPhotograph(f)) continue;
    SCOPED_TRACE(f.name);
    DecodedFile d = decode(f);
    ASSERT_EQ(d.error, "");
    // detail: the share of pixels that differ clearly from their right neighbour
    std::size_t edges = 0;
    for (int y = 0; y < d.height; y += 2) {
      for (int x = 0; x + 1 < d.width; ++x) edges += std::abs(luminance(d, x + 1, y) - luminance(d, x, y)) > 6;
    }
    EXPECT_GT(static_cast<double>(edges) / (d.width * d.height / 2.0), 0.04) << "too flat for a photograph";
    std::vector<double> thumb(16 * 16, 0.0);
    for (int y = 0; y < d.height; ++y) {
      for (int x = 0; x < d.width; ++x) thumb[static_cast<std::size_t>((y * 16 / d.height) * 16 + x * 16 / d.width)] += luminance(d, x, y);
    }
    for (double& v : thumb) v /= (d.width / 16.0) * (d.height / 16.0);
    thumbs.push_back(thumb);
    names.push_back(f.name);
  }
  ASSERT_EQ(thumbs.size(), 9u);
  for (std::size_t a = 0; a < thumbs.size(); ++a) {
    for (std::size_t b = a + 1; b < thumbs.size(); ++b) {
      double diff = 0.0;
      for (std::size_t k = 0; k < thumbs[a].size(); ++k) diff += std::fabs(thumbs[a][k] - thumbs[b][k]);
      EXPECT_GT(diff / thumbs[a].size(), 12.0) << names[a] << " and " << names[b] << " look alike";
    }
  }
}

TEST(DatagenImages, SoftGlowIsBrightInTheMiddleAndBlackAtTheEdges) {
  REQUIRE_GENERATED_DATA();
  DecodedFile d = decodeJpegFile(kData + "/tex/enva5.jpg");
  ASSERT_EQ(d.error, "");
  int edge = 0;
  for (int k = 0; k < d.width; ++k) {
    edge = std::max({edge, luminance(d, k, 0), luminance(d, k, d.height - 1), luminance(d, 0, k), luminance(d, d.width - 1, k)});
  }
  EXPECT_LT(edge, 12);
  EXPECT_GT(luminance(d, d.width / 2, d.height / 2), 220);
}

TEST(DatagenImages, WalkingFigureKeepsEachFrameInsideItsQuarter) {
  REQUIRE_GENERATED_DATA();
  DecodedFile d = decodePngFile(kData + "/tex/ludki.png");
  ASSERT_EQ(d.error, "");
  auto alpha = [&](int x, int y) { return d.rgba[(static_cast<std::size_t>(y) * d.width + x) * 4 + 3]; };
  std::vector<std::vector<std::uint8_t>> frames;  // each frame's pixels
  int frameW = d.width / 4;
  for (int f = 0; f < 4; ++f) {
    SCOPED_TRACE(f);
    std::size_t inked = 0;
    std::vector<std::uint8_t> mask;
    for (int y = 0; y < d.height; ++y) {
      for (int x = f * frameW; x < (f + 1) * frameW; ++x) {
        const std::uint8_t* p = &d.rgba[(static_cast<std::size_t>(y) * d.width + x) * 4];
        mask.insert(mask.end(), p, p + 4);
        inked += alpha(x, y) > 128;
      }
      // the frame's left and right columns stay clear, so frames never bleed into each other
      EXPECT_EQ(alpha(f * frameW, y), 0);
      EXPECT_EQ(alpha((f + 1) * frameW - 1, y), 0);
    }
    EXPECT_GT(inked, static_cast<std::size_t>(frameW * d.height / 20));
    frames.push_back(mask);
  }
  EXPECT_NE(frames[0], frames[1]);
  EXPECT_NE(frames[0], frames[2]);
  EXPECT_NE(frames[1], frames[3]);
}

TEST(DatagenImages, TheTitleCardIsOpaque) {
  REQUIRE_GENERATED_DATA();
  DecodedFile d = decodePngFile(kData + "/tex/drzewko.png");
  ASSERT_EQ(d.error, "");
  EXPECT_EQ(d.channels, 3);
}

TEST(DatagenRegeneration, RunningAgainGivesTheSameBytes) {
  REQUIRE_GENERATED_DATA();
  TempFolder folder("datagen-again");
  std::string out = folder.path();
  const std::vector<std::string> names = {"sunover.jpg", "port.jpg", "logos.tga", "text.png", "grupy3.png",
                                          "rosetyle.jpg", "drzewko.png", "zelvaro.mp3"};
  std::string command = std::string(ZELVARO_DATAGEN_PROGRAM) + " --jobs 2 --out " + out;
  for (const std::string& n : names) command += " --only " + n;
  command += " 2>&1";
  int status = std::system(command.c_str());
  ASSERT_EQ(status, 0) << command;
  for (const std::string& n : names) {
    std::string sub = n == "zelvaro.mp3" ? "/msx/" : "/tex/";
    std::vector<std::uint8_t> first = readWholeFile(kData + sub + n), second = readWholeFile(out + sub + n);
    EXPECT_FALSE(first.empty()) << n;
    EXPECT_TRUE(first == second) << n << " differs between two runs";
  }
}

}  // namespace
