// The tile preview on the largest job: a map of 2,073,600 slots over an 8x8
// 4-bit graphic of 2,073,600 tiles (66 MB). Reports the time from opening
// the preview (the pattern run, the graphic read, the dialog made) to its
// first picture, and the time of one repaint while scrolling a page at a
// time, the median of 30. Windows only; run under Wine by scripts/bench.sh.
// Usage: preview_bench FOLDER
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "engine/tilemap.h"
#include "resources/resource.h"
#include "tool/previewdlg.h"

namespace {

constexpr int32_t SLOTS = TILEMAP_MAX_COUNT;
constexpr int REPAINTS = 30;

double Now() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

bool Write(const std::string& name, const std::string& bytes) {
    FILE* f = fopen(name.c_str(), "wb");
    bool ok = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return f && fclose(f) == 0 && ok;
}

double start = 0, firstPicture = 0;
std::vector<double> repaints;

LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* m = reinterpret_cast<CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_INITDIALOG) {
        HWND dialog = m->hwnd, view = GetDlgItem(dialog, IDC_PREVIEW_OUTPUT);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        firstPicture = Now() - start;
        for (int i = 0; i < REPAINTS; i++) {
            const double t = Now();
            SendMessageA(view, WM_VSCROLL, SB_PAGEDOWN, 0);
            RedrawWindow(view, nullptr, nullptr, RDW_UPDATENOW);
            repaints.push_back(Now() - t);
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::string pattern = folder + "\\preview.map", graphic = folder + "\\preview.bin";
    std::string tiles(static_cast<size_t>(SLOTS) * 32, '\0');
    for (size_t i = 0; i < tiles.size(); i++)
        tiles[i] = static_cast<char>((i / 32 + i / 4) % 256);
    if (!Write(pattern, "/LOOP(8132,0)\n1~255\n") || !Write(graphic, tiles)) {
        fprintf(stderr, "preview_bench: cannot write into %s\n", folder.c_str());
        return 1;
    }
    PreviewRequest request = {};
    char palette[260] = "";
    lstrcpynA(request.patternName, pattern.c_str(), sizeof request.patternName);
    lstrcpynA(request.graphicName, graphic.c_str(), sizeof request.graphicName);
    request.paletteName = palette;
    request.job = TileMap_StartValues();
    request.job.inputCount = request.job.outputCount = SLOTS;
    request.job.inputColumns = request.job.outputColumns = 1920;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId());
    start = Now();
    PreviewDlg_Show(nullptr, &request);
    UnhookWindowsHookEx(hook);
    DeleteFileA(pattern.c_str());
    DeleteFileA(graphic.c_str());
    if (repaints.empty()) {
        fprintf(stderr, "preview_bench: the preview did not open\n");
        return 1;
    }
    std::sort(repaints.begin(), repaints.end());
    printf("preview of %d slots over a 66 MB graphic: first picture %.0f ms, repaint %.1f ms "
           "(median of %d)\n",
           SLOTS, firstPicture, repaints[repaints.size() / 2], REPAINTS);
    return 0;
}
