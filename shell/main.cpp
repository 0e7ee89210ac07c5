// Entry point of tileorder.exe. The program takes no arguments: the command
// line and the show command are ignored (the main window always opens in
// its normal state).
#include <windows.h>
#include "shell/appstate.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return App_Main(instance, GetComCtlVersion);
}
