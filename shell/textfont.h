// The text window's font and colour: the fixed-pitch Korean default, the
// font dialog (with a hook that adds a colour item "other" backed by the
// colour dialog) and the handing of a new font to the windows that use it.
#pragma once
#include <windows.h>

// The default logical font: the fixed-pitch Korean face named in the string
// table, height -12, Korean character set.
void TextFont_Default(LOGFONTA* font);

// Start-up: creates the default font and gives it to the font rows of the
// main layout and to the text window. The font held before, if any, is
// deleted only after the windows stopped using it; when creation fails the
// old font stays.
void TextFont_Create();

// Command "text font": the font dialog on the default font and the last
// colour. OK creates the chosen font (the old one is deleted only after the
// windows switched to the new one), keeps the colour and gives list views
// that colour (white shows as 0xF0F0F0). Cancel changes nothing.
void TextFont_Choose(HWND owner);

// Hook of the font dialog: appends the colour item "other" (from the string
// table) and opens the colour dialog when it is chosen.
UINT_PTR CALLBACK FontHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The item height for owner-drawn items in the text font: character height
// plus external leading plus 1, at least 17.
int TextFont_ItemHeight();
