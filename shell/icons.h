// Icon tables and image lists: which picture belongs to a file extension or
// a combo box key (read once at start-up from "ini/extension.ini" and
// "ini/combobox.ini"), and the three image lists the pictures come from.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <cstdint>

constexpr int ICON_NAME_SIZE = 32; // names keep at most 31 bytes

struct IconEntry {
    char name[ICON_NAME_SIZE]; // ANSI text, zero-padded
    int32_t index;             // the entry's picture in its image list
};

struct IconTable {
    IconEntry* entries; // in file order, or null
    int32_t count;
    int32_t nextIndex; // index of the next data line; after a load, the pictures used
};

struct ImageListSlot {
    HIMAGELIST list;
    int32_t height; // of its pictures, 16 until loaded
};

extern IconTable extIcons;
extern IconTable comboIcons;
extern ImageListSlot toolImages;
extern ImageListSlot extImages;
extern ImageListSlot comboImages;

// Load a table from a file (UTF-8 name), replacing its entries. Return 1
// when the file could be opened, 0 otherwise (the table is then empty).
// Extension lines separate names with ';' and number from 2; combo box
// lines separate them with TAB and number from 0.
int ExtIcons_Load(const char* utf8Name);
int ComboIcons_Load(const char* utf8Name);

// The index of the first entry whose name equals name ignoring ASCII case;
// 1 (extensions) or -1 (combo box keys) when there is none.
int ExtIcons_Find(const char* name);
int ComboIcons_Find(const char* name);

// The first index no data line used: 2 and 0 before any load.
int ExtIcons_NextIndex();
int ComboIcons_NextIndex();

// Release the entries; the tables are empty afterwards.
void ExtIcons_Free();
void ComboIcons_Free();

// Fills slot with an image list cut from fileName (ANSI, may be null) when
// that bitmap file exists and loads, with pictures fileWidth wide, or else
// from bitmap resource bitmapId with pictures resWidth wide. The picture
// height is the bitmap's, at most heightLimit; maskColour is transparent.
// Returns the picture height; the slot owns the list it held before no more.
int LoadImageStrip(const char* fileName, int fileWidth, int resWidth, int heightLimit, int growStep,
                   int bitmapId, ImageListSlot* slot, COLORREF maskColour);

// Destroys the slot's image list, if any, and clears the handle.
void ImageSlot_Destroy(ImageListSlot* slot);
