// The texture slots: every image the show loads from "tex/", by slot number.
// The one list of which file fills which slot: the texture table loads from
// it, the data generator writes its files, the tests make stand-ins for it.
#ifndef ZELVARO_CORE_TEXTURE_SLOTS_H
#define ZELVARO_CORE_TEXTURE_SLOTS_H

// The slot numbers, named after what the image shows.
const int slotRoseTiles = 1;
const int slotRoseTilesSecond = 2;  // the same file again, blended apart from slot 1
const int slotRadialWheel = 4;
const int slotSepiaRiver = 5;
const int slotWaterfall = 6;
const int slotLiquidChrome = 7;
const int slotBridges = 8;
const int slotAlpineLake = 9;
const int slotSymbols = 10;
const int slotCreditPendrak = 11;
const int slotFolkOrnament = 12;
const int slotSunOverLandscape = 13;
const int slotLogo = 14;
const int slotScrollText = 15;
const int slotCreditTolmen = 16;
const int slotCreditOmbrel = 17;
const int slotMetalPlasma = 18;
const int slotPictureCard = 19;
const int slotTitlePanel = 20;
const int slotFunkRings = 21;
const int slotNightCity = 22;
const int slotRiverCity = 23;
const int slotWalkingFigure = 24;
const int slotHarbour = 25;
const int slotSoftGlow = 26;
const int slotWaterSurface = 27;
const int slotCardLondon = 28;
const int slotCardRome = 29;
const int slotCardBerlin = 30;
const int slotCardHelsinki = 31;
const int slotCardStockholm = 32;
const int slotCardVienna = 33;
const int slotGreeting1 = 34;
const int slotGreeting2 = 35;
const int slotGreeting3 = 36;
const int slotGreeting4 = 37;
const int slotGreeting5 = 38;
const int slotGreeting6 = 39;
const int slotGreeting7 = 40;
const int slotCellPlasma = 43;
const int slotTitleCard = 50;

struct TextureSlot {
    int slot;
    const char* fileName;  // inside the folder "tex/"
};

// In slot order, the order the table loads them.
constexpr TextureSlot textureSlots[] = {
    {slotRoseTiles, "rosetyle.jpg"},
    {slotRoseTilesSecond, "rosetyle.jpg"},
    {slotRadialWheel, "lajba.jpg"},
    {slotSepiaRiver, "woda1pseudosepia.jpg"},
    {slotWaterfall, "pend1-wodospad2.jpg"},
    {slotLiquidChrome, "liqlips.jpg"},
    {slotBridges, "mosty2.jpg"},
    {slotAlpineLake, "wKOVsaw.jpg"},
    {slotSymbols, "symbols.jpg"},
    {slotCreditPendrak, "pendrak.png"},
    {slotFolkOrnament, "szlaczek2.jpg"},
    {slotSunOverLandscape, "sunover.jpg"},
    {slotLogo, "logos.tga"},
    {slotScrollText, "text.png"},
    {slotCreditTolmen, "tolmen.png"},
    {slotCreditOmbrel, "ombrel.png"},
    {slotMetalPlasma, "kov2.jpg"},
    {slotPictureCard, "kartaNEW.png"},
    {slotTitlePanel, "openingtitle22.jpg"},
    {slotFunkRings, "funk.jpg"},
    {slotNightCity, "kovNEW.jpg"},
    {slotRiverCity, "londynNOWY.jpg"},
    {slotWalkingFigure, "ludki.png"},
    {slotHarbour, "port.jpg"},
    {slotSoftGlow, "enva5.jpg"},
    {slotWaterSurface, "wody.jpg"},
    {slotCardLondon, "london.png"},
    {slotCardRome, "rome.png"},
    {slotCardBerlin, "berlin.png"},
    {slotCardHelsinki, "helsinki.png"},
    {slotCardStockholm, "stockholm.png"},
    {slotCardVienna, "vienna.png"},
    {slotGreeting1, "grupy1.png"},
    {slotGreeting2, "grupy2.png"},
    {slotGreeting3, "grupy3.png"},
    {slotGreeting4, "grupy4.png"},
    {slotGreeting5, "grupy5.png"},
    {slotGreeting6, "grupy6.png"},
    {slotGreeting7, "grupy7.png"},
    {slotCellPlasma, "zelVaro.jpg"},
    {slotTitleCard, "drzewko.png"},
};

const int textureSlotCount = sizeof textureSlots / sizeof textureSlots[0];

// The file name of a slot; null for a number no slot has.
constexpr const char* textureSlotFile(int slot) {
    for (const TextureSlot& entry : textureSlots) {
        if (entry.slot == slot) return entry.fileName;
    }
    return nullptr;
}

#endif  // ZELVARO_CORE_TEXTURE_SLOTS_H
