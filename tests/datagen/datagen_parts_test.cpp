// Parts of the generator on their own: the bit-exact elementary functions,
// tiling noise, the TGA run-length encoder, error reports for bad output
// paths, and the program's handling of bad arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include <sys/wait.h>

#include "det_math.h"
#include "image.h"
#include "image_files.h"
#include "mp3_file.h"
#include "noise.h"
#include "reference_decoders.h"
#include "text_render.h"

namespace {

TEST(DatagenMath, AgreesWithTheCLibraryOverWideRanges) {
  for (double x = -200.0; x <= 200.0; x += 0.01234) {
    ASSERT_NEAR(datagen::detSin(x), std::sin(x), 1e-9) << x;
    ASSERT_NEAR(datagen::detCos(x), std::cos(x), 1e-9) << x;
  }
  for (double x = -30.0; x <= 30.0; x += 0.0173) {
    ASSERT_NEAR(datagen::detExp2(x) / std::exp2(x), 1.0, 1e-12) << x;
  }
  for (double y = -3.0; y <= 3.0; y += 0.25) {
    for (double x = -3.0; x <= 3.0; x += 0.25) {
      ASSERT_NEAR(datagen::detAtan2(y, x), std::atan2(y, x), 1e-9) << y << "," << x;
    }
  }
}

TEST(DatagenNoise, PeriodicNoiseRepeatsExactlyAfterItsPeriod) {
  for (float y = 0.0f; y < 4.0f; y += 0.37f) {
    for (float x = 0.0f; x < 4.0f; x += 0.29f) {
      // equal up to the rounding of x + 4 in float
      EXPECT_NEAR(datagen::valueNoise(x, y, 5u, 4), datagen::valueNoise(x + 4.0f, y, 5u, 4), 1e-5f);
      EXPECT_NEAR(datagen::fractalNoise(x, y, 9u, 5, 0.5f, 4), datagen::fractalNoise(x, y + 4.0f, 9u, 5, 0.5f, 4), 1e-4f);
      float n = datagen::fractalNoise(x, y, 3u, 6);
      EXPECT_GE(n, 0.0f);
      EXPECT_LE(n, 1.0f);
    }
  }
}

TEST(DatagenTga, RunsAndLiteralsDecodeToTheSamePixelsInTheRightRowOrder) {
  datagen::Image image(300, 7);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      // a flat stretch longer than one packet, a noisy stretch, pairs, and a gradient per row
      float v = x < 200 ? 0.25f : (x < 250 ? datagen::hashUnit(x, y, 1u) : static_cast<float>((x / 2) % 2));
      image.at(x, y) = datagen::Color{v, static_cast<float>(y) / 6.0f, 1.0f - v, x % 3 == 0 ? 1.0f : 0.5f * v};
    }
  }
  std::vector<std::uint8_t> bytes = datagen::encodeTga(image);
  DecodedFile d = decodeTgaBytes(bytes);
  ASSERT_EQ(d.error, "");
  EXPECT_EQ(d.width, 300);
  EXPECT_EQ(d.height, 7);
  EXPECT_TRUE(d.rgba == image.toRgba8());
  // a flat picture shrinks to a few packets per row
  datagen::Image flat(256, 64, datagen::Color{0.1f, 0.2f, 0.3f, 1.0f});
  EXPECT_LT(datagen::encodeTga(flat).size(), 18u + 26u + 64u * 2u * 5u + 1u);
}

TEST(DatagenWriters, ReportUnwritablePathsInsteadOfFailingSilently) {
  datagen::Image image(8, 8, datagen::Color{1, 0, 0, 1});
  const std::string bad = "/nonexistent-zelvaro-dir/out";
  EXPECT_NE(datagen::writeJpeg(bad + ".jpg", image, 90).find(bad), std::string::npos);
  EXPECT_NE(datagen::writePng(bad + ".png", image, true).find(bad), std::string::npos);
  EXPECT_NE(datagen::writeTga(bad + ".tga", image).find(bad), std::string::npos);
  std::vector<std::int16_t> silence(44100 * 2, 0);
  EXPECT_NE(datagen::writeMp3(bad + ".mp3", silence, 128).find(bad), std::string::npos);
}

TEST(DatagenText, LongerTextMakesAWiderMaskAndFittingShrinksIt) {
  datagen::TextMask shortText = datagen::renderText(datagen::Font::sansBold, "zel", 40);
  datagen::TextMask longText = datagen::renderText(datagen::Font::sansBold, "zelvaro", 40);
  ASSERT_EQ(shortText.error, "");
  ASSERT_EQ(longText.error, "");
  EXPECT_GT(longText.mask.width, shortText.mask.width);
  datagen::TextMask fitted = datagen::fitText(datagen::Font::sansBold, "zelvaro", 100, 30, 2, 200);
  ASSERT_EQ(fitted.error, "");
  EXPECT_LE(fitted.mask.width, 100);
  EXPECT_LE(fitted.mask.height, 30);
}

std::string run(const std::string& arguments, int& status) {
  std::string command = std::string(ZELVARO_DATAGEN_PROGRAM) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  if (!pipe) return output;
  char buffer[256];
  while (std::fgets(buffer, sizeof(buffer), pipe)) output += buffer;
  int raw = pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

TEST(DatagenProgram, RejectsBadArgumentsWithAMessage) {
  int status = 0;
  std::string out = run("--frobnicate", status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("unknown argument"), std::string::npos) << out;
  out = run("--only no-such-file.png", status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("no-such-file.png"), std::string::npos) << out;
  out = run("--jobs 0", status);
  EXPECT_EQ(status, 2);
  out = run("--out", status);
  EXPECT_EQ(status, 2);
}

TEST(DatagenProgram, ReportsAnOutputDirectoryItCannotCreate) {
  int status = 0;
  std::string out = run("--out /proc/zelvaro-datagen-cannot-be-here --only funk.jpg", status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("cannot create directory"), std::string::npos) << out;
}

TEST(DatagenProgram, ListsEveryFile) {
  int status = 0;
  std::string out = run("--list", status);
  EXPECT_EQ(status, 0);
  for (const char* name : {"rosetyle.jpg", "logos.tga", "drzewko.png", "zelvaro.mp3"}) {
    EXPECT_NE(out.find(name), std::string::npos) << name;
  }
}

}  // namespace
