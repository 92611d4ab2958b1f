// Texture slots: every image the demo shows, loaded once at start-up and
// found by slot number.
#include "texture_table.h"

#include "d3dx8tex.h"
#include "demo_context.h"

TextureTable textureTable;

namespace {

struct TextureSlot {
    int slot;
    const char* fileName;
};

// Slots 3, 41, 42 and 44 to 49 are never loaded. Slots 1 and 2 load the
// same file into two records with two textures.
const TextureSlot textureSlots[] = {
    {1, "tex//rosetyle.jpg"},       {2, "tex//rosetyle.jpg"},
    {4, "tex//lajba.jpg"},          {5, "tex//woda1pseudosepia.jpg"},
    {6, "tex//pend1-wodospad2.jpg"}, {7, "tex//liqlips.jpg"},
    {8, "tex//mosty2.jpg"},         {9, "tex//wKOVsaw.jpg"},
    {10, "tex//symbols.jpg"},       {11, "tex//pendrak.png"},
    {12, "tex//szlaczek2.jpg"},     {13, "tex//sunover.jpg"},
    {14, "tex//logos.tga"},         {15, "tex//text.png"},
    {16, "tex//tolmen.png"},        {17, "tex//ombrel.png"},
    {18, "tex//kov2.jpg"},          {19, "tex//kartaNEW.png"},
    {20, "tex//openingtitle22.jpg"}, {21, "tex//funk.jpg"},
    {22, "tex//kovNEW.jpg"},        {23, "tex//londynNOWY.jpg"},
    {24, "tex//ludki.png"},         {25, "tex//port.jpg"},
    {26, "tex//enva5.jpg"},         {27, "tex//wody.jpg"},
    {28, "tex//london.png"},        {29, "tex//rome.png"},
    {30, "tex//berlin.png"},        {31, "tex//helsinki.png"},
    {32, "tex//stockholm.png"},     {33, "tex//vienna.png"},
    {34, "tex//grupy1.png"},        {35, "tex//grupy2.png"},
    {36, "tex//grupy3.png"},        {37, "tex//grupy4.png"},
    {38, "tex//grupy5.png"},        {39, "tex//grupy6.png"},
    {40, "tex//grupy7.png"},        {43, "tex//zelVaro.jpg"},
    {50, "tex//drzewko.png"},
};

}  // namespace

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

void loadTextures() {
    for (const TextureSlot& entry : textureSlots) loadTexture(entry.slot, entry.fileName, D3DX_FILTER_LINEAR);
}
