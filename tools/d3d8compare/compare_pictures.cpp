// zelvaro-d3d8compare OURS WINE [STRIP.png]: compares two pictures of the
// same size (binary PPM or PNG) and prints one line:
//   mean absolute difference of red, green and blue, then the share (in %) of
//   pixels where some channel differs by more than 40, then "ok" or "beyond"
//   (beyond the golden frames' tolerance: mean > 2 in a channel or > 1 % off).
// Pictures of different sizes are compared in the top-left part they share
// (a capture keeps the top-left of a larger back buffer).
// With STRIP.png it also writes ours, theirs and the difference amplified
// eight times side by side.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Picture {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> rgb;
};

bool readPpm(const std::string& path, Picture* picture) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    unsigned maxValue = 0;
    const bool header = std::fscanf(file, "P6 %u %u %u", &picture->width, &picture->height, &maxValue) == 3 &&
                        std::fgetc(file) != EOF && maxValue == 255 && picture->width > 0 && picture->height > 0 &&
                        picture->width <= 16384 && picture->height <= 16384;
    if (header) {
        picture->rgb.resize(size_t(picture->width) * picture->height * 3);
    }
    const bool ok = header && std::fread(picture->rgb.data(), 1, picture->rgb.size(), file) == picture->rgb.size();
    std::fclose(file);
    return ok;
}

bool readPicture(const std::string& path, Picture* picture) {
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
        image.format = PNG_FORMAT_RGB;
        picture->rgb.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr)) return false;
        picture->width = image.width;
        picture->height = image.height;
        return true;
    }
    return readPpm(path, picture);
}

Picture topLeft(const Picture& picture, unsigned width, unsigned height) {
    Picture part;
    part.width = width;
    part.height = height;
    part.rgb.resize(size_t(width) * height * 3);
    for (unsigned y = 0; y < height; ++y) {
        std::memcpy(&part.rgb[size_t(y) * width * 3], &picture.rgb[size_t(y) * picture.width * 3], size_t(width) * 3);
    }
    return part;
}

bool writeStrip(const std::string& path, const Picture& ours, const Picture& theirs) {
    const unsigned width = ours.width * 3;
    std::vector<unsigned char> strip(size_t(width) * ours.height * 3);
    for (unsigned y = 0; y < ours.height; ++y) {
        unsigned char* row = &strip[size_t(y) * width * 3];
        const unsigned char* a = &ours.rgb[size_t(y) * ours.width * 3];
        const unsigned char* b = &theirs.rgb[size_t(y) * ours.width * 3];
        std::memcpy(row, a, ours.width * 3);
        std::memcpy(row + ours.width * 3, b, ours.width * 3);
        for (unsigned i = 0; i < ours.width * 3; ++i) {
            const int difference = std::abs(int(a[i]) - int(b[i])) * 8;
            row[ours.width * 6 + i] = static_cast<unsigned char>(difference > 255 ? 255 : difference);
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = ours.height;
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, strip.data(), 0, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: zelvaro-d3d8compare OURS WINE [STRIP.png]   (pictures: .ppm or .png)\n");
        return 2;
    }
    Picture ours, theirs;
    if (!readPicture(argv[1], &ours) || !readPicture(argv[2], &theirs)) {
        std::fprintf(stderr, "zelvaro-d3d8compare: cannot read %s\n", ours.rgb.empty() ? argv[1] : argv[2]);
        return 1;
    }
    if (ours.width != theirs.width || ours.height != theirs.height) {
        // A capture's picture is the top-left of the back buffer: that part is compared.
        std::fprintf(stderr, "zelvaro-d3d8compare: sizes %ux%u and %ux%u: comparing the top-left part both have\n",
                     ours.width, ours.height, theirs.width, theirs.height);
        ours = topLeft(ours, std::min(ours.width, theirs.width), std::min(ours.height, theirs.height));
        theirs = topLeft(theirs, ours.width, ours.height);
    }
    double sum[3] = {0, 0, 0};
    size_t off = 0;
    const size_t pixels = size_t(ours.width) * ours.height;
    for (size_t p = 0; p < pixels; ++p) {
        bool far = false;
        for (int c = 0; c < 3; ++c) {
            const int difference = std::abs(int(ours.rgb[p * 3 + c]) - int(theirs.rgb[p * 3 + c]));
            sum[c] += difference;
            far = far || difference > 40;
        }
        off += far ? 1 : 0;
    }
    const double mean[3] = {sum[0] / pixels, sum[1] / pixels, sum[2] / pixels};
    const double share = 100.0 * double(off) / double(pixels);
    const bool beyond = mean[0] > 2 || mean[1] > 2 || mean[2] > 2 || share > 1.0;
    std::printf("%.3f %.3f %.3f %.3f %s\n", mean[0], mean[1], mean[2], share, beyond ? "beyond" : "ok");
    if (argc == 4 && !writeStrip(argv[3], ours, theirs)) {
        std::fprintf(stderr, "zelvaro-d3d8compare: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
