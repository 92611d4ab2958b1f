// The texture table: the 41 slots loaded from their files, lookups that never
// fail, shared records, and clearing that frees records but not textures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "d3dx8tex.h"
#include "demo_context.h"
#include "recording_device.h"
#include "image_writers.h"
#include "temp_folder.h"
#include "texture_table.h"

namespace {

const int loadedSlots[] = {1,  2,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                           23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 43, 50};
const int neverLoaded[] = {3, 41, 42, 44, 45, 46, 47, 48, 49, 0, 51, -1};

// A folder holding "tex/" with every file of the slot list (small images of
// the right type), and the demo context on the fake device; the current
// directory is the folder while the test runs.
class TextureTableTest : public ::testing::Test {
protected:
    RecordingDevice device;
    DemoContext context;
    TempFolder folder{"texture-table"};
    std::string dir = folder.path();
    std::string previousDir;

    void SetUp() override {
        char cwd[4096];
        previousDir = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
        std::string tex = dir + "/tex";
        ASSERT_EQ(0, mkdir(tex.c_str(), 0755));
        auto colour = [](UINT x, UINT y) { return 0xFF000000u | (x * 16) << 16 | (y * 16) << 8; };
        writeTextureStandIns(tex, colour, StandInSizes{16, 8, 90, 8, 8, 4});
        ASSERT_EQ(0, chdir(dir.c_str()));
        context.device = &device;
        demoContext = &context;
        textureTable.prepare();
    }
    void TearDown() override {
        // The table never releases textures; the test does, for the device's sake.
        for (auto& entry : textureTable.records)
            if (entry.second->texture) entry.second->texture->Release();
        textureTable.clear();
        demoContext = nullptr;
        EXPECT_EQ(0, chdir(previousDir.c_str()));
    }
};

}  // namespace

TEST_F(TextureTableTest, LoadsEveryListedSlotWithBlendingCleared) {
    loadTextures();
    EXPECT_EQ(41u, textureTable.records.size());
    EXPECT_EQ(41, device.liveTextures);
    for (int slot : loadedSlots) {
        TextureRecord* record = textureTable.find(slot);
        ASSERT_NE(textureTable.emptyRecord, record) << "slot " << slot;
        EXPECT_EQ(slot, record->slot);
        EXPECT_NE(nullptr, record->texture);
        EXPECT_EQ(0, record->alphaBlend);
        EXPECT_EQ(0, (int)record->srcBlend);
        EXPECT_EQ(0, (int)record->destBlend);
    }
    // The TGA with its alpha channel keeps it; the JPEGs are opaque.
    EXPECT_EQ(D3DFMT_A8R8G8B8, static_cast<RecordingTexture*>(textureTable.find(14)->texture)->format);
    EXPECT_EQ(D3DFMT_X8R8G8B8, static_cast<RecordingTexture*>(textureTable.find(1)->texture)->format);
}

TEST_F(TextureTableTest, AbsentSlotsAllGiveTheOneEmptyRecord) {
    ASSERT_EQ(0, unlink("tex/funk.jpg"));  // slot 21 fails to load
    loadTextures();
    EXPECT_EQ(40u, textureTable.records.size());
    TextureRecord* empty = textureTable.emptyRecord;
    ASSERT_NE(nullptr, empty);
    for (int slot : neverLoaded) EXPECT_EQ(empty, textureTable.find(slot)) << "slot " << slot;
    EXPECT_EQ(empty, textureTable.find(21));
    EXPECT_EQ(nullptr, empty->texture);
    EXPECT_EQ(0, empty->slot);
    // Blend changes made through one absent lookup are seen by every other.
    textureTable.find(3)->alphaBlend = 1;
    textureTable.find(41)->srcBlend = D3DBLEND_SRCALPHA;
    EXPECT_EQ(1, textureTable.find(21)->alphaBlend);
    EXPECT_EQ(D3DBLEND_SRCALPHA, textureTable.find(49)->srcBlend);
}

TEST_F(TextureTableTest, SlotsOneAndTwoAreSeparateRecordsOfTheSameImage) {
    loadTextures();
    TextureRecord* first = textureTable.find(1);
    TextureRecord* second = textureTable.find(2);
    ASSERT_NE(first, second);
    ASSERT_NE(first->texture, second->texture);
    RecordingTexture* a = static_cast<RecordingTexture*>(first->texture);
    RecordingTexture* b = static_cast<RecordingTexture*>(second->texture);
    EXPECT_EQ(a->levels[0].bytes, b->levels[0].bytes);
    first->alphaBlend = 1;
    EXPECT_EQ(0, second->alphaBlend);
}

TEST_F(TextureTableTest, ClearFreesTheRecordsButNotTheTextures) {
    loadTextures();
    std::set<IDirect3DTexture8*> textures;
    for (int slot : loadedSlots) textures.insert(textureTable.find(slot)->texture);
    textureTable.clear();
    EXPECT_TRUE(textureTable.records.empty());
    for (int slot : loadedSlots) EXPECT_EQ(textureTable.emptyRecord, textureTable.find(slot));
    EXPECT_EQ(41, device.liveTextures);  // the device still owns every texture
    for (IDirect3DTexture8* texture : textures) texture->Release();
    EXPECT_EQ(0, device.liveTextures);
}

TEST_F(TextureTableTest, NothingLoadsWithoutTheDemoContext) {
    demoContext = nullptr;
    loadTextures();
    EXPECT_TRUE(textureTable.records.empty());
    EXPECT_EQ(0, device.textureCreations);
}

TEST_F(TextureTableTest, InsertKeepsOneRecordPerSlot) {
    TextureRecord* older = new TextureRecord();
    older->slot = 60;
    TextureRecord* newer = new TextureRecord();
    newer->slot = 60;
    textureTable.insert(older);
    textureTable.insert(newer);
    EXPECT_EQ(newer, textureTable.find(60));
    EXPECT_EQ(1u, textureTable.records.size());
}

namespace {

// Which file fills which slot, as the show's data set names them.
struct SlotFile {
    int slot;
    const char* file;
};
const SlotFile slotFiles[] = {
    {1, "rosetyle.jpg"},       {2, "rosetyle.jpg"},   {4, "lajba.jpg"},       {5, "woda1pseudosepia.jpg"},
    {6, "pend1-wodospad2.jpg"}, {7, "liqlips.jpg"},   {8, "mosty2.jpg"},      {9, "wKOVsaw.jpg"},
    {10, "symbols.jpg"},       {11, "pendrak.png"},   {12, "szlaczek2.jpg"},  {13, "sunover.jpg"},
    {14, "logos.tga"},         {15, "text.png"},      {16, "tolmen.png"},     {17, "ombrel.png"},
    {18, "kov2.jpg"},          {19, "kartaNEW.png"},  {20, "openingtitle22.jpg"}, {21, "funk.jpg"},
    {22, "kovNEW.jpg"},        {23, "londynNOWY.jpg"}, {24, "ludki.png"},     {25, "port.jpg"},
    {26, "enva5.jpg"},         {27, "wody.jpg"},      {28, "london.png"},     {29, "rome.png"},
    {30, "berlin.png"},        {31, "helsinki.png"},  {32, "stockholm.png"},  {33, "vienna.png"},
    {34, "grupy1.png"},        {35, "grupy2.png"},    {36, "grupy3.png"},     {37, "grupy4.png"},
    {38, "grupy5.png"},        {39, "grupy6.png"},    {40, "grupy7.png"},     {43, "zelVaro.jpg"},
    {50, "drzewko.png"},
};

// One flat colour per file, far enough apart to survive JPEG: red climbs by
// 6 from file to file, green falls.
DWORD fileColour(int fileIndex) {
    const DWORD red = 6u * DWORD(fileIndex);
    return 0xFF000000u | red << 16 | (255u - red) << 8 | 0x40u;
}

void writeFlatFile(const std::string& path, DWORD colour) {
    const std::string extension = path.substr(path.rfind('.') + 1);
    auto flat = [colour](UINT, UINT) { return colour; };
    writeFileBytes(path, extension == "jpg"   ? encodeJpeg(8, 8, flat, 95)
                         : extension == "png" ? encodePng(8, 8, flat, true)
                                              : encodeTga(8, 8, flat, false));
}

}  // namespace

TEST_F(TextureTableTest, EverySlotShowsItsOwnFile) {
    // Each file gets its own colour; slot 2 repeats the file of slot 1.
    int fileIndex = 0;
    std::map<std::string, DWORD> colours;
    for (const SlotFile& entry : slotFiles) {
        if (colours.count(entry.file)) continue;
        colours[entry.file] = fileColour(fileIndex++);
        writeFlatFile("tex/" + std::string(entry.file), colours[entry.file]);
    }
    loadTextures();
    for (const SlotFile& entry : slotFiles) {
        TextureRecord* record = textureTable.find(entry.slot);
        ASSERT_NE(nullptr, record->texture) << "slot " << entry.slot;
        const D3DCOLOR got = static_cast<RecordingTexture*>(record->texture)->pixel(0, 4, 4);
        const DWORD want = colours[entry.file];
        EXPECT_NEAR(int(got >> 16 & 0xFF), int(want >> 16 & 0xFF), 2) << "slot " << entry.slot << " " << entry.file;
        EXPECT_NEAR(int(got >> 8 & 0xFF), int(want >> 8 & 0xFF), 2) << "slot " << entry.slot << " " << entry.file;
    }
}

TEST_F(TextureTableTest, LoadsWithAFullChainInTheManagedPoolWithoutColourKey) {
    // A card 12 x 6 with an opaque black corner: its size is no power of two,
    // so the image filter shapes level 0, the mip filter the smaller levels,
    // and a colour key of opaque black would make the corner transparent.
    auto picture = [](UINT x, UINT y) -> DWORD {
        if (x == 0 && y == 0) return 0xFF000000u;
        return 0xFF000000u | (x * 21u) << 16 | (y * 40u) << 8 | ((x * y * 7u) & 0xFFu);
    };
    writeFileBytes("tex/kartaNEW.png", encodePng(12, 6, picture, true));
    loadTextures();
    RecordingTexture* loaded = static_cast<RecordingTexture*>(textureTable.find(19)->texture);
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(D3DPOOL_MANAGED, loaded->pool);
    EXPECT_EQ(0u, loaded->usage);
    // 16 x 8 down to 1 x 1: five levels
    ASSERT_EQ(5u, loaded->levels.size());
    EXPECT_EQ(0xFFu, loaded->pixel(0, 0, 0) >> 24);  // no colour key
    // The same file loaded with the table's arguments spelled out.
    IDirect3DTexture8* expected = nullptr;
    ASSERT_EQ(S_OK, D3DXCreateTextureFromFileExA(&device, "tex//kartaNEW.png", D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                                 D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
                                                 D3DX_FILTER_LINEAR, 0, nullptr, nullptr, &expected));
    RecordingTexture* reference = static_cast<RecordingTexture*>(expected);
    EXPECT_EQ(reference->format, loaded->format);
    ASSERT_EQ(reference->levels.size(), loaded->levels.size());
    for (size_t level = 0; level < loaded->levels.size(); ++level)
        EXPECT_EQ(reference->levels[level].bytes, loaded->levels[level].bytes) << "level " << level;
    expected->Release();
}
