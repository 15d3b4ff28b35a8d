#include "DllSearchOrder.h"

#include <afxwin.h>

namespace {

typedef BOOL(WINAPI* PFN_SETDEFAULTDLLDIRECTORIES)(DWORD dwDirectoryFlags);

} // namespace

void RemoveCurrentFolderFromDllSearch()
{
    // Present from Windows 8, and on Windows 7 with its security update;
    // looked up so that a Windows 7 without it still starts. Wine honours
    // only this one: an empty DLL directory counts there as none set.
    auto pfnSetDefaultDllDirectories = AfxGetProcAddress<PFN_SETDEFAULTDLLDIRECTORIES>(
        ::GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (pfnSetDefaultDllDirectories &&
        pfnSetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS))
        return;
    // Windows itself drops the current folder for an empty DLL directory.
    ::SetDllDirectoryA("");
}
