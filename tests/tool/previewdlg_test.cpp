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

// The client area of a view as it paints it, row by row; *width gets its width.
std::vector<COLORREF> Shown(HWND view, int* width) {
    RECT r = {};
    GetClientRect(view, &r);
    *width = r.right;
    return Ui_Paint(r.right, r.bottom, [&](HDC dc) {
        SendMessageA(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

// Pixels where the view and the command's picture differ, over both.
int Differences(HWND view, const PreviewImage& image) {
    int w, wrong = 0;
    const std::vector<COLORREF> shown = Shown(view, &w);
    for (uint32_t y = 0; y < image.height && (y + 1) * w <= shown.size(); y++)
        for (uint32_t x = 0; x < image.width && x < uint32_t(w); x++) {
            const uint8_t* rgb = image.rgb + (y * image.width + x) * 3;
            wrong += shown[y * w + x] != RGB(rgb[0], rgb[1], rgb[2]);
        }
    return wrong;
}

void Choose(HWND chooser, const char* name) { // the file name field of either chooser style
    for (int id : {0x47C, 0x480})
        SetDlgItemTextA(chooser, id, name);
    Ui_PressButton(chooser, IDOK);
}

// The preview opened from the tool dialog: at zoom 1, then at 3 through a palette, the output
// view shows the command's picture; a row per slot hovered; "apply" to a new file, then into the
// graphic, writes what the engine's application writes.
TEST(Preview, ShowsTheMapsTilesWhereEachCameFromAndApplies) {
    Tool_ResetSettings();
    InTestDir dir;
    SetCursorPos(0, 0); // no cell under the mouse
    std::string graphic = "HEAD", palette;
    for (int t = 1; t <= 20; t++)
        graphic += std::string(32, char((t % 16) * 0x11)); // solid 8x8 tiles of 4 bits
    for (int c = 0; c < 48; c++)
        palette += char(c * 5);
    WriteFile("g.bin", graphic);
    WriteFile("p.pal", palette);
    WriteFile("p.map", "3,1,2\n/LOOP(2,4)\n{\n5,6\n}\n999\n");
    TileMapJob job = TileMap_StartValues();
    job.inputCount = 20, job.outputCount = 9;
    ASSERT_EQ(TileMap_Run("", "job.bbl", "p.map", &job), 8); // slot 9 stays empty
    const std::string map = ReadFile("job.bbl");
    TileApplyReport report; // what the engine's application makes of the same map, both ways
    ASSERT_TRUE(TileApply_Run("job.bbl", "g.bin", "new.want", nullptr, 32, 4, &report));
    ASSERT_TRUE(TileApply_Run("job.bbl", "g.bin", "g.want", "g.bin", 32, 4, &report));
    PreviewTiles tiles = {reinterpret_cast<const uint8_t*>(graphic.data()) + 4, 640,
                          Tile_MakeFormat(8, 8, 4, true), nullptr, 0};
    // The slot hovered at zoom 3 (24 pixels a cell): a list's, a loop's, none's; its status, and
    // whether the input view frames the slot's tile.
    const std::tuple<int, std::string, bool> slots[] = {
        {0, Test_Format(IDS_PREVIEW_SLOT, "1", "3", "1"), true},
        {3, Test_Format(IDS_PREVIEW_SLOT_LOOP, "4", "5", "2", "5"), true},
        {8, Test_Format(IDS_PREVIEW_SLOT_NONE, "9"), false}};
    const std::string targets[] = {"new", "g"}; // written as .bin, expected as .want
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
                EXPECT_EQ(Differences(output, image), 0) << "zoom " << zoom;
                Mem_Free(image.rgb);
            }
            for (const auto& [slot, status, framed] : slots) {
                SendMessageA(output, WM_MOUSEMOVE, 0, MAKELPARAM(slot * 24 + 12, 12));
                int w; // the top left pixel of the slot's tile in the input view
                const std::vector<COLORREF> in = Shown(GetDlgItem(p, IDC_PREVIEW_INPUT), &w);
                EXPECT_EQ(Ui_Text(GetDlgItem(p, IDC_PREVIEW_STATUS)), status) << "slot " << slot;
                EXPECT_EQ(map[slot] && in[(map[slot] - 1) * 24] == TILEVIEW_MARK, framed) << slot;
            }
            for (const std::string& target : targets) {
                s.answers = {IDYES};
                SendMessageA(p, WM_COMMAND, IDC_PREVIEW_APPLY, 0);
                EXPECT_EQ(Ui_Text(GetDlgItem(p, IDC_PREVIEW_STATUS)),
                          Test_Format(IDS_PREVIEW_APPLIED, (target + ".bin").c_str(), "9"));
                EXPECT_EQ(ReadFile(target + ".bin"), ReadFile(target + ".want"));
            }
            Ui_PressButton(p, IDCANCEL);
        },
        [&](HWND chooser) { Choose(chooser, "new.bin"); },
        [&](HWND chooser) { Choose(chooser, "g.bin"); }};
    AppSession app;
    SendMessageA(app.main(), WM_COMMAND, IDM_TILEORDER, 0);
    EXPECT_FALSE(s.hook.gaveUp);
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
    PreviewRequest request = {};
    char paletteName[260] = "";
    strcpy(request.patternName, "p.map");
    request.paletteName = paletteName;
    TileMapJob& job = request.job = TileMap_StartValues();
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
        PreviewDlg_Show(nullptr, &request);
        EXPECT_EQ(rows, want) << pattern;
    }
    EXPECT_STREQ(Pattern_Keywords()[0].text, "FOR"); // the previews changed nothing
    Pattern_ResetKeywords();
}

TEST(Reasons, EachFailureHasItsTextAndLongNamesAreShortened) {
    InTestDir dir;
    CreateDirectoryA("folder", nullptr);
    // The failure and file layer's code, the output named, the text's id and the name in it.
    const std::tuple<TileMapFailure, uint32_t, const char*, int, const char*> rows[] = {
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
    for (const auto& [failure, code, output, id, name] : rows) {
        const TileMapReport report = {failure, code, nullptr};
        Reason_Format(Reason_OfJob(&report, "p", output), false, nullptr, text, sizeof text);
        EXPECT_EQ(text, Test_Format(id, name)) << failure << " " << code;
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
