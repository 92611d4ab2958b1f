// Portable anymap: P1/P4 bitmaps and P2/P5 grey maps become L8, P3/P6 pixel
// maps R8G8B8; a maximum value above 255 gives the 16-bit " L16" and " R16".
// Samples are scaled from 0..maxval to the full range of the result.
#include "image_decoders.h"

namespace {

class PnmReader {
public:
    const BYTE* data;
    UINT size;
    UINT at;

    bool atSpace() const {
        BYTE c = data[at];
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }
    // Skips white space and comments (from '#' to the end of the line).
    void skipSpace() {
        while (at < size) {
            if (data[at] == '#') {
                while (at < size && data[at] != '\n' && data[at] != '\r') at++;
            } else if (atSpace()) {
                at++;
            } else {
                break;
            }
        }
    }
    // A decimal number after optional space; fails on anything else or on overflow.
    bool number(UINT* value) {
        skipSpace();
        if (at >= size || data[at] < '0' || data[at] > '9') return false;
        unsigned long long v = 0;
        while (at < size && data[at] >= '0' && data[at] <= '9') {
            v = v * 10 + (data[at] - '0');
            if (v > 0xFFFFFFFFull) return false;
            at++;
        }
        *value = (UINT)v;
        return true;
    }
    // One plain-bitmap digit, which need not be separated from the next.
    bool bit(UINT* value) {
        skipSpace();
        if (at >= size || (data[at] != '0' && data[at] != '1')) return false;
        *value = data[at++] - '0';
        return true;
    }
};

}  // namespace

HRESULT decodePpm(const BYTE* data, UINT size, DecodedImage* image) {
    if (!data || size < 3 || data[0] != 'P' || data[1] < '1' || data[1] > '6') return E_FAIL;
    UINT kind = data[1] - '0';
    PnmReader reader = {data, size, 2};
    if (!reader.atSpace() && data[2] != '#') return E_FAIL;
    UINT width;
    UINT height;
    UINT maxValue = 1;
    if (!reader.number(&width) || !reader.number(&height)) return E_FAIL;
    if (kind != 1 && kind != 4 && (!reader.number(&maxValue) || maxValue == 0 || maxValue > 65535))
        return E_FAIL;
    if (!imageSizeAcceptable(width, height)) return E_FAIL;
    bool plain = kind <= 3;
    if (!plain) {
        // Exactly one white-space byte separates the header from the raster.
        if (reader.at >= size || !reader.atSpace()) return E_FAIL;
        reader.at++;
    }

    UINT channels = (kind == 3 || kind == 6) ? 3 : 1;
    bool wide = maxValue > 255;
    D3DFORMAT format = channels == 3 ? (wide ? ZELVARO_FMT_R16 : D3DFMT_R8G8B8)
                                     : (wide ? ZELVARO_FMT_L16 : D3DFMT_L8);
    UINT sampleBytes = wide ? 2 : 1;
    // The data must hold at least the raster (one byte per plain sample)
    // before anything is allocated for it.
    size_t samples = (size_t)width * height * channels;
    size_t rowBytes = (width + 7) / 8;
    size_t minimum = kind == 4 ? rowBytes * height : plain ? samples : samples * sampleBytes;
    if (minimum > size - reader.at) return E_FAIL;
    if (FAILED(image->allocate(width, height, format, channels * sampleBytes))) return E_FAIL;
    image->fileFormat = D3DXIFF_PPM;

    if (kind == 4) {
        for (UINT y = 0; y < height; y++) {
            const BYTE* row = data + reader.at + y * rowBytes;
            BYTE* out = image->pixels + (size_t)y * image->pitch;
            for (UINT x = 0; x < width; x++) out[x] = (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
        }
        return S_OK;
    }
    UINT fullScale = wide ? 65535 : 255;
    const BYTE* raw = data + reader.at;
    for (UINT y = 0; y < height; y++) {
        BYTE* out = image->pixels + (size_t)y * image->pitch;
        for (UINT x = 0; x < width; x++) {
            for (UINT c = 0; c < channels; c++) {
                UINT v;
                if (kind == 1) {
                    if (!reader.bit(&v)) return E_FAIL;
                    v = v ? 0 : 255;
                } else {
                    if (plain) {
                        if (!reader.number(&v)) return E_FAIL;
                    } else if (maxValue > 255) {
                        v = (raw[0] << 8) | raw[1];
                        raw += 2;
                    } else {
                        v = *raw++;
                    }
                    if (v > maxValue) return E_FAIL;
                    v = (UINT)(((unsigned long long)v * fullScale + maxValue / 2) / maxValue);
                }
                // Colour channels are stored blue first, as in D3D formats.
                UINT slot = channels == 3 ? 2 - c : 0;
                if (wide) {
                    // " R16" keeps red first; only the 8-bit layout is reversed.
                    slot = c;
                    out[(x * channels + slot) * 2] = (BYTE)v;
                    out[(x * channels + slot) * 2 + 1] = (BYTE)(v >> 8);
                } else {
                    out[x * channels + slot] = (BYTE)v;
                }
            }
        }
    }
    return S_OK;
}
