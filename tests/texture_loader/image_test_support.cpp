#include "image_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sstream>
#include <sys/stat.h>

#include "image_decoders.h"
#include "pixel_conversion.h"

std::string testImageDir() {
    std::string dir = std::string(ZELVARO_SHARED_DIR) + "/testimages";
    struct stat info;
    if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return "";
    return dir;
}

bool runningUnderCi() {
    const char* ci = getenv("CI");
    return ci && std::string(ci) == "true";
}

std::vector<BYTE> readWholeFile(const std::string& path) {
    std::vector<BYTE> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    BYTE buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(file);
    return bytes;
}

bool isDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> listFiles(const std::string& dir, const std::string& suffix) {
    std::vector<std::string> names;
    DIR* folder = opendir(dir.c_str());
    if (!folder) return names;
    while (dirent* entry = readdir(folder)) {
        std::string name = entry->d_name;
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            name[0] != '.')
            names.push_back(name);
    }
    closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

bool decodeBytes(const std::vector<BYTE>& bytes, DecodedImage* image) {
    return SUCCEEDED(decodeImageFile(bytes.empty() ? nullptr : bytes.data(), (UINT)bytes.size(), image));
}

RgbaPixels toRgba(const DecodedImage& image) {
    RgbaPixels out;
    out.width = image.width;
    out.height = image.height;
    out.pixels.resize((size_t)image.width * image.height * 4);
    std::vector<FloatPixel> row(image.width);
    for (UINT y = 0; y < image.height; y++) {
        readPixels(image.format, image.pixels + (size_t)y * image.pitch, image.width, image.palette, row.data());
        for (UINT x = 0; x < image.width; x++) {
            D3DCOLOR c = pixelToColour(row[x]);
            BYTE* p = &out.pixels[((size_t)y * image.width + x) * 4];
            p[0] = (BYTE)(c >> 16);
            p[1] = (BYTE)(c >> 8);
            p[2] = (BYTE)c;
            p[3] = (BYTE)(c >> 24);
        }
    }
    return out;
}

bool decodeFileToRgba(const std::string& path, RgbaPixels* out) {
    std::vector<BYTE> bytes = readWholeFile(path);
    DecodedImage image;
    if (bytes.empty() || !decodeBytes(bytes, &image)) return false;
    *out = toRgba(image);
    return true;
}

std::string compareRgba(const RgbaPixels& actual, const RgbaPixels& expected, int tolerance,
                        bool compareAlpha) {
    std::ostringstream why;
    if (actual.width != expected.width || actual.height != expected.height) {
        why << "size " << actual.width << "x" << actual.height << ", expected " << expected.width << "x"
            << expected.height;
        return why.str();
    }
    for (size_t i = 0; i < actual.pixels.size(); i += 4) {
        const BYTE* a = &actual.pixels[i];
        const BYTE* e = &expected.pixels[i];
        if (a[3] == 0 && e[3] == 0) continue;
        for (int c = 0; c < (compareAlpha ? 4 : 3); c++) {
            if (std::abs(a[c] - e[c]) > tolerance) {
                size_t pixel = i / 4;
                why << "pixel (" << pixel % actual.width << "," << pixel / actual.width << ") is " << int(a[0]) << ","
                    << int(a[1]) << "," << int(a[2]) << "," << int(a[3]) << ", expected " << int(e[0]) << ","
                    << int(e[1]) << "," << int(e[2]) << "," << int(e[3]);
                return why.str();
            }
        }
    }
    return "";
}

std::vector<long> readJsonNumbers(const std::string& path) {
    std::vector<BYTE> text = readWholeFile(path);
    std::vector<long> numbers;
    long value = 0;
    bool inNumber = false;
    for (BYTE c : text) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            inNumber = true;
        } else if (inNumber) {
            numbers.push_back(value);
            value = 0;
            inNumber = false;
        }
    }
    if (inNumber) numbers.push_back(value);
    return numbers;
}
