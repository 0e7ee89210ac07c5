// The file selection dialog (template 202): the files of one drop, listed
// with icons and sizes, one of which the user puts into the field that
// received the drop, as a name relative to the start folder.
#pragma once
#include <windows.h>
#include <shellapi.h>

// Lists the files of drop (folders left out) over owner and, when the user
// selects one, writes its name into owner's field fieldId. Takes over drop
// and releases it; while owner is disabled (a selection already open over
// it) it releases it at once and shows nothing. Returns 0 whatever
// happened: the field alone tells.
INT_PTR FileSel_Show(HWND owner, int fieldId, HDROP drop);

// Dialog procedure of template 202, for FileSel_Show.
INT_PTR CALLBACK FileSelDlg_Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
