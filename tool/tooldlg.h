// The tile reorder dialog (template 300): the one working tool. It edits
// the program's tile map job and the tool's file names, checks them, asks,
// runs the job through the engine and shows the outcome in its result line,
// and stays open for the next job.
#pragma once
#include <windows.h>
#include <cstdint>

// The tool's settings, kept in memory for the program's run. The file names
// are ANSI texts; they change only when a job is started.
struct ToolSettings {
    char patternName[260];
    char outputName[260];
    char inputName[260];   // the input graphic file: shown in the preview, not read by a job
    int32_t methodRow;     // the method box row last chosen
    int32_t offset;        // where the graphic's tiles start, in bytes
    char paletteName[260]; // the preview's palette; empty: grey levels
};

// The settings, filled with their start values on first use; they belong to
// this module.
ToolSettings* Tool_Settings();
// Puts the settings, the job and the popups' remembered row back to their
// start values.
void Tool_ResetSettings();

// Dialog procedure of template 300, run modally by the main window; the
// dialog ends with 0.
INT_PTR CALLBACK ToolDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
