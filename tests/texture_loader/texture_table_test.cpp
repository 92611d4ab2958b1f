// The texture table: the 41 slots loaded from their files, lookups that never
// fail, shared records, and clearing that frees records but not textures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

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
