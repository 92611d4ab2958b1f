#include "reference_decoders.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <jpeglib.h>
#include <png.h>

std::vector<std::uint8_t> readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

struct JpegTrap {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void jpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegTrap*>(info->err)->jump, 1); }

}  // namespace

DecodedFile decodeJpegFile(const std::string& path) {
  DecodedFile out;
  std::vector<std::uint8_t> bytes = readWholeFile(path);
  if (bytes.empty()) {
    out.error = "missing or empty: " + path;
    return out;
  }
  jpeg_decompress_struct info;
  JpegTrap trap;
  info.err = jpeg_std_error(&trap.base);
  trap.base.error_exit = jpegFail;
  if (setjmp(trap.jump)) {
    jpeg_destroy_decompress(&info);
    out.error = "libjpeg failed on " + path;
    return out;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  out.width = static_cast<int>(info.output_width);
  out.height = static_cast<int>(info.output_height);
  out.channels = info.num_components;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(out.width) * 3);
  out.rgba.resize(static_cast<std::size_t>(out.width) * out.height * 4);
  while (info.output_scanline < info.output_height) {
    std::size_t y = info.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (int x = 0; x < out.width; ++x) {
      std::uint8_t* p = &out.rgba[(y * static_cast<std::size_t>(out.width) + static_cast<std::size_t>(x)) * 4];
      p[0] = row[static_cast<std::size_t>(x) * 3];
      p[1] = row[static_cast<std::size_t>(x) * 3 + 1];
      p[2] = row[static_cast<std::size_t>(x) * 3 + 2];
      p[3] = 255;
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return out;
}

DecodedFile decodePngFile(const std::string& path) {
  DecodedFile out;
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    out.error = "libpng cannot read " + path + ": " + image.message;
    return out;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.channels = (image.format & PNG_FORMAT_FLAG_ALPHA) ? 4 : 3;
  image.format = PNG_FORMAT_RGBA;
  out.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
    out.error = "libpng failed on " + path + ": " + image.message;
  }
  png_image_free(&image);
  return out;
}

DecodedFile decodeTgaBytes(const std::vector<std::uint8_t>& bytes) {
  DecodedFile out;
  if (bytes.size() < 18) {
    out.error = "shorter than a TGA header";
    return out;
  }
  int idLength = bytes[0], mapType = bytes[1], type = bytes[2];
  out.width = bytes[12] | (bytes[13] << 8);
  out.height = bytes[14] | (bytes[15] << 8);
  int depth = bytes[16], descriptor = bytes[17];
  if (mapType != 0 || type != 10 || depth != 32 || (descriptor & 0x0F) != 8 || out.width == 0 || out.height == 0) {
    out.error = "not a 32-bit run-length true-colour TGA with 8 alpha bits";
    return out;
  }
  out.channels = 4;
  bool topDown = (descriptor & 0x20) != 0;
  std::size_t pos = 18 + static_cast<std::size_t>(idLength);
  std::size_t total = static_cast<std::size_t>(out.width) * out.height;
  std::vector<std::uint8_t> stored(total * 4);
  std::size_t done = 0;
  while (done < total) {
    if (pos >= bytes.size()) {
      out.error = "pixel data ends early";
      return out;
    }
    int header = bytes[pos++];
    std::size_t count = static_cast<std::size_t>(header & 0x7F) + 1;
    // a packet must not run past the end of its row
    if (done % static_cast<std::size_t>(out.width) + count > static_cast<std::size_t>(out.width)) {
      out.error = "a packet crosses a row boundary";
      return out;
    }
    bool run = (header & 0x80) != 0;
    std::size_t need = run ? 4 : 4 * count;
    if (pos + need > bytes.size()) {
      out.error = "packet data ends early";
      return out;
    }
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* src = &bytes[pos + (run ? 0 : 4 * i)];
      std::uint8_t* dst = &stored[(done + i) * 4];
      dst[0] = src[2];  // stored blue, green, red, alpha
      dst[1] = src[1];
      dst[2] = src[0];
      dst[3] = src[3];
    }
    pos += need;
    done += count;
  }
  // what follows must be the 26-byte TGA 2.0 footer
  static const char signature[] = "TRUEVISION-XFILE.";
  if (bytes.size() - pos != 26 || std::memcmp(&bytes[pos + 8], signature, sizeof(signature)) != 0) {
    out.error = "unexpected bytes after the pixel data";
    return out;
  }
  out.rgba.resize(total * 4);
  for (int y = 0; y < out.height; ++y) {
    int source = topDown ? y : out.height - 1 - y;
    std::memcpy(&out.rgba[static_cast<std::size_t>(y) * out.width * 4],
                &stored[static_cast<std::size_t>(source) * out.width * 4], static_cast<std::size_t>(out.width) * 4);
  }
  return out;
}

DecodedFile decodeTgaFile(const std::string& path) {
  std::vector<std::uint8_t> bytes = readWholeFile(path);
  if (bytes.empty()) {
    DecodedFile out;
    out.error = "missing or empty: " + path;
    return out;
  }
  return decodeTgaBytes(bytes);
}
