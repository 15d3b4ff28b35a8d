// CaptureWindow: waits for a top-level window with a given title, saves a
// picture of the window, its frame included, as a 24-bit BMP file, and can
// then close it. Used by tools/run and the screenshot tools on a virtual display.
//
//   CaptureWindow TITLE OUT.bmp [--close] [--timeout MS] [--settle MS]
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ScreenBitmap.h"

namespace {

HWND WaitForWindow(const char* pszTitle, DWORD dwTimeoutMs)
{
    DWORD dwStart = GetTickCount();
    for (;;) {
        HWND hWnd = FindWindowA(nullptr, pszTitle);
        if (hWnd && IsWindowVisible(hWnd))
            return hWnd;
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return nullptr;
        Sleep(50);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: CaptureWindow TITLE OUT.bmp [--close] [--timeout MS] "
                        "[--settle MS]\n");
        return 2;
    }
    bool bClose = false;
    DWORD dwTimeout = 30000, dwSettle = 1000;
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--close") == 0)
            bClose = true;
        else if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            dwTimeout = static_cast<DWORD>(strtoul(argv[++i], nullptr, 10));
        else if (strcmp(argv[i], "--settle") == 0 && i + 1 < argc)
            dwSettle = static_cast<DWORD>(strtoul(argv[++i], nullptr, 10));
    }
    HWND hWnd = WaitForWindow(argv[1], dwTimeout);
    if (!hWnd) {
        fprintf(stderr, "CaptureWindow: no window titled \"%s\" appeared\n", argv[1]);
        return 1;
    }
    Sleep(dwSettle); // let it paint
    RECT rc;
    GetWindowRect(hWnd, &rc);
    bool bSaved = SaveScreenRect(rc, argv[2]);
    if (bClose)
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
    if (!bSaved) {
        fprintf(stderr, "CaptureWindow: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
