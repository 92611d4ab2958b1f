// PNG through libpng: grey becomes L8, RGB X8R8G8B8 (reported as R8G8B8),
// palette P8 with the palette and its tRNS alpha, grey with alpha A8L8, RGBA
// A8R8G8B8; a tRNS chunk on grey or RGB adds an alpha channel; 16-bit
// channels give the internal 16-bit formats; fewer than 8 bits are widened.
// Errors are reported and jump back here; the attempt fails.
#include <csetjmp>
#include <cstring>
#include <new>

#include <png.h>

#include "d3dx8math.h"
#include "image_decoders.h"

namespace {

// The gamma of the display the textures are shown on. Direct3D 8 knows
// nothing of it, so it is left unknown (0) and a file's gAMA chunk is not
// honoured: textures hold the samples as the file stores them.
const double displayGamma = 0.0;

// The largest chunk (or decompressed ancillary chunk) read into memory.
const png_alloc_size_t maxPngChunkBytes = 8u * 1024u * 1024u;

// Where libpng reads from and what must be freed after an error. It lives on
// the heap so that its contents survive the jump back from an error.
class PngReadState {
public:
    const BYTE* data;
    UINT size;
    UINT at;
    png_bytep* rows;
};

void pngRead(png_structp png, png_bytep out, png_size_t count) {
    PngReadState* state = static_cast<PngReadState*>(png_get_io_ptr(png));
    if (count > state->size - state->at) png_error(png, "Read Error");
    memcpy(out, state->data + state->at, count);
    state->at += (UINT)count;
}

void pngError(png_structp png, png_const_charp message) {
    D3DXDebugReport(0, "LoadPNG: %s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// libpng allocates a chunk's full stated length before reading it: every
// chunk up to IEND must fit in the file before libpng sees any of them.
bool pngChunksFitInFile(const BYTE* data, UINT size) {
    size_t at = 8;
    while (size - at >= 12) {
        DWORD length = (DWORD)data[at] << 24 | (DWORD)data[at + 1] << 16 | (DWORD)data[at + 2] << 8 | data[at + 3];
        if (length > size - at - 12) return false;
        bool end = memcmp(data + at + 4, "IEND", 4) == 0;
        at += 12 + (size_t)length;
        if (end) return true;
    }
    return false;  // cut off before IEND
}

// Everything after the error return point: libpng errors jump out of here.
void readPngImage(png_structp png, png_infop info, PngReadState* state, DecodedImage* image) {
    png_set_user_limits(png, maxImageSide, maxImageSide);
    // Compressed ancillary chunks (text, ICC profiles) inflate at most to this.
    png_set_chunk_malloc_max(png, maxPngChunkBytes);
    png_read_info(png, info);

    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    int colourType = png_get_color_type(png, info);
    if (!imageSizeAcceptable(width, height)) png_error(png, "Image too large");
    // Deflate packs at most 1032 bytes into one: a file far too short for its
    // raster is refused before the raster is allocated.
    unsigned long long rawBytes = ((unsigned long long)png_get_rowbytes(png, info) + 1) * height;
    if (rawBytes / 1032 > state->size) png_error(png, "Image data too short for its size");
    bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    bool wide = bitDepth == 16;

    double fileGamma = 0;
    if (png_get_gAMA(png, info, &fileGamma) && fileGamma > 1e-6 && displayGamma > 1e-6)
        png_set_gamma(png, displayGamma, fileGamma);
    if (wide) png_set_swap(png);

    D3DFORMAT format;
    D3DFORMAT reported = D3DFMT_UNKNOWN;
    UINT bytesPerPixel;
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
        if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
        if (transparency) png_set_tRNS_to_alpha(png);
        format = transparency ? (wide ? ZELVARO_FMT_AL16 : D3DFMT_A8L8)
                              : (wide ? ZELVARO_FMT_L16 : D3DFMT_L8);
        bytesPerPixel = (transparency ? 2 : 1) * (wide ? 2 : 1);
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        format = wide ? ZELVARO_FMT_AL16 : D3DFMT_A8L8;
        bytesPerPixel = wide ? 4 : 2;
        break;
    case PNG_COLOR_TYPE_RGB:
        if (transparency) png_set_tRNS_to_alpha(png);
        if (wide) {
            format = transparency ? ZELVARO_FMT_AR16 : ZELVARO_FMT_R16;
            bytesPerPixel = transparency ? 8 : 6;
        } else {
            png_set_bgr(png);
            if (!transparency) {
                png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
                reported = D3DFMT_R8G8B8;
            }
            format = transparency ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
            bytesPerPixel = 4;
        }
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        if (!wide) png_set_bgr(png);
        format = wide ? ZELVARO_FMT_AR16 : D3DFMT_A8R8G8B8;
        bytesPerPixel = wide ? 8 : 4;
        break;
    case PNG_COLOR_TYPE_PALETTE:
        if (bitDepth < 8) png_set_packing(png);
        format = D3DFMT_P8;
        bytesPerPixel = 1;
        break;
    default:
        png_error(png, "Unknown colour type");
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != (png_size_t)width * bytesPerPixel)
        png_error(png, "Unexpected row size");

    if (FAILED(image->allocate(width, height, format, bytesPerPixel)))
        png_error(png, "Out of memory");
    image->fileFormat = D3DXIFF_PNG;
    image->fileFormatCode = reported;
    if (format == D3DFMT_P8) {
        if (FAILED(image->allocatePalette())) png_error(png, "Out of memory");
        png_colorp entries = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &entries, &count);
        png_bytep alpha = nullptr;
        int alphaCount = 0;
        png_get_tRNS(png, info, &alpha, &alphaCount, nullptr);
        for (int i = 0; i < 256; i++) {
            PALETTEENTRY& entry = image->palette[i];
            bool listed = entries && i < count;
            entry.peRed = listed ? entries[i].red : 0;
            entry.peGreen = listed ? entries[i].green : 0;
            entry.peBlue = listed ? entries[i].blue : 0;
            entry.peFlags = (alpha && i < alphaCount) ? alpha[i] : 255;
        }
    }

    state->rows = new (std::nothrow) png_bytep[height];
    if (!state->rows) png_error(png, "Out of memory");
    for (png_uint_32 y = 0; y < height; y++) state->rows[y] = image->pixels + (size_t)y * image->pitch;
    png_read_image(png, state->rows);
    png_read_end(png, nullptr);

}

}  // namespace

HRESULT decodePng(const BYTE* data, UINT size, DecodedImage* image) {
    if (!data || size < 8 || png_sig_cmp(const_cast<BYTE*>(data), 0, 8) != 0) return E_FAIL;
    if (!pngChunksFitInFile(data, size)) {
        D3DXDebugReport(0, "LoadPNG: %s", "Truncated file or chunk longer than the file");
        return E_FAIL;
    }

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png) return E_OUTOFMEMORY;
    png_infop info = png_create_info_struct(png);
    PngReadState* state = new (std::nothrow) PngReadState();
    if (!info || !state) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        delete state;
        return E_OUTOFMEMORY;
    }
    state->data = data;
    state->size = size;
    state->at = 0;
    state->rows = nullptr;

    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        delete[] state->rows;
        delete state;
        return E_FAIL;
    }
    png_set_read_fn(png, state, pngRead);
    readPngImage(png, info, state, image);

    png_destroy_read_struct(&png, &info, nullptr);
    delete[] state->rows;
    delete state;
    return S_OK;
}
