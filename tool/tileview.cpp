// The tile view. A paint draws the cells in view at one pixel a pixel, then
// widens them by the zoom into a picture of the client area, which goes to
// the screen in one call; the scroll position is kept in zoomed pixels.
// WM_PRINTCLIENT paints the same picture into any device context, so what
// the view shows can be read back.
#include "tool/tileview.h"
#include "textlib/mem.h"
#include <cstring>

namespace {

const char CLASS_NAME[] = "TilePreviewView";
constexpr int32_t MARK_WIDTH = 2;
constexpr int WHEEL_ROWS = 3;

struct ViewState {
    TileViewSource source;
    uint32_t count, columns, cellWidth, cellHeight, zoom;
    int32_t x, y; // the scroll position, in zoomed pixels
    int32_t hot;  // the cell under the mouse, or -1
    bool tracking;
};

ViewState* StateOf(HWND view) {
    return reinterpret_cast<ViewState*>(GetWindowLongPtrA(view, GWLP_USERDATA));
}

uint32_t Across(const ViewState* s) {
    return s->count < s->columns ? s->count : s->columns;
}
uint32_t Rows(const ViewState* s) {
    return s->columns ? (s->count + s->columns - 1) / s->columns : 0;
}
int32_t ZoomedWidth(const ViewState* s) {
    return static_cast<int32_t>(s->cellWidth * s->zoom);
}
int32_t ZoomedHeight(const ViewState* s) {
    return static_cast<int32_t>(s->cellHeight * s->zoom);
}
// The whole grid in zoomed pixels; within 2^31 for every grid the tool makes.
int32_t TotalWidth(const ViewState* s) {
    return static_cast<int32_t>(Across(s) * ZoomedWidth(s));
}
int32_t TotalHeight(const ViewState* s) {
    return static_cast<int32_t>(Rows(s) * ZoomedHeight(s));
}

SIZE ClientSize(HWND view) {
    RECT r = {};
    GetClientRect(view, &r);
    return {r.right, r.bottom};
}

int32_t Clamp(int32_t v, int32_t total, int32_t page) {
    if (v > total - page) v = total - page;
    return v < 0 ? 0 : v;
}

void UpdateBars(HWND view, ViewState* s) {
    const SIZE c = ClientSize(view);
    s->x = Clamp(s->x, TotalWidth(s), c.cx);
    s->y = Clamp(s->y, TotalHeight(s), c.cy);
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, 0, 0, 0,
                     0};
    si.nMax = TotalWidth(s) > 0 ? TotalWidth(s) - 1 : 0;
    si.nPage = static_cast<UINT>(c.cx);
    si.nPos = s->x;
    SetScrollInfo(view, SB_HORZ, &si, TRUE);
    si.nMax = TotalHeight(s) > 0 ? TotalHeight(s) - 1 : 0;
    si.nPage = static_cast<UINT>(c.cy);
    si.nPos = s->y;
    SetScrollInfo(view, SB_VERT, &si, TRUE);
}

void ScrollTo(HWND view, ViewState* s, int32_t x, int32_t y) {
    s->x = x;
    s->y = y;
    UpdateBars(view, s);
    InvalidateRect(view, nullptr, FALSE);
}

// The cells in view at one pixel a pixel: columns c0..c1-1 of rows r0..r1-1.
struct Region {
    uint32_t c0, c1, r0, r1;
    uint32_t width, height; // pixels
    uint8_t* rgb;
};

bool DrawRegion(const ViewState* s, SIZE client, Region* g) {
    const int32_t zw = ZoomedWidth(s), zh = ZoomedHeight(s);
    g->c0 = static_cast<uint32_t>(s->x / zw);
    g->r0 = static_cast<uint32_t>(s->y / zh);
    g->c1 = static_cast<uint32_t>((s->x + client.cx + zw - 1) / zw);
    g->r1 = static_cast<uint32_t>((s->y + client.cy + zh - 1) / zh);
    if (g->c1 > Across(s)) g->c1 = Across(s);
    if (g->r1 > Rows(s)) g->r1 = Rows(s);
    if (g->c1 <= g->c0 || g->r1 <= g->r0) return false;
    g->width = (g->c1 - g->c0) * s->cellWidth;
    g->height = (g->r1 - g->r0) * s->cellHeight;
    const size_t bytes = static_cast<size_t>(g->width) * g->height * 3;
    g->rgb = static_cast<uint8_t*>(Mem_Alloc(bytes));
    if (!g->rgb) return false;
    memset(g->rgb, s->source.background, bytes);
    for (uint32_t r = g->r0; r < g->r1; r++)
        for (uint32_t c = g->c0; c < g->c1; c++) {
            const uint32_t k = r * s->columns + c;
            if (k >= s->count) break;
            const uint32_t x0 = (c - g->c0) * s->cellWidth, y0 = (r - g->r0) * s->cellHeight;
            if (s->source.drawCell(s->source.context, k, g->rgb, g->width, x0, y0)) continue;
            for (uint32_t y = 0; y < s->cellHeight; y++)
                for (uint32_t x = 0; x < s->cellWidth; x++) {
                    uint8_t* p = g->rgb + ((static_cast<size_t>(y0) + y) * g->width + x0 + x) * 3;
                    p[0] = GetRValue(TILEVIEW_MISSING);
                    p[1] = GetGValue(TILEVIEW_MISSING);
                    p[2] = GetBValue(TILEVIEW_MISSING);
                }
        }
    return true;
}

void FrameCell(HDC dc, const ViewState* s, uint32_t k, HBRUSH brush) {
    const int32_t zw = ZoomedWidth(s), zh = ZoomedHeight(s);
    RECT r;
    r.left = static_cast<int32_t>(k % s->columns) * zw - s->x;
    r.top = static_cast<int32_t>(k / s->columns) * zh - s->y;
    r.right = r.left + zw;
    r.bottom = r.top + zh;
    for (int32_t i = 0; i < MARK_WIDTH && r.right - r.left > 2 && r.bottom - r.top > 2; i++) {
        FrameRect(dc, &r, brush);
        InflateRect(&r, -1, -1);
    }
}

// The client area as a picture: the cells in view widened by the zoom, the
// rest in the background grey, then the frames of marked cells.
void Paint(HWND view, HDC dc) {
    const ViewState* s = StateOf(view);
    const SIZE client = ClientSize(view);
    if (!s || client.cx <= 0 || client.cy <= 0) return;
    const uint32_t stride = (static_cast<uint32_t>(client.cx) * 3 + 3) & ~3u;
    uint8_t* bits = static_cast<uint8_t*>(Mem_Alloc(static_cast<size_t>(stride) * client.cy));
    if (!bits) return;
    memset(bits, s->source.background, static_cast<size_t>(stride) * client.cy);
    Region g = {0, 0, 0, 0, 0, 0, nullptr};
    if (s->count > 0 && s->source.drawCell && DrawRegion(s, client, &g)) {
        const int32_t left = s->x - static_cast<int32_t>(g.c0) * ZoomedWidth(s);
        const int32_t top = s->y - static_cast<int32_t>(g.r0) * ZoomedHeight(s);
        const int32_t zoom = static_cast<int32_t>(s->zoom);
        for (int32_t dy = 0; dy < client.cy; dy++) {
            const int32_t sy = (top + dy) / zoom;
            if (sy >= static_cast<int32_t>(g.height)) break;
            uint8_t* out = bits + static_cast<size_t>(dy) * stride;
            const uint8_t* row = g.rgb + static_cast<size_t>(sy) * g.width * 3;
            for (int32_t dx = 0; dx < client.cx; dx++) {
                const int32_t sx = (left + dx) / zoom;
                if (sx >= static_cast<int32_t>(g.width)) break;
                out[dx * 3] = row[sx * 3 + 2]; // the picture is blue, green, red
                out[dx * 3 + 1] = row[sx * 3 + 1];
                out[dx * 3 + 2] = row[sx * 3];
            }
        }
    }
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = client.cx;
    bmi.bmiHeader.biHeight = -client.cy; // top down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(client.cx), static_cast<DWORD>(client.cy), 0, 0,
                      0, static_cast<UINT>(client.cy), bits, &bmi, DIB_RGB_COLORS);
    if (g.rgb) {
        HBRUSH mark = CreateSolidBrush(TILEVIEW_MARK);
        for (uint32_t r = g.r0; r < g.r1; r++)
            for (uint32_t c = g.c0; c < g.c1; c++) {
                const uint32_t k = r * s->columns + c;
                if (k >= s->count) break;
                if (static_cast<int32_t>(k) == s->hot ||
                    (s->source.isMarked && s->source.isMarked(s->source.context, k)))
                    FrameCell(dc, s, k, mark);
            }
        DeleteObject(mark);
    }
    Mem_Free(g.rgb);
    Mem_Free(bits);
}

int32_t CellAt(const ViewState* s, LPARAM lParam) {
    const int32_t px = s->x + static_cast<short>(LOWORD(lParam));
    const int32_t py = s->y + static_cast<short>(HIWORD(lParam));
    if (s->count == 0 || px < 0 || py < 0 || px >= TotalWidth(s) || py >= TotalHeight(s)) return -1;
    const uint32_t k = static_cast<uint32_t>(py / ZoomedHeight(s)) * s->columns +
                       static_cast<uint32_t>(px / ZoomedWidth(s));
    return k < s->count ? static_cast<int32_t>(k) : -1;
}

void SetHot(HWND view, ViewState* s, int32_t k) {
    if (k == s->hot) return;
    s->hot = k;
    InvalidateRect(view, nullptr, FALSE);
    if (s->source.hover) s->source.hover(s->source.context, view, k);
}

void OnMouseMove(HWND view, ViewState* s, LPARAM lParam) {
    if (!s->tracking) {
        TRACKMOUSEEVENT t = {sizeof t, TME_LEAVE, view, 0};
        s->tracking = TrackMouseEvent(&t) != FALSE;
    }
    SetHot(view, s, CellAt(s, lParam));
}

// A scroll bar's request as a new position along that bar.
int32_t ScrollRequest(HWND view, int bar, int code, int32_t at, int32_t line, int32_t page) {
    SCROLLINFO si = {sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(view, bar, &si);
    switch (code) {
    case SB_LINEUP: return at - line;
    case SB_LINEDOWN: return at + line;
    case SB_PAGEUP: return at - page;
    case SB_PAGEDOWN: return at + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return si.nTrackPos;
    case SB_TOP: return 0;
    case SB_BOTTOM: return INT32_MAX;
    default: return at;
    }
}

void OnScroll(HWND view, ViewState* s, int bar, int code) {
    const SIZE c = ClientSize(view);
    if (bar == SB_VERT)
        ScrollTo(view, s, s->x, ScrollRequest(view, bar, code, s->y, ZoomedHeight(s), c.cy));
    else
        ScrollTo(view, s, ScrollRequest(view, bar, code, s->x, ZoomedWidth(s), c.cx), s->y);
}

void OnKey(HWND view, ViewState* s, WPARAM key) {
    switch (key) {
    case VK_UP: return OnScroll(view, s, SB_VERT, SB_LINEUP);
    case VK_DOWN: return OnScroll(view, s, SB_VERT, SB_LINEDOWN);
    case VK_PRIOR: return OnScroll(view, s, SB_VERT, SB_PAGEUP);
    case VK_NEXT: return OnScroll(view, s, SB_VERT, SB_PAGEDOWN);
    case VK_HOME: return OnScroll(view, s, SB_VERT, SB_TOP);
    case VK_END: return OnScroll(view, s, SB_VERT, SB_BOTTOM);
    case VK_LEFT: return OnScroll(view, s, SB_HORZ, SB_LINEUP);
    case VK_RIGHT: return OnScroll(view, s, SB_HORZ, SB_LINEDOWN);
    default: return;
    }
}

LRESULT CALLBACK ViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    ViewState* s = StateOf(view);
    switch (message) {
    case WM_NCCREATE: {
        ViewState* fresh = static_cast<ViewState*>(Mem_AllocZero(sizeof(ViewState)));
        if (!fresh) return FALSE;
        fresh->zoom = 1;
        fresh->columns = 1;
        fresh->cellWidth = fresh->cellHeight = 1;
        fresh->hot = -1;
        SetWindowLongPtrA(view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(fresh));
        break;
    }
    case WM_NCDESTROY:
        Mem_Free(s);
        SetWindowLongPtrA(view, GWLP_USERDATA, 0);
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(view, &ps);
        Paint(view, dc);
        EndPaint(view, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: Paint(view, reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: UpdateBars(view, s); return 0;
    case WM_VSCROLL: OnScroll(view, s, SB_VERT, LOWORD(wParam)); return 0;
    case WM_HSCROLL: OnScroll(view, s, SB_HORZ, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: {
        const int32_t rows = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * WHEEL_ROWS;
        ScrollTo(view, s, s->x, s->y - rows * ZoomedHeight(s));
        return 0;
    }
    case WM_KEYDOWN: OnKey(view, s, wParam); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN: SetFocus(view); return 0;
    case WM_MOUSEMOVE: OnMouseMove(view, s, lParam); return 0;
    case WM_MOUSELEAVE:
        s->tracking = false;
        SetHot(view, s, -1);
        return 0;
    default: break;
    }
    return DefWindowProcA(view, message, wParam, lParam);
}

} // namespace

void TileView_Register() {
    WNDCLASSA wc = {};
    if (GetClassInfoA(GetModuleHandleA(nullptr), CLASS_NAME, &wc)) return;
    wc.lpfnWndProc = ViewProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_CROSS);
    wc.lpszClassName = CLASS_NAME;
    RegisterClassA(&wc);
}

void TileView_Set(HWND view, const TileViewSource* source, uint32_t count, uint32_t columns,
                  uint32_t cellWidth, uint32_t cellHeight) {
    ViewState* s = StateOf(view);
    if (!s) return;
    s->source = *source;
    s->count = count;
    s->columns = columns ? columns : 1;
    s->cellWidth = cellWidth ? cellWidth : 1;
    s->cellHeight = cellHeight ? cellHeight : 1;
    s->hot = -1;
    ScrollTo(view, s, 0, 0);
}

void TileView_SetZoom(HWND view, uint32_t zoom) {
    ViewState* s = StateOf(view);
    if (!s || zoom < 1 || zoom > 8) return;
    const uint32_t column = static_cast<uint32_t>(s->x / ZoomedWidth(s));
    const uint32_t row = static_cast<uint32_t>(s->y / ZoomedHeight(s));
    s->zoom = zoom;
    ScrollTo(view, s, static_cast<int32_t>(column) * ZoomedWidth(s),
             static_cast<int32_t>(row) * ZoomedHeight(s));
}

void TileView_ShowCell(HWND view, uint32_t k) {
    ViewState* s = StateOf(view);
    if (!s || k >= s->count) return;
    const SIZE c = ClientSize(view);
    const int32_t left = static_cast<int32_t>(k % s->columns) * ZoomedWidth(s);
    const int32_t top = static_cast<int32_t>(k / s->columns) * ZoomedHeight(s);
    int32_t x = s->x, y = s->y;
    if (left < x || left + ZoomedWidth(s) > x + c.cx) x = left;
    if (top < y || top + ZoomedHeight(s) > y + c.cy) y = top;
    ScrollTo(view, s, x, y);
}
