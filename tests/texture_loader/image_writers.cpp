#include "image_writers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>

#include "png_writer.h"

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

std::vector<BYTE> encodeOrFail(const PngPicture& picture) {
    std::vector<BYTE> bytes;
    std::string error;
    if (!encodePng(picture, &bytes, &error)) throw std::runtime_error(error);
    return bytes;
}

}  // namespace

std::vector<BYTE> encodePng(UINT width, UINT height, const PixelSource& colour, bool withAlpha) {
    UINT channels = withAlpha ? 4 : 3;
    std::vector<BYTE> pixels((size_t)width * height * channels);
    for (UINT y = 0; y < height; y++) {
        for (UINT x = 0; x < width; x++) {
            DWORD c = colour(x, y);
            BYTE* p = &pixels[((size_t)y * width + x) * channels];
            p[0] = (BYTE)(c >> 16);
            p[1] = (BYTE)(c >> 8);
            p[2] = (BYTE)c;
            if (withAlpha) p[3] = (BYTE)(c >> 24);
        }
    }
    PngPicture picture;
    picture.width = (int)width;
    picture.height = (int)height;
    picture.layout = withAlpha ? PngLayout::Rgba : PngLayout::Rgb;
    picture.pixels = pixels.data();
    return encodeOrFail(picture);
}

std::vector<BYTE> encodePalettePng(UINT width, UINT height, const std::vector<DWORD>& palette,
                                   const std::vector<BYTE>& alpha, const std::function<BYTE(UINT, UINT)>& index) {
    std::vector<BYTE> entries;
    for (size_t i = 0; i < palette.size(); i++) {
        DWORD c = palette[i];
        entries.insert(entries.end(), {(BYTE)(c >> 16), (BYTE)(c >> 8), (BYTE)c, i < alpha.size() ? alpha[i] : (BYTE)255});
    }
    std::vector<BYTE> pixels((size_t)width * height);
    for (UINT y = 0; y < height; y++)
        for (UINT x = 0; x < width; x++) pixels[(size_t)y * width + x] = index(x, y);
    PngPicture picture;
    picture.width = (int)width;
    picture.height = (int)height;
    picture.layout = PngLayout::Palette;
    picture.pixels = pixels.data();
    picture.palette = entries.data();
    picture.paletteEntries = (int)palette.size();
    return encodeOrFail(picture);
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
