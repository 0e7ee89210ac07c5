// Screenshots for people (scripts/screenshots.sh turns them into PNG):
// starts the program's windows in this process and saves the main window,
// an open menu of its menu bar, the toolbar's drop-down menu, the about box,
// the font dialog, the editor program dialog, the file selection dialog,
// the tile reorder dialog with each of its popups dropped down, the dialog
// after a job, and the tile preview with numbers and with tiles, as BMP
// files into the folder given as the first argument. Each window is read
// from its own surface, so the pictures do not depend on what else is on
// the screen.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "dialogs/filesel.h"
#include "tests/support/uitest.h"

namespace {

std::string outFolder = ".";
int failures = 0;

// Copies the windows, each at its place on the screen, into one picture of
// their common rectangle, and writes it as a 24-bit BMP file.
void SaveWindows(const std::vector<HWND>& windows, const char* name) {
    RECT all = {0, 0, 0, 0}, r;
    for (HWND w : windows) {
        GetWindowRect(w, &r);
        UnionRect(&all, IsRectEmpty(&all) ? &r : &all, &r);
    }
    int width = all.right - all.left, height = all.bottom - all.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(info.bmiHeader), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    PatBlt(memory, 0, 0, width, height, WHITENESS);
    for (HWND w : windows) {
        RedrawWindow(w, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        GetWindowRect(w, &r);
        HDC source = GetWindowDC(w);
        BitBlt(memory, r.left - all.left, r.top - all.top, r.right - r.left, r.bottom - r.top,
               source, 0, 0, SRCCOPY);
        ReleaseDC(w, source);
    }
    GdiFlush();
    DWORD size = ((width * 3 + 3) & ~3u) * height;
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(file) + sizeof(info.bmiHeader)};
    file.bfSize = file.bfOffBits + size;
    std::string path = outFolder + "\\" + name + ".bmp";
    FILE* out = bits ? fopen(path.c_str(), "wb") : nullptr;
    bool ok = out && fwrite(&file, sizeof(file), 1, out) == 1 &&
              fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out) == 1 &&
              fwrite(bits, size, 1, out) == 1;
    if (out) fclose(out);
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    printf("%s %s (%dx%d)\n", ok ? "saved" : "FAILED", path.c_str(), width, height);
    failures += !ok;
}

// Runs open, which enters a modal loop; when the loop first waits for input,
// saves its window (a menu together with the main window) and ends the loop.
void Shoot(const char* name, const std::function<void()>& open) {
    bool done = false;
    SentWatcher watcher([&](const CWPSTRUCT& m) {
        if (m.message != WM_ENTERIDLE || done) return;
        done = true;
        HWND window = reinterpret_cast<HWND>(m.lParam); // the dialog, for a dialog
        if (m.wParam == MSGF_MENU) {
            SaveWindows({appState.mainWindow, FindWindowA("#32768", nullptr)}, name);
            EndMenu();
        } else {
            SaveWindows({window}, name);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        }
    });
    open();
    if (!done) printf("FAILED: %s: the modal loop never went idle\n", name);
    failures += !done;
}

// Shows and paints a window and its controls now: the timer that runs a
// flow can come before the modal loop has shown its dialog.
void Paint(HWND window) {
    if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOWNORMAL);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// The tile preview of a pattern with warnings: numbered cells, then the
// tiles of a graphic of diagonal stripes, the mouse on a slot.
void ShootPreviews(HWND tool, Script& s) {
    FILE* pattern = fopen("sheet.map", "wb");
    fputs("# two halves interleaved\n/LOOP(32,1)\n1,33\nabc\n/NOPE(1)\n", pattern);
    fclose(pattern);
    FILE* graphic = fopen("tiles.bin", "wb");
    for (int t = 0; t < 64; t++)
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x += 2) // 4 bits a pixel, the left one in the low bits
                fputc(((x + y + t) % 16) | ((x + 1 + y + t) % 16) << 4, graphic);
    fclose(graphic);
    SetDlgItemTextA(tool, IDC_TOOL_INPUT_COUNT, "64");
    SetDlgItemTextA(tool, IDC_TOOL_OUTPUT_COUNT, "64");
    for (const char* name : {"preview-numbers", "preview-tiles"}) {
        const bool tiles = name[8] == 't';
        SetDlgItemTextA(tool, IDC_TOOL_INPUT, tiles ? "tiles.bin" : "");
        s.flows.push_back([name, tiles](HWND p) {
            HWND output = GetDlgItem(p, IDC_PREVIEW_OUTPUT);
            if (tiles) SendMessageA(output, WM_MOUSEMOVE, 0, MAKELPARAM(40, 8));
            Paint(p);
            SaveWindows({p}, name);
            Ui_PressButton(p, IDCANCEL);
        });
        SendMessageA(tool, WM_COMMAND, IDC_TOOL_PREVIEW, 0);
    }
}

// The tile reorder dialog as it opens, with the grid and format popups
// dropped down under their fields, and after a job made in a scratch folder.
void ShootTool(HWND main) {
    char scratch[MAX_PATH] = "";
    GetTempPathA(sizeof(scratch), scratch);
    Script s;
    s.flows.reserve(5);
    s.flows.push_back([&](HWND d) {
        Paint(d);
        SaveWindows({d}, "tool");
        for (auto [command, name] : {std::make_pair(IDM_TOOL_INPUT_GRID, "grid"),
                                     std::make_pair(IDM_TOOL_FORMAT, "format")}) {
            s.flows.push_back([d, name = name](HWND p) {
                Paint(d);
                Paint(p);
                SaveWindows({d, p}, name);
                Ui_PressButton(p, IDCANCEL);
            });
            SendMessageA(d, WM_COMMAND, command, 0);
        }
        char previous[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof(previous), previous);
        SetCurrentDirectoryA(scratch);
        FILE* pattern = fopen("sheet.map", "wb");
        fputs("/LOOP(6,1)\n1,7\n", pattern);
        fclose(pattern);
        SetDlgItemTextA(d, IDC_TOOL_PATTERN, "sheet.map");
        SetDlgItemTextA(d, IDC_TOOL_OUTPUT, "sheet.bbl");
        SetDlgItemTextA(d, IDC_TOOL_INPUT_COUNT, "12");
        SetDlgItemTextA(d, IDC_TOOL_OUTPUT_COUNT, "1,200");
        s.answers = {IDYES};
        SendMessageA(d, WM_COMMAND, IDOK, 0);
        Paint(d);
        SaveWindows({d}, "result");
        ShootPreviews(d, s);
        for (const char* name : {"sheet.map", "sheet.bbl", "tiles.bin"})
            DeleteFileA(name);
        SetCurrentDirectoryA(previous);
        Ui_PressButton(d, IDCANCEL);
    });
    SendMessageA(main, WM_COMMAND, IDM_TILEORDER, 0);
    failures += s.hook.gaveUp || s.met != 5;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) outFolder = argv[1];
    CreateDirectoryA(outFolder.c_str(), nullptr);
    AppSession app;
    if (app.startResult != 0) return 1;
    HWND main = app.main(), toolBar = appState.toolBar;
    // Let start-up's queued work (painting, layout) finish first.
    Ui_PumpUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; });
    SaveWindows({main}, "main");
    // The "view" menu of the menu bar, opened as its access key would.
    Shoot("menu", [&] { SendMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, 'v'); });
    // The drop-down menu of the "run" button: a click on the button's arrow.
    RECT button = {};
    SendMessageA(toolBar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    LPARAM arrow = MAKELPARAM(button.right - 4, (button.top + button.bottom) / 2);
    Shoot("dropdown", [&] { SendMessageA(toolBar, WM_LBUTTONDOWN, MK_LBUTTON, arrow); });
    SendMessageA(toolBar, WM_LBUTTONUP, 0, arrow);
    Shoot("about", [&] { SendMessageA(main, WM_COMMAND, IDM_ABOUT, 0); });
    Shoot("font", [&] { SendMessageA(main, WM_COMMAND, IDM_FONT, 0); });
    Shoot("editor", [&] { SendMessageA(main, WM_COMMAND, IDM_EDITOR, 0); });
    // The file selection dialog for a drop of some of the shipped files.
    const std::vector<std::string> drop = {"tileorder.exe", "tilemap.exe", "ini\\extension.ini",
                                           "ini\\combobox.ini", "ini"};
    Shoot("filesel", [&] { FileSel_Show(main, IDC_TEXT, HDROP(Test_Drop(drop))); });
    ShootTool(main);
    return failures == 0 ? 0 : 1;
}
