#include "block_decompression.h"

#include "byte_reader.h"

namespace {

// The four colours of a colour block as A, R, G, B bytes.
void colourPalette(const BYTE* block, bool allowTransparent, BYTE colours[4][4]) {
    WORD c0 = readWord(block);
    WORD c1 = readWord(block + 2);
    const WORD ends[2] = {c0, c1};
    for (int i = 0; i < 2; i++) {
        colours[i][0] = 255;
        colours[i][1] = widen5(ends[i] >> 11);
        colours[i][2] = (BYTE)(((ends[i] >> 5) & 63) << 2 | ((ends[i] >> 5) & 63) >> 4);
        colours[i][3] = widen5(ends[i] & 31);
    }
    for (int c = 1; c < 4; c++) {
        if (c0 > c1 || !allowTransparent) {
            colours[2][c] = (BYTE)((2 * colours[0][c] + colours[1][c] + 1) / 3);
            colours[3][c] = (BYTE)((colours[0][c] + 2 * colours[1][c] + 1) / 3);
        } else {
            colours[2][c] = (BYTE)((colours[0][c] + colours[1][c]) / 2);
            colours[3][c] = 0;
        }
    }
    colours[2][0] = 255;
    colours[3][0] = (c0 > c1 || !allowTransparent) ? 255 : 0;
}

// An 8-byte interpolated channel block (DXT5 alpha, BC4, BC5) into 16 values.
void interpolatedChannel(const BYTE* block, BYTE values[16]) {
    UINT a0 = block[0];
    UINT a1 = block[1];
    BYTE table[8];
    table[0] = (BYTE)a0;
    table[1] = (BYTE)a1;
    if (a0 > a1) {
        for (UINT i = 1; i < 7; i++) table[i + 1] = (BYTE)(((7 - i) * a0 + i * a1 + 3) / 7);
    } else {
        for (UINT i = 1; i < 5; i++) table[i + 1] = (BYTE)(((5 - i) * a0 + i * a1 + 2) / 5);
        table[6] = 0;
        table[7] = 255;
    }
    unsigned long long bits = 0;
    for (int i = 0; i < 6; i++) bits |= (unsigned long long)block[2 + i] << (8 * i);
    for (int i = 0; i < 16; i++) values[i] = table[(bits >> (3 * i)) & 7];
}

}  // namespace

UINT blockBytes(BlockFormat format) {
    return (format == blockDxt1 || format == blockBc4) ? 8 : 16;
}

size_t blockImageBytes(BlockFormat format, UINT width, UINT height) {
    return ((size_t)width + 3) / 4 * (((size_t)height + 3) / 4) * blockBytes(format);
}

void decompressBlocks(BlockFormat format, const BYTE* blocks, UINT width, UINT height, BYTE* out,
                      UINT pitch) {
    UINT size = blockBytes(format);
    const BYTE* block = blocks;
    for (UINT by = 0; by < height; by += 4) {
        for (UINT bx = 0; bx < width; bx += 4, block += size) {
            BYTE argb[16][4];  // A, R, G, B of each texel
            switch (format) {
            case blockBc4:
            case blockBc5: {
                BYTE red[16];
                BYTE green[16] = {0};
                interpolatedChannel(block, red);
                if (format == blockBc5) interpolatedChannel(block + 8, green);
                for (int i = 0; i < 16; i++) {
                    argb[i][0] = 255;
                    argb[i][1] = red[i];
                    argb[i][2] = format == blockBc4 ? red[i] : green[i];
                    argb[i][3] = format == blockBc4 ? red[i] : 0;
                }
                break;
            }
            default: {
                const BYTE* colourBlock = format == blockDxt1 ? block : block + 8;
                BYTE colours[4][4];
                colourPalette(colourBlock, format == blockDxt1, colours);
                DWORD indices = readDword(colourBlock + 4);
                BYTE alpha[16];
                for (int i = 0; i < 16; i++) alpha[i] = 255;
                if (format == blockDxt2 || format == blockDxt3) {
                    for (int i = 0; i < 16; i++) {
                        UINT nibble = (block[i / 2] >> (4 * (i & 1))) & 15;
                        alpha[i] = (BYTE)(nibble * 17);
                    }
                } else if (format == blockDxt4 || format == blockDxt5) {
                    interpolatedChannel(block, alpha);
                }
                for (int i = 0; i < 16; i++) {
                    const BYTE* colour = colours[(indices >> (2 * i)) & 3];
                    argb[i][0] = format == blockDxt1 ? colour[0] : alpha[i];
                    for (int c = 1; c < 4; c++) argb[i][c] = colour[c];
                    bool premultiplied = format == blockDxt2 || format == blockDxt4;
                    if (premultiplied && alpha[i] != 0) {
                        for (int c = 1; c < 4; c++) {
                            UINT v = (argb[i][c] * 255u + alpha[i] / 2) / alpha[i];
                            argb[i][c] = (BYTE)(v > 255 ? 255 : v);
                        }
                    }
                }
                break;
            }
            }
            for (UINT y = 0; y < 4 && by + y < height; y++) {
                BYTE* row = out + (size_t)(by + y) * pitch;
                for (UINT x = 0; x < 4 && bx + x < width; x++) {
                    const BYTE* texel = argb[y * 4 + x];
                    BYTE* pixel = row + (size_t)(bx + x) * 4;
                    pixel[0] = texel[3];
                    pixel[1] = texel[2];
                    pixel[2] = texel[1];
                    pixel[3] = texel[0];
                }
            }
        }
    }
}
