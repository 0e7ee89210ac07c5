// The main window: window procedure of the class "MainClass" (created from
// dialog template 200), its toolbar and status bar, menu help, tooltips and
// the drop-down menu of the toolbar's run button.
#pragma once
#include <windows.h>

// Window procedure of "MainClass"; unhandled messages go to DefWindowProc.
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the toolbar and the status bar on the main window, fills the menu
// help table and puts the bars into the main layout's rows.
void CreateBars();

// Shows popup 0 of menu resource menuId under the toolbar button of command
// (at the toolbar's origin when there is no such button). Returns the chosen
// command, or 0 when the menu was dismissed or there is no toolbar.
int ShowToolbarMenu(HWND owner, int command, int menuId);
