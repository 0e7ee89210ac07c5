// The tile view: a scrolling grid of cells, one per entry, drawn by its
// owner one cell at a time and only where the view shows them, so that a
// grid of two million cells opens and scrolls at once. Each pixel of a cell
// is drawn zoom x zoom; marked cells get a frame; the cell under the mouse
// is reported to the owner as it changes.
#pragma once
#include <windows.h>
#include <cstdint>

// What a view shows; the owner keeps it alive while the view uses it.
struct TileViewSource {
    void* context;
    // Draws cell k with its top left at x0, y0 of rgb (3 bytes a pixel, a
    // picture width pixels wide), one pixel a pixel; false when the cell
    // cannot be drawn (it is then painted in the missing colour).
    bool (*drawCell)(void* context, uint32_t k, uint8_t* rgb, uint32_t width, uint32_t x0,
                     uint32_t y0);
    bool (*isMarked)(void* context, uint32_t k);
    // The cell now under the mouse, or -1 when it left the cells.
    void (*hover)(void* context, HWND view, int32_t k);
    uint8_t background; // grey level of the grid past the last cell
};

// The window class of template controls "TilePreviewView"; registered once
// for the program's run.
void TileView_Register();
// Shows count cells of cellWidth x cellHeight pixels, columns across, from
// source (copied); scrolled back to the top left.
void TileView_Set(HWND view, const TileViewSource* source, uint32_t count, uint32_t columns,
                  uint32_t cellWidth, uint32_t cellHeight);
// Each pixel drawn zoom x zoom (1..8); the top left cell shown stays in view.
void TileView_SetZoom(HWND view, uint32_t zoom);
// Scrolls so that cell k is in view; the view is repainted.
void TileView_ShowCell(HWND view, uint32_t k);
// The colour of a cell that cannot be drawn, and of a marked cell's frame.
constexpr COLORREF TILEVIEW_MISSING = RGB(255, 0, 255);
constexpr COLORREF TILEVIEW_MARK = RGB(255, 200, 0);
