// The outside text editor: the one setting that names the program (the
// editor path of the application state), the dialog that changes it
// (template 203) and the opening of a dialog field's file in it.
#pragma once
#include <windows.h>

// The editor path; the text belongs to the application state.
const char* Editor_GetPath();
// Copies text, cut to 259 characters, into the editor path, as it is.
void Editor_SetPath(const char* text);

// Opens the file named in dialog's field fileFieldId (blanks around the
// name dropped) in the editor, handing the name as one parameter in double
// quotes. A missing file is reported on the static control resultId (0:
// nowhere) without a question; otherwise it asks first, and a missing
// editor offers the editor dialog instead. Returns 1.
int Editor_OpenFile(HWND dialog, int fileFieldId, int resultId);

// Dialog procedure of template 203; the dialog ends with 0.
INT_PTR CALLBACK EditorDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
