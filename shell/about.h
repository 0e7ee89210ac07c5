// The about box (dialog 201): picture, product line, version, rights notice
// and a short text; it closes on OK, Enter, Escape or its close box.
#pragma once
#include <windows.h>

// The version the about box shows.
constexpr const char* ABOUT_VERSION = "1.0.0";

// Dialog procedure for DialogBoxParam; the dialog always ends with 0.
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
