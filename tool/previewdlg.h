// The tile preview (template 301): runs the tool's pattern in memory with
// the tool's counts and method and shows, side by side, the map's cells in
// map order and the graphic's tiles in their own order, slot by slot where
// each came from, the pattern's warnings, and writes the graphic's tiles in
// the map's order on request. Nothing is written otherwise, and the pattern
// language's words are as they were when it closes.
#pragma once
#include <windows.h>
#include <cstdint>
#include "engine/tilemap.h"

struct PreviewRequest {
    char patternName[260]; // ANSI
    char graphicName[260]; // ANSI; empty: the cells show numbers
    char* paletteName;     // ANSI, 260 bytes, in and out; empty: grey levels
    uint32_t offset;       // where the graphic's tiles start, in bytes
    TileMapJob job;        // the counts, grids, tile format and method to use
};

// Opens the preview over owner and returns when it closes; the request must
// outlive it.
void PreviewDlg_Show(HWND owner, PreviewRequest* request);

// Dialog procedure of template 301; the dialog ends with 0. The
// DialogBoxParam parameter is the dialog's working state (PreviewDlg_Show
// makes it).
INT_PTR CALLBACK PreviewDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
