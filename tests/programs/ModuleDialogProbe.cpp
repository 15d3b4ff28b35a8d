// ModuleDialogProbe: works a module's window as a person would. Waits for the
// top-level window titled MAIN, clicks its button BUTTON_ID, waits for the
// dialog titled DIALOG that opens, prints what it shows, presses its OK
// button, and closes MAIN once the dialog is gone.
//
//   ModuleDialogProbe MAIN BUTTON_ID DIALOG
//
// Output, one line each: "WINDOW <title>", "DIALOG <title>", "OWNER <title>",
// "TEXT <text>" per control, "CLOSED". Exits 1 when a window never appears.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

namespace {

// Windows appear when the launcher and the module get to them; a generous
// limit only keeps a broken run from waiting for ever.
const DWORD kGiveUpMs = 60000;

template <class Found> HWND WaitFor(Found found)
{
    DWORD dwStart = GetTickCount();
    for (;;) {
        if (HWND hWnd = found())
            return hWnd;
        if (GetTickCount() - dwStart > kGiveUpMs)
            return nullptr;
        Sleep(50);
    }
}

void PrintTitle(const char* pszWhat, HWND hWnd)
{
    char szText[256] = {};
    GetWindowTextA(hWnd, szText, sizeof(szText));
    printf("%s %s\n", pszWhat, szText);
}

BOOL CALLBACK PrintControlText(HWND hWnd, LPARAM)
{
    PrintTitle("TEXT", hWnd);
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: ModuleDialogProbe MAIN BUTTON_ID DIALOG\n");
        return 2;
    }
    const char* pszMain = argv[1];
    int nButtonId = atoi(argv[2]);
    const char* pszDialog = argv[3];

    HWND hWndMain = WaitFor([&] {
        HWND hWnd = FindWindowA(nullptr, pszMain);
        return hWnd && IsWindowVisible(hWnd) ? hWnd : nullptr;
    });
    if (!hWndMain) {
        printf("NO WINDOW %s\n", pszMain);
        return 1;
    }
    PrintTitle("WINDOW", hWndMain);
    HWND hWndButton = GetDlgItem(hWndMain, nButtonId);
    if (!hWndButton) {
        printf("NO BUTTON %d\n", nButtonId);
        return 1;
    }
    PostMessageA(hWndButton, BM_CLICK, 0, 0);

    HWND hWndDialog = WaitFor([&] {
        HWND hWnd = FindWindowA("#32770", pszDialog);
        return hWnd && IsWindowVisible(hWnd) ? hWnd : nullptr;
    });
    if (!hWndDialog) {
        printf("NO DIALOG %s\n", pszDialog);
        return 1;
    }
    PrintTitle("DIALOG", hWndDialog);
    PrintTitle("OWNER", GetWindow(hWndDialog, GW_OWNER));
    EnumChildWindows(hWndDialog, &PrintControlText, 0);
    fflush(stdout);

    PostMessageA(GetDlgItem(hWndDialog, IDOK), BM_CLICK, 0, 0);
    if (!WaitFor([&] { return IsWindow(hWndDialog) ? nullptr : hWndMain; })) {
        printf("DIALOG STAYED\n");
        return 1;
    }
    PostMessageA(hWndMain, WM_CLOSE, 0, 0);
    printf("CLOSED\n");
    return 0;
}
