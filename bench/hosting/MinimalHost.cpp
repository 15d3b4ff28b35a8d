// The least a host can do: load the UI module and call its DLLInitInstance.
// The start-up benchmark compares the launcher with this. It does not link
// the framework library; the module brings it in, as it does in the launcher.
#include <windows.h>

#include "UIModuleContract.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int nCmdShow)
{
    HMODULE hModule = LoadLibraryA("QuavPlusUI.dll");
    if (!hModule)
        return 1;
    auto pfnInit = reinterpret_cast<PFN_DLLINITINSTANCE>(
        reinterpret_cast<void*>(GetProcAddress(hModule, "DLLInitInstance")));
    if (!pfnInit)
        return 2;
    pfnInit(nullptr, nullptr, nCmdShow);
    return 0;
}
