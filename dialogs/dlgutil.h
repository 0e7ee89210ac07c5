// Small helpers every dialog shares: numeric fields and number texts,
// placing a dialog on the screen, the file choosers, names relative to the
// start folder, the field under a drop, striped list rows, icon lists,
// starting an outside program, string table texts and file chooser filters,
// and the questions and status lines the dialogs show. They keep no state of their own except
// the ring of number texts.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <cstdint>

constexpr int DLG_PATH_SIZE = 260; // text and path buffers: 259 characters and the zero
constexpr int NUM_RING_SLOTS = 8;  // a number text stays intact for eight further uses
constexpr int NUM_TEXT_SIZE = 32;
constexpr int LABEL_SIZE = 64; // a short label of the string table: a button, a filter

// The value as text in the next slot of the number ring: "0x%X" for radix
// 16, else decimal with thousands commas (-1,234,567). The text belongs to
// the ring and is overwritten eight formats later.
const char* Num_Format(int32_t value, int radix);

// The number in a dialog's text field: blanks around it, commas, blanks and
// tabs inside it are ignored; "0x" in front or radix 16 reads hexadecimal;
// decimal text may carry one sign. Returns minimum or maximum when the value
// lies outside them, else defaultValue when the text was not a number, else
// the value. Overflow wraps at 32 bits.
int32_t Field_ReadNumber(HWND dialog, int id, int32_t minimum, int32_t maximum,
                         int32_t defaultValue, int radix);

// On EN_KILLFOCUS rewrites the field with its value in canonical form (as
// Field_ReadNumber reads it, as Num_Format writes it); other codes do
// nothing. Returns 0.
int Field_NormalizeNumber(HWND dialog, int id, int32_t minimum, int32_t maximum,
                          int32_t defaultValue, int radix, int code);

// Centre window over its owner, or put it under anchor's bottom-left corner,
// then pull it back inside the work area measured from the screen origin.
// The size is kept. Both return 1.
int Wnd_CenterOverOwner(HWND window);
int Wnd_PlaceBelow(HWND window, HWND anchor);

// Rewrites path (at most size bytes with the zero) relative to the start
// folder: "name", "sub\name", "..\other\name". A path on another drive or
// share keeps its text.
void Path_MakeStartRelative(char* path, int size);

typedef BOOL(WINAPI* FileChooser)(LPOPENFILENAMEA);

// Runs chooser (GetOpenFileNameA or GetSaveFileNameA) starting from the name
// in path; filter is pairs of zero-ended texts ended by an empty one. path
// receives the chooser's buffer whatever it answered, so a cancel leaves it
// as it was. Returns the chooser's result: nonzero when a file was chosen.
// title null: the chooser's own; folder null: the dialog folder.
BOOL FileDlg_Run(HWND owner, FileChooser chooser, const char* filter, const char* defaultExt,
                 char* path, int size, const char* title = nullptr, const char* folder = nullptr);

// The first of count control ids whose control lies under the mouse cursor,
// or 0.
int Ctl_UnderCursor(HWND dialog, int count, ...);

// Answers a list view's NM_CUSTOMDRAW through the dialog's message result:
// even rows get the text background even, odd rows odd.
void List_DrawStripes(HWND dialog, NMLVCUSTOMDRAW* draw, COLORREF even, COLORREF odd);

// Gives a list view the extension icons, or a ComboBoxEx the combo box
// icons with items extraHeight pixels taller than the pictures.
void List_AttachExtIcons(HWND list);
void Combo_AttachIcons(HWND combo, int extraHeight);
// Appends a ComboBoxEx row: the string table text textId with the combo box
// icon of iconKey, selected or not (none for an unknown key).
void Combo_AddRow(HWND combo, int textId, const char* iconKey);

// Starts program with the parameter text through the shell (verb null: the
// default verb) and does not wait for it. Returns 1 when it started, else 0.
int Shell_Launch(const char* program, const char* parameters, const char* verb);

// Loads the string table text id into text (size bytes, cut to fit; empty
// when there is none). Returns its length.
int Dlg_LoadText(int id, char* text, int size);
// The pairs of a file chooser's filter into filter (size bytes): the string
// table text labelId with its pattern, then, unless allFilesId is 0, that
// text with *.*; each text ended by a zero, and an empty text at the end.
void Dlg_MakeFilter(char* filter, int size, int labelId, const char* pattern, int allFilesId);

// Asks a yes/no question (string table texts) owned by owner; returns the
// button pressed.
int Dlg_Ask(HWND owner, int textId, int titleId);
// Sets a control's text from a string table format and its arguments.
void Dlg_ShowText(HWND dialog, int controlId, int formatId, ...);
// Formats the string table format formatId with its arguments into text
// (size bytes, cut to fit); returns text.
char* Dlg_Format(char* text, int size, int formatId, ...);
