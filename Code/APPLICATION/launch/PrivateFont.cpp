#include "PrivateFont.h"

namespace {

// The shape of AddFontResourceExA and RemoveFontResourceExA: file name, FR_*
// flags, reserved (null).
typedef int(WINAPI* PFN_FONT_RESOURCE_EX)(LPCSTR lpszFileName, DWORD fl, PVOID pdv);

// Process-wide, touched only on the UI thread. The entries stay null until a
// lookup succeeds; a result stays 0 until a platform call returns non-zero,
// and then never changes again.
PFN_FONT_RESOURCE_EX g_pfnAddFontResourceEx = nullptr;
int g_nAddResult = 0;
PFN_FONT_RESOURCE_EX g_pfnRemoveFontResourceEx = nullptr;
int g_nRemoveResult = 0;

// The graphics library's entry, looked up by name: not linked, so that a
// system without it still starts. The library handle is neither kept nor
// released: the entries found in it are kept for the life of the process.
PFN_FONT_RESOURCE_EX FindGdiFontEntry(LPCSTR lpszEntryName)
{
    HMODULE hGdi = ::LoadLibraryW(L"gdi32.dll");
    return hGdi ? AfxGetProcAddress<PFN_FONT_RESOURCE_EX>(hGdi, lpszEntryName) : nullptr;
}

// One latch: finds the entry until it is found, calls it until it succeeds,
// and from then on only reports the remembered result.
int CallLatched(PFN_FONT_RESOURCE_EX& pfnEntry, int& nResult, LPCSTR lpszEntryName,
                const CString& path)
{
    if (!pfnEntry)
        pfnEntry = FindGdiFontEntry(lpszEntryName);
    if (pfnEntry && nResult == 0)
        nResult = pfnEntry(path, FR_PRIVATE, nullptr);
    return nResult;
}

} // namespace

int RegisterPrivateFont(CString path)
{
    return CallLatched(g_pfnAddFontResourceEx, g_nAddResult, "AddFontResourceExA", path);
}

int UnregisterPrivateFont(CString path)
{
    return CallLatched(g_pfnRemoveFontResourceEx, g_nRemoveResult, "RemoveFontResourceExA", path);
}
