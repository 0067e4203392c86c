// The entry of the Windows program: runs the one application object's
// InitInstance and ends when it returns (the program has no message loop of
// its own; its dialog runs modally inside InitInstance).
//
// framework.h comes before <windows.h>: it declares TRUE, FALSE, IDOK and
// IDCANCEL as constants, which the system header then defines as macros of
// the same values.
#include "platform/framework.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* application = AfxGetApp();
    if (application == nullptr) return 1;
    application->InitInstance();
    return 0;
}
