#include "image_writers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "texture_slots.h"

std::vector<BYTE> encodeJpeg(UINT width, UINT height, const PixelSource& colour, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<BYTE> row(width * 3);
    while (info.next_scanline < height) {
        for (UINT x = 0; x < width; x++) {
            DWORD c = colour(x, info.next_scanline);
            row[3 * x] = (BYTE)(c >> 16);
            row[3 * x + 1] = (BYTE)(c >> 8);
            row[3 * x + 2] = (BYTE)c;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<BYTE> bytes(buffer, buffer + size);
    free(buffer);
    return bytes;
}

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<BYTE>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

std::vector<BYTE> writePng(UINT width, UINT height, int colourType, const std::vector<DWORD>* palette,
                           const std::vector<BYTE>* alpha, const std::function<void(UINT, BYTE*)>& fillRow,
                           UINT bytesPerPixel) {
    std::vector<BYTE> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (palette) {
        std::vector<png_color> entries;
        for (DWORD c : *palette) entries.push_back({(BYTE)(c >> 16), (BYTE)(c >> 8), (BYTE)c});
        png_set_PLTE(png, info, entries.data(), (int)entries.size());
        if (alpha && !alpha->empty())
            png_set_tRNS(png, info, const_cast<BYTE*>(alpha->data()), (int)alpha->size(), nullptr);
    }
    png_write_info(png, info);
    std::vector<BYTE> row(width * bytesPerPixel);
    for (UINT y = 0; y < height; y++) {
        fillRow(y, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace

std::vector<BYTE> encodePng(UINT width, UINT height, const PixelSource& colour, bool withAlpha) {
    UINT bytes = withAlpha ? 4 : 3;
    return writePng(width, height, withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, nullptr, nullptr,
                    [&](UINT y, BYTE* row) {
                        for (UINT x = 0; x < width; x++) {
                            DWORD c = colour(x, y);
                            row[x * bytes] = (BYTE)(c >> 16);
                            row[x * bytes + 1] = (BYTE)(c >> 8);
                            row[x * bytes + 2] = (BYTE)c;
                            if (withAlpha) row[x * bytes + 3] = (BYTE)(c >> 24);
                        }
                    },
                    bytes);
}

std::vector<BYTE> encodePalettePng(UINT width, UINT height, const std::vector<DWORD>& palette,
                                   const std::vector<BYTE>& alpha, const std::function<BYTE(UINT, UINT)>& index) {
    return writePng(width, height, PNG_COLOR_TYPE_PALETTE, &palette, &alpha,
                    [&](UINT y, BYTE* row) {
                        for (UINT x = 0; x < width; x++) row[x] = index(x, y);
                    },
                    1);
}

std::vector<BYTE> encodeTga(UINT width, UINT height, const PixelSource& colour, bool topDown) {
    std::vector<BYTE> out(18, 0);
    out[2] = 2;
    out[12] = (BYTE)width;
    out[13] = (BYTE)(width >> 8);
    out[14] = (BYTE)height;
    out[15] = (BYTE)(height >> 8);
    out[16] = 32;
    out[17] = (BYTE)(8 | (topDown ? 0x20 : 0));
    for (UINT row = 0; row < height; row++) {
        UINT y = topDown ? row : height - 1 - row;
        for (UINT x = 0; x < width; x++) {
            DWORD c = colour(x, y);
            out.push_back((BYTE)c);
            out.push_back((BYTE)(c >> 8));
            out.push_back((BYTE)(c >> 16));
            out.push_back((BYTE)(c >> 24));
        }
    }
    return out;
}

std::string makeTempDir() {
    char pattern[] = "/tmp/zelvaro-texture-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "/tmp";
}

void writeFileBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

void writeTextureStandIns(const std::string& texDir, const PixelSource& colour, const StandInSizes& sizes) {
    const std::vector<BYTE> photo = encodeJpeg(sizes.photoWidth, sizes.photoHeight, colour, sizes.photoQuality);
    const std::vector<BYTE> card = encodePng(sizes.cardSize, sizes.cardSize, colour, true);
    const std::vector<BYTE> logo = encodeTga(sizes.logoWidth, sizes.logoHeight, colour, false);
    for (const TextureSlot& entry : textureSlots) {
        const std::string name = entry.fileName;
        const std::string extension = name.substr(name.rfind('.') + 1);
        const std::vector<BYTE>& bytes = extension == "jpg" ? photo : extension == "png" ? card : logo;
        writeFileBytes(texDir + "/" + name, bytes);
    }
}
