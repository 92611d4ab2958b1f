// Texture slots: the images loaded at start-up, found by slot number.
#ifndef ZELVARO_CORE_TEXTURE_TABLE_H
#define ZELVARO_CORE_TEXTURE_TABLE_H

#include <d3d8.h>

#include <map>

struct TextureRecord {
    int slot;
    int alphaBlend;  // meshes using the record as first texture blend when non-zero
    D3DBLEND srcBlend;
    D3DBLEND destBlend;
    IDirect3DTexture8* texture;
};

class TextureTable {
public:
    std::map<int, TextureRecord*> records;
    TextureRecord* emptyRecord;  // shared by every lookup of an absent slot

    TextureTable();
    ~TextureTable();
    // Frees what it owns in the destructor: never copied.
    TextureTable(const TextureTable&) = delete;
    TextureTable& operator=(const TextureTable&) = delete;
    void prepare();  // creates emptyRecord
    TextureRecord* find(int slot);
    void insert(TextureRecord* record);
    void clear();
};

extern TextureTable textureTable;

void loadTexture(int slot, const char* fileName, DWORD filter);
void loadTextures();

#endif  // ZELVARO_CORE_TEXTURE_TABLE_H
