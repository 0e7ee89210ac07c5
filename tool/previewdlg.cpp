// The tile preview. Its pattern runs through the pattern check, which makes
// the job's own map and warnings, with a trace of the lines each number came
// from; the pattern language's words and loop state are put back afterwards,
// so a preview changes nothing for the next job. The graphic is read whole
// once; each view draws only the cells it shows.
#include "tool/previewdlg.h"
#include <commctrl.h>
#include <shlwapi.h>
#include <cstdio>
#include <cstring>
#include "dialogs/dlgutil.h"
#include "dialogs/editor.h"
#include "engine/check.h"
#include "engine/preview.h"
#include "engine/tile.h"
#include "engine/trace.h"
#include "resources/resource.h"
#include "textlib/conv.h"
#include "textlib/file.h"
#include "textlib/mem.h"
#include "tool/browseedit.h"
#include "tool/reasons.h"
#include "tool/tileview.h"
#include "tool/tooldlg.h"

namespace {

constexpr int UTF8_NAME_SIZE = 520;
constexpr int TEXT_SIZE = 512;
constexpr uint32_t MAX_ZOOM = 8;

struct PreviewData {
    PreviewRequest* request;
    char pattern[UTF8_NAME_SIZE], graphicName[UTF8_NAME_SIZE];
    CheckResult check;
    int32_t checked; // Check_Run's result: -1 when the pattern could not be run
    MapTrace trace;
    int32_t mapLength;
    bool inverse;
    uint8_t* graphic; // the whole file; tiles.graphic points past the offset
    uint64_t graphicLength;
    PreviewTiles tiles;
    uint8_t palette[768];
    uint32_t inputCells;
    int32_t uses[256]; // slots per map byte
    int32_t hotSlot, hotTile;
    HWND output, input;
};

PreviewData* DataOf(HWND dialog) {
    return reinterpret_cast<PreviewData*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// The UTF-8 form of an ANSI name; false when it cannot be converted.
bool ToUtf8(const char* name, char* utf8) {
    const char* converted = Conv_AnsiToUtf8(name);
    lstrcpynA(utf8, converted ? converted : "", UTF8_NAME_SIZE);
    return converted != nullptr;
}

const PreviewTiles* Tiles(const PreviewData* d) {
    return d->tiles.graphic ? &d->tiles : nullptr;
}

void AddRow(HWND dialog, const char* text) {
    SendDlgItemMessageA(dialog, IDC_PREVIEW_WARNINGS, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(text));
}

void AddReason(HWND dialog, Reason reason) {
    char text[TEXT_SIZE];
    Reason_Format(reason, false, nullptr, text, sizeof text);
    AddRow(dialog, text);
}

// A diagnostic's text in the program's words; texts from the pattern are
// UTF-8 and shown in the ANSI code page.
void DiagnosticText(const CheckDiagnostic& d, const TileMapJob& job, char* text, int size) {
    const char* quoted = Conv_Utf8ToAnsi(d.text);
    if (!quoted) quoted = "?";
    const bool undo = job.method == EFFECT_MAP_UNDO;
    char lo[NUM_TEXT_SIZE], hi[NUM_TEXT_SIZE], inputs[NUM_TEXT_SIZE];
    snprintf(lo, sizeof lo, "%lld", static_cast<long long>(d.value));
    snprintf(hi, sizeof hi, "%lld", static_cast<long long>(d.extra));
    lstrcpynA(inputs, Num_Format(job.inputCount, 10), sizeof inputs);
    const bool one = d.value == d.extra;
    switch (d.kind) {
    case CHECK_RANGE:
        if (one)
            Dlg_Format(text, size, undo ? IDS_CHECK_RANGE_SKIP : IDS_CHECK_RANGE, d.line, lo,
                       inputs);
        else
            Dlg_Format(text, size, undo ? IDS_CHECK_RANGES_SKIP : IDS_CHECK_RANGES, d.line, lo, hi,
                       inputs);
        return;
    case CHECK_BYTE:
        if (one)
            Dlg_Format(text, size, IDS_CHECK_BYTE, d.line, lo,
                       Num_Format(int32_t(d.value & 255), 10));
        else
            Dlg_Format(text, size, IDS_CHECK_BYTES, d.line, lo, hi);
        return;
    case CHECK_UNREACHED:
        Dlg_Format(text, size, IDS_CHECK_UNREACHED, d.line, Num_Format(int32_t(d.value), 10));
        return;
    default:
        // The other kinds, in kind order from CHECK_ITEM, with the text quoted (kinds
        // without a text have no %s to take it).
        Dlg_Format(text, size, IDS_CHECK_ITEM + (d.kind - CHECK_ITEM), d.line, quoted);
        return;
    }
}

void FillWarnings(HWND dialog, PreviewData* d) {
    char text[TEXT_SIZE];
    const PatternKeyword* words = Pattern_Keywords();
    if (strcmp(words[0].text, words[0].name) != 0 || strcmp(words[1].text, words[1].name) != 0) {
        char loop[64], repeat[64];
        const char* a = Conv_Utf8ToAnsi(words[0].text);
        lstrcpynA(loop, a ? a : "?", sizeof loop);
        const char* b = Conv_Utf8ToAnsi(words[1].text);
        lstrcpynA(repeat, b ? b : "?", sizeof repeat);
        AddRow(dialog, Dlg_Format(text, sizeof text, IDS_PREVIEW_WORDS, loop, repeat));
    }
    if (d->check.failure != TILEMAP_OK) {
        TileMapReport report = {d->check.failure, d->check.fileCode, nullptr};
        AddReason(dialog, Reason_OfJob(&report, d->request->patternName, ""));
    }
    for (int32_t i = 0; i < d->check.count; i++) {
        if (d->check.list[i].kind == CHECK_EMPTY) continue; // the reason above says it
        DiagnosticText(d->check.list[i], d->request->job, text, sizeof text);
        AddRow(dialog, text);
    }
    if (d->check.more > 0)
        AddRow(dialog,
               Dlg_Format(text, sizeof text, IDS_PREVIEW_MORE, Num_Format(d->check.more, 10)));
    if (SendDlgItemMessageA(dialog, IDC_PREVIEW_WARNINGS, LB_GETCOUNT, 0, 0) == 0)
        AddRow(dialog, Dlg_Format(text, sizeof text, IDS_PREVIEW_NO_WARNINGS));
}

void ShowSummary(HWND dialog, const PreviewData* d) {
    const CheckSummary& s = d->check.summary;
    Dlg_ShowText(dialog, IDC_PREVIEW_STATUS, IDS_PREVIEW_SUMMARY, Num_Format(s.filled, 10),
                 Num_Format(s.empty, 10), Num_Format(s.unused, 10), Num_Format(s.repeated, 10));
}

// Runs the pattern as the job would, and puts the words and loop state back.
void RunPattern(PreviewData* d) {
    PatternKeyword words[PATTERN_KEYWORDS];
    memcpy(words, Pattern_Keywords(), sizeof words);
    const PatternState state = *Pattern_State();
    const TileMapJob* job = &d->request->job;
    d->mapLength = TileMap_MapLength(job);
    d->inverse = job->method == EFFECT_MAP_UNDO;
    d->checked = -1;
    memset(&d->check, 0, sizeof d->check);
    if (MapTrace_Init(&d->trace, job->inputCount, job->outputCount, nullptr))
        d->checked = Check_Run(d->pattern, job, &d->check, &d->trace);
    else
        d->check.failure = TILEMAP_FAIL_NOMEM;
    memcpy(Pattern_Keywords(), words, sizeof words);
    *Pattern_State() = state;
    if (d->check.map)
        for (int32_t k = 0; k < d->mapLength; k++)
            d->uses[d->check.map[k]]++;
}

// Reads the graphic from the offset on; a failure is listed and the cells
// show numbers.
void LoadGraphic(HWND dialog, PreviewData* d) {
    const PreviewRequest* r = d->request;
    d->inputCells = static_cast<uint32_t>(r->job.inputCount);
    if (!r->graphicName[0]) return;
    TileApplyReport report = {};
    report.failure = TILEAPPLY_FAIL_GRAPHIC;
    if (!ToUtf8(r->graphicName, d->graphicName) ||
        Tile_ReadFile(d->graphicName, &d->graphic, &d->graphicLength) != FILE_OK)
        return AddReason(dialog, Reason_OfApply(&report, r->graphicName, ""));
    if (d->graphicLength < r->offset) {
        report.failure = TILEAPPLY_FAIL_OFFSET;
        return AddReason(dialog, Reason_OfApply(&report, r->graphicName, ""));
    }
    const TileFormat& f = r->job.format;
    d->tiles.format = Tile_MakeFormat(f.width, f.height, f.bitsPerPixel, Tile_IsInverted(&f));
    d->tiles.graphic = d->graphic + r->offset;
    d->tiles.length = d->graphicLength - r->offset;
    const uint64_t held = d->tiles.format.stride ? d->tiles.length / d->tiles.format.stride : 0;
    if (held < d->inputCells) d->inputCells = static_cast<uint32_t>(held);
}

// The palette named in the field: 16 or 256 colours, else grey levels.
void LoadPalette(HWND dialog, PreviewData* d) {
    char* name = d->request->paletteName;
    GetDlgItemTextA(dialog, IDC_PREVIEW_PALETTE, name, DLG_PATH_SIZE);
    PathRemoveBlanksA(name);
    d->tiles.palette = nullptr;
    char utf8[UTF8_NAME_SIZE];
    uint8_t* bytes = nullptr;
    uint64_t length = 0;
    if (name[0] && ToUtf8(name, utf8) && Tile_ReadFile(utf8, &bytes, &length) == FILE_OK &&
        (length == 48 || length == 768)) {
        memcpy(d->palette, bytes, static_cast<size_t>(length));
        d->tiles.palette = d->palette;
        d->tiles.colours = static_cast<uint32_t>(length / 3);
        ShowSummary(dialog, d);
    } else if (name[0]) {
        Dlg_ShowText(dialog, IDC_PREVIEW_STATUS, IDS_PREVIEW_PALETTE_BAD, name);
    }
    Mem_Free(bytes);
    InvalidateRect(d->output, nullptr, FALSE);
    InvalidateRect(d->input, nullptr, FALSE);
}

bool DrawOutput(void* context, uint32_t k, uint8_t* rgb, uint32_t width, uint32_t x0, uint32_t y0) {
    const PreviewData* d = static_cast<PreviewData*>(context);
    return Preview_DrawCell(rgb, width, x0, y0, d->check.map[k], Tiles(d));
}

bool DrawInput(void* context, uint32_t k, uint8_t* rgb, uint32_t width, uint32_t x0, uint32_t y0) {
    return Preview_DrawCell(rgb, width, x0, y0, k + 1, Tiles(static_cast<PreviewData*>(context)));
}

// Slots that hold the input tile under the mouse.
bool OutputMarked(void* context, uint32_t k) {
    const PreviewData* d = static_cast<PreviewData*>(context);
    return d->hotTile >= 0 && d->check.map[k] != 0 && d->check.map[k] == d->hotTile + 1;
}

// The input tile of the slot under the mouse.
bool InputMarked(void* context, uint32_t k) {
    const PreviewData* d = static_cast<PreviewData*>(context);
    return d->hotSlot >= 0 && d->check.map[d->hotSlot] == k + 1;
}

void ShowSlot(HWND dialog, const PreviewData* d, int32_t k) {
    TraceOrigin o;
    int32_t take;
    const char* slot = Num_Format(k + 1, 10);
    const char* tile = Num_Format(d->check.map[k], 10);
    if (!MapTrace_Origin(&d->trace, d->inverse, k, &o, &take))
        Dlg_ShowText(dialog, IDC_PREVIEW_STATUS, IDS_PREVIEW_SLOT_NONE, slot);
    else if (o.first == o.last)
        Dlg_ShowText(dialog, IDC_PREVIEW_STATUS, IDS_PREVIEW_SLOT, slot, tile,
                     Num_Format(o.first, 10));
    else
        Dlg_ShowText(dialog, IDC_PREVIEW_STATUS, IDS_PREVIEW_SLOT_LOOP, slot, tile,
                     Num_Format(o.first, 10), Num_Format(o.last, 10));
}

void Hover(void* context, HWND view, int32_t k) {
    PreviewData* d = static_cast<PreviewData*>(context);
    HWND dialog = GetParent(view);
    const bool output = view == d->output;
    (output ? d->hotSlot : d->hotTile) = k;
    InvalidateRect(output ? d->input : d->output, nullptr, FALSE);
    if (k < 0) return ShowSummary(dialog, d);
    if (!output) {
        const int32_t uses = k + 1 <= 255 ? d->uses[k + 1] : 0; // a byte names tiles to 255
        Dlg_ShowText(dialog, IDC_PREVIEW_STATUS, IDS_PREVIEW_TILE, Num_Format(k + 1, 10),
                     Num_Format(uses, 10));
        return;
    }
    ShowSlot(dialog, d, k);
    if (d->check.map[k] > 0) TileView_ShowCell(d->input, d->check.map[k] - 1u);
}

void SetUpViews(HWND dialog, PreviewData* d) {
    d->output = GetDlgItem(dialog, IDC_PREVIEW_OUTPUT);
    d->input = GetDlgItem(dialog, IDC_PREVIEW_INPUT);
    uint32_t w, h;
    Preview_CellSize(Tiles(d), &w, &h);
    const uint8_t background = Tiles(d) ? 0 : 255; // as the pictures of the command
    const TileViewSource out = {d, DrawOutput, OutputMarked, Hover, background};
    const TileViewSource in = {d, DrawInput, InputMarked, Hover, background};
    const TileMapJob& job = d->request->job;
    TileView_Set(d->output, &out, d->check.map ? static_cast<uint32_t>(d->mapLength) : 0,
                 static_cast<uint32_t>(job.outputColumns > 0 ? job.outputColumns : 1), w, h);
    TileView_Set(d->input, &in, d->inputCells,
                 static_cast<uint32_t>(job.inputColumns > 0 ? job.inputColumns : 1), w, h);
}

void SetUpZoom(HWND dialog, PreviewData* d) {
    HWND box = GetDlgItem(dialog, IDC_PREVIEW_ZOOM);
    char text[32];
    for (uint32_t z = 1; z <= MAX_ZOOM; z++)
        SendMessageA(
            box, CB_ADDSTRING, 0,
            reinterpret_cast<LPARAM>(Dlg_Format(text, sizeof text, IDS_PREVIEW_ZOOM_ROW, z)));
    const uint32_t zoom = Tiles(d) ? 2 : 1; // tiles are small, numbers are not
    SendMessageA(box, CB_SETCURSEL, zoom - 1, 0);
    TileView_SetZoom(d->output, zoom);
    TileView_SetZoom(d->input, zoom);
}

BOOL Preview_OnInit(HWND dialog, PreviewData* d) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
    PreviewRequest* r = d->request;
    d->hotSlot = d->hotTile = -1;
    SetDlgItemTextA(dialog, IDC_PREVIEW_PATTERN, r->patternName);
    HWND palette = GetDlgItem(dialog, IDC_PREVIEW_PALETTE);
    SendMessageA(palette, EM_LIMITTEXT, DLG_PATH_SIZE - 1, 0);
    SetWindowTextA(palette, r->paletteName);
    BrowseEdit_Attach(palette, IDM_PREVIEW_BROWSE_PALETTE, BROWSE_BUTTON_WIDTH);
    d->checked = -1;
    if (ToUtf8(r->patternName, d->pattern))
        RunPattern(d);
    else
        AddReason(dialog, Reason{IDS_REASON_NAME, r->patternName, 0, 0});
    FillWarnings(dialog, d);
    LoadGraphic(dialog, d);
    SetUpViews(dialog, d);
    SetUpZoom(dialog, d);
    ShowSummary(dialog, d);
    if (r->paletteName[0]) LoadPalette(dialog, d);
    EnableWindow(GetDlgItem(dialog, IDC_PREVIEW_APPLY), d->tiles.graphic && d->check.map);
    Wnd_CenterOverOwner(dialog);
    return TRUE;
}

void Preview_OnBrowsePalette(HWND dialog, PreviewData* d) {
    char name[DLG_PATH_SIZE], filter[512];
    GetDlgItemTextA(dialog, IDC_PREVIEW_PALETTE, name, sizeof name);
    PathRemoveBlanksA(name);
    if (!PathFileExistsA(name)) name[0] = '\0';
    Dlg_MakeFilter(filter, sizeof filter, IDS_PREVIEW_PALETTE_FILTER, "*.pal;*.bin",
                   IDS_TOOL_ALL_FILES);
    if (!FileDlg_Run(dialog, GetOpenFileNameA, filter, "pal", name, sizeof name)) return;
    Path_MakeStartRelative(name, sizeof name);
    SetDlgItemTextA(dialog, IDC_PREVIEW_PALETTE, name);
    LoadPalette(dialog, d);
}

// "Apply": the graphic's tiles in the map's order, to a new file or, after
// a question, into the graphic itself at the offset.
void Preview_OnApply(HWND dialog, PreviewData* d) {
    const PreviewRequest* r = d->request;
    char folder[MAX_PATH] = "", name[DLG_PATH_SIZE] = "", filter[512], title[128];
    if (GetFullPathNameA(r->graphicName, sizeof folder, folder, nullptr))
        PathRemoveFileSpecA(folder);
    Dlg_MakeFilter(filter, sizeof filter, IDS_TOOL_GRAPHIC_FILTER, "*.bin;*.dat",
                   IDS_TOOL_ALL_FILES);
    Dlg_Format(title, sizeof title, IDS_PREVIEW_SAVE_TITLE);
    if (!FileDlg_Run(dialog, GetSaveFileNameA, filter, "bin", name, sizeof name, title, folder))
        return;
    char output[UTF8_NAME_SIZE], text[TEXT_SIZE];
    if (!ToUtf8(name, output)) {
        Reason_Format(Reason{IDS_REASON_NAME, name, 0, 0}, false, nullptr, text, sizeof text);
        return Dlg_ShowText(dialog, IDC_PREVIEW_STATUS, IDS_PREVIEW_NOT_APPLIED, text);
    }
    const bool into = File_Same(d->graphicName, output);
    if (into && Dlg_Ask(dialog, IDS_PREVIEW_INTO_ASK, IDS_PREVIEW_INTO_TITLE) != IDYES) return;
    TileApplyReport report;
    if (TileApply_RunMap(d->check.map, static_cast<uint64_t>(d->mapLength), d->graphicName, output,
                         into ? d->graphicName : nullptr, d->tiles.format.stride, r->offset,
                         &report)) {
        Dlg_ShowText(dialog, IDC_PREVIEW_STATUS, IDS_PREVIEW_APPLIED, PathFindFileNameA(name),
                     Num_Format(d->mapLength, 10));
        return;
    }
    Reason_Format(Reason_OfApply(&report, r->graphicName, name), false, nullptr, text, sizeof text);
    Dlg_ShowText(dialog, IDC_PREVIEW_STATUS, IDS_PREVIEW_NOT_APPLIED, text);
}

BOOL Preview_OnCommand(HWND dialog, PreviewData* d, int id, int code) {
    switch (id) {
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDOK: return TRUE; // Enter alone does nothing here
    case IDC_PREVIEW_APPLY: Preview_OnApply(dialog, d); return TRUE;
    case IDM_PREVIEW_BROWSE_PALETTE: Preview_OnBrowsePalette(dialog, d); return TRUE;
    case IDC_PREVIEW_PALETTE:
        if (code == EN_KILLFOCUS && SendDlgItemMessageA(dialog, id, EM_GETMODIFY, 0, 0)) {
            SendDlgItemMessageA(dialog, id, EM_SETMODIFY, FALSE, 0);
            LoadPalette(dialog, d);
        }
        return TRUE;
    case IDC_PREVIEW_ZOOM:
        if (code == CBN_SELCHANGE) {
            const LRESULT row = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
            TileView_SetZoom(d->output, static_cast<uint32_t>(row + 1));
            TileView_SetZoom(d->input, static_cast<uint32_t>(row + 1));
        }
        return TRUE;
    case IDC_PREVIEW_WARNINGS:
        if (code == LBN_DBLCLK) Editor_OpenFile(dialog, IDC_PREVIEW_PATTERN, IDC_PREVIEW_STATUS);
        return TRUE;
    default: return FALSE;
    }
}

} // namespace

void PreviewDlg_Show(HWND owner, PreviewRequest* request) {
    PreviewData* d = static_cast<PreviewData*>(Mem_AllocZero(sizeof(PreviewData)));
    if (!d) return;
    d->request = request;
    TileView_Register(); // before the template's views are made
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PREVIEW), owner,
                    PreviewDlg_Proc, reinterpret_cast<LPARAM>(d));
    Check_Free(&d->check);
    MapTrace_Free(&d->trace);
    Mem_Free(d->graphic);
    Mem_Free(d);
}

INT_PTR CALLBACK PreviewDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return Preview_OnInit(dialog, reinterpret_cast<PreviewData*>(lParam));
    case WM_COMMAND:
        return Preview_OnCommand(dialog, DataOf(dialog), LOWORD(wParam), HIWORD(wParam));
    default: return FALSE;
    }
}
