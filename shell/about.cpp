// The about box. The picture is the program's one legend bitmap, which the
// application state owns, so the dialog keeps no state and frees nothing
// when it ends.
#include "shell/about.h"
#include "resources/resource.h"
#include "shell/appstate.h"

namespace {

constexpr int ABOUT_TEXT_SIZE = 1024;

BOOL About_OnInit(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(App_LegendBitmap()));
    SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, ABOUT_VERSION);
    char text[ABOUT_TEXT_SIZE];
    LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUT_TEXT, text, sizeof(text));
    SetDlgItemTextA(dialog, IDC_ABOUT_TEXT, text);
    return TRUE; // the dialog manager sets the default focus
}

} // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return About_OnInit(dialog);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}
