// Placement of the main window's parts: the anchor layout that moves the
// bars after a size change, the text window between the visible bars, the
// start-up placement of the window and its minimum track size.
#pragma once
#include <windows.h>
#include <cstdint>

struct LayoutRecord;

enum LayoutKind : int32_t {
    LAYOUT_END = 0,        // end of a row table
    LAYOUT_CONTROL_ID = 1, // target is a control id of the laid-out window
    LAYOUT_WINDOW = 2,     // target is a window handle (any other nonzero kind too)
};

enum LayoutAnchor : uint32_t {
    ANCHOR_LEFT = 1,   // left edge stays
    ANCHOR_RIGHT = 2,  // right edge follows the window's right edge
    ANCHOR_TOP = 4,    // top edge stays
    ANCHOR_BOTTOM = 8, // bottom edge follows the window's bottom edge
};

struct LayoutRow {
    int32_t kind;
    uintptr_t target; // control id or window handle; a null handle skips the row
    int32_t fontFlag; // nonzero: the row's window gets the text font
    uint32_t anchors;
    LayoutRecord* child; // laid out inside the row's window after it moved
};

struct LayoutRecord {
    RECT rect;       // client rectangle at the last layout
    LayoutRow* rows; // ends with a row of kind LAYOUT_END
};

// Moves the rows' windows by the change of the window's client rectangle
// since the last layout (half of the width change, all of the height
// change), then remembers the new rectangle. Null window: nothing.
void LayoutAnchored(HWND window, LayoutRecord* record);

// Places the text window with an 8-pixel margin inside the client area,
// below the toolbar and above the status bar when they are visible. The bar
// heights are measured once, at the first call.
void LayoutTextWindow(HWND mainWindow);

// Centres the main window's start-up position and size (its client size at
// creation) on the screen, into the placement of the application state.
void ComputePlacement(HWND mainWindow);

// Computes the minimum track size from the window's font and moves the main
// window to its placement, kept on the screen.
void ApplyPlacement();
