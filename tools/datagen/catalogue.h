// The forty image files the program loads from "tex/": their names, sizes,
// formats, the shape of the plane each is shown on and what is painted.
#pragma once

#include <string>

#include "image.h"

namespace datagen {

enum class FileFormat { jpeg, pngAlpha, pngOpaque, tga };

enum class Painter {
  roseTile, radialWheel, sepiaRapids, waterfall, liquidChrome, bridges, alpineLake, symbolGrid,
  creditName, folkOrnament, sunOverLandscape, logo, scrollText, metalPlasma, pictureCard, titlePanel,
  funkStripes, nightCity, riverCity, walkingFigure, harbour, softGlow, waterSurface, cityCard,
  greeting, cellPlasma, titleCard
};

struct DataFile {
  const char* name;    // file name inside tex/
  int width, height;   // stored size (powers of two)
  float aspect;        // width : height of the plane the scenes show it on
  FileFormat format;
  Painter painter;
  const char* text;    // the words of text painters
  const char* detail;  // second line of text (city coordinates)
  int variant;         // colour or shape variant
  const char* role;    // a few words for the contact sheets
};

extern const DataFile kDataFiles[];
extern const int kDataFileCount;

// nullptr when there is no such file
const DataFile* findDataFile(const std::string& name);

// Paints the picture at the plane's shape and resamples it to the stored size.
Image paintDataFile(const DataFile& file);

// Writes the picture in the file's format to directory/name; empty string on success.
std::string writeDataFile(const DataFile& file, const Image& image, const std::string& directory);

}  // namespace datagen
