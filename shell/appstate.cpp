// Start-up, main loop and shutdown, and the application state they own.
// Start-up runs in a fixed order, because later steps read what earlier
// ones made: the icon tables before the image lists (their sizes are the
// lists' growth steps), the image lists before the toolbar, both bars before
// the text window's layout (which measures them once).
#include "shell/appstate.h"
#include <commctrl.h>
#include <shlwapi.h>
#include <cstring>
#include "resources/resource.h"
#include "shell/icons.h"
#include "shell/mainwnd.h"
#include "shell/textfont.h"
#include "textlib/conv.h"

namespace {

constexpr uint32_t COMCTL_OLDEST_QUIET = 0x00040047; // 4.71: no warning from here on
constexpr COLORREF STRIP_MASK = 0xFF05FF;            // RGB(255, 5, 255)
constexpr int MESSAGE_SIZE = 1024;
constexpr const char* EXT_INI = "ini/extension.ini";
constexpr const char* COMBO_INI = "ini/combobox.ini";

AppState InitialState(LayoutRow* rows) {
    AppState s = {};
    s.barsUnmeasured = true;
    s.firstSizePending = true;
    s.minTrackSize = {232, 60};
    // The bars keep their left edge and follow the right edge; the toolbar
    // keeps its top, the status bar follows the bottom.
    s.controlTable[0] = {LAYOUT_WINDOW, 0, 0, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP, nullptr};
    s.controlTable[1] = {LAYOUT_WINDOW, 0, 0, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_BOTTOM, nullptr};
    s.controlTable[2] = {LAYOUT_END, 0, 0, 0, nullptr};
    s.mainLayout.rows = rows;
    return s;
}

int Ask(HINSTANCE instance, int titleId, int textId, UINT flags) {
    char title[MESSAGE_SIZE] = "";
    char text[MESSAGE_SIZE] = "";
    LoadStringA(instance, titleId, title, sizeof(title));
    LoadStringA(instance, textId, text, sizeof(text));
    return MessageBoxA(nullptr, text, title, flags);
}

void RegisterMainClass(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.cbWndExtra = DLGWINDOWEXTRA; // a window class of a dialog template needs it
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    wc.lpszClassName = "MainClass";
    RegisterClassA(&wc); // unchecked: without the class the window fails below
}

void LoadIconTables() {
    const char* name = PathFileExistsA(EXT_INI) ? Conv_AnsiToUtf8(EXT_INI) : nullptr;
    if (name) ExtIcons_Load(name);
    name = PathFileExistsA(COMBO_INI) ? Conv_AnsiToUtf8(COMBO_INI) : nullptr;
    if (name) ComboIcons_Load(name);
}

void FillSettings(HINSTANCE instance, HWND main) {
    appState.instance = instance;
    strcpy(appState.editorPath, "C:\\WINDOWS\\NOTEPAD.EXE");
    DWORD n = GetCurrentDirectoryA(APP_PATH_SIZE, appState.startFolder);
    if (n == 0 || n >= APP_PATH_SIZE)
        appState.startFolder[0] = '\0';
    else
        PathAddBackslashA(appState.startFolder);
    strcpy(appState.dialogFolder, ".");
    // The caption is the program's file name without folder and extension.
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    char* name = PathFindFileNameA(path);
    PathRemoveExtensionA(name);
    SetWindowTextA(main, name);
}

void BuildImageLists() {
    toolImages.height =
        LoadImageStrip("ini/toolbar.bmp", 64, 16, 160, 3, IDB_TOOLBAR, &toolImages, STRIP_MASK);
    extImages.height = LoadImageStrip("ini/extension.bmp", 16, 16, 32, ExtIcons_NextIndex(),
                                      IDB_EXTENSION, &extImages, STRIP_MASK);
    comboImages.height = LoadImageStrip("ini/combobox.bmp", 16, 16, 32, ComboIcons_NextIndex(),
                                        IDB_COMBOBOX, &comboImages, STRIP_MASK);
}

void ShowBars(HWND main) {
    appState.toolBarVisible = true;
    appState.statusBarVisible = true;
    appState.escapeBlocked = false;
    appState.textColour = 0;
    HMENU menu = GetMenu(main);
    CheckMenuItem(menu, IDM_TOOLBAR, MF_BYCOMMAND | MF_CHECKED);
    CheckMenuItem(menu, IDM_STATUSBAR, MF_BYCOMMAND | MF_CHECKED);
    ShowWindow(appState.toolBar, appState.toolBarVisible ? SW_SHOW : SW_HIDE);
    ShowWindow(appState.statusBar, appState.statusBarVisible ? SW_SHOW : SW_HIDE);
}

void PutOpeningText(HINSTANCE instance, HWND main) {
    char text[MESSAGE_SIZE] = "";
    LoadStringA(instance, IDS_OPENING_TEXT, text, sizeof(text));
    SetDlgItemTextA(main, IDC_TEXT, text);
    LRESULT end = SendDlgItemMessageA(main, IDC_TEXT, WM_GETTEXTLENGTH, 0, 0);
    SendDlgItemMessageA(main, IDC_TEXT, EM_SETSEL, end, end);
    LoadStringA(instance, IDS_OPENING_MORE, text, sizeof(text));
    SendDlgItemMessageA(main, IDC_TEXT, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

} // namespace

AppState appState = InitialState(appState.controlTable);

void App_ResetState() {
    appState = InitialState(appState.controlTable);
}

uint32_t GetComCtlVersion() {
    HMODULE module = GetModuleHandleA("comctl32");
    if (!module) return 0;
    if (!GetProcAddress(module, "InitCommonControlsEx")) return 0x00040000;
    if (!GetProcAddress(module, "DllInstall")) return 0x00040007;
    // Through a plain function pointer type: a direct cast between the two
    // function types draws a warning.
    DLLGETVERSIONPROC getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetVersion")));
    if (!getVersion) return 0x00040047;
    DLLVERSIONINFO info = {};
    info.cbSize = 20;
    if (FAILED(getVersion(&info))) return 0x00040047;
    return ((info.dwMajorVersion & 0xFFFF) << 16) | (info.dwMinorVersion & 0xFFFF);
}

int App_Start(HINSTANCE instance, ComCtlVersionFn version) {
    uint32_t comctl = version();
    RegisterMainClass(instance);
    InitCommonControls();
    if (comctl < COMCTL_OLDEST_QUIET &&
        Ask(instance, IDS_COMCTL_TITLE, IDS_COMCTL_TEXT, MB_YESNO | MB_ICONEXCLAMATION) == IDNO) {
        return 1;
    }
    LoadIconTables();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    ShowCursor(TRUE);

    HWND main = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, nullptr, 0);
    appState.mainWindow = main;
    if (!main) {
        Ask(instance, IDS_WARNING_TITLE, IDS_CREATE_FAILED, MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    FillSettings(instance, main);
    BuildImageLists();
    CreateBars();
    ShowBars(main);
    ComputePlacement(main);
    SetFocus(main);
    TextFont_Create();
    ApplyPlacement();
    LayoutTextWindow(main);
    appState.accelTable = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCEL));
    ShowWindow(main, SW_SHOWNORMAL); // the show command of the start is ignored
    PutOpeningText(instance, main);
    return 0;
}

AppRoute App_RouteMessage(MSG* msg) {
    HWND main = appState.mainWindow;
    if (!IsWindow(main)) return APP_ROUTE_DROPPED;
    int translated = TranslateAcceleratorA(main, appState.accelTable, msg);
    // Escape would reach IsDialogMessage, which turns it into IDCANCEL;
    // while the text window has the focus it is dropped, whatever the type.
    if (appState.escapeBlocked && msg->wParam == VK_ESCAPE) return APP_ROUTE_DROPPED;
    if (translated) return APP_ROUTE_ACCELERATOR;
    if (IsDialogMessageA(main, msg)) return APP_ROUTE_DIALOG;
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return APP_ROUTE_DISPATCHED;
}

int App_RunLoop() {
    MSG msg;
    // GetMessage gives -1 only for a bad window handle, which a null one
    // is not; stopping there too keeps the loop from spinning.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        App_RouteMessage(&msg);
    return 0;
}

HBITMAP App_LegendBitmap() {
    // Not LR_SHARED: that shares icons and cursors only, and every load of a
    // bitmap would make a new one.
    if (!appState.legendBitmap) {
        appState.legendBitmap = static_cast<HBITMAP>(LoadImageA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TILES), IMAGE_BITMAP, 0, 0, 0));
    }
    return appState.legendBitmap;
}

void App_Shutdown() {
    if (appState.textFont) DeleteObject(appState.textFont);
    appState.textFont = nullptr;
    if (appState.legendBitmap) DeleteObject(appState.legendBitmap);
    appState.legendBitmap = nullptr;
    if (appState.accelTable) DestroyAcceleratorTable(appState.accelTable);
    appState.accelTable = nullptr;
    ImageSlot_Destroy(&toolImages);
    ImageSlot_Destroy(&comboImages);
    ImageSlot_Destroy(&extImages);
    ComboIcons_Free();
    ExtIcons_Free();
}

int App_Main(HINSTANCE instance, ComCtlVersionFn version) {
    int code = App_Start(instance, version);
    if (code != 0) return code;
    App_RunLoop();
    App_Shutdown();
    return 0;
}
