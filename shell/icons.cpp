// Icon tables and image lists. The two tables share one line format and one
// loader; they differ in the separator, the first index and the not-found
// result of the lookup. Names are kept in the ANSI code page, because the
// dialogs look them up with the texts they show.
// The text library's headers come before windows.h, whose FILE_CREATE macro
// would clash with the file layer's constant of that name.
#include "textlib/conv.h"
#include "textlib/mem.h"
#include "textlib/strbuf.h"
#include "textlib/textstream.h"
#include "shell/icons.h"
#include <shlwapi.h>
#include <cstring>
#include "shell/appstate.h"

IconTable extIcons = {nullptr, 0, 2};
IconTable comboIcons = {nullptr, 0, 0};
ImageListSlot toolImages = {nullptr, 16};
ImageListSlot extImages = {nullptr, 16};
ImageListSlot comboImages = {nullptr, 16};

namespace {

constexpr int EXT_FIRST_INDEX = 2;
constexpr int COMBO_FIRST_INDEX = 0;
constexpr int EXT_NOT_FOUND = 1;
constexpr int COMBO_NOT_FOUND = -1;
constexpr int LINE_SIZE = 4096;

struct IconNode {
    IconEntry entry;
    IconNode* next;
};

void FreeNodes(IconNode* node) {
    while (node) {
        IconNode* next = node->next;
        Mem_Free(node);
        node = next;
    }
}

// Adds the names of one data line to the list (newest first). Returns the
// number of names taken.
int TakeNames(const char* line, int separator, int index, StrBuf* name, IconNode** list,
              int32_t* count) {
    StrTok tok;
    StrTok_Start(&tok, line);
    int taken = 0;
    // Emptied before each token: a token that does not fit in memory then
    // reads as empty instead of repeating the one before.
    while (StrBuf_AssignStr(name, ""), StrTok_Next(name, &tok, separator, 1)) {
        if (StrBuf_Length(name) == 0) continue;
        const char* ansi = Conv_Utf8ToAnsi(StrBuf_Data(name));
        if (!ansi) continue;
        IconNode* node = static_cast<IconNode*>(Mem_AllocZero(sizeof(IconNode)));
        if (!node) continue;
        // Cut to 31 bytes; a double-byte character may lose its trail byte,
        // which the lookup then needs in the same shortened form.
        strncpy(node->entry.name, ansi, ICON_NAME_SIZE - 1);
        node->entry.index = index;
        node->next = *list;
        *list = node;
        ++*count;
        ++taken;
    }
    return taken;
}

// Whether a line (its trailing CR or LF already removed) carries names.
bool IsDataLine(const char* line) {
    if (line[0] == '\0' || line[0] == '#') return false;
    if (line[0] == '[' && line[1] != '\0') return false;
    return true;
}

int IconTable_Load(IconTable* table, const char* utf8Name, int separator, int firstIndex) {
    table->count = 0;
    table->nextIndex = firstIndex;
    TextStream* stream = nullptr;
    if (TextStream_Open(utf8Name, FILE_READ, &stream) != FILE_OK) {
        TextStream_Close(stream);
        return 0;
    }
    StrBuf* name = StrBuf_New();
    IconNode* list = nullptr;
    int32_t count = 0;
    char line[LINE_SIZE];
    while (TextStream_GetLine(line, LINE_SIZE, stream)) {
        size_t len = strlen(line);
        if (len > 0 && (line[len - 1] == '\n' || line[len - 1] == '\r')) line[--len] = '\0';
        if (!IsDataLine(line)) continue;
        if (TakeNames(line, separator, table->nextIndex, name, &list, &count) > 0) {
            ++table->nextIndex;
        }
    }
    if (count >= 1) {
        IconEntry* entries = static_cast<IconEntry*>(Mem_AllocZero(sizeof(IconEntry) * count));
        Mem_Free(table->entries);
        table->entries = entries;
        if (entries) {
            int32_t pos = count;
            for (IconNode* node = list; node; node = node->next)
                entries[--pos] = node->entry;
            table->count = count;
        }
    }
    FreeNodes(list);
    StrBuf_Free(name);
    TextStream_Close(stream);
    return 1;
}

// Case-insensitive comparison of the C locale: only ASCII letters fold, so
// double-byte characters compare byte for byte.
bool SameName(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a);
        unsigned char cb = static_cast<unsigned char>(*b);
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
        if (ca != cb) return false;
        if (ca == '\0') return true;
    }
}

int IconTable_Find(const IconTable* table, const char* name, int notFound) {
    if (!name || !table->entries) return notFound;
    for (int32_t i = 0; i < table->count; ++i) {
        if (SameName(table->entries[i].name, name)) return table->entries[i].index;
    }
    return notFound;
}

void IconTable_Free(IconTable* table) {
    Mem_Free(table->entries);
    table->entries = nullptr;
    table->count = 0;
}

} // namespace

int ExtIcons_Load(const char* utf8Name) {
    return IconTable_Load(&extIcons, utf8Name, ';', EXT_FIRST_INDEX);
}

int ComboIcons_Load(const char* utf8Name) {
    return IconTable_Load(&comboIcons, utf8Name, '\t', COMBO_FIRST_INDEX);
}

int ExtIcons_Find(const char* name) {
    return IconTable_Find(&extIcons, name, EXT_NOT_FOUND);
}

int ComboIcons_Find(const char* name) {
    return IconTable_Find(&comboIcons, name, COMBO_NOT_FOUND);
}

int ExtIcons_NextIndex() {
    return extIcons.nextIndex;
}
int ComboIcons_NextIndex() {
    return comboIcons.nextIndex;
}

void ExtIcons_Free() {
    IconTable_Free(&extIcons);
}
void ComboIcons_Free() {
    IconTable_Free(&comboIcons);
}

void ImageSlot_Destroy(ImageListSlot* slot) {
    if (slot->list) ImageList_Destroy(slot->list);
    slot->list = nullptr;
}

int LoadImageStrip(const char* fileName, int fileWidth, int resWidth, int heightLimit, int growStep,
                   int bitmapId, ImageListSlot* slot, COLORREF maskColour) {
    ImageSlot_Destroy(slot);
    HBITMAP bitmap = nullptr;
    int width = resWidth;
    if (fileName && PathFileExistsA(fileName)) {
        bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, fileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        if (bitmap) width = fileWidth;
    }
    if (!bitmap) bitmap = LoadBitmapA(appState.instance, MAKEINTRESOURCEA(bitmapId));
    BITMAP info = {};
    if (bitmap) GetObjectA(bitmap, sizeof(info), &info);
    int height = info.bmHeight < heightLimit ? info.bmHeight : heightLimit;
    slot->list = ImageList_Create(width, height, ILC_COLORDDB | ILC_MASK, 0, growStep);
    if (slot->list && bitmap) ImageList_AddMasked(slot->list, bitmap, maskColour);
    if (bitmap) DeleteObject(bitmap);
    return height;
}
