#include "catalogue.h"

#include <cmath>

#include "image_files.h"
#include "patterns.h"
#include "photos.h"
#include "sprites.h"
#include "texture_slots.h"

namespace datagen {

namespace {
constexpr float k43 = 4.0f / 3.0f;
}  // namespace

// Shapes follow the planes the scenes draw: full-screen photographs 64 x 48,
// the city photograph 64 x 37, the alternating water pictures 72 x 80, credit
// names 52 x 12, the logo 51 x 12, the picture card 12 x 18, each walking
// frame 7 x 15 (four side by side), city cards 24 x 12, greetings 20 x 20,
// the title card 28 x 25.
const DataFile kDataFiles[] = {
    {textureSlotFile(slotRoseTiles), 512, 512, k43, FileFormat::jpeg, Painter::roseTile, "", "", 0, "rose window tiles, seamless"},
    {textureSlotFile(slotRadialWheel), 1024, 1024, 1.0f, FileFormat::jpeg, Painter::radialWheel, "", "", 0, "large radial wheel"},
    {textureSlotFile(slotSepiaRiver), 1024, 1024, 72.0f / 80.0f, FileFormat::jpeg, Painter::sepiaRapids, "", "", 0, "sepia river"},
    {textureSlotFile(slotWaterfall), 1024, 1024, 72.0f / 80.0f, FileFormat::jpeg, Painter::waterfall, "", "", 0, "waterfall"},
    {textureSlotFile(slotLiquidChrome), 512, 512, k43, FileFormat::jpeg, Painter::liquidChrome, "", "", 0, "liquid chrome, seamless"},
    {textureSlotFile(slotBridges), 1024, 1024, k43, FileFormat::jpeg, Painter::bridges, "", "", 0, "bridges at dusk"},
    {textureSlotFile(slotAlpineLake), 1024, 1024, k43, FileFormat::jpeg, Painter::alpineLake, "", "", 0, "alpine lake"},
    {textureSlotFile(slotSymbols), 512, 512, k43, FileFormat::jpeg, Painter::symbolGrid, "", "", 0, "symbols, seamless"},
    {textureSlotFile(slotCreditPendrak), 1024, 256, 52.0f / 12.0f, FileFormat::pngAlpha, Painter::creditName, "pendrak", "", 0, "credit name"},
    {textureSlotFile(slotFolkOrnament), 512, 512, k43, FileFormat::jpeg, Painter::folkOrnament, "", "", 0, "folk ornament, seamless"},
    {textureSlotFile(slotSunOverLandscape), 1024, 1024, k43, FileFormat::jpeg, Painter::sunOverLandscape, "", "", 0, "sun over a landscape"},
    {textureSlotFile(slotLogo), 1024, 256, 51.0f / 12.0f, FileFormat::tga, Painter::logo, "zelvaro", "", 0, "logo (RLE TGA)"},
    {textureSlotFile(slotScrollText), 2048, 64, 32.0f, FileFormat::pngAlpha, Painter::scrollText, "", "", 0, "scrolling text line"},
    {textureSlotFile(slotCreditTolmen), 1024, 256, 52.0f / 12.0f, FileFormat::pngAlpha, Painter::creditName, "tolmen", "", 1, "credit name"},
    {textureSlotFile(slotCreditOmbrel), 1024, 256, 52.0f / 12.0f, FileFormat::pngAlpha, Painter::creditName, "ombrel", "", 2, "credit name"},
    {textureSlotFile(slotMetalPlasma), 512, 512, k43, FileFormat::jpeg, Painter::metalPlasma, "", "", 0, "metal under coloured light, seamless"},
    {textureSlotFile(slotPictureCard), 512, 1024, 12.0f / 18.0f, FileFormat::pngAlpha, Painter::pictureCard, "", "", 0, "picture card"},
    {textureSlotFile(slotTitlePanel), 512, 512, 1.0f, FileFormat::jpeg, Painter::titlePanel, "", "", 0, "title panel (cube faces)"},
    {textureSlotFile(slotFunkRings), 256, 256, 1.0f, FileFormat::jpeg, Painter::funkStripes, "", "", 0, "funk rings, seamless"},
    {textureSlotFile(slotNightCity), 1024, 1024, k43, FileFormat::jpeg, Painter::nightCity, "", "", 0, "city at night"},
    {textureSlotFile(slotRiverCity), 1024, 1024, 64.0f / 37.0f, FileFormat::jpeg, Painter::riverCity, "", "", 0, "city on a river"},
    {textureSlotFile(slotWalkingFigure), 512, 256, 28.0f / 15.0f, FileFormat::pngAlpha, Painter::walkingFigure, "", "", 0, "walking figure, 4 frames"},
    {textureSlotFile(slotHarbour), 1024, 1024, k43, FileFormat::jpeg, Painter::harbour, "", "", 0, "harbour at sunset"},
    {textureSlotFile(slotSoftGlow), 256, 256, 1.0f, FileFormat::jpeg, Painter::softGlow, "", "", 0, "soft glow"},
    {textureSlotFile(slotWaterSurface), 1024, 1024, k43, FileFormat::jpeg, Painter::waterSurface, "", "", 0, "water surface"},
    {textureSlotFile(slotCardLondon), 512, 256, 2.0f, FileFormat::pngAlpha, Painter::cityCard, "LONDON", "51\u00B030\u2032N  0\u00B007\u2032W", 0, "city card"},
    {textureSlotFile(slotCardRome), 512, 256, 2.0f, FileFormat::pngAlpha, Painter::cityCard, "ROME", "41\u00B054\u2032N  12\u00B029\u2032E", 1, "city card"},
    {textureSlotFile(slotCardBerlin), 512, 256, 2.0f, FileFormat::pngAlpha, Painter::cityCard, "BERLIN", "52\u00B031\u2032N  13\u00B024\u2032E", 2, "city card"},
    {textureSlotFile(slotCardHelsinki), 512, 256, 2.0f, FileFormat::pngAlpha, Painter::cityCard, "HELSINKI", "60\u00B010\u2032N  24\u00B056\u2032E", 3, "city card"},
    {textureSlotFile(slotCardStockholm), 512, 256, 2.0f, FileFormat::pngAlpha, Painter::cityCard, "STOCKHOLM", "59\u00B020\u2032N  18\u00B004\u2032E", 4, "city card"},
    {textureSlotFile(slotCardVienna), 512, 256, 2.0f, FileFormat::pngAlpha, Painter::cityCard, "VIENNA", "48\u00B012\u2032N  16\u00B022\u2032E", 5, "city card"},
    {textureSlotFile(slotGreeting1), 512, 512, 1.0f, FileFormat::pngAlpha, Painter::greeting, "Mothlight", "", 0, "greeting"},
    {textureSlotFile(slotGreeting2), 512, 512, 1.0f, FileFormat::pngAlpha, Painter::greeting, "Parallax Owls", "", 1, "greeting"},
    {textureSlotFile(slotGreeting3), 512, 512, 1.0f, FileFormat::pngAlpha, Painter::greeting, "Kwarc", "", 2, "greeting"},
    {textureSlotFile(slotGreeting4), 512, 512, 1.0f, FileFormat::pngAlpha, Painter::greeting, "Tidewater", "", 3, "greeting"},
    {textureSlotFile(slotGreeting5), 512, 512, 1.0f, FileFormat::pngAlpha, Painter::greeting, "Ferroglyph", "", 4, "greeting"},
    {textureSlotFile(slotGreeting6), 512, 512, 1.0f, FileFormat::pngAlpha, Painter::greeting, "Nocturne Labs", "", 5, "greeting"},
    {textureSlotFile(slotGreeting7), 512, 512, 1.0f, FileFormat::pngAlpha, Painter::greeting, "Bluemoss", "", 6, "greeting"},
    {textureSlotFile(slotCellPlasma), 512, 512, 1.0f, FileFormat::jpeg, Painter::cellPlasma, "", "", 0, "cell plasma, seamless"},
    {textureSlotFile(slotTitleCard), 512, 512, 28.0f / 25.0f, FileFormat::pngOpaque, Painter::titleCard, "", "", 0, "title card with a tree"},
};

const int kDataFileCount = static_cast<int>(sizeof(kDataFiles) / sizeof(kDataFiles[0]));

const DataFile* findDataFile(const std::string& name) {
  for (int i = 0; i < kDataFileCount; ++i) {
    if (name == kDataFiles[i].name) return &kDataFiles[i];
  }
  return nullptr;
}

namespace {

void paint(const DataFile& file, Image& image) {
  switch (file.painter) {
    case Painter::roseTile: paintRoseTile(image); break;
    case Painter::radialWheel: paintRadialWheel(image); break;
    case Painter::sepiaRapids: paintSepiaRapids(image); break;
    case Painter::waterfall: paintWaterfall(image); break;
    case Painter::liquidChrome: paintLiquidChrome(image); break;
    case Painter::bridges: paintBridges(image); break;
    case Painter::alpineLake: paintAlpineLake(image); break;
    case Painter::symbolGrid: paintSymbolGrid(image); break;
    case Painter::creditName: paintCreditName(image, file.text, file.variant); break;
    case Painter::folkOrnament: paintFolkOrnament(image); break;
    case Painter::sunOverLandscape: paintSunOverLandscape(image); break;
    case Painter::logo: paintLogo(image); break;
    case Painter::scrollText: paintScrollText(image); break;
    case Painter::metalPlasma: paintMetalPlasma(image); break;
    case Painter::pictureCard: paintPictureCard(image); break;
    case Painter::titlePanel: paintTitlePanel(image); break;
    case Painter::funkStripes: paintFunkStripes(image); break;
    case Painter::nightCity: paintNightCity(image); break;
    case Painter::riverCity: paintRiverCity(image); break;
    case Painter::walkingFigure: paintWalkingFigure(image); break;
    case Painter::harbour: paintHarbour(image); break;
    case Painter::softGlow: paintSoftGlow(image); break;
    case Painter::waterSurface: paintWaterSurface(image); break;
    case Painter::cityCard: paintCityCard(image, file.text, file.detail, file.variant); break;
    case Painter::greeting: paintGreeting(image, file.text, file.variant); break;
    case Painter::cellPlasma: paintCellPlasma(image); break;
    case Painter::titleCard: paintTitleCard(image); break;
  }
}

// Seamless maps are painted at their stored size: resampling would blur the
// wrap. Everything else is painted at the plane's shape.
bool paintsAtStoredSize(Painter painter) {
  switch (painter) {
    case Painter::roseTile:
    case Painter::liquidChrome:
    case Painter::symbolGrid:
    case Painter::folkOrnament:
    case Painter::metalPlasma:
    case Painter::funkStripes:
    case Painter::cellPlasma:
    case Painter::scrollText:
      return true;
    default:
      return false;
  }
}

}  // namespace

Image paintDataFile(const DataFile& file) {
  int pw = file.width, ph = file.height;
  if (!paintsAtStoredSize(file.painter)) {
    float stored = static_cast<float>(file.width) / static_cast<float>(file.height);
    if (file.aspect >= stored) {
      ph = static_cast<int>(std::lround(static_cast<float>(file.width) / file.aspect));
    } else {
      pw = static_cast<int>(std::lround(static_cast<float>(file.height) * file.aspect));
    }
  }
  bool transparent = file.format == FileFormat::pngAlpha || file.format == FileFormat::tga;
  Image image(pw, ph, transparent ? Color{1, 1, 1, 0} : Color{0, 0, 0, 1});
  paint(file, image);
  if (pw != file.width || ph != file.height) image = resizeImage(image, file.width, file.height);
  return image;
}

std::string writeDataFile(const DataFile& file, const Image& image, const std::string& directory) {
  std::string path = directory + "/" + file.name;
  switch (file.format) {
    case FileFormat::jpeg: return writeJpeg(path, image, 90);
    case FileFormat::pngAlpha: return writePng(path, image, true);
    case FileFormat::pngOpaque: return writePng(path, image, false);
    case FileFormat::tga: return writeTga(path, image);
  }
  return "unknown format for " + path;
}

}  // namespace datagen
