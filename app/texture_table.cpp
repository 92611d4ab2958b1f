// Placeholder until the texture loader lands: every slot is absent.
#include "texture_table.h"

TextureTable textureTable;

TextureTable::TextureTable() : emptyRecord(nullptr) {}
TextureTable::~TextureTable() { clear(); delete emptyRecord; }
void TextureTable::prepare() { emptyRecord = new TextureRecord(); }
TextureRecord* TextureTable::find(int slot) {
    auto it = records.find(slot);
    return it == records.end() ? emptyRecord : it->second;
}
void TextureTable::insert(TextureRecord* record) { records.emplace(record->slot, record); }
void TextureTable::clear() {
    for (auto& entry : records) delete entry.second;
    records.clear();
}
void loadTexture(int, const char*, DWORD) {}
void loadTextures() {}
