// The one application state record and the program's life: start-up, the
// main loop and shutdown. Everything runs on the one user-interface thread.
#pragma once
#include <windows.h>
#include <cstdint>
#include "shell/layout.h"

constexpr int APP_PATH_SIZE = 260;
constexpr int APP_TIP_SIZE = 1024;

struct AppPlacement {
    int32_t x, y, width, height;
};

struct AppState {
    HWND mainWindow;
    HWND statusBar;
    HWND toolBar;
    HINSTANCE instance;
    HFONT textFont;
    HACCEL accelTable;
    HBITMAP legendBitmap;       // the tile legend both the tool and the about box show, or null
    char tipText[APP_TIP_SIZE]; // text of the toolbar tooltip being shown
    int32_t toolBarHeight;      // outer heights, measured once
    int32_t statusBarHeight;
    // MenuHelp tables: {0, 0, menu bar, 60, "run" popup, 65, 0, 0}, handed
    // to MenuHelp as UINT words.
    UINT_PTR menuHelpIds[8];
    char dialogFolder[APP_PATH_SIZE]; // initial folder of open and save dialogs
    char startFolder[APP_PATH_SIZE];  // working folder at start-up, ends in '\'
    char editorPath[APP_PATH_SIZE];   // the outside text editor program
    AppPlacement placement;
    COLORREF textColour;
    bool toolBarVisible;
    bool statusBarVisible;
    bool escapeBlocked; // the text window has the focus: the main loop drops Escape
    bool barsUnmeasured;
    bool firstSizePending;
    SIZE minTrackSize;
    LayoutRecord mainLayout; // rows = controlTable
    LayoutRow controlTable[3];
};

// The application state; the three text fields hold ANSI text.
extern AppState appState;

// The common-controls version of the loaded "comctl32" as major * 65536 +
// minor: 0 without the module, 4.0 / 4.7 / 4.71 for the older exports.
uint32_t GetComCtlVersion();

typedef uint32_t (*ComCtlVersionFn)();

// Start-up up to the main loop. Returns 0 when the loop may run, or the
// exit code (1) after a declined common-controls warning or a main window
// that could not be made. version supplies the common-controls version
// (GetComCtlVersion in the program).
int App_Start(HINSTANCE instance, ComCtlVersionFn version);

enum AppRoute {
    APP_ROUTE_DROPPED = 0,     // main window gone, or Escape while blocked
    APP_ROUTE_ACCELERATOR = 1, // TranslateAccelerator handled it
    APP_ROUTE_DIALOG = 2,      // IsDialogMessage handled it
    APP_ROUTE_DISPATCHED = 3,  // translated and dispatched
};

// Handles one message the way the main loop does; returns how.
AppRoute App_RouteMessage(MSG* msg);

// The main loop: routes messages until the quit message. Returns 0.
int App_RunLoop();

// The tile legend picture (bitmap IDB_TILES), loaded at the first call and
// kept for the program's run; null when it cannot be loaded. The application
// state owns it and App_Shutdown frees it: the static controls that show it
// must not.
HBITMAP App_LegendBitmap();

// Frees the font, accelerators, legend picture, image lists and icon tables.
void App_Shutdown();

// The whole program: start-up, main loop, shutdown. Returns the exit code.
int App_Main(HINSTANCE instance, ComCtlVersionFn version);

// Puts the state back to its values before start-up, so that start-up can
// run again in the same process (the UI tests do).
void App_ResetState();
