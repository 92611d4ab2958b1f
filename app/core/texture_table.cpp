// Texture slots: every image the demo shows, loaded once at start-up and
// found by slot number.
#include "texture_table.h"

#include <cstdio>

#include "d3dx8tex.h"
#include "demo_context.h"
#include "texture_slots.h"

TextureTable textureTable;

TextureTable::TextureTable() : emptyRecord(nullptr) {}

TextureTable::~TextureTable() {
    clear();
    delete emptyRecord;
}

void TextureTable::prepare() {
    if (!emptyRecord) emptyRecord = new TextureRecord();
    *emptyRecord = TextureRecord();
}

TextureRecord* TextureTable::find(int slot) {
    std::map<int, TextureRecord*>::iterator found = records.find(slot);
    return found == records.end() ? emptyRecord : found->second;
}

void TextureTable::insert(TextureRecord* record) {
    // The slot list has no duplicates; should a slot be stored twice, the
    // newer record takes its place and the older one is freed (not its texture).
    std::map<int, TextureRecord*>::iterator found = records.find(record->slot);
    if (found != records.end()) {
        if (found->second != record) delete found->second;
        found->second = record;
        return;
    }
    records[record->slot] = record;
}

void TextureTable::clear() {
    // Frees the records only: the textures live as long as the device.
    for (std::map<int, TextureRecord*>::iterator entry = records.begin(); entry != records.end(); ++entry)
        delete entry->second;
    records.clear();
}

void loadTexture(int slot, const char* fileName, DWORD filter) {
    if (!demoContext) return;
    TextureRecord* record = new TextureRecord();
    record->slot = slot;
    HRESULT result = D3DXCreateTextureFromFileExA(
        demoContext->device, fileName, D3DX_DEFAULT, D3DX_DEFAULT, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
        filter, D3DX_FILTER_LINEAR, 0, nullptr, nullptr, &record->texture);
    if (result != S_OK) {
        // A missing or unreadable file leaves the slot absent.
        delete record;
        return;
    }
    textureTable.insert(record);
}

// Slots 3, 41, 42 and 44 to 49 are never loaded. Slots 1 and 2 load the
// same file into two records with two textures.
void loadTextures() {
    for (const TextureSlot& entry : textureSlots) {
        char path[64];
        std::snprintf(path, sizeof path, "tex//%s", entry.fileName);
        loadTexture(entry.slot, path, D3DX_FILTER_LINEAR);
    }
}
