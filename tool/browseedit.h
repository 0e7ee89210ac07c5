// The edit box with a browse button: a "..." push button drawn inside a
// single-line edit control's own frame, at its right end. A click on it
// posts a command to the edit's parent, as a separate button would, but it
// takes no control id, tab stop or room in the dialog template.
#pragma once
#include <windows.h>
#include <cstdint>

// The button's width in pixels in every dialog's fields.
constexpr int BROWSE_BUTTON_WIDTH = 18;

// One per attached edit control, kept in its user data (GWLP_USERDATA).
struct BrowseEditState {
    uint32_t command;    // posted as WM_COMMAND(LOWORD(command), 0)
    int32_t pressed;     // the button is drawn pushed in
    int32_t tracking;    // a click began on the button; the mouse is captured
    WNDPROC previous;    // the edit control's procedure before ours
    int32_t buttonWidth; // pixels
    int32_t leftBorder;  // non-client widths measured at WM_NCCALCSIZE,
    int32_t rightBorder; // the button not counted
    int32_t topBorder;
    int32_t bottomBorder;
};

// Gives edit its browse button, buttonWidth pixels wide, which posts
// command to the edit's parent. Returns 1, or 0 when the state could not be
// allocated (the control then stays a plain edit). The state belongs to the
// control and is freed when the control is destroyed.
int BrowseEdit_Attach(HWND edit, uint32_t command, int buttonWidth);
