// The two popups that drop down under a field of the tile reorder dialog,
// much like a combo box's list: the grid popup (template 205) turns columns
// and rows into a tile count, the bitmap format popup (template 204) picks a
// tile's width, height and colour format and works out its byte size. Both
// close as cancelled when they lose activation, so a click anywhere outside
// dismisses them.
#pragma once
#include <windows.h>
#include <cstdint>
#include "engine/tile.h"

// Lowest and highest values across (columns, width) and down (rows, height).
struct PopupLimits {
    int32_t minimumAcross;
    int32_t minimumDown;
    int32_t maximumAcross;
    int32_t maximumDown;
};

// The one record through which a popup and its launcher trade values.
struct PopupExchange {
    HWND anchor; // the field under which the popup drops down
    TileFormat format;
    int32_t columns;
    int32_t rows;
    PopupLimits limits;
};

// Opens the grid popup under dialog's field fieldId. Returns 1 when the user
// confirmed (columns and rows hold the new values, within the limits), else
// 0 (they are unchanged).
int GridPopup_Show(HWND dialog, int fieldId, const PopupLimits& limits, int32_t* columns,
                   int32_t* rows);
// The same for a tile format, with the bitmap format popup.
int FormatPopup_Show(HWND dialog, int fieldId, const PopupLimits& limits, TileFormat* format);

// The row last confirmed in the bitmap format popup; 0 at start.
int32_t FormatPopup_RememberedRow();
void FormatPopup_SetRememberedRow(int32_t row);

INT_PTR CALLBACK GridPopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FormatPopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam);
