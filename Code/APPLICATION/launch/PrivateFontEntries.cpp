#include "PrivateFontEntries.h"

PFN_FONT_RESOURCE_EX FindGdiFontEntry(LPCSTR lpszEntryName)
{
    // The handle is not kept and not released: the entries found in it are
    // kept for the life of the process, so the library must stay loaded.
    HMODULE hGdi = ::LoadLibraryW(L"gdi32.dll");
    if (!hGdi)
        return nullptr;
    return reinterpret_cast<PFN_FONT_RESOURCE_EX>(
        reinterpret_cast<void*>(::GetProcAddress(hGdi, lpszEntryName)));
}
