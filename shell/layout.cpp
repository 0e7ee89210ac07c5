// Placement of the main window's parts. The bars size themselves when they
// are moved (toolbar to the parent's width, status bar to its bottom), so
// the anchor layout only has to nudge them; the text window is placed
// exactly, between whichever bars are visible.
#include "shell/layout.h"
#include "resources/resource.h"
#include "shell/appstate.h"

namespace {

constexpr int TEXT_MARGIN = 8;

HWND RowWindow(HWND window, const LayoutRow* row) {
    if (row->kind == LAYOUT_CONTROL_ID) return GetDlgItem(window, static_cast<int>(row->target));
    return reinterpret_cast<HWND>(row->target);
}

// Outer height of a bar; a bar that was never made counts as 0 pixels.
int32_t BarHeight(HWND bar) {
    RECT r;
    if (!bar || !GetWindowRect(bar, &r)) return 0;
    return r.bottom - r.top;
}

} // namespace

void LayoutAnchored(HWND window, LayoutRecord* record) {
    if (!window) return;
    RECT now;
    GetClientRect(window, &now);
    // Integer division truncates toward zero, as the layout wants.
    LONG dx = (now.right - record->rect.right) / 2;
    LONG dy = now.bottom - record->rect.bottom;
    for (LayoutRow* row = record->rows; row && row->kind != LAYOUT_END; ++row) {
        HWND target = RowWindow(window, row);
        if (!target) continue;
        RECT r;
        GetWindowRect(target, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        if (!(row->anchors & ANCHOR_LEFT)) r.left += dx;
        if (!(row->anchors & ANCHOR_TOP)) r.top += dy;
        if (row->anchors & ANCHOR_RIGHT) r.right += dx;
        if (row->anchors & ANCHOR_BOTTOM) r.bottom += dy;
        MoveWindow(target, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        if (row->child) LayoutAnchored(target, row->child);
    }
    record->rect = now;
}

void LayoutTextWindow(HWND mainWindow) {
    RECT r;
    GetClientRect(mainWindow, &r);
    if (appState.barsUnmeasured) {
        appState.statusBarHeight = BarHeight(appState.statusBar);
        appState.toolBarHeight = BarHeight(appState.toolBar);
        appState.barsUnmeasured = false;
    }
    if (appState.statusBarVisible) r.bottom -= appState.statusBarHeight;
    if (appState.toolBarVisible) r.top += appState.toolBarHeight;
    MoveWindow(GetDlgItem(mainWindow, IDC_TEXT), r.left + TEXT_MARGIN, r.top + TEXT_MARGIN,
               r.right - r.left - 2 * TEXT_MARGIN, r.bottom - r.top - 2 * TEXT_MARGIN, TRUE);
}

void ComputePlacement(HWND mainWindow) {
    RECT r;
    GetClientRect(mainWindow, &r);
    int32_t width = r.right - r.left;
    int32_t height = r.bottom - r.top;
    int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int32_t screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int32_t x = (screenWidth - width) / 2;
    int32_t y = (screenHeight - height) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (x + width > screenWidth) x = 0;
    if (y + height > screenHeight) y = 0;
    appState.placement = {x, y, width, height};
}

void ApplyPlacement() {
    TEXTMETRICA tm = {};
    HDC dc = GetDC(appState.mainWindow);
    GetTextMetricsA(dc, &tm);
    ReleaseDC(appState.mainWindow, dc);
    // 232 x 60 dialog units: a dialog unit is a quarter of the average
    // character width across and an eighth of the character height down.
    appState.minTrackSize.cx =
        static_cast<LONG>(tm.tmAveCharWidth * 0.25 * 232) + GetSystemMetrics(SM_CXFIXEDFRAME);
    appState.minTrackSize.cy = static_cast<LONG>(tm.tmHeight * 0.125 * 60) +
                               GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYMENUSIZE) +
                               GetSystemMetrics(SM_CYCAPTION);
    AppPlacement& p = appState.placement;
    int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int32_t screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (p.x + p.width > screenWidth) p.x = screenWidth - p.width > 0 ? screenWidth - p.width : 0;
    if (p.y + p.height > screenHeight) {
        p.y = screenHeight - p.height > 0 ? screenHeight - p.height : 0;
    }
    SetWindowPos(appState.mainWindow, nullptr, p.x, p.y, p.width, p.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}
