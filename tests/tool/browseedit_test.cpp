// The browse button: presses, drags off and back and releases synthesised as
// the mouse sends them, and the commands they post (one exactly when a press
// on the button ends on it); the client area narrowed by the button; the
// state going with the control, or never made when memory runs out.
#include <gtest/gtest.h>
#include <cstring>
#include "textlib/mem.h"
#include "tool/browseedit.h"

namespace {

constexpr UINT COMMAND = 1101;

struct Host {
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 50, 50, 300, 80, nullptr,
                                nullptr, nullptr, nullptr);
    HWND plain = Field(10), edit = Field(40);
    HWND Field(int y) {
        return CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, y, 200, 24, parent,
                             nullptr, nullptr, nullptr);
    }
    ~Host() { DestroyWindow(parent); }
    // Commands the button posted since the last call.
    int Posted() {
        MSG m;
        int n = 0;
        while (PeekMessageA(&m, parent, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            n += m.wParam == COMMAND && m.lParam == 0;
        return n;
    }
    const BrowseEditState* State() const {
        return reinterpret_cast<BrowseEditState*>(GetWindowLongPtrA(edit, GWLP_USERDATA));
    }
};

// Steps: D press on the button, K its double click, P press on the text,
// o move off the button, n back on it, U release on it, u release off it.
TEST(BrowseEdit, PostsOneCommandOnlyWhenAPressOnTheButtonEndsOnIt) {
    const struct {
        const char *steps, *pressed; // pressed: after each step
        int posted;
    } cases[] = {{"DU", "10", 1}, {"Dou", "100", 0}, {"DonU", "1010", 1}, {"Donou", "10100", 0},
                 {"PU", "00", 0}, {"KU", "10", 1},   {"DUKU", "1010", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        Host h;
        ASSERT_EQ(BrowseEdit_Attach(h.edit, COMMAND, 18), 1);
        RECT w;
        GetWindowRect(h.edit, &w);
        POINT on = {w.right - 10, (w.top + w.bottom) / 2}, off = {w.left + 20, on.y};
        EXPECT_EQ(SendMessageA(h.edit, WM_NCHITTEST, 0, MAKELPARAM(on.x, on.y)), HTBORDER);
        EXPECT_NE(SendMessageA(h.edit, WM_NCHITTEST, 0, MAKELPARAM(off.x, off.y)), HTBORDER);
        auto client = [&](POINT p) {
            ScreenToClient(h.edit, &p);
            return MAKELPARAM(p.x, p.y);
        };
        std::string pressed;
        for (const char* s = c.steps; *s; ++s) {
            switch (*s) {
            case 'D':
                SendMessageA(h.edit, WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(on.x, on.y));
                break;
            case 'K':
                SendMessageA(h.edit, WM_NCLBUTTONDBLCLK, HTBORDER, MAKELPARAM(on.x, on.y));
                break;
            case 'P': SendMessageA(h.edit, WM_LBUTTONDOWN, MK_LBUTTON, client(off)); break;
            case 'o': SendMessageA(h.edit, WM_MOUSEMOVE, MK_LBUTTON, client(off)); break;
            case 'n': SendMessageA(h.edit, WM_MOUSEMOVE, MK_LBUTTON, client(on)); break;
            case 'U': SendMessageA(h.edit, WM_LBUTTONUP, 0, client(on)); break;
            case 'u': SendMessageA(h.edit, WM_LBUTTONUP, 0, client(off)); break;
            }
            pressed += h.State()->pressed ? '1' : '0';
            // A press on the button captures the mouse; a release frees it.
            if (strchr("DK", *s)) {
                EXPECT_EQ(GetCapture(), h.edit);
            } else if (strchr("Uu", *s)) {
                EXPECT_NE(GetCapture(), h.edit);
            }
        }
        EXPECT_EQ(pressed, c.pressed);
        EXPECT_EQ(h.Posted(), c.posted);
    }
}

WNDPROC below = nullptr;
LONG_PTR procAfter = -1, dataAfter = -1;
// Sits above the button's procedure and looks at the control as it goes.
LRESULT CALLBACK Watch(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT r = CallWindowProcA(below, w, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        procAfter = GetWindowLongPtrA(w, GWLP_WNDPROC);
        dataAfter = GetWindowLongPtrA(w, GWLP_USERDATA);
    }
    return r;
}

TEST(BrowseEdit, NarrowsTheTextAndLeavesAPlainEditWhenItGoes) {
    Host h;
    const LONG_PTR editProc = GetWindowLongPtrA(h.plain, GWLP_WNDPROC);
    Mem_FailNth(1);
    EXPECT_EQ(BrowseEdit_Attach(h.plain, COMMAND, 18), 0);
    Mem_FailNth(0);
    EXPECT_EQ(GetWindowLongPtrA(h.plain, GWLP_WNDPROC), editProc);
    ASSERT_EQ(BrowseEdit_Attach(h.edit, COMMAND, 18), 1);
    RECT plain, narrowed;
    GetClientRect(h.plain, &plain);
    GetClientRect(h.edit, &narrowed);
    EXPECT_EQ(plain.right - narrowed.right, 18);
    below = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(h.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watch)));
    DestroyWindow(h.edit);
    EXPECT_EQ(procAfter, editProc);
    EXPECT_EQ(dataAfter, 0);
}

} // namespace
