// The tile preview and the failure reasons: the preview opened from the tool
// dialog shows the pixels the command's picture has, at zoom 1 and 3, grey
// and through a palette; the status names a slot's tile and lines; "apply"
// writes what the engine's application writes, to a new file and into the
// graphic; the warnings list follows the pattern check; each failure of a
// job or an application has its own text, shortened to fit.
#include <gtest/gtest.h>
#include <windows.h>
#include "engine/check.h"
#include "engine/preview.h"
#include "engine/tile.h"
#include "resources/resource.h"
#include "tests/support/uitest.h"
#include "tests/support/testdir.h"
#include "textlib/file.h"
#include "textlib/mem.h"
#include "tool/previewdlg.h"
#include "tool/reasons.h"
#include "tool/tileview.h"
#include "tool/tooldlg.h"

namespace {

// The client area of a view as it paints it, RGB rows.
std::vector<uint8_t> Shown(HWND view, int* width, int* height) {
    RECT r = {};
    GetClientRect(view, &r);
    *width = r.right, *height = r.bottom;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(info.bmiHeader), r.right, -r.bottom, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP picture = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, picture);
    SendMessageA(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    std::vector<uint8_t> rgb;
    const int stride = (r.right * 3 + 3) & ~3;
    for (int y = 0; y < r.bottom; y++)
        for (int x = 0; x < r.right; x++)
            for (int c = 2; c >= 0; c--)
                rgb.push_back(static_cast<uint8_t*>(bits)[y * stride + x * 3 + c]);
    SelectObject(dc, old);
    DeleteObject(picture);
    DeleteDC(dc);
    return rgb;
}

// Pixels where the view and the command's picture differ, over both.
int Differences(HWND view, const PreviewImage& image) {
    int w, h, wrong = 0;
    const std::vector<uint8_t> shown = Shown(view, &w, &h);
    for (uint32_t y = 0; y < image.height && y < uint32_t(h); y++)
        for (uint32_t x = 0; x < image.width && x < uint32_t(w); x++)
            wrong += memcmp(&shown[(y * w + x) * 3], image.rgb + (y * image.width + x) * 3, 3) != 0;
    return wrong;
}

void Choose(HWND chooser, const char* name) { // the file name field of either chooser style
    for (int id : {0x47C, 0x480})
        SetDlgItemTextA(chooser, id, name);
    Ui_PressButton(chooser, IDOK);
}

TEST(Preview, ShowsTheMapsTilesWhereEachCameFromAndApplies) {
    Tool_ResetSettings();
    InTestDir dir;
    SetCursorPos(0, 0); // no cell under the mouse
    std::string graphic = "HEAD";
    for (int t = 1; t <= 20; t++)
        graphic += std::string(32, char((t % 16) * 0x11)); // solid 8x8 tiles of 4 bits
    std::string palette;
    for (int c = 0; c < 48; c++)
        palette += char(c * 5);
    WriteFile("g.bin", graphic);
    WriteFile("p.pal", palette);
    WriteFile("p.map", "3,1,2\n/LOOP(2,4)\n{\n5,6\n}\n999\n");
    TileMapJob job = TileMap_StartValues();
    job.inputCount = 20, job.outputCount = 9;
    ASSERT_EQ(TileMap_Run("", "job.bbl", "p.map", &job), 8); // slot 9 stays empty
    const std::string map = ReadFile("job.bbl");
    PreviewTiles tiles = {reinterpret_cast<const uint8_t*>(graphic.data()) + 4, 640,
                          Tile_MakeFormat(8, 8, 4, true), nullptr, 0};
    std::vector<int> wrong;
    std::vector<bool> framed;
    std::vector<std::string> status, results;
    Script s;
    s.flows = {
        [&](HWND d) {
            SetDlgItemTextA(d, IDC_TOOL_PATTERN, "p.map");
            SetDlgItemTextA(d, IDC_TOOL_INPUT, "g.bin");
            SetDlgItemTextA(d, IDC_TOOL_OFFSET, "4");
            SetDlgItemTextA(d, IDC_TOOL_INPUT_COUNT, "20");
            SetDlgItemTextA(d, IDC_TOOL_OUTPUT_COUNT, "9");
            SendMessageA(d, WM_COMMAND, IDC_TOOL_PREVIEW, 0);
            Ui_PressButton(d, IDCANCEL);
        },
        [&](HWND p) {
            HWND output = GetDlgItem(p, IDC_PREVIEW_OUTPUT);
            for (int zoom : {1, 3}) {
                if (zoom == 3) {
                    SetDlgItemTextA(p, IDC_PREVIEW_PALETTE, "p.pal");
                    SendDlgItemMessageA(p, IDC_PREVIEW_PALETTE, EM_SETMODIFY, TRUE, 0);
                    SendMessageA(p, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_PALETTE, EN_KILLFOCUS), 0);
                    tiles.palette = reinterpret_cast<const uint8_t*>(palette.data());
                    tiles.colours = 16;
                }
                Ui_ChooseRow(p, IDC_PREVIEW_ZOOM, zoom - 1);
                PreviewImage image;
                uint32_t bad;
                ASSERT_TRUE(Preview_Draw(reinterpret_cast<const uint8_t*>(map.data()), 9, 11, zoom,
                                         &tiles, &image, &bad));
                wrong.push_back(Differences(output, image));
                Mem_Free(image.rgb);
            }
            for (int slot : {0, 3, 8}) { // a list's, a loop's, none's (zoom 3: 24 pixels)
                SendMessageA(output, WM_MOUSEMOVE, 0, MAKELPARAM(slot * 24 + 12, 12));
                status.push_back(Ui_Text(GetDlgItem(p, IDC_PREVIEW_STATUS)));
                int w, h; // the slot's tile is framed in the input view
                const std::vector<uint8_t> in = Shown(GetDlgItem(p, IDC_PREVIEW_INPUT), &w, &h);
                const size_t at = map[slot] ? (map[slot] - 1) * 24 * 3 : 0;
                framed.push_back(map[slot] && RGB(in[at], in[at + 1], in[at + 2]) == TILEVIEW_MARK);
            }
            for (int into = 0; into < 2; into++) {
                s.answers = {IDYES};
                SendMessageA(p, WM_COMMAND, IDC_PREVIEW_APPLY, 0);
                results.push_back(Ui_Text(GetDlgItem(p, IDC_PREVIEW_STATUS)));
            }
            Ui_PressButton(p, IDCANCEL);
        },
        [&](HWND chooser) { Choose(chooser, "new.bin"); },
        [&](HWND chooser) { Choose(chooser, "g.bin"); }};
    // What the engine's application makes of the same map, both ways.
    TileApplyReport report;
    ASSERT_TRUE(TileApply_Run("job.bbl", "g.bin", "want.bin", nullptr, 32, 4, &report));
    ASSERT_TRUE(TileApply_Run("job.bbl", "g.bin", "want-into.bin", "g.bin", 32, 4, &report));
    AppSession app;
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    EXPECT_FALSE(s.hook.gaveUp);
    EXPECT_EQ(wrong, (std::vector<int>{0, 0}));
    EXPECT_EQ(framed, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(status,
              (std::vector<std::string>{Test_Format(IDS_PREVIEW_SLOT, "1", "3", "1"),
                                        Test_Format(IDS_PREVIEW_SLOT_LOOP, "4", "5", "2", "5"),
                                        Test_Format(IDS_PREVIEW_SLOT_NONE, "9")}));
    const std::string applied = Test_Format(IDS_PREVIEW_APPLIED, "new.bin", "9");
    EXPECT_EQ(results,
              (std::vector<std::string>{applied, Test_Format(IDS_PREVIEW_APPLIED, "g.bin", "9")}));
    EXPECT_EQ(ReadFile("new.bin"), ReadFile("want.bin"));
    EXPECT_EQ(ReadFile("g.bin"), ReadFile("want-into.bin"));
    EXPECT_EQ(s.asked, std::vector<std::string>{Ui_String(IDS_PREVIEW_INTO_ASK)});
}

// The rows' line numbers are those of the check's diagnostics, one row each;
// words changed by an earlier job are said first, and a pattern that gives
// the map nothing says why.
TEST(Preview, ListsTheChecksWarnings) {
    InTestDir dir;
    const char* const patterns[] = {"1,9,-1,0\n2 x,y2\n",
                                    "$SET(REPEAT,R)\n/R(1)\n",
                                    "/REPEAT(5\n/LOOP(2,1\n$SET(X,Y)\n",
                                    "{\n}\n1\n/LOOP(3,1)\n{\n2\n",
                                    "1~4\n\n# full\n5\n6\n",
                                    "# nothing\n",
                                    "$SET(REPEAT,R)\n/R(1)\n"};
    WriteFile("set.map", "$SET(LOOP,FOR)\n1\n");
    TileMapJob job = TileMap_StartValues();
    job.inputCount = job.outputCount = 4;
    Pattern_ResetKeywords();
    ASSERT_EQ(TileMap_Run("", "set.bbl", "set.map", &job), 1); // FOR stays for the run
    for (const char* pattern : patterns) {
        WriteFile("p.map", pattern);
        CheckResult check;
        PatternKeyword words[PATTERN_KEYWORDS];
        memcpy(words, Pattern_Keywords(), sizeof words);
        Check_Run("p.map", &job, &check);
        memcpy(Pattern_Keywords(), words, sizeof words);
        std::vector<std::string> want = {Test_Format(IDS_PREVIEW_WORDS, "FOR", "REPEAT")};
        if (check.failure == TILEMAP_FAIL_EMPTY) want.push_back(Ui_String(IDS_REASON_EMPTY));
        for (int32_t i = 0; i < check.count; i++)
            if (check.list[i].kind != CHECK_EMPTY) // said by the reason
                want.push_back(std::to_string(check.list[i].line));
        Check_Free(&check);
        std::vector<std::string> rows;
        DialogScript hook([&](HWND p, int) {
            HWND list = GetDlgItem(p, IDC_PREVIEW_WARNINGS);
            for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); i++) {
                char text[512] = "";
                SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
                const std::string row = text; // a diagnostic's row starts with its line
                rows.push_back(isdigit(row[0]) ? row.substr(0, row.find_first_not_of("0123456789"))
                                               : row);
            }
            EndDialog(p, 0);
        });
        PreviewRequest request = {};
        char paletteName[260] = "";
        strcpy(request.patternName, "p.map");
        request.paletteName = paletteName;
        request.job = job;
        PreviewDlg_Show(nullptr, &request);
        EXPECT_EQ(rows, want) << pattern;
    }
    EXPECT_STREQ(Pattern_Keywords()[0].text, "FOR"); // the previews changed nothing
    Pattern_ResetKeywords();
}

TEST(Reasons, EachFailureHasItsTextAndLongNamesAreShortened) {
    InTestDir dir;
    CreateDirectoryA("folder", nullptr);
    const struct {
        TileMapFailure failure;
        uint32_t code;
        const char* output;
        int id;
        const char* name; // the name in the text
    } rows[] = {
        {TILEMAP_FAIL_PATTERN, FILE_NOTFOUND, "o", IDS_REASON_PATTERN, "p"},
        {TILEMAP_FAIL_PATTERN, FILE_DEVICE, "o", IDS_REASON_DEVICE, "p"},
        {TILEMAP_FAIL_OUTPUT, FILE_DEVICE, "o", IDS_REASON_OUTPUT_DEVICE, "o"},
        {TILEMAP_FAIL_EMPTY, FILE_OK, "o", IDS_REASON_EMPTY, ""},
        {TILEMAP_FAIL_OUTPUT, FILE_DENIED, "folder", IDS_REASON_FOLDER, "folder"},
        {TILEMAP_FAIL_OUTPUT, FILE_DENIED, "o", IDS_REASON_READONLY, "o"},
        {TILEMAP_FAIL_OUTPUT, FILE_BUSY, "o", IDS_REASON_BUSY, "o"},
        {TILEMAP_FAIL_OUTPUT, FILE_NOTFOUND, "o", IDS_REASON_OUTPUT, "o"},
        {TILEMAP_FAIL_SAME, FILE_OK, "o", IDS_REASON_SAME, "o"},
        {TILEMAP_FAIL_WRITE, FILE_ERROR, "o", IDS_REASON_FULL, "o"},
        {TILEMAP_FAIL_WRITE, FILE_DENIED, "o", IDS_REASON_WRITE, "o"},
        {TILEMAP_FAIL_TEMP, FILE_DENIED, "o", IDS_REASON_READONLY, "o"},
        {TILEMAP_FAIL_NOMEM, FILE_OK, "o", IDS_REASON_NOMEM, ""},
    };
    char text[512];
    for (const auto& r : rows) {
        const TileMapReport report = {r.failure, r.code, nullptr};
        Reason_Format(Reason_OfJob(&report, "p", r.output), false, nullptr, text, sizeof text);
        EXPECT_EQ(text, Test_Format(r.id, r.name)) << r.failure << " " << r.code;
    }
    TileApplyReport apply = {};
    apply.failure = TILEAPPLY_FAIL_TILE, apply.entry = 1234, apply.tile = 9;
    Reason_Format(Reason_OfApply(&apply, "g", "o"), true, nullptr, text, sizeof text);
    EXPECT_EQ(text, Test_Format(IDS_REASON_TILE, "1,234", "9") + Ui_String(IDS_REASON_KEPT));
    // A name too long for the line is cut in its middle, and the line fits.
    HWND line =
        CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 900, 20, nullptr, nullptr, nullptr, nullptr);
    const std::string name =
        "C:\\" + std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\o.bbl";
    const TileMapReport denied = {TILEMAP_FAIL_OUTPUT, FILE_DENIED, nullptr};
    Reason_Format(Reason_OfJob(&denied, "p", name.c_str()), true, line, text, sizeof text);
    HDC dc = GetDC(line);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    ReleaseDC(line, dc);
    DestroyWindow(line);
    EXPECT_LE(size.cx, 900) << text;
    EXPECT_NE(std::string(text).find("..."), std::string::npos) << text;
    EXPECT_NE(std::string(text).find("o.bbl"), std::string::npos) << text;
}

} // namespace
