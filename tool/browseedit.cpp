// The browse button lives in the edit control's non-client area: the
// subclass shrinks the client rectangle by the button's width, paints the
// button after the frame and hit-tests it as border, so that a press there
// arrives as a non-client click and the edit shows no text cursor over it.
// A command goes out only when a press that began on the button ends on it.
#include "tool/browseedit.h"
#include "textlib/mem.h"

namespace {

BrowseEditState* StateOf(HWND edit) {
    return reinterpret_cast<BrowseEditState*>(GetWindowLongPtrA(edit, GWLP_USERDATA));
}

// The button in window coordinates (origin at the window rectangle's
// top-left corner).
RECT ButtonRect(HWND edit, const BrowseEditState* s) {
    RECT w = {};
    GetWindowRect(edit, &w);
    RECT r;
    r.right = (w.right - w.left) - s->rightBorder;
    r.left = r.right - s->buttonWidth;
    r.top = s->topBorder;
    r.bottom = (w.bottom - w.top) - s->bottomBorder;
    if (s->rightBorder > s->leftBorder) OffsetRect(&r, s->rightBorder - s->leftBorder, 0);
    return r;
}

bool InButton(HWND edit, const BrowseEditState* s, POINT screen) {
    RECT w = {};
    GetWindowRect(edit, &w);
    POINT p = {screen.x - w.left, screen.y - w.top};
    RECT r = ButtonRect(edit, s);
    return PtInRect(&r, p) != FALSE;
}

POINT ScreenPoint(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

void DrawButton(HWND edit, const BrowseEditState* s) {
    HDC dc = GetWindowDC(edit);
    if (!dc) return;
    RECT r = ButtonRect(edit, s);
    DrawEdge(dc, &r, s->pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (s->pressed) OffsetRect(&r, 1, 1); // the label moves with the pushed face
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, "...", 3, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ReleaseDC(edit, dc);
}

void SetPressed(HWND edit, BrowseEditState* s, int pressed) {
    if (s->pressed == pressed) return;
    s->pressed = pressed;
    DrawButton(edit, s);
}

LRESULT BrowseEdit_OnNcCalcSize(HWND edit, BrowseEditState* s, WPARAM wParam, LPARAM lParam) {
    // With wParam TRUE or FALSE, the first rectangle sits at the same place.
    RECT* r = reinterpret_cast<RECT*>(lParam);
    const RECT before = *r;
    CallWindowProcA(s->previous, edit, WM_NCCALCSIZE, wParam, lParam);
    s->leftBorder = r->left - before.left;
    s->rightBorder = before.right - r->right;
    s->topBorder = r->top - before.top;
    s->bottomBorder = before.bottom - r->bottom;
    r->right -= s->buttonWidth;
    return 0;
}

LRESULT BrowseEdit_OnNcHitTest(HWND edit, BrowseEditState* s, WPARAM wParam, LPARAM lParam) {
    if (InButton(edit, s, ScreenPoint(lParam))) return HTBORDER;
    return CallWindowProcA(s->previous, edit, WM_NCHITTEST, wParam, lParam);
}

LRESULT BrowseEdit_OnNcPaint(HWND edit, BrowseEditState* s, WPARAM wParam, LPARAM lParam) {
    CallWindowProcA(s->previous, edit, WM_NCPAINT, wParam, lParam);
    DrawButton(edit, s);
    return 0;
}

// A press or the second press of a double click on the button.
void BrowseEdit_OnNcPress(HWND edit, BrowseEditState* s, LPARAM lParam) {
    if (!InButton(edit, s, ScreenPoint(lParam))) return;
    SetCapture(edit);
    s->tracking = 1;
    s->pressed = 1;
    DrawButton(edit, s);
}

// Client coordinates, as mouse messages under capture carry them.
POINT ClientToScreenPoint(HWND edit, LPARAM lParam) {
    POINT p = ScreenPoint(lParam);
    ClientToScreen(edit, &p);
    return p;
}

void BrowseEdit_OnMouseMove(HWND edit, BrowseEditState* s, LPARAM lParam) {
    if (!s->tracking) return;
    SetPressed(edit, s, InButton(edit, s, ClientToScreenPoint(edit, lParam)) ? 1 : 0);
}

void BrowseEdit_OnRelease(HWND edit, BrowseEditState* s, LPARAM lParam) {
    if (!s->tracking) return;
    if (InButton(edit, s, ClientToScreenPoint(edit, lParam)))
        PostMessageA(GetParent(edit), WM_COMMAND, LOWORD(s->command), 0);
    ReleaseCapture();
    s->tracking = 0;
    s->pressed = 0;
    DrawButton(edit, s);
}

LRESULT BrowseEdit_OnNcDestroy(HWND edit, BrowseEditState* s, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = s->previous;
    Mem_Free(s);
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    SetWindowLongPtrA(edit, GWLP_USERDATA, 0);
    return CallWindowProcA(previous, edit, WM_NCDESTROY, wParam, lParam);
}

LRESULT CALLBACK BrowseEdit_Proc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    BrowseEditState* s = StateOf(edit);
    if (!s) return DefWindowProcA(edit, message, wParam, lParam);
    switch (message) {
    case WM_NCCALCSIZE: return BrowseEdit_OnNcCalcSize(edit, s, wParam, lParam);
    case WM_NCHITTEST: return BrowseEdit_OnNcHitTest(edit, s, wParam, lParam);
    case WM_NCPAINT: return BrowseEdit_OnNcPaint(edit, s, wParam, lParam);
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: BrowseEdit_OnNcPress(edit, s, lParam); break;
    case WM_MOUSEMOVE: BrowseEdit_OnMouseMove(edit, s, lParam); break;
    case WM_LBUTTONUP: BrowseEdit_OnRelease(edit, s, lParam); break;
    case WM_NCDESTROY: return BrowseEdit_OnNcDestroy(edit, s, wParam, lParam);
    default: break;
    }
    return CallWindowProcA(s->previous, edit, message, wParam, lParam);
}

} // namespace

int BrowseEdit_Attach(HWND edit, uint32_t command, int buttonWidth) {
    BrowseEditState* s = static_cast<BrowseEditState*>(Mem_AllocZero(sizeof(BrowseEditState)));
    if (!s) return 0;
    s->command = command;
    s->buttonWidth = buttonWidth;
    s->previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_WNDPROC));
    SetWindowLongPtrA(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BrowseEdit_Proc));
    // Windows recomputes the frame now, which measures the borders.
    SetWindowPos(edit, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return 1;
}
