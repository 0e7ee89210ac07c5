// The browse button: presses, drags off and back, and releases sent as the
// mouse sends them, and the commands they post (one exactly when a press on
// the button ends on it); the client area narrowed by the button; a plain
// edit left behind when the control goes.
#include <gtest/gtest.h>
#include <cstring>
#include "tool/browseedit.h"

namespace {

constexpr UINT COMMAND = 1101;

struct Host {
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 50, 50, 300, 80, 0, 0, 0, 0);
    HWND plain = CreateWindowA("EDIT", "", WS_CHILD | WS_BORDER, 9, 9, 200, 24, parent, 0, 0, 0);
    HWND edit = CreateWindowA("EDIT", "", WS_CHILD | WS_BORDER, 9, 9, 200, 24, parent, 0, 0, 0);
    ~Host() { DestroyWindow(parent); }
};

// Steps: D press on the button, K its double click, P press on the text,
// o move off the button, n back on it, U release on it, u release off it.
TEST(BrowseEdit, PostsOneCommandOnlyWhenAPressOnTheButtonEndsOnIt) {
    const std::tuple<const char*, const char*, int> cases[] = {
        // steps, pressed after each, posts
        {"DU", "10", 1}, {"Dou", "100", 0}, {"DonU", "1010", 1}, {"Donou", "10100", 0},
        {"PU", "00", 0}, {"KU", "10", 1},   {"DUKU", "1010", 2}};
    for (auto [steps, pressed, posts] : cases) {
        SCOPED_TRACE(steps);
        Host h;
        ASSERT_EQ(BrowseEdit_Attach(h.edit, COMMAND, 18), 1);
        auto* state = reinterpret_cast<BrowseEditState*>(GetWindowLongPtrA(h.edit, GWLP_USERDATA));
        RECT w;
        GetWindowRect(h.edit, &w);
        POINT on = {w.right - 10, (w.top + w.bottom) / 2}, off = {w.left + 20, on.y};
        EXPECT_EQ(SendMessageA(h.edit, WM_NCHITTEST, 0, MAKELPARAM(on.x, on.y)), HTBORDER);
        std::string seen;
        for (const char* s = steps; *s; ++s) {
            // Presses on the button come as non-client messages in screen
            // coordinates, the rest in client coordinates.
            const int k = int(strchr("DKPonUu", *s) - "DKPonUu");
            POINT p = strchr("DKnU", *s) ? on : off;
            if (k >= 2) ScreenToClient(h.edit, &p);
            const UINT messages[] = {WM_NCLBUTTONDOWN, WM_NCLBUTTONDBLCLK, WM_LBUTTONDOWN,
                                     WM_MOUSEMOVE,     WM_MOUSEMOVE,       WM_LBUTTONUP};
            SendMessageA(h.edit, messages[k < 6 ? k : 5], HTBORDER, MAKELPARAM(p.x, p.y));
            seen += state->pressed ? '1' : '0';
            // A press on the button captures the mouse; a release frees it.
            EXPECT_TRUE((k >= 2 && k <= 4) || (GetCapture() == h.edit) == (k < 2)) << *s;
        }
        EXPECT_EQ(seen, pressed);
        MSG m;
        int posted = 0;
        while (PeekMessageA(&m, h.parent, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            posted += m.wParam == COMMAND && m.lParam == 0;
        EXPECT_EQ(posted, posts);
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
    ASSERT_EQ(BrowseEdit_Attach(h.edit, COMMAND, 18), 1);
    RECT plain, narrowed;
    GetClientRect(h.plain, &plain);
    GetClientRect(h.edit, &narrowed);
    EXPECT_EQ(plain.right - narrowed.right, 18);
    below = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(h.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watch)));
    DestroyWindow(h.edit);
    EXPECT_EQ(std::make_pair(procAfter, dataAfter), std::make_pair(editProc, LONG_PTR(0)));
}

} // namespace
