// Reasons are worked out from the engine's reports: a refused output is told
// apart as a folder, a read-only or busy file, or anything else; a short
// write with no other cause is a full disk.
#include "tool/reasons.h"
#include <shlwapi.h>
#include <cstring>
#include "dialogs/dlgutil.h"
#include "resources/resource.h"
#include "textlib/file.h"

namespace {

constexpr int FIT_MARGIN = 4; // pixels left free at the line's end

Reason Named(int textId, const char* name) {
    return Reason{textId, name, 0, 0};
}

bool IsFolderName(const char* name) {
    const size_t n = strlen(name);
    return PathIsDirectoryA(name) || (n > 0 && (name[n - 1] == '\\' || name[n - 1] == '/'));
}

Reason OutputReason(uint32_t code, const char* outputName) {
    if (IsFolderName(outputName)) return Named(IDS_REASON_FOLDER, outputName);
    if (code == FILE_DEVICE) return Named(IDS_REASON_OUTPUT_DEVICE, outputName);
    if (code == FILE_DENIED) return Named(IDS_REASON_READONLY, outputName);
    if (code == FILE_BUSY) return Named(IDS_REASON_BUSY, outputName);
    return Named(IDS_REASON_OUTPUT, outputName);
}

void Compose(Reason reason, const char* name, const char* tail, char* text, int size) {
    const char* first = reason.textId == IDS_REASON_TILE ? Num_Format(int32_t(reason.a), 10) : name;
    Dlg_Format(text, size, reason.textId, first, Num_Format(int32_t(reason.b), 10));
    const size_t n = strlen(text);
    lstrcpynA(text + n, tail, size - static_cast<int>(n));
}

int TextWidth(HDC dc, const char* text) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    return size.cx;
}

} // namespace

Reason Reason_OfJob(const TileMapReport* report, const char* patternName, const char* outputName) {
    switch (report->failure) {
    case TILEMAP_FAIL_COUNTS: return Named(IDS_REASON_COUNTS, nullptr);
    case TILEMAP_FAIL_OUTPUT: return OutputReason(report->fileCode, outputName);
    case TILEMAP_FAIL_PATTERN:
        return Named(report->fileCode == FILE_DEVICE ? IDS_REASON_DEVICE : IDS_REASON_PATTERN,
                     patternName);
    case TILEMAP_FAIL_NOMEM: return Named(IDS_REASON_NOMEM, nullptr);
    case TILEMAP_FAIL_EMPTY: return Named(IDS_REASON_EMPTY, nullptr);
    case TILEMAP_FAIL_SAME: return Named(IDS_REASON_SAME, outputName);
    case TILEMAP_FAIL_TEMP:
        // The temporary beside the output could not be made or put in place.
        return Named(report->fileCode == FILE_DENIED ? IDS_REASON_READONLY : IDS_REASON_WRITE,
                     outputName);
    default: // a short write that the file layer could not explain: the disk is full
        return Named(report->fileCode == FILE_ERROR ? IDS_REASON_FULL : IDS_REASON_WRITE,
                     outputName);
    }
}

Reason Reason_OfApply(const TileApplyReport* report, const char* graphicName,
                      const char* outputName) {
    switch (report->failure) {
    case TILEAPPLY_FAIL_GRAPHIC:
    case TILEAPPLY_FAIL_INTO: return Named(IDS_REASON_GRAPHIC, graphicName);
    case TILEAPPLY_FAIL_OFFSET: return Named(IDS_REASON_OFFSET, graphicName);
    case TILEAPPLY_FAIL_TILE: return Reason{IDS_REASON_TILE, nullptr, report->entry, report->tile};
    case TILEAPPLY_FAIL_INTOSHORT: return Named(IDS_REASON_INTOSHORT, graphicName);
    case TILEAPPLY_FAIL_OUTPUT: return Reason_OfJob(&report->output, "", outputName);
    default: return Named(IDS_REASON_NOMEM, nullptr);
    }
}

void Reason_Format(Reason reason, bool kept, HWND fitTo, char* text, int size) {
    char tail[DLG_PATH_SIZE] = "", name[MAX_PATH] = "";
    if (kept) Dlg_Format(tail, sizeof(tail), IDS_REASON_KEPT);
    lstrcpynA(name, reason.name ? reason.name : "", sizeof(name));
    if (fitTo && reason.name) {
        HDC dc = GetDC(fitTo);
        HGDIOBJ font =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(fitTo, WM_GETFONT, 0, 0)));
        RECT r = {};
        GetClientRect(fitTo, &r);
        Compose(reason, "", tail, text, size);
        const int room = r.right - TextWidth(dc, text) - FIT_MARGIN;
        if (TextWidth(dc, name) > room)
            PathCompactPathA(dc, name, static_cast<UINT>(room > 0 ? room : 1));
        SelectObject(dc, font);
        ReleaseDC(fitTo, dc);
    }
    Compose(reason, name, tail, text, size);
}
