// Screenshots for people: starts the program's windows in this process and
// saves pictures of the main window, an open menu of its menu bar, the
// toolbar's drop-down menu, the about box and the font dialog as BMP files
// into the folder given as the first argument (scripts/screenshots.sh
// turns them into PNG). Each window is read from its own surface, so the
// pictures do not depend on what else is on the screen.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "shell/appstate.h"
#include "tests/shell/uitest.h"

namespace {

std::string outFolder = ".";
int failures = 0;

// Copies the windows, each at its place on the screen, into one picture of
// their common rectangle, and writes it as a 24-bit BMP file.
bool SaveWindows(const std::vector<HWND>& windows, const char* name) {
    RECT all = {0, 0, 0, 0};
    for (HWND w : windows) {
        RECT r;
        GetWindowRect(w, &r);
        if (IsRectEmpty(&all))
            all = r;
        else
            UnionRect(&all, &all, &r);
    }
    int width = all.right - all.left, height = all.bottom - all.top;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    PatBlt(memory, 0, 0, width, height, WHITENESS);
    for (HWND w : windows) {
        RedrawWindow(w, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        RECT r;
        GetWindowRect(w, &r);
        HDC source = GetWindowDC(w);
        BitBlt(memory, r.left - all.left, r.top - all.top, r.right - r.left, r.bottom - r.top,
               source, 0, 0, SRCCOPY);
        ReleaseDC(w, source);
    }
    GdiFlush();
    DWORD stride = (width * 3 + 3) & ~3u;
    DWORD size = stride * height;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + size;
    std::string path = outFolder + "\\" + name + ".bmp";
    FILE* out = fopen(path.c_str(), "wb");
    bool ok = out && fwrite(&file, sizeof(file), 1, out) == 1 &&
              fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out) == 1 &&
              fwrite(bits, size, 1, out) == 1;
    if (out) fclose(out);
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    printf("%s %s (%dx%d)\n", ok ? "saved" : "FAILED", path.c_str(), width, height);
    if (!ok) ++failures;
    return ok;
}

HWND FindPopupMenu() {
    return FindWindowA("#32768", nullptr);
}

// Runs action, which enters a modal loop; when that loop first goes idle
// (its owner hears WM_ENTERIDLE of the given kind), shoot() runs and then
// close() ends the loop.
void WhenIdle(WPARAM kind, const std::function<void()>& action, const std::function<void()>& shoot,
              const std::function<void()>& close) {
    bool done = false;
    SentWatcher watcher([&](const CWPSTRUCT& m) {
        if (m.message == WM_ENTERIDLE && m.wParam == kind && !done) {
            done = true;
            shoot();
            close();
        }
    });
    action();
    if (!done) {
        printf("FAILED: the modal loop never went idle\n");
        ++failures;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) outFolder = argv[1];
    CreateDirectoryA(outFolder.c_str(), nullptr);
    AppSession app;
    if (app.startResult() != 0) return 1;
    HWND main = app.main();
    // Let start-up's queued work (painting, layout) finish first.
    Ui_PumpUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; });
    SaveWindows({main}, "main");

    // The "view" menu of the menu bar, opened as its access key would.
    WhenIdle(
        MSGF_MENU, [&] { SendMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, 'v'); },
        [&] {
            SaveWindows({main, FindPopupMenu()}, "menu");
        },
        [] { EndMenu(); });

    // The drop-down menu of the "run" button: a click on the button's arrow.
    HWND toolBar = appState.toolBar;
    RECT button = {};
    SendMessageA(toolBar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    LPARAM arrow = MAKELPARAM(button.right - 4, (button.top + button.bottom) / 2);
    WhenIdle(
        MSGF_MENU, [&] { SendMessageA(toolBar, WM_LBUTTONDOWN, MK_LBUTTON, arrow); },
        [&] {
            SaveWindows({main, FindPopupMenu()}, "dropdown");
        },
        [] { EndMenu(); });
    SendMessageA(toolBar, WM_LBUTTONUP, 0, arrow);

    HWND dialog = nullptr;
    DialogWatcher dialogs([&](HWND w) { dialog = w; });
    WhenIdle(
        MSGF_DIALOGBOX, [&] { SendMessageA(main, WM_COMMAND, IDM_ABOUT, 0); },
        [&] { SaveWindows({dialog}, "about"); }, [&] { Ui_PressButton(dialog, IDOK); });
    WhenIdle(
        MSGF_DIALOGBOX, [&] { SendMessageA(main, WM_COMMAND, IDM_FONT, 0); },
        [&] { SaveWindows({dialog}, "font"); }, [&] { Ui_PressButton(dialog, IDCANCEL); });
    return failures == 0 ? 0 : 1;
}
