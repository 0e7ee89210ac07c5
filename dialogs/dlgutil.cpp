// Dialog helpers. Everything here runs on the user-interface thread, so the
// number ring needs no lock; its slots are reused in turn, which lets a
// caller format two or three numbers into one message.
#include "dialogs/dlgutil.h"
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "shell/appstate.h"
#include "shell/icons.h"

namespace {

constexpr int MESSAGE_SIZE = 1024;
constexpr DWORD CHOOSER_FLAGS =
    OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;

char numRing[NUM_RING_SLOTS][NUM_TEXT_SIZE];
uint32_t numRingUses = 0;

char* NextRingSlot() {
    return numRing[numRingUses++ % NUM_RING_SLOTS];
}

// The digit's value in the radix, or -1.
int DigitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads text[start..] from its last character backwards. Unsigned, so that
// overflow wraps as the two's complement value the field then shows.
uint32_t ScanNumber(const char* text, size_t start, bool hex, bool* error) {
    uint32_t value = 0, weight = 1;
    for (size_t i = strlen(text); i-- > start;) {
        char c = text[i];
        if (c == ',' || c == ' ' || c == '\t') continue;
        int digit = DigitValue(c, hex);
        if (digit >= 0) {
            value += static_cast<uint32_t>(digit) * weight;
            weight *= hex ? 16u : 10u;
        } else if (!hex && c == '-') {
            return 0u - value; // whatever stands left of the sign is ignored
        } else if (!hex && c == '+') {
            return value;
        } else {
            *error = true;
            return value;
        }
    }
    return value;
}

// Keeps a window of the given size inside the work area; the limits are
// measured from the screen origin, not from the work area's corner.
void MoveWithinLimits(HWND window, int x, int y, int width, int height) {
    RECT area;
    int limitWidth, limitHeight;
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        limitWidth = area.right - area.left;
        limitHeight = area.bottom - area.top;
    } else {
        limitWidth = GetSystemMetrics(SM_CXSCREEN);
        limitHeight =
            GetSystemMetrics(SM_CYMAXIMIZED) - abs(GetSystemMetrics(SM_CXMAXIMIZED) - limitWidth);
    }
    if (x + width > limitWidth) x = limitWidth - width > 0 ? limitWidth - width : 0;
    if (y + height > limitHeight) y = limitHeight - height > 0 ? limitHeight - height : 0;
    MoveWindow(window, x, y, width, height, FALSE);
}

} // namespace

const char* Num_Format(int32_t value, int radix) {
    char* slot = NextRingSlot();
    if (radix == 16) {
        snprintf(slot, NUM_TEXT_SIZE, "0x%X", static_cast<unsigned>(value));
        return slot;
    }
    char scratch[NUM_TEXT_SIZE];
    snprintf(scratch, sizeof(scratch), "%d", static_cast<int>(value));
    const char* digits = scratch;
    char* out = slot;
    if (*digits == '-') *out++ = *digits++;
    size_t n = strlen(digits);
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) *out++ = ',';
        *out++ = digits[i];
    }
    *out = '\0';
    return slot;
}

int32_t Field_ReadNumber(HWND dialog, int id, int32_t minimum, int32_t maximum,
                         int32_t defaultValue, int radix) {
    char text[DLG_PATH_SIZE] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    PathRemoveBlanksA(text);
    bool hex = radix == 16, error = false;
    size_t start = 0;
    if (strlen(text) >= 3 && text[0] == '0' && text[1] == 'x') {
        hex = true;
        start = 2;
    }
    uint32_t bits = 0;
    if (text[0] == '\0')
        error = true;
    else
        bits = ScanNumber(text, start, hex, &error);
    int32_t value;
    memcpy(&value, &bits, sizeof(value)); // the two's complement reading
    if (value < minimum) return minimum;
    if (value > maximum) return maximum;
    return error ? defaultValue : value;
}

int Field_NormalizeNumber(HWND dialog, int id, int32_t minimum, int32_t maximum,
                          int32_t defaultValue, int radix, int code) {
    if (code != EN_KILLFOCUS) return 0;
    int32_t value = Field_ReadNumber(dialog, id, minimum, maximum, defaultValue, radix);
    SetDlgItemTextA(dialog, id, Num_Format(value, radix));
    return 0;
}

int Wnd_CenterOverOwner(HWND window) {
    RECT r = {}, owner = {};
    GetWindowRect(window, &r);
    GetWindowRect(GetParent(window), &owner);
    int width = r.right - r.left, height = r.bottom - r.top;
    int x = owner.left + ((owner.right - owner.left) - width) / 2;
    int y = owner.top + ((owner.bottom - owner.top) - height) / 2;
    MoveWithinLimits(window, x < 0 ? 0 : x, y < 0 ? 0 : y, width, height);
    return 1;
}

int Wnd_PlaceBelow(HWND window, HWND anchor) {
    RECT r = {}, a = {};
    GetWindowRect(window, &r);
    GetWindowRect(anchor, &a);
    MoveWithinLimits(window, a.left < 0 ? 0 : a.left, a.bottom < 0 ? 0 : a.bottom, r.right - r.left,
                     r.bottom - r.top);
    return 1;
}

void Path_MakeStartRelative(char* path, int size) {
    char relative[MAX_PATH] = "";
    // Both taken as files: the start folder's name ends in '\', so its
    // "folder part" is the start folder itself.
    if (!PathRelativePathToA(relative, appState.startFolder, 0, path, 0)) return;
    const char* shown = relative;
    if (shown[0] == '.' && shown[1] == '\\') shown += 2;
    lstrcpynA(path, shown, size);
}

BOOL FileDlg_Run(HWND owner, FileChooser chooser, const char* filter, const char* defaultExt,
                 char* path, int size, const char* title, const char* folder) {
    char buffer[DLG_PATH_SIZE] = {};
    lstrcpynA(buffer, path, sizeof(buffer));
    OPENFILENAMEA ofn = {};
    // The record as it was before the extension fields, which every
    // version of the chooser accepts.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof(buffer);
    ofn.lpstrInitialDir = folder ? folder : appState.dialogFolder;
    ofn.lpstrTitle = title;
    // OFN_NOCHANGEDIR keeps the working folder, the base of relative names.
    ofn.Flags = CHOOSER_FLAGS;
    ofn.lpstrDefExt = defaultExt;
    BOOL chosen = chooser(&ofn);
    lstrcpynA(path, buffer, size);
    return chosen;
}

int Ctl_UnderCursor(HWND dialog, int count, ...) {
    POINT cursor;
    if (count < 1 || !GetCursorPos(&cursor)) return 0;
    va_list ids;
    va_start(ids, count);
    int found = 0;
    for (int i = 0; i < count && !found; ++i) {
        int id = va_arg(ids, int);
        RECT r;
        if (GetWindowRect(GetDlgItem(dialog, id), &r) && PtInRect(&r, cursor)) found = id;
    }
    va_end(ids);
    return found;
}

void List_DrawStripes(HWND dialog, NMLVCUSTOMDRAW* draw, COLORREF even, COLORREF odd) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
        // Also asks for the sub-item stages (CDRF_NOTIFYSUBITEMDRAW is the same bit).
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, CDRF_NOTIFYITEMDRAW);
        break;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        draw->clrTextBk = (draw->nmcd.dwItemSpec & 1) ? odd : even;
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, CDRF_NEWFONT);
        break;
    default: break;
    }
}

void List_AttachExtIcons(HWND list) {
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(extImages.list));
}

void Combo_AttachIcons(HWND combo, int extraHeight) {
    SendMessageA(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(comboImages.list));
    if (extraHeight >= 1)
        SendMessageA(combo, CB_SETITEMHEIGHT, 0, comboImages.height + extraHeight);
}

void Combo_AddRow(HWND combo, int textId, const char* iconKey) {
    char label[MESSAGE_SIZE] = "";
    Dlg_LoadText(textId, label, sizeof(label));
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = -1;
    item.pszText = label;
    item.iImage = item.iSelectedImage = ComboIcons_Find(iconKey);
    SendMessageA(combo, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int Shell_Launch(const char* program, const char* parameters, const char* verb) {
    // The program goes in as an item list besides its name: given no list,
    // Wine takes SEE_MASK_INVOKEIDLIST as a request to open an empty one (a
    // folder window that never returns) instead of falling back to the name.
    char full[MAX_PATH] = "";
    LPITEMIDLIST item = nullptr;
    if (GetFullPathNameA(program, sizeof(full), full, nullptr)) item = ILCreateFromPathA(full);
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = item ? SEE_MASK_INVOKEIDLIST : 0;
    info.lpVerb = verb;
    info.lpFile = program;
    info.lpParameters = parameters;
    info.lpIDList = item;
    info.nShow = SW_SHOW;
    BOOL started = ShellExecuteExA(&info);
    if (item) ILFree(item);
    return started ? 1 : 0;
}

int Dlg_LoadText(int id, char* text, int size) {
    text[0] = '\0';
    return LoadStringA(GetModuleHandleA(nullptr), id, text, size);
}

void Dlg_MakeFilter(char* filter, int size, int labelId, const char* pattern, int allFilesId) {
    char label[LABEL_SIZE], all[LABEL_SIZE] = "";
    Dlg_LoadText(labelId, label, sizeof(label));
    if (allFilesId) Dlg_LoadText(allFilesId, all, sizeof(all));
    const char* parts[] = {label, pattern, all, "*.*"};
    const int count = allFilesId ? 4 : 2;
    char* at = filter;
    for (int i = 0; i < count; i++) {
        const size_t n = strlen(parts[i]) + 1;
        if (at + n >= filter + size) break; // the rest would not fit
        memcpy(at, parts[i], n);
        at += n;
    }
    *at = '\0';
}

int Dlg_Ask(HWND owner, int textId, int titleId) {
    char text[MESSAGE_SIZE] = "", title[MESSAGE_SIZE] = "";
    Dlg_LoadText(textId, text, sizeof(text));
    Dlg_LoadText(titleId, title, sizeof(title));
    return MessageBoxA(owner, text, title, MB_YESNO | MB_ICONQUESTION);
}

namespace {

char* FormatArgs(char* text, int size, int formatId, va_list args) {
    char format[MESSAGE_SIZE] = "";
    Dlg_LoadText(formatId, format, sizeof(format));
    vsnprintf(text, static_cast<size_t>(size), format, args);
    return text;
}

} // namespace

void Dlg_ShowText(HWND dialog, int controlId, int formatId, ...) {
    char text[MESSAGE_SIZE] = "";
    va_list args;
    va_start(args, formatId);
    FormatArgs(text, sizeof(text), formatId, args);
    va_end(args);
    SetDlgItemTextA(dialog, controlId, text);
}

char* Dlg_Format(char* text, int size, int formatId, ...) {
    va_list args;
    va_start(args, formatId);
    FormatArgs(text, size, formatId, args);
    va_end(args);
    return text;
}
