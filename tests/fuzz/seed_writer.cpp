// Writes the fuzzers' seed corpora: small valid files of every layout each
// decoder reads, and damaged copies of them (cut short, bytes flipped).
//   zelvaro-fuzz-seeds OUTPUT_DIR   ->  OUTPUT_DIR/{bmp,dib,ppm,dds,jpg,png,tga}/...
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <d3d8.h>

#include "image_writers.h"

namespace {

typedef std::vector<BYTE> Bytes;

void put16(Bytes& b, UINT v) {
    b.push_back((BYTE)v);
    b.push_back((BYTE)(v >> 8));
}
void put32(Bytes& b, DWORD v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

DWORD pattern(UINT x, UINT y) { return 0x80000000u | (x * 40) << 16 | (y * 40) << 8 | ((x ^ y) * 30); }

// A DIB: BITMAPINFOHEADER, optional masks and palette, rows bottom-up.
Bytes dib(int width, int height, UINT bits, DWORD compression, const Bytes& pixels, UINT paletteSize) {
    Bytes b;
    put32(b, 40);
    put32(b, (DWORD)width);
    put32(b, (DWORD)height);
    put16(b, 1);
    put16(b, bits);
    put32(b, compression);
    put32(b, (DWORD)pixels.size());
    put32(b, 2835);
    put32(b, 2835);
    put32(b, paletteSize);
    put32(b, 0);
    if (compression == 3) {
        put32(b, 0xF800);
        put32(b, 0x07E0);
        put32(b, 0x001F);
    }
    for (UINT i = 0; i < paletteSize; i++) put32(b, pattern(i, i * 3) & 0xFFFFFF);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

Bytes bmpFrom(const Bytes& dibBytes, UINT paletteSize, bool masks) {
    Bytes b = {'B', 'M'};
    put32(b, (DWORD)(14 + dibBytes.size()));
    put32(b, 0);
    put32(b, 14 + 40 + (masks ? 12 : 0) + paletteSize * 4);
    b.insert(b.end(), dibBytes.begin(), dibBytes.end());
    return b;
}

Bytes rows(UINT width, UINT height, UINT bits) {
    UINT stride = ((width * bits + 31) / 32) * 4;
    Bytes b(stride * height);
    for (size_t i = 0; i < b.size(); i++) b[i] = (BYTE)(i * 7 + 3);
    return b;
}

Bytes ddsHeader(UINT width, UINT height, UINT mips, DWORD pfFlags, DWORD fourCC, UINT bits, DWORD r, DWORD g,
                DWORD bl, DWORD a, DWORD caps2) {
    Bytes b = {'D', 'D', 'S', ' '};
    put32(b, 124);
    put32(b, 0x1007 | (mips > 1 ? 0x20000 : 0));
    put32(b, height);
    put32(b, width);
    put32(b, 0);
    put32(b, 0);
    put32(b, mips);
    for (int i = 0; i < 11; i++) put32(b, 0);
    put32(b, 32);
    put32(b, pfFlags);
    put32(b, fourCC);
    put32(b, bits);
    put32(b, r);
    put32(b, g);
    put32(b, bl);
    put32(b, a);
    put32(b, 0x1000 | (caps2 ? 0x8 : 0));
    put32(b, caps2);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    return b;
}

void appendNoise(Bytes& b, size_t count) {
    for (size_t i = 0; i < count; i++) b.push_back((BYTE)(i * 13 + 5));
}

Bytes tga(BYTE type, UINT width, UINT height, BYTE depth, BYTE descriptor, UINT mapLength, BYTE mapBits,
          const Bytes& data) {
    Bytes b = {0, (BYTE)(mapLength ? 1 : 0), type};
    put16(b, 0);
    put16(b, mapLength);
    b.push_back(mapBits);
    put16(b, 0);
    put16(b, 0);
    put16(b, width);
    put16(b, height);
    b.push_back(depth);
    b.push_back(descriptor);
    appendNoise(b, mapLength * ((mapBits + 7) / 8));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

class SeedFolder {
public:
    std::string dir;
    int count = 0;
    SeedFolder(const std::string& root, const char* name) : dir(root + "/" + name) { mkdir(dir.c_str(), 0755); }
    // The file itself, cut to half, and with a few bytes flipped.
    void add(const Bytes& bytes) {
        write(bytes);
        write(Bytes(bytes.begin(), bytes.begin() + bytes.size() / 2));
        Bytes flipped = bytes;
        for (size_t i = 3; i < flipped.size(); i += 1 + flipped.size() / 5) flipped[i] ^= 0x5A;
        write(flipped);
    }

private:
    void write(const Bytes& bytes) {
        char name[32];
        snprintf(name, sizeof(name), "/seed%03d", count++);
        writeFileBytes(dir + name, bytes);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    std::string root = argv[1];
    mkdir(root.c_str(), 0755);

    SeedFolder bmp(root, "bmp"), dibs(root, "dib");
    struct DibCase {
        int width, height;
        UINT bits;
        DWORD compression;
        UINT palette;
    } cases[] = {{5, 3, 1, 0, 2}, {5, 3, 4, 0, 16}, {5, 3, 8, 0, 256}, {5, 3, 16, 0, 0}, {5, -3, 24, 0, 0},
                 {5, 3, 32, 0, 0}, {5, 3, 16, 3, 0}, {4, 2, 32, 3, 0}};
    for (const DibCase& c : cases) {
        Bytes d = dib(c.width, c.height, c.bits, c.compression, rows(c.width, c.height < 0 ? -c.height : c.height, c.bits),
                      c.palette);
        dibs.add(d);
        bmp.add(bmpFrom(d, c.palette, c.compression == 3));
    }
    Bytes rle8 = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 1, 0, 2, 5, 0, 1};
    bmp.add(bmpFrom(dib(4, 3, 8, 1, rle8, 8), 8, false));
    Bytes rle4 = {4, 0x12, 0, 4, 0x34, 0x56, 0, 0, 4, 0x77, 0, 1};
    bmp.add(bmpFrom(dib(4, 3, 4, 2, rle4, 8), 8, false));

    SeedFolder ppm(root, "ppm");
    const char* headers[] = {"P1\n3 2\n1 0 1\n0 1 0\n", "P2\n# grey\n2 2\n255\n0 64\n128 255\n",
                             "P3\n2 1\n255\n255 0 0 0 255 0\n", "P2\n2 1\n65535\n0 65535\n"};
    for (const char* text : headers) ppm.add(Bytes(text, text + strlen(text)));
    const char* binaryHeaders[] = {"P4\n9 2\n", "P5\n3 2\n255\n", "P6\n2 2\n255\n", "P5\n2 2\n1000\n"};
    size_t binarySizes[] = {4, 6, 12, 8};
    for (int i = 0; i < 4; i++) {
        Bytes b(binaryHeaders[i], binaryHeaders[i] + strlen(binaryHeaders[i]));
        appendNoise(b, binarySizes[i]);
        ppm.add(b);
    }

    SeedFolder dds(root, "dds");
    Bytes argb = ddsHeader(4, 4, 3, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0);
    appendNoise(argb, (16 + 4 + 1) * 4);
    dds.add(argb);
    for (const char* code : {"DXT1", "DXT3", "DXT5", "ATI2"}) {
        DWORD fourCC = MAKEFOURCC(code[0], code[1], code[2], code[3]);
        Bytes b = ddsHeader(8, 8, 1, 0x4, fourCC, 0, 0, 0, 0, 0, 0);
        appendNoise(b, 4 * (code[3] == '1' ? 8 : 16));
        dds.add(b);
    }
    Bytes lum = ddsHeader(4, 2, 1, 0x20000, 0, 8, 0xFF, 0, 0, 0, 0);
    appendNoise(lum, 8);
    dds.add(lum);
    Bytes cube = ddsHeader(2, 2, 1, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0xFE00);
    appendNoise(cube, 6 * 16);
    dds.add(cube);
    Bytes dx10 = ddsHeader(2, 2, 1, 0x4, MAKEFOURCC('D', 'X', '1', '0'), 0, 0, 0, 0, 0, 0);
    put32(dx10, 28);
    put32(dx10, 3);
    put32(dx10, 0);
    put32(dx10, 1);
    put32(dx10, 0);
    appendNoise(dx10, 16);
    dds.add(dx10);

    SeedFolder jpg(root, "jpg");
    jpg.add(encodeJpeg(16, 8, pattern, 90));
    jpg.add(encodeJpeg(9, 7, pattern, 30));

    SeedFolder png(root, "png");
    png.add(encodePng(6, 5, pattern, false));
    png.add(encodePng(6, 5, pattern, true));
    png.add(encodePalettePng(5, 3, {0xFF0000, 0x00FF00, 0x0000FF}, {0, 128},
                             [](UINT x, UINT y) { return (BYTE)((x + y) % 3); }));

    SeedFolder targa(root, "tga");
    Bytes indices = {0, 1, 2, 3, 1, 2};
    targa.add(tga(1, 3, 2, 8, 0, 4, 24, indices));
    targa.add(tga(1, 3, 2, 8, 0x20, 4, 16, indices));
    targa.add(tga(3, 3, 2, 8, 0x10, 0, 0, indices));
    Bytes rgb;
    appendNoise(rgb, 3 * 2 * 4);
    targa.add(tga(2, 3, 2, 32, 0x28, 0, 0, rgb));
    targa.add(tga(2, 3, 2, 24, 0, 0, 0, Bytes(rgb.begin(), rgb.begin() + 18)));
    targa.add(tga(2, 3, 2, 16, 0x21, 0, 0, Bytes(rgb.begin(), rgb.begin() + 12)));
    Bytes runs = {0x82, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    targa.add(tga(10, 3, 2, 24, 0, 0, 0, runs));
    Bytes greyRuns = {0x85, 9};
    targa.add(tga(11, 3, 2, 8, 0x30, 0, 0, greyRuns));
    targa.add(tga(9, 3, 2, 8, 0, 4, 32, greyRuns));
    targa.add(encodeTga(4, 3, pattern, false));

    printf("seeds written to %s\n", root.c_str());
    return 0;
}
