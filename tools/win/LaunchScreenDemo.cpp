// LaunchScreenDemo: shows the launcher's launch screen, which the launcher
// itself never reaches (its selection always finds a module by the
// executable's name). The display font and the watermark are taken from the
// current folder, as the launcher takes them. Prints how the dialog ended.
//
//   LaunchScreenDemo [--capture OUT.bmp]
//
// With --capture, the pointer is moved out of the way, a picture of the
// dialog window (caption bar included) is saved once it has painted, and
// the dialog is closed again.
#include <afxwin.h>

#include <stdio.h>
#include <string.h>

#include "ScreenBitmap.h"
#include "launch/LaunchScreenDlg.h"

namespace {

const UINT kTickMs = 50;
const int kSettleTicks = 10; // let the first paints finish before the picture
const int kGiveUpTicks = 200;

const char* g_pszCapturePath = nullptr;
bool g_bCaptured = false;
int g_nTicks = 0;

BOOL CALLBACK FindVisibleDialog(HWND hWnd, LPARAM lParam)
{
    char szClass[16] = {};
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (lstrcmpA(szClass, "#32770") != 0 || !::IsWindowVisible(hWnd))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

// A thread timer: the dialog's modal loop dispatches its ticks.
void CALLBACK CaptureTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND hWndDialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindVisibleDialog,
                        reinterpret_cast<LPARAM>(&hWndDialog));
    if (!hWndDialog || g_bCaptured)
        return;
    if (++g_nTicks < kSettleTicks && g_nTicks < kGiveUpTicks)
        return;
    RECT rc;
    ::GetWindowRect(hWndDialog, &rc);
    g_bCaptured = SaveScreenRect(rc, g_pszCapturePath);
    if (!g_bCaptured)
        fprintf(stderr, "LaunchScreenDemo: cannot write %s\n", g_pszCapturePath);
    ::PostMessageA(hWndDialog, WM_CLOSE, 0, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "--capture") == 0) {
        g_pszCapturePath = argv[2];
    } else if (argc != 1) {
        fprintf(stderr, "usage: LaunchScreenDemo [--capture OUT.bmp]\n");
        return 2;
    }
    UINT_PTR nTimer = 0;
    if (g_pszCapturePath) {
        ::SetCursorPos(0, 0); // no hover look in the picture
        nTimer = ::SetTimer(nullptr, 0, kTickMs, &CaptureTick);
    }

    INT_PTR nResult;
    CString strModule;
    {
        CLaunchScreenDlg dlg(nullptr);
        nResult = dlg.DoModal();
        strModule = dlg.GetSelectedModule();
    }
    if (nTimer)
        ::KillTimer(nullptr, nTimer);
    printf("DoModal returned %d; module \"%s\"\n", static_cast<int>(nResult),
           static_cast<const char*>(strModule));
    if (g_pszCapturePath && !g_bCaptured)
        return 1;
    return nResult == -1 ? 1 : 0;
}
