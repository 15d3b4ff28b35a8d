// The executable's entry point. It is linked into each executable (a small
// static library), because a DLL cannot supply an executable's WinMain; all it
// does is hand over to the framework.
#include "../afxwin.h"

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine,
                              int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
