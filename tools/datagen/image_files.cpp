#include "image_files.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "png_writer.h"

namespace datagen {

namespace {

struct FileCloser {
  FILE* file;
  ~FileCloser() {
    if (file) std::fclose(file);
  }
};

std::string openError(const std::string& path) {
  return "cannot write " + path + ": " + std::strerror(errno);
}

struct JpegErrorTrap {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
  auto* trap = reinterpret_cast<JpegErrorTrap*>(info->err);
  (*info->err->format_message)(info, trap->message);
  std::longjmp(trap->jump, 1);
}

}  // namespace

std::string writeJpeg(const std::string& path, const Image& image, int quality) {
  FileCloser out{std::fopen(path.c_str(), "wb")};
  if (!out.file) return openError(path);
  std::vector<std::uint8_t> rgba = image.toRgba8();
  std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * 3);

  jpeg_compress_struct info;
  JpegErrorTrap trap;
  info.err = jpeg_std_error(&trap.base);
  trap.base.error_exit = jpegErrorExit;
  if (setjmp(trap.jump)) {
    jpeg_destroy_compress(&info);
    return "JPEG encoding of " + path + " failed: " + trap.message;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out.file);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.dct_method = JDCT_ISLOW;  // the exact integer transform: same bytes on every machine
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const std::uint8_t* src = &rgba[static_cast<std::size_t>(info.next_scanline) * image.width * 4];
    for (int x = 0; x < image.width; ++x) {
      row[static_cast<std::size_t>(x) * 3 + 0] = src[x * 4 + 0];
      row[static_cast<std::size_t>(x) * 3 + 1] = src[x * 4 + 1];
      row[static_cast<std::size_t>(x) * 3 + 2] = src[x * 4 + 2];
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  if (std::fflush(out.file) != 0 || std::ferror(out.file)) return openError(path);
  return {};
}

std::string writePng(const std::string& path, const Image& image, bool withAlpha) {
  std::vector<std::uint8_t> rgba = image.toRgba8();
  PngPicture picture;
  picture.width = image.width;
  picture.height = image.height;
  picture.layout = PngLayout::Rgba;
  picture.pixels = rgba.data();
  std::vector<std::uint8_t> rgb;
  if (!withAlpha) {
    rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    for (std::size_t i = 0, n = static_cast<std::size_t>(image.width) * image.height; i < n; ++i) {
      for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = rgba[i * 4 + c];
    }
    picture.layout = PngLayout::Rgb;
    picture.pixels = rgb.data();
  }
  std::string error;
  if (!writePngFile(path, picture, &error)) return error;
  return {};
}

std::vector<std::uint8_t> encodeTga(const Image& image) {
  std::vector<std::uint8_t> rgba = image.toRgba8();
  std::vector<std::uint8_t> out(18, 0);
  out[2] = 10;  // run-length encoded true colour
  out[12] = static_cast<std::uint8_t>(image.width & 0xFF);
  out[13] = static_cast<std::uint8_t>(image.width >> 8);
  out[14] = static_cast<std::uint8_t>(image.height & 0xFF);
  out[15] = static_cast<std::uint8_t>(image.height >> 8);
  out[16] = 32;
  out[17] = 8;  // 8 alpha bits; bit 5 clear: the first stored row is the bottom one
  auto pixel = [&](int x, int y) {
    const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
    // stored blue, green, red, alpha
    return (static_cast<std::uint32_t>(p[2])) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  };
  auto put = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  // Packets never cross a row, as readers expect.
  for (int y = image.height - 1; y >= 0; --y) {
    int x = 0;
    while (x < image.width) {
      int run = 1;
      while (x + run < image.width && run < 128 && pixel(x + run, y) == pixel(x, y)) ++run;
      if (run >= 2) {
        out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
        put(pixel(x, y));
        x += run;
        continue;
      }
      // literal packet: up to the next pair of equal pixels
      int count = 1;
      while (x + count < image.width && count < 128 &&
             !(x + count + 1 < image.width && pixel(x + count, y) == pixel(x + count + 1, y))) {
        ++count;
      }
      out.push_back(static_cast<std::uint8_t>(count - 1));
      for (int i = 0; i < count; ++i) put(pixel(x + i, y));
      x += count;
    }
  }
  // TGA 2.0 footer without extension or developer areas
  for (int i = 0; i < 8; ++i) out.push_back(0);
  const char signature[] = "TRUEVISION-XFILE.";
  out.insert(out.end(), signature, signature + sizeof(signature));  // includes the final 0
  return out;
}

std::string writeTga(const std::string& path, const Image& image) {
  std::vector<std::uint8_t> bytes = encodeTga(image);
  FileCloser out{std::fopen(path.c_str(), "wb")};
  if (!out.file) return openError(path);
  if (std::fwrite(bytes.data(), 1, bytes.size(), out.file) != bytes.size() || std::fflush(out.file) != 0) {
    return openError(path);
  }
  return {};
}

}  // namespace datagen
